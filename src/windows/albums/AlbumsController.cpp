#include "AlbumsController.h"

#include <algorithm>

#include "windows/main/LibraryList.h"
#include "windows/songs/SongListController.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

/// The list's columns by position, found once per query.
struct AlbumsController::Fields {
    explicit Fields(const RowSet& rows)
        : albumId(rows.ColumnIndex("ALBUMID")),
          artistId(rows.ColumnIndex("ARTISTID")),
          artistName(rows.ColumnIndex("ARNAME")),
          lowerArtist(rows.ColumnIndex("LARTIST")),
          albumName(rows.ColumnIndex("ALNAME")),
          lowerName(rows.ColumnIndex("LNAME")),
          year(rows.ColumnIndex("year")),
          numExi(rows.ColumnIndex("NUMEXI")),
          mark(rows.ColumnIndex("ALORGRP")),
          groupId(rows.ColumnIndex("GRPID")),
          rating(rows.ColumnIndex("RATINGSUMM")),
          seq(rows.ColumnIndex("SEQ")) {}

    int albumId, artistId, artistName, lowerArtist, albumName, lowerName, year, numExi, mark, groupId, rating,
        seq;
};

TAlbum TopLevelGroup() {
    TAlbum top;
    top.AlbumId = 0;
    top.AlOrGrp = 'G';
    return top;
}

AlbumsController::AlbumsController(Library& library, SongListController& songs)
    : m_library(library),
      m_songs(songs),
      m_currentGroup(TopLevelGroup()),
      m_model(std::make_unique<RowSetModel>()) {}

AlbumsController::~AlbumsController() = default;

// Requests.

void AlbumsController::ShowAllAlbums() {
    m_view = AlbumView::Expanded;
    m_sort = AlbumSort::Artist;
    ShowAlbumsWindow();
}

void AlbumsController::ShowAlbumGroups() {
    m_view = AlbumView::Collapsed;
    m_hideUngrouped = true;
    ShowAlbumsWindow();
}

bool AlbumsController::ShowAlbumGroup(int groupId) {
    TAlbum group;
    if (!m_library.albums.FindAlbumById(groupId, group) || group.AlOrGrp != 'G') {
        return false;
    }
    m_currentGroup = group;
    // Only the collapsed view lists a group's members.
    m_view = AlbumView::Collapsed;
    ShowAlbumsWindow();
    return true;
}

void AlbumsController::ShowAlbumGroupAt(int groupId, int albumId) {
    const int remembered = m_rememberedId;
    m_rememberedId = albumId;
    if (groupId > 0) {
        if (!ShowAlbumGroup(groupId)) {
            m_rememberedId = remembered;
        }
        return;
    }
    ShowAlbumsWindow();
}

void AlbumsController::ShowAlbumsWindow() {
    m_hideMissing = m_library.settings.FILTERALBUMS;
    m_caption = "Albums";
    if (m_display) {
        m_display->ShowListWindow();
    }
    RefreshAlbumList(m_rememberedId, std::max(m_current, 0));
}

AlbumListOptions AlbumsController::Options() const {
    AlbumListOptions options;
    options.view = m_view;
    options.groupId = m_currentGroup.AlbumId;
    options.hideUngrouped = m_hideUngrouped;
    options.hideMissing = m_hideMissing;
    options.ratingFilter = m_ratingFilter;
    options.sort = m_sort;
    return options;
}

void AlbumsController::RefreshAlbumList(int positionOnId, int fallbackRow) {
    const AlbumListOptions options = Options();
    const QString sql = AlbumListQueryText(options);
    if (options.view == AlbumView::Collapsed) {
        Query query(m_library.catalogue, sql);
        m_rows = query.SetInteger("grpid", options.groupId).Open();
    } else {
        m_rows = m_library.catalogue.Select(sql);
    }
    m_fields = std::make_unique<Fields>(m_rows);
    m_queryOpen = true;
    ShowColumns();

    if (m_view == AlbumView::Expanded) {
        m_caption = "All albums";
    } else if (m_currentGroup.AlbumId > 0) {
        m_caption = "Albums in Group " + QuoteDouble(m_currentGroup.AlbumName);
    } else {
        m_caption = "Album groups ";
    }
    m_countLabel = QString::number(RowCount()) + " item(s) listed";

    int row = positionOnId > 0 ? RowWithId(m_rows, m_fields->albumId, positionOnId) : -1;
    if (row < 0) {
        row = std::min(std::max(fallbackRow, 0), RowCount() - 1);
    }
    m_current = row;
    m_rememberedId = AlbumIdAt(row) > 0 ? AlbumIdAt(row) : m_rememberedId;
    if (m_display) {
        m_display->ListBuilt();
    }
    Changed();
}

