#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "foundation/ScriptedDialogs.h"
#include "windows/days/DaysWindow.h"

namespace sw {
namespace {

void Press(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

void ClickCell(QTableView* grid, int row, int column) {
    const QPoint at = grid->visualRect(grid->model()->index(row, column)).center();
    const QPointF local(at);
    const QPointF global(grid->viewport()->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &press);
    QApplication::sendEvent(grid->viewport(), &release);
}

class DaysWindowTest : public ::testing::Test {
protected:
    DaysWindowTest() : m_installed(m_dialogs) {
        m_source.OpenCurrent(m_catalogue);
        for (int day = 20240101; day <= 20240125; ++day) {
            m_catalogue.ExecSql(
                "insert into history (songnum, ts, pldate, pltime) values (1, "
                "'2024-01-01 10:00:00', " +
                QString::number(day) + ", 100000)");
        }
        m_catalogue.ExecSqlCommit(
            "insert into daynote (dayint, note) values (20240125, 'A long note for the last day')");
    }
    ~DaysWindowTest() override { m_window.hide(); }

    QString Cell(int row, int column) const {
        return m_window.Grid()->model()->index(row, column).data().toString();
    }

    test::TestCatalogue m_source;
    Catalogue m_catalogue;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed;
    DaysWindow m_window{m_catalogue};
};

TEST_F(DaysWindowTest, ShowsTheDaysFittedOnTheMostRecentAndClosesOnEscape) {
    m_window.ShowDays();
    QTableView* grid = m_window.Grid();
    EXPECT_EQ(m_window.windowTitle(), "Days");
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "Date");
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "NOTE");
    ASSERT_EQ(grid->model()->rowCount(), 25);
    EXPECT_EQ(Cell(24, 0), "2024-01-25");
    EXPECT_EQ(Cell(24, 1), "A long note for the last day");
    EXPECT_EQ(grid->currentIndex().row(), 24);
    // The note column is as wide as its longest note.
    EXPECT_GE(grid->columnWidth(1), grid->fontMetrics().horizontalAdvance("A long note for the last day"));

    for (const auto& [command, caption] :
         {std::pair{DaysCommand::Close, "Close"}, std::pair{DaysCommand::Refresh, "Refresh"},
          std::pair{DaysCommand::First, "First"}, std::pair{DaysCommand::Last, "Last"}}) {
        EXPECT_EQ(m_window.Command(command)->text(), caption);
    }
    m_window.Command(DaysCommand::First)->trigger();
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(m_window.Controller().CurrentDay(), 20240101);

    // Moving in the grid moves the day the commands act on.
    grid->setCurrentIndex(grid->model()->index(3, 1));
    EXPECT_EQ(m_window.Controller().CurrentDay(), 20240104);

    Press(grid, Qt::Key_Escape);
    EXPECT_FALSE(m_window.isVisible());
}

TEST_F(DaysWindowTest, ThePopupMenuEditsNotesAndListsSongsOnceTheSongsWindowIsThere) {
    m_window.ShowDays();
    m_window.Command(DaysCommand::First)->trigger();
    m_dialogs.QueueAnswer("It's the first");
    m_window.Command(DaysCommand::EditNote)->trigger();
    EXPECT_EQ(Cell(0, 1), "It's the first");
    EXPECT_EQ(m_window.Grid()->currentIndex().row(), 0);

    QAction* list = m_window.Command(DaysCommand::ListSongs);
    EXPECT_FALSE(list->isEnabled());
    ClickCell(m_window.Grid(), 2, 0);
    EXPECT_EQ(m_window.Controller().RememberedDay(), 0);
    std::vector<int> listed;
    m_window.SetListDaySongs([&](int day) { listed.push_back(day); });
    EXPECT_TRUE(list->isEnabled());
    ClickCell(m_window.Grid(), 2, 1);
    list->trigger();
    EXPECT_EQ(listed, (std::vector<int>{20240103, 20240103}));
}

}  // namespace
}  // namespace sw
