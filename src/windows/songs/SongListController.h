#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "SongListCells.h"
#include "SongListRequest.h"
#include "core/Firebird.h"
#include "core/RowSet.h"
#include "core/RowSetModel.h"
#include "core/Song.h"

namespace sw {

class AlbumSummary;
class Clock;
class Library;
class Playlists;
class QueueController;
class QueuePlayer;
class Query;
struct SongListQueryParts;

/// Where the songs list reports what its window shows.
class SongListDisplay {
public:
    virtual ~SongListDisplay() = default;
    /// The window is to be shown, restored when minimised.
    virtual void ShowSongsWindow() = 0;
    /// A rebuild begins: the grid keeps its column widths for a list shown without fitting.
    virtual void SaveColumnWidths() = 0;
    /// A new list is in the model: fit or restore the columns.
    virtual void ListBuilt() = 0;
    /// The program moved the current row.
    virtual void CurrentRowChanged(int row) = 0;
    /// The caption, the labels, the marks of the selection or the menus' state changed.
    virtual void StateChanged() = 0;
};

/// What an accepted assignment of details to many songs reports back.
struct AssignOutcome {
    bool accepted = false;
    /// Its "Album" box was ticked: the songs went to `albumId`.
    bool albumTicked = false;
    int albumId = 0;
};

/// The windows that other parts of the program provide. Each is empty until that window exists,
/// and the songs window's items that open it stay disabled until then.
struct SongListHooks {
    /// The song details window; true when it changed the song.
    std::function<bool(int songNum)> viewSong;
    /// The edit window on the record; true when it saved it.
    std::function<bool(TSong& song)> editSong;
    std::function<void(int albumId)> albumDetails;
    std::function<void(int groupId)> albumGroup;
    /// The playlists window's selection into the target playlist; true when one was chosen.
    std::function<bool()> selectPlaylist;
    /// The list of the playlists holding the song.
    std::function<void(int songNum)> playlistsHolding;
    /// The assignment of details to these songs.
    std::function<AssignOutcome(const std::vector<int>& songNums)> assignDetails;
    /// The search window: true with a text to search for (its options set in `options`).
    std::function<bool(SearchOptions& options, QString& text)> searchWindow;
    /// The song on the preview output.
    std::function<void(const TSong& song)> preview;
    /// The now-playing window, shown (restored when minimised).
    std::function<void()> showQueue;
};

/// The "Play" menu's scope; the captions name them.
enum class PlayScope { ThisSong, Selection, ListFromPosition, WholeList };
QString PlayScopeName(PlayScope scope);
/// How songs go into the queue.
enum class QueueKind { PlayNow = 1, PlayNext = 2, Insert = 3, Append = 4 };
/// "Play now - ", "Play next - ", "Insert into queue - ", "Append to queue - " and the scope.
QString QueueKindCaption(QueueKind kind, PlayScope scope);

/// The row pop-up menu as it opens over a song: captions and enabled items.
struct SongPopupMenu {
    QString addToPlaylist = "Add to playlist x";
    bool addToPlaylistEnabled = false;
    QString viewPlaylist = "View playlist x";
    bool viewPlaylistEnabled = false;
    QString addToAnother = "Add to another playlist";
    bool deleteEnabled = false;
    QString inThisAlbum = "-  in this Album";
    QString byThisArtist = "-  by this Artist";
    bool albumGroupEnabled = false;
    bool dropEnabled = false;
};

/// "More songs ..." of the pop-up.
enum class SongsLike { Album = 1, Artist = 2, Genre = 3, Title = 4 };

/// The songs window without widgets: the list requests and their Back stack, the list modes and
/// their queries, the rating filter, the grid's columns and computed cells over the list's row
/// set, the current row and the selection, and what is done with the listed songs. Questions and
/// messages go through the installed dialogs.
class SongListController {
public:
    SongListController(Library& library, Playlists& playlists, const Clock& clock);
    ~SongListController();
    SongListController(const SongListController&) = delete;
    SongListController& operator=(const SongListController&) = delete;

