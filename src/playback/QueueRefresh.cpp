// The queue's refresh from the catalogue.
#include <QStringList>
#include <algorithm>
#include <unordered_map>

#include "QueueController.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "foundation/Dialogs.h"

namespace sw {

namespace {

// The catalogue takes at most this many values in one "in" list.
constexpr std::size_t kNumbersPerQuery = 1000;

// The catalogue's records of the songs, read in a few queries rather than one per row.
std::unordered_map<int, TSong> ReadSongs(Library& library, const std::vector<int>& numbers) {
    std::unordered_map<int, TSong> songs;
    for (std::size_t start = 0; start < numbers.size(); start += kNumbersPerQuery) {
        QStringList list;
        for (std::size_t i = start; i < std::min(numbers.size(), start + kNumbersPerQuery); ++i) {
            list << QString::number(numbers[i]);
        }
        RowSet rows = library.catalogue.Select(kSongQuery + "\nwhere s.songnum in (" + list.join(',') + ")");
        for (rows.First(); !rows.Eof(); rows.Next()) {
            TSong song;
            library.songs.FillSongFromRow(rows, song);
            songs[song.SongNum] = song;
        }
    }
    return songs;
}

}  // namespace

void QueueController::RefreshQueue() {
    Batch batch(*this);
    MarkPlayed();
    std::vector<int> numbers;
    for (const QueueRow& row : m_rows) {
        if (row.song->Song().SongNum > 0) {
            numbers.push_back(row.song->Song().SongNum);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    const std::unordered_map<int, TSong> fresh =
        numbers.empty() ? std::unordered_map<int, TSong>{} : ReadSongs(m_library, numbers);
    for (int i = 1; i <= RowCount();) {
        const auto found = fresh.find(Row(i).song->Song().SongNum);
        bool keep = false;
        if (found != fresh.end()) {
            keep = found->second.FileFound || !m_hideMissing;
        } else {
            // Gone from the catalogue: the single lookup says so.
            keep = m_library.songs.RefreshSongObj(Row(i).song.get()) &&
                   (Row(i).song->Song().FileFound || !m_hideMissing);
        }
        if (keep) {
            if (found != fresh.end()) {
                Row(i).song->Assign(found->second);
            }
            FillQueueRow(i);
            ++i;
        } else if (!DropQueueRow(i)) {
            ++i;
        }
    }
    WidenColumns(1, RowCount());
    if (State() != PlaybackState::Stopped) {
        MarkNowPlaying();
    }
    SetQueueTitle();
}

void QueueController::RefreshCommand(bool fromMenu) {
    if (m_player) {
        m_player->SuspendTimer();
    }
    {
        Batch batch(*this);
        m_savedCursorRow = m_cursor;
        RefreshQueue();
        if (RowCount() > 0) {
            SetCursor(m_savedCursorRow > RowCount() ? 1 : m_savedCursorRow);
        }
    }
    if (m_player) {
        m_player->ResumeTimer();
    }
    if (fromMenu) {
        MarkNowPlaying();
        BusyReset();
    }
}

}  // namespace sw
