// assign_bench: assigning an album to many songs through the assign window, on real MP3 files.
// Makes a catalogue and a folder of MP3 files (the test fixture with ID3v1 and ID3v2 tags written
// by our tag code), then assigns an album name to all of them through the window's dialog and its
// progress window, and once more with Cancel pressed part way. Its figures are its last line:
//   files=<n> policy=<p> seconds=<s> files_per_s=<x> progress_steps=<k> cancel_at=<c> done_after_cancel=<d>
#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "BenchCatalogue.h"
#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "foundation/ScriptedDialogs.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"
#include "windows/details/AssignController.h"
#include "windows/details/AssignWindow.h"

namespace {

using namespace sw;

/// Ticks "Album", types the name and presses "Assign" once the dialog is up.
void AnswerDialogWith(AssignWindow& window, const QString& album) {
    QTimer::singleShot(0, &window, [&window, album] {
        window.Button("uncheckAll")->click();
        window.Tick(AssignField::Album)->setChecked(true);
        window.Box(AssignField::Album)->setText(album);
        window.Controller().SetBox(AssignField::Album, album);
        window.Button("assign")->click();
    });
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Assigns an album to many MP3 files through the assign window.");
    parser.addHelpOption();
    const QCommandLineOption filesOption("files", "How many files (default 1000).", "n", "1000");
    const QCommandLineOption policyOption("policy", "MP3 tag policy of the run (default 2).", "p", "2");
    const QCommandLineOption folderOption("folder", "Where to make the files (default a temporary folder).",
                                          "dir");
    parser.addOptions({filesOption, policyOption, folderOption});
    parser.process(app);
    const int files = parser.value(filesOption).toInt();
    const int policy = parser.value(policyOption).toInt();
    QTextStream err(stderr);

    QTemporaryDir temporary(parser.isSet(folderOption) ? parser.value(folderOption) + "/assign_bench-XXXXXX"
                                                       : QDir::tempPath() + "/assign_bench-XXXXXX");
    if (!temporary.isValid()) {
        err << "cannot make a folder: " << temporary.errorString() << Qt::endl;
        return 1;
    }
    QFile fixture(SW_SOURCE_DIR "/tests/fixtures/plain.mp3");
    if (!fixture.open(QIODevice::ReadOnly)) {
        err << "cannot read " << fixture.fileName() << Qt::endl;
        return 1;
    }
    const QByteArray audio = fixture.readAll();

    ScriptedDialogs dialogs;
    InstallDialogs(&dialogs);
    try {
        Catalogue catalogue;
        const QString catalogueFile = temporary.path() + "/SONGS.FDB";
        CreateCatalogue(catalogueFile, "Benchmark", FindProgramFile("sql/create-catalogue.sql"),
                        FindProgramFile("data/GENRES.INI"));
        OpenBenchCatalogue(catalogue, catalogueFile, temporary.path(), 0, err);
        Settings settings;
        settings.Root = temporary.path() + "/music/";
        settings.MP3TAGPOLICY = 4;
        settings.MP3TAGREADPREFV1V2 = 2;
        Library library(catalogue, settings);
        library.artists.InitVariousArtist();
        CatalogueGenres genres(catalogue);
        TagPolicy tags(library, genres);
        library.tagWriter = &tags;
        QDir().mkpath(settings.Root);

        std::vector<int> songs;
        for (int i = 0; i < files; ++i) {
            TSong song;
            song.FullPath =
                settings.Root + QString("Artist %1/Track %2.mp3").arg(i % 50).arg(i, 4, 10, QChar('0'));
            WriteBenchFile(song.FullPath, audio);
            song.FileName = library.songs.RelativePathOf(song.FullPath);
            song.FileType = "MP3";
            song.Title = QString("Track %1").arg(i);
            song.ArtistName = QString("Artist %1").arg(i % 50);
            song.ArtistId = library.artists.FindOrCreateArtist(song.ArtistName);
            song.AlbumName = QString("Old album %1").arg(i % 50);
            song.Year = "1999";
            tags.SaveSongTags(song);
            library.songs.SaveSong(song);
            songs.push_back(song.SongNum);
        }
        catalogue.CommitAndContinue();
        settings.MP3TAGPOLICY = policy;
        err << files << " files made under " << settings.Root << Qt::endl;

        AssignController assign(library, tags);
        AssignWindow window(assign);
        int steps = 0;

        // The whole run.
        AnswerDialogWith(window, "Assigned album");
        QElapsedTimer timer;
        timer.start();
        QTimer counter;
        QObject::connect(&counter, &QTimer::timeout,
                         [&] { steps = std::max(steps, window.Progress()->value()); });
        counter.start(0);
        const AssignOutcome outcome = assign.AssignDetailsToSongs(songs, "MP3");
        const double seconds = timer.elapsed() / 1000.0;
        counter.stop();
        if (!outcome.accepted || assign.LastRun().saved != files) {
            err << "the run did not assign every song: " << assign.LastRun().saved << Qt::endl;
            return 1;
        }

        // Cancel pressed half way: the run stops before the next song.
        const int cancelAt = files / 2;
        int doneAtCancel = -1;
        QTimer canceller;
        QObject::connect(&canceller, &QTimer::timeout, [&] {
            if (doneAtCancel < 0 && window.Progress()->value() >= cancelAt) {
                doneAtCancel = window.Progress()->value();
                // As the user does: the progress window's Cancel button.
                for (QPushButton* button : window.Progress()->findChildren<QPushButton*>()) {
                    button->click();
                }
            }
        });
        canceller.start(0);
        AnswerDialogWith(window, "Second album");
        assign.AssignDetailsToSongs(songs, "MP3");
        canceller.stop();
        const int afterCancel = assign.LastRun().saved - doneAtCancel;

        std::printf(
            "files=%d policy=%d seconds=%.3f files_per_s=%.1f progress_steps=%d cancel_at=%d "
            "done_after_cancel=%d\n",
            files, policy, seconds, files / seconds, steps, doneAtCancel, afterCancel);
        library.tagWriter = nullptr;
    } catch (const std::exception& error) {
        err << error.what() << Qt::endl;
        return 1;
    }
    return 0;
}
