#include <gtest/gtest.h>

#include <cmath>

#include "AudioTestSupport.h"

namespace sw {
namespace {

using test::Media;
using test::Rig;

constexpr qint64 kRampFrames = 3 * 44100;

// ramp.wav carries its own frame number: left = (n mod 32768) / 32768.
float RampAt(qint64 frame) {
    return static_cast<float>(frame % 32768) / 32768.0f;
}

struct SeekCase {
    qint64 frame;
    int render;
};

class RampSeek : public testing::TestWithParam<SeekCase> {};

TEST_P(RampSeek, ContinuesWithTheFrameAskedFor) {
    const auto [frame, render] = GetParam();
    Rig rig;
    const AudioHandle stream = rig.Add(Media("ramp.wav"));
    ASSERT_TRUE(rig.audio->ChannelPlay(rig.mixer, true));
    rig.Render(3000);  // the ring now holds audio from before the seek

    ASSERT_TRUE(rig.audio->ChannelSetPosition(stream, static_cast<quint64>(frame) * 8, BASS_POS_BYTE));
    EXPECT_EQ(rig.Position(stream), frame);
    const std::vector<float> played = rig.Render(render);
    const qint64 expectedEnd = std::min(frame + render, kRampFrames);
    EXPECT_EQ(rig.Position(stream), expectedEnd);
    for (qint64 i = 0; i < render; ++i) {
        const float expected = frame + i < kRampFrames ? RampAt(frame + i) : 0.0f;
        ASSERT_EQ(played[static_cast<size_t>(2 * i)], expected) << "frame " << frame + i;
        ASSERT_EQ(played[static_cast<size_t>(2 * i + 1)], -expected) << "frame " << frame + i;
    }
}

INSTANTIATE_TEST_SUITE_P(Audio, RampSeek,
                         testing::Values(SeekCase{0, 5000}, SeekCase{1, 100}, SeekCase{1000, 3000},
                                         SeekCase{44100, 70000}, SeekCase{100003, 2000},
                                         SeekCase{kRampFrames - 10, 50}, SeekCase{kRampFrames, 20}),
                         [](const auto& naming) { return "frame" + std::to_string(naming.param.frame); });

TEST(AudioSeek, TheLastOfSeveralSeeksWins) {
    Rig rig;
    const AudioHandle stream = rig.Add(Media("ramp.wav"));
    rig.audio->ChannelPlay(rig.mixer, true);
    rig.Render(100);
    for (const qint64 frame : {50000, 7, 90000, 12345}) {
        ASSERT_TRUE(rig.audio->ChannelSetPosition(stream, static_cast<quint64>(frame) * 8, BASS_POS_BYTE));
    }
    EXPECT_EQ(rig.Position(stream), 12345);
    EXPECT_EQ(rig.Render(1)[0], RampAt(12345));
}

TEST(AudioSeek, BytesWithinAFrameRoundDown) {
    Rig rig;
    const AudioHandle stream = rig.Add(Media("ramp.wav"));
    ASSERT_TRUE(rig.audio->ChannelSetPosition(stream, 8 * 500 + 5, BASS_POS_BYTE));
    EXPECT_EQ(rig.audio->ChannelGetPosition(stream, BASS_POS_BYTE), 8u * 500);
}

TEST(AudioSeek, PastTheEndFailsAndKeepsThePosition) {
    Rig rig;
    const AudioHandle stream = rig.Add(Media("ramp.wav"));
    rig.audio->ChannelPlay(rig.mixer, true);
    rig.Render(1000);
    EXPECT_FALSE(
        rig.audio->ChannelSetPosition(stream, static_cast<quint64>(kRampFrames + 1) * 8, BASS_POS_BYTE));
    EXPECT_EQ(rig.audio->ErrorGetCode(), static_cast<int>(AudioError::Position));
    EXPECT_EQ(rig.Position(stream), 1000);
    EXPECT_EQ(rig.Render(1)[0], RampAt(1000));
}

TEST(AudioSeek, BackFromTheEndPlaysAgain) {
    Rig rig;
    const AudioHandle stream = rig.Add(Media("dc25.wav"));
    int notifications = 0;
    rig.audio->ChannelSetSync(rig.mixer, BASS_SYNC_END, [&](AudioHandle, AudioHandle) { ++notifications; });
    rig.audio->ChannelPlay(rig.mixer, true);
    rig.Render(30000);
    ASSERT_EQ(notifications, 1);
    ASSERT_TRUE(rig.audio->ChannelSetPosition(stream, 8 * 11025, BASS_POS_BYTE));
    ASSERT_TRUE(rig.audio->ChannelPlay(rig.mixer, false));
    EXPECT_EQ(rig.Render(1)[0], 0.25f);
    rig.Render(20000);
    EXPECT_EQ(notifications, 2);
}

// Lossy formats: after a seek the audio is the same as at that point of a straight decode.
class LossySeek : public testing::TestWithParam<const char*> {};

TEST_P(LossySeek, MatchesAStraightDecode) {
    const QString path = Media(GetParam());
    constexpr qint64 kTarget = 50001;
    constexpr int kCompare = 4000;
    Rig straight;
    straight.Add(path);
    straight.audio->ChannelPlay(straight.mixer, true);
    const std::vector<float> all = straight.Render(static_cast<int>(kTarget) + kCompare);

    Rig seeking;
    const AudioHandle stream = seeking.Add(path);
    seeking.audio->ChannelPlay(seeking.mixer, true);
    seeking.Render(20000);
    ASSERT_TRUE(seeking.audio->ChannelSetPosition(stream, kTarget * 8, BASS_POS_BYTE));
    const std::vector<float> after = seeking.Render(kCompare);
    double worst = 0;
    for (size_t i = 0; i < after.size(); ++i) {
        worst = std::max(
            worst, static_cast<double>(std::fabs(after[i] - all[static_cast<size_t>(kTarget * 2) + i])));
    }
    EXPECT_LT(worst, 1e-3) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Audio, LossySeek, testing::Values("tone.mp3", "noxing.mp3", "tone.ogg", "tone.m4a"),
                         [](const auto& naming) {
                             return QString(naming.param).replace('.', '_').toStdString();
                         });

}  // namespace
}  // namespace sw
