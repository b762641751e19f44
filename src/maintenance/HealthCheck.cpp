#include "HealthCheck.h"
#include "core/Catalogue.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <set>

#include "core/CoreSession.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "tags/GenreLookup.h"
#include "tags/RewriteLeftovers.h"
#include "tags/TagPolicy.h"

namespace sw {

namespace {

constexpr int kHistoryRepairVersion = 9;
constexpr qint64 kMsPerDay = 86'400'000;

const char* const kOptionCaptions[kHealthOptionCount] = {
    "File absence/presence mismatches",
    "Report Genre name mismatches",
    "- report files with no tags",
    "- report where both v1 && v2 tags present ...",
    "- - where mismatched",
    "- - where identical",
    "- - where v1 truncated",
};

qint64 Milliseconds(TDateTime value) {
    return std::llround(value * kMsPerDay);
}

/// Removes from the folders of the catalogued songs, each once, the copies that tag rewrites killed
/// half-way left there. `aborted` is asked before each folder. Returns how many were removed.
int SweepSongFolders(Catalogue& catalogue, const SongStore& songs, const std::function<bool()>& aborted) {
    const RowSet stored = catalogue.Select("select fn from song");
    std::set<QString> swept;
    int removed = 0;
    for (int row = 0; row < stored.RowCount(); ++row) {
        const QString name = stored.Value(row, 0).toString();
        const QString folder = QFileInfo(name.startsWith('/') ? name : songs.FullPathOf(name)).absolutePath();
        if (!swept.insert(folder).second) {
            continue;
        }
        if (aborted()) {
            break;
        }
        removed += static_cast<int>(RemoveRewriteLeftovers(folder).size());
    }
    return removed;
}

}  // namespace

QString HealthOptionCaption(HealthOption option) {
    return kOptionCaptions[static_cast<int>(option)];
}

HealthCheck::HealthCheck(Library& library, TagPolicy& writer)
    : m_library(library),
      m_catalogue(library.catalogue),
      m_reader(library, m_genres, m_readState),
      m_writer(writer) {}

void HealthCheck::SetOption(HealthOption option, bool on) {
    m_options[static_cast<int>(option)] = on;
    if (option == HealthOption::BothTags) {
        for (HealthOption kind :
             {HealthOption::Mismatched, HealthOption::Identical, HealthOption::Truncated}) {
            m_options[static_cast<int>(kind)] = on;
        }
    }
}

void HealthCheck::OpenHealthCheck() {
    if (m_display) {
        m_display->ShowCheckWindow();
    }
    if (m_running) {
        return;
    }
    SetCaption("Database check");
    if (m_catalogue.IsOpen() && m_catalogue.CatalogueVersion() == kHistoryRepairVersion) {
        m_repair = true;
        CheckHistoryTimes();
        // Raised even when the history pass was cancelled; a later repair run finishes it.
        m_catalogue.RaiseCatalogueVersion();
        // The steps after the repair follow at once: a session left at 10 would lack the columns
        // they add (a playlist could not be created until the next start).
        m_catalogue.UpgradeCatalogue();
        m_catalogue.OpenTableCursors();
    } else if (m_report.isEmpty()) {
        AddLine("Set Options then click \"Run\"");
    }
}

void HealthCheck::RunCheck() {
    if (m_running) {
        return;
    }
    m_repair = false;
    RunHealthCheck();
}

bool HealthCheck::RunRepair() {
    if (m_running || RefuseIfReadOnly(m_library.settings.READONLY) || !ConfirmSure("Repairing")) {
        return false;
    }
    m_repair = true;
    if (Option(HealthOption::NoTags) &&
        !AskOkCancel("Missing tags will be written as per your Tag Policy (see main menu)")) {
        return false;
    }
    m_whichTag = 0;
    if (Option(HealthOption::Mismatched)) {
        m_whichTag =
            AskChoice("Which MP3 tag to delete where both present & mismatched?", "delete v1", "delete v2");
        if (!ConfirmSure("You should really decide on a file-by-file basis")) {
            return false;
        }
    }
    RunHealthCheck();
    return true;
}

void HealthCheck::RunHealthCheck() {
    if (m_running) {
        return;
    }
    SetCaption("Database check");
    BusyBegin();
    m_busy = true;
    ClearReport();
    m_totals = {};
    m_totalBytes = 0;
    m_rootStripReported = false;
    try {
        NewScanStamp();
        m_genres.Load(m_catalogue);
        SeenInScan seen;
        if (!SongPass(seen)) {
            return;
        }
        // The leftovers are the program's own files, but removing them is still a change: only a
        // repair makes it.
        if (m_repair) {
            const int removed = SweepSongFolders(m_catalogue, m_library.songs, [this] { return Aborted(); });
            if (removed > 0) {
                AddLine(QString::number(removed) + " leftover cop" + (removed == 1 ? "y" : "ies") +
                        " of interrupted tag writes removed");
                AddLine(" ");
            }
        }
        if (AlbumPass(seen) && GenrePass(seen) && PlaylistPass(seen)) {
            HistoryPass();
        }
    } catch (...) {
        FailScan();
        throw;
    }
}

void HealthCheck::CheckHistoryTimes() {
    if (m_running) {
        return;
    }
    // An Esc pressed while the window was idle must not stop the next history repair.
    m_abort = false;
    m_totals = {};
    if (!m_busy) {
        BusyBegin();
        m_busy = true;
    }
    try {
        HistoryPass();
    } catch (...) {
        FailScan();
        throw;
    }
}

bool HealthCheck::HistoryPass() {
    RowSet history = m_catalogue.Select("select songnum, ts, pldate, pltime from history");
    const int count = RecordCount(history);
    SetRunning(true);
    StartTableScan("HISTORY", count);
    Query fix(m_catalogue,
              "update history set pldate = :pldate, pltime = :pltime where songnum = :songnum and ts = :ts");
    for (history.First(); !history.Eof(); history.Next()) {
        if (Aborted()) {
            EndScan();
            return false;
        }
        SetProgress("History", count - history.CurrentRow(), QString());
        const TDateTime ts = history.DateTime("TS");
        const DateTimeNumbers numbers = DateTimeToNumbers(ts);
        if (!history.IsNull("PLDATE") && !history.IsNull("PLTIME") && history.Int("PLDATE") == numbers.date &&
            history.Int("PLTIME") == numbers.time) {
            continue;
        }
        if (m_repair) {
            fix.SetInteger("pldate", numbers.date)
                .SetInteger("pltime", numbers.time)
                .SetInteger("songnum", history.Int("SONGNUM"))
                .SetTimestamp("ts", ts)
                .Execute();
        }
        ReportRepairable("Song #" + QString::number(history.Int("SONGNUM")) + " played at " +
                         FormatDateTime(1, ts) + " timestamp mismatch");
    }
    EndTableScan();
    EndScan();
    return true;
}

bool HealthCheck::EscapePressed() {
    m_abort = true;
    return CloseEnabled();
}

void HealthCheck::AddLine(const QString& line) {
    m_report << line;
    if (m_display) {
        m_display->LineAdded(line);
    }
}

void HealthCheck::ReportProblem(const QString& text) {
    AddLine(text);
    m_problemLines << text;
    ++m_problemCounter;
    ++m_totals.problems;
}

void HealthCheck::ReportManual(const QString& text) {
    ++m_totals.manual;
    ReportProblem(text + " (for manual repair)");
}

void HealthCheck::ReportRepairable(const QString& text, bool repaired, const QString& why) {
    if (!m_repair) {
        ++m_totals.outstanding;
        ReportProblem(text + " (can auto-repair)");
    } else if (repaired) {
        ++m_totals.repaired;
        ReportProblem(text + " (repaired)");
    } else {
        ++m_totals.outstanding;
        ReportProblem(text + " (not repaired" + (why.isEmpty() ? QString() : ": " + why) + ")");
    }
}

void HealthCheck::ReportInformation(const QString& text, int items) {
    AddLine(text);
    m_totals.information += items;
}

void HealthCheck::ReportProblemCount() {
    if (m_problemCounter > 0) {
        AddLine(QString::number(m_problemCounter) + " problem" + (m_problemCounter == 1 ? "" : "s"));
        m_problemCounter = 0;
    }
}

void HealthCheck::StartTableScan(const QString& label, int rowCount) {
    m_tableText = label + " " + QString::number(rowCount) + " records";
    AddLine(m_tableText + ", scanning ...");
}

void HealthCheck::EndTableScan() {
    AddLine(m_tableText + " scanned OK");
    ReportProblemCount();
    AddLine(" ");
}

void HealthCheck::EndScan() {
    SetProgress(QString(), -1, QString());
    m_totals.aborted = m_abort;
    AddLine(m_abort ? "Scan aborted" : "Scan complete");
    ReportProblemCount();
    SetRunning(false);
    m_catalogue.CommitAndContinue();
    if (m_busy) {
        m_busy = false;
        BusyEnd();
    }
}

void HealthCheck::FailScan() {
    m_totals.aborted = true;
    SetProgress(QString(), -1, QString());
    if (m_running) {
        AddLine("Scan aborted");
        SetRunning(false);
    }
    if (m_busy) {
        m_busy = false;
        BusyEnd();
    }
}

void HealthCheck::SetProgress(const QString& name, int count, const QString& extra) {
    if (count < 0) {
        m_progressActive = false;
        m_progressText = " ";
    } else {
        m_progressActive = true;
        m_progressText =
            " " + (name.isEmpty() ? QString() : name + " : ") + QString::number(count) + " " + extra;
    }
    if (m_display) {
        m_display->ProgressChanged();
    }
}

void HealthCheck::ClearReport() {
    m_report.clear();
    m_problemLines.clear();
    if (m_display) {
        m_display->ReportCleared();
    }
}

void HealthCheck::SetCaption(const QString& caption) {
    m_caption = caption;
    if (m_display) {
        m_display->StateChanged();
    }
}

void HealthCheck::SetRunning(bool running) {
    m_running = running;
    if (m_display) {
        m_display->StateChanged();
    }
}

bool HealthCheck::Aborted() {
    Pump();
    return m_abort;
}

void HealthCheck::Pump() {
    if (m_display) {
        m_display->PumpEvents();
    }
}

void HealthCheck::NewScanStamp() {
    // Whole seconds, and later than the last scan's stamp: two scans in one second stay apart.
    const qint64 now = Milliseconds(NowDateTime());
    qint64 stamp = now - now % 1000;
    if (m_scanStamp != 0) {
        stamp = std::max(stamp, Milliseconds(m_scanStamp) + 1000);
    }
    m_scanStamp = static_cast<double>(stamp) / kMsPerDay;
}

QStringList CheckHistoryTimes(Catalogue& catalogue, bool repair) {
    Settings settings;
    Library library(catalogue, settings);
    CatalogueGenres genres(catalogue);
    TagPolicy tags(library, genres);
    HealthCheck check(library, tags);
    check.SetRepair(repair);
    check.CheckHistoryTimes();
    return check.ProblemLines();
}

void OpenHealthCheck(CoreSession& session) {
    CatalogueGenres genres(session.catalogue);
    TagPolicy tags(session.library, genres);
    HealthCheck check(session.library, tags);
    check.OpenHealthCheck();
}

}  // namespace sw
