#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <cmath>

#include "AudioTestSupport.h"

namespace sw {
namespace {

using test::Media;

using test::ReadWav16;

struct MixCase {
    double at;
    quint32 fadeMilliseconds;
};

class SwtoolMix : public testing::TestWithParam<MixCase> {};

TEST_P(SwtoolMix, PlaysAThenCrossFadesIntoB) {
    const auto [at, fade] = GetParam();
    const QString out = QDir(test::ScratchDir()).filePath(QString("mix-%1-%2.wav").arg(at).arg(fade));
    test::Run(SW_BIN_DIR "/swtool",
              {"--home", test::ScratchDir() + "/home", "mix", out, "--fade-ms", QString::number(fade), "--at",
               QString::number(at), Media("fadeA.wav"), Media("fadeB.wav")});
    const std::vector<int> mixed = ReadWav16(out);
    std::vector<int> a = ReadWav16(Media("fadeA.wav"));
    const std::vector<int> b = ReadWav16(Media("fadeB.wav"));
    ASSERT_EQ(a.size(), 2u * 132300);
    ASSERT_EQ(b.size(), 2u * 132300);

    const auto start = static_cast<size_t>(std::lround(at * 44100));
    const auto frames = static_cast<size_t>((fade * 44100 + 500) / 1000);
    // Both play to their ends; A's end lies inside B in every case here.
    ASSERT_EQ(mixed.size(), 2 * (start + 132300));
    a.resize(mixed.size(), 0);  // A is silent once it has ended
    for (size_t i = 0; i < 2 * start; ++i) {
        ASSERT_EQ(mixed[i], a[i]) << "before the fade, frame " << i / 2;
    }
    for (size_t i = 2 * (start + frames); i < mixed.size(); ++i) {
        ASSERT_EQ(mixed[i], b[i - 2 * start]) << "after the fade, frame " << i / 2;
    }
    for (size_t k = 0; k < frames; ++k) {
        const double gain = static_cast<double>(k) / static_cast<double>(frames);
        for (size_t side = 0; side < 2; ++side) {
            const size_t i = 2 * (start + k) + side;
            const double expected = a[i] * (1 - gain) + b[2 * k + side] * gain;
            ASSERT_NEAR(mixed[i], expected, 1.5) << "during the fade, frame " << start + k;
        }
    }

    // Measured as levels: over the fade, A's share falls from 1 to 0 while B's rises, window by
    // window (least squares of the mix onto the two songs), for as long as A lasts.
    const size_t window = frames / 10;
    double lastA = 2;
    double lastB = -1;
    for (size_t w = 0; window > 0 && w < 10 && start + (w + 1) * window <= 132300; ++w) {
        double aa = 0, bb = 0, ab = 0, am = 0, bm = 0;
        for (size_t k = w * window; k < (w + 1) * window; ++k) {
            const double x = a[2 * (start + k)];
            const double y = b[2 * k];
            const double m = mixed[2 * (start + k)];
            aa += x * x, bb += y * y, ab += x * y, am += x * m, bm += y * m;
        }
        const double det = aa * bb - ab * ab;
        const double levelA = (am * bb - bm * ab) / det;
        const double levelB = (bm * aa - am * ab) / det;
        const double middle = (static_cast<double>(w) + 0.5) / 10.0;
        EXPECT_NEAR(levelA, 1 - middle, 0.01) << "window " << w;
        EXPECT_NEAR(levelB, middle, 0.01) << "window " << w;
        EXPECT_LT(levelA, lastA);
        EXPECT_GT(levelB, lastB);
        lastA = levelA;
        lastB = levelB;
    }
}

INSTANTIATE_TEST_SUITE_P(Audio, SwtoolMix,
                         testing::Values(MixCase{1.5, 500}, MixCase{0.25, 1000}, MixCase{2.0, 0},
                                         MixCase{1.0, 2500}),
                         [](const auto& naming) {
                             return "at" + std::to_string(std::lround(naming.param.at * 1000)) + "ms_fade" +
                                    std::to_string(naming.param.fadeMilliseconds) + "ms";
                         });

struct RefusedCase {
    const char* name;
    QStringList arguments;  // after "mix OUT"; A and B stand for the two test songs
    const char* message;
    const char* output = "refused.wav";  // in the scratch folder
};

class SwtoolMixRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(SwtoolMixRefuses, WithAMessageAndNoFile) {
    const QString out = QDir(test::ScratchDir()).filePath(GetParam().output);
    QStringList arguments = GetParam().arguments;
    arguments.replaceInStrings(QRegularExpression("^A$"), Media("fadeA.wav"));
    arguments.replaceInStrings(QRegularExpression("^B$"), Media("fadeB.wav"));
    QProcess process;
    process.start(SW_BIN_DIR "/swtool",
                  QStringList{"--home", test::ScratchDir() + "/home", "mix", out} + arguments);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains(GetParam().message))
        << GetParam().message;
    EXPECT_FALSE(QFile::exists(out));
}

INSTANTIATE_TEST_SUITE_P(
    Audio, SwtoolMixRefuses,
    testing::Values(RefusedCase{"PointPastTheEnd", {"--fade-ms", "100", "--at", "5", "A", "B"}, "not inside"},
                    RefusedCase{"MissingSong",
                                {"--fade-ms", "100", "--at", "1", "A", "/no/such.mp3"},
                                "BASS_StreamCreateFile - BASS error 2"},
                    RefusedCase{"FadeNotANumber", {"--fade-ms", "x", "--at", "1", "A", "B"}, "--fade-ms"},
                    RefusedCase{"NegativePoint", {"--fade-ms", "100", "--at", "-1", "A", "B"}, "--at"},
                    RefusedCase{"NoPoint", {"--fade-ms", "100", "A", "B"}, "usage"},
                    RefusedCase{"OneSong", {"--at", "1", "--fade-ms", "100", "A"}, "usage"},
                    RefusedCase{"UnwritableOutput",
                                {"--fade-ms", "100", "--at", "1", "A", "B"},
                                "Cannot write",
                                "no-such-folder/out.wav"}),
    [](const auto& naming) { return std::string(naming.param.name); });

}  // namespace
}  // namespace sw
