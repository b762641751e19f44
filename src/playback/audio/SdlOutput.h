#pragma once

#include <QStringList>
#include <memory>

#include "AudioOutput.h"

namespace sw {

/// SDL2 playback devices, numbered 1..N in SDL's order. When SDL lists none but can open its
/// default output, that default is device 1, named "Default". SDL's audio thread is the mixing
/// thread. The only place that talks to SDL.
class SdlOutput : public AudioOutput {
public:
    /// A failure to start SDL's audio leaves an output without devices; InitError says why.
    SdlOutput();
    ~SdlOutput() override;

    int DeviceCount() override;
    QString DeviceName(int device) override;
    std::unique_ptr<OutputDevice> Open(int device, RenderTarget& target) override;
    QString InitError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

/// The version of the SDL library the program runs with, as it reports itself ("2.26.5").
QString SdlVersion();

}  // namespace sw
