#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QTableView>
#include <QToolButton>

#include "audio/AudioTestSupport.h"
#include "QueueTestSupport.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/BpmTap.h"
#include "playback/BpmWindow.h"
#include "playback/Preview.h"
#include "playback/PreviewWindow.h"
#include "playback/QueueModel.h"
#include "playback/QueueWindow.h"
#include "playback/audio/RenderClock.h"

namespace sw {
namespace {

void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
}

class QueueWindowTest : public ::testing::Test {
protected:
    QueueWindowTest() : m_installed(m_dialogs) {
        m_rig.settings.FADETIME = 0;
        m_rig.settings.FADEONNEXT = false;
        m_engine.InitAudio(true);
        m_dialogs.ClearTranscript();
    }

    void Fill(int count) {
        for (int i = 1; i <= count; ++i) {
            TSong song = m_rig.Song(i);
            song.FullPath = test::Media("song440.wav");
            m_rig.queue.AppendToQueue(song);
        }
    }
    /// The window's menu item, which must show the caption.
    QAction* Item(QueueMenuItem item, const QString& caption) {
        QAction* action = m_window.MenuAction(item);
        EXPECT_EQ(action->text(), caption);
        return action;
    }
    QTableView* Grid() { return m_window.Grid(); }
    /// The window shows the queue's caption, count, widths and selection on the loop's next pass.
    void Shown() { QApplication::processEvents(); }

    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    test::QueueRig m_rig;
    OfflineOutput* m_output = new OfflineOutput(1);
    AudioLibrary m_audio{std::unique_ptr<AudioOutput>(m_output)};
    RenderClock m_clock{*m_output, 1};
    PlaybackEngine m_engine{m_audio, m_rig.queue, m_rig.settings, m_clock};
    PreviewController m_preview{m_engine};
    QueueWindow m_window{m_rig.queue, m_engine, m_preview};
};

TEST_F(QueueWindowTest, ShowsItsMenusAndToolBarWithTheirCaptionsAndHints) {
    EXPECT_EQ(m_window.windowTitle(), "Now playing queue");
    QStringList captions;
    for (QAction* action : m_window.menuBar()->actions()) {
        captions << action->text() + (action->isVisible() ? "" : " (hidden)");
    }
    EXPECT_EQ(captions, (QStringList{"Close", "Clear", "Save", "Refresh", "Renumber (hidden)", "Options",
                                     "Volume (hidden)", "bpm", "Fade", "Preview", "Move"}))
        << captions.join("|").toStdString();
    const std::pair<const char*, const char*> hints[] = {
        {"play", "Play"},
        {"pause", "Pause  [SPACE]"},
        {"stop", "Stop"},
        {"stopAtEnd", "Stop at end of this song"},
        {"previous", "Play previous"},
        {"next", "Play next  [ CTRL+N ]"},
        {"jump", "Jump to time in song"},
        {"moveUp", "Move song(s) up"},
        {"moveDown", "Move song(s) down"},
        {"moveStart", "Move song(s) to start"},
        {"moveEnd", "Move song(s) to end"},
        {"skip", "Skip/unskip selected song(s)"},
        {"drop", "Drop selected song(s) from this playlist  [DEL]"},
        {"atStart", "Position list at start"},
        {"atNowPlaying", "Position list at song now playing"},
        {"atEnd", "Position list at end"},
    };
    for (const auto& [name, hint] : hints) {
        const auto* button = m_window.findChild<QToolButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->toolTip(), hint);
    }
    EXPECT_EQ(m_window.findChild<QSlider*>("timeBar")->toolTip(), "Timebar");
    EXPECT_EQ(m_window.findChild<QLabel*>("nowPlaying")->toolTip(),
              "Click to position list below at this song");
    EXPECT_EQ(Grid()->toolTip(), "Multi-select using SHIFT+CLICK or SHIFT+UP/DOWN");
    // The tool bar is drawn in the panel colour.
    QWidget* toolBar = m_window.findChild<QWidget*>("queueToolBar");
    ASSERT_NE(toolBar, nullptr);
    m_window.show();
    const QImage drawn = m_window.grab().toImage();
    EXPECT_EQ(drawn.pixelColor(toolBar->mapTo(&m_window, QPoint(toolBar->width() - 3, 3))),
              QColor(255, 221, 238));
    EXPECT_EQ(m_window.findChild<QLabel*>("nowPlaying")->palette().color(QPalette::Window),
              QColor(255, 221, 238));
}

