#include "RewriteLeftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <vector>

#include "foundation/Files.h"

namespace sw {

namespace {

bool IsOwnRegularFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid();
}

/// Removes `name` when it is still a leftover once locked: the lock is what a live rewrite holds,
/// and the name must still lead to the file locked.
bool RemoveIfUnused(int folderFd, const char* name) {
    struct stat named {};
    // Looked at before it is opened: opening a device or a pipe can have effects of its own.
    if (::fstatat(folderFd, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !IsOwnRegularFile(named)) {
        return false;
    }
    const int fd = ::openat(folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat held {};
    bool removed = ::fstat(fd, &held) == 0 && IsOwnRegularFile(held) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    removed = removed && ::fstatat(folderFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
              named.st_dev == held.st_dev && named.st_ino == held.st_ino;
    removed = removed && ::unlinkat(folderFd, name, 0) == 0;
    ::close(fd);
    return removed;
}

/// The sweep; an empty `prefix` takes the temporary files of every name.
QStringList Sweep(const QString& folder, const QByteArray& prefix) {
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        return {};
    }
    std::vector<QByteArray> candidates;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        // The prefix is followed by the six characters of the temporary name and nothing else.
        const bool ofTheFile =
            prefix.isEmpty() || (name.startsWith(prefix) && name.size() == prefix.size() + 6);
        if (ofTheFile && IsTemporaryName(name)) {
            candidates.push_back(name);
        }
    }
    QStringList removed;
    for (const QByteArray& name : candidates) {
        if (RemoveIfUnused(::dirfd(dir), name.constData())) {
            removed << QFile::decodeName(name);
        }
    }
    ::closedir(dir);
    return removed;
}

}  // namespace

QStringList RemoveRewriteLeftovers(const QString& folder) {
    return Sweep(folder, QByteArray());
}

QStringList RemoveRewriteLeftoversOf(const QString& file) {
    const QFileInfo info(file);
    return Sweep(info.absolutePath(), TemporaryNamePrefix(QFile::encodeName(info.fileName())));
}

}  // namespace sw
