#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "SongLoudness.h"

namespace sw {

class Catalogue;

/// A song whose loudness is to be measured: its number and stored file name.
struct SongToMeasure {
    int SongNum = 0;
    QString FileName;
};

/// Every song in number order, or with `missingOnly` those without a SONGLOUDNESS row.
std::vector<SongToMeasure> SongsToMeasure(Catalogue& catalogue, bool missingOnly);

/// Writes (or replaces) the song's SONGLOUDNESS row, stamped now; durable at the next commit.
void SaveSongLoudness(Catalogue& catalogue, int songNum, const SongLoudness& loudness);

/// The song's stored row; absent when it has none.
std::optional<SongLoudness> ReadSongLoudness(Catalogue& catalogue, int songNum);

}  // namespace sw
