// The queue's reorderings and removals: swaps, block moves, drops, clearing and skipping.
#include <algorithm>
#include <climits>

#include "QueueController.h"
#include "foundation/Dialogs.h"
#include "core/PlaylistRefs.h"

namespace sw {

namespace {

QString& CellOf(QueueRow& row, QueueColumn column) {
    return row.cells[static_cast<std::size_t>(column)];
}

}  // namespace

void QueueController::SwapQueueRows(int a, int b) {
    if (!RowAt(a) || !RowAt(b) || a == b) {
        return;
    }
    Batch batch(*this);
    std::swap(Row(a), Row(b));
    std::swap(CellOf(Row(a), QueueColumn::Seq), CellOf(Row(b), QueueColumn::Seq));
    m_queueChanged = true;
    TouchRow(a);
    TouchRow(b);
}

// Stepping a row up swaps it with the one above and keeps the playing row on its song; a block
// steps up row by row from its top. The net effect of the steps is computed on the numbers only
// and then done as one rotation, so a long move costs one pass over the rows it touches.
int QueueController::MoveBlockUp(int top, int count, MoveTarget target) {
    if (top < 1 || count <= 0 || top + count - 1 > RowCount()) {
        return top;
    }
    int s = top;
    int nowPlaying = m_nowPlayingRow;
    const int maxSteps = target == MoveTarget::Up ? 1 : INT_MAX;
    for (int steps = 0; s > 1 && steps < maxSteps; ++steps) {
        int targetRow = 0;
        switch (target) {
            case MoveTarget::Next:
                targetRow = nowPlaying + 1;
                break;
            case MoveTarget::Position:
                targetRow = m_targetLine;
                break;
            case MoveTarget::Start:
                targetRow = 1;
                break;
            default:
                targetRow = INT_MIN;
                break;
        }
        // A block already at or above its target stays where it is.
        if (s <= targetRow) {
            break;
        }
        if (nowPlaying >= s && nowPlaying <= s + count - 1) {
            nowPlaying -= 1;
        } else if (nowPlaying == s - 1) {
            nowPlaying += count;
        }
        --s;
    }
    if (s != top) {
        RotateBlock(top, count, s, nowPlaying);
    }
    return s;
}

int QueueController::MoveBlockDown(int top, int count, MoveTarget target) {
    if (top < 1 || count <= 0 || top + count - 1 > RowCount()) {
        return top;
    }
    // Next moves a block that lies wholly before the playing row to just after it.
    if (target == MoveTarget::Next && top >= m_nowPlayingRow) {
        return top;
    }
    int s = top;
    int nowPlaying = m_nowPlayingRow;
    const int maxSteps = target == MoveTarget::Down ? 1 : INT_MAX;
    for (int steps = 0; s + count - 1 < RowCount() && steps < maxSteps; ++steps) {
        if (target == MoveTarget::Next && s >= nowPlaying + 1) {
            break;
        }
        if (target == MoveTarget::Position && s >= m_targetLine) {
            break;
        }
        const int e = s + count - 1;
        if (nowPlaying == e + 1) {
            nowPlaying -= count;
        } else if (nowPlaying >= s && nowPlaying <= e) {
            nowPlaying += 1;
        }
        ++s;
    }
    if (s != top) {
        RotateBlock(top, count, s, nowPlaying);
    }
    return s;
}

void QueueController::RotateBlock(int top, int count, int newTop, int nowPlaying) {
    Batch batch(*this);
    const int first = std::min(top, newTop);
    const int last = std::max(top, newTop) + count - 1;
    std::vector<QString> seqs;
    seqs.reserve(static_cast<std::size_t>(last - first + 1));
    for (int i = first; i <= last; ++i) {
        seqs.push_back(CellOf(Row(i), QueueColumn::Seq));
    }
    const auto begin = m_rows.begin();
    if (newTop < top) {
        std::rotate(begin + (newTop - 1), begin + (top - 1), begin + (top - 1 + count));
    } else {
        std::rotate(begin + (top - 1), begin + (top - 1 + count), begin + (newTop - 1 + count));
    }
    for (int i = first; i <= last; ++i) {
        CellOf(Row(i), QueueColumn::Seq) = seqs[static_cast<std::size_t>(i - first)];
    }
    Touch(first, last);
    m_queueChanged = true;
    // Each step marks the playing row played and then playing again, and leaves the cursor on the
    // row it moved: the bottom of a block going up, the top of one going down.
    m_nowPlayingRow = nowPlaying;
    MarkNowPlaying();
    SetCursor(newTop < top ? newTop + count - 1 : newTop);
}

void QueueController::MoveSelectedRows(MoveTarget target) {
    const int s = m_selectionTop;
    const int e = m_selectionBottom;
    if (s < 1 || e < s || e > RowCount()) {
        return;
    }
    const int count = e - s + 1;
    Batch batch(*this);
    int newTop = s;
    switch (target) {
        case MoveTarget::Next:
            if (m_nowPlayingRow < s) {
                newTop = MoveBlockUp(s, count, MoveTarget::Next);
            } else if (e < m_nowPlayingRow) {
                newTop = MoveBlockDown(s, count, MoveTarget::Next);
            }
            break;
        case MoveTarget::Up:
        case MoveTarget::Start:
            newTop = MoveBlockUp(s, count, target);
            break;
        case MoveTarget::Down:
        case MoveTarget::End:
            newTop = MoveBlockDown(s, count, target);
            break;
        case MoveTarget::Position: {
            int line = m_targetLine;
            if (!InputInteger("Enter target line number", line)) {
                return;
            }
            m_targetLine = line;
            if (m_targetLine < s) {
                newTop = MoveBlockUp(s, count, MoveTarget::Position);
            } else if (s < m_targetLine) {
                newTop = MoveBlockDown(s, count, MoveTarget::Position);
            }
            break;
        }
    }
    m_selectionTop = newTop;
    m_selectionBottom = newTop + count - 1;
    m_updatePending = true;
}

void QueueController::MoveToEndKeepingCursor() {
    Batch batch(*this);
    m_savedCursorRow = m_cursor;
    MoveSelectedRows(MoveTarget::End);
    SetCursor(m_savedCursorRow);
}

bool QueueController::DropQueueRow(int row) {
    if (!RowAt(row)) {
        return false;
    }
    bool playingDropped = false;
    const int kept = RowCount();
    DropRowsAt(row, 1, &playingDropped);
    return RowCount() < kept;
}

int QueueController::DropRowsAt(int first, int count, bool* playingDropped) {
    Batch batch(*this);
    *playingDropped = false;
    const int last = std::min(first + count - 1, RowCount());
    std::vector<bool> doomed(m_rows.size(), false);
    int kept = 0;
    for (int i = first; i <= last; ++i) {
        if (i == m_nowPlayingRow) {
            if (!Confirm("Song now playing will be dropped - continue anyway?")) {
                ++kept;
                continue;
            }
            if (m_player) {
                m_player->StopPlayback();
            }
            *playingDropped = true;
        }
        doomed[static_cast<std::size_t>(i - 1)] = true;
    }
    EraseMarked(doomed);
    return first + kept;
}

void QueueController::EraseMarked(const std::vector<bool>& doomed) {
    int before = 0;
    int beforeNowPlaying = 0;
    int beforeSaved = 0;
    int firstDoomed = 0;
    for (int i = 1; i <= static_cast<int>(doomed.size()); ++i) {
        if (!doomed[static_cast<std::size_t>(i - 1)]) {
            continue;
        }
        if (firstDoomed == 0) {
            firstDoomed = i;
        }
        ++before;
        if (i < m_nowPlayingRow) {
            ++beforeNowPlaying;
        }
        if (i < m_savedCursorRow) {
            ++beforeSaved;
        }
    }
    if (before == 0) {
        return;
    }
    std::size_t index = 0;
    m_rows.erase(
        std::remove_if(m_rows.begin(), m_rows.end(), [&](const QueueRow&) { return doomed[index++]; }),
        m_rows.end());
    if (m_nowPlayingRow > 0) {
        m_nowPlayingRow -= beforeNowPlaying;
    }
    m_savedCursorRow -= beforeSaved;
    m_cursor = std::min(m_cursor, RowCount());
    m_selectionTop = std::min(m_selectionTop, RowCount());
    m_selectionBottom = std::min(m_selectionBottom, RowCount());
    Touch(firstDoomed, RowCount());
}

void QueueController::DropSelectedRows() {
    const int s = m_selectionTop;
    const int e = m_selectionBottom;
    if (s < 1 || e < s || e > RowCount()) {
        return;
    }
    const int count = e - s + 1;
    QString prompt;
    if (count == 1) {
        if (Cell(s, QueueColumn::Now) != kMarkerSkipped && Cell(s, QueueColumn::Wng) != kMissingFileMark) {
            prompt = "Clear playlist item #" + Cell(s, QueueColumn::Seq);
        }
    } else {
        prompt = "Clear playlist items #" + Cell(s, QueueColumn::Seq) + "-#" + Cell(e, QueueColumn::Seq);
    }
    if (PromptToDrop() && !prompt.isEmpty() && !ConfirmOK(prompt)) {
        return;
    }
    bool playingDropped = false;
    {
        Batch batch(*this);
        int p = DropRowsAt(s, count, &playingDropped);
        if (p > RowCount()) {
            p = RowCount();
        }
        SetCursor(p);
        Renumber();
        m_queueChanged = true;
    }
    if (playingDropped && m_player) {
        m_player->StartSongAtCursor();
    }
}

void QueueController::ClearQueueFrom(int position) {
    if (State() != PlaybackState::Stopped && m_nowPlayingRow > position) {
        ShowInfo("Cannot clear while song is playing");
        return;
    }
    Batch batch(*this);
    DropRowsDownTo(std::max(position, 1));
    ResetColumnWidths();
    ForgetPlaylist(QueueSourcePlaylist());
    SetQueueTitle();
    RefreshQueue();
}

void QueueController::DropRowsDownTo(int first) {
    std::vector<bool> doomed(m_rows.size(), false);
    for (int i = RowCount(); i >= first; --i) {
        if (i == m_nowPlayingRow) {
            if (!Confirm("Song now playing will be dropped - continue anyway?")) {
                continue;
            }
            if (m_player) {
                m_player->StopPlayback();
            }
        }
        doomed[static_cast<std::size_t>(i - 1)] = true;
    }
    EraseMarked(doomed);
}

void QueueController::ToggleSkipSelected() {
    const int s = m_selectionTop;
    const int e = m_selectionBottom;
    if (s < 1 || e < s || e > RowCount()) {
        return;
    }
    if (m_nowPlayingRow >= s && m_nowPlayingRow <= e) {
        ShowInfo("Cannot skip/drop song while it is playing");
        return;
    }
    Batch batch(*this);
    const QString marker = Cell(s, QueueColumn::Now) != kMarkerSkipped ? kMarkerSkipped : kMarkerUnskipped;
    for (int i = s; i <= e; ++i) {
        SetMarker(i, marker);
    }
}

void QueueController::SetSkipOfCursorRow(bool skipped) {
    Batch batch(*this);
    SetMarker(m_cursor, skipped ? kMarkerSkipped : kMarkerUnskipped);
}

}  // namespace sw
