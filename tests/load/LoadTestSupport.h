#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <functional>
#include <ostream>

/// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (const QString& text : list) {
        *os << " \"" << text.toStdString() << '"';
    }
    *os << " }";
}

namespace sw::test {

/// Creates the files and folders named by `paths` under `root`: a name ending with "/" is a folder,
/// anything else a small file (its folders made on the way).
inline void MakeTree(const QString& root, const QStringList& paths) {
    QString lastFolder;
    for (const QString& path : paths) {
        const QString full = root + "/" + path;
        if (path.endsWith('/')) {
            QDir().mkpath(full);
            continue;
        }
        const QString folder = full.left(full.lastIndexOf('/'));
        if (folder != lastFolder) {
            QDir().mkpath(folder);
            lastFolder = folder;
        }
        QFile file(full);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("x");
        }
    }
}

/// Creates a small file (or, with a trailing "/", a folder) under `folder` whose name is the raw
/// bytes given, valid UTF-8 or not; false when it could not be made.
inline bool MakeRawEntry(const QString& folder, const QByteArray& name) {
    const QByteArray path = QFile::encodeName(folder) + "/" + name;
    if (name.endsWith('/')) {
        return ::mkdir(path.constData(), 0755) == 0;
    }
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    return fd >= 0 && ::write(fd, "x", 1) == 1 && ::close(fd) == 0;
}

/// Removes what MakeRawEntry made (a folder must be empty by then); the folder search cannot see
/// such names, so a temporary folder holding them could not be removed.
inline void RemoveRawEntry(const QString& folder, const QByteArray& name) {
    const QByteArray path = QFile::encodeName(folder) + "/" + name;
    if (name.endsWith('/')) {
        ::rmdir(path.constData());
    } else {
        ::unlink(path.constData());
    }
}

/// `paths` with `root` + "/" taken off the front, for comparing with short names; the root itself
/// becomes "./".
inline QStringList Relative(const QString& root, const QStringList& paths) {
    QStringList relative;
    for (const QString& path : paths) {
        if (path == root + "/") {
            relative << "./";
        } else {
            relative << (path.startsWith(root + "/") ? path.mid(root.size() + 1) : path);
        }
    }
    return relative;
}

/// Runs `body` in a child process as an unprivileged user (a superuser reads every folder, so
/// unreadable folders need one) and returns its result, or -1 when the child did not end normally.
/// The body must not use test assertions; it reports through its result.
inline int RunAsNobody(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(100);
        }
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// Opens `root` to everyone and shuts `locked` (a folder under it) to everyone but its owner's writes.
inline void LockFolder(const QString& root, const QString& locked) {
    QFile::setPermissions(
        root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(locked, QFile::WriteOwner);
}

/// Undoes LockFolder on `locked` so the temporary folder can be removed.
inline void UnlockFolder(const QString& locked) {
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace sw::test
