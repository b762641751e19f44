#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "EngineTestSupport.h"
#include "QueueTestSupport.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/QueueKeeper.h"

namespace sw {
namespace {

using test::QueueRig;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(QueueFile, TextReadsBackAsWritten) {
    KeptQueue queue;
    queue.rows = {{12, "", false}, {7, kMarkerPlayed, false}, {9, kMarkerSkipped, true},
                  {30, kMarkerUnskipped, false}, {31, kMarkerPlaying, false}};
    queue.cursor = 3;
    queue.playingRow = 5;
    queue.playingSeconds = 83;
    QString why;
    const std::optional<KeptQueue> back = ParseQueueFile(QueueFileText(queue), &why);
    ASSERT_TRUE(back) << why.toStdString();
    ASSERT_EQ(back->rows.size(), queue.rows.size());
    for (std::size_t i = 0; i < queue.rows.size(); ++i) {
        EXPECT_EQ(back->rows[i].songNum, queue.rows[i].songNum);
        EXPECT_EQ(back->rows[i].marker, queue.rows[i].marker) << "row " << i + 1;
        EXPECT_EQ(back->rows[i].unplayable, queue.rows[i].unplayable);
    }
    EXPECT_EQ(back->cursor, 3);
    EXPECT_EQ(back->playingRow, 5);
    EXPECT_EQ(back->playingSeconds, 83);
}

struct BrokenFile {
    std::string name;
    QByteArray text;
};

class DamagedQueueFile : public ::testing::TestWithParam<BrokenFile> {};

TEST_P(DamagedQueueFile, IsRefusedWithAReason) {
    QString why;
    EXPECT_FALSE(ParseQueueFile(GetParam().text, &why));
    EXPECT_FALSE(why.isEmpty());
}

const QByteArray kGood = "sonwick3 queue 1\ncursor 1\nplaying 0 0\nrow 5 none\nrow 6 skipped\nend 2\n";

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedQueueFile,
    ::testing::Values(BrokenFile{"Empty", ""}, BrokenFile{"ForeignText", "[main]\nFADETIME=1000\n"},
                      BrokenFile{"Binary", QByteArray("\x00\xff\x13sonwick3", 11)},
                      BrokenFile{"CutShort", kGood.left(kGood.size() - 7)},
                      BrokenFile{"EndCountWrong", QByteArray(kGood).replace("end 2", "end 3")},
                      BrokenFile{"UnknownMarker", QByteArray(kGood).replace("skipped", "maybe")},
                      BrokenFile{"SongNumberZero", QByteArray(kGood).replace("row 5", "row 0")},
                      BrokenFile{"SongNumberText", QByteArray(kGood).replace("row 5", "row five")},
                      BrokenFile{"CursorPastTheRows", QByteArray(kGood).replace("cursor 1", "cursor 3")},
                      BrokenFile{"PlayingPastTheRows", QByteArray(kGood).replace("playing 0 0", "playing 9 0")},
                      BrokenFile{"NegativeSeconds", QByteArray(kGood).replace("playing 0 0", "playing 1 -4")},
                      BrokenFile{"TextAfterTheEnd", kGood + "row 7 none\n"},
                      BrokenFile{"NewerVersion", QByteArray(kGood).replace("queue 1", "queue 2")}),
    [](const ::testing::TestParamInfo<BrokenFile>& param) { return param.param.name; });

/// A queue on a throw-away catalogue, kept in a file, and a second queue on the same catalogue
/// that the next run restores into.
class KeptQueueTest : public ::testing::Test {
protected:
    KeptQueueTest() : m_installed(m_dialogs), m_rig(true) {}

