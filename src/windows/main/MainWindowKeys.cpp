#include "MainWindowKeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "playback/BpmWindow.h"

namespace sw {

namespace {

bool TakesText(const QWidget* widget) {
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget)) {
        return true;
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return combo->isEditable();
    }
    if (const auto* edit = qobject_cast<const QTextEdit*>(widget)) {
        return !edit->isReadOnly();
    }
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget)) {
        return !plain->isReadOnly();
    }
    return false;
}

bool IsProgramKey(QKeyCombination key) {
    for (const ProgramKey& entry : kProgramKeys) {
        if (entry.key == key) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool KeyBelongsToFocus(const QWidget* focus, QKeyCombination key, const QWidget* mainWindow) {
    if (!focus || !IsProgramKey(key)) {
        return false;
    }
    if (dynamic_cast<const BpmWindow*>(focus->window())) {
        return true;
    }
    const Qt::KeyboardModifiers modifiers = key.keyboardModifiers();
    if (key.key() == Qt::Key_Space && modifiers == Qt::NoModifier) {
        if (TakesText(focus) || qobject_cast<const QAbstractButton*>(focus)) {
            return true;
        }
        return qobject_cast<const QAbstractItemView*>(focus) && focus->window() != mainWindow;
    }
    if ((key.key() == Qt::Key_Left || key.key() == Qt::Key_Right) && modifiers == Qt::ControlModifier) {
        return TakesText(focus);
    }
    return false;
}

ProgramKeyGuard::ProgramKeyGuard(const QWidget* mainWindow, QObject* parent)
    : QObject(parent), m_mainWindow(mainWindow) {}

bool ProgramKeyGuard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        const auto* focus = qobject_cast<const QWidget*>(watched);
        // Accepting the override hands the key to the widget as a key press.
        if (focus && focus == QApplication::focusWidget() &&
            KeyBelongsToFocus(focus, key->keyCombination(), m_mainWindow)) {
            key->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace sw
