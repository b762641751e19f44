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
};

}  // namespace sw::swtool
