#pragma once

#include <QProcess>
#include <QString>

namespace sw::test {

/// A session dbus-daemon of the test's own, so that no test depends on (or disturbs) a desktop's
/// session bus. It ends with the object.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    /// The bus's address; empty when the daemon did not start.
    const QString& Address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

}  // namespace sw::test
