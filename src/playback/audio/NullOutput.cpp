#include "NullOutput.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "AudioError.h"
#include "AudioFormat.h"

namespace sw {

namespace {

// Small blocks in a buffer of seven: when the thread tops it up, six (34.8 ms) are still queued,
// so a thread woken that much late (both cores busy with other work) still comes in time, while a
// command sounds within a block and the queue, under 50 ms.
constexpr int kBlockFrames = 256;
constexpr int kBufferFrames = 7 * kBlockFrames;
constexpr qint64 kNsPerSecond = 1'000'000'000;

class NullDevice : public OutputDevice {
public:
    explicit NullDevice(RenderTarget& target)
        : m_target(target), m_buffer(kBlockFrames * kChannels), m_thread([this] { Run(); }) {}

    ~NullDevice() override {
        m_stop.store(true);
        m_thread.join();
    }

    bool MayWait() const override { return false; }
    quint64 Underruns() const override { return m_underruns.load(std::memory_order_relaxed); }
    int LatencyFrames() const override { return kBufferFrames - kBlockFrames; }

private:
    // Deadlines are absolute, so that time spent rendering does not make the output drift slow.
    void Run() {
        using Clock = std::chrono::steady_clock;
        PlayoutBuffer card(kBlockFrames, kBufferFrames);
        const auto origin = Clock::now();
        auto sinceOrigin = [origin] {
            return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - origin).count();
        };
        while (!m_stop.load()) {
            for (int due = card.BlocksDue(sinceOrigin()); due > 0 && !m_stop.load(); --due) {
                m_target.Render(m_buffer.data(), kBlockFrames);
            }
            m_underruns.store(card.Underruns(), std::memory_order_relaxed);
            std::this_thread::sleep_until(origin + std::chrono::nanoseconds(card.NextDueNs()));
        }
    }

    RenderTarget& m_target;
    std::vector<float> m_buffer;
    std::atomic<bool> m_stop{false};
    std::atomic<quint64> m_underruns{0};
    std::thread m_thread;
};

}  // namespace

PlayoutBuffer::PlayoutBuffer(int blockFrames, int capacityFrames)
    : m_block(blockFrames), m_capacity(capacityFrames) {}

qint64 PlayoutBuffer::PlayedFrames(qint64 nowNs) const {
    return (nowNs - m_startNs) * kSampleRate / kNsPerSecond;
}

int PlayoutBuffer::BlocksDue(qint64 nowNs) {
    if (!m_started) {
        m_started = true;
        m_startNs = nowNs;
    }
    qint64 played = PlayedFrames(nowNs);
    if (played > m_fed) {
        ++m_underruns;
        m_startNs = nowNs - m_fed * kNsPerSecond / kSampleRate;
        played = PlayedFrames(nowNs);
    }
    const qint64 room = m_capacity - (m_fed - played);
    const int blocks = static_cast<int>(std::max<qint64>(0, room / m_block));
    m_fed += static_cast<qint64>(blocks) * m_block;
    return blocks;
}

qint64 PlayoutBuffer::NextDueNs() const {
    // Rounded up, so that the buffer has room when the thread wakes.
    const qint64 frame = m_fed - m_capacity + m_block;
    return m_startNs + (frame * kNsPerSecond + kSampleRate - 1) / kSampleRate;
}

QString NullOutput::DeviceName(int) {
    return "Null output";
}

std::unique_ptr<OutputDevice> NullOutput::Open(int device, RenderTarget& target) {
    if (device < 0 || device > DeviceCount()) {
        throw AudioFailure(AudioError::Device, "No such device");
    }
    return OpenSilentDevice(target);
}

std::unique_ptr<OutputDevice> OpenSilentDevice(RenderTarget& target) {
    return std::make_unique<NullDevice>(target);
}

}  // namespace sw
