#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include "DetailsFixture.h"
#include "windows/details/AssignWindow.h"
#include "windows/details/EditSongWindow.h"
#include "windows/details/SongDetailsWindow.h"

namespace sw::test {
namespace {

class DetailsWindows : public DetailsFixture {
protected:
    SongDetailsController m_details{m_library, m_tags, m_playlists, m_ratings};
    EditSongController m_edit{m_library, m_tags};
    AssignController m_assign{m_library, m_tags};
};

TEST_F(DetailsWindows, DetailsWindowMarksMismatchesInYellow) {
    const int songNum = AddTaggedSong("a.mp3", Details("Hello", "Ann", "First"), 3);
    m_catalogue.ExecSqlCommit("update song set title = 'HELLO' where songnum = " + QString::number(songNum));
    SongDetailsWindow window(m_details);
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Song #" + QString::number(songNum) + " details");
    EXPECT_EQ(window.FieldCaption(DetailsField::Title)->palette().color(QPalette::Window),
              QColor(Qt::yellow));
    EXPECT_NE(window.FieldCaption(DetailsField::Artist)->palette().color(QPalette::Window),
              QColor(Qt::yellow));
    EXPECT_EQ(window.StatusLine()->text(), "Database / music file mismatches are highlighted in yellow");
    EXPECT_EQ(window.Pages()->tabText(2), "( MP3 tag vn 1 )");
    EXPECT_EQ(window.Pages()->tabText(3), "MP3 tag vn 2");
    EXPECT_EQ(window.Command(SongDetailsCommand::DeleteFile)->text(), "Delete music file");
    EXPECT_TRUE(window.Command(SongDetailsCommand::DeleteFile)->isEnabled());
    EXPECT_FALSE(window.Command(SongDetailsCommand::Edit)->isEnabled()) << "no edit window connected";

    // A click on "+" steps the rating; the "When played" tab queries the history.
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text() == "+") {
            button->click();
        }
    }
    EXPECT_EQ(Stored(songNum).Rating, 1);
    window.Pages()->setCurrentIndex(static_cast<int>(DetailsPage::WhenPlayed));
    EXPECT_TRUE(window.StatusLine()->text().endsWith(" | No play history before "))
        << window.StatusLine()->text().toStdString();
    window.Pages()->setCurrentIndex(0);
    EXPECT_EQ(window.StatusLine()->text(), "");

    QFile::remove(m_music.filePath("a.mp3"));
    m_details.Refresh();
    EXPECT_FALSE(window.Command(SongDetailsCommand::DeleteFile)->isEnabled());
    EXPECT_FALSE(window.findChild<QPushButton*>("remind")->isHidden());
}

// The M4A or WMA tag's page: its details and the read-only note, no button that would write, and
// the catalogue fields that differ in yellow.
TEST_F(DetailsWindows, DetailsWindowShowsAnM4aTagReadOnly) {
    TSong details = Details("Fixture Title", "Fixture Artist", "Fixture Album", 3);
    details.Comment = "Fixture comment";
    const int songNum = AddTaggedSong("song.m4a", details, 0, "tagged.m4a");
    m_catalogue.ExecSqlCommit("update song set \"year\" = '2001' where songnum = " +
                              QString::number(songNum));
    SongDetailsWindow window(m_details);
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));

    const int index = static_cast<int>(DetailsPage::Container);
    EXPECT_EQ(window.Pages()->tabText(index), "M4A/WMA tag");
    EXPECT_EQ(window.Pages()->tabText(index - 1), "( OGG comment )");
    EXPECT_EQ(window.Pages()->tabText(index + 1), "in playlists");
    window.Pages()->setCurrentIndex(index);
    // The page's lines are made afresh on each showing and shown from the event loop.
    QCoreApplication::processEvents();
    QWidget* page = window.Pages()->widget(index);
    EXPECT_EQ(page->findChild<QLabel*>("tagNote")->text(), "M4A tag (read only)");
    EXPECT_TRUE(page->findChild<QLabel*>("tagNotFound")->isHidden());
    QStringList shown;
    for (QLabel* label : page->findChildren<QLabel*>()) {
        if (label->isVisible()) {
            shown << label->text();
        }
    }
    EXPECT_TRUE(shown.contains("Title:  Fixture Title")) << shown.join(" | ").toStdString();
    EXPECT_TRUE(shown.contains("Year:  1999")) << shown.join(" | ").toStdString();
    for (QPushButton* button : page->findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isVisible()) << button->text().toStdString();
    }
    EXPECT_EQ(window.FieldCaption(DetailsField::Year)->palette().color(QPalette::Window), QColor(Qt::yellow));
    EXPECT_NE(window.FieldCaption(DetailsField::Title)->palette().color(QPalette::Window),
              QColor(Qt::yellow));
    EXPECT_EQ(window.StatusLine()->text(), "Database / music file mismatches are highlighted in yellow");

    // The pages after it keep their places.
    window.Pages()->setCurrentIndex(static_cast<int>(DetailsPage::WhenPlayed));
    EXPECT_TRUE(window.StatusLine()->text().endsWith(" | No play history before "))
        << window.StatusLine()->text().toStdString();
}

