#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "ProgramRunner.h"
#include "SettingsKeys.h"
#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"
#include "core/IniFile.h"
#include "core/InstanceLock.h"

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

TEST_F(Sonwick3Run, ANewCatalogueClimbsTheLadderOverTwoStarts) {
    {
        sw::Catalogue v1;
        v1.Open(Catalogue());
        v1.ExecSqlCommit("insert into album (albumid, alname) values (1, 'Before')");
        v1.CloseCatalogue();
    }
    const auto first = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"});
    EXPECT_EQ(first.exitCode, 0);
    // The sound output is announced when the now-playing window is made, after the catalogue;
    // the step to version 10 comes at the first showing of the main window.
    const QString output = "FLASH: Sound output device = Null output";
    QStringList expected;
    for (int n = 2; n <= 9; ++n) {
        expected << "INFO: Converting database to version " + QString::number(n);
    }
    expected << output << "INFO: Converting database to version 10";
    EXPECT_EQ(first.out.split('\n', Qt::SkipEmptyParts), expected);
    const auto second = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"});
    EXPECT_EQ(second.out.trimmed(), "INFO: Converting database to version 11\n" + output);
    const auto third = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"});
    EXPECT_EQ(third.out.trimmed(), output);
    sw::Catalogue catalogue;
    catalogue.Open(Catalogue());
    catalogue.ReadParams();
    EXPECT_EQ(catalogue.CatalogueVersion(), 11);
    EXPECT_EQ(catalogue.CatalogueName(), "Ann's songs");
    catalogue.ExecSqlCommit("insert into album (albumid, alname) values (2, 'After')");
    RowSet albums = catalogue.Select(
        "select alorgrp || ',' || grpid || ',' || ratingdrvd || ',' || ratingassd || ',' || "
        "ratingsumm || ',' || seq || ',' || grpseq as added from album order by albumid");
    EXPECT_EQ(albums.Text("ADDED"), "A,0,0,0,0,0,0");
    albums.Next();
    EXPECT_EQ(albums.Text("ADDED"), "A,0,20,0,20,0,0");
}

TEST_F(Sonwick3Run, AMissingDataFolderIsReportedAndNothingIsWritten) {
    QDir(m_home.filePath("SW3DATA")).removeRecursively();
    const auto run = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"});
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith("ERROR: ")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("SONGS.FDB")) << run.out.toStdString();
    EXPECT_FALSE(QFile::exists(m_home.filePath("SW3DATA")));
}

TEST_F(Sonwick3Run, WithoutACatalogueTheErrorIsShownAndTheProgramGoesOn) {
    QFile::remove(Catalogue());
    IniFile stored(Settings());
    stored.WriteInteger("main", "FADETIME", 3000);
    stored.Save();
    const QByteArray before = ReadAll(Settings());
    const auto run = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit"});
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(lines.front().startsWith("ERROR: ")) << run.out.toStdString();
    EXPECT_TRUE(lines.front().contains("SONGS.FDB")) << run.out.toStdString();
    EXPECT_EQ(lines.back(), "FLASH: Sound output device = Null output");
    // The settings were never read, so the stored file is left byte for byte as it was.
    EXPECT_EQ(ReadAll(Settings()), before);
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
    EXPECT_EQ(catalogue.CatalogueVersion(), 10);
}

TEST_F(Sonwick3Run, TraceShowsTheStartUpSteps) {
    const auto run = RunProgram("sonwick3", {"--home", Home(), "--unattended", "--quit", "--trace"});
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.front(), "INFO: create fctrl2");
    EXPECT_TRUE(lines.contains("INFO: create fcore"));
    EXPECT_TRUE(lines.contains("INFO: Converting database to version 9"));
    // The history repair belongs to the first showing of the main window, after "run".
    EXPECT_EQ(lines.mid(lines.size() - 3),
              (QStringList{"INFO: get_ini2", "INFO: run", "INFO: Converting database to version 10"}));
}

}  // namespace
}  // namespace sw
