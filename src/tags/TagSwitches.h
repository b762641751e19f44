#pragma once

#include <span>

#include "core/Settings.h"

namespace sw {

/// A check entry of the Tags menu that switches on tag handling beyond the default, kept in the
/// settings file under its own key. The main window shows these after its other Tags entries, in
/// this order, checked as the setting stands; choosing one flips the setting and reopens the menu.
struct TagSwitch {
    /// The menu entry's caption.
    const char* Caption;
    bool Settings::*Setting;
    /// The option of `swtool tags` that switches it on for one run, or null when the command
    /// always reads as if it were on.
    const char* SwtoolOption;
};

/// "Read and write Unicode tags" (UNICODETAGS) and "Also load FLAC and Opus files" (FLACOPUS).
std::span<const TagSwitch> TagSwitches();

/// The switch whose setting is `setting`; every one is in the list.
const TagSwitch& TagSwitchFor(bool Settings::*setting);

}  // namespace sw
