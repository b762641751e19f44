#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "foundation/Clock.h"
#include "playback/BpmTap.h"
#include "playback/Preview.h"

namespace sw {
namespace {

using test::EngineRig;

TEST(Preview, OneOutputRefusesIt) {
    EngineRig rig(1);
    PreviewController preview(*rig.engine);
    bool shown = false;
    preview.SetShowWindow([&] { shown = true; });
    preview.PreviewSong(rig.queueRig.Song(1));
    EXPECT_EQ(rig.dialogs.TextsOf("INFO"), QStringList{"You need 2 soundcards to use Preview"});
    EXPECT_FALSE(shown);
    EXPECT_EQ(rig.engine->PreviewStream(), 0u);
}

TEST(Preview, ASecondPreviewReplacesTheFirstAndStoppingGivesTheTimerBack) {
    EngineRig rig(2);
    ASSERT_EQ(rig.engine->PreviewDevice(), 1);
    ASSERT_EQ(rig.engine->MasterDevice(), 2);
    rig.Append("song440.wav", 1);
    rig.queue().SetCursor(1);
    rig.engine->PlayCommand();
    ASSERT_TRUE(rig.engine->DisplayTimerOn());

    PreviewController preview(*rig.engine);
    TSong first = rig.queueRig.Song(2);
    first.FullPath = test::Media("song550.wav");
    first.FileName = "Rock/first.wav";
    TSong second = first;
    second.FullPath = test::Media("song660.wav");
    second.FileName = "Jazz/second.wav";
    int shown = 0;
    preview.SetShowWindow([&] { ++shown; });

    preview.PreviewSong(first);
    const AudioHandle firstStream = rig.engine->PreviewStream();
    ASSERT_NE(firstStream, 0u);
    EXPECT_FALSE(rig.engine->DisplayTimerOn());
    EXPECT_EQ(preview.TopLine(), " Rock/first.wav");
    const std::vector<float> heard = rig.output->Render(1, 4410);
    EXPECT_GT(*std::max_element(heard.begin(), heard.end()), 0.05f);

    preview.PreviewSong(second);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(preview.TopLine(), " Jazz/second.wav");
    EXPECT_NE(rig.engine->PreviewStream(), firstStream);
    float volume = 0;
    EXPECT_FALSE(rig.audio.ChannelGetAttribute(firstStream, BASS_ATTRIB_VOL, &volume));

    preview.StopPreview();
    EXPECT_TRUE(rig.engine->DisplayTimerOn());
    const std::vector<float> silent = rig.output->Render(1, 4410);
    EXPECT_EQ(*std::max_element(silent.begin(), silent.end()), 0.0f);
    // The room's song went on through all of it.
    rig.host->RunFor(300);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
    EXPECT_GT(rig.Peak(rig.Seconds() - 0.2, rig.Seconds()), 0.3);
    EXPECT_TRUE(rig.dialogs.TextsOf("INFO").isEmpty());
}

struct Taps {
    const char* name;
    std::vector<int> gaps;  // milliseconds before each tap after the first
    QStringList results;    // the result line after each tap
};

class BpmTaps : public ::testing::TestWithParam<Taps> {};

TEST_P(BpmTaps, ShowTheCountdownThenTheEstimate) {
    ManualClock clock;
    clock.Advance(5000);
    BpmTapper tapper(clock);
    tapper.WindowShown();
    EXPECT_EQ(tapper.ResultText(), "nnn bpm");
    QStringList results;
    tapper.BpmTap();
    results << tapper.ResultText();
    for (const int gap : GetParam().gaps) {
        clock.Advance(gap);
        tapper.BpmTap();
        results << tapper.ResultText();
    }
    EXPECT_EQ(results, GetParam().results);
}

QStringList Countdown() {
    QStringList countdown;
    for (int i = -10; i <= 0; ++i) {
        countdown << QString::number(i);
    }
    return countdown;
}

std::vector<int> Every(int gap, int count) {
    return std::vector<int>(static_cast<std::size_t>(count), gap);
}

INSTANTIATE_TEST_SUITE_P(Rhythms, BpmTaps,
                         ::testing::Values(Taps{"Steady500", Every(500, 12),
                                                Countdown() << "120"
                                                            << "120"},
                                           Taps{"ThenOneAt600",
                                                [] {
                                                    std::vector<int> gaps = Every(500, 11);
                                                    gaps.push_back(600);
                                                    return gaps;
                                                }(),
                                                Countdown() << "120"
                                                            << "118"},
                                           Taps{"ZeroIntervalSkipped",
                                                [] {
                                                    std::vector<int> gaps = Every(500, 11);
                                                    gaps.push_back(0);
                                                    gaps.push_back(500);
                                                    return gaps;
                                                }(),
                                                Countdown() << "120"
                                                            << "120"
                                                            << "120"}),
                         [](const testing::TestParamInfo<Taps>& param) {
                             return std::string(param.param.name);
                         });

TEST(BpmTap, TheEstimateCarriesOverToTheNextShowing) {
    ManualClock clock;
    clock.Advance(1000);
    BpmTapper tapper(clock);
    tapper.WindowShown();
    for (int i = 0; i < 12; ++i) {
        tapper.BpmTap();
        clock.Advance(500);
    }
    EXPECT_DOUBLE_EQ(tapper.Estimate(), 120);
    clock.Advance(1500);  // 2 s since the last tap: 30 beats per minute blend in
    tapper.WindowShown();
    tapper.BpmTap();
    EXPECT_EQ(tapper.ResultText(), "-10");
    EXPECT_DOUBLE_EQ(tapper.Estimate(), 0.1 * 30 + 0.9 * 120);
}

}  // namespace
}  // namespace sw
