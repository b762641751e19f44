#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include "../../playback/EngineTestSupport.h"
#include "core/CoreSession.h"
#include "windows/main/MainController.h"
#include "windows/main/MainWindow.h"
#include "windows/main/MainWindowKeys.h"
#include "windows/main/NowPlayingController.h"
#include "windows/main/NowPlayingCover.h"

namespace sw {
namespace {

/// The controller over the engine on the offline output, two songs of three seconds queued.
class NowPlaying : public ::testing::Test {
protected:
    NowPlaying() {
        m_rig.settings().FADETIME = 0;
        m_rig.settings().FADEONNEXT = false;
        m_rig.settings().VOLUME = 100;
        m_rig.settings().MUTE = false;
        m_rig.Append("ramp.wav", 1);
        m_rig.Append("ramp.wav", 2);
        m_rig.queue().SetCursor(1);
        m_controller = std::make_unique<NowPlayingController>(*m_rig.engine, m_rig.settings());
    }
    void PlayFor(int milliseconds) {
        m_rig.clock.SleepMs(milliseconds);
        m_rig.engine->DisplayTimerTick();
    }

    test::EngineRig m_rig;
    std::unique_ptr<NowPlayingController> m_controller;
};

TEST_F(NowPlaying, ShowsTheCursorRowThenThePlayingSongWithItsTimes) {
    NowPlayingView view = m_controller->View();
    EXPECT_EQ(view.Heading, QString("Artist \u2013 Song 1"));
    EXPECT_FALSE(view.Loaded);
    EXPECT_FALSE(view.SeekEnabled);
    EXPECT_TRUE(view.PlayPauseEnabled);
    EXPECT_FALSE(view.StopEnabled);

    m_controller->PlayPause();
    ASSERT_EQ(m_rig.engine->State(), PlaybackState::Playing);
    PlayFor(1200);
    // The cursor moves on; the panel stays with the song that plays.
    m_rig.queue().SetCursor(2);
    view = m_controller->View();
    EXPECT_EQ(view.Heading, QString("Artist \u2013 Song 1"));
    EXPECT_TRUE(view.Loaded);
    EXPECT_TRUE(view.Playing);
    EXPECT_EQ(view.LengthSeconds, 3);
    EXPECT_EQ(view.ElapsedSeconds, 1);
    EXPECT_EQ(view.ElapsedText, DurationText(1));
    EXPECT_EQ(view.RemainingText, "-" + DurationText(2));
    EXPECT_TRUE(view.SeekEnabled);
    EXPECT_TRUE(view.NextEnabled);
    EXPECT_FALSE(view.PreviousEnabled);
}

TEST_F(NowPlaying, TheButtonsDriveTheEnginesCommands) {
    m_controller->PlayPause();
    PlayFor(300);
    m_controller->PlayPause();
    EXPECT_EQ(m_rig.engine->State(), PlaybackState::Paused);
    EXPECT_FALSE(m_controller->View().Playing);
    m_controller->PlayPause();
    EXPECT_EQ(m_rig.engine->State(), PlaybackState::Playing);

    m_controller->Next();
    EXPECT_EQ(m_rig.queue().NowPlayingRow(), 2);
    EXPECT_EQ(m_controller->View().Heading, QString("Artist \u2013 Song 2"));
    m_controller->Previous();
    EXPECT_EQ(m_rig.queue().NowPlayingRow(), 1);
    m_controller->Stop();
    EXPECT_EQ(m_rig.engine->State(), PlaybackState::Stopped);
    // Stopped, the seek bar goes nowhere.
    m_controller->SeekToFraction(0.5);
    EXPECT_EQ(m_rig.engine->State(), PlaybackState::Stopped);
}

TEST_F(NowPlaying, AClickOnTheSeekBarGoesThereWhetherPlayingOrPaused) {
    struct Case {
        const char* name;
        double fraction;
        bool paused;
        double expected;
    };
    const Case cases[] = {{"middle", 0.5, false, 1.5}, {"near the end", 0.9, false, 2.0},
                          {"paused", 0.67, true, 2.0}, {"start", 0.0, false, 0.0}};
    m_controller->PlayPause();
    for (const Case& c : cases) {
        PlayFor(400);
        if (c.paused) {
            m_controller->PlayPause();
        }
        m_controller->SeekToFraction(c.fraction);
        // Whole seconds, as the time bar steps; never past the song's last second.
        EXPECT_NEAR(m_rig.engine->ElapsedSeconds(), std::floor(c.expected), 0.05) << c.name;
        if (c.paused) {
            EXPECT_EQ(m_rig.engine->State(), PlaybackState::Paused) << c.name;
            m_controller->PlayPause();
        }
    }
}

TEST_F(NowPlaying, TheVolumeIsTheMixersLevelAndOutlastsPausesAndFades) {
    m_controller->SetVolume(40);
    EXPECT_NEAR(m_rig.MixerVolume(), 0.4, 1e-6);
    EXPECT_EQ(m_rig.settings().VOLUME, 40);
    m_controller->PlayPause();
    PlayFor(200);
    EXPECT_NEAR(m_rig.MixerVolume(), 0.4, 1e-6);

    // Changed while paused, it comes with the music.
    m_controller->PlayPause();
    m_controller->SetVolume(70);
    EXPECT_NEAR(m_rig.MixerVolume(), 0.0, 1e-6);
    m_controller->PlayPause();
    EXPECT_NEAR(m_rig.MixerVolume(), 0.7, 1e-6);

    // A faded pause gives back the level, and the next song starts at it.
    m_rig.settings().FADEONPAUSE = true;
    m_rig.settings().FADETIME = 200;
    PlayFor(100);
    m_controller->PlayPause();
    PlayFor(300);
    m_rig.engine->FadeTick();
    m_controller->PlayPause();
    PlayFor(300);
    EXPECT_NEAR(m_rig.MixerVolume(), 0.7, 1e-3);
    m_rig.settings().FADEONPAUSE = false;
    m_rig.settings().FADETIME = 0;
    m_controller->Next();
    EXPECT_NEAR(m_rig.MixerVolume(), 0.7, 1e-3);

    m_controller->SetMuted(true);
    EXPECT_NEAR(m_rig.MixerVolume(), 0.0, 1e-6);
    EXPECT_TRUE(m_rig.settings().MUTE);
    EXPECT_EQ(m_controller->View().Volume, 70);
    m_controller->SetMuted(false);
    EXPECT_NEAR(m_rig.MixerVolume(), 0.7, 1e-6);
}

TEST_F(NowPlaying, AControllerMadeLaterStartsAtTheStoredLevel) {
    m_controller.reset();
    m_rig.settings().VOLUME = 25;
    NowPlayingController again(*m_rig.engine, m_rig.settings());
    EXPECT_NEAR(m_rig.MixerVolume(), 0.25, 1e-6);
    // The engine's listener outlives a controller that is gone.
    m_rig.engine->PlayCommand();
    EXPECT_EQ(m_rig.engine->State(), PlaybackState::Playing);
}

// Covers: the picture a file carries (front cover first), else a picture file beside it.
class Covers : public ::testing::Test {
protected:
    QString Put(const QString& name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    static QByteArray Be32(quint32 v) {
        QByteArray b(4, 0);
        for (int i = 0; i < 4; ++i) {
            b[i] = char((v >> (24 - 8 * i)) & 0xff);
        }
        return b;
    }
    static QByteArray Synchsafe(quint32 v) {
        QByteArray b(4, 0);
        for (int i = 0; i < 4; ++i) {
            b[i] = char((v >> (21 - 7 * i)) & 0x7f);
        }
        return b;
    }
    /// An ID3v2 tag of the version holding APIC frames (type, data), then some audio bytes.
    static QByteArray Id3(int version, const std::vector<std::pair<int, QByteArray>>& pictures, int encoding = 0) {
        QByteArray frames;
        for (const auto& [type, data] : pictures) {
            QByteArray body = QByteArray(1, char(encoding)) + "image/jpeg" + QByteArray(1, 0) + char(type);
            body += encoding == 1 ? QByteArray("\xff\xfe" "c\0v\0\0\0", 8) : QByteArray("cover\0", 6);
            body += data;
            frames += "APIC" + (version == 4 ? Synchsafe(body.size()) : Be32(body.size())) + QByteArray(2, 0) + body;
        }
        frames = QByteArray("TIT2") + (version == 4 ? Synchsafe(3) : Be32(3)) + QByteArray(2, 0) + QByteArray("\0ab", 3) +
                 frames;
        return QByteArray("ID3") + char(version) + QByteArray(2, 0) + Synchsafe(frames.size()) + frames +
               QByteArray("\xff\xfb\x90\x00", 4);
    }
    static QByteArray FlacPicture(int type, const QByteArray& data) {
        return Be32(type) + Be32(10) + "image/jpeg" + Be32(0) + Be32(1) + Be32(1) + Be32(24) + Be32(0) +
               Be32(data.size()) + data;
    }
    static QByteArray Flac(const std::vector<std::pair<int, QByteArray>>& pictures) {
        QByteArray file = "fLaC";
        file += QByteArray("\x00\x00\x00\x22", 4) + QByteArray(34, 0);
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const QByteArray body = FlacPicture(pictures[i].first, pictures[i].second);
            const char head = char((i + 1 == pictures.size() ? 0x80 : 0) | 6);
            file += QByteArray(1, head) + Be32(body.size()).mid(1) + body;
        }
        return file;
    }
    QTemporaryDir m_dir;
};

TEST_F(Covers, EmbeddedPicturesAreFoundInEveryTagKindWithTheFrontCoverFirst) {
    const QByteArray front = "FRONT-JPEG";
    const QByteArray back = "BACK-JPEG";
    struct Case {
        const char* name;
        QByteArray file;
        QByteArray expected;
    };
    const Case cases[] = {
        {"id3v23", Id3(3, {{3, front}}), front},
        {"id3v24 utf16 description", Id3(4, {{3, front}}, 1), front},
        {"id3v23 back first", Id3(3, {{4, back}, {3, front}}), front},
        {"id3v24 only a back cover", Id3(4, {{4, back}}), back},
        {"flac", Flac({{0, back}, {3, front}}), front},
        {"no tag", QByteArray("\xff\xfb\x90\x00plain", 9), QByteArray()},
        // A frame that claims more than the tag holds, and a cut FLAC block: nothing, no overrun.
        {"id3 frame too long", Id3(3, {{3, front}}).left(40), QByteArray()},
        {"flac cut", Flac({{3, front}}).left(60), QByteArray()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EmbeddedPicture(Put(QString(c.name) + ".bin", c.file)), c.expected) << c.name;
    }
}

TEST_F(Covers, AnOggPictureSpanningManyPagesIsPutTogether) {
    const QString path = m_dir.filePath("cover.ogg");
    ASSERT_TRUE(QFile::copy(QString(SW_SOURCE_DIR) + "/tests/fixtures/tone.ogg", path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QProcess script;
    script.start("/usr/bin/python3", {QString(SW_SOURCE_DIR) + "/tests/tags/add_picture.py", path, "120000"});
    ASSERT_TRUE(script.waitForFinished(60000));
    ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    const QByteArray md5 = script.readAllStandardOutput().trimmed();
    const QByteArray picture = EmbeddedPicture(path);
    ASSERT_GT(picture.size(), 20000);
    EXPECT_EQ(QCryptographicHash::hash(picture, QCryptographicHash::Md5).toHex(), md5);
    EXPECT_EQ(FindCover(path).Source, path);
}

TEST_F(Covers, AFileWithoutAPictureTakesTheCoverBesideItInAnyLetterCase) {
    const QString song = Put("song.mp3", QByteArray("\xff\xfb\x90\x00", 4));
    EXPECT_TRUE(FindCover(song).Data.isEmpty());
    Put("FOLDER.JPG", "folder");
    EXPECT_EQ(FindCover(song).Data, "folder");
    EXPECT_EQ(FindCover(song).Source, m_dir.filePath("FOLDER.JPG"));
    // cover.jpg comes before folder.jpg.
    Put("Cover.jpg", "cover");
    EXPECT_EQ(FindCover(song).Data, "cover");
    // The file's own picture wins.
    const QString tagged = Put("tagged.mp3", Id3(3, {{3, "own"}}));
    EXPECT_EQ(FindCover(tagged).Data, "own");
}

TEST(ProgramKeys, AWindowsOwnUseOfAKeyWins) {
    QWidget main;
    QWidget other;
    auto* mainGrid = new QTableView(&main);
    auto* grid = new QTableView(&other);
    auto* line = new QLineEdit(&other);
    auto* button = new QPushButton(&other);
    auto* plain = new QWidget(&other);
    const QKeyCombination space(Qt::Key_Space);
    const QKeyCombination next(Qt::ControlModifier, Qt::Key_Right);
    const QKeyCombination quit(Qt::ControlModifier, Qt::Key_Q);
    struct Case {
        const char* name;
        const QWidget* focus;
        QKeyCombination key;
        bool widgetKeeps;
    };
    const Case cases[] = {
        {"space in a text box", line, space, true},
        {"space on a button", button, space, true},
        {"space in another window's grid", grid, space, true},
        {"space in the main window's grid", mainGrid, space, false},
        {"space elsewhere", plain, space, false},
        {"word move in a text box", line, next, true},
        {"next in a grid", grid, next, false},
        {"quit in a text box", line, quit, false},
        {"a key of no concern", line, QKeyCombination(Qt::Key_A), false},
        {"no focus", nullptr, space, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeyBelongsToFocus(c.focus, c.key, &main), c.widgetKeeps) << c.name;
    }
}

/// The Tags menu's switches and the Play menu's keys on the main window.
class MainWindowModern : public ::testing::Test {
protected:
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    CoreSession m_session;
    MainWindow m_window{m_session};
};

TEST_F(MainWindowModern, TheTagSwitchesShowTheSettingsAndTurnedOnOfferTheReread) {
    m_session.settings.UNICODETAGS = false;
    m_session.settings.FLACOPUS = true;
    std::vector<TagRereadRequest> asked;
    m_window.Hooks().rereadTags = [&](const TagRereadRequest& request, const TagRereadProgress&) {
        asked.push_back(request);
        TagRereadCounts counts;
        counts.reread = 2;
        return counts;
    };
    emit m_window.Menu(MainEntry::TagsMenu)->aboutToShow();
    QAction* unicode = m_window.TagSwitchAction(&Settings::UNICODETAGS);
    QAction* flac = m_window.TagSwitchAction(&Settings::FLACOPUS);
    ASSERT_TRUE(unicode && flac);
    EXPECT_FALSE(unicode->isChecked());
    EXPECT_TRUE(flac->isChecked());

    struct Step {
        const char* name;
        QAction* entry;
        const char* answer;
        std::size_t rereads;
    };
    const Step steps[] = {
        {"unicode on, yes", unicode, "Yes", 1},
        {"unicode off: nothing asked", unicode, nullptr, 1},
        {"unicode on, no", unicode, "No", 1},
        {"flac off", flac, nullptr, 1},
        {"flac on, yes", flac, "Yes", 2},
    };
    for (const Step& step : steps) {
        m_dialogs.ClearTranscript();
        if (step.answer) {
            m_dialogs.QueueAnswer(step.answer);
        }
        step.entry->trigger();
        EXPECT_EQ(m_dialogs.TextsOf("ASK").size(), step.answer ? 1 : 0) << step.name;
        EXPECT_EQ(asked.size(), step.rereads) << step.name;
    }
    EXPECT_TRUE(asked[0].unicodeTags);
    EXPECT_FALSE(asked[0].flacOpus);
    EXPECT_TRUE(asked[1].flacOpus);
    EXPECT_TRUE(m_session.settings.UNICODETAGS);
    EXPECT_TRUE(m_session.settings.FLACOPUS);

    // A read-only catalogue is not offered a re-read.
    m_session.settings.READONLY = true;
    m_session.settings.UNICODETAGS = false;
    m_dialogs.ClearTranscript();
    emit m_window.Menu(MainEntry::TagsMenu)->aboutToShow();
    unicode->trigger();
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(MainWindowModern, ThePlayMenuShowsTheProgramsKeysWorkingAnywhere) {
    for (const ProgramKey& key : kProgramKeys) {
        QAction* entry = m_window.Entry(key.entry);
        ASSERT_TRUE(entry) << key.caption;
        EXPECT_EQ(entry->text(), key.caption);
        EXPECT_TRUE(m_window.Menu(MainEntry::PlayMenu)->actions().contains(entry)) << key.caption;
        EXPECT_EQ(entry->shortcut(), QKeySequence(key.key)) << key.caption;
        EXPECT_EQ(entry->shortcutContext(), Qt::ApplicationShortcut) << key.caption;
    }
    // Without the engine the transport entries wait; Quit is always there.
    m_window.EnableReachableEntries();
    EXPECT_FALSE(m_window.Entry(MainEntry::PlayPause)->isEnabled());
    EXPECT_TRUE(m_window.Entry(MainEntry::Quit)->isEnabled());
    bool searched = false;
    m_window.Hooks().search = [&] { searched = true; };
    m_window.EnableReachableEntries();
    m_window.Entry(MainEntry::SearchKey)->trigger();
    EXPECT_TRUE(searched);
}

}  // namespace
}  // namespace sw
