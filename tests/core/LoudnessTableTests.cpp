// The SONGLOUDNESS table: the ladder step that brings it, new catalogues that have it, and the
// removal of a song that takes its row along.
#include <gtest/gtest.h>

#include "LibraryFixture.h"
#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/SongRemoval.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

int CountOf(Catalogue& catalogue, const QString& sql) {
    return catalogue.Select(sql).Int("CT");
}

int LoudnessTriggers(Catalogue& catalogue) {
    return CountOf(
        catalogue,
        "select count(*) as ct from rdb$triggers where rdb$trigger_name = 'SONGLOUDNESS_SONG_DELETE'");
}

int LoudnessTables(Catalogue& catalogue) {
    return CountOf(catalogue,
                   "select count(*) as ct from rdb$relations where rdb$relation_name = 'SONGLOUDNESS'");
}

TEST(LoudnessTable, AVersionElevenCatalogueClimbsToTheLayoutOfANewOne) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    const test::TestCatalogue created("Same", test::CatalogueStart::Current);
    Catalogue fresh;
    created.Open(fresh);
    fresh.ReadParams();
    ASSERT_EQ(fresh.CatalogueVersion(), kCurrentCatalogueVersion);
    EXPECT_EQ(LoudnessTables(fresh), 1);

    // A catalogue as version 11 left it: everything but the loudness table and the tables of the
    // later steps.
    const test::TestCatalogue older("Same", test::CatalogueStart::Current);
    Catalogue eleven;
    older.Open(eleven);
    eleven.ExecSqlCommit("drop table songloudness");
    eleven.ExecSqlCommit("drop table songsearch");
    eleven.ExecSqlCommit("update params set pmval1 = 11 where pmname = 'DBVN'");
    eleven.ExecSqlCommit("insert into song (songnum, title) values (1, 'Kept')");
    eleven.ReadParams();
    ASSERT_EQ(LoudnessTables(eleven), 0);
    EXPECT_FALSE(eleven.UpgradeCatalogue());
    EXPECT_EQ(dialogs.TextsOf("INFO"),
              (QStringList{"Converting database to version 12", "Converting database to version 13"}));
    EXPECT_EQ(eleven.CatalogueVersion(), kCurrentCatalogueVersion);
    eleven.OpenTableCursors();
    fresh.OpenTableCursors();
    EXPECT_EQ(test::CatalogueLayout(eleven), test::CatalogueLayout(fresh));
    EXPECT_EQ(LoudnessTriggers(eleven), 1);
    EXPECT_EQ(LoudnessTriggers(fresh), 1);
    EXPECT_EQ(CountOf(eleven, "select count(*) as ct from song"), 1);

    // The row of a song, keyed by its number.
    eleven.ExecSqlCommit(
        "insert into songloudness (songnum, lufs, source, musicstart, musicend) values "
        "(1, -14.25, 'M', 120, 181000)");
    EXPECT_THROW(eleven.ExecSqlCommit("insert into songloudness (songnum) values (1)"), DatabaseError);
}

TEST(LoudnessTable, AConvertedCatalogueClimbsToIt) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    const test::TestCatalogue converted;
    Catalogue catalogue;
    converted.OpenCurrent(catalogue);
    EXPECT_EQ(catalogue.CatalogueVersion(), kCurrentCatalogueVersion);
    EXPECT_EQ(LoudnessTables(catalogue), 1);
}

class LoudnessRemoval : public test::LibraryFixture {
protected:
    LoudnessRemoval() {
        // Songs 1 and 2 on album 7, song 3 on album 8, each with a loudness row.
        for (const int songNum : {1, 2, 3}) {
            const QString n = QString::number(songNum);
            m_catalogue.ExecSql("insert into song (songnum, title, fn, albumid) values (" + n + ", 'S', 's" +
                                n + ".mp3', " + (songNum < 3 ? "7" : "8") + ")");
            m_catalogue.ExecSql("insert into songloudness (songnum, lufs) values (" + n + ", -12.5)");
        }
        m_catalogue.ExecSql("insert into album (albumid, alname) values (7, 'Seven')");
        m_catalogue.ExecSql("insert into album (albumid, alname) values (8, 'Eight')");
        m_catalogue.CommitAndContinue();
    }
    std::vector<int> Rows() {
        std::vector<int> numbers;
        RowSet rows = m_catalogue.Select("select songnum from songloudness order by songnum");
        for (rows.First(); !rows.Eof(); rows.Next()) {
            numbers.push_back(rows.Int("SONGNUM"));
        }
        return numbers;
    }
};

TEST_F(LoudnessRemoval, RemovingASongTakesItsLoudnessRowAndNoOther) {
    EXPECT_TRUE(DeleteSongRows(m_catalogue, 1));
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(Rows(), (std::vector<int>{2, 3}));
    EXPECT_EQ(Count("select count(*) as ct from song"), 2);
}

TEST_F(LoudnessRemoval, RemovingAnAlbumTakesTheRowsOfItsSongs) {
    m_library.albums.DeleteAlbumAndSongs(7);
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(Rows(), std::vector<int>{3});
}

TEST_F(LoudnessRemoval, TheTriggerIsMadeWhenTheTablesAreOpened) {
    m_catalogue.ExecSqlCommit("drop trigger songloudness_song_delete");
    m_catalogue.OpenTableCursors();
    EXPECT_EQ(LoudnessTriggers(m_catalogue), 1);
    EXPECT_TRUE(DeleteSongRows(m_catalogue, 3));
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2}));
}

TEST(LoudnessTable, RemovingASongFromACatalogueWithoutTheTableStillWorks) {
    const test::TestCatalogue versionOne;
    Catalogue catalogue;
    versionOne.Open(catalogue);
    catalogue.ExecSqlCommit("insert into song (songnum, title) values (5, 'Old')");
    EXPECT_TRUE(DeleteSongRows(catalogue, 5));
    catalogue.CommitAndContinue();
    EXPECT_EQ(CountOf(catalogue, "select count(*) as ct from song"), 0);
}

}  // namespace
}  // namespace sw
