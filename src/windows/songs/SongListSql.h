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
/// here; its apostrophes must be doubled already. `upperFirst` upper-cases each side before it is
/// searched, for a catalogue where the search as it stands fails with "string right truncation" (a
/// text holding a letter whose upper case is longer, such as ɐ); it finds the same rows.
QString SearchCondition(SearchPlace place, const QString& doubledText, bool titleEquals,
                        bool upperFirst = false);

/// The query of a text search: the song numbers that meet SearchCondition.
QString SearchQueryText(SearchPlace place, const QString& doubledText, bool titleEquals,
                        bool upperFirst = false);

// A long list is read in two steps: the few columns of every listed song that its order needs,
// straight from the song table and without the joins, which are then ordered in memory; and the
// rows of song query A for the songs on show, a page at a time by song number.

/// The modes whose lists are read in two steps: those of song query A.
bool ListReadsKeysFirst(SongListMode mode);
/// The song-table columns a list's order and its column fitting need (SONGNUM, TRACK, ALBUMID,
/// ARTISTID, GENREID, TITLE, "year", "comment") from the table alone, under the list's condition as
/// SongListQueryText writes it, without an order. Its parameters are those of SongListQueryText.
QString SongKeysQueryText(const SongListQueryParts& parts);
/// Song query A for these songs, in no order.
QString SongRowsQueryText(const std::vector<int>& songNums);
/// The song number and one column of the song table (`column` as song query A names it: TS is
/// CREATETS, lower-case names are quoted) for the songs numbered from `first` to `last`.
QString SongColumnQueryText(const QString& column, int first, int last);

/// The query that gives the search text (lower-cased as SearchCondition compares it) in the case
/// SONGSEARCH holds the songs' texts, as its one column and row; for a text of at most
/// kLongestHeldSearchText characters.
inline constexpr int kLongestHeldSearchText = 8191;
QString HeldSearchTextQuery(const QString& doubledText);
/// A text search in its parts, each of which lists the keys (with EXI) of the songs it finds: those
/// whose own columns hold the text (empty when no such place is searched), and those of the albums
/// and of the artists whose names hold it (each empty when not searched). Each place's condition
/// is the one SearchCondition writes for it, except that for a text the songs' own columns hold,
/// their copies in SONGSEARCH (joined by song number) are searched for `heldLiteral`, the quoted
/// answer of HeldSearchTextQuery, which finds the same songs and needs SongSearchTableKept.
struct SearchParts {
    QString songKeys;
    QString albumSongKeys;
    QString artistSongKeys;
};
SearchParts SearchPartsText(SearchPlace place, const QString& doubledText, bool titleEquals, bool upperFirst,
                            const QString& heldLiteral);
/// True when SearchPartsText reads SONGSEARCH for such a search: a text (not an exact title) in the
/// songs' own columns.
bool SearchReadsStoredTexts(SearchPlace place, bool titleEquals);
/// False when a search for this text must be read at once, by its query text as it stands: when a
/// letter of the lower-cased text changes its length in UTF-8 with its case (the dotless i and the
/// long s become I and S). The catalogue's CONTAINING upper-cases its pattern into a buffer of the
/// pattern's own length and then reads all of it, bytes left there from earlier included, so that
/// what such a pattern finds depends on the memory the query happens to reuse.
bool SearchReadableInTwoSteps(const QString& doubledText, bool titleEquals);

}  // namespace sw
