#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "Unsaveable.h"
#include "core/CoreSession.h"
#include "core/CreationOrder.h"
#include "core/IniFile.h"
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

    // Held and unavailable are told apart for swtool's own message.
    QString reason;
    EXPECT_EQ(TakeInstanceLock(lock, "Sonwick3", &reason), InstanceLockResult::Held);
    EXPECT_EQ(TakeInstanceLock(dir.filePath("no/folder/LOCK.TXT"), "Sonwick3", &reason),
              InstanceLockResult::Unavailable);
    EXPECT_EQ(reason, "No such file or directory");
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

TEST(ProgramFolder, AMissingHomeFolderIsReportedAndNotCreated) {
    QTemporaryDir dir;
    const ProgramFolderSources sources{dir.filePath("Muisc"), "", "", "", ""};
    try {
        SetProgramFolder(sources);
        ADD_FAILURE() << "a missing --home folder was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(QString(error.what()), "Program folder \"" + dir.filePath("Muisc") + "/\" not found");
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Muisc")));
}

TEST(ProgramPaths, FilesLieInTheDataFolderAndKeepTheirDiskSpelling) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("SW3DATA"));
    ProgramPaths paths = MakeProgramPaths(dir.path());
    EXPECT_EQ(paths.dataFolder, dir.path() + "/SW3DATA/");
    EXPECT_EQ(paths.settingsFile, dir.path() + "/SW3DATA/SONWICK3.INI");
    EXPECT_EQ(paths.catalogueFile, dir.path() + "/SW3DATA/SONGS.FDB");
    EXPECT_EQ(paths.lockFile, dir.path() + "/LOCK.TXT");
    EXPECT_EQ(paths.engineLockFolder, dir.path() + "/SW3DATA/firebird-lock/");

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
    ShutdownHooks hooks{[&](IniFile&) { placementsSaved = true; }};
    m_session.songPlaying = [] { return true; };
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
    EXPECT_TRUE(ShutdownSequence(m_session, {[&](IniFile&) { placementsSaved = true; }}));
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

TEST_F(Shutdown, ReadingNeverWritesNotEvenToDropTheOldKey) {
    const QByteArray stored =
        "[main]\r\nLastLoadedTS=45000.5\r\nLastLoadedTS-date=20240101\r\nFADETIME=1500\r\n";
    QFile file(m_session.paths.settingsFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(stored);
    file.close();

    LoadSettings(m_session);
    EXPECT_TRUE(m_session.settingsRead);
    EXPECT_EQ(m_session.settings.FADETIME, 1500);
    EXPECT_EQ(DateTimeToNumbers(m_session.settings.LastLoadedTS).date, 20240101);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty()) << m_dialogs.Transcript().join('\n').toStdString();
    EXPECT_EQ(SettingsText(), stored);
}

TEST_F(Shutdown, AnUnreadableSettingsFileIsOneMessageTheDefaultsAndLeftAlone) {
    // A folder where the file should be cannot be read by anyone, root included.
    QDir().mkpath(m_session.paths.settingsFile);
    m_session.settings.FADETIME = 0;
    LoadSettings(m_session);
    ASSERT_EQ(m_dialogs.TextsOf("INFO").size(), 1) << m_dialogs.Transcript().join('\n').toStdString();
    const QString message = m_dialogs.TextsOf("INFO").front();
    EXPECT_TRUE(message.startsWith("Cannot read " + m_session.paths.settingsFile + ": "))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith("The default settings are used; the file is left as it is."));
    EXPECT_FALSE(m_session.settingsRead);
    EXPECT_EQ(m_session.settings.FADETIME, 1000);
    EXPECT_EQ(m_session.settings.Flashinterval, 800);
    EXPECT_TRUE(m_session.settings.OGGTAG);

    bool placementsWritten = false;
    EXPECT_TRUE(ShutdownSequence(m_session, {[&](IniFile&) { placementsWritten = true; }}));
    EXPECT_FALSE(placementsWritten);
    EXPECT_EQ(m_dialogs.Transcript().size(), 1);
    EXPECT_TRUE(QFileInfo(m_session.paths.settingsFile).isDir());
}

TEST_F(Shutdown, AFailedSaveIsOneMessageAndTheProgramEndsAllTheSame) {
    LoadSettings(m_session);
    // The file now leads where no temporary copy can be created.
    const QString unwritable = test::kUnsaveableTarget;
    ASSERT_TRUE(test::MakeUnsaveable(m_session.paths.settingsFile));
    bool placementsWritten = false;
    const ShutdownHooks hooks{[&](IniFile& file) {
        placementsWritten = true;
        file.WriteInteger("forms", "fctrl2-TOP", 5);
    }};
    EXPECT_FALSE(EndSession(m_session, hooks));
    EXPECT_TRUE(placementsWritten);
    ASSERT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").front().startsWith(
        "The settings were not saved: Cannot create a temporary file beside " + unwritable + ": "))
        << m_dialogs.TextsOf("INFO").front().toStdString();
    // The close request itself still closes.
    m_dialogs.ClearTranscript();
    EXPECT_TRUE(ShutdownSequence(m_session, hooks));
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
}

TEST_F(Shutdown, AReadOnlySettingsFileIsLeftAloneWithOneMessage) {
    const QByteArray stored = "[main]\nFADETIME=3000\n";
    QFile file(m_session.paths.settingsFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(stored);
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    LoadSettings(m_session);
    EXPECT_EQ(m_session.settings.FADETIME, 3000);
    EXPECT_TRUE(ShutdownSequence(m_session, {}));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"The settings were not saved: The file " +
                                                     m_session.paths.settingsFile + " is read-only"});
    EXPECT_EQ(SettingsText(), stored);
    // The mode bits only: the "user" flags tell what this process may do, and root may write.
    const QFile::Permissions userFlags = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    EXPECT_EQ(QFileInfo(m_session.paths.settingsFile).permissions() & ~userFlags,
              QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
}

}  // namespace
}  // namespace sw
