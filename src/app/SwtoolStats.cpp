// swtool stats [--catalogue-sizes]: song counts and sizes per rating, and the exact jukebox size.
#include <QTextStream>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolSession.h"
#include "core/InstanceLock.h"
#include "maintenance/HealthCheck.h"
#include "tags/TagPolicy.h"

namespace sw::swtool {

int RunStats(const QStringList& arguments) {
    bool checkFiles = true;
    for (const QString& argument : arguments) {
        if (argument == "--catalogue-sizes") {
            checkFiles = false;
        } else {
            throw std::invalid_argument(("unexpected argument " + argument).toStdString());
        }
    }
    // The count ends in the settings (DBSIZE), which the jukebox writes too.
    try {
        LockProgramFolder();
    } catch (const std::exception& refusal) {
        QTextStream(stderr) << "swtool: " << QString::fromUtf8(refusal.what()) << Qt::endl;
        return 2;
    }
    auto session = OpenDataFolder(true);
    CoreSession& core = session->core;
    TagPolicy policy(core.library, *session->genres);
    HealthCheck check(core.library, policy);
    const bool finished = check.ShowStatistics(checkFiles);
    SaveSettings(core);
    core.catalogue.CloseCatalogue();

    QTextStream out(stdout);
    for (const QString& line : check.Report()) {
        out << line << '\n';
    }
    out.flush();
    return finished ? 0 : 1;
}

}  // namespace sw::swtool
