#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <functional>

#include "windows/main/LibraryListWindow.h"

namespace sw::test {

/// A key pressed (and not released) on the widget, as the keyboard sends it.
inline void PressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

/// Runs `act` once the list window runs modally (as a picker) and is on show.
inline void WhenListWindowModal(LibraryListWindow& window, std::function<void()> act) {
    auto* timer = new QTimer(&window);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, &window, act] {
        if (window.RunningModal() && window.isVisible()) {
            timer->stop();
            act();
        }
    });
    timer->start();
}

}  // namespace sw::test
