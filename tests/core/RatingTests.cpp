#include <gtest/gtest.h>

#include <QJsonObject>

#include "PlaylistTestSupport.h"
#include "core/SongPaths.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"

namespace sw {
namespace {

using test::ByName;

struct DerivedCase {
    std::string name;
    std::vector<int> ratings;
    int derived;
};

class Derived : public ::testing::TestWithParam<DerivedCase> {};

TEST_P(Derived, IsTenTimesTheMeanScoreWithHalvesToEven) {
    bool counted = false;
    EXPECT_EQ(DerivedAlbumRating(GetParam().ratings, &counted), GetParam().derived);
    EXPECT_EQ(counted, !GetParam().ratings.empty());
}

INSTANTIATE_TEST_SUITE_P(Ratings, Derived,
                         ::testing::Values(DerivedCase{"ExceptionalUnratedBad", {4, 0, -1}, 18},  // 55 / 3
                                           DerivedCase{"GoodExcellent", {2, 3}, 25},
                                           DerivedCase{"OkGood", {1, 2}, 15},
                                           DerivedCase{"HalfDownToEven", {1, 0}, 12},  // 12.5
                                           DerivedCase{"HalfUpToEven", {2, 0}, 18},    // 17.5
                                           DerivedCase{"UnratedCountsFifteen", {2, 3, 0, 0}, 20},
                                           DerivedCase{"AwfulScoresNothing", {-2, -1}, 0},
                                           DerivedCase{"None", {}, 0}),
                         ByName());

class SongRatings : public test::PlaybackFixture {
protected:
    TSong Stored(int songNum) {
        TSong song;
        EXPECT_TRUE(m_library.songs.FindSongByNumber(songNum, song));
        return song;
    }
};

TEST_F(SongRatings, ValuesOutsideTheScaleAreRefusedWithoutAStatement) {
    TSong song = Stored(InsertSong({.title = "Rated", .artist = "A", .track = 1, .rating = 4}));
    for (const int value : {5, -3, 99}) {
        EXPECT_FALSE(m_ratings.SetSongRating(song, value));
    }
    EXPECT_EQ(song.Rating, 4);
    EXPECT_TRUE(m_ratings.SetSongRating(song, -2));
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(Stored(song.SongNum).Rating, -2);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

TEST_F(SongRatings, SteppingRefusesDetailsThatChangedSinceTheyWereRead) {
    const int num = InsertSong({.title = "Stepped", .artist = "A", .track = 1, .rating = 3});
    TSong shown = Stored(num);

    EXPECT_TRUE(m_ratings.AdjustSongRating(shown, +1));
    EXPECT_EQ(Stored(num).Rating, 4);
    EXPECT_FALSE(m_ratings.AdjustSongRating(shown, +1));  // above the scale
    EXPECT_EQ(Stored(num).Rating, 4);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());

    const QString stale = "INFO: Details have changed since they were displayed, please Refresh & try again";
    // Saved elsewhere: the edit stamp moved on.
    m_catalogue.ExecSqlCommit("update song set editts = '2021-05-05 12:00:00' where songnum = " +
                              QString::number(num));
    EXPECT_FALSE(m_ratings.AdjustSongRating(shown, -1));
    EXPECT_EQ(m_dialogs.Transcript(), QStringList{stale});

    // Rated elsewhere (which leaves the stamp alone): stepping from the shown value would undo it.
    shown = Stored(num);
    m_catalogue.ExecSqlCommit("update song set rating = 1 where songnum = " + QString::number(num));
    EXPECT_FALSE(m_ratings.AdjustSongRating(shown, -1));
    EXPECT_EQ(Stored(num).Rating, 1);

    // Removed since.
    m_catalogue.ExecSqlCommit("delete from song where songnum = " + QString::number(num));
    EXPECT_FALSE(m_ratings.AdjustSongRating(shown, -1));
    EXPECT_EQ(m_dialogs.Transcript(), (QStringList{stale, stale, stale}));
}

enum class Change { Set, Step };

struct TagCase {
    std::string name;
    QString fixture;
    int policy;
    bool squeeze;
    Change change;
    bool fileRewritten;
    QString ratingInTag;  // what mutagen finds (Encoder of ID3v2, vendor of Ogg); empty: none
    int ratingReadBack;
};

class RatingInTags : public SongRatings, public ::testing::WithParamInterface<TagCase> {
protected:
    RatingInTags() {
        m_settings.OGGTAG = true;
        m_settings.MP3TAGREADPREFV1V2 = 2;
        m_library.tagWriter = &m_policy;
    }
    ~RatingInTags() override { m_library.tagWriter = nullptr; }

