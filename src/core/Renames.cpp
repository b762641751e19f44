#include "Renames.h"

#include "Catalogue.h"
#include "ColumnWidths.h"
#include "Library.h"
#include "Query.h"
#include "SongTagWriter.h"
#include "StoredCase.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

const QString kUpdateFilesQuestion = "Update individual music files with new name ?";

/// Empty, or nothing but blanks: a name no album or artist may be given.
bool IsBlankName(QString name) {
    TrimTrailingBlanks(name);
    return name.isEmpty();
}

/// The songs of an album or an artist as the song query reads them. The parameter keeps the
/// album query's name for artists too.
RowSet SongsWhere(Library& library, const QString& condition, int id) {
    Query query(library.catalogue, kSongQuery + "\n" + condition);
    return query.SetInteger("albumid", id).Open();
}

RowSet AlbumSongs(Library& library, int albumId) {
    return SongsWhere(library, "where s.albumid = :albumid", albumId);
}

RowSet ArtistSongs(Library& library, int artistId) {
    return SongsWhere(library, "where s.artistid = :albumid", artistId);
}

/// Another artist stored under the name (ignoring letter case), the lowest id first; false when
/// there is none.
bool OtherArtistNamed(Library& library, const QString& name, int except, TArtist& other) {
    Query query(library.catalogue,
                "select ar.artistid, ar.arname from artist ar\n"
                "where lower(ar.arname) = :name and ar.artistid <> :id\n"
                "order by ar.artistid");
    RowSet rows =
        query.SetExactText("name", StoredCase(library.catalogue).Lower(FitToColumn(name, kArtistNameWidth)))
            .SetInteger("id", except)
            .Open();
    if (rows.RowCount() == 0) {
        return false;
    }
    other = {rows.Int("ARTISTID"), rows.Text("ARNAME")};
    return true;
}

/// The one other album (not group) stored under the name, ignoring letter case; false when there
/// is none or when several share it, since the user could not tell which is meant.
bool OnlyOtherAlbumNamed(Library& library, const QString& name, int except, TAlbum& other) {
    Query query(library.catalogue,
                "select al.albumid from album al\n"
                "where lower(al.alname) = :name and al.alorgrp = 'A' and al.albumid <> :id");
    RowSet rows =
        query.SetExactText("name", StoredCase(library.catalogue).Lower(FitToColumn(name, kAlbumNameWidth)))
            .SetInteger("id", except)
            .Open();
    return rows.RowCount() == 1 && library.albums.FindAlbumById(rows.Int("ALBUMID"), other);
}

QString MergeQuestion(const QString& kind, const QString& storedName, int id, const QString& oldName) {
    return kind + " " + QuoteDouble(storedName) + " (#" + QString::number(id) + ") already exists - merge " +
           QuoteDouble(oldName) + " into it ?";
}

/// Runs the statements and commits them, or undoes them all when one fails, so that a merge is
/// never left half done.
void ExecAllAndCommit(Catalogue& catalogue, const QStringList& statements) {
    catalogue.SetSavepoint();
    try {
        for (const QString& statement : statements) {
            catalogue.ExecSql(statement);
        }
    } catch (...) {
        catalogue.RollbackToSavepoint();
        throw;
    }
    catalogue.ReleaseSavepoint();
    catalogue.CommitAndContinue();
}

/// The tag change of an album rename: a non-empty name and a genre other than -1.
std::function<void(TSong&)> AlbumChange(const QString& name, int genreId) {
    return [name, genreId](TSong& song) {
        if (!name.isEmpty()) {
            song.AlbumName = name;
        }
        if (genreId != -1) {
            song.GenreId = static_cast<std::uint8_t>(genreId);
        }
    };
}

/// The catalogue side of a genre given to the songs of an album: each song's row takes the genre
/// as its file does. Nothing for -1.
class SongGenreStore {
public:
    SongGenreStore(Catalogue& catalogue, int genreId)
        : m_update(catalogue, "update song set genreid = :genreid where songnum = :songnum"),
          m_genreId(genreId) {}

