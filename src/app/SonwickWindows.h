#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "core/CoreSession.h"
#include "core/CreationOrder.h"
#include "core/Playlists.h"
#include "core/Ratings.h"
#include "foundation/Clock.h"
#include "load/LoadRun.h"
#include "playback/AlbumSummary.h"
#include "playback/BpmTap.h"
#include "playback/QueueController.h"
#include "playback/RandomSelection.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"
#include "windows/albums/AlbumDetailsController.h"
#include "windows/albums/AlbumsController.h"
#include "windows/artists/ArtistDetailsController.h"
#include "windows/artists/ArtistsController.h"
#include "windows/details/AssignController.h"
#include "windows/details/EditSongController.h"
#include "windows/details/SongDetailsController.h"
#include "windows/genres/GenresController.h"
#include "windows/main/Placements.h"
#include "windows/playlists/PlaylistsController.h"
#include "windows/playlists/SearchController.h"
#include "windows/songs/SongListController.h"

namespace sw {

class AboutWindow;
class AlbumDetailsWindow;
class AlbumsWindow;
class ArtistDetailsWindow;
class ArtistsWindow;
class AssignWindow;
class AudioLibrary;
class BpmWindow;
class DaysWindow;
class EditSongWindow;
class GenresWindow;
class HealthCheckWindow;
class LoadWindow;
class MainWindow;
class MprisService;
class NotepadWindow;
class PlaybackEngine;
class PlaylistsWindow;
class PreviewController;
class PreviewWindow;
class QueueWindow;
class SearchDialog;
class SongDetailsWindow;
class SongsWindow;

/// The jukebox's windows with their controllers, and the creation steps that build the windows
/// and wire them to one another and to the main window's menu. The members are made in the order
/// they are declared and go in the reverse order.
struct SonwickWindows {
    /// The session's paths are set: the genres list keeps its file name.
    explicit SonwickWindows(CoreSession& session);
    ~SonwickWindows();
    SonwickWindows(const SonwickWindows&) = delete;
    SonwickWindows& operator=(const SonwickWindows&) = delete;

    /// The steps of every window but the dialog windows of the desktop; `audioChoice` is the
    /// --audio option's value, read when the now-playing window is made.
    void AddCreationSteps(CreationSteps& steps, QString audioChoice);

    CoreSession& session;
    Placements placements;
    std::unique_ptr<MainWindow> mainWindow;
    CatalogueGenres genres{session.catalogue};
    TagPolicy tagPolicy{session.library, genres};
    LoadRun loadRun{session.library, tagPolicy};
    std::unique_ptr<LoadWindow> loadWindow;
    std::unique_ptr<HealthCheckWindow> healthCheckWindow;
    std::unique_ptr<DaysWindow> daysWindow;
    std::unique_ptr<NotepadWindow> notepadWindow;
    std::unique_ptr<AboutWindow> aboutWindow;
    // The audio engine lives from the now-playing window's creation to the end; the windows that
    // use it go first.
    BpmTapper bpmTapper{RealClock()};
    std::unique_ptr<BpmWindow> bpmWindow;
    std::unique_ptr<PreviewWindow> previewWindow;
    std::unique_ptr<AudioLibrary> audio;
    // The target and queue-source playlists that the queue and the library windows share.
    SharedPlaylists sharedPlaylists;
    Playlists playlists{session.catalogue, sharedPlaylists};
    // The main menu's random entries refill playlist 0; the songs window shows it.
    RandomSelection randomSelection{session.catalogue, session.library.songs, playlists};
    QueueController queue{session.library, playlists};
    // The songs window, the program's general song list; its album lists run the album check.
    Ratings ratings{session.library};
    AlbumSummary albumSummary{session.library, ratings};
    SongListController songList{session.library, playlists, RealClock()};
    std::unique_ptr<SongsWindow> songsWindow;
    // The windows for one song and for many.
    SongDetailsController songDetails{session.library, tagPolicy, playlists, ratings};
    std::unique_ptr<SongDetailsWindow> songDetailsWindow;
    EditSongController editSong{session.library, tagPolicy};
    std::unique_ptr<EditSongWindow> editSongWindow;
    AssignController assignDetails{session.library, tagPolicy};
    std::unique_ptr<AssignWindow> assignWindow;
    // The genres window, also the genre picker of the edit, assign and album windows.
    GenresController genreList{session.library, songList, session.paths.genreFile};
    std::unique_ptr<GenresWindow> genresWindow;
    // The playlists window, also the playlist picker; the search window of the songs window.
    PlaylistsController playlistList{session.library, playlists, songList};
    std::unique_ptr<PlaylistsWindow> playlistsWindow;
    SearchController search;
    std::unique_ptr<SearchDialog> searchDialog;
    // The albums and album groups window with the album details window.
    AlbumsController albumList{session.library, songList};
    std::unique_ptr<AlbumsWindow> albumsWindow;
    AlbumDetailsController albumDetails{session.library, ratings, albumList};
    std::unique_ptr<AlbumDetailsWindow> albumDetailsWindow;
    const std::function<void(int)> showAlbumDetails = [this](int albumId) {
        albumDetails.ShowAlbumDetails(albumId);
    };
    // The artists window with the artist details window.
    ArtistsController artistList{session.library, songList, RealClock()};
    std::unique_ptr<ArtistsWindow> artistsWindow;
    ArtistDetailsController artistDetails{session.library};
    std::unique_ptr<ArtistDetailsWindow> artistDetailsWindow;
    const std::function<void(int)> showArtistDetails = [this](int artistId) {
        artistDetails.ShowArtistDetails(artistId);
    };
    const GenrePicker pickGenre = [this](int& id, QString& name) { return genreList.PickGenre(id, name); };
    std::unique_ptr<PlaybackEngine> engine;
    std::unique_ptr<PreviewController> preview;
    std::unique_ptr<QueueWindow> queueWindow;
    // The desktop's media controls reach the engine through it; it goes before the engine.
    std::unique_ptr<MprisService> mediaControl;
};

}  // namespace sw
