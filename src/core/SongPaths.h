#pragma once

#include <QString>

namespace sw {

/// The name stored for a file: relative to the music root when the path begins with it (letter
/// case counts), else the path unchanged. No separator is added or removed.
QString MakeRelativePath(const QString& path, const QString& root);
/// The path of a stored name: "/..." stays as it is; any other non-empty name is relative to the
/// root.
QString MakeFullPath(const QString& storedName, const QString& root);
/// Upper-case extension without the dot ("MP3"), empty when there is none.
QString FileTypeOf(const QString& path);
/// The file name without folder and without its last four characters (dot and a three-letter
/// extension), of which only the last 30 characters are kept.
QString SongTitleFromFileName(const QString& path);

}  // namespace sw
