// swtool playlist ID [--m3u]: the entries of one playlist, or the playlist as an extended M3U.
#include <QTextStream>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolPlaylistSession.h"
#include "foundation/Dialogs.h"

namespace sw::swtool {

int RunPlaylist(const QStringList& arguments) {
    bool m3u = false;
    QString id;
    for (const QString& argument : arguments) {
        if (argument == "--m3u") {
            m3u = true;
        } else if (argument.startsWith("--") || !id.isEmpty()) {
            throw std::invalid_argument(("unexpected argument " + argument).toStdString());
        } else {
            id = argument;
        }
    }
    if (id.isEmpty()) {
        throw std::invalid_argument("playlist needs a playlist id");
    }
    const int playlistId = IntegerArgument("the playlist id", id);
    auto session = PlaylistSession::Open();
    CoreSession& core = session->Core();
    Tplist playlist;
    if (!session->Lists().LoadPlaylistRecord(playlistId, playlist)) {
        ShowInfo("Playlist #" + QString::number(playlistId) + " not found");
        return 1;
    }
    QTextStream out(stdout);
    if (m3u) {
        out << "#EXTM3U\n";
    }
    for (const PlaylistEntry& entry : session->Lists().ReadPlaylistEntries(playlistId, core.library.songs)) {
        if (!m3u) {
            out << EntryLine(entry) << '\n';
            continue;
        }
        const TSong& song = entry.Song;
        const QString path = AbsolutePath(song);
        if (!entry.SongFound || path.isEmpty()) {
            // A player cannot open an entry without a file; the listing still shows it.
            ShowInfo("Song #" + QString::number(song.SongNum) + " at seq " + QString::number(entry.Seq) +
                     " is not in the catalogue; left out");
            continue;
        }
        if (path.contains('\n') || path.contains('\r')) {
            ShowInfo("The path of song #" + QString::number(song.SongNum) + " holds a line break; left out");
            continue;
        }
        // -1 is the format's "length unknown".
        const int seconds = song.Duration > 0 ? song.Duration : -1;
        out << "#EXTINF:" << seconds << ',' << OneLine(song.ArtistName) << " - " << OneLine(song.Title)
            << '\n'
            << path << '\n';
    }
    out.flush();
    core.catalogue.CloseCatalogue();
    return 0;
}

}  // namespace sw::swtool
