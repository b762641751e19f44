#include "NullOutput.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "playback/AudioError.h"
#include "playback/AudioFormat.h"

namespace sw {

namespace {

constexpr int kBlockFrames = 512;

class NullDevice : public OutputDevice {
public:
    explicit NullDevice(RenderTarget& target)
        : m_target(target), m_buffer(kBlockFrames * kChannels), m_thread([this] { Run(); }) {}

    ~NullDevice() override {
        m_stop.store(true);
        m_thread.join();
    }

    bool MayWait() const override { return false; }

private:
    // Deadlines are absolute, so that time spent rendering does not make the output drift slow.
    void Run() {
        using Clock = std::chrono::steady_clock;
        const auto block = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(kBlockFrames) / kSampleRate));
        auto deadline = Clock::now();
        while (!m_stop.load()) {
            m_target.Render(m_buffer.data(), kBlockFrames);
            deadline += block;
            std::this_thread::sleep_until(deadline);
        }
    }

    RenderTarget& m_target;
    std::vector<float> m_buffer;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace

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
