#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "playback/audio/AudioLibrary.h"
#include "PlaybackState.h"

namespace sw {

class Catalogue;
class Clock;
class PlayHistory;
class QueueController;
class TagPolicy;
struct Settings;
struct TSong;

/// What the engine needs from the window (or program) that runs it.
class EngineHost {
public:
    virtual ~EngineHost() = default;
    /// Called on the mixing thread: runs the call later on the user-interface thread.
    virtual void PostToUserInterface(std::function<void()> call) = 0;
    /// Lets pending window events, and calls posted meanwhile, run.
    virtual void ProcessPendingEvents() = 0;
    /// The 100 ms display timer was switched on or off.
    virtual void DisplayTimerSwitched(bool on) = 0;
    /// Something of TransportView changed.
    virtual void TransportChanged() = 0;
};

/// The transport buttons, the time bar and the time displays as the engine wants them shown; the
/// main window's Play, Pause and Stop buttons copy the first three.
struct TransportView {
    bool playEnabled = true;
    bool pauseEnabled = false;
    bool pauseDown = false;
    bool stopEnabled = false;
    bool stopAtEndEnabled = false;
    bool stopAtEndDown = false;
    bool timeBarEnabled = false;
    int timeBarMaximum = 0;
    int timeBarPosition = 0;
    int timeBarSmallStep = 5;
    int timeBarLargeStep = 20;
    /// The jump button: the elapsed time.
    QString jumpCaption;
    /// The song's length.
    QString lengthText;
};

/// Which row a cross-fade goes to: the next playable row, the previous one, the cursor's, or the
/// one that follows at the song's end (round to the top with "Repeat at end").
enum class CrossfadeTarget { Next, Previous, Cursor, Following };

/// The audio output engine: the master and preview outputs, one mixer on the master output into
/// which the song of the queue's playing row is plugged, and every transport command with its
/// fades. It runs on the user-interface thread; only the end-of-song notification comes from the
/// mixing thread, and it hands the advance to the next row back through the host. Every wait goes
/// through the clock, so that an offline output rendered by the clock plays faster than real time.
class PlaybackEngine : public QueuePlayer {
public:
    PlaybackEngine(AudioLibrary& audio, QueueController& queue, Settings& settings, Clock& clock);
    /// Shuts the outputs down.
    ~PlaybackEngine() override;
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    void SetHost(EngineHost* host) { m_host = host; }
    /// Called, besides the host, whenever the transport changed (e.g. the desktop's media controls).
    void AddTransportListener(std::function<void()> listener) { m_listeners.push_back(std::move(listener)); }
    /// Where measured durations are stored and every start is recorded in the play history; none
    /// without a catalogue.
    void SetCatalogue(Catalogue* catalogue);
    /// Where a tag parked while its file played is retried when the file is released.
    void SetTagPolicy(TagPolicy* tags) { m_tags = tags; }

    // Outputs.
    /// Finds the outputs and asks which is the room and which the headphones (at start-up only
    /// when the settings say so).
    void DiscoverOutputs(bool startup);
    void InitAudio(bool startup);
    void ShutdownAudio();
    void ReseekDevices();
    int MasterDevice() const { return m_masterDevice; }
    int PreviewDevice() const { return m_previewDevice; }
    const QString& MasterDeviceName() const { return m_masterDeviceName; }
    AudioHandle MixerStream() const { return m_mixer; }
    AudioHandle CurrentStream() const { return m_current; }
    AudioHandle PreviewStream() const { return m_previewStream; }
    void SetPreviewStream(AudioHandle stream) { m_previewStream = stream; }
    AudioLibrary& Audio() { return m_audio; }

    // The queue's side.
    PlaybackState State() const override { return m_state.load(); }
    void StartSongAtCursor() override;
    void StopPlayback() override;
    void PlayCommand() override;
    void SuspendTimer() override;
    void ResumeTimer() override;

