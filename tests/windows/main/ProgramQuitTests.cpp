#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "../../playback/audio/AudioTestSupport.h"
#include "../QtPrinting.h"
#include "TestCatalogue.h"
#include "core/CatalogueCreation.h"
#include "core/CoreSession.h"
#include "core/IniFile.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "load/LoadRun.h"
#include "load/LoadWindow.h"
#include "maintenance/HealthCheckWindow.h"
#include "playback/BpmTap.h"
#include "playback/BpmWindow.h"
#include "playback/PlaybackEngine.h"
#include "core/Playlists.h"
#include "playback/Preview.h"
#include "playback/PreviewWindow.h"
#include "playback/QueueController.h"
#include "playback/QueueWindow.h"
#include "playback/audio/RenderClock.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"
#include "windows/main/AboutWindow.h"
#include "windows/albums/AlbumsController.h"
#include "windows/albums/AlbumsWindow.h"
#include "windows/artists/ArtistsController.h"
#include "windows/artists/ArtistsWindow.h"
#include "windows/days/DaysWindow.h"
#include "windows/genres/GenresController.h"
#include "windows/genres/GenresWindow.h"
#include "windows/main/MainWindow.h"
#include "windows/days/NotepadWindow.h"
#include "windows/main/Placements.h"
#include "windows/playlists/PlaylistsController.h"
#include "windows/playlists/PlaylistsWindow.h"
#include "windows/main/ProgramShutdown.h"
#include "windows/songs/SongListController.h"
#include "windows/songs/SongsWindow.h"
#include "windows/main/WindowHelpers.h"

namespace sw {
namespace {

constexpr char kNewName[] = "Renamed just before quitting";
constexpr char kTyped[] = "typed just before quitting";
constexpr int kFadeMs = 1000;

QStringList VisibleWindows() {
    QStringList shown;
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            shown << (window->windowTitle().isEmpty() ? window->metaObject()->className()
                                                      : window->windowTitle());
        }
    }
    return shown;
}

class ProgramQuit;

/// One window (or a state of one) open when the main window is closed.
struct QuitCase {
    const char* name;
    /// Opens it; may close the main window itself (from inside a run's event pass).
    std::function<void(ProgramQuit&)> open;
    /// What that window adds to the common outcome; runs after the program's end.
    std::function<void(ProgramQuit&)> check;
    /// The answer to the quit question, when it is asked.
    const char* answer = "";
};

void PrintTo(const QuitCase& c, std::ostream* os) {
    *os << c.name;
}

/// The jukebox's windows over a program folder with a current catalogue, built and wired as the
/// program builds them, the music on an offline output whose clock is the rendering itself.
class ProgramQuit : public ::testing::TestWithParam<QuitCase> {
public:
    ProgramQuit() {
        const std::pair<const char*, QWidget*> managed[] = {
            {"fctrl2", &m_window},        {"FAlbums", &m_albumsWindow},    {"fartists", &m_artistsWindow},
            {"FGenres", &m_genresWindow}, {"FPlists", &m_playlistsWindow}, {"FSongs", &m_songs},
            {"FBassint", &m_queueWindow}, {"Fnotepad", &m_notepad},        {"Fdays", &m_days},
            {"fdbchk", &m_check},
        };
        for (const auto& [id, window] : managed) {
            m_placements.Register(id, window);
            m_managedIds << id;
        }
        m_session.settings.FADETIME = kFadeMs;
        m_session.songPlaying = [this] {
            return m_engine.State() == PlaybackState::Playing || m_engine.State() == PlaybackState::Ended;
        };
        m_engine.InitAudio(true);
        m_previewWindow.SetPreview(&m_preview);
        m_notepad.Create();
        m_shutdown.AttachTo(m_window);
        m_shutdown.SetLeaveEventLoop([this] { ++m_leaves; });
        m_shutdown.SetPlayback(&m_engine, &m_preview);
        m_window.show();
        // Left uncommitted: the end of the program commits it.
        m_session.catalogue.RenameCatalogue(kNewName);
        m_dialogs.ClearTranscript();
    }
    ~ProgramQuit() override {
        m_window.SetCloseRequest({});
        m_engine.StopPlayback();
    }

