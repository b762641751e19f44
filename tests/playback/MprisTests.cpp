// The desktop's view of the player, through a private session bus: gdbus is the desktop's client,
// a Qt connection listens for the signals, and the engine plays on the offline output.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <memory>

#include "EngineTestSupport.h"
#include "PrivateBus.h"
#include "core/Catalogue.h"
#include "core/RowSet.h"
#include "core/Settings.h"
#include "foundation/Dialogs.h"
#include "playback/MprisService.h"

namespace sw {
namespace {

using test::EngineRig;
using test::Media;
using test::PrivateBus;

/// Lets queued bus traffic and the service's deferred refreshes run for a while, or until `done`.
bool PumpUntil(const std::function<bool()>& done, int limitMs = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

/// What the service announced: one entry per PropertiesChanged and Seeked signal.
class SignalRecorder : public QObject {
    Q_OBJECT

public:
    struct Change {
        QString interface;
        QStringList keys;
        QString status;
        QString track;
        double rating = -1;
    };
    std::vector<Change> changes;
    std::vector<qlonglong> seeks;

    bool SawStatus(const QString& status) const {
        return std::any_of(changes.begin(), changes.end(),
                           [&](const Change& c) { return c.status == status; });
    }
    bool SawRating(double rating) const {
        return std::any_of(changes.begin(), changes.end(),
                           [&](const Change& c) { return c.rating == rating; });
    }
    bool SawTrack(const QString& track) const {
        return std::any_of(changes.begin(), changes.end(), [&](const Change& c) { return c.track == track; });
    }
    QStringList Statuses() const {
        QStringList statuses;
        for (const Change& c : changes) {
            if (!c.status.isEmpty()) {
                statuses << c.status;
            }
        }
        return statuses;
    }

public slots:
    void PropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
        Change change{interface, changed.keys(), changed.value("PlaybackStatus").toString(), {}};
        if (changed.contains("Metadata")) {
            const auto metadata = qdbus_cast<QVariantMap>(changed.value("Metadata").value<QDBusArgument>());
            change.track = metadata.value("mpris:trackid").value<QDBusObjectPath>().path();
            change.rating = metadata.value("xesam:userRating", -1.0).toDouble();
        }
        changes.push_back(change);
    }
    void Seeked(qlonglong position) { seeks.push_back(position); }
};

class Mpris : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_bus = new PrivateBus; }
    static void TearDownTestSuite() {
        delete s_bus;
        s_bus = nullptr;
    }

