#include "Gain.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "AudioFormat.h"

namespace sw {

qint64 SlideFrames(quint32 milliseconds) {
    return (static_cast<qint64>(milliseconds) * kSampleRate + 500) / 1000;
}

double VolumeSlide::At(qint64 done) const {
    double progress = static_cast<double>(done) / static_cast<double>(m_total);
    if (m_shape == SlideShape::EqualPower) {
        const double quarter = progress * (std::numbers::pi / 2);
        progress = m_target >= m_from ? std::sin(quarter) : 1 - std::cos(quarter);
    }
    return m_from + (static_cast<double>(m_target) - m_from) * progress;
}

float VolumeSlide::Value() const {
    if (m_done >= m_total) {
        return m_target;
    }
    return static_cast<float>(At(m_done));
}

void VolumeSlide::Set(float value) {
    m_from = value;
    m_target = value;
    m_total = 0;
    m_done = 0;
}

void VolumeSlide::SlideTo(float target, qint64 frames, SlideShape shape) {
    m_from = Value();
    m_target = target;
    m_shape = shape;
    m_total = std::max<qint64>(0, frames);
    m_done = 0;
}

void VolumeSlide::Advance(qint64 frames) {
    m_done = std::min(m_total, m_done + std::max<qint64>(0, frames));
}

void VolumeSlide::Apply(float* interleaved, int frames) {
    int frame = 0;
    if (Sliding()) {
        const double step = (static_cast<double>(m_target) - m_from) / static_cast<double>(m_total);
        const int gliding = static_cast<int>(std::min<qint64>(frames, m_total - m_done));
        const bool linear = m_shape == SlideShape::Linear;
        for (; frame < gliding; ++frame) {
            const float gain = static_cast<float>(linear ? m_from + step * static_cast<double>(m_done + frame)
                                                         : At(m_done + frame));
            interleaved[2 * frame] *= gain;
            interleaved[2 * frame + 1] *= gain;
        }
        m_done += gliding;
    }
    if (m_target != 1.0f) {
        for (; frame < frames; ++frame) {
            interleaved[2 * frame] *= m_target;
            interleaved[2 * frame + 1] *= m_target;
        }
    }
}

void ScaleSamples(float* interleaved, int samples, float factor) {
    if (factor == 1.0f) {
        return;
    }
    for (int i = 0; i < samples; ++i) {
        interleaved[i] *= factor;
    }
}

void MixInto(float* mix, const float* source, int samples) {
    for (int i = 0; i < samples; ++i) {
        mix[i] += source[i];
    }
}

std::int16_t ToPcm16(float sample) {
    if (std::isnan(sample)) {
        return 0;
    }
    const float scaled = std::nearbyint(sample * 32768.0f);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

}  // namespace sw
