#include "SongListController.h"

#include <algorithm>

#include "SongListFields.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Playlists.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

SongListRequest MakeRequest(SongListType type, int number = 0, int remembered = 0) {
    SongListRequest request;
    request.Type = type;
    request.Number = number;
    request.RememberedSong = remembered;
    return request;
}

const char* const kSinglesCaption = "Songs not in an album (\"Singles\")";

}  // namespace

SongListController::SongListController(Library& library, Playlists& playlists, const Clock& clock)
    : m_library(library), m_playlists(playlists), m_clock(clock), m_model(std::make_unique<RowSetModel>()) {
    m_model->SetRowMarked([this](int row) { return IsSelected(row); });
}

SongListController::~SongListController() = default;

// Requests.

void SongListController::ShowAlbumSongs(int albumId, int positionOn) {
    ShowSongList(MakeRequest(SongListType::Album, albumId, positionOn));
}

void SongListController::ShowArtistSongs(int artistId, int positionOn) {
    ShowSongList(MakeRequest(SongListType::Artist, artistId, positionOn));
}

void SongListController::ShowGenreSongs(int genreId, int positionOn) {
    ShowSongList(MakeRequest(SongListType::Genre, genreId, positionOn));
}

void SongListController::ShowSingles() {
    ShowSongList(MakeRequest(SongListType::Singles));
}

void SongListController::ShowPlaylistSongs(int playlistId) {
    ShowSongList(MakeRequest(SongListType::Playlist, playlistId));
}

void SongListController::ShowPlaylistAtSeq(int playlistId, int seq) {
    ShowPlaylistSongs(playlistId);
    if (m_queryOpen && m_mode == SongListMode::Playlist && m_playlistId == playlistId) {
        PositionAtSeq(seq);
    }
}

void SongListController::ShowLastLoaded() {
    m_library.settings.FILTER = 99;
    m_durationsFixMarked = true;
    SongListRequest request = MakeRequest(SongListType::LastLoaded);
    request.Stamp = m_library.settings.LastLoadedTS;
    ShowSongList(request);
}

void SongListController::ShowRecentSongs() {
    ShowSongList(MakeRequest(SongListType::Recent));
}

void SongListController::ShowRecentSongs(int days) {
    m_library.settings.DAYSRECENT = days;
    ShowRecentSongs();
}

void SongListController::ShowHistoryDay(int day) {
    ShowSongList(MakeRequest(SongListType::HistoryDay, day));
}

void SongListController::ShowSongList(const SongListRequest& request) {
    m_request.RememberedSong = CurrentSongNum();
    const SongListRequest previous = m_request;
    const bool pushed = previous.Type != SongListType::None;
    if (pushed) {
        m_back.push_back(previous);
    }
    m_request = request;
    // A list that cannot be shown leaves the previous one in place, with its request and its Back.
    if (!RunRequest()) {
        m_request = previous;
        if (pushed) {
            m_back.pop_back();
        }
    }
    Changed();
}

void SongListController::SongListBack() {
    if (m_back.empty()) {
        return;
    }
    m_search = SearchOptions{};
    const SongListRequest current = m_request;
    m_request = m_back.back();
    m_back.pop_back();
    if (!RunRequest()) {
        m_request = current;
    }
    Changed();
}

bool SongListController::RunRequest() {
    const SongListRequest request = m_request;
    bool shown = true;
    switch (request.Type) {
        case SongListType::Album:
            shown = SetAlbumMode(request.Number);
            break;
        case SongListType::Artist:
            shown = SetArtistMode(request.Number);
            break;
        case SongListType::Genre:
            shown = SetGenreMode(request.Number);
            break;
        case SongListType::Singles:
            SetSinglesMode();
            break;
        case SongListType::Playlist:
            shown = SetPlaylistMode(request.Number);
            break;
        case SongListType::Recent:
            SetRecentMode();
            break;
        case SongListType::HistoryDay:
            SetHistoryMode(request.Number);
            break;
        case SongListType::Search:
        case SongListType::Title:
            m_search = request.Options;
            shown = RunSearchRequest(request);
            if (shown) {
                SetStampMode(true, m_searchStamp,
                             request.Type == SongListType::Title ? " Title = " + QuoteDouble(request.Text)
                                                                 : "search for " + QuoteDouble(request.Text));
            }
            break;
        case SongListType::LastLoaded: {
            SetStampMode(false, request.Stamp, "Last loaded ( at " + FormatDateTime(2, request.Stamp) + " )");
            // Songs the run loaded without a length are measured once, right after their list
            // (on a catalogue that may be written; a read-only one leaves them for later).
            const bool marked = m_durationsFixMarked;
            m_durationsFixMarked = false;
            if (marked && m_library.songs.loadedWithoutDuration && m_measure &&
                !m_library.settings.READONLY) {
                m_library.songs.loadedWithoutDuration = false;
                FixDurations();
            }
            break;
        }
        case SongListType::None:
            shown = false;
            break;
    }
    if (shown && m_queryOpen) {
        if (request.Type == SongListType::Playlist) {
            SetCurrent(RowCount() > 0 ? 0 : -1);
        } else if (request.RememberedSong > 0) {
            GoToSong(request.RememberedSong);
        }
    }
    return shown;
}

// Modes.

bool SongListController::SetAlbumMode(int albumId) {
    if (albumId == 0) {
        SetSinglesMode();
        return true;
    }
    TAlbum album;
    if (!m_library.albums.FindAlbumById(albumId, album)) {
        return false;
    }
    EnterMode(SongListMode::Album);
    m_albumId = albumId;
    m_caption = "Songs in album " + QuoteDouble(album.AlbumName);
    BuildSongList();
    if (RatingFilter() == 99) {
        RefreshAlbumSummary(m_albumSummaryMode);
        SetCurrent(RowCount() > 0 ? 0 : -1);
    }
    return true;
}

