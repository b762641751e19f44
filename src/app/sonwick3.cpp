// sonwick3: the jukebox. Wires the layers together in the fixed creation order.
#include <unistd.h>
#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QFileInfo>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/CoreSession.h"
#include "core/CreationOrder.h"
#include "core/InstanceLock.h"
#include "core/Paths.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "load/LoadRun.h"
#include "load/LoadWindow.h"
#include "load/SelectFolderDialog.h"
#include "load/TagReread.h"
#include "maintenance/HealthCheckWindow.h"
#include "playback/AlbumSummary.h"
#include "playback/audio/AudioOutputChoice.h"
#include "playback/BackgroundLoudness.h"
#include "playback/BpmTap.h"
#include "playback/BpmWindow.h"
#include "playback/MprisService.h"
#include "playback/PlaybackEngine.h"
#include "core/Playlists.h"
#include "playback/Preview.h"
#include "playback/PreviewWindow.h"
#include "playback/QueueController.h"
#include "playback/QueueKeeper.h"
#include "playback/QueueWindow.h"
#include "playback/RandomSelection.h"
#include "core/Ratings.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"
#include "windows/main/AboutWindow.h"
#include "windows/albums/AlbumDetailsController.h"
#include "windows/albums/AlbumDetailsWindow.h"
#include "windows/albums/AlbumsController.h"
#include "windows/albums/AlbumsWindow.h"
#include "windows/artists/ArtistDetailsController.h"
#include "windows/artists/ArtistDetailsWindow.h"
#include "windows/artists/ArtistsController.h"
#include "windows/artists/ArtistsWindow.h"
#include "windows/details/AssignController.h"
#include "windows/details/AssignWindow.h"
#include "windows/days/DaysWindow.h"
#include "windows/details/EditSongController.h"
#include "windows/details/EditSongWindow.h"
#include "windows/genres/GenresController.h"
#include "windows/genres/GenresWindow.h"
#include "windows/main/GuardedApplication.h"
#include "windows/main/MainWindow.h"
#include "windows/days/NotepadWindow.h"
#include "windows/main/Placements.h"
#include "windows/playlists/PlaylistsController.h"
#include "windows/playlists/PlaylistsWindow.h"
#include "windows/main/ProgramShutdown.h"
#include "windows/main/QtDialogs.h"
#include "windows/main/QuitOnSignal.h"
#include "windows/playlists/SearchController.h"
#include "windows/playlists/SearchDialog.h"
#include "windows/details/SongDetailsController.h"
#include "windows/details/SongDetailsWindow.h"
#include "windows/songs/SongListController.h"
#include "windows/songs/SongsWindow.h"
#include "windows/main/WindowHelpers.h"

namespace {

bool HasOption(int argc, char** argv, const char* name) {
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, length) == 0 && (argv[i][length] == '\0' || argv[i][length] == '=')) {
            return true;
        }
    }
    return false;
}

