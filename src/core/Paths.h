#pragma once

#include <QString>

namespace sw {

inline constexpr char kApplicationTitle[] = "Sonwick3";

/// Where the program keeps its files. Every folder ends with "/".
struct ProgramPaths {
    QString programFolder;
    QString dataFolder;
    QString settingsFile;
    QString genreFile;
    QString catalogueFile;
    QString lockFile;
    QString notepadFile;
    /// Where the database engine keeps its lock files: beside the catalogue, so that every program
    /// on this catalogue (sonwick3, swtool, swconv) shares them, and writable by its user.
    QString engineLockFolder;
};

/// What decides the program folder, in order of precedence.
struct ProgramFolderSources {
    QString homeOption;       ///< --home DIR
    QString homeEnvironment;  ///< $SONWICK3_HOME
    QString executableFolder;
    QString xdgDataHome;  ///< $XDG_DATA_HOME
    QString userHome;     ///< $HOME
};

/// The --home option, else $SONWICK3_HOME, else the executable's folder when it holds "SW3DATA"
/// (a portable install), else $XDG_DATA_HOME/sonwick3/ (default ~/.local/share/sonwick3/).
QString ChooseProgramFolder(const ProgramFolderSources& sources);

/// The sources of this process: its environment and executable, and the given --home option.
ProgramFolderSources CurrentFolderSources(const QString& homeOption);

/// All paths below a program folder. The catalogue file is spelled as on disk when a file of that
/// name exists in another letter case.
ProgramPaths MakeProgramPaths(const QString& programFolder);

/// The paths of this run, fixed once at start-up by SetProgramFolder.
const ProgramPaths& Paths();
/// Fixes the program folder for the rest of the run, creating it when missing, and the database
/// engine's lock folder (before the first connection). Throws when it cannot be created.
void SetProgramFolder(const QString& folder);
/// As above, for the folder the sources choose; a folder named by --home must exist (it is not
/// created, so that a mistyped name is reported: "Program folder "<folder>" not found").
void SetProgramFolder(const ProgramFolderSources& sources);
QString ProgramFolder();
QString DataFolder();

/// The path spelled as the file system spells it, when a single entry of its folder matches its
/// name without regard to case; otherwise the path unchanged.
QString ExistingSpelling(const QString& path);

}  // namespace sw
