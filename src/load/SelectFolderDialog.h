#pragma once

#include <QDialog>

class QLabel;
class QMenu;

namespace sw {

class FolderPane;

/// A small folder picker: folders and the current folder's files side by side, a places selector,
/// OK and Cancel.
class SelectFolderDialog : public QDialog {
public:
    explicit SelectFolderDialog(QWidget* parent = nullptr);

    /// Opens at the folder of `path` (or its nearest existing ancestor, reporting each folder not
    /// found). OK: `path` becomes the chosen folder ending with "/" and the result is true.
    bool Run(QString& path, const QString& titleSuffix);

    const FolderPane& Pane() const { return *m_pane; }
    void GoToParentFolder();

private:
    FolderPane* m_pane;
    QMenu* m_folderMenu;
};

/// The select-folder dialog; `path` is in/out. True when the user chose a folder with OK.
bool SelectFolder(QString& path, const QString& titleSuffix = {}, QWidget* parent = nullptr);

}  // namespace sw
