#include "TestCatalogue.h"

#include "core/CatalogueCreation.h"
#include "core/CoreSession.h"
#include "foundation/ScriptedDialogs.h"
#include "maintenance/HealthCheck.h"

namespace sw::test {

QString CreationScript() {
    return QString(SW_SOURCE_DIR) + "/sql/create-catalogue.sql";
}

QString UpgradeScript() {
    return QString(SW_SOURCE_DIR) + "/sql/upgrade-catalogue.sql";
}

TestCatalogue::TestCatalogue(const QString& name, CatalogueStart start)
    : m_path(m_dir.filePath("SONGS.FDB")) {
    if (start == CatalogueStart::Current) {
        CreateCurrentCatalogue(m_path, name, CreationScript(), UpgradeScript());
    } else {
        CreateCatalogue(m_path, name, CreationScript());
    }
}

void TestCatalogue::OpenCurrent(Catalogue& catalogue) const {
    ScriptedDialogs quiet;
    ScopedDialogs installed(quiet);
    catalogue.Open(m_path);
    catalogue.ReadParams();
    catalogue.UpgradeCatalogue();
    if (catalogue.CatalogueVersion() == 9) {
        CheckHistoryTimes(catalogue, true);
        catalogue.RaiseCatalogueVersion();
        catalogue.UpgradeCatalogue();
    }
    catalogue.OpenTableCursors();
}

QStringList CatalogueLayout(Catalogue& catalogue) {
    const char* const queries[] = {
        "select trim(rf.rdb$relation_name) || '.' || trim(rf.rdb$field_name) || ' #' || "
        "rf.rdb$field_position "
        "|| ' type ' || f.rdb$field_type || ' length ' || coalesce(f.rdb$field_length, 0) || ' null ' || "
        "coalesce(rf.rdb$null_flag, 0) || ' default ' || coalesce(cast(rf.rdb$default_source as "
        "varchar(200)), "
        "'-') as line from rdb$relation_fields rf join rdb$fields f on f.rdb$field_name = "
        "rf.rdb$field_source "
        "where coalesce(rf.rdb$system_flag, 0) = 0 order by 1",
        "select 'index ' || trim(i.rdb$index_name) || ' on ' || trim(i.rdb$relation_name) || ' unique ' || "
        "coalesce(i.rdb$unique_flag, 0) || ' descending ' || coalesce(i.rdb$index_type, 0) || ' ' || "
        "coalesce(cast(i.rdb$expression_source as varchar(200)), '') as line from rdb$indices i "
        "where coalesce(i.rdb$system_flag, 0) = 0 order by 1",
        "select 'index segment ' || trim(s.rdb$index_name) || ' ' || s.rdb$field_position || ' ' || "
        "trim(s.rdb$field_name) as line from rdb$index_segments s join rdb$indices i on i.rdb$index_name = "
        "s.rdb$index_name where coalesce(i.rdb$system_flag, 0) = 0 order by 1",
        "select 'params ' || coalesce(pmid, -1) || ' ' || coalesce(pmname, '-') || ' ' || coalesce(pmval1, "
        "-1) "
        "|| ' ' || coalesce(pmval2, '-') as line from params order by pmid, pmname",
    };
    QStringList layout;
    for (const char* query : queries) {
        const RowSet rows = catalogue.Select(query);
        for (int row = 0; row < rows.RowCount(); ++row) {
            layout << rows.Value(row, 0).toString();
        }
    }
    return layout;
}

}  // namespace sw::test
