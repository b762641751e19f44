#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <cmath>
#include <csignal>

#include "audio/AudioTestSupport.h"
#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"

namespace sw {
namespace {

using test::Media;
using test::ReadWav16;

struct SwtoolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

SwtoolRun Swtool(const QString& home, const QStringList& arguments) {
    QDir().mkpath(home);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("SONWICK3_HOME");
    process.setProcessEnvironment(env);
    process.start(SW_BIN_DIR "/swtool", QStringList{"--home", home} + arguments);
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The first and last frame at or after `from` where one side is not silent; -1 when it never sounds.
struct Span {
    long first = -1;
    long last = -1;
};

Span Sounding(const std::vector<int>& samples, int side, long from, long to) {
    Span span;
    for (long frame = from; frame < to && 2 * frame + side < static_cast<long>(samples.size()); ++frame) {
        if (samples[static_cast<std::size_t>(2 * frame + side)] != 0) {
            if (span.first < 0) {
                span.first = frame;
            }
            span.last = frame;
        }
    }
    return span;
}

int LargestStep(const std::vector<int>& samples) {
    int largest = 0;
    for (std::size_t i = 2; i < samples.size(); ++i) {
        largest = std::max(largest, std::abs(samples[i] - samples[i - 2]));
    }
    return largest;
}

double Ms(long frames) {
    return frames * 1000.0 / 44100.0;
}

// Three songs whose tones sit on one side each (left, right, left): the first ends by itself and
// the second follows it; "Play next" at 4.5 s cross-fades from the second into the third.
TEST(SwtoolPlay, RendersAQueueWithNaturalEndsAndCrossFades) {
    const QString out = QDir(test::ScratchDir()).filePath("queue.wav");
    const QString a = Media("left440.wav");
    const QString b = Media("right550.wav");
    const QString c = Media("left660.wav");
    const SwtoolRun run =
        Swtool(test::ScratchDir() + "/play-home",
               {"play", "--audio", "wav:" + out, "--fade-ms", "500", "--next-at", "4.5", a, b, c});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("1/3   - left440  00:01 / 00:03")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("3/3   - left660  00:02 / 00:03")) << run.err.toStdString();
    // The song cross-faded into sounded too.
    EXPECT_TRUE(run.err.contains("playing 3/3")) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("played 3 of 3 songs")) << run.out.toStdString();
    const std::vector<int> mixed = ReadWav16(out);
    const long frames = static_cast<long>(mixed.size() / 2);
    EXPECT_NEAR(Ms(frames), 7500, 60);

    const long secondStart = 44100 * 35 / 10;
    const Span first = Sounding(mixed, 0, 0, secondStart);
    const Span second = Sounding(mixed, 1, 0, frames);
    const Span third = Sounding(mixed, 0, secondStart, frames);
    ASSERT_GE(first.first, 0);
    ASSERT_GE(second.first, 0);
    ASSERT_GE(third.first, 0);
    // A natural end: the next song comes after the last sample of the one that ended, soon.
    EXPECT_NEAR(Ms(first.last), 3000, 5);
    EXPECT_GT(second.first, first.last);
    EXPECT_LT(Ms(second.first - first.last), 50);
    // The cross-fade: the third comes in at the command and the second has gone a fade time later.
    EXPECT_NEAR(Ms(third.first), 4500, 15);
    EXPECT_NEAR(Ms(second.last - third.first), 500, 10);
    EXPECT_NEAR(Ms(third.last), Ms(third.first) + 3000, 15);
    // No click anywhere: no step between samples larger than the songs' own.
    const int own =
        std::max({LargestStep(ReadWav16(a)), LargestStep(ReadWav16(b)), LargestStep(ReadWav16(c))});
    EXPECT_LE(LargestStep(mixed), own + own / 10);
}

TEST(SwtoolPlay, RefusesWhatItCannotPlay) {
    const QString home = test::ScratchDir() + "/refusing-home";
    const struct {
        QStringList arguments;
        QString message;
    } cases[] = {
        {{"play"}, "play needs files, --playlist or --random"},
        {{"play", Media("song440.wav"), "--random"}, "one of them"},
        {{"play", "--audio", "loud", Media("song440.wav")}, "loud"},
        {{"play", "--fade-ms", "-3", Media("song440.wav")}, "--fade-ms"},
        {{"play", "--audio", "null", "/no/such/song.mp3"}, "file not found: /no/such/song.mp3"},
        {{"play", "--playlist", "1"}, "SONGS.FDB"},
    };
    for (const auto& one : cases) {
        const SwtoolRun run = Swtool(home, one.arguments);
        EXPECT_NE(run.exitCode, 0) << one.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(one.message)) << run.err.toStdString();
    }
}

