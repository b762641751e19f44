#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "SongListRequest.h"
#include "core/RowSet.h"

namespace sw {

class Catalogue;
class Query;
struct SongListQueryParts;

/// How many rows of a long list are read together when one of them is first looked at.
inline constexpr int kSongListPageRows = 200;

/// A list of song query A read in two steps (see SongListSql.h): the rows are those the list's
/// query gives, in the order its ORDER BY gives them, with the same columns, but only the ordering
/// keys of every row are read at once; the other columns are read a page at a time when the grid
/// or a command first asks for them. `bind` sets the query's parameters. With `found` (the songs a
/// search found, sorted) the rows outside it are left out, for a list whose query asks for a span.
/// Nothing (and nothing read) when the catalogue holds a song number or an artist id twice, whose
/// rows only the joins can multiply as the query does: the list is then read at once.
std::optional<RowSet> ReadSongListByKeys(Catalogue& catalogue, const SongListQueryParts& parts,
                                         const std::function<void(Query&)>& bind,
                                         const std::vector<int>* found = nullptr);

/// The search text, quoted, as SONGSEARCH holds texts (HeldSearchTextQuery); nothing for a text
/// longer than kLongestHeldSearchText, which is then searched at once.
std::optional<QString> HeldSearchLiteral(Catalogue& catalogue, const QString& doubledText);

/// The first reading of a text search the same way: the songs whose album, artist, title, file
/// name or comment (as `place` says) hold the text, as SearchCondition finds them, in the stamp
/// mode's order; with `hideMissing` only those whose EXI is 1. `found` receives every song found
/// (sorted, no repeats), hidden ones included. Nothing, as ReadSongListByKeys. `upperFirst` as
/// SearchCondition takes it.
std::optional<RowSet> ReadSearchByKeys(Catalogue& catalogue, SearchPlace place, const QString& doubledText,
                                       bool titleEquals, bool hideMissing, std::vector<int>& found,
                                       bool upperFirst = false);

}  // namespace sw
