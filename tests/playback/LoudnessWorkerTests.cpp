// The background measuring: files decoded on the worker thread, results saved on the owner's
// thread, unreadable files counted and not retried, the pause of a load run, and a prompt stop.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

#include "../tags/TagTestSupport.h"
#include "LoudnessWorkerSupport.h"
#include "PostedCalls.h"
#include "playback/BackgroundLoudness.h"
#include "playback/LoudnessMeasure.h"
#include "playback/LoudnessWorker.h"
#include "playback/audio/WavWriter.h"

namespace sw {
namespace {

using test::FakeMeasure;
using test::PostedCalls;

struct TextCase {
    const char* name;
    bool progress;
    int first;   // done, or measured
    int second;  // queued, or unreadable
    const char* expected;
};
void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class StatusText : public ::testing::TestWithParam<TextCase> {};

TEST_P(StatusText, SaysHowFarTheMeasuringGot) {
    const TextCase& c = GetParam();
    EXPECT_EQ((c.progress ? LoudnessProgressText(c.first, c.second) : LoudnessDoneText(c.first, c.second))
                  .toStdString(),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Loudness, StatusText,
    ::testing::Values(
        TextCase{"NothingDoneYet", true, 0, 30, "Measuring loudness: 0 of 30 songs"},
        TextCase{"PartWay", true, 12, 40, "Measuring loudness: 12 of 40 songs"},
        TextCase{"OneSong", true, 1, 1, "Measuring loudness: 1 of 1 song"},
        TextCase{"AllRead", false, 40, 0, "Loudness measured for 40 songs"},
        TextCase{"SomeUnreadable", false, 39, 1, "Loudness measured for 39 songs, 1 could not be read"},
        TextCase{"OneMeasured", false, 1, 2, "Loudness measured for 1 song, 2 could not be read"},
        TextCase{"NoneReadable", false, 0, 3, "Loudness measured for 0 songs, 3 could not be read"}),
    test::ByName());

/// A 1 kHz sine at `amplitude` on both sides.
void WriteTone(const QString& path, double seconds, double amplitude) {
    const int frames = static_cast<int>(seconds * 44100);
    std::vector<float> samples(static_cast<std::size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const float value =
            static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * 1000 * i / 44100.0));
        samples[static_cast<std::size_t>(i) * 2] = value;
        samples[static_cast<std::size_t>(i) * 2 + 1] = value;
    }
    WavWriter wav(path);
    wav.Append(samples.data(), frames);
    wav.Commit();
}

void WriteJunk(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4000, '\x55'));
}

struct SavedRow {
    int songNum;
    QString fileName;
    SongLoudness loudness;
    std::thread::id thread;
};

class LoudnessWorkerTest : public ::testing::Test {
protected:
    QString File(const QString& name) const { return m_folder.filePath(name); }
    LoudnessJob Job(int songNum, const QString& name) const { return {songNum, name, File(name)}; }
    std::vector<int> SavedSongs() const {
        std::vector<int> songs;
        for (const SavedRow& row : m_saved) {
            songs.push_back(row.songNum);
        }
        return songs;
    }
    LoudnessWorker::Save Recorder() {
        return [this](const LoudnessJob& job, const SongLoudness& loudness) {
            m_saved.push_back({job.SongNum, job.FileName, loudness, std::this_thread::get_id()});
            return m_outcome(job.SongNum);
        };
    }
    bool RunUntilIdle(LoudnessWorker& worker) {
        return m_posted.RunUntil([&] { return !worker.Busy(); });
    }

    QTemporaryDir m_folder;
    PostedCalls m_posted;
    std::vector<SavedRow> m_saved;
    std::function<LoudnessWorker::Saved(int)> m_outcome = [](int) { return LoudnessWorker::Saved::Yes; };
    QStringList m_texts;
};

