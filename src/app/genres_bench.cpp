// genres_bench: how fast the genres window opens on a large catalogue.
//   genres_bench [--songs N] [--catalogue FILE] [--rounds R]
// Builds a catalogue of N generated songs (default 100,000; the shared synthetic collection) in a
// temporary folder, or uses FILE as it is, and times with the real window (drawn off screen) the
// list of the genres in use (which reads every song), by name and by id, and the list of all
// genres: each from the request until the window has been drawn, as the median of R rounds
// (default 5). Last line:
//   songs=<n> in_use_ms=<> in_use_by_id_ms=<> all_ms=<> in_use_rows=<>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <vector>

#include "BenchCatalogue.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/Playlists.h"
#include "windows/GenresController.h"
#include "windows/GenresWindow.h"
#include "windows/SongListController.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

QString Ms(double value) {
    return QString::number(value, 'f', 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    sw::ScriptedDialogs dialogs;
    sw::InstallDialogs(&dialogs);

    const QStringList arguments = QCoreApplication::arguments();
    int songs = sw::BenchOption(arguments, "--songs", 100000);
    const int rounds = std::max(1, sw::BenchOption(arguments, "--rounds", 5));
    const QString catalogueFile = sw::BenchOption(arguments, "--catalogue");

    QTemporaryDir temporary;
    sw::Catalogue catalogue;
    sw::Settings settings;
    settings.Root = temporary.path() + "/Music/";
    try {
        sw::OpenBenchCatalogue(catalogue, catalogueFile, temporary.path(), songs, err);
        catalogue.RunQuery("select count(*) as n from song");
        songs = catalogue.QueryInt("n");

        sw::Library library(catalogue, settings);
        sw::SharedPlaylists shared;
        sw::Playlists playlists(catalogue, shared);
        sw::SongListController songList(library, playlists, sw::RealClock());
        sw::GenresController genres(library, songList, temporary.path() + "/GENRES.INI");
        sw::GenresWindow window(genres);
        window.show();
        QApplication::processEvents();
        window.grab();

        const auto timed = [&](const std::function<void()>& request) {
            QElapsedTimer timer;
            timer.start();
            request();
            window.grab();
            return timer.nsecsElapsed() / 1e6;
        };
        std::vector<double> inUse, inUseById, all;
        int inUseRows = 0;
        for (int round = 0; round < rounds; ++round) {
            genres.SetSort(sw::GenreSort::ByName);
            genres.SetFilter(sw::GenreFilter::All);
            // A showing builds the list in the order and filter chosen.
            window.hide();
            genres.SetFilter(sw::GenreFilter::InUse);
            inUse.push_back(timed([&] { genres.ShowGenresWindow(); }));
            inUseRows = genres.RowCount();
            inUseById.push_back(timed([&] { genres.SetSort(sw::GenreSort::ById); }));
            all.push_back(timed([&] { genres.SetFilter(sw::GenreFilter::All); }));
        }
        out << "songs=" << songs << " in_use_ms=" << Ms(Median(inUse))
            << " in_use_by_id_ms=" << Ms(Median(inUseById)) << " all_ms=" << Ms(Median(all))
            << " in_use_rows=" << inUseRows << Qt::endl;
        window.hide();
        catalogue.CloseCatalogue();
    } catch (const std::exception& error) {
        err << "genres_bench: " << QString::fromUtf8(error.what()) << Qt::endl;
        return 1;
    }
    return 0;
}
