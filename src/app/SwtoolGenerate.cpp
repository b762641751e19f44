// swtool generate --songs N [--seed S]: a synthetic collection in a catalogue without songs.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolPlaylistSession.h"
#include "core/CatalogueCreation.h"
#include "core/InstanceLock.h"
#include "bench/CatalogueGenerator.h"

namespace sw::swtool {

namespace {

/// A data folder without a catalogue gets a new one, as scripts/new-catalogue makes it.
void CreateMissingCatalogue(const ProgramPaths& paths) {
    if (QFileInfo::exists(paths.catalogueFile)) {
        return;
    }
    const QString script = FindProgramFile("sql/create-catalogue.sql");
    const QString genres = FindProgramFile("data/GENRES.INI");
    if (script.isEmpty()) {
        throw std::runtime_error("The catalogue creation script was not found");
    }
    if (!QDir().mkpath(paths.dataFolder)) {
        throw std::runtime_error(("Cannot create the folder " + paths.dataFolder).toStdString());
    }
    CreateCatalogue(paths.catalogueFile, "Generated", script, genres);
    if (!genres.isEmpty() && !QFileInfo::exists(paths.genreFile)) {
        QFile::copy(genres, paths.genreFile);
    }
}

}  // namespace

int RunGenerate(const QStringList& arguments) {
    GeneratorOptions options;
    options.songs = 0;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == "--songs" && i + 1 < arguments.size()) {
            options.songs = IntegerArgument(argument, arguments[++i]);
        } else if (argument == "--seed" && i + 1 < arguments.size()) {
            options.seed = static_cast<std::uint32_t>(IntegerArgument(argument, arguments[++i]));
        } else {
            throw std::invalid_argument(("unexpected argument " + argument).toStdString());
        }
    }
    if (options.songs < 1) {
        throw std::invalid_argument("generate needs --songs N with N at least 1");
    }
    LockProgramFolder();
    CreateMissingCatalogue(Paths());
    auto session = OpenDataFolder(true);
    CoreSession& core = session->core;
    QTextStream err(stderr);
    QElapsedTimer timer;
    timer.start();
    const GeneratedCounts counts =
        GenerateCatalogue(core.catalogue, options, [&err](const QString& text) { err << text << Qt::endl; });

    // The stored names are relative, so they need a music root to name files under.
    if (core.settings.Root.isEmpty()) {
        core.settings.Root = Paths().programFolder + "Music/";
        err << "music root set to " << core.settings.Root << Qt::endl;
    }
    QDir().mkpath(core.settings.Root);
    core.catalogue.RunQuery("select sum(\"size\") as total from song where exi = 1");
    core.library.size.SetJukeboxSizeExact(core.catalogue.GeneralQuery().Int64("TOTAL"));
    SaveSettings(core);
    core.catalogue.CloseCatalogue();

    QTextStream out(stdout);
    out << "songs=" << counts.songs << " albums=" << counts.albums << " artists=" << counts.artists
        << " playlists=" << counts.playlists << " entries=" << counts.playlistEntries
        << " history=" << counts.historyRows
        << " seconds=" << QString::number(timer.elapsed() / 1000.0, 'f', 1) << Qt::endl;
    return 0;
}

}  // namespace sw::swtool
