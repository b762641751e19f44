#pragma once

#include <QString>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QRect;
class QWidget;

namespace sw {

class IniFile;
class FirstShowCascade;

/// The available geometries of the screens attached now, in desktop coordinates.
std::vector<QRect> AvailableScreenGeometries();

/// Identifiers of the windows whose position and size are kept in section "forms", in the order
/// every placement pass visits them.
inline constexpr std::array<const char*, 11> kManagedWindowIds{
    "fctrl2", "FAlbums",  "FAlDets",  "fartists", "FGenres", "FPlists",
    "FSongs", "FBassint", "Fnotepad", "Fdays",    "fdbchk",
};

/// The placement memory of the managed windows. Windows not registered (not built yet) are skipped.
///
/// Every place applied is kept whole on a screen attached now (a place saved on a monitor since
/// removed, or at another scale, comes back onto the nearest screen). A window other than the main
/// window that has no saved place is put, when it is first shown, beside the main window in a
/// cascade, rather than where the desktop would open it, on top of the main window.
class Placements {
public:
    Placements();
    ~Placements();
    Placements(const Placements&) = delete;
    Placements& operator=(const Placements&) = delete;

    /// `id` is one of kManagedWindowIds, or an identifier of another window that only takes part
    /// in the cascade of first showings.
    void Register(const char* id, QWidget* window);
    /// The screens' available geometries; by default those attached at the time of each use.
    void SetScreens(std::function<std::vector<QRect>()> screens) { m_screens = std::move(screens); }
    /// The now-playing window stays open on "Close all" while this says a song is playing.
    void SetPlayingQuery(std::function<bool()> playing) { m_playing = std::move(playing); }

    /// 'G' reads the window's four keys and applies those of 0 or more, 'S' writes them, 'C' hides
    /// the window (never the main window).
    void WindowPlacement(const QString& id, QWidget* window, char code, IniFile* file);
    void RestorePlacements(const QString& settingsFile);
    void SavePlacements(const QString& settingsFile);
    /// Writes the placements into a settings file that its caller saves.
    void SavePlacements(IniFile& file);
    void CloseManagedWindows();
    /// The registered window of that identifier; null while it is not built.
    QWidget* Window(const QString& id) const;

private:
    void Pass(char code, IniFile* file);

    /// The window's place and size made whole on a screen.
    void KeepOnScreens(QWidget* window) const;

    std::map<QString, QWidget*> m_windows;
    std::function<bool()> m_playing;
    std::function<std::vector<QRect>()> m_screens;
    std::unique_ptr<FirstShowCascade> m_cascade;
    int m_passCount = 0;
    /// Windows of the running save pass that had no place of their own.
    int m_unplacedInPass = 0;
};

/// The main menu's "Arrange" on `screen`: the main window to the top right, the cascade of the
/// queue, songs, playlists, genres, artists, albums and notepad windows (those built) shown and
/// kept on the screen, and the queue brought to the front again.
void ArrangeWindows(const Placements& placements, const QRect& screen);

}  // namespace sw