TEST_F(QueueWindowTest, OptionsAndFadeMenusShowTheCurrentState) {
    QMenu* options = Item(QueueMenuItem::Options, "Options")->menu();
    emit options->aboutToShow();
    EXPECT_TRUE(options->actions().contains(
        Item(QueueMenuItem::TimebarSmallStep, "Timebar small increment (s) = 5")));
    EXPECT_TRUE(options->actions().contains(
        Item(QueueMenuItem::TimebarLargeStep, "Timebar large increment (s) = 20")));
    EXPECT_TRUE(Item(QueueMenuItem::ActionFromComments, "Action \"from m:ss\" comments")->isChecked());
    EXPECT_TRUE(Item(QueueMenuItem::PromptToDrop, "Prompt to drop from playlist")->isChecked());
    EXPECT_TRUE(Item(QueueMenuItem::ViewOnDoubleClick, "Double-click to view song details")->isChecked());
    Item(QueueMenuItem::PromptToDrop, "Prompt to drop from playlist")->trigger();
    EXPECT_FALSE(m_rig.settings.PROMPTTOREMOVE);
    EXPECT_FALSE(Item(QueueMenuItem::PromptToDrop, "Prompt to drop from playlist")->isChecked());
    Item(QueueMenuItem::EditOnDoubleClick, "Double-click to edit song details")->trigger();
    EXPECT_TRUE(m_rig.settings.DoubleClickToEdit);

    QMenu* fade = Item(QueueMenuItem::Fade, "Fade")->menu();
    emit fade->aboutToShow();
    EXPECT_TRUE(fade->actions().contains(Item(QueueMenuItem::FadeTime, "Fade time (ms) = 0")));
    Item(QueueMenuItem::FadeOnStopNext, "Fade on Stop / Next")->trigger();
    EXPECT_TRUE(m_rig.settings.FADEONNEXT);
    EXPECT_EQ(fade->title(), "FADE");
}

