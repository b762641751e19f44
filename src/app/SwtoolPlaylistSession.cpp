#include "SwtoolPlaylistSession.h"

#include <QFileInfo>
#include <stdexcept>

#include "core/InstanceLock.h"

namespace sw::swtool {

std::unique_ptr<PlaylistSession> PlaylistSession::Open() {
    LockProgramFolder();
    return std::unique_ptr<PlaylistSession>(new PlaylistSession(OpenDataFolder(true)));
}

PlaylistSession::PlaylistSession(std::unique_ptr<DataFolderSession> data)
    : m_data(std::move(data)), m_playlists(m_data->core.catalogue, m_shared) {}

QString OneLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return line;
}

QString AbsolutePath(const TSong& song) {
    if (song.FullPath.isEmpty() || song.FullPath.startsWith('/')) {
        return song.FullPath;
    }
    return QFileInfo(song.FullPath).absoluteFilePath();
}

QString EntryLine(const PlaylistEntry& entry) {
    const TSong& song = entry.Song;
    return QString::number(entry.Seq) + '\t' + QString::number(song.SongNum) + '\t' +
           OneLine(song.ArtistName) + '\t' + OneLine(song.Title) + '\t' + OneLine(AbsolutePath(song));
}

int IntegerArgument(const QString& option, const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok) {
        throw std::invalid_argument((option + " needs a whole number, not \"" + text + "\"").toStdString());
    }
    return value;
}

}  // namespace sw::swtool
