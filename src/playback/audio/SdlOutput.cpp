#include "SdlOutput.h"

#include <SDL.h>

#include "AudioError.h"
#include "AudioFormat.h"
#include "NullOutput.h"

namespace sw {

namespace {

// 1,024 frames (23 ms) per callback: the device still plays a whole block while the callback for
// the next one waits for a core, so a callback up to 23 ms late (both cores busy with other
// work) makes no gap; a command still sounds within about two blocks.
constexpr Uint16 kBlockFrames = 1024;

QString SdlError() {
    return QString::fromUtf8(SDL_GetError());
}

class SdlAudioSystem {
public:
    SdlAudioSystem() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            throw AudioFailure(AudioError::Driver, "SDL audio: " + SdlError());
        }
    }
    ~SdlAudioSystem() { SDL_QuitSubSystem(SDL_INIT_AUDIO); }
    SdlAudioSystem(const SdlAudioSystem&) = delete;
    SdlAudioSystem& operator=(const SdlAudioSystem&) = delete;
};

SDL_AudioSpec WantedSpec(RenderTarget* target) {
    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = kChannels;
    wanted.samples = kBlockFrames;
    wanted.callback = [](void* user, Uint8* stream, int bytes) {
        static_cast<RenderTarget*>(user)->Render(reinterpret_cast<float*>(stream), bytes / kBytesPerFrame);
    };
    wanted.userdata = target;
    return wanted;
}

class SdlDevice : public OutputDevice {
public:
    // A null name opens SDL's default output. SDL converts to the hardware's format itself.
    SdlDevice(const char* name, RenderTarget& target) {
        const SDL_AudioSpec wanted = WantedSpec(&target);
        SDL_AudioSpec obtained{};
        m_id = SDL_OpenAudioDevice(name, 0, &wanted, &obtained, 0);
        if (m_id == 0) {
            throw AudioFailure(AudioError::Driver, "SDL audio: " + SdlError());
        }
        m_latencyFrames = obtained.samples;
        SDL_PauseAudioDevice(m_id, 0);
    }
    ~SdlDevice() override { SDL_CloseAudioDevice(m_id); }
    SdlDevice(const SdlDevice&) = delete;
    SdlDevice& operator=(const SdlDevice&) = delete;

    bool MayWait() const override { return false; }
    int LatencyFrames() const override { return m_latencyFrames; }

private:
    SDL_AudioDeviceID m_id = 0;
    int m_latencyFrames = 0;
};

class NullTarget : public RenderTarget {
public:
    void Render(float*, int) override {}
};

bool DefaultOpens() {
    NullTarget target;
    try {
        SdlDevice probe(nullptr, target);
        return true;
    } catch (const AudioFailure&) {
        return false;
    }
}

}  // namespace

struct SdlOutput::Impl {
    std::unique_ptr<SdlAudioSystem> system;
    QString initError;
    QStringList names;
    bool onlyDefault = false;
};

SdlOutput::SdlOutput() : m_impl(std::make_unique<Impl>()) {
    try {
        m_impl->system = std::make_unique<SdlAudioSystem>();
    } catch (const AudioFailure& failure) {
        m_impl->initError = QString::fromStdString(failure.what());
    }
}

SdlOutput::~SdlOutput() = default;

QString SdlOutput::InitError() const {
    return m_impl->initError;
}

// SDL looks for devices again on every count.
int SdlOutput::DeviceCount() {
    Impl& d = *m_impl;
    d.names.clear();
    d.onlyDefault = false;
    if (!d.system) {
        return 0;
    }
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, 0);
        d.names << (name ? QString::fromUtf8(name) : QString("Device %1").arg(i + 1));
    }
    if (d.names.isEmpty() && DefaultOpens()) {
        d.names << "Default";
        d.onlyDefault = true;
    }
    return static_cast<int>(d.names.size());
}

QString SdlOutput::DeviceName(int device) {
    if (m_impl->names.isEmpty()) {
        DeviceCount();
    }
    return device >= 1 && device <= m_impl->names.size() ? m_impl->names.at(device - 1) : QString();
}

std::unique_ptr<OutputDevice> SdlOutput::Open(int device, RenderTarget& target) {
    if (device == 0) {
        return OpenSilentDevice(target);
    }
    Impl& d = *m_impl;
    if (d.names.isEmpty()) {
        DeviceCount();
    }
    if (device < 0 || device > d.names.size()) {
        throw AudioFailure(AudioError::Device, QString("No sound output %1").arg(device));
    }
    if (d.onlyDefault) {
        return std::make_unique<SdlDevice>(nullptr, target);
    }
    return std::make_unique<SdlDevice>(d.names.at(device - 1).toUtf8().constData(), target);
}

QString SdlVersion() {
    SDL_version linked{};
    SDL_GetVersion(&linked);
    return QString("%1.%2.%3").arg(linked.major).arg(linked.minor).arg(linked.patch);
}

}  // namespace sw