    /// Closes the main window as the close box does, unless the case did so already.
    bool CloseMainWindow() {
        if (!m_closed) {
            m_closed = m_window.close();
        }
        return *m_closed;
    }
    void PlaySong() {
        TSong song;
        song.SongNum = 1;
        song.Title = "Song 1";
        song.FullPath = song.FileName = test::Media("song440.wav");
        song.Exi = song.FileFound = true;
        m_queue.SetCursor(m_queue.AppendToQueue(song));
        m_engine.PlayCommand();
        m_renderClock.SleepMs(300);
        m_engine.DisplayTimerTick();
    }
    /// The loudest sample rendered from `fromMs` to `toMs` on the engine's clock.
    float Peak(qint64 fromMs, qint64 toMs) const {
        float peak = 0;
        for (const auto& [atMs, level] : m_levels) {
            if (atMs >= fromMs && atMs < toMs) {
                peak = std::max(peak, level);
            }
        }
        return peak;
    }
    QString SettingsFile() const { return m_session.paths.settingsFile; }

    QTemporaryDir m_home;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    CoreSession m_session;
    const bool m_ready = OpenProgramFolder();
    ManualClock m_clock;
    SharedPlaylists m_shared;
    Playlists m_playlists{m_session.catalogue, m_shared, m_clock};
    CatalogueGenres m_genres{m_session.catalogue};
    TagPolicy m_tags{m_session.library, m_genres};
    LoadRun m_loadRun{m_session.library, m_tags, m_clock};
    SongListController m_songList{m_session.library, m_playlists, m_clock};
    AlbumsController m_albums{m_session.library, m_songList};
    ArtistsController m_artists{m_session.library, m_songList, m_clock};
    GenresController m_genreList{m_session.library, m_songList, m_session.paths.genreFile};
    PlaylistsController m_playlistList{m_session.library, m_playlists, m_songList};
    BpmTapper m_tapper{m_clock};
    QueueController m_queue{m_session.library, m_playlists};
    OfflineOutput* m_output = new OfflineOutput(1);
    AudioLibrary m_audio{std::unique_ptr<AudioOutput>(m_output)};
    /// The loudest sample of each rendered block, by the clock's time at its end.
    std::vector<std::pair<qint64, float>> m_levels;
    RenderClock m_renderClock{*m_output, 1, [this](const float* samples, int frames) {
                                  float peak = 0;
                                  for (int i = 0; i < frames * 2; ++i) {
                                      peak = std::max(peak, std::fabs(samples[i]));
                                  }
                                  m_levels.emplace_back(m_renderClock.NowMs(), peak);
                              }};
    PlaybackEngine m_engine{m_audio, m_queue, m_session.settings, m_renderClock};
    PreviewController m_preview{m_engine};

    MainWindow m_window{m_session};
    SongsWindow m_songs{m_songList, m_session.catalogue};
    LoadWindow m_load{m_loadRun, m_session.settings};
    AboutWindow m_about{[this] { return m_session.catalogue.CatalogueVersion(); }};
    QueueWindow m_queueWindow{m_queue, m_engine, m_preview};
    NotepadWindow m_notepad{m_session.paths.programFolder, m_clock};
    DaysWindow m_days{m_session.catalogue};
    AlbumsWindow m_albumsWindow{m_albums};
    ArtistsWindow m_artistsWindow{m_artists};
    GenresWindow m_genresWindow{m_genreList};
    PlaylistsWindow m_playlistsWindow{m_playlistList};
    HealthCheckWindow m_check{m_session.library, m_tags};
    PreviewWindow m_previewWindow;
    BpmWindow m_bpm{m_tapper};
    Placements m_placements;
    ProgramShutdown m_shutdown{m_session, m_placements};

    QStringList m_managedIds;
    int m_leaves = 0;
    std::optional<bool> m_closed;

private:
    bool OpenProgramFolder() {
        m_session.paths = MakeProgramPaths(m_home.path());
        QDir().mkpath(m_session.paths.dataFolder);
        CreateCurrentCatalogue(m_session.paths.catalogueFile, "Quit test", test::CreationScript(),
                               test::UpgradeScript());
        m_session.catalogue.Open(m_session.paths.catalogueFile);
        LoadSettings(m_session);
        m_session.catalogue.ReadParams();
        m_session.catalogue.OpenTableCursors();
        m_session.library.artists.InitVariousArtist();
        m_session.catalogue.CommitAndContinue();
        return true;
    }
};

