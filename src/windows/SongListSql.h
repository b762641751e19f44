#pragma once

#include <QString>
#include <vector>

#include "SongListRequest.h"

namespace sw {

/// The parts of a song-list query that vary with the list.
struct SongListQueryParts {
    SongListMode mode = SongListMode::Singles;
    /// Artist mode for the songs without an artist (artist id 0).
    bool noArtist = false;
    /// Play-history mode: the day as YYYYMMDD.
    int historyDay = 0;
    bool hideMissing = false;
    int ratingFilter = 99;
    /// Stamp mode for a search: the songs it found (sorted, no repeats), in place of the time stamp
    /// of a load run. A search marks nothing in the catalogue; the list keeps what it found.
    const std::vector<int>* found = nullptr;
    /// Stamp mode for a search as it runs: its condition (SearchCondition), whose rows are the
    /// songs found.
    QString searchCondition;
};

/// Up to this many runs of consecutive song numbers, a list of found songs asks for each run.
/// Beyond it the database's work on the alternatives grows faster than the list (thousands of
/// them take seconds): the query then asks for the span from the first found song to the last,
/// and the list keeps the found rows itself.
inline constexpr int kFoundRunsAskedFor = 500;

/// True when a query of these found songs asks for their span only, so that its rows need sifting.
bool FoundSongsAskedBySpan(const std::vector<int>& found);

/// The whole query of a list, one clause per line: song query A, playlist query B or history
/// query C, the mode's condition, the existence and rating conditions (not in play-history mode)
/// and the mode's order. Its parameters are `id`, `ts` or `recentdate`, as the mode needs (a list
/// of found songs has none).
QString SongListQueryText(const SongListQueryParts& parts);

/// The rating filter's condition, starting with "AND"; empty for 99 and any unknown value.
QString RatingFilterCondition(int filter);

/// The condition of a text search over song query A's names: the chosen places hold the text
/// (`titleEquals`: the title equals it), each bracketed, joined by "or ". The text is lower-cased
/// here; its apostrophes must be doubled already.
QString SearchCondition(SearchPlace place, const QString& doubledText, bool titleEquals);

/// The query of a text search: the song numbers that meet SearchCondition.
QString SearchQueryText(SearchPlace place, const QString& doubledText, bool titleEquals);

}  // namespace sw