TEST_F(LoudnessWorkerTest, MeasuresEachFileOffTheOwnersThreadAndSavesItThere) {
    WriteTone(File("quiet.wav"), 3, 0.1);
    WriteTone(File("loud.wav"), 3, 0.316);
    WriteJunk(File("junk.mp3"));
    WriteTone(File("last.wav"), 2, 0.1);
    std::atomic<int> workerNice = -100;
    std::atomic<bool> offTheOwnersThread = true;
    const std::thread::id owner = std::this_thread::get_id();
    LoudnessWorker worker(m_posted.Post(), Recorder(),
                          [&](const QString& path, const std::atomic<bool>& stop) {
                              workerNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
                              offTheOwnersThread = offTheOwnersThread && std::this_thread::get_id() != owner;
                              return MeasureSongFile(path, PeakMode::True, &stop);
                          });
    worker.SetListener([&](const QString& text) { m_texts << text; });

    EXPECT_EQ(worker.Enqueue({Job(1, "quiet.wav"), Job(2, "loud.wav"), Job(3, "junk.mp3"),
                              Job(4, "missing.flac"), Job(5, "last.wav")}),
              5);
    ASSERT_TRUE(RunUntilIdle(worker));

    EXPECT_EQ(SavedSongs(), (std::vector<int>{1, 2, 5}));
    for (const SavedRow& row : m_saved) {
        EXPECT_EQ(row.thread, owner) << row.songNum;
        EXPECT_TRUE(row.loudness.Measured.IntegratedLufs.has_value()) << row.songNum;
    }
    ASSERT_EQ(m_saved.size(), 3u);
    EXPECT_NEAR(*m_saved[0].loudness.Measured.IntegratedLufs, -20.0, 0.5);
    EXPECT_NEAR(*m_saved[1].loudness.Measured.IntegratedLufs - *m_saved[0].loudness.Measured.IntegratedLufs,
                10.0, 0.2);
    EXPECT_NEAR(m_saved[2].loudness.Measured.Seconds, 2.0, 0.01);
    EXPECT_TRUE(offTheOwnersThread);
    EXPECT_EQ(workerNice, 19);

    const LoudnessCounts counts = worker.Counts();
    EXPECT_EQ(counts.queued, 5);
    EXPECT_EQ(counts.done, 5);
    EXPECT_EQ(counts.measured, 3);
    EXPECT_EQ(counts.unreadable, 2);
    ASSERT_FALSE(m_texts.isEmpty());
    EXPECT_EQ(m_texts.first(), "Measuring loudness: 0 of 5 songs");
    EXPECT_TRUE(m_texts.contains("Measuring loudness: 4 of 5 songs")) << m_texts.join(" | ").toStdString();
    EXPECT_EQ(m_texts.last(), "Loudness measured for 3 songs, 2 could not be read");
    EXPECT_EQ(worker.StatusText(), m_texts.last());

    // The unreadable ones are not tried again; one that names another file now is.
    WriteTone(File("fixed.wav"), 1, 0.1);
    EXPECT_EQ(worker.Enqueue({Job(3, "junk.mp3"), Job(4, "missing.flac")}), 0);
    EXPECT_EQ(worker.Enqueue({Job(3, "fixed.wav"), Job(4, "missing.flac")}), 1);
    ASSERT_TRUE(RunUntilIdle(worker));
    EXPECT_EQ(SavedSongs(), (std::vector<int>{1, 2, 5, 3}));
    EXPECT_EQ(m_texts.last(), "Loudness measured for 1 song");
}

