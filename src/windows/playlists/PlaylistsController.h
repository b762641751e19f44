#pragma once

#include <QString>
#include <optional>

#include "core/RowSet.h"
#include "core/RowSetModel.h"
#include "core/PlaylistRefs.h"

namespace sw {

class Library;
class LibraryListDisplay;
class Playlists;
class SongListController;

/// The orders of the playlist list: the "Sequence" items and the first three column headings.
enum class PlaylistOrder { Id, Name, Date };

/// The grid's columns.
enum class PlaylistColumn { Id = 0, Name = 1, Date = 2 };

/// The "Playlists" window without widgets: the list of PLIST rows in one of three orders with its
/// current playlist kept across a refresh, the commands of its menu and pop-up, and the same list
/// run modally as the playlist picker. Questions and messages go through the installed dialogs.
class PlaylistsController {
public:
    PlaylistsController(Library& library, Playlists& playlists, SongListController& songs);
    PlaylistsController(const PlaylistsController&) = delete;
    PlaylistsController& operator=(const PlaylistsController&) = delete;

    void SetDisplay(LibraryListDisplay* display) { m_display = display; }
    RowSetModel& Model() { return m_model; }

    // Entry points for the rest of the program.
    /// Shows the window as a plain list (no pick bar) and reads the list again.
    void ShowPlaylistsWindow();
    /// Runs the window modally as a picker; true with `playlist` set to the highlighted playlist
    /// when the user picked one, false (and `playlist` untouched) otherwise.
    bool PickPlaylist(Tplist& playlist);
    /// A pick into the shared target playlist, which a pick that ends without one leaves alone.
    bool SelectTargetPlaylist();

    /// Reads the list again in the chosen order, staying on the current playlist; when that is
    /// gone the last row becomes current.
    void RefreshPlaylistList();
    bool Picking() const { return m_picking; }

    // The list.
    PlaylistOrder Order() const { return m_order; }
    /// "by Id", "by Name", "by Date": the order is set and the list read again.
    void SetOrder(PlaylistOrder order);
    /// A click on a column heading; only the first three choose an order.
    void HeadingClicked(int column);
    int RowCount() const { return m_rows.RowCount(); }
    /// -1 when the list is empty.
    int CurrentRow() const { return m_current; }
    /// The user moved the cursor.
    void SetCurrentRow(int row);
    /// The current row's PLID; 0 without a current row.
    int CurrentPlaylistId() const { return IdAt(m_current); }
    int IdAt(int row) const;
    QString NameAt(int row) const;
    QString CellText(int row, PlaylistColumn column) const;
    QString Heading(PlaylistColumn column) const;

    // Commands.
    /// A click or double click on a row: the row becomes current; a picker closes with it,
    /// otherwise the songs window lists the playlist.
    void RowClicked(int row);
    /// The pop-up opens over a row, which becomes current.
    void OpenPopup(int row);
    /// Whether "Edit playlist content" can reach the now-playing queue.
    bool EditContentEnabled() const;
    void ListSongsInPlaylist();
    void RenamePlaylist();
    void EditPlaylistContent();
    void ClearCurrentPlaylist();
    void DeleteCurrentPlaylist();
    void NewPlaylist();
    /// "Refresh": the list read again and the busy cursor reset.
    void Refresh();
    void Close();

private:
    /// Reads the list and makes the row of `stayOn` current (the last row when it is gone, the
    /// first when there is nothing to stay on).
    void Rebuild(std::optional<int> stayOn);
    void ShowColumns();
    /// The playlist shared references that named a deleted playlist are forgotten.
    void ForgetDeleted(int playlistId);
    bool ReadOnly() const;

    Library& m_library;
    Playlists& m_playlists;
    SongListController& m_songs;
    LibraryListDisplay* m_display = nullptr;

    RowSet m_rows;
    RowSetModel m_model;
    int m_idColumn = -1;
    int m_nameColumn = -1;
    int m_dateColumn = -1;
    PlaylistOrder m_order = PlaylistOrder::Name;
    int m_current = -1;
    bool m_picking = false;
};

}  // namespace sw
