#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include "Unsaveable.h"
#include "core/CoreSession.h"
#include "core/IniFile.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/QueueKeeper.h"
#include "../../playback/QueueTestSupport.h"
#include "windows/main/MainWindow.h"
#include "windows/main/Placements.h"
#include "windows/main/ProgramShutdown.h"

namespace sw {
namespace {

/// The jukebox's main window wired to its shutdown as the program wires it, with the song-playing
/// state that the now-playing window will provide faked.
class ProgramClose : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_dir.filePath("SW3DATA"));
        m_session.paths = MakeProgramPaths(m_dir.path());
        m_session.settingsRead = true;
        m_session.songPlaying = [this] { return m_playing; };
        m_placements.Register("fctrl2", &m_window);
        m_shutdown.AttachTo(m_window);
        m_window.show();
    }

    bool SettingsSaved() const { return QFile::exists(m_session.paths.settingsFile); }

    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    CoreSession m_session;
    MainWindow m_window{m_session};
    Placements m_placements;
    ProgramShutdown m_shutdown{m_session, m_placements};
    bool m_playing = false;
};

struct CloseCase {
    const char* name;
    bool playing;
    const char* answer;  ///< to the quit question, when it is asked
    const char* shown;   ///< the answer as the transcript shows it
    bool closes;
};

void PrintTo(const CloseCase& c, std::ostream* os) {
    *os << c.name;
}

class ProgramCloseCases : public ProgramClose, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ProgramCloseCases, AsksOnlyWhileASongPlaysAndSavesOnlyWhenItCloses) {
    const CloseCase& c = GetParam();
    m_playing = c.playing;
    m_dialogs.QueueAnswer(c.answer);
    EXPECT_EQ(m_window.close(), c.closes);
    EXPECT_EQ(m_window.isVisible(), !c.closes);
    const QStringList expectedQuestions =
        c.playing
            ? QStringList{QString(
                              "Do you really want to quit program Sonwick3 while a song is playing? -> ") +
                          c.shown}
            : QStringList{};
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), expectedQuestions);
    EXPECT_EQ(m_shutdown.Ending(), c.closes);
    // The saving follows the event loop, which an accepted close ends.
    EXPECT_FALSE(SettingsSaved());
    if (c.closes) {
        EXPECT_EQ(m_shutdown.EndProgram(), 0);
    }
    EXPECT_EQ(SettingsSaved(), c.closes);
    if (c.closes) {
        // Settings and placements in the one file.
        const IniFile file(m_session.paths.settingsFile);
        EXPECT_TRUE(file.HasKey("main", "FADETIME"));
        EXPECT_TRUE(file.HasKey("forms", "fctrl2-WIDTH"));
    }
}

INSTANTIATE_TEST_SUITE_P(QuitQuestion, ProgramCloseCases,
                         ::testing::Values(CloseCase{"Idle", false, "No", "", true},
                                           CloseCase{"PlayingAnsweredNo", true, "No", "No", false},
                                           CloseCase{"PlayingBoxClosed", true, "", "(closed)", false},
                                           CloseCase{"PlayingAnsweredYes", true, "Yes", "Yes", true}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ProgramClose, StopBySignalAsksNothingAndReportsAFailedSaveInItsStatus) {
    m_playing = true;
    QString text;
    QTextStream messages(&text);
    EXPECT_EQ(m_shutdown.StopRequested(messages), 0);
    EXPECT_TRUE(SettingsSaved());
    EXPECT_TRUE(text.isEmpty()) << text.toStdString();

    // A save that cannot be made: the file now leads where no temporary copy can be created.
    ASSERT_TRUE(test::MakeUnsaveable(m_session.paths.settingsFile));
    m_session.settings.FADETIME = 2222;
    EXPECT_EQ(m_shutdown.StopRequested(messages), 1);
    messages.flush();
    EXPECT_EQ(text.count('\n'), 1) << text.toStdString();
    EXPECT_TRUE(text.startsWith("INFO: The settings were not saved: ")) << text.toStdString();
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

struct QueueEndCase {
    const char* name;
    /// The system's stop instead of the main window's close.
    bool bySignal;
};

void PrintTo(const QueueEndCase& c, std::ostream* os) {
    *os << c.name;
}

class QueueKeptAtTheEnd : public ProgramClose, public ::testing::WithParamInterface<QueueEndCase> {
protected:
    QByteArray QueueFile() const {
        QFile file(m_queueFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    /// Ends the program the case's way; returns the exit status.
    int EndTheProgram() {
        if (GetParam().bySignal) {
            QString text;
            QTextStream messages(&text);
            const int status = m_shutdown.StopRequested(messages);
            messages.flush();
            EXPECT_TRUE(text.isEmpty()) << text.toStdString();
            return status;
        }
        EXPECT_TRUE(m_window.close());
        return m_shutdown.EndProgram();
    }

    test::QueueRig m_rig;
    ManualClock m_clock;
    QString m_queueFile = m_dir.filePath("SW3DATA/QUEUE.TXT");
    QueueKeeper m_keeper{m_rig.queue, m_queueFile, m_clock};
};

// The last changes to the queue, still waiting for their moment to be written, are in the queue
// file once the program has ended either way, and nothing changes the file after that.
TEST_P(QueueKeptAtTheEnd, TheQueueFileHoldsTheQueueAsItWas) {
    ASSERT_EQ(m_keeper.RestoreQueue(), 0);
    m_shutdown.SetQueueKeeper(&m_keeper);
    m_rig.Fill(3);
    m_rig.queue.SetCursor(2);
    m_keeper.Tick();
    ASSERT_TRUE(QueueFile().isEmpty()) << "a change waits before it is written";

    EXPECT_EQ(EndTheProgram(), 0);
    QString why;
    const std::optional<KeptQueue> kept = ParseQueueFile(QueueFile(), &why);
    ASSERT_TRUE(kept) << why.toStdString();
    std::vector<int> songs;
    for (const KeptQueueRow& row : kept->rows) {
        songs.push_back(row.songNum);
    }
    EXPECT_EQ(songs, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(kept->cursor, 2);
    EXPECT_EQ(kept->playingRow, 0);
    EXPECT_TRUE(SettingsSaved());

    const QByteArray written = QueueFile();
    m_rig.queue.AppendToQueue(m_rig.Song(4));
    m_clock.Advance(QueueKeeper::kSettleMs + 1);
    m_keeper.Tick();
    EXPECT_TRUE(m_keeper.SaveQueue());
    EXPECT_EQ(QueueFile(), written) << "the file stays as the program left it";
}

INSTANTIATE_TEST_SUITE_P(WaysDown, QueueKeptAtTheEnd,
                         ::testing::Values(QueueEndCase{"MainWindowClosed", false},
                                           QueueEndCase{"StopSignal", true}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace sw
