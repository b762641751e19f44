// The loudness meter on generated PCM, and whole files measured through the decoder.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "../tags/TagTestSupport.h"
#include "playback/audio/AudioError.h"
#include "playback/LoudnessMeasure.h"
#include "playback/LoudnessMeter.h"

namespace sw {

static void PrintTo(const TagGains& gains, std::ostream* os) {
    auto show = [os](const char* name, const std::optional<double>& value) {
        *os << name << "=" << (value ? std::to_string(*value) : std::string("none")) << " ";
    };
    show("track", gains.TrackGain);
    show("trackPeak", gains.TrackPeak);
    show("album", gains.AlbumGain);
    show("albumPeak", gains.AlbumPeak);
}

namespace {

constexpr int kRate = 44100;

double Amplitude(double dbfs) {
    return std::pow(10.0, dbfs / 20.0);
}

/// Stereo PCM built piece by piece.
class Signal {
public:
    /// A sine of the given peak level, in both channels or the left one alone.
    Signal& Tone(int ms, double dbfs, double hz = 1000, bool leftOnly = false) {
        const double amplitude = Amplitude(dbfs);
        for (int i = 0; i < Frames(ms); ++i) {
            const float value =
                static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * m_phaseFrames / kRate));
            m_samples.push_back(value);
            m_samples.push_back(leftOnly ? 0.0f : value);
            ++m_phaseFrames;
        }
        return *this;
    }
    /// Digital silence, or uniform noise whose peaks reach `dbfs` (a transfer's noise floor).
    Signal& Quiet(int ms, std::optional<double> dbfs = {}) {
        std::uniform_real_distribution<double> noise(-1.0, 1.0);
        for (int i = 0; i < 2 * Frames(ms); ++i) {
            m_samples.push_back(dbfs ? static_cast<float>(Amplitude(*dbfs) * noise(m_random)) : 0.0f);
        }
        return *this;
    }
    const std::vector<float>& Samples() const { return m_samples; }

private:
    static int Frames(int ms) { return static_cast<int>(std::int64_t{ms} * kRate / 1000); }
    std::vector<float> m_samples;
    std::int64_t m_phaseFrames = 0;
    std::mt19937 m_random{7};
};

AudioMeasurement Measure(const Signal& signal, PeakMode mode = PeakMode::Sample, int chunkFrames = 4096) {
    LoudnessMeter meter(2, kRate, mode);
    const std::vector<float>& samples = signal.Samples();
    const int frames = static_cast<int>(samples.size() / 2);
    for (int at = 0; at < frames; at += chunkFrames) {
        meter.Add(samples.data() + 2 * std::size_t(at), std::min(chunkFrames, frames - at));
    }
    return meter.Result();
}

struct SineCase {
    const char* name;
    double dbfs;
    bool leftOnly;
    PeakMode mode;
    double expectedLufs;
};
void PrintTo(const SineCase& c, std::ostream* os) {
    *os << c.name;
}

class SineLoudness : public ::testing::TestWithParam<SineCase> {};

TEST_P(SineLoudness, MatchesTheReferenceWithinHalfALoudnessUnit) {
    const SineCase& c = GetParam();
    const AudioMeasurement result = Measure(Signal().Tone(10000, c.dbfs, 1000, c.leftOnly), c.mode);
    ASSERT_TRUE(result.IntegratedLufs.has_value());
    EXPECT_NEAR(*result.IntegratedLufs, c.expectedLufs, 0.5);
    EXPECT_NEAR(result.Seconds, 10.0, 1e-3);
    // The sample peak of a 1 kHz sine lies within 0.1 dB of its amplitude; the true peak is no lower.
    EXPECT_NEAR(20 * std::log10(result.Peak), c.dbfs, c.mode == PeakMode::True ? 0.3 : 0.1);
    EXPECT_GE(result.Peak, Amplitude(c.dbfs) * 0.98);
}

// A 1 kHz sine of full-scale peak in one channel is -3.01 LUFS by the definition of the scale.
INSTANTIATE_TEST_SUITE_P(Loudness, SineLoudness,
                         ::testing::Values(SineCase{"Minus20Stereo", -20, false, PeakMode::Sample, -20.0},
                                           SineCase{"Minus20StereoTruePeak", -20, false, PeakMode::True,
                                                    -20.0},
                                           SineCase{"Minus20LeftOnly", -20, true, PeakMode::Sample, -23.01},
                                           SineCase{"Minus30Stereo", -30, false, PeakMode::Sample, -30.0},
                                           SineCase{"Minus6Stereo", -6, false, PeakMode::True, -6.0}),
                         test::ByName());

