// queue_window_demo FOLDER: the now-playing window over a queue of the audio files in FOLDER, with
// one song playing (null output), some played and some skipped, and the pop-up menu open over a
// row: for looking at the window under a display (or Xvfb) and driving it by hand.
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTableView>
#include <QTimer>

#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/audio/NullOutput.h"
#include "playback/PlaybackEngine.h"
#include "core/Playlists.h"
#include "playback/Preview.h"
#include "playback/QueueController.h"
#include "playback/QueueWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    const QStringList files = QDir(argv[1]).entryList({"*.wav", "*.mp3", "*.ogg"}, QDir::Files, QDir::Name);
    if (files.isEmpty()) {
        return 2;
    }
    sw::ScriptedDialogs dialogs;
    sw::InstallDialogs(&dialogs);
    sw::Catalogue catalogue;
    sw::Settings settings;
    settings.PROMPTTOREMOVE = true;
    settings.FADETIME = 1000;
    settings.FADEONNEXT = false;
    sw::Library library(catalogue, settings);
    sw::SharedPlaylists shared;
    sw::Playlists playlists(catalogue, shared);
    sw::QueueController queue(library, playlists);
    sw::AudioLibrary audio(std::make_unique<sw::NullOutput>());
    sw::PlaybackEngine engine(audio, queue, settings, sw::RealClock());
    sw::PreviewController preview(engine);
    sw::QueueWindow window(queue, engine, preview);
    engine.InitAudio(true);

    const char* const artists[] = {"The Harbour Lights", "Maria Okafor", "Slow Ferry", "Jan Vermeer Trio",
                                   "Quiet Acre"};
    const char* const albums[] = {"Low Tide", "Paper Moons", "Northbound", "Live at the Corn Hall",
                                  "Field Notes"};
    const char* const titles[] = {
        "Morning Crossing", "Salt and Cedar", "Lanterns",      "The Long Way Round", "Copper Sky",
        "Winter Orchard",   "Tidewater",      "Glass Harbour", "Late Train",         "Small Hours",
        "Blue Hour Waltz",  "River Stones",   "Kite Weather",  "Hollow Road",        "Evening Ferry",
        "Open Fields",      "Paper Boats",    "Quiet Engine",  "Last Light",         "Homeward",
    };
    const char* const genres[] = {"Folk", "Jazz", "Rock", "Blues", "Ambient"};
    for (int i = 0; i < 20; ++i) {
        sw::TSong song;
        song.SongNum = 100 + i;
        song.FullPath = QDir(argv[1]).filePath(files.at(i % files.size()));
        song.FileName = song.FullPath;
        song.Title = titles[i];
        song.ArtistName = artists[i % 5];
        song.AlbumName = albums[i % 5];
        song.AlbumId = 10 + i % 5;
        song.ArtistId = 20 + i % 5;
        song.Track = static_cast<std::uint8_t>(i / 5 + 1);
        song.Year = QString::number(1994 + i % 7 * 3);
        song.Duration = 150 + i * 11;
        song.Rating = (i * 3) % 7 - 2;
        song.GenreId = static_cast<std::uint8_t>(i % 5);
        song.GenreName = genres[i % 5];
        song.Comment = i == 7 ? "from 0:01 live take" : i == 13 ? "remastered" : "";
        song.Exi = i != 16;
        song.FileFound = i != 16;
        if (i == 16) {
            song.FullPath += ".missing";
        }
        queue.AppendToQueue(song);
    }
    // Five songs played, the sixth playing, two skipped further down.
    for (int row = 1; row <= 6; ++row) {
        queue.SetCursor(row);
        engine.PlayCommand();
    }
    settings.FADEONNEXT = true;
    for (const int row : {9, 12}) {
        queue.SetSelection(row, row, row);
        queue.ToggleSkipSelected();
    }
    queue.SetCursor(8);
    window.resize(1240, 640);
    window.move(10, 10);
    window.show();
    QTimer::singleShot(800, &window, [&] {
        if (window.PreparePopup(8)) {
            const QRect cell = window.Grid()->visualRect(window.Grid()->model()->index(7, 5));
            window.PopupMenu()->popup(window.Grid()->viewport()->mapToGlobal(cell.center()));
        }
    });
    return app.exec();
}
