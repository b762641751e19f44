#include <gtest/gtest.h>

#include "PlaylistTestSupport.h"
#include "core/Query.h"
#include "playback/AlbumSummary.h"

namespace sw {
namespace {

using test::ByName;
using test::SongRow;

/// The songs window's album list: song query A in album mode.
const QString kAlbumList =
    "SELECT s.track as seq, s.* , al.alname, ar.arname, g.gname, s.createts as ts FROM song S\n"
    "LEFT JOIN genre G ON g.genreid = s.genreid\n"
    "LEFT JOIN album al ON al.albumid = s.albumid\n"
    "LEFT JOIN artist ar ON ar.artistid = s.artistid\n"
    "WHERE s.albumid = :id\n"
    "ORDER BY s.track, s.title";

class Summary : public test::PlaybackFixture {
protected:
    /// An album by "Ann" from 2001 holding the songs (their album ids are filled in).
    int MakeAlbum(std::vector<SongRow> songs, const QString& artist = "Ann", const QString& year = "2001") {
        TAlbum album;
        ClearAlbum(album);
        album.AlbumName = "Summed up";
        album.ArtistName = artist;
        album.Year = year;
        album.NumExi = static_cast<int>(songs.size());
        m_library.albums.WriteAlbum(album);
        for (SongRow& song : songs) {
            song.albumId = album.AlbumId;
            InsertSong(song);
        }
        m_catalogue.CommitAndContinue();
        return album.AlbumId;
    }

    int Run(int albumId, int mode, bool albumMode = true, int filter = 99) {
        m_rows = Query(m_catalogue, kAlbumList).SetInteger("id", albumId).Open();
        int reopened = 0;
        AlbumSongList list{albumMode, albumId, filter, &m_rows, [&reopened] { ++reopened; }};
        const int result = m_summary.RefreshAlbumSummary(list, mode);
        m_catalogue.CommitAndContinue();
        m_reopened = reopened;
        return result;
    }

    TAlbum Stored(int albumId) {
        TAlbum album;
        EXPECT_TRUE(m_library.albums.FindAlbumById(albumId, album));
        return album;
    }

