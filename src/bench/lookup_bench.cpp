// lookup_bench: how long the song lookups take on a large catalogue.
//   lookup_bench [--songs N] [--catalogue FILE]
// Builds a catalogue of N generated songs (default 100,000; the shared synthetic collection) in a
// temporary folder, or uses FILE as it is, then times lookups by file name, by details and by
// number. Last line:
//   songs=<n> by_file_ms=<median> by_file_case_ms=<median> by_details_ms=<median> by_number_ms=<median>
// (by_file: the name as stored; by_file_case: in another letter case, matched because the file
// the stored name points to is not there)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <random>
#include <vector>

#include "BenchCatalogue.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/ScriptedDialogs.h"

namespace {

const QString kRoot = "/music/";

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    sw::ScriptedDialogs dialogs;
    sw::InstallDialogs(&dialogs);

    const QStringList arguments = QCoreApplication::arguments();
    int songs = sw::BenchOption(arguments, "--songs", 100000);
    const QString catalogueFile = sw::BenchOption(arguments, "--catalogue");

    QTemporaryDir temporary;
    sw::Catalogue catalogue;
    sw::Settings settings;
    settings.Root = kRoot;
    try {
        sw::OpenBenchCatalogue(catalogue, catalogueFile, temporary.path(), songs, err);
        catalogue.RunQuery("select  max(s.songnum) from song s");
        songs = catalogue.QueryInt("max");

        sw::Library library(catalogue, settings);
        std::mt19937 random(12345);
        std::uniform_int_distribution<int> pick(1, songs);
        std::vector<double> byFile;
        std::vector<double> byFileCase;
        std::vector<double> byDetails;
        std::vector<double> byNumber;
        QElapsedTimer timer;
        for (int i = 0; i < 1000; ++i) {
            const int n = pick(random);
            sw::TSong song;
            timer.start();
            library.songs.FindSongByNumber(n, song);
            byNumber.push_back(timer.nsecsElapsed() / 1e6);

            // Looked up as stored, then in another letter case.
            const QString stored = library.songs.RelativePathOf(song.FullPath);
            for (std::vector<double>* times : {&byFile, &byFileCase}) {
                const QString path = kRoot + (times == &byFile ? stored : stored.toUpper());
                sw::TSong found;
                timer.start();
                library.songs.FindSongByFileName(path, found);
                times->push_back(timer.nsecsElapsed() / 1e6);
                if (found.SongNum != n) {
                    err << "lookup by file name found " << found.SongNum << " for " << n << Qt::endl;
                    return 1;
                }
            }

            sw::TSong details = song;
            details.SongNum = 0;
            timer.start();
            const bool ok = library.songs.FindSongByDetails(details);
            byDetails.push_back(timer.nsecsElapsed() / 1e6);
            if (!ok || details.SongNum != n) {
                err << "lookup by details failed for " << n << Qt::endl;
                return 1;
            }
        }
        out << "songs=" << songs << " by_file_ms=" << QString::number(Median(byFile), 'f', 3)
            << " by_file_case_ms=" << QString::number(Median(byFileCase), 'f', 3)
            << " by_details_ms=" << QString::number(Median(byDetails), 'f', 3)
            << " by_number_ms=" << QString::number(Median(byNumber), 'f', 3) << Qt::endl;
        catalogue.CloseCatalogue();
    } catch (const std::exception& error) {
        err << "lookup_bench: " << QString::fromUtf8(error.what()) << Qt::endl;
        return 1;
    }
    return 0;
}
