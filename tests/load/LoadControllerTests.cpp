#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>
#include <stdexcept>

#include "FakeImporter.h"
#include "LoadTestSupport.h"
#include "foundation/ScriptedDialogs.h"
#include "load/LoadController.h"

namespace sw {
namespace {

using test::FakeImporter;
using test::FakeLoadDisplay;
using test::MakeTree;
using test::Relative;

class LoadControllerTest : public ::testing::Test {
protected:
    LoadControllerTest() : m_installed(m_dialogs) { m_controller.SetDisplay(&m_display); }

    QString Root() const { return m_dir.path(); }
    QString Path(const QString& name) const { return m_dir.path() + "/" + name; }
    QStringList Listed() const { return Relative(Root(), m_controller.ListedFiles()); }
    /// Lists `count` files n01.mp3, n02.mp3, ...
    void ListNumbered(int count) {
        QStringList names;
        for (int i = 1; i <= count; ++i) {
            names << QString("n%1.mp3").arg(i, 2, 10, QChar('0'));
        }
        MakeTree(Root(), names);
        m_controller.ListFilesToLoad(Root(), false, false);
        m_importer.calls.clear();
    }

    QTemporaryDir m_dir;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    FakeImporter m_importer;
    FakeLoadDisplay m_display;
    LoadController m_controller{m_importer};
};

struct ListingCase {
    const char* name;
    QStringList tree;
    bool withSubfolders;
    bool skipLoaded;
    QStringList catalogued;  // relative names, letter case as the catalogue holds them
    QStringList expected;
    const char* count;
};

void PrintTo(const ListingCase& c, std::ostream* out) {
    *out << c.name;
}

class ListingTable : public LoadControllerTest, public ::testing::WithParamInterface<ListingCase> {};

TEST_P(ListingTable, ListsLoadableFilesInWalkOrder) {
    const ListingCase& c = GetParam();
    MakeTree(Root(), c.tree);
    for (const QString& name : c.catalogued) {
        m_importer.catalogued.insert(Path(name));
    }
    m_controller.ListFilesToLoad(Root(), c.withSubfolders, c.skipLoaded);

    EXPECT_EQ(Listed(), c.expected);
    EXPECT_EQ(Relative(Root(), m_display.rows), c.expected);
    EXPECT_EQ(m_controller.CountText(), c.count);
    EXPECT_TRUE(m_controller.CountShown());
    EXPECT_TRUE(m_controller.LoadEnabled());
    EXPECT_EQ(m_controller.Busy(), LoadBusy::Idle);
    EXPECT_EQ(m_controller.CancelCaption(), "Close");
    EXPECT_EQ(m_controller.LoadStatus(), "");
    EXPECT_EQ(m_controller.SelectedFile(), static_cast<int>(c.expected.size()) - 1);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty()) << m_dialogs.Transcript().join('\n').toStdString();
    // Listing never starts a run.
    EXPECT_TRUE(m_importer.RunCalls().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ListingTable,
    ::testing::Values(
        ListingCase{"OwnFilesOnly",
                    {"c.mp3", "A.ogg", "b.WAV", "Beta/b1.mp3", "notes.txt", "cover.jpg", "x.m4a", "y.wma"},
                    false,
                    false,
                    {},
                    {"A.ogg", "b.WAV", "c.mp3", "x.m4a", "y.wma"},
                    "5 files"},
        ListingCase{"SubfolderFilesAtTheSubfolderPlace",
                    {"a.mp3", "Beta/b1.mp3", "c.mp3"},
                    true,
                    false,
                    {},
                    {"a.mp3", "Beta/b1.mp3", "c.mp3"},
                    "3 files"},
        ListingCase{"OneFileNoPlural", {"only.mp3", "readme.txt"}, true, true, {}, {"only.mp3"}, "1 file"},
        ListingCase{"NothingLoadable", {"readme.txt", "Sub/"}, true, true, {}, {}, "0 files"},
        // A name catalogued in another letter case is another file (or one to re-link): listed.
        ListingCase{"SkipsCataloguedWithTheExactName",
                    {"a.mp3", "B.mp3", "Sub/c.mp3", "Sub/d.mp3"},
                    true,
                    true,
                    {"a.mp3", "sub/C.mp3", "Sub/d.mp3"},
                    {"B.mp3", "Sub/c.mp3"},
                    "2 files"},
        ListingCase{"CataloguedListedWhenNotSkipping",
                    {"a.mp3", "B.mp3"},
                    false,
                    false,
                    {"a.mp3"},
                    {"a.mp3", "B.mp3"},
                    "2 files"},
        ListingCase{"OddNames",
                    {"-dash.mp3", "it's.mp3", "say \"hi\".ogg", "Ünïcödé/日本語.mp3", "a & b.wav"},
                    true,
                    false,
                    {},
                    {"-dash.mp3", "a & b.wav", "it's.mp3", "say \"hi\".ogg", "Ünïcödé/日本語.mp3"},
                    "5 files"}),
    [](const ::testing::TestParamInfo<ListingCase>& param) { return std::string(param.param.name); });

TEST(ListedCountText, NamesTheCountAndAnyCancel) {
    EXPECT_EQ(ListedCountText(0, false), "0 files");
    EXPECT_EQ(ListedCountText(1, false), "1 file");
    EXPECT_EQ(ListedCountText(2, false), "2 files");
    EXPECT_EQ(ListedCountText(1, true), "Cancelled at 1 file");
    EXPECT_EQ(ListedCountText(12, true), "Cancelled at 12 files");
}

TEST_F(LoadControllerTest, CancelDuringListingStopsBeforeTheNextEntry) {
    QStringList names;
    for (int i = 1; i <= 30; ++i) {
        names << QString("f%1.mp3").arg(i, 2, 10, QChar('0'));
    }
    MakeTree(Root(), names);
    m_display.onPump = [this] {
        EXPECT_EQ(m_controller.Busy(), LoadBusy::Listing);
        EXPECT_EQ(m_controller.CancelCaption(), "Cancel");
        if (m_controller.ListedFiles().size() == 12) {
            EXPECT_FALSE(m_controller.CancelOrClose());  // a click on Cancel does not close
        }
    };
    m_controller.ListFilesToLoad(Root(), false, true);
    EXPECT_EQ(m_controller.ListedFiles().size(), 12);
    EXPECT_EQ(m_controller.CountText(), "Cancelled at 12 files");
    EXPECT_EQ(m_controller.CancelCaption(), "Close");
    EXPECT_TRUE(m_controller.LoadEnabled());
    // Twelve catalogue lookups: nothing after the cancel was looked at.
    EXPECT_EQ(m_importer.calls.size(), 12);
}

TEST_F(LoadControllerTest, CancelInTheDuplicatesQuestionStopsTheListing) {
    MakeTree(Root(), {"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    m_importer.onNumber = [this](const QString& path) {
        if (path.endsWith("b.mp3")) {
            m_importer.cancel = true;
        }
    };
    m_controller.ListFilesToLoad(Root(), false, true);
    EXPECT_EQ(Listed(), (QStringList{"a.mp3", "b.mp3"}));
    EXPECT_EQ(m_controller.CountText(), "Cancelled at 2 files");
    EXPECT_EQ(m_importer.calls, (QStringList{"number a.mp3", "number b.mp3"}));
}

TEST_F(LoadControllerTest, OnlyRealFilesAreListed) {
    // A named pipe would block the tag reader for ever; a dangling link cannot be read at all.
    MakeTree(Root(), {"a.mp3", "Real/b.mp3"});
    ASSERT_EQ(mkfifo(QFile::encodeName(Path("pipe.mp3")).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(Path("gone.mp3"), Path("dangling.mp3")));
    ASSERT_TRUE(QFile::link(Path("Real/b.mp3"), Path("linked.mp3")));
    m_controller.ListFilesToLoad(Root(), true, false);
    EXPECT_EQ(Listed(), (QStringList{"a.mp3", "linked.mp3", "Real/b.mp3"}));
}

TEST_F(LoadControllerTest, StatusShowsEachFolderInItsOwnSpellingThenClears) {
    MakeTree(Root(), {"Rock/a.mp3", "Rock/Live/b.mp3"});
    m_controller.ListFilesToLoad(Root(), true, false);
    EXPECT_EQ(Relative(Root(), m_display.statuses), (QStringList{"./", "Rock/", "Rock/Live/", ""}));
}

TEST_F(LoadControllerTest, MissingFolderSaysSoAndListsNothing) {
    MakeTree(Root(), {"a.mp3"});
    m_controller.ListFilesToLoad(Path("gone"), true, false);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Folder not found\\n\"" + Path("gone") + "\""});
    EXPECT_TRUE(m_controller.ListedFiles().isEmpty());
    EXPECT_TRUE(m_display.rows.isEmpty());
    EXPECT_EQ(m_controller.CountText(), "0 files");
    EXPECT_EQ(m_controller.Busy(), LoadBusy::Idle);
}

TEST_F(LoadControllerTest, UnreadableFoldersAreNamedAfterTheListing) {
    MakeTree(Root(), {"a.mp3", "Locked/x.mp3", "Open/b.mp3"});
    test::LockFolder(Root(), Path("Locked"));
    // Bit 0: the message named the folder; bit 1: the rest was listed; bit 2: no cancel.
    const int result = test::RunAsNobody([this] {
        m_controller.ListFilesToLoad(Root(), true, false);
        const QStringList infos = m_dialogs.TextsOf("INFO");
        const QString expected =
            "These folders could not be read and were left out:\\n\"" + Path("Locked/") + "\"";
        return (infos == QStringList{expected} ? 1 : 0) |
               (Listed() == QStringList{"a.mp3", "Open/b.mp3"} ? 2 : 0) |
               (m_controller.CountText() == "2 files" ? 4 : 0);
    });
    test::UnlockFolder(Path("Locked"));
    EXPECT_EQ(result, 7);
}

TEST_F(LoadControllerTest, FilesWhoseNamesAreNotUtf8AreNamedAfterTheListing) {
    MakeTree(Root(), {"ok.mp3"});
    ASSERT_TRUE(test::MakeRawEntry(Root(), "caf\xE9.mp3"));
    ASSERT_TRUE(test::MakeRawEntry(Root(), "notes\xFF.txt"));  // not a sound file: nothing to say
    m_controller.ListFilesToLoad(Root(), false, false);
    EXPECT_EQ(Listed(), QStringList{"ok.mp3"});
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"\"" + Path("caf\\xE9.mp3") +
                                                     "\" could not be catalogued: name is not valid UTF-8"});
    test::RemoveRawEntry(Root(), "caf\xE9.mp3");
    test::RemoveRawEntry(Root(), "notes\xFF.txt");
}

