#include "FolderMap.h"

#include <stdexcept>

namespace sw {

namespace {

bool HasDriveLetter(const QString& path) {
    return path.size() >= 2 && path[1] == ':' && path[0].isLetter() && path[0].unicode() < 0x80;
}

bool FromWindows(const QString& path) {
    return HasDriveLetter(path) || path.startsWith("//");
}

/// "\" as "/", and no trailing "/" (a drive's root keeps none: "D:").
QString FolderText(QString folder) {
    folder.replace('\\', '/');
    while (folder.size() > 1 && folder.endsWith('/')) {
        folder.chop(1);
    }
    return folder;
}

}  // namespace

bool IsAbsoluteStoredPath(const QString& path) {
    return path.startsWith('/') || path.startsWith('\\') || HasDriveLetter(path);
}

void FolderMap::Add(const QString& from, const QString& to) {
    const QString oldFolder = FolderText(from.trimmed());
    const QString newFolder = FolderText(to.trimmed());
    if (!IsAbsoluteStoredPath(oldFolder) || oldFolder == "/") {
        throw std::invalid_argument(
            ("the old folder \"" + from + "\" must be a full path, such as D:/Music").toStdString());
    }
    if (!newFolder.startsWith('/')) {
        throw std::invalid_argument(
            ("the new folder \"" + to + "\" must be a full path starting with \"/\"").toStdString());
    }
    m_mappings.push_back({oldFolder, newFolder == "/" ? QString() : newFolder});
}

void FolderMap::AddPair(const QString& pair) {
    const qsizetype equals = pair.indexOf('=');
    if (equals < 0) {
        throw std::invalid_argument(("a folder map is OLD=NEW, not \"" + pair + "\"").toStdString());
    }
    Add(pair.left(equals), pair.mid(equals + 1));
}

std::optional<QString> FolderMap::Apply(const QString& path) const {
    QString text = path;
    text.replace('\\', '/');
    const Mapping* best = nullptr;
    for (const Mapping& mapping : m_mappings) {
        const Qt::CaseSensitivity sensitivity = FromWindows(mapping.from) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const qsizetype length = mapping.from.size();
        const bool inside = text.startsWith(mapping.from, sensitivity) &&
                            (text.size() == length || text[length] == '/');
        if (inside && (!best || length > best->from.size())) {
            best = &mapping;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    const QString rest = text.mid(best->from.size());
    return best->to.isEmpty() && rest.isEmpty() ? QString("/") : best->to + rest;
}

}  // namespace sw
