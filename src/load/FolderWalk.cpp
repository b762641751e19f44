#include "FolderWalk.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "foundation/Files.h"
#include "foundation/Text.h"

namespace sw {

namespace {

QString FolderPath(const QString& folder) {
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    AddTrailingBackslash(path);
    return path;
}

bool CanList(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), R_OK | X_OK) == 0;
}

}  // namespace

bool FolderWalk::StartFolderWalk(const QString& folder, bool withSubfolders) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return false;
    }
    m_pending.clear();
    m_expanded.clear();
    m_unreadable.clear();
    m_withSubfolders = withSubfolders;
    Insert(FolderPath(folder), true);
    return true;
}

bool FolderWalk::NextWalkEntry(QString& folder, QString& file) {
    while (!m_pending.empty()) {
        const Entry entry = *m_pending.begin();
        m_pending.erase(m_pending.begin());
        if (!entry.isFolder) {
            folder = entry.path.left(entry.path.lastIndexOf('/') + 1);
            file = entry.path;
            return true;
        }
        const QString canonical = QFileInfo(entry.path).canonicalFilePath();
        if (canonical.isEmpty() || !m_expanded.insert(canonical).second) {
            continue;  // gone meanwhile, or already walked under another name
        }
        Expand(entry.path);
        folder = entry.path;
        file.clear();
        return true;
    }
    return false;
}

void FolderWalk::Insert(const QString& path, bool isFolder) {
    m_pending.insert({path.toLower(), path, isFolder});
}

void FolderWalk::Expand(const QString& folder) {
    if (!CanList(folder)) {
        m_unreadable << folder;
        return;
    }
    if (!FindFirstEntry(folder, "*.*", 0)) {
        return;
    }
    QString name;
    while (FindNextEntry(name)) {
        switch (EntryKind()) {
            case 'D':
                if (m_withSubfolders) {
                    Insert(folder + name + '/', true);
                }
                break;
            case 'F':
                Insert(folder + name, false);
                break;
            default:
                break;
        }
    }
}

}  // namespace sw
