#pragma once

#include <functional>

#include "Paths.h"
#include "Settings.h"

namespace sw {

/// What the core start-up produces and the shutdown saves: the paths, the settings, the catalogue.
class CoreSession {
public:
    ProgramPaths paths;
    Settings settings;
    /// False until the settings file has been read; unread settings never replace a stored file.
    bool settingsRead = false;
};

/// Reads every setting and applies the ones the foundation keeps (the flash interval).
void LoadSettings(CoreSession& session);
/// Writes every setting. When they were never read, only a missing file is written (with the
/// defaults); a stored file is left alone. Nothing is written when the data folder does not exist.
void SaveSettings(CoreSession& session);

/// The catalogue start-up, run at its place in the creation order.
void CoreStartup(CoreSession& session);

struct ShutdownHooks {
    /// True while a song is playing or has just ended.
    std::function<bool()> songPlaying;
    std::function<void()> savePlacements;
};

/// The main window's close request; false when the user refused it (nothing is saved then).
bool ShutdownSequence(CoreSession& session, const ShutdownHooks& hooks);

}  // namespace sw
