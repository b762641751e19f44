#include <gtest/gtest.h>

#include <QSet>
#include <map>

#include "../core/PlaylistTestSupport.h"
#include "playback/RandomSelection.h"

namespace sw {
namespace {

using test::ByName;

class Random : public test::PlaybackFixture {
protected:
    Random() { m_random.SetSeed(20240601); }

    /// The song numbers of playlist 0 in seq order, checking that the seqs run 1, 2, 3...
    QList<int> Drawn() {
        const RowSet rows =
            m_catalogue.Select("select seq, songnum from songinpl where plid = 0 order by seq");
        QList<int> songs;
        for (int row = 0; row < rows.RowCount(); ++row) {
            EXPECT_EQ(rows.Value(row, 0).toInt(), row + 1);
            songs << rows.Value(row, 1).toInt();
        }
        return songs;
    }

    RandomSelection m_random{m_catalogue, m_library.songs, m_playlists};
};

struct FilterCase {
    std::string name;
    int filter;
    QList<int> admitted;  // ratings
};

class RandomFilter : public Random, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(RandomFilter, DrawsEveryAdmittedSongAndNoOther) {
    // Two existing songs per rating, one whose file the catalogue believes missing, and one whose
    // flag is above 1 (admitted like an existing one).
    std::map<int, int> ratingOf;
    for (int rating = -2; rating <= 4; ++rating) {
        for (int copy = 0; copy < 2; ++copy) {
            ratingOf[InsertSong({.rating = rating})] = rating;
        }
    }
    const int missing = InsertSong({.rating = 3, .exi = 0});
    ratingOf[InsertSong({.rating = 2, .exi = 2})] = 2;

    EXPECT_EQ(m_random.PickRandomSongs(300, GetParam().filter), 300);
    m_catalogue.CommitAndContinue();
    const QList<int> drawn = Drawn();
    ASSERT_EQ(drawn.size(), 300);
    QSet<int> seen(drawn.begin(), drawn.end());
    EXPECT_FALSE(seen.contains(missing));
    QSet<int> expected;
    for (const auto& [song, rating] : ratingOf) {
        if (GetParam().admitted.contains(rating)) {
            expected.insert(song);
        }
    }
    EXPECT_EQ(seen, expected);
}

INSTANTIATE_TEST_SUITE_P(Random, RandomFilter,
                         ::testing::Values(FilterCase{"VeryBest", 4, {4}}, FilterCase{"Best", 3, {3, 4}},
                                           FilterCase{"Good", 2, {2, 3, 4}},
                                           FilterCase{"GoodAndUnratedNotOk", 1, {0, 2, 3, 4}},
                                           FilterCase{"AllButBad", 0, {0, 1, 2, 3, 4}},
                                           FilterCase{"OnlyBad", -1, {-2, -1}},
                                           FilterCase{"NoFilter", 99, {-2, -1, 0, 1, 2, 3, 4}}),
                         ByName());

TEST_F(Random, NothingAdmittedLeavesAnEmptyRandomPlaylist) {
    EXPECT_EQ(m_random.PickRandomSongs(20, 1), 0);  // no songs at all
    EXPECT_EQ(m_catalogue.Select("select plname from plist where plid = 0").Text("PLNAME"), "Random");

    InsertSong({.rating = 1});
    InsertSong({.rating = 3});
    EXPECT_EQ(m_random.PickRandomSongs(20, 99), 20);
    EXPECT_EQ(m_random.PickRandomSongs(20, 4), 0);
    m_catalogue.CommitAndContinue();
    EXPECT_TRUE(Drawn().isEmpty());
    EXPECT_EQ(CountRows("select count(*) as ct from plist where plid = 0"), 1);
}

TEST_F(Random, AnotherPickReplacesTheLastOne) {
    for (int i = 0; i < 5; ++i) {
        InsertSong({.rating = 2});
    }
    m_random.PickRandomSongs(20, 1);
    m_random.PickRandomSongs(7, 1);
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(Drawn().size(), 7);
}

struct GapCase {
    std::string name;
    int gap;
};

/// Draws are uniform and independent whether songs are found by trying numbers or, when the numbers
/// are far apart, by listing the admitted songs.
class Uniform : public Random, public ::testing::WithParamInterface<GapCase> {};

TEST_P(Uniform, EachAdmittedSongIsDrawnAboutEquallyOften) {
    const int gap = GetParam().gap;
    const QList<int> numbers = {1, 1 + gap, 1 + 2 * gap};
    for (const int number : numbers) {
        m_catalogue.ExecSql("insert into song (songnum, title, rating, exi) values (" +
                            QString::number(number) + ", 'Far apart', 2, 1)");
    }
    m_catalogue.ExecSqlCommit("insert into song (songnum, title, rating, exi) values (" +
                              QString::number(2 + gap) + ", 'Left out', 1, 1)");
    std::map<int, int> counts;
    for (int round = 0; round < 20; ++round) {
        m_random.PickRandomSongs(30, 1);
        for (const int song : Drawn()) {
            ++counts[song];
        }
    }
    ASSERT_EQ(counts.size(), 3u);
    for (const int number : numbers) {
        EXPECT_NEAR(counts[number], 200, 50) << number;
    }
}

INSTANTIATE_TEST_SUITE_P(Random, Uniform,
                         ::testing::Values(GapCase{"CloseNumbers", 1}, GapCase{"FarApartNumbers", 2'000'000}),
                         ByName());

}  // namespace
}  // namespace sw
