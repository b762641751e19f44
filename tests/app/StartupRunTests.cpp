#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "ProgramRunner.h"
#include "SettingsKeys.h"
#include "TestCatalogue.h"
#include "Unsaveable.h"
#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"
#include "core/IniFile.h"
#include "core/InstanceLock.h"
#include "core/Settings.h"

namespace sw {
namespace {

using test::RunProgram;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Sonwick3Run : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home.filePath("SW3DATA"));
        CreateCatalogue(Catalogue(), "Ann's songs", test::CreationScript());
    }
    QString Catalogue() const { return m_home.filePath("SW3DATA/SONGS.FDB"); }
    QString Home() const { return m_home.path(); }
    QString Settings() const { return m_home.filePath("SW3DATA/SONWICK3.INI"); }
    /// A file of answers for --unattended=FILE.
    QString Answers(const QStringList& lines) {
        const QString path = m_home.filePath("answers.txt");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((lines.join('\n') + '\n').toUtf8());
        return path;
    }

    QTemporaryDir m_home;
};

TEST_F(Sonwick3Run, TwoRunsCreateTheLockAndWriteEverySetting) {
    const auto first = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"});
    ASSERT_TRUE(first.finished) << first.out.toStdString();
    EXPECT_EQ(first.exitCode, 0) << first.out.toStdString() << first.err.toStdString();
    EXPECT_EQ(ReadAll(m_home.filePath("LOCK.TXT")), LockFileText("Sonwick3").toUtf8());

    IniFile settings(Settings());
    for (const QString& key : test::kMainSettingKeys) {
        EXPECT_TRUE(settings.HasKey("main", key)) << key.toStdString();
    }
    EXPECT_TRUE(settings.HasKey("forms", "fctrl2-TOP"));

    // A user's change survives the next run, and the lock file is reused as it is.
    IniFile edited(Settings());
    edited.WriteInteger("main", "FADETIME", 2500);
    edited.Save();
    const auto second = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(IniFile(Settings()).ReadInteger("main", "FADETIME", 0), 2500);
    EXPECT_EQ(ReadAll(m_home.filePath("LOCK.TXT")), LockFileText("Sonwick3").toUtf8());
}

TEST_F(Sonwick3Run, ASecondCopyEndsAtOnceWithoutTouchingTheSettings) {
    QProcess first;
    ASSERT_TRUE(test::StartJukebox(first, Home()));

    QFile::remove(Settings());
    IniFile marker(Settings());
    marker.WriteInteger("main", "FADETIME", 4321);
    marker.Save();
    const QByteArray before = ReadAll(Settings());

    const auto second = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"}, 20000);
    EXPECT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.out.trimmed(), "INFO: Program \"Sonwick3\" is already running");
    EXPECT_EQ(ReadAll(Settings()), before);

    first.kill();
    first.waitForFinished();
}

TEST_F(Sonwick3Run, AVersionOneCatalogueClimbsTheWholeLadderAtItsFirstStart) {
    {
        sw::Catalogue v1;
        v1.Open(Catalogue());
        v1.ExecSqlCommit("insert into album (albumid, alname) values (1, 'Before')");
        v1.CloseCatalogue();
    }
    const auto first = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"});
    EXPECT_EQ(first.exitCode, 0);
    QStringList expected;
    // The steps after the history repair follow it at the first showing of the main window.
    for (int n = 2; n <= kCurrentCatalogueVersion; ++n) {
        expected << "INFO: Converting database to version " + QString::number(n);
    }
    EXPECT_EQ(first.out.split('\n', Qt::SkipEmptyParts), expected);
    const auto second = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"});
    EXPECT_EQ(second.out.trimmed(), "");
    sw::Catalogue catalogue;
    catalogue.Open(Catalogue());
    catalogue.ReadParams();
    EXPECT_EQ(catalogue.CatalogueVersion(), kCurrentCatalogueVersion);
    EXPECT_EQ(catalogue.CatalogueName(), "Ann's songs");
    catalogue.ExecSqlCommit("insert into album (albumid, alname) values (2, 'After')");
    RowSet albums = catalogue.Select(
        "select alorgrp || ',' || grpid || ',' || ratingdrvd || ',' || ratingassd || ',' || "
        "ratingsumm || ',' || seq || ',' || grpseq as added from album order by albumid");
    EXPECT_EQ(albums.Text("ADDED"), "A,0,0,0,0,0,0");
    albums.Next();
    EXPECT_EQ(albums.Text("ADDED"), "A,0,20,0,20,0,0");
}

