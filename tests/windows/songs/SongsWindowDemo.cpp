// songs_window_demo: the "Songs" window on a program folder's catalogue, for looking at it and
// driving it by hand until the main window opens it.
//   songs_window_demo --home DIR (--album ID|--artist ID|--genre ID|--playlist ID|--day YYYYMMDD|
//                                 --singles|--recent|--last-loaded|--search TEXT)...
// Each list option is shown in turn, so Back has somewhere to go. The now-playing window (on the
// null output) takes what the songs window queues. Messages are printed.
#include <QApplication>
#include <QTextStream>
#include <functional>
#include <vector>

#include "core/CoreSession.h"
#include "core/Paths.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/AlbumSummary.h"
#include "playback/audio/NullOutput.h"
#include "playback/PlaybackEngine.h"
#include "core/Playlists.h"
#include "playback/Preview.h"
#include "playback/QueueController.h"
#include "playback/QueueWindow.h"
#include "core/Ratings.h"
#include "windows/main/GuardedApplication.h"
#include "windows/songs/SongListController.h"
#include "windows/songs/SongsWindow.h"

int main(int argc, char** argv) {
    sw::GuardedApplication app(argc, argv);
    QTextStream out(stdout);
    sw::ScriptedDialogs dialogs(&out);
    sw::InstallDialogs(&dialogs);

    const QStringList arguments = QCoreApplication::arguments();
    QString home;
    std::vector<std::function<void(sw::SongListController&)>> requests;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        const QString value = i + 1 < arguments.size() ? arguments[i + 1] : QString();
        const int number = value.toInt();
        if (option == "--home") {
            home = value;
            ++i;
        } else if (option == "--album") {
            requests.push_back([number](sw::SongListController& list) { list.ShowAlbumSongs(number); });
            ++i;
        } else if (option == "--artist") {
            requests.push_back([number](sw::SongListController& list) { list.ShowArtistSongs(number); });
            ++i;
        } else if (option == "--genre") {
            requests.push_back([number](sw::SongListController& list) { list.ShowGenreSongs(number); });
            ++i;
        } else if (option == "--playlist") {
            requests.push_back([number](sw::SongListController& list) { list.ShowPlaylistSongs(number); });
            ++i;
        } else if (option == "--day") {
            requests.push_back([number](sw::SongListController& list) { list.ShowHistoryDay(number); });
            ++i;
        } else if (option == "--search") {
            requests.push_back([value](sw::SongListController& list) { list.SearchSongs(value); });
            ++i;
        } else if (option == "--singles") {
            requests.push_back([](sw::SongListController& list) { list.ShowSingles(); });
        } else if (option == "--recent") {
            requests.push_back([](sw::SongListController& list) { list.ShowRecentSongs(); });
        } else if (option == "--last-loaded") {
            requests.push_back([](sw::SongListController& list) { list.ShowLastLoaded(); });
        } else {
            out << "unexpected argument " << option << Qt::endl;
            return 2;
        }
    }
    if (home.isEmpty()) {
        out << "usage: songs_window_demo --home DIR (--album ID|--playlist ID|--day YYYYMMDD|...)..."
            << Qt::endl;
        return 2;
    }

    sw::CoreSession session;
    try {
        sw::SetProgramFolder(sw::ChooseProgramFolder(sw::CurrentFolderSources(home)));
    } catch (const std::exception& error) {
        out << "songs_window_demo: " << QString::fromUtf8(error.what()) << Qt::endl;
        return 1;
    }
    session.paths = sw::Paths();
    sw::SharedPlaylists shared;
    sw::Playlists playlists(session.catalogue, shared);
    sw::Ratings ratings(session.library);
    sw::AlbumSummary summary(session.library, ratings);
    sw::SongListController list(session.library, playlists, sw::RealClock());
    list.SetAlbumSummary(&summary);
    sw::SongsWindow window(list, session.catalogue);
    sw::QueueController queue(session.library, playlists);
    sw::AudioLibrary audio(std::make_unique<sw::NullOutput>());
    try {
        sw::CoreStartup(session);
        session.library.artists.InitVariousArtist();
    } catch (const std::exception& error) {
        out << "songs_window_demo: " << QString::fromUtf8(error.what()) << Qt::endl;
        return 1;
    }
    sw::PlaybackEngine engine(audio, queue, session.settings, sw::RealClock());
    engine.SetCatalogue(&session.catalogue);
    sw::PreviewController preview(engine);
    sw::QueueWindow queueWindow(queue, engine, preview);
    engine.InitAudio(true);
    list.SetQueue(&queue, &engine);
    list.SetDurationMeasure([&engine](const QString& path) { return engine.MeasureFileSeconds(path); });
    list.Hooks().showQueue = [&queueWindow] { queueWindow.ShowRestored(); };
    list.Hooks().preview = [&preview](const sw::TSong& song) { preview.PreviewSong(song); };
    try {
        for (const auto& request : requests) {
            request(list);
        }
    } catch (const std::exception& error) {
        out << "songs_window_demo: " << QString::fromUtf8(error.what()) << Qt::endl;
        return 1;
    }
    window.show();
    const int result = app.exec();
    session.catalogue.CloseCatalogue();
    return result;
}
