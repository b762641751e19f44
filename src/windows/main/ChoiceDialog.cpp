#include "ChoiceDialog.h"

#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "WindowHelpers.h"
#include "foundation/Text.h"

namespace sw {

ChoiceDialog::ChoiceDialog(QWidget* parent) : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog) {
    setWindowTitle("Please choose");
    setModal(true);
    setStyleSheet("QFrame#panel { background: silver; }");

    auto* panel = new QFrame(this);
    panel->setObjectName("panel");
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* icon = new QLabel(panel);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    icon->setFixedSize(32, 32);
    m_text = new QLabel(panel);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setMinimumSize(385, 57);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_first = new QPushButton(panel);
    m_second = new QPushButton(panel);
    auto* cancel = new QPushButton("Cancel", panel);
    connect(m_first, &QPushButton::clicked, this, [this] { done(1); });
    connect(m_second, &QPushButton::clicked, this, [this] { done(2); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(0); });

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(m_text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_first);
    buttons->addWidget(m_second);
    buttons->addWidget(cancel);
    auto* inner = new QVBoxLayout(panel);
    inner->addLayout(top);
    inner->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);

    auto* drag = new DragByMouse(this);
    drag->Watch(panel);
    drag->Watch(icon);
    drag->Watch(m_text);
}

int ChoiceDialog::Ask(const QString& text, const QString& first, const QString& second) {
    m_text->setText(text);
    m_first->setText(DoubleAmpersands(first));
    m_second->setText(DoubleAmpersands(second));
    m_first->setDefault(true);
    adjustSize();
    move(ClampBoxToScreen(m_anchor.OpenPoint(QCursor::pos()), size(), ScreenAtCursor()));
    // QDialog maps Escape and the close box to reject(), which answers 0.
    const int answer = exec();
    m_anchor.Closed(QCursor::pos());
    return answer;
}

}  // namespace sw
