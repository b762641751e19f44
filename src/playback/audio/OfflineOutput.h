#pragma once

#include <QtGlobal>
#include <map>
#include <mutex>
#include <vector>

#include "AudioOutput.h"

namespace sw {

/// Devices whose clock moves only when the owner renders: Render(device, n) plays the next n
/// frames on the calling thread, which is then that device's mixing thread. For tests and for
/// rendering to files, faster than real time and the same every run.
class OfflineOutput : public AudioOutput {
public:
    explicit OfflineOutput(int deviceCount = 1);
    ~OfflineOutput() override;

    int DeviceCount() override { return m_deviceCount; }
    QString DeviceName(int device) override;
    std::unique_ptr<OutputDevice> Open(int device, RenderTarget& target) override;

    /// Renders the next frames of an open device. Throws AudioFailure (Init) if it is not open.
    std::vector<float> Render(int device, int frames);
    void RenderInto(int device, float* interleaved, int frames);
    bool IsOpen(int device) const;
    /// Frames rendered on the device since it was opened: its clock.
    qint64 RenderedFrames(int device) const;

private:
    class Device;
    struct Slot {
        RenderTarget* target;
        qint64 rendered;
    };

    int m_deviceCount;
    mutable std::mutex m_mutex;
    std::map<int, Slot> m_open;
};

}  // namespace sw