// A playlist of the catalogue: every song started is recorded in the history, and a wrong stored
// duration is corrected.
TEST(SwtoolPlay, PlaysAPlaylistAndRecordsTheHistory) {
    QTemporaryDir home;
    QDir().mkpath(home.filePath("SW3DATA"));
    QDir().mkpath(home.filePath("music"));
    const QString catalogueFile = home.filePath("SW3DATA/SONGS.FDB");
    CreateCatalogue(catalogueFile, "Play", test::CreationScript(),
                    QString(SW_SOURCE_DIR) + "/data/GENRES.INI");
    for (const char* name : {"song440.wav", "song550.wav"}) {
        ASSERT_TRUE(QFile::copy(Media(name), home.filePath(QString("music/") + name)));
    }
    const SwtoolRun load = Swtool(home.path(), {"load", home.filePath("music")});
    ASSERT_EQ(load.exitCode, 0) << load.err.toStdString();
    {
        Catalogue catalogue;
        catalogue.Open(catalogueFile);
        catalogue.ExecSql("insert into plist (plid, plname, pldate) values (1, 'Two', 20240101)");
        catalogue.ExecSql("insert into songinpl (plid, seq, songnum) values (1, 5, 2)");
        catalogue.ExecSql("insert into songinpl (plid, seq, songnum) values (1, 9, 1)");
        catalogue.ExecSql("update song set duration = 77");
        catalogue.CloseCatalogue();
    }
    const QString out = QDir(home.path()).filePath("two.wav");
    const SwtoolRun run = Swtool(home.path(), {"play", "--audio", "wav:" + out, "--playlist", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("2/2  ")) << run.err.toStdString();
    Catalogue catalogue;
    catalogue.Open(catalogueFile);
    RowSet history = catalogue.Select("select songnum from history order by ts, songnum");
    QStringList played;
    for (history.First(); !history.Eof(); history.Next()) {
        played << QString::number(history.Int("SONGNUM"));
    }
    EXPECT_EQ(played.size(), 2);
    EXPECT_TRUE(played.contains("1") && played.contains("2"));
    catalogue.RunQuery("select min(duration) as shortest, max(duration) as longest from song");
    EXPECT_EQ(catalogue.QueryInt("SHORTEST"), 3);
    EXPECT_EQ(catalogue.QueryInt("LONGEST"), 3);
    catalogue.CloseCatalogue();

    // A random queue: the twenty draws of the "Random" playlist, every one played and recorded.
    const SwtoolRun random = Swtool(home.path(), {"play", "--audio", "wav:" + out, "--random"});
    ASSERT_EQ(random.exitCode, 0) << random.err.toStdString();
    EXPECT_TRUE(random.out.contains("\nplayed 20 of 20 songs")) << random.out.toStdString();
    catalogue.Open(catalogueFile);
    catalogue.RunQuery("select count(*) as plays from history");
    EXPECT_EQ(catalogue.QueryInt("PLAYS"), 22);
    catalogue.CloseCatalogue();
}

TEST(SwtoolPlay, CtrlCStopsWithTheFade) {
    const QString home = test::ScratchDir() + "/interrupted-home";
    QDir().mkpath(home);
    QProcess process;
    process.start(SW_BIN_DIR "/swtool",
                  {"--home", home, "play", "--audio", "null", "--fade-ms", "300", Media("song440.wav")});
    ASSERT_TRUE(process.waitForStarted());
    // The first progress line comes a second into the song: only then is there a fade to wait for
    // (a loaded machine may take longer than that to start the program at all).
    process.setReadChannel(QProcess::StandardError);
    QByteArray progress;
    while (!progress.contains("1/1 ") && process.waitForReadyRead(10000)) {
        progress += process.readAllStandardError();
    }
    ASSERT_TRUE(progress.contains("1/1 ")) << progress.toStdString();
    QElapsedTimer timer;
    timer.start();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 130);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains("interrupted"));
    // The fade (300 ms) ran; the two seconds left of the three-second song did not.
    EXPECT_GE(timer.elapsed(), 300);
    EXPECT_LT(timer.elapsed(), 1900);
}

