#include <gtest/gtest.h>

#include "TestCatalogue.h"
#include "core/CoreSession.h"
#include "core/Query.h"
#include "foundation/ScriptedDialogs.h"
#include "maintenance/HealthCheck.h"

namespace sw {
namespace {

TDateTime At(int y, int mo, int d, int h, int mi, double s) {
    return DateToDateTime({static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(mo),
                           static_cast<std::uint16_t>(d)}) +
           (h * 3600 + mi * 60 + s) / 86400.0;
}

TEST(HistoryRepair, FillsDayAndTimeNumbersAndRaisesTheVersion) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    test::TestCatalogue file;
    CoreSession session;
    file.Open(session.catalogue);
    session.catalogue.ReadParams();
    ASSERT_TRUE(session.catalogue.UpgradeCatalogue());

    Query insert(session.catalogue,
                 "insert into history (songnum, ts, pldate, pltime) values (:n, :ts, :d, :t)");
    insert.SetInteger("n", 1)
        .SetTimestamp("ts", At(2024, 3, 31, 23, 59, 59.6))
        .SetNull("d")
        .SetNull("t")
        .Execute();
    insert.SetInteger("n", 2)
        .SetTimestamp("ts", At(2023, 1, 2, 3, 4, 5))
        .SetInteger("d", 20230102)
        .SetInteger("t", 30405);
    insert.Execute();
    insert.SetInteger("n", 3)
        .SetTimestamp("ts", At(2022, 6, 7, 8, 9, 10))
        .SetInteger("d", 1)
        .SetInteger("t", 2);
    insert.Execute();
    session.catalogue.CommitAndContinue();

    const QStringList report = CheckHistoryTimes(session.catalogue, false);
    EXPECT_EQ(report,
              (QStringList{"Song #1 played at 2024-04-01 00:00:00 timestamp mismatch (can auto-repair)",
                           "Song #3 played at 2022-06-07 08:09:10 timestamp mismatch (can auto-repair)"}));

    dialogs.ClearTranscript();
    OpenHealthCheck(session);
    // The rest of the ladder follows the repair at once, so playlists can be made in this session.
    EXPECT_EQ(session.catalogue.CatalogueVersion(), kCurrentCatalogueVersion);
    EXPECT_EQ(dialogs.TextsOf("INFO"),
              (QStringList{"Converting database to version 10", "Converting database to version 11",
                           "Converting database to version 12", "Converting database to version 13"}));
    session.catalogue.ExecSqlCommit("insert into plist (plid, plname, pldate) values (1, 'p', 20240401)");
    RowSet rows = session.catalogue.Select("select songnum, pldate, pltime from history order by songnum");
    const int expected[3][2] = {{20240401, 0}, {20230102, 30405}, {20220607, 80910}};
    for (int row = 0; row < 3; ++row) {
        rows.SetCurrentRow(row);
        EXPECT_EQ(rows.Int("PLDATE"), expected[row][0]);
        EXPECT_EQ(rows.Int("PLTIME"), expected[row][1]);
    }
    EXPECT_TRUE(CheckHistoryTimes(session.catalogue, false).isEmpty());

    // Only version 9 is repaired on opening the check.
    dialogs.ClearTranscript();
    OpenHealthCheck(session);
    EXPECT_EQ(session.catalogue.CatalogueVersion(), kCurrentCatalogueVersion);
    EXPECT_TRUE(dialogs.TextsOf("INFO").isEmpty());
}

}  // namespace
}  // namespace sw