    void SetDisplay(SongListDisplay* display) { m_display = display; }
    /// The album check pass that follows an unfiltered album list; none in a listing without a
    /// window.
    void SetAlbumSummary(AlbumSummary* summary) { m_summary = summary; }
    SongListHooks& Hooks() { return m_hooks; }
    /// The now-playing queue the songs go to and the engine that plays it; none until the queue
    /// window exists, and the items that queue songs stay disabled until then.
    void SetQueue(QueueController* queue, QueuePlayer* player);
    bool QueueConnected() const { return m_queue != nullptr && m_player != nullptr; }
    /// Opens a file, measures its length in whole seconds and frees it; -1 (after saying why)
    /// when it cannot be opened. The durations fix needs it.
    void SetDurationMeasure(std::function<int(const QString& path)> measure) {
        m_measure = std::move(measure);
    }
    bool DurationsFixEnabled() const { return static_cast<bool>(m_measure); }

    // Requests from the rest of the program.
    /// Album id 0 lists the singles.
    void ShowAlbumSongs(int albumId, int positionOn = 0);
    void ShowArtistSongs(int artistId, int positionOn = 0);
    void ShowGenreSongs(int genreId, int positionOn = 0);
    void ShowSingles();
    void ShowPlaylistSongs(int playlistId);
    /// The playlist with the cursor on the last row whose Seq is at most `seq`.
    void ShowPlaylistAtSeq(int playlistId, int seq);
    /// The songs of the last load run (LastLoadedTS), unfiltered; a durations fix may follow.
    void ShowLastLoaded();
    void ShowRecentSongs();
    /// Sets DAYSRECENT first.
    void ShowRecentSongs(int days);
    /// The songs titled exactly `title`, positioned on `songNum`.
    void ShowTitleSongs(const QString& title, int songNum);
    /// The songs played on the day (YYYYMMDD).
    void ShowHistoryDay(int day);
    /// The search window; then the search it asks for.
    void SearchSongs();
    /// A search with the search options as they stand; an empty text does nothing.
    void SearchSongs(const QString& text);
    /// The songs whose stored file name holds `fileName`.
    void ShowFileNameSongs(const QString& fileName);
    /// The songs sharing the song's album, artist, genre or title, positioned on it.
    void ShowSongsLike(int songNum, SongsLike kind);
    /// The album's list, played at once from its first song.
    void ShowAlbumAndPlay(int albumId);

    void ShowSongList(const SongListRequest& request);
    void SongListBack();
    /// Reads the current list again; the first row is current (the last in the play history).
    void BuildSongList();
    /// Reads the current list again and stays on the current song.
    void RebuildKeepingCurrent();
    /// "Refresh".
    void Refresh();

    // The filter menu.
    int RatingFilter() const;
    void SetRatingFilter(int value);
    bool HideMissing() const { return m_hideMissing; }
    void ToggleHideMissing();
    QString FilterLabel() const { return FilterLabelText(m_mode, RatingFilter()); }
    bool FilterLabelHighlighted() const { return sw::FilterLabelHighlighted(RatingFilter()); }

    // "Options".
    bool AutoFitColumns() const { return m_autoFit; }
    void SetAutoFitColumns(bool on) { m_autoFit = on; }
    bool AutoRefreshAfterEdit() const { return m_autoRefresh; }
    void SetAutoRefreshAfterEdit(bool on) { m_autoRefresh = on; }
    bool DoubleClickToEdit() const;
    void SetDoubleClickToEdit(bool edit);

    /// The window was activated: a list never read (or closed) is read again.
    void WindowActivated(bool catalogueOpen);
    /// The window is shown: before any list, it names the singles.
    void WindowShown();

