#pragma once

#include <QApplication>

namespace sw {

/// The application object whose event delivery is the one place where an error escaping a command
/// is caught: it is shown in an error box with its own text and the program goes on.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace sw
