#include "CoreSession.h"

#include <QDir>
#include <QFileInfo>

#include "CatalogueDisplay.h"
#include "CreationOrder.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

bool DataFolderExists(const CoreSession& session) {
    return QDir(session.paths.dataFolder).exists();
}

}  // namespace

void LoadSettings(CoreSession& session) {
    TransferSettingsFile('G', session.settings, session.paths.settingsFile);
    AddTrailingBackslash(session.settings.Root);  // stored names stay relative to it
    session.settingsRead = true;
    ActiveDialogs().SetFlashInterval(session.settings.Flashinterval);
    const QString& root = session.settings.Root;
    if (!root.isEmpty() && !QFileInfo(root).isDir()) {
        ShowInfo("MP3 root folder \"" + root + "\" not found");
    }
    if (session.display) {
        session.display->ShowCatalogueLabels();
        session.library.size.SetDisplay([&session] { session.display->ShowJukeboxSize(); });
    }
    session.library.size.InitJukeboxSize();
}

void SaveSettings(CoreSession& session) {
    if (!DataFolderExists(session)) {
        return;
    }
    if (!session.settingsRead) {
        if (QFileInfo::exists(session.paths.settingsFile)) {
            return;
        }
        Settings defaults;
        TransferSettingsFile('G', defaults, session.paths.settingsFile);
        TransferSettingsFile('S', defaults, session.paths.settingsFile);
        return;
    }
    session.settings.Flashinterval = ActiveDialogs().FlashInterval();
    TransferSettingsFile('S', session.settings, session.paths.settingsFile);
}

void CoreStartup(CoreSession& session) {
    session.paths = MakeProgramPaths(ProgramFolder());
    session.catalogue.Open(session.paths.catalogueFile);
    LoadSettings(session);
    session.catalogue.ReadParams();
    session.healthCheckOnShow = session.catalogue.UpgradeCatalogue();
    if (session.display) {
        session.display->ShowCatalogueVersion();
        session.display->ShowCatalogueLabels();
    }
    session.catalogue.OpenTableCursors();
}

void CreateCatalogueStep(CoreSession& session) {
    CoreStartup(session);
    session.library.artists.InitVariousArtist();
}

bool ShutdownSequence(CoreSession& session, const ShutdownHooks& hooks) {
    if (hooks.songPlaying && hooks.songPlaying() &&
        !Confirm("Do you really want to quit program Sonwick3 while a song is playing?")) {
        return false;
    }
    // A failing final commit is reported, but the settings are still saved and the program ends.
    try {
        if (hooks.commitOnly) {
            if (session.catalogue.IsOpen()) {
                session.catalogue.CommitAndContinue();
            }
        } else {
            session.catalogue.CloseCatalogue();
        }
    } catch (...) {
        ShowCurrentException();
    }
    // Settings that were never read must not touch a stored file, not even its placements.
    const bool storedFileUntouchable = !session.settingsRead && QFileInfo::exists(session.paths.settingsFile);
    SaveSettings(session);
    if (hooks.savePlacements && !storedFileUntouchable) {
        hooks.savePlacements();
    }
    return true;
}

}  // namespace sw
