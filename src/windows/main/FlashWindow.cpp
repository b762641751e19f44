#include "FlashWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

#include "WindowHelpers.h"

namespace sw {

namespace {
constexpr int kStartWidth = 120;
constexpr int kMinimumHeight = 20;
}  // namespace

FlashWindow::FlashWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::ToolTip) {
    setWindowTitle("Flash");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0, 255, 255));
    setPalette(palette);
    m_label = new QLabel(this);
    m_label->setTextFormat(Qt::PlainText);
    QFont font("Sans Serif");
    font.setBold(true);
    font.setPixelSize(13);
    m_label->setFont(font);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_label);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &FlashWindow::Hide);
}

void FlashWindow::Display(const QString& text, int milliseconds) {
    const bool wasVisible = isVisible();
    m_timer.start(milliseconds);
    m_label->setText(text.split("\r\n").join('\n'));
    const QSize textSize = m_label->sizeHint();
    const QMargins margins = layout()->contentsMargins();
    int newWidth = wasVisible ? width() : kStartWidth;
    newWidth = std::max(newWidth, margins.left() + textSize.width() + 20);
    const int newHeight = std::max(kMinimumHeight, 2 * margins.top() + textSize.height());
    resize(newWidth, newHeight);
    ShowNearCursor(this);
    QCoreApplication::processEvents();
}

void FlashWindow::Hide() {
    m_timer.stop();
    hide();
}

void FlashWindow::WaitUntilGone() {
    while (m_timer.isActive()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

}  // namespace sw
