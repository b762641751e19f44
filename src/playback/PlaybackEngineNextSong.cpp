// The song that follows the playing one: opened and queued behind it before its end and taken
// over there, or cross-faded into where the music ends; and the levelling of each stream.
#include <algorithm>

#include "Levelling.h"
#include "PlaybackEngine.h"
#include "QueueController.h"
#include "core/Settings.h"

namespace sw {

namespace {

// The next song is opened and queued behind the playing one this long before its end.
constexpr double kQueueAheadSeconds = 2.0;
/// The display timer's period.
constexpr double kTickSeconds = 0.1;

}  // namespace

int PlaybackEngine::PlayableRowAfter(int row) const {
    const int next = m_queue.NextPlayableRow(row);
    // With "Repeat at end", round to the top; rows marked skipped or unplayable are passed over
    // there too.
    return next <= 0 && m_queue.RepeatAtEnd() ? m_queue.NextPlayableRow(0) : next;
}

int PlaybackEngine::RowToFollow() const {
    return m_transport.stopAtEndDown ? 0 : PlayableRowAfter(m_queue.NowPlayingRow());
}

void PlaybackEngine::QueueNextSong() {
    if (!m_host || m_current == 0 || State() != PlaybackState::Playing || m_fading != Fading::None) {
        return;
    }
    const int row = RowToFollow();
    const TSongObj* object = m_queue.SongAt(row);
    if (m_next != 0 && (row != m_nextRow || !object || object->Song().FullPath != m_nextPath)) {
        DropQueuedSong();  // the queue changed since
    }
    if (m_next != 0 || !object || m_remaining > kQueueAheadSeconds) {
        return;
    }
    const TSong song = object->Song();
    const AudioHandle next = m_audio.StreamCreateFile(song.FullPath, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    if (next == 0) {
        // Marked now, so that the next tick queues the row after it.
        RecordFailedStart(row, song.FullPath, m_audio.ErrorGetText());
        return;
    }
    if (song.StartFrom > 0 && ActionFromComments()) {
        JumpToSeconds(next, song.StartFrom / 100.0);
    }
    LevelStream(next, song, true);
    if (!m_audio.MixerStreamAddChannel(m_mixer, next, BASS_MIXER_NORAMPIN | BASS_MIXER_CHAN_QUEUED)) {
        const QString why = m_audio.ErrorGetText();
        m_audio.StreamFree(next);
        RecordFailedStart(row, song.FullPath, why);
        return;
    }
    WatchEnd(next);
    m_next = next;
    m_nextRow = row;
    m_nextPath = song.FullPath;
    m_queuedStream.store(next);
}

void PlaybackEngine::DropQueuedSong() {
    if (m_next == 0) {
        return;
    }
    m_queuedStream.store(0);
    m_audio.StreamFree(m_next);
    m_next = 0;
    m_nextRow = 0;
    m_nextPath.clear();
    RetryParkedTag();
}

void PlaybackEngine::WatchEnd(AudioHandle stream) {
    m_audio.ChannelSetSync(stream, BASS_SYNC_END | BASS_SYNC_MIXTIME,
                           [this](AudioHandle, AudioHandle channel) { SourceEnded(channel); });
}

void PlaybackEngine::SourceEnded(AudioHandle stream) {
    // Only an end with a song queued behind it is news: otherwise the mixer's own end follows.
    if (m_queuedStream.load() == 0 || stream == m_queuedStream.load() || !m_host) {
        return;
    }
    m_host->PostToUserInterface([this, stream] { TakeOverQueuedSong(stream); });
}

void PlaybackEngine::TakeOverQueuedSong(AudioHandle ended) {
    if (ended != m_current || m_next == 0 || State() != PlaybackState::Playing) {
        return;
    }
    const TSongObj* object = m_queue.SongAt(m_nextRow);
    if (!object || object->Song().FullPath != m_nextPath || m_transport.stopAtEndDown) {
        // The queue changed in the moment before the end: the song that follows is chosen anew.
        DropQueuedSong();
        m_state.store(PlaybackState::Ended);
        AdvanceAfterEnd();
        return;
    }
    const AudioHandle old = m_current;
    const int row = m_nextRow;
    NameRowsPassedBy(m_queue.NowPlayingRow(), row > m_queue.NowPlayingRow() ? row : m_queue.RowCount() + 1);
    m_queuedStream.store(0);
    m_current = m_next;
    m_next = 0;
    m_nextRow = 0;
    m_nextPath.clear();
    m_queue.MarkPlayed();
    m_queue.SetNowPlayingRow(row);
    m_queue.SetCursor(row);
    m_queue.MarkNowPlaying();
    if (!m_audio.StreamFree(old)) {
        ReportBassError("BASS_StreamFree 1");
    }
    m_lastRowEnded = false;
    ++m_songsSounded;
    OnSongStarted();
    RetryParkedTag();
}

bool PlaybackEngine::Levelling() const {
    return m_settings.LOUDNESS != kLoudnessOff;
}

void PlaybackEngine::LevelStream(AudioHandle stream, const TSong& song, bool follows) {
    if (!Levelling() || !m_catalogue) {
        return;
    }
    const std::optional<SongLevel> level = ReadSongLevel(*m_catalogue, song, m_settings);
    if (!level) {
        return;  // not measured yet: it plays as it is
    }
    m_audio.ChannelSetAttribute(stream, kAttribGain, level->Factor);
    if (level->MusicEndMs > level->MusicStartMs) {
        m_audio.StreamSetEnd(stream, m_audio.ChannelSeconds2Bytes(stream, level->MusicEndMs / 1000.0));
    }
    if (follows && level->MusicStartMs > 0 && !(song.StartFrom > 0 && ActionFromComments())) {
        JumpToSeconds(stream, level->MusicStartMs / 1000.0);
    }
}

bool PlaybackEngine::FadeAtEndOfMusic() {
    if (!Levelling() || !FadeOnStopNext() || FadeTime() <= 0 || m_musicEnd <= 0 || m_current == 0 ||
        State() != PlaybackState::Playing || m_fading != Fading::None || RowToFollow() <= 0) {
        return false;
    }
    const double fade = FadeTime() / 1000.0;
    const double left = m_musicEnd - ElapsedSeconds();
    // A tick comes every tenth of a second: the one nearest the fade's time starts it, early by
    // at most half a tick, or late, shortening the fade by as much.
    if (left > fade + kTickSeconds / 2) {
        return true;  // not yet
    }
    if (left < fade / 2) {
        return false;  // too late for the fade (a jump to near the end): the next song follows
    }
    DropQueuedSong();
    CrossfadeOver(CrossfadeTarget::Following, static_cast<int>(std::min(fade, left) * 1000));
    return true;
}

}  // namespace sw
