#include "PlaylistsController.h"

#include <algorithm>
#include <vector>

#include "windows/main/LibraryList.h"
#include "windows/songs/SongListController.h"
#include "core/Catalogue.h"
#include "core/ColumnWidths.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/Dates.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"
#include "core/Playlists.h"

namespace sw {

namespace {

QString OrderClause(PlaylistOrder order) {
    switch (order) {
        case PlaylistOrder::Id:
            return "order by p.plid";
        case PlaylistOrder::Date:
            return "order by p.pldate";
        case PlaylistOrder::Name:
            break;
    }
    return "order by lname";
}

/// The shared playlist references (the target and the queue's source) that name the playlist.
std::vector<Tplist*> ReferencesTo(SharedPlaylists& shared, int playlistId) {
    std::vector<Tplist*> references;
    for (Tplist* reference : {&shared.TargetPlaylist, &shared.QueueSourcePlaylist}) {
        if (reference->Id == playlistId) {
            references.push_back(reference);
        }
    }
    return references;
}

}  // namespace

PlaylistsController::PlaylistsController(Library& library, Playlists& playlists, SongListController& songs)
    : m_library(library), m_playlists(playlists), m_songs(songs) {}

void PlaylistsController::ShowPlaylistsWindow() {
    m_picking = false;
    if (m_display) {
        m_display->ShowListWindow();
    }
    RefreshPlaylistList();
}

bool PlaylistsController::PickPlaylist(Tplist& playlist) {
    if (!m_display) {
        return false;
    }
    m_picking = true;
    RefreshPlaylistList();
    const bool ok = m_display->RunListWindowModal();
    m_picking = false;
    // "Select" over an empty list closes with OK too, but nothing was highlighted.
    if (!ok || m_current < 0) {
        return false;
    }
    playlist.Id = IdAt(m_current);
    playlist.Name = NameAt(m_current);
    return true;
}

bool PlaylistsController::SelectTargetPlaylist() {
    Tplist picked;
    if (!PickPlaylist(picked)) {
        return false;
    }
    m_playlists.TargetPlaylist() = picked;
    return true;
}

void PlaylistsController::RefreshPlaylistList() {
    Rebuild(m_current >= 0 ? std::optional<int>(IdAt(m_current)) : std::nullopt);
}

void PlaylistsController::Rebuild(std::optional<int> stayOn) {
    m_rows = m_library.catalogue.Select("select p.*, lower(p.plname) as lname from plist p " +
                                        OrderClause(m_order));
    m_idColumn = m_rows.ColumnIndex("PLID");
    m_nameColumn = m_rows.ColumnIndex("PLNAME");
    // Catalogues from before playlists were dated have no date column to show.
    m_dateColumn = m_rows.HasColumn("PLDATE") ? m_rows.ColumnIndex("PLDATE") : -1;
    ShowColumns();

    int row = RowCount() > 0 ? 0 : -1;
    if (stayOn) {
        row = RowWithId(m_rows, m_idColumn, *stayOn);
        // A playlist that has gone leaves the cursor on the last row, where the commands still
        // have a playlist to act on.
        if (row < 0) {
            row = RowCount() - 1;
        }
    }
    m_current = row;
    if (m_display) {
        m_display->ListBuilt();
    }
}

void PlaylistsController::ShowColumns() {
    GridColumn id;
    id.caption = Heading(PlaylistColumn::Id);
    id.text = [this](int row) { return CellText(row, PlaylistColumn::Id); };
    id.alignment = Qt::AlignRight | Qt::AlignVCenter;
    GridColumn name;
    name.caption = Heading(PlaylistColumn::Name);
    name.text = [this](int row) { return CellText(row, PlaylistColumn::Name); };
    GridColumn date;
    date.caption = Heading(PlaylistColumn::Date);
    date.text = [this](int row) { return CellText(row, PlaylistColumn::Date); };
    date.widestSample = "0000-00-00";
    m_model.Show(&m_rows, {id, name, date});
}

QString PlaylistsController::Heading(PlaylistColumn column) const {
    switch (column) {
        case PlaylistColumn::Id:
            return m_order == PlaylistOrder::Id ? SortedCaption("Id ") : "Id ";
        case PlaylistColumn::Name:
            return m_order == PlaylistOrder::Name ? SortedCaption("Name ") : "Name ";
        case PlaylistColumn::Date:
            break;
    }
    return "Date";
}

void PlaylistsController::SetOrder(PlaylistOrder order) {
    m_order = order;
    RefreshPlaylistList();
    if (m_display) {
        m_display->StateChanged();
    }
}

void PlaylistsController::HeadingClicked(int column) {
    switch (column) {
        case 0:
            SetOrder(PlaylistOrder::Id);
            break;
        case 1:
            SetOrder(PlaylistOrder::Name);
            break;
        case 2:
            SetOrder(PlaylistOrder::Date);
            break;
        default:
            break;
    }
}

void PlaylistsController::SetCurrentRow(int row) {
    m_current = RowCount() == 0 ? -1 : std::clamp(row, 0, RowCount() - 1);
}

int PlaylistsController::IdAt(int row) const {
    if (row < 0 || row >= RowCount()) {
        return 0;
    }
    return m_rows.Value(row, m_idColumn).toInt();
}

QString PlaylistsController::NameAt(int row) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    return m_rows.Value(row, m_nameColumn).toString();
}

