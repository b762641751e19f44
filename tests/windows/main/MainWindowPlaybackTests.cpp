#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>

#include "../../playback/audio/AudioTestSupport.h"
#include "../../playback/QueueTestSupport.h"
#include "../QtPrinting.h"
#include "core/CoreSession.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/PlaybackEngine.h"
#include "playback/Preview.h"
#include "playback/QueueWindow.h"
#include "playback/audio/RenderClock.h"
#include "windows/main/MainWindow.h"
#include "windows/main/Placements.h"
#include "windows/main/ProgramShutdown.h"

namespace sw {
namespace {

/// The main window with the real queue window and engine on an offline output, wired as the
/// program wires them, a song of three seconds playing.
class MainWindowPlaying : public ::testing::Test {
protected:
    MainWindowPlaying() {
        QDir().mkpath(m_dir.filePath("SW3DATA"));
        m_session.paths = MakeProgramPaths(m_dir.path());
        m_session.settingsRead = true;
        m_rig.settings.FADETIME = 0;
        m_rig.settings.FADEONNEXT = false;
        m_engine.InitAudio(true);

        m_placements.Register("fctrl2", &m_window);
        m_placements.Register("FBassint", &m_queueWindow);
        m_placements.Register("Fnotepad", &m_notepad);
        m_placements.SetPlayingQuery([this] { return m_engine.State() == PlaybackState::Playing; });
        m_session.songPlaying = [this] {
            return m_engine.State() == PlaybackState::Playing || m_engine.State() == PlaybackState::Ended;
        };
        m_window.Hooks().closeManagedWindows = [this] { m_placements.CloseManagedWindows(); };
        m_window.EnableReachableEntries();
        m_shutdown.AttachTo(m_window);

        TSong song = m_rig.Song(1);
        song.FullPath = test::Media("song440.wav");
        m_rig.queue.AppendToQueue(song);
        m_rig.queue.SetCursor(1);
        m_window.show();
        m_queueWindow.show();
        m_notepad.show();
        m_engine.PlayCommand();
        m_dialogs.ClearTranscript();
    }
    ~MainWindowPlaying() override {
        m_engine.StopCommand();
        m_window.SetCloseRequest({});
    }

    /// Lets the offline output play for a while; returns the seconds played then.
    double PlayFor(int milliseconds) {
        m_clock.SleepMs(milliseconds);
        m_engine.DisplayTimerTick();
        return m_engine.ElapsedSeconds();
    }

    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    test::QueueRig m_rig;
    OfflineOutput* m_output = new OfflineOutput(1);
    AudioLibrary m_audio{std::unique_ptr<AudioOutput>(m_output)};
    RenderClock m_clock{*m_output, 1};
    PlaybackEngine m_engine{m_audio, m_rig.queue, m_rig.settings, m_clock};
    PreviewController m_preview{m_engine};
    QueueWindow m_queueWindow{m_rig.queue, m_engine, m_preview};
    QWidget m_notepad;
    CoreSession m_session;
    MainWindow m_window{m_session};
    Placements m_placements;
    ProgramShutdown m_shutdown{m_session, m_placements};
};

TEST_F(MainWindowPlaying, CloseAllLeavesTheQueueWindowOpenAndTheSongPlaying) {
    ASSERT_EQ(m_engine.State(), PlaybackState::Playing);
    const double before = PlayFor(300);
    m_window.Entry(MainEntry::CloseAll)->trigger();
    EXPECT_TRUE(m_window.isVisible());
    EXPECT_TRUE(m_queueWindow.isVisible());
    EXPECT_FALSE(m_notepad.isVisible());
    EXPECT_EQ(m_engine.State(), PlaybackState::Playing);
    EXPECT_GT(PlayFor(500), before + 0.4);

    // Paused, the queue window closes with the others, and the song stays where it was.
    m_engine.TogglePause();
    ASSERT_EQ(m_engine.State(), PlaybackState::Paused);
    m_window.Entry(MainEntry::CloseAll)->trigger();
    EXPECT_FALSE(m_queueWindow.isVisible());
    EXPECT_EQ(m_engine.State(), PlaybackState::Paused);
}

}  // namespace
}  // namespace sw