    AlbumSummary m_summary{m_library, m_ratings};
    RowSet m_rows;
    int m_reopened = 0;
};

SongRow Song(int track, int rating, int exi = 1, const QString& artist = "Ann",
             const QString& year = "2001") {
    SongRow row;
    row.title = "Track " + QString::number(track);
    row.artist = artist;
    row.track = track;
    row.rating = rating;
    row.exi = exi;
    row.year = year;
    return row;
}

struct SummaryCase {
    std::string name;
    std::vector<SongRow> songs;
    int derived;
    int numExi;
    QString artist;
    QString year;
    QStringList flashes;
};

class SummaryWalk : public Summary, public ::testing::WithParamInterface<SummaryCase> {};

TEST_P(SummaryWalk, DerivesTheRatingCountAndYearAndTheArtist) {
    const SummaryCase& c = GetParam();
    const int id = MakeAlbum(c.songs);
    const bool expectWrite =
        c.numExi != static_cast<int>(c.songs.size()) || c.artist != "Ann" || c.year != "2001";
    EXPECT_EQ(Run(id, 2), expectWrite ? 1 : 0);
    EXPECT_EQ(m_reopened, 1);
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), c.flashes);
    const TAlbum album = Stored(id);
    EXPECT_EQ(album.RatingDrvd, c.derived);
    EXPECT_EQ(album.RatingSumm, c.derived);
    EXPECT_EQ(album.NumExi, c.numExi);
    EXPECT_EQ(album.ArtistName, c.artist);
    EXPECT_EQ(album.Year, c.year);
    EXPECT_EQ(m_rows.CurrentRow(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ratings, SummaryWalk,
    ::testing::Values(
        SummaryCase{"ScoresOfExistingSongs", {Song(1, 4), Song(2, 0), Song(3, -1)}, 18, 3, "Ann", "2001", {}},
        SummaryCase{"HalfRoundsToEven", {Song(1, 1), Song(2, 0)}, 12, 2, "Ann", "2001", {}},
        SummaryCase{"MissingFilesDoNotCount",
                    {Song(1, 2), Song(2, 3), Song(3, 4, 0), Song(4, -2, 2)},
                    25,
                    2,
                    "Ann",
                    "2001",
                    {"Resetting numexi from 4 to 2"}},
        SummaryCase{"NothingExistsKeepsTheDerivedRating",
                    {Song(1, 4, 0)},
                    20,
                    0,
                    "Ann",
                    "2001",
                    {"Resetting numexi from 1 to 0"}},
        SummaryCase{"ArtistsDifferingOnlyInCase",
                    {Song(1, 2, 1, "Ann"), Song(2, 2, 1, "ANN")},
                    20,
                    2,
                    "Ann",
                    "2001",
                    {}},
        SummaryCase{"AnEmptyArtistIsNoOtherArtist",
                    {Song(1, 2, 1, ""), Song(2, 2, 1, "Ann"), Song(3, 2, 1, "")},
                    20,
                    3,
                    "Ann",
                    "2001",
                    {}},
        SummaryCase{"TwoArtistsMakeItVarious",
                    {Song(1, 2, 1, "Ann"), Song(2, 2, 1, "Bob"), Song(3, 2, 1, "Ann")},
                    20,
                    3,
                    "various",
                    "2001",
                    {}},
        SummaryCase{"TwoYearsMakeItVari",
                    {Song(1, 2, 1, "Ann", "2001"), Song(2, 2, 1, "Ann", "1999")},
                    20,
                    2,
                    "Ann",
                    "vari",
                    {"Resetting Album year from 2001 to vari"}},
        SummaryCase{"ALaterEmptyYearDiffers",
                    {Song(1, 2, 1, "Ann", "2001"), Song(2, 2, 1, "Ann", "")},
                    20,
                    2,
                    "Ann",
                    "vari",
                    {"Resetting Album year from 2001 to vari"}},
        SummaryCase{"LeadingEmptyYearsAreSkipped",
                    {Song(1, 2, 1, "Ann", ""), Song(2, 2, 1, "Ann", "1987")},
                    20,
                    2,
                    "Ann",
                    "1987",
                    {"Resetting Album year from 2001 to 1987"}},
        SummaryCase{"RepeatedTrackNumbersAreNotedOnce",
                    {Song(2, 2), Song(2, 3), Song(3, 2), Song(3, 2)},
                    22,  // 22.5
                    4,
                    "Ann",
                    "2001",
                    {"Sequence is 1.tracknum 2.filename"}},
        SummaryCase{"TrackZeroFirstIsNoted",
                    {Song(0, 2)},
                    20,
                    1,
                    "Ann",
                    "2001",
                    {"Sequence is 1.tracknum 2.filename"}}),
    ByName());

struct ArtistCase {
    std::string name;
    int mode;
    QString answer;
    QStringList transcript;
    QString storedArtist;
    int result;
};

class AlbumArtist : public Summary, public ::testing::WithParamInterface<ArtistCase> {};

TEST_P(AlbumArtist, IsToldAskedOrUpdatedByMode) {
    const ArtistCase& c = GetParam();
    const int id = MakeAlbum({Song(1, 2, 1, "Ann"), Song(2, 2, 1, "Bob")}, "Ann");
    m_dialogs.QueueAnswer(c.answer);
    EXPECT_EQ(Run(id, c.mode), c.result);
    EXPECT_EQ(m_dialogs.Transcript(), c.transcript);
    const TAlbum album = Stored(id);
    EXPECT_EQ(album.ArtistName, c.storedArtist);
    if (c.storedArtist == "various") {
        EXPECT_EQ(album.ArtistId, m_library.artists.VariousArtistId());
    }
}

const QString kShouldBe = "Album artist \"Ann\" should be \"various\" ";

INSTANTIATE_TEST_SUITE_P(
    Ratings, AlbumArtist,
    ::testing::Values(
        ArtistCase{"Tell", 0, "", {"INFO: " + kShouldBe}, "Ann", 0},
        ArtistCase{"AskYes", 1, "Yes", {"ASK: " + kShouldBe + " - OK to update? -> Yes"}, "various", 1},
        ArtistCase{"AskNo", 1, "No", {"ASK: " + kShouldBe + " - OK to update? -> No"}, "Ann", 0},
        ArtistCase{"Update", 2, "", {}, "various", 1}),
    ByName());

TEST_F(Summary, RunsOnlyOnAnUnfilteredAlbumList) {
    const int id = MakeAlbum({Song(1, 4)});
    EXPECT_EQ(Run(id, 1, true, 1), 2);
    EXPECT_EQ(Run(0, 1), 2);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
    EXPECT_EQ(Run(id, 1, false), 2);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Program error : not Album display"});
    EXPECT_EQ(m_reopened, 0);
    m_dialogs.ClearTranscript();
    EXPECT_EQ(Run(id + 40, 1), 2);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Album not found #" + QString::number(id + 40)});
    EXPECT_EQ(Stored(id).RatingDrvd, 20);  // untouched
}

TEST_F(Summary, QuestionWarningsAreSeenWhereFileAndFlagDisagree) {
    MakeFile("here.mp3");
    SongRow present = Song(1, 2);
    present.fn = "here.mp3";
    const int agreeing = MakeAlbum({present, Song(2, 2, 0)});
    Run(agreeing, 1);
    EXPECT_FALSE(m_summary.QuestionWarnings());

    SongRow flaggedMissing = Song(1, 2, 0);
    flaggedMissing.fn = "here.mp3";
    Run(MakeAlbum({flaggedMissing}), 1);
    EXPECT_TRUE(m_summary.QuestionWarnings());
    Run(MakeAlbum({Song(1, 2, 1)}), 1);  // flagged present, file missing
    EXPECT_TRUE(m_summary.QuestionWarnings());

    EXPECT_EQ(SongWarning(true, 1), "");
    EXPECT_EQ(SongWarning(false, 0), "!");
    EXPECT_EQ(SongWarning(true, 0), "?");
    EXPECT_EQ(SongWarning(false, 1), "?");
    EXPECT_EQ(SongWarning(true, 2), "?");
}

}  // namespace
}  // namespace sw
