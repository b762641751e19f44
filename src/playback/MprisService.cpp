#include "MprisService.h"

#include <QDBusMessage>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "core/Settings.h"
#include "foundation/Clock.h"
#include "foundation/Dialogs.h"
#include "MprisAdaptors.h"
#include "PlaybackEngine.h"
#include "QueueController.h"

namespace sw {

namespace {

constexpr double kMicroseconds = 1e6;
// The engine takes a jump to exactly 0 s as no jump at all (a typed "0:00"); the start of the
// song is asked for as a moment that still falls on its first sample.
constexpr double kStartOfSong = 1e-9;
// A position further than this from where the clock says it should be was a jump.
constexpr qlonglong kJumpToleranceUs = 500000;

}  // namespace

MprisService::MprisService(PlaybackEngine& engine, Settings& settings, QDBusConnection bus)
    : m_engine(engine), m_queue(engine.Queue()), m_settings(settings), m_bus(std::move(bus)) {
    new MprisRootAdaptor(this);
    m_player = new MprisPlayerAdaptor(this);
    // The listener stays with the engine, which may outlive the service.
    m_engine.AddTransportListener([self = QPointer<MprisService>(this)] {
        if (self) {
            self->ScheduleRefresh();
        }
    });
    // The queue says nothing to the engine when rows are added, moved or re-rated.
    auto* poll = new QTimer(this);
    poll->setInterval(1000);
    connect(poll, &QTimer::timeout, this, &MprisService::Refresh);
    poll->start();
}

MprisService::~MprisService() {
    Stop();
}

void MprisService::SetWindowActions(std::function<void()> raise, std::function<void()> quit) {
    m_raise = std::move(raise);
    m_quit = std::move(quit);
}

bool MprisService::Start() {
    if (m_running) {
        return true;
    }
    QString problem;
    if (!m_bus.isConnected()) {
        problem = "No session bus: the desktop media controls are off";
    } else if (!m_bus.registerObject(kMprisObjectPath, this)) {
        problem = "The desktop media controls are off: the player object cannot be registered";
    } else if (!m_bus.registerService(kMprisServiceName)) {
        m_bus.unregisterObject(kMprisObjectPath);
        problem = "The desktop media controls are off: " + m_bus.lastError().message();
    }
    if (!problem.isEmpty()) {
        if (!m_saidUnavailable) {
            m_saidUnavailable = true;
            TraceStep(problem);
        }
        return false;
    }
    m_running = true;
    m_told = ChangingProperties();
    m_lastTrack = TrackId();
    m_lastPosition = Position();
    m_lastClockMs = m_engine.EngineClock().NowMs();
    m_lastSeekable = CanSeek();
    m_lastState = m_engine.State();
    return true;
}

void MprisService::Stop() {
    if (!m_running) {
        return;
    }
    m_running = false;
    m_bus.unregisterService(kMprisServiceName);
    m_bus.unregisterObject(kMprisObjectPath);
}

bool MprisService::Enabled() const {
    return m_settings.DesktopMediaControl;
}

void MprisService::SetEnabled(bool on) {
    m_settings.DesktopMediaControl = on;
    if (on) {
        Start();
    } else {
        Stop();
    }
}

void MprisService::Raise() {
    if (m_raise) {
        m_raise();
    }
}

void MprisService::Quit() {
    if (m_quit) {
        m_quit();
    }
}

int MprisService::ShownRow() const {
    const int playing = m_queue.NowPlayingRow();
    return playing > 0 ? playing : m_queue.Cursor();
}

const TSong* MprisService::ShownSong() const {
    const TSongObj* object = m_queue.SongAt(ShownRow());
    return object ? &object->Song() : nullptr;
}

QString MprisService::TrackId() const {
    const TSong* song = ShownSong();
    return song ? QString("/sonwick3/song/%1").arg(std::max(0, song->SongNum)) : QString(kMprisNoTrack);
}

qlonglong MprisService::LengthMicroseconds() const {
    if (m_queue.NowPlayingRow() > 0 && m_engine.CurrentStream() != 0 && m_engine.SongLength() > 0) {
        return std::llround(m_engine.SongLength() * kMicroseconds);
    }
    const TSong* song = ShownSong();
    return song ? static_cast<qlonglong>(std::max(0, song->Duration)) * 1000000 : 0;
}

QString MprisService::PlaybackStatus() const {
    switch (m_engine.State()) {
        case PlaybackState::Playing:
        case PlaybackState::Ended:  // only until the next song starts
            return "Playing";
        case PlaybackState::Paused:
            return "Paused";
        case PlaybackState::Stopped:
            break;
    }
    return "Stopped";
}

QVariantMap MprisService::Metadata() const {
    QVariantMap map;
    const TSong* song = ShownSong();
    if (!song) {
        map["mpris:trackid"] = QVariant::fromValue(QDBusObjectPath(kMprisNoTrack));
        return map;
    }
    map["mpris:trackid"] = QVariant::fromValue(QDBusObjectPath(TrackId()));
    // A song never played since it was loaded has no length yet; the desktop is told none.
    if (const qlonglong length = LengthMicroseconds(); length > 0) {
        map["mpris:length"] = length;
    }
    map["xesam:title"] = song->Title;
    if (!song->ArtistName.isEmpty()) {
        map["xesam:artist"] = QStringList{song->ArtistName};
    }
    if (!song->AlbumName.isEmpty()) {
        map["xesam:album"] = song->AlbumName;
    }
    if (song->Track > 0) {
        map["xesam:trackNumber"] = static_cast<int>(song->Track);
    }
    if (!song->FullPath.isEmpty()) {
        map["xesam:url"] = QUrl::fromLocalFile(song->FullPath).toString();
    }
    // Ratings run from -2 (awful) to +4 (exceptional); the desktop's run from 0 to 1.
    map["xesam:userRating"] = (std::clamp(song->Rating, -2, 4) + 2) / 6.0;
    return map;
}

qlonglong MprisService::Position() const {
    return std::llround(m_engine.ElapsedSeconds() * kMicroseconds);
}

bool MprisService::CanGoNext() const {
    // "Play next" does nothing at the very end of a song, nor before the fade time's worth of it is
    // left (nor, so, before anything has played); the end moves on by itself then.
    if (m_engine.State() == PlaybackState::Ended ||
        m_engine.RemainingSeconds() * 1000 < m_engine.FadeTime()) {
        return false;
    }
    return m_queue.NextPlayableRow(ShownRow()) > 0;
}

bool MprisService::CanGoPrevious() const {
    return ShownRow() > 1;
}

bool MprisService::CanPlay() const {
    return ShownSong() != nullptr;
}

bool MprisService::CanPause() const {
    const PlaybackState state = m_engine.State();
    return state == PlaybackState::Playing || state == PlaybackState::Paused;
}

bool MprisService::CanSeek() const {
    return CanPause() && m_engine.CurrentStream() != 0;
}

void MprisService::Play() {
    switch (m_engine.State()) {
        case PlaybackState::Paused:
            m_engine.PressPause(false);
            break;
        case PlaybackState::Stopped:
            m_engine.PlayCommand();
            break;
        case PlaybackState::Playing:
        case PlaybackState::Ended:
            break;
    }
    Refresh();
}

void MprisService::Pause() {
    if (m_engine.State() == PlaybackState::Playing) {
        m_engine.PressPause(true);
    }
    Refresh();
}

void MprisService::PlayPause() {
    m_engine.PlayOrPause();
    Refresh();
}

void MprisService::StopPlaying() {
    // The Stop button is disabled while nothing is loaded.
    if (m_engine.State() != PlaybackState::Stopped) {
        m_engine.StopCommand();
    }
    Refresh();
}

void MprisService::Next() {
    m_engine.NextCommand();
    Refresh();
}

void MprisService::Previous() {
    m_engine.PreviousCommand();
    Refresh();
}

void MprisService::Seek(qlonglong offset) {
    if (!CanSeek()) {
        return;
    }
    const qlonglong target = std::max<qlonglong>(0, Position() + offset);
    if (target > LengthMicroseconds()) {
        Next();
        return;
    }
    JumpTo(target);
}

void MprisService::SetPosition(const QDBusObjectPath& track, qlonglong position) {
    if (!CanSeek() || track.path() != TrackId() || position < 0 || position > LengthMicroseconds()) {
        return;
    }
    JumpTo(position);
}

void MprisService::JumpTo(qlonglong microseconds) {
    // As the time bar does: the display timer rests while the position moves.
    m_engine.SuspendTimer();
    m_engine.JumpToSeconds(m_engine.CurrentStream(), std::max(kStartOfSong, microseconds / kMicroseconds));
    m_engine.ResumeTimer();
    m_lastPosition = Position();
    m_lastClockMs = m_engine.EngineClock().NowMs();
    m_lastState = m_engine.State();
    if (m_running) {
        emit m_player->Seeked(m_lastPosition);
    }
    Refresh();
}

void MprisService::ScheduleRefresh() {
    if (m_refreshPending) {
        return;
    }
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        Refresh();
    });
}

