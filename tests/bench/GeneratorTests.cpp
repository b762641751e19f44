#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "foundation/Numbers.h"
#include "maintenance/HealthCheck.h"
#include "bench/CatalogueGenerator.h"
#include "core/Ratings.h"

namespace sw {
namespace {

constexpr int kSongs = 300;

class Generator : public ::testing::Test {
protected:
    Generator() {
        m_file.OpenCurrent(m_catalogue);
        m_options.songs = kSongs;
        m_options.now = StampToDateTime({{2024, 6, 1}, {12, 0, 0}});
        m_counts = GenerateCatalogue(m_catalogue, m_options);
    }

    int Count(const QString& sql) { return m_catalogue.Select(sql).Int("CT"); }

    /// Every text of one column, with the song number, for comparing two catalogues.
    QStringList Column(Catalogue& catalogue, const QString& column) {
        const RowSet rows = catalogue.Select("select songnum, " + column + " from song order by songnum");
        QStringList values;
        for (int row = 0; row < rows.RowCount(); ++row) {
            values << rows.Value(row, 0).toString() + "|" + rows.Value(row, 1).toString();
        }
        return values;
    }

    test::TestCatalogue m_file;
    Catalogue m_catalogue;
    GeneratorOptions m_options;
    GeneratedCounts m_counts;
};

TEST_F(Generator, MakesTheCollectionItsCountsDescribe) {
    EXPECT_EQ(m_counts.songs, kSongs);
    EXPECT_EQ(m_counts.albums, kSongs / 12);
    EXPECT_EQ(m_counts.artists, kSongs / 40);
    EXPECT_EQ(m_counts.playlists, 36);
    EXPECT_EQ(Count("select count(*) as ct from song"), kSongs);
    EXPECT_EQ(Count("select count(*) as ct from album"), kSongs / 12);
    EXPECT_EQ(Count("select count(*) as ct from artist where lower(arname) <> 'various'"), kSongs / 40);
    EXPECT_EQ(Count("select count(*) as ct from album al where not exists "
                    "(select 1 from song s where s.albumid = al.albumid)"),
              0);
    EXPECT_EQ(Count("select count(*) as ct from song s where not exists "
                    "(select 1 from album al where al.albumid = s.albumid)"),
              0);
    EXPECT_EQ(Count("select count(*) as ct from plist"), 36);
    EXPECT_EQ(Count("select count(*) as ct from songinpl"), m_counts.playlistEntries);
    EXPECT_GE(Count("select max(ct) as ct from (select count(*) as ct from songinpl group by plid)"), 200);
    EXPECT_EQ(Count("select count(*) as ct from songinpl sp where not exists "
                    "(select 1 from song s where s.songnum = sp.songnum)"),
              0);
}

TEST_F(Generator, TextsVaryInLengthAndCharacters) {
    // File names are unique even where letter case is ignored, and plausible below the music root.
    EXPECT_EQ(Count("select count(distinct lower(fn)) as ct from song"), kSongs);
    EXPECT_EQ(Count("select count(*) as ct from song where fn starting with '/' or fn containing '//'"), 0);
    EXPECT_GT(Count("select max(char_length(title)) as ct from song"), 60);
    EXPECT_GT(Count("select max(char_length(fn)) as ct from song"), 120);
    for (const QString column : {"s.title", "ar.arname", "al.alname", "pl.plname"}) {
        const QString from = column.startsWith("pl.") ? "plist pl"
                                                      : "song s join artist ar on ar.artistid = s.artistid "
                                                        "join album al on al.albumid = s.albumid";
        EXPECT_GT(Count("select count(*) as ct from " + from + " where " + column + " containing ''''"), 0)
            << column.toStdString();
        EXPECT_GT(Count("select count(*) as ct from " + from + " where " + column + " containing '\"'"), 0)
            << column.toStdString();
    }
    bool nonAscii = false;
    for (const QString& title : Column(m_catalogue, "title")) {
        for (const QChar c : title) {
            nonAscii = nonAscii || c.unicode() > 127;
        }
    }
    EXPECT_TRUE(nonAscii);
}

TEST_F(Generator, AlbumFiguresAgreeWithTheirSongs) {
    std::map<int, std::vector<int>> existing;
    const RowSet songs = m_catalogue.Select("select albumid, rating from song where exi = 1");
    for (int row = 0; row < songs.RowCount(); ++row) {
        existing[songs.Value(row, 0).toInt()].push_back(songs.Value(row, 1).toInt());
    }
    const RowSet albums =
        m_catalogue.Select("select albumid, numexi, ratingdrvd, ratingassd, ratingsumm from album");
    for (int row = 0; row < albums.RowCount(); ++row) {
        const int id = albums.Value(row, 0).toInt();
        const std::vector<int>& ratings = existing[id];
        EXPECT_EQ(albums.Value(row, 1).toInt(), static_cast<int>(ratings.size())) << id;
        if (!ratings.empty()) {
            EXPECT_EQ(albums.Value(row, 2).toInt(), DerivedAlbumRating(ratings)) << id;
        }
        if (albums.Value(row, 3).toInt() == 0) {
            EXPECT_EQ(albums.Value(row, 4), albums.Value(row, 2)) << id;
        } else {
            EXPECT_NE(albums.Value(row, 4).toInt(), 0) << id;
        }
    }
}

TEST_F(Generator, AYearOfHistoryEndsTheDayBefore) {
    EXPECT_EQ(Count("select count(*) as ct from history"), m_counts.historyRows);
    EXPECT_GT(Count("select count(distinct pldate) as ct from history"), 300);
    EXPECT_EQ(Count("select max(pldate) as ct from history"), 20240531);
    EXPECT_EQ(Count("select min(pldate) as ct from history"), 20230602);
    // Date and time columns agree with every stamp, as the database check wants them.
    EXPECT_EQ(CheckHistoryTimes(m_catalogue, false), QStringList{});
}

TEST_F(Generator, TheSameSeedGivesTheSameCatalogueAndSongsAreNeverAddedTwice) {
    test::TestCatalogue secondFile;
    Catalogue second;
    secondFile.OpenCurrent(second);
    GenerateCatalogue(second, m_options);
    EXPECT_EQ(Column(second, "fn"), Column(m_catalogue, "fn"));
    EXPECT_EQ(Column(second, "rating"), Column(m_catalogue, "rating"));

    try {
        GenerateCatalogue(m_catalogue, m_options);
        ADD_FAILURE() << "a catalogue with songs was filled again";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(),
                     "The catalogue already holds 300 songs; generating needs one without songs");
    }
    EXPECT_EQ(Count("select count(*) as ct from song"), kSongs);
}

}  // namespace
}  // namespace sw
