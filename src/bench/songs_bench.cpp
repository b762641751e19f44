// songs_bench: how fast the songs window opens, searches, goes back and scrolls on a large
// catalogue, and what a long list costs in memory.
//   songs_bench [--songs N] [--catalogue FILE] [--rounds R]
// Builds a catalogue of N generated songs (default 100,000; the shared synthetic collection) in a
// temporary folder, or uses FILE as it is (for instance one made once by
//   mkdir -p /tmp/sw && swtool --home /tmp/sw generate --songs 100000
// and then passed as --catalogue /tmp/sw/SW3DATA/SONGS.FDB), marks every song as loaded by one load
// run, and times
// with the real window (drawn off screen): the list of all songs ("Last loaded"), a search over
// all five places, Back to the whole list, an album, the largest playlist, the busiest day of
// play history, drawing a page at 50 places of the whole list, and a click on a column heading of
// the whole list (title, then again reversed, then artist). Each list is timed from the request
// until the window has been drawn, as the median of R rounds (default 5). Then it proves the rows:
// every kind of list (the whole list, searches in each place for plain, accented, Greek, Cyrillic
// and quoted texts, the largest album, artist and genre, the singles, the recent songs) is read
// both ways, in two steps and at once by its query text as it stands, and the song numbers of the
// rows must be the same in the same order. search_query_ms is the database's share of the search:
// its queries alone, as the two-step reading runs them. Last line (targets beside the figures they
// bound):
//   songs=<n> all_ms=<> (target < 300) all_cpu_ms=<> all_query_ms=<> all_query_cpu_ms=<>
//   search_ms=<> (target < 300) search_cpu_ms=<> search_query_ms=<> search_rows=<> back_ms=<> (target < 300)
//   back_cpu_ms=<> album_ms=<> playlist_ms=<> history_ms=<> page_ms=<> sort_ms=<> (target < 100)
//   list_rss_mb=<> rss_mb=<> rows_same=<yes|no> (lists=<n> rows=<n>)
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
#include "core/Playlists.h"
#include "windows/songs/SongListController.h"
#include "windows/songs/SongListRows.h"
#include "windows/songs/SongListSql.h"
#include "windows/songs/SongsWindow.h"

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

/// The song numbers of the rows listed, in their order.
std::vector<int> ListedSongs(const sw::SongListController& controller) {
    std::vector<int> songs;
    for (int row = 0; row < controller.RowCount(); ++row) {
        songs.push_back(controller.SongNumAt(row));
    }
    return songs;
}

