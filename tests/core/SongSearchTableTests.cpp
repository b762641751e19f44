// The SONGSEARCH table: the ladder step that brings it, its filling when the tables are opened,
// and the trigger that keeps it equal to the songs' texts whatever writes SONG.
#include <gtest/gtest.h>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/SongSearchTable.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

/// Every row of `sql` (number, three texts) as one line each, lengths included so that trailing
/// blanks count, in a fixed order.
QStringList Lines(Catalogue& catalogue, const QString& sql) {
    QStringList lines;
    const RowSet rows = catalogue.Select(sql);
    for (int row = 0; row < rows.RowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < rows.ColumnCount(); ++column) {
            cells << (rows.IsNullAt(row, column) ? "<null>" : rows.Value(row, column).toString());
        }
        lines << cells.join(" | ");
    }
    return lines;
}

/// What SONGSEARCH should hold: each song's number and texts lower-cased, upper-cased and
/// lower-cased again, so that letters one upper case stands for are held as one.
QStringList Expected(Catalogue& catalogue) {
    QString columns = "songnum";
    for (const char* text : {"title", "fn", "\"comment\""}) {
        const QString held = QString("lower(upper(lower(%1)))").arg(text);
        columns += ", " + held + ", octet_length(" + held + ")";
    }
    return Lines(catalogue, "select " + columns + " from song order by 1, 2, 4, 6");
}

QStringList Held(Catalogue& catalogue) {
    return Lines(catalogue,
                 "select songnum, lowtitle, octet_length(lowtitle), lowfn, octet_length(lowfn), lowcomment, "
                 "octet_length(lowcomment) from songsearch order by 1, 2, 4, 6");
}

int CountOf(Catalogue& catalogue, const QString& sql) {
    return catalogue.Select(sql).Int("CT");
}

const char* const kInsertSongs[] = {
    "insert into song (songnum, title, fn, \"comment\", albumid, rating) values (1, 'İstanbul Straße', "
    "'Pop/01 - İstanbul.mp3', 'ΣΟΦΟΣ live', 7, 1)",
    "insert into song (songnum, title, fn, \"comment\", albumid, rating) values (2, 'O''Brien ', "
    "'Folk/O''Brien.mp3', null, 7, 2)",
    "insert into song (songnum, title, fn, albumid, rating) values (3, 'ſun Kelvin', 'x/ſun.ogg', 8, 3)",
};

class SongSearchTable : public ::testing::Test {
protected:
    SongSearchTable() {
        m_file.OpenCurrent(m_catalogue);
        for (const char* insert : kInsertSongs) {
            m_catalogue.ExecSqlCommit(insert);
        }
    }

    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    test::TestCatalogue m_file{"Search", test::CatalogueStart::Current};
    Catalogue m_catalogue;
};

TEST_F(SongSearchTable, ANewSongsTextsAreThereInTheCaseASearchCompares) {
    EXPECT_TRUE(SongSearchTableKept(m_catalogue));
    EXPECT_EQ(Held(m_catalogue), Expected(m_catalogue));
    EXPECT_EQ(m_catalogue.Select("select lowtitle from songsearch where songnum = 1").Text("LOWTITLE"),
              "istanbul straße");
    // The long s is held as the s it upper-cases to, the final sigma as the sigma.
    EXPECT_EQ(m_catalogue.Select("select lowtitle from songsearch where songnum = 3").Text("LOWTITLE"),
              "sun kelvin");
    EXPECT_EQ(m_catalogue.Select("select lowcomment from songsearch where songnum = 1").Text("LOWCOMMENT"),
              "σοφοσ live");
}

struct WriteCase {
    std::string name;
    std::vector<const char*> statements;
};

void PrintTo(const WriteCase& each, std::ostream* out) {
    *out << each.name;
}