TEST_F(DetailsWindows, EditWindowSavesWhatIsTyped) {
    const int songNum = AddTaggedSong("a.mp3", Details("Hello", "Ann", "First"), 3);
    EditSongWindow window(m_edit);
    TSong song = Stored(songNum);
    QTimer::singleShot(0, &window, [&window] {
        EXPECT_FALSE(window.Button("save")->isEnabled());
        EXPECT_EQ(window.Edit(EditBox::Title)->selectedText(), "Hello");
        window.Edit(EditBox::Title)->selectAll();
        window.Edit(EditBox::Title)->insert("Typed");
        window.TrackBox()->setValue(7);
        EXPECT_TRUE(window.Button("save")->isEnabled());
        window.Button("save")->click();
    });
    ASSERT_TRUE(window.EditSongDetails(song));
    EXPECT_EQ(song.Title, "Typed");
    EXPECT_EQ(Stored(songNum).Title, "Typed");
    EXPECT_EQ(Stored(songNum).Track, 7);
    EXPECT_EQ(Id3v2Frames(song.FullPath)["TIT2"].toString(), "Typed");

    // Escape on a changed window asks first; No keeps it open, then Cancel leaves the record alone.
    QTimer::singleShot(0, &window, [&] {
        window.Edit(EditBox::Title)->selectAll();
        window.Edit(EditBox::Title)->insert("Discarded");
        m_dialogs.QueueAnswers({"N", "Y"});
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &escape);
        EXPECT_TRUE(window.isVisible());
        window.Button("cancel")->click();
    });
    EXPECT_FALSE(window.EditSongDetails(song));
    EXPECT_EQ(song.Title, "Typed");
    EXPECT_EQ(Stored(songNum).Title, "Typed");
}

TEST_F(DetailsWindows, AssignWindowRunsWithProgressAndCancel) {
    std::vector<int> songs;
    for (int i = 0; i < 6; ++i) {
        songs.push_back(
            AddTaggedSong(QString("s%1.mp3").arg(i), Details(QString("Song %1").arg(i), "Ann", "Old"), 1));
    }
    AssignWindow window(m_assign);
    auto fill = [&window](const QString& album) {
        QTimer::singleShot(0, &window, [&window, album] {
            window.Button("uncheckAll")->click();
            EXPECT_FALSE(window.Box(AssignField::Album)->isEnabled());
            window.Tick(AssignField::Album)->setChecked(true);
            EXPECT_TRUE(window.Box(AssignField::Album)->isEnabled());
            window.Box(AssignField::Album)->setText(album);
            emit window.Box(AssignField::Album)->textEdited(album);
            window.Button("assign")->click();
        });
    };
    fill("Together");
    ASSERT_TRUE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    EXPECT_EQ(m_assign.LastRun().saved, 6);
    EXPECT_EQ(Stored(songs[5]).AlbumName, "Together");
    EXPECT_FALSE(window.Progress()->isVisible());

    // The progress window's Cancel, pressed while the third song is done, stops the run there.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&window] {
        if (window.Progress()->isVisible() && window.Progress()->value() == 3) {
            for (QPushButton* button : window.Progress()->findChildren<QPushButton*>()) {
                button->click();
            }
        }
    });
    poll.start(0);
    fill("Apart");
    ASSERT_TRUE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    EXPECT_TRUE(m_assign.LastRun().cancelled);
    EXPECT_EQ(m_assign.LastRun().saved, 3);
    EXPECT_EQ(Stored(songs[2]).AlbumName, "Apart");
    EXPECT_EQ(Stored(songs[3]).AlbumName, "Together");
}

// Return pressed in the progress window while the run goes on (meant for a question the run asks)
// does not cancel it; Space on its Cancel button does.
TEST_F(DetailsWindows, AssignProgressIsNotCancelledByReturn) {
    std::vector<int> songs;
    for (int i = 0; i < 5; ++i) {
        songs.push_back(
            AddTaggedSong(QString("s%1.mp3").arg(i), Details(QString("Song %1").arg(i), "Ann", "Old"), 1));
    }
    AssignWindow window(m_assign);
    for (const auto& [key, cancels] : {std::pair{Qt::Key_Return, false}, std::pair{Qt::Key_Enter, false},
                                       std::pair{Qt::Key_Space, true}}) {
        QTimer poll;
        bool pressed = false;
        QObject::connect(&poll, &QTimer::timeout, &window, [&window, &pressed, key = key] {
            QProgressDialog* progress = window.Progress();
            if (!pressed && progress->isVisible() && progress->value() == 2) {
                pressed = true;
                for (QPushButton* button : progress->findChildren<QPushButton*>()) {
                    button->setFocus();
                }
                QWidget* target = progress->focusWidget() != nullptr ? progress->focusWidget() : progress;
                const auto modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
                QKeyEvent press(QEvent::KeyPress, key, modifiers);
                QKeyEvent release(QEvent::KeyRelease, key, modifiers);
                QCoreApplication::sendEvent(target, &press);
                QCoreApplication::sendEvent(target, &release);
            }
        });
        poll.start(0);
        QTimer::singleShot(0, &window, [&window] {
            window.Button("uncheckAll")->click();
            window.Tick(AssignField::Album)->setChecked(true);
            window.Box(AssignField::Album)->setText("Together");
            emit window.Box(AssignField::Album)->textEdited("Together");
            window.Button("assign")->click();
        });
        ASSERT_TRUE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
        EXPECT_TRUE(pressed);
        EXPECT_EQ(m_assign.LastRun().cancelled, cancels) << key;
        EXPECT_EQ(m_assign.LastRun().saved, cancels ? 2 : 5) << key;
    }
}

}  // namespace
}  // namespace sw::test
