#include "NotepadWindow.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>

#include "windows/main/WindowHelpers.h"
#include "core/Catalogue.h"
#include "core/Paths.h"

namespace sw {

namespace {

const QColor kPaleGreen(202, 255, 202);
/// After the window is shown, the caret is scrolled into view once the layout has settled.
constexpr int kScrollDelayMs = 500;

}  // namespace

QFont ToQFont(const NotepadFont& font) {
    QFont q(font.name);
    q.setStyleHint(QFont::SansSerif);
    q.setPointSize(font.size > 0 ? font.size : 10);
    q.setBold(font.bold);
    q.setItalic(font.italic);
    q.setUnderline(font.underline);
    q.setStrikeOut(font.strikeOut);
    return q;
}

NotepadFont FromQFont(const QFont& q) {
    NotepadFont font;
    font.name = q.family();
    font.size = q.pointSize();
    font.bold = q.bold();
    font.italic = q.italic();
    font.underline = q.underline();
    font.strikeOut = q.strikeOut();
    return font;
}

NotepadWindow::NotepadWindow(const QString& programFolder, const Clock& clock, QWidget* parent)
    : QMainWindow(parent), m_controller(programFolder, clock) {
    setWindowTitle(QString(kApplicationTitle) + " - Notepad");

    using C = NotepadCommand;
    QMenuBar* bar = menuBar();
    m_commands[C::Close] = bar->addAction("Close", this, &QWidget::close);
    m_commands[C::Save] = bar->addAction("Save", this, [this] { m_controller.ReportSaveState(); });
    m_commands[C::Now] = bar->addAction("Now!", this, [this] { m_controller.InsertNow(); });
    QMenu* exportMenu = bar->addMenu("Export");
    m_commands[C::ToClipboard] =
        exportMenu->addAction("to Clipboard", this, [this] { m_controller.ExportToClipboard(); });
    m_commands[C::ToFile] = exportMenu->addAction("to File", this, [this] { m_controller.ExportToFile(); });
    m_commands[C::Font] = bar->addAction("Font", this, [this] { m_controller.ChooseFont(); });
    m_commands[C::ScrollToCursor] =
        bar->addAction("Scroll-to-cursor", this, [this] { m_controller.ScrollToCursor(); });
    m_commands[C::Clear] = bar->addAction("Clear", this, [this] { m_controller.ClearText(); });
    m_commands[C::Search] = bar->addAction("Search", this, [this] { m_controller.Search(); });

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName("notepad");
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, kPaleGreen);
    m_text->setPalette(palette);
    m_text->installEventFilter(this);
    setCentralWidget(m_text);
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_applyingFont) {
            m_controller.TextChanged();
        }
    });

    m_autosave = new QTimer(this);
    m_autosave->setSingleShot(true);
    m_autosave->setTimerType(Qt::PreciseTimer);
    connect(m_autosave, &QTimer::timeout, this, [this] { m_controller.AutosaveTimerFired(); });

    resize(480, 360);
    m_controller.SetDisplay(this);
}

NotepadWindow::~NotepadWindow() {
    m_controller.SetDisplay(nullptr);
}

void NotepadWindow::OpenFromMainMenu(bool catalogueReadOnly) {
    m_controller.UseProgramTextFile();
    ShowRestored(this);
    m_controller.SetReadOnly(RefuseIfReadOnly(catalogueReadOnly));
}

void NotepadWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_controller.Shown();
    m_text->setFocus();
    QTimer::singleShot(kScrollDelayMs, m_text, [this] { m_text->ensureCursorVisible(); });
}

void NotepadWindow::closeEvent(QCloseEvent* event) {
    m_controller.Closed();
    event->accept();
}

void NotepadWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    m_controller.WindowResized(width(), height(), isVisible());
}

void NotepadWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    m_controller.WindowMoved(y(), x());
}

bool NotepadWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            close();
            return true;
        }
        if (key == Qt::Key_F3) {
            m_controller.FindNext();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QString NotepadWindow::Text() const {
    return m_text->toPlainText();
}

void NotepadWindow::SetText(const QString& text) {
    m_text->setPlainText(text);
}

int NotepadWindow::CaretPosition() const {
    return m_text->textCursor().position();
}

int NotepadWindow::SelectionStart() const {
    return m_text->textCursor().selectionStart();
}

int NotepadWindow::SelectionLength() const {
    const QTextCursor cursor = m_text->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void NotepadWindow::Select(int start, int length) {
    QTextCursor cursor = m_text->textCursor();
    const int end = m_text->document()->characterCount() - 1;
    cursor.setPosition(std::clamp(start, 0, end));
    cursor.setPosition(std::clamp(start + length, 0, end), QTextCursor::KeepAnchor);
    m_text->setTextCursor(cursor);
}

void NotepadWindow::InsertAtCaret(const QString& text) {
    m_text->insertPlainText(text);
}

void NotepadWindow::ScrollToCaret() {
    m_text->ensureCursorVisible();
}

void NotepadWindow::CopyAllToClipboard() {
    m_text->selectAll();
    m_text->copy();
    QTextCursor cursor = m_text->textCursor();
    cursor.movePosition(QTextCursor::Start);
    m_text->setTextCursor(cursor);
}

void NotepadWindow::ApplyFont(const NotepadFont& font) {
    m_applyingFont = true;
    m_text->setFont(ToQFont(font));
    m_applyingFont = false;
}

void NotepadWindow::ApplyPlacement(int top, int left, int width, int height) {
    move(left >= 0 ? left : x(), top >= 0 ? top : y());
    resize(width > 0 ? width : this->width(), height > 0 ? height : this->height());
}

void NotepadWindow::SetReadOnly(bool readOnly) {
    m_text->setReadOnly(readOnly);
}

bool NotepadWindow::ChooseFont(NotepadFont& font) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, ToQFont(font), this, "Font");
    if (ok) {
        font = FromQFont(chosen);
    }
    return ok;
}

QString NotepadWindow::ChooseExportFile(const QString& folder) {
    // A new dialog each time: it remembers neither the last name nor the last folder.
    QFileDialog dialog(this, "Export", folder, "Text files (*.txt)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

void NotepadWindow::StartAutosaveTimer(int milliseconds) {
    m_autosave->start(milliseconds);
}

void NotepadWindow::StopAutosaveTimer() {
    m_autosave->stop();
}

}  // namespace sw