class SongSearchWrites : public SongSearchTable, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(SongSearchWrites, LeaveTheTableEqualToTheSongs) {
    for (const char* statement : GetParam().statements) {
        m_catalogue.ExecSql(statement);
    }
    // Uncommitted as well as committed.
    EXPECT_EQ(Held(m_catalogue), Expected(m_catalogue));
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(Held(m_catalogue), Expected(m_catalogue));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, SongSearchWrites,
    ::testing::Values(
        WriteCase{"NewTitle", {"update song set title = 'ΚΑΛΗΜΕΡΑ' where songnum = 1"}},
        WriteCase{"NewFileName", {"update song set fn = 'Rock/ÆRØ.flac' where songnum = 2"}},
        WriteCase{"CommentAddedAndTaken",
                  {"update song set \"comment\" = 'From 1:28' where songnum = 3",
                   "update song set \"comment\" = null where songnum = 1"}},
        WriteCase{"OnlyTrailingBlanksChange",
                  {"update song set title = 'O''Brien' where songnum = 2",
                   "update song set fn = fn || '  ' where songnum = 3"}},
        WriteCase{"Renumbered", {"update song set songnum = 9 where songnum = 1"}},
        WriteCase{"NumbersSwapped",
                  {"update song set songnum = case songnum when 1 then 2 when 2 then 1 else songnum end"}},
        WriteCase{"Removed", {"delete from song where songnum = 2"}},
        WriteCase{"AlbumRemoved", {"delete from song where albumid = 7"}},
        WriteCase{"EveryTitleAtOnce", {"update song set title = upper(title) || ' (Live)'"}},
        WriteCase{"TwoSongsShareANumber",
                  {"insert into song (songnum, title, fn) values (2, 'Twin', 'twin.mp3')",
                   "update song set title = title || '!' where songnum = 2",
                   "update song set fn = 'one.mp3' where songnum = 2 and title = 'Twin!'"}},
        WriteCase{"OneOfTwinsRemoved",
                  {"insert into song (songnum, title, fn) values (3, 'Twin', 'twin.mp3')",
                   "delete from song where songnum = 3 and title = 'Twin'"}},
        WriteCase{"OneOfTwinsRenumbered",
                  {"insert into song (songnum, title, fn) values (3, 'Twin', 'twin.mp3')",
                   "update song set songnum = 4 where title = 'Twin'"}},
        WriteCase{"UndoneToASavepoint",
                  {"savepoint before_edit", "update song set title = 'Gone' where songnum = 1",
                   "delete from song where songnum = 3", "rollback to savepoint before_edit"}}),
    [](const ::testing::TestParamInfo<WriteCase>& each) { return each.param.name; });

TEST_F(SongSearchTable, OtherColumnsChangedRewriteNoRow) {
    // A load run stamps every song it loaded and a play changes ratings: the rows keep their
    // record versions.
    const QString versions = "select songnum, rdb$record_version as v from songsearch order by 1";
    const QStringList before = Lines(m_catalogue, versions);
    m_catalogue.ExecSqlCommit(
        "update song set searchts = current_timestamp, rating = rating + 1, albumid = 9, exi = 0");
    m_catalogue.ExecSqlCommit("update song set title = title, fn = fn where songnum = 1");
    EXPECT_EQ(Lines(m_catalogue, versions), before);
    m_catalogue.ExecSqlCommit("update song set title = title || 'x' where songnum = 1");
    EXPECT_NE(Lines(m_catalogue, versions), before);
}

struct TriggerLossCase {
    std::string name;
    const char* statement;
};

void PrintTo(const TriggerLossCase& each, std::ostream* out) {
    *out << each.name;
}

class SongSearchTriggerLoss : public SongSearchTable,
                              public ::testing::WithParamInterface<TriggerLossCase> {};