struct BoundsCase {
    const char* name;
    int leadMs;
    int musicMs;
    int trailMs;
    double musicDbfs;
    std::optional<double> floorDbfs;
    int chunkFrames;
};
void PrintTo(const BoundsCase& c, std::ostream* os) {
    *os << c.name;
}

class MusicBounds : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(MusicBounds, FoundWithinTenMilliseconds) {
    const BoundsCase& c = GetParam();
    const AudioMeasurement result = Measure(
        Signal().Quiet(c.leadMs, c.floorDbfs).Tone(c.musicMs, c.musicDbfs).Quiet(c.trailMs, c.floorDbfs),
        PeakMode::Sample, c.chunkFrames);
    EXPECT_NEAR(result.MusicStartMs, c.leadMs, 10);
    EXPECT_NEAR(result.MusicEndMs, c.leadMs + c.musicMs, 10);
    EXPECT_NEAR(result.Seconds * 1000, c.leadMs + c.musicMs + c.trailMs, 1);
}

INSTANTIATE_TEST_SUITE_P(Loudness, MusicBounds,
                         ::testing::Values(BoundsCase{"DigitalSilenceAround", 500, 2000, 700, -20, {}, 4096},
                                           BoundsCase{"NoSilence", 0, 1500, 0, -20, {}, 4096},
                                           BoundsCase{"VinylHissCountsAsSilence", 1234, 1500, 2500, -20, -60,
                                                      4096},
                                           BoundsCase{"QuietPassageIsMusic", 300, 1000, 300, -45, -60, 4096},
                                           BoundsCase{"OddChunksAcrossTheEdges", 777, 1000, 333, -20, {}, 3},
                                           BoundsCase{"OneChunk", 250, 500, 250, -20, {}, 1 << 20}),
                         test::ByName());

TEST(LoudnessMeter, AudioThatNeverRisesAboveTheLevelHasNoMusic) {
    const AudioMeasurement silent = Measure(Signal().Quiet(3000));
    EXPECT_FALSE(silent.IntegratedLufs.has_value());
    EXPECT_EQ(silent.Peak, 0);
    EXPECT_EQ(silent.MusicStartMs, 0);
    EXPECT_EQ(silent.MusicEndMs, 0);

    // Below -50 dBFS throughout: loud enough to measure, too quiet to count as music.
    const AudioMeasurement hiss = Measure(Signal().Tone(3000, -55));
    ASSERT_TRUE(hiss.IntegratedLufs.has_value());
    EXPECT_NEAR(*hiss.IntegratedLufs, -55, 0.5);
    EXPECT_EQ(hiss.MusicStartMs, 0);
    EXPECT_EQ(hiss.MusicEndMs, 0);
}

TEST(LoudnessMeter, RefusesAStreamWithoutChannels) {
    EXPECT_THROW(LoudnessMeter(0, kRate, PeakMode::Sample), std::runtime_error);
    EXPECT_THROW(LoudnessMeter(2, 0, PeakMode::True), std::runtime_error);
}

struct CombineCase {
    const char* name;
    TagGains tags;
    std::optional<double> lufs;
    LoudnessSource source;
    TagGains expected;
};
void PrintTo(const CombineCase& c, std::ostream* os) {
    *os << c.name;
}

class CombinedRow : public ::testing::TestWithParam<CombineCase> {};

TEST_P(CombinedRow, TakesTheTagsTrackGainElseTheMeasurement) {
    const CombineCase& c = GetParam();
    AudioMeasurement measured;
    measured.IntegratedLufs = c.lufs;
    measured.Peak = 0.25;
    measured.MusicStartMs = 40;
    const SongLoudness row = CombineLoudness(c.tags, measured);
    EXPECT_EQ(row.Source, c.source);
    EXPECT_EQ(row.Gains, c.expected);
    EXPECT_EQ(row.Measured.MusicStartMs, 40);
    EXPECT_EQ(row.Measured.IntegratedLufs, c.lufs);
}