TEST_F(Sonwick3Run, AMissingDataFolderIsOfferedACatalogueAndDeclinedNothingIsWritten) {
    QDir(m_home.filePath("SW3DATA")).removeRecursively();
    const auto run = RunProgram("sonwick3", {"--home", Home(), "--unattended=" + Answers({"No"}), "--quit"});
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out.trimmed(),
              "ASK: No catalogue in \"" + Home() + "/SW3DATA/\". Create an empty one? -> No");
    EXPECT_FALSE(QFile::exists(m_home.filePath("SW3DATA")));
}

TEST_F(Sonwick3Run, WithoutACatalogueDeclinedTheProgramGoesOnAndLeavesTheSettings) {
    QFile::remove(Catalogue());
    IniFile stored(Settings());
    stored.WriteInteger("main", "FADETIME", 3000);
    stored.Save();
    const QByteArray before = ReadAll(Settings());
    const auto run = RunProgram("sonwick3", {"--home", Home(), "--unattended=" + Answers({"No"}), "--quit"});
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines,
              QStringList{"ASK: No catalogue in \"" + Home() + "/SW3DATA/\". Create an empty one? -> No"});
    EXPECT_FALSE(QFile::exists(Catalogue()));
    // The settings were never read, so the stored file is left byte for byte as it was.
    EXPECT_EQ(ReadAll(Settings()), before);
}

