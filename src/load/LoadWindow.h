#pragma once

#include <QElapsedTimer>
#include <QMainWindow>

#include "LoadController.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;

namespace sw {

class FileImporter;
class FolderPane;
struct Settings;

/// The "Load" window: pick a folder on the left, list its audio files on the right, load them.
/// Created once and shown on demand with ShowLoadWindow; closing it remembers the folder in
/// `Settings::LoadPath`, where the next showing opens.
class LoadWindow : public QMainWindow, private LoadDisplay {
public:
    LoadWindow(FileImporter& importer, Settings& settings, QWidget* parent = nullptr);
    ~LoadWindow() override;

    /// Resets the window for a new showing and brings it to the front.
    void ShowLoadWindow();

    void ListFilesToLoad();
    /// Loads all listed files or the selected one; the window closes when that happened.
    void LoadListed();
    void CancelOrClose();
    void GoToParentFolder();
    void OpenFolder();
    void RefreshFolders();

    LoadController& Controller() { return m_controller; }
    const FolderPane& Pane() const { return *m_pane; }
    QString CurrentFolder() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void ShowInstructions();
    void ShowState();
    /// Draws the selection and status the loops last asked for.
    void ShowPending();

    void ListCleared() override;
    void FileListed(const QString& path) override;
    void FileSelected(int row) override;
    void StatusChanged(const QString& text) override;
    void StateChanged() override;
    void PumpEvents() override;

    LoadController m_controller;
    Settings& m_settings;
    FolderPane* m_pane = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_refresh = nullptr;
    QLabel* m_count = nullptr;
    QListWidget* m_toLoad = nullptr;
    QPushButton* m_list = nullptr;
    QCheckBox* m_subfolders = nullptr;
    QCheckBox* m_skipLoaded = nullptr;
    QPushButton* m_cancel = nullptr;
    QRadioButton* m_loadOne = nullptr;
    QRadioButton* m_loadAll = nullptr;
    QPushButton* m_load = nullptr;
    QLabel* m_status = nullptr;
    QMenu* m_folderMenu = nullptr;
    QElapsedTimer m_sinceShown;
    QStringList m_pendingRows;
    int m_pendingRow = -1;
    bool m_rowPending = false;
    QString m_pendingStatus;
    bool m_statusPending = false;
    bool m_selecting = false;  // the program moves the selection of the list of files
};

}  // namespace sw
