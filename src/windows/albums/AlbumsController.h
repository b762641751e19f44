#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "AlbumListSql.h"
#include "core/AlbumRecords.h"
#include "core/RowSet.h"
#include "core/RowSetModel.h"

namespace sw {

class Library;
class LibraryListDisplay;
class SongListController;

/// The windows the albums window opens that other parts of the program provide. Each is empty
/// until that window exists, and the items it serves stay disabled until then.
struct AlbumsHooks {
    /// The genre picker: true with a genre chosen.
    std::function<bool(int& genreId, QString& genreName)> pickGenre;
    /// The artist details window (the album details window's "View this artist" uses it too).
    std::function<void(int artistId)> artistDetails;
    /// The album details window; the album details controller connects itself here.
    std::function<void(int albumId)> albumDetails;
    /// The "New Album Group" dialog's fields, true on OK; the albums window connects its dialog.
    std::function<bool(QString& name, QString& artist)> newGroupFields;
};

/// The row pop-up menu as it opens over an album or a group: captions and enabled items.
struct AlbumPopupMenu {
    bool isAlbum = false;
    bool isGroup = false;
    QString viewDetails = "View album details";
    QString listArtistSongs = "List songs by this artist";
    QString includeInSelected = "Include this Item in selected group";
    QString includeSelected = "Include selected Item in this group";
    bool viewDetailsEnabled = false;
    bool playEnabled = false;
    bool assignGenreEnabled = false;
    bool excludeEnabled = false;
};

/// The albums window without widgets: albums and album groups listed flat or group by group like
/// folders, their sorts and filters, the search box, and the commands on albums and groups. Its
/// state (view, sort, filters, current group, selections) lasts as long as the program. Questions
/// and messages go through the installed dialogs; every change is committed before the list is
/// read again.
class AlbumsController {
public:
    AlbumsController(Library& library, SongListController& songs);
    ~AlbumsController();
    AlbumsController(const AlbumsController&) = delete;
    AlbumsController& operator=(const AlbumsController&) = delete;

    void SetDisplay(LibraryListDisplay* display) { m_display = display; }
    AlbumsHooks& Hooks() { return m_hooks; }
    const AlbumsHooks& Hooks() const { return m_hooks; }

    // Requests from the rest of the program.
    /// Every album, sorted by artist.
    void ShowAllAlbums();
    /// The groups without the ungrouped albums.
    void ShowAlbumGroups();
    /// The members of the group; false (nothing shown) when there is no such group.
    bool ShowAlbumGroup(int groupId);
    /// As ShowAlbumGroup (0 or less keeps the current group), with the cursor on the album.
    void ShowAlbumGroupAt(int groupId, int albumId);
    void ShowAlbumsWindow();
    /// Reads the list again with the cursor on the row of `positionOnId`, else on row
    /// `fallbackRow` (or the last one).
    void RefreshAlbumList(int positionOnId, int fallbackRow = 0);
    /// "Refresh": the list read again, the cursor kept.
    void Refresh();
    /// The window was activated: a list that is not open is read again.
    void WindowActivated();
    /// Forgets the list, as when the catalogue goes away.
    void CloseList();
    /// Another window changed albums: a list on show is read again.
    void AlbumsChanged();

    // The window's state.
    AlbumView View() const { return m_view; }
    void SetView(AlbumView view);
    AlbumSort Sort() const { return m_sort; }
    void SetSort(AlbumSort sort);
    /// "Sequence number" orders the members of a group only.
    bool SequenceSortEnabled() const { return InsideGroup(); }
    AlbumRatingFilter RatingFilter() const { return m_ratingFilter; }
    void SetRatingFilter(AlbumRatingFilter filter);
    bool HideUngrouped() const { return m_hideUngrouped; }
    bool HideUngroupedEnabled() const { return m_view == AlbumView::Collapsed; }
    void ToggleHideUngrouped();
    /// "Hide albums with no existing files", kept in FILTERALBUMS.
    bool HideMissing() const { return m_hideMissing; }
    void ToggleHideMissing();
    /// The top level is a group record with id 0.
    const TAlbum& CurrentGroup() const { return m_currentGroup; }
    bool InsideGroup() const { return m_view == AlbumView::Collapsed && m_currentGroup.AlbumId > 0; }
    /// Id 0 or less: none selected.
    const TAlbum& SelectedGroup() const { return m_selectedGroup; }
    const TAlbum& SelectedItem() const { return m_selectedItem; }
    /// Makes the album or group the item that "Include selected Item in this group" moves.
    void SelectItem(const TAlbum& item) { m_selectedItem = item; }
    /// The id the cursor returns to when the list is read again.
    int RememberedId() const { return m_rememberedId; }
    AlbumListOptions Options() const;