/// The queries of a search over all five places, as the two-step reading runs them, in
/// milliseconds: the songs whose own columns, album name or artist name hold the text.
double SearchQueryMilliseconds(sw::Catalogue& catalogue, const QString& text) {
    QElapsedTimer timer;
    timer.start();
    const QString held = sw::HeldSearchLiteral(catalogue, text).value();
    const sw::SearchParts parts = sw::SearchPartsText(sw::SearchPlace::Anywhere, text, false, false, held);
    for (const QString& each : {parts.songKeys, parts.albumSongKeys, parts.artistSongKeys}) {
        const sw::RowSet rows = sw::Query(catalogue, each).Open();
    }
    return timer.nsecsElapsed() / 1e6;
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
        catalogue.RunQuery(
            "select first 1 artistid, count(*) as n from song group by artistid order by 2 desc");
        const int artistId = catalogue.QueryInt("artistid");
        catalogue.RunQuery("select first 1 genreid, count(*) as n from song group by genreid order by 2 desc");
        const int genreId = catalogue.QueryInt("genreid");

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
        std::vector<double> all, allCpu, query, queryCpu, search, searchCpu, searchQuery, back, backCpu,
            album, playlist, history;
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
            searchQuery.push_back(SearchQueryMilliseconds(catalogue, "thunder"));
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

        // A click on a column heading of the whole list: title, title again (reversed), artist.
        std::vector<double> sorts;
        const int titleColumn = static_cast<int>(
            std::find(controller.Columns().begin(), controller.Columns().end(), sw::SongColumn::Title) -
            controller.Columns().begin());
        const int artistColumn = static_cast<int>(
            std::find(controller.Columns().begin(), controller.Columns().end(), sw::SongColumn::Artist) -
            controller.Columns().begin());
        for (int round = 0; round < rounds; ++round) {
            for (const int column : {titleColumn, titleColumn, artistColumn}) {
                QElapsedTimer timer;
                timer.start();
                controller.SortByColumn(column);
                window.grab();
                sorts.push_back(timer.nsecsElapsed() / 1e6);
            }
        }

        // The rows of every kind of list, read in two steps and read at once by the query text.
        int listsCompared = 0;
        long long rowsCompared = 0;
        bool same = true;
        const auto searchIn = [&](sw::SearchPlace place, const QString& text) {
            return [&controller, place, text] {
                controller.Search().place = place;
                controller.SearchSongs(text);
                controller.Search().place = sw::SearchPlace::Anywhere;
            };
        };
        std::vector<std::pair<QString, std::function<void()>>> lists{
            {"whole list", [&] { controller.ShowLastLoaded(); }},
            {"search", [&] { controller.SearchSongs("thunder"); }},
            {"album", [&] { controller.ShowAlbumSongs(albumId); }},
            {"artist", [&] { controller.ShowArtistSongs(artistId); }},
            {"genre", [&] { controller.ShowGenreSongs(genreId); }},
            {"singles", [&] { controller.ShowSingles(); }},
            {"recent", [&] { controller.ShowRecentSongs(); }},
        };
        // No text with a letter whose case changes its length in UTF-8 (the dotless i): for those the
        // catalogue's CONTAINING gives rows that differ from one run of the same query to the next.
        for (const auto& [place, text] : std::vector<std::pair<sw::SearchPlace, QString>>{
                 {sw::SearchPlace::Anywhere, "Dvořák"},
                 {sw::SearchPlace::Anywhere, "Ελλ"},
                 {sw::SearchPlace::Anywhere, "МОС"},
                 {sw::SearchPlace::Anywhere, "o'b"},
                 {sw::SearchPlace::Anywhere, "\"live\""},
                 {sw::SearchPlace::Title, "café"},
                 {sw::SearchPlace::FileName, "/0"},
                 {sw::SearchPlace::Comment, "LIVE"},
                 {sw::SearchPlace::AlbumName, "thunder"},
                 {sw::SearchPlace::ArtistName, "ö"},
             }) {
            lists.emplace_back("search for " + text + " in place " + QString::number(static_cast<int>(place)),
                               searchIn(place, text));
        }
        for (const auto& [name, request] : lists) {
            controller.SetReadByKeys(true);
            request();
            const std::vector<int> byKeys = ListedSongs(controller);
            controller.SetReadByKeys(false);
            request();
            const std::vector<int> atOnce = ListedSongs(controller);
            controller.SetReadByKeys(true);
            ++listsCompared;
            rowsCompared += static_cast<long long>(atOnce.size());
            if (byKeys != atOnce) {
                same = false;
                std::size_t at = 0;
                while (at < std::min(byKeys.size(), atOnce.size()) && byKeys[at] == atOnce[at]) {
                    ++at;
                }
                err << "rows differ in the " << name << ": " << byKeys.size() << " rows in two steps, "
                    << atOnce.size() << " at once, first difference at row " << at << Qt::endl;
            }
        }

        out << "songs=" << songs << " all_ms=" << Ms(Median(all)) << " (target < 300)"
            << " all_cpu_ms=" << Ms(Median(allCpu)) << " all_query_ms=" << Ms(Median(query))
            << " all_query_cpu_ms=" << Ms(Median(queryCpu)) << " search_ms=" << Ms(Median(search))
            << " (target < 300) search_cpu_ms=" << Ms(Median(searchCpu))
            << " search_query_ms=" << Ms(Median(searchQuery)) << " search_rows=" << searchRows
            << " back_ms=" << Ms(Median(back)) << " (target < 300) back_cpu_ms=" << Ms(Median(backCpu))
            << " album_ms=" << Ms(Median(album)) << " playlist_ms=" << Ms(Median(playlist))
            << " history_ms=" << Ms(Median(history)) << " page_ms=" << Ms(Median(pages))
            << " sort_ms=" << Ms(Median(sorts)) << " (target < 100) list_rss_mb=" << Ms(listed - before)
            << " rss_mb=" << Ms(listed) << " rows_same=" << (same ? "yes" : "no") << " (lists=" << listsCompared
            << " rows=" << rowsCompared << ")" << Qt::endl;
        window.hide();
        catalogue.CloseCatalogue();
    } catch (const std::exception& error) {
        err << "songs_bench: " << QString::fromUtf8(error.what()) << Qt::endl;
        return 1;
    }
    return 0;
}
