#include "QueueWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "Preview.h"
#include "QueueModel.h"

namespace sw {

namespace {

constexpr int kDisplayTimerMs = 100;

// A label that acts when clicked: the now-playing caption.
class ClickLabel : public QLabel {
public:
    ClickLabel(std::function<void()> clicked, QWidget* parent)
        : QLabel(parent), m_clicked(std::move(clicked)) {}

protected:
    void mousePressEvent(QMouseEvent*) override { m_clicked(); }

private:
    std::function<void()> m_clicked;
};

QColor PanelColour() {
    return QColor::fromRgb(kQueuePanelRgb);
}

void Paint(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, PanelColour());
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

}  // namespace

QueueWindow::QueueWindow(QueueController& queue, PlaybackEngine& engine, PreviewController& preview,
                         QWidget* parent)
    : QMainWindow(parent), m_queue(queue), m_engine(engine), m_preview(preview) {
    setWindowTitle(m_queue.Caption());
    m_latinWidths.fill(-1);
    m_timer = new QTimer(this);
    m_timer->setInterval(kDisplayTimerMs);
    connect(m_timer, &QTimer::timeout, this, [this] { m_engine.DisplayTimerTick(); });

    auto* central = new QWidget(this);
    setCentralWidget(central);
    m_model = new QueueModel(m_queue, this);
    m_grid = new QTableView(central);
    m_grid->setObjectName("queueGrid");
    m_grid->setModel(m_model);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    // Rows of one height: the view places 10,000 of them without measuring each.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->setToolTip("Multi-select using SHIFT+CLICK or SHIFT+UP/DOWN");
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    m_grid->installEventFilter(this);
    connect(m_grid, &QWidget::customContextMenuRequested, this, &QueueWindow::ShowPopup);
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { TakeSelection(); });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { TakeSelection(); });
    // A double-click plays its row; with Ctrl held it opens the song's details (see eventFilter).
    m_grid->viewport()->installEventFilter(this);

    BuildMenus();
    BuildToolBar();
    BuildPopupMenu();

    m_nowPlaying = new ClickLabel(
        [this] {
            m_queue.SetCursor(1);
            m_queue.ShowNowPlayingRow();
        },
        central);
    m_nowPlaying->setObjectName("nowPlaying");
    m_nowPlaying->setTextFormat(Qt::PlainText);
    m_nowPlaying->setToolTip("Click to position list below at this song");
    m_nowPlaying->setMinimumHeight(m_nowPlaying->fontMetrics().height() + 6);
    Paint(m_nowPlaying);

    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_toolBar);
    column->addWidget(m_nowPlaying);
    column->addWidget(m_grid, 1);

    auto* playNext = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this);
    playNext->setContext(Qt::WindowShortcut);
    connect(playNext, &QShortcut::activated, this, [this] { m_engine.NextCommand(); });

    m_queue.SetTextMeasure([this](const QString& text) { return TextWidth(text); });
    m_queue.SetDisplay(this);
    m_engine.SetHost(this);
    ShowColumnWidths();
    TransportChanged();
    resize(1000, 520);
}

QueueWindow::~QueueWindow() {
    // The outputs go with the window: no end-of-song notification can reach it afterwards.
    m_engine.ShutdownAudio();
    m_engine.SetHost(nullptr);
    m_queue.SetDisplay(nullptr);
}

// The sum of the characters' advances, each measured once: a grid of 10,000 rows is measured in
// milliseconds, and kerning changes a cell's width by a pixel at most.
int QueueWindow::TextWidth(const QString& text) {
    const QFontMetrics metrics = m_grid->fontMetrics();
    int width = 0;
    for (const QChar c : text) {
        if (c.isSurrogate()) {
            return metrics.horizontalAdvance(text);
        }
        const char16_t code = c.unicode();
        if (code < m_latinWidths.size()) {
            int& known = m_latinWidths[code];
            if (known < 0) {
                known = metrics.horizontalAdvance(c);
            }
            width += known;
            continue;
        }
        auto found = m_charWidths.constFind(code);
        if (found == m_charWidths.constEnd()) {
            found = m_charWidths.insert(code, metrics.horizontalAdvance(c));
        }
        width += *found;
    }
    return width;
}

