#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "AudioTestSupport.h"
#include "playback/audio/AudioOutputChoice.h"

namespace sw {
namespace {

using test::Media;
using test::Rig;

constexpr AudioHandle kNoSuchHandle = 0x7777;

struct CallCase {
    const char* name;
    std::function<bool(AudioLibrary&, AudioHandle stream, AudioHandle mixer)> call;  // true: it failed
    AudioError error;
};

class FailingCalls : public testing::TestWithParam<CallCase> {};

TEST_P(FailingCalls, ReportFailureAndTheirCode) {
    Rig rig;
    const AudioHandle stream = rig.Add(Media("dc25.wav"));
    ASSERT_TRUE(rig.audio->ChannelPlay(rig.mixer, true));  // leaves the code at 0
    EXPECT_TRUE(GetParam().call(*rig.audio, stream, rig.mixer));
    EXPECT_EQ(rig.audio->ErrorGetCode(), static_cast<int>(GetParam().error));
}

float g_value = 0;

INSTANTIATE_TEST_SUITE_P(
    Audio, FailingCalls,
    testing::Values(
        CallCase{"PlayUnknown",
                 [](AudioLibrary& a, auto, auto) { return !a.ChannelPlay(kNoSuchHandle, true); },
                 AudioError::Handle},
        CallCase{"FreeUnknown", [](AudioLibrary& a, auto, auto) { return !a.StreamFree(kNoSuchHandle); },
                 AudioError::Handle},
        CallCase{"FreeTwice",
                 [](AudioLibrary& a, AudioHandle s, auto) { return a.StreamFree(s) && !a.StreamFree(s); },
                 AudioError::Handle},
        CallCase{"LengthUnknown",
                 [](AudioLibrary& a, auto, auto) {
                     return a.ChannelGetLength(kNoSuchHandle, BASS_POS_BYTE) == kAudioAllBits;
                 },
                 AudioError::Handle},
        CallCase{"PositionUnknown",
                 [](AudioLibrary& a, auto, auto) {
                     return a.ChannelGetPosition(kNoSuchHandle, BASS_POS_BYTE) == kAudioAllBits;
                 },
                 AudioError::Handle},
        CallCase{"SecondsUnknown",
                 [](AudioLibrary& a, auto, auto) { return a.ChannelBytes2Seconds(kNoSuchHandle, 8) < 0; },
                 AudioError::Handle},
        CallCase{"BytesUnknown",
                 [](AudioLibrary& a, auto, auto) {
                     return a.ChannelSeconds2Bytes(kNoSuchHandle, 1.0) == kAudioAllBits;
                 },
                 AudioError::Handle},
        CallCase{"SyncUnknown",
                 [](AudioLibrary& a, auto, auto) {
                     return a.ChannelSetSync(kNoSuchHandle, BASS_SYNC_END, [](auto, auto) {}) == 0;
                 },
                 AudioError::Handle},
        CallCase{"MixerLength",
                 [](AudioLibrary& a, auto, AudioHandle m) {
                     return a.ChannelGetLength(m, BASS_POS_BYTE) == kAudioAllBits;
                 },
                 AudioError::NotAvailable},
        CallCase{"PlayDecodingStream",
                 [](AudioLibrary& a, AudioHandle s, auto) { return !a.ChannelPlay(s, false); },
                 AudioError::Decode},
        CallCase{"MixerIntoMixer",
                 [](AudioLibrary& a, auto, AudioHandle m) {
                     const AudioHandle other = a.MixerStreamCreate(44100, 2, 0);
                     return !a.MixerStreamAddChannel(m, other, 0);
                 },
                 AudioError::Decode},
        CallCase{
            "AddedTwice",
            [](AudioLibrary& a, AudioHandle s, AudioHandle m) { return !a.MixerStreamAddChannel(m, s, 0); },
            AudioError::Already},
        CallCase{"AddToAStream",
                 [](AudioLibrary& a, AudioHandle s, auto) { return !a.MixerStreamAddChannel(s, s, 0); },
                 AudioError::Handle},
        CallCase{"PausePaused",
                 [](AudioLibrary& a, auto, AudioHandle m) { return a.ChannelPause(m) && !a.ChannelPause(m); },
                 AudioError::Already},
        CallCase{"PauseStopped",
                 [](AudioLibrary& a, auto, AudioHandle m) { return a.ChannelStop(m) && !a.ChannelPause(m); },
                 AudioError::NotPlaying},
        CallCase{"OtherAttribute",
                 [](AudioLibrary& a, AudioHandle s, auto) { return !a.ChannelGetAttribute(s, 1, &g_value); },
                 AudioError::IllegalType},
        CallCase{"NegativeVolume",
                 [](AudioLibrary& a, AudioHandle s, auto) {
                     return !a.ChannelSetAttribute(s, BASS_ATTRIB_VOL, -0.5f);
                 },
                 AudioError::IllegalParameter},
        CallCase{"NanSlide",
                 [](AudioLibrary& a, AudioHandle s, auto) {
                     return !a.ChannelSlideAttribute(s, BASS_ATTRIB_VOL, std::nanf(""), 10);
                 },
                 AudioError::IllegalParameter},
        CallCase{"OtherPositionMode",
                 [](AudioLibrary& a, AudioHandle s, auto) { return !a.ChannelSetPosition(s, 0, 1); },
                 AudioError::IllegalType},
        CallCase{"NegativeSeconds",
                 [](AudioLibrary& a, AudioHandle s, auto) {
                     return a.ChannelSeconds2Bytes(s, -1.0) == kAudioAllBits;
                 },
                 AudioError::IllegalParameter},
        CallCase{"OtherSync",
                 [](AudioLibrary& a, AudioHandle s, auto) {
                     return a.ChannelSetSync(s, 4, [](auto, auto) {}) == 0;
                 },
                 AudioError::IllegalType},
        CallCase{"MixerAt48k",
                 [](AudioLibrary& a, auto, auto) { return a.MixerStreamCreate(48000, 2, 0) == 0; },
                 AudioError::Format},
        CallCase{"InitTwice", [](AudioLibrary& a, auto, auto) { return !a.Init(1, 44100); },
                 AudioError::Already},
        CallCase{"InitNoSuchDevice", [](AudioLibrary& a, auto, auto) { return !a.Init(2, 44100); },
                 AudioError::Device},
        CallCase{"SelectUninitialised", [](AudioLibrary& a, auto, auto) { return !a.SetDevice(0); },
                 AudioError::Init}),
    [](const auto& naming) { return std::string(naming.param.name); });

TEST(AudioConversions, BytesAndSecondsOfAFloatStereoStream) {
    Rig rig;
    const AudioHandle stream = rig.Add(Media("dc25.wav"));
    const std::vector<std::pair<double, quint64>> cases = {
        {0.0, 0}, {1.0, 352800}, {0.3, 13230 * 8}, {2.5, 110250 * 8}, {1.0 / 44100, 8}, {0.9 / 44100, 0}};
    for (const auto& [seconds, bytes] : cases) {
        EXPECT_EQ(rig.audio->ChannelSeconds2Bytes(stream, seconds), bytes) << seconds;
        EXPECT_EQ(rig.audio->ChannelSeconds2Bytes(rig.mixer, seconds), bytes) << seconds;
    }
    EXPECT_DOUBLE_EQ(rig.audio->ChannelBytes2Seconds(stream, 352800), 1.0);
    EXPECT_DOUBLE_EQ(rig.audio->ChannelBytes2Seconds(stream, 22050 * 8), 0.5);
    EXPECT_DOUBLE_EQ(
        rig.audio->ChannelBytes2Seconds(stream, rig.audio->ChannelGetLength(stream, BASS_POS_BYTE)), 0.5);
}

TEST(AudioDevices, AreListedOpenedAndSelected) {
    auto output = std::make_unique<OfflineOutput>(2);
    AudioLibrary audio(std::move(output));
    AudioDeviceInfo info;
    ASSERT_TRUE(audio.GetDeviceInfo(1, &info));
    EXPECT_EQ(info.name, "Offline output 1");
    ASSERT_TRUE(audio.GetDeviceInfo(2, &info));
    EXPECT_EQ(info.name, "Offline output 2");
    EXPECT_FALSE(audio.GetDeviceInfo(3, &info));
    EXPECT_EQ(audio.ErrorGetCode(), static_cast<int>(AudioError::Device));
    ASSERT_TRUE(audio.GetDeviceInfo(0, &info));
    EXPECT_EQ(info.name, "No sound");

    EXPECT_EQ(audio.StreamCreateFile(Media("dc25.wav"), BASS_STREAM_DECODE), 0u);
    EXPECT_EQ(audio.ErrorGetCode(), static_cast<int>(AudioError::Init));
    EXPECT_FALSE(audio.Free());
    EXPECT_EQ(audio.ErrorGetCode(), static_cast<int>(AudioError::Init));
    EXPECT_FALSE(audio.Init(1, 48000));
    EXPECT_EQ(audio.ErrorGetCode(), static_cast<int>(AudioError::Format));

    ASSERT_TRUE(audio.Init(2, 44100));
    ASSERT_TRUE(audio.Init(1, 44100));
    EXPECT_FALSE(audio.Init(2, 44100));
    EXPECT_EQ(audio.ErrorGetCode(), static_cast<int>(AudioError::Already));
    // The silent device opens whatever the output.
    ASSERT_TRUE(audio.Init(0, 44100));
    EXPECT_TRUE(audio.SetDevice(2));
    EXPECT_TRUE(audio.Free());
    EXPECT_FALSE(audio.SetDevice(2));
    EXPECT_TRUE(audio.Init(2, 44100));
}

TEST(AudioErrors, BelongToTheThreadThatMadeTheCall) {
    Rig rig;
    EXPECT_FALSE(rig.audio->StreamFree(kNoSuchHandle));
    std::thread other([&] {
        EXPECT_EQ(rig.audio->ErrorGetCode(), 0);
        EXPECT_EQ(rig.audio->StreamCreateFile("/no/such/file.mp3", BASS_STREAM_DECODE), 0u);
        EXPECT_EQ(rig.audio->ErrorGetCode(), static_cast<int>(AudioError::FileOpen));
        EXPECT_FALSE(rig.audio->ErrorGetText().isEmpty());
    });
    other.join();
    EXPECT_EQ(rig.audio->ErrorGetCode(), static_cast<int>(AudioError::Handle));
}

struct ChoiceCase {
    const char* option;
    const char* environment;
    int expected;  // AudioOutputKind, or -1 for a refusal
};

class OutputChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(OutputChoice, OptionBeforeEnvironmentBeforeSdl) {
    const ChoiceCase& param = GetParam();
    if (param.expected < 0) {
        EXPECT_THROW(ChooseAudioOutput(param.option, param.environment), std::runtime_error);
    } else {
        EXPECT_EQ(static_cast<int>(ChooseAudioOutput(param.option, param.environment)), param.expected);
    }
}

constexpr int kSdl = static_cast<int>(AudioOutputKind::Sdl);
constexpr int kNull = static_cast<int>(AudioOutputKind::Null);

INSTANTIATE_TEST_SUITE_P(Audio, OutputChoice,
                         testing::Values(ChoiceCase{"", "", kSdl}, ChoiceCase{"null", "", kNull},
                                         ChoiceCase{"", "null", kNull}, ChoiceCase{"NULL", "", kNull},
                                         ChoiceCase{" null ", "", kNull}, ChoiceCase{"sdl", "null", kSdl},
                                         ChoiceCase{"", "sdl", kSdl}, ChoiceCase{"alsa", "", -1},
                                         ChoiceCase{"", "offline", -1}, ChoiceCase{"null", "bogus", kNull}));

}  // namespace
}  // namespace sw