    // The list.
    SongListMode Mode() const { return m_mode; }
    const SongListRequest& CurrentRequest() const { return m_request; }
    const std::vector<SongListRequest>& BackStack() const { return m_back; }
    bool BackEnabled() const { return !m_back.empty(); }
    const QString& Caption() const { return m_caption; }
    const QString& CountLabel() const { return m_countLabel; }
    /// The count label opens the album's details (album mode only).
    bool CountLabelOpensAlbum() const { return m_mode == SongListMode::Album; }
    int AlbumId() const { return m_albumId; }
    int PlaylistId() const { return m_playlistId; }
    /// The load run's stamp that a last-load list shows.
    TDateTime SearchStamp() const { return m_searchStamp; }
    /// The songs the last search found (its list shows those the filters let through).
    const std::vector<int>& FoundSongs() const { return m_found; }
    const SearchOptions& Search() const { return m_search; }
    SearchOptions& Search() { return m_search; }
    bool QueryOpen() const { return m_queryOpen; }

    const RowSet& Rows() const { return m_rows; }
    int RowCount() const { return m_rows.RowCount(); }
    RowSetModel& Model() { return *m_model; }
    const std::vector<SongColumn>& Columns() const { return m_columns; }
    /// The row's song number; 0 for a row without a song and outside the rows.
    int SongNumAt(int row) const;
    /// The row's Seq: the playlist seq (the track or song number in other lists).
    int SeqAt(int row) const;
    /// The row's "wng" cell: "?", "!" or empty.
    QString WarningAt(int row) const;
    QString CellText(int row, SongColumn column) const;

    /// A click on a column heading: the rows are ordered by that column (grid column index), again
    /// the other way round; rows level in it keep their order. The list's own order comes back
    /// with its next reading.
    void SortByColumn(int column);
    /// The column the rows are ordered by; -1 in the list's own order.
    int SortColumn() const { return m_sortColumn; }
    bool SortReversed() const { return m_sortReversed; }
    /// Long lists are read in two steps (their keys, then the rows on show); off, every list is
    /// read at once by its query as it stands.
    void SetReadByKeys(bool on) { m_readByKeys = on; }

    /// -1 when the list is empty.
    int CurrentRow() const { return m_current; }
    int CurrentSongNum() const { return SongNumAt(m_current); }
    /// The user moved the cursor.
    void SetCurrentRow(int row);
    void JumpToStart();
    void JumpToEnd();
    /// Puts the cursor on the last row holding the song, or on the first row when none does.
    void GoToSong(int songNum);

    // Menu states.
    bool DropFromPlaylistEnabled() const { return m_mode == SongListMode::Playlist && m_queryOpen; }
    bool EditPlaylistEnabled() const { return m_mode == SongListMode::Playlist && m_queryOpen; }
    /// The warnings scan of the list decides these three; asking finishes a scan still under way.
    bool QuestionFixEnabled();
    bool BangFixEnabled();
    bool HideItemEnabled();

    /// A window that draws the list before its warnings scan is done: a build leaves the scan to
    /// ContinueWarningsScan (between events) or to the first look at the items it enables.
    void SetWarningsScanDeferred(bool deferred) { m_scanDeferred = deferred; }
    /// Scans up to `rows` more rows; true while rows remain.
    bool ContinueWarningsScan(int rows);
    bool WarningsScanPending() const { return m_scanNext < RowCount(); }

    // Selection.
    /// A click on a row: Ctrl toggles the row, Shift selects from the anchor song's row to it, a
    /// plain click clears the selection and makes the row's song the anchor.
    void ClickRow(int row, bool ctrl, bool shift);
    /// A move of the cursor by the keyboard; with Shift the rows left and reached are selected.
    void KeyMoveTo(int row, bool shift);
    bool IsSelected(int row) const;
    int SelectedCount() const { return m_selectedCount; }
    /// The selected rows in list order.
    std::vector<int> SelectedRows() const;
    int AnchorSong() const { return m_anchorSong; }

    // The "Play" menu.
    /// The menu opens: the scope follows the selection and the current row.
    void PlayMenuOpening();
    PlayScope Scope() const { return m_scope; }
    void SetPlayScope(PlayScope scope) { m_scope = scope; }
    bool SelectionScopeEnabled() const { return m_selectionScopeEnabled; }
    bool FromPositionScopeEnabled() const { return m_fromPositionScopeEnabled; }

