#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTableView>
#include <QToolButton>

#include "SongListFixture.h"
#include "../../playback/QueueTestSupport.h"
#include "windows/songs/SongsWindow.h"

namespace sw {
namespace {

using test::ListedSong;

class SongsWindowTest : public test::SongListFixture {
protected:
    SongsWindowTest() {
        for (const char* title : {"Alpha", "Bravo", "Charlie", "Delta"}) {
            ListedSong song;
            song.title = title;
            song.track = ++m_track;
            song.comment = "A comment long enough to need a wide column " + QString(title);
            m_songs << song;
        }
        m_album = AddAlbum("Letters", std::vector<ListedSong>(m_songs.begin(), m_songs.end()));
        m_window.resize(500, 300);
    }

    QTableView* Grid() { return m_window.Grid(); }
    QPoint RowPoint(int row) {
        return QPoint(5, Grid()->rowViewportPosition(row) + Grid()->rowHeight(row) / 2);
    }
    void Mouse(QEvent::Type type, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               Qt::MouseButton button = Qt::LeftButton) {
        const QPoint local = RowPoint(row);
        QMouseEvent event(type, local, Grid()->viewport()->mapToGlobal(local), button, button, modifiers);
        QApplication::sendEvent(Grid()->viewport(), &event);
    }
    void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
    }
    QLabel* Label(const char* name) { return m_window.findChild<QLabel*>(name); }
    bool Marked(int row) { return Grid()->model()->index(row, 0).data(RowSetModel::kRowMarkedRole).toBool(); }