bool DisplayAvailable() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    // Unattended runs and the help text need no display: Qt's offscreen platform serves them.
    if (!DisplayAvailable() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        if (HasOption(argc, argv, "--unattended") || HasOption(argc, argv, "--help") ||
            HasOption(argc, argv, "-h") || HasOption(argc, argv, "--version")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        } else {
            std::fputs("sonwick3: no display available; use --unattended to run without one\n", stderr);
            return 2;
        }
    }
    sw::GuardedApplication app(argc, argv);
    QCoreApplication::setApplicationName(sw::kApplicationTitle);
    QCoreApplication::setApplicationVersion(QString::number(PROJECT_VERSION_MAJOR) + "." +
                                            QString::number(PROJECT_VERSION_MINOR));
    QGuiApplication::setDesktopFileName("sonwick3");
    QApplication::setWindowIcon(sw::ProgramIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription("Sonwick3, a personal audio jukebox.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption homeOption("home", "Use DIR as the program folder (data in DIR/SW3DATA).",
                                        "DIR");
    const QCommandLineOption unattendedOption(
        "unattended",
        "Print each message, question and flash as one line on standard output instead of showing it. "
        "--unattended=FILE answers the questions from FILE, one answer per line; without FILE (or when it "
        "runs "
        "out) the defaults answer: Yes, OK, the first option, input kept. Runs without a display.");
    const QCommandLineOption quitOption("quit",
                                        "Run the whole start-up, show the main window once, then close it.");
    const QCommandLineOption traceOption("trace", "Show each start-up step.");
    const QCommandLineOption audioOption(
        "audio", "The sound outputs: sdl (the sound cards) or null (no sound card, in real time).", "OUTPUT");
    parser.addOptions({homeOption, unattendedOption, quitOption, traceOption, audioOption});
    parser.addPositionalArgument(
        "FILE", "Songs of the catalogue to put into the now-playing queue at start-up.", "[FILE...]");
    // "--unattended=FILE" carries an optional value, which QCommandLineParser cannot express.
    QStringList arguments = QCoreApplication::arguments();
    QString answersFile;
    bool unattended = false;
    for (QString& argument : arguments) {
        if (argument.startsWith("--unattended=")) {
            answersFile = argument.mid(static_cast<int>(std::strlen("--unattended=")));
            argument = "--unattended";
        }
    }
    parser.process(arguments);
    unattended = parser.isSet(unattendedOption);

    QTextStream out(stdout);
    sw::ScriptedDialogs scripted(&out);
    sw::QtDialogs desktop(sw::kApplicationTitle);
    sw::Dialogs& dialogs = unattended ? static_cast<sw::Dialogs&>(scripted) : desktop;
    sw::InstallDialogs(&dialogs);

    try {
        if (!answersFile.isEmpty()) {
            scripted.QueueAnswersFromFile(answersFile);
        }
        sw::SetProgramFolder(sw::CurrentFolderSources(parser.value(homeOption)));
        sw::ChooseAudioOutput(parser.value(audioOption), qEnvironmentVariable("SONWICK3_AUDIO"));
    } catch (...) {
        sw::ShowCurrentException();
        return 1;
    }

    sw::SetStartupTrace(parser.isSet(traceOption));

    sw::CoreSession session;
    session.paths = sw::Paths();
    sw::Placements placements;
    std::unique_ptr<sw::MainWindow> mainWindow;
    sw::CatalogueGenres genres(session.catalogue);
    sw::TagPolicy tagPolicy(session.library, genres);
    session.library.tagWriter = &tagPolicy;
    sw::LoadRun loadRun(session.library, tagPolicy);
    std::unique_ptr<sw::LoadWindow> loadWindow;
    std::unique_ptr<sw::HealthCheckWindow> healthCheckWindow;
    std::unique_ptr<sw::DaysWindow> daysWindow;
    std::unique_ptr<sw::NotepadWindow> notepadWindow;
    std::unique_ptr<sw::AboutWindow> aboutWindow;
    // The audio engine lives from the now-playing window's creation to the end; the windows that
    // use it go first.
    sw::BpmTapper bpmTapper(sw::RealClock());
    std::unique_ptr<sw::BpmWindow> bpmWindow;
    std::unique_ptr<sw::PreviewWindow> previewWindow;
    std::unique_ptr<sw::AudioLibrary> audio;
    // The target and queue-source playlists that the queue and the library windows share.
    sw::SharedPlaylists sharedPlaylists;
    sw::Playlists playlists(session.catalogue, sharedPlaylists);
    // The main menu's random entries refill playlist 0; the songs window shows it.
    sw::RandomSelection randomSelection(session.catalogue, session.library.songs, playlists);
    sw::QueueController queue(session.library, playlists);
    // The songs window, the program's general song list; its album lists run the album check.
    sw::Ratings ratings(session.library);
    sw::AlbumSummary albumSummary(session.library, ratings);
    sw::SongListController songList(session.library, playlists, sw::RealClock());
    std::unique_ptr<sw::SongsWindow> songsWindow;
    // The windows for one song and for many.
    sw::SongDetailsController songDetails(session.library, tagPolicy, playlists, ratings);
    std::unique_ptr<sw::SongDetailsWindow> songDetailsWindow;
    sw::EditSongController editSong(session.library, tagPolicy);
    std::unique_ptr<sw::EditSongWindow> editSongWindow;
    sw::AssignController assignDetails(session.library, tagPolicy);
    std::unique_ptr<sw::AssignWindow> assignWindow;
    // The genres window, also the genre picker of the edit, assign and album windows.
    sw::GenresController genreList(session.library, songList, session.paths.genreFile);
    std::unique_ptr<sw::GenresWindow> genresWindow;
    // The playlists window, also the playlist picker; the search window of the songs window.
    sw::PlaylistsController playlistList(session.library, playlists, songList);
    std::unique_ptr<sw::PlaylistsWindow> playlistsWindow;
    sw::SearchController search;
    std::unique_ptr<sw::SearchDialog> searchDialog;
    // The albums and album groups window with the album details window.
    sw::AlbumsController albumList(session.library, songList);
    std::unique_ptr<sw::AlbumsWindow> albumsWindow;
    sw::AlbumDetailsController albumDetails(session.library, ratings, albumList);
    std::unique_ptr<sw::AlbumDetailsWindow> albumDetailsWindow;
    const auto showAlbumDetails = [&](int albumId) { albumDetails.ShowAlbumDetails(albumId); };
    // The artists window with the artist details window.
    sw::ArtistsController artistList(session.library, songList, sw::RealClock());
    std::unique_ptr<sw::ArtistsWindow> artistsWindow;
    sw::ArtistDetailsController artistDetails(session.library);
    std::unique_ptr<sw::ArtistDetailsWindow> artistDetailsWindow;
    const auto showArtistDetails = [&](int artistId) { artistDetails.ShowArtistDetails(artistId); };
    const auto pickGenre = [&](int& id, QString& name) { return genreList.PickGenre(id, name); };
    std::unique_ptr<sw::PlaybackEngine> engine;
    std::unique_ptr<sw::PreviewController> preview;
    std::unique_ptr<sw::QueueWindow> queueWindow;
    // The desktop's media controls reach the engine through it; it goes before the engine.
    std::unique_ptr<sw::MprisService> mediaControl;

    using sw::StartupWindow;
    sw::CreationSteps steps;
    steps[StartupWindow::MainWindow] = [&] {
        if (sw::AcquireInstanceLock(session.paths.lockFile, sw::kApplicationTitle)) {
            return false;
        }
        mainWindow = std::make_unique<sw::MainWindow>(session);
        session.display = mainWindow.get();
        placements.Register("fctrl2", mainWindow.get());
        sw::MainMenuHooks& hooks = mainWindow->Hooks();
        hooks.selectFolder = [&](QString& folder) { return sw::SelectFolder(folder, {}, mainWindow.get()); };
        hooks.arrangeWindows = [&] {
            sw::ArrangeWindows(placements, mainWindow->screen()->availableGeometry());
        };
        hooks.closeManagedWindows = [&] { placements.CloseManagedWindows(); };
        hooks.pickRandomSongs = [&](int count, int filter) {
            return randomSelection.PickRandomSongs(count, filter);
        };
        return true;
    };
    steps[StartupWindow::Days] = [&] {
        daysWindow = std::make_unique<sw::DaysWindow>(session.catalogue);
        placements.Register("Fdays", daysWindow.get());
        mainWindow->Hooks().showPlayHistory = [&] { daysWindow->ShowDays(); };
        return true;
    };
    steps[StartupWindow::About] = [&] {
        aboutWindow = std::make_unique<sw::AboutWindow>([&] { return session.catalogue.CatalogueVersion(); });
        mainWindow->Hooks().showAbout = [&] { aboutWindow->ShowAbout(); };
        return true;
    };
    steps[StartupWindow::SongDetails] = [&] {
        songDetailsWindow = std::make_unique<sw::SongDetailsWindow>(songDetails);
        placements.Register("fsongdets", songDetailsWindow.get());
        return true;
    };
    steps[StartupWindow::Notepad] = [&] {
        notepadWindow = std::make_unique<sw::NotepadWindow>(session.paths.programFolder);
        placements.Register("Fnotepad", notepadWindow.get());
        mainWindow->Hooks().openNotepad = [&](bool readOnly) { notepadWindow->OpenFromMainMenu(readOnly); };
        notepadWindow->Create();
        return true;
    };
    if (!unattended) {
        steps[StartupWindow::Choice] = [&] { return desktop.CreateChoiceWindow(), true; };
        steps[StartupWindow::Flash] = [&] { return desktop.CreateFlashWindow(), true; };
        steps[StartupWindow::InputText] = [&] { return desktop.CreateInputWindow(), true; };
    }
    steps[StartupWindow::Songs] = [&] {
        songList.SetAlbumSummary(&albumSummary);
        songsWindow = std::make_unique<sw::SongsWindow>(songList, session.catalogue);
        placements.Register("FSongs", songsWindow.get());
        loadRun.SetShowLastRun([&] { songList.ShowLastLoaded(); });
        if (daysWindow) {
            daysWindow->SetListDaySongs([&](int day) { songList.ShowHistoryDay(day); });
        }
        sw::MainMenuHooks& hooks = mainWindow->Hooks();
        hooks.showSongs = [&] { sw::ShowRestored(songsWindow.get()); };
        hooks.showLastLoaded = [&] { songList.ShowLastLoaded(); };
        hooks.showRecentSongs = [&] { songList.ShowRecentSongs(); };
        hooks.showSingles = [&] { songList.ShowSingles(); };
        hooks.showPlaylistSongs = [&](int playlistId) { songList.ShowPlaylistSongs(playlistId); };
        return true;
    };
    steps[StartupWindow::Load] = [&] {
        loadWindow = std::make_unique<sw::LoadWindow>(loadRun, session.settings);
        placements.Register("fload", loadWindow.get());
        mainWindow->Hooks().showLoadWindow = [&] { loadWindow->ShowLoadWindow(); };
        mainWindow->Hooks().rereadTags = [&](const sw::TagRereadRequest& request,
                                             const sw::TagRereadProgress& progress) {
            return sw::TagReread(session.library, tagPolicy, loadRun).Run(request, progress);
        };
        return true;
    };
    steps[StartupWindow::EditSongDetails] = [&] {
        editSong.SetGenrePicker(pickGenre);
        editSong.SetCloseGenresWindow([&] { genreList.CloseGenresWindow(); });
        editSongWindow = std::make_unique<sw::EditSongWindow>(editSong);
        placements.Register("ftag2", editSongWindow.get());
        return true;
    };
    steps[StartupWindow::Catalogue] = [&] { return sw::CreateCatalogueStep(session), true; };
    steps[StartupWindow::AssignDetails] = [&] {
        assignDetails.SetGenrePicker(pickGenre);
        assignDetails.SetCloseGenresWindow([&] { genreList.CloseGenresWindow(); });
        assignWindow = std::make_unique<sw::AssignWindow>(assignDetails);
        placements.Register("falbum", assignWindow.get());
        // The songs window's and the queue's items that open the windows for one song and for many.
        const auto edit = [&](sw::TSong& song) { return editSongWindow->EditSongDetails(song); };
        const auto view = [&](int songNum) {
            songDetails.ShowSongDetails(songNum);
            // The window stays open beside the list; what it changes is seen on the next refresh.
            return false;
        };
        songList.Hooks().viewSong = view;
        songList.Hooks().editSong = edit;
        songList.Hooks().playlistsHolding = [&](int songNum) { songDetails.ShowSongPlaylists(songNum); };
        songList.Hooks().assignDetails = [&](const std::vector<int>& songNums) {
            sw::TSong current;
            session.library.songs.FindSongByNumber(songList.CurrentSongNum(), current);
            return assignDetails.AssignDetailsToSongs(songNums, current.FileType);
        };
        sw::QueueController::SongWindows queueWindows;
        queueWindows.viewSong = view;
        queueWindows.editSong = edit;
        queueWindows.moreSongs = [&](int songNum, int kind) {
            songList.ShowSongsLike(songNum, static_cast<sw::SongsLike>(kind));
        };
        queueWindows.playlistsHolding = [&](int songNum) { songDetails.ShowSongPlaylists(songNum); };
        queueWindows.viewPlaylist = [&](int playlistId) { songList.ShowPlaylistSongs(playlistId); };
        queueWindows.selectPlaylist = [&] { return playlistList.SelectTargetPlaylist(); };
        queueWindows.albumDetails = showAlbumDetails;
        queue.SetSongWindows(queueWindows);
        sw::SongDetailsHooks& hooks = songDetails.Hooks();
        hooks.editSong = edit;
        hooks.listSongsLike = [&](int songNum, sw::SongsLike kind) { songList.ShowSongsLike(songNum, kind); };
        hooks.listFileName = [&](const QString& fileName) { songList.ShowFileNameSongs(fileName); };
        hooks.viewPlaylist = [&](int playlistId, int seq) { songList.ShowPlaylistAtSeq(playlistId, seq); };
        hooks.listDay = [&](int day) { songList.ShowHistoryDay(day); };
        songDetailsWindow->HooksChanged();
        return true;
    };
    steps[StartupWindow::Genres] = [&] {
        genresWindow = std::make_unique<sw::GenresWindow>(genreList);
        placements.Register("FGenres", genresWindow.get());
        mainWindow->Hooks().showGenres = [&] { genreList.ShowGenresWindow(); };
        songDetails.Hooks().genreDetails = [&](int genreId) { genreList.EditGenre(genreId); };
        return true;
    };
    steps[StartupWindow::AlbumDetails] = [&] {
        albumDetailsWindow = std::make_unique<sw::AlbumDetailsWindow>(albumDetails);
        placements.Register("FAlDets", albumDetailsWindow.get());
        return true;
    };
    steps[StartupWindow::ArtistDetails] = [&] {
        artistDetailsWindow = std::make_unique<sw::ArtistDetailsWindow>(artistDetails);
        // A renamed or merged artist is shown under its new name in the open lists.
        artistDetails.SetRenamed([&](int) {
            if (artistList.ListOpen()) {
                artistList.Refresh();
            }
        });
        songDetails.Hooks().artistDetails = showArtistDetails;
        return true;
    };
    steps[StartupWindow::Artists] = [&] {
        artistsWindow = std::make_unique<sw::ArtistsWindow>(artistList);
        placements.Register("fartists", artistsWindow.get());
        artistList.Hooks().artistDetails = showArtistDetails;
        mainWindow->Hooks().showArtists = [&] { artistList.ShowArtistsWindow(); };
        return true;
    };
    steps[StartupWindow::Albums] = [&] {
        albumsWindow = std::make_unique<sw::AlbumsWindow>(albumList);
        placements.Register("FAlbums", albumsWindow.get());
        albumList.Hooks().pickGenre = pickGenre;
        albumList.Hooks().artistDetails = showArtistDetails;
        sw::MainMenuHooks& hooks = mainWindow->Hooks();
        hooks.showAllAlbums = [&] { albumList.ShowAllAlbums(); };
        hooks.showAlbumGroups = [&] { albumList.ShowAlbumGroups(); };
        songList.Hooks().albumDetails = showAlbumDetails;
        songList.Hooks().albumGroup = [&](int groupId) { albumList.ShowAlbumGroup(groupId); };
        songDetails.Hooks().albumDetails = showAlbumDetails;
        return true;
    };
    steps[StartupWindow::Playlists] = [&] {
        playlistsWindow = std::make_unique<sw::PlaylistsWindow>(playlistList);
        placements.Register("FPlists", playlistsWindow.get());
        mainWindow->Hooks().showPlaylists = [&] { playlistList.ShowPlaylistsWindow(); };
        const auto selectPlaylist = [&] { return playlistList.SelectTargetPlaylist(); };
        songList.Hooks().selectPlaylist = selectPlaylist;
        songDetails.Hooks().selectPlaylist = selectPlaylist;
        return true;
    };
    steps[StartupWindow::Search] = [&] {
        search.SetLibrary(&session.library);
        searchDialog = std::make_unique<sw::SearchDialog>(search);
        songList.Hooks().searchWindow = [&](sw::SearchOptions& options, QString& text) {
            return search.AskSearch(options, text);
        };
        mainWindow->Hooks().search = [&] {
            sw::PresetSearchAnywhere(songList.Search());
            songList.SearchSongs();
        };
        return true;
    };
    steps[StartupWindow::DatabaseCheck] = [&] {
        healthCheckWindow = std::make_unique<sw::HealthCheckWindow>(session.library, tagPolicy);
        placements.Register("fdbchk", healthCheckWindow.get());
        sw::MainMenuHooks& hooks = mainWindow->Hooks();
        hooks.openHealthCheck = [&] { healthCheckWindow->OpenHealthCheck(); };
        hooks.showStatistics = [&] { return healthCheckWindow->ShowStatistics(); };
        return true;
    };
    steps[StartupWindow::BeatsPerMinute] = [&] {
        return bpmWindow = std::make_unique<sw::BpmWindow>(bpmTapper), true;
    };
    steps[StartupWindow::Preview] = [&] {
        return previewWindow = std::make_unique<sw::PreviewWindow>(), true;
    };
    steps[StartupWindow::NowPlaying] = [&] {
        audio = std::make_unique<sw::AudioLibrary>(sw::MakeAudioOutputForOption(parser.value(audioOption)));
        engine = std::make_unique<sw::PlaybackEngine>(*audio, queue, session.settings, sw::RealClock());
        engine->SetCatalogue(&session.catalogue);
        engine->SetTagPolicy(&tagPolicy);
        preview = std::make_unique<sw::PreviewController>(*engine);
        queueWindow = std::make_unique<sw::QueueWindow>(queue, *engine, *preview);
        placements.Register("FBassint", queueWindow.get());
        placements.SetPlayingQuery([&] { return engine->State() == sw::PlaybackState::Playing; });
        // Quitting asks first while a song plays or the next is about to start.
        session.songPlaying = [&] {
            const sw::PlaybackState state = engine->State();
            return state == sw::PlaybackState::Playing || state == sw::PlaybackState::Ended;
        };
        if (previewWindow) {
            previewWindow->SetPreview(preview.get());
            queueWindow->SetPreviewWindow(previewWindow.get());
            preview->SetShowWindow([&] { previewWindow->ShowPreview(); });
        }
        queueWindow->SetBpmWindow(bpmWindow.get());
        songList.SetQueue(&queue, engine.get());
        songList.SetDurationMeasure([&](const QString& path) { return engine->MeasureFileSeconds(path); });
        songList.Hooks().preview = [&](const sw::TSong& song) { preview->PreviewSong(song); };
        songList.Hooks().showQueue = [&] { queueWindow->ShowRestored(); };
        // The main window's play buttons act on the queue and show what its own buttons show.
        mainWindow->SetPlayButtonActions(
            [&] {
                queueWindow->ShowRestored();
                engine->PlayCommand();
            },
            [&](bool down) { engine->PressPause(down); }, [&] { engine->StopCommand(); },
            [&] { queueWindow->ShowRestored(); });
        queueWindow->SetTransportFollower([&](const sw::TransportView& t) {
            mainWindow->ShowPlayButtons(t.playEnabled, t.pauseEnabled, t.pauseDown, t.stopEnabled);
        });
        queueWindow->SetSongAppendedAction(
            [&] { mainWindow->SetPlayButtonsColour(QColor::fromRgb(sw::kQueuePanelRgb)); });
        sw::MainMenuHooks& hooks = mainWindow->Hooks();
        hooks.showNowPlaying = [&] { queueWindow->ShowRestored(); };
        hooks.masterDeviceName = [&] { return engine->MasterDeviceName(); };
        hooks.reseekDevices = [&] { engine->ReseekDevices(); };
        engine->InitAudio(true);
        mainWindow->AttachNowPlaying(*engine);

        mediaControl =
            std::make_unique<sw::MprisService>(*engine, session.settings, QDBusConnection::sessionBus());
        // Quitting runs after the bus has had its answer: the close request may ask first.
        mediaControl->SetWindowActions([&] { sw::ShowRestored(mainWindow.get()); },
                                       [&] { QTimer::singleShot(0, mainWindow.get(), &QWidget::close); });
        if (mediaControl->Enabled()) {
            mediaControl->Start();
        }
        hooks.optionSwitched = [&](bool sw::Settings::*setting, bool on) {
            if (setting == &sw::Settings::DesktopMediaControl) {
                mediaControl->SetEnabled(on);
            }
        };
        return true;
    };

    if (!sw::RunCreationOrder(steps)) {
        return 0;
    }
    mainWindow->EnableReachableEntries();

    // Songs without a loudness row are measured in the background: those a load run adds, and
    // those still missing at start-up while levelling is on. The load window shows how far it got.
    std::unique_ptr<sw::BackgroundLoudness> loudness;
    if (session.catalogue.IsOpen()) {
        loudness = std::make_unique<sw::BackgroundLoudness>(session.catalogue, session.settings,
                                                            sw::PostToEventLoop);
        if (loadWindow) {
            sw::LoadController* load = &loadWindow->Controller();
            load->SetLoadRunWatcher([&](bool running) { loudness->LoadRunChanged(running); });
            loudness->Worker().SetListener([load](const QString& text) { load->SetBackgroundStatus(text); });
        }
    }
    // Before the catalogue closes, on both ways down; a long file does not hold up the end.
    const auto stopMeasuring = [&] {
        if (loudness) {
            try {
                loudness->Stop();
            } catch (...) {
                sw::ShowCurrentException();
            }
        }
    };

    // The now-playing window, once built, sets session.songPlaying; the close request asks then.
    // Its acceptance alone ends the program, whatever other windows are open.
    sw::ProgramShutdown shutdown(session, placements);
    shutdown.AttachTo(*mainWindow);
    shutdown.SetLeaveEventLoop([] { QCoreApplication::exit(0); });
    shutdown.SetPlayback(engine.get(), preview.get());
    // Asked to stop by the system: the same shutdown, without the questions; a second signal ends
    // the program at once.
    sw::QuitOnSignal quitOnSignal([&] {
        QTextStream err(stderr);
        {
            sw::ScriptedDialogs report(&err);
            sw::ScopedDialogs installed(report);
            stopMeasuring();
        }
        bool notepadSaved = true;
        if (notepadWindow) {
            sw::ScriptedDialogs report(&err);
            sw::ScopedDialogs installed(report);
            notepadSaved = notepadWindow->ProgramEnding();
        }
        const int status = std::max(shutdown.StopRequested(err), notepadSaved ? 0 : 1);
        err.flush();
        // Everything is committed and saved, or reported; the process ends without the engine's detach.
        std::fflush(nullptr);
        ::_exit(status);
    });

    mainWindow->SetFirstShowAction([&] {
        if (session.healthCheckOnShow) {
            session.healthCheckOnShow = false;
            if (healthCheckWindow) {
                healthCheckWindow->OpenHealthCheck();
            } else {
                sw::OpenHealthCheck(session);
            }
            mainWindow->ShowCatalogueVersion();
        }
    });

    // The queue of the last run comes back; the songs named on the command line join it.
    std::unique_ptr<sw::QueueKeeper> queueKeeper;
    if (session.catalogue.IsOpen() && engine) {
        queueKeeper = std::make_unique<sw::QueueKeeper>(queue, session.paths.dataFolder + "QUEUE.TXT",
                                                        sw::RealClock());
        queueKeeper->SetEngine(engine.get());
        queueKeeper->RestoreQueue();
        shutdown.SetQueueKeeper(queueKeeper.get());
    }
    // Songs named on the command line wait in the queue, the cursor on the first.
    if (session.catalogue.IsOpen() && !parser.positionalArguments().isEmpty()) {
        int first = 0;
        for (const QString& file : parser.positionalArguments()) {
            const int number = session.library.songs.SongNumForFile(QFileInfo(file).absoluteFilePath());
            const int row = number > 0 ? queue.AppendToQueue(number) : -1;
            if (row < 0) {
                sw::ShowInfo("Not a song of the catalogue: " + file);
            } else if (first == 0) {
                first = row;
            }
        }
        if (first > 0) {
            queue.SetCursor(first);
        }
    }

    sw::TraceStep("get_ini2");
    // A settings file that could not be read has been reported once already.
    if (!session.settingsUnreadable) {
        try {
            placements.RestorePlacements(session.paths.settingsFile);
        } catch (...) {
            sw::ShowCurrentException();
        }
    }
    sw::TraceStep("run");
    mainWindow->show();
    // The song that was playing is offered once the main window is there; songs named on the
    // command line are what the user asked for instead.
    if (queueKeeper && parser.positionalArguments().isEmpty()) {
        QTimer::singleShot(0, mainWindow.get(), [&] { queueKeeper->OfferResume(); });
    }
    if (loudness) {
        QTimer::singleShot(0, mainWindow.get(), [&] { loudness->QueueAtStart(); });
    }
    if (parser.isSet(quitOption)) {
        QTimer::singleShot(0, mainWindow.get(), &QWidget::close);
    }
    app.exec();
    stopMeasuring();
    const int status = shutdown.EndProgram();
    if (notepadWindow) {
        notepadWindow->ProgramEnding();
    }
    return status;
}
