#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "AudioTestSupport.h"
#include "playback/audio/DecodeStream.h"
#include "playback/audio/Gain.h"
#include "playback/audio/NullOutput.h"
#include "playback/audio/SdlOutput.h"
#include "tags/HeldFiles.h"

namespace sw {
namespace {

using test::Media;
using test::Rig;

struct SlideCase {
    bool onMixer;
    float from;
    float to;
    quint32 milliseconds;
};

class Slides : public testing::TestWithParam<SlideCase> {};

// dc50.wav plays a constant 0.5, so every output sample shows the gain of its frame.
TEST_P(Slides, GlideFrameByFrameAndArriveExactlyOnTime) {
    const auto [onMixer, from, to, milliseconds] = GetParam();
    Rig rig;
    const AudioHandle stream = rig.Add(Media("dc50.wav"));
    const AudioHandle target = onMixer ? rig.mixer : stream;
    ASSERT_TRUE(rig.audio->ChannelSetAttribute(target, BASS_ATTRIB_VOL, from));
    ASSERT_TRUE(rig.audio->ChannelPlay(rig.mixer, true));
    ASSERT_TRUE(rig.audio->ChannelSlideAttribute(target, BASS_ATTRIB_VOL, to, milliseconds));
    const qint64 frames = SlideFrames(milliseconds);

    const std::vector<float> gliding = rig.Render(static_cast<int>(frames - 1));
    for (qint64 k = 0; k < frames - 1; ++k) {
        const double gain = from + (static_cast<double>(to) - from) * static_cast<double>(k) / frames;
        ASSERT_NEAR(gliding[static_cast<size_t>(2 * k)], 0.5 * gain, 1e-6) << "frame " << k;
    }
    float value = 0;
    ASSERT_TRUE(rig.audio->ChannelGetAttribute(target, BASS_ATTRIB_VOL, &value));
    EXPECT_NE(value, to) << "arrived one frame early";

    rig.Render(1);
    ASSERT_TRUE(rig.audio->ChannelGetAttribute(target, BASS_ATTRIB_VOL, &value));
    EXPECT_EQ(value, to);
    EXPECT_EQ(rig.Render(1)[0], 0.5f * to);
}

INSTANTIATE_TEST_SUITE_P(Audio, Slides,
                         testing::Values(SlideCase{true, 1.0f, 0.0f, 100}, SlideCase{false, 1.0f, 0.0f, 100},
                                         SlideCase{false, 0.0f, 0.8f, 250}, SlideCase{true, 0.3f, 0.9f, 10},
                                         SlideCase{false, 1.0f, 0.5f, 1}));

TEST(AudioSlides, OnlyMoveWhenTheOutputRenders) {
    Rig rig;
    rig.Add(Media("dc50.wav"));
    rig.audio->ChannelPlay(rig.mixer, true);
    ASSERT_TRUE(rig.audio->ChannelSlideAttribute(rig.mixer, BASS_ATTRIB_VOL, 0.0f, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    float value = 0;
    rig.audio->ChannelGetAttribute(rig.mixer, BASS_ATTRIB_VOL, &value);
    EXPECT_EQ(value, 1.0f);
    // A paused mixer still glides in the output's time.
    rig.audio->ChannelPause(rig.mixer);
    rig.Render(441);
    rig.audio->ChannelGetAttribute(rig.mixer, BASS_ATTRIB_VOL, &value);
    EXPECT_EQ(value, 0.0f);
}

TEST(AudioSlides, SettingTheVolumeEndsASlide) {
    Rig rig;
    const AudioHandle stream = rig.Add(Media("dc50.wav"));
    rig.audio->ChannelPlay(rig.mixer, true);
    rig.audio->ChannelSlideAttribute(stream, BASS_ATTRIB_VOL, 0.0f, 1000);
    rig.Render(100);
    rig.audio->ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 0.6f);
    rig.Render(44100 / 2);
    float value = 0;
    rig.audio->ChannelGetAttribute(stream, BASS_ATTRIB_VOL, &value);
    EXPECT_EQ(value, 0.6f);
    EXPECT_EQ(rig.Render(1)[0], 0.5f * 0.6f);
}

struct SilenceCase {
    const char* name;
    bool mixerMuted;
    bool firstMuted;
    bool secondMuted;
    float expected;
};

class Volume : public testing::TestWithParam<SilenceCase> {};

TEST_P(Volume, ZeroIsSilentAndSourcesAdd) {
    const SilenceCase& param = GetParam();
    Rig rig;
    const AudioHandle first = rig.Add(Media("dc50.wav"));
    const AudioHandle second = rig.Add(Media("dc25.wav"));
    rig.audio->ChannelSetAttribute(rig.mixer, BASS_ATTRIB_VOL, param.mixerMuted ? 0.0f : 1.0f);
    rig.audio->ChannelSetAttribute(first, BASS_ATTRIB_VOL, param.firstMuted ? 0.0f : 1.0f);
    rig.audio->ChannelSetAttribute(second, BASS_ATTRIB_VOL, param.secondMuted ? 0.0f : 1.0f);
    rig.audio->ChannelPlay(rig.mixer, true);
    const std::vector<float> played = rig.Render(20000);
    for (const float sample : played) {
        ASSERT_EQ(sample, param.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Audio, Volume,
                         testing::Values(SilenceCase{"both", false, false, false, 0.75f},
                                         SilenceCase{"mixerMuted", true, false, false, 0.0f},
                                         SilenceCase{"firstMuted", false, true, false, 0.25f},
                                         SilenceCase{"bothMuted", false, true, true, 0.0f}),
                         [](const auto& naming) { return std::string(naming.param.name); });

TEST(AudioEndNotification, FiresOnceOnTheMixingThreadWhenTheLastSourceEnds) {
    Rig rig;
    rig.Add(Media("dc50.wav"));  // 1 s
    rig.Add(Media("dc25.wav"));  // 0.5 s
    std::atomic<int> count{0};
    std::thread::id caller;
    ASSERT_NE(rig.audio->ChannelSetSync(rig.mixer, BASS_SYNC_END | BASS_SYNC_MIXTIME,
                                        [&](AudioHandle, AudioHandle channel) {
                                            EXPECT_EQ(channel, rig.mixer);
                                            caller = std::this_thread::get_id();
                                            ++count;
                                        }),
              0u);
    rig.audio->ChannelPlay(rig.mixer, true);

    std::thread::id mixing;
    std::thread renderer([&] {
        mixing = std::this_thread::get_id();
        rig.Render(33075);  // past the end of the shorter source
        EXPECT_EQ(count, 0);
        rig.Render(11024);  // one frame before the end
        EXPECT_EQ(count, 0);
        rig.Render(1000);
        rig.Render(44100);
    });
    renderer.join();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(caller, mixing);
    EXPECT_NE(caller, std::this_thread::get_id());
    EXPECT_EQ(rig.Position(rig.mixer), 44100);

    // A new song in the stopped mixer ends with a notification of its own.
    rig.Add(Media("dc25.wav"));
    rig.audio->ChannelPlay(rig.mixer, true);
    rig.Render(44100);
    EXPECT_EQ(count, 2);
}

TEST(AudioEndNotification, DoesNotFireForAStoppedMixer) {
    Rig rig;
    const AudioHandle stream = rig.Add(Media("dc25.wav"));
    int count = 0;
    rig.audio->ChannelSetSync(rig.mixer, BASS_SYNC_END | BASS_SYNC_MIXTIME,
                              [&](AudioHandle, AudioHandle) { ++count; });
    rig.audio->ChannelPlay(rig.mixer, true);
    rig.Render(10000);
    ASSERT_TRUE(rig.audio->ChannelStop(rig.mixer));
    const std::vector<float> stopped = rig.Render(30000);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(rig.Position(stream), 10000);
    EXPECT_TRUE(std::all_of(stopped.begin(), stopped.end(), [](float s) { return s == 0.0f; }));
    // Stop, reset and free, as the player does between songs.
    EXPECT_TRUE(rig.audio->ChannelSetPosition(rig.mixer, 0, BASS_POS_BYTE));
    EXPECT_TRUE(rig.audio->StreamFree(stream));
    EXPECT_EQ(rig.Position(rig.mixer), 0);
    EXPECT_EQ(count, 0);
}

// A levelled song: its gain scales its samples and it ends at the end of its music, where the
// song queued behind it takes over in the same frame and its end is notified.
TEST(AudioMixer, AGainScalesASourceAndAnEndFrameEndsItThere) {
    Rig rig;
    const AudioHandle first = rig.Add(Media("dc50.wav"));
    const AudioHandle second = rig.Add(Media("dc25.wav"), BASS_MIXER_NORAMPIN | BASS_MIXER_CHAN_QUEUED);
    ASSERT_TRUE(rig.audio->ChannelSetAttribute(first, kAttribGain, 0.5f));
    ASSERT_TRUE(rig.audio->ChannelSetAttribute(second, kAttribGain, 2.0f));
    ASSERT_TRUE(rig.audio->StreamSetEnd(first, 10000 * 8));
    float gain = 0;
    ASSERT_TRUE(rig.audio->ChannelGetAttribute(first, kAttribGain, &gain));
    EXPECT_EQ(gain, 0.5f);
    std::atomic<int> ends{0};
    rig.audio->ChannelSetSync(first, BASS_SYNC_END | BASS_SYNC_MIXTIME, [&](AudioHandle, AudioHandle) { ++ends; });
    rig.audio->ChannelPlay(rig.mixer, true);
    const std::vector<float> played = rig.Render(12000);
    EXPECT_EQ(played[2 * 9999], 0.25f);
    EXPECT_EQ(played[2 * 10000], 0.5f);
    EXPECT_EQ(played[2 * 11999], 0.5f);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(rig.Position(first), 10000);
    EXPECT_EQ(rig.Position(second), 2000);
    // Neither a mixer nor the volume's slide shape is a place for an end or a gain.
    EXPECT_FALSE(rig.audio->StreamSetEnd(rig.mixer, 0));
    EXPECT_FALSE(rig.audio->ChannelSlideAttribute(first, kAttribGain, 1.0f, 10));
}

TEST(AudioMixer, PauseHaltsAndKeepsThePosition) {
    Rig rig;
    const AudioHandle stream = rig.Add(Media("dc50.wav"));
    rig.audio->ChannelPlay(rig.mixer, true);
    rig.Render(5000);
    ASSERT_TRUE(rig.audio->ChannelPause(rig.mixer));
    const std::vector<float> paused = rig.Render(5000);
    EXPECT_TRUE(std::all_of(paused.begin(), paused.end(), [](float s) { return s == 0.0f; }));
    EXPECT_EQ(rig.Position(stream), 5000);
    EXPECT_EQ(rig.Position(rig.mixer), 5000);
    ASSERT_TRUE(rig.audio->ChannelPlay(rig.mixer, false));
    EXPECT_EQ(rig.Render(1)[0], 0.5f);
    EXPECT_EQ(rig.Position(stream), 5001);
}

TEST(AudioMixer, WithoutNoRampInASourceFadesIn) {
    Rig rig;
    rig.Add(Media("dc50.wav"), 0);
    rig.audio->ChannelPlay(rig.mixer, true);
    const std::vector<float> played = rig.Render(200);
    EXPECT_EQ(played[0], 0.0f);
    EXPECT_NEAR(played[2 * 64], 0.25f, 1e-6);
    EXPECT_EQ(played[2 * 128], 0.5f);
}

TEST(AudioMixer, AutoFreeSourceLeavesAtItsEndAndReleasesItsFile) {
    Rig rig;
    rig.Add(Media("dc50.wav"));
    const AudioHandle shortOne = rig.Add(Media("dc25.wav"), BASS_MIXER_NORAMPIN | BASS_STREAM_AUTOFREE);
    rig.audio->ChannelPlay(rig.mixer, true);
    rig.Render(30000);
    QElapsedTimer waited;
    waited.start();
    while (HeldFiles::IsHeld(Media("dc25.wav")) && waited.elapsed() < 3000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(HeldFiles::IsHeld(Media("dc25.wav")));
    EXPECT_TRUE(HeldFiles::IsHeld(Media("dc50.wav")));
    EXPECT_EQ(rig.Position(shortOne), 22050);
    EXPECT_EQ(rig.Render(1)[0], 0.5f);
    EXPECT_TRUE(rig.audio->StreamFree(shortOne));
}

// A real-time reader never waits for the decoder: what is not decoded yet plays as silence and
// is counted. A stream that has not started decoding shows it without depending on timing.
TEST(AudioDecodeStream, ReadingAheadOfTheDecoderPlaysSilenceAndIsCounted) {
    DecodeStream stream(Media("ramp.wav"));
    std::vector<float> out(2 * 1000, 1.0f);
    EXPECT_EQ(stream.Read(out.data(), 1000, false), 0);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float s) { return s == 0.0f; }));
    EXPECT_EQ(stream.Underruns(), 1u);
    EXPECT_FALSE(stream.Ended());
    EXPECT_EQ(stream.PositionFrames(), 0);

    stream.Start();  // decodes ahead before returning
    EXPECT_EQ(stream.Read(out.data(), 1000, false), 1000);
    EXPECT_EQ(out[2 * 999], 999.0f / 32768);
    EXPECT_EQ(stream.Underruns(), 1u);
    // An offline reader decodes what is missing itself.
    std::vector<float> rest(2 * 3 * 44100);
    EXPECT_EQ(stream.Read(rest.data(), 3 * 44100, true), 3 * 44100 - 1000);
    EXPECT_TRUE(stream.Ended());
    EXPECT_EQ(stream.PositionFrames(), 3 * 44100);
}

TEST(AudioMixer, AStreamPlaysByItselfOnItsDevice) {
    Rig rig;
    const AudioHandle preview = rig.audio->StreamCreateFile(Media("dc25.wav"), BASS_SAMPLE_FLOAT);
    ASSERT_NE(preview, 0u);
    EXPECT_FALSE(rig.audio->MixerStreamAddChannel(rig.mixer, preview, 0));
    EXPECT_EQ(rig.audio->ErrorGetCode(), static_cast<int>(AudioError::Decode));
    int count = 0;
    rig.audio->ChannelSetSync(preview, BASS_SYNC_END | BASS_SYNC_MIXTIME,
                              [&](AudioHandle, AudioHandle) { ++count; });
    ASSERT_TRUE(rig.audio->ChannelPlay(preview, false));
    EXPECT_EQ(rig.Render(1000)[0], 0.25f);
    EXPECT_EQ(rig.Position(preview), 1000);
    rig.Render(30000);
    EXPECT_EQ(count, 1);
    // Played again after its end, it starts over.
    ASSERT_TRUE(rig.audio->ChannelPlay(preview, false));
    rig.Render(100);
    EXPECT_EQ(rig.Position(preview), 100);
}

TEST(AudioDevices, SeveralPlayAtOnceEachOnItsOwnClock) {
    Rig rig(2);
    const AudioHandle first = rig.Add(Media("dc50.wav"));
    ASSERT_TRUE(rig.audio->Init(2, 44100));
    const AudioHandle secondMixer = rig.audio->MixerStreamCreate(44100, 2, BASS_MIXER_END);
    const AudioHandle second = rig.audio->StreamCreateFile(Media("dc25.wav"), BASS_STREAM_DECODE);
    ASSERT_TRUE(rig.audio->MixerStreamAddChannel(secondMixer, second, BASS_MIXER_NORAMPIN));
    rig.audio->ChannelPlay(rig.mixer, true);
    rig.audio->ChannelPlay(secondMixer, true);
    rig.audio->ChannelSlideAttribute(rig.mixer, BASS_ATTRIB_VOL, 0.0f, 100);

    EXPECT_EQ(rig.Render(1000, 2)[0], 0.25f);
    EXPECT_EQ(rig.Position(first), 0);
    float value = 0;
    rig.audio->ChannelGetAttribute(rig.mixer, BASS_ATTRIB_VOL, &value);
    EXPECT_EQ(value, 1.0f);
    EXPECT_EQ(rig.Render(1000, 1)[0], 0.5f);
    EXPECT_EQ(rig.Position(second), 1000);

    // Freeing device 2 takes its channels with it; device 1 plays on.
    ASSERT_TRUE(rig.audio->SetDevice(2));
    ASSERT_TRUE(rig.audio->Free());
    EXPECT_FALSE(HeldFiles::IsHeld(Media("dc25.wav")));
    EXPECT_FALSE(rig.audio->ChannelPlay(secondMixer, true));
    EXPECT_EQ(rig.audio->ErrorGetCode(), static_cast<int>(AudioError::Handle));
    EXPECT_EQ(rig.Position(first), 1000);
    rig.Render(10);
    EXPECT_EQ(rig.Position(first), 1010);
}

TEST(AudioNullOutput, PlaysInRealTimeAndNotifiesOnItsOwnThread) {
    AudioLibrary audio(std::make_unique<NullOutput>());
    AudioDeviceInfo info;
    ASSERT_TRUE(audio.GetDeviceInfo(1, &info));
    EXPECT_FALSE(audio.GetDeviceInfo(2, &info));
    ASSERT_TRUE(audio.Init(1, 44100));
    const AudioHandle mixer = audio.MixerStreamCreate(44100, 2, BASS_MIXER_END);
    const AudioHandle stream =
        audio.StreamCreateFile(Media("dc25.wav"), BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    ASSERT_TRUE(audio.MixerStreamAddChannel(mixer, stream, BASS_MIXER_NORAMPIN));
    std::mutex mutex;
    std::condition_variable ended;
    std::thread::id notifier;
    audio.ChannelSetSync(mixer, BASS_SYNC_END | BASS_SYNC_MIXTIME, [&](AudioHandle, AudioHandle) {
        std::lock_guard lock(mutex);
        notifier = std::this_thread::get_id();
        ended.notify_all();
    });
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(audio.ChannelPlay(mixer, true));
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(
            ended.wait_for(lock, std::chrono::seconds(10), [&] { return notifier != std::thread::id(); }));
    }
    EXPECT_GE(clock.elapsed(), 450);  // 0.5 s of audio, not faster
    EXPECT_NE(notifier, std::this_thread::get_id());
    EXPECT_EQ(audio.ChannelGetPosition(stream, BASS_POS_BYTE), 22050u * 8);
}

// SDL's dummy driver paces its callbacks like a sound card without needing one.
TEST(AudioSdlOutput, PlaysThroughSdlsDummyDriver) {
    qputenv("SDL_AUDIODRIVER", "dummy");
    auto output = std::make_unique<SdlOutput>();
    if (output->DeviceCount() < 1) {
        GTEST_SKIP() << "SDL has no dummy driver here: " << output->InitError().toStdString();
    }
    AudioLibrary audio(std::move(output));
    AudioDeviceInfo info;
    ASSERT_TRUE(audio.GetDeviceInfo(1, &info));
    EXPECT_FALSE(info.name.isEmpty());
    ASSERT_TRUE(audio.Init(1, 44100));
    EXPECT_FALSE(audio.Init(1, 44100));
    EXPECT_EQ(audio.ErrorGetCode(), static_cast<int>(AudioError::Already));
    const AudioHandle mixer = audio.MixerStreamCreate(44100, 2, BASS_MIXER_END);
    const AudioHandle stream =
        audio.StreamCreateFile(Media("dc25.wav"), BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    ASSERT_TRUE(audio.MixerStreamAddChannel(mixer, stream, BASS_MIXER_NORAMPIN));
    std::atomic<bool> ended{false};
    std::atomic<std::thread::id> notifier;
    audio.ChannelSetSync(mixer, BASS_SYNC_END | BASS_SYNC_MIXTIME, [&](AudioHandle, AudioHandle) {
        notifier = std::this_thread::get_id();
        ended = true;
    });
    ASSERT_TRUE(audio.ChannelPlay(mixer, true));
    QElapsedTimer clock;
    clock.start();
    while (!ended && clock.elapsed() < 10000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(ended);
    EXPECT_NE(notifier.load(), std::this_thread::get_id());
    EXPECT_EQ(audio.ChannelGetPosition(stream, BASS_POS_BYTE), 22050u * 8);
    EXPECT_TRUE(audio.Free());
}

}  // namespace
}  // namespace sw
