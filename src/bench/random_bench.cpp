// random_bench: how long the random selection takes on a large catalogue.
//   random_bench [--songs N] [--catalogue FILE] [--rounds R]
// Builds a catalogue of N generated songs (default 100,000; the shared synthetic collection) in a
// temporary folder, or uses FILE as it is (its "Random" playlist is refilled), then times R picks
// of 20 songs (default 25) under the default filter, no filter, "only the bad ones" and "only the
// very best", and a pick under a filter that admits no song at all (the slowest case). Last line:
//   songs=<n> filter1_ms=<median> nofilter_ms=<median> bad_ms=<median> best_ms=<median>
//   none_ms=<median> worst_ms=<slowest pick of the first four>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

#include "BenchCatalogue.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/ScriptedDialogs.h"
#include "core/Playlists.h"
#include "playback/RandomSelection.h"

namespace {

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
    const int rounds = std::max(1, sw::BenchOption(arguments, "--rounds", 25));
    const QString catalogueFile = sw::BenchOption(arguments, "--catalogue");

    QTemporaryDir temporary;
    sw::Catalogue catalogue;
    sw::Settings settings;
    settings.Root = "/music/";
    try {
        sw::OpenBenchCatalogue(catalogue, catalogueFile, temporary.path(), songs, err);
        catalogue.RunQuery("select count(*) as n from song");
        songs = catalogue.QueryInt("n");

        sw::Library library(catalogue, settings);
        sw::SharedPlaylists shared;
        sw::Playlists playlists(catalogue, shared);
        sw::RandomSelection random(catalogue, library.songs, playlists);
        random.SetSeed(12345);
        double worst = 0;
        const auto measure = [&](int filter) {
            std::vector<double> times;
            QElapsedTimer timer;
            for (int i = 0; i < rounds; ++i) {
                timer.start();
                random.PickRandomSongs(20, filter);
                catalogue.CommitAndContinue();
                times.push_back(timer.nsecsElapsed() / 1e6);
                worst = std::max(worst, times.back());
            }
            return Median(times);
        };
        const double filter1 = measure(1);
        const double noFilter = measure(99);
        const double bad = measure(-1);
        const double best = measure(4);
        const double slowest = worst;
        const double none = measure(5);
        out << "songs=" << songs << " filter1_ms=" << QString::number(filter1, 'f', 1)
            << " nofilter_ms=" << QString::number(noFilter, 'f', 1)
            << " bad_ms=" << QString::number(bad, 'f', 1) << " best_ms=" << QString::number(best, 'f', 1)
            << " none_ms=" << QString::number(none, 'f', 1)
            << " worst_ms=" << QString::number(slowest, 'f', 1) << Qt::endl;
        catalogue.CloseCatalogue();
    } catch (const std::exception& error) {
        err << "random_bench: " << QString::fromUtf8(error.what()) << Qt::endl;
        return 1;
    }
    return 0;
}