    // The list.
    bool QueryOpen() const { return m_queryOpen; }
    const QString& Caption() const { return m_caption; }
    const QString& CountLabel() const { return m_countLabel; }
    /// "FILTER" while anything is filtered out, "Filter" otherwise.
    QString FilterMenuCaption() const;
    bool BackEnabled() const;
    const RowSet& Rows() const { return m_rows; }
    int RowCount() const { return m_rows.RowCount(); }
    RowSetModel& Model() { return *m_model; }
    const RowSetModel& Model() const { return *m_model; }
    const std::vector<AlbumColumn>& Columns() const { return m_columns; }
    QString CellText(int row, AlbumColumn column) const;
    /// The row as a record (the fields the list reads); an empty record outside the rows.
    TAlbum AlbumAt(int row) const;
    int AlbumIdAt(int row) const;
    /// -1 when the list is empty.
    int CurrentRow() const { return m_current; }
    int CurrentAlbumId() const { return AlbumIdAt(m_current); }
    /// The user moved the cursor.
    void SetCurrentRow(int row);
    void JumpToStart();
    void JumpToEnd();

    // What the user does in the window.
    void SearchTyped(const QString& text);
    /// A click on a column heading sorts by that column.
    void HeadingClicked(int column);
    /// A click or double click on a row: the search box is emptied and the row opened.
    void RowClicked(int row);
    /// "List ..." and Enter: an album's songs, or the group's members.
    void OpenCurrentRow();
    void Back();
    /// Esc goes Back while Back is enabled; false when the window is to close instead.
    bool EscapePressed();

    // The pop-up menu over a row; its commands work on the current row.
    /// The cursor moves to the row; false (after saying why) when the row is neither an album nor
    /// a group, and no menu opens.
    bool OpenPopup(int row);
    const AlbumPopupMenu& Popup() const { return m_popup; }
    void PlayWholeAlbum();
    void ViewDetails();
    void ListArtistSongs();
    void Rename();
    void AssignGenre();
    void DeleteAlbum();
    void CopyAlbum();
    void CopyGroup();
    void ListSingles();
    void SelectThisGroup();
    void SelectThisItem();
    /// The current row goes into the selected group.
    void IncludeInSelectedGroup();
    /// The selected item goes into the group of the current row.
    void IncludeSelectedItem();
    void ExcludeFromGroup();
    void DeleteGroup();

    // The "Groups" and "New" menus.
    bool NewGroupEnabled() const { return static_cast<bool>(m_hooks.newGroupFields); }
    void NewGroup();
    void NewAlbum();

private:
    struct Fields;

    void OpenRow(int row);
    void Include(const TAlbum& item, const TAlbum& group);
    void ShowColumns();
    void SetCurrent(int row);
    void Changed();
    /// The id of the row after `row`, else of the one before; 0 when there is neither.
    int NeighbourId(int row) const;
    QString MarkAt(int row) const;
    QString SearchKeyAt(int row) const;
    bool ReadOnly() const;

    Library& m_library;
    SongListController& m_songs;
    LibraryListDisplay* m_display = nullptr;
    AlbumsHooks m_hooks;

    AlbumView m_view = AlbumView::Expanded;
    AlbumSort m_sort = AlbumSort::Artist;
    AlbumRatingFilter m_ratingFilter = AlbumRatingFilter::All;
    bool m_hideUngrouped = false;
    bool m_hideMissing = false;
    TAlbum m_currentGroup;
    TAlbum m_selectedGroup;
    TAlbum m_selectedItem;
    int m_rememberedId = 0;

    bool m_queryOpen = false;
    QString m_caption = "Albums";
    QString m_countLabel;
    RowSet m_rows;
    std::unique_ptr<Fields> m_fields;
    std::unique_ptr<RowSetModel> m_model;
    std::vector<AlbumColumn> m_columns;
    int m_current = -1;
    AlbumPopupMenu m_popup;
};

/// The top level of the groups: an empty group record with id 0.
TAlbum TopLevelGroup();

}  // namespace sw
