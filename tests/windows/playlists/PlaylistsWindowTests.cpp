#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <utility>

#include "../ListWindowDriver.h"
#include "../ModalDriver.h"
#include "../songs/SongListFixture.h"
#include "windows/playlists/PlaylistsWindow.h"
#include "windows/playlists/SearchDialog.h"

namespace sw {
namespace {

void Click(QWidget* viewport, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, button, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
}

QStringList Captions(const QList<QAction*>& actions) {
    QStringList captions;
    for (const QAction* action : actions) {
        captions << action->text();
    }
    return captions;
}

class PlaylistsWindowTest : public test::SongListFixture {
protected:
    PlaylistsWindowTest() {
        AddPlaylist(3, "Road trip", {});
        AddPlaylist(1, "Morning", {});
        AddPlaylist(2, "Night's end", {});
        m_window.resize(400, 300);
    }
    QStringList Headings() const {
        QStringList headings;
        for (int column = 0; column < 3; ++column) {
            headings << m_window.Grid()->model()->headerData(column, Qt::Horizontal).toString();
        }
        return headings;
    }
    QPoint RowPoint(int row) const {
        QTableView* grid = m_window.Grid();
        return {5, grid->rowViewportPosition(row) + grid->rowHeight(row) / 2};
    }
    void WhenPicking(std::function<void()> act) { test::WhenListWindowModal(m_window, std::move(act)); }