TEST_F(LoudnessWorkerTest, ASongWaitingOrBeingMeasuredIsNotQueuedTwice) {
    FakeMeasure measure(true);
    LoudnessWorker worker(m_posted.Post(), Recorder(), measure.Measure());
    worker.SetListener([&](const QString& text) { m_texts << text; });
    EXPECT_EQ(worker.Enqueue({Job(1, "a"), Job(2, "b"), Job(2, "b"), Job(3, "c")}), 3);
    ASSERT_TRUE(measure.WaitForStarted(1));
    EXPECT_EQ(worker.Enqueue({Job(1, "a"), Job(3, "c"), Job(4, "d")}), 1);
    EXPECT_EQ(worker.Counts().queued, 4);
    EXPECT_EQ(m_texts.last(), "Measuring loudness: 0 of 4 songs");

    measure.Allow(4);
    ASSERT_TRUE(RunUntilIdle(worker));
    EXPECT_EQ(measure.Started(), (QStringList{File("a"), File("b"), File("c"), File("d")}));
    EXPECT_EQ(SavedSongs(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(m_texts.last(), "Loudness measured for 4 songs");

    // Once all are through, a new batch counts from nothing.
    EXPECT_EQ(worker.Enqueue({Job(1, "a")}), 1);
    EXPECT_EQ(m_texts.last(), "Measuring loudness: 0 of 1 song");
    measure.Allow(1);
    ASSERT_TRUE(RunUntilIdle(worker));
    EXPECT_EQ(m_texts.last(), "Loudness measured for 1 song");
}

TEST_F(LoudnessWorkerTest, WhilePausedNothingIsSavedAndNoFileStarted) {
    FakeMeasure measure(true);
    LoudnessWorker worker(m_posted.Post(), Recorder(), measure.Measure());
    worker.Enqueue({Job(1, "a"), Job(2, "b")});
    ASSERT_TRUE(measure.WaitForStarted(1));
    worker.Pause();
    measure.Allow(2);
    ASSERT_TRUE(m_posted.WaitForPosted(1));
    m_posted.RunPending();
    EXPECT_TRUE(m_saved.empty());
    EXPECT_EQ(measure.Started().size(), 1);
    EXPECT_TRUE(worker.Busy());

    // Resuming saves the held song at once; the next one, already allowed, may be done by then.
    worker.Resume();
    ASSERT_FALSE(SavedSongs().empty());
    EXPECT_EQ(SavedSongs().front(), 1);
    ASSERT_TRUE(RunUntilIdle(worker));
    EXPECT_EQ(SavedSongs(), (std::vector<int>{1, 2}));
}

struct OutcomeCase {
    const char* name;
    LoudnessWorker::Saved first;  // what saving song 1 gives; the others are saved
    std::vector<int> offered;     // the songs handed to the save
    int measured;
    int queued;
    const char* text;
};
void PrintTo(const OutcomeCase& c, std::ostream* os) {
    *os << c.name;
}

class SaveOutcome : public LoudnessWorkerTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(SaveOutcome, DecidesWhatIsCountedAndWhatGoesOn) {
    const OutcomeCase& c = GetParam();
    m_outcome = [&](int songNum) { return songNum == 1 ? c.first : LoudnessWorker::Saved::Yes; };
    FakeMeasure measure(true);
    LoudnessWorker worker(m_posted.Post(), Recorder(), measure.Measure());
    worker.Enqueue({Job(1, "a"), Job(2, "b"), Job(3, "c")});
    // Song 1 comes back while song 2 is being measured and song 3 waits.
    measure.Allow(1);
    ASSERT_TRUE(measure.WaitForStarted(2));
    ASSERT_TRUE(m_posted.WaitForPosted(1));
    m_posted.RunPending();
    measure.Allow(2);
    ASSERT_TRUE(RunUntilIdle(worker));

    EXPECT_EQ(SavedSongs(), c.offered);
    EXPECT_EQ(worker.Counts().measured, c.measured);
    EXPECT_EQ(worker.Counts().queued, c.queued);
    EXPECT_EQ(worker.Counts().done, c.queued);
    EXPECT_EQ(worker.StatusText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Loudness, SaveOutcome,
    ::testing::Values(
        OutcomeCase{"Stored", LoudnessWorker::Saved::Yes, {1, 2, 3}, 3, 3, "Loudness measured for 3 songs"},
        OutcomeCase{"SongChanged",
                    LoudnessWorker::Saved::SongChanged,
                    {1, 2, 3},
                    2,
                    3,
                    "Loudness measured for 2 songs"},
        // The song being measured still comes back; the one waiting is dropped.
        OutcomeCase{"Refused", LoudnessWorker::Saved::Refused, {1, 2}, 1, 2, "Loudness measured for 1 song"}),
    test::ByName());

TEST_F(LoudnessWorkerTest, ASaveThatFailsIsThrownOnAndItsSongsAreTakenAgainLater) {
    bool failing = true;
    FakeMeasure measure;
    LoudnessWorker worker(
        m_posted.Post(),
        [&](const LoudnessJob& job, const SongLoudness&) {
            if (failing) {
                throw std::runtime_error("database gone");
            }
            m_saved.push_back({job.SongNum, job.FileName, {}, {}});
            return LoudnessWorker::Saved::Yes;
        },
        measure.Measure());
    worker.Enqueue({Job(1, "a"), Job(2, "b")});
    EXPECT_THROW(RunUntilIdle(worker), std::runtime_error);
    // What was being measured when it failed still comes back, and fails alike.
    while (worker.Busy()) {
        EXPECT_THROW(RunUntilIdle(worker), std::runtime_error);
    }
    EXPECT_EQ(worker.Counts().measured, 0);

    failing = false;
    EXPECT_EQ(worker.Enqueue({Job(1, "a"), Job(2, "b")}), 2);
    ASSERT_TRUE(RunUntilIdle(worker));
    EXPECT_EQ(SavedSongs(), (std::vector<int>{1, 2}));
}

TEST_F(LoudnessWorkerTest, StopAbandonsALongFileAtOnceAndSavesWhatCameBefore) {
    WriteTone(File("short.wav"), 1, 0.1);
    // Two hours: measuring it whole takes far longer than the stop may.
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=f=1000:r=8000:d=7200", "-c:a",
                            "flac", File("long.flac")});
    ASSERT_TRUE(ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0);

    std::mutex mutex;
    std::condition_variable changed;
    bool longStarted = false;
    QString longEnding;
    LoudnessWorker worker(m_posted.Post(), Recorder(),
                          [&](const QString& path, const std::atomic<bool>& stop) {
                              if (!path.endsWith("long.flac")) {
                                  return MeasureSongFile(path, PeakMode::True, &stop);
                              }
                              {
                                  std::lock_guard lock(mutex);
                                  longStarted = true;
                              }
                              changed.notify_all();
                              try {
                                  return MeasureSongFile(path, PeakMode::True, &stop);
                              } catch (const std::exception& failure) {
                                  std::lock_guard lock(mutex);
                                  longEnding = failure.what();
                                  throw;
                              }
                          });
    worker.Enqueue({Job(1, "short.wav"), Job(2, "long.flac"), Job(3, "short.wav")});
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::minutes(1), [&] { return longStarted; }));
    }
    QElapsedTimer stopping;
    stopping.start();
    worker.Stop();
    EXPECT_LT(stopping.elapsed(), 5000);
    EXPECT_EQ(longEnding, "loudness: measuring stopped");
    // Song 1 had come back but was not yet saved: the stop saved it.
    EXPECT_EQ(SavedSongs(), (std::vector<int>{1}));
    EXPECT_FALSE(worker.Busy());
    EXPECT_EQ(worker.Enqueue({Job(3, "short.wav")}), 0);
    m_posted.RunPending();
    EXPECT_EQ(SavedSongs(), (std::vector<int>{1}));
}

