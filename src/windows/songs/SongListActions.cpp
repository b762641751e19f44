// What the songs window does with the listed songs: selection, the "Play" scope, playlists, the
// warning fixes, the assignment and the row pop-up.
#include <algorithm>
#include <set>

#include "SongListController.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "core/SongRemoval.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"
#include "core/Playlists.h"

namespace sw {

QString PlayScopeName(PlayScope scope) {
    switch (scope) {
        case PlayScope::ThisSong:
            return "this song";
        case PlayScope::Selection:
            return "selection";
        case PlayScope::ListFromPosition:
            return "list from position";
        case PlayScope::WholeList:
            return "whole list";
    }
    return {};
}

QString QueueKindCaption(QueueKind kind, PlayScope scope) {
    QString caption;
    switch (kind) {
        case QueueKind::PlayNow:
            caption = "Play now - ";
            break;
        case QueueKind::PlayNext:
            caption = "Play next - ";
            break;
        case QueueKind::Insert:
            caption = "Insert into queue - ";
            break;
        case QueueKind::Append:
            caption = "Append to queue - ";
            break;
    }
    return caption + PlayScopeName(scope);
}

// Selection.

void SongListController::ForgetSelection() {
    m_selected.assign(static_cast<std::size_t>(RowCount()), 0);
    m_selectedCount = 0;
}

bool SongListController::IsSelected(int row) const {
    return row >= 0 && row < static_cast<int>(m_selected.size()) && m_selected[static_cast<std::size_t>(row)];
}

void SongListController::ClickRow(int row, bool ctrl, bool shift) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    const auto select = [this](int r, bool on) {
        char& mark = m_selected[static_cast<std::size_t>(r)];
        if (static_cast<bool>(mark) != on) {
            mark = on;
            m_selectedCount += on ? 1 : -1;
        }
    };
    if (ctrl) {
        select(row, !IsSelected(row));
    } else if (shift && m_anchorSong > 0) {
        int anchorRow = row;
        for (int r = 0; r < RowCount(); ++r) {
            if (SongNumAt(r) == m_anchorSong) {
                anchorRow = r;
                break;
            }
        }
        for (int r = std::min(anchorRow, row); r <= std::max(anchorRow, row); ++r) {
            select(r, true);
        }
    } else {
        ForgetSelection();
        m_anchorSong = SongNumAt(row);
    }
    SetCurrentRow(row);
    PlayMenuOpening();
    Changed();
}

void SongListController::KeyMoveTo(int row, bool shift) {
    if (RowCount() == 0) {
        return;
    }
    row = std::clamp(row, 0, RowCount() - 1);
    if (shift) {
        for (const int r : {m_current, row}) {
            if (r >= 0 && !IsSelected(r)) {
                m_selected[static_cast<std::size_t>(r)] = 1;
                ++m_selectedCount;
            }
        }
    } else if (m_selectedCount > 0) {
        ForgetSelection();
    }
    SetCurrentRow(row);
    Changed();
}

