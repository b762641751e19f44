#include "SongListRows.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "SongListOrder.h"
#include "SongListSql.h"
#include "core/Catalogue.h"
#include "core/Query.h"
#include "foundation/Text.h"

namespace sw {

namespace {

const QString kNoName;

/// Id and name of every row of a small table, as a map; false when an id comes twice.
bool ReadNames(Catalogue& catalogue, const QString& sql, std::unordered_map<qint64, QString>& names) {
    const RowSet rows = Query(catalogue, sql).Open();
    names.reserve(static_cast<std::size_t>(rows.RowCount()));
    for (int row = 0; row < rows.RowCount(); ++row) {
        if (rows.IsNullAt(row, 0)) {
            continue;
        }
        if (!names.emplace(rows.IntegerAt(row, 0), rows.TextAt(row, 1)).second) {
            return false;
        }
    }
    return true;
}

/// The names of the rows' ids, as the left join finds them (null for a null id, an id not in the
/// table or a null name), each sharing the storage of its name in `names`.
void AppendNames(RowSet& keys, const QString& column, int idColumn,
                 const std::unordered_map<qint64, QString>& names) {
    const auto count = static_cast<std::size_t>(keys.RowCount());
    std::vector<QString> texts(count);
    std::vector<bool> nulls(count, true);
    // Neighbouring rows mostly share their album and artist: the last id found is tried first.
    qint64 lastId = 0;
    const QString* lastName = nullptr;
    for (std::size_t row = 0; row < count; ++row) {
        const int r = static_cast<int>(row);
        if (keys.IsNullAt(r, idColumn)) {
            continue;
        }
        const qint64 id = keys.IntegerAt(r, idColumn);
        if (!lastName || id != lastId) {
            const auto found = names.find(id);
            lastId = id;
            lastName = found == names.end() ? &kNoName : &found->second;
        }
        if (!lastName->isNull()) {
            texts[row] = *lastName;
            nulls[row] = false;
        }
    }
    keys.AppendTextColumn(column, std::move(texts), std::move(nulls));
}

/// Song query A's rows of these songs, in the order asked for; a song that is gone since gives a
/// row holding its number alone.
RowSet ReadRowsOf(Catalogue& catalogue, const std::vector<int>& songNums) {
    const RowSet read = Query(catalogue, SongRowsQueryText(songNums)).Open();
    const int songNum = read.ColumnIndex("SONGNUM");
    std::unordered_map<int, int> rowOf;
    for (int row = 0; row < read.RowCount(); ++row) {
        rowOf.emplace(static_cast<int>(read.IntegerAt(row, songNum)), row);
    }
    std::vector<RowSet::Column> columns;
    for (int column = 0; column < read.ColumnCount(); ++column) {
        columns.push_back(read.ColumnAt(column));
    }
    RowSet rows(std::move(columns));
    for (const int each : songNums) {
        const auto at = rowOf.find(each);
        if (at != rowOf.end()) {
            rows.AppendRowOf(read, at->second);
            continue;
        }
        for (int column = 0; column < read.ColumnCount(); ++column) {
            if (column == songNum) {
                rows.AppendInteger(each);
            } else {
                rows.AppendNull();
            }
        }
        rows.EndRow();
    }
    return rows;
}

/// The list over its keys: names joined in memory, ordered as the mode's ORDER BY, the rest read
/// on demand.
std::optional<RowSet> ListOverKeys(Catalogue& catalogue, RowSet keys, SongListMode mode) {
    std::unordered_map<qint64, QString> albums, artists, genres;
    if (!ReadNames(catalogue, "SELECT albumid, alname FROM album", albums) ||
        !ReadNames(catalogue, "SELECT artistid, arname FROM artist", artists) ||
        !ReadNames(catalogue, "SELECT genreid, gname FROM genre", genres)) {
        return std::nullopt;
    }
    const int songNum = keys.ColumnIndex("SONGNUM");
    std::vector<int> songNums(static_cast<std::size_t>(keys.RowCount()));
    for (int row = 0; row < keys.RowCount(); ++row) {
        songNums[static_cast<std::size_t>(row)] = static_cast<int>(keys.IntegerAt(row, songNum));
    }
    {
        std::vector<int> sorted = songNums;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
            return std::nullopt;
        }
    }
    const int track = keys.ColumnIndex("TRACK");
    const auto count = static_cast<std::size_t>(keys.RowCount());
    std::vector<qint64> seq(count);
    std::vector<bool> seqNulls(count);
    for (std::size_t row = 0; row < count; ++row) {
        seq[row] = keys.IntegerAt(static_cast<int>(row), track);
        seqNulls[row] = keys.IsNullAt(static_cast<int>(row), track);
    }
    keys.AppendIntegerColumn("SEQ", std::move(seq), std::move(seqNulls));
    AppendNames(keys, "ALNAME", keys.ColumnIndex("ALBUMID"), albums);
    AppendNames(keys, "ARNAME", keys.ColumnIndex("ARTISTID"), artists);
    AppendNames(keys, "GNAME", keys.ColumnIndex("GENREID"), genres);
    keys.Reorder(SongListOrder(keys, mode));

