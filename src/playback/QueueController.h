#pragma once

#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/Song.h"
#include "PlaybackState.h"
#include "QueueColumns.h"
#include "QueuePopup.h"

namespace sw {

class Library;
class Playlists;
struct Tplist;

/// The catalogue's records of the songs (numbers sorted, no repeats) by number, read in a few
/// queries rather than one per song: the same records as the song lookup by number gives. A number
/// the catalogue does not hold is left out.
std::unordered_map<int, TSong> ReadQueueSongs(Library& library, const std::vector<int>& numbers);

/// Where a block of queue rows is moved to.
enum class MoveTarget { Next, Up, Down, Start, End, Position };

/// One queue row: its song and the twelve texts the grid shows.
struct QueueRow {
    std::unique_ptr<TSongObj> song;
    std::array<QString, kQueueColumnCount> cells;
};

/// A change of the queue for the window: the rows it showed before, and the rows (1-based, first
/// to last) whose cells changed. Everything else (cursor, selection, captions, widths, the count)
/// is read back from the controller.
struct QueueUpdate {
    int oldRowCount = 0;
    int newRowCount = 0;
    int firstChanged = 0;
    int lastChanged = -1;
};

/// Where the queue reports what its window shows.
class QueueDisplay {
public:
    virtual ~QueueDisplay() = default;
    /// Called once per command, however many rows the command stepped through.
    virtual void QueueUpdated(const QueueUpdate& update) = 0;
    /// Shows the window, restoring it when minimised.
    virtual void ShowQueueWindow() = 0;
    /// A song was appended: the main window's play buttons take the queue's panel colour.
    virtual void SongAppended() = 0;
};

/// The now-playing queue without widgets: the rows with their songs and cells, the playing row,
/// the cursor and the selected block, the window's switches, and every reordering and removal.
/// Rows count from 1; row 0 is the grid's title row. Questions and messages go through the
/// installed dialogs; the engine is reached through QueuePlayer.
class QueueController {
public:
    /// The playlists object carries the shared `QueueSourcePlaylist` and `TargetPlaylist`.
    QueueController(Library& library, Playlists& playlists);
    ~QueueController();
    QueueController(const QueueController&) = delete;
    QueueController& operator=(const QueueController&) = delete;

    void SetPlayer(QueuePlayer* player) { m_player = player; }
    void SetDisplay(QueueDisplay* display) { m_display = display; }
    /// Called after each command that changed what the queue holds or shows (the queue is kept
    /// across runs from there).
    void SetChangeListener(std::function<void()> listener) { m_changeListener = std::move(listener); }
    /// The width of a text in the grid's font; the column widths follow it.
    void SetTextMeasure(std::function<int(const QString&)> measure);

    /// Groups the commands run inside one scope into a single update of the window, e.g. the
    /// songs window appending a whole list.
    class Batch {
    public:
        explicit Batch(QueueController& queue);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        QueueController& m_queue;
    };

    // The interface of the songs window.
    /// Appends the song; -1 when it is hidden as missing (or, by number, not in the catalogue).
    int AppendToQueue(const TSong& song);
    int AppendToQueue(int songNum);
    /// Appends a song of a playlist being edited, even one the queue hides as missing: the queue is
    /// saved back into the playlist, which must not lose the entries it was not shown.
    int AppendPlaylistEntry(const TSong& song);
    /// Appends the song and moves it after the playing row; that row, or -1.
    int QueueAsNext(const TSong& song);
    void MoveLastRowsToNext(int count);
    /// Moves the last rows to `TargetLine`, which the caller has just asked for.
    void MoveLastRowsToLine(int count);
    void PlayQueueRow(int row);
    /// Drops the rows from the position (0 = all) to the end; refused while a song before it is
    /// loaded.
    void ClearQueueFrom(int position);
    bool QueueIsEmpty() const { return m_rows.empty(); }
    void SetQueueTitle();

