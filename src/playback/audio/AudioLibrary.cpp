#include "AudioLibrary.h"

#include <system_error>

#include "AudioFormat.h"
#include "AudioLibraryState.h"

namespace sw {

namespace {

// A source plugged in without BASS_MIXER_NORAMPIN fades in over this many frames (3 ms), so
// that starting mid-waveform does not click.
constexpr qint64 kRampInFrames = 128;

thread_local AudioError t_error = AudioError::Ok;
thread_local QString t_errorText;

}  // namespace

void Succeed() {
    t_error = AudioError::Ok;
    t_errorText.clear();
}

bool Fail(AudioError code, const QString& text) {
    t_error = code;
    t_errorText = text;
    return false;
}

bool Fail(const AudioFailure& failure) {
    return Fail(failure.Code(), QString::fromStdString(failure.what()));
}

AudioLibrary::AudioLibrary(std::unique_ptr<AudioOutput> output) : m_state(std::make_unique<State>()) {
    m_state->output = std::move(output);
}

AudioLibrary::~AudioLibrary() {
    std::vector<int> numbers;
    {
        std::lock_guard lock(m_state->graph.mutex);
        for (const auto& [number, device] : m_state->graph.devices) {
            numbers.push_back(number);
        }
    }
    for (const int number : numbers) {
        m_state->FreeDevice(number);
    }
}

bool AudioLibrary::GetDeviceInfo(int device, AudioDeviceInfo* info) {
    if (!info) {
        return Fail(AudioError::IllegalParameter);
    }
    if (device == 0) {
        info->name = "No sound";
        Succeed();
        return true;
    }
    if (device < 1 || device > m_state->output->DeviceCount()) {
        return Fail(AudioError::Device);
    }
    info->name = m_state->output->DeviceName(device);
    Succeed();
    return true;
}

bool AudioLibrary::Init(int device, quint32 frequency) {
    State& d = *m_state;
    if (frequency != kSampleRate) {
        return Fail(AudioError::Format, "The output runs at 44100 Hz");
    }
    if (device < 0 || (device > 0 && device > d.output->DeviceCount())) {
        return Fail(AudioError::Device);
    }
    {
        std::lock_guard lock(d.graph.mutex);
        if (d.graph.devices.count(device) != 0) {
            return Fail(AudioError::Already);
        }
    }
    auto opened = std::make_unique<Device>(d.graph, device);
    std::unique_ptr<OutputDevice> output;
    try {
        output = d.output->Open(device, *opened);
    } catch (const AudioFailure& failure) {
        return Fail(failure);
    }
    std::lock_guard lock(d.graph.mutex);
    opened->mayWait = output->MayWait();
    opened->output = std::move(output);
    opened->ready = true;
    d.graph.devices[device] = std::move(opened);
    d.current = device;
    Succeed();
    return true;
}

bool AudioLibrary::SetDevice(int device) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    if (d.graph.devices.count(device) == 0) {
        return Fail(device < 0 ? AudioError::Device : AudioError::Init);
    }
    d.current = device;
    Succeed();
    return true;
}

bool AudioLibrary::Free() {
    State& d = *m_state;
    int number = -1;
    {
        std::lock_guard lock(d.graph.mutex);
        if (!d.CurrentDevice()) {
            return Fail(AudioError::Init);
        }
        number = d.current;
    }
    d.FreeDevice(number);
    Succeed();
    return true;
}

AudioHandle AudioLibrary::MixerStreamCreate(quint32 frequency, quint32 channels, quint32 flags) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    Device* device = d.CurrentDevice();
    if (!device) {
        Fail(AudioError::Init);
        return 0;
    }
    if (frequency != kSampleRate || channels != kChannels) {
        Fail(AudioError::Format, "Mixers run at 44100 Hz stereo");
        return 0;
    }
    auto mixer = std::make_shared<Channel>();
    mixer->handle = d.NewHandle();
    mixer->device = device->number;
    mixer->isMixer = true;
    mixer->flags = flags;
    d.graph.channels[mixer->handle] = mixer;
    device->channels.push_back(mixer.get());
    Succeed();
    return mixer->handle;
}

bool AudioLibrary::MixerStreamAddChannel(AudioHandle mixerHandle, AudioHandle streamHandle, quint32 flags) {
    State& d = *m_state;
    // Checks first, then the decoder's first fill without the lock, then the plugging in.
    auto check = [&](std::shared_ptr<Channel>* stream) {
        Channel* mixer = d.Find(mixerHandle);
        if (!mixer) {
            return static_cast<Channel*>(nullptr);
        }
        if (!mixer->isMixer) {
            Fail(AudioError::Handle, "Not a mixer");
            return static_cast<Channel*>(nullptr);
        }
        *stream = d.Share(streamHandle);
        if (!*stream) {
            return static_cast<Channel*>(nullptr);
        }
        if (!IsDecodeStream(**stream)) {
            Fail(AudioError::Decode, "Only decoding streams feed a mixer");
            return static_cast<Channel*>(nullptr);
        }
        if ((*stream)->mixer) {
            Fail(AudioError::Already, "The stream is already in a mixer");
            return static_cast<Channel*>(nullptr);
        }
        return mixer;
    };
    std::shared_ptr<Channel> stream;
    {
        std::lock_guard lock(d.graph.mutex);
        if (!check(&stream)) {
            return false;
        }
    }
    try {
        stream->stream->Start();
    } catch (const std::system_error& error) {
        return Fail(AudioError::Unknown, QString::fromStdString(error.what()));
    }
    std::lock_guard lock(d.graph.mutex);
    Channel* mixer = check(&stream);
    if (!mixer) {
        return false;
    }
    stream->mixer = mixer;
    stream->autoFree = (flags & BASS_STREAM_AUTOFREE) != 0;
    stream->endSeen = false;
    stream->queued = (flags & BASS_MIXER_CHAN_QUEUED) != 0;
    if ((flags & BASS_MIXER_NORAMPIN) != 0) {
        stream->rampIn.Set(1.0f);
    } else {
        stream->rampIn.Set(0.0f);
        stream->rampIn.SlideTo(1.0f, kRampInFrames);
    }
    mixer->sources.push_back(stream.get());
    Succeed();
    return true;
}

