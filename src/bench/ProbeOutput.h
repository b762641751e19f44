#pragma once

#include <memory>

#include "playback/audio/AudioOutput.h"

namespace sw {

/// An output that puts a probe (a RenderTarget standing between the device and what it renders,
/// made from that target) in front of each device it opens; the benchmarks watch the sound with it.
template <typename Probe>
class ProbeOutput : public AudioOutput {
public:
    explicit ProbeOutput(std::unique_ptr<AudioOutput> inner) : m_inner(std::move(inner)) {}
    int DeviceCount() override { return m_inner->DeviceCount(); }
    QString DeviceName(int device) override { return m_inner->DeviceName(device); }
    std::unique_ptr<OutputDevice> Open(int device, RenderTarget& target) override {
        auto probe = std::make_unique<Probe>(target);
        Probe* raw = probe.get();
        auto opened = std::make_unique<Device>(std::move(probe), m_inner->Open(device, *raw));
        last = raw;
        lastDevice = opened.get();
        return opened;
    }
    /// The probe and the device of the last device opened.
    Probe* last = nullptr;
    const OutputDevice* lastDevice = nullptr;

private:
    class Device : public OutputDevice {
    public:
        Device(std::unique_ptr<Probe> probe, std::unique_ptr<OutputDevice> inner)
            : m_probe(std::move(probe)), m_inner(std::move(inner)) {}
        bool MayWait() const override { return m_inner->MayWait(); }
        quint64 Underruns() const override { return m_inner->Underruns(); }
        int LatencyFrames() const override { return m_inner->LatencyFrames(); }

    private:
        std::unique_ptr<Probe> m_probe;
        std::unique_ptr<OutputDevice> m_inner;  // stops before the probe goes
    };

    std::unique_ptr<AudioOutput> m_inner;
};

}  // namespace sw
