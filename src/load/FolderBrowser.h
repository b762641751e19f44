#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace sw {

/// One line of a folder list: a folder of the chain from "/" down to the current folder, or one of
/// the current folder's subfolders.
struct FolderItem {
    QString path;   ///< full path ending with "/"
    QString name;   ///< "/" for the root, else the folder's own name
    int depth = 0;  ///< 0 for the root
    bool inChain = false;
};

/// What a folder list holds and how it moves, kept apart from any widget: the chain of folders down
/// to the current one followed by its subfolders, the selected line, and the files of the current
/// folder. Paths keep the file system's spelling and always end with "/".
class FolderBrowser {
public:
    enum class ParentStep { CloseWindow, Moved, Stayed };

    /// Makes `folder` current and selects it. False, with nothing changed, when it is not a folder.
    bool OpenFolder(const QString& folder);
    /// Opens the selected line's folder.
    bool OpenSelected();
    /// Up from the selected line: the root selected asks to close the window; otherwise, when the
    /// current folder lies above the selection and is not the root, its parent is opened and the
    /// folder just left selected.
    ParentStep GoToParentFolder();
    /// Opens the folder above the current one and selects the folder just left; false at the root.
    bool OpenParent();
    /// Re-reads the lists; a current folder that has gone gives way to its nearest existing ancestor.
    void Refresh();

    void Select(int index);
    /// Selects the line holding `folder`; false when there is none.
    bool SelectFolder(const QString& folder);
    /// Moves the selection by `step` lines, staying on the list.
    void MoveSelection(int step);

    const QString& CurrentFolder() const { return m_current; }
    /// False when the current folder's entries could not be read.
    bool CurrentReadable() const { return m_readable; }
    const std::vector<FolderItem>& Items() const { return m_items; }
    int CurrentIndex() const { return m_currentIndex; }
    int Selected() const { return m_selected; }
    /// The names of the current folder's files, hidden ones included, in alphabetical order.
    const QStringList& Files() const { return m_files; }

private:
    void ReadCurrent();

    QString m_current;
    bool m_readable = true;
    std::vector<FolderItem> m_items;
    int m_currentIndex = -1;
    int m_selected = -1;
    QStringList m_files;
};

/// `path` as an absolute folder path ending with "/", "." and ".." resolved; the letters unchanged.
QString NormalFolderPath(const QString& path);
/// The folder itself when it exists, else its nearest existing ancestor ("/" at the end).
QString NearestExistingFolder(const QString& path);
/// The folder above `folder` ("/" stays "/").
QString ParentFolder(const QString& folder);
/// The folder a picker opens for `path`: while the folder of `path` does not exist, it is reported
/// ("Folder not found", the path, " - seeking parent") and `path` is cut back by one folder. A path
/// that runs out becomes "/".
QString SeekFolderOfPath(QString& path);
/// The folder a path typed or pasted into a picker names: surrounding blanks and quotes and a
/// "file://" prefix taken off, "~" read as `home`, a relative path taken from `current`, a file
/// read as the folder that holds it. Empty when no such folder exists.
QString TypedFolder(const QString& typed, const QString& current, const QString& home);
/// The folder the load window opens at: the folder it was last closed on (or, when that has gone,
/// its nearest existing ancestor); the first time, and when it was closed on "/" alone, the music
/// root (its nearest existing folder); without a music root, `home`.
QString LoadStartFolder(const QString& loadPath, const QString& root, const QString& home);
/// Orders names the way the folder walk does: ignoring letter case, ties broken by case.
void SortNames(QStringList& names);

}  // namespace sw
