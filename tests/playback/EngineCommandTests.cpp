// The engine's commands: fades and cross-fades, cuts without clicks, pause, jumps and the time bar.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "EngineTestSupport.h"
#include "core/Settings.h"

namespace sw {
namespace {

using test::EngineRig;

// The tone of the test media peaks at 0.4.
constexpr double kLoud = 0.3;

TEST(Engine, PlayNextWithLessThanTheFadeTimeLeftDoesNothing) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.engine->NextCommand();  // nothing has played: nothing is left either
    EXPECT_EQ(rig.engine->State(), PlaybackState::Stopped);
    rig.Play(1);
    rig.host->RunFor(2300);
    rig.engine->NextCommand();
    EXPECT_EQ(rig.queue().NowPlayingRow(), 1);
    rig.host->RunFor(300);
    EXPECT_EQ(rig.queue().NowPlayingRow(), 1);
    rig.host->RunUntilDone([&] { return rig.queue().NowPlayingRow() == 2; }, 2000);
    EXPECT_EQ(rig.queue().NowPlayingRow(), 2);  // the end advanced instead
}

TEST(Engine, ACrossfadeTargetWithTooLittleTimeIsIgnored) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.Play(1);
    rig.host->RunFor(2500);
    rig.queue().SetCursor(2);
    rig.engine->PlayCommand();
    EXPECT_EQ(rig.queue().NowPlayingRow(), 1);
    EXPECT_EQ(rig.queue().Cell(1, QueueColumn::Now), ">>");
    EXPECT_EQ(rig.queue().Cursor(), 2);
}

TEST(Engine, CrossfadeOverlapsTheTwoSongsForTheFadeTime) {
    EngineRig rig;
    rig.settings().FADETIME = 400;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.Play(1);
    rig.host->RunFor(1000);
    const AudioHandle first = rig.engine->CurrentStream();
    const double at = rig.Seconds();
    rig.engine->NextCommand();
    // The command returns at once: the mixer fades, and the new song counts as started when
    // the fade and its margin are over.
    EXPECT_EQ(rig.Seconds(), at);
    EXPECT_TRUE(rig.engine->IsFading());
    EXPECT_EQ(rig.engine->CurrentStream(), first);
    rig.host->RunFor(850);
    EXPECT_EQ(rig.engine->CurrentStream(), first);
    rig.host->RunFor(150);
    EXPECT_FALSE(rig.engine->IsFading());
    EXPECT_EQ(rig.queue().NowPlayingRow(), 2);
    EXPECT_EQ(rig.queue().Cell(1, QueueColumn::Now), "P");
    EXPECT_NE(rig.engine->CurrentStream(), first);
    float volume = 0;
    EXPECT_FALSE(rig.audio.ChannelGetAttribute(first, BASS_ATTRIB_VOL, &volume));  // freed
    EXPECT_GT(rig.Peak(at + 0.45, at + 0.9), kLoud);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
}

TEST(Engine, AJumpToZeroLeavesThePositionAlone) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.Play(1);
    rig.host->RunFor(1200);
    const quint64 before = rig.audio.ChannelGetPosition(rig.engine->CurrentStream(), BASS_POS_BYTE);
    rig.dialogs.QueueAnswers({"0:00", "00:00"});
    rig.engine->JumpCommand();
    rig.engine->JumpCommand();
    rig.engine->TimeBarDragged(0);
    rig.engine->TimeBarReleased(0);
    EXPECT_EQ(rig.audio.ChannelGetPosition(rig.engine->CurrentStream(), BASS_POS_BYTE), before);
    EXPECT_EQ(rig.dialogs.TextsOf("INPUT"), (QStringList{"Jump to time ( 0:00 - 00:03 ) -> 0:00",
                                                         "Jump to time ( 0:00 - 00:03 ) -> 00:00"}));
    rig.dialogs.QueueAnswer("0:02");
    rig.engine->JumpCommand();
    EXPECT_EQ(rig.audio.ChannelGetPosition(rig.engine->CurrentStream(), BASS_POS_BYTE), 2u * kSampleRate * 8);
}

TEST(Engine, DraggingTheTimeBarPausesAndReleasingResumesWhereItWasLet) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.Play(1);
    rig.host->RunFor(500);
    rig.engine->TimeBarDragged(1);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Paused);
    rig.engine->TimeBarDragged(2);
    EXPECT_EQ(rig.engine->Transport().jumpCaption, "00:02");
    rig.host->RunFor(300);
    rig.engine->TimeBarReleased(2);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
    rig.host->RunFor(200);
    EXPECT_NEAR(rig.engine->RemainingSeconds(), 0.8, 0.15);
    // A pause made by the bar saved no volume: pressing Pause during the drag resumes at the
    // volume the song had, even with the fade on pause (which would otherwise glide to nothing).
    rig.settings().FADEONPAUSE = true;
    rig.engine->TimeBarDragged(1);
    ASSERT_EQ(rig.engine->State(), PlaybackState::Paused);
    rig.engine->PressPause(true);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
    rig.host->RunFor(300);
    EXPECT_EQ(rig.MixerVolume(), 1.0f);
    EXPECT_GT(rig.Peak(rig.Seconds() - 0.2, rig.Seconds()), kLoud);
}