TEST_F(LoadControllerTest, LoadAllImportsInOrderWithACommitAfterEach) {
    MakeTree(Root(), {"b.mp3", "A.mp3", "Sub/c.ogg"});
    m_controller.ListFilesToLoad(Root(), true, false);
    m_importer.calls.clear();
    m_importer.onImport = [this](const QString&) {
        EXPECT_EQ(m_controller.Busy(), LoadBusy::Loading);
        EXPECT_EQ(m_controller.CancelCaption(), "Cancel");
        EXPECT_FALSE(m_controller.LoadEnabled() && m_controller.Busy() == LoadBusy::Idle);
    };

    EXPECT_TRUE(m_controller.LoadListed(true));
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Load all files listed above  - OK ? -> Yes"});
    EXPECT_EQ(m_importer.calls, (QStringList{"start all", "import A.mp3", "commit if due", "import b.mp3",
                                             "commit if due", "import c.ogg", "commit if due", "finish"}));
    // Progress: the number of the file being loaded, counted from 1, of the files listed, then the file.
    EXPECT_EQ(m_display.statuses.mid(m_display.statuses.size() - 4),
              (QStringList{"1 / 3   " + Path("A.mp3"), "2 / 3   " + Path("b.mp3"),
                           "3 / 3   " + Path("Sub/c.ogg"), ""}));
    EXPECT_EQ(m_controller.Busy(), LoadBusy::Idle);
    EXPECT_EQ(m_controller.SelectedFile(), 2);
}

