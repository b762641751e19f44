#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/CoreSession.h"
#include "core/CreationOrder.h"
#include "core/InstanceLock.h"
#include "core/Paths.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

TEST(InstanceLock, CreatesTheExplanationAndRefusesASecondHolder) {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    const QString lock = dir.filePath("LOCK.TXT");

    EXPECT_FALSE(AcquireInstanceLock(lock, "Sonwick3"));
    QFile file(lock);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        file.readAll(),
        "This file LOCK.TXT is used to prevent multiple instances of program \"Sonwick3\" running on your "
        "PC.\r\nIf the file is absent it will be created automatically.");
    EXPECT_TRUE(dialogs.Transcript().isEmpty());

    // Another open of the same file stands for a second process.
    EXPECT_TRUE(AcquireInstanceLock(lock, "Sonwick3"));
    EXPECT_EQ(dialogs.TextsOf("INFO"), QStringList{"Program \"Sonwick3\" is already running"});

    EXPECT_TRUE(AcquireInstanceLock(dir.filePath("no/folder/LOCK.TXT"), "Sonwick3"));
}

TEST(InstanceLock, AnExistingFileIsReusedAsItIs) {
    QTemporaryDir dir;
    const QString lock = dir.filePath("LOCK.TXT");
    QFile file(lock);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("user's own text");
    file.close();
    EXPECT_FALSE(AcquireInstanceLock(lock, "Sonwick3"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "user's own text");
}

TEST(CreationOrder, RunsPresentStepsInOrderWithTheirTraces) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    SetStartupTrace(true);
    QStringList ran;
    CreationSteps steps;
    steps[StartupWindow::NowPlaying] = [&] { return ran << "queue", true; };
    steps[StartupWindow::Catalogue] = [&]() -> bool {
        throw std::runtime_error("I/O error for file SONGS.FDB");
    };
    steps[StartupWindow::Days] = [&] { return ran << "days", true; };
    steps[StartupWindow::MainWindow] = [&] { return ran << "main", true; };
    EXPECT_TRUE(RunCreationOrder(steps));
    SetStartupTrace(false);

    EXPECT_EQ(ran, (QStringList{"main", "days", "queue"}));
    // Days has no trace text; the failing catalogue step is reported and start-up goes on.
    EXPECT_EQ(dialogs.Transcript(),
              (QStringList{"INFO: create fctrl2", "INFO: create fcore", "ERROR: I/O error for file SONGS.FDB",
                           "INFO: create fbassint"}));
}

TEST(CreationOrder, ASecondInstanceEndsTheStartUpAtOnce) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    bool laterRan = false;
    CreationSteps steps;
    steps[StartupWindow::MainWindow] = [] { return false; };
    steps[StartupWindow::Catalogue] = [&] { return laterRan = true; };
    EXPECT_FALSE(RunCreationOrder(steps));
    EXPECT_FALSE(laterRan);
}

TEST(CreationOrder, CatalogueComesBeforeTheQueueAndAfterTheEditWindow) {
    auto position = [](StartupWindow window) {
        for (std::size_t i = 0; i < kCreationOrder.size(); ++i) {
            if (kCreationOrder[i].window == window) {
                return static_cast<int>(i) + 1;
            }
        }
        return -1;
    };
    EXPECT_EQ(position(StartupWindow::MainWindow), 1);
    EXPECT_EQ(position(StartupWindow::Catalogue), 17);
    EXPECT_EQ(position(StartupWindow::NowPlaying), 28);
    EXPECT_EQ(position(StartupWindow::InputText), 27);
}

TEST(ProgramFolder, OptionThenEnvironmentThenPortableThenXdg) {
    QTemporaryDir dir;
    const QString exe = dir.filePath("bin");
    QDir().mkpath(exe);
    ProgramFolderSources sources{"/opt/h", "/env/h", exe, "/xdg", "/home/ann"};
    EXPECT_EQ(ChooseProgramFolder(sources), "/opt/h/");
    sources.homeOption.clear();
    EXPECT_EQ(ChooseProgramFolder(sources), "/env/h/");
    sources.homeEnvironment.clear();
    EXPECT_EQ(ChooseProgramFolder(sources), "/xdg/sonwick3/");
    QDir().mkpath(exe + "/SW3DATA");
    EXPECT_EQ(ChooseProgramFolder(sources), exe + "/");
    sources.executableFolder.clear();
    sources.xdgDataHome.clear();
    EXPECT_EQ(ChooseProgramFolder(sources), "/home/ann/.local/share/sonwick3/");
}