TEST(Engine, PauseWithNothingLoadedChangesNothing) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.engine->PressPause(true);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Stopped);
    EXPECT_FALSE(rig.engine->Transport().pauseDown);
    rig.Play(1);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
}

// Cuts without a fade ramp the sound over a few milliseconds: no step between two samples is
// larger than the tone's own (0.4 × 2π × 550 / 44100 ≈ 0.03), where a hard cut would jump 0.4.
struct CutCase {
    const char* name;
    std::function<void(EngineRig&)> cut;
};

class Cuts : public ::testing::TestWithParam<CutCase> {};

TEST_P(Cuts, DoNotClick) {
    EngineRig rig;
    rig.settings().FADEONNEXT = false;
    rig.settings().FADEONPAUSE = false;
    rig.Append("song550.wav", 1);
    rig.Append("song440.wav", 2);
    rig.Play(1);
    rig.host->RunFor(713);  // not a whole number of the tone's cycles: a cut there would jump
    const std::size_t from = rig.played.size() / 2 - 2000;
    GetParam().cut(rig);
    rig.host->RunFor(300);
    double largestStep = 0;
    for (std::size_t i = from + 1; i < rig.played.size() / 2; ++i) {
        largestStep = std::max(largestStep,
                               std::abs(static_cast<double>(rig.played[i * 2]) - rig.played[(i - 1) * 2]));
    }
    EXPECT_LT(largestStep, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, Cuts,
    ::testing::Values(CutCase{"Stop", [](EngineRig& rig) { rig.engine->StopCommand(); }},
                      CutCase{"Pause", [](EngineRig& rig) { rig.engine->PressPause(true); }},
                      CutCase{"Seek", [](EngineRig& rig) { rig.engine->TimeBarStep(2); }}),
    [](const ::testing::TestParamInfo<CutCase>& c) { return std::string(c.param.name); });

// A command that comes while a fade runs is handled from where the fade has got to.
struct MidFadeCase {
    const char* name;
    std::function<void(EngineRig&)> fade;
    std::function<void(EngineRig&)> command;
    PlaybackState after;
    int row;  // the now-playing row 1.6 s later (-1 none)
};

class CommandsDuringAFade : public ::testing::TestWithParam<MidFadeCase> {};

TEST_P(CommandsDuringAFade, AreHandledFromThere) {
    const MidFadeCase& c = GetParam();
    EngineRig rig;
    rig.settings().FADEONPAUSE = true;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.Play(1);
    rig.host->RunFor(300);
    c.fade(rig);
    ASSERT_TRUE(rig.engine->IsFading());
    rig.host->RunFor(400);
    const double at = rig.Seconds();
    c.command(rig);
    EXPECT_LE(rig.Seconds() - at, 0.01) << "a command never waits for a fade";
    rig.host->RunFor(1600);
    EXPECT_FALSE(rig.engine->IsFading());
    EXPECT_EQ(rig.engine->State(), c.after);
    EXPECT_EQ(rig.queue().NowPlayingRow(), c.row);
    if (c.after == PlaybackState::Playing) {
        EXPECT_EQ(rig.MixerVolume(), 1.0f);
        EXPECT_GT(rig.Peak(rig.Seconds() - 0.2, rig.Seconds()), kLoud);
    }
}

const auto kPauseFade = [](EngineRig& rig) { rig.engine->PressPause(true); };
const auto kStopFade = [](EngineRig& rig) { rig.engine->StopCommand(); };

INSTANTIATE_TEST_SUITE_P(
    Engine, CommandsDuringAFade,
    ::testing::Values(
        MidFadeCase{"PauseAgainBringsTheMusicBack", kPauseFade,
                    [](EngineRig& rig) { rig.engine->PressPause(false); }, PlaybackState::Playing, 1},
        MidFadeCase{"StopTurnsThePauseIntoAStop", kPauseFade, kStopFade, PlaybackState::Stopped, -1},
        MidFadeCase{"StopAgainStopsAtOnce", kStopFade, kStopFade, PlaybackState::Stopped, -1},
        MidFadeCase{"PlayStartsTheCursorRow", kStopFade,
                    [](EngineRig& rig) { rig.Play(2); }, PlaybackState::Playing, 2},
        // The cross-fade ends at once; from the last row there is nowhere to go, so it plays on.
        MidFadeCase{"NextDuringACrossFadeGoesOnFromTheNewSong",
                    [](EngineRig& rig) { rig.engine->NextCommand(); },
                    [](EngineRig& rig) { rig.engine->NextCommand(); }, PlaybackState::Playing, 2}),
    [](const ::testing::TestParamInfo<MidFadeCase>& c) { return std::string(c.param.name); });

// After a faded stop the next song sounds from its first milliseconds, at full volume.
TEST(Engine, TheSongAfterAFadedStopStartsAtItsFirstSample) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.Play(1);
    rig.host->RunFor(300);
    rig.engine->StopCommand();  // fades out over a second
    ASSERT_TRUE(rig.host->RunUntilDone([&] { return rig.engine->State() == PlaybackState::Stopped; }, 2000));
    const double start = rig.Seconds();
    rig.Play(2);
    EXPECT_EQ(rig.MixerVolume(), 1.0f);
    rig.host->RunFor(200);
    EXPECT_GT(rig.Peak(start + 0.005, start + 0.03), kLoud);
}