TEST_F(LoadControllerTest, QuestionDeclinedLoadsNothing) {
    ListNumbered(3);
    m_dialogs.QueueAnswers({"No", "Cancel"});
    EXPECT_FALSE(m_controller.LoadAllListed());
    EXPECT_FALSE(m_controller.LoadSelectedFile());
    EXPECT_TRUE(m_importer.calls.isEmpty());
}

TEST_F(LoadControllerTest, NothingListedAsksNothing) {
    EXPECT_FALSE(m_controller.LoadListed(true));
    EXPECT_FALSE(m_controller.LoadListed(false));
    MakeTree(Root(), {"readme.txt"});
    m_controller.ListFilesToLoad(Root(), false, false);
    EXPECT_FALSE(m_controller.LoadListed(true));
    EXPECT_FALSE(m_controller.LoadListed(false));
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
    EXPECT_TRUE(m_importer.calls.isEmpty());
}

TEST_F(LoadControllerTest, CancelDuringLoadStopsWithinOneFile) {
    ListNumbered(10);
    m_importer.onImport = [this](const QString& path) {
        if (path.endsWith("n04.mp3")) {
            EXPECT_FALSE(m_controller.CancelOrClose());
        }
    };
    EXPECT_TRUE(m_controller.LoadAllListed());
    EXPECT_EQ(m_importer.calls,
              (QStringList{"start all", "import n01.mp3", "commit if due", "import n02.mp3", "commit if due",
                           "import n03.mp3", "commit if due", "import n04.mp3", "commit if due", "finish"}));
}

