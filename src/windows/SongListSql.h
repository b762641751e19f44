#pragma once

#include <QString>

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
};

/// The whole query of a list, one clause per line: song query A, playlist query B or history
/// query C, the mode's condition, the existence and rating conditions (not in play-history mode)
/// and the mode's order. Its parameters are `id`, `ts` or `recentdate`, as the mode needs.
QString SongListQueryText(const SongListQueryParts& parts);

/// The rating filter's condition, starting with "AND"; empty for 99 and any unknown value.
QString RatingFilterCondition(int filter);

/// The query of a text search: the song numbers whose chosen places hold the text (`titleEquals`:
/// whose title equals it). The text is lower-cased here; its apostrophes must be doubled already.
QString SearchQueryText(SearchPlace place, const QString& doubledText, bool titleEquals);

}  // namespace sw
