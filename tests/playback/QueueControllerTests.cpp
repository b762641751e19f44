#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <climits>

#include "QueueTestSupport.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

using test::QueueRig;

std::vector<int> Numbers(std::initializer_list<int> numbers) {
    return numbers;
}

QStringList SeqOneTo(int n) {
    QStringList seqs;
    for (int i = 1; i <= n; ++i) {
        seqs << QString::number(i);
    }
    return seqs;
}

class QueueTest : public ::testing::Test {
protected:
    QueueTest() : m_installed(m_dialogs) {}

    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    QueueRig m_rig;
    QueueController& m_queue = m_rig.queue;
};

TEST_F(QueueTest, AppendFillsTheTwelveCellsAndPutsTheCursorOnTheNewRow) {
    TSong song = m_rig.Song(7);
    song.AlbumName = "Album";
    song.Track = 3;
    song.Year = "1999x";
    song.Duration = 7500;
    song.Rating = 2;
    song.GenreId = 17;
    song.GenreName = "Rock";
    song.Comment = "from 1:05 live";
    EXPECT_EQ(m_queue.AppendToQueue(m_rig.Song(1)), 1);
    EXPECT_EQ(m_queue.AppendToQueue(song), 2);
    EXPECT_EQ(m_queue.Cursor(), 2);
    EXPECT_TRUE(m_queue.QueueChanged());
    const QueueRow* row = m_queue.RowAt(2);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(QStringList(row->cells.begin(), row->cells.end()),
              (QStringList{"", "2", "Album", "3", "Artist", "Song 7", "1999", "125:00", "", "+2", "Rock",
                           "from 1:05 live"}));
    EXPECT_EQ(m_queue.CountText(), "2 songs");
}

TEST_F(QueueTest, CellsShowMissingFilesNegativeDurationsAndUnratedSongs) {
    TSong song = m_rig.Song(1, false);
    song.Exi = true;  // the catalogue still believes in it
    song.Duration = -1;
    song.Rating = 0;
    song.GenreId = kNoGenre;
    song.GenreName = "stale";
    m_queue.AppendToQueue(song);
    EXPECT_EQ(m_queue.Cell(1, QueueColumn::Wng), "!");
    EXPECT_EQ(m_queue.Cell(1, QueueColumn::Duration), "error");
    EXPECT_EQ(m_queue.Cell(1, QueueColumn::Rating), " ");
    EXPECT_EQ(m_queue.Cell(1, QueueColumn::Genre), "");
    EXPECT_EQ(m_queue.CountText(), "1 song");
}

TEST_F(QueueTest, AHiddenMissingSongIsNotAppended) {
    QueueRig rig(true);
    rig.Fill(2);
    rig.queue.ToggleHideMissing();
    const TSong missing = rig.Song(3, false);
    EXPECT_EQ(rig.queue.AppendToQueue(missing), -1);
    EXPECT_EQ(rig.queue.AppendToQueue(3), -1);
    EXPECT_EQ(rig.queue.QueueAsNext(missing), -1);
    EXPECT_EQ(rig.queue.RowCount(), 2);
    rig.queue.ToggleHideMissing();
    EXPECT_EQ(rig.queue.AppendToQueue(3), 3);
    EXPECT_EQ(rig.queue.Cell(3, QueueColumn::Wng), "!");
}

TEST_F(QueueTest, PlayNextWithNothingLoadedMovesTheAddedRowsToTheTop) {
    m_rig.Fill(3);
    m_queue.SetNowPlayingRow(-1);
    m_queue.AppendToQueue(m_rig.Song(4));
    m_queue.AppendToQueue(m_rig.Song(5));
    m_queue.MoveLastRowsToNext(2);
    EXPECT_EQ(m_rig.Order(), Numbers({4, 5, 1, 2, 3}));
    EXPECT_EQ(m_rig.Column(QueueColumn::Seq), SeqOneTo(5));
}

