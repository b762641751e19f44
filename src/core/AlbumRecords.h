#pragma once

#include <QString>

#include "foundation/Dates.h"

namespace sw {

/// An ARTIST row.
struct TArtist {
    int ArtistId = 0;
    QString ArtistName;
};

/// An ALBUM row joined with its artist's name; the same record describes album groups.
struct TAlbum {
    int AlbumId = -1;
    QString AlbumName;
    QString ArtistName;
    /// -1: resolve from ArtistName when the album is written.
    int ArtistId = -1;
    TDateTime Rprts = 0;
    QString Year;
    int NumExi = 0;
    /// NumExi as read from the row (-1: not read). Writing the row moves the stored count by
    /// NumExi - NumExiRead, so a record read before songs came or went does not put its old count
    /// back, while a count the record itself changed still moves it.
    int NumExiRead = -1;
    TDateTime CreateTs = 0;
    /// 'A' album, 'G' group, 'X' for a row without the mark.
    QChar AlOrGrp = 'A';
    int GrpId = 0;
    int RatingDrvd = 20;
    int RatingSumm = 20;
    bool RatingAssd = false;
    int Seq = 0;
    bool SeqIsNull = false;
};

void ClearArtist(TArtist& artist);
/// The empty state: not stored yet, created and repaired now.
void ClearAlbum(TAlbum& album);

/// The copied album, artist and group that paste commands offer.
struct Clipboard {
    TAlbum album;
    TArtist artist;
    TAlbum group;
};

QString PasteAlbumCaption(const Clipboard& clipboard);
QString PasteArtistCaption(const Clipboard& clipboard);

}  // namespace sw
