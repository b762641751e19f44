#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include "AlbumsFixture.h"
#include "../ListWindowDriver.h"
#include "windows/albums/AlbumDetailsWindow.h"
#include "windows/albums/AlbumsWindow.h"
#include "windows/albums/NewAlbumGroupDialog.h"
#include "windows/main/WindowHelpers.h"

namespace sw {
namespace {

using test::PressKey;

/// Fails unless the item is one of the menu's own, under that caption.
void ExpectItem(const QWidget* menu, const QAction* item, const QString& caption) {
    EXPECT_TRUE(menu->actions().contains(item)) << caption.toStdString();
    EXPECT_EQ(item->text(), caption);
}

class AlbumsWindowTest : public test::AlbumsFixture {
protected:
    AlbumsWindowTest() {
        m_group = AddGroup("Tom & Jerry");
        PutInGroup(AddAlbumWith("Inside", 1, "Cat"), m_group);
        m_album = AddAlbumWith("Alone", 2, "Dog");
        AddAlbumWith("Bare", 1, "Eel", 0);
    }

    QTableView* Grid() { return m_window.Grid(); }
    QString Heading(int column) { return Grid()->model()->headerData(column, Qt::Horizontal).toString(); }

    int m_group = 0;
    int m_album = 0;
    AlbumsWindow m_window{m_albums};
};

TEST_F(AlbumsWindowTest, ShowsTheListWithItsCaptionCountAndMenuStates) {
    m_albums.ShowAllAlbums();
    EXPECT_TRUE(m_window.isVisible());
    EXPECT_EQ(m_window.windowTitle(), "All albums");
    EXPECT_EQ(Heading(0), "\u2022 Artist ");
    EXPECT_EQ(m_window.CountLabel()->text(), "3 item(s) listed");
    EXPECT_EQ(Grid()->currentIndex().row(), 0);
    EXPECT_GE(Grid()->columnWidth(1), Grid()->fontMetrics().horizontalAdvance("Inside"));

    using Item = AlbumsMenuItem;
    QAction* hideUngrouped = m_window.MenuItem(Item::HideUngrouped);
    QAction* expanded = m_window.MenuItem(Item::Expanded);
    QAction* groupsNew = m_window.MenuItem(Item::GroupsNew);
    QAction* bySequence = m_window.SequenceItem(AlbumSort::SequenceNumber);
    QAction* hideMissing = m_window.MenuItem(Item::HideMissing);
    QAction* best = m_window.FilterItem(AlbumRatingFilter::Best);
    QAction* all = m_window.FilterItem(AlbumRatingFilter::All);
    ExpectItem(m_window.GroupsMenu(), hideUngrouped, "Hide ungrouped albums");
    ExpectItem(m_window.GroupsMenu(), expanded, "Expanded");
    ExpectItem(m_window.GroupsMenu(), groupsNew, "New");
    ExpectItem(m_window.SequenceMenu(), bySequence, "Sequence number");
    ExpectItem(m_window.FilterMenu(), hideMissing, "Hide albums with no existing files");
    ExpectItem(m_window.FilterMenu(), best, "Only the best ( 3+ )");
    ExpectItem(m_window.FilterMenu(), all, "All");

    emit m_window.GroupsMenu()->aboutToShow();
    EXPECT_FALSE(hideUngrouped->isEnabled());
    EXPECT_TRUE(expanded->isChecked());
    EXPECT_TRUE(groupsNew->isEnabled());
    EXPECT_FALSE(bySequence->isEnabled());
    EXPECT_FALSE(m_window.BackItem()->isEnabled());

    hideMissing->trigger();
    EXPECT_EQ(m_window.FilterMenu()->title(), "FILTER");
    EXPECT_EQ(m_window.CountLabel()->text(), "2 item(s) listed");
    hideMissing->trigger();
    best->trigger();
    EXPECT_EQ(m_window.FilterMenu()->title(), "FILTER");
    EXPECT_EQ(m_window.CountLabel()->text(), "0 item(s) listed");
    all->trigger();
    EXPECT_EQ(m_window.FilterMenu()->title(), "Filter");
}

TEST_F(AlbumsWindowTest, AClickOpensAGroupEscapeGoesBackThenCloses) {
    m_albums.ShowAlbumGroups();
    EXPECT_EQ(m_window.windowTitle(), "Album groups ");
    EXPECT_TRUE(m_window.BackItem()->isEnabled());
    m_dialogs.QueueAnswer("No");
    m_window.SearchBox()->setText("x");
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Not found - expand Groups ? -> No"});
    emit Grid()->clicked(Grid()->model()->index(0, 0));
    EXPECT_TRUE(m_window.SearchBox()->text().isEmpty());
    EXPECT_EQ(m_window.windowTitle(), "Albums in Group \"Tom & Jerry\"");
    QAction* bySequence = m_window.SequenceItem(AlbumSort::SequenceNumber);
    ExpectItem(m_window.SequenceMenu(), bySequence, "Sequence number");
    EXPECT_TRUE(bySequence->isEnabled());

    PressKey(Grid(), Qt::Key_Escape);
    EXPECT_EQ(m_window.windowTitle(), "Album groups ");
    EXPECT_TRUE(m_window.isVisible());
    m_dialogs.QueueAnswer("Yes");
    PressKey(Grid(), Qt::Key_Escape);
    EXPECT_EQ(m_window.CountLabel()->text(), "3 item(s) listed");
    PressKey(Grid(), Qt::Key_Escape);
    EXPECT_FALSE(m_window.isVisible());
}

TEST_F(AlbumsWindowTest, HeadingsSortTypingMovesAndEnterListsTheSongs) {
    m_albums.ShowAllAlbums();
    emit Grid()->horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(Heading(0), "\u2022 Name");
    QAction* byName = m_window.SequenceItem(AlbumSort::AlbumName);
    ExpectItem(m_window.SequenceMenu(), byName, "Album name");
    EXPECT_TRUE(byName->isChecked());
    m_window.SearchBox()->setText("b");
    EXPECT_EQ(Grid()->currentIndex().row(), 1);
    EXPECT_EQ(m_albums.CurrentAlbumId(), m_albums.AlbumIdAt(1));
    m_window.SearchBox()->setText("al");
    PressKey(m_window.SearchBox(), Qt::Key_Return);
    EXPECT_EQ(m_list.AlbumId(), m_album);
    m_window.findChild<QToolButton*>("jumpEnd")->click();
    EXPECT_EQ(Grid()->currentIndex().row(), 2);
}

TEST_F(AlbumsWindowTest, ThePopUpEnablesTheItemsOfTheRowsKind) {
    m_albums.SetView(AlbumView::Collapsed);
    m_albums.SetSort(AlbumSort::AlbumName);
    const int groupRow = m_albums.Rows().RowCount() - 1;
    m_window.OpenPopup(groupRow, m_window.mapToGlobal(QPoint(20, 60)));
    QMenu* popup = m_window.PopupMenu();
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(m_window.PopupItem(AlbumPopupItem::ViewDetails)->text(),
              "View group details ( #" + QString::number(m_group) + " )");
    EXPECT_TRUE(m_window.PopupItem(AlbumPopupItem::DeleteGroup)->isEnabled());
    EXPECT_FALSE(m_window.PopupItem(AlbumPopupItem::DeleteAlbum)->isEnabled());
    EXPECT_FALSE(m_window.PopupItem(AlbumPopupItem::PlayWholeAlbum)->isEnabled());
    m_window.PopupItem(AlbumPopupItem::SelectThisGroup)->trigger();
    popup->hide();
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Group \"Tom & Jerry\" selected"});

