#include "SongsWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "windows/main/ColumnFit.h"
#include "windows/main/WindowHelpers.h"
#include "core/Catalogue.h"

namespace sw {

namespace {

/// Draws the rows the controller marks as selected, and the current row lightly tinted.
class SongRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
        if (index.data(RowSetModel::kRowMarkedRole).toBool()) {
            option->state |= QStyle::State_Selected;
        } else if (const auto* view = qobject_cast<const QAbstractItemView*>(option->widget);
                   view && view->currentIndex().row() == index.row()) {
            option->backgroundBrush = QColor(204, 228, 247);
        }
    }
};

/// Pixels added to a fitted column: the cell's margins on both sides.
constexpr int kCellPadding = 12;
/// Rows of the warnings scan done between two events.
constexpr int kScanSlice = 2000;

}  // namespace

SongsWindow::SongsWindow(SongListController& controller, Catalogue& catalogue, QWidget* parent)
    : QMainWindow(parent), m_controller(controller), m_catalogue(catalogue) {
    setObjectName("songsWindow");
    setWindowTitle("Songs");
    resize(900, 520);
    m_creationWidth = width();
    m_scanTimer = new QTimer(this);
    m_scanTimer->setInterval(0);
    connect(m_scanTimer, &QTimer::timeout, this, [this] {
        if (!m_controller.ContinueWarningsScan(kScanSlice)) {
            m_scanTimer->stop();
        }
    });
    m_controller.SetWarningsScanDeferred(true);
    BuildLayout();
    BuildMenus();
    BuildPopup();
    m_controller.SetDisplay(this);
    StateChanged();
}

SongsWindow::~SongsWindow() {
    m_controller.SetDisplay(nullptr);
    m_controller.SetWarningsScanDeferred(false);
}

void SongsWindow::BuildLayout() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    m_grid = new QTableView(central);
    m_grid->setObjectName("songGrid");
    m_grid->setModel(&m_controller.Model());
    m_grid->setItemDelegate(new SongRowDelegate(m_grid));
    m_grid->setSelectionMode(QAbstractItemView::NoSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSortingEnabled(false);
    m_grid->setWordWrap(false);
    m_grid->setToolTip("Multi-select using CTRL/SHIFT+CLICK or SHIFT+UP/DOWN");
    // A click on a column heading orders the rows by it; the controller does the ordering.
    m_grid->horizontalHeader()->setSectionsClickable(true);
    m_grid->horizontalHeader()->setHighlightSections(false);
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { m_controller.SortByColumn(column); });
    m_grid->verticalHeader()->setVisible(false);
    // Fixed row heights keep a list of 100,000 rows as cheap to scroll as a short one.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->viewport()->installEventFilter(this);
    m_grid->installEventFilter(this);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_syncing && current.isValid()) {
                    const bool shift = QGuiApplication::keyboardModifiers() & Qt::ShiftModifier;
                    m_controller.KeyMoveTo(current.row(), shift);
                }
                m_grid->viewport()->update();
            });
    layout->addWidget(m_grid, 1);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(6);
    m_jumpStart = new QToolButton(central);
    m_jumpStart->setObjectName("jumpStart");
    m_jumpStart->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    m_jumpStart->setToolTip("jump to start of list");
    connect(m_jumpStart, &QToolButton::clicked, this, [this] { m_controller.JumpToStart(); });
    m_jumpEnd = new QToolButton(central);
    m_jumpEnd->setObjectName("jumpEnd");
    m_jumpEnd->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
    m_jumpEnd->setToolTip("jump to end of list");
    connect(m_jumpEnd, &QToolButton::clicked, this, [this] { m_controller.JumpToEnd(); });
    m_count = new QLabel(central);
    m_count->setObjectName("countLabel");
    m_count->installEventFilter(this);
    m_filterLabel = new QLabel(central);
    m_filterLabel->setObjectName("filterLabel");
    m_filterLabel->setAutoFillBackground(true);
    m_filterLabel->setFrameShape(QFrame::Panel);
    m_filterLabel->setFrameShadow(QFrame::Raised);
    m_filterLabel->setCursor(Qt::PointingHandCursor);
    m_filterLabel->installEventFilter(this);
    bar->addWidget(m_jumpStart);
    bar->addWidget(m_jumpEnd);
    bar->addWidget(m_count);
    bar->addStretch(1);
    bar->addWidget(m_filterLabel);
    layout->addLayout(bar);
    setCentralWidget(central);
}

// What the controller shows.

void SongsWindow::ShowSongsWindow() {
    ShowRestored(this);
}

void SongsWindow::SaveColumnWidths() {
    const RowSetModel& model = m_controller.Model();
    for (int column = 0; column < model.ColumnCount(); ++column) {
        m_savedWidths[model.Column(column).caption] = m_grid->columnWidth(column);
    }
}

void SongsWindow::ListBuilt() {
    if (m_controller.AutoFitColumns()) {
        FitColumns();
    } else {
        RestoreColumnWidths();
    }
    ShowCurrentRow();
    // The files of a long list are looked for after it is drawn, a slice between events; the
    // "Fix" and "Filter" menus finish the scan when they open.
    if (m_controller.WarningsScanPending() && !m_scanTimer->isActive()) {
        m_scanTimer->start();
    }
}

