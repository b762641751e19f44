#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <functional>

#include "core/Settings.h"
#include "load/TagReread.h"
#include "playback/MprisOption.h"

namespace sw {

class CoreSession;

/// What the main menu reaches in other windows. An entry whose hook is empty stays disabled until
/// the window that serves it is built and its hook is set.
struct MainMenuHooks {
    std::function<void()> showNowPlaying;

    std::function<void()> showAllAlbums;
    std::function<void()> showAlbumGroups;
    std::function<void()> showArtists;
    std::function<void()> showGenres;
    std::function<void()> showPlaylists;
    std::function<void()> showPlayHistory;
    /// The songs window restored, showing what it shows.
    std::function<void()> showSongs;
    /// The songs of the last load run; the songs window sets the rating filter to "No filter".
    std::function<void()> showLastLoaded;
    /// The songs loaded in the last DAYSRECENT days.
    std::function<void()> showRecentSongs;
    std::function<void()> showSingles;
    /// Refills playlist 0 with `count` songs under the rating filter; returns the entries written.
    std::function<int(int count, int filter)> pickRandomSongs;
    std::function<void(int playlistId)> showPlaylistSongs;
    /// The search window's scope set to "anywhere", then the search started.
    std::function<void()> search;

    std::function<void()> showLoadWindow;

    std::function<void()> openHealthCheck;
    /// False when the count was interrupted.
    std::function<bool()> showStatistics;
    /// The folder selection dialog, opening at `folder`; true with the chosen folder in `folder`.
    std::function<bool(QString& folder)> selectFolder;

    std::function<QString()> masterDeviceName;
    std::function<void()> reseekDevices;

    /// Places the main window and the cascade (ArrangedMainFrame, ArrangedCascadeFrame).
    std::function<void()> arrangeWindows;
    std::function<void()> closeManagedWindows;

    /// Shows the notepad; its text is read-only when the catalogue is.
    std::function<void(bool catalogueReadOnly)> openNotepad;
    std::function<void()> showAbout;
    /// Told after an option of "Tools" > "Options" has switched its setting, for a service that
    /// follows the setting at once rather than at the next start.
    std::function<void(bool Settings::*setting, bool on)> optionSwitched;
    /// Brings the catalogue up to a tag switch just turned on (TagReread::Run).
    std::function<TagRereadCounts(const TagRereadRequest&, const TagRereadProgress&)> rereadTags;
};

/// The entries of the main window's menu bar and of its menus, in menu order; the entry of a menu
/// opens it (MainWindow::Menu). The rows of the tables below (the random filters, the recent spans,
/// the write policies, the options), the tag switches and the levelling entries are reached by
/// their own keys instead.
enum class MainEntry {
    Exit,
    NowPlaying,
    PlayMenu,
    PlayPause,
    Stop,
    Next,
    Previous,
    SearchKey,
    LoadKey,
    Quit,
    BrowseMenu,
    AllAlbums,
    AlbumGroups,
    Artists,
    Genres,
    LastLoaded,
    Playlists,
    PlayHistory,
    RecentMenu,
    RecentHeading,
    RecentDaysAsked,
    Singles,
    Songs,
    Random,
    RandomFilterMenu,
    DefaultFilter,
    Search,
    Load,
    DatabaseMenu,
    HealthCheck,
    Statistics,
    RootFolder,
    ReadOnly,
    TagsMenu,
    DefaultTagPolicy,
    ReadHeading,
    ReadV1,
    ReadV2,
    WriteHeading,
    OggTags,
    SqueezeRating,
    Devices,
    WindowsMenu,
    Arrange,
    CloseAll,
    ToolsMenu,
    Notepad,
    OptionsMenu,
    LevellingMenu,
    FlashMenu,
    LastFlashMessage,
    FlashInterval,
    FlashTest,
    About,
};

/// The random filters of the Browse menu, with their captions and hints.
struct RandomFilterEntry {
    int filter;
    const char* caption;
    const char* hint;
};
inline constexpr std::array<RandomFilterEntry, 7> kRandomFilterEntries{{
    {4, "4 = Only the very best", "Rating = +4"},
    {3, "3 = Only the best", "Rating = +3 to +4"},
    {2, "2 = Only the good ones", "Rating = +2 to +4"},
    {1, "1 = Only the good ones + unrated (default)", "Rating = 0, +2 to +4"},
    {0, "0 = All but the bad ones", "Rating = 0 to +4"},
    {-1, "-1 = Only the bad ones", ""},
    {99, "No filter", "Rating = -2 to +4"},
}};

/// The "Recent additions" spans: "- Day" is two days.
struct RecentSpanEntry {
    int days;
    const char* caption;
};
inline constexpr std::array<RecentSpanEntry, 5> kRecentSpanEntries{{
    {2, "- Day"},
    {7, "- Week"},
    {31, "- Month"},
    {92, "- Quarter"},
    {366, "- Year"},
}};

/// The MP3 write policies of the Tags menu, by MP3TAGPOLICY value.
struct WritePolicyEntry {
    int policy;
    const char* caption;
    const char* hint;
};
inline constexpr std::array<WritePolicyEntry, 5> kWritePolicyEntries{{
    {0, "- no tags", ""},
    {1, "- only v1 ( truncating as necessary )", ""},
    {2, "- v1 where no truncation, else v2", "cannot be written while file is being played (unlike v1 tags)"},
    {3, "- only v2", ""},
    {4, "- both ( truncating v1 as necessary )", ""},
}};

/// The check entries of "Tools" > "Options", in menu order: each switches one setting, kept in
/// memory and written at shutdown. A new option is one more row here.
struct OptionEntry {
    const char* caption;
    bool Settings::*setting;
};
inline constexpr std::array<OptionEntry, 2> kOptionEntries{{
    {"Confirm multiple sound-cards at startup", &Settings::ConfirmDevicesAtStartup},
    {kMprisOptionCaption, &Settings::DesktopMediaControl},
}};

/// The loudness levelling entries of "Tools" > "Options", below its check entries: the three
/// choices of the "Loudness levelling" submenu, the pre-amp and the clipping protection.
enum class LevellingEntry { Off, Track, Album, Preamp, ClipGuard };

inline constexpr char kLevellingMenuCaption[] = "Loudness levelling";
/// Until the menu first opens; then PreampCaption.
inline constexpr char kPreampEntryCaption[] = "Pre-amp (dB)...";

/// The exclusive choices of the "Loudness levelling" submenu, by LOUDNESS value.
struct LoudnessModeEntry {
    LevellingEntry entry;
    int mode;
    const char* caption;
};
inline constexpr std::array<LoudnessModeEntry, 3> kLoudnessModeEntries{{
    {LevellingEntry::Off, kLoudnessOff, "Off"},
    {LevellingEntry::Track, kLoudnessTrack, "Track"},
    {LevellingEntry::Album, kLoudnessAlbum, "Album"},
}};

/// The check entry under the pre-amp; it switches as the check entries above do.
inline constexpr OptionEntry kClipGuardOption{"Clipping protection", &Settings::CLIPGUARD};

/// The pre-amp's range in dB, as the settings file keeps it.
inline constexpr int kPreampMin = -15;
inline constexpr int kPreampMax = 15;

/// The windows "Arrange" cascades, in order, by their placement identifiers.
inline constexpr std::array<const char*, 7> kArrangedWindowIds{
    "FBassint", "FSongs", "FPlists", "FGenres", "fartists", "FAlbums", "Fnotepad",
};

/// Where "Arrange" puts the main window (its frame): at the screen's top, its right edge on the
/// screen's right edge.
QRect ArrangedMainFrame(const QRect& screen, QSize frame);
/// Where "Arrange" puts the window at `index` of the cascade (its frame): from left 0 and top 175,
/// each next window 80 pixels right and 25 pixels up, shrunk to end at the screen's edges.
QRect ArrangedCascadeFrame(const QRect& screen, int index, QSize frame);

/// The main window without widgets: what each menu entry, label click and key does to the
/// session's settings and catalogue, with its questions, and what it hands to other windows.
class MainController {
public:
    explicit MainController(CoreSession& session);

