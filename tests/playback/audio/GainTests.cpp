#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "playback/audio/Gain.h"

namespace sw {
namespace {

TEST(AudioSlideFrames, RoundsMillisecondsToTheNearestFrame) {
    const std::vector<std::pair<quint32, qint64>> cases = {
        {0, 0}, {1, 44}, {10, 441}, {23, 1014}, {100, 4410}, {1000, 44100}, {4294967295u, 189408057710LL}};
    for (const auto& [milliseconds, frames] : cases) {
        EXPECT_EQ(SlideFrames(milliseconds), frames) << milliseconds;
    }
}

TEST(AudioVolumeSlide, ReachesItsTargetOnTheLastFrameAndNotBefore) {
    VolumeSlide volume;
    volume.SlideTo(0.25f, 4410);
    volume.Advance(4409);
    EXPECT_TRUE(volume.Sliding());
    EXPECT_GT(volume.Value(), 0.25f);
    volume.Advance(1);
    EXPECT_FALSE(volume.Sliding());
    EXPECT_EQ(volume.Value(), 0.25f);
    volume.Advance(100000);
    EXPECT_EQ(volume.Value(), 0.25f);
}

TEST(AudioVolumeSlide, AppliesTheGainOfEachFrame) {
    VolumeSlide volume(1.0f);
    volume.SlideTo(0.0f, 4);
    std::vector<float> frames(12, 1.0f);  // 6 stereo frames
    volume.Apply(frames.data(), 6);
    const std::vector<float> expected = {1, 1, 0.75f, 0.75f, 0.5f, 0.5f, 0.25f, 0.25f, 0, 0, 0, 0};
    EXPECT_EQ(frames, expected);
    EXPECT_EQ(volume.Value(), 0.0f);
}

TEST(AudioVolumeSlide, ApplyingInPiecesEqualsApplyingAtOnce) {
    VolumeSlide whole(0.8f);
    VolumeSlide pieces(0.8f);
    whole.SlideTo(0.1f, 1000);
    pieces.SlideTo(0.1f, 1000);
    std::vector<float> a(2 * 1500, 0.5f);
    std::vector<float> b = a;
    whole.Apply(a.data(), 1500);
    for (int done = 0; done < 1500; done += 7) {
        pieces.Apply(b.data() + 2 * done, std::min(7, 1500 - done));
    }
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_NEAR(a[i], b[i], 1e-6) << i;
    }
}

TEST(AudioVolumeSlide, SetEndsASlideAndANewSlideStartsWhereTheOldOneWas) {
    VolumeSlide volume(1.0f);
    volume.SlideTo(0.0f, 100);
    volume.Advance(50);
    EXPECT_FLOAT_EQ(volume.Value(), 0.5f);
    volume.SlideTo(1.0f, 10);
    EXPECT_FLOAT_EQ(volume.Value(), 0.5f);
    volume.Advance(5);
    EXPECT_FLOAT_EQ(volume.Value(), 0.75f);
    volume.Set(0.3f);
    EXPECT_FALSE(volume.Sliding());
    volume.Advance(5);
    EXPECT_EQ(volume.Value(), 0.3f);
    volume.SlideTo(0.9f, 0);
    EXPECT_EQ(volume.Value(), 0.9f);
}

// Two songs cross-fading over the same frames, one falling and one rising, keep their summed
// power at every frame, from wherever the falling one starts; the rising one arrives exactly.
TEST(AudioVolumeSlide, EqualPowerSlidesKeepTheSummedPowerOfACrossFade) {
    for (const float level : {1.0f, 0.6f}) {
        VolumeSlide falling(level);
        VolumeSlide rising(0.0f);
        falling.SlideTo(0.0f, 4410, SlideShape::EqualPower);
        rising.SlideTo(level, 4410, SlideShape::EqualPower);
        std::vector<float> out(2 * 4410, 1.0f);
        std::vector<float> in = out;
        falling.Apply(out.data(), 4410);
        rising.Apply(in.data(), 4410);
        for (size_t frame = 0; frame < 4410; frame += 49) {
            const double power = out[2 * frame] * out[2 * frame] + in[2 * frame] * in[2 * frame];
            ASSERT_NEAR(power, level * level, 1e-5) << "frame " << frame << " level " << level;
        }
        // Midway each is down 3 dB, where a straight line would be down 6 dB.
        EXPECT_NEAR(out[2 * 2205], level * std::sqrt(0.5), 1e-3);
        EXPECT_EQ(rising.Value(), level);
        EXPECT_EQ(falling.Value(), 0.0f);
    }
}

TEST(AudioToPcm16, ClipsAndRounds) {
    const std::vector<std::pair<float, int>> cases = {
        {0.0f, 0},         {0.5f, 16384},       {-1.0f, -32768},    {1.0f, 32767},
        {2.0f, 32767},     {-7.0f, -32768},     {1.0f / 32768, 1},  {0.4f / 32768, 0},
        {0.6f / 32768, 1}, {-0.6f / 32768, -1}, {std::nanf(""), 0}, {INFINITY, 32767}};
    for (const auto& [sample, pcm] : cases) {
        EXPECT_EQ(ToPcm16(sample), pcm) << sample;
    }
}

TEST(AudioToPcm16, SixteenBitInputSurvivesTheRoundTrip) {
    for (int value = -32768; value <= 32767; ++value) {
        ASSERT_EQ(ToPcm16(static_cast<float>(value) / 32768.0f), value);
    }
}

}  // namespace
}  // namespace sw
