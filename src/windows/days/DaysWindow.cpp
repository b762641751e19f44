#include "DaysWindow.h"

#include <QAbstractTableModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>

#include "windows/main/Grid.h"
#include "windows/main/WindowHelpers.h"

namespace sw {

/// The day list's grid model: the controller's rows, the "Date" and "NOTE" cells.
class DaysModel : public QAbstractTableModel {
public:
    DaysModel(const DaysController& days, QObject* parent) : QAbstractTableModel(parent), m_days(days) {}

    void Reset() {
        beginResetModel();
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_days.RowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || role != Qt::DisplayRole || index.row() >= m_days.RowCount()) {
            return {};
        }
        return index.column() == 0 ? m_days.DateText(index.row()) : m_days.NoteText(index.row());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
            return {};
        }
        return section == 0 ? "Date" : "NOTE";
    }

private:
    const DaysController& m_days;
};

DaysWindow::DaysWindow(Catalogue& catalogue, QWidget* parent) : QMainWindow(parent), m_controller(catalogue) {
    setWindowTitle("Days");

    using C = DaysCommand;
    m_commands[C::Close] = menuBar()->addAction("Close", this, &QWidget::close);
    m_commands[C::Refresh] = menuBar()->addAction("Refresh", this, [this] { m_controller.Refresh(); });
    m_commands[C::First] = menuBar()->addAction("First", this, [this] { m_controller.First(); });
    m_commands[C::Last] = menuBar()->addAction("Last", this, [this] { m_controller.Last(); });

    m_grid = new QTableView(this);
    m_grid->setObjectName("days");
    SetUpGrid(m_grid);
    m_model = new DaysModel(m_controller, this);
    m_grid->setModel(m_model);
    setCentralWidget(m_grid);

    m_popup = new QMenu(this);
    m_commands[C::ListSongs] = m_popup->addAction("List songs actually played", this,
                                                  [this] { m_controller.ListSongsActuallyPlayed(); });
    m_commands[C::EditNote] =
        m_popup->addAction("Add/edit day note", this, [this] { m_controller.EditDayNote(); });
    // Until the songs window is connected there is nowhere to list a day's songs.
    Command(C::ListSongs)->setEnabled(false);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) {
                Command(DaysCommand::EditNote)->setEnabled(m_controller.DayNoteAllowed());
                m_popup->popup(m_grid->viewport()->mapToGlobal(at));
            });

    connect(m_grid, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { CellClicked(index.row()); });
    connect(m_grid, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { CellClicked(index.row()); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_moving && current.isValid()) {
                    m_controller.SetCurrentRow(current.row());
                }
            });

    resize(420, 480);
    m_controller.SetDisplay(this);
}

DaysWindow::~DaysWindow() {
    m_controller.SetDisplay(nullptr);
}

void DaysWindow::ShowDays() {
    ShowRestored(this);
}

void DaysWindow::SetListDaySongs(std::function<void(int day)> list) {
    Command(DaysCommand::ListSongs)->setEnabled(static_cast<bool>(list));
    m_controller.SetListDaySongs(std::move(list));
}

void DaysWindow::CellClicked(int row) {
    m_controller.SetCurrentRow(row);
    m_controller.ListSongsActuallyPlayed();
}

bool DaysWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        m_controller.Activated();
    }
    return QMainWindow::event(event);
}

void DaysWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_controller.Shown();
    m_grid->setFocus();
}

void DaysWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void DaysWindow::ListReloaded() {
    m_moving = true;
    m_model->Reset();
    AutoSizeColumns(m_grid);
    m_moving = false;
}

void DaysWindow::CurrentRowMoved(int row, bool contextBelow) {
    m_moving = true;
    if (contextBelow) {
        // The grid is not redrawn while it scrolls ahead and back.
        m_grid->setUpdatesEnabled(false);
        ShowContextBelow(m_grid, row);
        m_grid->setUpdatesEnabled(true);
    } else {
        m_grid->setCurrentIndex(m_model->index(row, 0));
        m_grid->scrollTo(m_model->index(row, 0));
    }
    m_moving = false;
}

}  // namespace sw