    // Rows.
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    /// The row's song; nullptr for a row that does not exist.
    const TSongObj* SongAt(int row) const;
    const QString& Cell(int row, QueueColumn column) const;
    const QueueRow* RowAt(int row) const;
    void FillQueueRow(int row);
    /// Re-reads the row's song from the catalogue and fills the row again.
    void RefreshQueueRow(int row);
    /// The first row after `row` that is not skipped and whose file was there; 0 for none.
    int NextPlayableRow(int row) const;
    /// The first row before `row` whose song the catalogue believes present; 0 for none.
    int PreviousExistingRow(int row) const;
    void SwapQueueRows(int a, int b);
    void MoveSelectedRows(MoveTarget target);
    /// False when the row is the playing one and the user keeps it.
    bool DropQueueRow(int row);
    void DropSelectedRows();
    void ToggleSkipSelected();
    /// The pop-up's "Move to end": the selection goes last, the cursor stays on its row number.
    void MoveToEndKeepingCursor();
    /// Sets the marker of the cursor row ("S" when ticked, " " when not).
    void SetSkipOfCursorRow(bool skipped);
    /// Saves the rows as a playlist, asking about skipped rows and about the playlist the queue was
    /// filled from; true when saved.
    bool SaveQueueAsPlaylist();
    /// "Clear all, save first": a changed queue must be saved before it is cleared.
    void ClearAllSavingFirst();
    /// The window is closing: a changed queue is offered for saving when the switches say so.
    void WindowClosing();
    void RefreshQueue();
    /// The refresh command; `fromMenu` adds the marking and the busy-cursor reset of the menu.
    void RefreshCommand(bool fromMenu);
    void Renumber();
    void MarkNowPlaying();
    void MarkPlayed();
    void ShowNowPlayingRow();
    /// Writes the row's duration cell from its song (after the engine measured it).
    void SetRowDuration(int row, int seconds);
    /// Marks the row "!": its file could not be played, and play passes it by.
    void MarkUnplayable(int row);

    // The playing row, the cursor and the selected block.
    int NowPlayingRow() const { return m_nowPlayingRow; }
    void SetNowPlayingRow(int row);
    int Cursor() const { return m_cursor; }
    /// Puts the cursor on the row (limited to the rows there are); the selection becomes that row.
    void SetCursor(int row);
    int SelectionTop() const { return m_selectionTop; }
    int SelectionBottom() const { return m_selectionBottom; }
    /// The user's selection: a block of whole rows, the cursor on `cursor`.
    void SetSelection(int top, int bottom, int cursor);
    /// Showing the window puts the cursor on the playing row.
    void WindowShown();

    // Queue-wide state.
    bool QueueChanged() const { return m_queueChanged; }
    /// A queue brought back as it was at the end of the last run holds no change of this run's.
    void ForgetQueueChanged() { m_queueChanged = false; }
    int TargetLine() const { return m_targetLine; }
    void SetTargetLine(int line) { m_targetLine = line; }
    int SavedCursorRow() const { return m_savedCursorRow; }
    const QString& Caption() const { return m_caption; }
    QString QueueTitle() const;
    Tplist& QueueSourcePlaylist();
    const QString& NowPlayingCaption() const { return m_nowPlayingCaption; }
    void ClearNowPlayingCaption();
    /// "n songs" ("1 song").
    QString CountText() const;
    const std::array<int, kQueueColumnCount>& ColumnWidths() const { return m_widths; }

    // The window's switches.
    bool ActionFromComments() const { return m_actionFromComments; }
    bool PromptToSave() const { return m_promptToSave; }
    bool HideMissing() const { return m_hideMissing; }
    bool RepeatAtEnd() const { return m_repeatAtEnd; }
    bool PromptToDrop() const;
    bool DoubleClickToEdit() const;
    void ToggleActionFromComments();
    void TogglePromptToSave();
    void TogglePromptToDrop();
    /// Toggles, then runs the refresh command.
    void ToggleHideMissing();
    void ToggleRepeatAtEnd() { m_repeatAtEnd = !m_repeatAtEnd; }
    void SetDoubleClickToEdit(bool edit);
    /// A double-click on the row plays it, as the Play button plays the cursor row; with Ctrl held
    /// it shows the song's details instead, or opens it for editing when `DoubleClickToEdit`.
    void DoubleClickRow(int row, bool withCtrl);

