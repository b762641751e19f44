#include "CoreSession.h"

#include <QDir>
#include <QFileInfo>

#include "foundation/Dialogs.h"

namespace sw {

namespace {

bool DataFolderExists(const CoreSession& session) { return QDir(session.paths.dataFolder).exists(); }

}  // namespace

void LoadSettings(CoreSession& session) {
    TransferSettingsFile('G', session.settings, session.paths.settingsFile);
    session.settingsRead = true;
    ActiveDialogs().SetFlashInterval(session.settings.Flashinterval);
    const QString& root = session.settings.Root;
    if (!root.isEmpty() && !QFileInfo(root).isDir()) {
        ShowInfo("MP3 root folder \"" + root + "\" not found");
    }
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
    LoadSettings(session);
}

bool ShutdownSequence(CoreSession& session, const ShutdownHooks& hooks) {
    if (hooks.songPlaying && hooks.songPlaying() &&
        !Confirm("Do you really want to quit program Sonwick3 while a song is playing?")) {
        return false;
    }
    SaveSettings(session);
    if (hooks.savePlacements) {
        hooks.savePlacements();
    }
    return true;
}

}  // namespace sw
