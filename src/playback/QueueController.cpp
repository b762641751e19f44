#include "QueueController.h"

#include <QFileInfo>
#include <algorithm>

#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/Dates.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"
#include "core/Playlists.h"

namespace sw {

namespace {

const QString kNoText;
// The comment column starts at the grid's default width; the others fit their titles.
constexpr int kDefaultColumnWidth = 64;

QString& CellOf(QueueRow& row, QueueColumn column) {
    return row.cells[static_cast<std::size_t>(column)];
}

}  // namespace

QueueController::Batch::Batch(QueueController& queue) : m_queue(queue) {
    m_queue.Begin();
}

QueueController::Batch::~Batch() {
    m_queue.End();
}

QueueController::QueueController(Library& library, Playlists& playlists)
    : m_library(library), m_playlists(playlists) {
    m_measure = [](const QString& text) { return static_cast<int>(text.size()) * 7; };
    ResetColumnWidths();
}

QueueController::~QueueController() = default;

void QueueController::SetTextMeasure(std::function<int(const QString&)> measure) {
    m_measure = std::move(measure);
    Batch batch(*this);
    ResetColumnWidths();
    WidenColumns(1, RowCount());
}

void QueueController::End() {
    if (--m_batchDepth > 0) {
        return;
    }
    if (m_appended) {
        m_appended = false;
        if (m_display) {
            m_display->SongAppended();
            m_display->ShowQueueWindow();
        }
    }
    if (!m_updatePending) {
        return;
    }
    m_updatePending = false;
    QueueUpdate update;
    update.oldRowCount = m_reportedRowCount;
    update.newRowCount = RowCount();
    update.firstChanged = std::max(m_dirtyFirst, 1);
    update.lastChanged = std::min(m_dirtyLast, RowCount());
    m_reportedRowCount = RowCount();
    m_dirtyFirst = 0;
    m_dirtyLast = -1;
    if (m_display) {
        m_display->QueueUpdated(update);
    }
    if (m_changeListener) {
        m_changeListener();
    }
}

void QueueController::Touch(int first, int last) {
    m_updatePending = true;
    if (first > last) {
        return;
    }
    if (m_dirtyFirst > m_dirtyLast) {
        m_dirtyFirst = first;
        m_dirtyLast = last;
    } else {
        m_dirtyFirst = std::min(m_dirtyFirst, first);
        m_dirtyLast = std::max(m_dirtyLast, last);
    }
}

PlaybackState QueueController::State() const {
    return m_player ? m_player->State() : PlaybackState::Stopped;
}

const TSongObj* QueueController::SongAt(int row) const {
    const QueueRow* found = RowAt(row);
    return found ? found->song.get() : nullptr;
}

const QueueRow* QueueController::RowAt(int row) const {
    if (row < 1 || row > RowCount()) {
        return nullptr;
    }
    return &Row(row);
}

const QString& QueueController::Cell(int row, QueueColumn column) const {
    const QueueRow* found = RowAt(row);
    return found ? found->cells[static_cast<std::size_t>(column)] : kNoText;
}

int QueueController::AppendToQueue(const TSong& song) {
    return AppendObject(NewSongObj(song));
}

int QueueController::AppendToQueue(int songNum) {
    std::unique_ptr<TSongObj> song = m_library.songs.LoadSongObj(songNum);
    return song ? AppendObject(std::move(song)) : -1;
}

int QueueController::AppendPlaylistEntry(const TSong& song) {
    return AppendObject(NewSongObj(song), true);
}

int QueueController::AppendObject(std::unique_ptr<TSongObj> song, bool evenIfHidden) {
    if (!song->Song().Exi && m_hideMissing && !evenIfHidden) {
        return -1;
    }
    Batch batch(*this);
    QueueRow row;
    row.song = std::move(song);
    m_rows.push_back(std::move(row));
    const int added = RowCount();
    FillQueueRow(added);
    WidenColumns(added, added);
    SetCursor(added);
    m_queueChanged = true;
    m_appended = true;
    return added;
}

int QueueController::QueueAsNext(const TSong& song) {
    if (AppendToQueue(song) == -1) {
        return -1;
    }
    MoveLastRowsToNext(1);
    return m_nowPlayingRow + 1;
}

void QueueController::MoveLastRowsToNext(int count) {
    Batch batch(*this);
    MoveBlockUp(RowCount() - count + 1, count, MoveTarget::Next);
}

void QueueController::MoveLastRowsToLine(int count) {
    Batch batch(*this);
    MoveBlockUp(RowCount() - count + 1, count, MoveTarget::Position);
}

void QueueController::PlayQueueRow(int row) {
    {
        Batch batch(*this);
        if (m_display) {
            m_display->ShowQueueWindow();
        }
        SetCursor(row);
    }
    if (m_player) {
        m_player->PlayCommand();
    }
}

void QueueController::DoubleClickRow(int row, bool withCtrl) {
    if (!RowAt(row)) {
        return;
    }
    if (!withCtrl) {
        PlayQueueRow(row);
        return;
    }
    // The pop-up's items act on the pop-up song: opening it over the row picks that song.
    if (!OpenPopup(row)) {
        return;
    }
    if (DoubleClickToEdit()) {
        PopupEditSong();
    } else {
        PopupViewSong();
    }
}

void QueueController::FillQueueRow(int row) {
    QueueRow& target = Row(row);
    if (row == m_nowPlayingRow && State() == PlaybackState::Playing) {
        CellOf(target, QueueColumn::Now) = kMarkerPlaying;
    }
    CellOf(target, QueueColumn::Seq) = QString::number(row);
    const TSong& song = target.song->Song();
    // The warning asks the file system now, not what the record found when it was read.
    FillSongCells(song, QFileInfo::exists(song.FullPath), target.cells);
    TouchRow(row);
}

void QueueController::RefreshQueueRow(int row) {
    std::unique_ptr<TSongObj> fresh = m_library.songs.LoadSongObj(Row(row).song->Song().SongNum);
    if (fresh) {
        Row(row).song = std::move(fresh);
    }
    FillQueueRow(row);
}

void QueueController::SetRowDuration(int row, int seconds) {
    if (!RowAt(row)) {
        return;
    }
    Batch batch(*this);
    TSong song = Row(row).song->Song();
    song.Duration = seconds;
    Row(row).song->Assign(song);
    CellOf(Row(row), QueueColumn::Duration) = DurationText(seconds);
    TouchRow(row);
}

void QueueController::MarkUnplayable(int row) {
    if (!RowAt(row)) {
        return;
    }
    Batch batch(*this);
    CellOf(Row(row), QueueColumn::Wng) = kMissingFileMark;
    TouchRow(row);
}

int QueueController::NextPlayableRow(int row) const {
    for (int i = std::max(row, 0) + 1; i <= RowCount(); ++i) {
        const QueueRow& candidate = Row(i);
        if (candidate.cells[static_cast<std::size_t>(QueueColumn::Now)] == kMarkerSkipped ||
            !candidate.song) {
            continue;
        }
        if (candidate.cells[static_cast<std::size_t>(QueueColumn::Wng)].isEmpty()) {
            return i;
        }
    }
    return 0;
}

int QueueController::PreviousExistingRow(int row) const {
    for (int i = std::min(row, RowCount() + 1) - 1; i >= 1; --i) {
        if (Row(i).song && Row(i).song->Song().Exi) {
            return i;
        }
    }
    return 0;
}

void QueueController::SetMarker(int row, const QString& marker) {
    if (RowAt(row)) {
        CellOf(Row(row), QueueColumn::Now) = marker;
        TouchRow(row);
    }
}

void QueueController::MarkNowPlaying() {
    if (m_nowPlayingRow > 0 && RowAt(m_nowPlayingRow)) {
        Batch batch(*this);
        SetMarker(m_nowPlayingRow, kMarkerPlaying);
        m_nowPlayingCaption = "  " + Cell(m_nowPlayingRow, QueueColumn::Seq) + " - " +
                              Row(m_nowPlayingRow).song->Song().FullPath;
    }
}

void QueueController::MarkPlayed() {
    if (m_nowPlayingRow > 0 && RowAt(m_nowPlayingRow)) {
        Batch batch(*this);
        SetMarker(m_nowPlayingRow, kMarkerPlayed);
    }
}

void QueueController::ClearNowPlayingCaption() {
    Batch batch(*this);
    m_nowPlayingCaption.clear();
    m_updatePending = true;
}

void QueueController::ShowNowPlayingRow() {
    if (m_nowPlayingRow <= 0) {
        return;
    }
    Batch batch(*this);
    const int below = std::min(m_nowPlayingRow + 3, RowCount());
    if (below != m_nowPlayingRow) {
        SetCursor(below);
    }
    SetCursor(m_nowPlayingRow);
}

void QueueController::SetNowPlayingRow(int row) {
    m_nowPlayingRow = row;
}

void QueueController::SetCursor(int row) {
    Batch batch(*this);
    m_cursor = std::clamp(row, 0, RowCount());
    m_selectionTop = m_cursor;
    m_selectionBottom = m_cursor;
    m_updatePending = true;
}

void QueueController::SetSelection(int top, int bottom, int cursor) {
    if (top > bottom) {
        std::swap(top, bottom);
    }
    m_selectionTop = std::clamp(top, 0, RowCount());
    m_selectionBottom = std::clamp(bottom, 0, RowCount());
    m_cursor = std::clamp(cursor, 0, RowCount());
}

void QueueController::WindowShown() {
    if (m_nowPlayingRow > 0) {
        SetCursor(m_nowPlayingRow);
    }
}

Tplist& QueueController::QueueSourcePlaylist() {
    return m_playlists.Shared().QueueSourcePlaylist;
}

QString QueueController::QueueTitle() const {
    const Tplist& source = m_playlists.Shared().QueueSourcePlaylist;
    if (source.Id <= 0) {
        return "Now playing";
    }
    return "Now playing : Playlist #" + QString::number(source.Id) + " " + QuoteDouble(source.Name);
}

void QueueController::SetQueueTitle() {
    Batch batch(*this);
    m_caption = QueueTitle();
    m_updatePending = true;
}

QString QueueController::CountText() const {
    return QString::number(RowCount()) + " song" + (RowCount() == 1 ? "" : "s");
}

void QueueController::Renumber() {
    Batch batch(*this);
    for (int i = 1; i <= RowCount(); ++i) {
        CellOf(Row(i), QueueColumn::Seq) = QString::number(i);
    }
    Touch(1, RowCount());
}

void QueueController::ResetColumnWidths() {
    for (int column = 0; column < kQueueColumnCount; ++column) {
        m_widths[static_cast<std::size_t>(column)] =
            column <= static_cast<int>(QueueColumn::Genre)
                ? QueueColumnWidth(m_measure(QueueColumnTitle(column)))
                : kDefaultColumnWidth;
    }
    m_updatePending = true;
}

void QueueController::WidenColumns(int firstRow, int lastRow) {
    for (int row = std::max(firstRow, 1); row <= std::min(lastRow, RowCount()); ++row) {
        for (int column = 0; column < kQueueColumnCount; ++column) {
            const QString& text = Row(row).cells[static_cast<std::size_t>(column)];
            if (text.isEmpty()) {
                continue;
            }
            int& width = m_widths[static_cast<std::size_t>(column)];
            width = std::max(width, QueueColumnWidth(m_measure(text)));
        }
    }
    m_updatePending = true;
}

bool QueueController::PromptToDrop() const {
    return m_library.settings.PROMPTTOREMOVE;
}

bool QueueController::DoubleClickToEdit() const {
    return m_library.settings.DoubleClickToEdit;
}

void QueueController::ToggleActionFromComments() {
    m_actionFromComments = FlashToggleState("Action \"from m:ss\" comments", !m_actionFromComments);
}

void QueueController::TogglePromptToSave() {
    m_promptToSave = FlashToggleState("Prompt to save playlist if changed", !m_promptToSave);
}

void QueueController::TogglePromptToDrop() {
    m_library.settings.PROMPTTOREMOVE =
        FlashToggleState("Prompt to drop from playlist", !m_library.settings.PROMPTTOREMOVE);
}

void QueueController::ToggleHideMissing() {
    m_hideMissing = !m_hideMissing;
    RefreshCommand(true);
}

void QueueController::SetDoubleClickToEdit(bool edit) {
    m_library.settings.DoubleClickToEdit = edit;
}

}  // namespace sw
