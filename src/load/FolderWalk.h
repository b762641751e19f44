#pragma once

#include <QString>
#include <QStringList>
#include <set>

namespace sw {

/// An alphabetical depth-first walk over a folder: files and subfolders come out in the order of
/// their full paths compared without regard to letter case (ties broken by case), so everything
/// inside a subfolder comes at the subfolder's place among its siblings. Every path keeps the file
/// system's own spelling; hidden entries are included. A folder reached twice (through a symbolic
/// link) is expanded only the first time, so link loops end.
class FolderWalk {
public:
    /// False when `folder` is not an existing folder; otherwise the walk restarts at it.
    bool StartFolderWalk(const QString& folder, bool withSubfolders);
    /// False when the walk is done. A folder entry gives its path (ending with "/") in `folder` and an
    /// empty `file`; a file entry gives its full path in `file` and the folder it lies in.
    bool NextWalkEntry(QString& folder, QString& file);

    /// Folders met on the walk whose entries could not be read, and subfolders whose names are not
    /// valid UTF-8 (escaped as for BadlyNamedFiles).
    const QStringList& UnreadableFolders() const { return m_unreadable; }
    /// Files met on the walk whose names are not valid UTF-8, so that they cannot be opened by
    /// name: the full path with every stray byte written as "\xNN".
    const QStringList& BadlyNamedFiles() const { return m_badlyNamed; }

private:
    struct Entry {
        QString key;  // the path lower-cased, compared first
        QString path;
        bool isFolder;
        bool operator<(const Entry& other) const {
            const int byKey = key.compare(other.key);
            return byKey != 0 ? byKey < 0 : path < other.path;
        }
    };

    void Insert(const QString& path, bool isFolder);
    void Expand(const QString& folder);
    /// Notes the entries of `folder` whose names are not valid UTF-8.
    void NoteBadNames(const QString& folder);

    std::set<Entry> m_pending;
    std::set<QString> m_expanded;  // canonical paths
    bool m_withSubfolders = false;
    QStringList m_unreadable;
    QStringList m_badlyNamed;
};

/// The name as text: valid UTF-8 as it reads, every other byte as "\xNN" (hexadecimal, upper
/// case). `valid` tells whether there was no such byte.
QString EscapedFileName(const QByteArray& name, bool* valid = nullptr);

}  // namespace sw
