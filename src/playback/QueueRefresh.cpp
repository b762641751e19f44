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

// Numbers this close together are read as one range: a few rows too many cost less than the
// catalogue's lookup of each listed number.
constexpr int kMergeGap = 4;
constexpr int kLongestRange = 2000;
// Numbers far from the others are looked up in lists of this many.
constexpr int kNumbersPerList = 50;

void ReadInto(Library& library, const QString& condition, const std::vector<int>& wanted,
              std::unordered_map<int, TSong>& songs) {
    RowSet rows = library.catalogue.Select(kSongQuery + "\nwhere " + condition);
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const int number = rows.Int("SONGNUM");
        if (std::binary_search(wanted.begin(), wanted.end(), number)) {
            TSong song;
            library.songs.FillSongFromRow(rows, song);
            songs[number] = song;
        }
    }
}

// The catalogue's records of the songs (sorted numbers, no repeats), read in a few queries rather
// than one per row.
std::unordered_map<int, TSong> ReadSongs(Library& library, const std::vector<int>& numbers) {
    std::unordered_map<int, TSong> songs;
    QStringList scattered;
    auto flushScattered = [&] {
        if (!scattered.isEmpty()) {
            ReadInto(library, "s.songnum in (" + scattered.join(',') + ")", numbers, songs);
            scattered.clear();
        }
    };
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] - numbers[j] <= kMergeGap &&
               numbers[j + 1] - numbers[i] < kLongestRange) {
            ++j;
        }
        if (j > i) {
            ReadInto(
                library,
                "s.songnum between " + QString::number(numbers[i]) + " and " + QString::number(numbers[j]),
                numbers, songs);
        } else {
            scattered << QString::number(numbers[i]);
            if (scattered.size() == kNumbersPerList) {
                flushScattered();
            }
        }
        i = j + 1;
    }
    flushScattered();
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
