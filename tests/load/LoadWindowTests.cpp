#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>

#include "FakeImporter.h"
#include "LoadTestSupport.h"
#include "core/Settings.h"
#include "foundation/QuietChange.h"
#include "foundation/ScriptedDialogs.h"
#include "load/FolderPane.h"
#include "load/LoadWindow.h"

namespace sw {
namespace {

using test::FakeImporter;
using test::MakeTree;
using test::Relative;

QStringList Rows(const QListWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->count(); ++i) {
        rows << list->item(i)->text();
    }
    return rows;
}

void Press(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

class LoadWindowTest : public ::testing::Test {
protected:
    LoadWindowTest() : m_installed(m_dialogs) {
        MakeTree(m_dir.path(),
                 {"music/b.mp3", "music/A.ogg", "music/notes.txt", "music/Rock/c.mp3", "music/Jazz/"});
        m_music = m_dir.path() + "/music/";
        m_settings.LoadPath = m_music;
    }

    template <typename T>
    T* Find(const char* name) {
        T* widget = m_window.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QListWidget* Folders() { return m_window.Pane().Folders(); }
    QListWidget* ToLoad() { return Find<QListWidget>("toLoad"); }
    QString SelectedFolder() {
        const auto& items = m_window.Pane().Browser().Items();
        const int selected = m_window.Pane().Browser().Selected();
        return selected >= 0 ? items[selected].path : QString();
    }

    QTemporaryDir m_dir;
    QString m_music;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    FakeImporter m_importer;
    Settings m_settings;
    LoadWindow m_window{m_importer, m_settings};
};

TEST_F(LoadWindowTest, ShowsEveryControlWithItsCaption) {
    m_window.ShowLoadWindow();
    EXPECT_EQ(m_window.windowTitle(), "Load");
    EXPECT_EQ(Rows(ToLoad()),
              (QStringList{"1. Select folder (left)", "2. Click \"List files to load\" (below)",
                           "3. Click \"Load\" (below)"}));
    EXPECT_EQ(Find<QPushButton>("back")->text(), "back");
    EXPECT_EQ(Find<QPushButton>("refresh")->text(), "refresh");
    EXPECT_EQ(Find<QPushButton>("list")->text(), "List files to load");
    EXPECT_EQ(Find<QCheckBox>("subfolders")->text(), "Also look in subfolders");
    EXPECT_EQ(Find<QCheckBox>("skipLoaded")->text(), "Skip if already loaded");
    EXPECT_EQ(Find<QCheckBox>("skipLoaded")->toolTip(),
              "ie this file at this location is already in the database");
    EXPECT_EQ(Find<QPushButton>("cancel")->text(), "Close");
    EXPECT_EQ(Find<QRadioButton>("loadOne")->text(), "Load one");
    EXPECT_EQ(Find<QRadioButton>("loadAll")->text(), "Load all");
    EXPECT_TRUE(Find<QRadioButton>("loadAll")->isChecked());
    EXPECT_EQ(Find<QPushButton>("load")->text(), "Load");
    EXPECT_FALSE(Find<QPushButton>("load")->isEnabled());
    EXPECT_FALSE(Find<QLabel>("count")->isVisible());
    EXPECT_EQ(Find<QLabel>("status")->text(), "");
    EXPECT_EQ(m_window.menuBar()->actions().value(0)->text(), "Close");
    EXPECT_EQ(Folders()->contextMenuPolicy(), Qt::CustomContextMenu);
    QStringList popupItems;
    for (const QMenu* menu : m_window.findChildren<QMenu*>()) {
        for (const QAction* action : menu->actions()) {
            popupItems << action->text();
        }
    }
    EXPECT_TRUE(popupItems.contains("Back"));
    // Keys pressed in the pop-up menu are the menu's, not the folder list's.
    const QString folder = m_window.CurrentFolder();
    for (QMenu* menu : m_window.findChildren<QMenu*>()) {
        Press(menu, Qt::Key_Escape);
        Press(menu, Qt::Key_Left);
    }
    EXPECT_EQ(m_window.CurrentFolder(), folder);
    EXPECT_EQ(Rows(m_window.Pane().Files()), (QStringList{"A.ogg", "b.mp3", "notes.txt"}));
}

TEST_F(LoadWindowTest, ShowingResetsTheBoxesQuietlyAndOpensAtLoadPath) {
    m_window.ShowLoadWindow();
    Find<QCheckBox>("subfolders")->click();
    Find<QCheckBox>("skipLoaded")->click();
    m_window.close();
    m_settings.LoadPath = m_music + "Rock/";
    m_window.ShowLoadWindow();
    EXPECT_EQ(m_window.CurrentFolder(), m_music + "Rock/");
    EXPECT_TRUE(Find<QCheckBox>("skipLoaded")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("subfolders")->isChecked());
    // The boxes' own handlers took the program's changes: a user click later is not swallowed.
    EXPECT_FALSE(TakeQuietChange());
}

TEST_F(LoadWindowTest, LoadPathGoneOpensItsNearestFolder) {
    m_settings.LoadPath = m_music + "Rock/Gone/Deeper/";
    m_window.ShowLoadWindow();
    EXPECT_EQ(m_window.CurrentFolder(), m_music + "Rock/");
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

TEST_F(LoadWindowTest, TheFirstShowingOpensAtTheMusicRoot) {
    m_settings.LoadPath.clear();
    m_settings.Root = m_music + "Rock/";
    m_window.ShowLoadWindow();
    EXPECT_EQ(m_window.CurrentFolder(), m_music + "Rock/");
    EXPECT_EQ(m_window.Pane().PathLine()->text(), m_music + "Rock/");
}

TEST_F(LoadWindowTest, APathTypedInTheLineKeepsItsArrowKeysAndOpensWithEnter) {
    m_window.ShowLoadWindow();
    QLineEdit* line = m_window.Pane().PathLine();
    line->setText(m_music + "Rock");
    line->setCursorPosition(3);
    Press(line, Qt::Key_Left);
    Press(line, Qt::Key_Right);
    Press(line, Qt::Key_Right);
    EXPECT_EQ(line->cursorPosition(), 4);
    EXPECT_EQ(m_window.CurrentFolder(), m_music);
    Press(line, Qt::Key_Return);
    EXPECT_EQ(m_window.CurrentFolder(), m_music + "Rock/");
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

TEST_F(LoadWindowTest, ArrowKeysMoveOpenAndLeaveFolders) {
    m_window.ShowLoadWindow();
    ASSERT_EQ(SelectedFolder(), m_music);
    // Keys pressed on any control steer the folder list.
    Press(ToLoad(), Qt::Key_Down);
    EXPECT_EQ(SelectedFolder(), m_music + "Jazz/");
    Press(Find<QCheckBox>("subfolders"), Qt::Key_Down);
    EXPECT_EQ(SelectedFolder(), m_music + "Rock/");
    EXPECT_EQ(Folders()->currentRow(), m_window.Pane().Browser().Selected());
    Press(Folders(), Qt::Key_Right);
    EXPECT_EQ(m_window.CurrentFolder(), m_music + "Rock/");
    Press(Folders(), Qt::Key_Left);
    EXPECT_EQ(m_window.CurrentFolder(), m_music);
    EXPECT_EQ(SelectedFolder(), m_music + "Rock/");
    Press(Folders(), Qt::Key_Up);
    Press(Folders(), Qt::Key_Escape);
    EXPECT_EQ(m_window.CurrentFolder(), m_dir.path() + "/");
    EXPECT_TRUE(m_window.isVisible());
}

TEST_F(LoadWindowTest, EscWithTheRootSelectedClosesAndTheNextShowingReturnsThere) {
    m_window.ShowLoadWindow();
    Press(Folders(), Qt::Key_Down);
    Press(Folders(), Qt::Key_Right);  // into Jazz
    ASSERT_EQ(m_window.CurrentFolder(), m_music + "Jazz/");
    for (int i = 0; i < 100; ++i) {
        Press(Folders(), Qt::Key_Up);
    }
    ASSERT_EQ(SelectedFolder(), "/");
    Press(Folders(), Qt::Key_Escape);
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(m_settings.LoadPath, m_music + "Jazz/");
    m_window.ShowLoadWindow();
    EXPECT_EQ(m_window.CurrentFolder(), m_music + "Jazz/");
}

TEST_F(LoadWindowTest, CloseMenuItemRemembersTheFolder) {
    m_window.ShowLoadWindow();
    Press(Folders(), Qt::Key_Down);
    Press(Folders(), Qt::Key_Down);
    Press(Folders(), Qt::Key_Right);
    m_window.menuBar()->actions().value(0)->trigger();
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(m_settings.LoadPath, m_music + "Rock/");
}

TEST_F(LoadWindowTest, ListingShowsProgressThenTheCount) {
    m_window.ShowLoadWindow();
    Find<QCheckBox>("subfolders")->click();
    int looked = 0;
    m_importer.onNumber = [&](const QString&) {
        ++looked;
        auto* status = Find<QLabel>("status");
        EXPECT_TRUE(status->text().startsWith(" " + m_music)) << status->text().toStdString();
        EXPECT_EQ(status->palette().color(QPalette::Window), QColor(Qt::cyan));
        EXPECT_EQ(Find<QPushButton>("cancel")->text(), "Cancel");
        EXPECT_FALSE(Find<QPushButton>("load")->isEnabled());
        EXPECT_FALSE(Find<QPushButton>("list")->isEnabled());
    };
    Find<QPushButton>("list")->click();
    EXPECT_EQ(looked, 3);
    EXPECT_EQ(Relative(m_dir.path(), Rows(ToLoad())),
              (QStringList{"music/A.ogg", "music/b.mp3", "music/Rock/c.mp3"}));
    EXPECT_EQ(ToLoad()->currentRow(), 2);
    EXPECT_TRUE(Find<QLabel>("count")->isVisible());
    EXPECT_EQ(Find<QLabel>("count")->text(), "3 files");
    EXPECT_EQ(Find<QLabel>("status")->text(), "");
    EXPECT_NE(Find<QLabel>("status")->palette().color(QPalette::Window), QColor(Qt::cyan));
    EXPECT_TRUE(Find<QPushButton>("load")->isEnabled());
    EXPECT_EQ(Find<QPushButton>("cancel")->text(), "Close");
}

TEST_F(LoadWindowTest, ALongPathInTheStatusLineDoesNotWidenTheWindow) {
    const QString longName = QString(100, 'd') + "/" + QString(100, 'e') + "/" + QString(94, 'f') + ".mp3";
    MakeTree(m_dir.path(), {"music/" + longName});
    m_window.ShowLoadWindow();
    const int width = m_window.width();
    Find<QCheckBox>("subfolders")->click();
    Find<QPushButton>("list")->click();
    bool seen = false;
    m_importer.onImport = [&](const QString& path) {
        if (path.endsWith("b.mp3")) {
            QThread::msleep(50);  // the next file's status line is drawn, not skipped
        } else if (path.endsWith(longName)) {
            seen = Find<QLabel>("status")->text().endsWith(longName);
            EXPECT_EQ(m_window.width(), width);
            EXPECT_LT(m_window.minimumSizeHint().width(), 1000);
        }
    };
    Find<QPushButton>("load")->click();
    EXPECT_TRUE(seen);
}

TEST_F(LoadWindowTest, CancelButtonStopsAListing) {
    m_window.ShowLoadWindow();
    Find<QCheckBox>("subfolders")->click();
    m_importer.onNumber = [&](const QString& path) {
        if (path.endsWith("b.mp3")) {
            Find<QPushButton>("cancel")->click();
        }
    };
    Find<QPushButton>("list")->click();
    EXPECT_EQ(Find<QLabel>("count")->text(), "Cancelled at 2 files");
    EXPECT_TRUE(m_window.isVisible());
}

TEST_F(LoadWindowTest, LoadAllLoadsAndCloses) {
    m_window.ShowLoadWindow();
    Find<QPushButton>("list")->click();
    m_importer.calls.clear();
    Find<QPushButton>("load")->click();
    EXPECT_EQ(m_importer.calls, (QStringList{"start all", "import A.ogg", "commit if due", "import b.mp3",
                                             "commit if due", "finish"}));
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(m_settings.LoadPath, m_music);
}

TEST_F(LoadWindowTest, LoadOneLoadsTheLineTheUserPicked) {
    m_window.ShowLoadWindow();
    Find<QPushButton>("list")->click();
    m_importer.calls.clear();
    ToLoad()->setCurrentRow(0);
    Find<QRadioButton>("loadOne")->click();
    m_dialogs.QueueAnswer("No");
    Find<QPushButton>("load")->click();
    EXPECT_TRUE(m_window.isVisible());
    Find<QPushButton>("load")->click();
    EXPECT_EQ(m_dialogs.TextsOf("ASK").last(), "Load \"" + m_music + "A.ogg\" - OK ? -> Yes");
    EXPECT_EQ(m_importer.calls, (QStringList{"start one", "import A.ogg", "finish"}));
    EXPECT_FALSE(m_window.isVisible());
}

TEST_F(LoadWindowTest, ClosingDuringALoadStopsIt) {
    MakeTree(m_dir.path(), {"music/c.mp3", "music/d.mp3"});
    m_window.ShowLoadWindow();
    Find<QPushButton>("list")->click();
    m_importer.calls.clear();
    m_importer.onImport = [&](const QString& path) {
        if (path.endsWith("b.mp3")) {
            m_window.close();
        }
    };
    Find<QPushButton>("load")->click();
    EXPECT_EQ(m_importer.RunCalls().filter("import").size(), 2);
    EXPECT_EQ(m_importer.calls.last(), "finish");
}

TEST_F(LoadWindowTest, BackButtonAndRefreshFollowTheFolders) {
    m_window.ShowLoadWindow();
    Find<QPushButton>("back")->click();
    EXPECT_EQ(m_window.CurrentFolder(), m_dir.path() + "/");
    EXPECT_EQ(SelectedFolder(), m_music);
    MakeTree(m_dir.path(), {"Added/"});
    Find<QPushButton>("refresh")->click();
    EXPECT_TRUE(Rows(Folders()).last().trimmed() == "music");
    EXPECT_TRUE(Rows(Folders()).filter("Added").size() == 1);
}

}  // namespace
}  // namespace sw

namespace sw {
namespace {

/// Ten thousand files in albums of twenty: listing and loading them through the window must not
/// spend its time redrawing, and a click on Cancel queued while a file loads stops the run before
/// the next file.
TEST(LoadWindowLargeFolder, TenThousandFilesListAndLoadQuicklyAndCancelAtOnce) {
    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < 10000; ++i) {
        names
            << QString("album%1/track %2.mp3").arg(i / 20, 3, 10, QChar('0')).arg(i % 20, 2, 10, QChar('0'));
    }
    MakeTree(dir.path(), names);
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    FakeImporter importer;
    Settings settings;
    settings.LoadPath = dir.path();
    LoadWindow window(importer, settings);
    window.ShowLoadWindow();
    window.findChild<QCheckBox*>("subfolders")->click();
    auto* cancel = window.findChild<QPushButton*>("cancel");

    QElapsedTimer timer;
    timer.start();
    window.ListFilesToLoad();
    const qint64 listing = timer.restart();
    EXPECT_EQ(window.Controller().ListedFiles().size(), 10000);
    window.LoadListed();
    const qint64 loading = timer.elapsed();
    EXPECT_EQ(importer.RunCalls().filter("import").size(), 10000);
    EXPECT_LT(listing, 3000);
    EXPECT_LT(loading, 3000);

    importer.calls.clear();
    int imported = 0;
    importer.onImport = [&](const QString&) {
        if (++imported == 100) {
            QMetaObject::invokeMethod(cancel, "click", Qt::QueuedConnection);
        }
    };
    window.ShowLoadWindow();
    window.LoadListed();
    EXPECT_EQ(imported, 100);
    EXPECT_EQ(importer.calls.last(), "finish");
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace sw
