#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>

#include "ArtistsFixture.h"
#include "../ListWindowDriver.h"
#include "windows/artists/ArtistDetailsWindow.h"
#include "windows/artists/ArtistsWindow.h"

namespace sw {
namespace {

using test::ListedSong;
using test::PressKey;

/// Fails unless the item is one of the menu's (or menu bar's) own, under that caption.
void ExpectItem(const QWidget* menu, const QAction* item, const QString& caption) {
    EXPECT_TRUE(menu->actions().contains(item)) << caption.toStdString();
    EXPECT_EQ(item->text(), caption);
}

class ArtistsWindowTest : public test::ArtistsFixture {
protected:
    ArtistsWindowTest() {
        m_blur = AddArtistWithSongs("Blur", 1);
        AddArtistWithSongs("Abba", 2);
        m_cream = AddArtist("Cream's \"Best\"");
        m_window.resize(400, 300);
    }

    QTableView* Grid() { return m_window.Grid(); }
    QString Heading(int column) { return Grid()->model()->headerData(column, Qt::Horizontal).toString(); }
    void Click(int row) {
        const QPoint at(5, Grid()->rowViewportPosition(row) + Grid()->rowHeight(row) / 2);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, Grid()->viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(Grid()->viewport(), &event);
        }
    }

    int m_blur = 0;
    int m_cream = 0;
    ArtistsWindow m_window{m_artists};
};

TEST_F(ArtistsWindowTest, ShowsTheListWithTheCaptionsOfItsViewAndTheFilterMenu) {
    m_artists.ShowArtistsWindow();
    EXPECT_TRUE(m_window.isVisible());
    EXPECT_EQ(m_window.windowTitle(), "Artists - All");
    EXPECT_EQ(Grid()->model()->rowCount(), 4);
    EXPECT_EQ(Grid()->model()->columnCount(), 1);
    EXPECT_EQ(Heading(0), "Artist");
    EXPECT_EQ(m_window.CountLabel()->text(), "4 artist(s) listed");
    EXPECT_EQ(m_window.FilterMenu()->title(), "Filter");
    QAction* withSongs = m_window.FilterItem(ArtistsView::WithSongs);
    QAction* withNoSongs = m_window.FilterItem(ArtistsView::WithNoSongs);
    ExpectItem(m_window.FilterMenu(), m_window.FilterItem(ArtistsView::All), "All artists");
    ExpectItem(m_window.FilterMenu(), withSongs, "Artists with any songs");
    ExpectItem(m_window.FilterMenu(), withNoSongs, "Artists with no songs");
    EXPECT_TRUE(m_window.FilterItem(ArtistsView::All)->isChecked());
    EXPECT_FALSE(m_window.RemoveAllItem()->isEnabled());
    ExpectItem(m_window.menuBar(), m_window.MenuItem(ArtistsMenuItem::Close), "Close");
    ExpectItem(m_window.menuBar(), m_window.MenuItem(ArtistsMenuItem::Refresh), "Refresh");
    EXPECT_EQ(Grid()->currentIndex().row(), 0);
    // The name column fits its longest name, and the window widens to show every column.
    EXPECT_GE(Grid()->columnWidth(0), Grid()->fontMetrics().horizontalAdvance("Cream's \"Best\""));
    AddArtist(QString("A name long enough to need a window wider than the one made ").repeated(2));
    m_artists.Refresh();
    QApplication::processEvents();
    EXPECT_GT(m_window.width(), 400);
    EXPECT_EQ(Grid()->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(m_window.CountLabel()->text(), "5 artist(s) listed");

    withSongs->trigger();
    EXPECT_EQ(m_window.windowTitle(), "Artists - with >0 songs");
    EXPECT_EQ(m_window.FilterMenu()->title(), "FILTER");
    EXPECT_EQ(Heading(1), "Song count");
    EXPECT_EQ(Grid()->model()->index(0, 1).data().toString(), "2");
    EXPECT_TRUE(withSongs->isChecked());

    m_dialogs.QueueAnswer("Yes");
    withNoSongs->trigger();
    EXPECT_EQ(m_window.windowTitle(), "Artists - with no songs");
    EXPECT_TRUE(m_window.RemoveAllItem()->isEnabled());
    EXPECT_EQ(m_window.CountLabel()->text(), "3 artist(s) listed");
}

TEST_F(ArtistsWindowTest, ThePopupShowsTheArtistAndEnablesWhatCanBeDone) {
    m_artists.ShowArtistsWindow();
    m_window.SearchBox()->setText("c");
    m_window.OpenPopup(1, m_window.mapToGlobal(QPoint(10, 10)));
    QMenu* popup = m_window.PopupMenu();
    EXPECT_EQ(popup->actions().first()->text(), "= Artist #" + QString::number(m_blur));
    EXPECT_FALSE(popup->actions().first()->isEnabled());
    EXPECT_TRUE(m_window.SearchBox()->text().isEmpty());
    EXPECT_FALSE(m_window.PopupItem(ArtistPopupItem::Details)->isEnabled());
    EXPECT_FALSE(m_window.PopupItem(ArtistPopupItem::Play)->isEnabled());
    for (const auto& [enabled, caption] : {std::pair{ArtistPopupItem::ListSongs, "List songs"},
                                           std::pair{ArtistPopupItem::Rename, "Rename"},
                                           std::pair{ArtistPopupItem::CopyArtist, "Copy artist"}}) {
        EXPECT_EQ(m_window.PopupItem(enabled)->text(), caption);
        EXPECT_TRUE(m_window.PopupItem(enabled)->isEnabled()) << caption;
    }
    popup->close();

    QList<int> details;
    m_artists.Hooks().artistDetails = [&details](int id) { details << id; };
    m_window.OpenPopup(1, m_window.mapToGlobal(QPoint(10, 10)));
    EXPECT_TRUE(m_window.PopupItem(ArtistPopupItem::Details)->isEnabled());
    m_window.PopupItem(ArtistPopupItem::Details)->trigger();
    popup->close();
    EXPECT_EQ(details, QList<int>{m_blur});
}

TEST_F(ArtistsWindowTest, AClickOrEnterOpensTheArtistAndTypingMovesTheCursor) {
    m_artists.ShowArtistsWindow();
    m_window.SearchBox()->setText("b");
    EXPECT_EQ(Grid()->currentIndex().row(), 1);
    PressKey(m_window.SearchBox(), Qt::Key_Return);
    EXPECT_EQ(m_list.Caption(), "Songs by artist \"Blur\"");

    m_window.SearchBox()->setText("c");
    EXPECT_EQ(Grid()->currentIndex().row(), 2);
    Click(0);
    EXPECT_EQ(m_list.Caption(), "Songs by artist \"Abba\"");
    EXPECT_TRUE(m_window.SearchBox()->text().isEmpty());
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{});

    // A song-less artist offers its removal instead.
    m_dialogs.QueueAnswer("No");
    Click(2);
    EXPECT_EQ(m_dialogs.TextsOf("ASK").size(), 1);

    PressKey(Grid(), Qt::Key_Escape);
    EXPECT_FALSE(m_window.isVisible());
}

TEST_F(ArtistsWindowTest, TheDetailsWindowShowsNotFoundInWhiteOnRedAndRenames) {
    ArtistDetailsController controller(m_library);
    ArtistDetailsWindow window(controller);
    controller.ShowArtistDetails(4242);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.IdLine()->text(), "Id 4242");
    EXPECT_EQ(window.NameLine()->text(), " not found ");
    EXPECT_EQ(window.NameLine()->palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_EQ(window.NameLine()->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_TRUE(window.NameLine()->autoFillBackground());
    EXPECT_FALSE(window.RenameButton()->isEnabled());

    controller.ShowArtistDetails(m_cream);
    EXPECT_EQ(window.NameLine()->text(), "Cream's \"Best\"");
    EXPECT_FALSE(window.NameLine()->autoFillBackground());
    EXPECT_NE(window.NameLine()->palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_TRUE(window.RenameButton()->isEnabled());
    m_dialogs.QueueAnswers({"Cream & Co", "No"});
    window.RenameButton()->click();
    EXPECT_EQ(window.NameLine()->text(), "Cream & Co");

    PressKey(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    controller.ShowArtistDetails(m_cream);
    window.CloseButton()->click();
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace sw