// A data folder whose catalogue holds songs of the given lengths (tones made by ffmpeg under
// music/), loaded the way a user loads them; returns their files in order.
QStringList LoadedSongs(const QTemporaryDir& home, const std::vector<int>& seconds) {
    QDir().mkpath(home.filePath("SW3DATA"));
    QDir().mkpath(home.filePath("music"));
    CreateCatalogue(home.filePath("SW3DATA/SONGS.FDB"), "Play", test::CreationScript(),
                    QString(SW_SOURCE_DIR) + "/data/GENRES.INI");
    QStringList files;
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        const QString file = home.filePath(QString("music/tone%1.wav").arg(i + 1));
        test::Run("ffmpeg", {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                             QString("sine=frequency=%1:duration=%2").arg(440 + 110 * i).arg(seconds[i]),
                             "-ac", "2", "-ar", "44100", file});
        files << file;
    }
    const SwtoolRun load = Swtool(home.path(), {"load", home.filePath("music")});
    EXPECT_EQ(load.exitCode, 0) << load.err.toStdString();
    return files;
}

int HistoryRows(const QTemporaryDir& home) {
    Catalogue catalogue;
    catalogue.Open(home.filePath("SW3DATA/SONGS.FDB"));
    catalogue.RunQuery("select count(*) as plays from history");
    const int plays = catalogue.QueryInt("PLAYS");
    catalogue.CloseCatalogue();
    return plays;
}

// swtool play in real time on the null output, read as it goes.
class LivePlay {
public:
    LivePlay(const QTemporaryDir& home, const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("SONWICK3_HOME");
        m_process.setProcessEnvironment(env);
        m_process.start(SW_BIN_DIR "/swtool",
                        QStringList{"--home", home.path(), "play", "--audio", "null"} + arguments);
        m_process.setReadChannel(QProcess::StandardError);
    }
    ~LivePlay() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    /// Waits until `count` songs have been told started; false when they were not within 10 s.
    bool WaitForStarts(int count) {
        while (m_err.count("\nplaying ") + (m_err.startsWith("playing ") ? 1 : 0) < count) {
            if (!m_process.waitForReadyRead(10000)) {
                return false;
            }
            m_err += m_process.readAllStandardError();
        }
        return true;
    }
    void Signal(int signal) { ::kill(static_cast<pid_t>(m_process.processId()), signal); }
    bool WaitForEnd() {
        const bool ended = m_process.waitForFinished(10000);
        m_err += m_process.readAllStandardError();
        return ended;
    }
    QProcess& Process() { return m_process; }
    const QByteArray& Err() const { return m_err; }

private:
    QProcess m_process;
    QByteArray m_err;
};

bool SwtoolBuilt() {
    return QFileInfo::exists(SW_BIN_DIR "/swtool");
}

