#pragma once

#include <cstdint>

namespace sw {

/// Every stream, mixer and output of the audio layer carries 32-bit float stereo at 44,100 Hz,
/// interleaved left/right.
inline constexpr int kSampleRate = 44100;
inline constexpr int kChannels = 2;
inline constexpr int kBytesPerFrame = kChannels * static_cast<int>(sizeof(float));

}  // namespace sw
