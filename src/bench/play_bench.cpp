// play_bench: the jukebox's engine playing a queue in real time on the null (or SDL) output, driven
// from a Qt event loop as the desktop program drives it. It measures the underruns the output
// counted, how long a command takes to reach the output, how long the user-interface thread's
// event loop is held up (a 5 ms timer's largest delay) while cross-fades run and otherwise, and
// the process's CPU time. Figures are printed; the last line carries them all.
//
//   play_bench [--seconds S] [--fade-ms F] [--every S] [--audio null|sdl] FILE...
//
// Every S seconds (default 8) it pauses, resumes 300 ms later and gives "Play next" with a
// cross-fade of F ms (default 1000) 3 s after the pause. Last line:
//   underruns=<n> command_ms=<c> ui_fade_ms=<f> ui_other_ms=<o> cpu_percent=<p> elapsed_s=<e>
// command_ms: the slowest pause or resume from the call to its first block at the output's mixing
// thread, plus the audio the device holds ahead of that block; ui_fade_ms and ui_other_ms: the
// 5 ms timer's largest delay while a cross-fade ran (from its command to the end of its fade and
// margin) and at other times.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>

#include "BenchCatalogue.h"
#include "ProbeOutput.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/audio/AudioFormat.h"
#include "playback/audio/AudioLibrary.h"
#include "playback/audio/AudioOutputChoice.h"
#include "playback/PlaybackEngine.h"
#include "core/Playlists.h"
#include "playback/QueueController.h"

namespace {

using namespace sw;
using SteadyClock = std::chrono::steady_clock;

constexpr int kTickMs = 5;

qint64 NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now().time_since_epoch())
        .count();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Sits between a device and the library's renderer: once armed with the moment of a command, it
// notes when the first block showing the command's effect (ending in silence after a pause,
// with sound after a resume) has been rendered for the device. The device sounds it after what it holds
// ahead.
class Probe : public RenderTarget {
public:
    explicit Probe(RenderTarget& inner) : m_inner(inner) {}

    void Render(float* interleaved, int frames) override {
        m_inner.Render(interleaved, frames);
        const int want = m_want.load(std::memory_order_acquire);
        if (want == kNothing) {
            return;
        }
        // A pause has reached the output when its ramp down has ended: the block ends silent.
        const float* last = interleaved + (frames - 1) * kChannels;
        const bool shows = want == kSound ? std::any_of(interleaved, interleaved + frames * kChannels,
                                                        [](float s) { return s != 0.0f; })
                                          : last[0] == 0.0f && last[1] == 0.0f;
        if (shows) {
            reachedUs.store(NowUs() - m_armedAtUs.load(std::memory_order_relaxed), std::memory_order_relaxed);
            m_want.store(kNothing, std::memory_order_release);
        }
    }

    /// Waits for the effect of a command given at `atUs`; reachedUs is -1 until it shows.
    void Arm(bool sound, qint64 atUs) {
        reachedUs.store(-1, std::memory_order_relaxed);
        m_armedAtUs.store(atUs, std::memory_order_relaxed);
        m_want.store(sound ? kSound : kSilence, std::memory_order_release);
    }

    std::atomic<qint64> reachedUs{-1};

private:
    static constexpr int kNothing = 0;
    static constexpr int kSilence = 1;
    static constexpr int kSound = 2;

    RenderTarget& m_inner;
    std::atomic<int> m_want{kNothing};
    std::atomic<qint64> m_armedAtUs{0};
};

using BenchOutput = ProbeOutput<Probe>;

// The engine's host as the desktop program has it: posted calls run from the event loop, and the
// display timer is a QTimer.
class BenchHost : public EngineHost {
public:
    explicit BenchHost(PlaybackEngine& engine) {
        m_display.setInterval(100);
        QObject::connect(&m_display, &QTimer::timeout, [&engine] { engine.DisplayTimerTick(); });
    }
    void PostToUserInterface(std::function<void()> call) override {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
    }
    void ProcessPendingEvents() override { QCoreApplication::processEvents(); }
    void DisplayTimerSwitched(bool on) override {
        if (on) {
            m_display.start();
        } else {
            m_display.stop();
        }
    }
    void TransportChanged() override {}

private:
    QTimer m_display;
};

// The largest delay of the 5 ms timer, apart for the ticks that fall in a cross-fade (from the
// command to the end of its fade and margin) and the others.
class TickWatch {
public:
    void Start() {
        m_last = NowUs();
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kTickMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
        m_timer.start();
    }
    void FadeWindow(qint64 fromUs, qint64 toUs) {
        m_fadeFrom = fromUs;
        m_fadeTo = toUs;
    }
    double FadeDelayMs() const { return m_fadeDelayUs / 1000.0; }
    double OtherDelayMs() const { return m_otherDelayUs / 1000.0; }

private:
    void Tick() {
        const qint64 now = NowUs();
        const qint64 delay = std::max<qint64>(0, now - m_last - kTickMs * 1000);
        const bool inFade = now >= m_fadeFrom && m_last <= m_fadeTo;
        qint64& largest = inFade ? m_fadeDelayUs : m_otherDelayUs;
        largest = std::max(largest, delay);
        m_last = now;
    }

    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_fadeFrom = -1;
    qint64 m_fadeTo = -2;
    qint64 m_fadeDelayUs = 0;
    qint64 m_otherDelayUs = 0;
};