    CatalogueGenres m_genres{m_catalogue};
    TagState m_state;
    TagPolicy m_policy{m_library, m_genres, m_state};
};

TEST_P(RatingInTags, FollowsTheSqueezeSettingAndThePolicy) {
    const TagCase& c = GetParam();
    m_settings.MP3TAGPOLICY = c.policy;
    m_settings.SQUEEZERATING = c.squeeze;
    const QString name = "Rated " + c.fixture;
    const QByteArray original = test::Fixture(c.fixture);
    test::WriteBytes(m_music.filePath(name), original);
    TSong song = Stored(InsertSong(
        {.title = "Rated", .artist = "Someone", .track = 1, .rating = 2, .year = "2001", .fn = name}));
    ASSERT_TRUE(song.FileFound);

    const bool changed =
        c.change == Change::Set ? m_ratings.SetSongRating(song, 3) : m_ratings.AdjustSongRating(song, +1);
    ASSERT_TRUE(changed);
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(Stored(song.SongNum).Rating, 3);

    const QByteArray now = test::ReadBytes(song.FullPath);
    EXPECT_EQ(now != original, c.fileRewritten);
    const QJsonObject read = test::MutagenRead(song.FullPath);
    const QString inTag = c.fixture.endsWith(".ogg")
                              ? read["ogg"].toObject()["vendor"].toString()
                              : read["id3v2"].toObject()["frames"].toObject()["TENC"].toString();
    if (c.ratingInTag.isEmpty()) {
        EXPECT_FALSE(inTag.startsWith("Rating=")) << inTag.toStdString();
    } else {
        EXPECT_EQ(inTag, c.ratingInTag);
    }
    TSong fresh;
    ASSERT_TRUE(m_policy.ReadSongFromFile(song.FullPath, fresh, ResolveMode::None));
    EXPECT_EQ(fresh.Rating, c.ratingReadBack);
}

INSTANTIATE_TEST_SUITE_P(
    Ratings, RatingInTags,
    ::testing::Values(TagCase{"Mp3OnlyV2", "id3v23.mp3", 3, true, Change::Set, true, "Rating=3", 3},
                      // ID3v1 has no room for it, so under these policies an MP3 is left alone.
                      TagCase{"Mp3V1WhereItFits", "id3v23.mp3", 2, true, Change::Set, false, "", 0},
                      TagCase{"Mp3NoTags", "id3v23.mp3", 0, true, Change::Set, false, "", 0},
                      TagCase{"SqueezeOff", "id3v23.mp3", 3, false, Change::Set, false, "", 0},
                      TagCase{"Ogg", "tone.ogg", 2, true, Change::Set, true, "Rating=3", 3},
                      // A step of the details window follows the same rules.
                      TagCase{"StepMp3OnlyV1", "id3v23.mp3", 1, true, Change::Step, false, "", 0},
                      TagCase{"StepMp3V1WhereItFits", "id3v23.mp3", 2, true, Change::Step, false, "", 0},
                      TagCase{"StepMp3NoTags", "id3v23.mp3", 0, true, Change::Step, false, "", 0},
                      TagCase{"StepSqueezeOff", "id3v23.mp3", 3, false, Change::Step, false, "", 0},
                      TagCase{"StepMp3OnlyV2", "id3v23.mp3", 3, true, Change::Step, true, "Rating=3", 3},
                      TagCase{"StepOggUnderV1WhereItFits", "tone.ogg", 2, true, Change::Step, true,
                              "Rating=3", 3}),
    ByName());

class AlbumRatings : public test::PlaybackFixture {
protected:
    TAlbum MakeAlbum(int derived, int summary, bool assigned) {
        TAlbum album;
        ClearAlbum(album);
        album.AlbumName = "Rated album";
        album.ArtistName = "A";
        album.RatingDrvd = derived;
        album.RatingSumm = summary;
        album.RatingAssd = assigned;
        m_library.albums.WriteAlbum(album);
        m_catalogue.CommitAndContinue();
        return album;
    }
    /// "drvd/summ/assd" as stored, read on another connection so only committed changes count.
    QString StoredRatings(int albumId) {
        Catalogue other;
        m_file.Open(other);
        const RowSet row =
            other.Select("select ratingdrvd, ratingsumm, ratingassd from album where albumid = " +
                         QString::number(albumId));
        return QString("%1/%2/%3")
            .arg(row.Int("RATINGDRVD"))
            .arg(row.Int("RATINGSUMM"))
            .arg(row.Int("RATINGASSD"));
    }
};

struct AssignCase {
    std::string name;
    int derived;
    int summary;
    bool assigned;
    QString answer;
    bool result;
    QString stored;
    QStringList infos;
};

class AssignRating : public AlbumRatings, public ::testing::WithParamInterface<AssignCase> {};

TEST_P(AssignRating, SetsOrReturnsToTheDerivedRatingAndCommits) {
    const AssignCase& c = GetParam();
    TAlbum album = MakeAlbum(c.derived, c.summary, c.assigned);
    m_dialogs.QueueAnswer(c.answer);
    EXPECT_EQ(m_ratings.AssignAlbumRating(album), c.result);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), c.infos);
    EXPECT_TRUE(m_dialogs.TextsOf("INPUT").front().startsWith("Album rating (-2 to +4) -> "));
    EXPECT_EQ(StoredRatings(album.AlbumId), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Ratings, AssignRating,
    ::testing::Values(AssignCase{"Assign", 18, 18, false, "3", true, "18/30/1", {}},
                      AssignCase{"AssignBad", 18, 18, false, "-2", true, "18/-20/1", {}},
                      AssignCase{"ZeroReturnsToDerived", 18, 40, true, "0", true, "18/18/0", {}},
                      AssignCase{"OutOfRange", 18, 40, true, "5", false, "18/40/1", {"Out of range"}},
                      AssignCase{"Cancelled", 18, 40, true, "<cancel>", false, "18/40/1", {}}),
    ByName());

TEST_F(AlbumRatings, ADerivedRatingReachesTheSummaryOnlyWhenNoneWasAssigned) {
    TAlbum derived = MakeAlbum(20, 20, false);
    TAlbum assigned = MakeAlbum(20, 40, true);
    m_ratings.UpdateAlbumDerivedRating(derived, 18);
    m_ratings.UpdateAlbumDerivedRating(assigned, 18);
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(StoredRatings(derived.AlbumId), "18/18/0");
    EXPECT_EQ(StoredRatings(assigned.AlbumId), "18/40/1");

    // An unchanged value writes nothing, even where the row says otherwise.
    m_catalogue.ExecSqlCommit("update album set ratingdrvd = 33 where albumid = " +
                              QString::number(derived.AlbumId));
    m_ratings.UpdateAlbumDerivedRating(derived, 18);
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(StoredRatings(derived.AlbumId), "33/18/0");
}

TEST(RatingInTags, GoesOnlyWhereASaveCanHoldItAndKeepTheTag) {
    Settings settings;
    settings.SQUEEZERATING = true;
    const std::pair<int, const char*> cases[] = {{3, "MP3"}, {3, "OGG"}, {1, "OGG"}, {1, "MP3"},
                                                 {2, "MP3"}, {3, "M4A"}, {3, "WMA"}, {0, "OGG"}};
    QStringList goes;
    for (const auto& [policy, type] : cases) {
        settings.MP3TAGPOLICY = policy;
        if (RatingGoesIntoTags(settings, type)) {
            goes << QString("%1 %2").arg(policy).arg(type);
        }
    }
    EXPECT_EQ(goes, (QStringList{"3 MP3", "3 OGG", "1 OGG"}));
    settings.SQUEEZERATING = false;
    EXPECT_FALSE(RatingGoesIntoTags(settings, "MP3"));
}

}  // namespace
}  // namespace sw
