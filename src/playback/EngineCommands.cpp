// The engine's transport commands, fades and cross-fades, jumps, the time bar and the FADE menu.
#include <cmath>
#include <utility>

#include "PlaybackEngine.h"
#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/Dates.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "QueueController.h"

namespace sw {

namespace {

// Fades wait this much longer than the fade itself.
constexpr int kFadeMarginMs = 500;
// A cut without a fade still ramps the sound down (and up) over this long, so that it does not
// click.
constexpr int kDeclickMs = 5;

}  // namespace

bool PlaybackEngine::FadeOnStopNext() const {
    return m_settings.FADEONNEXT;
}

bool PlaybackEngine::FadeOnPause() const {
    return m_settings.FADEONPAUSE;
}

int PlaybackEngine::FadeTime() const {
    return std::max(0, m_settings.FADETIME);
}

void PlaybackEngine::RampDownForCut() {
    if (m_current == 0 || State() != PlaybackState::Playing) {
        return;
    }
    const float volume = SteadyVolume();
    if (volume <= 0) {
        return;
    }
    m_savedVolume = volume;
    m_audio.ChannelSlideAttribute(m_mixer, BASS_ATTRIB_VOL, 0.0f, kDeclickMs);
    WaitForRamp(m_mixer);
}

void PlaybackEngine::WaitForRamp(AudioHandle channel) {
    // The ramp runs when the output next asks for sound, which may be a period later.
    constexpr int kLongestMs = 25;
    Wait(kDeclickMs + 1);
    float volume = 0;
    for (int waited = kDeclickMs + 1;
         waited < kLongestMs && m_audio.ChannelGetAttribute(channel, BASS_ATTRIB_VOL, &volume) && volume > 0;
         waited += 2) {
        Wait(2);
    }
}

void PlaybackEngine::RampUpAfterCut() {
    if (m_savedVolume <= 0 || State() != PlaybackState::Playing) {
        return;
    }
    m_audio.ChannelSlideAttribute(m_mixer, BASS_ATTRIB_VOL, m_savedVolume, kDeclickMs);
    m_rampTarget = m_savedVolume;
    m_savedVolume = 0;
}

void PlaybackEngine::PlayOrPause() {
    switch (State()) {
        case PlaybackState::Playing:
            PressPause(true);
            break;
        case PlaybackState::Paused:
            PressPause(false);
            break;
        case PlaybackState::Stopped:
            PlayCommand();
            break;
        case PlaybackState::Ended:
            break;
    }
}

void PlaybackEngine::PlayCommand() {
    SettleFade();
    if (State() == PlaybackState::Playing && FadeOnStopNext() &&
        m_queue.Cursor() != m_queue.NowPlayingRow()) {
        CrossfadeTo(CrossfadeTarget::Cursor);
        return;
    }
    RampDownForCut();
    StopPlayback();
    StartSongAtCursor();
}

void PlaybackEngine::PressPause(bool down) {
    m_transport.pauseDown = down;
    if (down) {
        m_transport.stopAtEndDown = false;
    }
    TogglePause();
}

void PlaybackEngine::PauseKey() {
    if (State() == PlaybackState::Playing || State() == PlaybackState::Paused) {
        PressPause(!m_transport.pauseDown);
    }
}

void PlaybackEngine::SetStopAtEnd(bool down) {
    m_transport.stopAtEndDown = down;
    if (down) {
        DropQueuedSong();
    }
    if (down) {
        m_transport.pauseDown = false;
    }
    Changed();
}

void PlaybackEngine::TogglePause() {
    if (m_fading == Fading::ToPause) {
        // Pressed again while fading out: the music comes back from where the fade has got to.
        m_fading = Fading::None;
        m_audio.ChannelSlideAttribute(m_mixer, BASS_ATTRIB_VOL, m_savedVolume, static_cast<quint32>(FadeTime()));
        m_rampTarget = m_savedVolume;
        m_savedVolume = 0;
        SetTransportState(PlaybackState::Playing);
        return;
    }
    if (m_fading == Fading::ToStop) {
        // Nothing to pause in a song that is stopping.
        m_transport.pauseDown = false;
        Changed();
        return;
    }
    SettleFade();
    if (State() == PlaybackState::Playing) {
        if (m_current != 0) {
            if (FadeOnPause() && FadeFits()) {
                // The mixer fades out; the pause comes when the fade is over.
                m_savedVolume = SteadyVolume();
                m_audio.ChannelSlideAttribute(m_mixer, BASS_ATTRIB_VOL, 0.0f, static_cast<quint32>(FadeTime()));
                BeginFade(Fading::ToPause, FadeTime());
                return;
            }
            RampDownForCut();
            SetMixerVolume(0);
            m_audio.ChannelPause(m_mixer);
        }
        SetTransportState(PlaybackState::Paused);
        return;
    }
    if (State() != PlaybackState::Paused) {
        // Nothing is loaded: the button does not stay down.
        m_transport.pauseDown = false;
        Changed();
        return;
    }
    if (m_current != 0) {
        if (!m_audio.ChannelPlay(m_mixer, false)) {
            ReportBassError("BASS_ChannelPlay");
        }
        SetTimer(true);
        // Nothing saved (a pause made by dragging the time bar) leaves the volume as it is. The
        // fade in is the mixer's own ramp: nothing waits for it, and an end during it is kept.
        if (m_savedVolume != 0) {
            if (FadeOnPause()) {
                m_audio.ChannelSlideAttribute(m_mixer, BASS_ATTRIB_VOL, m_savedVolume,
                                              static_cast<quint32>(FadeTime()));
                m_rampTarget = m_savedVolume;
                m_savedVolume = 0;
            } else {
                SetMixerVolume(m_savedVolume);
                m_savedVolume = 0;
            }
        }
    }
    SetTransportState(PlaybackState::Playing);
}

void PlaybackEngine::StopCommand() {
    if (m_fading == Fading::ToStop) {
        SettleFade();  // Stop pressed again: at once
        return;
    }
    if (m_fading == Fading::ToPause) {
        // The fade out goes on, and ends in a stop instead of a pause.
        m_fading = Fading::ToStop;
        m_transport.pauseDown = false;
        Changed();
        return;
    }
    SettleFade();
    if (State() == PlaybackState::Paused) {
        float volume = MixerVolume();
        if (volume == 0) {
            volume = m_savedVolume;
        }
        SetMixerVolume(0);
        ProcessPendingEvents();
        m_audio.ChannelPlay(m_mixer, false);
        SetTimer(true);
        SetTransportState(PlaybackState::Playing);
        StopPlayback();
        SetMixerVolume(volume);
        return;
    }
    if (FadeOnStopNext() && State() == PlaybackState::Playing && m_current != 0 && FadeFits()) {
        m_savedVolume = SteadyVolume();
        m_audio.ChannelSlideAttribute(m_mixer, BASS_ATTRIB_VOL, 0.0f, static_cast<quint32>(FadeTime()));
        BeginFade(Fading::ToStop, FadeTime());
        return;
    }
    RampDownForCut();
    StopPlayback();
}

bool PlaybackEngine::FadeFits() const {
    return (FadeTime() + kFadeMarginMs) / 1000.0 < m_remaining;
}

void PlaybackEngine::BeginFade(Fading kind, int fadeMs) {
    m_fading = kind;
    m_fadeEndsAt = m_clock.NowMs() + fadeMs + kFadeMarginMs;
    Changed();
}

void PlaybackEngine::FinishFade() {
    switch (std::exchange(m_fading, Fading::None)) {
        case Fading::None:
            return;
        case Fading::ToPause:
            SetMixerVolume(0);
            m_audio.ChannelPause(m_mixer);
            SetTransportState(PlaybackState::Paused);
            return;
        case Fading::ToStop:
            StopPlayback();
            return;
        case Fading::Cross: {
            const AudioHandle old = m_current;
            m_current = std::exchange(m_crossTo, 0);
            OnSongStarted();
            if (!m_audio.StreamFree(old)) {
                ReportBassError("BASS_StreamFree 1");
            }
            RetryParkedTag();
            return;
        }
    }
}

void PlaybackEngine::SettleFade() {
    if (m_fading == Fading::None) {
        return;
    }
    if (m_clock.NowMs() < m_fadeEndsAt) {
        // Cut short by another command: what still sounds ramps out over a few milliseconds.
        if (m_fading == Fading::Cross) {
            m_audio.ChannelSlideAttribute(m_current, BASS_ATTRIB_VOL, 0.0f, kDeclickMs);
            m_audio.ChannelSlideAttribute(m_crossTo, BASS_ATTRIB_VOL, m_crossVolume, kDeclickMs);
        } else {
            m_audio.ChannelSlideAttribute(m_mixer, BASS_ATTRIB_VOL, 0.0f, kDeclickMs);
        }
        WaitForRamp(m_fading == Fading::Cross ? m_current : m_mixer);
    }
    FinishFade();
}

void PlaybackEngine::FadeTick() {
    if (m_fading != Fading::None && m_clock.NowMs() >= m_fadeEndsAt) {
        FinishFade();
    }
}

void PlaybackEngine::NextCommand() {
    SettleFade();
    if (State() != PlaybackState::Ended && m_remaining * 1000 >= FadeTime()) {
        if (FadeOnStopNext() && State() == PlaybackState::Playing) {
            CrossfadeTo(CrossfadeTarget::Next);
        } else {
            const PlaybackState before = State();
            const int row = m_current != 0 ? m_queue.NowPlayingRow() : m_queue.Cursor();
            RampDownForCut();
            StopPlayback();
            const int next = m_queue.NextPlayableRow(row);
            if (next > 0) {
                m_queue.SetCursor(next);
                if (before == PlaybackState::Playing) {
                    StartSongAtCursor();
                }
            }
        }
    }
    Changed();
}

void PlaybackEngine::PreviousCommand() {
    SettleFade();
    if (FadeOnStopNext() && State() == PlaybackState::Playing) {
        CrossfadeTo(CrossfadeTarget::Previous);
        return;
    }
    m_savedState = State();
    const int row = m_current != 0 ? m_queue.NowPlayingRow() : m_queue.Cursor();
    RampDownForCut();
    StopPlayback();
    m_queue.SetCursor(row >= 2 ? row - 1 : 1);
    if (m_savedState == PlaybackState::Playing) {
        StartSongAtCursor();
    }
}

void PlaybackEngine::CrossfadeTo(CrossfadeTarget target) {
    CrossfadeOver(target, FadeTime());
}

void PlaybackEngine::CrossfadeOver(CrossfadeTarget target, int fadeMs) {
    SettleFade();
    if (State() != PlaybackState::Playing || fadeMs / 1000.0 > m_remaining) {
        return;
    }
    DropQueuedSong();
    const AudioHandle old = m_current;
    const int oldRow = m_queue.NowPlayingRow();
    m_queue.MarkPlayed();
    int row = 0;
    switch (target) {
        case CrossfadeTarget::Next:
            row = m_queue.NextPlayableRow(oldRow);
            break;
        case CrossfadeTarget::Previous:
            row = m_queue.PreviousExistingRow(oldRow);
            break;
        case CrossfadeTarget::Cursor:
            row = m_queue.Cursor();
            break;
        case CrossfadeTarget::Following:
            row = PlayableRowAfter(oldRow);
            break;
    }
    const TSongObj* object = m_queue.SongAt(row);
    if (!object) {
        // Nowhere to go: the song plays on and stays marked as playing.
        m_queue.MarkNowPlaying();
        return;
    }
    m_queue.SetCursor(row);
    m_queue.SetNowPlayingRow(row);
    m_queue.MarkNowPlaying();
    const TSong song = object->Song();
    const AudioHandle fresh = m_audio.StreamCreateFile(song.FullPath, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    auto keepOld = [&] {
        // The old song keeps sounding, so its row counts as playing again.
        m_queue.MarkPlayed();
        m_queue.SetNowPlayingRow(oldRow);
        m_queue.MarkNowPlaying();
    };
    if (fresh == 0) {
        // The old song plays on; the file that failed is marked and named, and a cross-fade to
        // the next song goes on to the one after it.
        const QString why = m_audio.ErrorGetText();
        keepOld();
        RecordFailedStart(row, song.FullPath, why);
        if (target == CrossfadeTarget::Next && m_queue.NextPlayableRow(row) > 0) {
            m_queue.SetCursor(oldRow);
            CrossfadeOver(target, fadeMs);
        }
        return;
    }
    if (song.StartFrom > 0 && ActionFromComments()) {
        JumpToSeconds(fresh, song.StartFrom / 100.0);
    }
    LevelStream(fresh, song, true);
    float volume = 1.0f;
    m_audio.ChannelGetAttribute(old, BASS_ATTRIB_VOL, &volume);
    m_audio.ChannelSetAttribute(fresh, BASS_ATTRIB_VOL, 0.0f);
    if (!m_audio.MixerStreamAddChannel(m_mixer, fresh, BASS_MIXER_NORAMPIN | BASS_STREAM_AUTOFREE)) {
        ReportBassError("BASS_Mixer_StreamAddChannel");
        m_audio.StreamFree(fresh);
        keepOld();
        return;
    }
    WatchEnd(fresh);
    ++m_songsSounded;
    const auto fade = static_cast<quint32>(fadeMs);
    // Levelled songs sound equally loud, so their sum keeps that loudness through the fade only
    // when their powers add up to one.
    const quint32 slide = Levelling() ? BASS_ATTRIB_VOL | kSlideEqualPower : BASS_ATTRIB_VOL;
    m_audio.ChannelSlideAttribute(fresh, slide, volume, fade);
    m_audio.ChannelSlideAttribute(old, slide, 0.0f, fade);
    // The mixer does the fade; the new song counts as started when it is over.
    m_crossTo = fresh;
    m_crossVolume = volume;
    BeginFade(Fading::Cross, fadeMs);
}

float PlaybackEngine::SteadyVolume() {
    // A fade in still running counts with the volume it is heading for.
    const float volume = m_rampTarget >= 0 ? m_rampTarget : MixerVolume();
    m_rampTarget = -1;
    return volume;
}

void PlaybackEngine::FadeOutMaster() {
    m_savedVolume = SteadyVolume();
    if ((FadeTime() + kFadeMarginMs) / 1000.0 >= m_remaining) {
        return;
    }
    m_audio.ChannelSlideAttribute(m_mixer, BASS_ATTRIB_VOL, 0.0f, static_cast<quint32>(FadeTime()));
    Wait(FadeTime() + kFadeMarginMs);
}

void PlaybackEngine::JumpToSeconds(AudioHandle stream, double seconds) {
    if (seconds == 0) {
        return;
    }
    if (!m_audio.ChannelSetPosition(stream, m_audio.ChannelSeconds2Bytes(stream, seconds), BASS_POS_BYTE)) {
        ReportBassError("BASS_Mixer_ChannelSetPosition");
    }
}

void PlaybackEngine::JumpCommand() {
    const int row = m_queue.NowPlayingRow();
    if (row <= 0) {
        return;
    }
    QString answer;
    if (!InputText("Jump to time ( 0:00 - " + m_queue.Cell(row, QueueColumn::Duration) + " )", answer)) {
        return;
    }
    QString minutes;
    QString seconds;
    if (answer.size() == 4) {
        minutes = answer.mid(0, 1);
        seconds = answer.mid(2, 2);
    } else if (answer.size() == 5) {
        minutes = answer.mid(0, 2);
        seconds = answer.mid(3, 2);
    } else {
        return;
    }
    int m = 0;
    int s = 0;
    if (!ParseIntOrWarn(minutes, m) || !ParseIntOrWarn(seconds, s)) {
        return;
    }
    SeekPlaying(m * 60 + s);
}

void PlaybackEngine::SeekPlaying(double seconds) {
    SettleFade();
    // A jump to 0 leaves the position alone (as JumpToSeconds does), so it needs no ramp either.
    if (seconds == 0) {
        return;
    }
    RampDownForCut();
    JumpToSeconds(m_current, seconds);
    RampUpAfterCut();
}

void PlaybackEngine::TimeBarStep(int position) {
    if (State() == PlaybackState::Stopped) {
        return;
    }
    SuspendTimer();
    SeekPlaying(position);
    ResumeTimer();
}

void PlaybackEngine::TimeBarDragged(int position) {
    if (State() == PlaybackState::Stopped) {
        return;
    }
    if (!m_dragging) {
        m_dragging = true;
        m_savedState = State();
        SuspendTimer();
        if (m_current != 0) {
            m_audio.ChannelPause(m_mixer);
        }
        SetTransportState(PlaybackState::Paused);
    }
    m_transport.jumpCaption = DurationText(position);
    Changed();
}

void PlaybackEngine::TimeBarReleased(int position) {
    if (State() == PlaybackState::Stopped) {
        return;
    }
    m_dragging = false;
    JumpToSeconds(m_current, position);
    if (m_savedState == PlaybackState::Playing) {
        m_audio.ChannelPlay(m_mixer, false);
        SetTimer(true);
        SetTransportState(PlaybackState::Playing);
    }
}

void PlaybackEngine::TimeBarKeyPressed() {
    m_savedState = State();
}

void PlaybackEngine::SetTimeBarSmallStep() {
    int step = m_transport.timeBarSmallStep;
    if (InputInteger("Timebar small increment (seconds)", step)) {
        m_transport.timeBarSmallStep = step;
        Changed();
    }
}

void PlaybackEngine::SetTimeBarLargeStep() {
    int step = m_transport.timeBarLargeStep;
    if (InputInteger("Timebar large increment (seconds)", step)) {
        m_transport.timeBarLargeStep = step;
        Changed();
    }
}

QString PlaybackEngine::FadeTimeCaption() const {
    return "Fade time (ms) = " + QString::number(m_settings.FADETIME);
}

void PlaybackEngine::ToggleFadeOnStopNext() {
    m_settings.FADEONNEXT = FlashToggleState("Fade on Stop / Next", !m_settings.FADEONNEXT);
    Changed();
}

void PlaybackEngine::ToggleFadeOnPause() {
    m_settings.FADEONPAUSE = FlashToggleState("Fade on Pause", !m_settings.FADEONPAUSE);
}

void PlaybackEngine::AskFadeTime() {
    int fade = m_settings.FADETIME;
    // The fade time is a number of milliseconds; a negative answer is not taken.
    if (InputInteger("Fade time (milliseconds)", fade) && fade >= 0) {
        m_settings.FADETIME = fade;
    }
}

void PlaybackEngine::VolumeCommand() {
    float volume = 0;
    if (!m_audio.ChannelGetAttribute(m_current, BASS_ATTRIB_VOL, &volume)) {
        ReportBassError("BASS_ChannelGetAttribute");
        return;
    }
    int percent = static_cast<int>(volume * 100);
    if (!InputInteger("Enter volume (0-100)", percent)) {
        return;
    }
    if (!m_audio.ChannelSetAttribute(m_current, BASS_ATTRIB_VOL, percent / 100.0f)) {
        ReportBassError("BASS_ChannelSetAttribute");
    }
}

}  // namespace sw
