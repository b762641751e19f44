#include "LibraryListWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "ColumnFit.h"
#include "Grid.h"
#include "WindowHelpers.h"
#include "core/RowSetModel.h"
#include "foundation/QuietChange.h"

namespace sw {

namespace {

/// Pixels added to a fitted column: the cell's margins on both sides.
constexpr int kCellPadding = 12;

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

/// Keys that the search box hands to the grid, so that typing and moving go together.
bool IsCursorKey(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

}  // namespace

LibraryListWindow::LibraryListWindow(RowSetModel& model, Parts parts, QWidget* parent)
    : QMainWindow(parent), m_model(model) {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    m_grid = new QTableView(central);
    m_grid->setObjectName("grid");
    SetUpGrid(m_grid);
    m_grid->setModel(&m_model);
    m_grid->setWordWrap(false);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionsClickable(true);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->installEventFilter(this);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_syncing && current.isValid()) {
                    UserMovedTo(current.row());
                }
            });
    connect(m_grid, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            RowClicked(index.row());
        }
    });
    connect(m_grid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            RowDoubleClicked(index.row());
        }
    });
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const int row = m_grid->rowAt(at.y());
        if (row >= 0) {
            PopupRequested(row, m_grid->viewport()->mapToGlobal(at));
        }
    });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { HeadingClicked(column); });
    layout->addWidget(m_grid, 1);

    m_bottom = new QWidget(central);
    auto* bar = new QHBoxLayout(m_bottom);
    bar->setContentsMargins(0, 0, 0, 0);
    m_count = new QLabel(m_bottom);
    m_count->setObjectName("countLabel");
    bar->addWidget(m_count, 1);
    if (parts.searchBox) {
        m_search = new QLineEdit(m_bottom);
        m_search->setObjectName("searchBox");
        m_search->setClearButtonEnabled(true);
        m_search->installEventFilter(this);
        connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
            if (!TakeQuietChange()) {
                SearchTyped(text);
            }
        });
        bar->addWidget(m_search, 1);
    }
    layout->addWidget(m_bottom);

    if (parts.pickBar) {
        m_pickBar = new QWidget(central);
        m_pickBar->setObjectName("pickBar");
        auto* pick = new QHBoxLayout(m_pickBar);
        pick->setContentsMargins(0, 0, 0, 0);
        pick->addStretch(1);
        auto* select = new QPushButton("Select", m_pickBar);
        select->setObjectName("select");
        select->setDefault(true);
        auto* cancel = new QPushButton("Cancel", m_pickBar);
        cancel->setObjectName("cancel");
        connect(select, &QPushButton::clicked, this, [this] { PickSelected(); });
        connect(cancel, &QPushButton::clicked, this, [this] { PickCancelled(); });
        pick->addWidget(select);
        pick->addWidget(cancel);
        m_pickBar->hide();
        layout->addWidget(m_pickBar);
    }
    setCentralWidget(central);
}

LibraryListWindow::~LibraryListWindow() {
    if (m_modalLoop) {
        m_modalLoop->quit();
    }
}

void LibraryListWindow::ListBuilt() {
    FitColumns();
    ShowCurrentRow();
}

void LibraryListWindow::FitColumns() {
    const std::vector<int> widths = FitColumnWidths(m_model, m_grid->fontMetrics(),
                                                    m_grid->horizontalHeader()->fontMetrics(), kCellPadding);
    int total = 0;
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        m_grid->setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
        total += widths[static_cast<std::size_t>(column)];
    }
    // The window widens to show every column (never narrower than it was designed), up to the
    // screen's width.
    if (m_designWidth == 0) {
        m_designWidth = width();
    }
    const QMargins margins = centralWidget()->layout()->contentsMargins();
    const int gridWidth = total + 2 * m_grid->frameWidth() + m_grid->verticalScrollBar()->sizeHint().width() +
                          margins.left() + margins.right();
    const int frame = frameGeometry().width() - width();
    const QRect screen = ScreenAtCursor();
    const int wanted = std::min(std::max(m_designWidth, gridWidth), screen.width() - 2 - frame);
    if (wanted != width()) {
        resize(wanted, height());
        if (frameGeometry().right() > screen.right()) {
            move(std::max(screen.left() + 1, screen.right() - frameGeometry().width()), y());
        }
    }
}

void LibraryListWindow::CurrentRowChanged(int) {
    ShowCurrentRow();
}

void LibraryListWindow::ShowCurrentRow() {
    const int row = ControllerRow();
    m_syncing = true;
    if (row >= 0 && row < m_model.rowCount()) {
        const QModelIndex index = m_model.index(row, 0);
        m_grid->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_grid->scrollTo(index);
    } else {
        m_grid->selectionModel()->clear();
    }
    m_syncing = false;
}

void LibraryListWindow::ClearSearchQuietly() {
    if (m_search) {
        ClearEditQuietly(m_search);
    }
}

void LibraryListWindow::ShowListWindow() {
    ShowRestored(this);
    if (m_search) {
        m_search->setFocus();
    }
}

bool LibraryListWindow::RunListWindowModal() {
    if (m_modalLoop) {
        return false;
    }
    // Modality is taken at showing: a window on show is hidden first.
    if (isVisible()) {
        hide();
    }
    if (m_pickBar) {
        m_pickBar->show();
    }
    setWindowModality(Qt::ApplicationModal);
    m_modalOk = false;
    QEventLoop loop;
    m_modalLoop = &loop;
    ShowListWindow();
    loop.exec();
    m_modalLoop = nullptr;
    if (isVisible()) {
        hide();
    }
    setWindowModality(Qt::NonModal);
    if (m_pickBar) {
        m_pickBar->hide();
    }
    return m_modalOk;
}

void LibraryListWindow::CloseListWindow(bool ok) {
    m_modalOk = ok;
    close();
}

bool LibraryListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == m_grid || watched == m_search)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnter(key->key())) {
            EnterPressed();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            EscapePressed();
            return true;
        }
        if (watched == m_search && IsCursorKey(key->key())) {
            QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers());
            QCoreApplication::sendEvent(m_grid, &copy);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool LibraryListWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        Activated();
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        EscapePressed();
        return true;
    }
    return QMainWindow::event(event);
}

void LibraryListWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Shown();
    if (m_search) {
        m_search->setFocus();
    }
}

void LibraryListWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && m_modalLoop) {
        m_modalLoop->quit();
    }
}

}  // namespace sw
