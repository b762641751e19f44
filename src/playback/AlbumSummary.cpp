#include "AlbumSummary.h"

#include <QFileInfo>

#include "core/Ratings.h"
#include "core/Library.h"
#include "core/RowSet.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

QString TrimmedLower(QString text) {
    text = text.toLower();
    TrimTrailingBlanks(text);
    return text;
}

}  // namespace

QString SongWarning(bool fileExists, int exi) {
    if (fileExists != (exi == 1)) {
        return "?";
    }
    return fileExists ? QString() : "!";
}

AlbumSummary::AlbumSummary(Library& library, Ratings& ratings) : m_library(library), m_ratings(ratings) {}

int AlbumSummary::RefreshAlbumSummary(const AlbumSongList& list, int mode) {
    if (list.albumId <= 0 || list.ratingFilter != 99 || list.rows == nullptr) {
        return 2;
    }
    if (!list.albumMode) {
        ShowProgramError("not Album display");
        return 2;
    }
    TAlbum album;
    if (!m_library.albums.FindAlbumById(list.albumId, album)) {
        ShowInfo("Album not found #" + QString::number(list.albumId));
        return 2;
    }
    if (list.reopen) {
        list.reopen();
    }
    RowSet& rows = *list.rows;

    m_questionWarnings = false;
    bool sequenceNoted = false;
    int previousTrack = 0;
    int numExi = 0;
    long long sum = 0;
    int scored = 0;
    QString artist;
    QString year;
    bool yearTaken = false;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const int track = rows.Int("TRACK");
        if (track == previousTrack && !sequenceNoted) {
            FlashMessage("Sequence is 1.tracknum 2.filename");
            sequenceNoted = true;
        }
        previousTrack = track;

        const int exi = rows.Int("EXI");
        if (exi == 1) {
            ++numExi;
            int rating = rows.Int("RATING");
            if (!IsRating(rating)) {
                rating = 0;  // as a song record reads it
            }
            sum += SongScore(rating);
            ++scored;
        }
        const QString path = m_library.songs.FullPathOf(rows.Text("FN"));
        if (SongWarning(!path.isEmpty() && QFileInfo::exists(path), exi) == "?") {
            m_questionWarnings = true;
        }

        const QString rowArtist = rows.Text("ARNAME");
        if (artist.isEmpty()) {
            artist = rowArtist;
        } else if (!rowArtist.isEmpty() && rowArtist.toLower() != artist.toLower()) {
            artist = "various";
        }

        const QString rowYear = rows.Text("year");
        if (!yearTaken) {
            if (!rowYear.isEmpty()) {
                year = rowYear;
                yearTaken = true;
            }
        } else if (rowYear != year) {
            year = "vari";
        }
    }
    rows.First();

    if (scored > 0) {
        m_ratings.UpdateAlbumDerivedRating(album, RoundHalfToEven(sum, scored));
    }

    bool changed = false;
    const QString collected = TrimmedLower(artist);
    if (!collected.isEmpty() && collected != TrimmedLower(album.ArtistName)) {
        const QString message =
            "Album artist " + QuoteDouble(album.ArtistName) + " should be " + QuoteDouble(artist) + " ";
        bool update = false;
        if (mode == 0) {
            ShowInfo(message);
        } else if (mode == 1) {
            update = Confirm(message + " - OK to update?");
        } else {
            update = mode == 2;
        }
        if (update) {
            album.ArtistName = artist;
            album.ArtistId = -1;
            changed = true;
        }
    }
    if (numExi != album.NumExi) {
        FlashMessage("Resetting numexi from " + QString::number(album.NumExi) + " to " +
                     QString::number(numExi));
        album.NumExi = numExi;
        changed = true;
    }
    if (year != album.Year) {
        FlashMessage("Resetting Album year from " + album.Year + " to " + year);
        album.Year = LeftChars(year, 4);
        changed = true;
    }
    if (!changed) {
        return 0;
    }
    m_library.albums.WriteAlbum(album);
    return 1;
}

}  // namespace sw
