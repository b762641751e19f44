#include "SongListRows.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "SongListOrder.h"
#include "SongListSql.h"
#include "core/Catalogue.h"
#include "core/Query.h"

namespace sw {

namespace {

/// Id and name of every row of a small table, as a map; false when an id comes twice.
bool ReadNames(Catalogue& catalogue, const QString& sql, std::unordered_map<qint64, QString>& names) {
    const RowSet rows = Query(catalogue, sql).Open();
    for (int row = 0; row < rows.RowCount(); ++row) {
        const QVariant id = rows.Value(row, 0);
        if (!id.isValid()) {
            continue;
        }
        if (!names.emplace(id.toLongLong(), rows.Value(row, 1).toString()).second) {
            return false;
        }
    }
    return true;
}

QVariant NameOf(const std::unordered_map<qint64, QString>& names, const QVariant& id) {
    if (!id.isValid()) {
        return {};
    }
    const auto found = names.find(id.toLongLong());
    return found == names.end() || found->second.isNull() ? QVariant() : QVariant(found->second);
}

/// Song query A's rows of these songs, in the order asked for; a song that is gone since gives a
/// row holding its number alone.
RowSet ReadRowsOf(Catalogue& catalogue, const std::vector<int>& songNums) {
    const RowSet read = Query(catalogue, SongRowsQueryText(songNums)).Open();
    const int songNum = read.ColumnIndex("SONGNUM");
    std::unordered_map<int, int> rowOf;
    for (int row = 0; row < read.RowCount(); ++row) {
        rowOf.emplace(read.Value(row, songNum).toInt(), row);
    }
    std::vector<RowSet::Column> columns;
    for (int column = 0; column < read.ColumnCount(); ++column) {
        columns.push_back(read.ColumnAt(column));
    }
    RowSet rows(std::move(columns));
    std::vector<QVariant> values(static_cast<std::size_t>(read.ColumnCount()));
    for (const int each : songNums) {
        const auto at = rowOf.find(each);
        for (int column = 0; column < read.ColumnCount(); ++column) {
            values[static_cast<std::size_t>(column)] =
                at != rowOf.end() ? read.Value(at->second, column)
                                  : (column == songNum ? QVariant(qint64(each)) : QVariant());
        }
        rows.AppendRow(values);
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
    std::unordered_set<int> seen;
    seen.reserve(songNums.size());
    for (int row = 0; row < keys.RowCount(); ++row) {
        songNums[static_cast<std::size_t>(row)] = keys.Value(row, songNum).toInt();
        if (!seen.insert(songNums[static_cast<std::size_t>(row)]).second) {
            return std::nullopt;
        }
    }
    const int track = keys.ColumnIndex("TRACK");
    const int albumId = keys.ColumnIndex("ALBUMID");
    const int artistId = keys.ColumnIndex("ARTISTID");
    const int genreId = keys.ColumnIndex("GENREID");
    keys.AppendColumn({"SEQ", ColumnKind::Integer}, [&](int row) { return keys.Value(row, track); });
    keys.AppendColumn({"ALNAME", ColumnKind::Text},
                      [&](int row) { return NameOf(albums, keys.Value(row, albumId)); });
    keys.AppendColumn({"ARNAME", ColumnKind::Text},
                      [&](int row) { return NameOf(artists, keys.Value(row, artistId)); });
    keys.AppendColumn({"GNAME", ColumnKind::Text},
                      [&](int row) { return NameOf(genres, keys.Value(row, genreId)); });
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
            byNumber.emplace(stored.Value(row, 0).toInt(), stored.Value(row, 1));
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
    std::vector<QVariant> values(static_cast<std::size_t>(rows.ColumnCount()));
    for (int row = 0; row < rows.RowCount(); ++row) {
        if (keep(row)) {
            for (int column = 0; column < rows.ColumnCount(); ++column) {
                values[static_cast<std::size_t>(column)] = rows.Value(row, column);
            }
            kept.AppendRow(values);
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
            return std::binary_search(found->begin(), found->end(), keys.Value(row, songNum).toInt());
        });
    }
    return ListOverKeys(catalogue, std::move(keys), parts.mode);
}

std::optional<RowSet> ReadSearchByKeys(Catalogue& catalogue, SearchPlace place, const QString& doubledText,
                                       bool titleEquals, bool hideMissing, std::vector<int>& found) {
    const SearchParts parts = SearchPartsText(place, doubledText, titleEquals);
    std::vector<RowSet> matched;
    if (!parts.songKeys.isEmpty()) {
        matched.push_back(Query(catalogue, parts.songKeys).Open());
    }
    const auto ids = [&catalogue](const QString& sql) {
        std::vector<int> each;
        if (!sql.isEmpty()) {
            const RowSet rows = Query(catalogue, sql).Open();
            for (int row = 0; row < rows.RowCount(); ++row) {
                if (rows.Value(row, 0).isValid()) {
                    each.push_back(rows.Value(row, 0).toInt());
                }
            }
        }
        std::sort(each.begin(), each.end());
        each.erase(std::unique(each.begin(), each.end()), each.end());
        return each;
    };
    const std::vector<int> albumIds = ids(parts.albumIds);
    const std::vector<int> artistIds = ids(parts.artistIds);
    if (!albumIds.empty() || !artistIds.empty()) {
        matched.push_back(Query(catalogue, SongKeysOfQueryText(albumIds, artistIds)).Open());
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
        std::vector<QVariant> values(static_cast<std::size_t>(rows.ColumnCount()));
        std::unordered_set<int> inThis;
        for (int row = 0; row < rows.RowCount(); ++row) {
            const int number = rows.Value(row, songNum).toInt();
            if (!inThis.insert(number).second) {
                return std::nullopt;
            }
            if (!seen.insert(number).second) {
                continue;
            }
            found.push_back(number);
            if (hideMissing && rows.Value(row, exi).toInt() != 1) {
                continue;
            }
            for (int column = 0; column < rows.ColumnCount(); ++column) {
                values[static_cast<std::size_t>(column)] = rows.Value(row, column);
            }
            keys.AppendRow(values);
        }
    }
    std::sort(found.begin(), found.end());
    if (matched.empty()) {
        keys = Query(catalogue, SongKeysOfQueryText({}, {})).Open();
    }
    return ListOverKeys(catalogue, std::move(keys), SongListMode::Stamp);
}

}  // namespace sw
