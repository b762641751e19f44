#include "ProgramShutdown.h"

#include <QApplication>
#include <QPointer>
#include <vector>

#include "MainWindow.h"
#include "Placements.h"
#include "core/CreationOrder.h"
#include "foundation/Dialogs.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/PlaybackEngine.h"
#include "playback/Preview.h"
#include "playback/QueueKeeper.h"

namespace sw {

ProgramShutdown::ProgramShutdown(CoreSession& session, Placements& placements)
    : m_session(session), m_placements(placements) {}

ShutdownHooks ProgramShutdown::Hooks() {
    ShutdownHooks hooks;
    hooks.savePlacements = [this](IniFile& file) { m_placements.SavePlacements(file); };
    return hooks;
}

void ProgramShutdown::AttachTo(MainWindow& window) {
    m_mainWindow = &window;
    // Qt's own rule, the last window closed ends the program, let any window still on show keep
    // the program running after the main window had gone.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    window.SetCloseRequest([this] { return CloseRequested(); });
}

void ProgramShutdown::SetPlayback(PlaybackEngine* engine, PreviewController* preview) {
    m_engine = engine;
    m_preview = preview;
}

bool ProgramShutdown::CloseRequested() {
    // A second close while the first is under way (a window's own question is open) adds nothing.
    if (m_ending) {
        return true;
    }
    if (!ConfirmQuit(m_session)) {
        return false;
    }
    m_ending = true;
    CloseOtherWindows();
    if (m_leaveEventLoop) {
        m_leaveEventLoop();
    }
    return true;
}

void ProgramShutdown::CloseOtherWindows() {
    // A close handler may open a box of its own, so the windows are held by guarded pointers.
    std::vector<QPointer<QWidget>> open;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != m_mainWindow && window->isVisible()) {
            open.emplace_back(window);
        }
    }
    for (const QPointer<QWidget>& window : open) {
        if (window && window->isVisible()) {
            window->close();
        }
    }
    // A window that refuses its close, or one a close handler brought up, goes all the same.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != m_mainWindow && window->isVisible()) {
            window->hide();
        }
    }
}

void ProgramShutdown::StopMusic() {
    if (m_preview) {
        m_preview->StopPreview();
    }
    if (!m_engine) {
        return;
    }
    // The room hears the song fade rather than break off; a paused song stops where it is.
    if (m_engine->State() == PlaybackState::Playing) {
        m_engine->FadeOutMaster();
    }
    m_engine->StopPlayback();
}

int ProgramShutdown::EndProgram() {
    if (m_status) {
        return *m_status;
    }
    m_ending = true;
    // What the end of a load or check showed while it unwound closes too.
    CloseOtherWindows();
    // The music stops before the catalogue closes: what stopping writes (a tag parked while its
    // file played) still finds it. The queue is kept first, with the playing song's place.
    try {
        if (m_queueKeeper) {
            m_queueKeeper->ProgramEnding();
        }
        StopMusic();
    } catch (...) {
        ShowCurrentException();
    }
    m_status = EndSession(m_session, Hooks()) ? 0 : 1;
    return *m_status;
}

int ProgramShutdown::StopRequested(QTextStream& messages) {
    ScriptedDialogs report(&messages);
    // The flash interval is a setting that the dialogs keep; it is saved with the others.
    report.SetFlashInterval(ActiveDialogs().FlashInterval());
    ScopedDialogs installed(report);
    if (m_queueKeeper) {
        m_queueKeeper->ProgramEnding();
    }
    ShutdownHooks hooks = Hooks();
    hooks.commitOnly = true;
    return EndSession(m_session, hooks) ? 0 : 1;
}

}  // namespace sw