    MainMenuHooks& Hooks() { return m_hooks; }
    const MainMenuHooks& Hooks() const { return m_hooks; }
    CoreSession& Session() { return m_session; }

    void ShowNowPlaying();

    // Browse
    /// "Random  ( " + the filter in words + " )", the caption the Browse menu shows as it opens.
    QString RandomCaption() const;
    bool RandomAvailable() const;
    /// Flashes the filter, then the random selection under it.
    void Random();
    /// The filter becomes `filter`, then the random selection.
    void RandomWithFilter(int filter);
    /// DAYSRECENT becomes `days`, then the recent additions are listed.
    void RecentAdditions(int days);
    /// Asks for the number of days first.
    void RecentAdditionsAsked();
    void LastLoaded();

    void Load();

    // Database
    void HealthCheck();
    /// The exact jukebox size counted; the size labels follow unless it was interrupted.
    void Statistics();
    void RootFolderCommand();
    /// The "Read-only" entry chosen, its mark flipped to `checked`: asks, then switches, saves the
    /// settings and shows the labels. Returns READONLY as it now stands.
    bool ReadOnlyChosen(bool checked);
    /// The "Database is read-only" notice clicked: asks, then switches read-only mode off.
    void ReadOnlyNoticeClicked();
    void RenameCatalogue();

    // Tags. Each returns true when the Tags menu is to open again, showing the new check marks.
    bool UseDefaultTagPolicy();
    bool ReadPreferenceChosen(bool v1Checked);
    bool WritePolicyChosen(int policy);
    bool OggTagChosen(bool checked);
    bool SqueezeRatingChosen(bool checked);
    /// One of the tag switches chosen, its mark flipped to `checked`. Turned on, it offers to
    /// re-read what the switch now lets through, showing progress through `progress`.
    bool TagSwitchChosen(bool Settings::*setting, bool checked, const TagRereadProgress& progress = {});
    /// The question that offers the re-read for a switch just turned on.
    static QString RereadQuestion(bool Settings::*setting);

    void Devices();

    // Windows
    void Arrange();
    void CloseAll();

    // Tools
    void Notepad();
    /// An option's entry chosen, its mark flipped to `checked`.
    void OptionChosen(const OptionEntry& option, bool checked);
    bool OptionChecked(const OptionEntry& option) const;
    /// LOUDNESS becomes `mode`, from the next song's start on.
    void LoudnessModeChosen(int mode);
    bool LoudnessModeChecked(int mode) const;
    /// "Pre-amp (dB) = " + PREAMP, the caption the entry shows as the menu opens.
    QString PreampCaption() const;
    /// Asks for the pre-amp in whole dB; a value outside kPreampMin to kPreampMax is refused with
    /// a message and PREAMP stays as it was.
    void PreampAsked();
    QString FlashIntervalCaption() const;
    void LastFlashMessage();
    void FlashInterval();
    void FlashTest();

    /// Escape in the main window: true when the user wants the program to end.
    bool EscapePressed();

private:
    bool AllowChanges();
    void ReadOnlySwitched(bool readOnly);
    void RandomSelection();
    void ShowLabels();

    CoreSession& m_session;
    MainMenuHooks m_hooks;
};

}  // namespace sw
