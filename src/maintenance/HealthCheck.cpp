#include "HealthCheck.h"

#include "core/CoreSession.h"
#include "core/Query.h"
#include "foundation/Dates.h"

namespace sw {

namespace {
constexpr int kHistoryRepairVersion = 9;
}

QStringList CheckHistoryTimes(Catalogue& catalogue, bool repair) {
    QStringList report;
    RowSet history = catalogue.Select("select songnum, ts, pldate, pltime from history");
    Query fix(catalogue,
              "update history set pldate = :pldate, pltime = :pltime where songnum = :songnum and ts = :ts");
    for (history.First(); !history.Eof(); history.Next()) {
        const TDateTime ts = history.DateTime("TS");
        const DateTimeNumbers numbers = DateTimeToNumbers(ts);
        if (!history.IsNull("PLDATE") && !history.IsNull("PLTIME") && history.Int("PLDATE") == numbers.date &&
            history.Int("PLTIME") == numbers.time) {
            continue;
        }
        report << "Song #" + QString::number(history.Int("SONGNUM")) + " played at " + FormatDateTime(1, ts) +
                      " timestamp mismatch";
        if (repair) {
            fix.SetInteger("pldate", numbers.date)
                .SetInteger("pltime", numbers.time)
                .SetInteger("songnum", history.Int("SONGNUM"))
                .SetTimestamp("ts", ts)
                .Execute();
        }
    }
    catalogue.CommitAndContinue();
    return report;
}

void OpenHealthCheck(CoreSession& session) {
    Catalogue& catalogue = session.catalogue;
    if (catalogue.IsOpen() && catalogue.CatalogueVersion() == kHistoryRepairVersion) {
        CheckHistoryTimes(catalogue, true);
        catalogue.RaiseCatalogueVersion();
    }
}

}  // namespace sw
