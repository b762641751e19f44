#include "BenchCatalogue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <stdexcept>

#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"
#include "maintenance/HealthCheck.h"
#include "CatalogueGenerator.h"

namespace sw {

void OpenBenchCatalogue(Catalogue& catalogue, QString file, const QString& folder, int songs,
                        QTextStream& err) {
    const bool generate = file.isEmpty();
    if (generate) {
        file = folder + "/SONGS.FDB";
        CreateCatalogue(file, "Benchmark", FindProgramFile("sql/create-catalogue.sql"),
                        FindProgramFile("data/GENRES.INI"));
    }
    catalogue.Open(file);
    catalogue.ReadParams();
    catalogue.UpgradeCatalogue();
    if (catalogue.CatalogueVersion() == 9) {
        CheckHistoryTimes(catalogue, true);
        catalogue.RaiseCatalogueVersion();
        catalogue.UpgradeCatalogue();
    }
    catalogue.OpenTableCursors();
    if (generate) {
        QElapsedTimer timer;
        timer.start();
        GeneratorOptions options;
        options.songs = songs;
        GenerateCatalogue(catalogue, options, [&err](const QString& text) { err << text << Qt::endl; });
        err << "generated in " << timer.elapsed() / 1000.0 << " s" << Qt::endl;
    }
}

QString BenchOption(const QStringList& arguments, const QString& name, const QString& fallback) {
    QString value = fallback;
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == name) {
            value = arguments[i + 1];
        }
    }
    return value;
}

int BenchOption(const QStringList& arguments, const QString& name, int fallback) {
    const QString value = BenchOption(arguments, name, QString());
    return value.isNull() ? fallback : value.toInt();
}

void WriteBenchFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

}  // namespace sw