    const auto numbersOf = [songNums](const std::vector<int>& rows) {
        std::vector<int> numbers;
        numbers.reserve(rows.size());
        for (const int row : rows) {
            numbers.push_back(songNums[static_cast<std::size_t>(row)]);
        }
        return numbers;
    };
    Catalogue* reading = &catalogue;
    RowSet::RowReader read = [reading, numbersOf](const std::vector<int>& rows) {
        return ReadRowsOf(*reading, numbersOf(rows));
    };
    RowSet::ColumnReader readColumn = [reading, songNums](const QString& column) {
        std::vector<QVariant> values;
        if (songNums.empty()) {
            return values;
        }
        const auto [low, high] = std::minmax_element(songNums.begin(), songNums.end());
        const RowSet stored = Query(*reading, SongColumnQueryText(column, *low, *high)).Open();
        std::unordered_map<int, QVariant> byNumber;
        byNumber.reserve(static_cast<std::size_t>(stored.RowCount()));
        for (int row = 0; row < stored.RowCount(); ++row) {
            byNumber.emplace(static_cast<int>(stored.IntegerAt(row, 0)), stored.Value(row, 1));
        }
        values.reserve(songNums.size());
        for (const int each : songNums) {
            const auto at = byNumber.find(each);
            values.push_back(at == byNumber.end() ? QVariant() : at->second);
        }
        return values;
    };
    return RowSet::OnDemand(std::move(keys), std::move(read), kSongListPageRows, std::move(readColumn));
}

/// The rows of `rows` that `keep` accepts, in their order.
RowSet KeepKeys(const RowSet& rows, const std::function<bool(int row)>& keep) {
    std::vector<RowSet::Column> columns;
    for (int column = 0; column < rows.ColumnCount(); ++column) {
        columns.push_back(rows.ColumnAt(column));
    }
    RowSet kept(std::move(columns));
    for (int row = 0; row < rows.RowCount(); ++row) {
        if (keep(row)) {
            kept.AppendRowOf(rows, row);
        }
    }
    return kept;
}

}  // namespace

std::optional<RowSet> ReadSongListByKeys(Catalogue& catalogue, const SongListQueryParts& parts,
                                         const std::function<void(Query&)>& bind,
                                         const std::vector<int>* found) {
    Query query(catalogue, SongKeysQueryText(parts));
    if (bind) {
        bind(query);
    }
    RowSet keys = query.Open();
    if (found) {
        const int songNum = keys.ColumnIndex("SONGNUM");
        keys = KeepKeys(keys, [&](int row) {
            return std::binary_search(found->begin(), found->end(),
                                      static_cast<int>(keys.IntegerAt(row, songNum)));
        });
    }
    return ListOverKeys(catalogue, std::move(keys), parts.mode);
}

std::optional<QString> HeldSearchLiteral(Catalogue& catalogue, const QString& doubledText) {
    if (doubledText.toLower().size() > kLongestHeldSearchText) {
        return std::nullopt;
    }
    return SqlQuote(Query(catalogue, HeldSearchTextQuery(doubledText)).Open().TextAt(0, 0));
}

std::optional<RowSet> ReadSearchByKeys(Catalogue& catalogue, SearchPlace place, const QString& doubledText,
                                       bool titleEquals, bool hideMissing, std::vector<int>& found,
                                       bool upperFirst) {
    std::optional<QString> held;
    if (SearchReadsStoredTexts(place, titleEquals)) {
        held = HeldSearchLiteral(catalogue, doubledText);
        if (!held) {
            return std::nullopt;
        }
    }
    const SearchParts parts =
        SearchPartsText(place, doubledText, titleEquals, upperFirst, held.value_or(QString()));
    std::vector<RowSet> matched;
    for (const QString& each : {parts.songKeys, parts.albumSongKeys, parts.artistSongKeys}) {
        if (!each.isEmpty()) {
            matched.push_back(Query(catalogue, each).Open());
        }
    }
    if (matched.empty()) {
        return std::nullopt;
    }
    // A song found in more than one place is listed once, as the joined query lists it.
    std::vector<RowSet::Column> columns;
    RowSet keys;
    std::unordered_set<int> seen;
    found.clear();
    for (const RowSet& rows : matched) {
        if (columns.empty()) {
            for (int column = 0; column < rows.ColumnCount(); ++column) {
                columns.push_back(rows.ColumnAt(column));
            }
            keys = RowSet(columns);
        }
        const int songNum = rows.ColumnIndex("SONGNUM");
        const int exi = rows.ColumnIndex("EXI");
        std::unordered_set<int> inThis;
        for (int row = 0; row < rows.RowCount(); ++row) {
            const int number = static_cast<int>(rows.IntegerAt(row, songNum));
            if (!inThis.insert(number).second) {
                return std::nullopt;
            }
            if (!seen.insert(number).second) {
                continue;
            }
            found.push_back(number);
            if (hideMissing && rows.IntegerAt(row, exi) != 1) {
                continue;
            }
            keys.AppendRowOf(rows, row);
        }
    }
    std::sort(found.begin(), found.end());
    return ListOverKeys(catalogue, std::move(keys), SongListMode::Stamp);
}

}  // namespace sw
