#include "ProgramShutdown.h"

#include "MainWindow.h"
#include "Placements.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {

ProgramShutdown::ProgramShutdown(CoreSession& session, Placements& placements)
    : m_session(session), m_placements(placements) {}

ShutdownHooks ProgramShutdown::Hooks() {
    ShutdownHooks hooks;
    hooks.savePlacements = [this](IniFile& file) { m_placements.SavePlacements(file); };
    return hooks;
}

void ProgramShutdown::AttachTo(MainWindow& window) {
    window.SetCloseRequest([this] { return ShutdownSequence(m_session, Hooks()); });
}

int ProgramShutdown::StopRequested(QTextStream& messages) {
    ScriptedDialogs report(&messages);
    // The flash interval is a setting that the dialogs keep; it is saved with the others.
    report.SetFlashInterval(ActiveDialogs().FlashInterval());
    ScopedDialogs installed(report);
    ShutdownHooks hooks = Hooks();
    hooks.commitOnly = true;
    return EndSession(m_session, hooks) ? 0 : 1;
}

}  // namespace sw
