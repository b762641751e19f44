#pragma once

#include <QString>
#include <vector>

#include "SongListRequest.h"

namespace sw {

class RowSet;

/// How the catalogue orders two stored texts: by code point, the shorter one padded with blanks
/// (trailing blanks do not count). Negative, 0 or positive.
int CompareStoredText(const QString& a, const QString& b);

/// The order of a song list's rows by its mode's ORDER BY, worked out in memory from the columns
/// the order names (SONGNUM, TRACK, TITLE, "year", ALNAME, ARNAME), as the catalogue sorts them:
/// nulls first, texts by CompareStoredText. Rows the order leaves level keep their order. Entry i
/// is the row that comes i-th. Only the modes of song query A have an order here.
std::vector<int> SongListOrder(const RowSet& rows, SongListMode mode);

/// The order of the rows by one column's texts, for a click on a column heading: locale-aware,
/// numbers by their value, empty cells first; level rows keep their order. `reversed` turns the
/// order round, level rows still in their order. Entry i is the row that comes i-th.
std::vector<int> ColumnSortOrder(const std::vector<QString>& texts, bool numeric, bool reversed);
/// The ranks ColumnSortOrder orders by: level texts share a rank, ranks count from 0 up.
std::vector<int> ColumnSortRanks(const std::vector<QString>& texts, bool numeric);
/// The rows by rank, lowest first (`reversed`: highest first), rows of one rank in their order.
std::vector<int> OrderByRanks(const std::vector<int>& ranks, bool reversed);

}  // namespace sw