void SongsWindow::FitColumns() {
    const RowSetModel& model = m_controller.Model();
    const std::vector<int> widths = FitColumnWidths(model, m_grid->fontMetrics(),
                                                    m_grid->horizontalHeader()->fontMetrics(), kCellPadding);
    int total = 0;
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        m_grid->setColumnWidth(column, widths[static_cast<std::size_t>(column)]);
        total += widths[static_cast<std::size_t>(column)];
    }
    // The window widens to the grid (never narrower than it was made), up to the screen's width.
    const int gridWidth = total + 2 * m_grid->frameWidth() + m_grid->verticalScrollBar()->sizeHint().width() +
                          centralWidget()->layout()->contentsMargins().left() * 2;
    const QRect screen = ScreenAtCursor();
    int clientWidth = std::max(m_creationWidth, gridWidth);
    const int frame = frameGeometry().width() - width();
    if (clientWidth + frame > screen.width() - 2) {
        clientWidth = screen.width() - 2 - frame;
        resize(clientWidth, height());
        move(screen.left() + 1, y());
    } else if (clientWidth != width()) {
        resize(clientWidth, height());
    }
}

void SongsWindow::RestoreColumnWidths() {
    const RowSetModel& model = m_controller.Model();
    for (int column = 0; column < model.ColumnCount(); ++column) {
        const GridColumn& each = model.Column(column);
        const auto saved = m_savedWidths.find(each.caption);
        if (saved != m_savedWidths.end()) {
            m_grid->setColumnWidth(column, saved->second);
        } else {
            const int chars = std::max<int>(each.widthChars, static_cast<int>(each.caption.size()));
            m_grid->setColumnWidth(column, m_grid->fontMetrics().averageCharWidth() * chars + kCellPadding);
        }
    }
}

void SongsWindow::CurrentRowChanged(int) {
    ShowCurrentRow();
}

void SongsWindow::ShowCurrentRow() {
    const int row = m_controller.CurrentRow();
    m_syncing = true;
    if (row >= 0) {
        const QModelIndex index = m_controller.Model().index(row, 0);
        m_grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        // Only up or down: a heading just clicked stays under the mouse.
        const int shownColumn = std::max(0, m_grid->columnAt(0));
        m_grid->scrollTo(m_controller.Model().index(row, shownColumn));
    } else {
        m_grid->selectionModel()->clearCurrentIndex();
    }
    m_syncing = false;
    m_grid->viewport()->update();
}

void SongsWindow::StateChanged() {
    setWindowTitle(m_controller.Caption());
    m_count->setText(m_controller.CountLabel());
    const bool albumLink = m_controller.CountLabelOpensAlbum();
    m_count->setToolTip(albumLink ? "click for Album details" : QString());
    m_count->setCursor(albumLink ? Qt::PointingHandCursor : Qt::ArrowCursor);
    m_filterLabel->setText(m_controller.FilterLabel());
    QPalette palette = m_filterLabel->palette();
    palette.setColor(QPalette::Window, m_controller.FilterLabelHighlighted()
                                           ? QColor(255, 255, 128)
                                           : QApplication::palette().color(QPalette::Button));
    m_filterLabel->setPalette(palette);
    m_back->setEnabled(m_controller.BackEnabled());
    // The edit window is made after this one: "New" is enabled once it is there.
    m_new->setEnabled(m_controller.NewSongEnabled());
    m_hideMissing->setChecked(m_controller.HideMissing());
    QHeaderView* header = m_grid->horizontalHeader();
    header->setSortIndicatorShown(m_controller.SortColumn() >= 0);
    if (m_controller.SortColumn() >= 0) {
        header->setSortIndicator(m_controller.SortColumn(),
                                 m_controller.SortReversed() ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    ShowPlayCaptions();
    m_grid->viewport()->update();
}

// Mouse, keys and activation.

bool SongsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const int row = m_grid->rowAt(mouse->position().toPoint().y());
            m_grid->setFocus();
            if (row < 0) {
                return true;
            }
            if (mouse->button() == Qt::LeftButton) {
                const Qt::KeyboardModifiers modifiers = mouse->modifiers();
                m_controller.ClickRow(row, modifiers & Qt::ControlModifier, modifiers & Qt::ShiftModifier);
                ShowCurrentRow();
            } else if (mouse->button() == Qt::RightButton) {
                OpenPopup(row, mouse->globalPosition().toPoint());
            }
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && m_grid->rowAt(mouse->position().toPoint().y()) >= 0) {
                m_controller.RowDoubleClicked();
            }
            return true;
        }
    } else if (watched == m_grid && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            m_controller.EnterPressed();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_filterLabel) {
            FilterMenuOpening();
            m_filterMenu->popup(QCursor::pos());
            return true;
        }
        if (watched == m_count && m_controller.CountLabelOpensAlbum() && m_controller.Hooks().albumDetails) {
            m_controller.Hooks().albumDetails(m_controller.AlbumId());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool SongsWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        m_controller.WindowActivated(m_catalogue.IsOpen());
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QMainWindow::event(event);
}

void SongsWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_controller.WindowShown();
    m_new->setEnabled(m_controller.NewSongEnabled());
}

}  // namespace sw