// Every start is committed as it is written: a player killed outright keeps each play it began.
TEST(SwtoolPlay, AKilledPlayerKeepsEveryPlayItStarted) {
    if (!SwtoolBuilt()) {
        GTEST_SKIP() << "swtool is not built";
    }
    QTemporaryDir home;
    const QStringList files = LoadedSongs(home, {1, 1, 1});
    LivePlay play(home, files);
    ASSERT_TRUE(play.WaitForStarts(2)) << play.Err().toStdString();
    play.Signal(SIGKILL);
    ASSERT_TRUE(play.WaitForEnd());
    EXPECT_EQ(play.Process().exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(HistoryRows(home), 2) << play.Err().toStdString();
}

struct StopSignalCase {
    const char* name;
    int signal;
    int exitCode;
    const char* told;
};

class StoppedBySignal : public ::testing::TestWithParam<StopSignalCase> {};

// Asked to stop by the terminal or the system, the player fades out, keeps the play and ends at
// once with the signal's status.
TEST_P(StoppedBySignal, FadesKeepsTheHistoryAndEndsWithinASecond) {
    if (!SwtoolBuilt()) {
        GTEST_SKIP() << "swtool is not built";
    }
    const StopSignalCase& c = GetParam();
    QTemporaryDir home;
    const QStringList files = LoadedSongs(home, {4, 4});
    LivePlay play(home, QStringList{"--fade-ms", "300"} + files);
    ASSERT_TRUE(play.WaitForStarts(1)) << play.Err().toStdString();
    QElapsedTimer timer;
    timer.start();
    play.Signal(c.signal);
    ASSERT_TRUE(play.WaitForEnd());
    const qint64 took = timer.elapsed();
    EXPECT_EQ(play.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(play.Process().exitCode(), c.exitCode);
    EXPECT_TRUE(play.Err().contains(c.told)) << play.Err().toStdString();
    EXPECT_TRUE(play.Process().readAllStandardOutput().contains("played 1 of 2 songs"));
    EXPECT_GE(took, 300);
    EXPECT_LT(took, 1000);
    EXPECT_EQ(HistoryRows(home), 1);
}

INSTANTIATE_TEST_SUITE_P(Signals, StoppedBySignal,
                         ::testing::Values(StopSignalCase{"Interrupt", SIGINT, 130, "interrupted"},
                                           StopSignalCase{"Terminate", SIGTERM, 143, "terminated"}),
                         [](const testing::TestParamInfo<StopSignalCase>& param) {
                             return std::string(param.param.name);
                         });

// A file the decoder cannot open is named, does not count as played, and makes the run fail;
// the others play on.
TEST(SwtoolPlay, NamesTheFilesItCouldNotPlayAndFails) {
    const QString broken = QDir(test::ScratchDir()).filePath("not-audio.mp3");
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    const QString out = QDir(test::ScratchDir()).filePath("with-broken.wav");
    const SwtoolRun run = Swtool(test::ScratchDir() + "/broken-home",
                                 {"play", "--audio", "wav:" + out, broken, Media("song440.wav")});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("cannot play " + broken + ": ")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("cannot play " + Media("song440.wav"))) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("played 1 of 2 songs")) << run.out.toStdString();
}

}  // namespace
}  // namespace sw

