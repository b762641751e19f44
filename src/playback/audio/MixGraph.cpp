#include "MixGraph.h"

#include <algorithm>

#include "AudioFormat.h"

namespace sw {

namespace {

constexpr int kBlockFrames = 1024;
constexpr size_t kMaxEndsPerRender = 64;

template <typename T>
void EraseValue(std::vector<T>& values, const T& value) {
    values.erase(std::remove(values.begin(), values.end(), value), values.end());
}

}  // namespace

Device::Device(MixGraph& graph, int deviceNumber)
    : number(deviceNumber),
      m_graph(graph),
      m_mix(static_cast<size_t>(kBlockFrames) * kChannels),
      m_source(static_cast<size_t>(kBlockFrames) * kChannels) {
    m_endedChannels.reserve(kMaxEndsPerRender);
}

void Device::Render(float* interleaved, int frames) {
    std::lock_guard lock(m_graph.mutex);
    if (!ready) {
        std::fill(interleaved, interleaved + static_cast<size_t>(frames) * kChannels, 0.0f);
        return;
    }
    m_short = false;
    for (int done = 0; done < frames; done += kBlockFrames) {
        RenderBlock(interleaved + static_cast<size_t>(done) * kChannels,
                    std::min(kBlockFrames, frames - done), mayWait);
    }
    if (m_short) {
        ++shortRenders;
    }
    FireSyncs();
}

void Device::RenderBlock(float* out, int frames, bool wait) {
    std::fill(out, out + static_cast<size_t>(frames) * kChannels, 0.0f);
    for (Channel* channel : channels) {
        if (channel->isMixer) {
            RenderMixer(*channel, out, frames, wait);
        } else {
            RenderStream(*channel, out, frames, wait);
        }
    }
}

void Device::RenderMixer(Channel& mixer, float* out, int frames, bool wait) {
    if (mixer.state != PlayState::Playing) {
        mixer.volume.Advance(frames);
        for (Channel* source : mixer.sources) {
            source->volume.Advance(frames);
            source->rampIn.Advance(frames);
        }
        return;
    }
    float* mix = m_mix.data();
    float* source = m_source.data();
    const int samples = frames * kChannels;
    std::fill(mix, mix + samples, 0.0f);
    bool sounding = false;
    int lastEnd = 0;  // frames of this block up to the end of the last source to end in it
    for (size_t i = 0; i < mixer.sources.size();) {
        Channel& input = *mixer.sources[i];
        if (input.queued) {
            ++i;
            continue;
        }
        const int got = ReadSource(input, frames, wait);
        MixInto(mix, source, samples);
        if (!SourceDone(input)) {
            input.endSeen = false;
            sounding = true;
            ++i;
            continue;
        }
        lastEnd = std::max(lastEnd, got);
        NoteEnd(input);
        if (input.autoFree) {
            input.stream->ReleaseSoon();
            input.mixer = nullptr;
            mixer.sources.erase(mixer.sources.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }
    if (!sounding) {
        // The song that ended hands over to the queued one at its last sample, in this block.
        const auto next = std::find_if(mixer.sources.begin(), mixer.sources.end(),
                                       [](const Channel* c) { return c->queued; });
        if (next != mixer.sources.end()) {
            Channel& input = **next;
            input.queued = false;
            const int rest = frames - lastEnd;
            ReadSource(input, rest, wait);
            MixInto(mix + static_cast<size_t>(lastEnd) * kChannels, source, rest * kChannels);
            sounding = true;
            lastEnd = frames;
        }
    }
    int played = frames;
    if (!sounding && (mixer.flags & BASS_MIXER_END) != 0) {
        played = lastEnd;
        mixer.state = PlayState::Stopped;
        NoteEnd(mixer);
    }
    mixer.mixedFrames += played;
    mixer.volume.Apply(mix, frames);
    MixInto(out, mix, samples);
}

void Device::RenderStream(Channel& channel, float* out, int frames, bool wait) {
    if (channel.state != PlayState::Playing) {
        channel.volume.Advance(frames);
        return;
    }
    float* source = m_source.data();
    NoteRead(channel, channel.stream->Read(source, frames, wait), frames);
    channel.volume.Apply(source, frames);
    ScaleSamples(source, frames * kChannels, channel.gain);
    MixInto(out, source, frames * kChannels);
    if (channel.stream->Ended()) {
        channel.state = PlayState::Stopped;
        NoteEnd(channel);
        if (channel.autoFree) {
            channel.stream->ReleaseSoon();
        }
    }
}

int Device::ReadSource(Channel& input, int frames, bool wait) {
    float* source = m_source.data();
    int wanted = frames;
    if (input.endFrame >= 0) {
        wanted = static_cast<int>(std::clamp<qint64>(input.endFrame - input.stream->PositionFrames(), 0, frames));
    }
    const int got = wanted > 0 ? input.stream->Read(source, wanted, wait) : 0;
    std::fill(source + static_cast<size_t>(wanted) * kChannels, source + static_cast<size_t>(frames) * kChannels,
              0.0f);
    NoteRead(input, got, wanted);
    input.rampIn.Apply(source, frames);
    input.volume.Apply(source, frames);
    ScaleSamples(source, frames * kChannels, input.gain);
    return got;
}

bool Device::SourceDone(const Channel& input) {
    return input.stream->Ended() || (input.endFrame >= 0 && input.stream->PositionFrames() >= input.endFrame);
}

// Less than asked for before the stream's end: the worker has not decoded that far yet.
void Device::NoteRead(const Channel& channel, int got, int wanted) {
    if (got < wanted && !channel.stream->Ended()) {
        m_short = true;
    }
}

void Device::NoteEnd(Channel& channel) {
    if (channel.endSeen) {
        return;
    }
    channel.endSeen = true;
    for (const Sync& sync : channel.syncs) {
        if (m_endedChannels.size() < m_endedChannels.capacity()) {
            m_endedChannels.emplace_back(channel.handle, sync.handle);
        }
    }
}

// After the block is mixed, so that a procedure calling back into the library finds the lists
// in a settled state. Channels freed meanwhile are skipped.
void Device::FireSyncs() {
    for (size_t i = 0; i < m_endedChannels.size(); ++i) {
        const auto [channelHandle, syncHandle] = m_endedChannels[i];
        Channel* channel = m_graph.Find(channelHandle);
        if (!channel) {
            continue;
        }
        for (const Sync& sync : channel->syncs) {
            if (sync.handle == syncHandle) {
                const std::shared_ptr<const SyncProc> proc = sync.proc;
                (*proc)(syncHandle, channelHandle);
                break;
            }
        }
    }
    m_endedChannels.clear();
}

Channel* MixGraph::Find(AudioHandle handle) const {
    const auto found = channels.find(handle);
    return found == channels.end() ? nullptr : found->second.get();
}

std::shared_ptr<Channel> MixGraph::Remove(AudioHandle handle) {
    const auto found = channels.find(handle);
    if (found == channels.end()) {
        return nullptr;
    }
    std::shared_ptr<Channel> channel = found->second;
    channels.erase(found);
    if (channel->mixer) {
        EraseValue(channel->mixer->sources, channel.get());
        channel->mixer = nullptr;
    }
    for (Channel* source : channel->sources) {
        source->mixer = nullptr;
    }
    channel->sources.clear();
    const auto device = devices.find(channel->device);
    if (device != devices.end()) {
        EraseValue(device->second->channels, channel.get());
    }
    return channel;
}

}  // namespace sw