    RewriteStore Store() {
        if (m_genreId == -1) {
            return {};
        }
        return [this](const TSong& song) {
            m_update.SetInteger("genreid", m_genreId).SetInteger("songnum", song.SongNum).Execute();
        };
    }

private:
    Query m_update;
    int m_genreId;
};

void MergeAlbum(Library& library, const TAlbum& from, const TAlbum& into, int genreId,
                const RewriteProgress& progress) {
    // Read before the move: afterwards they could not be told from the songs the album had.
    RowSet moved = AlbumSongs(library, from.AlbumId);
    int present = 0;
    for (moved.First(); !moved.Eof(); moved.Next()) {
        present += moved.Int("EXI") == 1 ? 1 : 0;
    }
    const QString fromId = QString::number(from.AlbumId);
    const QString intoId = QString::number(into.AlbumId);
    ExecAllAndCommit(library.catalogue, {"update song set albumid = " + intoId + " where albumid = " + fromId,
                                         "update album set numexi = coalesce(numexi, 0) + " +
                                             QString::number(present) + " where albumid = " + intoId,
                                         "delete from album where albumid = " + fromId});
    if (library.clipboard.album.AlbumId == from.AlbumId) {
        library.albums.FindAlbumById(into.AlbumId, library.clipboard.album);
    }
    if (Confirm(kUpdateFilesQuestion)) {
        SongGenreStore genre(library.catalogue, genreId);
        RewriteSongTags(library, moved, AlbumChange(into.AlbumName, genreId), progress, genre.Store());
    }
}

void MergeArtist(Library& library, const TArtist& from, const TArtist& into,
                 const RewriteProgress& progress) {
    RowSet moved = ArtistSongs(library, from.ArtistId);
    const QString fromId = QString::number(from.ArtistId);
    const QString intoId = QString::number(into.ArtistId);
    ExecAllAndCommit(library.catalogue,
                     {"update song set artistid = " + intoId + " where artistid = " + fromId,
                      "update album set artistid = " + intoId + " where artistid = " + fromId,
                      "delete from artist where artistid = " + fromId});
    if (library.clipboard.artist.ArtistId == from.ArtistId) {
        library.clipboard.artist = into;
    }
    if (Confirm(kUpdateFilesQuestion)) {
        RewriteSongTags(
            library, moved, [&into](TSong& song) { song.ArtistName = into.ArtistName; }, progress);
    }
}

}  // namespace

bool SaveSongWithTags(Library& library, const TSong& song) {
    TSong copy = song;
    const bool written = library.tagWriter ? library.tagWriter->SaveSongTags(copy) : false;
    library.songs.SaveSong(copy);
    return written;
}

bool RenameAlbum(Library& library, int albumId, const QString& newName, int genreId, int* mergedInto,
                 const RewriteProgress& progress) {
    if (mergedInto) {
        *mergedInto = 0;
    }
    TAlbum renamed;
    TAlbum other;
    if (!newName.isEmpty() && library.albums.FindAlbumById(albumId, renamed) && renamed.AlOrGrp == 'A' &&
        OnlyOtherAlbumNamed(library, newName, albumId, other)) {
        switch (AskYesNoCancel(MergeQuestion("Album", other.AlbumName, other.AlbumId, renamed.AlbumName))) {
            case 'Y':
                MergeAlbum(library, renamed, other, genreId, progress);
                if (mergedInto) {
                    *mergedInto = other.AlbumId;
                }
                return true;
            case 'N':
                break;
            default:
                return false;
        }
    }
    if (!newName.isEmpty()) {
        // Committed before any file takes the name, so that a rewrite cut short leaves no file
        // named after an album the catalogue does not know.
        library.albums.RenameAlbumRow(albumId, newName);
        library.catalogue.CommitAndContinue();
        if (library.clipboard.album.AlbumId == albumId) {
            library.clipboard.album.AlbumName = FitToColumn(newName, kAlbumNameWidth);
        }
        if (!Confirm(kUpdateFilesQuestion)) {
            return true;
        }
    }
    // An empty name pushes a genre into the songs' tags without asking, and into their rows.
    RowSet songs = AlbumSongs(library, albumId);
    SongGenreStore genre(library.catalogue, genreId);
    RewriteSongTags(library, songs, AlbumChange(FitToColumn(newName, kAlbumNameWidth), genreId), progress,
                    genre.Store());
    return true;
}

