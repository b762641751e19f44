#pragma once

#include <functional>
#include <optional>

#include "core/CoreSession.h"

class QTextStream;
class QWidget;

namespace sw {

class MainWindow;
class Placements;
class PlaybackEngine;
class PreviewController;
class QueueKeeper;

/// The one place that decides when the jukebox ends, and the jukebox's two ways down.
///
/// The program ends when, and only when, the main window's close is accepted, whatever else is open.
/// The close request asks before quitting while `CoreSession::songPlaying` says a song plays; once
/// accepted, every other window closes (its own close handler runs: a running load or check stops,
/// the notepad saves) and the event loop is left. What follows the loop (EndProgram) fades out and
/// stops the music, commits and closes the catalogue and saves the settings with the window
/// placements in one write. The catalogue stays open until then, so that a load or check
/// unwinding from its own event pass still finds it.
///
/// The stop the system asks for (a signal) asks nothing and reports on a stream instead of in
/// boxes, as nobody may be there to answer one.
class ProgramShutdown {
public:
    ProgramShutdown(CoreSession& session, Placements& placements);

    /// Makes the shutdown sequence the window's close request and that close the program's only
    /// end: closing any other window, even the last one on show, leaves the program running.
    void AttachTo(MainWindow& window);

    /// Leaves the event loop; called once, when the main window's close has been accepted.
    void SetLeaveEventLoop(std::function<void()> leave) { m_leaveEventLoop = std::move(leave); }
    /// The music that EndProgram fades out and stops; none until the engine exists.
    void SetPlayback(PlaybackEngine* engine, PreviewController* preview);
    /// Where the queue is kept for the next run; written on both ways down, before the music stops.
    void SetQueueKeeper(QueueKeeper* keeper) { m_queueKeeper = keeper; }

    /// True once the main window's close has been accepted.
    bool Ending() const { return m_ending; }

    /// What the program does after its event loop: any window still open closed, the music faded
    /// out and stopped, the catalogue committed and closed, the settings and placements saved.
    /// Returns the exit status: 0 when everything was saved, 1 otherwise. Runs once; later calls
    /// return the same status.
    int EndProgram();

    /// The stop asked for by the system: the catalogue committed (the engine's own close is not
    /// waited for), the settings and placements saved, each message written to `messages` as one
    /// line. Returns the exit status: 0 when everything was saved, 1 otherwise.
    int StopRequested(QTextStream& messages);

private:
    ShutdownHooks Hooks();
    /// The main window's close request: false when the user chose to go on.
    bool CloseRequested();
    void CloseOtherWindows();
    void StopMusic();

    CoreSession& m_session;
    Placements& m_placements;
    QWidget* m_mainWindow = nullptr;
    std::function<void()> m_leaveEventLoop;
    PlaybackEngine* m_engine = nullptr;
    PreviewController* m_preview = nullptr;
    QueueKeeper* m_queueKeeper = nullptr;
    bool m_ending = false;
    std::optional<int> m_status;
};

}  // namespace sw
