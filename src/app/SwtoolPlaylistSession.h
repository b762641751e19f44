#pragma once

#include <QString>
#include <memory>

#include "SwtoolSession.h"
#include "core/Playlists.h"

namespace sw::swtool {

/// The data folder with its catalogue and playlists, for the commands on playlists, ratings and
/// the play history.
class PlaylistSession {
public:
    /// Throws, saying so, while the jukebox runs: both would change the same catalogue.
    static std::unique_ptr<PlaylistSession> Open();

    CoreSession& Core() { return m_data->core; }
    DataFolderSession& Data() { return *m_data; }
    Playlists& Lists() { return m_playlists; }

private:
    explicit PlaylistSession(std::unique_ptr<DataFolderSession> data);

    std::unique_ptr<DataFolderSession> m_data;
    SharedPlaylists m_shared;
    Playlists m_playlists;
};

/// The text on one output line: tabs and line breaks become spaces.
QString OneLine(const QString& text);
/// The song's path made absolute.
QString AbsolutePath(const TSong& song);
/// "seq<TAB>songnum<TAB>artist<TAB>title<TAB>path".
QString EntryLine(const PlaylistEntry& entry);
/// A whole number from a command-line argument; throws naming the option when it is not one.
int IntegerArgument(const QString& option, const QString& text);

}  // namespace sw::swtool
