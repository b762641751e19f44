#include "CoreSession.h"

#include <QDir>
#include <QFileInfo>

#include "CatalogueCreation.h"
#include "CatalogueDisplay.h"
#include "CreationOrder.h"
#include "IniFile.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

bool DataFolderExists(const CoreSession& session) {
    return QDir(session.paths.dataFolder).exists();
}

}  // namespace

void LoadSettings(CoreSession& session) {
    try {
        TransferSettingsFile('G', session.settings, session.paths.settingsFile);
        session.settingsRead = true;
    } catch (const std::exception& error) {
        // The catalogue does not depend on the settings file: start-up goes on with the defaults.
        session.settings = DefaultSettings();
        session.settingsUnreadable = true;
        ShowInfo(ErrorText(error) + ". The default settings are used; the file is left as it is.");
    }
    AddTrailingBackslash(session.settings.Root);  // stored names stay relative to it
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

bool SaveSettings(CoreSession& session, const SettingsWriter& alsoWrite) {
    if (!DataFolderExists(session)) {
        return true;
    }
    const QString& path = session.paths.settingsFile;
    // A link to a missing file counts as a stored file too: nothing may replace what was not read.
    if (!session.settingsRead && (QFileInfo::exists(path) || QFileInfo(path).isSymLink())) {
        return true;
    }
    try {
        IniFile file(path);
        if (session.settingsRead) {
            session.settings.Flashinterval = ActiveDialogs().FlashInterval();
            TransferSettings('S', session.settings, file);
        } else {
            Settings defaults = DefaultSettings();
            TransferSettings('S', defaults, file);
        }
        if (alsoWrite) {
            alsoWrite(file);
        }
        file.Save();
        return true;
    } catch (const std::exception& error) {
        ShowInfo("The settings were not saved: " + ErrorText(error));
        return false;
    }
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
    session.paths = MakeProgramPaths(ProgramFolder());
    const QFileInfo catalogue(session.paths.catalogueFile);
    if (!catalogue.exists() && !catalogue.isSymLink()) {
        if (!Confirm("No catalogue in " + QuoteDouble(session.paths.dataFolder) + ". Create an empty one?")) {
            return;
        }
        CreateNewCatalogue(session.paths.dataFolder);
    }
    CoreStartup(session);
    session.library.artists.InitVariousArtist();
}

bool ConfirmQuit(const CoreSession& session) {
    return !(session.songPlaying && session.songPlaying()) ||
           Confirm("Do you really want to quit program Sonwick3 while a song is playing?");
}

bool ShutdownSequence(CoreSession& session, const ShutdownHooks& hooks) {
    if (!ConfirmQuit(session)) {
        return false;
    }
    EndSession(session, hooks);
    return true;
}

bool EndSession(CoreSession& session, const ShutdownHooks& hooks) {
    bool complete = true;
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
        complete = false;
    }
    // Settings that were never read leave a stored file alone, placements included.
    return SaveSettings(session, hooks.savePlacements) && complete;
}

}  // namespace sw
