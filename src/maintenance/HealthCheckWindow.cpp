#include "HealthCheckWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace sw {

namespace {

/// The scans let events run after every row so that Cancel and Esc are seen at once; the report and
/// the progress bar are redrawn at this pace, which keeps a scan from spending its time painting.
constexpr int kRepaintMs = 40;

constexpr HealthOption kPairKinds[] = {HealthOption::Mismatched, HealthOption::Identical,
                                       HealthOption::Truncated};

}  // namespace

HealthCheckWindow::HealthCheckWindow(Library& library, TagPolicy& tags, QWidget* parent)
    : QMainWindow(parent), m_controller(library, tags) {
    auto* central = new QWidget(this);
    setCentralWidget(central);
    m_report = new QPlainTextEdit(central);
    m_report->setObjectName("report");
    m_report->setReadOnly(true);
    m_report->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_report->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_report->installEventFilter(this);
    m_progress = new QLabel(" ", central);
    m_progress->setObjectName("progress");
    m_progress->setTextFormat(Qt::PlainText);
    m_progress->setAutoFillBackground(true);
    m_progress->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_progress->setMinimumHeight(m_progress->fontMetrics().height() + 6);
    auto* column = new QVBoxLayout(central);
    column->addWidget(m_report, 1);
    column->addWidget(m_progress);
    BuildMenu();
    resize(640, 480);
    m_controller.SetDisplay(this);
    StateChanged();
}

HealthCheckWindow::~HealthCheckWindow() {
    m_controller.SetDisplay(nullptr);
}

void HealthCheckWindow::BuildMenu() {
    using C = HealthCheckCommand;
    const auto command = [this](C id, const QString& caption, auto&& slot) {
        m_commands[id] = menuBar()->addAction(caption, this, slot);
    };
    command(C::Close, "Close", [this] { close(); });
    command(C::Cancel, "Cancel", [this] { m_controller.Cancel(); });

    m_options = menuBar()->addMenu("Options");
    m_options->setObjectName("options");
    const auto item = [this](HealthOption option) {
        QAction* action = m_options->addAction(HealthOptionCaption(option));
        action->setCheckable(true);
        connect(action, &QAction::triggered, this,
                [this, option](bool checked) { OptionClicked(option, checked); });
        m_optionItems[option] = action;
    };
    item(HealthOption::FileMismatches);
    item(HealthOption::GenreMismatches);
    m_options->addAction("Clean up MP3/OGG tags ...")->setEnabled(false);
    item(HealthOption::NoTags);
    item(HealthOption::BothTags);
    for (HealthOption kind : kPairKinds) {
        item(kind);
    }
    connect(m_options, &QMenu::aboutToShow, this, &HealthCheckWindow::ShowOptions);

    command(C::RunCheck, "Run ( check )", [this] { m_controller.RunCheck(); });
    command(C::RunRepair, "Run ( repair ) ", [this] { m_controller.RunRepair(); });
    command(C::Statistics, "Statistics", [this] { ShowStatistics(); });
    ShowOptions();
}

void HealthCheckWindow::OpenHealthCheck() {
    m_controller.OpenHealthCheck();
}

bool HealthCheckWindow::ShowStatistics() {
    return m_controller.ShowStatistics();
}

void HealthCheckWindow::OptionClicked(HealthOption option, bool checked) {
    m_controller.SetOption(option, checked);
    ShowOptions();
    // The menu opens again so that several options can be set in a row.
    QTimer::singleShot(0, this, [this] {
        if (isVisible()) {
            menuBar()->setActiveAction(m_options->menuAction());
        }
    });
}

void HealthCheckWindow::ShowOptions() {
    for (const auto& [option, action] : m_optionItems) {
        action->setChecked(m_controller.Option(option));
    }
    for (HealthOption kind : kPairKinds) {
        m_optionItems.at(kind)->setEnabled(m_controller.PairKindsEnabled());
    }
}

void HealthCheckWindow::closeEvent(QCloseEvent* event) {
    m_controller.StopRunning();
    event->accept();
}

bool HealthCheckWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_report && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        if (m_controller.EscapePressed()) {
            close();
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void HealthCheckWindow::ShowCheckWindow() {
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
    m_report->setFocus();
}

void HealthCheckWindow::ReportCleared() {
    m_pendingLines.clear();
    m_report->clear();
}

void HealthCheckWindow::LineAdded(const QString& line) {
    m_pendingLines << line;
    if (!m_controller.Running()) {
        ShowPending();
    }
}

void HealthCheckWindow::ProgressChanged() {
    m_progressPending = true;
    if (!m_controller.Running()) {
        ShowPending();
    }
}

void HealthCheckWindow::StateChanged() {
    ShowPending();
    setWindowTitle(m_controller.Caption());
    const bool running = m_controller.Running();
    using C = HealthCheckCommand;
    Command(C::Close)->setEnabled(m_controller.CloseEnabled());
    Command(C::Cancel)->setEnabled(m_controller.CancelEnabled());
    for (const C command : {C::RunCheck, C::RunRepair, C::Statistics}) {
        Command(command)->setEnabled(!running);
    }
    m_options->setEnabled(!running);
    m_sinceShown.invalidate();
}

void HealthCheckWindow::PumpEvents() {
    if (!m_sinceShown.isValid() || m_sinceShown.elapsed() >= kRepaintMs) {
        ShowPending();
    }
    QCoreApplication::processEvents();
}

void HealthCheckWindow::ShowPending() {
    if (m_pendingLines.isEmpty() && !m_progressPending) {
        return;
    }
    m_sinceShown.start();
    if (!m_pendingLines.isEmpty()) {
        m_report->appendPlainText(m_pendingLines.join('\n'));
        m_pendingLines.clear();
        m_report->verticalScrollBar()->setValue(m_report->verticalScrollBar()->maximum());
    }
    if (m_progressPending) {
        m_progressPending = false;
        QPalette palette = m_progress->palette();
        palette.setColor(QPalette::Window, m_controller.ProgressActive()
                                               ? QColor(Qt::cyan)
                                               : QApplication::palette().color(QPalette::Window));
        m_progress->setPalette(palette);
        m_progress->setText(m_controller.ProgressText());
    }
}

}  // namespace sw
