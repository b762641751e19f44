#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cmath>

#include "AudioTestSupport.h"
#include "tags/HeldFiles.h"

namespace sw {
namespace {

using test::Media;
using test::Rig;

double Rms(const std::vector<float>& samples) {
    double sum = 0;
    for (const float sample : samples) {
        sum += static_cast<double>(sample) * sample;
    }
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

// Frequency from the rising zero crossings, which any codec keeps in place.
double Frequency(const std::vector<float>& samples) {
    int first = -1;
    int last = -1;
    int crossings = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            first = first < 0 ? static_cast<int>(i) : first;
            last = static_cast<int>(i);
            ++crossings;
        }
    }
    return crossings < 2 ? 0 : 44100.0 * (crossings - 1) / (last - first);
}

// Renders the mixer until it reports its end; returns everything it played.
std::vector<float> PlayToEnd(Rig& rig, int* notifications) {
    rig.audio->ChannelSetSync(rig.mixer, BASS_SYNC_END | BASS_SYNC_MIXTIME,
                              [notifications](AudioHandle, AudioHandle) { ++*notifications; });
    EXPECT_TRUE(rig.audio->ChannelPlay(rig.mixer, true));
    std::vector<float> all;
    for (int block = 0; block < 200 && *notifications == 0; ++block) {
        const std::vector<float> part = rig.Render(4410);
        all.insert(all.end(), part.begin(), part.end());
    }
    all.resize(static_cast<size_t>(rig.Position(rig.mixer)) * 2);
    return all;
}

class EveryFormat : public testing::TestWithParam<const char*> {};

TEST_P(EveryFormat, DecodesTheToneToItsMeasuredLength) {
    const QString path = Media(QString("tone.") + GetParam());
    Rig rig;
    const AudioHandle stream = rig.Add(path);
    EXPECT_TRUE(HeldFiles::IsHeld(path));
    const qint64 length = static_cast<qint64>(rig.audio->ChannelGetLength(stream, BASS_POS_BYTE)) / 8;
    EXPECT_NEAR(length, 88200, 44100 / 20);

    int notifications = 0;
    const std::vector<float> played = PlayToEnd(rig, &notifications);
    EXPECT_EQ(notifications, 1);
    // The mixer ends exactly where the stream's length says.
    EXPECT_EQ(static_cast<qint64>(played.size() / 2), length);
    EXPECT_EQ(rig.Position(stream), length);

    const std::vector<float> middle(played.begin() + 2 * 22050, played.begin() + 2 * 66150);
    const std::vector<float> left = test::Side(middle, 0);
    const std::vector<float> right = test::Side(middle, 1);
    EXPECT_NEAR(Frequency(left), 440.0, 2.0);
    EXPECT_NEAR(Frequency(right), 660.0, 3.0);
    EXPECT_NEAR(Rms(left), 0.5 / std::sqrt(2.0), 0.02);
    EXPECT_NEAR(Rms(right), 0.25 / std::sqrt(2.0), 0.02);

    EXPECT_TRUE(rig.audio->StreamFree(stream));
    EXPECT_FALSE(HeldFiles::IsHeld(path));
}

INSTANTIATE_TEST_SUITE_P(Audio, EveryFormat,
                         testing::Values("wav", "mp3", "ogg", "m4a", "wma", "flac", "opus"));

struct LengthCase {
    const char* file;
    double probeTolerance;  // seconds from what ffprobe reports; negative: not compared
};

class Lengths : public testing::TestWithParam<LengthCase> {};

// The length is what decoding actually delivers: the same frame count the ffmpeg program
// decodes, also where the container holds no length (MP3 without a header, WMA).
TEST_P(Lengths, EqualWhatDecodingDelivers) {
    const QString path = Media(GetParam().file);
    Rig rig;
    const AudioHandle stream = rig.audio->StreamCreateFile(path, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    ASSERT_NE(stream, 0u);
    const qint64 length = static_cast<qint64>(rig.audio->ChannelGetLength(stream, BASS_POS_BYTE)) / 8;
    EXPECT_EQ(length, test::ProgramDecodedFrames(path));
    if (GetParam().probeTolerance >= 0) {
        EXPECT_NEAR(length / 44100.0, test::ProbeSeconds(path), GetParam().probeTolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(Audio, Lengths,
                         testing::Values(LengthCase{"tone.wav", 1.0 / 44100},
                                         LengthCase{"ramp.wav", 1.0 / 44100}, LengthCase{"tone.mp3", 0.050},
                                         LengthCase{"tone.ogg", 0.050}, LengthCase{"noxing.mp3", -1},
                                         LengthCase{"tone.wma", -1}, LengthCase{"tone.flac", 1.0 / 44100},
                                         LengthCase{"tone.opus", 0.050}),
                         [](const auto& naming) {
                             QString name = naming.param.file;
                             return name.replace('.', '_').toStdString();
                         });

TEST(AudioDecoding, MonoAtAnotherRatePlaysAtFullLevelOnBothSides) {
    Rig rig;
    const AudioHandle stream = rig.Add(Media("mono22k.wav"));
    EXPECT_NEAR(static_cast<double>(rig.audio->ChannelGetLength(stream, BASS_POS_BYTE)) / 8, 44100, 2);
    rig.audio->ChannelPlay(rig.mixer, true);
    const std::vector<float> played = rig.Render(22050);
    float peak = 0;
    for (size_t i = 0; i < played.size(); i += 2) {
        ASSERT_EQ(played[i], played[i + 1]);
        peak = std::max(peak, std::fabs(played[i]));
    }
    EXPECT_NEAR(peak, 0.5f, 0.01f);
    EXPECT_NEAR(Frequency(test::Side(played, 0)), 440.0, 2.0);
}

struct BrokenCase {
    const char* name;
    QByteArray content;  // written as the file; "<missing>" and "<folder>" are not files
    AudioError error;
    const char* headOf = nullptr;  // else the file is the first headBytes of this test song
    int headBytes = 0;
};

QByteArray Noise(int bytes) {
    QByteArray noise(bytes, '\0');
    quint32 state = 12345;
    for (char& byte : noise) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return noise;
}

QByteArray Head(const QString& path, int bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

class BrokenFiles : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenFiles, GiveNoHandleAndAnErrorCode) {
    const BrokenCase& param = GetParam();
    const QString path = test::ScratchDir() + "/broken-" + param.name;
    if (param.content == "<folder>") {
        QDir().mkpath(path);
    } else if (param.content != "<missing>") {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(param.headOf ? Head(Media(param.headOf), param.headBytes) : param.content);
    }
    Rig rig;
    EXPECT_EQ(rig.audio->StreamCreateFile(path, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT), 0u);
    EXPECT_EQ(rig.audio->ErrorGetCode(), static_cast<int>(param.error));
    EXPECT_FALSE(HeldFiles::IsHeld(path));
    // The library goes on working.
    EXPECT_NE(rig.Add(Media("dc25.wav")), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Audio, BrokenFiles,
    testing::Values(BrokenCase{"missing.mp3", "<missing>", AudioError::FileOpen},
                    BrokenCase{"folder.mp3", "<folder>", AudioError::FileOpen},
                    BrokenCase{"empty.mp3", "", AudioError::FileForm},
                    BrokenCase{"noise.mp3", Noise(20000), AudioError::FileForm},
                    BrokenCase{"text.ogg", QByteArray("This is not a song.\n").repeated(50),
                               AudioError::FileForm},
                    BrokenCase{"headonly.wav", "", AudioError::FileForm, "tone.wav", 44},
                    BrokenCase{"oggpage.ogg", "", AudioError::FileForm, "tone.ogg", 200}),
    [](const auto& naming) {
        QString name = naming.param.name;
        return name.replace('.', '_').toStdString();
    });

// Damage in the middle of a file costs the damaged frames, not the stream.
TEST(AudioDecoding, DamageInsideAFilePlaysOnToTheEnd) {
    for (const char* name : {"tone.mp3", "tone.ogg", "tone.wma"}) {
        QFile original(Media(name));
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        QByteArray content = original.readAll();
        // Past the headers, inside the audio.
        content.replace(content.size() * 3 / 4, 1000, Noise(1000));
        const QString path = test::ScratchDir() + "/damaged-" + name;
        QFile damaged(path);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(content);
        damaged.close();

        Rig rig;
        const AudioHandle stream = rig.Add(path);
        ASSERT_NE(stream, 0u) << name;
        int notifications = 0;
        const std::vector<float> played = PlayToEnd(rig, &notifications);
        EXPECT_EQ(notifications, 1) << name;
        EXPECT_GT(played.size() / 2, 22050u) << name;
        EXPECT_EQ(rig.Position(stream), rig.Position(rig.mixer)) << name;
    }
}

}  // namespace
}  // namespace sw
