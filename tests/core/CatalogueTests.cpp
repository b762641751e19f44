#include <gtest/gtest.h>

#include <QProcess>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/Query.h"
#include "foundation/ScriptedDialogs.h"
#include "foundation/Text.h"

namespace sw {
namespace {

class CatalogueOps : public ::testing::Test {
protected:
    void SetUp() override { m_file.OpenCurrent(m_catalogue); }

    test::TestCatalogue m_file;
    Catalogue m_catalogue;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
};

TEST_F(CatalogueOps, IdsAreTheHighestPlusOne) {
    EXPECT_EQ(m_catalogue.NextSongNum(), 1);
    EXPECT_EQ(m_catalogue.NextArtistId(), 1);
    EXPECT_EQ(m_catalogue.NextAlbumId(), 1);
    EXPECT_EQ(m_catalogue.NextPlaylistId(), 1);
    for (int n = 1; n <= 7; ++n) {
        m_catalogue.ExecSqlCommit("insert into song (songnum) values (" + QString::number(n) + ")");
    }
    EXPECT_EQ(m_catalogue.NextSongNum(), 8);
    m_catalogue.ExecSqlCommit("delete from song where songnum = 7");
    EXPECT_EQ(m_catalogue.NextSongNum(), 7);
    m_catalogue.ExecSqlCommit("insert into plist (plid, plname) values (4, 'Party')");
    m_catalogue.ExecSqlCommit("insert into songinpl (plid, seq, songnum) values (4, 1, 1)");
    m_catalogue.ExecSqlCommit("insert into songinpl (plid, seq, songnum) values (4, 2, 3)");
    EXPECT_EQ(m_catalogue.NextPlaylistId(), 5);
    EXPECT_EQ(m_catalogue.PlaylistSongCount(4), 2);
    EXPECT_EQ(m_catalogue.PlaylistSongCount(5), 0);
}

TEST(SqlQuote, DoublesEveryApostropheInsideTheOuterPair) {
    EXPECT_EQ(SqlQuote(""), "''");
    EXPECT_EQ(SqlQuote("'''"), "''''''''");
    EXPECT_EQ(SqlQuote("Guns N' Roses"), "'Guns N'' Roses'");
}

TEST_F(CatalogueOps, NamesWithQuotesAndForeignLettersAreStoredAsTyped) {
    const QStringList names = {"Björk",
                               "Sigur Rós",
                               "坂本龍一",
                               "O'Brien's \"Best\"",
                               "100% \\ back_slash",
                               "'''",
                               "Motörhead & Friends 🎸"};
    int id = 0;
    for (const QString& name : names) {
        ++id;
        m_catalogue.ExecSqlCommit("insert into artist (artistid, arname) values (" + QString::number(id) +
                                  ", " + SqlQuote(name) + ")");
    }
    Query byName(m_catalogue, "select artistid from artist where lower(arname) = :name");
    id = 0;
    for (const QString& name : names) {
        ++id;
        RowSet rows = byName.SetText("name", name.toLower()).Open();
        ASSERT_EQ(rows.RowCount(), 1) << name.toStdString();
        EXPECT_EQ(rows.Int("ARTISTID"), id);
        RowSet back = m_catalogue.Select("select arname from artist where artistid = " + QString::number(id));
        EXPECT_EQ(back.Text("ARNAME"), name);
    }
    // The engine folds case for non-Latin letters too.
    EXPECT_EQ(byName.SetText("name", QString("BJÖRK").toLower()).Open().RowCount(), 1);
    m_catalogue.RunQuery("select arname from artist where lower(arname) = lower('SIGUR RÓS')");
    EXPECT_EQ(m_catalogue.GeneralQuery().Text("arname"), "Sigur Rós");
}

TEST_F(CatalogueOps, RowSetsReadNullsFixedTextsAndTimestamps) {
    const TDateTime stamp = DateToDateTime({2024, 3, 31}) + (23 * 3600 + 59 * 60 + 59.6) / 86400.0;
    Query insert(
        m_catalogue,
        "insert into song (songnum, title, \"year\", searchts, \"comment\") values (:n, :title, :year, :ts, "
        ":comment)");
    insert.SetInteger("n", 1)
        .SetText("title", "")
        .SetText("year", "99")
        .SetTimestamp("ts", stamp)
        .SetExactText("comment", "");
    insert.Execute();
    m_catalogue.CommitAndContinue();

    RowSet rows = m_catalogue.Select("select * from song");
    ASSERT_EQ(rows.RowCount(), 1);
    EXPECT_TRUE(rows.IsNull("TITLE"));
    EXPECT_EQ(rows.Text("TITLE"), "");
    EXPECT_EQ(rows.Text("year"), "99");
    EXPECT_FALSE(rows.IsNull("comment"));
    EXPECT_EQ(rows.Int("RATING"), 0);
    EXPECT_NEAR(rows.DateTime("SEARCHTS"), stamp, 1.0 / 864'000'000);
    EXPECT_EQ(rows.ColumnAt(rows.ColumnIndex("SEARCHTS")).kind, ColumnKind::Timestamp);
    EXPECT_THROW(rows.Int("NOSUCH"), DatabaseError);

    // The stamp read back matches itself exactly, so "where searchts = :ts" finds the row.
    Query byStamp(m_catalogue, "select songnum from song where searchts = :ts");
    EXPECT_EQ(byStamp.SetTimestamp("ts", rows.DateTime("SEARCHTS")).Open().RowCount(), 1);
    EXPECT_THROW(byStamp.SetInteger("nosuch", 1), DatabaseError);

    RowSet all = m_catalogue.Select("select songnum from song union all select songnum from song");
    all.Next();
    EXPECT_EQ(RecordCount(all), 2);
    EXPECT_EQ(all.CurrentRow(), 0);
    EXPECT_FALSE(all.Eof());

    m_catalogue.RunQuery("select  max(s.songnum) from song s where s.songnum > 5");
    EXPECT_EQ(m_catalogue.QueryInt("max"), 0);
    m_catalogue.RunQuery("select songnum from song where songnum > 5");
    EXPECT_EQ(m_catalogue.QueryInt("songnum"), 0);
    EXPECT_THROW(m_catalogue.QueryInt("nosuch"), DatabaseError);
}

TEST_F(CatalogueOps, ChangesBecomeVisibleToOthersOnlyAtCommit) {
    Catalogue other;
    m_file.Open(other);
    m_catalogue.ExecSql("insert into artist (artistid, arname) values (1, 'Pending')");
    EXPECT_EQ(other.Select("select * from artist").RowCount(), 0);
    m_catalogue.CommitAndContinue();
    other.CommitAndContinue();
    EXPECT_EQ(other.Select("select * from artist").RowCount(), 1);

    m_catalogue.ExecSql("insert into artist (artistid, arname) values (2, 'At close')");
    m_catalogue.CloseCatalogue();
    other.CommitAndContinue();
    EXPECT_EQ(other.Select("select * from artist").RowCount(), 2);
    EXPECT_THROW(m_catalogue.ExecSql("select 1 from rdb$database"), DatabaseError);
}

TEST_F(CatalogueOps, RefusedStatementsCarryTheClientsText) {
    try {
        m_catalogue.ExecSql("insert into nosuchtable values (1)");
        FAIL() << "no error";
    } catch (const DatabaseError& error) {
        EXPECT_NE(QString(error.what()).indexOf("NOSUCHTABLE", 0, Qt::CaseInsensitive), -1) << error.what();
    }
    try {
        Query tooLong(m_catalogue, "insert into artist (artistid, arname) values (9, :name)");
        tooLong.SetText("name", QString(81, 'x')).Execute();
        FAIL() << "no error";
    } catch (const DatabaseError& error) {
        EXPECT_NE(QString(error.what()).indexOf("truncation", 0, Qt::CaseInsensitive), -1) << error.what();
    }
    // After an error the transaction goes on: what succeeded before is committed later.
    m_catalogue.ExecSql("insert into artist (artistid, arname) values (1, 'Kept')");
    EXPECT_THROW(m_catalogue.ExecSql("insert into artist (artistid, arname) values (2, 'x', 'y')"),
                 DatabaseError);
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(m_catalogue.Select("select * from artist").RowCount(), 1);
}

TEST_F(CatalogueOps, ASavepointUndoesWhatFollowsItUntilTheNextCommit) {
    m_catalogue.ExecSql("insert into artist (artistid, arname) values (1, 'Before')");
    m_catalogue.SetSavepoint();
    m_catalogue.ExecSql("insert into artist (artistid, arname) values (2, 'Undone')");
    m_catalogue.ExecSql("insert into album (albumid, alname, artistid) values (1, 'Undone', 2)");
    EXPECT_TRUE(m_catalogue.RollbackToSavepoint());
    EXPECT_FALSE(m_catalogue.RollbackToSavepoint());  // the mark went with it
    m_catalogue.SetSavepoint();
    m_catalogue.ExecSql("insert into artist (artistid, arname) values (3, 'Kept')");
    m_catalogue.ReleaseSavepoint();
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(m_catalogue.Select("select artistid from artist order by artistid").RowCount(), 2);
    EXPECT_EQ(m_catalogue.Select("select albumid from album").RowCount(), 0);

    // A commit between mark and rollback has made the changes durable: nothing is undone, and
    // neither rollback nor release fails.
    m_catalogue.SetSavepoint();
    m_catalogue.ExecSql("insert into artist (artistid, arname) values (4, 'Committed')");
    m_catalogue.CommitAndContinue();
    m_catalogue.ExecSql("insert into artist (artistid, arname) values (5, 'Later')");
    EXPECT_FALSE(m_catalogue.RollbackToSavepoint());
    m_catalogue.SetSavepoint();
    m_catalogue.CommitRetaining();
    EXPECT_NO_THROW(m_catalogue.ReleaseSavepoint());
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(m_catalogue.Select("select artistid from artist").RowCount(), 4);
}

TEST_F(CatalogueOps, ALayoutChangeFollowsQueriesOnTheSameTable) {
    // Recent queries stay prepared; a change of the table's layout must not find it in use.
    m_catalogue.RunQuery("select count(*) as ct from plist");
    m_catalogue.Select("select plid, plname from plist");
    EXPECT_NO_THROW(m_catalogue.ExecSqlCommit("alter table plist add note varchar(10)"));
    m_catalogue.ExecSqlCommit("insert into plist (plid, plname, note) values (1, 'P', 'n')");
    EXPECT_EQ(m_catalogue.RunQuery("select count(*) as ct from plist").Int("CT"), 1);
    EXPECT_NO_THROW(m_catalogue.ExecSqlCommit("alter table plist drop note"));
    EXPECT_EQ(m_catalogue.Select("select * from plist").ColumnCount(), 4);
}

TEST(CatalogueOpen, ForcedWritesAreSwitchedOnAtOpen) {
    test::TestCatalogue file;
    auto attributes = [&] {
        QProcess stat;
        stat.start("fbstat", {"-h", file.Path()});
        stat.waitForFinished(30000);
        const QString text = QString::fromUtf8(stat.readAllStandardOutput());
        return text.mid(text.indexOf("Attributes")).section('\n', 0, 0);
    };
    // A catalogue that an earlier edition switched to writing through the system's cache.
    ASSERT_EQ(QProcess::execute("gfix",
                                {"-write", "async", file.Path(), "-user", "SYSDBA", "-password", "brisk38"}),
              0);
    ASSERT_FALSE(attributes().contains("force write")) << attributes().toStdString();
    Catalogue catalogue;
    file.Open(catalogue);
    EXPECT_EQ(catalogue.Select("select mon$forced_writes as fw from mon$database").Int("FW"), 1);
    catalogue.CloseCatalogue();
    EXPECT_TRUE(attributes().contains("force write")) << attributes().toStdString();
}

TEST(CatalogueOpen, MissingFileReportsTheClientsError) {
    Catalogue catalogue;
    try {
        catalogue.Open("/no/such/folder/SONGS.FDB");
        FAIL() << "opened";
    } catch (const DatabaseError& error) {
        EXPECT_NE(QString(error.what()).indexOf("/no/such/folder/SONGS.FDB"), -1) << error.what();
    }
    EXPECT_FALSE(catalogue.IsOpen());
    EXPECT_THROW(catalogue.NextSongNum(), DatabaseError);
}

TEST(ReadOnlyGuard, RefusesWithTheMessageOnlyWhenReadOnly) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    EXPECT_FALSE(RefuseIfReadOnly(false));
    EXPECT_TRUE(dialogs.Transcript().isEmpty());
    EXPECT_TRUE(RefuseIfReadOnly(true));
    EXPECT_EQ(dialogs.TextsOf("INFO"),
              QStringList{"Cannot make changes, database is read-only\\n( see menu option \"Database\")"});
    EXPECT_EQ(FilterDescription(99), "No filter");
    EXPECT_EQ(FilterDescription(1), "Default filtering");
    EXPECT_EQ(FilterDescription(-1), "Filter = -1");
    EXPECT_EQ(FilterDescription(4), "Filter = 4");
}

}  // namespace
}  // namespace sw
