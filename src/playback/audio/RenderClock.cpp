#include "RenderClock.h"

#include <algorithm>

#include "AudioFormat.h"

namespace sw {

namespace {

constexpr int kBlockFrames = 1024;

}  // namespace

RenderClock::RenderClock(OfflineOutput& output, int device, Sink sink)
    : m_output(output),
      m_device(device),
      m_sink(std::move(sink)),
      m_block(static_cast<size_t>(kBlockFrames) * kChannels) {}

qint64 RenderClock::NowMs() const {
    return m_frames * 1000 / kSampleRate;
}

void RenderClock::SleepMs(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    // Up to the first frame of the later millisecond, rounded up: rounded down it can be the frame
    // already reached, and a caller waiting for that time would sleep for ever. Counted from
    // NowMs(), so that sleeps add up without drifting.
    const qint64 target = ((NowMs() + milliseconds) * kSampleRate + 999) / 1000;
    RenderFrames(std::max<qint64>(0, target - m_frames));
}

void RenderClock::RenderFrames(qint64 frames) {
    while (frames > 0) {
        const int block = static_cast<int>(std::min<qint64>(frames, kBlockFrames));
        if (m_output.IsOpen(m_device)) {
            m_output.RenderInto(m_device, m_block.data(), block);
        } else {
            std::fill(m_block.begin(), m_block.begin() + static_cast<std::ptrdiff_t>(block) * kChannels,
                      0.0f);
        }
        m_frames += block;
        if (m_sink) {
            m_sink(m_block.data(), block);
        }
        frames -= block;
    }
}

}  // namespace sw
