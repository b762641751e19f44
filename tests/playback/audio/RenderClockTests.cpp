#include <gtest/gtest.h>

#include <random>

#include "../EngineTestSupport.h"
#include "playback/audio/AudioFormat.h"
#include "playback/audio/RenderClock.h"

namespace sw {
namespace {

using test::EngineRig;

// Counts what the offline device is asked to play.
class CountingTarget : public RenderTarget {
public:
    void Render(float* interleaved, int frames) override {
        std::fill(interleaved, interleaved + static_cast<std::ptrdiff_t>(frames) * kChannels, 0.25f);
        rendered += frames;
    }
    qint64 rendered = 0;
};

// A millisecond count that often lands a few milliseconds past a whole second, where the frame of
// a moment is furthest from a whole number of frames per millisecond.
int RandomMoment(std::mt19937& random, int upToMs) {
    if (random() % 2 == 0) {
        return static_cast<int>(random() % static_cast<unsigned>(upToMs / 1000 + 1)) * 1000 +
               static_cast<int>(random() % 10);
    }
    return static_cast<int>(random() % static_cast<unsigned>(upToMs + 1));
}

struct ClockCase {
    const char* name;
    bool deviceOpen;
};

class RenderClockSleeps : public testing::TestWithParam<ClockCase> {};

// 1,000 sleeps of random lengths, each from wherever the previous one (or a render of an odd
// number of frames) left the clock: each one moves the clock by exactly its length, renders no
// more than that much audio, and every frame counted reaches the sink (and the device when open).
TEST_P(RenderClockSleeps, MoveTheClockByTheirLengthFromAnyFrame) {
    OfflineOutput output(1);
    CountingTarget target;
    std::unique_ptr<OutputDevice> device;
    if (GetParam().deviceOpen) {
        device = output.Open(1, target);
    }
    qint64 sunk = 0;
    RenderClock clock(output, 1, [&sunk](const float*, int frames) { sunk += frames; });
    std::mt19937 random(20240611);
    for (int i = 0; i < 1000; ++i) {
        clock.RenderFrames(random() % 3000);
        const int sleep = i % 3 == 0 ? RandomMoment(random, 5000) + 1 : static_cast<int>(random() % 4) + 1;
        const qint64 before = clock.NowMs();
        const qint64 framesBefore = clock.Frames();
        clock.SleepMs(sleep);
        ASSERT_EQ(clock.NowMs(), before + sleep)
            << "sleep " << i << " of " << sleep << " ms from frame " << framesBefore;
        ASSERT_LE((clock.Frames() - framesBefore) * 1000, (sleep + 1) * qint64{kSampleRate})
            << "sleep " << i << " rendered more than it slept";
    }
    EXPECT_EQ(sunk, clock.Frames());
    EXPECT_EQ(target.rendered, GetParam().deviceOpen ? clock.Frames() : 0);
    if (GetParam().deviceOpen) {
        EXPECT_EQ(output.RenderedFrames(1), clock.Frames());
    }
}

INSTANTIATE_TEST_SUITE_P(Audio, RenderClockSleeps,
                         testing::Values(ClockCase{"DeviceOpen", true},
                                         ClockCase{"BeforeTheDeviceOpens", false}),
                         [](const testing::TestParamInfo<ClockCase>& param) {
                             return std::string(param.param.name);
                         });

// Sleeps in slices of at most 10 ms add up without drifting: a wait for a moment ends within one
// frame after it, in the fewest slices, from 1,000 random starting frames.
TEST(RenderClock, WaitsForAMomentInSlicesAndEndsOnIt) {
    OfflineOutput output(1);
    RenderClock clock(output, 1);
    std::mt19937 random(7);
    for (int i = 0; i < 1000; ++i) {
        clock.RenderFrames(random() % 1000);
        const qint64 start = clock.NowMs();
        const qint64 moment = start + RandomMoment(random, 3000);
        int slices = 0;
        const int most = static_cast<int>((moment - start + 9) / 10);
        while (clock.NowMs() < moment && slices <= most) {
            clock.SleepMs(static_cast<int>(std::min<qint64>(10, moment - clock.NowMs())));
            ++slices;
        }
        ASSERT_EQ(clock.NowMs(), moment) << "wait " << i << " from " << start;
        ASSERT_LE(slices, most) << "wait " << i << " from " << start;
        ASSERT_LT(clock.Frames() * 1000 - moment * kSampleRate, kSampleRate) << "overshot the moment";
    }
}

// The engine rendered offline, as swtool play renders it, with "Play next" at a random moment and a
// random fade time: every rendering gets to the moment and then plays to the end of the queue.
// Each wait is counted, so a clock that stops moving fails instead of hanging.
TEST(OfflinePlay, PlayNextAtAnyMomentWithAnyFadeRunsToTheEnd) {
    std::mt19937 random(42);
    for (int i = 0; i < 150; ++i) {
        EngineRig rig;
        rig.settings().FADETIME = static_cast<int>(random() % 2500);
        rig.settings().FADEONNEXT = random() % 4 != 0;
        rig.Append("song440.wav", 1);
        rig.Append("song550.wav", 2);
        const int moment = RandomMoment(random, 2900);
        const std::string what = "case " + std::to_string(i) + ": fade " +
                                 std::to_string(rig.settings().FADETIME) + " ms, next at " +
                                 std::to_string(moment) + " ms";
        rig.Play(1);
        const qint64 start = rig.clock.NowMs();
        int steps = 0;
        const auto counted = [&steps] { return ++steps > 2000; };
        rig.host->RunUntilDone(counted, start + moment - rig.clock.NowMs());
        ASSERT_LE(steps, 2000) << what << ": the clock stopped before the moment";
        ASSERT_GE(rig.clock.NowMs(), start + moment) << what;
        rig.engine->NextCommand();
        steps = 0;
        rig.host->RunUntilDone(
            [&] { return rig.engine->State() == PlaybackState::Stopped || ++steps > 2000; }, 20000);
        ASSERT_EQ(rig.engine->State(), PlaybackState::Stopped) << what << " (after " << steps << " steps)";
        // Two songs of 3 s: the rendering ends by the time both could have played one after the other.
        EXPECT_LE(rig.Seconds(), 6.0 + moment / 1000.0 + 1.0) << what;
    }
}

}  // namespace
}  // namespace sw
