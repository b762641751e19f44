// swtool check [--repair] [--option NAME]... [--which-tag v1|v2]: the database check without a window.
#include <QElapsedTimer>
#include <QTextStream>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolSession.h"
#include "core/InstanceLock.h"
#include "foundation/ScriptedDialogs.h"
#include "maintenance/HealthCheck.h"
#include "tags/TagPolicy.h"

namespace sw::swtool {

namespace {

struct OptionName {
    const char* name;
    HealthOption option;
};

const OptionName kOptionNames[] = {
    {"file-mismatches", HealthOption::FileMismatches},
    {"genre-mismatches", HealthOption::GenreMismatches},
    {"no-tags", HealthOption::NoTags},
    {"both-tags", HealthOption::BothTags},
    {"mismatched", HealthOption::Mismatched},
    {"identical", HealthOption::Identical},
    {"truncated", HealthOption::Truncated},
};

/// "NAME" ticks an option as its menu item would, "no-NAME" clears it.
void ApplyOption(HealthCheck& check, const QString& text) {
    const bool on = !text.startsWith("no-") || text == "no-tags";
    const QString name = on ? text : text.mid(3);
    for (const OptionName& entry : kOptionNames) {
        if (name == entry.name) {
            check.SetOption(entry.option, on);
            return;
        }
    }
    throw std::invalid_argument(("unknown option " + text).toStdString());
}

/// The report as the window shows it, line by line as the scan goes.
class PrintedReport : public HealthCheckDisplay {
public:
    explicit PrintedReport(QTextStream& out) : m_out(out) {}
    void ShowCheckWindow() override {}
    void ReportCleared() override {}
    void LineAdded(const QString& line) override { m_out << line << '\n'; }
    void ProgressChanged() override {}
    void StateChanged() override {}
    void PumpEvents() override {}

private:
    QTextStream& m_out;
};

}  // namespace

int RunCheck(const QStringList& arguments) {
    bool repair = false;
    QString whichTag = "0";
    QStringList options;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--repair") {
            repair = true;
        } else if ((argument == "--option" || argument == "--which-tag") && i + 1 < arguments.size()) {
            const QString value = arguments[++i];
            if (argument == "--option") {
                options << value;
            } else if (value == "v1" || value == "v2") {
                whichTag = value == "v1" ? "1" : "2";
            } else {
                throw std::invalid_argument(("--which-tag takes v1 or v2, not " + value).toStdString());
            }
        } else {
            throw std::invalid_argument(("unexpected argument " + argument).toStdString());
        }
    }
    // The jukebox and a check must not change the same catalogue and settings at once.
    try {
        LockProgramFolder();
    } catch (const std::exception& refusal) {
        QTextStream(stderr) << "swtool: " << QString::fromUtf8(refusal.what()) << Qt::endl;
        return 2;
    }
    auto session = OpenDataFolder(true);
    CoreSession& core = session->core;
    TagPolicy policy(core.library, *session->genres);
    core.library.tagWriter = &policy;
    HealthCheck check(core.library, policy);
    for (const QString& option : options) {
        ApplyOption(check, option);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    PrintedReport report(out);
    check.SetDisplay(&report);

    QElapsedTimer timer;
    bool tagsWritten = true;
    {
        // The repair's questions, answered as the command line says; without --which-tag a
        // mismatched pair keeps both tags. They are answered only while the check runs: the
        // settings are saved under the program's own dialogs, which hold the flash interval read.
        ScriptedDialogs dialogs(&err);
        dialogs.QueueAnswer("Yes");
        if (check.Option(HealthOption::NoTags)) {
            dialogs.QueueAnswer("OK");
        }
        if (check.Option(HealthOption::Mismatched)) {
            dialogs.QueueAnswers({whichTag, "Yes"});
        }
        ScopedDialogs installed(dialogs);

        timer.start();
        if (repair) {
            // Refused on a read-only catalogue, with the program's message.
            if (!check.RunRepair()) {
                return 2;
            }
        } else {
            check.RunCheck();
        }
        tagsWritten = policy.FinishPendingWrites();
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    // A check without repair changes nothing, the settings included (the exact jukebox size it
    // counted stays in memory).
    if (repair) {
        SaveSettings(core);
    }
    core.catalogue.CloseCatalogue();

    const HealthCheckTotals& totals = check.Totals();
    out << "songs=" << totals.songs << " problems=" << totals.problems << " repaired=" << totals.repaired
        << " seconds=" << QString::number(seconds, 'f', 3)
        << " songs_per_s=" << QString::number(seconds > 0 ? totals.songs / seconds : 0, 'f', 1) << Qt::endl;
    // Findings for manual repair and information lines (unused genres) do not fail the check.
    return totals.outstanding > 0 || totals.aborted || !tagsWritten ? 1 : 0;
}

}  // namespace sw::swtool
