#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "foundation/Dates.h"

namespace sw {

class Catalogue;

struct GeneratorOptions {
    int songs = 1000;
    /// The same seed gives the same catalogue.
    std::uint32_t seed = 20240601;
    /// The history's year ends the day before this moment; 0 means now.
    TDateTime now = 0;
};

struct GeneratedCounts {
    int songs = 0;
    int albums = 0;
    int artists = 0;
    int playlists = 0;
    int playlistEntries = 0;
    int historyRows = 0;
};

/// Fills a catalogue that holds no songs with a synthetic collection for measurements and trials:
/// `songs` songs over songs/12 albums by songs/40 artists (a few compilations by "various"), the
/// catalogue's genres, a few dozen playlists (some with hundreds of entries) and a year of play
/// history. Texts vary in length (some at the columns' limits) and hold apostrophes, quotes and
/// letters outside ASCII; file names are stored relative to the music root and name files that do
/// not exist. Commits as it goes. Throws when the catalogue already holds songs.
GeneratedCounts GenerateCatalogue(Catalogue& catalogue, const GeneratorOptions& options,
                                  const std::function<void(const QString&)>& progress = {});

}  // namespace sw
