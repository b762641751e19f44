#pragma once

#include <QSet>
#include <QStringList>
#include <functional>
#include <stdexcept>

#include "load/FileImporter.h"
#include "load/LoadController.h"

namespace sw::test {

/// Records every call of a load run as one line ("start all", "import <name>", "commit", ...), file
/// names shortened to what follows the last "/".
class FakeImporter : public FileImporter {
public:
    int SongNumForFile(const QString& path) override {
        calls << "number " + Name(path);
        if (onNumber) {
            onNumber(path);
        }
        return catalogued.contains(path) ? 7 : 0;
    }
    void StartLoadRun(bool loadAll) override { calls << (loadAll ? "start all" : "start one"); }
    void ImportFile(const QString& path) override {
        calls << "import " + Name(path);
        if (onImport) {
            onImport(path);
        }
    }
    void CommitIfDue() override { calls << "commit if due"; }
    void FinishLoadRun() override { calls << "finish"; }
    bool& LoadCancel() override { return cancel; }

    static QString Name(const QString& path) { return path.mid(path.lastIndexOf('/') + 1); }
    /// The calls other than the catalogue lookups of a listing.
    QStringList RunCalls() const {
        QStringList run;
        for (const QString& call : calls) {
            if (!call.startsWith("number ")) {
                run << call;
            }
        }
        return run;
    }

    QStringList calls;
    QSet<QString> catalogued;  // full paths, matched exactly as "Skip if already loaded" does
    std::function<void(const QString&)> onNumber;
    std::function<void(const QString&)> onImport;
    bool cancel = false;
};

/// Keeps what the controller shows and runs `onPump` where the window would let events run.
class FakeLoadDisplay : public LoadDisplay {
public:
    void ListCleared() override { rows.clear(); }
    void FileListed(const QString& path) override { rows << path; }
    void FileSelected(int row) override { selected = row; }
    void StatusChanged(const QString& text) override { statuses << text; }
    void StateChanged() override { ++stateChanges; }
    void PumpEvents() override {
        ++pumps;
        if (onPump) {
            onPump();
        }
    }

    QStringList rows;
    int selected = -1;
    QStringList statuses;
    int stateChanges = 0;
    int pumps = 0;
    std::function<void()> onPump;
};

}  // namespace sw::test
