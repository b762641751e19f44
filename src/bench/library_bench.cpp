// library_bench: how fast the albums, artists, genres and playlists windows open on a large
// catalogue, and how fast renaming an artist rewrites the tags of its songs' files.
//   library_bench [--songs N] [--catalogue FILE] [--rounds R] [--files F] [--policy P] [--folder DIR]
// Builds a catalogue of N generated songs (default 100,000; the shared synthetic collection, with
// one album in four put into 200 album groups) in a temporary folder, or uses FILE as it is. Each
// list is timed with its real window (drawn off screen) from the request until the window has been
// drawn, as the median of R rounds (default 5): the albums window expanded, collapsed at the top
// and as album groups; the artists window (all, and with their song counts); the genres window
// (the genres in use, which reads every song, and all); the playlists window. Then F real MP3
// files (default 400) of one artist are made under DIR (default the temporary folder) and the
// artist is renamed with the tags rewritten, under MP3 tag policy P (default the settings'
// default). Before the rename it proves the rows: the artists with their song counts (with any
// songs, with more than one) and the genres in use (by name, by id) are read both ways, by the
// statements the windows use and by the one join of every song they replaced, and must list the
// same rows in the same order. Last line (targets beside the figures they bound):
//   songs=… albums=… artists=… albums_expanded_ms=… (target < 300) albums_collapsed_ms=… (target < 300)
//   albums_collapsed_rows=… album_groups_ms=… (target < 300) artists_ms=… (target < 300)
//   artists_counted_ms=… (target < 300) genres_in_use_ms=… (target < 300) genres_all_ms=… (target < 300)
//   playlists_ms=… (target < 300) rows_same=<yes|no> (lists=… rows=…) rename_files=… rename_seconds=…
//   rename_files_per_s=… (target > 300)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "BenchCatalogue.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Renames.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "core/Playlists.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"
#include "windows/albums/AlbumsController.h"
#include "windows/albums/AlbumsWindow.h"
#include "windows/artists/ArtistsController.h"
#include "windows/artists/ArtistsWindow.h"
#include "windows/genres/GenresController.h"
#include "windows/genres/GenresWindow.h"
#include "windows/playlists/PlaylistsController.h"
#include "windows/playlists/PlaylistsWindow.h"
#include "windows/songs/SongListController.h"