bool SongListController::SetArtistMode(int artistId) {
    TArtist artist;
    // The songs without an artist are listed under id 0, which no artist row needs to carry.
    if (!m_library.artists.FindArtistById(artistId, artist) && artistId != 0) {
        return false;
    }
    EnterMode(SongListMode::Artist);
    m_artistId = artistId;
    m_caption = "Songs by artist " + QuoteDouble(artist.ArtistName);
    BuildSongList();
    return true;
}

bool SongListController::SetGenreMode(int genreId) {
    QString name;
    if (!m_library.songs.GenreNameById(genreId, name)) {
        return false;
    }
    EnterMode(SongListMode::Genre);
    m_genreId = genreId;
    m_caption = "Songs in genre " + QuoteDouble(name);
    BuildSongList();
    return true;
}

void SongListController::SetSinglesMode() {
    EnterMode(SongListMode::Singles);
    m_caption = kSinglesCaption;
    BuildSongList();
}

bool SongListController::SetPlaylistMode(int playlistId) {
    Tplist playlist;
    // A playlist that is gone leaves the list (and the target playlist) as they were.
    if (!m_playlists.LoadPlaylistRecord(playlistId, playlist)) {
        return false;
    }
    m_playlists.TargetPlaylist() = playlist;
    EnterMode(SongListMode::Playlist);
    m_playlistId = playlistId;
    m_caption = "Songs in Playlist #" + QString::number(playlistId) + " " + QuoteDouble(playlist.Name);
    BuildSongList();
    return true;
}

void SongListController::SetRecentMode() {
    DateRec since = DateTimeToStamp(m_clock.LocalNow()).date;
    PrevDays(since, m_library.settings.DAYSRECENT);
    m_recentDate = DateToDateTime(since);
    EnterMode(SongListMode::Recent);
    m_caption = "Songs loaded in the last " + QString::number(m_library.settings.DAYSRECENT) + " days";
    BuildSongList();
}

void SongListController::SetHistoryMode(int day) {
    EnterMode(SongListMode::PlayHistory);
    m_historyDay = day;
    m_caption = "Songs actually played on " + QString::number(day);
    BuildSongList();
}

void SongListController::SetStampMode(bool found, TDateTime stamp, const QString& captionTail) {
    m_listsFound = found;
    m_searchStamp = stamp;
    EnterMode(SongListMode::Stamp);
    m_library.settings.FILTER = 99;
    m_caption = "Songs : " + captionTail;
    BuildSongList();
}

void SongListController::EnterMode(SongListMode mode) {
    m_mode = mode;
    // The album check pass and the count label go by the album id: another list must not carry
    // the id of an album shown before it.
    if (mode != SongListMode::Album) {
        m_albumId = 0;
    }
}

// The current row.

void SongListController::SetCurrentRow(int row) {
    if (RowCount() == 0) {
        m_current = -1;
        return;
    }
    m_current = std::clamp(row, 0, RowCount() - 1);
}

void SongListController::SetCurrent(int row) {
    SetCurrentRow(row);
    if (m_display) {
        m_display->CurrentRowChanged(m_current);
    }
}

void SongListController::JumpToStart() {
    SetCurrent(0);
}

void SongListController::JumpToEnd() {
    SetCurrent(RowCount() - 1);
}

void SongListController::GoToSong(int songNum) {
    if (!m_queryOpen || RowCount() == 0) {
        return;
    }
    int found = 0;
    for (int row = RowCount() - 1; row >= 0; --row) {
        if (SongNumAt(row) == songNum) {
            found = row;
            break;
        }
    }
    SetCurrent(found);
}

void SongListController::PositionAtSeq(int seq) {
    if (RowCount() == 0) {
        return;
    }
    int found = 0;
    for (int row = RowCount() - 1; row >= 0; --row) {
        if (SeqAt(row) <= seq) {
            found = row;
            break;
        }
    }
    SetCurrent(found);
}

// Filter and options.

int SongListController::RatingFilter() const {
    return m_library.settings.FILTER;
}

void SongListController::SetRatingFilter(int value) {
    if (m_mode == SongListMode::PlayHistory) {
        ShowInfo("Filter is inactive when browsing Play History");
    }
    m_library.settings.FILTER = value;
    if (m_queryOpen) {
        RebuildKeepingCurrent();
    }
    Changed();
}

void SongListController::ToggleHideMissing() {
    m_hideMissing = !m_hideMissing;
    if (m_queryOpen) {
        RebuildKeepingCurrent();
    }
    Changed();
}

bool SongListController::DoubleClickToEdit() const {
    return m_library.settings.DoubleClickToEdit;
}

void SongListController::SetDoubleClickToEdit(bool edit) {
    m_library.settings.DoubleClickToEdit = edit;
}

void SongListController::WindowActivated(bool catalogueOpen) {
    if (!m_building && !m_queryOpen && catalogueOpen) {
        FlashMessage("Re-opening query");
        BuildSongList();
    }
}

void SongListController::WindowShown() {
    if (m_caption == "Songs" && m_mode == SongListMode::Singles) {
        m_caption = kSinglesCaption;
        Changed();
    }
}

void SongListController::Changed() {
    if (m_display) {
        m_display->StateChanged();
    }
}

bool SongListController::ReadOnly() const {
    return RefuseIfReadOnly(m_library.settings.READONLY);
}

}  // namespace sw