TEST_F(QueueTest, PlayNextWhileRowTwoOfFivePlaysPutsTheSongThirdAndIgnoresTheTargetLine) {
    m_rig.Fill(4);
    m_rig.player.Play(2);
    m_queue.SetTargetLine(1);
    EXPECT_EQ(m_queue.QueueAsNext(m_rig.Song(5)), 3);
    EXPECT_EQ(m_rig.Order(), Numbers({1, 2, 5, 3, 4}));
    EXPECT_EQ(m_queue.NowPlayingRow(), 2);
    EXPECT_EQ(m_queue.Cell(2, QueueColumn::Now), ">>");
    EXPECT_EQ(m_rig.Column(QueueColumn::Seq), SeqOneTo(5));
}

TEST_F(QueueTest, InsertingAtALineAtOrBelowTheAppendedRowsLeavesThemAtTheEnd) {
    for (const int line : {4, 5, 9}) {
        QueueRig rig;
        rig.Fill(5);
        rig.queue.SetTargetLine(line);
        rig.queue.MoveLastRowsToLine(2);
        EXPECT_EQ(rig.Order(), Numbers({1, 2, 3, 4, 5})) << line;
    }
    m_rig.Fill(5);
    m_queue.SetTargetLine(2);
    m_queue.MoveLastRowsToLine(2);
    EXPECT_EQ(m_rig.Order(), Numbers({1, 4, 5, 2, 3}));
}

TEST_F(QueueTest, MovingABlockHoldingThePlayingRowKeepsItOnItsSong) {
    m_rig.Fill(5);
    m_rig.player.Play(3);
    m_queue.SetSelection(3, 4, 4);
    m_queue.MoveSelectedRows(MoveTarget::Up);
    EXPECT_EQ(m_rig.Order(), Numbers({1, 3, 4, 2, 5}));
    EXPECT_EQ(m_queue.NowPlayingRow(), 2);
    EXPECT_EQ(m_rig.Column(QueueColumn::Now), (QStringList{"", ">>", "", "", ""}));
    EXPECT_EQ(m_rig.Column(QueueColumn::Seq), SeqOneTo(5));
    EXPECT_EQ(m_queue.SelectionTop(), 2);
    EXPECT_EQ(m_queue.SelectionBottom(), 3);
    EXPECT_EQ(m_queue.NowPlayingCaption(), "  2 - " + m_queue.SongAt(2)->Song().FullPath);
}

TEST_F(QueueTest, MovesAtTheEndsChangeNothing) {
    m_rig.Fill(4);
    const bool changed = m_queue.QueueChanged();
    QueueRig rig;
    rig.Fill(4);
    rig.queue.SetSelection(1, 2, 1);
    rig.queue.MoveSelectedRows(MoveTarget::Up);
    rig.queue.MoveSelectedRows(MoveTarget::Start);
    rig.queue.SetSelection(3, 4, 4);
    rig.queue.MoveSelectedRows(MoveTarget::Down);
    rig.queue.MoveSelectedRows(MoveTarget::End);
    EXPECT_EQ(rig.Order(), Numbers({1, 2, 3, 4}));
    EXPECT_TRUE(changed);
    EXPECT_EQ(rig.queue.SelectionTop(), 3);
    EXPECT_EQ(rig.queue.SelectionBottom(), 4);
}

// The steps of a block move, one row at a time, as the queue describes them: the reference the
// queue's single rotation must match.
struct StepModel {
    std::vector<int> songs;
    int nowPlaying = -1;
    int cursor = 0;
    int targetLine = 0;

