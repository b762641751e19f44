#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "../ListWindowDriver.h"
#include "core/RowSet.h"
#include "core/RowSetModel.h"
#include "windows/main/LibraryListWindow.h"
#include "windows/main/WindowHelpers.h"

namespace sw {
namespace {

/// A list of names in a model, as a controller holds them; made before the window over them.
struct Names {
    Names() {
        rows = RowSet({{"NAME", ColumnKind::Text}});
        for (const char* name : {"Abba", "Blur", "Cream", "Doors"}) {
            rows.AppendRow({QString(name)});
        }
        GridColumn name;
        name.caption = "Name";
        name.text = FieldText(rows, "NAME");
        model.Show(&rows, {name});
    }
    RowSet rows;
    RowSetModel model;
};

/// The frame over the names, recording what it hands on.
class NamesWindow : private Names, public LibraryListWindow {
public:
    explicit NamesWindow(Parts parts) : LibraryListWindow(model, parts) { ListBuilt(); }

    using LibraryListWindow::CloseListWindow;
    using LibraryListWindow::RunListWindowModal;

    int row = 0;
    QStringList typed;
    int enters = 0;
    int escapes = 0;

protected:
    int ControllerRow() const override { return row; }
    void UserMovedTo(int to) override { row = to; }
    void StateChanged() override {}
    void SearchTyped(const QString& text) override { typed << text; }
    void EnterPressed() override {
        ++enters;
        LibraryListWindow::EnterPressed();
    }
    void EscapePressed() override {
        ++escapes;
        LibraryListWindow::EscapePressed();
    }
};

using test::PressKey;

TEST(LibraryListWindow, ThePickEndsWithSelectOrWithoutAPickOnCancelOrClose) {
    NamesWindow window({.searchBox = true, .pickBar = true});
    struct Case {
        const char* name;
        std::function<void()> act;
        bool picked;
    };
    const std::vector<Case> cases{
        {"select", [&] { window.PickBar()->findChild<QPushButton*>("select")->click(); }, true},
        {"enter", [&] { PressKey(window.SearchBox(), Qt::Key_Return); }, true},
        {"cancel", [&] { window.PickBar()->findChild<QPushButton*>("cancel")->click(); }, false},
        {"window closed", [&] { window.close(); }, false},
        {"closed with OK", [&] { window.CloseListWindow(true); }, true},
    };
    for (const Case& each : cases) {
        test::WhenListWindowModal(window, each.act);
        EXPECT_EQ(window.RunListWindowModal(), each.picked) << each.name;
        EXPECT_FALSE(window.isVisible()) << each.name;
        EXPECT_FALSE(window.PickBar()->isVisibleTo(&window)) << each.name;
        EXPECT_EQ(window.windowModality(), Qt::NonModal) << each.name;
    }
}

TEST(LibraryListWindow, TheSearchBoxPassesTypingAndMovesTheGridButNotTheProgramsOwnChanges) {
    NamesWindow window({.searchBox = true, .pickBar = false});
    window.show();
    window.SearchBox()->setText("bl");
    ClearEditQuietly(window.SearchBox());
    EXPECT_EQ(window.typed, QStringList{"bl"});

    PressKey(window.SearchBox(), Qt::Key_Down);
    PressKey(window.SearchBox(), Qt::Key_Down);
    EXPECT_EQ(window.row, 2);
    EXPECT_EQ(window.Grid()->currentIndex().row(), 2);
    PressKey(window.SearchBox(), Qt::Key_Return);
    EXPECT_EQ(window.enters, 1);
    EXPECT_TRUE(window.isVisible());
    PressKey(window.Grid(), Qt::Key_Escape);
    EXPECT_EQ(window.escapes, 1);
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace sw
