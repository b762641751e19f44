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

/// Conditions on `column` that together take in every one of the numbers (sorted, no repeats):
/// ranges where they lie close together, lists of the scattered ones.
QStringList NumberConditions(const QString& column, const std::vector<int>& numbers) {
    QStringList conditions;
    QStringList scattered;
    auto flushScattered = [&] {
        if (!scattered.isEmpty()) {
            conditions << column + " in (" + scattered.join(',') + ")";
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
            conditions << column + " between " + QString::number(numbers[i]) + " and " +
                              QString::number(numbers[j]);
        } else {
            scattered << QString::number(numbers[i]);
            if (scattered.size() == kNumbersPerList) {
                flushScattered();
            }
        }
        i = j + 1;
    }
    flushScattered();
    return conditions;
}

void SortUnique(std::vector<int>& numbers) {
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
}

/// The names of these ids (sorted, no repeats) in `table`; an id of several rows takes the name of
/// the last, as the song query's join leaves it.
std::unordered_map<int, QVariant> ReadNames(Library& library, const QString& table, const QString& idColumn,
                                            const QString& nameColumn, const std::vector<int>& ids) {
    std::unordered_map<int, QVariant> names;
    for (const QString& condition : NumberConditions(idColumn, ids)) {
        const RowSet rows = library.catalogue.Select("select " + idColumn + ", " + nameColumn + " from " +
                                                     table + " where " + condition);
        for (int row = 0; row < rows.RowCount(); ++row) {
            names[static_cast<int>(rows.Value(row, 0).toLongLong())] = rows.Value(row, 1);
        }
    }
    return names;
}

/// Adds the name column of the song rows' ids in `idColumn`, as the song query's left join
/// would: null for a null id or one without a row.
void AddNameColumn(RowSet& rows, const QString& idColumn, const QString& nameColumn,
                   const std::unordered_map<int, QVariant>& names) {
    const int ids = rows.ColumnIndex(idColumn);
    rows.AppendColumn({nameColumn, ColumnKind::Text}, [&](int row) {
        const QVariant id = rows.Value(row, ids);
        if (!id.isValid()) {
            return QVariant();
        }
        const auto found = names.find(static_cast<int>(id.toLongLong()));
        return found == names.end() ? QVariant() : found->second;
    });
}

/// The ids (no nulls) that the song rows hold in the column.
std::vector<int> IdsIn(const std::vector<RowSet>& parts, const QString& column) {
    std::vector<int> ids;
    for (const RowSet& rows : parts) {
        const int index = rows.ColumnIndex(column);
        for (int row = 0; row < rows.RowCount(); ++row) {
            const QVariant id = rows.Value(row, index);
            if (id.isValid()) {
                ids.push_back(static_cast<int>(id.toLongLong()));
            }
        }
    }
    SortUnique(ids);
    return ids;
}

}  // namespace

std::unordered_map<int, TSong> ReadQueueSongs(Library& library, const std::vector<int>& numbers) {
    // The song rows alone, then the names of the albums, artists and genres they refer to: the
    // three joins of every song row cost as much as reading the rows themselves.
    std::vector<RowSet> parts;
    for (const QString& condition : NumberConditions("s.songnum", numbers)) {
        parts.push_back(library.catalogue.Select("select s.* from song s where " + condition));
    }
    const auto albums = ReadNames(library, "album", "albumid", "alname", IdsIn(parts, "ALBUMID"));
    const auto artists = ReadNames(library, "artist", "artistid", "arname", IdsIn(parts, "ARTISTID"));
    const auto genres = ReadNames(library, "genre", "genreid", "gname", IdsIn(parts, "GENREID"));
    std::unordered_map<int, TSong> songs;
    songs.reserve(numbers.size());
    for (RowSet& rows : parts) {
        AddNameColumn(rows, "ALBUMID", "ALNAME", albums);
        AddNameColumn(rows, "ARTISTID", "ARNAME", artists);
        AddNameColumn(rows, "GENREID", "GNAME", genres);
        for (rows.First(); !rows.Eof(); rows.Next()) {
            const int number = rows.Int("SONGNUM");
            if (std::binary_search(numbers.begin(), numbers.end(), number)) {
                TSong song;
                library.songs.FillSongFromRow(rows, song);
                songs[number] = song;
            }
        }
    }
    return songs;
}

void QueueController::RefreshQueue() {
    Batch batch(*this);
    MarkPlayed();
    std::vector<int> numbers;
    for (const QueueRow& row : m_rows) {
        if (row.song->Song().SongNum > 0) {
            numbers.push_back(row.song->Song().SongNum);
        }
    }
    SortUnique(numbers);
    const std::unordered_map<int, TSong> fresh = ReadQueueSongs(m_library, numbers);
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
