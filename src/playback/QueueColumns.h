#pragma once

#include <QString>
#include <array>

#include "core/Song.h"

namespace sw {

/// The columns of the now-playing grid.
enum class QueueColumn : int {
    Now = 0,
    Seq,
    Album,
    Track,
    Artist,
    Title,
    Year,
    Duration,
    Wng,
    Rating,
    Genre,
    Comment,
};

inline constexpr int kQueueColumnCount = 12;

/// The title row: "Now", "Seq", "Album", ... "Comment".
const QString& QueueColumnTitle(int column);
/// Columns drawn centred (Now, Seq, Track, Year, Duration, Wng, Rating); the others left-aligned.
bool QueueColumnCentred(int column);
/// A column is 115 % of the width of the text it has to show.
inline int QueueColumnWidth(int textWidth) {
    return textWidth * 115 / 100;
}

/// Markers of the Now column.
inline const QString kMarkerPlaying = ">>";
inline const QString kMarkerPlayed = "P";
inline const QString kMarkerSkipped = "S";
inline const QString kMarkerUnskipped = " ";
/// The Wng cell of a song whose file was missing when its row was filled.
inline const QString kMissingFileMark = "!";

/// Cells 2 to 11 of a row for the song: album, track, artist, title, year, duration, warning,
/// rating, genre and comment. `fileFound` decides the warning.
void FillSongCells(const TSong& song, bool fileFound, std::array<QString, kQueueColumnCount>& cells);
/// The rating cell: "+2", "-1", a single space for 0.
QString RatingCell(int rating);

}  // namespace sw