QString PlaylistsController::CellText(int row, PlaylistColumn column) const {
    if (row < 0 || row >= RowCount()) {
        return {};
    }
    switch (column) {
        case PlaylistColumn::Id:
            return QString::number(IdAt(row));
        case PlaylistColumn::Name:
            return NameAt(row);
        case PlaylistColumn::Date:
            break;
    }
    const int day = m_dateColumn < 0 ? 0 : m_rows.Value(row, m_dateColumn).toInt();
    return DateNumberText(day);
}

void PlaylistsController::RowClicked(int row) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    m_current = row;
    if (m_picking) {
        if (m_display) {
            m_display->CloseListWindow(true);
        }
        return;
    }
    m_songs.ShowPlaylistSongs(IdAt(row));
}

void PlaylistsController::OpenPopup(int row) {
    SetCurrentRow(row);
}

bool PlaylistsController::EditContentEnabled() const {
    return m_songs.QueueConnected();
}

void PlaylistsController::ListSongsInPlaylist() {
    if (m_current >= 0) {
        m_songs.ShowPlaylistSongs(CurrentPlaylistId());
    }
}

void PlaylistsController::RenamePlaylist() {
    if (m_current < 0 || ReadOnly()) {
        return;
    }
    const int id = CurrentPlaylistId();
    const QString old = NameAt(m_current);
    QString name = old;
    if (!InputTextLimited("Edit playlist name", name, kPlaylistNameWidth)) {
        return;
    }
    name = FitToColumn(name, kPlaylistNameWidth);
    // An emptied box would leave a playlist that no list can name; the old name stays.
    if (name.isEmpty() || name == old) {
        return;
    }
    // Names find playlists (the songs window's target, the queue's saves), so two must not share one.
    if (const std::optional<Tplist> other = m_playlists.OtherPlaylistNamed(name, id)) {
        ShowInfo("A playlist with this name already exists: #" + QString::number(other->Id) + " " +
                 QuoteDouble(other->Name));
        return;
    }
    m_library.catalogue.ExecSqlCommit("update plist set plname = " + SqlQuote(name) +
                                      " where plid = " + QString::number(id));
    // The songs window's "Add to playlist" caption and the queue's title show these names.
    for (Tplist* reference : ReferencesTo(m_playlists.Shared(), id)) {
        reference->Name = name;
    }
    RefreshPlaylistList();
}

void PlaylistsController::EditPlaylistContent() {
    if (m_current < 0 || ReadOnly()) {
        return;
    }
    const int id = CurrentPlaylistId();
    // A playlist gone since the list was read would leave the songs window on its previous list,
    // and that list would go into the queue.
    Tplist playlist;
    if (!m_playlists.LoadPlaylistRecord(id, playlist)) {
        RefreshPlaylistList();
        return;
    }
    m_songs.ShowPlaylistSongs(id);
    m_songs.EditPlaylistInQueue();
}

void PlaylistsController::ClearCurrentPlaylist() {
    if (m_current < 0 || ReadOnly()) {
        return;
    }
    m_playlists.ClearPlaylist(CurrentPlaylistId());
}

void PlaylistsController::DeleteCurrentPlaylist() {
    if (m_current < 0 || ReadOnly()) {
        return;
    }
    const int id = CurrentPlaylistId();
    if (m_playlists.DeletePlaylist(id)) {
        ForgetDeleted(id);
        RefreshPlaylistList();
    }
}

void PlaylistsController::ForgetDeleted(int playlistId) {
    // Adding to or saving into a playlist that is gone would write entries that no list shows.
    for (Tplist* reference : ReferencesTo(m_playlists.Shared(), playlistId)) {
        ForgetPlaylist(*reference);
    }
}

void PlaylistsController::NewPlaylist() {
    if (ReadOnly() || !m_playlists.AskNewPlaylist()) {
        return;
    }
    Rebuild(m_playlists.TargetPlaylist().Id);
}

void PlaylistsController::Refresh() {
    RefreshPlaylistList();
    BusyReset();
}

void PlaylistsController::Close() {
    if (m_display) {
        m_display->CloseListWindow(false);
    }
}

bool PlaylistsController::ReadOnly() const {
    return RefuseIfReadOnly(m_library.settings.READONLY);
}

}  // namespace sw
