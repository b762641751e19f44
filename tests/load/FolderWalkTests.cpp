#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "LoadTestSupport.h"
#include "load/FolderWalk.h"
#include "load/LoadableFile.h"

namespace sw {
namespace {

using test::MakeTree;
using test::Relative;

/// Every entry of a walk as a short name: folders end with "/", files are relative paths.
QStringList Walk(const QString& root, bool withSubfolders, QStringList* folders = nullptr) {
    FolderWalk walk;
    EXPECT_TRUE(walk.StartFolderWalk(root, withSubfolders));
    QStringList entries;
    QString folder;
    QString file;
    int guard = 0;
    while (walk.NextWalkEntry(folder, file) && ++guard < 10000) {
        if (file.isEmpty()) {
            entries << folder;
        } else {
            entries << file;
            if (folders) {
                *folders << folder;
            }
        }
    }
    return Relative(root, entries);
}

struct WalkCase {
    const char* name;
    QStringList tree;
    bool withSubfolders;
    QStringList expected;  // the starting folder's own entry left out
};

void PrintTo(const WalkCase& c, std::ostream* out) {
    *out << c.name;
}

class FolderWalkOrder : public ::testing::TestWithParam<WalkCase> {};

TEST_P(FolderWalkOrder, ComesOutInCaseInsensitivePathOrder) {
    const WalkCase& c = GetParam();
    QTemporaryDir dir;
    MakeTree(dir.path(), c.tree);
    QStringList entries = Walk(dir.path(), c.withSubfolders);
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_EQ(entries.takeFirst(), "./");
    EXPECT_EQ(entries, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, FolderWalkOrder,
    ::testing::Values(
        WalkCase{"SubfolderAtItsPlace",
                 {"a.mp3", "Beta/b1.mp3", "c.mp3"},
                 true,
                 {"a.mp3", "Beta/", "Beta/b1.mp3", "c.mp3"}},
        WalkCase{"SubfoldersIgnored", {"a.mp3", "Beta/b1.mp3", "c.mp3"}, false, {"a.mp3", "c.mp3"}},
        WalkCase{"MixedCaseKeepsSpelling",
                 {"delta.OGG", "Charlie.mp3", "bravo.Mp3", "ALPHA.WAV"},
                 false,
                 {"ALPHA.WAV", "bravo.Mp3", "Charlie.mp3", "delta.OGG"}},
        WalkCase{"NamesDifferingInCaseOnly",
                 {"song.mp3", "Song.mp3", "SONG.mp3"},
                 false,
                 {"SONG.mp3", "Song.mp3", "song.mp3"}},
        WalkCase{"HiddenEntriesIncluded",
                 {".hidden.mp3", ".Secret/s.ogg", "z.mp3"},
                 true,
                 {".hidden.mp3", ".Secret/", ".Secret/s.ogg", "z.mp3"}},
        WalkCase{"DepthFirstInterleaved",
                 {"b/z.mp3", "b/A/x.mp3", "a.mp3", "B.txt", "c/", "b/a.mp3", "b0.mp3"},
                 true,
                 {"a.mp3", "B.txt", "b/", "b/a.mp3", "b/A/", "b/A/x.mp3", "b/z.mp3", "b0.mp3", "c/"}},
        WalkCase{"FileSortsBeforeFolderOfSameStem",
                 {"beta/b1.mp3", "beta.mp3", "beta-x.mp3"},
                 true,
                 {"beta-x.mp3", "beta.mp3", "beta/", "beta/b1.mp3"}},
        WalkCase{"OddNames",
                 {"-leading.mp3", "it's.mp3", "say \"hi\".mp3", "with space/ü ñ.mp3", "Ωmega.mp3", "日本.ogg",
                  "semi;colon*star?.mp3"},
                 true,
                 {"-leading.mp3", "it's.mp3", "say \"hi\".mp3", "semi;colon*star?.mp3", "with space/",
                  "with space/ü ñ.mp3", "Ωmega.mp3", "日本.ogg"}},
        WalkCase{"EmptyFolder", {}, true, {}}),
    [](const ::testing::TestParamInfo<WalkCase>& param) { return std::string(param.param.name); });

TEST(FolderWalk, FileEntriesNameTheirOwnFolder) {
    QTemporaryDir dir;
    MakeTree(dir.path(), {"a.mp3", "Beta/b1.mp3", "Beta/Gamma/g.mp3", "c.mp3"});
    QStringList folders;
    Walk(dir.path(), true, &folders);
    EXPECT_EQ(Relative(dir.path(), folders), (QStringList{"./", "Beta/", "Beta/Gamma/", "./"}));
}

TEST(FolderWalk, OnlyAnExistingFolderStartsAndAStartForgetsTheLastWalk) {
    QTemporaryDir dir;
    MakeTree(dir.path(), {"a.mp3", "Other/b.mp3"});
    FolderWalk walk;
    EXPECT_FALSE(walk.StartFolderWalk(dir.path() + "/gone", false));
    EXPECT_FALSE(walk.StartFolderWalk(dir.path() + "/a.mp3", false));
    EXPECT_FALSE(walk.StartFolderWalk("", false));
    QString folder;
    QString file;
    EXPECT_FALSE(walk.NextWalkEntry(folder, file));

    ASSERT_TRUE(walk.StartFolderWalk(dir.path(), false));
    ASSERT_TRUE(walk.NextWalkEntry(folder, file));  // expands the folder: a.mp3 is pending
    ASSERT_TRUE(walk.StartFolderWalk(dir.path() + "/Other/", false));
    QStringList entries;
    while (walk.NextWalkEntry(folder, file)) {
        entries << (file.isEmpty() ? folder : file);
    }
    EXPECT_EQ(Relative(dir.path(), entries), (QStringList{"Other/", "Other/b.mp3"}));
}

TEST(FolderWalk, SymbolicLinkLoopsEnd) {
    QTemporaryDir dir;
    MakeTree(dir.path(), {"music/a.mp3", "music/deep/b.mp3"});
    ASSERT_TRUE(QFile::link(dir.path() + "/music", dir.path() + "/music/deep/loop"));
    ASSERT_TRUE(QFile::link(dir.path() + "/music/deep", dir.path() + "/music/again"));
    const QStringList entries = Walk(dir.path() + "/music", true);
    // Each real folder is walked once, under the first name the walk meets it by.
    EXPECT_EQ(Relative(dir.path() + "/music", entries),
              (QStringList{"./", "a.mp3", "again/", "again/b.mp3"}));
}

TEST(FolderWalk, DanglingLinkIsAFileEntry) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link(dir.path() + "/nowhere.mp3", dir.path() + "/broken.mp3"));
    EXPECT_EQ(Walk(dir.path(), true), (QStringList{"./", "broken.mp3"}));
}

TEST(FolderWalk, RelativeStartBecomesAbsolute) {
    QTemporaryDir dir;
    MakeTree(dir.path(), {"sub/a.mp3"});
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    FolderWalk walk;
    ASSERT_TRUE(walk.StartFolderWalk("sub/../sub", false));
    QString folder;
    QString file;
    ASSERT_TRUE(walk.NextWalkEntry(folder, file));
    QDir::setCurrent(before);
    EXPECT_EQ(folder, dir.path() + "/sub/");
}

TEST(FolderWalk, UnreadableSubfolderIsNamedAndSkipped) {
    QTemporaryDir dir;
    const QString root = dir.path();
    MakeTree(root, {"a.mp3", "Locked/hidden.mp3", "z.mp3"});
    test::LockFolder(root, root + "/Locked");
    // Bit 0: the unreadable folder was named; bit 1: the files around it were still walked.
    const int result = test::RunAsNobody([&root] {
        FolderWalk walk;
        if (!walk.StartFolderWalk(root, true)) {
            return 101;
        }
        QStringList files;
        QString folder;
        QString file;
        while (walk.NextWalkEntry(folder, file)) {
            if (!file.isEmpty()) {
                files << file.mid(root.size() + 1);
            }
        }
        return (walk.UnreadableFolders() == QStringList{root + "/Locked/"} ? 1 : 0) |
               (files == QStringList{"a.mp3", "z.mp3"} ? 2 : 0);
    });
    test::UnlockFolder(root + "/Locked");
    EXPECT_EQ(result, 3);
}

TEST(FolderWalkNames, NamesThatAreNotUtf8AreSetAsideEscaped) {
    QTemporaryDir dir;
    const QString root = dir.path();
    MakeTree(root, {"ok.mp3", "Sub/in.mp3"});
    ASSERT_TRUE(test::MakeRawEntry(root, "caf\xE9.mp3"));
    ASSERT_TRUE(test::MakeRawEntry(root, "bad\xFF/"));
    ASSERT_TRUE(test::MakeRawEntry(root, "bad\xFF/inside.mp3"));
    FolderWalk walk;
    ASSERT_TRUE(walk.StartFolderWalk(root, true));
    QStringList entries;
    QString folder;
    QString file;
    while (walk.NextWalkEntry(folder, file)) {
        entries << (file.isEmpty() ? folder : file);
    }
    EXPECT_EQ(Relative(root, entries), (QStringList{"./", "ok.mp3", "Sub/", "Sub/in.mp3"}));
    EXPECT_EQ(walk.BadlyNamedFiles(), QStringList{root + "/caf\\xE9.mp3"});
    EXPECT_EQ(walk.UnreadableFolders(), QStringList{root + "/bad\\xFF/"});

    // Without subfolders a badly named folder is not looked at.
    ASSERT_TRUE(walk.StartFolderWalk(root, false));
    while (walk.NextWalkEntry(folder, file)) {
    }
    EXPECT_EQ(walk.BadlyNamedFiles().size(), 1);
    EXPECT_TRUE(walk.UnreadableFolders().isEmpty());
    for (const char* name : {"caf\xE9.mp3", "bad\xFF/inside.mp3", "bad\xFF/"}) {
        test::RemoveRawEntry(root, name);
    }
}

TEST(EscapedFileName, KeepsValidUtf8AndWritesEveryStrayByteInHex) {
    const struct {
        QByteArray raw;
        QString text;
        bool valid;
    } cases[] = {
        {"plain.mp3", "plain.mp3", true},
        {"\xC3\x85gren \xF0\x9F\x8E\xB8.mp3", QString::fromUtf8("Ågren 🎸.mp3"), true},
        {"caf\xE9.mp3", "caf\\xE9.mp3", false},               // Latin-1
        {"\xC0\xAF", "\\xC0\\xAF", false},                    // overlong "/"
        {"\xED\xA0\x80", "\\xED\\xA0\\x80", false},           // a lone surrogate
        {"end\xE2\x82", "end\\xE2\\x82", false},              // cut short
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80", false},  // beyond U+10FFFF
        {"\x80x", "\\x80x", false},
    };
    for (const auto& c : cases) {
        bool valid = !c.valid;
        EXPECT_EQ(EscapedFileName(c.raw, &valid), c.text) << c.raw.toHex().toStdString();
        EXPECT_EQ(valid, c.valid) << c.raw.toHex().toStdString();
    }
}

struct LoadableCase {
    const char* path;
    bool loadable;
};

void PrintTo(const LoadableCase& c, std::ostream* out) {
    *out << c.path;
}

class LoadableFileType : public ::testing::TestWithParam<LoadableCase> {};

TEST_P(LoadableFileType, GoesByTheUpperCasedExtension) {
    EXPECT_EQ(IsLoadableFile(GetParam().path), GetParam().loadable) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Names, LoadableFileType,
                         ::testing::Values(LoadableCase{"/m/a.mp3", true}, LoadableCase{"/m/a.MP3", true},
                                           LoadableCase{"/m/a.Ogg", true}, LoadableCase{"/m/a.wav", true},
                                           LoadableCase{"/m/a.m4a", true}, LoadableCase{"/m/a.WMA", true},
                                           LoadableCase{"/m/a.flac", false}, LoadableCase{"/m/a.mp3~", false},
                                           LoadableCase{"/m/a.mp3.txt", false}, LoadableCase{"/m/mp3", false},
                                           LoadableCase{"/m.mp3/cover", false}, LoadableCase{"/m/.mp3", true},
                                           LoadableCase{"", false}));

}  // namespace
}  // namespace sw