void AlbumsController::ShowColumns() {
    m_columns = VisibleAlbumColumns(Options());
    std::vector<GridColumn> grid;
    grid.reserve(m_columns.size());
    for (const AlbumColumn column : m_columns) {
        GridColumn each;
        each.caption = AlbumColumnCaption(column);
        if (column == SortColumnOf(m_sort)) {
            each.caption = SortedCaption(each.caption);
        }
        each.text = [this, column](int row) { return CellText(row, column); };
        switch (column) {
            case AlbumColumn::Wng:
                each.alignment = Qt::AlignCenter;
                each.widestSample = "!";
                break;
            case AlbumColumn::Year:
                each.widestSample = "0000";
                break;
            case AlbumColumn::Rating:
                each.alignment = Qt::AlignRight | Qt::AlignVCenter;
                each.widestSample = "-0.0";
                break;
            case AlbumColumn::Group:
                each.widestSample = "GROUP";
                break;
            case AlbumColumn::Seq:
                each.alignment = Qt::AlignRight | Qt::AlignVCenter;
                break;
            case AlbumColumn::Artist:
            case AlbumColumn::Name:
                break;
        }
        grid.push_back(std::move(each));
    }
    m_model->Show(&m_rows, std::move(grid));
}

void AlbumsController::Refresh() {
    RefreshAlbumList(CurrentAlbumId() > 0 ? CurrentAlbumId() : m_rememberedId, std::max(m_current, 0));
}

void AlbumsController::WindowActivated() {
    if (!m_queryOpen && m_library.catalogue.IsOpen()) {
        RefreshAlbumList(m_rememberedId);
    }
}

void AlbumsController::CloseList() {
    m_queryOpen = false;
    m_model->Show(nullptr, {});
    m_rows = RowSet();
    m_fields.reset();
    m_current = -1;
    Changed();
}

void AlbumsController::AlbumsChanged() {
    if (m_queryOpen && m_display && m_display->ListWindowShown()) {
        Refresh();
    }
}

// State.

void AlbumsController::SetView(AlbumView view) {
    m_view = view;
    Refresh();
}

void AlbumsController::SetSort(AlbumSort sort) {
    if (sort == AlbumSort::SequenceNumber && !SequenceSortEnabled()) {
        return;
    }
    m_sort = sort;
    Refresh();
}

void AlbumsController::SetRatingFilter(AlbumRatingFilter filter) {
    m_ratingFilter = filter;
    Refresh();
}

void AlbumsController::ToggleHideUngrouped() {
    if (!HideUngroupedEnabled()) {
        return;
    }
    m_hideUngrouped = !m_hideUngrouped;
    Refresh();
}

void AlbumsController::ToggleHideMissing() {
    m_hideMissing = !m_hideMissing;
    m_library.settings.FILTERALBUMS = m_hideMissing;
    Refresh();
}

QString AlbumsController::FilterMenuCaption() const {
    return m_hideMissing || m_ratingFilter != AlbumRatingFilter::All ? "FILTER" : "Filter";
}

bool AlbumsController::BackEnabled() const {
    return InsideGroup() || (m_view == AlbumView::Collapsed && m_hideUngrouped);
}

// The rows.

QString AlbumsController::MarkAt(int row) const {
    return m_rows.Value(row, m_fields->mark).toString();
}

QString AlbumsController::CellText(int row, AlbumColumn column) const {
    if (!m_fields || row < 0 || row >= RowCount()) {
        return {};
    }
    switch (column) {
        case AlbumColumn::Artist:
            return m_rows.Value(row, m_fields->artistName).toString();
        case AlbumColumn::Name: {
            const QString name = m_rows.Value(row, m_fields->albumName).toString();
            return MarkAt(row) == "G" ? name.toUpper() : name;
        }
        case AlbumColumn::Wng:
            return MarkAt(row) == "A" && m_rows.Value(row, m_fields->numExi).toLongLong() == 0 ? "!" : " ";
        case AlbumColumn::Year:
            return m_rows.Value(row, m_fields->year).toString();
        case AlbumColumn::Rating:
            return AlbumRatingText(m_rows.Value(row, m_fields->rating));
        case AlbumColumn::Group:
            return MarkAt(row) == "G" ? "GROUP" : QString();
        case AlbumColumn::Seq: {
            const QVariant seq = m_rows.Value(row, m_fields->seq);
            return seq.isValid() ? QString::number(seq.toLongLong()) : QString();
        }
    }
    return {};
}

TAlbum AlbumsController::AlbumAt(int row) const {
    TAlbum album;
    if (!m_fields || row < 0 || row >= RowCount()) {
        return album;
    }
    const auto integer = [&](int column) { return static_cast<int>(m_rows.Value(row, column).toLongLong()); };
    album.AlbumId = integer(m_fields->albumId);
    album.AlbumName = m_rows.Value(row, m_fields->albumName).toString();
    album.ArtistId = integer(m_fields->artistId);
    album.ArtistName = m_rows.Value(row, m_fields->artistName).toString();
    album.Year = m_rows.Value(row, m_fields->year).toString();
    album.NumExi = integer(m_fields->numExi);
    const QString mark = MarkAt(row);
    album.AlOrGrp = mark.isEmpty() ? QChar('X') : mark[0];
    album.GrpId = integer(m_fields->groupId);
    album.RatingSumm = integer(m_fields->rating);
    album.SeqIsNull = !m_rows.Value(row, m_fields->seq).isValid();
    album.Seq = integer(m_fields->seq);
    return album;
}

