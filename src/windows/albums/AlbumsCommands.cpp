// The albums window's pop-up and menu commands on albums and groups.
#include "AlbumGroups.h"
#include "AlbumsController.h"
#include "windows/main/LibraryList.h"
#include "windows/songs/SongListController.h"
#include "core/Catalogue.h"
#include "core/ColumnWidths.h"
#include "core/Library.h"
#include "core/Renames.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

bool Selected(const TAlbum& album) {
    return album.AlbumId > 0;
}

}  // namespace

bool AlbumsController::OpenPopup(int row) {
    if (row < 0 || row >= RowCount()) {
        return false;
    }
    SetCurrent(row);
    if (m_display) {
        m_display->CurrentRowChanged(row);
    }
    const TAlbum item = AlbumAt(row);
    if (item.AlOrGrp != 'A' && item.AlOrGrp != 'G') {
        ShowInfo("Invalid alorgrp " + QuoteDouble(MarkAt(row)));
        return false;
    }
    m_popup = AlbumPopupMenu{};
    m_popup.isAlbum = item.AlOrGrp == 'A';
    m_popup.isGroup = item.AlOrGrp == 'G';
    m_popup.viewDetails = QString("View ") + (m_popup.isGroup ? "group" : "album") + " details ( #" +
                          QString::number(item.AlbumId) + " )";
    m_popup.viewDetailsEnabled = static_cast<bool>(m_hooks.albumDetails);
    m_popup.listArtistSongs = "List songs by this artist (#" + QString::number(item.ArtistId) + ")";
    if (Selected(m_selectedGroup)) {
        m_popup.includeInSelected =
            "Include this Item in selected Group " + QuoteDouble(m_selectedGroup.AlbumName);
    }
    if (Selected(m_selectedItem)) {
        m_popup.includeSelected =
            "Include selected Item " + QuoteDouble(m_selectedItem.AlbumName) + " in this Group";
    }
    m_popup.playEnabled = m_popup.isAlbum && m_songs.QueueConnected();
    m_popup.assignGenreEnabled = m_popup.isAlbum && static_cast<bool>(m_hooks.pickGenre);
    m_popup.excludeEnabled = InsideGroup() && item.GrpId > 0;
    return true;
}

void AlbumsController::PlayWholeAlbum() {
    const TAlbum album = AlbumAt(m_current);
    if (album.AlOrGrp == 'A') {
        m_songs.ShowAlbumAndPlay(album.AlbumId);
    }
}

void AlbumsController::ViewDetails() {
    if (m_current >= 0 && m_hooks.albumDetails) {
        m_hooks.albumDetails(CurrentAlbumId());
    }
}

void AlbumsController::ListArtistSongs() {
    if (m_current >= 0) {
        m_songs.ShowArtistSongs(AlbumAt(m_current).ArtistId);
    }
}

void AlbumsController::ListSingles() {
    m_songs.ShowSingles();
}

