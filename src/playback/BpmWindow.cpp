#include "BpmWindow.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "BpmTap.h"

namespace sw {

BpmWindow::BpmWindow(BpmTapper& tapper, QWidget* parent) : QWidget(parent, Qt::Window), m_tapper(tapper) {
    setWindowTitle("Beats per minute");
    auto* instruction =
        new QLabel("Press the spacebar or click mouse in time to the music, at least 10 times", this);
    instruction->setWordWrap(true);
    m_result = new QLabel(m_tapper.ResultText(), this);
    m_result->setObjectName("result");
    m_result->setAlignment(Qt::AlignCenter);
    QFont big = m_result->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    m_result->setFont(big);
    auto* column = new QVBoxLayout(this);
    column->addWidget(instruction);
    column->addWidget(m_result, 1);
    // A click on either label is a click on the window.
    instruction->installEventFilter(this);
    m_result->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);
    resize(360, 160);
}

void BpmWindow::Tap() {
    m_tapper.BpmTap();
    m_result->setText(m_tapper.ResultText());
}

void BpmWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_tapper.WindowShown();
    setFocus();
}

void BpmWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (!event->isAutoRepeat()) {
        Tap();
    }
}

void BpmWindow::mousePressEvent(QMouseEvent*) {
    Tap();
}

bool BpmWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        Tap();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace sw