    // Commands.
    /// The Pause button, after it changed its own down state.
    void TogglePause();
    /// The Pause button pressed (the main window's copies its state first): flips it and pauses.
    void PressPause(bool down);
    /// SPACE in the grid: the Pause button, but only while a song is loaded.
    void PauseKey();
    /// One play/pause control (the main window's button and key, MPRIS): pauses a playing song,
    /// resumes a paused one, starts playing when stopped.
    void PlayOrPause();
    void StopCommand();
    void NextCommand();
    void PreviousCommand();
    void CrossfadeTo(CrossfadeTarget target);
    void FadeOutMaster();
    /// "Stop at end of this song": a toggle that releases Pause.
    void SetStopAtEnd(bool down);
    bool StopAtEnd() const { return m_transport.stopAtEndDown; }

    // The display timer and the time bar.
    bool DisplayTimerOn() const { return m_timerOn.load(); }
    void DisplayTimerTick();
    /// Finishes a fade whose time has come (called with every display timer tick).
    void FadeTick();
    /// A pause, stop or cross-fade is fading.
    bool IsFading() const { return m_fading != Fading::None; }
    void JumpToSeconds(AudioHandle stream, double seconds);
    /// The jump button: asks for a time in the playing song and goes there.
    void JumpCommand();
    void TimeBarStep(int position);
    void TimeBarDragged(int position);
    void TimeBarReleased(int position);
    void TimeBarScrollEnded() { m_dragging = false; }
    void TimeBarKeyPressed();
    void SetTimeBarSmallStep();
    void SetTimeBarLargeStep();

    // The FADE menu and the hidden Volume item.
    bool FadeOnStopNext() const;
    bool FadeOnPause() const;
    int FadeTime() const;
    QString FadeMenuCaption() const { return FadeOnStopNext() ? "FADE" : "Fade"; }
    QString FadeTimeCaption() const;
    void ToggleFadeOnStopNext();
    void ToggleFadeOnPause();
    void AskFadeTime();
    void VolumeCommand();

    const TransportView& Transport() const { return m_transport; }
    double SongLength() const { return m_songLength; }
    double RemainingSeconds() const { return m_remaining; }
    /// How far the loaded song has played, read now; 0 when none is loaded.
    double ElapsedSeconds();
    bool LastRowEnded() const { return m_lastRowEnded; }
    /// The files that could not be played since the engine was made, each as "PATH: reason", in
    /// the order they failed.
    const QStringList& FailedStarts() const { return m_failedStarts; }
    /// How many songs started sounding since the engine was made.
    int SongsSounded() const { return m_songsSounded; }
    float SavedVolume() const { return m_savedVolume; }

