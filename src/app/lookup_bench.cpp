// lookup_bench: how long the song lookups take on a large catalogue.
//   lookup_bench [--songs N] [--catalogue FILE]
// Builds a catalogue of N generated songs (default 100,000) in a temporary folder, or uses FILE as
// it is, then times lookups by file name, by details and by number. Last line:
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

#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Settings.h"
#include "foundation/ScriptedDialogs.h"
#include "maintenance/HealthCheck.h"

namespace {

const QString kRoot = "/music/";
constexpr int kSongsPerAlbum = 20;
constexpr int kArtists = 400;

QString FileNameOf(int n) {
    const int album = (n - 1) / kSongsPerAlbum + 1;
    return QString("Artist %1/Album %2/%3 - Song number %4.mp3")
        .arg((album - 1) % kArtists + 1, 3, 10, QChar('0'))
        .arg(album, 5, 10, QChar('0'))
        .arg((n - 1) % kSongsPerAlbum + 1, 2, 10, QChar('0'))
        .arg(n);
}

void Generate(sw::Catalogue& catalogue, int songs, QTextStream& err) {
    sw::Query artist(catalogue, "insert into artist (artistid, arname) values (:id, :name)");
    for (int a = 1; a <= kArtists; ++a) {
        artist.SetInteger("id", a).SetText("name", QString("Artist %1").arg(a, 3, 10, QChar('0'))).Execute();
    }
    sw::Query album(catalogue, "insert into album (albumid, alname, artistid) values (:id, :name, :artist)");
    const int albums = (songs + kSongsPerAlbum - 1) / kSongsPerAlbum;
    for (int a = 1; a <= albums; ++a) {
        album.SetInteger("id", a)
            .SetText("name", QString("Album %1").arg(a, 5, 10, QChar('0')))
            .SetInteger("artist", (a - 1) % kArtists + 1)
            .Execute();
    }
    sw::Query song(
        catalogue,
        "insert into song (songnum, title, track, albumid, artistid, fn, exi, duration, rating, genreid) "
        "values (:n, :title, :track, :album, :artist, :fn, 1, 200, 0, 17)");
    const double now = sw::NowDateTime();
    (void)now;
    for (int n = 1; n <= songs; ++n) {
        const int albumId = (n - 1) / kSongsPerAlbum + 1;
        song.SetInteger("n", n)
            .SetText("title", QString("Song number %1").arg(n))
            .SetInteger("track", (n - 1) % kSongsPerAlbum + 1)
            .SetInteger("album", albumId)
            .SetInteger("artist", (albumId - 1) % kArtists + 1)
            .SetText("fn", FileNameOf(n))
            .Execute();
        if (n % 10000 == 0) {
            catalogue.CommitAndContinue();
            err << "generated " << n << " songs" << Qt::endl;
        }
    }
    catalogue.CommitAndContinue();
}

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

    int songs = 100000;
    QString catalogueFile;
    const QStringList arguments = QCoreApplication::arguments();
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--songs") {
            songs = arguments[i + 1].toInt();
        } else if (arguments[i] == "--catalogue") {
            catalogueFile = arguments[i + 1];
        }
    }

    QTemporaryDir temporary;
    sw::Catalogue catalogue;
    sw::Settings settings;
    settings.Root = kRoot;
    try {
        const bool generate = catalogueFile.isEmpty();
        if (generate) {
            catalogueFile = temporary.filePath("SONGS.FDB");
            const QString script = sw::FindProgramFile("sql/create-catalogue.sql");
            sw::CreateCatalogue(catalogueFile, "Benchmark", script);
        }
        catalogue.Open(catalogueFile);
        catalogue.ReadParams();
        catalogue.UpgradeCatalogue();
        if (catalogue.CatalogueVersion() == 9) {
            sw::CheckHistoryTimes(catalogue, true);
            catalogue.RaiseCatalogueVersion();
            catalogue.UpgradeCatalogue();
        }
        catalogue.OpenTableCursors();
        if (generate) {
            QElapsedTimer timer;
            timer.start();
            Generate(catalogue, songs, err);
            err << "generated in " << timer.elapsed() / 1000.0 << " s" << Qt::endl;
        }
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
            for (const QString& path : {kRoot + stored, kRoot + stored.toUpper()}) {
                sw::TSong found;
                timer.start();
                library.songs.FindSongByFileName(path, found);
                (path.endsWith(stored) ? byFile : byFileCase).push_back(timer.nsecsElapsed() / 1e6);
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
