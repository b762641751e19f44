#pragma once

#include <QString>
#include <functional>

#include "core/RowSet.h"

namespace sw {

class Catalogue;

/// Said when a note is asked for on the row of plays recorded without a date.
inline constexpr char kUndatedDayNote[] = "Plays recorded without a date have no day to keep a note for";

/// What the days window's view does when the day list or its current row changes.
class DaysDisplay {
public:
    virtual ~DaysDisplay() = default;
    /// The list was (re)loaded: show its rows and fit the columns to their contents.
    virtual void ListReloaded() = 0;
    /// The current row moved; with `contextBelow` the grid also shows up to 9 following rows.
    virtual void CurrentRowMoved(int row, bool contextBelow) = 0;
};

/// The "Days" window without its widgets: every day of the play history with its note, the notes
/// kept one per day in DAYNOTE, and the hand-over of a day to the songs window. Notes are written
/// even on a read-only catalogue.
class DaysController {
public:
    explicit DaysController(Catalogue& catalogue);
    DaysController(const DaysController&) = delete;
    DaysController& operator=(const DaysController&) = delete;

    void SetDisplay(DaysDisplay* display) { m_display = display; }
    /// How the songs played on a day are listed (the songs window's play-history mode). Until it is
    /// set, listing a day does nothing.
    void SetListDaySongs(std::function<void(int day)> list) { m_listDaySongs = std::move(list); }
    bool CanListDaySongs() const { return static_cast<bool>(m_listDaySongs); }

    int RowCount() const { return m_days.RowCount(); }
    bool ListOpen() const { return m_open; }
    /// -1 when the list is empty.
    int CurrentRow() const { return m_days.RowCount() == 0 ? -1 : m_days.CurrentRow(); }
    /// The grid moved the current row (a click or a key).
    void SetCurrentRow(int row);
    /// The date number of the current row; 0 without a row or for plays recorded without a date.
    int CurrentDay() const;
    /// The "Date" cell (yyyy-mm-dd) and the "NOTE" cell of a row.
    QString DateText(int row) const;
    QString NoteText(int row) const;
    /// The last day whose songs were listed; 0 until one is.
    int RememberedDay() const { return m_rememberedDay; }

    /// Each showing of the window: the list read again, its columns fitted, the most recent day current.
    void Shown();
    /// The window became active: a list that is not open is opened on the remembered day.
    void Activated();
    /// "Refresh": the list read again, staying on the current day.
    void Refresh();
    void First();
    void Last();
    /// A click or double click on a cell, or "List songs actually played".
    void ListSongsActuallyPlayed();
    /// "Add/edit day note" is offered on a dated day only: the undated row (plays recorded without
    /// a date) has no day to keep a note under.
    bool DayNoteAllowed() const;
    /// "Add/edit day note": the box holds at most 255 characters (the column's width); a longer
    /// note is kept cut only when the user agrees, and on the undated row the note is refused.
    void EditDayNote();
    /// Makes the row of that date number current with the days after it in view; 0 or less does
    /// nothing, and an unknown day leaves the last row current.
    void MoveToDay(int day);

    /// Forgets the list, as when the catalogue goes away; the next activation opens it again.
    void CloseList();

private:
    void OpenList();
    int DayOfRow(int row) const;
    void MoveTo(int row, bool contextBelow);

    Catalogue& m_catalogue;
    DaysDisplay* m_display = nullptr;
    std::function<void(int)> m_listDaySongs;
    RowSet m_days;
    bool m_open = false;
    int m_rememberedDay = 0;
};

}  // namespace sw
