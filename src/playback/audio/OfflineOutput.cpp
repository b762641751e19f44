#include "OfflineOutput.h"

#include "AudioError.h"
#include "AudioFormat.h"

namespace sw {

class OfflineOutput::Device : public OutputDevice {
public:
    Device(OfflineOutput& output, int number) : m_output(output), m_number(number) {}

    ~Device() override {
        std::lock_guard lock(m_output.m_mutex);
        m_output.m_open.erase(m_number);
    }

    bool MayWait() const override { return true; }

private:
    OfflineOutput& m_output;
    int m_number;
};

OfflineOutput::OfflineOutput(int deviceCount) : m_deviceCount(deviceCount) {}

OfflineOutput::~OfflineOutput() = default;

QString OfflineOutput::DeviceName(int device) {
    return QString("Offline output %1").arg(device);
}

std::unique_ptr<OutputDevice> OfflineOutput::Open(int device, RenderTarget& target) {
    if (device < 0 || device > m_deviceCount) {
        throw AudioFailure(AudioError::Device, "No such device");
    }
    std::lock_guard lock(m_mutex);
    if (m_open.count(device) != 0) {
        throw AudioFailure(AudioError::Driver, QString("Offline device %1 is already open").arg(device));
    }
    m_open[device] = Slot{&target, 0};
    return std::make_unique<Device>(*this, device);
}

std::vector<float> OfflineOutput::Render(int device, int frames) {
    std::vector<float> block(static_cast<size_t>(std::max(0, frames)) * kChannels);
    RenderInto(device, block.data(), frames);
    return block;
}

void OfflineOutput::RenderInto(int device, float* interleaved, int frames) {
    std::lock_guard lock(m_mutex);
    const auto found = m_open.find(device);
    if (found == m_open.end()) {
        throw AudioFailure(AudioError::Init, QString("Offline device %1 is not open").arg(device));
    }
    if (frames > 0) {
        found->second.target->Render(interleaved, frames);
        found->second.rendered += frames;
    }
}

bool OfflineOutput::IsOpen(int device) const {
    std::lock_guard lock(m_mutex);
    return m_open.count(device) != 0;
}

qint64 OfflineOutput::RenderedFrames(int device) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_open.find(device);
    return found == m_open.end() ? 0 : found->second.rendered;
}

}  // namespace sw
