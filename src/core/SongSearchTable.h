#pragma once

namespace sw {

class Catalogue;

/// SONGSEARCH holds, for every row of SONG, its number and its title, file name and comment as
/// lower() gives them (LOWTITLE, LOWFN, LOWCOMMENT), so that a text search reads them instead of
/// lower-casing every song again. This trigger on SONG keeps it so; it is made, and the table
/// filled, when the tables are opened.
inline constexpr const char* kSongSearchTrigger = "SONGSEARCH_SONG";

/// True when SONGSEARCH holds the songs' texts as they stand: its trigger is there and active.
bool SongSearchTableKept(Catalogue& catalogue);

}  // namespace sw
