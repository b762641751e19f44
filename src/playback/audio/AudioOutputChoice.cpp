#include "AudioOutputChoice.h"

#include <QtGlobal>
#include <stdexcept>

#include "NullOutput.h"
#include "SdlOutput.h"

namespace sw {

AudioOutputKind ChooseAudioOutput(const QString& option, const QString& environment) {
    const QString value = (option.trimmed().isEmpty() ? environment : option).trimmed().toLower();
    if (value.isEmpty() || value == "sdl") {
        return AudioOutputKind::Sdl;
    }
    if (value == "null") {
        return AudioOutputKind::Null;
    }
    throw std::runtime_error(("Unknown audio output \"" + value + "\" (use sdl or null)").toStdString());
}

std::unique_ptr<AudioOutput> MakeAudioOutput(AudioOutputKind kind) {
    if (kind == AudioOutputKind::Null) {
        return std::make_unique<NullOutput>();
    }
    return std::make_unique<SdlOutput>();
}

std::unique_ptr<AudioOutput> MakeAudioOutputForOption(const QString& option) {
    return MakeAudioOutput(ChooseAudioOutput(option, qEnvironmentVariable("SONWICK3_AUDIO")));
}

}  // namespace sw
