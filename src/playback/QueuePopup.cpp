// The queue grid's pop-up menu: its captions and enabling as it opens over a row, and its items.
#include "QueuePopup.h"

#include "QueueController.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "core/SongRemoval.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"
#include "core/Playlists.h"
#include "core/Ratings.h"

namespace sw {

const std::array<QString, 7>& RatingCaptions() {
    static const std::array<QString, 7> captions{
        "= +4 (exceptional)", "= +3 (excellent)", "= +2 (good)",   "= +1 (ok)",
        "=   0 (not rated)",  "=  -1 (bad)",      "=  -2 (awful)",
    };
    return captions;
}

namespace {

QueuePopupMenu RestingMenu() {
    QueuePopupMenu menu;
    const std::pair<PopupItem, const char*> captions[] = {
        {PopupItem::ViewSongDetails, "View song details"},
        {PopupItem::EditSong, "Edit song"},
        {PopupItem::CopySong, "Copy song"},
        {PopupItem::AlbumDetails, "Album details"},
        {PopupItem::Rating, "Rating"},
        {PopupItem::PlayNext, "Play next - this song"},
        {PopupItem::PlayNow, "Play now - this song"},
        {PopupItem::Preview, "Preview"},
        {PopupItem::MoveToEnd, "Move to end"},
        {PopupItem::MoveToPosition, "Move to position"},
        {PopupItem::Skip, "Skip"},
        {PopupItem::Drop, "Drop ( from this playlist )"},
        {PopupItem::MoreSongs, "More songs ..."},
        {PopupItem::MoreInAlbum, "-  in this Album"},
        {PopupItem::MoreByArtist, "-  by this Artist"},
        {PopupItem::MoreInGenre, "-  in this Genre"},
        {PopupItem::MoreWithTitle, "-  with this Title"},
        {PopupItem::AlreadyInPlaylists, "Already in playlist(s)"},
        {PopupItem::AddToPlaylist, "Add to playlist x"},
        {PopupItem::MoveToPlaylist, "Move to playlist x"},
        {PopupItem::ViewPlaylist, "View playlist x"},
        {PopupItem::AddToAnotherPlaylist, "Add to another playlist"},
        {PopupItem::DeleteMusicFile, "Delete music file"},
        {PopupItem::RemoveSong, "Remove song from database"},
        {PopupItem::DeleteAndRemove, "Delete && Remove"},
    };
    for (const auto& [item, caption] : captions) {
        menu[item].caption = caption;
    }
    // The items that open other windows are enabled once those windows are connected.
    for (const PopupItem item :
         {PopupItem::ViewSongDetails, PopupItem::EditSong, PopupItem::AlbumDetails, PopupItem::MoreSongs,
          PopupItem::MoreInAlbum, PopupItem::MoreByArtist, PopupItem::MoreInGenre, PopupItem::MoreWithTitle,
          PopupItem::AlreadyInPlaylists, PopupItem::ViewPlaylist, PopupItem::AddToAnotherPlaylist}) {
        menu[item].enabled = false;
    }
    return menu;
}

}  // namespace

bool QueueController::OpenPopup(int row) {
    if (row < 1 || !RowAt(row)) {
        return false;
    }
    SetCursor(row);
    m_popupSong = Row(row).song->Song();
    m_popup = RestingMenu();
    m_popup[PopupItem::Skip].checked = Cell(row, QueueColumn::Now) == kMarkerSkipped;
    const bool missing = Cell(row, QueueColumn::Wng) == kMissingFileMark;
    m_popup[PopupItem::DeleteMusicFile].enabled = !missing;
    m_popup[PopupItem::DeleteAndRemove].enabled = !missing;
    m_popup[PopupItem::MoreInAlbum].caption =
        "- in this Album (#" + QString::number(m_popupSong.AlbumId) + ")";
    m_popup[PopupItem::MoreByArtist].caption =
        "- by this Artist (#" + QString::number(m_popupSong.ArtistId) + ")";
    const Tplist& target = m_playlists.TargetPlaylist();
    const bool haveTarget = target.Id > 0;
    m_popup[PopupItem::AddToPlaylist].enabled = haveTarget;
    m_popup[PopupItem::MoveToPlaylist].enabled = haveTarget;
    if (haveTarget) {
        const QString name = " playlist " + DoubleAmpersands(QuoteDouble(target.Name));
        m_popup[PopupItem::AddToPlaylist].caption = "Add to" + name;
        m_popup[PopupItem::MoveToPlaylist].caption = "Move to" + name;
        m_popup[PopupItem::ViewPlaylist].caption = "View" + name;
    }
    m_popup[PopupItem::AddToAnotherPlaylist].caption = DoubleAmpersands(m_playlists.PlaylistMenuCaption('A'));
    m_popup[PopupItem::ViewSongDetails].enabled = static_cast<bool>(m_songWindows.viewSong);
    m_popup[PopupItem::EditSong].enabled = static_cast<bool>(m_songWindows.editSong);
    m_popup[PopupItem::AlbumDetails].enabled = static_cast<bool>(m_songWindows.albumDetails);
    const bool moreSongs = static_cast<bool>(m_songWindows.moreSongs);
    for (const PopupItem item : {PopupItem::MoreSongs, PopupItem::MoreInAlbum, PopupItem::MoreByArtist,
                                 PopupItem::MoreInGenre, PopupItem::MoreWithTitle}) {
        m_popup[item].enabled = moreSongs;
    }
    m_popup[PopupItem::AlreadyInPlaylists].enabled = static_cast<bool>(m_songWindows.playlistsHolding);
    m_popup[PopupItem::ViewPlaylist].enabled = haveTarget && static_cast<bool>(m_songWindows.viewPlaylist);
    m_popup[PopupItem::AddToAnotherPlaylist].enabled = static_cast<bool>(m_songWindows.selectPlaylist);
    return true;
}

void QueueController::PopupAlbumDetails() {
    if (m_songWindows.albumDetails) {
        m_songWindows.albumDetails(m_popupSong.AlbumId);
    }
}

void QueueController::PopupMoreSongs(int kind) {
    if (m_songWindows.moreSongs && m_popupSong.SongNum > 0) {
        m_songWindows.moreSongs(m_popupSong.SongNum, kind);
    }
}

void QueueController::PopupPlaylistsHolding() {
    if (m_songWindows.playlistsHolding && m_popupSong.SongNum > 0) {
        m_songWindows.playlistsHolding(m_popupSong.SongNum);
    }
}

void QueueController::PopupViewPlaylist() {
    const int target = m_playlists.TargetPlaylist().Id;
    if (m_songWindows.viewPlaylist && target > 0) {
        m_songWindows.viewPlaylist(target);
    }
}

void QueueController::PopupAddToAnotherPlaylist() {
    if (!m_songWindows.selectPlaylist || m_popupSong.SongNum <= 0 ||
        RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    if (m_songWindows.selectPlaylist()) {
        m_playlists.AddSongToTargetPlaylist(m_popupSong);
    }
}

void QueueController::PopupViewSong() {
    if (m_songWindows.viewSong && m_popupSong.SongNum > 0 && m_songWindows.viewSong(m_popupSong.SongNum)) {
        RefreshPopupRow();
    }
}

void QueueController::PopupEditSong() {
    if (!m_songWindows.editSong || m_popupSong.SongNum <= 0 ||
        RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    TSong song;
    if (!m_library.songs.GetSongByNumber(m_popupSong.SongNum, song)) {
        return;
    }
    if (m_songWindows.editSong(song)) {
        RefreshPopupRow();
    }
}

void QueueController::PopupCopySong() {
    Clipboard& clipboard = m_library.clipboard;
    TAlbum album;
    if (m_library.albums.FindAlbumById(m_popupSong.AlbumId, album)) {
        clipboard.album = album;
    }
    TArtist artist;
    if (m_library.artists.FindArtistById(m_popupSong.ArtistId, artist)) {
        clipboard.artist = artist;
    }
    FlashMessage("Copied ok");
}

void QueueController::PopupPlayNow() {
    if (m_player) {
        m_player->StopPlayback();
        m_player->StartSongAtCursor();
    }
}

void QueueController::PopupStepRating(int step) {
    RatePopupSong(step, true);
}

void QueueController::PopupSetRating(int value) {
    RatePopupSong(value, false);
}

void QueueController::RatePopupSong(int number, bool step) {
    if (RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    // The rating is set on the song as the catalogue has it now, then the row shows it.
    TSong song = m_popupSong;
    if (!m_library.songs.ReloadSong(song)) {
        return;
    }
    Ratings(m_library).SetSongRating(song, step ? song.Rating + number : number);
    m_library.catalogue.CommitAndContinue();
    RefreshPopupRow();
}

void QueueController::PopupAddToTarget(bool move) {
    if (RefuseIfReadOnly(m_library.settings.READONLY)) {
        return;
    }
    m_playlists.AddSongToTargetPlaylist(m_popupSong);
    if (move) {
        DropSelectedRows();
    }
}

void QueueController::RefreshPopupRow() {
    // The cursor is on the row the pop-up opened over.
    const QueueRow* row = RowAt(m_cursor);
    if (row && row->song->Song().SongNum == m_popupSong.SongNum) {
        Batch batch(*this);
        RefreshQueueRow(m_cursor);
        WidenColumns(m_cursor, m_cursor);
        m_popupSong = row->song->Song();
    }
}

void QueueController::PopupRemove(int action) {
    if (RemoveSongAction(m_library, m_popupSong.SongNum, static_cast<RemoveAction>(action))) {
        RefreshCommand(false);
    }
}

}  // namespace sw