    // The queue.
    /// Sends the current song, the selection, the list from the current row or the whole list
    /// into the now-playing queue: played now, next, inserted at a line or appended.
    void QueueSongs(PlayScope scope, QueueKind kind);
    /// "Edit playlist": the queue is cleared and filled with the playlist shown, which it then
    /// saves into.
    void EditPlaylistInQueue();

    // The "PlayList" menu.
    bool TargetPlaylistChosen() const;
    /// "Add to playlist " and the target's name in double quotes.
    QString AddToPlaylistCaption() const;
    void AddAllToTargetPlaylist();
    void AddSelectionToTargetPlaylist();
    void ViewTargetPlaylist();
    /// True when a playlist was chosen (the menu opens again).
    bool SelectPlaylist();

    // "Fix".
    /// Measures every listed song's file and stores the lengths that differ; refused on a read-only
    /// catalogue.
    void FixDurations();
    /// Asks, then marks the "?" songs as present or missing after their files, and lists again.
    void FixQuestionWarnings();
    /// Asks, then removes the "!" songs from the catalogue, and lists again.
    void FixBangWarnings();
    void FixWarnings(QChar mark);

    // "Assign".
    void AssignToSelected();
    void AssignToAll();
    void AfterAssignment(const AssignOutcome& outcome);

    // The pop-up menu over a row.
    /// The cursor moves to the row, whose song is read into the current song record.
    const SongPopupMenu& OpenPopup(int row);
    const SongPopupMenu& Popup() const { return m_popup; }
    const TSong& CurrentSong() const { return m_currentSong; }
    void PopupViewSong();
    void PopupEditSong();
    void PopupCopySong();
    void PopupAlbumDetails();
    void PopupMoreSongs(SongsLike kind);
    void PopupAlbumGroup();
    void PopupSimilarFileName();
    void PopupPlaylistsHolding();
    void PopupAddToPlaylist();
    void PopupViewPlaylist();
    void PopupAddToAnotherPlaylist();
    void DropFromPlaylist();
    /// "Delete music file" (1), "Remove song from database" (2), "Delete && Remove" (3).
    void PopupRemove(int action);
    void PopupPreview();
    /// Double-click on a row: the edit window or the details, after the setting.
    void RowDoubleClicked();
    /// Enter: the edit window for the current song (refused on a read-only catalogue).
    void EnterPressed();
    /// "New": an empty song record in the edit window, which inserts it when saved; it becomes the
    /// current song record. Refused on a read-only catalogue.
    void NewSong();
    /// "New" needs the edit window.
    bool NewSongEnabled() const { return static_cast<bool>(m_hooks.editSong); }

private:
    struct Fields;

    /// Shows the current request's list; false when it cannot be shown.
    bool RunRequest();
    bool SetAlbumMode(int albumId);
    bool SetArtistMode(int artistId);
    bool SetGenreMode(int genreId);
    void SetSinglesMode();
    bool SetPlaylistMode(int playlistId);
    void SetRecentMode();
    void SetHistoryMode(int day);
    /// The songs of the load run with that stamp, or (`found`) the songs the last search found.
    void SetStampMode(bool found, TDateTime stamp, const QString& captionTail);
    /// Sets the mode; an album id is kept only in album mode.
    void EnterMode(SongListMode mode);
    /// A search or title request: keeps the songs found; false when nothing is to be listed.
    bool RunSearchRequest(const SongListRequest& request);

    void OpenQuery();
    void ReadQuery();
    /// The list read in two steps; false when it is to be read at once.
    bool ReadByKeys(const SongListQueryParts& parts, const std::function<void(Query&)>& bind, bool searching,
                    bool listsFound);
    void RowsRead();
    /// What a list read in two steps is read by: its mode, key query and parameter values.
    QString KeyQueryText(const SongListQueryParts& parts) const;
    /// The row-set field a column shows (not for "wng", which is worked out from two).
    int FieldOf(SongColumn column) const;
    /// The text a row sorts by in a column, and whether the column holds numbers.
    QString SortText(int row, SongColumn column, bool& numeric) const;
    void ShowColumns();
    void FinishWarningsScan();
    void ForgetSelection();
    void PositionAtSeq(int seq);
    void SetCurrent(int row);
    void Changed();
    /// The edit window on the current song; refused on a read-only catalogue, however it was asked.
    void EditCurrentSong();
    void RefreshAlbumSummary(int mode);
    std::vector<int> SongNumsOf(const std::vector<int>& rows) const;
    /// The song of a row, read from the list's row set.
    TSong SongOfRow(int row);
    /// Asks for the target line and moves the last `count` queue rows there.
    void MoveAddedToLine(int count);
    bool ReadOnly() const;
    /// The row's EXI; 0 for a row without a song.
    int ExiAt(int row) const;

