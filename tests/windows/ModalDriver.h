#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace sw::test {

/// Runs `act` on the next modal window as soon as it is on show (the box's event loop is running).
inline void OnNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

}  // namespace sw::test
