// The library's calls on a stream once it is made: bytes and seconds, its position, length and
// end, and its volume and gain, set, read or slid.
#include <algorithm>
#include <cmath>

#include "AudioFormat.h"
#include "AudioLibraryState.h"

namespace sw {

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

}  // namespace sw
