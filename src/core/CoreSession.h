#pragma once

#include <functional>

#include "Catalogue.h"
#include "Library.h"
#include "Paths.h"
#include "Settings.h"

namespace sw {

class CatalogueDisplay;
class IniFile;

/// What the core start-up produces and the shutdown saves: the paths, the settings, the catalogue.
class CoreSession {
public:
    ProgramPaths paths;
    Settings settings;
    /// False until the settings file has been read; unread settings never replace a stored file.
    bool settingsRead = false;
    /// Set when the settings file was there but could not be read (reported once; the defaults
    /// are used and the file is left alone).
    bool settingsUnreadable = false;
    Catalogue catalogue;
    Library library{catalogue, settings};
    /// Set when the start-up has just brought the catalogue to the version whose history repair
    /// runs at the first showing of the main window.
    bool healthCheckOnShow = false;
    /// Where the start-up shows the catalogue's labels; may be null.
    CatalogueDisplay* display = nullptr;
    /// True while a song is playing or has just ended and the next one is being started; the
    /// now-playing window sets it when it is created. The close request asks before quitting then.
    std::function<bool()> songPlaying;
};

/// Writes one more part of the settings file (the window placements) in the same save.
using SettingsWriter = std::function<void(IniFile&)>;

/// Reads every setting and applies the ones the foundation keeps (the flash interval). A file that
/// cannot be read is reported once; the defaults are used then and the file is left alone.
void LoadSettings(CoreSession& session);
/// Writes every setting, and what `alsoWrite` adds, in one save. When they were never read, only a
/// missing file is written (with the defaults); a stored file is left alone. Nothing is written
/// when the data folder does not exist. A save that fails is reported in one message; returns
/// false then.
bool SaveSettings(CoreSession& session, const SettingsWriter& alsoWrite = {});

/// The catalogue's creation step: a program folder without a catalogue offers to create an empty
/// one (declined: the step ends there); then the core start-up, then the artist "various" found
/// or created.
void CreateCatalogueStep(CoreSession& session);

/// The catalogue start-up, run at its place in the creation order: paths, the connection, the
/// settings, the catalogue parameters and the version ladder, then the table check. An error stops
/// it where it happened (the caller reports it); in particular the settings stay unread when the
/// catalogue cannot be opened.
void CoreStartup(CoreSession& session);

struct ShutdownHooks {
    /// Writes the window placements into the settings file being saved.
    SettingsWriter savePlacements;
    /// Commit without closing the connection: for a program that is about to end at once because
    /// the system asked it to, where the database engine's own close does not return.
    bool commitOnly = false;
};

/// Asks whether to quit while `session.songPlaying` says a song plays; true when the program may end.
bool ConfirmQuit(const CoreSession& session);

/// The main window's close request: asks first while `session.songPlaying` says so; false when
/// the user refused (nothing is saved then). Otherwise EndSession, and true.
bool ShutdownSequence(CoreSession& session, const ShutdownHooks& hooks);

/// The shutdown without the question: the catalogue committed and closed, then the settings and
/// window placements saved. Each failure is reported and the rest still runs; returns false when
/// anything could not be committed or saved.
bool EndSession(CoreSession& session, const ShutdownHooks& hooks);

}  // namespace sw
