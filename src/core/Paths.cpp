#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <stdexcept>

#include "Firebird.h"
#include "foundation/Text.h"

namespace sw {

namespace {

ProgramPaths g_paths;

QString AsFolder(QString folder) {
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    AddTrailingBackslash(folder);
    return folder;
}

}  // namespace

QString ChooseProgramFolder(const ProgramFolderSources& sources) {
    if (!sources.homeOption.isEmpty()) {
        return AsFolder(sources.homeOption);
    }
    if (!sources.homeEnvironment.isEmpty()) {
        return AsFolder(sources.homeEnvironment);
    }
    if (!sources.executableFolder.isEmpty() && QFileInfo(sources.executableFolder + "/SW3DATA").isDir()) {
        return AsFolder(sources.executableFolder);
    }
    const QString dataHome =
        sources.xdgDataHome.isEmpty() ? sources.userHome + "/.local/share" : sources.xdgDataHome;
    return AsFolder(dataHome + "/sonwick3");
}

ProgramFolderSources CurrentFolderSources(const QString& homeOption) {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    ProgramFolderSources sources;
    sources.homeOption = homeOption;
    sources.homeEnvironment = env.value("SONWICK3_HOME");
    sources.executableFolder =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    sources.xdgDataHome = env.value("XDG_DATA_HOME");
    sources.userHome = env.value("HOME", QDir::homePath());
    return sources;
}

QString ExistingSpelling(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) {
        return path;
    }
    const QDir folder = info.dir();
    const QStringList matches =
        folder.entryList({info.fileName()}, QDir::AllEntries | QDir::Hidden | QDir::System);
    // entryList matches wildcards without regard to case; keep only a true case-insensitive twin.
    QStringList twins;
    for (const QString& name : matches) {
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0) {
            twins << name;
        }
    }
    return twins.size() == 1 ? folder.filePath(twins.front()) : path;
}

ProgramPaths MakeProgramPaths(const QString& programFolder) {
    ProgramPaths paths;
    paths.programFolder = programFolder;
    AddTrailingBackslash(paths.programFolder);
    paths.dataFolder = paths.programFolder + "SW3DATA/";
    paths.settingsFile = paths.dataFolder + "SONWICK3.INI";
    paths.genreFile = paths.dataFolder + "GENRES.INI";
    paths.catalogueFile = ExistingSpelling(paths.dataFolder + "SONGS.FDB");
    paths.lockFile = paths.programFolder + "LOCK.TXT";
    paths.notepadFile = paths.programFolder + "NPAD.TXT";
    paths.engineLockFolder = paths.dataFolder + "firebird-lock/";
    return paths;
}

const ProgramPaths& Paths() {
    return g_paths;
}

void SetProgramFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) {
        throw std::runtime_error(("Cannot create the program folder " + folder).toStdString());
    }
    g_paths = MakeProgramPaths(folder);
    fb::SetLockFolder(g_paths.engineLockFolder);
}

void SetProgramFolder(const ProgramFolderSources& sources) {
    const QString folder = ChooseProgramFolder(sources);
    if (!sources.homeOption.isEmpty() && !QFileInfo(folder).isDir()) {
        throw std::runtime_error(("Program folder " + QuoteDouble(folder) + " not found").toStdString());
    }
    SetProgramFolder(folder);
}

QString ProgramFolder() {
    return g_paths.programFolder;
}

QString DataFolder() {
    return g_paths.dataFolder;
}

}  // namespace sw
