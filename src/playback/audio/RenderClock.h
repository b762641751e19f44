#pragma once

#include <functional>

#include "foundation/Clock.h"
#include "OfflineOutput.h"

namespace sw {

/// A clock whose time is the audio an offline output's device has played: sleeping renders that
/// much audio, handing each block to the sink. An engine waiting on it plays faster than real time,
/// and what it played can be kept (a WAV file) or analysed. Before the device is opened, time just
/// passes.
class RenderClock : public Clock {
public:
    using Sink = std::function<void(const float* interleaved, int frames)>;

    RenderClock(OfflineOutput& output, int device, Sink sink = {});

    qint64 NowMs() const override;
    /// Renders up to the first frame of the later time, so that NowMs() moves on by exactly the
    /// milliseconds whatever frame the clock stood on.
    void SleepMs(int milliseconds) override;
    /// The device whose audio is the clock.
    void SetDevice(int device) { m_device = device; }
    /// Renders exactly this many frames.
    void RenderFrames(qint64 frames);
    /// Frames played since the clock was made.
    qint64 Frames() const { return m_frames; }

private:
    OfflineOutput& m_output;
    int m_device;
    Sink m_sink;
    qint64 m_frames = 0;
    std::vector<float> m_block;
};

}  // namespace sw
