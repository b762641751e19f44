#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

#include "FolderBrowser.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QWidget;

namespace sw {

/// The left half of both folder pickers: the places selector, the folder list (chain of folders
/// down to the current one, then its subfolders) and the read-only list of the current folder's
/// files, all drawn from one FolderBrowser, and a line showing the current folder's path. A click on
/// a folder opens it; choosing a place opens it or reports it missing; a path typed or pasted into
/// the line opens with Enter (the folder list then takes the keys again), or is reported missing.
class FolderPane : public QObject {
public:
    explicit FolderPane(QWidget* owner);

    QComboBox* Places() const { return m_places; }
    QListWidget* Folders() const { return m_folders; }
    QListWidget* Files() const { return m_files; }
    QLineEdit* PathLine() const { return m_path; }
    const FolderBrowser& Browser() const { return m_browser; }
    const QString& CurrentFolder() const { return m_browser.CurrentFolder(); }

    /// Runs after every change of the current folder made through the pane.
    void SetFolderChanged(std::function<void()> changed) { m_folderChanged = std::move(changed); }

    bool OpenFolder(const QString& folder);
    bool OpenSelected();
    FolderBrowser::ParentStep GoToParentFolder();
    bool OpenParent();
    /// Opens the folder the text names (see TypedFolder); false, after saying so, when there is none.
    bool OpenTypedPath(const QString& typed);
    /// Re-reads the places and the folder list.
    void Refresh();
    void MoveSelection(int step);

private:
    void RefreshPlaces();
    void Render();
    void ShowSelection();
    void ShowPlace();
    void PlaceChosen(int index);
    void FolderClicked(int row);
    void Changed(const QString& before);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QComboBox* m_places;
    QListWidget* m_folders;
    QListWidget* m_files;
    QLineEdit* m_path;
    FolderBrowser m_browser;
    QStringList m_placeList;
    std::function<void()> m_folderChanged;
    bool m_showing = false;  // widgets being filled by the program, not by the user
};

}  // namespace sw
