// The running jukebox as the desktop's media controls see it, on a private session bus.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "PrivateBus.h"
#include "ProgramRunner.h"
#include "TestCatalogue.h"
#include "core/CatalogueCreation.h"
#include "core/IniFile.h"

namespace sw {
namespace {

constexpr char kService[] = "org.mpris.MediaPlayer2.sonwick3";
constexpr char kPlayer[] = "org.mpris.MediaPlayer2.Player";

class MediaControlRun : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home.filePath("SW3DATA"));
        CreateCatalogue(m_home.filePath("SW3DATA/SONGS.FDB"), "Media keys", test::CreationScript());
        QDir().mkpath(m_home.filePath("music"));
        m_song = m_home.filePath("music/tone.mp3");
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i", "sine=f=440:d=8",
                                "-id3v2_version", "3", "-metadata", "title=Tone's Title", "-metadata",
                                "artist=The Testers", m_song});
        ASSERT_TRUE(ffmpeg.waitForFinished(60000));
        ASSERT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
        const test::ProgramRun load =
            test::RunProgram("swtool", {"--home", m_home.path(), "load", m_home.filePath("music")});
        ASSERT_EQ(load.exitCode, 0) << load.err.toStdString();
    }
    void TearDown() override {
        if (m_jukebox.state() != QProcess::NotRunning) {
            m_jukebox.kill();
            m_jukebox.waitForFinished(10000);
        }
    }

    /// Starts the jukebox on the private bus (or on none) with the null output and the song queued.
    void StartJukebox(bool withBus, const QStringList& extra = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("DBUS_SESSION_BUS_ADDRESS");
        if (withBus) {
            env.insert("DBUS_SESSION_BUS_ADDRESS", m_bus.Address());
        }
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SONWICK3_AUDIO", "null");
        m_jukebox.setProcessEnvironment(env);
        m_jukebox.start(
            test::ProgramPath("sonwick3"),
            QStringList{"--home", m_home.path(), "--unattended", "--trace"} + extra + QStringList{m_song});
        ASSERT_TRUE(m_jukebox.waitForStarted(10000));
    }
    /// Waits until the start-up has run to its end (its last trace step).
    bool WaitUntilRunning() {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 30000) {
            m_jukebox.waitForReadyRead(100);
            m_out += QString::fromUtf8(m_jukebox.readAllStandardOutput());
            if (m_out.contains("INFO: run\n")) {
                return true;
            }
            if (m_jukebox.state() == QProcess::NotRunning) {
                return false;
            }
        }
        return false;
    }
    /// gdbus against the jukebox; the answer, or "" when the call failed.
    QString Gdbus(const QString& method, const QStringList& arguments = {}) {
        QProcess gdbus;
        gdbus.start("gdbus", QStringList{"call", "--address", m_bus.Address(), "--dest", kService,
                                         "--object-path", "/org/mpris/MediaPlayer2", "--method", method} +
                                 arguments);
        EXPECT_TRUE(gdbus.waitForFinished(20000));
        return gdbus.exitCode() == 0 ? QString::fromUtf8(gdbus.readAllStandardOutput()).trimmed() : QString();
    }
    QString Status() { return Gdbus("org.freedesktop.DBus.Properties.Get", {kPlayer, "PlaybackStatus"}); }
    /// Asks until the answer is the expected one (the program plays on its own clock).
    bool StatusBecomes(const QString& expected) {
        for (int i = 0; i < 100; ++i) {
            if (Status() == expected) {
                return true;
            }
            QThread::msleep(50);
        }
        return false;
    }
    bool NameOwned() {
        QProcess gdbus;
        gdbus.start("gdbus",
                    {"call", "--address", m_bus.Address(), "--dest", "org.freedesktop.DBus", "--object-path",
                     "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.NameHasOwner", kService});
        EXPECT_TRUE(gdbus.waitForFinished(20000));
        return QString::fromUtf8(gdbus.readAllStandardOutput()).trimmed() == "(true,)";
    }

    QTemporaryDir m_home;
    test::PrivateBus m_bus;
    QString m_song;
    QProcess m_jukebox;
    QString m_out;
};

TEST_F(MediaControlRun, TheDesktopSeesTheQueuedSongPlaysPausesAndQuitsTheJukebox) {
    ASSERT_FALSE(m_bus.Address().isEmpty());
    StartJukebox(true);
    ASSERT_TRUE(WaitUntilRunning()) << m_out.toStdString();
    EXPECT_EQ(Status(), "(<'Stopped'>,)");
    const QString metadata = Gdbus("org.freedesktop.DBus.Properties.Get", {kPlayer, "Metadata"});
    EXPECT_TRUE(metadata.contains("'xesam:title': <\"Tone's Title\">")) << metadata.toStdString();
    EXPECT_TRUE(metadata.contains("'xesam:artist': <['The Testers']>")) << metadata.toStdString();

    Gdbus(QString(kPlayer) + ".Play");
    EXPECT_TRUE(StatusBecomes("(<'Playing'>,)"));
    Gdbus(QString(kPlayer) + ".PlayPause");
    EXPECT_TRUE(StatusBecomes("(<'Paused'>,)"));

    // Quit closes the main window as the user would; the program ends normally.
    Gdbus("org.mpris.MediaPlayer2.Quit");
    ASSERT_TRUE(m_jukebox.waitForFinished(30000));
    EXPECT_EQ(m_jukebox.exitCode(), 0);
    m_out += QString::fromUtf8(m_jukebox.readAllStandardOutput());
    EXPECT_FALSE(m_out.contains("ERROR")) << m_out.toStdString();
    EXPECT_FALSE(m_out.contains("desktop media controls are off")) << m_out.toStdString();
}

TEST_F(MediaControlRun, SwitchedOffInTheSettingsTheJukeboxStaysOffTheBus) {
    ASSERT_FALSE(m_bus.Address().isEmpty());
    QFile ini(m_home.filePath("SW3DATA/SONWICK3.INI"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[main]\nDesktopMediaControl=0\n");
    ini.close();
    StartJukebox(true);
    ASSERT_TRUE(WaitUntilRunning()) << m_out.toStdString();
    EXPECT_FALSE(NameOwned());
    m_jukebox.terminate();
    ASSERT_TRUE(m_jukebox.waitForFinished(30000));
    EXPECT_EQ(IniFile(m_home.filePath("SW3DATA/SONWICK3.INI")).ReadInteger("main", "DesktopMediaControl", 1),
              0);
}

TEST_F(MediaControlRun, WithoutASessionBusTheJukeboxRunsOnAndSaysSoOnce) {
    StartJukebox(false, {"--quit", m_home.filePath("music/missing.mp3")});
    ASSERT_TRUE(m_jukebox.waitForFinished(60000));
    EXPECT_EQ(m_jukebox.exitCode(), 0);
    const QString out = QString::fromUtf8(m_jukebox.readAllStandardOutput());
    EXPECT_EQ(out.count("INFO: No session bus: the desktop media controls are off"), 1) << out.toStdString();
    EXPECT_EQ(out.count("INFO: Not a song of the catalogue: " + m_home.filePath("music/missing.mp3")), 1)
        << out.toStdString();
    EXPECT_TRUE(out.contains("INFO: run\n")) << out.toStdString();
}

}  // namespace
}  // namespace sw