    PlaylistsController m_controller{m_library, m_playlists, m_list};
    PlaylistsWindow m_window{m_controller};
};

const QString kBullet = QString(QChar(0x2022)) + " ";

TEST_F(PlaylistsWindowTest, MenusAndHeadingsFollowTheOrder) {
    m_controller.ShowPlaylistsWindow();
    EXPECT_TRUE(m_window.isVisible());
    EXPECT_EQ(m_window.windowTitle(), "Playlists");
    EXPECT_EQ(m_window.SearchBox(), nullptr);
    EXPECT_FALSE(m_window.PickBar()->isVisibleTo(&m_window));
    EXPECT_EQ(Captions(m_window.menuBar()->actions()), (QStringList{"Close", "Refresh", "New", "Sequence"}));
    EXPECT_EQ(Captions(m_window.SequenceMenu()->actions()),
              (QStringList{"by Id", "by Name", "by Date", "", "(or click on column headings)"}));
    EXPECT_FALSE(m_window.Command(PlaylistsCommand::SequenceHint)->isEnabled());

    QHeaderView* header = m_window.Grid()->horizontalHeader();
    const auto clickHeading = [header](int column) {
        Click(header->viewport(), {header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                                   header->height() / 2});
    };
    struct Step {
        std::function<void()> act;
        QStringList headings;
        PlaylistsCommand ticked;
        const char* name;
    };
    using C = PlaylistsCommand;
    const std::vector<Step> steps{
        {[] {}, {"Id ", kBullet + "Name ", "Date"}, C::ByName, "by Name"},
        {[&] { clickHeading(0); }, {kBullet + "Id ", "Name ", "Date"}, C::ById, "by Id"},
        {[&] { m_window.Command(C::ByDate)->trigger(); }, {"Id ", "Name ", "Date"}, C::ByDate, "by Date"},
        {[&] { clickHeading(1); }, {"Id ", kBullet + "Name ", "Date"}, C::ByName, "by Name"},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(Headings(), step.headings) << step.name;
        EXPECT_TRUE(m_window.Command(step.ticked)->isChecked()) << step.name;
        EXPECT_GE(m_window.Grid()->columnWidth(1),
                  m_window.Grid()->fontMetrics().horizontalAdvance("Night's end"));
    }
}

TEST_F(PlaylistsWindowTest, ThePickBarSelectsTheHighlightedRowOrCancels) {
    struct Case {
        const char* name;
        std::function<void()> act;
        bool picked;
        int id;
    };
    const std::vector<Case> cases{
        {"Select", [&] { m_window.PickBar()->findChild<QPushButton*>("select")->click(); }, true, 1},
        {"Cancel", [&] { m_window.PickBar()->findChild<QPushButton*>("cancel")->click(); }, false, 0},
        {"a click on the third row", [&] { Click(m_window.Grid()->viewport(), RowPoint(2)); }, true, 3},
    };
    for (const Case& each : cases) {
        bool barShown = false;
        WhenPicking([&] {
            barShown = m_window.PickBar()->isVisible();
            each.act();
        });
        Tplist record;
        EXPECT_EQ(m_controller.PickPlaylist(record), each.picked) << each.name;
        EXPECT_EQ(record.Id, each.id) << each.name;
        EXPECT_TRUE(barShown) << each.name;
        EXPECT_FALSE(m_window.isVisible()) << each.name;
        EXPECT_FALSE(m_window.PickBar()->isVisibleTo(&m_window)) << each.name;
        m_controller.SetCurrentRow(0);
    }
}

TEST_F(PlaylistsWindowTest, ARightClickMakesTheRowCurrentAndOpensThePopup) {
    m_controller.ShowPlaylistsWindow();
    emit m_window.Grid()->customContextMenuRequested(RowPoint(1));
    EXPECT_EQ(m_controller.CurrentPlaylistId(), 2);
    EXPECT_EQ(m_window.Grid()->currentIndex().row(), 1);
    EXPECT_TRUE(m_window.PopupMenu()->isVisible());
    EXPECT_FALSE(m_window.Command(PlaylistsCommand::EditContent)->isEnabled()) << "no queue to edit in";
    m_window.PopupMenu()->hide();
}

class SearchDialogTest : public test::SongListFixture {
protected:
    SearchController m_search;
    SearchDialog m_dialog{m_search};
};

TEST_F(SearchDialogTest, TheScopesShowForATextSearchOnlyAndABadNumberKeepsTheDialogOpen) {
    bool openAfterEmpty = false;
    bool openAfterBad = false;
    test::OnNextModal([&](QWidget*) {
        EXPECT_TRUE(m_dialog.ScopeGroup()->isVisible());
        EXPECT_TRUE(m_dialog.PlaceButton(SearchPlace::Anywhere)->isChecked());
        for (const auto& [searchFor, scopes] : std::vector<std::pair<SearchFor, bool>>{
                 {SearchFor::SongNumber, false}, {SearchFor::Text, true}, {SearchFor::ArtistId, false}}) {
            m_dialog.SearchForButton(searchFor)->click();
            EXPECT_EQ(m_dialog.ScopeGroup()->isVisible(), scopes) << static_cast<int>(searchFor);
        }
        m_dialog.OkButton()->click();
        openAfterEmpty = m_dialog.isVisible();
        m_dialog.TextBox()->setText("4x");
        m_dialog.OkButton()->click();
        openAfterBad = m_dialog.isVisible();
        m_dialog.TextBox()->setText("45");
        m_dialog.OkButton()->click();
    });
    SearchOptions options;
    QString text;
    EXPECT_TRUE(m_search.AskSearch(options, text));
    EXPECT_EQ(m_dialog.windowTitle(), "Search");
    EXPECT_TRUE(openAfterEmpty);
    EXPECT_TRUE(openAfterBad);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), (QStringList{"Invalid integer \"4x\"", "Invalid number"}));
    EXPECT_EQ(text, "45");
    EXPECT_EQ(options.searchFor, SearchFor::ArtistId);
}

TEST_F(SearchDialogTest, OnShowingAFileNameKeepsTheCaretAtTheEndAndAnyOtherTextIsSelected) {
    struct Case {
        SearchPlace place;
        QString selected;
    };
    const std::vector<Case> cases{
        {SearchPlace::FileName, ""},
        {SearchPlace::Anywhere, "pop/song.mp3"},
        {SearchPlace::Title, "pop/song.mp3"},
    };
    for (const Case& each : cases) {
        QString selected = "unset";
        int caret = -1;
        test::OnNextModal([&](QWidget*) {
            selected = m_dialog.TextBox()->selectedText();
            caret = m_dialog.TextBox()->cursorPosition();
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(m_dialog.TextBox(), &escape);
        });
        SearchOptions options{SearchFor::Text, each.place};
        QString text = "pop/song.mp3";
        EXPECT_FALSE(m_search.AskSearch(options, text));
        EXPECT_EQ(selected, each.selected) << static_cast<int>(each.place);
        EXPECT_EQ(caret, 12) << static_cast<int>(each.place);
        EXPECT_FALSE(m_dialog.isVisible());
    }
}

}  // namespace
}  // namespace sw
