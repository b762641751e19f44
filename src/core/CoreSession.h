#pragma once

#include <functional>

#include "Catalogue.h"
#include "Library.h"
#include "Paths.h"
#include "Settings.h"

namespace sw {

class CatalogueDisplay;

/// What the core start-up produces and the shutdown saves: the paths, the settings, the catalogue.
class CoreSession {
public:
    ProgramPaths paths;
    Settings settings;
    /// False until the settings file has been read; unread settings never replace a stored file.
    bool settingsRead = false;
    Catalogue catalogue;
    Library library{catalogue, settings};
    /// Set when the start-up has just brought the catalogue to the version whose history repair
    /// runs at the first showing of the main window.
    bool healthCheckOnShow = false;
    /// Where the start-up shows the catalogue's labels; may be null.
    CatalogueDisplay* display = nullptr;
};

/// Reads every setting and applies the ones the foundation keeps (the flash interval).
void LoadSettings(CoreSession& session);
/// Writes every setting. When they were never read, only a missing file is written (with the
/// defaults); a stored file is left alone. Nothing is written when the data folder does not exist.
void SaveSettings(CoreSession& session);

/// The catalogue's creation step: the core start-up, then the artist "various" found or created.
void CreateCatalogueStep(CoreSession& session);

/// The catalogue start-up, run at its place in the creation order: paths, the connection, the
/// settings, the catalogue parameters and the version ladder, then the table check. An error stops
/// it where it happened (the caller reports it); in particular the settings stay unread when the
/// catalogue cannot be opened.
void CoreStartup(CoreSession& session);

struct ShutdownHooks {
    /// True while a song is playing or has just ended.
    std::function<bool()> songPlaying;
    std::function<void()> savePlacements;
    /// Commit without closing the connection: for a program that is about to end at once because
    /// the system asked it to, where the database engine's own close does not return.
    bool commitOnly = false;
};

/// The main window's close request; false when the user refused it (nothing is saved then).
bool ShutdownSequence(CoreSession& session, const ShutdownHooks& hooks);

}  // namespace sw
