#include "SongPaths.h"

#include "foundation/Text.h"

namespace sw {

QString MakeRelativePath(const QString& path, const QString& root) {
    if (root.isEmpty() || path.isEmpty()) {
        return path;
    }
    return StripPrefixNoCase(root, path);
}

QString MakeFullPath(const QString& storedName, const QString& root) {
    if (storedName.size() < 2 || storedName.startsWith('/') || storedName[1] == ':') {
        return storedName;
    }
    return root + storedName;
}

QString FileTypeOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    return dot > slash ? path.mid(dot + 1).toUpper() : QString();
}

QString SongTitleFromFileName(const QString& path) {
    QString name = path.mid(path.lastIndexOf('/') + 1);
    DropLastChars(name, 4);
    return KeepLastChars(name, 30);
}

}  // namespace sw
