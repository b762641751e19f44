#pragma once

#include <QKeySequence>
#include <QObject>
#include <array>

#include "MainController.h"

class QWidget;

namespace sw {

/// The keys that work anywhere in the program, by what they do. The Play menu shows them, each
/// on its entry.
struct ProgramKey {
    MainEntry entry;
    const char* caption;
    QKeyCombination key;
};
inline constexpr std::array<ProgramKey, 6> kProgramKeys{{
    {MainEntry::PlayPause, "Play / Pause", QKeyCombination(Qt::Key_Space)},
    {MainEntry::Next, "Next", QKeyCombination(Qt::ControlModifier, Qt::Key_Right)},
    {MainEntry::Previous, "Previous", QKeyCombination(Qt::ControlModifier, Qt::Key_Left)},
    {MainEntry::SearchKey, "Search", QKeyCombination(Qt::ControlModifier, Qt::Key_F)},
    {MainEntry::LoadKey, "Load", QKeyCombination(Qt::ControlModifier, Qt::Key_L)},
    {MainEntry::Quit, "Quit", QKeyCombination(Qt::ControlModifier, Qt::Key_Q)},
}};

/// True when `key`, one of the program's keys, is left to the widget that has the focus
/// because it has a use of its own for it there: Space in a text box, on a button and in a
/// list or grid of another window (the queue's grid pauses with it, the song lists select),
/// the word moves of Ctrl+Left and Ctrl+Right in a text box, and every key in a window that
/// counts key presses (the beats-per-minute tapper).
bool KeyBelongsToFocus(const QWidget* focus, QKeyCombination key, const QWidget* mainWindow);

/// Watches the whole program: a key of the program's that KeyBelongsToFocus gives to the
/// focused widget is delivered to it instead of running the program's command.
class ProgramKeyGuard : public QObject {
public:
    ProgramKeyGuard(const QWidget* mainWindow, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const QWidget* m_mainWindow;
};

}  // namespace sw
