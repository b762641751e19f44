#include "DaysController.h"

#include "core/Catalogue.h"
#include "core/ColumnWidths.h"
#include "foundation/Dates.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

constexpr char kDayListSql[] =
    "select distinct h.pldate, d.note from history h\n"
    "left join daynote d on d.dayint = h.pldate\n"
    "order by pldate";

/// How many following days stay in view when the list moves to a day.
constexpr int kContextRows = 9;

}  // namespace

DaysController::DaysController(Catalogue& catalogue) : m_catalogue(catalogue) {}

void DaysController::OpenList() {
    m_days = m_catalogue.Select(kDayListSql);
    m_days.First();
    m_open = true;
    if (m_display) {
        m_display->ListReloaded();
    }
}

void DaysController::CloseList() {
    m_days = RowSet();
    m_open = false;
    if (m_display) {
        m_display->ListReloaded();
    }
}

void DaysController::SetCurrentRow(int row) {
    if (row >= 0 && row < m_days.RowCount()) {
        m_days.SetCurrentRow(row);
    }
}

int DaysController::DayOfRow(int row) const {
    const QVariant& value = m_days.Value(row, 0);
    return value.isValid() ? value.toInt() : 0;
}

int DaysController::CurrentDay() const {
    const int row = CurrentRow();
    return row < 0 || row >= m_days.RowCount() ? 0 : DayOfRow(row);
}

QString DaysController::DateText(int row) const {
    return DateNumberText(DayOfRow(row));
}

QString DaysController::NoteText(int row) const {
    const QVariant& value = m_days.Value(row, 1);
    return value.isValid() ? value.toString() : QString();
}

void DaysController::MoveTo(int row, bool contextBelow) {
    if (row < 0 || row >= m_days.RowCount()) {
        return;
    }
    m_days.SetCurrentRow(row);
    if (m_display) {
        m_display->CurrentRowMoved(row, contextBelow);
    }
}

void DaysController::Shown() {
    CloseList();
    OpenList();
    Last();
}

void DaysController::Activated() {
    if (m_catalogue.IsOpen() && !m_open) {
        OpenList();
        MoveToDay(m_rememberedDay);
    }
}

void DaysController::Refresh() {
    // The list is a copy read once, so it is read again whether or not it is open: days played
    // since are shown, and the same day stays current.
    const int day = CurrentDay();
    OpenList();
    MoveToDay(day);
}

void DaysController::First() {
    MoveTo(0, false);
}

void DaysController::Last() {
    MoveTo(m_days.RowCount() - 1, false);
}

void DaysController::ListSongsActuallyPlayed() {
    if (!m_listDaySongs || CurrentRow() < 0) {
        return;
    }
    const int day = CurrentDay();
    m_listDaySongs(day);
    m_rememberedDay = day;
}

bool DaysController::DayNoteAllowed() const {
    return CurrentRow() >= 0 && CurrentDay() > 0;
}

void DaysController::EditDayNote() {
    if (CurrentRow() < 0) {
        return;
    }
    const int day = CurrentDay();
    // Notes are kept by date number, and the list shows none for day 0: a note there would be lost.
    if (day <= 0) {
        ShowInfo(kUndatedDayNote);
        return;
    }
    QString note = NoteText(CurrentRow());
    if (!InputTextLimited("Day note for " + QString::number(day), note, kDayNoteWidth)) {
        return;
    }
    // The column counts characters; a box that let more through is answered here, not by the
    // database's truncation error after the old note was read back over the typed one.
    if (!FitsColumn(note, kDayNoteWidth)) {
        if (!ConfirmOK("Day note has " + QString::number(CharCount(note)) + " characters, only the first " +
                       QString::number(kDayNoteWidth) + " can be kept")) {
            return;
        }
        note = FitToColumn(note, kDayNoteWidth);
    }
    m_catalogue.ExecSqlCommit("update or insert into daynote (dayint, note) values (" + QString::number(day) +
                              ", " + SqlQuote(note) + ") matching (dayint)");
    OpenList();
    MoveToDay(day);
}

void DaysController::MoveToDay(int day) {
    if (day <= 0 || m_days.RowCount() == 0) {
        return;
    }
    int row = 0;
    while (row < m_days.RowCount() - 1 && DayOfRow(row) != day) {
        ++row;
    }
    MoveTo(row, true);
}

}  // namespace sw
