// The jukebox's windows and controllers, and the creation steps that build and wire them.
#include "SonwickWindows.h"

#include <QDBusConnection>
#include <QScreen>
#include <QTimer>

#include "core/InstanceLock.h"
#include "load/LoadWindow.h"
#include "load/SelectFolderDialog.h"
#include "load/TagReread.h"
#include "maintenance/HealthCheckWindow.h"
#include "playback/BpmWindow.h"
#include "playback/MprisService.h"
#include "playback/PlaybackEngine.h"
#include "playback/Preview.h"
#include "playback/PreviewWindow.h"
#include "playback/QueueWindow.h"
#include "playback/audio/AudioOutputChoice.h"
#include "windows/albums/AlbumDetailsWindow.h"
#include "windows/albums/AlbumsWindow.h"
#include "windows/artists/ArtistDetailsWindow.h"
#include "windows/artists/ArtistsWindow.h"
#include "windows/days/DaysWindow.h"
#include "windows/days/NotepadWindow.h"
#include "windows/details/AssignWindow.h"
#include "windows/details/EditSongWindow.h"
#include "windows/details/SongDetailsWindow.h"
#include "windows/genres/GenresWindow.h"
#include "windows/main/AboutWindow.h"
#include "windows/main/MainWindow.h"
#include "windows/main/WindowHelpers.h"
#include "windows/playlists/PlaylistsWindow.h"
#include "windows/playlists/SearchDialog.h"
#include "windows/songs/SongsWindow.h"