TEST(Engine, StopWhilePausedLeavesThePrePauseVolumeForTheNextSong) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.Play(1);
    rig.host->RunFor(500);
    rig.engine->PressPause(true);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Paused);
    EXPECT_EQ(rig.MixerVolume(), 0.0f);
    EXPECT_TRUE(rig.engine->Transport().pauseDown);
    rig.host->RunFor(300);
    EXPECT_LT(rig.Peak(rig.Seconds() - 0.2, rig.Seconds()), 0.001);
    rig.engine->StopCommand();
    EXPECT_EQ(rig.engine->State(), PlaybackState::Stopped);
    EXPECT_EQ(rig.MixerVolume(), 1.0f);
    rig.Play(2);
    rig.host->RunFor(500);
    EXPECT_GT(rig.Peak(rig.Seconds() - 0.3, rig.Seconds()), kLoud);
    EXPECT_FALSE(rig.engine->Transport().pauseDown);
}

TEST(Engine, FadeOnPauseNearTheEndMutesAndPausesWithoutFading) {
    EngineRig rig;
    rig.settings().FADEONPAUSE = true;
    rig.Append("song440.wav", 1);
    rig.Play(1);
    rig.host->RunFor(1000);
    double at = rig.Seconds();
    rig.engine->PressPause(true);  // 2 s left: a fade of 1 s with its margin fits
    // The mixer fades; the pause comes after the fade and its margin, and nothing waits for it.
    EXPECT_EQ(rig.Seconds(), at);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
    ASSERT_TRUE(rig.host->RunUntilDone([&] { return rig.engine->State() == PlaybackState::Paused; }, 2000));
    EXPECT_NEAR(rig.Seconds() - at, 1.5, 0.11);
    EXPECT_EQ(rig.MixerVolume(), 0.0f);
    // The fade in is the mixer's ramp: the command returns at once, the volume is back after it.
    at = rig.Seconds();
    rig.engine->PressPause(false);
    EXPECT_EQ(rig.Seconds(), at);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
    EXPECT_LT(rig.MixerVolume(), 0.1f);
    // The song ends during the fade in: its end is handled, not lost (the queue does not stall).
    rig.host->RunUntilDone([&] { return rig.engine->State() == PlaybackState::Stopped; }, 3000);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Stopped);
    EXPECT_EQ(rig.MixerVolume(), 1.0f);

    rig.Play(1);
    rig.host->RunUntilDone([&] { return rig.engine->RemainingSeconds() < 1.4; }, 3000);
    at = rig.Seconds();
    rig.engine->PressPause(true);
    EXPECT_LE(rig.Seconds() - at, 0.01);  // no fade, only the ramp that keeps it from clicking
    EXPECT_EQ(rig.engine->State(), PlaybackState::Paused);
    EXPECT_EQ(rig.MixerVolume(), 0.0f);
}

TEST(Engine, PlayPreviousAndNextWithoutFadesMoveOneRow) {
    EngineRig rig;
    rig.settings().FADEONNEXT = false;
    for (int i = 1; i <= 3; ++i) {
        rig.Append("song440.wav", i);
    }
    rig.Play(2);
    rig.host->RunFor(200);
    rig.engine->PreviousCommand();
    EXPECT_EQ(rig.queue().NowPlayingRow(), 1);
    rig.host->RunFor(200);
    rig.engine->NextCommand();
    EXPECT_EQ(rig.queue().NowPlayingRow(), 2);
    rig.engine->PressPause(true);
    rig.engine->NextCommand();  // paused: the cursor moves, nothing starts
    EXPECT_EQ(rig.engine->State(), PlaybackState::Stopped);
    EXPECT_EQ(rig.queue().Cursor(), 3);
}

TEST(Engine, PauseAndStopAtEndReleaseEachOther) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    const TransportView& t = rig.engine->Transport();
    rig.Play(1);
    rig.engine->SetStopAtEnd(true);
    rig.engine->PressPause(true);
    EXPECT_TRUE(t.pauseDown);
    EXPECT_FALSE(t.stopAtEndDown);
    rig.engine->SetStopAtEnd(true);
    EXPECT_FALSE(t.pauseDown);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Paused);
}

TEST(Engine, AFadeTimeBelowZeroIsNotTaken) {
    EngineRig rig;
    rig.dialogs.QueueAnswers({"2500", "-5"});
    rig.engine->AskFadeTime();
    rig.engine->AskFadeTime();
    EXPECT_EQ(rig.settings().FADETIME, 2500);
    EXPECT_EQ(rig.engine->FadeTimeCaption(), "Fade time (ms) = 2500");
}
}  // namespace
}  // namespace sw
