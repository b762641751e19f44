#pragma once

#include <QString>
#include <array>
#include <functional>
#include <map>

class QRect;
class QWidget;

namespace sw {

class IniFile;

/// Identifiers of the windows whose position and size are kept in section "forms", in the order
/// every placement pass visits them.
inline constexpr std::array<const char*, 11> kManagedWindowIds{
    "fctrl2", "FAlbums",  "FAlDets",  "fartists", "FGenres", "FPlists",
    "FSongs", "FBassint", "Fnotepad", "Fdays",    "fdbchk",
};

/// The placement memory of the managed windows. Windows not registered (not built yet) are skipped.
class Placements {
public:
    /// `id` is one of kManagedWindowIds.
    void Register(const char* id, QWidget* window);
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

    std::map<QString, QWidget*> m_windows;
    std::function<bool()> m_playing;
    int m_passCount = 0;
};

/// The main menu's "Arrange" on `screen`: the main window to the top right, the cascade of the
/// queue, songs, playlists, genres, artists, albums and notepad windows (those built) shown and
/// kept on the screen, and the queue brought to the front again.
void ArrangeWindows(const Placements& placements, const QRect& screen);

}  // namespace sw
