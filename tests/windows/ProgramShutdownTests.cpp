#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include "Unsaveable.h"
#include "core/CoreSession.h"
#include "core/IniFile.h"
#include "foundation/ScriptedDialogs.h"
#include "windows/MainWindow.h"
#include "windows/Placements.h"
#include "windows/ProgramShutdown.h"

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

}  // namespace
}  // namespace sw