TSong SongOfFile(const QString& file) {
    TSong song;
    song.FullPath = song.FileName = QFileInfo(file).absoluteFilePath();
    song.Title = QFileInfo(file).completeBaseName();
    song.ArtistName = "Benchmark";
    song.SongNum = 0;
    song.Exi = true;
    song.FileFound = true;
    return song;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int seconds = BenchOption(arguments, "--seconds", 60);
    const int fadeMs = BenchOption(arguments, "--fade-ms", 1000);
    const int everyS = std::max(4, BenchOption(arguments, "--every", 8));
    const QString audioName = BenchOption(arguments, "--audio", QString("null"));
    QStringList files;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith("--")) {
            ++i;
        } else {
            files << arguments[i];
        }
    }
    if (files.isEmpty()) {
        std::fprintf(
            stderr, "usage: play_bench [--seconds S] [--fade-ms F] [--every S] [--audio null|sdl] FILE...\n");
        return 2;
    }

    ScriptedDialogs dialogs;
    InstallDialogs(&dialogs);
    Catalogue catalogue;
    Settings settings;
    settings.FADETIME = fadeMs;
    settings.FADEONNEXT = fadeMs > 0;
    settings.FADEONPAUSE = false;
    settings.PREVIEWSOUNDCARD = -1;
    Library library(catalogue, settings);
    SharedPlaylists shared;
    Playlists playlists(catalogue, shared);
    QueueController queue(library, playlists);
    // Enough rows that a change every few seconds never runs out of songs.
    for (int round = 0; round * files.size() * everyS < seconds + everyS; ++round) {
        for (const QString& file : files) {
            queue.AppendToQueue(SongOfFile(file));
        }
    }

    auto probes = std::make_unique<BenchOutput>(
        MakeAudioOutput(audioName == "sdl" ? AudioOutputKind::Sdl : AudioOutputKind::Null));
    BenchOutput& probeOutput = *probes;
    AudioLibrary audio(std::move(probes));
    PlaybackEngine engine(audio, queue, settings, RealClock());
    BenchHost host(engine);
    engine.SetHost(&host);
    engine.InitAudio(true);
    if (!probeOutput.last) {
        std::fprintf(stderr, "play_bench: no output could be opened\n");
        return 1;
    }
    Probe& probe = *probeOutput.last;

    TickWatch ticks;
    double commandMs = 0;
    int commands = 0;
    int changes = 0;
    const qint64 startUs = NowUs();
    const double cpuStart = CpuSeconds();
    auto noteReached = [&] {
        const qint64 reached = probe.reachedUs.load();
        if (reached >= 0) {
            commandMs = std::max(commandMs, reached / 1000.0);
            ++commands;
        }
    };
    // One cycle every `every` seconds: a pause, a resume 300 ms later, and "Play next" with its
    // cross-fade 3 s after the pause.
    QTimer cycle;
    cycle.setInterval(everyS * 1000);
    QObject::connect(&cycle, &QTimer::timeout, [&] {
        if (engine.State() != PlaybackState::Playing) {
            return;
        }
        probe.Arm(false, NowUs());
        engine.PauseKey();
        QTimer::singleShot(300, [&] {
            noteReached();
            probe.Arm(true, NowUs());
            engine.PauseKey();
        });
        QTimer::singleShot(3000, [&] {
            noteReached();
            const qint64 from = NowUs();
            ticks.FadeWindow(from, from + 60'000'000);
            engine.NextCommand();
            const qint64 returned = NowUs();
            ticks.FadeWindow(from, std::max(returned, from + (fadeMs + 500) * qint64{1000}));
            ++changes;
        });
    });

    queue.SetCursor(1);
    engine.PlayCommand();
    ticks.Start();
    QTimer::singleShot(2000, [&cycle] { cycle.start(); });
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();

    // The block that shows a command sounds after the audio the device holds ahead of it.
    const OutputDevice& device = *probeOutput.lastDevice;
    const double deviceMs = device.LatencyFrames() * 1000.0 / kSampleRate;
    const double elapsed = (NowUs() - startUs) / 1e6;
    const double cpu = CpuSeconds() - cpuStart;
    const auto underruns = static_cast<unsigned long long>(audio.UnderrunCount());
    const auto deviceDry = static_cast<unsigned long long>(device.Underruns());
    engine.StopPlayback();
    engine.SetHost(nullptr);
    std::printf(
        "%s output, %d s, %d song changes with %d ms cross-fades, %d pauses and resumes timed: %.1f ms "
        "to the output's mixing thread at most, %.1f ms held in the device; underruns: %llu with too little "
        "decoded audio, %llu with the device run dry\n",
        qPrintable(audioName), seconds, changes, fadeMs, commands, commandMs, deviceMs, underruns - deviceDry,
        deviceDry);
    std::printf(
        "underruns=%llu command_ms=%.1f ui_fade_ms=%.1f ui_other_ms=%.1f cpu_percent=%.2f elapsed_s=%.1f\n",
        underruns, commandMs + deviceMs, ticks.FadeDelayMs(), ticks.OtherDelayMs(), cpu * 100 / elapsed,
        elapsed);
    return 0;
}