INSTANTIATE_TEST_SUITE_P(
    Loudness, CombinedRow,
    ::testing::Values(
        CombineCase{
            "TagsWithTrackGain", {-3.0, 0.9, -4.0, 1.0}, -14.0, LoudnessSource::Tag, {-3.0, 0.9, -4.0, 1.0}},
        CombineCase{"NoTags", {}, -14.0, LoudnessSource::Measured, {-4.0, 0.25, {}, {}}},
        CombineCase{"AlbumGainOnlyIsKept",
                    {{}, {}, -2.5, 0.8},
                    -20.0,
                    LoudnessSource::Measured,
                    {2.0, 0.25, -2.5, 0.8}},
        CombineCase{"SilentWithoutTags", {}, std::nullopt, LoudnessSource::Measured, {{}, 0.25, {}, {}}}),
    test::ByName());

// Files through the decoder: a second of silence, five seconds of a -20 dBFS 1 kHz sine, two
// seconds of silence.

bool MakeFile(const QString& path, const QStringList& codec) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i",
                                       "aevalsrc='if(between(t,1,6),0.1*sin(2*PI*1000*t),0)|"
                                       "if(between(t,1,6),0.1*sin(2*PI*1000*t),0)':s=44100:d=8"} +
                               codec + QStringList{path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

struct FileCase {
    const char* name;
    const char* file;
    QStringList codec;
    /// MP3's frames smear an onset over a few milliseconds more.
    int toleranceMs;
};
void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

class MeasuredFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(MeasuredFile, HasTheLoudnessAndTheMusicOfItsSignal) {
    QTemporaryDir folder;
    const QString path = folder.filePath(GetParam().file);
    ASSERT_TRUE(MakeFile(path, GetParam().codec));
    const SongLoudness row = MeasureSongFile(path, PeakMode::True);
    EXPECT_EQ(row.Source, LoudnessSource::Measured);
    ASSERT_TRUE(row.Measured.IntegratedLufs.has_value());
    // -20.3 LUFS is what ffmpeg's own ebur128 filter finds in this signal: the blocks across the
    // tone's edges pull it below the -20 of a steady tone.
    EXPECT_NEAR(*row.Measured.IntegratedLufs, -20.3, 0.3);
    ASSERT_TRUE(row.Gains.TrackGain.has_value());
    EXPECT_NEAR(*row.Gains.TrackGain, -18.0 - *row.Measured.IntegratedLufs, 1e-9);
    EXPECT_NEAR(row.Measured.MusicStartMs, 1000, GetParam().toleranceMs);
    EXPECT_NEAR(row.Measured.MusicEndMs, 6000, GetParam().toleranceMs);
    EXPECT_NEAR(row.Measured.Seconds, 8.0, 0.06);
}

INSTANTIATE_TEST_SUITE_P(Loudness, MeasuredFile,
                         ::testing::Values(FileCase{"Flac", "a.flac", {"-c:a", "flac"}, 10},
                                           FileCase{
                                               "Mp3", "a.mp3", {"-c:a", "libmp3lame", "-b:a", "192k"}, 30},
                                           FileCase{"Wav", "a.wav", {"-c:a", "pcm_s16le"}, 10}),
                         test::ByName());

TEST(MeasureSongFile, AFileThatCannotBeDecodedFailsWithTheDecodersText) {
    QTemporaryDir folder;
    const QString path = folder.filePath("noise.mp3");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, '\x11'));
    file.close();
    try {
        MeasureSongFile(path);
        FAIL() << "measured a file without audio";
    } catch (const AudioFailure& failure) {
        EXPECT_TRUE(QString(failure.what()).contains("noise.mp3")) << failure.what();
    }
    EXPECT_THROW(MeasureSongFile(folder.filePath("missing.flac")), AudioFailure);
}

TEST(MeasureSongFile, AStopRequestEndsTheDecoding) {
    QTemporaryDir folder;
    const QString path = folder.filePath("a.flac");
    ASSERT_TRUE(MakeFile(path, {"-c:a", "flac"}));
    const std::atomic<bool> stop{true};
    EXPECT_THROW(MeasureSongFile(path, PeakMode::Sample, &stop), std::runtime_error);
}

}  // namespace
}  // namespace sw
