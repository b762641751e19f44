#include "SongPaths.h"

#include "ColumnWidths.h"
#include "foundation/Text.h"

namespace sw {

QString MakeRelativePath(const QString& path, const QString& root) {
    // File names are case-sensitive: /music/Rock is not under a root /Music/.
    if (root.isEmpty() || path.isEmpty() || !path.startsWith(root)) {
        return path;
    }
    return path.mid(root.size());
}

QString MakeFullPath(const QString& storedName, const QString& root) {
    // Only a leading "/" makes a name absolute: "1:intro.mp3" is a file under the root, and a
    // drive-letter name from an old catalogue is simply a file that is not there.
    if (storedName.isEmpty() || storedName.startsWith('/')) {
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
    // The extension goes, whatever its length (".mp3", ".flac").
    const qsizetype dot = name.lastIndexOf('.');
    if (dot > 0) {
        name.truncate(dot);
    }
    // The start of a long name says most ("Artist - Title ..."); it is kept, as far as a title
    // holds.
    return FitToColumn(name, kSongTitleWidth);
}

}  // namespace sw