void QueueWindow::BuildToolBar() {
    auto* bar = new QWidget(centralWidget());
    bar->setObjectName("queueToolBar");
    Paint(bar);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(2);
    auto button = [&](const QString& name, const QString& hint, std::function<void()> action,
                      QStyle::StandardPixmap pixmap = QStyle::SP_CustomBase, const QString& text = {}) {
        auto* made = new QToolButton(bar);
        made->setObjectName(name);
        made->setToolTip(hint);
        made->setAutoRaise(true);
        made->setFocusPolicy(Qt::NoFocus);
        if (pixmap != QStyle::SP_CustomBase) {
            made->setIcon(style()->standardIcon(pixmap));
        } else {
            made->setText(text);
        }
        if (action) {
            connect(made, &QToolButton::clicked, this, std::move(action));
        }
        row->addWidget(made);
        return made;
    };
    m_play = button(
        "play", "Play", [this] { m_engine.PlayCommand(); }, QStyle::SP_MediaPlay);
    m_pause = button("pause", "Pause  [SPACE]", {}, QStyle::SP_MediaPause);
    m_pause->setCheckable(true);
    connect(m_pause, &QToolButton::clicked, this, [this](bool down) { m_engine.PressPause(down); });
    m_stop = button(
        "stop", "Stop", [this] { m_engine.StopCommand(); }, QStyle::SP_MediaStop);
    m_stopAtEnd = button("stopAtEnd", "Stop at end of this song", {}, QStyle::SP_CustomBase, "|\u25A0");
    m_stopAtEnd->setCheckable(true);
    connect(m_stopAtEnd, &QToolButton::clicked, this, [this](bool down) { m_engine.SetStopAtEnd(down); });
    m_previous = button(
        "previous", "Play previous", [this] { m_engine.PreviousCommand(); }, QStyle::SP_MediaSkipBackward);
    m_next = button(
        "next", "Play next  [ CTRL+N ]", [this] { m_engine.NextCommand(); }, QStyle::SP_MediaSkipForward);

    m_timeBar = new QSlider(Qt::Horizontal, bar);
    m_timeBar->setObjectName("timeBar");
    m_timeBar->setToolTip("Timebar");
    m_timeBar->setMinimumWidth(180);
    m_timeBar->installEventFilter(this);
    connect(m_timeBar, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction) {
            m_engine.TimeBarStep(m_timeBar->sliderPosition());
        }
    });
    connect(m_timeBar, &QSlider::sliderPressed, this, [this] { m_dragged = false; });
    connect(m_timeBar, &QSlider::sliderMoved, this, [this](int position) {
        m_dragged = true;
        m_engine.TimeBarDragged(position);
    });
    connect(m_timeBar, &QSlider::sliderReleased, this, [this] {
        if (m_dragged) {
            m_engine.TimeBarReleased(m_timeBar->sliderPosition());
        }
        m_dragged = false;
        m_engine.TimeBarScrollEnded();
    });
    row->addWidget(m_timeBar, 1);
    m_jump = button(
        "jump", "Jump to time in song", [this] { m_engine.JumpCommand(); }, QStyle::SP_CustomBase);
    m_jump->setMinimumWidth(m_jump->fontMetrics().horizontalAdvance("000:00") + 8);
    m_length = new QLabel(bar);
    m_length->setObjectName("length");
    m_length->setMinimumWidth(m_length->fontMetrics().horizontalAdvance("000:00") + 8);
    row->addWidget(m_length);
    row->addSpacing(10);

    button(
        "moveUp", "Move song(s) up", [this] { m_queue.MoveSelectedRows(MoveTarget::Up); },
        QStyle::SP_ArrowUp);
    button(
        "moveDown", "Move song(s) down", [this] { m_queue.MoveSelectedRows(MoveTarget::Down); },
        QStyle::SP_ArrowDown);
    button(
        "moveStart", "Move song(s) to start", [this] { m_queue.MoveSelectedRows(MoveTarget::Start); },
        QStyle::SP_CustomBase, "\u2912");
    button(
        "moveEnd", "Move song(s) to end", [this] { m_queue.MoveSelectedRows(MoveTarget::End); },
        QStyle::SP_CustomBase, "\u2913");
    button(
        "skip", "Skip/unskip selected song(s)", [this] { m_queue.ToggleSkipSelected(); },
        QStyle::SP_CustomBase, "S");
    button(
        "drop", "Drop selected song(s) from this playlist  [DEL]", [this] { m_queue.DropSelectedRows(); },
        QStyle::SP_TrashIcon);
    row->addSpacing(10);
    button(
        "atStart", "Position list at start",
        [this] {
            if (m_queue.RowCount() > 0) {
                m_queue.SetCursor(1);
            }
        },
        QStyle::SP_CustomBase, "Top");
    button(
        "atNowPlaying", "Position list at song now playing",
        [this] {
            m_queue.SetCursor(1);
            m_queue.ShowNowPlayingRow();
        },
        QStyle::SP_CustomBase, "Now");
    button(
        "atEnd", "Position list at end", [this] { m_queue.SetCursor(m_queue.RowCount()); },
        QStyle::SP_CustomBase, "End");
    row->addSpacing(10);
    m_count = new QLabel(m_queue.CountText(), bar);
    m_count->setObjectName("count");
    row->addWidget(m_count);
    row->addStretch();
    m_toolBar = bar;
}

void QueueWindow::SetTransportFollower(std::function<void(const TransportView&)> follower) {
    m_follower = std::move(follower);
    TransportChanged();
}

void QueueWindow::ShowRestored() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
}

