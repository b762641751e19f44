#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace sw {

/// Ends the program in order (catalogue committed, settings saved) when the system asks it to stop
/// (SIGTERM, SIGINT, SIGHUP), as at the end of a desktop session. Installed after the catalogue
/// is open, so that it replaces the database engine's own handlers, which would only shut the
/// connection and leave the program running without it. A second signal ends the process at once
/// with status 128 + the signal's number, whatever the first one is doing.
class QuitOnSignal : public QObject {
public:
    explicit QuitOnSignal(std::function<void()> quit, QObject* parent = nullptr);
    ~QuitOnSignal() override;

private:
    void Received();

    std::function<void()> m_quit;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace sw