    m_window.OpenPopup(0, m_window.mapToGlobal(QPoint(20, 40)));
    EXPECT_EQ(m_window.PopupItem(AlbumPopupItem::IncludeInSelectedGroup)->text(),
              "Include this Item in selected Group \"Tom && Jerry\"");
    EXPECT_FALSE(m_window.PopupItem(AlbumPopupItem::SelectThisGroup)->isEnabled());
    EXPECT_FALSE(m_window.PopupItem(AlbumPopupItem::IncludeSelectedItem)->isEnabled());
    EXPECT_FALSE(m_window.PopupItem(AlbumPopupItem::ExcludeFromGroup)->isEnabled());
    EXPECT_FALSE(m_window.PopupItem(AlbumPopupItem::AssignGenre)->isEnabled());
    popup->hide();
}

TEST_F(AlbumsWindowTest, TheDetailsWindowShowsTheLinesAndClosesOnEscape) {
    AlbumDetailsController details(m_library, m_ratings, m_albums);
    AlbumDetailsWindow window(details);
    m_library.albums.FindAlbumById(m_group, m_library.clipboard.group);
    details.ShowAlbumDetails(m_album);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Album #" + QString::number(m_album));
    EXPECT_EQ(window.findChild<QPushButton*>("artist")->text(), "Dog");
    EXPECT_EQ(window.findChild<QLabel*>("fileCount")->toolTip(),
              "Number of existing MP3/OGG files for this album");
    EXPECT_FALSE(window.findChild<QPushButton*>("sequence")->isVisibleTo(&window));
    EXPECT_EQ(window.findChild<QPushButton*>("rating")->text(), "0.0");
    using Item = AlbumDetailsPopupItem;
    QAction* paste = window.PopupItem(Item::PasteGroup);
    ASSERT_NE(paste, nullptr);
    ExpectItem(window.GroupPopup(), paste, "Paste album group \"Tom && Jerry\"");
    EXPECT_TRUE(paste->isEnabled());
    ExpectItem(window.GroupPopup(), window.PopupItem(Item::ViewGroup), "View this Group");
    EXPECT_FALSE(window.PopupItem(Item::ViewGroup)->isEnabled());
    ExpectItem(window.ArtistPopup(), window.PopupItem(Item::ViewArtist), "View this artist");
    EXPECT_FALSE(window.PopupItem(Item::ViewArtist)->isEnabled());

    m_dialogs.QueueAnswer("Yes");
    paste->trigger();
    EXPECT_TRUE(window.findChild<QPushButton*>("sequence")->isVisibleTo(&window));
    EXPECT_EQ(window.findChild<QPushButton*>("group")->text(),
              "#" + QString::number(m_group) + " \"Tom && Jerry\"");
    PressKey(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(details.Shown());
}

TEST(NewAlbumGroupDialog, OkWaitsForAName) {
    NewAlbumGroupDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "New Album Group");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.NameEdit()->setText("   ");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    dialog.NameEdit()->setText("Mix");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
}

TEST_F(AlbumsWindowTest, TheWindowWidensToShowItsColumnsAndNarrowsAgainForAShortList) {
    AddAlbumWith("Wide " + QString(70, 'W'), 1, "Wider");
    m_albums.ShowAllAlbums();
    // As wide as the columns, or as the screen when they are wider.
    const int columns = std::min(Grid()->horizontalHeader()->length(), ScreenAtCursor().width() - 10);
    EXPECT_GT(m_window.width(), 640);
    EXPECT_GT(m_window.width(), columns);
    m_albums.ShowAlbumGroups();
    EXPECT_EQ(m_window.width(), 640);
}

}  // namespace
}  // namespace sw