TEST_F(LoadControllerTest, CancelClickedWhileEventsRunStopsBeforeThatFile) {
    ListNumbered(5);
    m_display.onPump = [this] {
        if (m_controller.Busy() == LoadBusy::Loading && m_controller.SelectedFile() == 2) {
            m_controller.CancelOrClose();
        }
    };
    EXPECT_TRUE(m_controller.LoadAllListed());
    EXPECT_EQ(m_importer.calls, (QStringList{"start all", "import n01.mp3", "commit if due", "import n02.mp3",
                                             "commit if due", "finish"}));
}

TEST_F(LoadControllerTest, LoadAfterACancelledListingLoadsWhatWasListed) {
    MakeTree(Root(), {"a.mp3", "b.mp3", "c.mp3"});
    m_display.onPump = [this] {
        if (m_controller.ListedFiles().size() == 2) {
            m_controller.CancelOrClose();
        }
    };
    m_controller.ListFilesToLoad(Root(), false, false);
    ASSERT_EQ(m_controller.CountText(), "Cancelled at 2 files");
    m_display.onPump = nullptr;
    m_importer.calls.clear();
    EXPECT_TRUE(m_controller.LoadAllListed());
    EXPECT_EQ(m_importer.calls, (QStringList{"start all", "import a.mp3", "commit if due", "import b.mp3",
                                             "commit if due", "finish"}));
}

TEST_F(LoadControllerTest, LoadOneLoadsTheSelectedFile) {
    MakeTree(Root(), {"a.mp3", "it's \"b\".mp3", "c.mp3"});
    m_controller.ListFilesToLoad(Root(), false, false);
    m_importer.calls.clear();
    ASSERT_EQ(Listed(), (QStringList{"a.mp3", "c.mp3", "it's \"b\".mp3"}));
    m_controller.SelectFile(2);
    m_controller.SelectFile(7);  // no such line: the selection stays
    EXPECT_TRUE(m_controller.LoadListed(false));
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Load \"" + Path("it's \"b\".mp3") + "\" - OK ? -> Yes"});
    EXPECT_EQ(m_importer.calls, (QStringList{"start one", "import it's \"b\".mp3", "finish"}));
    EXPECT_EQ(m_controller.LoadStatus(), "");
    EXPECT_EQ(m_controller.Busy(), LoadBusy::Idle);
}

