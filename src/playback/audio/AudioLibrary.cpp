#include "AudioLibrary.h"

#include <cmath>
#include <system_error>

#include "AudioFormat.h"
#include "MixGraph.h"

namespace sw {

namespace {

// A source plugged in without BASS_MIXER_NORAMPIN fades in over this many frames (3 ms), so
// that starting mid-waveform does not click.
constexpr qint64 kRampInFrames = 128;

thread_local AudioError t_error = AudioError::Ok;
thread_local QString t_errorText;

void Succeed() {
    t_error = AudioError::Ok;
    t_errorText.clear();
}

bool Fail(AudioError code, const QString& text = {}) {
    t_error = code;
    t_errorText = text;
    return false;
}

bool Fail(const AudioFailure& failure) {
    return Fail(failure.Code(), QString::fromStdString(failure.what()));
}

bool IsDecodeStream(const Channel& channel) {
    return !channel.isMixer && (channel.flags & BASS_STREAM_DECODE) != 0;
}

bool ValidVolume(float value) {
    return std::isfinite(value) && value >= 0.0f;
}

}  // namespace

struct AudioLibrary::State {
    std::unique_ptr<AudioOutput> output;
    MixGraph graph;
    int current = -1;
    AudioHandle nextHandle = 1;

    AudioHandle NewHandle() {
        const AudioHandle handle = nextHandle++;
        if (nextHandle == 0) {
            nextHandle = 1;
        }
        return handle;
    }

    // With the lock held: the channel, or a Handle failure.
    Channel* Find(AudioHandle handle) {
        Channel* channel = graph.Find(handle);
        if (!channel) {
            Fail(AudioError::Handle);
        }
        return channel;
    }

    std::shared_ptr<Channel> Share(AudioHandle handle) {
        const auto found = graph.channels.find(handle);
        if (found == graph.channels.end()) {
            Fail(AudioError::Handle);
            return nullptr;
        }
        return found->second;
    }

    Device* CurrentDevice() {
        const auto found = graph.devices.find(current);
        return found == graph.devices.end() ? nullptr : found->second.get();
    }

    // Closes the device and everything created on it. The lock is held only to unlink them; the
    // mixing thread is stopped and the decoders closed after it is released.
    void FreeDevice(int number) {
        std::unique_ptr<Device> device;
        std::vector<std::shared_ptr<Channel>> doomed;
        {
            std::lock_guard lock(graph.mutex);
            const auto found = graph.devices.find(number);
            if (found == graph.devices.end()) {
                return;
            }
            std::vector<AudioHandle> handles;
            for (const auto& [handle, channel] : graph.channels) {
                if (channel->device == number) {
                    handles.push_back(handle);
                }
            }
            for (const AudioHandle handle : handles) {
                doomed.push_back(graph.Remove(handle));
            }
            device = std::move(found->second);
            graph.retiredUnderruns +=
                device->shortRenders + (device->output ? device->output->Underruns() : 0);
            graph.devices.erase(found);
            if (current == number) {
                current = -1;
            }
        }
        device->output.reset();
        doomed.clear();
    }

    bool CheckVolume(const Channel* channel, quint32 attribute) {
        if (!channel) {
            return false;
        }
        if (attribute != BASS_ATTRIB_VOL && attribute != kAttribGain) {
            return Fail(AudioError::IllegalType, "Only the volume and gain attributes exist");
        }
        return true;
    }
};

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

quint64 AudioLibrary::ChannelSeconds2Bytes(AudioHandle handle, double seconds) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    if (!d.Find(handle)) {
        return kAudioAllBits;
    }
    // Far beyond any recording, and still clear of the integer range.
    constexpr double kLongest = 1e12;
    if (!(seconds >= 0.0 && seconds < kLongest)) {
        Fail(AudioError::IllegalParameter);
        return kAudioAllBits;
    }
    // The small allowance keeps a product such as 0.3 × 44100 = 13229.999... on its frame.
    const auto frames = static_cast<quint64>(std::floor(seconds * kSampleRate + 1e-6));
    Succeed();
    return frames * kBytesPerFrame;
}

double AudioLibrary::ChannelBytes2Seconds(AudioHandle handle, quint64 bytes) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    if (!d.Find(handle)) {
        return -1.0;
    }
    Succeed();
    return static_cast<double>(bytes) / (static_cast<double>(kSampleRate) * kBytesPerFrame);
}

