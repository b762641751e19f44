#include "TagSwitches.h"

#include <array>
#include <stdexcept>

namespace sw {

namespace {

constexpr std::array<TagSwitch, 2> kTagSwitches = {{
    {"Read and write Unicode tags", &Settings::UNICODETAGS, "--unicode"},
    {"Also load FLAC and Opus files", &Settings::FLACOPUS, nullptr},
}};

}  // namespace

std::span<const TagSwitch> TagSwitches() {
    return kTagSwitches;
}

const TagSwitch& TagSwitchFor(bool Settings::*setting) {
    for (const TagSwitch& entry : kTagSwitches) {
        if (entry.Setting == setting) {
            return entry;
        }
    }
    throw std::logic_error("no tag switch for this setting");
}

}  // namespace sw
