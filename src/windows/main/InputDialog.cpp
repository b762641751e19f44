#include "InputDialog.h"

#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "WindowHelpers.h"
#include "foundation/Placement.h"
#include "foundation/Text.h"

namespace sw {

namespace {
constexpr int kLineMargin = 8;
}

InputDialog::InputDialog(const DialogAnchor& anchor, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), m_anchor(anchor) {
    setModal(true);
    setStyleSheet("QFrame#panel { background: silver; }");
    auto* panel = new QFrame(this);
    panel->setObjectName("panel");
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);

    m_prompt = new QLabel(panel);
    m_prompt->setTextFormat(Qt::PlainText);
    QFont small = m_prompt->font();
    small.setPointSize(8);
    m_prompt->setFont(small);
    m_hint = new QLabel(panel);
    m_hint->setTextFormat(Qt::PlainText);
    QFont large = m_hint->font();
    large.setPointSize(10);
    m_hint->setFont(large);
    m_edit = new QLineEdit(panel);
    m_edit->setMinimumWidth(300);
    connect(m_edit, &QLineEdit::textChanged, this, &InputDialog::KeepWithinLimit);
    m_cut = new QLabel(panel);
    m_cut->setObjectName("cut");
    m_cut->setTextFormat(Qt::PlainText);
    m_cut->setStyleSheet("color: maroon;");
    m_cut->setFont(small);
    m_cut->hide();

    auto* ok = new QPushButton("OK", panel);
    auto* cancel = new QPushButton("Cancel", panel);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* inner = new QVBoxLayout(panel);
    inner->setContentsMargins(kLineMargin, kLineMargin, kLineMargin, kLineMargin);
    inner->addWidget(m_prompt);
    inner->addWidget(m_hint);
    inner->addWidget(m_edit);
    inner->addWidget(m_cut);
    inner->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(panel);

    auto* drag = new DragByMouse(this);
    drag->Watch(panel);
}

bool InputDialog::Ask(const QString& prompt, QString& value, int maxLength, const QString& hint) {
    // Labels in plain text show "&" as it is.
    m_prompt->setText(prompt);
    m_hint->setText(hint);
    m_hint->setVisible(!hint.isEmpty());
    m_limit = maxLength;
    m_cut->hide();
    // The line edit's own limit counts UTF-16 units and cuts a paste without a word, so it stays
    // at its widest and KeepWithinLimit counts the characters.
    m_edit->setMaxLength(32767);
    m_edit->setText(value);
    m_edit->selectAll();
    m_edit->setFocus();
    adjustSize();

    const int lineWidth =
        std::max(m_prompt->sizeHint().width(), hint.isEmpty() ? 0 : m_hint->sizeHint().width());
    resize(std::max(width(), kLineMargin * 2 + lineWidth + 4), height());

    const QPoint point = m_anchor.PeekPoint(QCursor::pos());
    const QRect screen = ScreenAtCursor();
    move(std::min(point.x(), screen.right() + 1 - width()),
         std::min(point.y(), screen.bottom() + 1 - height()));
    if (exec() != QDialog::Accepted) {
        return false;
    }
    value = m_edit->text();
    return true;
}

void InputDialog::KeepWithinLimit(const QString& text) {
    if (m_limit <= 0 || CharCount(text) <= m_limit) {
        return;
    }
    const int cursor = m_edit->cursorPosition();
    const QString kept = LeftChars(text, m_limit);
    {
        const QSignalBlocker quiet(m_edit);
        m_edit->setText(kept);
    }
    m_edit->setCursorPosition(std::min<int>(cursor, static_cast<int>(kept.size())));
    m_cut->setText("At most " + QString::number(m_limit) + " characters: the rest was cut");
    m_cut->show();
}

}  // namespace sw
