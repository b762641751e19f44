#include "QueueColumns.h"

#include "foundation/Dates.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

namespace {

const std::array<QString, kQueueColumnCount> kTitles{
    "Now",  "Seq",      "Album", "Track",  "Artist", "Song title",
    "Year", "Duration", "Wng",   "Rating", "Genre",  "Comment",
};

QString& CellOf(std::array<QString, kQueueColumnCount>& cells, QueueColumn column) {
    return cells[static_cast<std::size_t>(column)];
}

}  // namespace

const QString& QueueColumnTitle(int column) {
    return kTitles.at(static_cast<std::size_t>(column));
}

bool QueueColumnCentred(int column) {
    switch (static_cast<QueueColumn>(column)) {
        case QueueColumn::Now:
        case QueueColumn::Seq:
        case QueueColumn::Track:
        case QueueColumn::Year:
        case QueueColumn::Duration:
        case QueueColumn::Wng:
        case QueueColumn::Rating:
            return true;
        default:
            return false;
    }
}

QString RatingCell(int rating) {
    return rating == 0 ? QString(" ") : SignedText(rating);
}

void FillSongCells(const TSong& song, bool fileFound, std::array<QString, kQueueColumnCount>& cells) {
    CellOf(cells, QueueColumn::Album) = song.AlbumName;
    CellOf(cells, QueueColumn::Track) = QString::number(song.Track);
    CellOf(cells, QueueColumn::Artist) = song.ArtistName;
    CellOf(cells, QueueColumn::Title) = song.Title;
    CellOf(cells, QueueColumn::Year) = LeftChars(song.Year, 4);
    CellOf(cells, QueueColumn::Duration) = DurationText(song.Duration);
    CellOf(cells, QueueColumn::Wng) = fileFound ? QString() : kMissingFileMark;
    CellOf(cells, QueueColumn::Rating) = RatingCell(song.Rating);
    // The record carries the name of its genre id as the catalogue joined it; no genre, no name.
    CellOf(cells, QueueColumn::Genre) = song.GenreId == kNoGenre ? QString() : song.GenreName;
    CellOf(cells, QueueColumn::Comment) = song.Comment;
}

}  // namespace sw