    Library& m_library;
    Playlists& m_playlists;
    const Clock& m_clock;
    SongListDisplay* m_display = nullptr;
    AlbumSummary* m_summary = nullptr;
    SongListHooks m_hooks;
    QueueController* m_queue = nullptr;
    QueuePlayer* m_player = nullptr;
    std::function<int(const QString&)> m_measure;

    SongListRequest m_request;
    std::vector<SongListRequest> m_back;
    SongListMode m_mode = SongListMode::Singles;
    int m_albumId = 0;
    int m_artistId = 0;
    int m_genreId = 0;
    int m_playlistId = 0;
    TDateTime m_recentDate = 0;
    int m_historyDay = 0;
    TDateTime m_searchStamp = 0;
    /// Stamp mode lists the songs of the last search rather than those stamped by a load run.
    bool m_listsFound = false;
    /// The songs the last search found, sorted and without repeats.
    std::vector<int> m_found;
    /// The condition of a text search whose list has not been read yet, and its parts.
    QString m_searchCondition;
    SearchPlace m_searchPlace = SearchPlace::Anywhere;
    QString m_searchText;
    bool m_searchTitle = false;
    /// Searches upper-case both sides first: one as it stood failed with "string right truncation".
    bool m_searchUpperFirst = false;
    bool m_readByKeys = true;
    int m_sortColumn = -1;
    bool m_sortReversed = false;
    /// For each row, the row it was when the list was read; heading clicks move rows around.
    std::vector<int> m_readRow;
    /// The sort ranks of the columns clicked since the list was read, by the rows as they were
    /// read: a row's cells do not change until the list is read again ("wng" aside, never kept).
    std::map<SongColumn, std::vector<int>> m_sortRanks;
    /// The last list read in two steps from the catalogue (not a search's): its rows as read, what
    /// read them, and where the catalogue stood. Asked for again (Back, a refresh) while nothing
    /// has been run that could change the catalogue and the snapshot is the same, the same query
    /// would give the same rows: they are shown unread.
    struct KeptList {
        QString query;
        RowSet rows;
        fb::ChangeMark mark;
    };
    std::optional<KeptList> m_keptList;
    SearchOptions m_search;
    int m_albumSummaryMode = 1;
    bool m_durationsFixMarked = false;

    QString m_caption = "Songs";
    QString m_countLabel;
    bool m_building = false;
    bool m_queryOpen = false;
    bool m_hideMissing = false;
    bool m_autoFit = true;
    bool m_autoRefresh = true;
    bool m_questionWarnings = false;
    bool m_bangWarnings = false;
    bool m_scanDeferred = false;
    /// The first row the warnings scan has not looked at.
    int m_scanNext = 0;

    RowSet m_rows;
    std::unique_ptr<Fields> m_fields;
    std::unique_ptr<RowSetModel> m_model;
    std::vector<SongColumn> m_columns;
    /// The "wng" cell of each row once worked out: 0 not yet, 1 none, '?' or '!'.
    mutable std::vector<char> m_warnings;
    int m_current = -1;

    std::vector<char> m_selected;
    int m_selectedCount = 0;
    int m_anchorSong = 0;
    PlayScope m_scope = PlayScope::WholeList;
    bool m_selectionScopeEnabled = false;
    bool m_fromPositionScopeEnabled = false;

    SongPopupMenu m_popup;
    TSong m_currentSong;
};

}  // namespace sw
