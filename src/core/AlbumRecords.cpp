#include "AlbumRecords.h"

#include "foundation/Text.h"

namespace sw {

void ClearArtist(TArtist& artist) {
    artist = TArtist{};
}

void ClearAlbum(TAlbum& album) {
    album = TAlbum{};
    album.Rprts = NowDateTime();
    album.CreateTs = album.Rprts;
}

QString PasteAlbumCaption(const Clipboard& clipboard) {
    return "Paste album #" + QString::number(clipboard.album.AlbumId) + " " +
           QuoteDouble(clipboard.album.AlbumName);
}

QString PasteArtistCaption(const Clipboard& clipboard) {
    return "Paste artist #" + QString::number(clipboard.artist.ArtistId) + " " +
           QuoteDouble(clipboard.artist.ArtistName);
}

}  // namespace sw
