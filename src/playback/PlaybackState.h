#pragma once

namespace sw {

/// Where the audio output engine stands. `Ended` lasts only from the end-of-song notification to
/// the advance to the next song.
enum class PlaybackState { Stopped = 0, Playing = 1, Paused = 2, Ended = 3 };

/// Before a song is played at once: 1 interrupt what plays (without asking when nothing does),
/// 2 queue it instead, 0 cancelled.
int AskInterrupt(PlaybackState state);

/// What the now-playing queue asks of the audio output engine.
class QueuePlayer {
public:
    virtual ~QueuePlayer() = default;
    virtual PlaybackState State() const = 0;
    /// Starts the song of the queue's cursor row.
    virtual void StartSongAtCursor() = 0;
    /// Stops and releases the loaded song; the queue's playing row becomes none.
    virtual void StopPlayback() = 0;
    /// The Play button: plays the cursor row (cross-fading when a song plays).
    virtual void PlayCommand() = 0;
    /// Pauses the elapsed-time display while the queue does long work, and gives it back.
    virtual void SuspendTimer() = 0;
    virtual void ResumeTimer() = 0;
};

}  // namespace sw
