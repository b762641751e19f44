#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include "LoadTestSupport.h"
#include "foundation/ScriptedDialogs.h"
#include "load/FolderBrowser.h"
#include "load/Places.h"

namespace sw {
namespace {

using test::MakeTree;

/// The names of the lines of the list, chain lines marked with "+".
QStringList Lines(const FolderBrowser& browser) {
    QStringList lines;
    for (const FolderItem& item : browser.Items()) {
        lines << (item.inChain ? "+" : "") + item.name;
    }
    return lines;
}

class FolderBrowserTest : public ::testing::Test {
protected:
    FolderBrowserTest() {
        // Folders sit two levels below the temporary folder so the chain has room to move.
        MakeTree(m_dir.path(), {"music/Rock/Live/a.mp3", "music/rock 2/", "music/.cache/", "music/b.txt",
                                "music/A.mp3", "music/Jazz/"});
        m_music = m_dir.path() + "/music/";
    }
    int Depth(const QString& path) const { return static_cast<int>(path.count('/')) - 1; }

    QTemporaryDir m_dir;
    QString m_music;
    FolderBrowser m_browser;
};

TEST_F(FolderBrowserTest, ShowsTheChainThenTheSubfolders) {
    ASSERT_TRUE(m_browser.OpenFolder(m_dir.path() + "/music"));
    EXPECT_EQ(m_browser.CurrentFolder(), m_music);
    const int chain = Depth(m_music) + 1;
    ASSERT_EQ(m_browser.CurrentIndex(), chain - 1);
    EXPECT_EQ(m_browser.Selected(), m_browser.CurrentIndex());
    const QStringList lines = Lines(m_browser);
    EXPECT_EQ(lines.first(), "+/");
    EXPECT_EQ(lines.mid(chain - 1), (QStringList{"+music", ".cache", "Jazz", "Rock", "rock 2"}));
    EXPECT_EQ(m_browser.Items()[chain].path, m_music + ".cache/");
    EXPECT_EQ(m_browser.Items()[chain].depth, chain);
    EXPECT_EQ(m_browser.Files(), (QStringList{"A.mp3", "b.txt"}));
    EXPECT_TRUE(m_browser.CurrentReadable());
}

TEST_F(FolderBrowserTest, OpeningSomethingElseChangesNothing) {
    ASSERT_TRUE(m_browser.OpenFolder(m_music));
    EXPECT_FALSE(m_browser.OpenFolder(m_music + "gone"));
    EXPECT_FALSE(m_browser.OpenFolder(m_music + "A.mp3"));
    EXPECT_FALSE(m_browser.OpenFolder(""));
    EXPECT_EQ(m_browser.CurrentFolder(), m_music);
}

TEST_F(FolderBrowserTest, ParentStepsFollowTheSelection) {
    ASSERT_TRUE(m_browser.OpenFolder(m_music + "Rock/Live"));
    // Current folder selected: up one, and the folder just left is selected.
    EXPECT_EQ(m_browser.GoToParentFolder(), FolderBrowser::ParentStep::Moved);
    EXPECT_EQ(m_browser.CurrentFolder(), m_music + "Rock/");
    EXPECT_EQ(m_browser.Items()[m_browser.Selected()].path, m_music + "Rock/Live/");
    // A subfolder selected: the search upwards finds the current folder, so up one again.
    EXPECT_EQ(m_browser.GoToParentFolder(), FolderBrowser::ParentStep::Moved);
    EXPECT_EQ(m_browser.CurrentFolder(), m_music);
    EXPECT_EQ(m_browser.Items()[m_browser.Selected()].path, m_music + "Rock/");
    // The root selected asks to close, wherever the current folder is.
    m_browser.Select(0);
    EXPECT_EQ(m_browser.GoToParentFolder(), FolderBrowser::ParentStep::CloseWindow);
    EXPECT_EQ(m_browser.CurrentFolder(), m_music);
}

TEST_F(FolderBrowserTest, AtTheRootOnlyTheRootLineCloses) {
    ASSERT_TRUE(m_browser.OpenFolder("/"));
    ASSERT_EQ(m_browser.CurrentIndex(), 0);
    m_browser.MoveSelection(1);
    EXPECT_EQ(m_browser.GoToParentFolder(), FolderBrowser::ParentStep::Stayed);
    m_browser.MoveSelection(-5);
    EXPECT_EQ(m_browser.Selected(), 0);
    EXPECT_EQ(m_browser.GoToParentFolder(), FolderBrowser::ParentStep::CloseWindow);
    EXPECT_FALSE(m_browser.OpenParent());
}

TEST_F(FolderBrowserTest, OpenParentKeepsTheFolderLeftSelected) {
    ASSERT_TRUE(m_browser.OpenFolder(m_music + "rock 2"));
    ASSERT_TRUE(m_browser.OpenParent());
    EXPECT_EQ(m_browser.CurrentFolder(), m_music);
    EXPECT_EQ(m_browser.Items()[m_browser.Selected()].name, "rock 2");
}

TEST_F(FolderBrowserTest, SelectionMovesWithinTheList) {
    ASSERT_TRUE(m_browser.OpenFolder(m_music));
    const int last = static_cast<int>(m_browser.Items().size()) - 1;
    m_browser.MoveSelection(100);
    EXPECT_EQ(m_browser.Selected(), last);
    m_browser.MoveSelection(-1);
    EXPECT_EQ(m_browser.Selected(), last - 1);
    ASSERT_TRUE(m_browser.OpenSelected());
    EXPECT_EQ(m_browser.CurrentFolder(), m_music + "Rock/");
}

TEST_F(FolderBrowserTest, RefreshFindsTheNearestFolderStillThere) {
    ASSERT_TRUE(m_browser.OpenFolder(m_music + "Rock/Live"));
    MakeTree(m_dir.path(), {"music/Rock/New/"});
    ASSERT_TRUE(QDir(m_music + "Rock/Live").removeRecursively());
    m_browser.Refresh();
    EXPECT_EQ(m_browser.CurrentFolder(), m_music + "Rock/");
    EXPECT_EQ(Lines(m_browser).last(), "New");
}

TEST_F(FolderBrowserTest, UnreadableFolderOpensEmptyAndSaysSo) {
    test::LockFolder(m_dir.path(), m_music + "Rock");
    const QString rock = m_music + "Rock/";
    const int result = test::RunAsNobody([&rock] {
        FolderBrowser browser;
        if (!browser.OpenFolder(rock)) {
            return 0;
        }
        return 1 | (!browser.CurrentReadable() ? 2 : 0) |
               (browser.Items().back().path == rock && browser.Files().isEmpty() ? 4 : 0);
    });
    test::UnlockFolder(m_music + "Rock");
    EXPECT_EQ(result, 7);
}

TEST_F(FolderBrowserTest, TypedPathsNameTheFolderTheyMean) {
    const QString home = m_dir.path() + "/music/Rock";
    const struct {
        const char* typed;
        QString expected;
    } cases[] = {
        {"", {}},
        {"   ", {}},
        {"Rock", m_music + "Rock/"},
        {"Rock/Live/", m_music + "Rock/Live/"},
        {"./Rock/../Jazz", m_music + "Jazz/"},
        {"..", m_dir.path() + "/"},
        {"  'rock 2'  ", m_music + "rock 2/"},
        {"\"Rock/Live\"", m_music + "Rock/Live/"},
        {"~", home + "/"},
        {"~/Live", home + "/Live/"},
        {"A.mp3", m_music},
        {"Rock/Live/a.mp3", m_music + "Rock/Live/"},
        {"rock", {}},
        {"Gone/Deeper", {}},
        {"~nobody/x", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TypedFolder(c.typed, m_music, home), c.expected) << c.typed;
    }
    EXPECT_EQ(TypedFolder(m_music + "Jazz", "/", home), m_music + "Jazz/");
    EXPECT_EQ(TypedFolder(QUrl::fromLocalFile(m_music + "rock 2").toString(), "/", home), m_music + "rock 2/");
}

TEST_F(FolderBrowserTest, TheLoadWindowStartsWhereItWasClosedElseAtTheMusicRoot) {
    const QString home = m_dir.path() + "/";
    const struct {
        QString loadPath;
        QString root;
        QString expected;
    } cases[] = {
        {m_music + "Jazz/", m_music + "Rock/", m_music + "Jazz/"},
        {m_music + "Jazz/Gone/", m_music + "Rock/", m_music + "Jazz/"},
        {"", m_music + "Rock/", m_music + "Rock/"},
        {"/", m_music + "Rock", m_music + "Rock/"},
        {"", m_music + "Rock/Gone/", m_music + "Rock/"},
        {"", "", home},
        {"/", "", "/"},
        {"", "D:\\Music\\", home},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoadStartFolder(c.loadPath, c.root, home), c.expected)
            << c.loadPath.toStdString() << " | " << c.root.toStdString();
    }
}

TEST(FolderPaths, NormalisedAndWalkedUp) {
    QTemporaryDir dir;
    MakeTree(dir.path(), {"a/b/"});
    EXPECT_EQ(NormalFolderPath(dir.path() + "/a/./b/../b"), dir.path() + "/a/b/");
    EXPECT_EQ(NormalFolderPath("/"), "/");
    EXPECT_EQ(ParentFolder(dir.path() + "/a/b/"), dir.path() + "/a/");
    EXPECT_EQ(ParentFolder("/"), "/");
    EXPECT_EQ(NearestExistingFolder(dir.path() + "/a/b/c/d/"), dir.path() + "/a/b/");
    EXPECT_EQ(NearestExistingFolder(dir.path() + "/a/B"), dir.path() + "/a/");
    EXPECT_EQ(NearestExistingFolder(""), "/");
}

struct SeekCase {
    const char* name;
    QString path;  // "~" stands for the temporary folder
    QStringList reported;
    QString folder;
    QString pathAfter;
};

void PrintTo(const SeekCase& c, std::ostream* out) {
    *out << c.name;
}

class SeekFolder : public ::testing::TestWithParam<SeekCase> {};

TEST_P(SeekFolder, ReportsEachMissingFolderOnTheWayUp) {
    QTemporaryDir dir;
    MakeTree(dir.path(), {"music/Rock/song.mp3"});
    auto expand = [&dir](QString text) { return text.replace("~", dir.path()); };
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    QString path = expand(GetParam().path);
    EXPECT_EQ(SeekFolderOfPath(path), expand(GetParam().folder));
    EXPECT_EQ(path, expand(GetParam().pathAfter));
    QStringList reported;
    for (const QString& text : GetParam().reported) {
        reported << "Folder not found\\n\"" + expand(text) + "\" - seeking parent";
    }
    EXPECT_EQ(dialogs.TextsOf("INFO"), reported);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SeekFolder,
    ::testing::Values(
        SeekCase{"Existing", "~/music/Rock/", {}, "~/music/Rock/", "~/music/Rock/"},
        SeekCase{"ExistingWithoutSlash", "~/music/Rock", {}, "~/music/Rock/", "~/music/Rock"},
        SeekCase{"FileNamesItsFolder", "~/music/Rock/song.mp3", {}, "~/music/Rock/", "~/music/Rock/song.mp3"},
        SeekCase{"LastTwoFoldersGone",
                 "~/music/Rock/Gone/Deeper/",
                 {"~/music/Rock/Gone/Deeper/", "~/music/Rock/Gone/"},
                 "~/music/Rock/",
                 "~/music/Rock/"},
        SeekCase{
            "OtherLetterCaseIsAnotherFolder", "~/MUSIC/rock/", {"~/MUSIC/rock/", "~/MUSIC/"}, "~/", "~/"},
        SeekCase{"RunsOut", "nowhere/at all/", {"nowhere/at all/", "nowhere/"}, "/", "/"},
        SeekCase{"Empty", "", {}, "/", "/"}),
    [](const ::testing::TestParamInfo<SeekCase>& param) { return std::string(param.param.name); });

TEST(Places, RootHomeThenMountPointsUnderTheUsualFolders) {
    const QString mounts =
        "/dev/vda / ext4 rw 0 0\n"
        "/dev/sdb1 /media/usb\\040stick vfat rw 0 0\n"
        "/dev/sdc1 /mnt/Backup ext4 rw 0 0\n"
        "/dev/sdd1 /run/media/anna/Phone vfat rw 0 0\n"
        "/dev/sde1 /run/media/bob/Other vfat rw 0 0\n"
        "tmpfs /mnt tmpfs rw 0 0\n"
        "tmpfs /media2/x tmpfs rw 0 0\n"
        "/dev/sdc1 /mnt/Backup ext4 rw 0 0\n"
        "broken-line\n";
    EXPECT_EQ(PlacesFromMounts(mounts, "/home/anna/", "anna"),
              (QStringList{"/", "/home/anna", "/media/usb stick", "/mnt/Backup", "/run/media/anna/Phone"}));
    EXPECT_EQ(PlacesFromMounts("", "/", ""), QStringList{"/"});
}

TEST(Places, AFolderBelongsToTheLongestPlaceAboveIt) {
    const QStringList places{"/", "/home/anna", "/media/usb"};
    EXPECT_EQ(PlaceOf("/home/anna/Music/", places), "/home/anna");
    EXPECT_EQ(PlaceOf("/home/anna/", places), "/home/anna");
    EXPECT_EQ(PlaceOf("/home/annabel/", places), "/");
    EXPECT_EQ(PlaceOf("/media/usb/x", places), "/media/usb");
    EXPECT_EQ(PlaceOf("/", places), "/");
}

}  // namespace
}  // namespace sw