void OpenSongs(ProgramQuit& t) {
    ShowRestored(&t.m_songs);
}
void OpenLoad(ProgramQuit& t) {
    t.m_session.settings.LoadPath = t.m_home.path();
    t.m_load.ShowLoadWindow();
    // Only the window's close puts its folder back; the settings saved at the end must have it.
    t.m_session.settings.LoadPath = "/not/what/the/window/shows";
}
void CheckLoad(ProgramQuit& t) {
    const IniFile file(t.SettingsFile());
    EXPECT_EQ(file.ReadString("main", "LoadPath", {}), t.m_load.CurrentFolder());
    EXPECT_FALSE(t.m_load.CurrentFolder().isEmpty());
}
/// Files listed and "Load" pressed; the main window is closed from the run's first event pass, as
/// a user choosing "Exit" while the files load.
void OpenRunningLoad(ProgramQuit& t) {
    const QString music = t.m_home.filePath("music");
    QDir().mkpath(music);
    t.m_session.settings.Root = music + "/";
    for (const char* name : {"one.mp3", "two.mp3", "three.mp3"}) {
        ASSERT_TRUE(QFile::copy(QString(SW_SOURCE_DIR) + "/tests/fixtures/plain.mp3", music + "/" + name));
    }
    t.m_session.settings.LoadPath = music;
    t.m_load.ShowLoadWindow();
    t.m_load.Controller().ListFilesToLoad(music, false, false);
    ASSERT_TRUE(t.m_load.isVisible());
    ASSERT_EQ(t.m_load.Controller().ListedFiles().size(), 3);
    QTimer::singleShot(0, &t.m_window, [&t] { t.CloseMainWindow(); });
    // The run stops at once and finishes with the catalogue still open.
    EXPECT_NO_THROW(t.m_load.LoadListed());
    EXPECT_TRUE(t.m_closed.has_value()) << "the close never ran inside the load";
}
void CheckRunningLoad(ProgramQuit& t) {
    EXPECT_EQ(t.m_dialogs.TextsOf("ASK"), QStringList{"Load all files listed above  - OK ? -> Yes"});
    Catalogue reopened;
    reopened.Open(t.m_session.paths.catalogueFile);
    reopened.RunQuery("select count(*) as N from SONG");
    EXPECT_EQ(reopened.QueryInt("N"), 0);
}
void OpenAbout(ProgramQuit& t) {
    t.m_about.ShowAbout();
}
void OpenPlayingQueue(ProgramQuit& t) {
    t.m_queueWindow.ShowRestored();
    t.PlaySong();
    ASSERT_EQ(t.m_engine.State(), PlaybackState::Playing);
    t.m_levels.clear();
}
void CheckPlayingQueue(ProgramQuit& t) {
    EXPECT_EQ(t.m_dialogs.TextsOf("ASK"),
              QStringList{"Do you really want to quit program Sonwick3 while a song is playing? -> Yes"});
    // Faded, not broken off: loud as the close began, silent by the end of the fade.
    ASSERT_FALSE(t.m_levels.empty());
    const qint64 start = t.m_levels.front().first;
    EXPECT_GT(t.Peak(start, start + 50), 0.3f);
    EXPECT_LT(t.Peak(start + kFadeMs + 50, start + kFadeMs + 400), 0.01f);
}
void OpenPausedQueue(ProgramQuit& t) {
    t.m_queueWindow.ShowRestored();
    t.PlaySong();
    t.m_engine.TogglePause();
    ASSERT_EQ(t.m_engine.State(), PlaybackState::Paused);
    t.m_levels.clear();
}
void CheckPausedQueue(ProgramQuit& t) {
    // Nothing sounds, so nothing is asked and no fade is waited for.
    EXPECT_TRUE(t.m_dialogs.TextsOf("ASK").isEmpty());
    EXPECT_TRUE(t.m_levels.empty());
}
void OpenNotepad(ProgramQuit& t) {
    t.m_notepad.OpenFromMainMenu(false);
    t.m_notepad.TextArea()->insertPlainText(kTyped);
}
void CheckNotepad(ProgramQuit& t) {
    QFile text(t.m_session.paths.notepadFile);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_TRUE(text.readAll().contains(kTyped));
}
void OpenDays(ProgramQuit& t) {
    t.m_days.ShowDays();
}
void OpenAlbums(ProgramQuit& t) {
    t.m_albums.ShowAllAlbums();
}
void OpenArtists(ProgramQuit& t) {
    t.m_artists.ShowArtistsWindow();
}
void OpenGenres(ProgramQuit& t) {
    t.m_genreList.ShowGenresWindow();
}
void OpenPlaylists(ProgramQuit& t) {
    t.m_playlistList.ShowPlaylistsWindow();
}
void OpenHealthCheck(ProgramQuit& t) {
    t.m_check.OpenHealthCheck();
}
void OpenPreview(ProgramQuit& t) {
    t.m_previewWindow.ShowPreview();
}
void OpenBpm(ProgramQuit& t) {
    ShowRestored(&t.m_bpm);
}
void OpenEverything(ProgramQuit& t) {
    for (auto open : {OpenSongs, OpenLoad, OpenAbout, OpenNotepad, OpenDays, OpenAlbums, OpenArtists,
                      OpenGenres, OpenPlaylists, OpenHealthCheck, OpenPreview, OpenBpm, OpenPlayingQueue}) {
        open(t);
    }
}
void CheckEverything(ProgramQuit& t) {
    CheckLoad(t);
    CheckNotepad(t);
    CheckPlayingQueue(t);
}

