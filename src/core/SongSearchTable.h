#pragma once

#include <QString>

namespace sw {

class Catalogue;

/// SONGSEARCH holds, for every row of SONG, its number and its title, file name and comment
/// (LOWTITLE, LOWFN, LOWCOMMENT) lower-cased, then upper-cased and lower-cased again, so that a text
/// search finds its text, in the same case, as it stands in them instead of changing the case of
/// every song again. This trigger on SONG keeps it so; it is made, and the table filled, when the
/// tables are opened.
inline constexpr const char* kSongSearchTrigger = "SONGSEARCH_SONG";

/// The SQL expression of a text as SONGSEARCH holds it: lower-cased, and lower-cased again after
/// upper-casing, so that two letters that one upper case stands for (the long s and the s, the
/// final sigma and the sigma, the dotless i and the i) are held as one. CONTAINING tells such
/// letters apart no more than that, so finding a text held so as a plain substring of a song's
/// held text finds the same songs without changing the case of every song at each search.
QString HeldSearchForm(const QString& expression);

/// True when SONGSEARCH holds the songs' texts as they stand: its trigger is there and active.
bool SongSearchTableKept(Catalogue& catalogue);

}  // namespace sw
