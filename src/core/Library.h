#pragma once

#include "AlbumRecords.h"
#include "Albums.h"
#include "Artists.h"
#include "JukeboxSize.h"
#include "SongStore.h"

namespace sw {

class Catalogue;
class SongTagWriter;
struct Settings;

/// The catalogue's data layer for one run: artists, albums, songs, the jukebox size and the copy
/// clipboard, all bound to the one catalogue and the settings.
class Library {
public:
    Library(Catalogue& catalogue, Settings& settings);

    Catalogue& catalogue;
    Settings& settings;
    ArtistStore artists;
    AlbumStore albums;
    SongStore songs;
    JukeboxSize size;
    Clipboard clipboard;
    /// Set once the tag layer is there; without it, renames change the catalogue only.
    SongTagWriter* tagWriter = nullptr;
};

}  // namespace sw
