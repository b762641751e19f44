#include "Ratings.h"

#include "Catalogue.h"
#include "Library.h"
#include "Settings.h"
#include "SongRemoval.h"
#include "SongTagWriter.h"
#include "foundation/Dialogs.h"

namespace sw {

int SongScore(int rating) {
    if (rating > 0) {
        return 10 * rating;
    }
    return rating == 0 ? 15 : 0;
}

int RoundHalfToEven(long long sum, int count) {
    long long quotient = sum / count;
    const long long twiceRest = 2 * (sum % count);
    if (twiceRest > count || (twiceRest == count && quotient % 2 != 0)) {
        ++quotient;
    }
    return static_cast<int>(quotient);
}

int DerivedAlbumRating(const std::vector<int>& ratings, bool* counted) {
    long long sum = 0;
    for (const int rating : ratings) {
        sum += SongScore(rating);
    }
    if (counted) {
        *counted = !ratings.empty();
    }
    return ratings.empty() ? 0 : RoundHalfToEven(sum, static_cast<int>(ratings.size()));
}

Ratings::Ratings(Library& library) : m_library(library) {}

void Ratings::StoreRating(TSong& song, int value) {
    song.Rating = value;
    m_library.catalogue.ExecSql("update song set rating = " + QString::number(value) +
                                " where songnum = " + QString::number(song.SongNum));
}

bool RatingGoesIntoTags(const Settings& settings, const QString& fileType) {
    const int policy = settings.MP3TAGPOLICY;
    // Under policies 1 and 2 an MP3 may be saved with an ID3v1 tag only, which has no room for the
    // rating, and under policy 2 that save would take the file's ID3v2 tag away; such a file keeps
    // its tags as they are.
    // Nor does a file whose tag is only read (M4A, WMA): every rating would end in a refusal.
    return settings.SQUEEZERATING && policy != 0 && !IsReadOnlyTagType(fileType) &&
           (fileType != "MP3" || (policy != 1 && policy != 2));
}

void Ratings::SaveRatingInTags(TSong& song) {
    if (m_library.tagWriter && RatingGoesIntoTags(m_library.settings, song.FileType)) {
        m_library.tagWriter->SaveSongTags(song);
    }
}

bool Ratings::SetSongRating(TSong& song, int value) {
    if (!IsRating(value)) {
        return false;
    }
    StoreRating(song, value);
    SaveRatingInTags(song);
    return true;
}

bool Ratings::AdjustSongRating(TSong& song, int step) {
    TSong stored;
    // A rating changed elsewhere leaves the edit stamp alone, so the rating is compared as well:
    // stepping from a rating that is no longer stored would lose that change.
    if (!m_library.songs.FindSongByNumber(song.SongNum, stored) || stored.EditTs != song.EditTs ||
        stored.Rating != song.Rating) {
        ShowStaleDetails();
        return false;
    }
    const int value = song.Rating + step;
    if (!IsRating(value)) {
        return false;
    }
    StoreRating(song, value);
    SaveRatingInTags(song);
    return true;
}

void Ratings::WriteAlbumRatings(const TAlbum& album) {
    m_library.catalogue.ExecSql("update album set ratingdrvd = " + QString::number(album.RatingDrvd) +
                                ", ratingsumm = " + QString::number(album.RatingSumm) +
                                ", ratingassd = " + (album.RatingAssd ? "1" : "0") +
                                " where albumid = " + QString::number(album.AlbumId));
}

void Ratings::UpdateAlbumDerivedRating(TAlbum& album, int derived) {
    if (derived == album.RatingDrvd) {
        return;
    }
    album.RatingDrvd = derived;
    if (!album.RatingAssd) {
        album.RatingSumm = derived;
    }
    WriteAlbumRatings(album);
}

bool Ratings::AssignAlbumRating(TAlbum& album) {
    int value = 0;
    if (!InputInteger("Album rating (-2 to +4)", value)) {
        return false;
    }
    if (!IsRating(value)) {
        ShowInfo("Out of range");
        return false;
    }
    if (value != 0) {
        album.RatingSumm = 10 * value;
        album.RatingAssd = true;
    } else {
        album.RatingSumm = album.RatingDrvd;
        album.RatingAssd = false;
    }
    WriteAlbumRatings(album);
    m_library.catalogue.CommitAndContinue();
    return true;
}

}  // namespace sw
