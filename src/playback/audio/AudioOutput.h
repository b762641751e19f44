#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

namespace sw {

/// What an output device plays: called on the device's mixing thread for each block.
class RenderTarget {
public:
    virtual ~RenderTarget() = default;
    /// Fills frames of interleaved float stereo at 44,100 Hz. Must not block on files or locks
    /// held for long, nor allocate, when the output is real time.
    virtual void Render(float* interleaved, int frames) = 0;
};

/// One opened device. Destroying it stops the mixing thread; no Render runs afterwards.
class OutputDevice {
public:
    virtual ~OutputDevice() = default;
    /// Whether the mixing thread may take its time (an offline output); a real-time one must
    /// never wait for the decoder.
    virtual bool MayWait() const = 0;
    /// Times the device itself ran dry because its mixing thread came too late for it (a sound
    /// card would have played silence). Outputs that cannot tell (SDL does not report its
    /// device's) count none.
    virtual quint64 Underruns() const { return 0; }
    /// Frames the device holds ahead of a block it has just been given: how much later than its
    /// Render call that block sounds, at least.
    virtual int LatencyFrames() const { return 0; }
};

/// A family of output devices (a back end): SDL playback devices, a null output or an offline
/// output. Devices are numbered 1..DeviceCount(); device 0 is a device without sound that
/// every back end can open.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    virtual int DeviceCount() = 0;
    /// The name of device 1..DeviceCount().
    virtual QString DeviceName(int device) = 0;
    /// Opens the device and starts calling target.Render on its mixing thread. Throws
    /// AudioFailure (Driver) with the back end's text.
    virtual std::unique_ptr<OutputDevice> Open(int device, RenderTarget& target) = 0;
};

}  // namespace sw
