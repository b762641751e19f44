#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "audio/AudioTestSupport.h"
#include "QueueTestSupport.h"
#include "foundation/ScriptedDialogs.h"
#include "playback/audio/AudioFormat.h"
#include "playback/HeadlessHost.h"
#include "playback/PlaybackEngine.h"
#include "playback/audio/RenderClock.h"

namespace sw::test {

/// The engine on an offline output whose clock is the test's: every wait of the engine renders
/// audio, and what the master output played is kept for analysis.
struct EngineRig {
    explicit EngineRig(int devices = 1, bool withCatalogue = false)
        : installed(dialogs),
          queueRig(withCatalogue),
          output(new OfflineOutput(devices)),
          audio(std::unique_ptr<AudioOutput>(output)),
          clock(*output, 1, [this](const float* block, int frames) {
              played.insert(played.end(), block, block + static_cast<std::ptrdiff_t>(frames) * kChannels);
          }) {
        Settings& settings = queueRig.settings;
        settings.FADETIME = 1000;
        settings.FADEONNEXT = true;
        settings.FADEONPAUSE = false;
        settings.PREVIEWSOUNDCARD = -1;
        settings.ConfirmDevicesAtStartup = true;
        engine = std::make_unique<PlaybackEngine>(audio, queueRig.queue, settings, clock);
        host = std::make_unique<HeadlessHost>(*engine);
        if (withCatalogue) {
            engine->SetCatalogue(&queueRig.catalogue);
        }
        engine->InitAudio(true);
        clock.SetDevice(engine->MasterDevice());
        dialogs.ClearTranscript();
    }
    ~EngineRig() {
        host.reset();
        engine.reset();
    }

    /// Appends a song playing the test medium (stored in the catalogue when there is one).
    int Append(const QString& medium, int number) {
        TSong song = queueRig.Song(number);
        song.FullPath = Media(medium);
        if (queueRig.file) {
            song.FileName = song.FullPath;
            queueRig.library.songs.SaveSong(song);
            queueRig.catalogue.CommitAndContinue();
        }
        return queue().AppendToQueue(song);
    }
    void Play(int row) {
        queue().SetCursor(row);
        engine->PlayCommand();
    }
    QueueController& queue() { return queueRig.queue; }
    Settings& settings() { return queueRig.settings; }
    /// The peak of the master output's left side between two times.
    double Peak(double fromSeconds, double toSeconds) const {
        double peak = 0;
        const auto from = static_cast<std::size_t>(fromSeconds * kSampleRate);
        const auto to = std::min(played.size() / 2, static_cast<std::size_t>(toSeconds * kSampleRate));
        for (std::size_t i = from; i < to; ++i) {
            peak = std::max(peak, std::abs(static_cast<double>(played[i * 2])));
        }
        return peak;
    }
    double Seconds() const { return clock.NowMs() / 1000.0; }
    float MixerVolume() {
        float volume = -1;
        audio.ChannelGetAttribute(engine->MixerStream(), BASS_ATTRIB_VOL, &volume);
        return volume;
    }
    /// Runs until nothing plays any more (at most a minute of audio).
    bool RunToStop() {
        return host->RunUntilDone([this] { return engine->State() == PlaybackState::Stopped; }, 60000);
    }

    ScriptedDialogs dialogs;
    ScopedDialogs installed;
    QueueRig queueRig;
    OfflineOutput* output;
    AudioLibrary audio;
    std::vector<float> played;
    RenderClock clock;
    std::unique_ptr<PlaybackEngine> engine;
    std::unique_ptr<HeadlessHost> host;
};

}  // namespace sw::test
