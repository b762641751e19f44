#include "LoudnessMeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace sw {

struct LoudnessMeter::State {
    explicit State(ebur128_state* state) : handle(state) {}
    ~State() { ebur128_destroy(&handle); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ebur128_state* handle;
};

LoudnessMeter::LoudnessMeter(int channels, int sampleRate, PeakMode peakMode)
    : m_channels(channels),
      m_sampleRate(sampleRate),
      m_peakMode(peakMode),
      m_threshold(static_cast<float>(std::pow(10.0, kSilenceDbfs / 20.0))) {
    if (channels < 1 || sampleRate < 1) {
        throw std::runtime_error("loudness: no audio format (" + std::to_string(channels) + " channels, " +
                                 std::to_string(sampleRate) + " Hz)");
    }
    const int mode = EBUR128_MODE_I | (peakMode == PeakMode::True ? EBUR128_MODE_TRUE_PEAK : 0);
    ebur128_state* state =
        ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(sampleRate), mode);
    if (!state) {
        throw std::runtime_error("loudness: libebur128 refused " + std::to_string(channels) +
                                 " channels at " + std::to_string(sampleRate) + " Hz");
    }
    m_state = std::make_unique<State>(state);
}

LoudnessMeter::~LoudnessMeter() = default;

void LoudnessMeter::Add(const float* interleaved, int frames) {
    if (frames <= 0) {
        return;
    }
    const int error = ebur128_add_frames_float(m_state->handle, interleaved, static_cast<size_t>(frames));
    if (error != EBUR128_SUCCESS) {
        throw std::runtime_error("loudness: libebur128 error " + std::to_string(error));
    }
    // One pass for the sample peak and the last loud sample; the first is looked for until found.
    const std::int64_t samples = std::int64_t{frames} * m_channels;
    std::int64_t lastLoud = -1;
    float peak = m_samplePeak;
    for (std::int64_t i = 0; i < samples; ++i) {
        const float level = std::fabs(interleaved[i]);
        peak = std::max(peak, level);
        if (level > m_threshold) {
            lastLoud = i;
        }
    }
    m_samplePeak = peak;
    if (lastLoud >= 0) {
        m_lastLoud = m_frames + lastLoud / m_channels;
        if (m_firstLoud < 0) {
            const float* loud = std::find_if(interleaved, interleaved + samples, [this](float sample) {
                return std::fabs(sample) > m_threshold;
            });
            m_firstLoud = m_frames + (loud - interleaved) / m_channels;
        }
    }
    m_frames += frames;
}

AudioMeasurement LoudnessMeter::Result() const {
    AudioMeasurement result;
    result.Seconds = static_cast<double>(m_frames) / m_sampleRate;
    double lufs = 0;
    if (ebur128_loudness_global(m_state->handle, &lufs) == EBUR128_SUCCESS && std::isfinite(lufs)) {
        result.IntegratedLufs = lufs;
    }
    result.Peak = m_samplePeak;
    if (m_peakMode == PeakMode::True) {
        for (int channel = 0; channel < m_channels; ++channel) {
            double peak = 0;
            if (ebur128_true_peak(m_state->handle, static_cast<unsigned>(channel), &peak) ==
                EBUR128_SUCCESS) {
                result.Peak = std::max(result.Peak, peak);
            }
        }
    }
    if (m_firstLoud >= 0) {
        result.MusicStartMs = static_cast<int>(m_firstLoud * 1000 / m_sampleRate);
        result.MusicEndMs = static_cast<int>(((m_lastLoud + 1) * 1000 + m_sampleRate - 1) / m_sampleRate);
    }
    return result;
}

}  // namespace sw
