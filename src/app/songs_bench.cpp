// songs_bench: how fast the songs window opens, searches, goes back and scrolls on a large
// catalogue, and what a long list costs in memory.
//   songs_bench [--songs N] [--catalogue FILE] [--rounds R]
// Builds a catalogue of N generated songs (default 100,000; the shared synthetic collection) in a
// temporary folder, or uses FILE as it is, marks every song as loaded by one load run, and times
// with the real window (drawn off screen): the list of all songs ("Last loaded"), a search over
// all five places, Back to the whole list, an album, the largest playlist, the busiest day of
// play history, and drawing a page at 50 places of the whole list. Each list is timed from the
// request until the window has been drawn, as the median of R rounds (default 5). Last line:
//   songs=<n> all_ms=<> all_cpu_ms=<> all_query_ms=<> all_query_cpu_ms=<> search_ms=<>
//   search_cpu_ms=<> search_rows=<> back_ms=<> back_cpu_ms=<> album_ms=<> playlist_ms=<> history_ms=<>
//   page_ms=<> list_rss_mb=<> rss_mb=<>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <vector>

#include "BenchCatalogue.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/Playlists.h"
#include "windows/SongListController.h"
#include "windows/SongListSql.h"
#include "windows/SongsWindow.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

/// The process's resident memory in megabytes.
double ResidentMegabytes() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    return 0;
}

/// Processor time of the whole process (every thread), in milliseconds.
double CpuMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
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
    settings.FILTER = 1;
    settings.DAYSRECENT = 10;
    try {
        sw::OpenBenchCatalogue(catalogue, catalogueFile, temporary.path(), songs, err);
        catalogue.RunQuery("select count(*) as n from song");
        songs = catalogue.QueryInt("n");
        // One load run that loaded every song: its list is the whole catalogue.
        const sw::TDateTime loaded = sw::StampToDateTime(sw::NowStamp());
        catalogue.ExecSqlCommit("update song set searchts = '" + sw::FormatDateTime(1, loaded) + "'");
        settings.LastLoadedTS = loaded;
        catalogue.RunQuery(
            "select first 1 albumid, count(*) as n from song group by albumid order by 2 desc");
        const int albumId = catalogue.QueryInt("albumid");
        catalogue.RunQuery("select first 1 plid, count(*) as n from songinpl group by plid order by 2 desc");
        const int playlistId = catalogue.QueryInt("plid");
        catalogue.RunQuery(
            "select first 1 pldate, count(*) as n from history group by pldate order by 2 desc");
        const int day = catalogue.QueryInt("pldate");

        sw::SongListQueryParts wholeList;
        wholeList.mode = sw::SongListMode::Stamp;
        sw::Library library(catalogue, settings);
        sw::SharedPlaylists shared;
        sw::Playlists playlists(catalogue, shared);
        sw::SongListController controller(library, playlists, sw::RealClock());
        sw::SongsWindow window(controller, catalogue);
        window.resize(1200, 800);
        window.show();
        QApplication::processEvents();
        controller.ShowSingles();
        window.grab();
        const double before = ResidentMegabytes();

        std::vector<double> cpu;
        const auto timed = [&](const std::function<void()>& request) {
            QElapsedTimer timer;
            const double cpuBefore = CpuMilliseconds();
            timer.start();
            request();
            window.grab();
            cpu.push_back(CpuMilliseconds() - cpuBefore);
            return timer.nsecsElapsed() / 1e6;
        };
        // The query of the whole list alone: what the database takes to join, sort and hand over
        // the rows, before the window does anything with them.
        const auto restamp = [&] {
            catalogue.ExecSqlCommit("update song set searchts = '" + sw::FormatDateTime(1, loaded) + "'");
        };
        std::vector<double> all, allCpu, query, queryCpu, search, searchCpu, back, backCpu, album, playlist,
            history;
        int searchRows = 0;
        for (int round = 0; round < rounds; ++round) {
            restamp();
            {
                QElapsedTimer timer;
                const double cpuBefore = CpuMilliseconds();
                timer.start();
                sw::Query whole(catalogue, sw::SongListQueryText(wholeList));
                whole.SetTimestamp("ts", loaded);
                const sw::RowSet rows = whole.Open();
                query.push_back(timer.nsecsElapsed() / 1e6);
                queryCpu.push_back(CpuMilliseconds() - cpuBefore);
            }
            cpu.clear();
            all.push_back(timed([&] { controller.ShowLastLoaded(); }));
            allCpu.push_back(cpu.back());
            search.push_back(timed([&] { controller.SearchSongs("thunder"); }));
            searchCpu.push_back(cpu.back());
            searchRows = controller.RowCount();
            back.push_back(timed([&] { controller.SongListBack(); }));
            backCpu.push_back(cpu.back());
            album.push_back(timed([&] { controller.ShowAlbumSongs(albumId); }));
            playlist.push_back(timed([&] { controller.ShowPlaylistSongs(playlistId); }));
            history.push_back(timed([&] { controller.ShowHistoryDay(day); }));
        }

        restamp();
        controller.ShowLastLoaded();
        window.grab();
        const int allRows = controller.RowCount();
        const double listed = ResidentMegabytes();
        QTableView* grid = window.Grid();
        QScrollBar* bar = grid->verticalScrollBar();
        std::vector<double> pages;
        for (int i = 0; i < 50; ++i) {
            QElapsedTimer timer;
            timer.start();
            bar->setValue(static_cast<int>(static_cast<qint64>(bar->maximum()) * ((i * 37) % 50) / 49));
            grid->viewport()->repaint();
            pages.push_back(timer.nsecsElapsed() / 1e6);
        }
        err << "rows listed: all " << allRows << ", search " << searchRows << Qt::endl;

        out << "songs=" << songs << " all_ms=" << Ms(Median(all)) << " all_cpu_ms=" << Ms(Median(allCpu))
            << " all_query_ms=" << Ms(Median(query)) << " all_query_cpu_ms=" << Ms(Median(queryCpu))
            << " search_ms=" << Ms(Median(search)) << " search_cpu_ms=" << Ms(Median(searchCpu))
            << " search_rows=" << searchRows << " back_ms=" << Ms(Median(back))
            << " back_cpu_ms=" << Ms(Median(backCpu)) << " album_ms=" << Ms(Median(album))
            << " playlist_ms=" << Ms(Median(playlist)) << " history_ms=" << Ms(Median(history))
            << " page_ms=" << Ms(Median(pages)) << " list_rss_mb=" << Ms(listed - before)
            << " rss_mb=" << Ms(listed) << Qt::endl;
        window.hide();
        catalogue.CloseCatalogue();
    } catch (const std::exception& error) {
        err << "songs_bench: " << QString::fromUtf8(error.what()) << Qt::endl;
        return 1;
    }
    return 0;
}
