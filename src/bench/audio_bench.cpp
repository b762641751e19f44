// audio_bench: decoding speed per format, the mixing thread's load during a cross-fade on the null
// output, and the SDL output's latency from the play call. Figures are printed; the last line
// carries the main ones.
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "ProbeOutput.h"
#include "playback/audio/AudioFormat.h"
#include "playback/audio/AudioLibrary.h"
#include "playback/audio/FfmpegDecoder.h"
#include "playback/audio/NullOutput.h"
#include "playback/audio/SdlOutput.h"

namespace {

using namespace sw;
using SteadyClock = std::chrono::steady_clock;

qint64 NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now().time_since_epoch())
        .count();
}

qint64 CpuNs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Sits between a device and the library's renderer: counts the mixing thread's CPU time and
// notes when sound first leaves after being armed.
class Probe : public RenderTarget {
public:
    explicit Probe(RenderTarget& inner) : m_inner(inner) {}

    void Render(float* interleaved, int frames) override {
        const qint64 start = CpuNs(CLOCK_THREAD_CPUTIME_ID);
        m_inner.Render(interleaved, frames);
        const qint64 end = CpuNs(CLOCK_THREAD_CPUTIME_ID);
        cpuNs += end - start;
        threadCpuNs = end;
        blockFrames = frames;
        if (armed.load() &&
            std::any_of(interleaved, interleaved + frames * kChannels, [](float s) { return s != 0; })) {
            soundAtNs = NowNs();
            armed = false;
        }
    }

    std::atomic<qint64> cpuNs{0};        // inside Render
    std::atomic<qint64> threadCpuNs{0};  // the mixing thread's whole clock, waking up included
    std::atomic<int> blockFrames{0};
    std::atomic<bool> armed{false};
    std::atomic<qint64> soundAtNs{0};

private:
    RenderTarget& m_inner;
};

using BenchOutput = ProbeOutput<Probe>;

void Make(const QString& path, const QStringList& encoding, const QString& source) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-y"} +
                               (source.isEmpty() ? QStringList{} : QStringList{"-i", source}) + encoding +
                               QStringList{path});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed for %s: %s\n", qPrintable(path),
                     ffmpeg.readAllStandardError().constData());
        std::exit(1);
    }
}

// Best of three full decodes (open, measure, decode), in multiples of real time.
double DecodeSpeed(const QString& path) {
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        const auto start = SteadyClock::now();
        FfmpegDecoder decoder(path);
        std::vector<float> buffer(4096 * kChannels);
        qint64 frames = 0;
        while (const int got = decoder.Read(buffer.data(), 4096)) {
            frames += got;
        }
        const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
        best = std::max(best, frames / static_cast<double>(kSampleRate) / seconds);
    }
    return best;
}

void Check(AudioLibrary& audio, bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "%s - BASS error %d %s\n", what, audio.ErrorGetCode(),
                     qPrintable(audio.ErrorGetText()));
        std::exit(1);
    }
}