std::vector<int> SongListController::SelectedRows() const {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(m_selectedCount));
    for (int row = 0; row < static_cast<int>(m_selected.size()); ++row) {
        if (m_selected[static_cast<std::size_t>(row)]) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::vector<int> SongListController::SongNumsOf(const std::vector<int>& rows) const {
    std::vector<int> songNums;
    for (const int row : rows) {
        if (const int songNum = SongNumAt(row); songNum > 0) {
            songNums.push_back(songNum);
        }
    }
    return songNums;
}

void SongListController::PlayMenuOpening() {
    const int selected = m_selectedCount;
    const bool firstRow = m_current <= 0;
    m_selectionScopeEnabled = selected > 1;
    m_fromPositionScopeEnabled = !(selected <= 1 && firstRow);
    if (selected > 1) {
        m_scope = PlayScope::Selection;
    } else if (!firstRow) {
        m_scope = PlayScope::ListFromPosition;
    } else if (m_scope == PlayScope::ListFromPosition || m_scope == PlayScope::Selection) {
        m_scope = PlayScope::WholeList;
    }
}

// The "PlayList" menu.

bool SongListController::TargetPlaylistChosen() const {
    return m_playlists.TargetPlaylist().Id > 0;
}

QString SongListController::AddToPlaylistCaption() const {
    return "Add to playlist " + QuoteDouble(m_playlists.TargetPlaylist().Name);
}

void SongListController::AddAllToTargetPlaylist() {
    if (!TargetPlaylistChosen() || ReadOnly()) {
        return;
    }
    for (int row = 0; row < RowCount(); ++row) {
        TSong song;
        song.SongNum = SongNumAt(row);
        if (song.SongNum > 0) {
            m_playlists.AddSongToTargetPlaylist(song);
        }
    }
    FlashWait();
    m_library.catalogue.CommitAndContinue();
}

void SongListController::AddSelectionToTargetPlaylist() {
    if (!TargetPlaylistChosen()) {
        return;
    }
    if (m_selectedCount == 0) {
        ShowInfo(kNoSongsSelected);
        return;
    }
    if (ReadOnly()) {
        return;
    }
    for (const int songNum : SongNumsOf(SelectedRows())) {
        TSong song;
        song.SongNum = songNum;
        m_playlists.AddSongToTargetPlaylist(song);
    }
    FlashWait();
    m_library.catalogue.CommitRetaining();
}

void SongListController::ViewTargetPlaylist() {
    if (TargetPlaylistChosen()) {
        ShowPlaylistSongs(m_playlists.TargetPlaylist().Id);
    }
}

bool SongListController::SelectPlaylist() {
    return m_hooks.selectPlaylist && m_hooks.selectPlaylist();
}

// "Fix".

void SongListController::FixQuestionWarnings() {
    if (ReadOnly() || !ConfirmOK("Confirm MP3/OGG exists for these songs with \"?\" warning")) {
        return;
    }
    FixWarnings('?');
    BuildSongList();
}

void SongListController::FixBangWarnings() {
    if (ReadOnly() || !ConfirmSure("Remove from database these songs whose MP3 does not exist")) {
        return;
    }
    FixWarnings('!');
    BuildSongList();
}

void SongListController::FixWarnings(QChar mark) {
    // A song listed twice (a playlist, a day of history) is fixed once.
    std::set<int> done;
    for (int row = 0; row < RowCount(); ++row) {
        const int songNum = SongNumAt(row);
        if (songNum <= 0 || WarningAt(row) != mark || !done.insert(songNum).second) {
            continue;
        }
        if (mark == '?') {
            TSong song;
            if (m_library.songs.FindSongByNumber(songNum, song)) {
                RecheckSongFile(m_library, song);
            }
        } else {
            DeleteSongRows(m_library.catalogue, songNum);
        }
    }
    m_library.catalogue.CommitAndContinue();
}

// "Assign".

void SongListController::AssignToSelected() {
    if (!m_hooks.assignDetails) {
        return;
    }
    if (m_selectedCount == 0) {
        ShowInfo(kNoSongsSelected);
        return;
    }
    AfterAssignment(m_hooks.assignDetails(SongNumsOf(SelectedRows())));
}

void SongListController::AssignToAll() {
    if (!m_hooks.assignDetails) {
        return;
    }
    std::vector<int> rows(static_cast<std::size_t>(RowCount()));
    for (int row = 0; row < RowCount(); ++row) {
        rows[static_cast<std::size_t>(row)] = row;
    }
    AfterAssignment(m_hooks.assignDetails(SongNumsOf(rows)));
}

void SongListController::AfterAssignment(const AssignOutcome& outcome) {
    if (!outcome.accepted) {
        return;
    }
    if (outcome.albumTicked) {
        m_albumSummaryMode = 2;
        ShowAlbumSongs(outcome.albumId);
        m_albumSummaryMode = 1;
        return;
    }
    RebuildKeepingCurrent();
    // As on showing an album: the album artist is changed only when the user agrees.
    RefreshAlbumSummary(1);
}

// The pop-up menu.

const SongPopupMenu& SongListController::OpenPopup(int row) {
    SetCurrent(row);
    m_popup = SongPopupMenu{};
    m_popup.dropEnabled = m_mode == SongListMode::Playlist;
    TSong song;
    if (!m_library.songs.FindSongByNumber(CurrentSongNum(), song)) {
        // The items then act on no song rather than on the one read last.
        ClearSong(m_currentSong);
        m_currentSong.FileName.clear();
        return m_popup;
    }
    m_currentSong = song;
    const Tplist& target = m_playlists.TargetPlaylist();
    if (target.Id > 0) {
        m_popup.addToPlaylistEnabled = true;
        m_popup.addToPlaylist = "Add to playlist " + QuoteDouble(target.Name);
        m_popup.viewPlaylistEnabled = true;
        m_popup.viewPlaylist = "View playlist " + QuoteDouble(target.Name);
    }
    m_popup.addToAnother = m_playlists.PlaylistMenuCaption('A');
    m_popup.deleteEnabled = song.FileFound;
    m_popup.inThisAlbum = "- in this Album (#" + QString::number(song.AlbumId) + ")";
    m_popup.byThisArtist = "- by this Artist (#" + QString::number(song.ArtistId) + ")";
    TAlbum album;
    m_popup.albumGroupEnabled = m_library.albums.FindAlbumById(song.AlbumId, album) && album.GrpId > 0;
    return m_popup;
}

void SongListController::PopupViewSong() {
    if (m_hooks.viewSong && m_currentSong.SongNum > 0 && m_hooks.viewSong(m_currentSong.SongNum)) {
        RebuildKeepingCurrent();
    }
}

void SongListController::PopupEditSong() {
    EditCurrentSong();
}

void SongListController::EditCurrentSong() {
    if (!m_hooks.editSong || m_currentSong.SongNum <= 0 || ReadOnly()) {
        return;
    }
    if (m_hooks.editSong(m_currentSong) && m_autoRefresh) {
        RebuildKeepingCurrent();
    }
}

void SongListController::NewSong() {
    if (!NewSongEnabled() || ReadOnly()) {
        return;
    }
    // A fresh record: no file, no number; the edit window inserts it when it is saved.
    TSong song;
    ClearSong(song);
    if (!m_hooks.editSong(song)) {
        return;
    }
    m_currentSong = song;
    if (m_autoRefresh && m_queryOpen) {
        RebuildKeepingCurrent();
    }
}

void SongListController::PopupCopySong() {
    if (m_currentSong.SongNum <= 0) {
        return;
    }
    Clipboard& clipboard = m_library.clipboard;
    TAlbum album;
    if (m_library.albums.FindAlbumById(m_currentSong.AlbumId, album)) {
        clipboard.album = album;
        TAlbum group;
        if (album.GrpId > 0 && m_library.albums.FindAlbumById(album.GrpId, group)) {
            clipboard.group = group;
        }
    }
    TArtist artist;
    if (m_library.artists.FindArtistById(m_currentSong.ArtistId, artist)) {
        clipboard.artist = artist;
    }
    FlashMessage("Copied ok");
}

void SongListController::PopupAlbumDetails() {
    if (m_hooks.albumDetails && m_currentSong.SongNum > 0) {
        m_hooks.albumDetails(m_currentSong.AlbumId);
    }
}

void SongListController::PopupMoreSongs(SongsLike kind) {
    ShowSongsLike(m_currentSong.SongNum, kind);
}

void SongListController::PopupAlbumGroup() {
    TAlbum album;
    if (m_hooks.albumGroup && m_library.albums.FindAlbumById(m_currentSong.AlbumId, album) &&
        album.GrpId > 0) {
        m_hooks.albumGroup(album.GrpId);
    }
}

void SongListController::PopupSimilarFileName() {
    if (!m_hooks.searchWindow || m_currentSong.SongNum <= 0) {
        return;
    }
    m_search = {SearchFor::Text, SearchPlace::FileName};
    QString text = m_currentSong.FileName;
    if (m_hooks.searchWindow(m_search, text)) {
        SearchSongs(text);
    }
}

void SongListController::PopupPlaylistsHolding() {
    if (m_hooks.playlistsHolding && m_currentSong.SongNum > 0) {
        m_hooks.playlistsHolding(m_currentSong.SongNum);
    }
}

void SongListController::PopupAddToPlaylist() {
    if (m_currentSong.SongNum <= 0 || ReadOnly()) {
        return;
    }
    if (!TargetPlaylistChosen() && !SelectPlaylist()) {
        return;
    }
    m_playlists.AddSongToTargetPlaylist(m_currentSong);
    m_library.catalogue.CommitAndContinue();
}

void SongListController::PopupViewPlaylist() {
    ViewTargetPlaylist();
}

void SongListController::PopupAddToAnotherPlaylist() {
    if (m_currentSong.SongNum > 0 && SelectPlaylist()) {
        PopupAddToPlaylist();
    }
}

void SongListController::DropFromPlaylist() {
    if (m_mode != SongListMode::Playlist || m_current < 0 || ReadOnly()) {
        return;
    }
    const int seq = SeqAt(m_current);
    const int songNum = CurrentSongNum();
    const bool present = ExiAt(m_current) == 1;
    // An entry whose song is gone or missing goes without a question.
    if (songNum > 0 && present &&
        !Confirm("OK to drop song at seq " + QString::number(seq) + " from playlist #" +
                 QString::number(m_playlistId) + " ?")) {
        return;
    }
    m_playlists.DeletePlaylistEntry(m_playlistId, seq);
    m_library.catalogue.CommitAndContinue();
    BuildSongList();
    PositionAtSeq(seq + 1);
}

void SongListController::PopupRemove(int action) {
    const int songNum = m_currentSong.SongNum;
    if (songNum <= 0 || action < 1 || action > 3) {
        return;
    }
    // After a removal the cursor goes to the song that followed (the one before, at the end).
    const int row = m_current;
    const int next = SongNumAt(row + 1 < RowCount() ? row + 1 : row - 1);
    if (!RemoveSongAction(m_library, songNum, static_cast<RemoveAction>(action))) {
        return;
    }
    m_library.catalogue.CommitAndContinue();
    if (action == 1) {
        RebuildKeepingCurrent();
    } else {
        BuildSongList();
        GoToSong(next);
    }
}

void SongListController::PopupPreview() {
    if (m_hooks.preview && m_currentSong.SongNum > 0) {
        m_hooks.preview(m_currentSong);
    }
}

void SongListController::RowDoubleClicked() {
    TSong song;
    if (!m_library.songs.FindSongByNumber(CurrentSongNum(), song)) {
        return;
    }
    m_currentSong = song;
    if (DoubleClickToEdit()) {
        EditCurrentSong();
    } else {
        PopupViewSong();
    }
}

void SongListController::EnterPressed() {
    TSong song;
    if (!m_library.songs.FindSongByNumber(CurrentSongNum(), song)) {
        return;
    }
    m_currentSong = song;
    EditCurrentSong();
}

}  // namespace sw
