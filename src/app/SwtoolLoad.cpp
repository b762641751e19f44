// swtool load [--subfolders] [--all|--skip-loaded] FOLDER: a load run without a window.
// swtool load --reread: the catalogue catches up with the tag switches that are on.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>

#include "SwtoolCommands.h"
#include "SwtoolSession.h"
#include "core/InstanceLock.h"
#include "foundation/Dialogs.h"
#include "load/FolderWalk.h"
#include "load/LoadMessages.h"
#include "load/LoadRun.h"
#include "load/LoadableFile.h"
#include "load/TagReread.h"
#include "tags/TagPolicy.h"

namespace sw::swtool {

namespace {

/// A load's catalogue, opened under the program folder's lock (the jukebox and a load must not
/// change the same catalogue and settings at once), with the tag policy and the load run over it.
std::unique_ptr<DataFolderSession> OpenLockedDataFolder() {
    LockProgramFolder();
    return OpenDataFolder(true);
}

struct LoadSession {
    LoadSession()
        : data(OpenLockedDataFolder()),
          core(data->core),
          policy(core.library, *data->genres),
          run(core.library, policy) {
        core.library.tagWriter = &policy;
    }
    std::unique_ptr<DataFolderSession> data;
    CoreSession& core;
    TagPolicy policy;
    LoadRun run;
};

/// The songs whose tags the switches that are on now let through, read again; FLAC and Opus
/// files beside catalogued songs loaded. Progress goes to standard error each tenth.
int RunReread() {
    LoadSession load;
    CoreSession& core = load.core;
    if (RefuseIfReadOnly(core.settings.READONLY)) {
        return 1;
    }
    TagPolicy& policy = load.policy;
    LoadRun& run = load.run;
    QTextStream err(stderr);
    QTextStream out(stdout);
    TagRereadRequest request;
    request.unicodeTags = core.settings.UNICODETAGS;
    request.flacOpus = core.settings.FLACOPUS;
    if (!request.unicodeTags && !request.flacOpus) {
        err << "load --reread: both tag switches are off; nothing to re-read" << Qt::endl;
    }
    QElapsedTimer timer;
    timer.start();
    int lastTenth = -1;
    TagReread reread(core.library, policy, run);
    const TagRereadCounts counts = reread.Run(request, [&](int done, int total) {
        const int tenth = total > 0 ? done * 10 / total : 10;
        if (tenth != lastTenth) {
            err << "re-read " << done << " / " << total << Qt::endl;
            lastTenth = tenth;
        }
        return true;
    });
    SaveSettings(core);
    core.catalogue.CloseCatalogue();
    out << "examined=" << counts.examined << " reread=" << counts.reread << " added=" << counts.added
        << " failed=" << counts.failed << " seconds=" << QString::number(timer.nsecsElapsed() / 1e9, 'f', 3)
        << Qt::endl;
    return 0;
}

}  // namespace

int RunLoad(const QStringList& arguments) {
    if (arguments.contains("--reread")) {
        if (arguments.size() != 1) {
            throw std::invalid_argument("load --reread takes no folder or other option");
        }
        return RunReread();
    }
    bool subfolders = false;
    bool skipLoaded = true;
    QString folder;
    for (const QString& argument : arguments) {
        if (argument == "--subfolders") {
            subfolders = true;
        } else if (argument == "--all") {
            skipLoaded = false;
        } else if (argument == "--skip-loaded") {
            skipLoaded = true;
        } else if (argument.startsWith("--") || !folder.isEmpty()) {
            throw std::invalid_argument(("unexpected argument " + argument).toStdString());
        } else {
            folder = argument;
        }
    }
    if (folder.isEmpty()) {
        throw std::invalid_argument("load needs a folder (or --reread)");
    }
    LoadSession load;
    CoreSession& core = load.core;
    if (RefuseIfReadOnly(core.settings.READONLY)) {
        return 1;
    }
    LoadRun& run = load.run;
    QTextStream err(stderr);
    QTextStream out(stdout);

    FolderWalk walk;
    if (!walk.StartFolderWalk(QFileInfo(folder).absoluteFilePath(), subfolders)) {
        throw std::invalid_argument(("folder not found: " + folder).toStdString());
    }
    QElapsedTimer timer;
    timer.start();
    QStringList listed;
    int alreadyLoaded = 0;
    bool& cancel = run.LoadCancel();
    cancel = false;
    QString entryFolder;
    QString file;
    while (!cancel && walk.NextWalkEntry(entryFolder, file)) {
        // As in the load window: pipes and dangling links are not listed.
        if (file.isEmpty() || !run.IsLoadable(file) || !QFileInfo(file).isFile()) {
            continue;
        }
        if (skipLoaded && run.SongNumForFile(file) > 0) {
            ++alreadyLoaded;
            continue;
        }
        listed << file;
    }
    err << "listed " << listed.size() << " files" << Qt::endl;
    if (!walk.UnreadableFolders().isEmpty()) {
        ShowInfo(UnreadableFoldersText(walk.UnreadableFolders()));
    }
    std::vector<NotCatalogued> badlyNamed;
    for (const QString& name : walk.BadlyNamedFiles()) {
        if (run.IsLoadable(name)) {
            badlyNamed.push_back({name, kNameNotUtf8});
        }
    }

    int done = 0;
    if (listed.isEmpty()) {
        // Nothing to load: no run, so the last run's stamp stays what it was.
        if (!badlyNamed.empty()) {
            ShowInfo(NotCataloguedText(badlyNamed));
        }
    } else {
        run.StartLoadRun(true);
        for (const NotCatalogued& name : badlyNamed) {
            run.NoteNotCatalogued(name.name, name.reason);
        }
        // Progress each tenth, with that tenth's rate, so a cost that grows with the catalogue shows.
        const int total = static_cast<int>(listed.size());
        int tenth = 1;
        int tenthStartDone = 0;
        qint64 tenthStart = timer.nsecsElapsed();
        try {
            for (const QString& path : listed) {
                if (cancel) {
                    break;
                }
                run.ImportFile(path);
                run.CommitIfDue();
                ++done;
                if (done >= total * tenth / 10 && done > tenthStartDone) {
                    const qint64 now = timer.nsecsElapsed();
                    const double rate = (done - tenthStartDone) / std::max(1e-9, (now - tenthStart) / 1e9);
                    err << "loaded " << done << " / " << total << " tenth=" << tenth
                        << " files_per_s=" << QString::number(rate, 'f', 1) << Qt::endl;
                    tenthStartDone = done;
                    tenthStart = now;
                    while (tenth <= 10 && done >= total * tenth / 10) {
                        ++tenth;
                    }
                }
            }
        } catch (...) {
            // The files imported before the failure stay catalogued.
            try {
                run.FinishLoadRun();
                SaveSettings(core);
            } catch (...) {
            }
            throw;
        }
        run.FinishLoadRun();
        SaveSettings(core);
    }
    core.catalogue.CloseCatalogue();

    const double seconds = timer.nsecsElapsed() / 1e9;
    const LoadRun::Counts& counts = run.RunCounts();
    out << "listed=" << listed.size() << " inserted=" << counts.inserted + counts.copies
        << " copies=" << counts.copies << " refreshed=" << counts.refreshed << " relinked=" << counts.relinked
        << " skipped=" << counts.skipped + alreadyLoaded << " seconds=" << QString::number(seconds, 'f', 3)
        << " files_per_s=" << QString::number(seconds > 0 ? done / seconds : 0, 'f', 1) << Qt::endl;
    return 0;
}

}  // namespace sw::swtool
