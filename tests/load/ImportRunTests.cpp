// The load run as a whole: through the load window, a file that fails, its commits and a cancel.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "FakeImporter.h"
#include "ImportFixture.h"
#include "core/Library.h"
#include "foundation/Clock.h"
#include "foundation/Text.h"
#include "load/LoadController.h"
#include "load/LoadRun.h"
#include "tags/Id3v2.h"

namespace sw {
namespace {

using test::Import;

TEST_F(Import, TheLoadWindowListsAndLoadsThroughTheRealRun) {
    Tagged("a.mp3", "A", "Artist", "Album", 1);
    Tagged("Beta/b1.mp3", "B1", "Artist", "Album", 2);
    Tagged("c.mp3", "C", "Artist", "Album", 3);
    Put("notes.txt", "x");
    LoadController controller(m_run);
    controller.ListFilesToLoad(m_music.path(), true, true);
    EXPECT_EQ(
        controller.ListedFiles(),
        (QStringList{m_music.filePath("a.mp3"), m_music.filePath("Beta/b1.mp3"), m_music.filePath("c.mp3")}));
    EXPECT_EQ(controller.CountText(), "3 files");
    m_dialogs.QueueAnswer("Yes");
    EXPECT_TRUE(controller.LoadAllListed());
    EXPECT_EQ(Count("select count(*) as ct from song"), 3);

    // Already loaded files are not listed again.
    controller.ListFilesToLoad(m_music.path(), true, true);
    EXPECT_TRUE(controller.ListedFiles().isEmpty());
    EXPECT_EQ(controller.CountText(), "0 files");
    controller.ListFilesToLoad(m_music.path(), false, false);
    EXPECT_EQ(controller.ListedFiles().size(), 2);
}

TEST_F(Import, AFileThatFailsLeavesNoArtistOrAlbumAndEndsTheRun) {
    // A refusal the load cannot foresee.
    m_catalogue.ExecSqlCommit(
        "alter table song add constraint no_boom check (title is distinct from 'Boom')");
    Tagged("a.mp3", "A", "Old Artist", "Old Album");
    Tagged("boom.mp3", "Boom", "New Artist", "New Album");
    Tagged("c.mp3", "C", "Old Artist", "Old Album", 2);
    LoadController controller(m_run);
    controller.ListFilesToLoad(m_music.path(), false, false);
    m_dialogs.QueueAnswer("Yes");
    EXPECT_THROW(controller.LoadAllListed(), DatabaseError);
    EXPECT_EQ(controller.Busy(), LoadBusy::Idle);
    // The file before it was committed; nothing of the failed file is left.
    EXPECT_EQ(Committed("select count(*) as ct from song"), 1);
    EXPECT_EQ(Committed("select count(*) as ct from artist where arname = 'New Artist'"), 0);
    EXPECT_EQ(Committed("select count(*) as ct from album where alname = 'New Album'"), 0);
    EXPECT_EQ(Committed("select count(*) as ct from artist where arname = 'Old Artist'"), 1);
    EXPECT_EQ(m_library.size.Added(), QFileInfo(m_music.filePath("a.mp3")).size());
}

TEST_F(Import, AFileThatCannotBeReadIsNamedWithTheSystemsReasonAndTheRestLoads) {
    const QString good = Tagged("good.mp3", "Good", "Artist", "Album");
    // A file whose every read fails, for root too.
    const QString broken = m_music.filePath("broken.mp3");
    ASSERT_TRUE(QFile::link("/proc/self/mem", broken));
    LoadController controller(m_run);
    LoadAllThroughTheWindow(controller);
    ASSERT_EQ(controller.ListedFiles().size(), 2);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{QuoteDouble(broken) + " could not be catalogued: cannot be read (Input/output error)"});
    EXPECT_EQ(Committed("select count(*) as ct from song"), 1);
    TSong song;
    EXPECT_EQ(m_library.songs.FindSongByFileName(good, song), 1);
    EXPECT_EQ(m_run.RunCounts().skipped, 1);
}

TEST_F(Import, AFreshLoadLeavesEveryAlbumWithItsCountOfFilesAndAYear) {
    for (int track = 1; track <= 3; ++track) {
        for (const char* album : {"First", "Second"}) {
            const QString path = Tagged(QString("%1/%2.mp3").arg(album).arg(track), QString("T%1").arg(track),
                                        "Artist", album, track);
            TID3v2 tag(m_state);
            ASSERT_TRUE(tag.Read(path));
            // The first song of an album brings no year; the later ones do.
            tag.SetYear(track == 1 ? "" : "1987");
            ASSERT_TRUE(tag.Save(path));
        }
    }
    LoadController controller(m_run);
    LoadAllThroughTheWindow(controller);
    EXPECT_EQ(Committed("select count(*) as ct from album where numexi = 3 and \"year\" = '1987'"), 2);
    // A second load changes nothing.
    LoadAllThroughTheWindow(controller);
    EXPECT_EQ(Committed("select count(*) as ct from album where numexi = 3 and \"year\" = '1987'"), 2);
}

TEST_F(Import, CommitsComeBeforeTheNextFileWouldPassTheIntervalAndAtTheEndOfTheRun) {
    ManualClock clock;
    LoadRun run(m_library, m_policy, clock);
    QStringList paths;
    for (int n = 1; n <= 4; ++n) {
        paths << Tagged(QString("n%1.mp3").arg(n), "T" + QString::number(n), "Artist", "Album", n);
    }
    run.StartLoadRun(true);
    // Two quick files wait for the interval.
    for (int n = 0; n < 2; ++n) {
        clock.Advance(1);
        run.ImportFile(paths[n]);
        run.CommitIfDue();
    }
    EXPECT_EQ(Committed("select count(*) as ct from song"), 0);
    // A file that took half the interval: the next one like it, and the commit, would pass it.
    clock.Advance((kLoadCommitIntervalMs - kLoadCommitAllowanceMs) / 2);
    run.ImportFile(paths[2]);
    run.CommitIfDue();
    EXPECT_EQ(Committed("select count(*) as ct from song"), 3);
    clock.Advance(1);
    run.ImportFile(paths[3]);
    run.CommitIfDue();
    EXPECT_EQ(Committed("select count(*) as ct from song"), 3);
    run.FinishLoadRun();
    EXPECT_EQ(Committed("select count(*) as ct from song"), 4);
}

/// How long each file of a run takes to import.
struct CommitPace {
    const char* name;
    std::vector<qint64> fileMs;
};

void PrintTo(const CommitPace& pace, std::ostream* out) {
    *out << pace.name;
}

class ImportCommits : public Import, public ::testing::WithParamInterface<CommitPace> {};

// A killed run loses what was imported since the last commit began, and a kill during a commit
// loses that commit's files too: commits begin at most a second less a commit's time apart (a single
// file slower than that excepted), and not much sooner than the pace requires, or the run pays for
// a commit per file.
TEST_P(ImportCommits, AKilledRunLosesAtMostTheLastSecond) {
    constexpr qint64 kWithinASecondMs = 1000;
    const std::vector<qint64>& fileMs = GetParam().fileMs;
    QStringList paths;
    for (size_t n = 0; n < fileMs.size(); ++n) {
        paths << Tagged(QString("p%1.mp3").arg(n), "T" + QString::number(n), "Artist", "Album",
                        static_cast<int>(n % 99 + 1));
    }
    ManualClock clock;
    LoadRun run(m_library, m_policy, clock);
    run.StartLoadRun(true);
    qint64 lastCommitAt = 0;
    int committed = 0;
    int filesSinceCommit = 0;
    for (size_t n = 0; n < fileMs.size(); ++n) {
        clock.Advance(fileMs[n]);
        run.ImportFile(paths[static_cast<int>(n)]);
        run.CommitIfDue();
        ++filesSinceCommit;
        const int now = Committed("select count(*) as ct from song");
        if (now == committed) {
            continue;
        }
        const qint64 gap = clock.NowMs() - lastCommitAt;
        EXPECT_TRUE(gap + kLoadCommitAllowanceMs <= kWithinASecondMs || filesSinceCommit == 1)
            << "file " << n << ": commits " << gap << " ms apart over " << filesSinceCommit << " files";
        EXPECT_GE(gap, kWithinASecondMs - kLoadCommitAllowanceMs - 2 * fileMs[n])
            << "file " << n << ": committed too soon";
        EXPECT_EQ(now, static_cast<int>(n) + 1) << "file " << n;
        committed = now;
        lastCommitAt = clock.NowMs();
        filesSinceCommit = 0;
    }
    EXPECT_LE(clock.NowMs() - lastCommitAt + kLoadCommitAllowanceMs, kWithinASecondMs);
    run.FinishLoadRun();
    EXPECT_EQ(Committed("select count(*) as ct from song"), static_cast<int>(fileMs.size()));
}

struct CommitDueCase {
    const char* name;
    qint64 sinceCommitBeganMs;
    qint64 lastFileMs;
    qint64 commitMs;
    bool due;
};

TEST(LoadCommitDue, TheNextFileAndTheCommitMustFitInTheInterval) {
    const CommitDueCase cases[] = {
        {"quick files early in the interval", 500, 1, 100, false},
        {"quick files just short of the edge", 898, 1, 100, false},
        {"quick files at the edge", 899, 1, 100, true},
        {"a slow file", 600, 300, 100, true},
        {"a slow commit", 700, 1, 300, true},
        {"a file slower than the interval", 0, 1500, 100, true},
    };
    for (const CommitDueCase& c : cases) {
        EXPECT_EQ(LoadCommitDue(c.sinceCommitBeganMs, c.lastFileMs, c.commitMs), c.due) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paces, ImportCommits,
    ::testing::Values(CommitPace{"TwentiethOfASecond", std::vector<qint64>(40, 50)},
                      CommitPace{"TenthOfASecond", std::vector<qint64>(25, 100)},
                      CommitPace{"ThirdOfASecond", std::vector<qint64>(10, 300)},
                      CommitPace{"AlmostASecond", std::vector<qint64>(4, 999)},
                      CommitPace{"LongerThanASecond", std::vector<qint64>(3, 1500)},
                      CommitPace{"SlowThenQuickThenSlow", {400, 400, 10, 10, 10, 500, 500, 500, 20, 20}}),
    [](const ::testing::TestParamInfo<CommitPace>& tested) { return std::string(tested.param.name); });

TEST_F(Import, ACancelledRunKeepsWhatItImported) {
    for (int n = 1; n <= 5; ++n) {
        Tagged(QString("n%1.mp3").arg(n), "T" + QString::number(n), "Artist", "Album", n);
    }
    LoadController controller(m_run);
    test::FakeLoadDisplay display;
    controller.SetDisplay(&display);
    controller.ListFilesToLoad(m_music.path(), false, false);
    display.onPump = [&] {
        if (controller.Busy() == LoadBusy::Loading && controller.SelectedFile() == 2) {
            controller.CancelOrClose();
        }
    };
    m_dialogs.QueueAnswer("Yes");
    EXPECT_TRUE(controller.LoadAllListed());
    EXPECT_EQ(Committed("select count(*) as ct from song"), 2);
    EXPECT_EQ(display.statuses.filter(" / 5 ").first().left(6), "1 / 5 ");
}

}  // namespace
}  // namespace sw
