#pragma once

#include <QString>
#include <memory>

#include "AudioOutput.h"

namespace sw {

enum class AudioOutputKind { Sdl, Null };

/// The output named by the program option (--audio), else by SONWICK3_AUDIO, else SDL. Values
/// are "sdl" and "null", in any letter case; an empty value passes to the next source. Throws
/// std::runtime_error for any other value.
AudioOutputKind ChooseAudioOutput(const QString& option, const QString& environment);

std::unique_ptr<AudioOutput> MakeAudioOutput(AudioOutputKind kind);

/// ChooseAudioOutput with this process's SONWICK3_AUDIO, then MakeAudioOutput.
std::unique_ptr<AudioOutput> MakeAudioOutputForOption(const QString& option);

}  // namespace sw