    int Last() const { return static_cast<int>(songs.size()); }
    void StepUp(int r) {
        std::swap(songs[r - 1], songs[r - 2]);
        cursor = r - 1;
        if (r == nowPlaying) {
            --nowPlaying;
        } else if (r == nowPlaying + 1) {
            ++nowPlaying;
        }
    }
    void StepDown(int r) {
        std::swap(songs[r - 1], songs[r]);
        cursor = r + 1;
        if (r == nowPlaying) {
            ++nowPlaying;
        } else if (r + 1 == nowPlaying) {
            --nowPlaying;
        }
    }
    void UpOne(int& s, int n) {
        if (s > 1 && n > 0) {
            for (int r = s; r <= s + n - 1; ++r) {
                StepUp(r);
            }
            --s;
        }
    }
    void DownOne(int& s, int n) {
        if (s + n - 1 < Last()) {
            for (int r = s + n - 1; r >= s; --r) {
                StepDown(r);
            }
            ++s;
        }
    }
    void BlockUp(int& s, int n, MoveTarget target) {
        auto targetRow = [&] {
            return target == MoveTarget::Next       ? nowPlaying + 1
                   : target == MoveTarget::Position ? targetLine
                                                    : 1;
        };
        while (s > 1 && s > targetRow()) {
            UpOne(s, n);
        }
    }
    void BlockDown(int& s, int n, MoveTarget target) {
        if (target == MoveTarget::Next && s >= nowPlaying) {
            return;
        }
        while (s + n - 1 < Last() && (target != MoveTarget::Next || s < nowPlaying + 1) &&
               (target != MoveTarget::Position || s != targetLine)) {
            DownOne(s, n);
        }
    }
    int Move(int s, int e, MoveTarget target) {
        const int n = e - s + 1;
        switch (target) {
            case MoveTarget::Next:
                if (nowPlaying < s) {
                    BlockUp(s, n, target);
                } else if (e < nowPlaying) {
                    BlockDown(s, n, target);
                }
                break;
            case MoveTarget::Up:
                UpOne(s, n);
                break;
            case MoveTarget::Down:
                DownOne(s, n);
                break;
            case MoveTarget::Start:
                BlockUp(s, n, target);
                break;
            case MoveTarget::End:
                BlockDown(s, n, target);
                break;
            case MoveTarget::Position:
                if (targetLine < s) {
                    BlockUp(s, n, target);
                } else if (s < targetLine) {
                    BlockDown(s, n, target);
                }
                break;
        }
        return s;
    }
};

const char* TargetName(MoveTarget target) {
    static const char* const kNames[] = {"Next", "Up", "Down", "Start", "End", "Position"};
    return kNames[static_cast<int>(target)];
}

class BlockMoves : public ::testing::TestWithParam<MoveTarget> {};

