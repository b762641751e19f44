#include "Renames.h"

#include "Catalogue.h"
#include "ColumnWidths.h"
#include "Library.h"
#include "SongTagWriter.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

const QString kUpdateFilesQuestion = "Update individual music files with new name ?";

/// Rewrites the tags of every song the query finds, after `change` has adjusted its record.
template <typename Change>
void RewriteTags(Library& library, const QString& filter, int id, Change&& change) {
    if (!library.tagWriter) {
        return;
    }
    Query query(library.catalogue, kSongQuery + "\n" + filter);
    RowSet rows = query.SetInteger("albumid", id).Open();
    library.tagWriter->SetReportMissingFiles(false);
    try {
        for (rows.First(); !rows.Eof(); rows.Next()) {
            TSong song;
            library.songs.FillSongFromRow(rows, song);
            change(song);
            library.tagWriter->SaveSongTags(song);
        }
    } catch (...) {
        library.tagWriter->SetReportMissingFiles(true);
        throw;
    }
    library.tagWriter->SetReportMissingFiles(true);
}

}  // namespace

bool SaveSongWithTags(Library& library, const TSong& song) {
    TSong copy = song;
    const bool written = library.tagWriter ? library.tagWriter->SaveSongTags(copy) : false;
    library.songs.SaveSong(copy);
    return written;
}

bool RenameAlbum(Library& library, int albumId, const QString& newName, int genreId) {
    library.albums.RenameAlbumRow(albumId, newName);
    if (!newName.isEmpty() && !Confirm(kUpdateFilesQuestion)) {
        return true;
    }
    RewriteTags(library, "where s.albumid = :albumid", albumId, [&](TSong& song) {
        if (!newName.isEmpty()) {
            song.AlbumName = newName;
        }
        if (genreId != -1) {
            song.GenreId = static_cast<std::uint8_t>(genreId);
        }
    });
    return true;
}

bool PromptRenameAlbum(Library& library, int albumId) {
    TAlbum album;
    library.albums.FindAlbumById(albumId, album);
    const bool group = album.AlOrGrp == 'G';
    QString name = album.AlbumName;
    if (!InputText(QString("Rename ") + (group ? "album Group" : "Album"), name)) {
        return false;
    }
    if (group) {
        library.albums.RenameAlbumRow(albumId, name);
    } else {
        RenameAlbum(library, albumId, name, -1);
    }
    return true;
}

bool RenameArtist(Library& library, int artistId, const QString& newName) {
    if (!newName.isEmpty()) {
        library.catalogue.ExecSql(
            "update artist set arname = " + SqlQuote(FitToColumn(newName, kArtistNameWidth)) +
            " where artistid = " + QString::number(artistId));
        library.catalogue.CommitAndContinue();
        if (!Confirm(kUpdateFilesQuestion)) {
            return true;
        }
    }
    // The artist's songs are selected through a parameter that keeps the album query's name.
    RewriteTags(library, "where s.artistid = :albumid", artistId, [&](TSong& song) {
        if (!newName.isEmpty()) {
            song.ArtistName = newName;
        }
    });
    library.catalogue.CommitAndContinue();
    return true;
}

bool PromptRenameArtist(Library& library, int artistId) {
    TArtist artist;
    library.artists.FindArtistById(artistId, artist);
    QString name = artist.ArtistName;
    if (!InputText("Rename artist", name)) {
        return false;
    }
    return RenameArtist(library, artistId, name);
}

}  // namespace sw
