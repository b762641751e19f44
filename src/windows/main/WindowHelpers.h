#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

class QAbstractButton;
class QAction;
class QIcon;
class QLineEdit;
class QMenu;
class QWidget;

namespace sw {

/// Puts the window's top-left one pixel right of and below the mouse, kept on the screen.
void PlaceNearCursor(QWidget* window);
/// Places the window near the mouse and shows it without making it modal.
void ShowNearCursor(QWidget* window);
/// Shows the window in front, restoring it when minimised.
void ShowRestored(QWidget* window);
/// Enables or greys an edit box; the colour it had before being greyed comes back when enabled.
void SetEditEnabled(QLineEdit* edit, bool enabled);
/// Changes a check box so that its change handler (which calls TakeQuietChange) ignores it.
void SetCheckQuietly(QAbstractButton* box, bool checked);
/// Empties an edit box so that its change handler ignores it; an empty box is left alone.
void ClearEditQuietly(QLineEdit* edit);
/// Sets a menu item's caption showing every "&" literally.
void SetMenuCaption(QAction* item, const QString& text);
void SetMenuChecked(QAction* item, bool checked);
void PopupAtCursor(QMenu* menu);
/// The screen area the mouse is on.
QRect ScreenAtCursor();
/// The program's icon, which its windows wear.
QIcon ProgramIcon();

/// Lets a borderless window be dragged by pressing the mouse on any of the watched widgets.
class DragByMouse : public QObject {
public:
    DragByMouse(QWidget* window);
    void Watch(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QPoint m_grabOffset;
    bool m_dragging = false;
};

}  // namespace sw
