#pragma once

namespace sw {

/// Where the audio output engine stands. `Ended` lasts only from the end-of-song notification to
/// the advance to the next song.
enum class PlaybackState { Stopped = 0, Playing = 1, Paused = 2, Ended = 3 };

/// Before a song is played at once: 1 interrupt what plays (without asking when nothing does),
/// 2 queue it instead, 0 cancelled.
int AskInterrupt(PlaybackState state);

}  // namespace sw