    void SetUp() override {
        ASSERT_FALSE(s_bus->Address().isEmpty()) << "dbus-daemon did not start";
        const QString suffix = QString::number(++s_connections);
        m_serviceBus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(s_bus->Address(), "mpris-service-" + suffix));
        m_clientBus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(s_bus->Address(), "mpris-client-" + suffix));
        ASSERT_TRUE(m_serviceBus->isConnected());
        ASSERT_TRUE(m_clientBus->isConnected());
        m_clientBus->connect(kMprisServiceName, kMprisObjectPath, "org.freedesktop.DBus.Properties",
                             "PropertiesChanged", &m_recorder,
                             SLOT(PropertiesChanged(QString, QVariantMap, QStringList)));
        m_clientBus->connect(kMprisServiceName, kMprisObjectPath, kMprisPlayerInterface, "Seeked",
                             &m_recorder, SLOT(Seeked(qlonglong)));
    }
    void TearDown() override {
        m_service.reset();
        m_rig.reset();
        const QString suffix = QString::number(s_connections);
        m_serviceBus.reset();
        m_clientBus.reset();
        QDBusConnection::disconnectFromBus("mpris-service-" + suffix);
        QDBusConnection::disconnectFromBus("mpris-client-" + suffix);
    }

    /// An engine with a catalogue (for the history) and the service on the private bus.
    void StartPlayer() {
        m_rig = std::make_unique<EngineRig>(1, true);
        m_rig->settings().DesktopMediaControl = true;
        m_service = std::make_unique<MprisService>(*m_rig->engine, m_rig->settings(), *m_serviceBus);
        ASSERT_TRUE(m_service->Start());
    }

    /// Appends a song of the test media, stored in the catalogue, with an album, a track and a rating.
    void AppendSong(const QString& medium, int number, int rating = 0) {
        TSong song = m_rig->queueRig.Song(number);
        song.FullPath = song.FileName = Media(medium);
        song.AlbumName = "Album's Best";
        song.Track = static_cast<std::uint8_t>(number + 4);
        song.Rating = rating;
        m_rig->queueRig.library.songs.SaveSong(song);
        m_rig->queueRig.catalogue.CommitAndContinue();
        // Saving keeps the artist by id; the queue shows the name.
        song.ArtistName = "Artist";
        m_rig->queue().AppendToQueue(song);
    }

    /// Runs gdbus against the service, as the desktop would, and gives its answer.
    QString Gdbus(const QString& method, const QStringList& arguments = {}) {
        QProcess gdbus;
        // "--" lets a negative offset through as an argument.
        gdbus.start("gdbus", QStringList{"call", "--address", s_bus->Address(), "--dest", kMprisServiceName,
                                         "--object-path", kMprisObjectPath, "--method", method, "--"} +
                                 arguments);
        EXPECT_TRUE(gdbus.waitForStarted(5000)) << "gdbus is missing";
        // The service answers on this thread: keep its events running while gdbus waits.
        EXPECT_TRUE(PumpUntil([&] { return gdbus.state() == QProcess::NotRunning; }, 20000));
        const QString error = QString::fromUtf8(gdbus.readAllStandardError()).trimmed();
        EXPECT_EQ(gdbus.exitCode(), 0) << method.toStdString() << ": " << error.toStdString();
        return QString::fromUtf8(gdbus.readAllStandardOutput()).trimmed();
    }
    QString Get(const QString& interface, const QString& property) {
        return Gdbus("org.freedesktop.DBus.Properties.Get", {interface, property});
    }
    QString Call(const QString& method, const QStringList& arguments = {}) {
        return Gdbus(QString(kMprisPlayerInterface) + "." + method, arguments);
    }
    /// The Position property, in seconds.
    double PositionSeconds() {
        const QRegularExpressionMatch m =
            QRegularExpression(R"(<int64 (-?\d+)>)").match(Get(kMprisPlayerInterface, "Position"));
        EXPECT_TRUE(m.hasMatch());
        return m.captured(1).toLongLong() / 1e6;
    }
    QStringList HistorySongs() {
        RowSet history = m_rig->queueRig.catalogue.Select("select songnum from history order by ts, songnum");
        QStringList played;
        for (history.First(); !history.Eof(); history.Next()) {
            played << QString::number(history.Int("SONGNUM"));
        }
        return played;
    }

    static PrivateBus* s_bus;
    static int s_connections;
    std::unique_ptr<QDBusConnection> m_serviceBus;
    std::unique_ptr<QDBusConnection> m_clientBus;
    SignalRecorder m_recorder;
    std::unique_ptr<EngineRig> m_rig;
    std::unique_ptr<MprisService> m_service;
};

PrivateBus* Mpris::s_bus = nullptr;
int Mpris::s_connections = 0;

