#pragma once

#include <QtGlobal>
#include <cstdint>

namespace sw {

/// Frames that a slide of the given milliseconds lasts at the output rate, rounded to the nearest
/// frame.
qint64 SlideFrames(quint32 milliseconds);

/// How a slide moves between its two values.
enum class SlideShape {
    /// In a straight line.
    Linear,
    /// Along a quarter sine when rising and a quarter cosine when falling: two songs cross-fading
    /// so over the same frames keep their summed power, where straight lines dip by 3 dB midway.
    EqualPower,
};

/// A volume that glides from one value to a target over a number of output frames. Frame k of
/// a linear slide (counting from 0) plays at from + (target - from) * k / total; once total
/// frames have passed, the value is exactly the target.
class VolumeSlide {
public:
    explicit VolumeSlide(float value = 1.0f) : m_from(value), m_target(value) {}

    float Value() const;
    bool Sliding() const { return m_done < m_total; }
    /// Stops any slide.
    void Set(float value);
    /// Glides from the current value; zero frames sets the target at once.
    void SlideTo(float target, qint64 frames, SlideShape shape = SlideShape::Linear);
    /// Lets frames pass without audio (a paused or silent channel still glides).
    void Advance(qint64 frames);
    /// Multiplies interleaved stereo frames by the gliding volume and advances by their count.
    void Apply(float* interleaved, int frames);

private:
    /// The value after `done` frames of the slide.
    double At(qint64 done) const;

    float m_from;
    float m_target;
    SlideShape m_shape = SlideShape::Linear;
    qint64 m_total = 0;
    qint64 m_done = 0;
};

/// Multiplies interleaved samples by a fixed factor (nothing to do for 1).
void ScaleSamples(float* interleaved, int samples, float factor);

/// Adds interleaved samples into a mix.
void MixInto(float* mix, const float* source, int samples);

/// A float sample as 16-bit PCM: clipped, scaled by 32768 (so that 16-bit input survives a
/// round trip unchanged) and rounded to the nearest step.
std::int16_t ToPcm16(float sample);

}  // namespace sw