    int m_track = 0;
    QList<ListedSong> m_songs;
    int m_album = 0;
    SongsWindow m_window{m_list, m_catalogue};
};

TEST_F(SongsWindowTest, ShowsTheListFittedToItsTextWithTheLabels) {
    m_list.ShowAlbumSongs(m_album);
    EXPECT_TRUE(m_window.isVisible());
    EXPECT_EQ(m_window.windowTitle(), "Songs in album \"Letters\"");
    ASSERT_EQ(Grid()->model()->rowCount(), 4);
    EXPECT_EQ(Grid()->model()->headerData(3, Qt::Horizontal).toString(), "Song title");
    EXPECT_EQ(Label("countLabel")->text(), " Album #" + QString::number(m_album) + "   4 songs listed");
    EXPECT_EQ(Label("countLabel")->toolTip(), "click for Album details");
    EXPECT_EQ(Label("filterLabel")->text(), "  Default filtering  ");
    // The comment column fits its longest text; the window widens with the grid.
    const int comment = Grid()->columnWidth(9);
    EXPECT_GE(comment, Grid()->fontMetrics().horizontalAdvance(m_songs[2].comment));
    EXPECT_LT(Grid()->columnWidth(4), comment);
    EXPECT_GT(m_window.width(), 500);
    EXPECT_EQ(Grid()->currentIndex().row(), 0);

    m_list.SetRatingFilter(3);
    EXPECT_EQ(Label("filterLabel")->text(), "  Filter = 3  ");
    EXPECT_EQ(Label("filterLabel")->palette().color(QPalette::Window), QColor(255, 255, 128));
}

TEST_F(SongsWindowTest, ClicksSelectWithCtrlAndShiftAndKeysMoveTheCursor) {
    m_list.ShowAlbumSongs(m_album);
    Mouse(QEvent::MouseButtonPress, 1);
    EXPECT_EQ(Grid()->currentIndex().row(), 1);
    Mouse(QEvent::MouseButtonPress, 3, Qt::ShiftModifier);
    EXPECT_EQ(m_list.SelectedRows(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(Marked(2));
    Mouse(QEvent::MouseButtonPress, 2, Qt::ControlModifier);
    EXPECT_FALSE(Marked(2));
    EXPECT_EQ(m_list.SelectedCount(), 2);

    Key(Grid(), Qt::Key_Up);
    EXPECT_EQ(m_list.CurrentRow(), 1);
    EXPECT_EQ(m_list.SelectedCount(), 0);
    m_window.findChild<QToolButton*>("jumpEnd")->click();
    EXPECT_EQ(Grid()->currentIndex().row(), 3);
    EXPECT_EQ(m_list.CurrentRow(), 3);
}

TEST_F(SongsWindowTest, EnterEditsDoubleClickViewsOrEditsAndEscapeCloses) {
    QStringList opened;
    m_list.Hooks().editSong = [&opened](TSong& song) {
        opened << "edit " + song.Title;
        return false;
    };
    m_list.Hooks().viewSong = [&opened](int) {
        opened << "view";
        return false;
    };
    m_list.ShowAlbumSongs(m_album);
    Mouse(QEvent::MouseButtonPress, 2);
    Key(Grid(), Qt::Key_Return);
    Mouse(QEvent::MouseButtonDblClick, 2);
    m_settings.DoubleClickToEdit = true;
    Mouse(QEvent::MouseButtonDblClick, 2);
    EXPECT_EQ(opened, (QStringList{"edit Charlie", "view", "edit Charlie"}));
    Key(Grid(), Qt::Key_Escape);
    EXPECT_FALSE(m_window.isVisible());
}

// "New" is there once the edit window is: it edits an empty record (no number, no file), which
// the edit window inserts; the song saved is then the current song record and the list shows it.
TEST_F(SongsWindowTest, NewEditsAnEmptySongOnceTheEditWindowIsThere) {
    QAction* newItem = m_window.findChild<QAction*>("newItem");
    ASSERT_NE(newItem, nullptr);
    m_list.ShowSingles();
    EXPECT_FALSE(newItem->isEnabled());

    QList<TSong> edited;
    m_list.Hooks().editSong = [&](TSong& song) {
        edited << song;
        song.Title = "Fresh";
        song.AlbumId = 0;
        m_library.songs.SaveSong(song);
        m_catalogue.CommitAndContinue();
        return true;
    };
    m_list.ShowAlbumSongs(m_album);
    m_list.OpenPopup(1);  // a current song record with a file
    ASSERT_TRUE(newItem->isEnabled());
    newItem->trigger();
    ASSERT_EQ(edited.size(), 1);
    EXPECT_EQ(edited[0].SongNum, 0);
    EXPECT_TRUE(edited[0].Title.isEmpty());
    EXPECT_TRUE(edited[0].FileName.isEmpty());
    EXPECT_TRUE(edited[0].FullPath.isEmpty());
    EXPECT_EQ(m_list.CurrentSong().Title, "Fresh");
    EXPECT_GT(m_list.CurrentSong().SongNum, 0);
    m_list.ShowSingles();
    EXPECT_EQ(Titles(), QStringList{"Fresh"});

    m_settings.READONLY = true;
    m_dialogs.ClearTranscript();
    newItem->trigger();
    EXPECT_EQ(edited.size(), 1);
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
}

TEST_F(SongsWindowTest, ThePlayMenuFollowsTheScopeAndTheFilterMenuTicksTheFilter) {
    m_list.ShowAlbumSongs(m_album);
    QMenu* play = m_window.PlayMenu();
    emit play->aboutToShow();
    EXPECT_TRUE(m_window.PlayItem(PlayScope::WholeList)->isChecked());
    EXPECT_FALSE(m_window.PlayItem(PlayScope::Selection)->isEnabled());
    EXPECT_EQ(m_window.PlayItem(QueueKind::PlayNow)->text(), "Play now - whole list");
    EXPECT_EQ(m_window.PlayItem(QueueKind::Insert)->text(), "Insert into queue - whole list");
    m_window.PlayItem(PlayScope::ThisSong)->trigger();
    EXPECT_EQ(m_window.PlayItem(QueueKind::Append)->text(), "Append to queue - this song");
    Mouse(QEvent::MouseButtonPress, 2);
    emit play->aboutToShow();
    EXPECT_EQ(m_window.PlayItem(QueueKind::PlayNext)->text(), "Play next - list from position");

    QMenu* filter = m_window.FilterMenu();
    emit filter->aboutToShow();
    EXPECT_TRUE(m_window.FilterItem(SongFilterItem::GoodAndUnrated)->isChecked());
    EXPECT_FALSE(m_window.FilterItem(SongFilterItem::DefaultFilter)->isChecked());
    EXPECT_FALSE(m_window.MenuItem(SongsMenuItem::HideMissing)->isEnabled());
    m_window.FilterItem(SongFilterItem::NoFilter)->trigger();
    EXPECT_EQ(m_settings.FILTER, 99);
    emit filter->aboutToShow();
    EXPECT_TRUE(m_window.FilterItem(SongFilterItem::NoFilter)->isChecked());
}

TEST_F(SongsWindowTest, ThePopUpShowsTheSongsItemsAndDisablesWindowsNotThereYet) {
    m_list.ShowAlbumSongs(m_album);
    m_window.OpenPopup(1, m_window.mapToGlobal(QPoint(20, 60)));
    QMenu* popup = m_window.PopupMenu();
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(m_list.CurrentRow(), 1);
    QMenu* more = nullptr;
    for (QAction* item : popup->actions()) {
        if (item->menu()) {
            more = item->menu();
        }
    }
    ASSERT_NE(more, nullptr);
    QAction* inAlbum = m_window.PopupItem(SongPopupItem::MoreInAlbum);
    EXPECT_TRUE(more->actions().contains(inAlbum));
    EXPECT_EQ(inAlbum->text(), "- in this Album (#" + QString::number(m_album) + ")");
    EXPECT_TRUE(m_window.PopupItem(SongPopupItem::CopySong)->isEnabled());
    EXPECT_FALSE(m_window.PopupItem(SongPopupItem::ViewSong)->isEnabled());
    EXPECT_FALSE(m_window.PopupItem(SongPopupItem::DropFromPlaylist)->isEnabled());
    EXPECT_FALSE(m_window.PopupItem(SongPopupItem::DeleteAndRemove)->isEnabled());  // the file is missing
    EXPECT_FALSE(m_window.PopupItem(SongPopupItem::AddToPlaylist)->isEnabled());
    popup->hide();

    m_window.PopupItem(SongPopupItem::CopySong)->trigger();
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Copied ok"});
    EXPECT_EQ(m_library.clipboard.album.AlbumName, "Letters");
}

TEST_F(SongsWindowTest, WithoutFittingTheSavedWidthsComeBack) {
    m_list.ShowAlbumSongs(m_album);
    m_list.SetAutoFitColumns(false);
    Grid()->setColumnWidth(3, 222);
    m_list.Refresh();
    EXPECT_EQ(Grid()->columnWidth(3), 222);
    EXPECT_EQ(m_window.SavedWidths().at("Song title"), 222);
}

TEST_F(SongsWindowTest, TheCountLabelOpensTheAlbumInAlbumModeOnly) {
    int opened = 0;
    m_list.Hooks().albumDetails = [&opened, this](int id) { opened += id == m_album; };
    m_list.ShowAlbumSongs(m_album);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Label("countLabel"), &release);
    EXPECT_EQ(opened, 1);
    m_list.ShowSingles();
    EXPECT_TRUE(Label("countLabel")->toolTip().isEmpty());
    QApplication::sendEvent(Label("countLabel"), &release);
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(m_window.findChild<QAction*>("backItem")->isEnabled());
}

TEST_F(SongsWindowTest, ThePlayMenuAndThePopUpSendSongsToTheQueueOnceItIsThere) {
    QueueController queue(m_library, m_playlists);
    test::FakePlayer player(queue);
    m_list.SetQueue(&queue, &player);
    m_list.ShowAlbumSongs(m_album);
    Mouse(QEvent::MouseButtonPress, 2);
    QMenu* play = m_window.PlayMenu();
    emit play->aboutToShow();
    QAction* append = m_window.PlayItem(QueueKind::Append);
    EXPECT_EQ(append->text(), "Append to queue - list from position");
    ASSERT_TRUE(append->isEnabled());
    append->trigger();
    EXPECT_EQ(queue.RowCount(), 2);

    m_window.OpenPopup(0, m_window.mapToGlobal(QPoint(20, 40)));
    QAction* next = m_window.PopupItem(SongPopupItem::PlayNextThisSong);
    EXPECT_EQ(next->text(), "Play next - this song");
    EXPECT_TRUE(next->isEnabled());
    m_window.PopupMenu()->hide();
    next->trigger();
    EXPECT_EQ(queue.SongAt(1)->Song().Title, "Alpha");
    EXPECT_FALSE(m_window.MenuItem(SongsMenuItem::EditPlaylist)->isEnabled());
    m_list.SetQueue(nullptr, nullptr);
}

TEST_F(SongsWindowTest, TheWarningsScanFollowsTheDrawnListAndFinishesWhenTheFixMenuOpens) {
    ListedSong gone;
    gone.title = "Gone";
    gone.exi = 0;
    gone.albumId = m_album;
    AddSong(gone);
    m_settings.FILTER = 99;
    m_list.ShowAlbumSongs(m_album);
    EXPECT_TRUE(m_list.WarningsScanPending());
    EXPECT_EQ(m_list.WarningAt(0), "!");  // a drawn row's cell is worked out at once (track 0 first)
    QMenu* fix = m_window.findChild<QMenu*>("fixMenu");
    emit fix->aboutToShow();
    EXPECT_FALSE(m_list.WarningsScanPending());
    EXPECT_TRUE(m_window.MenuItem(SongsMenuItem::FixQuestion)->isEnabled());
    EXPECT_TRUE(m_window.MenuItem(SongsMenuItem::FixBang)->isEnabled());

    m_list.Refresh();
    EXPECT_TRUE(m_list.WarningsScanPending());
    while (m_list.WarningsScanPending()) {
        QApplication::processEvents();
    }
    emit m_window.FilterMenu()->aboutToShow();
    EXPECT_TRUE(m_window.MenuItem(SongsMenuItem::HideMissing)->isEnabled());
}

}  // namespace
}  // namespace sw
