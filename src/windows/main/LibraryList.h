#pragma once

#include <QString>
#include <functional>

namespace sw {

class RowSet;

/// What the controller of a library list (albums, artists, genres, playlists) tells its window.
class LibraryListDisplay {
public:
    virtual ~LibraryListDisplay() = default;
    /// A new list is in the model: fit the columns to their contents and show the current row.
    virtual void ListBuilt() = 0;
    /// The program moved the current row.
    virtual void CurrentRowChanged(int row) = 0;
    /// The caption, the labels or the menus' state changed.
    virtual void StateChanged() = 0;
    /// Empties the search box so that its change is not taken for typing.
    virtual void ClearSearchQuietly() = 0;
    /// Shows the window in front, restored when minimised.
    virtual void ShowListWindow() = 0;
    virtual bool ListWindowShown() const = 0;
    /// Shows the window modally, with its pick bar, until CloseListWindow; true when it was closed
    /// with OK.
    virtual bool RunListWindowModal() = 0;
    /// Closes the window; a modal showing ends with `ok` as its result.
    virtual void CloseListWindow(bool ok) = 0;
};

/// The heading of the column a list is sorted by: a bullet and a blank before the caption.
QString SortedCaption(const QString& caption);

/// The first row of `rows` whose integer column holds `id`; -1 when none does.
int RowWithId(const RowSet& rows, int column, qint64 id);

/// The first of `count` rows for which `notLess(row)` holds: where a search box puts the cursor
/// in a list sorted by the key it compares; -1 when no row does.
int FirstRowNotLess(int count, const std::function<bool(int row)>& notLess);

}  // namespace sw
