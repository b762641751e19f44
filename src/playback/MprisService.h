#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

#include "MprisOption.h"
#include "PlaybackState.h"

namespace sw {

class MprisPlayerAdaptor;
class PlaybackEngine;
class QueueController;
struct Settings;
struct TSong;

inline constexpr char kMprisServiceName[] = "org.mpris.MediaPlayer2.sonwick3";
inline constexpr char kMprisObjectPath[] = "/org/mpris/MediaPlayer2";
inline constexpr char kMprisPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
/// The track id of "no song".
inline constexpr char kMprisNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

/// The player as the desktop's media controls see it (MPRIS on the session bus): the queue's
/// playing song, or the cursor row's while nothing plays, the engine's state and position, and
/// the transport commands, each run through the same engine command as the window's button.
/// Every change of the transport is sent as PropertiesChanged; the window's own jumps as Seeked.
class MprisService : public QObject {
    Q_OBJECT

public:
    MprisService(PlaybackEngine& engine, Settings& settings, QDBusConnection bus);
    ~MprisService() override;
    MprisService(const MprisService&) = delete;
    MprisService& operator=(const MprisService&) = delete;

    /// What Raise and Quit do: show the main window, and close it as the user would.
    void SetWindowActions(std::function<void()> raise, std::function<void()> quit);

    /// Registers the player on the bus; false when there is no bus or the name is taken (said once
    /// in the start-up trace; the program goes on without the service).
    bool Start();
    void Stop();
    bool Running() const { return m_running; }
    /// The setting: the entry's check mark.
    bool Enabled() const;
    /// Stores the setting and starts or stops the service with it.
    void SetEnabled(bool on);

    // The root interface.
    void Raise();
    void Quit();

    // The player interface's properties.
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    /// Microseconds into the loaded song; 0 when none is loaded.
    qlonglong Position() const;
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    bool CanPlay() const;
    bool CanPause() const;
    bool CanSeek() const;

    // The player interface's methods.
    void Play();
    void Pause();
    void PlayPause();
    void StopPlaying();
    void Next();
    void Previous();
    /// Moves by `offset` microseconds: before the start means the start, past the end the next song.
    void Seek(qlonglong offset);
    /// Ignored unless `track` is the loaded song and the position lies within it.
    void SetPosition(const QDBusObjectPath& track, qlonglong position);

    /// Compares what the desktop was last told with what is true now and sends the differences.
    void Refresh();

private:
    /// The song the properties describe: the playing row's, else the cursor row's.
    const TSong* ShownSong() const;
    int ShownRow() const;
    QString TrackId() const;
    qlonglong LengthMicroseconds() const;
    void JumpTo(qlonglong microseconds);
    /// The engine changed: the refresh runs once the command that changed it is done.
    void ScheduleRefresh();
    QVariantMap ChangingProperties() const;
    /// Notices a jump made in the window (the time bar, the jump button) and tells the desktop.
    void NoticeJumps();

    PlaybackEngine& m_engine;
    QueueController& m_queue;
    Settings& m_settings;
    QDBusConnection m_bus;
    MprisPlayerAdaptor* m_player = nullptr;
    std::function<void()> m_raise;
    std::function<void()> m_quit;
    bool m_running = false;
    bool m_saidUnavailable = false;
    bool m_refreshPending = false;
    QVariantMap m_told;
    QString m_lastTrack;
    qlonglong m_lastPosition = 0;
    qint64 m_lastClockMs = 0;
    bool m_lastSeekable = false;
    PlaybackState m_lastState = PlaybackState::Stopped;
};

}  // namespace sw
