#include "Placement.h"

#include <algorithm>

namespace sw {

QPoint ClampBoxToScreen(QPoint point, QSize box, const QRect& screen) {
    QPoint topLeft = point;
    if (topLeft.x() + box.width() > screen.right() + 1) {
        topLeft.setX(screen.right() + 1 - box.width());
    }
    if (topLeft.y() + box.height() > screen.bottom() + 1) {
        topLeft.setY(screen.bottom() + 1 - box.height());
    }
    return topLeft;
}

QPoint NearCursorPosition(QPoint mouse, QSize window, const QRect& screen) {
    QPoint topLeft = ClampBoxToScreen(mouse + QPoint(1, 1), window, screen);
    topLeft.setX(std::max(topLeft.x(), screen.left()));
    topLeft.setY(std::max(topLeft.y(), screen.top()));
    return topLeft;
}

QPoint DialogAnchor::OpenPoint(QPoint mouse) {
    if (mouse == m_cursorAtLastClose) {
        return m_lastTopLeft;
    }
    m_lastTopLeft = mouse;
    return mouse;
}

QPoint DialogAnchor::PeekPoint(QPoint mouse) const {
    return mouse == m_cursorAtLastClose ? m_lastTopLeft : mouse;
}

void DialogAnchor::Closed(QPoint mouse, QPoint finalTopLeft) {
    m_cursorAtLastClose = mouse;
    if (finalTopLeft != m_lastTopLeft) {
        m_lastTopLeft = finalTopLeft;
    }
}

}  // namespace sw
