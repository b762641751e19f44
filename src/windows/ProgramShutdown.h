#pragma once

#include "core/CoreSession.h"

class QTextStream;

namespace sw {

class MainWindow;
class Placements;

/// The jukebox's two ways down. The main window's close request asks before quitting while
/// `CoreSession::songPlaying` says a song plays, then closes the catalogue and saves the settings
/// with the window placements in one write. The stop the system asks for (a signal) asks nothing
/// and reports on a stream instead of in boxes, as nobody may be there to answer one.
class ProgramShutdown {
public:
    ProgramShutdown(CoreSession& session, Placements& placements);

    /// Makes the shutdown sequence the window's close request.
    void AttachTo(MainWindow& window);

    /// The stop asked for by the system: the catalogue committed (the engine's own close is not
    /// waited for), the settings and placements saved, each message written to `messages` as one
    /// line. Returns the exit status: 0 when everything was saved, 1 otherwise.
    int StopRequested(QTextStream& messages);

private:
    ShutdownHooks Hooks();

    CoreSession& m_session;
    Placements& m_placements;
};

}  // namespace sw
