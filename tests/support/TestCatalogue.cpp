#include "TestCatalogue.h"

#include "core/CatalogueCreation.h"
#include "core/CoreSession.h"
#include "foundation/ScriptedDialogs.h"
#include "maintenance/HealthCheck.h"

namespace sw::test {

QString CreationScript() {
    return QString(SW_SOURCE_DIR) + "/sql/create-catalogue.sql";
}

TestCatalogue::TestCatalogue(const QString& name) : m_path(m_dir.filePath("SONGS.FDB")) {
    CreateCatalogue(m_path, name, CreationScript());
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

}  // namespace sw::test
