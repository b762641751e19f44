#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "AudioLibrary.h"
#include "DecodeStream.h"
#include "Gain.h"

namespace sw {

enum class PlayState { Stopped, Playing, Paused };

struct Sync {
    AudioHandle handle;
    // Shared, so that a procedure that frees its own channel does not destroy itself mid-call.
    std::shared_ptr<const SyncProc> proc;
};

/// A mixer or a stream, with everything the mixing thread reads. Guarded by MixGraph::mutex.
struct Channel {
    AudioHandle handle = 0;
    int device = 0;
    bool isMixer = false;
    quint32 flags = 0;
    PlayState state = PlayState::Stopped;
    VolumeSlide volume;
    std::vector<Sync> syncs;

    // A stream.
    std::unique_ptr<DecodeStream> stream;
    Channel* mixer = nullptr;  // the mixer it is plugged into
    bool autoFree = false;     // leaves its mixer (or stops) and closes its file at its end
    bool endSeen = false;      // its end has been notified
    VolumeSlide rampIn;
    bool queued = false;  // waits until the mixer's other sources have ended
    float gain = 1.0f;    // the song's levelling, a fixed factor besides the volume
    qint64 endFrame = -1;  // ends here as if the file did (the end of the music); -1: at its end

    // A mixer.
    std::vector<Channel*> sources;
    qint64 mixedFrames = 0;
};

class MixGraph;

/// One open output device: renders the mixers and streams that play on it.
class Device : public RenderTarget {
public:
    Device(MixGraph& graph, int number);
    void Render(float* interleaved, int frames) override;

    int number;
    std::unique_ptr<OutputDevice> output;
    bool ready = false;              // output is set; until then the device plays silence
    bool mayWait = false;            // the output is not real time
    std::vector<Channel*> channels;  // mixers and self-playing streams, not mixer sources
    /// Render calls in which a playing source had less decoded audio than the block needed.
    quint64 shortRenders = 0;

private:
    void RenderBlock(float* out, int frames, bool mayWait);
    void RenderMixer(Channel& mixer, float* out, int frames, bool mayWait);
    void RenderStream(Channel& channel, float* out, int frames, bool mayWait);
    /// Reads a mixer source's next frames into m_source (silence past its end) with its ramp,
    /// volume and gain applied; returns the frames of audio.
    int ReadSource(Channel& input, int frames, bool mayWait);
    /// The source has played up to its end, or to the frame it is to end at.
    static bool SourceDone(const Channel& input);
    void NoteEnd(Channel& channel);
    void NoteRead(const Channel& channel, int got, int wanted);
    void FireSyncs();

    MixGraph& m_graph;
    std::vector<float> m_mix;
    std::vector<float> m_source;
    bool m_short = false;  // a source fell short in the current Render call
    std::vector<std::pair<AudioHandle, AudioHandle>> m_endedChannels;  // reserved; never grows while mixing
};

/// Channels, devices and the lock the mixing threads share with the library's calls. The lock
/// is recursive so that an end notification may call back into the library.
class MixGraph {
public:
    std::recursive_mutex mutex;
    std::map<AudioHandle, std::shared_ptr<Channel>> channels;
    std::map<int, std::unique_ptr<Device>> devices;
    /// The underruns of devices that have been freed.
    quint64 retiredUnderruns = 0;

    Channel* Find(AudioHandle handle) const;
    /// Takes the channel out of every list; the caller destroys it outside the lock.
    std::shared_ptr<Channel> Remove(AudioHandle handle);
};

}  // namespace sw
