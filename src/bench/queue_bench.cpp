// queue_bench: the now-playing queue with 10,000 rows, in its window (offscreen).
//   queue_bench [--songs N] [--block B] [--rounds R] [--catalogue FILE]
// Builds a catalogue of N generated songs (default 10,000) in a temporary folder, or uses FILE as it
// is, reads them, and times in the queue window: appending them all (inside one update of the
// window, as a whole list is queued, and one update per song), moving a block of B rows (default
// 1,000) from the end to the start, from the start to the end and to Next (a song playing in the
// middle), the refresh from the catalogue, and dropping a block of B rows. Each time includes the
// window's update and repaint; the figures are medians of R rounds (default 5), the appends one
// update per song are timed once. Then it proves the refresh's records: each row's song must be
// the record the song query's joins gave at the start (the catalogue has not changed). Last line
// (targets beside the figures they bound):
//   rows=<n> block=<b> rounds=<r> append_batch_ms=<t> (target < 100) append_each_ms=<t> (target < 100)
//   start_ms=<t> (target < 100) end_ms=<t> (target < 100) next_ms=<t> (target < 100)
//   refresh_ms=<t> (target < 100) drop_ms=<t> (target < 100) records_same=<yes|no> (rows=<n>)
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "BenchCatalogue.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/audio/AudioLibrary.h"
#include "playback/audio/OfflineOutput.h"
#include "playback/PlaybackEngine.h"
#include "core/Playlists.h"
#include "playback/Preview.h"
#include "playback/QueueController.h"
#include "playback/QueueWindow.h"

namespace {

// Runs the operation, then lets the window update and repaint; milliseconds for both.
template <typename Operation>
double Timed(Operation&& operation) {
    QElapsedTimer timer;
    timer.start();
    operation();
    QApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

QString Ms(double value) {
    return QString::number(value, 'f', 1) + " (target < 100)";
}

/// What a queue row shows and plays of its song: every field but the file's date.
QStringList RecordFields(const sw::TSong& song) {
    return {QString::number(song.SongNum),
            song.FullPath,
            song.FileName,
            song.FileType,
            song.Title,
            song.ArtistName,
            QString::number(song.ArtistId),
            song.AlbumName,
            QString::number(song.AlbumId),
            song.Year,
            song.Comment,
            QString::number(song.Track),
            QString::number(song.GenreId),
            song.GenreName,
            QString::number(song.Rating),
            QString::number(song.SearchTs),
            QString::number(song.CreateTs),
            QString::number(song.EditTs),
            QString::number(song.Size),
            QString::number(song.Duration),
            QString::number(song.StartFrom),
            QString::number(song.Exi),
            QString::number(song.FileFound),
            QString::number(song.TagSource)};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    sw::ScriptedDialogs dialogs;
    sw::InstallDialogs(&dialogs);

    const QStringList arguments = QCoreApplication::arguments();
    const int songs = sw::BenchOption(arguments, "--songs", 10000);
    int block = sw::BenchOption(arguments, "--block", 1000);
    const int rounds = std::max(1, sw::BenchOption(arguments, "--rounds", 5));
    const QString catalogueFile = sw::BenchOption(arguments, "--catalogue");

    QTemporaryDir temporary;
    sw::Catalogue catalogue;
    sw::Settings settings;
    settings.Root = "/music/";
    settings.PROMPTTOREMOVE = false;
    try {
        sw::OpenBenchCatalogue(catalogue, catalogueFile, temporary.path(), songs, err);
        sw::Library library(catalogue, settings);
        sw::RowSet rows = catalogue.Select(sw::kSongQuery + "\norder by s.songnum");
        std::vector<sw::TSong> records;
        for (rows.First(); !rows.Eof() && static_cast<int>(records.size()) < songs; rows.Next()) {
            sw::TSong song;
            library.songs.FillSongFromRow(rows, song);
            records.push_back(song);
        }
        const int count = static_cast<int>(records.size());
        block = std::min(block, count / 2);
        err << "read " << count << " songs" << Qt::endl;

        sw::SharedPlaylists shared;
        sw::Playlists playlists(catalogue, shared);
        sw::QueueController queue(library, playlists);
        sw::AudioLibrary audio(std::make_unique<sw::OfflineOutput>(1));
        sw::ManualClock clock;
        sw::PlaybackEngine engine(audio, queue, settings, clock);
        sw::PreviewController preview(engine);
        sw::QueueWindow window(queue, engine, preview);
        window.show();
        QApplication::processEvents();

        // One update per song, as songs queued one at a time from the songs window arrive.
        const double appendEach = Timed([&] {
            for (const sw::TSong& song : records) {
                queue.AppendToQueue(song);
            }
        });
        std::vector<double> appendBatch, toStart, toEnd, toNext, refresh, drop;
        for (int round = 0; round < rounds; ++round) {
            queue.SetNowPlayingRow(-1);
            queue.ClearQueueFrom(0);
            QApplication::processEvents();
            appendBatch.push_back(Timed([&] {
                sw::QueueController::Batch batch(queue);
                for (const sw::TSong& song : records) {
                    queue.AppendToQueue(song);
                }
            }));
            toStart.push_back(Timed([&] {
                queue.SetSelection(count - block + 1, count, count);
                queue.MoveSelectedRows(sw::MoveTarget::Start);
            }));
            toEnd.push_back(Timed([&] {
                queue.SetSelection(1, block, block);
                queue.MoveSelectedRows(sw::MoveTarget::End);
            }));
            // A song "playing" in the middle (no sound is needed to move rows after it).
            queue.SetNowPlayingRow(count / 2);
            toNext.push_back(Timed([&] {
                queue.SetSelection(count - block + 1, count, count);
                queue.MoveSelectedRows(sw::MoveTarget::Next);
            }));
            queue.SetNowPlayingRow(-1);
            refresh.push_back(Timed([&] { queue.RefreshCommand(true); }));
            drop.push_back(Timed([&] {
                queue.SetSelection(count / 4, count / 4 + block - 1, count / 4);
                queue.DropSelectedRows();
            }));
            if (queue.RowCount() != count - block) {
                err << "queue_bench: expected " << count - block << " rows, found " << queue.RowCount()
                    << Qt::endl;
                return 1;
            }
        }
        // The rows after the last refresh against the records read by the joins at the start.
        std::unordered_map<int, QStringList> joined;
        for (const sw::TSong& song : records) {
            joined[song.SongNum] = RecordFields(song);
        }
        bool same = true;
        for (int row = 1; row <= queue.RowCount(); ++row) {
            const sw::TSong& song = queue.SongAt(row)->Song();
            if (RecordFields(song) != joined[song.SongNum]) {
                if (same) {
                    err << "row " << row << " (song " << song.SongNum << ") differs from the joined record"
                        << Qt::endl;
                }
                same = false;
            }
        }
        out << "rows=" << count << " block=" << block << " rounds=" << rounds
            << " append_batch_ms=" << Ms(Median(appendBatch)) << " append_each_ms=" << Ms(appendEach)
            << " start_ms=" << Ms(Median(toStart)) << " end_ms=" << Ms(Median(toEnd))
            << " next_ms=" << Ms(Median(toNext)) << " refresh_ms=" << Ms(Median(refresh))
            << " drop_ms=" << Ms(Median(drop)) << " records_same=" << (same ? "yes" : "no")
            << " (rows=" << queue.RowCount() << ")" << Qt::endl;
    } catch (const std::exception& error) {
        err << "queue_bench: " << error.what() << Qt::endl;
        return 1;
    }
    return 0;
}
