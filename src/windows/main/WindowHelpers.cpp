#include "WindowHelpers.h"

#include <QAbstractButton>
#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include "foundation/Placement.h"
#include "foundation/QuietChange.h"
#include "foundation/Text.h"

namespace sw {

namespace {
QColor g_rememberedEditColour = Qt::white;
}

QRect ScreenAtCursor() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

QIcon ProgramIcon() {
    return QIcon(":/sonwick3/sonwick3.svg");
}

void PlaceNearCursor(QWidget* window) {
    window->move(NearCursorPosition(QCursor::pos(), window->frameGeometry().size(), ScreenAtCursor()));
}

void ShowNearCursor(QWidget* window) {
    PlaceNearCursor(window);
    window->show();
}

void ShowRestored(QWidget* window) {
    if (window->isMinimized()) {
        window->showNormal();
    } else {
        window->show();
    }
    window->raise();
    window->activateWindow();
}

void SetEditEnabled(QLineEdit* edit, bool enabled) {
    if (!enabled && !edit->isEnabled()) {
        return;
    }
    edit->setEnabled(enabled);
    QPalette palette = edit->palette();
    if (enabled) {
        palette.setColor(QPalette::Base, g_rememberedEditColour);
    } else {
        g_rememberedEditColour = palette.color(QPalette::Active, QPalette::Base);
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    }
    edit->setPalette(palette);
}

void SetCheckQuietly(QAbstractButton* box, bool checked) {
    if (box->isChecked() == checked) {
        return;
    }
    SetQuietChange();
    box->setChecked(checked);
}

void ClearEditQuietly(QLineEdit* edit) {
    // Clearing an empty box sends no change event, which would leave the flag for the next real one.
    if (edit->text().isEmpty()) {
        return;
    }
    SetQuietChange();
    edit->clear();
}

void SetMenuCaption(QAction* item, const QString& text) {
    item->setText(DoubleAmpersands(text));
}

void SetMenuChecked(QAction* item, bool checked) {
    item->setChecked(checked);
}

void PopupAtCursor(QMenu* menu) {
    menu->popup(QCursor::pos());
}

DragByMouse::DragByMouse(QWidget* window) : QObject(window), m_window(window) {
    Watch(window);
}

void DragByMouse::Watch(QWidget* widget) {
    widget->installEventFilter(this);
}

bool DragByMouse::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                m_dragging = true;
                m_grabOffset = mouse->globalPosition().toPoint() - m_window->pos();
                widget->setCursor(Qt::SizeAllCursor);
            }
            break;
        }
        case QEvent::MouseMove:
            if (m_dragging) {
                m_window->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_grabOffset);
            }
            break;
        case QEvent::MouseButtonRelease:
            if (m_dragging) {
                m_dragging = false;
                widget->unsetCursor();
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace sw
