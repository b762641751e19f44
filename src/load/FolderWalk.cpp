#include "FolderWalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "foundation/Files.h"
#include "foundation/Text.h"
#include "tags/RewriteLeftovers.h"

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

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

/// The length of the valid UTF-8 sequence at `at`, 0 when the byte there does not start one.
int SequenceLength(const QByteArray& text, qsizetype at) {
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (int i = 2; i < length; ++i) {
        if (!IsContinuation(byte(i))) {
            return 0;
        }
    }
    return length;
}

}  // namespace

QString EscapedFileName(const QByteArray& name, bool* valid) {
    QString text;
    bool clean = true;
    for (qsizetype at = 0; at < name.size();) {
        const int length = SequenceLength(name, at);
        if (length > 0) {
            text += QString::fromUtf8(name.constData() + at, length);
            at += length;
        } else {
            text +=
                "\\x" +
                QString::number(static_cast<unsigned char>(name[at]), 16).toUpper().rightJustified(2, '0');
            clean = false;
            ++at;
        }
    }
    if (valid) {
        *valid = clean;
    }
    return text;
}

bool FolderWalk::StartFolderWalk(const QString& folder, bool withSubfolders) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        return false;
    }
    m_pending.clear();
    m_expanded.clear();
    m_unreadable.clear();
    m_badlyNamed.clear();
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
    // Copies left by tag rewrites that were killed half-way are ours to remove, not songs.
    RemoveRewriteLeftovers(folder);
    // The folder search passes over names that are not valid UTF-8; they are looked for here.
    NoteBadNames(folder);
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

void FolderWalk::NoteBadNames(const QString& folder) {
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        return;
    }
    QStringList files;
    QStringList folders;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        bool valid = true;
        const QString escaped = EscapedFileName(name, &valid);
        if (valid) {
            continue;
        }
        struct stat info {};
        const bool isFolder = ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        if (!isFolder) {
            files << folder + escaped;
        } else if (m_withSubfolders) {
            folders << folder + escaped + '/';
        }
    }
    ::closedir(dir);
    files.sort(Qt::CaseInsensitive);
    folders.sort(Qt::CaseInsensitive);
    m_badlyNamed << files;
    m_unreadable << folders;
}

}  // namespace sw
