#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "foundation/Files.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(FolderSearch, ListsEveryEntryWithItsKind) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("a.mp3"), "x");
    WriteFile(dir.filePath(".hidden.ogg"), "x");
    QDir(dir.path()).mkdir("Sub");
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);

    ASSERT_TRUE(FindFirstEntry(dir.path(), "*.*", 0));
    std::map<QString, char> found;
    QString name;
    while (FindNextEntry(name)) {
        found[name] = EntryKind();
    }
    EXPECT_EQ(found, (std::map<QString, char>{
                         {".", ' '}, {"..", ' '}, {".hidden.ogg", 'F'}, {"Sub", 'D'}, {"a.mp3", 'F'}}));

    ASSERT_TRUE(FindFirstEntry(dir.path(), "*.mp3", 0));
    ASSERT_TRUE(FindNextEntry(name));
    EXPECT_EQ(name, "a.mp3");
    EXPECT_TRUE(dialogs.TextsOf("INFO").isEmpty());
    // The search above was left open.
    EXPECT_FALSE(FindFirstEntry(dir.path(), "*.wav", 0));
    EXPECT_EQ(dialogs.TextsOf("INFO"), QStringList{"Program error : FindFileClose omitted"});
    EXPECT_FALSE(FindNextEntry(name));

    ASSERT_TRUE(FindFirstEntry(dir.path(), "*", kAttrDirectory));
    QStringList folders;
    while (FindNextEntry(name)) {
        folders << name;
    }
    folders.sort();
    EXPECT_EQ(folders, (QStringList{".", "..", "Sub"}));
}

TEST(DeleteFileReporting, ReportsTheSystemError) {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    const QString missing = dir.filePath("gone.mp3");
    EXPECT_FALSE(DeleteFileReporting(missing));
    EXPECT_EQ(dialogs.TextsOf("INFO"),
              QStringList{"Delete " + missing + "\\nError 2 No such file or directory"});

    WriteFile(dir.filePath("here.mp3"), "abc");
    EXPECT_EQ(FileSizeBytes(dir.filePath("here.mp3")), 3);
    EXPECT_TRUE(DeleteFileReporting(dir.filePath("here.mp3")));
    EXPECT_EQ(FileSizeBytes(dir.filePath("here.mp3")), 0);
}

TEST(FileTimes, MissingFilesAndFoldersThrow) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("a.mp3"), "x");
    const TDateTime now = NowDateTime();
    EXPECT_NEAR(FileModifiedTime(dir.filePath("a.mp3")), now, 1.0 / 24);
    EXPECT_NEAR(FileCreatedTime(dir.filePath("a.mp3")), now, 1.0 / 24);
    EXPECT_THROW(FileModifiedTime(dir.filePath("none")), std::runtime_error);
    EXPECT_THROW(FileCreatedTime(dir.path()), std::runtime_error);
}

TEST(WriteFileAtomically, ReplacesWholeOrLeavesTheOriginal) {
    QTemporaryDir dir;
    const QString path = dir.filePath("SONWICK3.INI");
    WriteFile(path, "old");
    WriteFileAtomically(path, "new content");
    EXPECT_EQ(ReadFile(path), "new content");
    // A file of the user's named like a temporary copy neither blocks a save nor is touched by it.
    WriteFile(path + "~", "mine");
    WriteFileAtomically(path, "newer");
    EXPECT_EQ(ReadFile(path), "newer");
    EXPECT_EQ(ReadFile(path + "~"), "mine");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"SONWICK3.INI", "SONWICK3.INI~"}));

    // Renaming a file over a folder fails: the folder stays and no temporary file is left.
    QDir(dir.path()).mkdir("folder");
    EXPECT_THROW(WriteFileAtomically(dir.filePath("folder"), "x"), std::runtime_error);
    EXPECT_TRUE(QFileInfo(dir.filePath("folder")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"SONWICK3.INI", "SONWICK3.INI~"}));

    EXPECT_THROW(WriteFileAtomically(dir.filePath("no/such/folder/file"), "x"), std::runtime_error);
}

mode_t ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

TEST(WriteFileAtomically, ALinkStaysALinkAndItsTargetIsReplacedBesideIt) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("dotfiles");
    WriteFile(dir.filePath("dotfiles/sonwick3.ini"), "old");
    ASSERT_EQ(::symlink("dotfiles/sonwick3.ini", QFile::encodeName(dir.filePath("SONWICK3.INI")).constData()),
              0);
    WriteFileAtomically(dir.filePath("SONWICK3.INI"), "new");
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.filePath("SONWICK3.INI"))));
    EXPECT_EQ(ReadFile(dir.filePath("dotfiles/sonwick3.ini")), "new");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System), QStringList{"SONWICK3.INI"});
    EXPECT_EQ(QDir(dir.filePath("dotfiles")).entryList(QDir::Files), QStringList{"sonwick3.ini"});

    // A link whose file is missing gets the file at its target.
    ASSERT_EQ(::symlink(QFile::encodeName(dir.filePath("dotfiles/new.ini")).constData(),
                        QFile::encodeName(dir.filePath("NEW.INI")).constData()),
              0);
    WriteFileAtomically(dir.filePath("NEW.INI"), "made");
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.filePath("NEW.INI"))));
    EXPECT_EQ(ReadFile(dir.filePath("dotfiles/new.ini")), "made");
}

TEST(WriteFileAtomically, TheFileKeepsItsModeAndAReadOnlyFileIsRefused) {
    QTemporaryDir dir;
    const QString path = dir.filePath("SONWICK3.INI");
    for (const mode_t mode : {0600, 0640, 0664}) {
        WriteFile(path, "old");
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        WriteFileAtomically(path, "new");
        EXPECT_EQ(ModeOf(path) & 07777, mode);
        EXPECT_EQ(ReadFile(path), "new");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    try {
        WriteFileAtomically(path, "newer");
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(QString(error.what()), "The file " + path + " is read-only");
    }
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_EQ(ModeOf(path) & 07777, 0444u);
    EXPECT_FALSE(QFile::exists(path + "~"));
}

}  // namespace
}  // namespace sw
