#include "EngineDiskGuard.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <csignal>
#include <cstring>

#include "RowSet.h"
#include "foundation/Text.h"

namespace sw::fb {

namespace {

// Filled before the handler is installed; the handler itself only writes it out.
char g_busErrorText[1024];
std::size_t g_busErrorLength = 0;

void OnBusError(int signal) {
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, g_busErrorText, g_busErrorLength);
    // The process still ends by the signal, as it would have without this note.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

QString LockSpaceShortfallText(const QString& folder, std::int64_t freeBytes) {
    if (freeBytes >= kLockFolderSpaceNeeded) {
        return {};
    }
    return "The disk holding " + QuoteDouble(folder) + " is full (" + QString::number(freeBytes / 1024) +
           " KB free): the database needs at least " + QString::number(kLockFolderSpaceNeeded >> 20) +
           " MB there. Free some space and try again.";
}

void GuardLockFolderDisk(const QString& folder) {
    const QByteArray native = QFile::encodeName(folder);
    struct statvfs disk {};
    if (::statvfs(native.constData(), &disk) == 0) {
        const std::int64_t freeBytes = static_cast<std::int64_t>(disk.f_bavail) * disk.f_frsize;
        const QString shortfall = LockSpaceShortfallText(folder, freeBytes);
        if (!shortfall.isEmpty()) {
            throw DatabaseError(shortfall.toStdString());
        }
    }
    const QByteArray text =
        ("\nThe database engine stopped with a bus error: most likely the disk holding " + QuoteDouble(folder) +
         " is full, so a lock file it maps could not grow. Free some space and start again.\n")
            .toUtf8();
    g_busErrorLength = std::min<std::size_t>(static_cast<std::size_t>(text.size()), sizeof g_busErrorText);
    std::memcpy(g_busErrorText, text.constData(), g_busErrorLength);
    struct sigaction action {};
    action.sa_handler = OnBusError;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, nullptr);
}

}  // namespace sw::fb