namespace sw {

SonwickWindows::SonwickWindows(CoreSession& coreSession) : session(coreSession) {
    session.library.tagWriter = &tagPolicy;
}

SonwickWindows::~SonwickWindows() = default;

void SonwickWindows::AddCreationSteps(CreationSteps& steps, QString audioChoice) {
    steps[StartupWindow::MainWindow] = [&] {
        if (AcquireInstanceLock(session.paths.lockFile, kApplicationTitle)) {
            return false;
        }
        mainWindow = std::make_unique<MainWindow>(session);
        session.display = mainWindow.get();
        placements.Register("fctrl2", mainWindow.get());
        MainMenuHooks& hooks = mainWindow->Hooks();
        hooks.selectFolder = [&](QString& folder) { return SelectFolder(folder, {}, mainWindow.get()); };
        hooks.arrangeWindows = [&] { ArrangeWindows(placements, mainWindow->screen()->availableGeometry()); };
        hooks.closeManagedWindows = [&] { placements.CloseManagedWindows(); };
        hooks.pickRandomSongs = [&](int count, int filter) {
            return randomSelection.PickRandomSongs(count, filter);
        };
        return true;
    };
    steps[StartupWindow::Days] = [&] {
        daysWindow = std::make_unique<DaysWindow>(session.catalogue);
        placements.Register("Fdays", daysWindow.get());
        mainWindow->Hooks().showPlayHistory = [&] { daysWindow->ShowDays(); };
        return true;
    };
    steps[StartupWindow::About] = [&] {
        aboutWindow = std::make_unique<AboutWindow>([&] { return session.catalogue.CatalogueVersion(); });
        mainWindow->Hooks().showAbout = [&] { aboutWindow->ShowAbout(); };
        return true;
    };
    steps[StartupWindow::SongDetails] = [&] {
        songDetailsWindow = std::make_unique<SongDetailsWindow>(songDetails);
        placements.Register("fsongdets", songDetailsWindow.get());
        return true;
    };
    steps[StartupWindow::Notepad] = [&] {
        notepadWindow = std::make_unique<NotepadWindow>(session.paths.programFolder);
        placements.Register("Fnotepad", notepadWindow.get());
        mainWindow->Hooks().openNotepad = [&](bool readOnly) { notepadWindow->OpenFromMainMenu(readOnly); };
        notepadWindow->Create();
        return true;
    };
    steps[StartupWindow::Songs] = [&] {
        songList.SetAlbumSummary(&albumSummary);
        songsWindow = std::make_unique<SongsWindow>(songList, session.catalogue);
        placements.Register("FSongs", songsWindow.get());
        loadRun.SetShowLastRun([&] { songList.ShowLastLoaded(); });
        if (daysWindow) {
            daysWindow->SetListDaySongs([&](int day) { songList.ShowHistoryDay(day); });
        }
        MainMenuHooks& hooks = mainWindow->Hooks();
        hooks.showSongs = [&] { ShowRestored(songsWindow.get()); };
        hooks.showLastLoaded = [&] { songList.ShowLastLoaded(); };
        hooks.showRecentSongs = [&] { songList.ShowRecentSongs(); };
        hooks.showSingles = [&] { songList.ShowSingles(); };
        hooks.showPlaylistSongs = [&](int playlistId) { songList.ShowPlaylistSongs(playlistId); };
        return true;
    };
    steps[StartupWindow::Load] = [&] {
        loadWindow = std::make_unique<LoadWindow>(loadRun, session.settings);
        placements.Register("fload", loadWindow.get());
        mainWindow->Hooks().showLoadWindow = [&] { loadWindow->ShowLoadWindow(); };
        mainWindow->Hooks().rereadTags = [&](const TagRereadRequest& request,
                                             const TagRereadProgress& progress) {
            return TagReread(session.library, tagPolicy, loadRun).Run(request, progress);
        };
        return true;
    };
    steps[StartupWindow::EditSongDetails] = [&] {
        editSong.SetGenrePicker(pickGenre);
        editSong.SetCloseGenresWindow([&] { genreList.CloseGenresWindow(); });
        editSongWindow = std::make_unique<EditSongWindow>(editSong);
        placements.Register("ftag2", editSongWindow.get());
        return true;
    };
    steps[StartupWindow::Catalogue] = [&] { return CreateCatalogueStep(session), true; };
    steps[StartupWindow::AssignDetails] = [&] {
        assignDetails.SetGenrePicker(pickGenre);
        assignDetails.SetCloseGenresWindow([&] { genreList.CloseGenresWindow(); });
        assignWindow = std::make_unique<AssignWindow>(assignDetails);
        placements.Register("falbum", assignWindow.get());
        // The songs window's and the queue's items that open the windows for one song and for many.
        const auto edit = [&](TSong& song) { return editSongWindow->EditSongDetails(song); };
        const auto view = [&](int songNum) {
            songDetails.ShowSongDetails(songNum);
            // The window stays open beside the list; what it changes is seen on the next refresh.
            return false;
        };
        songList.Hooks().viewSong = view;
        songList.Hooks().editSong = edit;
        songList.Hooks().playlistsHolding = [&](int songNum) { songDetails.ShowSongPlaylists(songNum); };
        songList.Hooks().assignDetails = [&](const std::vector<int>& songNums) {
            TSong current;
            session.library.songs.FindSongByNumber(songList.CurrentSongNum(), current);
            return assignDetails.AssignDetailsToSongs(songNums, current.FileType);
        };
        QueueController::SongWindows queueWindows;
        queueWindows.viewSong = view;
        queueWindows.editSong = edit;
        queueWindows.moreSongs = [&](int songNum, int kind) {
            songList.ShowSongsLike(songNum, static_cast<SongsLike>(kind));
        };
        queueWindows.playlistsHolding = [&](int songNum) { songDetails.ShowSongPlaylists(songNum); };
        queueWindows.viewPlaylist = [&](int playlistId) { songList.ShowPlaylistSongs(playlistId); };
        queueWindows.selectPlaylist = [&] { return playlistList.SelectTargetPlaylist(); };
        queueWindows.albumDetails = showAlbumDetails;
        queue.SetSongWindows(queueWindows);
        SongDetailsHooks& hooks = songDetails.Hooks();
        hooks.editSong = edit;
        hooks.listSongsLike = [&](int songNum, SongsLike kind) { songList.ShowSongsLike(songNum, kind); };
        hooks.listFileName = [&](const QString& fileName) { songList.ShowFileNameSongs(fileName); };
        hooks.viewPlaylist = [&](int playlistId, int seq) { songList.ShowPlaylistAtSeq(playlistId, seq); };
        hooks.listDay = [&](int day) { songList.ShowHistoryDay(day); };
        songDetailsWindow->HooksChanged();
        return true;
    };
    steps[StartupWindow::Genres] = [&] {
        genresWindow = std::make_unique<GenresWindow>(genreList);
        placements.Register("FGenres", genresWindow.get());
        mainWindow->Hooks().showGenres = [&] { genreList.ShowGenresWindow(); };
        songDetails.Hooks().genreDetails = [&](int genreId) { genreList.EditGenre(genreId); };
        return true;
    };
    steps[StartupWindow::AlbumDetails] = [&] {
        albumDetailsWindow = std::make_unique<AlbumDetailsWindow>(albumDetails);
        placements.Register("FAlDets", albumDetailsWindow.get());
        return true;
    };
    steps[StartupWindow::ArtistDetails] = [&] {
        artistDetailsWindow = std::make_unique<ArtistDetailsWindow>(artistDetails);
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
        artistsWindow = std::make_unique<ArtistsWindow>(artistList);
        placements.Register("fartists", artistsWindow.get());
        artistList.Hooks().artistDetails = showArtistDetails;
        mainWindow->Hooks().showArtists = [&] { artistList.ShowArtistsWindow(); };
        return true;
    };
    steps[StartupWindow::Albums] = [&] {
        albumsWindow = std::make_unique<AlbumsWindow>(albumList);
        placements.Register("FAlbums", albumsWindow.get());
        albumList.Hooks().pickGenre = pickGenre;
        albumList.Hooks().artistDetails = showArtistDetails;
        MainMenuHooks& hooks = mainWindow->Hooks();
        hooks.showAllAlbums = [&] { albumList.ShowAllAlbums(); };
        hooks.showAlbumGroups = [&] { albumList.ShowAlbumGroups(); };
        songList.Hooks().albumDetails = showAlbumDetails;
        songList.Hooks().albumGroup = [&](int groupId) { albumList.ShowAlbumGroup(groupId); };
        songDetails.Hooks().albumDetails = showAlbumDetails;
        return true;
    };
    steps[StartupWindow::Playlists] = [&] {
        playlistsWindow = std::make_unique<PlaylistsWindow>(playlistList);
        placements.Register("FPlists", playlistsWindow.get());
        mainWindow->Hooks().showPlaylists = [&] { playlistList.ShowPlaylistsWindow(); };
        const auto selectPlaylist = [&] { return playlistList.SelectTargetPlaylist(); };
        songList.Hooks().selectPlaylist = selectPlaylist;
        songDetails.Hooks().selectPlaylist = selectPlaylist;
        return true;
    };
    steps[StartupWindow::Search] = [&] {
        search.SetLibrary(&session.library);
        searchDialog = std::make_unique<SearchDialog>(search);
        songList.Hooks().searchWindow = [&](SearchOptions& options, QString& text) {
            return search.AskSearch(options, text);
        };
        mainWindow->Hooks().search = [&] {
            PresetSearchAnywhere(songList.Search());
            songList.SearchSongs();
        };
        return true;
    };
    steps[StartupWindow::DatabaseCheck] = [&] {
        healthCheckWindow = std::make_unique<HealthCheckWindow>(session.library, tagPolicy);
        placements.Register("fdbchk", healthCheckWindow.get());
        MainMenuHooks& hooks = mainWindow->Hooks();
        hooks.openHealthCheck = [&] { healthCheckWindow->OpenHealthCheck(); };
        hooks.showStatistics = [&] { return healthCheckWindow->ShowStatistics(); };
        return true;
    };
    steps[StartupWindow::BeatsPerMinute] = [&] {
        return bpmWindow = std::make_unique<BpmWindow>(bpmTapper), true;
    };
    steps[StartupWindow::Preview] = [&] { return previewWindow = std::make_unique<PreviewWindow>(), true; };
    steps[StartupWindow::NowPlaying] = [&, audioChoice] {
        audio = std::make_unique<AudioLibrary>(MakeAudioOutputForOption(audioChoice));
        engine = std::make_unique<PlaybackEngine>(*audio, queue, session.settings, RealClock());
        engine->SetCatalogue(&session.catalogue);
        engine->SetTagPolicy(&tagPolicy);
        preview = std::make_unique<PreviewController>(*engine);
        queueWindow = std::make_unique<QueueWindow>(queue, *engine, *preview);
        placements.Register("FBassint", queueWindow.get());
        placements.SetPlayingQuery([&] { return engine->State() == PlaybackState::Playing; });
        // Quitting asks first while a song plays or the next is about to start.
        session.songPlaying = [&] {
            const PlaybackState state = engine->State();
            return state == PlaybackState::Playing || state == PlaybackState::Ended;
        };
        if (previewWindow) {
            previewWindow->SetPreview(preview.get());
            queueWindow->SetPreviewWindow(previewWindow.get());
            preview->SetShowWindow([&] { previewWindow->ShowPreview(); });
        }
        queueWindow->SetBpmWindow(bpmWindow.get());
        songList.SetQueue(&queue, engine.get());
        songList.SetDurationMeasure([&](const QString& path) { return engine->MeasureFileSeconds(path); });
        songList.Hooks().preview = [&](const TSong& song) { preview->PreviewSong(song); };
        songList.Hooks().showQueue = [&] { queueWindow->ShowRestored(); };
        // The main window's play buttons act on the queue and show what its own buttons show.
        mainWindow->SetPlayButtonActions(
            [&] {
                queueWindow->ShowRestored();
                engine->PlayCommand();
            },
            [&](bool down) { engine->PressPause(down); }, [&] { engine->StopCommand(); },
            [&] { queueWindow->ShowRestored(); });
        queueWindow->SetTransportFollower([&](const TransportView& t) {
            mainWindow->ShowPlayButtons(t.playEnabled, t.pauseEnabled, t.pauseDown, t.stopEnabled);
        });
        queueWindow->SetSongAppendedAction(
            [&] { mainWindow->SetPlayButtonsColour(QColor::fromRgb(kQueuePanelRgb)); });
        MainMenuHooks& hooks = mainWindow->Hooks();
        hooks.showNowPlaying = [&] { queueWindow->ShowRestored(); };
        hooks.masterDeviceName = [&] { return engine->MasterDeviceName(); };
        hooks.reseekDevices = [&] { engine->ReseekDevices(); };
        engine->InitAudio(true);
        mainWindow->AttachNowPlaying(*engine);

        mediaControl =
            std::make_unique<MprisService>(*engine, session.settings, QDBusConnection::sessionBus());
        // Quitting runs after the bus has had its answer: the close request may ask first.
        mediaControl->SetWindowActions([&] { ShowRestored(mainWindow.get()); },
                                       [&] { QTimer::singleShot(0, mainWindow.get(), &QWidget::close); });
        if (mediaControl->Enabled()) {
            mediaControl->Start();
        }
        hooks.optionSwitched = [&](bool Settings::*setting, bool on) {
            if (setting == &Settings::DesktopMediaControl) {
                mediaControl->SetEnabled(on);
            }
        };
        return true;
    };
}

}  // namespace sw
