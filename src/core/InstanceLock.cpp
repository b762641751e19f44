#include "InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "Paths.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

QString LockFileText(const QString& title) {
    return "This file LOCK.TXT is used to prevent multiple instances of program " + QuoteDouble(title) +
           " running on your PC.\r\nIf the file is absent it will be created automatically.";
}

InstanceLockResult TakeInstanceLock(const QString& lockFile, const QString& title, QString* reason) {
    QFile file(lockFile);
    if (!file.exists() && file.open(QIODevice::WriteOnly)) {
        file.write(LockFileText(title).toUtf8());
        file.close();
    }
    // The descriptor is deliberately never closed: the lock lasts as long as the process.
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (reason) {
            *reason = QString::fromLocal8Bit(std::strerror(errno));
        }
        return InstanceLockResult::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        return InstanceLockResult::Taken;
    }
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK) {
        return InstanceLockResult::Held;
    }
    if (reason) {
        *reason = QString::fromLocal8Bit(std::strerror(error));
    }
    return InstanceLockResult::Unavailable;
}

bool AcquireInstanceLock(const QString& lockFile, const QString& title) {
    if (TakeInstanceLock(lockFile, title) == InstanceLockResult::Taken) {
        return false;
    }
    ShowInfo("Program " + QuoteDouble(title) + " is already running");
    return true;
}

void LockProgramFolder() {
    QString reason;
    switch (TakeInstanceLock(Paths().lockFile, kApplicationTitle, &reason)) {
        case InstanceLockResult::Taken:
            return;
        case InstanceLockResult::Held:
            throw std::runtime_error(("sonwick3 is running on the program folder " +
                                      QuoteDouble(ProgramFolder()) +
                                      ": close it first (or wait for the other command on it to end)")
                                         .toStdString());
        case InstanceLockResult::Unavailable:
            throw std::runtime_error(("Cannot lock " + Paths().lockFile + ": " + reason).toStdString());
    }
}

}  // namespace sw
