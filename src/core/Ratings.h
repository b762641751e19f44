#pragma once

#include <QString>
#include <vector>

namespace sw {

class Library;
struct Settings;
struct TAlbum;
struct TSong;

inline constexpr int kLowestRating = -2;
inline constexpr int kHighestRating = 4;

inline bool IsRating(int value) {
    return value >= kLowestRating && value <= kHighestRating;
}

/// Whether a rating change is written into the file's tags as well: SQUEEZERATING on, a policy that
/// writes tags, and not an MP3 under the policies that may write only ID3v1, which has no room for it.
bool RatingGoesIntoTags(const Settings& settings, const QString& fileType);

/// A song's part in its album's derived rating, in tenths: 10 per point above 0, 15 for an
/// unrated song, nothing for a bad one.
int SongScore(int rating);
/// sum / count rounded to the nearest integer, halves to the even one (sum ≥ 0, count > 0).
int RoundHalfToEven(long long sum, int count);
/// The derived album rating of songs with these ratings (10 × the mean score, rounded); none of
/// them gives 0 and `counted` false.
int DerivedAlbumRating(const std::vector<int>& ratings, bool* counted = nullptr);

/// Song ratings in the catalogue (and, when the settings say so, in the files' tags) and the album
/// ratings derived from them or assigned by hand. Nothing here commits unless it says so.
class Ratings {
public:
    explicit Ratings(Library& library);

    /// Sets the rating; false (and nothing done) outside -2..4. The tags are rewritten when
    /// RatingGoesIntoTags says so.
    bool SetSongRating(TSong& song, int value);
    /// Steps the rating of a song shown earlier, refusing (after saying so) when the song was
    /// edited or rated elsewhere since it was read; the tags as for SetSongRating.
    bool AdjustSongRating(TSong& song, int step);

    void WriteAlbumRatings(const TAlbum& album);
    /// Stores a newly derived rating (and the summary, unless a rating was assigned).
    void UpdateAlbumDerivedRating(TAlbum& album, int derived);
    /// Asks for a rating to assign (0 returns to the derived one), stores it and commits. True
    /// when the album changed.
    bool AssignAlbumRating(TAlbum& album);

private:
    void StoreRating(TSong& song, int value);
    void SaveRatingInTags(TSong& song);

    Library& m_library;
};

}  // namespace sw
