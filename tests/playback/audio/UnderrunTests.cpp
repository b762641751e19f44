#include <gtest/gtest.h>

#include <functional>

#include "AudioTestSupport.h"
#include "playback/audio/AudioFormat.h"
#include "playback/audio/NullOutput.h"

namespace sw {
namespace {

using test::Media;

constexpr qint64 kMs = 1'000'000;

struct BufferCase {
    const char* name;
    // How late the thread wakes for its n-th top-up, in nanoseconds after the moment it asked for.
    std::function<qint64(int)> lateness;
    quint64 underruns;
};

class PlayoutBuffers : public testing::TestWithParam<BufferCase> {};

// The null output's card, 512-frame blocks in a buffer of three, woken 2,000 times: a thread that
// comes less than the two queued blocks (23.2 ms) late never lets it run dry; one that comes later
// costs one underrun per late wake-up, however late. Every wake-up renders at least one block and
// at most the buffer, and the card is never fed further ahead of real time than the buffer holds.
TEST_P(PlayoutBuffers, RunDryOnlyWhenTheThreadComesLaterThanTheQueuedBlocks) {
    const BufferCase& param = GetParam();
    PlayoutBuffer card(512, 1536);
    const qint64 startedAt = 5 * kMs;
    qint64 now = startedAt;
    qint64 fed = 0;
    for (int wake = 0; wake < 2000; ++wake) {
        const qint64 blocks = card.BlocksDue(now);
        ASSERT_GE(blocks, 1) << "wake-up " << wake << " found no room";
        ASSERT_LE(blocks, 3) << "wake-up " << wake;
        fed += blocks * 512;
        const qint64 elapsed = (now - startedAt) * kSampleRate / 1'000'000'000;
        ASSERT_LE(fed - elapsed, 1536 + 1) << "wake-up " << wake << " fed the card ahead";
        if (param.underruns == 0) {
            ASSERT_GE(fed - elapsed, 512) << "wake-up " << wake << " fell behind";
        }
        now = card.NextDueNs() + param.lateness(wake + 1);
    }
    EXPECT_EQ(card.Underruns(), param.underruns);
}

INSTANTIATE_TEST_SUITE_P(
    Audio, PlayoutBuffers,
    testing::Values(BufferCase{"OnTime", [](int) { return qint64{0}; }, 0},
                    BufferCase{"AlwaysTwentyMsLate", [](int) { return 20 * kMs; }, 0},
                    BufferCase{"NowAndThenTwentyThreeMsLate",
                               [](int wake) { return wake % 7 == 0 ? 23 * kMs : 2 * kMs; }, 0},
                    BufferCase{"EveryHundredthThirtyMsLate",
                               [](int wake) { return wake % 100 == 50 ? 30 * kMs : 0; }, 20},
                    BufferCase{"StalledForASecondOnce",
                               [](int wake) { return wake == 1000 ? 1000 * kMs : kMs; }, 1}),
    [](const testing::TestParamInfo<BufferCase>& param) { return std::string(param.param.name); });

// A real-time output whose blocks the test asks for, and whose device reports underruns of its own.
class ManualOutput : public AudioOutput {
public:
    class Device : public OutputDevice {
    public:
        explicit Device(const quint64& own) : m_own(own) {}
        bool MayWait() const override { return false; }
        quint64 Underruns() const override { return m_own; }

    private:
        const quint64& m_own;
    };

    int DeviceCount() override { return 1; }
    QString DeviceName(int) override { return "Manual"; }
    std::unique_ptr<OutputDevice> Open(int, RenderTarget& opened) override {
        target = &opened;
        return std::make_unique<Device>(deviceUnderruns);
    }
    std::vector<float> Render(int frames) {
        std::vector<float> block(static_cast<size_t>(frames) * kChannels);
        target->Render(block.data(), frames);
        return block;
    }

    RenderTarget* target = nullptr;
    quint64 deviceUnderruns = 0;
};

// A real-time callback that finds a playing stream with less decoded audio than it needs counts
// one underrun, however many of its blocks fell short; one that finds enough counts none, and so
// does a stream's end. The device's own count adds in, and both outlive the device.
TEST(AudioUnderruns, CountCallbacksThatFindTooLittleDecodedAudio) {
    auto owned = std::make_unique<ManualOutput>();
    ManualOutput& output = *owned;
    AudioLibrary audio(std::move(owned));
    ASSERT_TRUE(audio.Init(1, kSampleRate));
    const AudioHandle mixer = audio.MixerStreamCreate(kSampleRate, kChannels, BASS_MIXER_END);
    const AudioHandle stream = audio.StreamCreateFile(Media("ramp.wav"), BASS_STREAM_DECODE);
    ASSERT_TRUE(audio.MixerStreamAddChannel(mixer, stream, BASS_MIXER_NORAMPIN));
    ASSERT_TRUE(audio.ChannelPlay(mixer, true));

    // What the stream decodes ahead when it is plugged in covers the first blocks.
    for (int i = 0; i < 8; ++i) {
        output.Render(512);
    }
    EXPECT_EQ(audio.UnderrunCount(), 0u);
    // Ten seconds in one call: far more than the worker keeps decoded ahead.
    const std::vector<float> tooMuch = output.Render(10 * kSampleRate);
    EXPECT_EQ(tooMuch[2 * 4095], (4096.0f + 4095.0f) / 32768) << "the decoded audio plays first";
    EXPECT_EQ(audio.UnderrunCount(), 1u);

    output.deviceUnderruns = 2;
    EXPECT_EQ(audio.UnderrunCount(), 3u);
    ASSERT_TRUE(audio.Free());
    output.deviceUnderruns = 0;
    EXPECT_EQ(audio.UnderrunCount(), 3u);
}

// The offline output decodes what is missing on its own thread, so it never underruns; nor does a
// mixer rendered past its sources' end.
TEST(AudioUnderruns, OfflineRenderingNeverUnderruns) {
    test::Rig rig;
    rig.Add(Media("ramp.wav"));
    ASSERT_TRUE(rig.audio->ChannelPlay(rig.mixer, true));
    rig.Render(10 * kSampleRate);
    EXPECT_EQ(rig.audio->UnderrunCount(), 0u);
}

}  // namespace
}  // namespace sw
