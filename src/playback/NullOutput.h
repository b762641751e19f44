#pragma once

#include "playback/AudioOutput.h"

namespace sw {

/// One device that consumes audio in real time on its own thread and plays nothing: playback
/// without a sound card.
class NullOutput : public AudioOutput {
public:
    int DeviceCount() override { return 1; }
    QString DeviceName(int device) override;
    std::unique_ptr<OutputDevice> Open(int device, RenderTarget& target) override;
};

/// Opens a device that renders in real time into nothing; device 0 of every back end.
std::unique_ptr<OutputDevice> OpenSilentDevice(RenderTarget& target);

}  // namespace sw
