#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
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
    for (const QString& path : paths) {
        const QString full = root + "/" + path;
        if (path.endsWith('/')) {
            QDir().mkpath(full);
            continue;
        }
        QDir().mkpath(full.left(full.lastIndexOf('/')));
        QFile file(full);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("x");
        }
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

}  // namespace sw::test
