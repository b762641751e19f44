#include "NowPlayingController.h"

#include <algorithm>
#include <cmath>

#include "core/Settings.h"
#include "core/Song.h"
#include "foundation/Dates.h"
#include "playback/PlaybackEngine.h"
#include "playback/QueueController.h"

namespace sw {

namespace {

// The engine takes a jump to exactly 0 s as no jump at all; the start of the song is just after.
constexpr double kStartOfSong = 1e-9;
constexpr float kLevelStep = 0.001f;

}  // namespace

NowPlayingController::NowPlayingController(PlaybackEngine& engine, Settings& settings)
    : m_engine(engine), m_queue(engine.Queue()), m_settings(settings) {
    m_engine.AddTransportListener([alive = std::weak_ptr<bool>(m_alive), this] {
        if (!alive.expired()) {
            TransportChanged();
        }
    });
    ApplyVolume();
}

NowPlayingController::~NowPlayingController() = default;

void NowPlayingController::TransportChanged() {
    ApplyVolume();
    if (m_changed) {
        m_changed();
    }
}

int NowPlayingController::ShownRow() const {
    const int playing = m_queue.NowPlayingRow();
    return playing > 0 && m_queue.SongAt(playing) ? playing : m_queue.Cursor();
}

const TSongObj* NowPlayingController::ShownSong() const {
    return m_queue.SongAt(ShownRow());
}

const CoverImage& NowPlayingController::Cover() {
    const TSongObj* song = ShownSong();
    const QString path = song ? song->Song().FullPath : QString();
    if (path != m_coverFor) {
        m_coverFor = path;
        m_cover = FindCover(path);
    }
    return m_cover;
}

NowPlayingView NowPlayingController::View() {
    NowPlayingView view;
    view.Volume = m_settings.VOLUME;
    view.Muted = m_settings.MUTE;
    const PlaybackState state = m_engine.State();
    view.Loaded = m_engine.CurrentStream() != 0 && m_queue.NowPlayingRow() > 0;
    view.Playing = state == PlaybackState::Playing;
    if (const TSongObj* object = ShownSong()) {
        const TSong& song = object->Song();
        view.Heading = song.ArtistName.isEmpty() ? song.Title : song.ArtistName + " \u2013 " + song.Title;
        view.Album = song.AlbumName;
        view.LengthSeconds = song.Duration;
        view.PlayPauseEnabled = true;
    }
    if (view.Loaded) {
        view.LengthSeconds = static_cast<int>(std::lround(m_engine.SongLength()));
        view.ElapsedSeconds = std::clamp(static_cast<int>(m_engine.ElapsedSeconds()), 0, view.LengthSeconds);
        view.SeekEnabled = state == PlaybackState::Playing || state == PlaybackState::Paused;
    }
    view.ElapsedText = DurationText(view.ElapsedSeconds);
    view.RemainingText = "-" + DurationText(std::max(0, view.LengthSeconds - view.ElapsedSeconds));
    view.StopEnabled = state == PlaybackState::Playing || state == PlaybackState::Paused;
    const int row = ShownRow();
    view.PreviousEnabled = row > 1;
    // As the engine's "Play next": nothing while the fade time's worth of the song is not left.
    view.NextEnabled = state != PlaybackState::Ended &&
                       m_engine.RemainingSeconds() * 1000 >= m_engine.FadeTime() &&
                       m_queue.NextPlayableRow(row) > 0;
    return view;
}

void NowPlayingController::PlayPause() {
    m_engine.PlayOrPause();
}

void NowPlayingController::Stop() {
    if (m_engine.State() != PlaybackState::Stopped) {
        m_engine.StopCommand();
    }
}

void NowPlayingController::Next() {
    m_engine.NextCommand();
}

void NowPlayingController::Previous() {
    m_engine.PreviousCommand();
}

void NowPlayingController::SeekToFraction(double fraction) {
    SeekToSeconds(std::clamp(fraction, 0.0, 1.0) * m_engine.SongLength());
}

void NowPlayingController::SeekToSeconds(double seconds) {
    const PlaybackState state = m_engine.State();
    if (m_engine.CurrentStream() == 0 || (state != PlaybackState::Playing && state != PlaybackState::Paused)) {
        return;
    }
    const double target = std::clamp(seconds, 0.0, std::max(0.0, m_engine.SongLength() - 1));
    if (target >= 1) {
        // The time bar's own step: ramped so that the jump does not click.
        m_engine.TimeBarStep(static_cast<int>(target));
    } else {
        m_engine.SuspendTimer();
        m_engine.JumpToSeconds(m_engine.CurrentStream(), kStartOfSong);
        m_engine.ResumeTimer();
    }
    if (m_changed) {
        m_changed();
    }
}

void NowPlayingController::SetVolume(int volume) {
    m_settings.VOLUME = std::clamp(volume, 0, 100);
    ApplyVolume();
}

void NowPlayingController::SetMuted(bool muted) {
    m_settings.MUTE = muted;
    ApplyVolume();
}

float NowPlayingController::Level() const {
    return m_settings.MUTE ? 0.0f : static_cast<float>(std::clamp(m_settings.VOLUME, 0, 100)) / 100.0f;
}

void NowPlayingController::ApplyVolume() {
    const AudioHandle mixer = m_engine.MixerStream();
    if (mixer == 0) {
        return;
    }
    const float level = Level();
    if (mixer == m_appliedMixer && std::abs(level - m_applied) < kLevelStep) {
        return;
    }
    // A fade, a pause and a faded stop hold the volume they will give back; it changes once the
    // music is steady, so that the engine gives back the new one from then on.
    const PlaybackState state = m_engine.State();
    const bool steady = !m_engine.IsFading() && (state == PlaybackState::Playing ||
                                                 (state == PlaybackState::Stopped && m_engine.SavedVolume() == 0));
    if (!steady) {
        return;
    }
    m_engine.Audio().ChannelSetAttribute(mixer, BASS_ATTRIB_VOL, level);
    m_applied = level;
    m_appliedMixer = mixer;
}

}  // namespace sw
