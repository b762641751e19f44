// The engine's outputs, the start and stop of a song, its end, and the display timer.
#include "PlaybackEngine.h"

#include <QFileInfo>
#include <cmath>

#include "core/Settings.h"
#include "core/SongRemoval.h"
#include "foundation/Clock.h"
#include "foundation/Dates.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"
#include "playback/audio/AudioFormat.h"
#include "core/History.h"
#include "Levelling.h"
#include "QueueController.h"
#include "tags/TagPolicy.h"

namespace sw {

namespace {

// Outputs are looked for up to this device number.
constexpr int kMaxDevices = 9;

}  // namespace

PlaybackEngine::PlaybackEngine(AudioLibrary& audio, QueueController& queue, Settings& settings, Clock& clock)
    : m_audio(audio), m_queue(queue), m_settings(settings), m_clock(clock) {
    m_queue.SetPlayer(this);
}

PlaybackEngine::~PlaybackEngine() {
    ShutdownAudio();
    m_queue.SetPlayer(nullptr);
}

void PlaybackEngine::SetCatalogue(Catalogue* catalogue) {
    m_catalogue = catalogue;
    m_history = catalogue ? std::make_unique<PlayHistory>(*catalogue, m_clock) : nullptr;
}

void PlaybackEngine::ReportBassError(const QString& operation) {
    ShowInfo(operation + " - BASS error " + QString::number(m_audio.ErrorGetCode()));
}

void PlaybackEngine::Wait(int milliseconds) {
    SleepCapped(milliseconds, m_clock);
}

void PlaybackEngine::Changed() {
    if (m_host) {
        m_host->TransportChanged();
    }
    for (const std::function<void()>& listener : m_listeners) {
        listener();
    }
}

void PlaybackEngine::ProcessPendingEvents() {
    if (m_host) {
        m_host->ProcessPendingEvents();
    }
}

bool PlaybackEngine::ActionFromComments() const {
    return m_queue.ActionFromComments();
}

void PlaybackEngine::DiscoverOutputs(bool startup) {
    QStringList names;
    AudioDeviceInfo info;
    for (int device = 1; device <= kMaxDevices && m_audio.GetDeviceInfo(device, &info); ++device) {
        names << info.name;
    }
    m_masterDevice = 0;
    m_previewDevice = 0;
    if (names.isEmpty()) {
        ShowInfo("No sound outputs found");
        return;
    }
    if (names.size() == 1) {
        m_masterDevice = 1;
        m_masterDeviceName = names.front();
        FlashMessage("Sound output device = " + m_masterDeviceName);
        return;
    }
    if (names.size() > 2) {
        ShowInfo("Skipping sound outputs #3+ sorry");
    }
    m_previewDevice = m_settings.PREVIEWSOUNDCARD;
    if (m_previewDevice == 1) {
        m_masterDevice = 2;
    } else if (m_previewDevice == 2) {
        m_masterDevice = 1;
    } else {
        m_previewDevice = 1;
        m_masterDevice = 2;
    }
    if (!startup || m_settings.ConfirmDevicesAtStartup) {
        ShowInfo("You have 2 sound outputs (good) : the next message will ask which goes where ...");
        while (AskChoice("Master (room) = " + names.at(m_masterDevice - 1) + "\r" +
                             "Preview (headphones) = " + names.at(m_previewDevice - 1),
                         "OK", "Switch") == 2) {
            std::swap(m_masterDevice, m_previewDevice);
        }
    }
    m_settings.PREVIEWSOUNDCARD = m_previewDevice;
}

void PlaybackEngine::InitAudio(bool startup) {
    DiscoverOutputs(startup);
    if (m_previewDevice > 0 && !m_audio.Init(m_previewDevice, kSampleRate)) {
        ReportBassError("BASS_Init preview");
    }
    if (!m_audio.Init(m_masterDevice, kSampleRate)) {
        ReportBassError("BASS_Init master");
    }
    if (!m_audio.SetDevice(m_masterDevice)) {
        ReportBassError("BASS_SetDevice");
    }
    m_mixer = m_audio.MixerStreamCreate(kSampleRate, kChannels, BASS_MIXER_END);
    if (m_mixer == 0) {
        ReportBassError("BASS_Mixer_StreamCreate");
        return;
    }
    if (m_audio.ChannelSetSync(m_mixer, BASS_SYNC_END | BASS_SYNC_MIXTIME,
                               [this](AudioHandle, AudioHandle) { EndOfSong(); }) == 0) {
        ReportBassError("BASS_ChannelSetSync");
    }
}

void PlaybackEngine::ShutdownAudio() {
    DropQueuedSong();
    if (m_audio.SetDevice(m_masterDevice)) {
        m_audio.Free();
    }
    if (m_previewDevice > 0 && m_audio.SetDevice(m_previewDevice)) {
        m_audio.Free();
    }
    m_mixer = 0;
    m_current = 0;
    m_previewStream = 0;
}

void PlaybackEngine::ReseekDevices() {
    if (State() != PlaybackState::Stopped) {
        ShowInfo("Cannot seek devices while playing");
        return;
    }
    ShutdownAudio();
    InitAudio(false);
}

void PlaybackEngine::StartSongAtCursor() {
    // A row that cannot be played is marked, named in a notice, and play goes on with the next
    // playable row; the music stops only when no playable row is left.
    int row = m_queue.Cursor();
    int failed = 0;
    // Each row that fails is marked, so the search ends.
    while (!StartRow(row)) {
        ++failed;
        const int next = PlayableRowAfter(row);
        if (next <= 0 || next == row) {
            break;
        }
        row = next;
        m_queue.SetCursor(row);
    }
    if (failed > 0 && m_current == 0) {
        SetTransportState(PlaybackState::Stopped);
        ShowInfo("Nothing left to play: " + QString::number(failed) + " file(s) could not be played");
    }
}

bool PlaybackEngine::StartRow(int row) {
    const TSongObj* object = m_queue.SongAt(row);
    if (!object) {
        // No song at the cursor: nothing to start, and nothing failed.
        return true;
    }
    const TSong song = object->Song();
    if (!song.Exi) {
        return StartFailed(row, song.FullPath, "File not found");
    }
    m_current = m_audio.StreamCreateFile(song.FullPath, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    if (m_current == 0) {
        return StartFailed(row, song.FullPath, m_audio.ErrorGetText());
    }
    if (!m_audio.MixerStreamAddChannel(m_mixer, m_current, BASS_MIXER_NORAMPIN)) {
        const QString why = m_audio.ErrorGetText();
        m_audio.StreamFree(m_current);
        m_current = 0;
        return StartFailed(row, song.FullPath, why);
    }
    WatchEnd(m_current);
    m_queue.SetNowPlayingRow(row);
    m_queue.MarkNowPlaying();
    if (song.StartFrom > 0 && ActionFromComments()) {
        JumpToSeconds(m_current, song.StartFrom / 100.0);
    }
    LevelStream(m_current, song, false);
    m_mixerEnded.store(false);
    // The volume a fade took away comes back before the first sample, so that a song started
    // after a faded stop or pause begins at full volume from its start.
    if (m_savedVolume != 0) {
        SetMixerVolume(m_savedVolume);
        m_savedVolume = 0;
    }
    if (!m_audio.ChannelPlay(m_mixer, song.StartFrom == 0)) {
        ReportBassError("BASS_ChannelPlay");
        return true;
    }
    ++m_songsSounded;
    OnSongStarted();
    SetTransportState(PlaybackState::Playing);
    return true;
}

bool PlaybackEngine::StartFailed(int row, const QString& path, const QString& why) {
    RecordFailedStart(row, path, why);
    m_queue.SetNowPlayingRow(-1);
    return false;
}

void PlaybackEngine::RecordFailedStart(int row, const QString& path, const QString& why) {
    // The audio layer's text may begin with the path, which the notice names already.
    QString reason = why.startsWith(path + ": ") ? why.mid(path.size() + 2) : why;
    if (reason.isEmpty()) {
        reason = "cannot be played";
    }
    m_failedStarts << path + ": " + reason;
    m_named.insert(path);
    m_queue.MarkUnplayable(row);
    FlashMessage("Cannot play " + QuoteDouble(path) + ": " + reason);
}

void PlaybackEngine::OnSongStarted() {
    const quint64 length = m_audio.ChannelGetLength(m_current, BASS_POS_BYTE);
    if (length == kAudioAllBits) {
        ReportBassError("BASS_ChannelGetLength");
        m_songLength = 0;
    } else {
        m_songLength = std::max(0.0, m_audio.ChannelBytes2Seconds(m_current, length));
    }
    const int seconds = static_cast<int>(std::lround(m_songLength));
    m_transport.timeBarMaximum = seconds;
    m_transport.lengthText = DurationText(seconds);
    const int row = m_queue.NowPlayingRow();
    // Levelling gave the stream the end of its music when it was opened.
    const quint64 musicEnd = m_audio.StreamGetEnd(m_current);
    m_musicEnd = musicEnd == kAudioAllBits ? 0 : std::max(0.0, m_audio.ChannelBytes2Seconds(m_current, musicEnd));
    if (const TSongObj* object = m_queue.SongAt(row)) {
        if (object->Song().Duration != seconds) {
            m_queue.SetRowDuration(row, seconds);
            if (m_catalogue && object->Song().SongNum > 0) {
                SetSongDuration(*m_catalogue, object->Song());
            }
        }
        // Every start is a play, restarts and cross-fades too; songs from outside the catalogue
        // have no number to record.
        if (m_history && object->Song().SongNum > 0) {
            m_history->RecordPlay(object->Song());
        }
    }
    SetTimer(true);
    Changed();
}

void PlaybackEngine::StopPlayback() {
    DropQueuedSong();
    // A cross-fade under way has made the new song the one that plays; a fade to a pause or a
    // stop ends in this stop.
    if (m_fading == Fading::Cross) {
        FinishFade();
    }
    m_fading = Fading::None;
    if (m_current == 0) {
        if (State() != PlaybackState::Stopped) {
            SetTransportState(PlaybackState::Stopped);
        }
        return;
    }
    SetTimer(false);
    if (State() != PlaybackState::Ended) {
        m_audio.ChannelStop(m_mixer);
    }
    if (m_rampTarget >= 0) {
        SetMixerVolume(m_rampTarget);
        m_rampTarget = -1;
    }
    m_queue.MarkPlayed();
    m_queue.SetNowPlayingRow(-1);
    m_transport.stopAtEndDown = false;
    m_queue.ClearNowPlayingCaption();
    m_transport.lengthText.clear();
    if (!m_lastRowEnded && !m_audio.ChannelSetPosition(m_mixer, 0, BASS_POS_BYTE)) {
        ReportBassError("BASS_ChannelSetPosition");
    }
    if (!m_audio.StreamFree(m_current)) {
        ReportBassError("BASS_StreamFree 1");
    }
    m_current = 0;
    RetryParkedTag();
    SetTransportState(PlaybackState::Stopped);
}

void PlaybackEngine::EndOfSong() {
    m_mixerEnded.store(true);
    PlaybackState playing = PlaybackState::Playing;
    if (!m_state.compare_exchange_strong(playing, PlaybackState::Ended)) {
        return;
    }
    m_timerOn.store(false);
    if (m_host) {
        m_host->PostToUserInterface([this] {
            // The window's timer follows the engine's; by now a new song may have switched it on.
            if (m_host) {
                m_host->DisplayTimerSwitched(m_timerOn.load());
            }
            AdvanceAfterEnd();
        });
    }
}

void PlaybackEngine::AdvanceAfterEnd() {
    // The user may have stopped or started another song since the end was noticed.
    if (State() != PlaybackState::Ended) {
        return;
    }
    if (m_fading == Fading::Cross) {
        FinishFade();  // the new song of the cross-fade ended too
    }
    const bool stopping = m_fading == Fading::ToStop;
    if (m_fading == Fading::ToPause) {
        m_transport.pauseDown = false;  // the song ended while fading to its pause
    }
    m_fading = Fading::None;
    int row = m_queue.NowPlayingRow();
    m_lastRowEnded = row == m_queue.RowCount();
    const bool stopAtEnd = m_transport.stopAtEndDown || stopping;
    StopPlayback();
    if (stopAtEnd) {
        m_transport.stopAtEndDown = false;
        RetryParkedTag();
        Changed();
        return;
    }
    const int next = PlayableRowAfter(row);
    NameRowsPassedBy(row, next > row ? next : m_queue.RowCount() + 1);
    if (next <= 0) {
        SetTransportState(PlaybackState::Stopped);
        return;
    }
    m_queue.SetCursor(next);
    StartSongAtCursor();
    ProcessPendingEvents();
    RetryParkedTag();
}

void PlaybackEngine::NameRowsPassedBy(int from, int to) {
    for (int row = from + 1; row < to; ++row) {
        const TSongObj* object = m_queue.SongAt(row);
        if (!object || m_queue.Cell(row, QueueColumn::Wng) != kMissingFileMark ||
            m_queue.Cell(row, QueueColumn::Now) == kMarkerSkipped) {
            continue;
        }
        const QString path = object->Song().FullPath;
        if (m_named.insert(path).second) {
            const QString why = QFileInfo::exists(path) ? "File was missing when queued" : "File not found";
            m_failedStarts << path + ": " + why;
            FlashMessage("Cannot play " + QuoteDouble(path) + ": " + why);
        }
    }
}

void PlaybackEngine::RetryParkedTag() {
    if (m_tags) {
        m_tags->RetryParkedTag();
    }
}

void PlaybackEngine::SetTimer(bool on) {
    m_timerOn.store(on);
    if (m_host) {
        m_host->DisplayTimerSwitched(on);
    }
}

void PlaybackEngine::SuspendTimer() {
    m_timerWasOn = m_timerOn.load();
    SetTimer(false);
}

void PlaybackEngine::ResumeTimer() {
    SetTimer(m_timerWasOn);
}

double PlaybackEngine::ElapsedSeconds() {
    if (m_current == 0) {
        return 0;
    }
    return std::max(
        0.0, m_audio.ChannelBytes2Seconds(m_current, m_audio.ChannelGetPosition(m_current, BASS_POS_BYTE)));
}

void PlaybackEngine::DisplayTimerTick() {
    FadeTick();
    if (!m_timerOn.load()) {
        return;
    }
    if (m_current == 0) {
        SetTimer(false);
        FlashMessage("Timer should already have been stopped grr");
        return;
    }
    SetTimer(false);
    const double elapsed = ElapsedSeconds();
    m_remaining = m_songLength - elapsed;
    const int whole = static_cast<int>(elapsed);
    m_transport.jumpCaption = DurationText(whole);
    m_transport.timeBarPosition = whole;
    Changed();
    SetTimer(true);
    if (!FadeAtEndOfMusic()) {
        QueueNextSong();
    }
}

void PlaybackEngine::SetTransportState(PlaybackState state) {
    m_state.store(state);
    TransportView& t = m_transport;
    switch (state) {
        case PlaybackState::Stopped:
            t.pauseEnabled = false;
            t.pauseDown = false;
            t.playEnabled = true;
            t.stopEnabled = false;
            t.stopAtEndEnabled = false;
            t.jumpCaption.clear();
            t.timeBarEnabled = false;
            break;
        case PlaybackState::Playing:
        case PlaybackState::Paused:
            t.playEnabled = true;
            t.stopEnabled = true;
            t.stopAtEndEnabled = true;
            t.pauseEnabled = true;
            if (state == PlaybackState::Playing) {
                t.pauseDown = false;
            }
            t.timeBarEnabled = true;
            break;
        case PlaybackState::Ended:
            break;
    }
    Changed();
    // An end that came while the engine was in another state (starting, resuming, a fade) is
    // not lost: it is handled as soon as the song counts as playing.
    if (state == PlaybackState::Playing && m_current != 0 && m_mixerEnded.load()) {
        EndOfSong();
    }
}

void PlaybackEngine::SetMixerVolume(float volume) {
    m_audio.ChannelSetAttribute(m_mixer, BASS_ATTRIB_VOL, volume);
}

float PlaybackEngine::MixerVolume() {
    float volume = 0;
    m_audio.ChannelGetAttribute(m_mixer, BASS_ATTRIB_VOL, &volume);
    return volume;
}

int PlaybackEngine::MeasureFileSeconds(const QString& path) {
    const AudioHandle stream = m_audio.StreamCreateFile(path, BASS_STREAM_DECODE | BASS_SAMPLE_FLOAT);
    if (stream == 0) {
        ReportBassError("BASS_StreamCreateFile");
        return -1;
    }
    const quint64 length = m_audio.ChannelGetLength(stream, BASS_POS_BYTE);
    const double seconds = length == kAudioAllBits ? -1.0 : m_audio.ChannelBytes2Seconds(stream, length);
    if (!m_audio.StreamFree(stream)) {
        ReportBassError("BASS_StreamFree 2");
    }
    RetryParkedTag();
    return seconds < 0 ? -1 : static_cast<int>(std::lround(seconds));
}

}  // namespace sw