    QString File() const { return m_dir.filePath("QUEUE.TXT"); }
    std::unique_ptr<QueueKeeper> Keeper(QueueController& queue) {
        return std::make_unique<QueueKeeper>(queue, File(), m_clock);
    }
    static QStringList Cells(const QueueController& queue, QueueColumn column) {
        QStringList cells;
        for (int row = 1; row <= queue.RowCount(); ++row) {
            cells << queue.Cell(row, column);
        }
        return cells;
    }
    static std::vector<int> Order(const QueueController& queue) {
        std::vector<int> numbers;
        for (int row = 1; row <= queue.RowCount(); ++row) {
            numbers.push_back(queue.SongAt(row)->Song().SongNum);
        }
        return numbers;
    }
    /// Five songs: 2 skipped, 3 explicitly unskipped, 1 played, 5 unplayable; the cursor on 4.
    void MarkedQueue() {
        m_rig.Fill(5);
        m_rig.player.Play(1);
        m_rig.player.StopPlayback();
        m_rig.queue.SetCursor(2);
        m_rig.queue.SetSkipOfCursorRow(true);
        m_rig.queue.SetCursor(3);
        m_rig.queue.SetSkipOfCursorRow(false);
        m_rig.queue.MarkUnplayable(5);
        m_rig.queue.SetCursor(4);
    }

    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    ManualClock m_clock;
    QueueRig m_rig;
    QueueController m_next{m_rig.library, m_rig.playlists};
    test::FakePlayer m_nextPlayer{m_next};
};

TEST_F(KeptQueueTest, RowsCursorAndMarksComeBackInTheNextRun) {
    MarkedQueue();
    auto keeper = Keeper(m_rig.queue);
    EXPECT_EQ(keeper->RestoreQueue(), 0);
    ASSERT_TRUE(keeper->SaveQueue());

    auto next = Keeper(m_next);
    EXPECT_EQ(next->RestoreQueue(), 0);
    EXPECT_EQ(Order(m_next), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Cells(m_next, QueueColumn::Now), (QStringList{"P", "S", " ", "", ""}));
    EXPECT_EQ(Cells(m_next, QueueColumn::Wng), (QStringList{"", "", "", "", "!"}));
    EXPECT_EQ(m_next.Cursor(), 4);
    EXPECT_EQ(m_next.NowPlayingRow(), 0);
    // Play goes by the restored marks: the skipped and the unplayable rows are passed by.
    EXPECT_EQ(m_next.NextPlayableRow(1), 3);
    EXPECT_EQ(m_next.NextPlayableRow(4), 0);
    // Brought back as it was, it holds nothing to save ("Prompt to save playlist if changed").
    EXPECT_FALSE(m_next.QueueChanged());
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty()) << m_dialogs.Transcript().join("\n").toStdString();
}

