#include <gtest/gtest.h>

#include "../core/PlaylistTestSupport.h"
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

/// Songs written as "track:rating[:exi[:artist[:year]]]", separated by blanks; by Ann from 2001,
/// existing, unless they say otherwise ("-" for an empty artist or year).
std::vector<SongRow> Songs(const QString& written) {
    std::vector<SongRow> songs;
    for (const QString& text : written.split(' ', Qt::SkipEmptyParts)) {
        const QStringList f = text.split(':');
        const auto field = [&f](int i, const QString& otherwise) {
            return f.size() > i ? (f[i] == "-" ? QString() : f[i]) : otherwise;
        };
        SongRow row;
        row.title = "Track " + f[0];
        row.track = f[0].toInt();
        row.rating = f[1].toInt();
        row.exi = field(2, "1").toInt();
        row.artist = field(3, "Ann");
        row.year = field(4, "2001");
        songs.push_back(row);
    }
    return songs;
}

struct SummaryCase {
    std::string name;
    QString songs;
    QString album;  // "derived numexi artist year" as stored afterwards
    QStringList flashes;
};

class SummaryWalk : public Summary, public ::testing::WithParamInterface<SummaryCase> {};

TEST_P(SummaryWalk, DerivesTheRatingCountAndYearAndTheArtist) {
    const SummaryCase& c = GetParam();
    const std::vector<SongRow> songs = Songs(c.songs);
    const int id = MakeAlbum(songs);
    const QString unchanged = QString("%1 Ann 2001").arg(songs.size());
    EXPECT_EQ(Run(id, 2), c.album.section(' ', 1) == unchanged ? 0 : 1);
    EXPECT_EQ(m_reopened, 1);
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), c.flashes);
    const TAlbum album = Stored(id);
    EXPECT_EQ(
        QString("%1 %2 %3 %4").arg(album.RatingDrvd).arg(album.NumExi).arg(album.ArtistName, album.Year),
        c.album);
    EXPECT_EQ(album.RatingSumm, album.RatingDrvd);
    EXPECT_EQ(m_rows.CurrentRow(), 0);
}

const QString kVari = "Resetting Album year from 2001 to vari";
const QString kSequence = "Sequence is 1.tracknum 2.filename";

INSTANTIATE_TEST_SUITE_P(
    Ratings, SummaryWalk,
    ::testing::Values(
        SummaryCase{"ScoresOfExistingSongs", "1:4 2:0 3:-1", "18 3 Ann 2001", {}},
        SummaryCase{"HalfRoundsToEven", "1:1 2:0", "12 2 Ann 2001", {}},
        SummaryCase{"MissingFilesDoNotCount",
                    "1:2 2:3 3:4:0 4:-2:2",
                    "25 2 Ann 2001",
                    {"Resetting numexi from 4 to 2"}},
        SummaryCase{"ArtistsDifferingOnlyInCase", "1:2:1:Ann 2:2:1:ANN", "20 2 Ann 2001", {}},
        SummaryCase{"AnEmptyArtistIsNoOtherArtist", "1:2:1:- 2:2:1:Ann 3:2:1:-", "20 3 Ann 2001", {}},
        SummaryCase{"TwoArtistsMakeItVarious", "1:2:1:Ann 2:2:1:Bob 3:2:1:Ann", "20 3 various 2001", {}},
        SummaryCase{"TwoYearsMakeItVari", "1:2:1:Ann:2001 2:2:1:Ann:1999", "20 2 Ann vari", {kVari}},
        SummaryCase{"ALaterEmptyYearDiffers", "1:2:1:Ann:2001 2:2:1:Ann:-", "20 2 Ann vari", {kVari}},
        SummaryCase{"LeadingEmptyYearsAreSkipped",
                    "1:2:1:Ann:- 2:2:1:Ann:1987",
                    "20 2 Ann 1987",
                    {"Resetting Album year from 2001 to 1987"}},
        // 22.5 rounds to 22; the repeated track is noted once.
        SummaryCase{"RepeatedTrackNumbers", "2:2 2:3 3:2 3:2", "22 4 Ann 2001", {kSequence}},
        SummaryCase{"TrackZeroFirst", "0:2", "20 1 Ann 2001", {kSequence}}),
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
    const int id = MakeAlbum(Songs("1:2:1:Ann 2:2:1:Bob"));
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
    const int id = MakeAlbum(Songs("1:4"));
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
    struct Case {
        const char* songs;
        bool firstFileThere;
        bool warned;
    };
    // Only where file and flag disagree: a missing file flagged missing is a "!" warning.
    for (const Case& c :
         {Case{"1:2:1 2:2:0", true, false}, Case{"1:2:0", true, true}, Case{"1:2:1", false, true}}) {
        std::vector<SongRow> rows = Songs(c.songs);
        rows[0].fn = c.firstFileThere ? "here.mp3" : "gone.mp3";
        Run(MakeAlbum(rows), 1);
        EXPECT_EQ(m_summary.QuestionWarnings(), c.warned) << c.songs;
    }
    EXPECT_EQ(SongWarning(false, 0), "!");
}

}  // namespace
}  // namespace sw