AudioHandle AudioLibrary::StreamCreateFile(const QString& path, quint32 flags) {
    State& d = *m_state;
    int number = -1;
    {
        std::lock_guard lock(d.graph.mutex);
        if (!d.CurrentDevice()) {
            Fail(AudioError::Init);
            return 0;
        }
        number = d.current;
    }
    std::unique_ptr<DecodeStream> decoder;
    try {
        decoder = std::make_unique<DecodeStream>(path);
    } catch (const AudioFailure& failure) {
        Fail(failure);
        return 0;
    }
    std::lock_guard lock(d.graph.mutex);
    const auto device = d.graph.devices.find(number);
    if (device == d.graph.devices.end()) {
        Fail(AudioError::Init);
        return 0;
    }
    auto stream = std::make_shared<Channel>();
    stream->handle = d.NewHandle();
    stream->device = number;
    stream->flags = flags;
    stream->stream = std::move(decoder);
    d.graph.channels[stream->handle] = stream;
    if (!IsDecodeStream(*stream)) {
        stream->autoFree = (flags & BASS_STREAM_AUTOFREE) != 0;
        device->second->channels.push_back(stream.get());
    }
    Succeed();
    return stream->handle;
}

bool AudioLibrary::StreamFree(AudioHandle handle) {
    State& d = *m_state;
    std::shared_ptr<Channel> doomed;
    {
        std::lock_guard lock(d.graph.mutex);
        doomed = d.graph.Remove(handle);
        if (!doomed) {
            return Fail(AudioError::Handle);
        }
    }
    doomed.reset();
    Succeed();
    return true;
}

AudioHandle AudioLibrary::ChannelSetSync(AudioHandle handle, quint32 type, SyncProc proc) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    Channel* channel = d.Find(handle);
    if (!channel) {
        return 0;
    }
    if ((type & ~BASS_SYNC_MIXTIME) != BASS_SYNC_END) {
        Fail(AudioError::IllegalType, "Only the end of a channel can be synchronised with");
        return 0;
    }
    if (!proc) {
        Fail(AudioError::IllegalParameter);
        return 0;
    }
    const AudioHandle sync = d.NewHandle();
    channel->syncs.push_back(Sync{sync, std::make_shared<const SyncProc>(std::move(proc))});
    Succeed();
    return sync;
}

bool AudioLibrary::ChannelPlay(AudioHandle handle, bool restart) {
    State& d = *m_state;
    std::shared_ptr<Channel> stream;
    {
        std::lock_guard lock(d.graph.mutex);
        stream = d.Share(handle);
        if (!stream) {
            return false;
        }
        if (IsDecodeStream(*stream)) {
            return Fail(AudioError::Decode, "A decoding stream plays through a mixer");
        }
        if (stream->isMixer) {
            if (restart) {
                stream->mixedFrames = 0;
            }
            stream->state = PlayState::Playing;
            stream->endSeen = false;
            Succeed();
            return true;
        }
    }
    try {
        stream->stream->Start();
        if (restart || stream->stream->Ended()) {
            stream->stream->SeekToFrame(0);
        }
    } catch (const AudioFailure& failure) {
        return Fail(failure);
    } catch (const std::system_error& error) {
        return Fail(AudioError::Unknown, QString::fromStdString(error.what()));
    }
    std::lock_guard lock(d.graph.mutex);
    if (!d.Find(handle)) {
        return false;
    }
    stream->state = PlayState::Playing;
    stream->endSeen = false;
    Succeed();
    return true;
}

bool AudioLibrary::ChannelPause(AudioHandle handle) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    Channel* channel = d.Find(handle);
    if (!channel) {
        return false;
    }
    if (IsDecodeStream(*channel)) {
        return Fail(AudioError::Decode);
    }
    if (channel->state == PlayState::Paused) {
        return Fail(AudioError::Already);
    }
    if (channel->state != PlayState::Playing) {
        return Fail(AudioError::NotPlaying);
    }
    channel->state = PlayState::Paused;
    Succeed();
    return true;
}

bool AudioLibrary::ChannelStop(AudioHandle handle) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    Channel* channel = d.Find(handle);
    if (!channel) {
        return false;
    }
    if (IsDecodeStream(*channel)) {
        return Fail(AudioError::Decode);
    }
    channel->state = PlayState::Stopped;
    Succeed();
    return true;
}

int AudioLibrary::ErrorGetCode() const {
    return static_cast<int>(t_error);
}

QString AudioLibrary::ErrorGetText() const {
    return t_errorText;
}

quint64 AudioLibrary::UnderrunCount() const {
    std::lock_guard lock(m_state->graph.mutex);
    quint64 total = m_state->graph.retiredUnderruns;
    for (const auto& [number, device] : m_state->graph.devices) {
        total += device->shortRenders + (device->output ? device->output->Underruns() : 0);
    }
    return total;
}

}  // namespace sw