TEST_F(Mpris, PropertiesDescribeTheProgramAndTheSongAtTheCursor) {
    StartPlayer();
    AppendSong("song440.wav", 1, 3);
    AppendSong("song550.wav", 2);
    m_rig->queue().SetCursor(1);
    struct Case {
        const char* interface;
        const char* property;
        QString expected;
    };
    const QString root = "org.mpris.MediaPlayer2";
    const QString player = kMprisPlayerInterface;
    const std::vector<Case> cases = {
        {"org.mpris.MediaPlayer2", "Identity", "(<'Sonwick3'>,)"},
        {"org.mpris.MediaPlayer2", "DesktopEntry", "(<'sonwick3'>,)"},
        {"org.mpris.MediaPlayer2", "CanQuit", "(<true>,)"},
        {"org.mpris.MediaPlayer2", "CanRaise", "(<true>,)"},
        {kMprisPlayerInterface, "PlaybackStatus", "(<'Stopped'>,)"},
        {kMprisPlayerInterface, "Position", "(<int64 0>,)"},
        {kMprisPlayerInterface, "CanPlay", "(<true>,)"},
        {kMprisPlayerInterface, "CanPause", "(<false>,)"},
        {kMprisPlayerInterface, "CanSeek", "(<false>,)"},
        {kMprisPlayerInterface, "CanControl", "(<true>,)"},
        // Nothing has played: "Play next" has no time left to go by.
        {kMprisPlayerInterface, "CanGoNext", "(<false>,)"},
        {kMprisPlayerInterface, "CanGoPrevious", "(<false>,)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Get(c.interface, c.property), c.expected) << c.property;
    }

    // Before it plays, the song is described from the catalogue (its stored 187 s); the types are
    // the ones the desktop expects: an object path, 64-bit microseconds, a list of artists.
    const QString metadata = Get(player, "Metadata");
    const QString url = QUrl::fromLocalFile(Media("song440.wav")).toString();
    for (const QString& part :
         {QString("'mpris:trackid': <objectpath '/sonwick3/song/1'>"),
          QString("'mpris:length': <int64 187000000>"), QString("'xesam:title': <'Song 1'>"),
          QString("'xesam:artist': <['Artist']>"), QString("'xesam:album': <\"Album's Best\">"),
          QString("'xesam:trackNumber': <5>"), QString("'xesam:url': <'" + url + "'>"),
          QString("'xesam:userRating': <0.83333333333333337>")}) {
        EXPECT_TRUE(metadata.contains(part)) << part.toStdString() << "\nin " << metadata.toStdString();
    }

    // A song whose length is not known yet has none.
    TSong unmeasured = m_rig->queueRig.Song(3);
    unmeasured.Duration = 0;
    m_rig->queue().SetCursor(m_rig->queue().AppendToQueue(unmeasured));
    const QString withoutLength = Get(player, "Metadata");
    EXPECT_TRUE(withoutLength.contains("'/sonwick3/song/3'")) << withoutLength.toStdString();
    EXPECT_FALSE(withoutLength.contains("mpris:length")) << withoutLength.toStdString();

    // An empty queue has nothing to play.
    m_rig->queue().ClearQueueFrom(0);
    m_service->Refresh();
    EXPECT_EQ(Get(player, "CanPlay"), "(<false>,)");
    EXPECT_TRUE(Get(player, "Metadata").contains("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    EXPECT_EQ(Get(root, "Identity"), "(<'Sonwick3'>,)");
}

TEST_F(Mpris, PlayNextAndPlayPauseRunTheEngineCommandsAndAreAnnounced) {
    StartPlayer();
    AppendSong("song440.wav", 1);
    AppendSong("song550.wav", 2);
    m_rig->queue().SetCursor(1);

    Call("Play");
    EXPECT_EQ(m_rig->engine->State(), PlaybackState::Playing);
    EXPECT_EQ(m_rig->queue().NowPlayingRow(), 1);
    EXPECT_EQ(HistorySongs(), QStringList{"1"});
    EXPECT_TRUE(PumpUntil([&] { return m_recorder.SawStatus("Playing"); }));
    // Once playing, the length is the measured one.
    EXPECT_TRUE(Get(kMprisPlayerInterface, "Metadata").contains("'mpris:length': <int64 3000000>"));
    EXPECT_EQ(Get(kMprisPlayerInterface, "CanSeek"), "(<true>,)");
    // A rating given in the window reaches the desktop too, though the engine did not change.
    ASSERT_TRUE(m_rig->queue().OpenPopup(1));
    m_rig->queue().PopupSetRating(4);
    EXPECT_TRUE(PumpUntil([&] { return m_recorder.SawRating(1.0); }));

    m_rig->host->RunFor(1000);
    EXPECT_EQ(Get(kMprisPlayerInterface, "CanGoNext"), "(<true>,)");
    // Next cross-fades, as the window's button does with "Fade on Stop / Next" on.
    const double before = m_rig->Seconds();
    Call("Next");
    // The call returns at once; the new song counts as started when the fade is over.
    EXPECT_EQ(m_rig->Seconds(), before);
    m_rig->host->RunFor(1600);
    EXPECT_EQ(m_rig->queue().NowPlayingRow(), 2);
    EXPECT_EQ(m_rig->queue().Cell(1, QueueColumn::Now), "P");
    EXPECT_EQ(HistorySongs(), (QStringList{"1", "2"}));
    EXPECT_TRUE(PumpUntil([&] { return m_recorder.SawTrack("/sonwick3/song/2"); }));

    Call("PlayPause");
    EXPECT_EQ(m_rig->engine->State(), PlaybackState::Paused);
    EXPECT_EQ(Get(kMprisPlayerInterface, "PlaybackStatus"), "(<'Paused'>,)");
    Call("PlayPause");
    EXPECT_EQ(m_rig->engine->State(), PlaybackState::Playing);

    // The last song plays out; nothing more is recorded.
    ASSERT_TRUE(m_rig->RunToStop());
    EXPECT_TRUE(PumpUntil([&] { return m_recorder.SawStatus("Stopped"); }));
    EXPECT_EQ(m_recorder.Statuses(), (QStringList{"Playing", "Paused", "Playing", "Stopped"}));
    EXPECT_EQ(HistorySongs(), (QStringList{"1", "2"}));
    for (const auto& change : m_recorder.changes) {
        EXPECT_EQ(change.interface, kMprisPlayerInterface);
    }
    EXPECT_TRUE(m_rig->dialogs.TextsOf("INFO").isEmpty())
        << m_rig->dialogs.Transcript().join('\n').toStdString();
}

TEST_F(Mpris, PauseStopAndPlayFollowTheButtonsStates) {
    StartPlayer();
    AppendSong("song440.wav", 1);
    m_rig->queue().SetCursor(1);
    // Pause and Stop with nothing loaded change nothing.
    Call("Pause");
    Call("Stop");
    EXPECT_EQ(m_rig->engine->State(), PlaybackState::Stopped);
    EXPECT_TRUE(HistorySongs().isEmpty());

    Call("PlayPause");
    EXPECT_EQ(m_rig->engine->State(), PlaybackState::Playing);
    Call("Play");  // already playing: the song does not start again
    EXPECT_EQ(HistorySongs(), QStringList{"1"});
    Call("Pause");
    EXPECT_EQ(m_rig->engine->State(), PlaybackState::Paused);
    EXPECT_TRUE(m_rig->engine->Transport().pauseDown);
    Call("Play");
    EXPECT_EQ(m_rig->engine->State(), PlaybackState::Playing);
    EXPECT_FALSE(m_rig->engine->Transport().pauseDown);
    Call("Stop");
    EXPECT_EQ(m_rig->engine->State(), PlaybackState::Stopped);
    EXPECT_EQ(m_rig->queue().NowPlayingRow(), -1);
    EXPECT_EQ(HistorySongs(), QStringList{"1"});
}

TEST_F(Mpris, SeekAndSetPositionMoveWithinTheSongAndPastItsEndToTheNext) {
    StartPlayer();
    AppendSong("song440.wav", 1);
    AppendSong("song550.wav", 2);
    m_rig->queue().SetCursor(1);
    Call("Play");
    m_rig->host->RunFor(500);

    Call("Seek", {"1000000"});
    EXPECT_NEAR(PositionSeconds(), 1.6, 0.15);
    ASSERT_TRUE(PumpUntil([&] { return !m_recorder.seeks.empty(); }));
    EXPECT_NEAR(m_recorder.seeks.back() / 1e6, 1.6, 0.15);

    // Before the start is the start.
    Call("Seek", {"-10000000"});
    EXPECT_LT(PositionSeconds(), 0.05);

    // Another song's id, or a position past the end, is ignored.
    m_rig->host->RunFor(200);
    Call("SetPosition", {"'/sonwick3/song/2'", "2000000"});
    Call("SetPosition", {"'/sonwick3/song/1'", "9000000"});
    EXPECT_LT(PositionSeconds(), 0.4);
    Call("SetPosition", {"'/sonwick3/song/1'", "2000000"});
    EXPECT_NEAR(PositionSeconds(), 2.0, 0.05);

    // A jump made in the window is announced too.
    const std::size_t seeks = m_recorder.seeks.size();
    m_rig->engine->TimeBarStep(1);
    m_service->Refresh();
    ASSERT_TRUE(PumpUntil([&] { return m_recorder.seeks.size() > seeks; }));
    EXPECT_NEAR(m_recorder.seeks.back() / 1e6, 1.0, 0.05);

    // Past the end: the next song, through the Next command.
    Call("Seek", {"5000000"});
    EXPECT_EQ(m_rig->queue().NowPlayingRow(), 2);
    m_rig->host->RunFor(1600);  // the cross-fade ends, and the new song counts as played
    EXPECT_EQ(HistorySongs(), (QStringList{"1", "2"}));
}

TEST_F(Mpris, WithoutABusTheServiceStaysOffAndSaysSoOnce) {
    m_rig = std::make_unique<EngineRig>();
    QDBusConnection none = QDBusConnection::connectToBus("unix:path=/nonexistent/mpris-bus", "mpris-none");
    ASSERT_FALSE(none.isConnected());
    SetStartupTrace(true);
    {
        MprisService service(*m_rig->engine, m_rig->settings(), none);
        EXPECT_FALSE(service.Start());
        EXPECT_FALSE(service.Start());
        service.SetEnabled(true);
        EXPECT_FALSE(service.Running());
    }
    SetStartupTrace(false);
    QDBusConnection::disconnectFromBus("mpris-none");
    EXPECT_EQ(m_rig->dialogs.TextsOf("INFO"),
              QStringList{"No session bus: the desktop media controls are off"});
    // The player goes on without it.
    m_rig->Append("song440.wav", 1);
    m_rig->Play(1);
    EXPECT_EQ(m_rig->engine->State(), PlaybackState::Playing);
}

TEST_F(Mpris, TheSwitchTakesTheServiceOffTheBusAndBack) {
    StartPlayer();
    QDBusConnectionInterface* bus = m_clientBus->interface();
    EXPECT_TRUE(bus->isServiceRegistered(kMprisServiceName).value());
    EXPECT_TRUE(m_service->Enabled());

    m_service->SetEnabled(false);
    EXPECT_FALSE(m_rig->settings().DesktopMediaControl);
    EXPECT_FALSE(m_service->Running());
    EXPECT_FALSE(bus->isServiceRegistered(kMprisServiceName).value());

    m_service->SetEnabled(true);
    EXPECT_TRUE(m_rig->settings().DesktopMediaControl);
    EXPECT_TRUE(bus->isServiceRegistered(kMprisServiceName).value());
    EXPECT_EQ(Get(kMprisPlayerInterface, "PlaybackStatus"), "(<'Stopped'>,)");

    // A second player cannot take the name while the first holds it.
    MprisService second(*m_rig->engine, m_rig->settings(), *m_clientBus);
    EXPECT_FALSE(second.Start());
}

}  // namespace
}  // namespace sw

#include "MprisTests.moc"