bool AudioLibrary::ChannelSetPosition(AudioHandle handle, quint64 position, quint32 mode) {
    State& d = *m_state;
    if (mode != BASS_POS_BYTE) {
        return Fail(AudioError::IllegalType, "Positions are in bytes");
    }
    const auto frame = static_cast<qint64>(std::min<quint64>(position / kBytesPerFrame, quint64{1} << 62));
    std::shared_ptr<Channel> stream;
    {
        std::lock_guard lock(d.graph.mutex);
        stream = d.Share(handle);
        if (!stream) {
            return false;
        }
        if (stream->isMixer) {
            stream->mixedFrames = frame;
            Succeed();
            return true;
        }
    }
    if (frame > stream->stream->LengthFrames()) {
        return Fail(AudioError::Position);
    }
    try {
        stream->stream->SeekToFrame(frame);
    } catch (const AudioFailure& failure) {
        return Fail(failure);
    }
    Succeed();
    return true;
}

quint64 AudioLibrary::ChannelGetPosition(AudioHandle handle, quint32 mode) {
    State& d = *m_state;
    if (mode != BASS_POS_BYTE) {
        Fail(AudioError::IllegalType, "Positions are in bytes");
        return kAudioAllBits;
    }
    std::lock_guard lock(d.graph.mutex);
    const Channel* channel = d.Find(handle);
    if (!channel) {
        return kAudioAllBits;
    }
    const qint64 frames = channel->isMixer ? channel->mixedFrames : channel->stream->PositionFrames();
    Succeed();
    return static_cast<quint64>(frames) * kBytesPerFrame;
}

quint64 AudioLibrary::ChannelGetLength(AudioHandle handle, quint32 mode) {
    State& d = *m_state;
    if (mode != BASS_POS_BYTE) {
        Fail(AudioError::IllegalType, "Lengths are in bytes");
        return kAudioAllBits;
    }
    std::lock_guard lock(d.graph.mutex);
    const Channel* channel = d.Find(handle);
    if (!channel) {
        return kAudioAllBits;
    }
    if (channel->isMixer) {
        Fail(AudioError::NotAvailable, "A mixer has no length");
        return kAudioAllBits;
    }
    Succeed();
    return static_cast<quint64>(channel->stream->LengthFrames()) * kBytesPerFrame;
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

bool AudioLibrary::StreamSetEnd(AudioHandle handle, quint64 position) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    Channel* channel = d.Find(handle);
    if (!channel) {
        return false;
    }
    if (channel->isMixer) {
        return Fail(AudioError::NotAvailable, "A mixer has no end of its own");
    }
    channel->endFrame = position == kAudioAllBits
                            ? -1
                            : static_cast<qint64>(std::min<quint64>(position / kBytesPerFrame, quint64{1} << 62));
    Succeed();
    return true;
}

quint64 AudioLibrary::StreamGetEnd(AudioHandle handle) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    const Channel* channel = d.Find(handle);
    if (!channel) {
        return kAudioAllBits;
    }
    Succeed();
    return channel->endFrame < 0 ? kAudioAllBits : static_cast<quint64>(channel->endFrame) * kBytesPerFrame;
}

bool AudioLibrary::ChannelGetAttribute(AudioHandle handle, quint32 attribute, float* value) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    const Channel* channel = d.Find(handle);
    if (!d.CheckVolume(channel, attribute)) {
        return false;
    }
    if (!value) {
        return Fail(AudioError::IllegalParameter);
    }
    *value = attribute == kAttribGain ? channel->gain : channel->volume.Value();
    Succeed();
    return true;
}

bool AudioLibrary::ChannelSetAttribute(AudioHandle handle, quint32 attribute, float value) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    Channel* channel = d.Find(handle);
    if (!d.CheckVolume(channel, attribute)) {
        return false;
    }
    if (!ValidVolume(value)) {
        return Fail(AudioError::IllegalParameter, "A volume is 0 or more");
    }
    if (attribute == kAttribGain) {
        channel->gain = value;
    } else {
        channel->volume.Set(value);
    }
    Succeed();
    return true;
}

bool AudioLibrary::ChannelSlideAttribute(AudioHandle handle, quint32 attribute, float value,
                                         quint32 milliseconds) {
    State& d = *m_state;
    std::lock_guard lock(d.graph.mutex);
    Channel* channel = d.Find(handle);
    const quint32 shape = attribute & kSlideEqualPower;
    if (!d.CheckVolume(channel, attribute & ~kSlideEqualPower)) {
        return false;
    }
    if ((attribute & ~kSlideEqualPower) != BASS_ATTRIB_VOL) {
        return Fail(AudioError::IllegalType, "Only the volume slides");
    }
    if (!ValidVolume(value)) {
        return Fail(AudioError::IllegalParameter, "A volume is 0 or more");
    }
    channel->volume.SlideTo(value, SlideFrames(milliseconds),
                            shape != 0 ? SlideShape::EqualPower : SlideShape::Linear);
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