void QueueWindow::PostToUserInterface(std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void QueueWindow::ProcessPendingEvents() {
    QApplication::processEvents();
}

void QueueWindow::DisplayTimerSwitched(bool on) {
    if (on) {
        m_timer->start();
    } else {
        m_timer->stop();
    }
}

void QueueWindow::TransportChanged() {
    const TransportView& t = m_engine.Transport();
    m_play->setEnabled(t.playEnabled);
    m_pause->setEnabled(t.pauseEnabled);
    m_pause->setChecked(t.pauseDown);
    m_stop->setEnabled(t.stopEnabled);
    m_stopAtEnd->setEnabled(t.stopAtEndEnabled);
    m_stopAtEnd->setChecked(t.stopAtEndDown);
    m_timeBar->setEnabled(t.timeBarEnabled);
    m_timeBar->setSingleStep(t.timeBarSmallStep);
    m_timeBar->setPageStep(t.timeBarLargeStep);
    if (!m_timeBar->isSliderDown()) {
        const QSignalBlocker quiet(m_timeBar);
        m_timeBar->setMaximum(t.timeBarMaximum);
        m_timeBar->setValue(t.timeBarPosition);
    }
    m_jump->setText(t.jumpCaption);
    m_length->setText(t.lengthText);
    m_fade->setTitle(m_engine.FadeMenuCaption());
    if (m_follower) {
        m_follower(t);
    }
}

void QueueWindow::QueueUpdated(const QueueUpdate& update) {
    // The grid's rows follow the queue at once. The grid adjusts its own selection to rows it
    // loses; the queue has already chosen its selection and cursor, so those adjustments are not
    // taken back into it.
    m_applying = true;
    m_model->Apply(update);
    m_applying = false;
    // The rest is shown once per pass of the event loop: the grid's current row costs tens of
    // microseconds to move, so 10,000 songs queued one at a time would otherwise cost the better
    // part of a second.
    if (!m_showPending) {
        m_showPending = true;
        QMetaObject::invokeMethod(this, &QueueWindow::ShowQueueState, Qt::QueuedConnection);
    }
}

void QueueWindow::ShowQueueState() {
    m_showPending = false;
    setWindowTitle(m_queue.Caption());
    m_count->setText(m_queue.CountText());
    m_nowPlaying->setText(m_queue.NowPlayingCaption());
    ShowColumnWidths();
    ShowSelection();
}

void QueueWindow::SongAppended() {
    if (m_songAppended) {
        m_songAppended();
    }
}

void QueueWindow::ShowColumnWidths() {
    const auto& widths = m_queue.ColumnWidths();
    for (int column = 0; column < kQueueColumnCount; ++column) {
        const int wanted = widths[static_cast<std::size_t>(column)] + 8;
        if (m_grid->columnWidth(column) != wanted) {
            m_grid->setColumnWidth(column, wanted);
        }
    }
}

void QueueWindow::ShowSelection() {
    m_applying = true;
    QItemSelectionModel* selection = m_grid->selectionModel();
    const int top = m_queue.SelectionTop();
    const int bottom = m_queue.SelectionBottom();
    if (top >= 1 && bottom >= top) {
        const QItemSelection block(m_model->index(top - 1, 0),
                                   m_model->index(bottom - 1, kQueueColumnCount - 1));
        selection->select(block, QItemSelectionModel::ClearAndSelect);
    } else {
        selection->clearSelection();
    }
    if (m_queue.Cursor() >= 1) {
        const QModelIndex cursor = m_model->index(m_queue.Cursor() - 1, 0);
        selection->setCurrentIndex(cursor, QItemSelectionModel::NoUpdate);
        m_grid->scrollTo(cursor);
    }
    m_applying = false;
}

void QueueWindow::TakeSelection() {
    if (m_applying) {
        return;
    }
    const QModelIndexList rows = m_grid->selectionModel()->selectedRows();
    const int cursor = m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() + 1 : 0;
    if (rows.isEmpty()) {
        m_queue.SetSelection(cursor, cursor, cursor);
        return;
    }
    int top = rows.front().row();
    int bottom = top;
    for (const QModelIndex& index : rows) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
    }
    m_queue.SetSelection(top + 1, bottom + 1, cursor);
}

void QueueWindow::closeEvent(QCloseEvent* event) {
    // The save question never keeps the window open.
    m_queue.WindowClosing();
    event->accept();
}

void QueueWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_queue.WindowShown();
}

void QueueWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool QueueWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_grid->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = m_grid->indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && index.isValid()) {
            m_queue.DoubleClickRow(index.row() + 1, mouse->modifiers().testFlag(Qt::ControlModifier));
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress) {
        return QMainWindow::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_grid) {
        if (key->key() == Qt::Key_Delete) {
            m_queue.DropSelectedRows();
            return true;
        }
        if (key->key() == Qt::Key_Space) {
            m_engine.PauseKey();
            return true;
        }
    } else if (watched == m_timeBar) {
        m_engine.TimeBarKeyPressed();
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace sw
