#include <gtest/gtest.h>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

class Ladder : public ::testing::Test {
protected:
    int StoredVersion() {
        Catalogue reader;
        m_file.Open(reader);
        reader.ReadParams();
        return reader.CatalogueVersion();
    }

    test::TestCatalogue m_file;
    Catalogue m_catalogue;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
};

TEST_F(Ladder, VersionOneClimbsToNineThenWaitsForTheHistoryRepair) {
    m_file.Open(m_catalogue);
    m_catalogue.ExecSqlCommit("insert into album (albumid, alname) values (1, 'Old album')");
    m_catalogue.ReadParams();
    EXPECT_EQ(m_catalogue.CatalogueVersion(), 1);
    EXPECT_EQ(m_catalogue.CatalogueName(), "Test songs");

    EXPECT_TRUE(m_catalogue.UpgradeCatalogue());
    QStringList expected;
    for (int n = 2; n <= 9; ++n) {
        expected << "Converting database to version " + QString::number(n);
    }
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), expected);
    EXPECT_EQ(StoredVersion(), 9);
    m_catalogue.OpenTableCursors();

    // Existing albums got the values of the update statements, new ones the column defaults.
    m_catalogue.ExecSqlCommit("insert into album (albumid, alname) values (2, 'New album')");
    RowSet albums = m_catalogue.Select(
        "select albumid, alorgrp, grpid, ratingdrvd, ratingassd, ratingsumm, seq, grpseq from album order by "
        "albumid");
    const int expectedValues[2][6] = {{0, 0, 0, 0, 0, 0}, {0, 20, 0, 20, 0, 0}};
    for (int row = 0; row < 2; ++row) {
        albums.SetCurrentRow(row);
        EXPECT_EQ(albums.Text("ALORGRP"), "A");
        const char* columns[] = {"GRPID", "RATINGDRVD", "RATINGASSD", "RATINGSUMM", "SEQ", "GRPSEQ"};
        for (int c = 0; c < 6; ++c) {
            EXPECT_EQ(albums.Int(columns[c]), expectedValues[row][c])
                << "album " << row + 1 << " " << columns[c];
        }
    }

    // Started again at 9, nothing happens until the history repair.
    Catalogue again;
    m_file.Open(again);
    again.ReadParams();
    m_dialogs.ClearTranscript();
    EXPECT_FALSE(again.UpgradeCatalogue());
    EXPECT_EQ(again.CatalogueVersion(), 9);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());

    again.RaiseCatalogueVersion();
    EXPECT_FALSE(again.UpgradeCatalogue());
    EXPECT_EQ(again.CatalogueVersion(), kCurrentCatalogueVersion);
    EXPECT_EQ(StoredVersion(), kCurrentCatalogueVersion);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              (QStringList{"Converting database to version 10", "Converting database to version 11",
                           "Converting database to version 12", "Converting database to version 13"}));
    again.ExecSqlCommit("insert into plist (plid, plname) values (1, 'p')");
    EXPECT_EQ(again.Select("select pldate from plist").Int("PLDATE"), 0);
    again.OpenTableCursors();
    EXPECT_EQ(
        again.Select("select count(*) as ct from rdb$indices where rdb$index_name starting with 'IX_HISTORY'")
            .Int("CT"),
        2);
}

TEST_F(Ladder, LowerCaseVersionRowIsReadButNeverRaised) {
    m_file.Open(m_catalogue);
    m_catalogue.ExecSqlCommit("update params set pmname = 'dbvn', pmval1 = 10 where pmname = 'DBVN'");
    m_catalogue.ReadParams();
    EXPECT_EQ(m_catalogue.CatalogueVersion(), 10);
    EXPECT_FALSE(m_catalogue.UpgradeCatalogue());
    EXPECT_EQ(m_catalogue.CatalogueVersion(), kCurrentCatalogueVersion);
    // The row was not updated, so the next start repeats the step (and its statements fail).
    Catalogue again;
    m_file.Open(again);
    again.ReadParams();
    EXPECT_EQ(again.CatalogueVersion(), 10);
    EXPECT_THROW(again.UpgradeCatalogue(), DatabaseError);
}

TEST_F(Ladder, MissingVersionRowRunsNoStep) {
    m_file.Open(m_catalogue);
    m_catalogue.ExecSqlCommit("delete from params where pmname = 'DBVN'");
    m_catalogue.ReadParams();
    EXPECT_EQ(m_catalogue.CatalogueVersion(), 0);
    EXPECT_FALSE(m_catalogue.UpgradeCatalogue());
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

TEST_F(Ladder, AFailingStepIsNotTriedAgain) {
    m_file.Open(m_catalogue);
    m_catalogue.ReadParams();
    m_catalogue.ExecSqlCommit("update params set pmval1 = 2 where pmname = 'DBVN'");
    m_catalogue.ExecSqlCommit("alter table genre drop rprts");
    m_catalogue.ReadParams();
    try {
        m_catalogue.UpgradeCatalogue();
        FAIL() << "the step succeeded";
    } catch (const DatabaseError& error) {
        EXPECT_NE(QString(error.what()).indexOf("RPRTS", 0, Qt::CaseInsensitive), -1) << error.what();
    }
    EXPECT_EQ(StoredVersion(), 3);
}

TEST_F(Ladder, ACataloguesTablesMustAllBeThere) {
    m_file.Open(m_catalogue);
    // At version 1 the history table does not exist yet.
    EXPECT_THROW(m_catalogue.OpenTableCursors(), DatabaseError);
}

TEST_F(Ladder, RenameReachesTheNameRowAtTheNextCommit) {
    m_file.OpenCurrent(m_catalogue);
    m_catalogue.RenameCatalogue("Ann's \"songs\"");
    EXPECT_EQ(m_catalogue.CatalogueName(), "Ann's \"songs\"");
    m_catalogue.CommitAndContinue();
    Catalogue reader;
    m_file.Open(reader);
    reader.ReadParams();
    EXPECT_EQ(reader.CatalogueName(), "Ann's \"songs\"");
}

}  // namespace
}  // namespace sw
