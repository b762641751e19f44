#pragma once

#include <QtGlobal>

#include "AudioOutput.h"

namespace sw {

/// One device that consumes audio in real time on its own thread and plays nothing: playback
/// without a sound card. It behaves like a card whose buffer holds a few blocks: its thread tops
/// the buffer up as it drains, and a top-up that comes after the buffer ran dry is an underrun.
class NullOutput : public AudioOutput {
public:
    int DeviceCount() override { return 1; }
    QString DeviceName(int device) override;
    std::unique_ptr<OutputDevice> Open(int device, RenderTarget& target) override;
};

/// Opens a device that renders in real time into nothing; device 0 of every back end.
std::unique_ptr<OutputDevice> OpenSilentDevice(RenderTarget& target);

/// A sound card's buffer as the null output plays it: it holds `capacityFrames`, drains at
/// 44,100 frames a second from the first top-up on, and is filled a block at a time. Times are
/// nanoseconds on any steady scale.
class PlayoutBuffer {
public:
    PlayoutBuffer(int blockFrames, int capacityFrames);

    /// The blocks to render at `nowNs` to fill the buffer again. Finding the buffer already
    /// empty counts an underrun; the card then plays on from this moment, as a card does after
    /// a stretch of silence.
    int BlocksDue(qint64 nowNs);
    /// When the buffer next has room for a block.
    qint64 NextDueNs() const;
    quint64 Underruns() const { return m_underruns; }

private:
    qint64 PlayedFrames(qint64 nowNs) const;

    int m_block;
    int m_capacity;
    bool m_started = false;
    qint64 m_startNs = 0;  // when the card would have played frame 0
    qint64 m_fed = 0;      // frames handed to the card
    quint64 m_underruns = 0;
};

}  // namespace sw
