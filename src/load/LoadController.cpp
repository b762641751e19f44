#include "LoadController.h"

#include <QFileInfo>

#include "FileImporter.h"
#include "FolderWalk.h"
#include "LoadMessages.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

/// Counts a loop as running for the scope, so a window shown again meanwhile does not look idle.
class RunningScope {
public:
    explicit RunningScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~RunningScope() { --m_depth; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    int& m_depth;
};

}  // namespace

QString ListedCountText(int count, bool cancelled) {
    return QString(cancelled ? "Cancelled at " : "") + QString::number(count) + " file" +
           (count == 1 ? "" : "s");
}

LoadController::LoadController(FileImporter& importer) : m_importer(importer) {}

void LoadController::ShowLoadWindow() {
    if (m_running == 0) {
        m_busy = LoadBusy::Idle;
    }
    m_countShown = false;
    m_loadEnabled = false;
    StateChanged();
}

void LoadController::ListFilesToLoad(const QString& folder, bool withSubfolders, bool skipLoaded) {
    if (m_running > 0) {
        return;
    }
    RunningScope running(m_running);
    bool& cancel = m_importer.LoadCancel();
    cancel = false;
    m_busy = LoadBusy::Listing;
    m_listed.clear();
    m_selected = -1;
    m_hasListed = true;
    m_countShown = false;
    if (m_display) {
        m_display->ListCleared();
    }
    StateChanged();

    FolderWalk walk;
    try {
        if (!walk.StartFolderWalk(folder, withSubfolders)) {
            ShowInfo("Folder not found\n" + QuoteDouble(folder));
        } else {
            QString entryFolder;
            QString file;
            while (!cancel && walk.NextWalkEntry(entryFolder, file)) {
                if (file.isEmpty()) {
                    SetLoadStatus(entryFolder);
                } else if (m_importer.IsLoadable(file) && QFileInfo(file).isFile() &&
                           !(skipLoaded && m_importer.SongNumForFile(file) > 0)) {
                    m_listed << file;
                    if (m_display) {
                        m_display->FileListed(file);
                    }
                    Select(static_cast<int>(m_listed.size()) - 1);
                }
                Pump();
            }
        }
    } catch (...) {
        EndListing();
        throw;
    }
    EndListing();
    if (!walk.UnreadableFolders().isEmpty()) {
        ShowInfo(UnreadableFoldersText(walk.UnreadableFolders()));
    }
    // A name that is not valid UTF-8 cannot be opened by name: said, not skipped silently.
    std::vector<NotCatalogued> badlyNamed;
    for (const QString& name : walk.BadlyNamedFiles()) {
        if (m_importer.IsLoadable(name)) {
            badlyNamed.push_back({name, kNameNotUtf8});
        }
    }
    if (!badlyNamed.empty()) {
        ShowInfo(NotCataloguedText(badlyNamed));
    }
}

void LoadController::EndListing() {
    m_loadEnabled = true;
    SetLoadStatus({});
    m_countText = ListedCountText(static_cast<int>(m_listed.size()), m_importer.LoadCancel());
    m_countShown = true;
    BecomeIdle();
    StateChanged();
}

bool LoadController::LoadListed(bool loadAll) {
    return loadAll ? LoadAllListed() : LoadSelectedFile();
}

bool LoadController::LoadAllListed() {
    if (m_running > 0 || m_listed.isEmpty()) {
        return false;
    }
    if (!ConfirmOK("Load all files listed above ")) {
        return false;
    }
    // A cancelled listing leaves the flag raised; it must not stop this run before its first file.
    bool& cancel = m_importer.LoadCancel();
    cancel = false;
    const int total = static_cast<int>(m_listed.size());
    return RunLoad(true, [&] {
        for (int row = 0; row < total; ++row) {
            Select(row);
            const QString file = m_listed[row];
            SetLoadStatus(QString::number(row + 1) + " / " + QString::number(total) + "   " + file);
            Pump();
            if (cancel) {
                break;
            }
            m_importer.ImportFile(file);
            m_importer.CommitIfDue();
        }
    });
}

bool LoadController::LoadSelectedFile() {
    if (m_running > 0 || m_listed.isEmpty() || m_selected < 0 || m_selected >= m_listed.size()) {
        return false;
    }
    const QString file = m_listed[m_selected];
    if (!ConfirmOK("Load " + QuoteDouble(file))) {
        return false;
    }
    return RunLoad(false, [&] {
        SetLoadStatus(file);
        Pump();
        m_importer.ImportFile(file);
    });
}

bool LoadController::RunLoad(bool loadAll, const std::function<void()>& body) {
    RunningScope running(m_running);
    m_importer.StartLoadRun(loadAll);
    m_busy = LoadBusy::Loading;
    if (m_runWatcher) {
        m_runWatcher(true);
    }
    StateChanged();
    try {
        body();
    } catch (...) {
        EndLoading(false);
        RunEndedAfterError();
        throw;
    }
    try {
        EndLoading(true);
    } catch (...) {
        RunEndedAfterError();
        throw;
    }
    if (m_runWatcher) {
        m_runWatcher(false);
    }
    return true;
}

void LoadController::RunEndedAfterError() {
    // The run's own error is the one shown.
    try {
        if (m_runWatcher) {
            m_runWatcher(false);
        }
    } catch (...) {
    }
}

void LoadController::EndLoading(bool finished) {
    SetLoadStatus({});
    if (finished) {
        m_importer.FinishLoadRun();
    } else {
        // The run's error goes on to the event loop; the run is still closed, so the files imported
        // before it are committed and the busy cursor ends.
        try {
            m_importer.FinishLoadRun();
        } catch (...) {
        }
    }
    BecomeIdle();
    StateChanged();
}

void LoadController::BecomeIdle() {
    m_busy = LoadBusy::Idle;
    if (!m_backgroundStatus.isEmpty() && m_display) {
        m_display->StatusChanged(m_backgroundStatus);
    }
}

void LoadController::SetBackgroundStatus(const QString& text) {
    m_backgroundStatus = text;
    if (m_busy == LoadBusy::Idle && m_display) {
        m_display->StatusChanged(text);
    }
}

bool LoadController::CancelOrClose() {
    if (m_busy != LoadBusy::Idle) {
        m_importer.LoadCancel() = true;
        return false;
    }
    return true;
}

void LoadController::StopRunning() {
    if (m_running > 0) {
        m_importer.LoadCancel() = true;
    }
}

void LoadController::SelectFile(int row) {
    if (m_busy == LoadBusy::Loading) {
        if (m_display) {
            m_display->FileSelected(m_selected);
        }
        return;
    }
    if (row >= 0 && row < m_listed.size()) {
        m_selected = row;
    }
}

void LoadController::SetLoadStatus(const QString& text) {
    m_status = text;
    if (m_display) {
        m_display->StatusChanged(text);
    }
}

void LoadController::Select(int row) {
    m_selected = row;
    if (m_display) {
        m_display->FileSelected(row);
    }
}

void LoadController::StateChanged() {
    if (m_display) {
        m_display->StateChanged();
    }
}

void LoadController::Pump() {
    if (m_display) {
        m_display->PumpEvents();
    }
}

}  // namespace sw