TEST_P(SongSearchTriggerLoss, TheTablesNextOpeningFillsItAfreshAndKeepsItAgain) {
    m_catalogue.ExecSqlCommit(GetParam().statement);
    EXPECT_FALSE(SongSearchTableKept(m_catalogue));
    m_catalogue.ExecSqlCommit("update song set title = 'Changed meanwhile' where songnum = 1");
    m_catalogue.ExecSqlCommit("insert into song (songnum, title, fn) values (4, 'Added meanwhile', 'a.mp3')");
    ASSERT_NE(Held(m_catalogue), Expected(m_catalogue));

    m_catalogue.OpenTableCursors();
    EXPECT_TRUE(SongSearchTableKept(m_catalogue));
    EXPECT_EQ(Held(m_catalogue), Expected(m_catalogue));
    m_catalogue.ExecSqlCommit("update song set title = 'Changed after' where songnum = 4");
    EXPECT_EQ(Held(m_catalogue), Expected(m_catalogue));
}

INSTANTIATE_TEST_SUITE_P(
    Trigger, SongSearchTriggerLoss,
    ::testing::Values(TriggerLossCase{"Dropped", "drop trigger songsearch_song"},
                      TriggerLossCase{"MadeInactive", "alter trigger songsearch_song inactive"},
                      // As an earlier version made it: the texts lower-cased only.
                      TriggerLossCase{"HoldingLowerCaseOnly",
                                      "create or alter trigger songsearch_song for song active after insert "
                                      "or update or delete as begin if (inserting) then insert into "
                                      "songsearch (songnum, lowtitle, lowfn, lowcomment) values "
                                      "(new.songnum, lower(new.title), lower(new.fn), "
                                      "lower(new.\"comment\")); end"}),
    [](const ::testing::TestParamInfo<TriggerLossCase>& each) { return each.param.name; });

TEST(SongSearchLadder, AVersionTwelveCatalogueTakesTheStepAndGetsItsSongsTexts) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    const test::TestCatalogue created("Same", test::CatalogueStart::Current);
    Catalogue fresh;
    created.Open(fresh);
    fresh.ReadParams();
    EXPECT_EQ(fresh.CatalogueVersion(), kCurrentCatalogueVersion);
    EXPECT_FALSE(fresh.UpgradeCatalogue());
    fresh.OpenTableCursors();

    // A catalogue as version 12 left it, with songs.
    const test::TestCatalogue older("Same", test::CatalogueStart::Current);
    Catalogue twelve;
    older.Open(twelve);
    twelve.ExecSqlCommit("drop table songsearch");
    twelve.ExecSqlCommit("update params set pmval1 = 12 where pmname = 'DBVN'");
    for (const char* insert : kInsertSongs) {
        twelve.ExecSqlCommit(insert);
    }
    twelve.ReadParams();
    EXPECT_FALSE(SongSearchTableKept(twelve));
    EXPECT_FALSE(twelve.UpgradeCatalogue());
    EXPECT_EQ(dialogs.TextsOf("INFO"), QStringList{"Converting database to version 13"});
    EXPECT_EQ(twelve.CatalogueVersion(), 13);
    twelve.OpenTableCursors();
    EXPECT_EQ(test::CatalogueLayout(twelve), test::CatalogueLayout(fresh));
    EXPECT_TRUE(SongSearchTableKept(twelve));
    EXPECT_TRUE(SongSearchTableKept(fresh));
    EXPECT_EQ(CountOf(twelve, "select count(*) as ct from songsearch"), 3);
    EXPECT_EQ(Held(twelve), Expected(twelve));

    // Opened again, the table is neither filled again nor changed.
    const QStringList versions =
        Lines(twelve, "select songnum, rdb$record_version from songsearch order by 1");
    twelve.OpenTableCursors();
    EXPECT_EQ(Lines(twelve, "select songnum, rdb$record_version from songsearch order by 1"), versions);
}

TEST(SongSearchLadder, ACatalogueBeforeTheStepHasNoTableToRead) {
    const test::TestCatalogue versionOne;
    Catalogue catalogue;
    versionOne.Open(catalogue);
    EXPECT_FALSE(SongSearchTableKept(catalogue));
    catalogue.ExecSqlCommit("insert into song (songnum, title) values (5, 'Old')");
}

}  // namespace
}  // namespace sw