TEST_P(ProgramQuit, ClosingTheMainWindowEndsTheProgramWhateverElseIsOpen) {
    const QuitCase& c = GetParam();
    ASSERT_TRUE(m_ready);
    if (*c.answer != '\0') {
        m_dialogs.QueueAnswer(c.answer);
    }
    c.open(*this);
    if (!m_closed) {
        ASSERT_GE(VisibleWindows().size(), 2) << "nothing opened besides the main window";
    }

    ASSERT_TRUE(CloseMainWindow());
    EXPECT_TRUE(m_shutdown.Ending());
    EXPECT_EQ(m_leaves, 1);
    EXPECT_EQ(VisibleWindows(), QStringList{}) << "still open: " << VisibleWindows().join(", ").toStdString();
    // The catalogue stays open for whatever the windows' close handlers and an unwinding run do.
    EXPECT_TRUE(m_session.catalogue.IsOpen());

    // What the program does once its event loop has returned.
    EXPECT_EQ(m_shutdown.EndProgram(), 0);
    EXPECT_EQ(m_engine.State(), PlaybackState::Stopped);
    EXPECT_FALSE(m_session.catalogue.IsOpen());
    Catalogue reopened;
    reopened.Open(m_session.paths.catalogueFile);
    reopened.ReadParams();
    EXPECT_EQ(reopened.CatalogueName(), kNewName);
    const IniFile settings(SettingsFile());
    EXPECT_TRUE(settings.HasKey("main", "FADETIME"));
    for (const QString& id : m_managedIds) {
        EXPECT_TRUE(settings.HasKey("forms", id + "-WIDTH")) << id.toStdString();
    }
    EXPECT_TRUE(m_dialogs.TextsOf("ERROR").isEmpty()) << m_dialogs.Transcript().join('\n').toStdString();
    if (c.check) {
        c.check(*this);
    }
    EXPECT_EQ(m_shutdown.EndProgram(), 0);
    EXPECT_EQ(m_leaves, 1);
}

INSTANTIATE_TEST_SUITE_P(
    EachWindow, ProgramQuit,
    ::testing::Values(QuitCase{"Songs", OpenSongs, {}}, QuitCase{"Load", OpenLoad, CheckLoad},
                      QuitCase{"LoadRunning", OpenRunningLoad, CheckRunningLoad},
                      QuitCase{"About", OpenAbout, {}},
                      QuitCase{"QueuePlaying", OpenPlayingQueue, CheckPlayingQueue, "Yes"},
                      QuitCase{"QueuePaused", OpenPausedQueue, CheckPausedQueue},
                      QuitCase{"Notepad", OpenNotepad, CheckNotepad}, QuitCase{"Days", OpenDays, {}},
                      QuitCase{"Albums", OpenAlbums, {}}, QuitCase{"Artists", OpenArtists, {}},
                      QuitCase{"Genres", OpenGenres, {}}, QuitCase{"Playlists", OpenPlaylists, {}},
                      QuitCase{"HealthCheck", OpenHealthCheck, {}}, QuitCase{"Preview", OpenPreview, {}},
                      QuitCase{"BeatsPerMinute", OpenBpm, {}},
                      QuitCase{"Everything", OpenEverything, CheckEverything, "Yes"}),
    [](const auto& param) { return std::string(param.param.name); });

using ProgramQuitRefused = ProgramQuit;

TEST_F(ProgramQuitRefused, WhileASongPlaysAnsweringNoLeavesEveryWindowAndTheCatalogueOpen) {
    ASSERT_TRUE(m_ready);
    OpenEverything(*this);
    m_dialogs.ClearTranscript();
    m_dialogs.QueueAnswer("No");
    const QStringList before = VisibleWindows();

    EXPECT_FALSE(CloseMainWindow());
    EXPECT_EQ(m_dialogs.TextsOf("ASK"),
              QStringList{"Do you really want to quit program Sonwick3 while a song is playing? -> No"});
    EXPECT_FALSE(m_shutdown.Ending());
    EXPECT_EQ(m_leaves, 0);
    EXPECT_EQ(VisibleWindows(), before);
    EXPECT_EQ(m_engine.State(), PlaybackState::Playing);
    EXPECT_TRUE(m_session.catalogue.IsOpen());
    EXPECT_FALSE(QFile::exists(SettingsFile()));
}

}  // namespace
}  // namespace sw