bool PromptRenameAlbum(Library& library, int albumId, int* mergedInto) {
    if (mergedInto) {
        *mergedInto = 0;
    }
    TAlbum album;
    library.albums.FindAlbumById(albumId, album);
    const bool group = album.AlOrGrp == 'G';
    QString name = album.AlbumName;
    if (!InputText(QString("Rename ") + (group ? "album Group" : "Album"), name)) {
        return false;
    }
    // An empty name would send RenameAlbum on to rewrite every song's tags.
    if (IsBlankName(name)) {
        ShowInfo(group ? kBlankGroupName : kBlankAlbumName);
        return false;
    }
    if (group) {
        library.albums.RenameAlbumRow(albumId, name);
        return true;
    }
    return RenameAlbum(library, albumId, name, -1, mergedInto);
}

bool RenameArtist(Library& library, int artistId, const QString& newName, int* mergedInto,
                  const RewriteProgress& progress) {
    if (mergedInto) {
        *mergedInto = 0;
    }
    const QString stored = FitToColumn(newName, kArtistNameWidth);
    if (artistId == 0 && !stored.isEmpty()) {
        ShowArtistZeroReserved();
        return false;
    }
    if (!stored.isEmpty()) {
        TArtist renamed;
        TArtist other;
        // The "various" artist stays: albums and every load refer to it by its id.
        if (artistId != library.artists.VariousArtistId() &&
            library.artists.FindArtistById(artistId, renamed) &&
            OtherArtistNamed(library, newName, artistId, other)) {
            switch (AskYesNoCancel(
                MergeQuestion("Artist", other.ArtistName, other.ArtistId, renamed.ArtistName))) {
                case 'Y':
                    MergeArtist(library, renamed, other, progress);
                    if (mergedInto) {
                        *mergedInto = other.ArtistId;
                    }
                    return true;
                case 'N':
                    break;
                default:
                    return false;
            }
        }
        library.catalogue.ExecSql("update artist set arname = " + SqlQuote(stored) +
                                  " where artistid = " + QString::number(artistId));
        library.catalogue.CommitAndContinue();
        if (artistId > 0 && library.clipboard.artist.ArtistId == artistId) {
            library.clipboard.artist.ArtistName = stored;
        }
        if (!Confirm(kUpdateFilesQuestion)) {
            return true;
        }
    }
    RowSet songs = ArtistSongs(library, artistId);
    RewriteSongTags(
        library, songs,
        [&stored](TSong& song) {
            if (!stored.isEmpty()) {
                song.ArtistName = stored;
            }
        },
        progress);
    library.catalogue.CommitAndContinue();
    return true;
}

bool PromptRenameArtist(Library& library, int artistId, int* mergedInto) {
    if (mergedInto) {
        *mergedInto = 0;
    }
    if (artistId == 0) {
        ShowArtistZeroReserved();
        return false;
    }
    TArtist artist;
    library.artists.FindArtistById(artistId, artist);
    QString name = artist.ArtistName;
    if (!InputText("Rename artist", name)) {
        return false;
    }
    // An empty name would send RenameArtist on to rewrite every song's tags.
    if (IsBlankName(name)) {
        ShowInfo(kBlankArtistName);
        return false;
    }
    return RenameArtist(library, artistId, name, mergedInto);
}

}  // namespace sw
