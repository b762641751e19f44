#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "LoadTestSupport.h"
#include "foundation/ScriptedDialogs.h"
#include "load/FolderPane.h"
#include "load/SelectFolderDialog.h"

namespace sw {
namespace {

using test::MakeTree;

/// Runs `act` on the select-folder dialog as soon as its modal loop is running.
void OnDialog(std::function<void(SelectFolderDialog*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(static_cast<SelectFolderDialog*>(dialog));
        }
    });
    timer->start();
}

void PressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

QPushButton* Button(QDialog* dialog, QDialogButtonBox::StandardButton which) {
    return dialog->findChild<QDialogButtonBox*>()->button(which);
}

int Row(const FolderPane& pane, const QString& name) {
    const auto& items = pane.Browser().Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].name == name && !items[i].inChain) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

class SelectFolderTest : public ::testing::Test {
protected:
    SelectFolderTest() : m_installed(m_dialogs) {
        MakeTree(m_dir.path(), {"music/Rock/Live/", "music/Jazz/x.mp3", "music/it's \"odd\"/"});
        m_music = m_dir.path() + "/music/";
    }

    QTemporaryDir m_dir;
    QString m_music;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
};

TEST_F(SelectFolderTest, DeletedFoldersAreReportedAndTheNearestOpens) {
    QString path = m_music + "Rock/Gone/Deeper/";
    QString opened;
    QString title;
    OnDialog([&](SelectFolderDialog* dialog) {
        opened = dialog->Pane().CurrentFolder();
        title = dialog->windowTitle();
        Button(dialog, QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(SelectFolder(path));
    EXPECT_EQ(opened, m_music + "Rock/");
    EXPECT_EQ(title, "Select folder ");
    EXPECT_EQ(path, m_music + "Rock/");
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              (QStringList{"Folder not found\\n\"" + m_music + "Rock/Gone/Deeper/\" - seeking parent",
                           "Folder not found\\n\"" + m_music + "Rock/Gone/\" - seeking parent"}));
}

TEST_F(SelectFolderTest, CancelKeepsThePathAsCutBack) {
    QString path = m_music + "Gone/";
    OnDialog([&](SelectFolderDialog* dialog) {
        // Wandering off and cancelling changes nothing.
        emit dialog->Pane().Folders()->itemClicked(
            dialog->Pane().Folders()->item(Row(dialog->Pane(), "Jazz")));
        Button(dialog, QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(SelectFolder(path, "for the music root"));
    EXPECT_EQ(path, m_music);
}

TEST_F(SelectFolderTest, ClickingFoldersDrillsDownAndRetitles) {
    QString path = m_music;
    QStringList titles;
    OnDialog([&](SelectFolderDialog* dialog) {
        titles << dialog->windowTitle();
        QListWidget* folders = dialog->Pane().Folders();
        emit folders->itemClicked(folders->item(Row(dialog->Pane(), "it's \"odd\"")));
        titles << dialog->windowTitle();
        dialog->findChild<QPushButton*>("back")->click();
        titles << dialog->windowTitle();
        EXPECT_EQ(dialog->Pane().Browser().Items()[dialog->Pane().Browser().Selected()].name, "it's \"odd\"");
        emit folders->itemClicked(folders->item(Row(dialog->Pane(), "Rock")));
        Button(dialog, QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(SelectFolder(path, "music root"));
    EXPECT_EQ(titles,
              (QStringList{"Select folder music root", "Select folder \"" + m_music + "it's \"odd\"/\"",
                           "Select folder \"" + m_music + "\""}));
    EXPECT_EQ(path, m_music + "Rock/");
}

TEST_F(SelectFolderTest, ATypedPathOpensWithEnterAndAMissingOneIsNamed) {
    QString path = m_music;
    QStringList opened;
    bool stillOpen = false;
    OnDialog([&](SelectFolderDialog* dialog) {
        QLineEdit* line = dialog->Pane().PathLine();
        opened << line->text();
        line->setText(m_music + "nowhere");
        PressKey(line, Qt::Key_Return);
        opened << dialog->Pane().CurrentFolder();
        line->setText("Rock/Live");
        PressKey(line, Qt::Key_Enter);
        opened << dialog->Pane().CurrentFolder() << line->text();
        // Enter went to the path: the dialog is still open, and the folder list has the keys.
        stillOpen = dialog->isVisible();
        Button(dialog, QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(SelectFolder(path));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(opened, (QStringList{m_music, m_music, m_music + "Rock/Live/", m_music + "Rock/Live/"}));
    EXPECT_EQ(path, m_music + "Rock/Live/");
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Folder not found\\n\"" + m_music + "nowhere\""});
}

TEST_F(SelectFolderTest, NoPathGivenStartsAtTheHomeFolder) {
    QString path;
    QString opened;
    OnDialog([&](SelectFolderDialog* dialog) {
        opened = dialog->Pane().CurrentFolder();
        Button(dialog, QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(SelectFolder(path));
    EXPECT_EQ(opened, NormalFolderPath(QDir::homePath()));
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

TEST_F(SelectFolderTest, CloseMenuItemCancels) {
    QString path = m_music + "Jazz/";
    QStringList files;
    OnDialog([&](SelectFolderDialog* dialog) {
        const QListWidget* list = dialog->Pane().Files();
        for (int i = 0; i < list->count(); ++i) {
            files << list->item(i)->text();
        }
        dialog->findChild<QMenuBar*>()->actions().value(0)->trigger();
    });
    EXPECT_FALSE(SelectFolder(path));
    EXPECT_EQ(files, QStringList{"x.mp3"});
    EXPECT_EQ(path, m_music + "Jazz/");
}

}  // namespace
}  // namespace sw
