#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "ProgramRunner.h"
#include "TestCatalogue.h"
#include "core/CatalogueCreation.h"
#include "core/IniFile.h"

namespace sw {
namespace {

using test::RunProgram;

/// The windows whose placements the settings file keeps.
constexpr const char* kManagedWindows[] = {"fctrl2", "FAlbums",  "FAlDets",  "fartists", "FGenres", "FPlists",
                                           "FSongs", "FBassint", "Fnotepad", "Fdays",    "fdbchk"};

TEST(MainWindowRun, OneRunWritesTheFourPlacementKeysOfEveryManagedWindow) {
    QTemporaryDir home;
    QDir().mkpath(home.filePath("SW3DATA"));
    CreateCatalogue(home.filePath("SW3DATA/SONGS.FDB"), "Placements", test::CreationScript());
    const QString settings = home.filePath("SW3DATA/SONWICK3.INI");
    ASSERT_FALSE(QFile::exists(settings));

    const auto run = RunProgram("sonwick3", {"--home", home.path(), "--unattended", "--quit"});
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    const IniFile file(settings);
    for (const char* window : kManagedWindows) {
        for (const char* suffix : {"-TOP", "-LEFT", "-HEIGHT", "-WIDTH"}) {
            const QString key = QString(window) + suffix;
            EXPECT_GE(file.ReadInteger("forms", key, -1), 0) << key.toStdString();
        }
    }
}

/// Every path below `folder`, relative to it, with "/" after folders.
QStringList Listing(const QString& folder) {
    QStringList paths;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        paths << QDir(folder).relativeFilePath(it.filePath()) + (it.fileInfo().isDir() ? "/" : "");
    }
    paths.sort();
    return paths;
}

TEST(InstallRun, TheInstalledCopyRunsAndUninstallLeavesThePrefixAsItWas) {
    QTemporaryDir prefix;
    QTemporaryDir user;
    // Something of the user's own in folders the install shares.
    ASSERT_TRUE(QDir().mkpath(prefix.filePath("share/applications")));
    QFile own(prefix.filePath("share/applications/other.desktop"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.close();
    const QStringList before = Listing(prefix.path());

    const QString script = QString(SW_SOURCE_DIR) + "/scripts/install";
    const QStringList buildFolder{"SW_BUILD_DIR=" + QString(SW_BIN_DIR) + "/.."};
    const auto install = RunProgram(script, {"--no-build", "--prefix", prefix.path()}, 120000, buildFolder);
    ASSERT_TRUE(install.finished);
    ASSERT_EQ(install.exitCode, 0) << install.out.toStdString() << install.err.toStdString();
    for (const char* installed :
         {"bin/sonwick3", "bin/swconv", "bin/swtool", "share/sonwick3/sql/create-catalogue.sql",
          "share/sonwick3/data/GENRES.INI", "share/applications/sonwick3.desktop",
          "share/icons/hicolor/scalable/apps/sonwick3.svg"}) {
        EXPECT_TRUE(QFile::exists(prefix.filePath(installed))) << installed;
    }

    // The installed copy finds its own files: it creates a catalogue for a new user and runs.
    const auto run = RunProgram(prefix.filePath("bin/sonwick3"), {"--unattended", "--quit"}, 60000,
                                {"XDG_DATA_HOME=" + user.path(), "HOME=" + user.path()});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("ERROR")) << run.out.toStdString();
    EXPECT_TRUE(QFile::exists(user.filePath("sonwick3/SW3DATA/SONGS.FDB"))) << run.out.toStdString();

    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validator.isEmpty()) {
        const auto valid = RunProgram(validator, {prefix.filePath("share/applications/sonwick3.desktop")});
        EXPECT_EQ(valid.exitCode, 0) << valid.out.toStdString() << valid.err.toStdString();
    }

    const auto uninstall = RunProgram(script, {"--prefix", prefix.path(), "--uninstall"}, 60000, buildFolder);
    ASSERT_EQ(uninstall.exitCode, 0) << uninstall.out.toStdString() << uninstall.err.toStdString();
    EXPECT_EQ(Listing(prefix.path()), before);
    // Nothing is left to uninstall.
    EXPECT_EQ(RunProgram(script, {"--prefix", prefix.path(), "--uninstall"}).exitCode, 1);
}

}  // namespace
}  // namespace sw