namespace {

using namespace sw;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

QString Ms(const std::vector<double>& values) {
    return QString::number(Median(values), 'f', 1);
}

/// Milliseconds from the request until `window` has been drawn.
double Timed(QWidget& window, const std::function<void()>& request) {
    QElapsedTimer timer;
    timer.start();
    request();
    window.grab();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

/// A list's rows as the window shows them, each led by its id.
QStringList ListedRows(const RowSetModel& model, const std::function<int(int row)>& id) {
    QStringList rows;
    for (int row = 0; row < model.RowCount(); ++row) {
        rows << QString::number(id(row)) + "|" + model.RowTexts(row).join('|');
    }
    return rows;
}

/// One album in four goes into one of 200 groups, as a collection sorted into groups would be.
void MakeAlbumGroups(Catalogue& catalogue) {
    catalogue.RunQuery("select count(*) as ct from album where alorgrp = 'G'");
    if (catalogue.QueryInt("ct") > 0) {
        return;
    }
    const int first = catalogue.NextAlbumId();
    for (int group = 0; group < 200; ++group) {
        catalogue.ExecSql(QString("insert into album (albumid, alname, alorgrp, grpid, numexi, ratingsumm, "
                                  "ratingdrvd, ratingassd) values (%1, 'Group %2', 'G', 0, 0, 20, 20, 0)")
                              .arg(first + group)
                              .arg(group));
    }
    catalogue.ExecSql(QString("update album set grpid = %1 + mod(albumid, 200) where alorgrp = 'A' and "
                              "mod(albumid, 4) = 0")
                          .arg(first));
    catalogue.CommitAndContinue();
}

/// `count` MP3 files of one artist, tagged and catalogued; returns the artist's id.
int MakeArtistFiles(Library& library, TagPolicy& tags, const QString& folder, int count) {
    QFile fixture(SW_SOURCE_DIR "/tests/fixtures/plain.mp3");
    if (!fixture.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + fixture.fileName().toStdString());
    }
    const QByteArray audio = fixture.readAll();
    const int artistId = library.artists.FindOrCreateArtist("Renamed O'Brien");
    for (int i = 0; i < count; ++i) {
        TSong song;
        song.FullPath = folder + QString("Album %1/Track %2.mp3").arg(i / 12).arg(i, 4, 10, QChar('0'));
        WriteBenchFile(song.FullPath, audio);
        song.FileName = library.songs.RelativePathOf(song.FullPath);
        song.FileType = "MP3";
        song.Title = QString("Track %1").arg(i);
        song.ArtistName = "Renamed O'Brien";
        song.ArtistId = artistId;
        song.Year = "1999";
        tags.SaveSongTags(song);
        library.songs.SaveSong(song);
    }
    library.catalogue.CommitAndContinue();
    return artistId;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTextStream err(stderr);
    ScriptedDialogs dialogs;
    InstallDialogs(&dialogs);

    const QStringList arguments = QCoreApplication::arguments();
    int songs = BenchOption(arguments, "--songs", 100000);
    const int rounds = std::max(1, BenchOption(arguments, "--rounds", 5));
    const QString catalogueFile = BenchOption(arguments, "--catalogue");
    const int files = std::max(1, BenchOption(arguments, "--files", 400));
    const QString folder = BenchOption(arguments, "--folder");

    QTemporaryDir temporary;
    QTemporaryDir music((folder.isEmpty() ? temporary.path() : folder) + "/library_bench-XXXXXX");
    if (!temporary.isValid() || !music.isValid()) {
        err << "library_bench: cannot make a folder" << Qt::endl;
        return 1;
    }
    Catalogue catalogue;
    Settings settings;
    settings.Root = music.path() + "/";
    settings.MP3TAGPOLICY = BenchOption(arguments, "--policy", settings.MP3TAGPOLICY);
    try {
        OpenBenchCatalogue(catalogue, catalogueFile, temporary.path(), songs, err);
        MakeAlbumGroups(catalogue);
        catalogue.RunQuery("select count(*) as n from song");
        songs = catalogue.QueryInt("n");
        catalogue.RunQuery("select count(*) as n from album where alorgrp = 'A'");
        const int albums = catalogue.QueryInt("n");
        catalogue.RunQuery("select count(*) as n from artist");
        const int artists = catalogue.QueryInt("n");

        Library library(catalogue, settings);
        library.artists.InitVariousArtist();
        SharedPlaylists shared;
        Playlists playlists(catalogue, shared);
        SongListController songList(library, playlists, RealClock());
        AlbumsController albumList(library, songList);
        AlbumsWindow albumsWindow(albumList);
        ArtistsController artistList(library, songList, RealClock());
        ArtistsWindow artistsWindow(artistList);
        GenresController genreList(library, songList, temporary.path() + "/GENRES.INI");
        GenresWindow genresWindow(genreList);
        PlaylistsController playlistList(library, playlists, songList);
        PlaylistsWindow playlistsWindow(playlistList);

        std::vector<double> expanded, collapsed, groups, allArtists, counted, inUse, allGenres, lists;
        int collapsedRows = 0;
        for (int round = 0; round < rounds; ++round) {
            expanded.push_back(Timed(albumsWindow, [&] { albumList.ShowAllAlbums(); }));
            groups.push_back(Timed(albumsWindow, [&] { albumList.ShowAlbumGroups(); }));
            // "Hide ungrouped albums" off: the groups and the albums in none, at the top.
            collapsed.push_back(Timed(albumsWindow, [&] { albumList.ToggleHideUngrouped(); }));
            collapsedRows = albumList.RowCount();
            albumsWindow.hide();
            // Each showing of the artists window reads its list again.
            artistList.ChooseView(ArtistsView::All);
            artistsWindow.hide();
            allArtists.push_back(Timed(artistsWindow, [&] { artistList.ShowArtistsWindow(); }));
            counted.push_back(Timed(artistsWindow, [&] { artistList.ChooseView(ArtistsView::WithSongs); }));
            artistsWindow.hide();
            genreList.SetFilter(GenreFilter::All);
            genresWindow.hide();
            genreList.SetFilter(GenreFilter::InUse);
            inUse.push_back(Timed(genresWindow, [&] { genreList.ShowGenresWindow(); }));
            allGenres.push_back(Timed(genresWindow, [&] { genreList.SetFilter(GenreFilter::All); }));
            genresWindow.hide();
            playlistsWindow.hide();
            lists.push_back(Timed(playlistsWindow, [&] { playlistList.ShowPlaylistsWindow(); }));
            playlistsWindow.hide();
        }

        // The rows of the narrowed lists, read as the windows read them and by the join they replaced.
        int listsCompared = 0;
        int rowsCompared = 0;
        bool same = true;
        const auto compare = [&](const QString& name, const std::function<void(bool byJoin)>& read,
                                 const std::function<QStringList()>& listed) {
            read(true);
            const QStringList byJoin = listed();
            read(false);
            const QStringList narrow = listed();
            ++listsCompared;
            rowsCompared += static_cast<int>(narrow.size());
            if (narrow != byJoin) {
                same = false;
                int at = 0;
                while (at < std::min(narrow.size(), byJoin.size()) && narrow[at] == byJoin[at]) {
                    ++at;
                }
                err << "rows differ in " << name << ": " << narrow.size() << " rows, " << byJoin.size()
                    << " by the join, first difference at row " << at << Qt::endl;
            }
        };
        const auto artistRows = [&] {
            return ListedRows(artistList.Model(), [&](int row) { return artistList.ArtistIdAt(row); });
        };
        const auto genreRows = [&] {
            return ListedRows(genreList.Model(), [&](int row) { return genreList.IdAt(row); });
        };
        for (const ArtistsView view : {ArtistsView::WithSongs, ArtistsView::MoreThanOneSong}) {
            compare(
                ArtistsViewName(view),
                [&](bool byJoin) {
                    artistList.SetReadByJoin(byJoin);
                    artistList.ChooseView(view);
                },
                artistRows);
        }
        for (const GenreSort sort : {GenreSort::ByName, GenreSort::ById}) {
            compare(
                sort == GenreSort::ByName ? "the genres in use by name" : "the genres in use by id",
                [&](bool byJoin) {
                    genreList.SetReadByJoin(byJoin);
                    genreList.SetFilter(GenreFilter::InUse);
                    genreList.SetSort(sort);
                },
                genreRows);
        }
        artistList.SetReadByJoin(false);
        genreList.SetReadByJoin(false);

        CatalogueGenres genreNames(catalogue);
        TagPolicy tags(library, genreNames);
        library.tagWriter = &tags;
        const int artistId = MakeArtistFiles(library, tags, settings.Root, files);
        err << files << " files made under " << settings.Root << Qt::endl;
        // "Update individual music files with new name ?": Yes.
        dialogs.ClearTranscript();
        dialogs.QueueAnswer("Yes");
        QElapsedTimer timer;
        timer.start();
        RenameArtist(library, artistId, "Renamed \"O'Brien\" & Co");
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (!dialogs.TextsOf("INFO").isEmpty()) {
            err << "the rename reported: " << dialogs.TextsOf("INFO").join(" / ") << Qt::endl;
            return 1;
        }
        library.tagWriter = nullptr;

        std::printf(
            "songs=%d albums=%d artists=%d albums_expanded_ms=%s (target < 300) albums_collapsed_ms=%s "
            "(target < 300) albums_collapsed_rows=%d album_groups_ms=%s (target < 300) artists_ms=%s "
            "(target < 300) artists_counted_ms=%s (target < 300) genres_in_use_ms=%s (target < 300) "
            "genres_all_ms=%s (target < 300) playlists_ms=%s (target < 300) rows_same=%s (lists=%d rows=%d) "
            "rename_files=%d rename_seconds=%.3f rename_files_per_s=%.1f (target > 300)\n",
            songs, albums, artists, qPrintable(Ms(expanded)), qPrintable(Ms(collapsed)), collapsedRows,
            qPrintable(Ms(groups)), qPrintable(Ms(allArtists)), qPrintable(Ms(counted)),
            qPrintable(Ms(inUse)), qPrintable(Ms(allGenres)), qPrintable(Ms(lists)), same ? "yes" : "no",
            listsCompared, rowsCompared, files, seconds, files / seconds);
        catalogue.CloseCatalogue();
    } catch (const std::exception& error) {
        err << "library_bench: " << QString::fromUtf8(error.what()) << Qt::endl;
        return 1;
    }
    return 0;
}
