// song_details_demo: the windows for one song and for many on a program folder's catalogue, for
// looking at them and driving them by hand until the songs window opens them in the program.
//   song_details_demo --home DIR --song N [--edit | --assign]
// Shows the song details window on song N (its Edit opens the edit window), or the edit window on
// it, or the assign dialog for every song. Messages are printed.
#include <QApplication>
#include <QTextStream>
#include <vector>

#include "core/CoreSession.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "core/Playlists.h"
#include "core/Ratings.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"
#include "windows/details/AssignWindow.h"
#include "windows/details/EditSongWindow.h"
#include "windows/genres/GenresController.h"
#include "windows/genres/GenresWindow.h"
#include "windows/main/GuardedApplication.h"
#include "windows/details/SongDetailsWindow.h"
#include "windows/songs/SongListController.h"

int main(int argc, char** argv) {
    sw::GuardedApplication app(argc, argv);
    QTextStream out(stdout);
    sw::ScriptedDialogs dialogs(&out);
    sw::InstallDialogs(&dialogs);

    const QStringList arguments = QCoreApplication::arguments();
    QString home;
    int songNum = 0;
    QString window = "details";
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == "--home" && i + 1 < arguments.size()) {
            home = arguments[++i];
        } else if (option == "--song" && i + 1 < arguments.size()) {
            songNum = arguments[++i].toInt();
        } else if (option == "--edit" || option == "--assign") {
            window = option.mid(2);
        } else {
            out << "unexpected argument " << option << Qt::endl;
            return 2;
        }
    }
    if (home.isEmpty() || (songNum <= 0 && window != "assign")) {
        out << "usage: song_details_demo --home DIR --song N [--edit | --assign]" << Qt::endl;
        return 2;
    }

    sw::CoreSession session;
    try {
        sw::SetProgramFolder(sw::ChooseProgramFolder(sw::CurrentFolderSources(home)));
        session.paths = sw::Paths();
        sw::CoreStartup(session);
        session.library.artists.InitVariousArtist();
    } catch (const std::exception& error) {
        out << "song_details_demo: " << QString::fromUtf8(error.what()) << Qt::endl;
        return 1;
    }
    sw::CatalogueGenres genres(session.catalogue);
    sw::TagPolicy tags(session.library, genres);
    session.library.tagWriter = &tags;
    sw::SharedPlaylists shared;
    sw::Playlists playlists(session.catalogue, shared);
    sw::Ratings ratings(session.library);
    sw::SongListController songList(session.library, playlists, sw::RealClock());
    sw::GenresController genreList(session.library, songList, session.paths.genreFile);
    sw::GenresWindow genresWindow(genreList);
    const auto pickGenre = [&](int& id, QString& name) { return genreList.PickGenre(id, name); };
    sw::EditSongController edit(session.library, tags);
    edit.SetGenrePicker(pickGenre);
    sw::EditSongWindow editWindow(edit);
    sw::SongDetailsController details(session.library, tags, playlists, ratings);
    details.Hooks().editSong = [&](sw::TSong& song) { return editWindow.EditSongDetails(song); };
    sw::SongDetailsWindow detailsWindow(details);
    detailsWindow.HooksChanged();
    sw::AssignController assign(session.library, tags);
    assign.SetGenrePicker(pickGenre);
    sw::AssignWindow assignWindow(assign);

    int result = 0;
    try {
        if (window == "edit") {
            sw::TSong song;
            if (session.library.songs.GetSongByNumber(songNum, song)) {
                out << (editWindow.EditSongDetails(song) ? "saved" : "cancelled") << Qt::endl;
            }
        } else if (window == "assign") {
            std::vector<int> songs;
            sw::RowSet& rows = session.catalogue.RunQuery("select songnum from song order by songnum");
            for (int row = 0; row < rows.RowCount(); ++row) {
                songs.push_back(rows.Value(row, 0).toInt());
            }
            const sw::AssignOutcome outcome = assign.AssignDetailsToSongs(songs, "MP3");
            out << (outcome.accepted ? "assigned " : "not assigned ") << assign.LastRun().saved << Qt::endl;
        } else if (details.ShowSongDetails(songNum)) {
            result = app.exec();
        }
    } catch (const std::exception& error) {
        out << "song_details_demo: " << QString::fromUtf8(error.what()) << Qt::endl;
        result = 1;
    }
    session.library.tagWriter = nullptr;
    session.catalogue.CloseCatalogue();
    return result;
}