void AlbumsController::Rename() {
    if (m_current < 0 || RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    const int id = CurrentAlbumId();
    if (id == 0) {
        ShowAlbumZeroReserved();
        return;
    }
    if (PromptRenameAlbum(m_library, id)) {
        m_library.catalogue.CommitAndContinue();
    }
    Refresh();
}

void AlbumsController::AssignGenre() {
    const TAlbum album = AlbumAt(m_current);
    if (album.AlOrGrp != 'A' || !m_hooks.pickGenre || RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    ShowInfo("Select genre for album");
    int genreId = -1;
    QString genreName;
    if (!m_hooks.pickGenre(genreId, genreName) || genreId < 0) {
        return;
    }
    // An empty name leaves the album's row alone: the genre goes into its songs' tags and rows.
    RenameAlbum(m_library, album.AlbumId, QString(), genreId);
    m_library.catalogue.CommitAndContinue();
}

void AlbumsController::DeleteAlbum() {
    const TAlbum album = AlbumAt(m_current);
    if (album.AlOrGrp != 'A') {
        return;
    }
    const int row = m_current;
    const int next = NeighbourId(row);
    if (m_library.albums.ConfirmDeleteAlbum(album.AlbumId, ReadOnly())) {
        m_library.catalogue.CommitAndContinue();
        RefreshAlbumList(next, row);
    }
}

void AlbumsController::CopyAlbum() {
    const TAlbum row = AlbumAt(m_current);
    if (row.AlOrGrp != 'A') {
        return;
    }
    TAlbum album;
    if (!m_library.albums.FindAlbumById(row.AlbumId, album)) {
        ShowInfo("Album not found " + QuoteDouble(QString::number(row.AlbumId)));
        return;
    }
    m_library.clipboard.album = album;
    m_library.clipboard.artist = TArtist{album.ArtistId, album.ArtistName};
    TAlbum group;
    if (album.GrpId > 0 && m_library.albums.FindAlbumById(album.GrpId, group)) {
        m_selectedGroup = group;
    } else {
        m_selectedGroup = TAlbum{};
    }
    FlashMessage("Copied ok");
}

void AlbumsController::CopyGroup() {
    const TAlbum row = AlbumAt(m_current);
    TAlbum group;
    if (row.AlOrGrp != 'G' || !m_library.albums.FindAlbumById(row.AlbumId, group)) {
        return;
    }
    m_library.clipboard.group = group;
    FlashMessage("Copied ok");
}

// Groups.

void AlbumsController::SelectThisGroup() {
    const TAlbum row = AlbumAt(m_current);
    if (row.AlOrGrp != 'G') {
        return;
    }
    m_selectedGroup = row;
    FlashMessage("Group " + QuoteDouble(row.AlbumName) + " selected");
}

void AlbumsController::SelectThisItem() {
    if (m_current < 0) {
        return;
    }
    m_selectedItem = AlbumAt(m_current);
    FlashMessage("Item " + QuoteDouble(m_selectedItem.AlbumName) + " selected");
}

void AlbumsController::IncludeInSelectedGroup() {
    if (m_current < 0 || RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    if (!Selected(m_selectedGroup)) {
        ShowInfo("First select a Group");
        return;
    }
    Include(AlbumAt(m_current), m_selectedGroup);
}

void AlbumsController::IncludeSelectedItem() {
    const TAlbum group = AlbumAt(m_current);
    if (group.AlOrGrp != 'G' || RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    if (!Selected(m_selectedItem)) {
        ShowInfo("First select an Item to include");
        return;
    }
    Include(m_selectedItem, group);
}

void AlbumsController::Include(const TAlbum& item, const TAlbum& group) {
    // Both are read again: either may have been renamed, moved or removed since it was chosen.
    TAlbum storedGroup;
    if (!m_library.albums.FindAlbumById(group.AlbumId, storedGroup) || storedGroup.AlOrGrp != 'G') {
        m_selectedGroup = TAlbum{};
        ShowInfo("First select a Group");
        return;
    }
    TAlbum storedItem;
    if (!m_library.albums.FindAlbumById(item.AlbumId, storedItem)) {
        m_selectedItem = TAlbum{};
        ShowInfo("First select an Item to include");
        return;
    }
    const QString refusal = GroupLinkRefusal(m_library.albums, storedItem, storedGroup);
    if (!refusal.isEmpty()) {
        ShowInfo(refusal);
        return;
    }
    SetAlbumGroup(m_library.catalogue, storedItem.AlbumId, storedGroup.AlbumId);
    m_selectedItem = TAlbum{};
    Refresh();
}

void AlbumsController::ExcludeFromGroup() {
    const TAlbum item = AlbumAt(m_current);
    if (!InsideGroup() || item.GrpId <= 0 || RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    if (AskYesNoCancel("Exclude this Item from Group? ") != 'Y') {
        return;
    }
    SetAlbumGroup(m_library.catalogue, item.AlbumId, 0);
    RefreshAlbumList(0, m_current);
}

void AlbumsController::DeleteGroup() {
    const TAlbum row = AlbumAt(m_current);
    if (row.AlOrGrp != 'G' || RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    TAlbum group;
    if (!m_library.albums.FindAlbumById(row.AlbumId, group)) {
        return;
    }
    m_currentGroup = group;
    m_view = AlbumView::Collapsed;
    RefreshAlbumList(0);
    // Members hidden by the filters still belong to the group, so they are counted too.
    const int members = CountGroupMembers(m_library.catalogue, group.AlbumId);
    if (members > 0) {
        ShowInfo(QString::number(members) + " members in Group\nGroup has must be empty to delete");
        return;
    }
    if (!ConfirmOK("Delete Group " + QuoteDouble(group.AlbumName) + " (last chance)")) {
        return;
    }
    m_library.albums.DeleteAlbumAndSongs(group.AlbumId);
    m_library.catalogue.CommitAndContinue();
    if (m_selectedGroup.AlbumId == group.AlbumId) {
        m_selectedGroup = TAlbum{};
    }
    Back();
}

// "Groups" and "New".

void AlbumsController::NewGroup() {
    if (!m_hooks.newGroupFields || RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    QString name;
    QString artist;
    TAlbum group;
    if (!m_hooks.newGroupFields(name, artist) || !CreateAlbumGroup(m_library, name, artist, group)) {
        return;
    }
    RefreshAlbumList(group.AlbumId, m_current);
    FlashMessage("positioning on new group ...");
    if (AskYesNoCancel("Now add items to this group?") == 'Y') {
        m_selectedGroup = group;
    }
}

void AlbumsController::NewAlbum() {
    if (RefuseIfReadOnly(ReadOnly())) {
        return;
    }
    QString name;
    if (!InputTextLimited("Enter Album name", name, kAlbumNameWidth)) {
        return;
    }
    TrimTrailingBlanks(name);
    if (name.isEmpty()) {
        ShowInfo(kBlankAlbumName);
        return;
    }
    // Name lookups by loads and edits see albums only, and two albums of one name make every
    // later lookup ambiguous: the songs would be split between them.
    TAlbum existing;
    if (m_library.albums.FindAlbumByName(name, existing) != -1) {
        ShowInfo("Album #" + QString::number(existing.AlbumId) + " " + QuoteDouble(existing.AlbumName) +
                 " already exists");
        RefreshAlbumList(existing.AlbumId, m_current);
        return;
    }
    const int id = m_library.albums.CreateAlbumNamed(name);
    if (id <= 0) {
        return;
    }
    m_library.catalogue.CommitAndContinue();
    RefreshAlbumList(id, m_current);
    if (m_hooks.albumDetails) {
        m_hooks.albumDetails(id);
    }
}

}  // namespace sw
