#pragma once

#include <cstdint>
#include <memory>

#include "SongLoudness.h"

namespace sw {

/// How the peak is found. A true peak needs the signal oversampled (four times at 44.1 kHz),
/// which costs more than the loudness itself; the sample peak is the largest sample.
enum class PeakMode { True, Sample };

/// Music starts with the first sample above this level and ends after the last one. Below
/// -50 dBFS a fade or a gap is inaudible against a following song at a normal listening level,
/// while the noise floor of vinyl and tape transfers lies near -60 dBFS, so their hiss between
/// songs counts as silence and a quiet fade-out is kept.
inline constexpr double kSilenceDbfs = -50.0;

/// EBU R128 integrated loudness, the peak and the start and end of the music of one stream of
/// interleaved float samples. The one place that talks to libebur128.
class LoudnessMeter {
public:
    /// Throws std::runtime_error when the library refuses the format.
    LoudnessMeter(int channels, int sampleRate, PeakMode peakMode);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    /// Adds `frames` frames of interleaved samples.
    void Add(const float* interleaved, int frames);
    /// What the samples added so far measure.
    AudioMeasurement Result() const;

private:
    /// Owns the library's state.
    struct State;
    std::unique_ptr<State> m_state;
    int m_channels;
    int m_sampleRate;
    PeakMode m_peakMode;
    float m_threshold;
    std::int64_t m_frames = 0;
    /// Frame numbers of the first and the last frame above the threshold; -1 before one came.
    std::int64_t m_firstLoud = -1;
    std::int64_t m_lastLoud = -1;
    float m_samplePeak = 0;
};

}  // namespace sw