namespace sw {
namespace {

// The RMS level in dB of full scale of each 400 ms window (both sides), one every 100 ms.
std::vector<double> WindowLevels(const std::vector<int>& samples, long from, long to) {
    constexpr long kWindow = 44100 * 4 / 10;
    constexpr long kStep = 4410;
    std::vector<double> levels;
    for (long start = from; start + kWindow <= to; start += kStep) {
        double sum = 0;
        for (long i = 2 * start; i < 2 * (start + kWindow); ++i) {
            const double s = samples[static_cast<std::size_t>(i)] / 32768.0;
            sum += s * s;
        }
        levels.push_back(10 * std::log10(sum / (2 * kWindow) + 1e-12));
    }
    return levels;
}

// The longest run of frames, between the first and the last sound, below -50 dBFS on both sides.
long LongestHush(const std::vector<int>& samples) {
    const int quiet = static_cast<int>(32768 * std::pow(10.0, -50.0 / 20));
    const long frames = static_cast<long>(samples.size() / 2);
    long first = -1;
    long last = -1;
    for (long f = 0; f < frames; ++f) {
        if (std::abs(samples[2 * f]) >= quiet || std::abs(samples[2 * f + 1]) >= quiet) {
            first = first < 0 ? f : first;
            last = f;
        }
    }
    long longest = 0;
    long run = 0;
    for (long f = first; f >= 0 && f <= last; ++f) {
        const bool hushed = std::abs(samples[2 * f]) < quiet && std::abs(samples[2 * f + 1]) < quiet;
        run = hushed ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// Loud, quiet, loud: white noise 20 dB apart, each with half a second of silence before its music
// and a second after. Levelled, the songs cross-fade at the end of their music into the first
// sound of the next at one level; levelling off, the queue plays as it always has: the silences
// in full and the levels as they are.
TEST(SwtoolPlay, LevellingCrossFadesAtOneLevelFromTheEndOfTheMusic) {
    if (!SwtoolBuilt()) {
        GTEST_SKIP() << "swtool is not built";
    }
    QTemporaryDir home;
    QDir().mkpath(home.filePath("SW3DATA"));
    QDir().mkpath(home.filePath("music"));
    CreateCatalogue(home.filePath("SW3DATA/SONGS.FDB"), "Play", test::CreationScript(),
                    QString(SW_SOURCE_DIR) + "/data/GENRES.INI");
    QStringList files;
    const double amplitudes[] = {0.6, 0.06, 0.5};
    for (int i = 0; i < 3; ++i) {
        files << home.filePath(QString("music/song%1.wav").arg(i + 1));
        test::Run("ffmpeg", {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
                             QString("anoisesrc=d=3:c=white:a=%1:r=44100:seed=%2").arg(amplitudes[i]).arg(i + 5),
                             "-af", "aformat=channel_layouts=stereo,adelay=500:all=1,apad=pad_dur=1", files.last()});
    }
    ASSERT_EQ(Swtool(home.path(), {"load", home.filePath("music")}).exitCode, 0);
    const SwtoolRun measured = Swtool(home.path(), {"loudness"});
    ASSERT_EQ(measured.exitCode, 0) << measured.err.toStdString();

    const QString levelledWav = home.filePath("levelled.wav");
    const QString offWav = home.filePath("off.wav");
    const QStringList play{"play", "--fade-ms", "1000", "--audio"};
    ASSERT_EQ(Swtool(home.path(), play + QStringList{"wav:" + levelledWav, "--loudness", "track"} + files).exitCode, 0);
    ASSERT_EQ(Swtool(home.path(), play + QStringList{"wav:" + offWav, "--loudness", "off"} + files).exitCode, 0);

    const std::vector<int> levelled = ReadWav16(levelledWav);
    const std::vector<int> off = ReadWav16(offWav);
    // Off: every second of every file, 4.5 s each; levelled: the first song from its start, then
    // the music only, less two fades.
    EXPECT_NEAR(Ms(static_cast<long>(off.size() / 2)), 13500, 60);
    EXPECT_NEAR(Ms(static_cast<long>(levelled.size() / 2)), 500 + 9000 - 2000, 110);
    EXPECT_GE(Ms(LongestHush(off)), 1400);
    EXPECT_LE(Ms(LongestHush(levelled)), 20);

    const std::vector<double> levels = WindowLevels(levelled, 44100 / 2, static_cast<long>(levelled.size() / 2));
    ASSERT_FALSE(levels.empty());
    const auto [lowest, highest] = std::minmax_element(levels.begin(), levels.end());
    EXPECT_LE(*highest - *lowest, 1.5) << "from " << *lowest << " to " << *highest << " dB";
    // With levelling off the quiet song stays 20 dB down.
    const std::vector<double> loudSong = WindowLevels(off, 44100, 44100 * 3);
    const std::vector<double> quietSong = WindowLevels(off, 44100 * 55 / 10, 44100 * 75 / 10);
    EXPECT_NEAR(loudSong.front() - quietSong.front(), 20, 1);
}

}  // namespace
}  // namespace sw