TEST_F(KeptQueueTest, SongsGoneFromTheCatalogueAreLeftOutWithANote) {
    MarkedQueue();
    auto keeper = Keeper(m_rig.queue);
    keeper->RestoreQueue();
    keeper->SaveQueue();
    m_rig.catalogue.ExecSqlCommit("delete from SONG where SONGNUM in (2, 4)");

    auto next = Keeper(m_next);
    next->RestoreQueue();
    EXPECT_EQ(Order(m_next), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(Cells(m_next, QueueColumn::Now), (QStringList{"P", " ", ""}));
    // The cursor's song went: the cursor goes to the next song kept.
    EXPECT_EQ(m_next.Cursor(), 3);
    EXPECT_EQ(m_dialogs.Transcript(),
              QStringList{"FLASH: 2 songs of the kept queue no longer in the catalogue, left out"});
}

TEST_F(KeptQueueTest, ADamagedFileIsLeftAsideWithANoteAndReplacedAtTheNextSave) {
    WriteAll(File(), QByteArray("sonwick3 queue 1\ncursor 1\nrow 1 none\n"));
    auto next = Keeper(m_next);
    EXPECT_EQ(next->RestoreQueue(), 0);
    EXPECT_EQ(m_next.RowCount(), 0);
    EXPECT_EQ(m_dialogs.Transcript(),
              QStringList{"FLASH: The kept queue in QUEUE.TXT was left aside: the file ends early"});
    m_next.AppendToQueue(m_rig.Song(1));
    ASSERT_TRUE(next->SaveQueue());
    EXPECT_TRUE(ParseQueueFile(ReadAll(File()), nullptr));
}

TEST_F(KeptQueueTest, NothingIsWrittenBeforeTheKeptQueueWasRead) {
    WriteAll(File(), kGood);
    auto keeper = Keeper(m_rig.queue);
    m_rig.Fill(2);
    m_clock.Advance(QueueKeeper::kSettleMs);
    keeper->Tick();
    keeper->SaveQueue();
    EXPECT_EQ(ReadAll(File()), kGood);
}

TEST_F(KeptQueueTest, AChangeIsWrittenOnceItHasSettledAndAPlayingSongEveryHalfMinute) {
    auto keeper = Keeper(m_rig.queue);
    keeper->RestoreQueue();
    m_rig.Fill(3);
    m_clock.Advance(QueueKeeper::kSettleMs - 1);
    keeper->Tick();
    EXPECT_FALSE(QFile::exists(File()));
    m_clock.Advance(1);
    keeper->Tick();
    ASSERT_TRUE(QFile::exists(File()));
    EXPECT_EQ(ParseQueueFile(ReadAll(File()), nullptr)->rows.size(), 3u);

    m_rig.player.Play(2);
    m_clock.Advance(QueueKeeper::kSettleMs);
    keeper->Tick();
    EXPECT_EQ(ParseQueueFile(ReadAll(File()), nullptr)->playingRow, 2);
    // Without changes, a playing song's place is written again after a while, not at every tick.
    QFile::remove(File());
    m_clock.Advance(QueueKeeper::kPlayingRewriteMs - QueueKeeper::kSettleMs - 1);
    keeper->Tick();
    EXPECT_FALSE(QFile::exists(File()));
    m_clock.Advance(QueueKeeper::kSettleMs + 1);
    keeper->Tick();
    EXPECT_FALSE(QFile::exists(File())) << "the same text is not written twice";
    m_rig.player.StopPlayback();
    keeper->ProgramEnding();
    EXPECT_EQ(ParseQueueFile(ReadAll(File()), nullptr)->playingRow, 0);
    // After the end nothing is written any more.
    QFile::remove(File());
    m_rig.queue.AppendToQueue(m_rig.Song(4));
    m_clock.Advance(QueueKeeper::kSettleMs);
    keeper->Tick();
    keeper->SaveQueue();
    EXPECT_FALSE(QFile::exists(File()));
}

/// The resume offer with the real engine on an offline output.
class ResumeOffer : public ::testing::Test {
protected:
    QString File() const { return m_dir.filePath("QUEUE.TXT"); }
    /// A queue of three songs kept with the second playing at 1 s.
    void KeepQueuePlayingSecondAtOneSecond() {
        for (int number = 1; number <= 3; ++number) {
            m_rig.Append("song440.wav", number);
        }
        m_rig.queue().ClearQueueFrom(0);
        KeptQueue kept;
        kept.rows = {{1, kMarkerPlayed, false}, {2, kMarkerPlaying, false}, {3, "", false}};
        kept.cursor = 2;
        kept.playingRow = 2;
        kept.playingSeconds = 1;
        WriteAll(File(), QueueFileText(kept));
    }

    QTemporaryDir m_dir;
    test::EngineRig m_rig{1, true};
    ManualClock m_clock;
};

TEST_F(ResumeOffer, YesStartsTheSongWhereItWas) {
    KeepQueuePlayingSecondAtOneSecond();
    QueueKeeper keeper(m_rig.queue(), File(), m_clock);
    keeper.SetEngine(m_rig.engine.get());
    EXPECT_EQ(keeper.RestoreQueue(), 2);
    EXPECT_EQ(m_rig.engine->State(), PlaybackState::Stopped);
    m_rig.dialogs.QueueAnswer("Yes");
    keeper.OfferResume();
    EXPECT_EQ(m_rig.dialogs.Transcript(), QStringList{"ASK: Resume \"Song 2\" at 00:01 ? -> Yes"});
    EXPECT_EQ(m_rig.engine->State(), PlaybackState::Playing);
    EXPECT_EQ(m_rig.queue().NowPlayingRow(), 2);
    EXPECT_EQ(m_rig.queue().Cell(2, QueueColumn::Now), kMarkerPlaying);
    EXPECT_NEAR(m_rig.engine->ElapsedSeconds(), 1.0, 0.2);
    // Asked once only.
    keeper.OfferResume();
    EXPECT_EQ(m_rig.dialogs.Transcript().size(), 1);
}

TEST_F(ResumeOffer, NoLeavesTheCursorOnTheSong) {
    KeepQueuePlayingSecondAtOneSecond();
    QueueKeeper keeper(m_rig.queue(), File(), m_clock);
    keeper.SetEngine(m_rig.engine.get());
    keeper.RestoreQueue();
    m_rig.dialogs.QueueAnswer("No");
    keeper.OfferResume();
    EXPECT_EQ(m_rig.dialogs.Transcript(), QStringList{"ASK: Resume \"Song 2\" at 00:01 ? -> No"});
    EXPECT_EQ(m_rig.engine->State(), PlaybackState::Stopped);
    EXPECT_EQ(m_rig.queue().Cursor(), 2);
    EXPECT_LE(m_rig.queue().NowPlayingRow(), 0);
    EXPECT_EQ(m_rig.queue().RowCount(), 3);
}

TEST_F(ResumeOffer, NothingIsAskedWhenNoSongWasPlaying) {
    KeptQueue kept;
    m_rig.Append("song440.wav", 1);
    m_rig.queue().ClearQueueFrom(0);
    kept.rows = {{1, "", false}};
    kept.cursor = 1;
    WriteAll(File(), QueueFileText(kept));
    QueueKeeper keeper(m_rig.queue(), File(), m_clock);
    keeper.SetEngine(m_rig.engine.get());
    EXPECT_EQ(keeper.RestoreQueue(), 0);
    keeper.OfferResume();
    EXPECT_TRUE(m_rig.dialogs.Transcript().isEmpty());
    EXPECT_EQ(m_rig.queue().Cursor(), 1);
}

}  // namespace
}  // namespace sw
