#include "ConverterDialogs.h"

#include <QCursor>
#include <QMessageBox>
#include <QShowEvent>

#include "windows/main/WindowHelpers.h"

namespace sw {

namespace {

/// A message box that moves itself, once its final size is known, to its point kept on screen.
class ConverterMessageBox : public QMessageBox {
public:
    ConverterMessageBox(QPoint point, Icon icon, const QString& caption, const QString& text,
                        StandardButtons buttons)
        : QMessageBox(icon, caption, text, buttons), m_point(point) {
        // Plain text: every character, "&" included, shows as it is.
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

ConverterDialogs::ConverterDialogs() : QtDialogs("swconv") {}

int ConverterDialogs::RunBox(int icon, const QString& caption, const QString& text, int buttons) {
    ConverterMessageBox box(m_anchor.OpenPoint(QCursor::pos()), static_cast<QMessageBox::Icon>(icon), caption,
                            text, static_cast<QMessageBox::StandardButtons>(buttons));
    const int answer = box.exec();
    m_anchor.Closed(QCursor::pos());
    return answer;
}

void ConverterDialogs::ShowInfo(const QString& text) {
    RunBox(QMessageBox::Information, "Information", text, QMessageBox::Ok);
}

void ConverterDialogs::ShowError(const QString& text) {
    RunBox(QMessageBox::Critical, "Error", text, QMessageBox::Ok);
}

char ConverterDialogs::AskYesNoCancel(const QString& text) {
    switch (RunBox(QMessageBox::Question, "Confirm", text,
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
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

bool ConverterDialogs::AskOkCancel(const QString& text) {
    return RunBox(QMessageBox::Question, "Confirm", text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

}  // namespace sw
