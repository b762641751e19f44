#include "ConverterWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include "ConverterAboutWindow.h"
#include "StopSignals.h"
#include "load/SelectFolderDialog.h"

namespace sw {

namespace {

constexpr char kChooseFolderText[] = "Click here to select your existing Sonwick folder";
constexpr char kUnchangedText[] = "Conversion leaves the existing database unchanged.  ";
// A long conversion lets events run this often, so that the window stays drawn and a close
// request gets through without slowing the copying down.
constexpr int kPumpIntervalMs = 40;
// How often the window looks for a stop signal (SIGINT, SIGTERM).
constexpr int kSignalCheckMs = 100;

QLabel* AddRow(QGridLayout* grid, const QString& caption, const QString& objectName, QWidget* owner) {
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(caption, owner), row, 0);
    auto* value = new QLabel(owner);
    value->setObjectName(objectName);
    value->setTextFormat(Qt::PlainText);
    value->setTextInteractionFlags(Qt::NoTextInteraction);
    grid->addWidget(value, row, 1);
    return value;
}

}  // namespace

ConverterWindow::ConverterWindow(ConverterController& controller, QWidget* parent)
    : QMainWindow(parent), m_controller(controller) {
    setWindowTitle("Sonwick conversion to Firebird");
    QMenuBar* menu = menuBar();
    menu->addAction("Exit", this, &QWidget::close);
    m_convert = menu->addAction("Convert", this, [this] { m_controller.Convert(); });
    menu->addAction("About", this, &ConverterWindow::ShowAbout);

    auto* central = new QWidget(this);
    auto* source = new QGroupBox("Source database", central);
    auto* sourceGrid = new QGridLayout(source);
    m_sourceFolder = AddRow(sourceGrid, "- EXE folder", "sourceFolder", source);
    m_sourceData = AddRow(sourceGrid, "- data folder", "sourceData", source);
    m_sourceName = AddRow(sourceGrid, "- name", "sourceName", source);
    m_sourceVersion = AddRow(sourceGrid, "- version", "sourceVersion", source);
    sourceGrid->setColumnStretch(1, 1);
    for (QLabel* clickable : {m_sourceFolder, m_sourceData}) {
        clickable->setCursor(Qt::PointingHandCursor);
        clickable->setToolTip(kChooseFolderText);
        clickable->installEventFilter(this);
    }

    auto* target = new QGroupBox("Target database", central);
    auto* targetGrid = new QGridLayout(target);
    m_targetFolder = AddRow(targetGrid, "- EXE folder", "targetFolder", target);
    m_targetData = AddRow(targetGrid, "- data folder", "targetData", target);
    m_targetVersion = AddRow(targetGrid, "- version", "targetVersion", target);
    targetGrid->setColumnStretch(1, 1);

    m_log = new QListWidget(central);
    m_log->setObjectName("log");
    auto* column = new QVBoxLayout(central);
    column->addWidget(source);
    column->addWidget(target);
    column->addWidget(m_log, 1);
    setCentralWidget(central);

    m_status = new QLabel(this);
    m_status->setObjectName("status");
    m_status->setAutoFillBackground(true);
    statusBar()->addWidget(m_status, 1);
    statusBar()->setSizeGripEnabled(false);
    resize(640, 480);

    m_controller.SetDisplay(this);
    m_controller.SetFolderChooser([this](QString& folder) { return SelectFolder(folder, QString(), this); });
    m_sincePump.start();
    auto* signalCheck = new QTimer(this);
    connect(signalCheck, &QTimer::timeout, this, &ConverterWindow::CheckStopSignal);
    signalCheck->start(kSignalCheckMs);
    LabelsChanged();
    StatusChanged();
}

ConverterWindow::~ConverterWindow() {
    m_controller.SetDisplay(nullptr);
}

void ConverterWindow::LabelsChanged() {
    const bool chosen = !m_controller.LegacyFolder().isEmpty();
    QFont font = m_sourceFolder->font();
    font.setUnderline(!chosen);
    m_sourceFolder->setFont(font);
    m_sourceData->setFont(font);
    m_sourceFolder->setText(chosen ? m_controller.LegacyFolder() : kChooseFolderText);
    m_sourceData->setText(chosen ? m_controller.LegacyDataFolder() : kUnchangedText);
    const bool shown = m_controller.LegacySettingsShown();
    m_sourceName->setText(shown ? m_controller.Legacy().DBName : QString());
    m_sourceVersion->setText(shown ? QString::number(m_controller.Legacy().DBvn) : QString());
    m_targetFolder->setText(m_controller.Target().programFolder);
    m_targetData->setText(m_controller.Target().dataFolder);
    m_targetVersion->setText(m_controller.TargetVersionText());
    m_convert->setEnabled(m_controller.ConvertEnabled());
}

void ConverterWindow::LineLogged(const QString& line) {
    m_log->addItem(line);
    m_log->scrollToBottom();
}

void ConverterWindow::StatusChanged() {
    const QString& text = m_controller.StatusText();
    m_status->setText(text);
    QPalette palette = statusBar()->palette();
    if (!text.isEmpty()) {
        palette.setColor(QPalette::Window, QColor(0, 255, 255));
    }
    m_status->setPalette(palette);
}

void ConverterWindow::PumpEvents() {
    if (m_sincePump.elapsed() < kPumpIntervalMs) {
        return;
    }
    m_status->repaint();
    QCoreApplication::processEvents();
    m_sincePump.restart();
}

void ConverterWindow::CheckStopSignal() {
    if (StopSignal() == 0) {
        return;
    }
    // A box waiting for an answer would hold the stop up: it is closed as if cancelled.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        return;
    }
    // A running conversion sees the signal at its next row and undoes itself; the window ends
    // once it has.
    if (m_controller.State() == ConverterState::Running || m_ending) {
        return;
    }
    m_ending = true;
    m_controller.CloseRequest();
    QCoreApplication::exit(1);
}

void ConverterWindow::EndProgram() {
    QCoreApplication::exit(1);
}

QString ConverterWindow::LabelText(const QString& objectName) const {
    const auto* label = findChild<QLabel*>(objectName);
    return label ? label->text() : QString();
}

QStringList ConverterWindow::LoggedLines() const {
    QStringList lines;
    for (int row = 0; row < m_log->count(); ++row) {
        lines << m_log->item(row)->text();
    }
    return lines;
}

QString ConverterWindow::StatusStripText() const {
    return m_status->text();
}

bool ConverterWindow::StatusHighlighted() const {
    return m_status->palette().color(QPalette::Window) == QColor(0, 255, 255);
}

void ConverterWindow::ChooseLegacyFolder() {
    m_controller.ChooseLegacyFolder();
}

void ConverterWindow::ShowAbout() {
    if (!m_about) {
        m_about = new ConverterAboutWindow(this);
    }
    m_about->ShowAtCursor();
}

void ConverterWindow::closeEvent(QCloseEvent* event) {
    if (m_controller.CloseRequest()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void ConverterWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (m_controller.ConfirmExit()) {
            close();
        }
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool ConverterWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_sourceFolder || watched == m_sourceData) &&
        event->type() == QEvent::MouseButtonRelease) {
        ChooseLegacyFolder();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace sw