int AlbumsController::AlbumIdAt(int row) const {
    if (!m_fields || row < 0 || row >= RowCount()) {
        return 0;
    }
    return static_cast<int>(m_rows.Value(row, m_fields->albumId).toLongLong());
}

int AlbumsController::NeighbourId(int row) const {
    if (row + 1 < RowCount()) {
        return AlbumIdAt(row + 1);
    }
    return row > 0 ? AlbumIdAt(row - 1) : 0;
}

void AlbumsController::SetCurrent(int row) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    m_current = row;
    m_rememberedId = AlbumIdAt(row);
    m_rows.SetCurrentRow(row);
}

void AlbumsController::SetCurrentRow(int row) {
    SetCurrent(row);
}

void AlbumsController::JumpToStart() {
    SetCurrent(0);
    if (m_display && RowCount() > 0) {
        m_display->CurrentRowChanged(m_current);
    }
}

void AlbumsController::JumpToEnd() {
    SetCurrent(RowCount() - 1);
    if (m_display && RowCount() > 0) {
        m_display->CurrentRowChanged(m_current);
    }
}

void AlbumsController::Changed() {
    if (m_display) {
        m_display->StateChanged();
    }
}

// What the user does.

QString AlbumsController::SearchKeyAt(int row) const {
    const int column = m_sort == AlbumSort::Artist ? m_fields->lowerArtist : m_fields->lowerName;
    return m_rows.Value(row, column).toString();
}

void AlbumsController::SearchTyped(const QString& text) {
    if (text.isEmpty() || !m_fields) {
        return;
    }
    const int row = FirstRowNotLess(
        RowCount(), [&](int each) { return ComparePrefixNoCase(SearchKeyAt(each), text) >= 0; });
    if (row >= 0) {
        SetCurrent(row);
        if (m_display) {
            m_display->CurrentRowChanged(row);
        }
    }
    const bool found = row >= 0 && ComparePrefixNoCase(SearchKeyAt(row), text) == 0;
    if (!found && m_view == AlbumView::Collapsed && AskYesNoCancel("Not found - expand Groups ?") == 'Y') {
        m_view = AlbumView::Expanded;
        Refresh();
        SearchTyped(text);
    }
}

void AlbumsController::HeadingClicked(int column) {
    if (column < 0 || column >= static_cast<int>(m_columns.size())) {
        return;
    }
    AlbumSort sort;
    if (SortOfColumn(m_columns[static_cast<std::size_t>(column)], sort)) {
        SetSort(sort);
    }
}

void AlbumsController::RowClicked(int row) {
    if (m_display) {
        m_display->ClearSearchQuietly();
    }
    OpenRow(row);
}

void AlbumsController::OpenCurrentRow() {
    OpenRow(m_current);
}

void AlbumsController::OpenRow(int row) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    SetCurrent(row);
    const TAlbum item = AlbumAt(row);
    if (item.AlOrGrp == 'G') {
        TAlbum group;
        m_currentGroup = m_library.albums.FindAlbumById(item.AlbumId, group) ? group : item;
        RefreshAlbumList(0);
        return;
    }
    if (item.AlOrGrp != 'A') {
        ShowInfo("Invalid alorgrp " + QuoteDouble(MarkAt(row)));
        return;
    }
    if (m_library.albums.CountAlbumSongs(item.AlbumId) == 0) {
        if (AskYesNoCancel("Album #" + QString::number(item.AlbumId) + " has no songs, OK to remove it ? ") !=
                'Y' ||
            RefuseIfReadOnly(ReadOnly())) {
            return;
        }
        const int next = NeighbourId(row);
        m_library.albums.DeleteAlbumAndSongs(item.AlbumId);
        m_library.catalogue.CommitAndContinue();
        RefreshAlbumList(next, row);
        return;
    }
    m_rememberedId = item.AlbumId;
    m_songs.ShowAlbumSongs(item.AlbumId);
}

void AlbumsController::Back() {
    if (m_sort == AlbumSort::SequenceNumber) {
        m_sort = AlbumSort::AlbumName;
    }
    if (!InsideGroup()) {
        if (m_view == AlbumView::Collapsed && m_hideUngrouped) {
            if (AskYesNoCancel("Already at top - also show ungrouped albums ?") != 'Y') {
                return;
            }
            m_hideUngrouped = false;
        } else {
            m_view = AlbumView::Expanded;
        }
        Refresh();
        return;
    }
    const int left = m_currentGroup.AlbumId;
    TAlbum parent;
    if (m_currentGroup.GrpId > 0 && m_library.albums.FindAlbumById(m_currentGroup.GrpId, parent) &&
        parent.AlOrGrp == 'G') {
        m_currentGroup = parent;
    } else {
        m_currentGroup = TopLevelGroup();
    }
    RefreshAlbumList(left);
}

bool AlbumsController::EscapePressed() {
    if (!BackEnabled()) {
        return false;
    }
    Back();
    return true;
}

bool AlbumsController::ReadOnly() const {
    return m_library.settings.READONLY;
}

}  // namespace sw