    // The pop-up menu over a row.
    /// The library windows the pop-up opens; each item stays disabled until its window is set.
    struct SongWindows {
        /// The song details and edit windows: true when the song changed.
        std::function<bool(int songNum)> viewSong;
        std::function<bool(TSong& song)> editSong;
        std::function<void(int albumId)> albumDetails;
        /// The songs window's list of the songs sharing the song's album (1), artist (2), genre (3)
        /// or title (4).
        std::function<void(int songNum, int kind)> moreSongs;
        /// The list of the playlists holding the song.
        std::function<void(int songNum)> playlistsHolding;
        /// The songs window on the playlist.
        std::function<void(int playlistId)> viewPlaylist;
        /// The playlists window's choice of the target playlist: true when one was chosen.
        std::function<bool()> selectPlaylist;
    };
    void SetSongWindows(SongWindows windows) { m_songWindows = std::move(windows); }
    void PopupViewSong();
    void PopupEditSong();
    void PopupAlbumDetails();
    /// "More songs ..." of that kind (1 album, 2 artist, 3 genre, 4 title).
    void PopupMoreSongs(int kind);
    void PopupPlaylistsHolding();
    void PopupViewPlaylist();
    /// "Add to another playlist": a playlist picked as the target, then the song added to it.
    void PopupAddToAnotherPlaylist();
    /// Opens it over the row (the cursor moves there): false over the title row or below the rows.
    bool OpenPopup(int row);
    const QueuePopupMenu& Popup() const { return m_popup; }
    /// The song the pop-up's items act on.
    const TSong& PopupSong() const { return m_popupSong; }
    void PopupCopySong();
    void PopupPlayNow();
    /// "Delete music file" (1), "Remove song from database" (2), "Delete && Remove" (3).
    void PopupRemove(int action);
    /// "Promote" (+1), "Demote" (-1).
    void PopupStepRating(int step);
    /// "= +4 (exceptional)" and the others.
    void PopupSetRating(int value);
    /// "Add to playlist x", and "Move to playlist x" (which then drops the row).
    void PopupAddToTarget(bool move);

    Library& Songs() { return m_library; }
    Playlists& Lists() { return m_playlists; }
    QueuePlayer* Player() { return m_player; }

private:
    friend class Batch;
    void Begin() { ++m_batchDepth; }
    void End();
    /// Marks rows whose cells changed, for the next update of the window.
    void Touch(int first, int last);
    void TouchRow(int row) { Touch(row, row); }
    PlaybackState State() const;
    QueueRow& Row(int row) { return m_rows[static_cast<std::size_t>(row - 1)]; }
    const QueueRow& Row(int row) const { return m_rows[static_cast<std::size_t>(row - 1)]; }

    int AppendObject(std::unique_ptr<TSongObj> song, bool evenIfHidden = false);
    void WidenColumns(int firstRow, int lastRow);
    void ResetColumnWidths();
    /// Moves the block of rows [top, top + count) one row at a time towards the target (Up and
    /// Down: one row) and returns its new top. The steps are counted, then done as one rotation.
    int MoveBlockUp(int top, int count, MoveTarget target);
    int MoveBlockDown(int top, int count, MoveTarget target);
    /// Moves the block so that it starts at `newTop`: the playing row stays with its song
    /// (`nowPlaying` is where it ends up), Seq cells stay with their positions.
    void RotateBlock(int top, int count, int newTop, int nowPlaying);
    /// Drops `count` rows at `first` the way repeated DropQueueRow calls at an advancing position
    /// do (a kept playing row is stepped over); returns the position reached and whether the
    /// playing row went.
    int DropRowsAt(int first, int count, bool* playingDropped);
    /// Drops the rows from `last` down to `first`.
    void DropRowsDownTo(int first);
    void EraseMarked(const std::vector<bool>& doomed);
    void SetMarker(int row, const QString& marker);
    void RefreshPopupRow();
    void RatePopupSong(int number, bool step);

    Library& m_library;
    Playlists& m_playlists;
    QueuePlayer* m_player = nullptr;
    QueueDisplay* m_display = nullptr;
    std::function<void()> m_changeListener;
    std::function<int(const QString&)> m_measure;
    std::vector<QueueRow> m_rows;
    int m_nowPlayingRow = 0;
    int m_cursor = 0;
    int m_selectionTop = 0;
    int m_selectionBottom = 0;
    bool m_queueChanged = false;
    int m_targetLine = 0;
    int m_savedCursorRow = 0;
    QString m_caption = "Now playing queue";
    QString m_nowPlayingCaption;
    std::array<int, kQueueColumnCount> m_widths{};

    bool m_actionFromComments = true;
    bool m_promptToSave = false;
    bool m_hideMissing = false;
    bool m_repeatAtEnd = false;

    QueuePopupMenu m_popup;
    SongWindows m_songWindows;
    TSong m_popupSong;

    int m_batchDepth = 0;
    int m_reportedRowCount = 0;
    int m_dirtyFirst = 0;
    int m_dirtyLast = -1;
    bool m_updatePending = false;
    /// An append asks for the window and the main window's colour once the command is done.
    bool m_appended = false;
};

}  // namespace sw