TEST(ProgramPaths, FilesLieInTheDataFolderAndKeepTheirDiskSpelling) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("SW3DATA"));
    ProgramPaths paths = MakeProgramPaths(dir.path());
    EXPECT_EQ(paths.dataFolder, dir.path() + "/SW3DATA/");
    EXPECT_EQ(paths.settingsFile, dir.path() + "/SW3DATA/SONWICK3.INI");
    EXPECT_EQ(paths.catalogueFile, dir.path() + "/SW3DATA/SONGS.FDB");
    EXPECT_EQ(paths.lockFile, dir.path() + "/LOCK.TXT");

    QFile file(dir.filePath("SW3DATA/songs.fdb"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    paths = MakeProgramPaths(dir.path());
    EXPECT_EQ(paths.catalogueFile, dir.path() + "/SW3DATA/songs.fdb");
}

class Shutdown : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_dir.filePath("SW3DATA"));
        m_session.paths = MakeProgramPaths(m_dir.path());
    }

    QByteArray SettingsText() const {
        QFile file(m_session.paths.settingsFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    CoreSession m_session;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
};

TEST_F(Shutdown, RefusedWhilePlayingSavesNothing) {
    bool placementsSaved = false;
    ShutdownHooks hooks{[] { return true; }, [&] { placementsSaved = true; }};
    m_session.settingsRead = true;
    m_dialogs.QueueAnswer("No");
    EXPECT_FALSE(ShutdownSequence(m_session, hooks));
    EXPECT_FALSE(placementsSaved);
    EXPECT_TRUE(SettingsText().isEmpty());
    EXPECT_EQ(m_dialogs.TextsOf("ASK"),
              QStringList{"Do you really want to quit program Sonwick3 while a song is playing? -> No"});

    EXPECT_TRUE(ShutdownSequence(m_session, hooks));
    EXPECT_TRUE(placementsSaved);
    EXPECT_TRUE(SettingsText().contains("FADETIME"));
}

TEST_F(Shutdown, UnreadSettingsNeverReplaceAStoredFile) {
    QFile file(m_session.paths.settingsFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[main]\nFADETIME=3000\n");
    file.close();
    bool placementsSaved = false;
    EXPECT_TRUE(ShutdownSequence(m_session, {nullptr, [&] { placementsSaved = true; }}));
    EXPECT_FALSE(placementsSaved);
    EXPECT_EQ(SettingsText(), "[main]\nFADETIME=3000\n");
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
}

TEST_F(Shutdown, UnreadSettingsWriteTheDefaultsWhenThereIsNoFile) {
    m_session.settings.FADETIME = 0;
    EXPECT_TRUE(ShutdownSequence(m_session, {}));
    EXPECT_TRUE(SettingsText().contains("FADETIME = 1000"));
}

TEST_F(Shutdown, FlashIntervalChangedDuringTheRunIsSaved) {
    LoadSettings(m_session);
    EXPECT_EQ(m_dialogs.FlashInterval(), 800);
    m_dialogs.SetFlashInterval(1200);
    SaveSettings(m_session);
    EXPECT_TRUE(SettingsText().contains("Flashinterval = 1200"));
}

TEST_F(Shutdown, MissingRootFolderIsReportedAtStartUp) {
    QFile file(m_session.paths.settingsFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[main]\nRoot=/no/such/music/\n");
    file.close();
    LoadSettings(m_session);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"MP3 root folder \"/no/such/music/\" not found"});
    EXPECT_EQ(m_session.settings.Root, "/no/such/music/");
}

TEST_F(Shutdown, ARootReadWithoutItsSlashGetsOne) {
    QFile file(m_session.paths.settingsFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("[main]\nRoot=" + m_dir.path() + "\n").toUtf8());
    file.close();
    LoadSettings(m_session);
    EXPECT_EQ(m_session.settings.Root, m_dir.path() + "/");
    // Stored names stay relative to it.
    EXPECT_EQ(m_session.library.songs.RelativePathOf(m_dir.filePath("Rock/a.mp3")), "Rock/a.mp3");
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

}  // namespace
}  // namespace sw