TEST_F(LoudnessWorkerTest, ResultsComeBackThroughTheEventLoop) {
    int argc = 1;
    char name[] = "loudness_tests";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    FakeMeasure measure;
    QEventLoop loop;
    LoudnessWorker worker(PostToEventLoop, Recorder(), measure.Measure());
    worker.SetListener([&](const QString&) {
        if (!worker.Busy()) {
            loop.quit();
        }
    });
    worker.Enqueue({Job(1, "a"), Job(2, "b")});
    QTimer::singleShot(60000, &loop, [&] { loop.exit(1); });
    ASSERT_EQ(loop.exec(), 0);
    EXPECT_EQ(SavedSongs(), (std::vector<int>{1, 2}));
    EXPECT_EQ(m_saved.back().thread, std::this_thread::get_id());

    // Calls still queued when their worker is gone do nothing.
    int lateSaves = 0;
    std::atomic<int> posts = 0;
    {
        LoudnessWorker gone(
            [&](std::function<void()> call) {
                PostToEventLoop(std::move(call));
                ++posts;
            },
            [&](const LoudnessJob&, const SongLoudness&) {
                ++lateSaves;
                return LoudnessWorker::Saved::Yes;
            },
            measure.Measure());
        gone.Enqueue({Job(1, "a")});
        QElapsedTimer waited;
        waited.start();
        while (posts == 0 && waited.elapsed() < 60000) {
            std::this_thread::yield();
        }
        ASSERT_EQ(posts, 1);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(lateSaves, 0);
}

}  // namespace
}  // namespace sw
