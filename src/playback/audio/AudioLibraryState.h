#pragma once
// What the audio library's calls share, kept apart so that its calls can live in more than one
// file: the devices and channels behind the handles, and the calling thread's last error.

#include <cmath>

#include "AudioLibrary.h"
#include "MixGraph.h"

namespace sw {

// The last error of the calling thread, which ErrorGetCode and ErrorGetText report.
void Succeed();
bool Fail(AudioError code, const QString& text = {});
bool Fail(const AudioFailure& failure);

inline bool IsDecodeStream(const Channel& channel) {
    return !channel.isMixer && (channel.flags & BASS_STREAM_DECODE) != 0;
}

inline bool ValidVolume(float value) {
    return std::isfinite(value) && value >= 0.0f;
}

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

}  // namespace sw