TEST_F(QueueWindowTest, TheGridShowsTheRowsAndTheCountAsTheyChange) {
    Fill(20);
    EXPECT_EQ(m_window.Model()->rowCount(), 20);
    Shown();
    EXPECT_EQ(m_window.findChild<QLabel*>("count")->text(), "20 songs");
    EXPECT_EQ(m_window.Model()->headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(), "Song title");
    EXPECT_EQ(m_window.Model()->index(6, 5).data().toString(), "Song 7");
    EXPECT_EQ(m_window.Model()->index(6, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHCenter,
              Qt::AlignHCenter);
    EXPECT_EQ(Grid()->currentIndex().row(), 19);
    EXPECT_GE(Grid()->columnWidth(5), Grid()->fontMetrics().horizontalAdvance("Song 20") * 115 / 100);

    // The user's selection reaches the queue; a move puts the moved block back on the grid.
    Grid()->selectionModel()->select(
        QItemSelection(m_window.Model()->index(17, 0), m_window.Model()->index(19, 11)),
        QItemSelectionModel::ClearAndSelect);
    Grid()->selectionModel()->setCurrentIndex(m_window.Model()->index(19, 0), QItemSelectionModel::NoUpdate);
    EXPECT_EQ(m_rig.queue.SelectionTop(), 18);
    EXPECT_EQ(m_rig.queue.SelectionBottom(), 20);
    m_window.findChild<QToolButton*>("moveStart")->click();
    Shown();
    EXPECT_EQ(m_window.Model()->index(0, 5).data().toString(), "Song 18");
    EXPECT_EQ(m_window.Model()->index(0, 1).data().toString(), "1");
    EXPECT_EQ(Grid()->selectionModel()->selectedRows().size(), 3);
    EXPECT_TRUE(Grid()->selectionModel()->isRowSelected(0, {}));

    m_dialogs.QueueAnswer("Yes");
    Press(Grid(), Qt::Key_Delete);
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Clear playlist items #1-#3 - OK ? -> Yes"});
    EXPECT_EQ(m_window.Model()->rowCount(), 17);
    Shown();
    EXPECT_EQ(m_window.findChild<QLabel*>("count")->text(), "17 songs");
    // The grid shows the queue's own choice after the drop, not its own adjustment to lost rows.
    ASSERT_GE(m_rig.queue.SelectionTop(), 1);
    EXPECT_EQ(Grid()->selectionModel()->selectedRows().size(),
              m_rig.queue.SelectionBottom() - m_rig.queue.SelectionTop() + 1);
    EXPECT_TRUE(Grid()->selectionModel()->isRowSelected(m_rig.queue.SelectionTop() - 1, {}));
    EXPECT_EQ(Grid()->currentIndex().row(), m_rig.queue.Cursor() - 1);
}

TEST_F(QueueWindowTest, KeysPlayNextPauseAndClose) {
    Fill(3);
    TransportView followed;
    int follows = 0;
    m_window.SetTransportFollower([&](const TransportView& t) {
        followed = t;
        ++follows;
    });
    Press(Grid(), Qt::Key_Space);  // nothing loaded: no pause
    EXPECT_EQ(m_engine.State(), PlaybackState::Stopped);
    m_rig.queue.SetCursor(1);
    m_window.findChild<QToolButton*>("play")->click();
    EXPECT_EQ(m_engine.State(), PlaybackState::Playing);
    EXPECT_TRUE(followed.stopEnabled);
    Shown();
    EXPECT_EQ(m_window.findChild<QLabel*>("nowPlaying")->text(), "  1 - " + test::Media("song440.wav"));
    EXPECT_EQ(m_window.Model()->index(0, 0).data().toString(), ">>");

    // The display timer runs in the window's event loop.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 350) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_FALSE(m_window.findChild<QToolButton*>("jump")->text().isEmpty());
    Press(Grid(), Qt::Key_Space);
    EXPECT_EQ(m_engine.State(), PlaybackState::Paused);
    EXPECT_TRUE(m_window.findChild<QToolButton*>("pause")->isChecked());
    EXPECT_TRUE(followed.pauseDown);
    Press(Grid(), Qt::Key_Space);
    EXPECT_EQ(m_engine.State(), PlaybackState::Playing);

    m_window.show();
    QApplication::processEvents();
    m_clock.SleepMs(300);  // the next song needs some time left to change to
    m_engine.DisplayTimerTick();
    // Ctrl+N anywhere in the window, and exactly that: Ctrl+Shift+N is another key sequence.
    const auto* playNext = m_window.findChild<QShortcut*>();
    ASSERT_NE(playNext, nullptr);
    EXPECT_EQ(playNext->key(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(playNext->context(), Qt::WindowShortcut);
    emit const_cast<QShortcut*>(playNext)->activated();
    EXPECT_EQ(m_rig.queue.NowPlayingRow(), 2);
    m_clock.SleepMs(300);
    m_engine.DisplayTimerTick();
    m_window.findChild<QToolButton*>("next")->click();
    EXPECT_EQ(m_rig.queue.NowPlayingRow(), 3);
    EXPECT_GT(follows, 3);

    Press(&m_window, Qt::Key_Escape);
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(m_engine.State(), PlaybackState::Playing);  // closing never stops the music
}

TEST_F(QueueWindowTest, ADoubleClickPlaysItsRowAndWithCtrlOpensTheSong) {
    Fill(3);
    QStringList opened;
    QueueController::SongWindows windows;
    windows.viewSong = [&](int songNum) {
        opened << "view " + QString::number(songNum);
        return false;
    };
    m_rig.queue.SetSongWindows(windows);
    m_window.show();
    QApplication::processEvents();
    auto doubleClick = [&](int row, Qt::KeyboardModifiers modifiers) {
        const QRect cell = Grid()->visualRect(m_window.Model()->index(row - 1, 5));
        QMouseEvent event(QEvent::MouseButtonDblClick, cell.center(),
                          Grid()->viewport()->mapToGlobal(cell.center()), Qt::LeftButton, Qt::LeftButton,
                          modifiers);
        QApplication::sendEvent(Grid()->viewport(), &event);
    };
    doubleClick(2, Qt::NoModifier);
    EXPECT_EQ(m_engine.State(), PlaybackState::Playing);
    EXPECT_EQ(m_rig.queue.NowPlayingRow(), 2);
    EXPECT_EQ(m_window.Model()->index(1, 0).data().toString(), ">>");
    EXPECT_TRUE(opened.isEmpty());

    doubleClick(3, Qt::ControlModifier);
    EXPECT_EQ(opened, QStringList{"view 3"});
    EXPECT_EQ(m_rig.queue.NowPlayingRow(), 2);
    EXPECT_EQ(m_rig.queue.Cursor(), 3);
}

TEST_F(QueueWindowTest, ThePopupOpensOverRowsWithItsCaptions) {
    Fill(3);
    EXPECT_FALSE(m_window.PreparePopup(0));
    ASSERT_TRUE(m_window.PreparePopup(2));
    QStringList captions;
    for (QAction* action : m_window.PopupMenu()->actions()) {
        if (!action->isSeparator()) {
            captions << action->text() + (action->isEnabled() ? "" : " (off)");
        }
    }
    EXPECT_EQ(captions, (QStringList{"View song details (off)",
                                     "Edit song (off)",
                                     "Copy song",
                                     "Album details (off)",
                                     "Rating",
                                     "Play next - this song",
                                     "Play now - this song",
                                     "Preview",
                                     "Move to end",
                                     "Move to position",
                                     "Skip",
                                     "Drop ( from this playlist )",
                                     "More songs ... (off)",
                                     "Already in playlist(s) (off)",
                                     "Add to playlist x (off)",
                                     "Move to playlist x (off)",
                                     "View playlist x (off)",
                                     "Add to playlist (off)",
                                     "Delete music file",
                                     "Remove song from database",
                                     "Delete && Remove"}));
    EXPECT_EQ(m_rig.queue.Cursor(), 2);
    QAction* skip = m_window.PopupAction(PopupItem::Skip);
    ASSERT_NE(skip, nullptr);
    EXPECT_EQ(skip->text(), "Skip");
    skip->trigger();
    EXPECT_EQ(m_window.Model()->index(1, 0).data().toString(), "S");
    ASSERT_TRUE(m_window.PreparePopup(2));
    EXPECT_TRUE(skip->isChecked());
}

TEST(BpmWindowTest, KeysAndClicksTapAndEscapeCloses) {
    ManualClock clock;
    clock.Advance(1000);
    BpmTapper tapper(clock);
    BpmWindow window(tapper);
    EXPECT_EQ(window.windowTitle(), "Beats per minute");
    window.show();
    auto* result = window.findChild<QLabel*>("result");
    EXPECT_EQ(result->text(), "nnn bpm");
    Press(&window, Qt::Key_Space);
    EXPECT_EQ(result->text(), "-10");
    clock.Advance(500);
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(result, &click);
    EXPECT_EQ(result->text(), "-9");
    Press(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(tapper.Counter(), -8);
}

TEST(PreviewWindowTest, StopEndsThePreviewAndCloseLeavesItPlaying) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    test::QueueRig rig;
    rig.settings.PREVIEWSOUNDCARD = -1;
    rig.settings.ConfirmDevicesAtStartup = false;
    auto* output = new OfflineOutput(2);
    AudioLibrary audio{std::unique_ptr<AudioOutput>(output)};
    RenderClock clock(*output, 2);
    PlaybackEngine engine(audio, rig.queue, rig.settings, clock);
    engine.InitAudio(true);
    PreviewController preview(engine);
    PreviewWindow window;
    window.SetPreview(&preview);
    preview.SetShowWindow([&] { window.ShowPreview(); });
    TSong song = rig.Song(1);
    song.FullPath = test::Media("song440.wav");
    song.FileName = "Folk/one.wav";
    preview.PreviewSong(song);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.findChild<QLabel*>("topLine")->text(), " Folk/one.wav");
    window.findChild<QPushButton*>("close")->click();
    EXPECT_FALSE(window.isVisible());
    auto loud = [&] {
        const std::vector<float> heard = output->Render(engine.PreviewDevice(), 2205);
        return *std::max_element(heard.begin(), heard.end()) > 0.1f;
    };
    EXPECT_TRUE(loud());
    window.ShowPreview();
    window.findChild<QPushButton*>("stop")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(loud());
}

}  // namespace
}  // namespace sw