QVariantMap MprisService::ChangingProperties() const {
    return {{"PlaybackStatus", PlaybackStatus()},
            {"Metadata", Metadata()},
            {"CanGoNext", CanGoNext()},
            {"CanGoPrevious", CanGoPrevious()},
            {"CanPlay", CanPlay()},
            {"CanPause", CanPause()},
            {"CanSeek", CanSeek()}};
}

void MprisService::NoticeJumps() {
    const QString track = TrackId();
    const qlonglong position = Position();
    const qint64 now = m_engine.EngineClock().NowMs();
    const bool seekable = CanSeek();
    const PlaybackState state = m_engine.State();
    // A stop, a pause or a new song moves the position too; only a move within the loaded song,
    // which went on playing (or stayed paused), is a jump.
    if (track == m_lastTrack && seekable && m_lastSeekable && state == m_lastState) {
        qlonglong expected = m_lastPosition;
        if (state == PlaybackState::Playing) {
            expected += (now - m_lastClockMs) * 1000;
        }
        if (std::llabs(position - expected) > kJumpToleranceUs) {
            emit m_player->Seeked(position);
        }
    }
    m_lastTrack = track;
    m_lastPosition = position;
    m_lastClockMs = now;
    m_lastSeekable = seekable;
    m_lastState = state;
}

void MprisService::Refresh() {
    if (!m_running) {
        return;
    }
    const QVariantMap now = ChangingProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (m_told.value(it.key()) != it.value()) {
            changed.insert(it.key(), it.value());
        }
    }
    m_told = now;
    NoticeJumps();
    if (changed.isEmpty()) {
        return;
    }
    QDBusMessage signal =
        QDBusMessage::createSignal(kMprisObjectPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
    signal << QString(kMprisPlayerInterface) << changed << QStringList();
    m_bus.send(signal);
}

}  // namespace sw
