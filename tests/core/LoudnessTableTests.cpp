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

int LoudnessTables(Catalogue& catalogue) {
    return CountOf(catalogue,
                   "select count(*) as ct from rdb$relations where rdb$relation_name = 'SONGLOUDNESS'");
}

TEST(LoudnessTable, AVersionElevenCatalogueTakesOneStepToTheLayoutOfANewOne) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    const test::TestCatalogue created("Same", test::CatalogueStart::Current);
    Catalogue fresh;
    created.Open(fresh);
    fresh.ReadParams();
    ASSERT_EQ(fresh.CatalogueVersion(), 12);
    EXPECT_EQ(LoudnessTables(fresh), 1);

    // A catalogue as version 11 left it: everything but the loudness table.
    const test::TestCatalogue older("Same", test::CatalogueStart::Current);
    Catalogue eleven;
    older.Open(eleven);
    eleven.ExecSqlCommit("drop table songloudness");
    eleven.ExecSqlCommit("update params set pmval1 = 11 where pmname = 'DBVN'");
    eleven.ExecSqlCommit("insert into song (songnum, title) values (1, 'Kept')");
    eleven.ReadParams();
    ASSERT_EQ(LoudnessTables(eleven), 0);
    EXPECT_FALSE(eleven.UpgradeCatalogue());
    EXPECT_EQ(dialogs.TextsOf("INFO"), QStringList{"Converting database to version 12"});
    EXPECT_EQ(eleven.CatalogueVersion(), 12);
    eleven.OpenTableCursors();
    fresh.OpenTableCursors();
    EXPECT_EQ(test::CatalogueLayout(eleven), test::CatalogueLayout(fresh));
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
    int Rows(int songNum) {
        return Count("select count(*) as ct from songloudness where songnum = " + QString::number(songNum));
    }
};

TEST_F(LoudnessRemoval, RemovingASongTakesItsLoudnessRowAndNoOther) {
    for (const int songNum : {1, 2}) {
        m_catalogue.ExecSql("insert into song (songnum, title, fn) values (" + QString::number(songNum) +
                            ", 'S', 's.mp3')");
        m_catalogue.ExecSql("insert into songloudness (songnum, lufs) values (" + QString::number(songNum) +
                            ", -12.5)");
    }
    m_catalogue.CommitAndContinue();
    EXPECT_TRUE(DeleteSongRows(m_catalogue, 1));
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(Rows(1), 0);
    EXPECT_EQ(Rows(2), 1);
    EXPECT_EQ(Count("select count(*) as ct from song"), 1);
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