TEST_F(LoadControllerTest, NoSecondLoopStartsWhileOneRuns) {
    ListNumbered(3);
    int attempts = 0;
    m_display.onPump = [this, &attempts] {
        ++attempts;
        m_controller.ListFilesToLoad(Root(), false, false);
        EXPECT_FALSE(m_controller.LoadAllListed());
        EXPECT_FALSE(m_controller.LoadSelectedFile());
    };
    EXPECT_TRUE(m_controller.LoadAllListed());
    EXPECT_GE(attempts, 3);
    EXPECT_EQ(m_importer.calls, (QStringList{"start all", "import n01.mp3", "commit if due", "import n02.mp3",
                                             "commit if due", "import n03.mp3", "commit if due", "finish"}));
    EXPECT_EQ(m_controller.ListedFiles().size(), 3);
    EXPECT_EQ(m_dialogs.TextsOf("ASK").size(), 1);
}

TEST_F(LoadControllerTest, UserSelectionDoesNotSteerARunningLoad) {
    ListNumbered(4);
    m_importer.onImport = [this](const QString& path) {
        if (path.endsWith("n02.mp3")) {
            m_controller.SelectFile(0);
        }
    };
    EXPECT_TRUE(m_controller.LoadAllListed());
    EXPECT_EQ(m_importer.RunCalls().filter("import").size(), 4);
    EXPECT_EQ(m_importer.RunCalls().filter("import n01").size(), 1);
}

TEST_F(LoadControllerTest, FailedImportEndsTheRunAndKeepsEarlierCommits) {
    ListNumbered(3);
    m_importer.onImport = [](const QString& path) {
        if (path.endsWith("n02.mp3")) {
            throw std::runtime_error("statement refused");
        }
    };
    EXPECT_THROW(m_controller.LoadAllListed(), std::runtime_error);
    EXPECT_EQ(m_importer.calls,
              (QStringList{"start all", "import n01.mp3", "commit if due", "import n02.mp3", "finish"}));
    EXPECT_EQ(m_controller.Busy(), LoadBusy::Idle);
    EXPECT_EQ(m_controller.CancelCaption(), "Close");
    EXPECT_EQ(m_controller.LoadStatus(), "");
    // The window works again after the error.
    m_importer.onImport = nullptr;
    m_importer.calls.clear();
    EXPECT_TRUE(m_controller.LoadAllListed());
    EXPECT_EQ(m_importer.RunCalls().filter("import").size(), 3);
}

TEST_F(LoadControllerTest, FailedLookupEndsTheListing) {
    MakeTree(Root(), {"a.mp3", "b.mp3"});
    m_importer.onNumber = [](const QString& path) {
        if (path.endsWith("b.mp3")) {
            throw std::runtime_error("connection lost");
        }
    };
    EXPECT_THROW(m_controller.ListFilesToLoad(Root(), false, true), std::runtime_error);
    EXPECT_EQ(Listed(), QStringList{"a.mp3"});
    EXPECT_EQ(m_controller.Busy(), LoadBusy::Idle);
    EXPECT_EQ(m_controller.CountText(), "1 file");
}

TEST_F(LoadControllerTest, ShowingAgainResetsButKeepsTheList) {
    ListNumbered(2);
    ASSERT_TRUE(m_controller.LoadEnabled());
    m_controller.ShowLoadWindow();
    EXPECT_FALSE(m_controller.LoadEnabled());
    EXPECT_FALSE(m_controller.CountShown());
    EXPECT_EQ(m_controller.Busy(), LoadBusy::Idle);
    EXPECT_EQ(m_controller.ListedFiles().size(), 2);
    EXPECT_TRUE(m_controller.HasListed());
    EXPECT_TRUE(m_controller.CancelOrClose());
}

TEST_F(LoadControllerTest, ClosingDuringAListingStopsIt) {
    ListNumbered(6);
    m_display.onPump = [this] {
        if (m_controller.ListedFiles().size() == 3) {
            m_controller.StopRunning();
            m_controller.ShowLoadWindow();  // opened again before the loop has ended
            EXPECT_EQ(m_controller.Busy(), LoadBusy::Listing);
        }
    };
    m_controller.ListFilesToLoad(Root(), false, false);
    EXPECT_EQ(m_controller.CountText(), "Cancelled at 3 files");
    EXPECT_EQ(m_controller.Busy(), LoadBusy::Idle);
}

}  // namespace
}  // namespace sw
