#include "SwtoolSession.h"

#include <QFileInfo>
#include <stdexcept>

#include "core/CatalogueCreation.h"
#include "core/InstanceLock.h"
#include "foundation/Text.h"
#include "maintenance/HealthCheck.h"
#include "tags/GenreLookup.h"

namespace sw::swtool {

std::unique_ptr<DataFolderSession> OpenDataFolder(bool needCatalogue) {
    auto session = std::make_unique<DataFolderSession>();
    CoreSession& core = session->core;
    core.paths = MakeProgramPaths(ProgramFolder());
    try {
        CoreStartup(core);
        if (core.catalogue.CatalogueVersion() == 9) {
            OpenHealthCheck(core);
        }
        core.library.artists.InitVariousArtist();
        session->catalogueOpen = true;
    } catch (const std::exception&) {
        if (needCatalogue) {
            throw;
        }
        if (!core.settingsRead && QFileInfo::exists(core.paths.settingsFile)) {
            LoadSettings(core);
        }
    }
    if (session->catalogueOpen) {
        session->genres = std::make_unique<CatalogueGenres>(core.catalogue);
    } else {
        const QString file = QFileInfo::exists(core.paths.genreFile) ? core.paths.genreFile
                                                                     : FindProgramFile("data/GENRES.INI");
        session->genres = std::make_unique<FileGenres>(file);
    }
    return session;
}

QString JsonString(const QString& text) {
    QString out = "\"";
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c.unicode() < 0x20) {
                    out += QString("\\u%1").arg(c.unicode(), 4, 16, QChar('0'));
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

}  // namespace sw::swtool