    /// Opens the file, measures it and frees it: its length in whole seconds, or -1 (after
    /// saying why) when it cannot be opened.
    int MeasureFileSeconds(const QString& path);
    /// The end of a song, on the user-interface thread: the next row starts.
    void AdvanceAfterEnd();
    /// The operation's text, " - BASS error " and the audio library's error code.
    void ReportBassError(const QString& operation);
    /// A file was released: a tag parked while it was in use is written now.
    void RetryParkedTag();
    /// Waits on the engine's clock (at most 10 s).
    void Wait(int milliseconds);
    Clock& EngineClock() { return m_clock; }
    QueueController& Queue() { return m_queue; }
    bool ActionFromComments() const;

private:
    /// Starts the song of the row; false (after marking the row and saying why) when it cannot
    /// be played.
    bool StartRow(int row);
    bool StartFailed(int row, const QString& path, const QString& why);
    /// Marks the row unplayable, keeps the failure and names it in a notice.
    void RecordFailedStart(int row, const QString& path, const QString& why);
    /// A fade the mixer is running that ends in a pause, a stop or the switch to the new song of
    /// a cross-fade; the display timer finishes it at its time, and any other command first.
    enum class Fading { None, ToPause, ToStop, Cross };
    bool FadeFits() const;
    void BeginFade(Fading kind, int fadeMs);
    /// A cross-fade over the given milliseconds.
    void CrossfadeOver(CrossfadeTarget target, int fadeMs);
    /// Levelling is on: each song plays at its stored level.
    bool Levelling() const;
    /// Gives the stream the song's level. Under levelling every song ends at the end of its
    /// music, and one that `follows` another starts at its first sound (unless its comment says
    /// where to start).
    void LevelStream(AudioHandle stream, const TSong& song, bool follows);
    /// With levelling and "Fade on Stop / Next": at the natural end, a cross-fade into the song
    /// that follows, timed to end with the music. True when the end is taken care of so (nothing
    /// is then queued to follow gaplessly).
    bool FadeAtEndOfMusic();
    void FinishFade();
    /// Finishes the running fade at once (ramping out what still sounds).
    void SettleFade();
    void OnSongStarted();
    /// Near the end of a song, opens the next playable row's song and queues it in the mixer, so
    /// that it follows the last sample without a gap; drops a queued song the queue no longer
    /// has next.
    void QueueNextSong();
    /// The next playable row after `row` (round to the top with "Repeat at end"), or 0.
    int PlayableRowAfter(int row) const;
    /// The row that follows the playing one at its end, or 0.
    int RowToFollow() const;
    void DropQueuedSong();
    /// Names (once each) the rows between two rows that play passed by for a missing file.
    void NameRowsPassedBy(int from, int to);
    /// Asks for the end of the stream to be noticed (on the mixing thread).
    void WatchEnd(AudioHandle stream);
    /// Called on the mixing thread when a stream of the mixer has ended.
    void SourceEnded(AudioHandle stream);
    /// On the user-interface thread: the queued song took over from the one that ended.
    void TakeOverQueuedSong(AudioHandle ended);
    void SetTransportState(PlaybackState state);
    void SetTimer(bool on);
    void SetMixerVolume(float volume);
    float MixerVolume();
    /// The mixer's volume, or the one a running fade in is heading for.
    float SteadyVolume();
    /// Before a cut without a fade (a stop, pause, next or seek): the sound ramps down over a
    /// few milliseconds, its volume kept for what plays next.
    void RampDownForCut();
    /// After a seek: the kept volume ramps back up (without waiting).
    void RampUpAfterCut();
    /// Waits (a few milliseconds at most) until the channel's ramp down has been played.
    void WaitForRamp(AudioHandle channel);
    /// A jump in the playing song, ramped so that it does not click.
    void SeekPlaying(double seconds);
    /// Called on the mixing thread when the mixer has played its last source.
    void EndOfSong();
    void Changed();
    void ProcessPendingEvents();

    AudioLibrary& m_audio;
    QueueController& m_queue;
    Settings& m_settings;
    Clock& m_clock;
    EngineHost* m_host = nullptr;
    std::vector<std::function<void()>> m_listeners;
    Catalogue* m_catalogue = nullptr;
    std::unique_ptr<PlayHistory> m_history;
    TagPolicy* m_tags = nullptr;

    std::atomic<PlaybackState> m_state{PlaybackState::Stopped};
    PlaybackState m_savedState = PlaybackState::Stopped;
    int m_masterDevice = 0;
    int m_previewDevice = 0;
    QString m_masterDeviceName;
    AudioHandle m_mixer = 0;
    AudioHandle m_current = 0;
    AudioHandle m_previewStream = 0;
    float m_savedVolume = 0;
    double m_songLength = 0;
    double m_remaining = 0;
    bool m_lastRowEnded = false;
    std::atomic<bool> m_timerOn{false};
    bool m_timerWasOn = false;
    /// Set by the mixing thread whenever the mixer ends, in any state.
    std::atomic<bool> m_mixerEnded{false};
    bool m_dragging = false;
    TransportView m_transport;
    QStringList m_failedStarts;
    /// The files named in m_failedStarts.
    std::set<QString> m_named;
    /// The volume a fade in after a pause is ramping the mixer to; negative when none runs. A
    /// song that ends during the ramp leaves the next one this volume.
    float m_rampTarget = -1;
    Fading m_fading = Fading::None;
    qint64 m_fadeEndsAt = 0;
    /// During a cross-fade: the new song and the volume it is heading for.
    AudioHandle m_crossTo = 0;
    float m_crossVolume = 1;
    /// The next song, queued in the mixer behind the playing one, its row and its file.
    AudioHandle m_next = 0;
    int m_nextRow = 0;
    QString m_nextPath;
    /// m_next, for the mixing thread.
    std::atomic<AudioHandle> m_queuedStream{0};
    int m_songsSounded = 0;
    /// Where the playing song's music ends, in seconds of the file (its stream's end, set by
    /// levelling); 0 when it ends with its file.
    double m_musicEnd = 0;
};

}  // namespace sw
