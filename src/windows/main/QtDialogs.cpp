#include "QtDialogs.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QShowEvent>

#include "ChoiceDialog.h"
#include "FlashWindow.h"
#include "InputDialog.h"
#include "WindowHelpers.h"

namespace sw {

namespace {

/// A message box that moves itself, once its final size is known, to the anchor point kept on screen.
class PlacedMessageBox : public QMessageBox {
public:
    PlacedMessageBox(QPoint point, Icon icon, const QString& caption, const QString& text,
                     StandardButtons buttons)
        : QMessageBox(icon, caption, text, buttons), m_point(point) {
        setTextFormat(Qt::PlainText);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        move(ClampBoxToScreen(m_point, frameGeometry().size(), ScreenAtCursor()));
    }

private:
    QPoint m_point;
};

}  // namespace

QtDialogs::QtDialogs(QString applicationTitle) : m_applicationTitle(std::move(applicationTitle)) {}

QtDialogs::~QtDialogs() = default;

void QtDialogs::CreateChoiceWindow() {
    if (!m_choice) {
        m_choice = std::make_unique<ChoiceDialog>();
    }
}

void QtDialogs::CreateFlashWindow() {
    if (!m_flash) {
        m_flash = std::make_unique<FlashWindow>();
    }
}

void QtDialogs::CreateInputWindow() {
    if (!m_input) {
        m_input = std::make_unique<InputDialog>(m_anchor);
    }
}

QString QtDialogs::Caption() const {
    return MessageCaption().isEmpty() ? m_applicationTitle : " " + MessageCaption();
}

int QtDialogs::RunBox(int icon, const QString& caption, const QString& text, int buttons, bool stayOnTop) {
    PlacedMessageBox box(m_anchor.OpenPoint(QCursor::pos()), static_cast<QMessageBox::Icon>(icon), caption,
                         text, static_cast<QMessageBox::StandardButtons>(buttons));
    if (stayOnTop) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    const int answer = box.exec();
    m_anchor.Closed(QCursor::pos(), box.pos());
    return answer;
}

void QtDialogs::ShowInfo(const QString& text) {
    RunBox(QMessageBox::Information, Caption(), text, QMessageBox::Ok, true);
}

void QtDialogs::ShowError(const QString& text) {
    RunBox(QMessageBox::Critical, Caption(), text, QMessageBox::Ok, true);
}

char QtDialogs::AskYesNoCancel(const QString& text) {
    switch (RunBox(QMessageBox::Question, Caption(), text,
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, false)) {
        case QMessageBox::Yes:
            return 'Y';
        case QMessageBox::No:
            return 'N';
        case QMessageBox::Cancel:
            return 'C';
        default:
            return ' ';
    }
}

bool QtDialogs::AskOkCancel(const QString& text) {
    return RunBox(QMessageBox::Question, m_applicationTitle, text, QMessageBox::Ok | QMessageBox::Cancel,
                  false) == QMessageBox::Ok;
}

int QtDialogs::AskChoice(const QString& text, const QString& first, const QString& second) {
    CreateChoiceWindow();
    return m_choice->Ask(text, first, second);
}

bool QtDialogs::InputText(const QString& prompt, QString& value, int maxLength, const QString& hint) {
    CreateInputWindow();
    return m_input->Ask(prompt, value, maxLength, hint);
}

void QtDialogs::FlashMessage(const QString& text) {
    if (text.isEmpty()) {
        FlashHide();
        return;
    }
    CreateFlashWindow();
    const int milliseconds = StackFlashText(text, m_flash->OnShow());
    m_flash->Display(LastFlashText(), milliseconds);
}

void QtDialogs::FlashHide() {
    if (m_flash) {
        m_flash->Hide();
    }
}

void QtDialogs::FlashWait() {
    if (m_flash) {
        m_flash->WaitUntilGone();
    }
}

QPoint QtDialogs::MousePosition() const {
    return QCursor::pos();
}

QRect QtDialogs::ScreenGeometry() const {
    return ScreenAtCursor();
}

void QtDialogs::ShowBusyCursor(bool busy) {
    if (busy && !m_busyCursorShown) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_busyCursorShown = true;
    } else if (!busy && m_busyCursorShown) {
        QApplication::restoreOverrideCursor();
        m_busyCursorShown = false;
    }
}

void QtDialogs::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

}  // namespace sw