TEST_P(BlockMoves, EndWhereSteppingOneRowAtATimeEnds) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    QRandomGenerator random(20240501);
    for (int trial = 0; trial < 400; ++trial) {
        QueueRig rig;
        const int rows = random.bounded(1, 13);
        rig.Fill(rows);
        StepModel model;
        for (int i = 1; i <= rows; ++i) {
            model.songs.push_back(i);
        }
        const int playing = random.bounded(-1, rows + 1);
        if (playing > 0) {
            rig.player.Play(playing);
        } else {
            rig.queue.SetNowPlayingRow(playing);
        }
        model.nowPlaying = playing;
        const int s = random.bounded(1, rows + 1);
        const int e = random.bounded(s, rows + 1);
        model.targetLine = random.bounded(0, rows + 3);
        model.cursor = e;
        rig.queue.SetSelection(s, e, e);
        dialogs.QueueAnswer(QString::number(model.targetLine));
        const int top = model.Move(s, e, GetParam());
        rig.queue.MoveSelectedRows(GetParam());

        const std::string where = QString("rows %1, block %2-%3, playing %4, line %5")
                                      .arg(rows)
                                      .arg(s)
                                      .arg(e)
                                      .arg(playing)
                                      .arg(model.targetLine)
                                      .toStdString();
        ASSERT_EQ(rig.Order(), model.songs) << where;
        ASSERT_EQ(rig.queue.NowPlayingRow(), model.nowPlaying) << where;
        ASSERT_EQ(rig.queue.SelectionTop(), top) << where;
        ASSERT_EQ(rig.queue.SelectionBottom(), top + e - s) << where;
        ASSERT_EQ(rig.Column(QueueColumn::Seq), SeqOneTo(rows)) << where;
        if (top != s) {
            ASSERT_EQ(rig.queue.Cursor(), model.cursor) << where;
        }
        if (model.nowPlaying > 0) {
            ASSERT_EQ(rig.queue.Cell(model.nowPlaying, QueueColumn::Now), ">>") << where;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryTarget, BlockMoves,
                         ::testing::Values(MoveTarget::Next, MoveTarget::Up, MoveTarget::Down,
                                           MoveTarget::Start, MoveTarget::End, MoveTarget::Position),
                         [](const testing::TestParamInfo<MoveTarget>& param) {
                             return std::string(TargetName(param.param));
                         });

TEST_F(QueueTest, PositionCancelledMovesNothing) {
    m_rig.Fill(5);
    m_queue.SetTargetLine(2);
    m_queue.SetSelection(4, 5, 5);
    m_dialogs.QueueAnswer("<cancel>");
    m_queue.MoveSelectedRows(MoveTarget::Position);
    EXPECT_EQ(m_rig.Order(), Numbers({1, 2, 3, 4, 5}));
    EXPECT_EQ(m_dialogs.TextsOf("INPUT"), QStringList{"Enter target line number -> (cancelled)"});
}

TEST_F(QueueTest, DroppingThreeToFiveWhileFourPlaysAndAnsweringNoKeepsThePlayingRow) {
    m_rig.Fill(6);
    m_rig.player.Play(4);
    m_queue.SetSelection(3, 5, 5);
    m_dialogs.QueueAnswers({"Yes", "No"});
    m_queue.DropSelectedRows();
    EXPECT_EQ(m_dialogs.Transcript(),
              (QStringList{"ASK: Clear playlist items #3-#5 - OK ? -> Yes",
                           "ASK: Song now playing will be dropped - continue anyway? -> No"}));
    EXPECT_EQ(m_rig.Order(), Numbers({1, 2, 4, 6}));
    EXPECT_EQ(m_queue.NowPlayingRow(), 3);
    EXPECT_EQ(m_rig.Column(QueueColumn::Seq), SeqOneTo(4));
    EXPECT_EQ(m_rig.player.stops, 0);
    EXPECT_EQ(m_rig.player.starts, 1);
    EXPECT_EQ(m_queue.Cursor(), 4);
}

TEST_F(QueueTest, DroppingThePlayingRowStartsTheSongThatTakesItsPlace) {
    m_rig.Fill(4);
    m_rig.player.Play(2);
    m_queue.SetCursor(3);
    m_queue.MoveToEndKeepingCursor();  // 3 goes last; the cursor stays on row 3
    EXPECT_EQ(m_rig.Order(), Numbers({1, 2, 4, 3}));
    EXPECT_EQ(m_queue.SavedCursorRow(), 3);
    m_queue.SetSelection(2, 2, 2);
    m_dialogs.QueueAnswers({"Yes", "Yes"});
    m_queue.DropSelectedRows();
    EXPECT_EQ(m_rig.Order(), Numbers({1, 4, 3}));
    EXPECT_EQ(m_rig.player.stops, 1);
    EXPECT_EQ(m_rig.player.starts, 2);
    EXPECT_EQ(m_queue.NowPlayingRow(), 2);
    EXPECT_EQ(m_queue.SongAt(2)->Song().SongNum, 4);
    EXPECT_EQ(m_queue.SavedCursorRow(), 2);
}

struct DropPrompt {
    const char* name;
    int top;
    int bottom;
    bool prompt;
    QString expected;  // empty: no question
};

class DropPrompts : public ::testing::TestWithParam<DropPrompt> {};

TEST_P(DropPrompts, AskOnlyWhereTheRowsDeserveIt) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    QueueRig rig;
    rig.settings.PROMPTTOREMOVE = GetParam().prompt;
    rig.Fill(3);
    rig.queue.AppendToQueue(rig.Song(4, false));
    rig.queue.SetSelection(2, 2, 2);
    rig.queue.ToggleSkipSelected();
    rig.queue.SetSelection(GetParam().top, GetParam().bottom, GetParam().bottom);
    rig.queue.DropSelectedRows();
    const QStringList asked = dialogs.TextsOf("ASK");
    if (GetParam().expected.isEmpty()) {
        EXPECT_TRUE(asked.isEmpty()) << asked.join('|').toStdString();
    } else {
        EXPECT_EQ(asked, QStringList{GetParam().expected + " - OK ? -> Yes"});
    }
    EXPECT_EQ(rig.queue.RowCount(), 4 - (GetParam().bottom - GetParam().top + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DropPrompts,
    ::testing::Values(DropPrompt{"OnePlainRow", 3, 3, true, "Clear playlist item #3"},
                      DropPrompt{"OneSkippedRow", 2, 2, true, ""},
                      DropPrompt{"OneMissingFile", 4, 4, true, ""},
                      DropPrompt{"SeveralRows", 1, 3, true, "Clear playlist items #1-#3"},
                      DropPrompt{"PromptSwitchedOff", 1, 3, false, ""}),
    [](const testing::TestParamInfo<DropPrompt>& param) { return std::string(param.param.name); });

TEST_F(QueueTest, ClearAllWhilePausedIsRefused) {
    m_rig.Fill(3);
    m_rig.player.Play(2);
    m_rig.player.state = PlaybackState::Paused;
    m_queue.ClearQueueFrom(0);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Cannot clear while song is playing"});
    EXPECT_EQ(m_queue.RowCount(), 3);
}

TEST_F(QueueTest, ClearFromAPositionAfterThePlayingRowKeepsTheRowsBefore) {
    QueueRig rig(true);
    rig.Fill(5);
    rig.player.Play(2);
    rig.queue.ClearQueueFrom(3);
    EXPECT_EQ(rig.Order(), Numbers({1, 2}));
    EXPECT_EQ(rig.queue.NowPlayingRow(), 2);
    EXPECT_EQ(rig.queue.Caption(), "Now playing");
    rig.queue.ClearQueueFrom(2);  // the playing row itself: asked, and dropped
    EXPECT_EQ(m_dialogs.TextsOf("ASK"),
              QStringList{"Song now playing will be dropped - continue anyway? -> Yes"});
    EXPECT_EQ(rig.Order(), Numbers({1}));
    EXPECT_EQ(rig.player.stops, 1);
    rig.queue.ClearQueueFrom(0);
    EXPECT_TRUE(rig.queue.QueueIsEmpty());
    EXPECT_EQ(rig.queue.CountText(), "0 songs");
}

TEST_F(QueueTest, SkipTogglesTheBlockButNeverThePlayingRow) {
    m_rig.Fill(5);
    m_rig.player.Play(4);
    m_queue.SetSelection(3, 4, 4);
    m_queue.ToggleSkipSelected();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Cannot skip/drop song while it is playing"});
    m_queue.SetSelection(1, 3, 3);
    m_queue.ToggleSkipSelected();
    EXPECT_EQ(m_rig.Column(QueueColumn::Now), (QStringList{"S", "S", "S", ">>", ""}));
    m_queue.SetSelection(2, 3, 3);
    m_queue.ToggleSkipSelected();
    EXPECT_EQ(m_rig.Column(QueueColumn::Now), (QStringList{"S", " ", " ", ">>", ""}));
    m_queue.SetCursor(4);
    m_queue.SetSkipOfCursorRow(true);
    EXPECT_EQ(m_queue.Cell(4, QueueColumn::Now), "S");
}

TEST_F(QueueTest, NextPlayableAndPreviousExistingRows) {
    m_rig.Fill(2);
    m_queue.AppendToQueue(m_rig.Song(3, false));
    m_rig.Fill(0);
    m_queue.AppendToQueue(m_rig.Song(4));
    m_queue.AppendToQueue(m_rig.Song(5));
    m_queue.SetSelection(4, 4, 4);
    m_queue.ToggleSkipSelected();
    EXPECT_EQ(m_queue.NextPlayableRow(1), 2);
    EXPECT_EQ(m_queue.NextPlayableRow(2), 5);  // 3 has no file, 4 is skipped
    EXPECT_EQ(m_queue.NextPlayableRow(5), 0);
    EXPECT_EQ(m_queue.NextPlayableRow(-1), 1);
    EXPECT_EQ(m_queue.PreviousExistingRow(4), 2);
    EXPECT_EQ(m_queue.PreviousExistingRow(5), 4);  // a skip mark does not matter here
    EXPECT_EQ(m_queue.PreviousExistingRow(1), 0);
}

TEST_F(QueueTest, ColumnsStartAtTheirTitlesAndOnlyEverWiden) {
    m_queue.SetTextMeasure([](const QString& text) { return static_cast<int>(text.size()) * 10; });
    const auto start = m_queue.ColumnWidths();
    EXPECT_EQ(start[0], 34);   // "Now": 30 * 115 / 100
    EXPECT_EQ(start[5], 115);  // "Song title"
    TSong song = m_rig.Song(1);
    song.Title = "A much longer song title";
    m_queue.AppendToQueue(song);
    EXPECT_EQ(m_queue.ColumnWidths()[5], 276);
    m_queue.AppendToQueue(m_rig.Song(2));
    EXPECT_EQ(m_queue.ColumnWidths()[5], 276);
    m_queue.ClearQueueFrom(0);
    EXPECT_EQ(m_queue.ColumnWidths(), start);
}

// A double-click plays its row as the Play button plays the cursor row; with Ctrl held it opens
// the song's details window, or its edit window, as the option says, and plays nothing.
struct DoubleClickCase {
    const char* name;
    bool withCtrl;
    bool editOption;
    bool windowsConnected;
    QStringList opened;
    int nowPlaying;
};

class DoubleClicks : public ::testing::TestWithParam<DoubleClickCase> {};

TEST_P(DoubleClicks, PlayOrOpenTheSongAsTheModifierAndOptionSay) {
    const DoubleClickCase& c = GetParam();
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    QueueRig rig(true);
    rig.Fill(3);
    rig.player.Play(1);
    rig.queue.SetDoubleClickToEdit(c.editOption);
    QStringList opened;
    if (c.windowsConnected) {
        QueueController::SongWindows windows;
        windows.viewSong = [&](int songNum) {
            opened << "view " + QString::number(songNum);
            return false;
        };
        windows.editSong = [&](TSong& song) {
            opened << "edit " + QString::number(song.SongNum);
            return false;
        };
        rig.queue.SetSongWindows(windows);
    }
    rig.queue.DoubleClickRow(2, c.withCtrl);
    EXPECT_EQ(opened, c.opened);
    EXPECT_EQ(rig.queue.NowPlayingRow(), c.nowPlaying);
    EXPECT_EQ(rig.player.starts, c.nowPlaying == 2 ? 2 : 1);
    EXPECT_EQ(rig.queue.Cursor(), 2);
    // Past the last row a double-click does nothing at all.
    rig.queue.DoubleClickRow(4, c.withCtrl);
    rig.queue.DoubleClickRow(0, c.withCtrl);
    EXPECT_EQ(opened, c.opened);
    EXPECT_EQ(rig.queue.NowPlayingRow(), c.nowPlaying);
    EXPECT_EQ(rig.queue.Cursor(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Queue, DoubleClicks,
    ::testing::Values(DoubleClickCase{"Plays", false, false, true, {}, 2},
                      DoubleClickCase{"PlaysWhateverTheOption", false, true, true, {}, 2},
                      DoubleClickCase{"CtrlViewsTheDetails", true, false, true, {"view 2"}, 1},
                      DoubleClickCase{"CtrlEditsTheSong", true, true, true, {"edit 2"}, 1},
                      DoubleClickCase{"CtrlWithoutTheWindowsOpensNothing", true, true, false, {}, 1}),
    [](const testing::TestParamInfo<DoubleClickCase>& param) { return std::string(param.param.name); });

TEST_F(QueueTest, OneUpdateOfTheWindowPerCommand) {
    m_rig.Fill(50);
    struct Counter : QueueDisplay {
        std::vector<QueueUpdate> updates;
        void QueueUpdated(const QueueUpdate& update) override { updates.push_back(update); }
        void ShowQueueWindow() override {}
        void SongAppended() override {}
    } counter;
    m_queue.SetDisplay(&counter);
    m_queue.SetSelection(40, 50, 50);
    m_queue.MoveSelectedRows(MoveTarget::Start);
    ASSERT_EQ(counter.updates.size(), 1u);
    EXPECT_EQ(counter.updates[0].firstChanged, 1);
    EXPECT_EQ(counter.updates[0].lastChanged, 50);
    counter.updates.clear();
    m_queue.SetSelection(1, 10, 10);
    m_queue.DropSelectedRows();
    ASSERT_EQ(counter.updates.size(), 1u);
    EXPECT_EQ(counter.updates[0].oldRowCount, 50);
    EXPECT_EQ(counter.updates[0].newRowCount, 40);
    m_queue.SetDisplay(nullptr);
}

}  // namespace
}  // namespace sw
