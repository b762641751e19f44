#include "InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>

#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

QString LockFileText(const QString& title) {
    return "This file LOCK.TXT is used to prevent multiple instances of program " + QuoteDouble(title) +
           " running on your PC.\r\nIf the file is absent it will be created automatically.";
}

bool AcquireInstanceLock(const QString& lockFile, const QString& title) {
    QFile file(lockFile);
    if (!file.exists() && file.open(QIODevice::WriteOnly)) {
        file.write(LockFileText(title).toUtf8());
        file.close();
    }
    // The descriptor is deliberately never closed: the lock lasts as long as the process.
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        return false;
    }
    if (fd >= 0) {
        ::close(fd);
    }
    ShowInfo("Program " + QuoteDouble(title) + " is already running");
    return true;
}

}  // namespace sw
