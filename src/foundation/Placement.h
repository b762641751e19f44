#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace sw {

/// Top-left of a box opened at `point`: pulled back so that its right and bottom edges stay on the
/// screen; nothing else is corrected.
QPoint ClampBoxToScreen(QPoint point, QSize box, const QRect& screen);

/// Where PlaceNearCursor puts a window: one pixel right of and below the mouse, kept on the screen.
QPoint NearCursorPosition(QPoint mouse, QSize window, const QRect& screen);

/// Placement memory of the message boxes: a user who answers a box and does not move the mouse gets
/// the next box where the previous one was left, even after dragging it aside.
class DialogAnchor {
public:
    /// The point to open the next box at, recorded as the new opening point unless the mouse has
    /// not moved since the last box closed.
    QPoint OpenPoint(QPoint mouse);
    /// The same rule without recording anything.
    QPoint PeekPoint(QPoint mouse) const;
    /// Records the mouse position at closing and where the box was left.
    void Closed(QPoint mouse, QPoint finalTopLeft);
    /// Records only the mouse position at closing.
    void Closed(QPoint mouse) { m_cursorAtLastClose = mouse; }

private:
    QPoint m_cursorAtLastClose;
    QPoint m_lastTopLeft;
};

}  // namespace sw
