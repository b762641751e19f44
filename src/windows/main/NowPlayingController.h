#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "NowPlayingCover.h"

namespace sw {

class PlaybackEngine;
class QueueController;
class TSongObj;
struct Settings;

/// What the main window's now-playing panel shows.
struct NowPlayingView {
    /// "Artist – Title", or the title alone for a song without an artist; empty without a song.
    QString Heading;
    QString Album;
    /// The song shown is the one playing (or paused), not just the queue's cursor row.
    bool Loaded = false;
    bool Playing = false;
    bool SeekEnabled = false;
    int LengthSeconds = 0;
    int ElapsedSeconds = 0;
    /// "m:ss" and "-m:ss".
    QString ElapsedText;
    QString RemainingText;
    bool PlayPauseEnabled = false;
    bool StopEnabled = false;
    bool PreviousEnabled = false;
    bool NextEnabled = false;
    int Volume = 100;
    bool Muted = false;
};

/// The main window's now-playing panel without widgets: the song playing (else the queue's
/// cursor row) with its cover and times, and the transport, seek and volume controls, all
/// through the engine's own commands. The volume (VOLUME, MUTE) is the level of the engine's
/// mixer, which the engine keeps across its fades; a change during a fade or a pause waits for
/// the music to be steady again.
class NowPlayingController {
public:
    NowPlayingController(PlaybackEngine& engine, Settings& settings);
    ~NowPlayingController();
    NowPlayingController(const NowPlayingController&) = delete;
    NowPlayingController& operator=(const NowPlayingController&) = delete;

    /// Called whenever the transport changed, after the volume has been seen to.
    void SetChanged(std::function<void()> changed) { m_changed = std::move(changed); }

    NowPlayingView View();
    /// The song shown: the playing row's, else the cursor row's; null when the queue has neither.
    const TSongObj* ShownSong() const;
    /// The shown song's cover, read once per song.
    const CoverImage& Cover();

    /// Starts the cursor row when nothing plays, else pauses or resumes.
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    /// A click on the seek bar, `fraction` of the way along it.
    void SeekToFraction(double fraction);
    void SeekToSeconds(double seconds);

    /// 0 to 100; kept in VOLUME.
    void SetVolume(int volume);
    /// Kept in MUTE; the volume stays where it was.
    void SetMuted(bool muted);
    /// The level the mixer is to have: 0 when muted, else VOLUME per cent.
    float Level() const;
    /// Puts Level on the engine's mixer unless a fade or a pause holds the mixer's volume; then it
    /// comes when the transport is next steady.
    void ApplyVolume();

private:
    void TransportChanged();
    int ShownRow() const;

    PlaybackEngine& m_engine;
    QueueController& m_queue;
    Settings& m_settings;
    std::function<void()> m_changed;
    /// The level last put on the mixer (and that mixer); -1 before the first.
    float m_applied = -1;
    quint32 m_appliedMixer = 0;
    QString m_coverFor;
    CoverImage m_cover;
    /// Lets the engine's listener, which outlives the controller, know it is gone.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace sw
