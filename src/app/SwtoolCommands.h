#pragma once

#include <QStringList>

namespace sw::swtool {

/// A swtool command: its arguments (after the command name) in, the exit status out. Errors escape
/// as exceptions and are printed by main.
using Command = int (*)(const QStringList& arguments);

struct CommandEntry {
    const char* name;
    const char* usage;
    Command run;
    /// False for a command that works on its arguments alone: the program folder (and --home)
    /// is then neither looked for nor checked.
    bool usesProgramFolder = true;
};

/// remap OLD NEW: the stored paths in folder OLD, and the music root, moved to NEW.
int RunRemap(const QStringList& arguments);  // SwtoolRemap.cpp

}  // namespace sw::swtool
