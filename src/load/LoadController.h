#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace sw {

class FileImporter;

/// What the load window is doing: the Cancel button reads "Cancel" unless it is idle.
enum class LoadBusy { Idle = 0, Listing = 1, Loading = 2 };

/// Where the controller reports what the load window shows. The listing and loading loops call
/// PumpEvents between entries so that the window repaints and a click on Cancel gets through.
class LoadDisplay {
public:
    virtual ~LoadDisplay() = default;
    virtual void ListCleared() = 0;
    virtual void FileListed(const QString& path) = 0;
    virtual void FileSelected(int row) = 0;
    virtual void StatusChanged(const QString& text) = 0;
    /// The busy state, the count label or the Load button changed.
    virtual void StateChanged() = 0;
    virtual void PumpEvents() = 0;
};

/// The load window's state and its two loops, free of widgets: listing the loadable files of a
/// folder (and its subfolders) and loading all of them, or the selected one, through the importer.
/// Questions go through the installed dialogs.
class LoadController {
public:
    explicit LoadController(FileImporter& importer);

    void SetDisplay(LoadDisplay* display) { m_display = display; }
    /// Told `true` when a load run begins and `false` once it has ended (its files committed),
    /// also when it failed.
    void SetLoadRunWatcher(std::function<void(bool running)> watcher) { m_runWatcher = std::move(watcher); }
    /// Work going on beside the window (the loudness measuring): shown in the status line while
    /// nothing is listed or loaded, and again when that ends.
    void SetBackgroundStatus(const QString& text);

    /// A new showing of the window: idle, count label hidden, Load disabled. The list stays.
    void ShowLoadWindow();
    /// Lists the loadable files under `folder`, in walk order; Cancel stops before the next entry.
    void ListFilesToLoad(const QString& folder, bool withSubfolders, bool skipLoaded);
    /// The Load button; true when the window is to close.
    bool LoadListed(bool loadAll);
    bool LoadAllListed();
    bool LoadSelectedFile();
    /// The Cancel/Close button: while busy raises the load-cancel flag; true when the window is to close.
    bool CancelOrClose();
    /// The window is closing: a listing or load in progress stops before its next entry.
    void StopRunning();
    /// The user picked a line of the list; ignored while a load walks the list.
    void SelectFile(int row);

    LoadBusy Busy() const { return m_busy; }
    QString CancelCaption() const { return m_busy == LoadBusy::Idle ? "Close" : "Cancel"; }
    const QStringList& ListedFiles() const { return m_listed; }
    int SelectedFile() const { return m_selected; }
    /// False until the first listing; the list shows the instructions until then.
    bool HasListed() const { return m_hasListed; }
    const QString& CountText() const { return m_countText; }
    bool CountShown() const { return m_countShown; }
    bool LoadEnabled() const { return m_loadEnabled; }
    const QString& LoadStatus() const { return m_status; }
    /// What the status line shows: the listing's or the load's own text while one runs, else the
    /// background text.
    const QString& ShownStatus() const { return m_busy == LoadBusy::Idle ? m_backgroundStatus : m_status; }

private:
    void SetLoadStatus(const QString& text);
    void Select(int row);
    void EndListing();
    void EndLoading(bool finished);
    /// Back to idle: the background text returns to the status line.
    void BecomeIdle();
    void RunEndedAfterError();
    /// A load run around `body`: busy while it runs, ended (and the window made idle) even when
    /// an import fails.
    bool RunLoad(bool loadAll, const std::function<void()>& body);
    void StateChanged();
    void Pump();

    FileImporter& m_importer;
    LoadDisplay* m_display = nullptr;
    LoadBusy m_busy = LoadBusy::Idle;
    int m_running = 0;  // loops in progress (a loop lets events run, so a second could start)
    QStringList m_listed;
    int m_selected = -1;
    bool m_hasListed = false;
    QString m_countText;
    bool m_countShown = false;
    bool m_loadEnabled = false;
    QString m_status;
    QString m_backgroundStatus;
    std::function<void(bool)> m_runWatcher;
};

/// The file-count label after a listing: "Cancelled at 12 files", "1 file", "0 files".
QString ListedCountText(int count, bool cancelled);

}  // namespace sw
