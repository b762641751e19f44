#include <gtest/gtest.h>

#include "CheckFixture.h"

namespace sw::test {
namespace {

TEST_F(CheckFixture, AlbumCountsOfPresentFiles) {
    const QString there = Put("here.mp3", Fixture("plain.mp3"));
    AddAlbum(1, "Gone", 3);  // every file vanished
    AddAlbum(2, "Here", 0);  // a file is there, the count says none
    AddAlbum(3, "Right", 1);
    AddAlbum(4, "Group's", 0, "'G'");
    AddAlbum(5, "Unmarked", 2, "null");
    for (int i = 0; i < 3; ++i) {
        AddSong("gone" + QString::number(i) + ".mp3", "", 0, 0, 1);
    }
    AddSongFor(there, "", 2);
    AddSongFor(Put("right.mp3", Fixture("plain.mp3")), "", 3);

    m_check.RunCheck();
    EXPECT_EQ(LinesWith("Album #"),
              (QStringList{"Album #1 \"Gone\" file count should be zero (can auto-repair)",
                           "Album #2 \"Here\" file count should be > 0 (can auto-repair)",
                           "Album #5 \"Unmarked\" alorgrp is null (for manual repair)"}));
    EXPECT_TRUE(m_check.Report().contains("3 problems"));

    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(LinesWith("Album #1"), QStringList{"Album #1 \"Gone\" file count should be zero (repaired)"});
    EXPECT_EQ(IntOf("select numexi as v from album where albumid = 1"), 0);
    EXPECT_EQ(IntOf("select numexi as v from album where albumid = 2"), 1);
    m_check.RunCheck();
    EXPECT_EQ(LinesWith("Album #"), QStringList{"Album #5 \"Unmarked\" alorgrp is null (for manual repair)"});
    EXPECT_EQ(m_check.Totals().outstanding, 0);
    EXPECT_EQ(m_check.Totals().manual, 1);
}

TEST_F(CheckFixture, UnusedGenresAreListedButNotCounted) {
    AddSong("missing.mp3", "", 0, 0, 0, 17);

    m_check.RunCheck();
    const QStringList report = m_check.Report();
    const qsizetype start = report.indexOf("GENRE 2 records, scanning ...");
    ASSERT_GE(start, 0);
    EXPECT_EQ(report.mid(start, 4),
              (QStringList{"GENRE 2 records, scanning ...", "1 unused genre could be made dormant (the repair does it)",
                           "GENRE 2 records scanned OK", " "}));
    EXPECT_EQ(m_check.Totals().problems, 0);
    EXPECT_EQ(m_check.Totals().outstanding, 0);
    EXPECT_EQ(m_check.Totals().information, 1);

    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_TRUE(m_check.Report().contains("1 unused genre made dormant"));
    EXPECT_EQ(IntOf("select dormant as v from genre where genreid = 8"), 1);
    EXPECT_EQ(IntOf("select dormant as v from genre where genreid = 17"), 0);
    m_check.RunCheck();
    EXPECT_TRUE(LinesWith("Unused").isEmpty());
}

TEST_F(CheckFixture, GenreCountsStayRightWhenScansFollowInTheSameSecond) {
    const QString path = Put("a.mp3", Fixture("plain.mp3"));
    AddSongFor(path, "", 0, 17);
    AddSongFor(Put("b.mp3", Fixture("plain.mp3")), "", 0, 17);
    AddSong("gone.mp3", "", 0, 0, 0, 17);

    TDateTime previous = 0;
    for (int run = 0; run < 3; ++run) {
        ASSERT_TRUE(m_check.RunRepair());
        EXPECT_EQ(IntOf("select numexi as v from genre where genreid = 17"), 2) << "run " << run;
        EXPECT_GT(m_check.ScanStamp(), previous);
        previous = m_check.ScanStamp();
    }
}

TEST_F(CheckFixture, PlaylistEntriesOfMissingSongs) {
    AddSong("a.mp3", "", 0);
    m_catalogue.ExecSql("insert into songinpl (plid, seq, songnum) values (3, 1, 77)");
    m_catalogue.ExecSql("insert into songinpl (plid, seq, songnum) values (3, 2, 1)");
    m_catalogue.ExecSql("insert into songinpl (plid, seq, songnum) values (-1, 1, 78)");
    m_catalogue.CommitAndContinue();

    m_check.RunCheck();
    EXPECT_EQ(LinesWith("in playlist"), QStringList{"Song #77 at 1 in playlist 3 song not found"});
    EXPECT_EQ(m_check.Totals().problems, 0);
    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(LinesWith("in playlist"), QStringList{"Song #77 at 1 in playlist 3 song not found (repaired)"});
    EXPECT_EQ(IntOf("select count(*) as v from songinpl"), 2);
    EXPECT_EQ(IntOf("select count(*) as v from songinpl where songnum = 77"), 0);
}

TEST_F(CheckFixture, HistoryRepairRunsWhenTheCheckOpensAtVersionNine) {
    AddSong("a.mp3", "", 0);
    Query insert(m_catalogue, "insert into history (songnum, ts, pldate, pltime) values (1, :ts, :d, :t)");
    insert.SetTimestamp("ts", DateToDateTime({2023, 1, 2}) + 0.5)
        .SetInteger("d", 20230102)
        .SetInteger("t", 1);
    insert.Execute();
    // Back to the layout of version 9, which lacks the playlist date, the loudness table and the
    // songs' search texts of the steps after the repair.
    m_catalogue.ExecSqlCommit("alter table plist drop pldate");
    m_catalogue.ExecSqlCommit("drop trigger songloudness_song_delete");
    m_catalogue.ExecSqlCommit("drop table songloudness");
    m_catalogue.ExecSqlCommit("drop trigger songsearch_song");
    m_catalogue.ExecSqlCommit("drop table songsearch");
    m_catalogue.ExecSqlCommit("update params set pmval1 = 9 where pmname = 'DBVN'");
    m_catalogue.ReadParams();

    // An Esc pressed on the idle window earlier does not stop the repair.
    EXPECT_TRUE(m_check.EscapePressed());
    m_check.OpenHealthCheck();
    EXPECT_EQ(m_display.shown, 1);
    EXPECT_EQ(m_check.Caption(), "Database check");
    EXPECT_EQ(m_check.Report(),
              (QStringList{"HISTORY 1 records, scanning ...",
                           "Song #1 played at 2023-01-02 12:00:00 timestamp mismatch (repaired)",
                           "HISTORY 1 records scanned OK", "1 problem", " ", "Scan complete"}));
    EXPECT_EQ(m_catalogue.CatalogueVersion(), kCurrentCatalogueVersion);
    EXPECT_EQ(IntOf("select pltime as v from history"), 120000);
    EXPECT_FALSE(m_check.Running());

    // At any other version the report stays, or the instructions fill an empty one.
    m_check.OpenHealthCheck();
    EXPECT_EQ(m_check.Report().size(), 6);
    HealthCheck fresh(m_library, m_reader);
    fresh.OpenHealthCheck();
    EXPECT_EQ(fresh.Report(), QStringList{"Set Options then click \"Run\""});
}

TEST_F(CheckFixture, StatisticsWithoutCheckingFilesUseTheCatalogueSizes) {
    const QString path = Put("a.mp3", QByteArray(3'500'000, 'x'));
    AddSong("a.mp3", "", 1, 2'500'000, 0, 255, 2);
    AddSong("gone.mp3", "", 1, 1'200'000, 0, 255, -2);
    AddSong("odd.mp3", "", 1, 100, 0, 255, 9);  // an out-of-scale rating counts as unrated

    m_dialogs.QueueAnswer("No");
    EXPECT_TRUE(m_check.ShowStatistics());
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Check actual filesizes? -> No"});
    EXPECT_EQ(m_check.Caption(), "Database statistics");
    EXPECT_EQ(m_check.Report(), (QStringList{"Rating : Count / actual size ", "-2 : 1 / 1MB", "-1 : 0 / 0MB",
                                             "0 : 1 / 0MB", "1 : 0 / 0MB", "2 : 1 / 2MB", "3 : 0 / 0MB",
                                             "4 : 0 / 0MB", "Overall 3 / 3MB", "File not found : 0 / 0MB"}));
    EXPECT_EQ(m_library.size.Total(), 3'700'100);

    EXPECT_TRUE(m_check.ShowStatistics(true));
    EXPECT_EQ(m_check.Report(),
              (QStringList{"Song #1 file size wrong on DB, run repair", "Rating : Count / actual size ",
                           "-2 : 0 / 0MB", "-1 : 0 / 0MB", "0 : 0 / 0MB", "1 : 0 / 0MB", "2 : 1 / 3MB",
                           "3 : 0 / 0MB", "4 : 0 / 0MB", "Overall 1 / 3MB", "File not found : 2 / 0MB"}));
    EXPECT_EQ(m_library.size.Total(), QFileInfo(path).size());
    EXPECT_FALSE(m_check.Running());
}

TEST_F(CheckFixture, StatisticsStopWithoutAReportWhenCancelled) {
    AddSong("a.mp3");
    AddSong("b.mp3");
    m_display.onPump = [this](int) { m_check.Cancel(); };
    EXPECT_FALSE(m_check.ShowStatistics(false));
    EXPECT_TRUE(m_check.Report().isEmpty());
    EXPECT_FALSE(m_check.Running());
}

TEST_F(CheckFixture, EscapeStopsAScanAndClosesOnlyAnIdleWindow) {
    AddSong("a.mp3");
    AddSong("b.mp3");
    EXPECT_TRUE(m_check.EscapePressed());
    bool closeAsked = true;
    m_display.onPump = [&](int pump) {
        if (pump == 1) {
            closeAsked = m_check.EscapePressed();
        }
    };
    m_check.RunCheck();
    EXPECT_FALSE(closeAsked);
    EXPECT_EQ(m_check.Totals().songs, 0);
    EXPECT_EQ(m_check.Report().mid(m_check.Report().size() - 1), QStringList{"Scan aborted"});
    // A later run starts afresh.
    m_display.onPump = nullptr;
    m_check.RunCheck();
    EXPECT_EQ(m_check.Report().last(), "Scan complete");
}

TEST_F(CheckFixture, AScanStoppedByAnErrorLeavesTheWindowUsable) {
    AddSong("gone.mp3", "", 1);
    m_catalogue.ExecSqlCommit("drop table history");
    EXPECT_THROW(m_check.RunRepair(), DatabaseError);
    EXPECT_FALSE(m_check.Running());
    EXPECT_TRUE(m_check.CloseEnabled());
    EXPECT_FALSE(m_dialogs.BusyCursorShown());
    EXPECT_EQ(m_check.Report().last(), "Scan aborted");
    // What was repaired before the error stays, and is committed with the next commit.
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(IntOf("select exi as v from song"), 0);
}

TEST_F(CheckFixture, RepairAsksFirstAndRefusesOnAReadOnlyCatalogue) {
    AddSong("gone.mp3", "", 1);
    m_settings.READONLY = true;
    EXPECT_FALSE(m_check.RunRepair());
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{"Cannot make changes, database is read-only\\n( see menu option \"Database\")"});
    m_settings.READONLY = false;
    m_dialogs.QueueAnswer("No");
    EXPECT_FALSE(m_check.RunRepair());
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Repairing - are you sure ? -> No"});
    EXPECT_EQ(IntOf("select exi as v from song"), 1);
    EXPECT_TRUE(m_check.Report().isEmpty());
}

TEST(HealthOptions, TheBothTagsItemCarriesThePairKinds) {
    TestCatalogue file;
    Catalogue catalogue;
    Settings settings;
    Library library(catalogue, settings);
    CatalogueGenres genres(catalogue);
    TagPolicy tags(library, genres);
    HealthCheck check(library, tags);
    EXPECT_TRUE(check.Option(HealthOption::FileMismatches));
    EXPECT_FALSE(check.PairKindsEnabled());
    check.SetOption(HealthOption::BothTags, true);
    EXPECT_TRUE(check.PairKindsEnabled());
    for (HealthOption kind : {HealthOption::Mismatched, HealthOption::Identical, HealthOption::Truncated}) {
        EXPECT_TRUE(check.Option(kind));
    }
    check.SetOption(HealthOption::Mismatched, false);
    EXPECT_FALSE(check.Option(HealthOption::Mismatched));
    EXPECT_TRUE(check.Option(HealthOption::Identical));
    check.SetOption(HealthOption::BothTags, false);
    for (HealthOption kind : {HealthOption::Mismatched, HealthOption::Identical, HealthOption::Truncated}) {
        EXPECT_FALSE(check.Option(kind));
    }
    EXPECT_EQ(HealthOptionCaption(HealthOption::BothTags), "- report where both v1 && v2 tags present ...");
}

}  // namespace
}  // namespace sw::test
