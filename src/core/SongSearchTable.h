#pragma once

namespace sw {

class Catalogue;

/// SONGSEARCH holds, for every row of SONG, its number and its title, file name and comment
/// (LOWTITLE, LOWFN, LOWCOMMENT) lower-cased, then upper-cased and lower-cased again, so that a text
/// search finds its text, in the same case, as it stands in them instead of changing the case of
/// every song again. This trigger on SONG keeps it so; it is made, and the table filled, when the
/// tables are opened.
inline constexpr const char* kSongSearchTrigger = "SONGSEARCH_SONG";

/// True when SONGSEARCH holds the songs' texts as they stand: its trigger is there and active.
bool SongSearchTableKept(Catalogue& catalogue);

}  // namespace sw
