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
#include <QRadioButton>
#include <QTableView>
#include <QTimer>

#include "GenresFixture.h"
#include "../ListWindowDriver.h"
#include "../ModalDriver.h"
#include "windows/genres/GenreDetailsDialog.h"
#include "windows/genres/GenresWindow.h"

namespace sw {
namespace {

const QString kBullet = QString(QChar(0x2022)) + " ";

class GenresWindowTest : public test::GenresFixture {
protected:
    GenresWindowTest() {
        AddGenres({{3, "Funk", 0}, {7, "Jazz", 1}, {13, "Pop", 0}});
        for (const int id : {13, 3, 7}) {
            AddSongOfGenre(id);
        }
        m_view.resize(340, 400);
    }

    QTableView* Grid() { return m_view.Grid(); }
    QString Heading(int column) { return Grid()->model()->headerData(column, Qt::Horizontal).toString(); }
    void Click(int row) {
        const QPoint local(5, Grid()->rowViewportPosition(row) + Grid()->rowHeight(row) / 2);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, local, Grid()->viewport()->mapToGlobal(local), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(Grid()->viewport(), &event);
        }
    }
    void WhenPicking(std::function<void()> act) { test::WhenListWindowModal(m_view, std::move(act)); }

    /// Over the fixture's fake window and dialog: the real ones take their place.
    GenresWindow m_view{m_genres};
};

TEST_F(GenresWindowTest, ShowsTheGenresUnderTheirHeadingsWithTheMenusTicked) {
    m_genres.ShowGenresWindow();
    ASSERT_TRUE(m_view.isVisible());
    EXPECT_EQ(m_view.windowTitle(), "Genres");
    EXPECT_EQ(m_view.objectName(), "FGenres");
    EXPECT_FALSE(m_view.PickBar()->isVisibleTo(&m_view));
    EXPECT_EQ(m_view.CountLabel()->text(), "3 genres listed");
    EXPECT_EQ(Heading(0), kBullet + "Name ");
    EXPECT_EQ(Heading(1), "Id");
    EXPECT_EQ(Heading(2), "Dormant?");
    EXPECT_EQ(Grid()->model()->index(1, 2).data().toString(), "Dormant");
    EXPECT_EQ(Grid()->model()->index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    EXPECT_EQ(Grid()->currentIndex().row(), 0);

    QStringList bar;
    for (QAction* item : m_view.menuBar()->actions()) {
        bar << item->text();
    }
    EXPECT_EQ(bar, (QStringList{"Close", "Load", "Refresh", "Sequence", "FILTER", "New"}));
    const auto captions = [](QMenu* menu) {
        QStringList texts;
        for (QAction* item : menu->actions()) {
            texts << item->text();
        }
        return texts;
    };
    EXPECT_EQ(captions(m_view.SequenceMenu()),
              (QStringList{"by Id", "by Name", "(or click on column headings)"}));
    EXPECT_EQ(captions(m_view.FilterMenu()), (QStringList{"in use", "available", "all (incl dormants)"}));
    EXPECT_TRUE(m_view.Command(GenresCommand::ByName)->isChecked());
    EXPECT_FALSE(m_view.Command(GenresCommand::ById)->isChecked());
    EXPECT_FALSE(m_view.Command(GenresCommand::SequenceHint)->isEnabled());
    EXPECT_TRUE(m_view.Command(GenresCommand::InUse)->isChecked());
    QStringList popup;
    for (QAction* item : m_view.PopupMenu()->actions()) {
        popup << item->text();
    }
    EXPECT_EQ(popup, (QStringList{"List tracks", "Edit", "Delete"}));

    m_view.Command(GenresCommand::All)->trigger();
    EXPECT_EQ(m_view.FilterMenu()->title(), "Filter");
    EXPECT_TRUE(m_view.Command(GenresCommand::All)->isChecked());
    EXPECT_FALSE(m_view.Command(GenresCommand::InUse)->isChecked());

    // A click on the Id heading, second by name, sorts by id and moves the column first.
    m_view.Grid()->horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(Heading(0), kBullet + "Id  ");
    EXPECT_EQ(Heading(1), "Name");
    EXPECT_TRUE(m_view.Command(GenresCommand::ById)->isChecked());
    EXPECT_EQ(Grid()->model()->index(0, 0).data().toString(), "3");
    // The "Dormant?" heading does not sort.
    m_view.Grid()->horizontalHeader()->sectionClicked(2);
    EXPECT_TRUE(m_view.Command(GenresCommand::ById)->isChecked());
    m_view.Grid()->horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(Heading(0), kBullet + "Name ");
}

TEST_F(GenresWindowTest, ThePickerTakesTheHighlightedGenreOnSelectOrAClickAndNothingOtherwise) {
    struct Case {
        const char* name;
        std::function<void()> act;
        bool picked;
        int id;
    };
    const std::vector<Case> cases{
        {"select",
         [&] {
             Grid()->selectRow(2);
             m_view.PickBar()->findChild<QPushButton*>("select")->click();
         },
         true, 13},
        {"cancel leaves the highlighted genre",
         [&] {
             Grid()->selectRow(1);
             m_view.PickBar()->findChild<QPushButton*>("cancel")->click();
         },
         false, -1},
        {"a click on a row", [&] { Click(0); }, true, 3},
        {"window closed", [&] { m_view.close(); }, false, -1},
        {"escape",
         [&] {
             Grid()->selectRow(2);
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(Grid(), &escape);
         },
         false, -1},
    };
    for (const Case& each : cases) {
        WhenPicking([&] {
            EXPECT_TRUE(m_view.PickBar()->isVisible()) << each.name;
            each.act();
        });
        int id = -1;
        QString name;
        EXPECT_EQ(m_genres.PickGenre(id, name), each.picked) << each.name;
        EXPECT_EQ(id, each.id) << each.name;
        EXPECT_FALSE(m_view.isVisible()) << each.name;
        EXPECT_FALSE(m_view.PickBar()->isVisibleTo(&m_view)) << each.name;
    }
    // Picking lists no songs.
    EXPECT_TRUE(m_list.BackStack().empty());
    EXPECT_NE(m_list.CurrentRequest().Type, SongListType::Genre);
}

TEST_F(GenresWindowTest, TheDetailsDialogKeepsABadIdOpenAndSavesAGoodOne) {
    GenreDetailsDialog* dialog = m_view.DetailsDialog();
    m_genres.ShowGenresWindow();
    m_genres.SetCurrentRow(0);
    QStringList steps;
    test::OnNextModal([&](QWidget* modal) {
        EXPECT_EQ(modal, dialog);
        EXPECT_EQ(dialog->windowTitle(), "Genre details");
        EXPECT_EQ(QApplication::focusWidget(), dialog->NameBox());
        EXPECT_EQ(dialog->IdBox()->text(), "3");
        EXPECT_EQ(dialog->NameBox()->text(), "Funk");
        EXPECT_TRUE(dialog->ActiveButton()->isChecked());
        EXPECT_TRUE(dialog->SaveButton()->isDefault());
        dialog->IdBox()->setText("x");
        dialog->SaveButton()->click();
        steps << (dialog->isVisible() ? "open after x" : "closed after x");
        dialog->IdBox()->setText("7");
        dialog->SaveButton()->click();
        steps << (dialog->isVisible() ? "open after 7" : "closed after 7");
        dialog->IdBox()->setText("4");
        dialog->DormantButton()->setChecked(true);
        dialog->SaveButton()->click();
        steps << (dialog->isVisible() ? "open after 4" : "closed after 4");
    });
    m_view.Command(GenresCommand::Edit)->trigger();
    EXPECT_EQ(steps, (QStringList{"open after x", "open after 7", "closed after 4"}));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              (QStringList{"Invalid integer \"x\"", "Invalid id", "Genre 7 already exists"}));
    EXPECT_EQ(GenreTable(), (QStringList{"4:Funk:1", "7:Jazz:1", "13:Pop:0"}));

    // Cancel stores nothing.
    test::OnNextModal([&](QWidget*) {
        dialog->NameBox()->setText("Soul");
        dialog->CancelButton()->click();
    });
    EXPECT_FALSE(m_genres.EditGenre(4));
    EXPECT_EQ(GenreTable(), (QStringList{"4:Funk:1", "7:Jazz:1", "13:Pop:0"}));
}

}  // namespace
}  // namespace sw