// Two MP3 streams cross-fading over the whole measured window on the null output.
double MixerCpuPercent(const QString& a, const QString& b) {
    auto output = std::make_unique<BenchOutput>(std::make_unique<NullOutput>());
    BenchOutput* probes = output.get();
    AudioLibrary audio(std::move(output));
    Check(audio, audio.Init(1, kSampleRate), "BASS_Init");
    const AudioHandle mixer = audio.MixerStreamCreate(kSampleRate, kChannels, BASS_MIXER_END);
    const AudioHandle first = audio.StreamCreateFile(a, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    const AudioHandle second = audio.StreamCreateFile(b, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    Check(audio, mixer && first && second, "BASS_StreamCreateFile");
    Check(audio, audio.MixerStreamAddChannel(mixer, first, BASS_MIXER_NORAMPIN),
          "BASS_Mixer_StreamAddChannel");
    Check(audio, audio.ChannelPlay(mixer, true), "BASS_ChannelPlay");
    std::this_thread::sleep_for(std::chrono::seconds(1));

    constexpr int kWindowSeconds = 10;
    audio.ChannelSetAttribute(second, BASS_ATTRIB_VOL, 0);
    Check(audio, audio.MixerStreamAddChannel(mixer, second, BASS_MIXER_NORAMPIN | BASS_STREAM_AUTOFREE),
          "BASS_Mixer_StreamAddChannel");
    audio.ChannelSlideAttribute(second, BASS_ATTRIB_VOL, 1.0f, kWindowSeconds * 1000);
    audio.ChannelSlideAttribute(first, BASS_ATTRIB_VOL, 0.0f, kWindowSeconds * 1000);
    Probe& probe = *probes->last;
    const qint64 renderStart = probe.cpuNs;
    const qint64 threadStart = probe.threadCpuNs;
    const qint64 processStart = CpuNs(CLOCK_PROCESS_CPUTIME_ID);
    const qint64 wallStart = NowNs();
    std::this_thread::sleep_for(std::chrono::seconds(kWindowSeconds));
    const double wall = static_cast<double>(NowNs() - wallStart);
    const double rendering = 100.0 * static_cast<double>(probe.cpuNs - renderStart) / wall;
    const double mixing = 100.0 * static_cast<double>(probe.threadCpuNs - threadStart) / wall;
    const double process = 100.0 * static_cast<double>(CpuNs(CLOCK_PROCESS_CPUTIME_ID) - processStart) / wall;
    std::printf(
        "cross-fade of two MP3s on the null output, %d s: mixing thread %.3f %% of a core (%.3f %% inside "
        "the mix, the rest waking up); whole process with both decoders %.3f %%; underruns %llu\n",
        kWindowSeconds, mixing, rendering, process, static_cast<unsigned long long>(audio.UnderrunCount()));
    return mixing;
}

// From ChannelPlay on the mixer to the first block with sound handed to SDL, plus that block's
// own length, which the device plays out before the next.
void SdlLatency(const QString& song) {
    auto sdl = std::make_unique<SdlOutput>();
    if (sdl->DeviceCount() == 0) {
        std::printf(
            "SDL found no sound output (%s); measuring with SDL's dummy driver, which paces its "
            "callbacks like a device\n",
            qPrintable(sdl->InitError().isEmpty() ? QString("no devices") : sdl->InitError()));
        sdl.reset();
        qputenv("SDL_AUDIODRIVER", "dummy");
        sdl = std::make_unique<SdlOutput>();
    }
    if (sdl->DeviceCount() == 0) {
        std::printf("sdl_latency: no SDL device can be opened here, not measured\n");
        return;
    }
    const QString name = sdl->DeviceName(1);
    auto output = std::make_unique<BenchOutput>(std::move(sdl));
    BenchOutput* probes = output.get();
    AudioLibrary audio(std::move(output));
    Check(audio, audio.Init(1, kSampleRate), "BASS_Init");
    const AudioHandle mixer = audio.MixerStreamCreate(kSampleRate, kChannels, BASS_MIXER_END);
    std::vector<double> waits;
    for (int run = 0; run < 25; ++run) {
        const AudioHandle stream = audio.StreamCreateFile(song, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
        Check(audio, stream && audio.MixerStreamAddChannel(mixer, stream, BASS_MIXER_NORAMPIN), "stream");
        std::this_thread::sleep_for(std::chrono::milliseconds(7 * run % 23));  // land anywhere in a period
        probes->last->armed = true;
        const qint64 played = NowNs();
        Check(audio, audio.ChannelPlay(mixer, true), "BASS_ChannelPlay");
        while (probes->last->armed && NowNs() - played < 2000000000) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        waits.push_back(static_cast<double>(probes->last->soundAtNs - played) / 1e6);
        audio.ChannelStop(mixer);
        audio.ChannelSetPosition(mixer, 0, BASS_POS_BYTE);
        audio.StreamFree(stream);
    }
    std::sort(waits.begin(), waits.end());
    const double block = 1000.0 * probes->last->blockFrames / kSampleRate;
    std::printf(
        "SDL device 1 \"%s\" (driver %s), %d-frame blocks (%.1f ms): play call to first sound block "
        "median %.1f ms, max %.1f ms; buffered latency median %.1f ms, max %.1f ms\n",
        qPrintable(name),
        qgetenv("SDL_AUDIODRIVER").isEmpty() ? "default" : qgetenv("SDL_AUDIODRIVER").constData(),
        probes->last->blockFrames.load(), block, waits[waits.size() / 2], waits.back(),
        waits[waits.size() / 2] + block, waits.back() + block);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString wav = folder.filePath("bench.wav");
    const QString wav2 = folder.filePath("bench2.wav");
    // A minute of two-tone music with a little noise, so that the encoders have real work.
    Make(wav,
         {"-f", "lavfi", "-i",
          "aevalsrc=exprs=0.3*sin(2*PI*440*t)+0.1*sin(2*PI*1234*t)+0.05*(random(0)-0.5)|"
          "0.3*sin(2*PI*554*t)+0.1*sin(2*PI*987*t)+0.05*(random(1)-0.5):s=44100:d=60",
          "-c:a", "pcm_s16le"},
         {});
    Make(wav2, {"-af", "volume=0.8,atempo=1.1", "-c:a", "pcm_s16le"}, wav);
    const QString mp3 = folder.filePath("bench.mp3");
    const QString mp3b = folder.filePath("bench2.mp3");
    const QString ogg = folder.filePath("bench.ogg");
    Make(mp3, {"-c:a", "libmp3lame", "-b:a", "192k"}, wav);
    Make(mp3b, {"-c:a", "libmp3lame", "-q:a", "2"}, wav2);
    Make(ogg, {"-c:a", "libvorbis", "-q:a", "5"}, wav);
    const QString dc = folder.filePath("dc.wav");
    Make(dc, {"-f", "lavfi", "-i", "aevalsrc=exprs=0.5|0.5:s=44100:d=2", "-c:a", "pcm_s16le"}, {});

    // Opening measures the exact length; for MP3 that reads every packet of the file once.
    double openMs = 1e9;
    for (int run = 0; run < 5; ++run) {
        const auto start = SteadyClock::now();
        FfmpegDecoder opened(mp3);
        openMs =
            std::min(openMs, std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count());
    }
    std::printf("opening the 60 s MP3 with its exact length: %.1f ms\n", openMs);
    const double mp3Speed = DecodeSpeed(mp3);
    const double oggSpeed = DecodeSpeed(ogg);
    const double wavSpeed = DecodeSpeed(wav);
    std::printf(
        "decoding 60 s (open with length measurement, decode, convert to float stereo): mp3 %.0fx, "
        "ogg %.0fx, wav %.0fx real time\n",
        mp3Speed, oggSpeed, wavSpeed);
    const double mixer = MixerCpuPercent(mp3, mp3b);
    SdlLatency(dc);
    std::printf("mp3_x_realtime=%.0f ogg_x_realtime=%.0f wav_x_realtime=%.0f mixer_cpu_percent=%.3f\n",
                mp3Speed, oggSpeed, wavSpeed, mixer);
    return 0;
}