TEST_F(Sonwick3Run, ANewProgramFolderGetsWhatTheCatalogueScriptMakesAtTheCurrentVersion) {
    QTemporaryDir fresh;
    const auto run = RunProgram("sonwick3", {"--home", fresh.path(), "--unattended", "--quit"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // One question, and no conversion message at all.
    EXPECT_EQ(run.out.trimmed(),
              "ASK: No catalogue in \"" + fresh.path() + "/SW3DATA/\". Create an empty one? -> Yes");
    EXPECT_EQ(ReadAll(fresh.filePath("SW3DATA/GENRES.INI")),
              ReadAll(QString(SW_SOURCE_DIR) + "/data/GENRES.INI"));

    QTemporaryDir scripted;
    QProcess script;
    script.start(QString(SW_SOURCE_DIR) + "/scripts/new-catalogue", {scripted.filePath("SW3DATA")});
    ASSERT_TRUE(script.waitForFinished(60000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    EXPECT_EQ(ReadAll(scripted.filePath("SW3DATA/GENRES.INI")),
              ReadAll(fresh.filePath("SW3DATA/GENRES.INI")));

    auto contents = [](const QString& file) {
        sw::Catalogue catalogue;
        catalogue.Open(file);
        catalogue.ReadParams();
        EXPECT_EQ(catalogue.CatalogueVersion(), kCurrentCatalogueVersion);
        EXPECT_EQ(catalogue.CatalogueName(), "My songs");
        // The first start adds the indexes of the ladder's tables; compare like with like.
        catalogue.OpenTableCursors();
        QStringList all = test::CatalogueLayout(catalogue);
        const RowSet genres =
            catalogue.Select("select genreid || '=' || gname as g from genre order by genreid");
        for (int row = 0; row < genres.RowCount(); ++row) {
            all << genres.Value(row, 0).toString();
        }
        return all;
    };
    const QStringList made = contents(fresh.filePath("SW3DATA/SONGS.FDB"));
    EXPECT_EQ(made, contents(scripted.filePath("SW3DATA/SONGS.FDB")));
    EXPECT_TRUE(made.contains("78=Rock & Roll"));

    // Both folders read today's tags from the start.
    for (const QTemporaryDir* folder : {&fresh, &scripted}) {
        sw::Settings settings;
        sw::TransferSettingsFile('G', settings, folder->filePath("SW3DATA/SONWICK3.INI"));
        EXPECT_TRUE(settings.UNICODETAGS) << folder->path().toStdString();
        EXPECT_TRUE(settings.FLACOPUS) << folder->path().toStdString();
    }
}

TEST_F(Sonwick3Run, AMistypedHomeFolderIsReportedAndNotCreated) {
    const QString typo = m_home.filePath("Muisc");
    const auto run = RunProgram("sonwick3", {"--home", typo, "--unattended", "--quit"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.trimmed(), "ERROR: Program folder \"" + typo + "/\" not found");
    EXPECT_FALSE(QFile::exists(typo));
}

TEST_F(Sonwick3Run, AnUnreadableSettingsFileCostsOneMessageAndNotTheCatalogue) {
    QDir().mkpath(Settings());
    const auto run = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.front().startsWith("INFO: Cannot read " + Settings() + ": ")) << run.out.toStdString();
    // The version ladder and the history repair still ran; nothing else was reported.
    EXPECT_EQ(lines.mid(1).filter("Converting database").size(), kCurrentCatalogueVersion - 1)
        << run.out.toStdString();
    EXPECT_EQ(lines.size(), kCurrentCatalogueVersion) << run.out.toStdString();
    EXPECT_TRUE(QFileInfo(Settings()).isDir());
    sw::Catalogue catalogue;
    catalogue.Open(Catalogue());
    catalogue.ReadParams();
    EXPECT_EQ(catalogue.CatalogueVersion(), kCurrentCatalogueVersion);
}

TEST_F(Sonwick3Run, TheEngineLocksBesideTheCatalogueWhateverTheEnvironmentSays) {
    // Another lock folder in the environment (the engine's shared default, say) is not used.
    QTemporaryDir elsewhere;
    const QStringList environment{"FIREBIRD_LOCK=" + elsewhere.path()};
    const auto run = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"}, 60000, environment);
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    const QString lockFolder = m_home.filePath("SW3DATA/firebird-lock");
    EXPECT_TRUE(QFile::exists(lockFolder + "/fb_init"));
    EXPECT_EQ(QFileInfo(lockFolder).permissions() & (QFile::ReadOther | QFile::WriteOther),
              QFile::Permissions());
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());

    // A folder that nobody could use there changes nothing either.
    QFile blocker(elsewhere.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const auto again = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"}, 60000,
                                  {"FIREBIRD_LOCK=" + blocker.fileName()});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out.trimmed(), "") << again.out.toStdString();
}

TEST_F(Sonwick3Run, AskedToStopBySignalItSavesAndEnds) {
    QProcess jukebox;
    ASSERT_TRUE(test::StartJukebox(jukebox, Home()));
    // Let the start-up reach the first showing of the main window.
    QThread::msleep(1500);
    jukebox.terminate();
    ASSERT_TRUE(jukebox.waitForFinished(10000));
    EXPECT_EQ(jukebox.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(jukebox.exitCode(), 0);
    EXPECT_TRUE(IniFile(Settings()).HasKey("main", "DBSIZE"));
    sw::Catalogue catalogue;
    catalogue.Open(Catalogue());
    catalogue.ReadParams();
    EXPECT_EQ(catalogue.CatalogueVersion(), kCurrentCatalogueVersion);
}

TEST_F(Sonwick3Run, AFailedSaveOnASignalIsReportedAndTheProgramStillEnds) {
    QProcess jukebox;
    ASSERT_TRUE(test::StartJukebox(jukebox, Home()));
    QThread::msleep(1500);
    // The save cannot be made: the file now leads where no temporary copy can be created.
    ASSERT_TRUE(test::MakeUnsaveable(Settings()));
    jukebox.terminate();
    ASSERT_TRUE(jukebox.waitForFinished(10000));
    EXPECT_EQ(jukebox.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(jukebox.exitCode(), 1);
    const QString err = QString::fromUtf8(jukebox.readAllStandardError());
    EXPECT_TRUE(
        err.contains(QString("INFO: The settings were not saved: Cannot create a temporary file beside ") +
                     test::kUnsaveableTarget + ": "))
        << err.toStdString();
    EXPECT_FALSE(test::LockIsHeld(m_home.filePath("LOCK.TXT")));
}

TEST_F(Sonwick3Run, ASecondSignalEndsAShutdownThatIsStuck) {
    QProcess jukebox;
    ASSERT_TRUE(test::StartJukebox(jukebox, Home()));
    QThread::msleep(1500);
    // A pipe in place of the settings file: the save waits for a writer that never comes.
    QFile::remove(Settings());
    ASSERT_EQ(::mkfifo(QFile::encodeName(Settings()).constData(), 0600), 0);
    jukebox.terminate();
    EXPECT_FALSE(jukebox.waitForFinished(1000));
    jukebox.terminate();
    ASSERT_TRUE(jukebox.waitForFinished(10000));
    EXPECT_EQ(jukebox.exitCode(), 128 + SIGTERM);
    EXPECT_TRUE(jukebox.readAllStandardError().contains("Stopped at once by a second signal"));
    EXPECT_FALSE(test::LockIsHeld(m_home.filePath("LOCK.TXT")));
    if (jukebox.state() != QProcess::NotRunning) {
        jukebox.kill();
        jukebox.waitForFinished();
    }
}

TEST_F(Sonwick3Run, TraceShowsTheStartUpSteps) {
    const auto run = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit", "--trace"});
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.front(), "INFO: create fctrl2");
    EXPECT_TRUE(lines.contains("INFO: create fcore"));
    EXPECT_TRUE(lines.contains("INFO: Converting database to version 9"));
    // The history repair belongs to the first showing of the main window, after "run".
    EXPECT_EQ(lines.mid(lines.size() - 6),
              (QStringList{"INFO: get_ini2", "INFO: run", "INFO: Converting database to version 10",
                           "INFO: Converting database to version 11",
                           "INFO: Converting database to version 12",
                           "INFO: Converting database to version 13"}));
}

}  // namespace
}  // namespace sw
