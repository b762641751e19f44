// The end of a load run through the window queues the songs that have no loudness row yet, as
// the program wires it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "../playback/LoudnessWorkerSupport.h"
#include "PostedCalls.h"
#include "TestCatalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/ScriptedDialogs.h"
#include "load/LoadController.h"
#include "load/LoadRun.h"
#include "playback/BackgroundLoudness.h"
#include "playback/LoudnessStore.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"

namespace sw {
namespace {

class LoadLoudness : public ::testing::Test {
protected:
    LoadLoudness() {
        m_file.OpenCurrent(m_catalogue);
        m_settings.Root = m_music.path() + "/";
        m_library.artists.InitVariousArtist();
        m_catalogue.CommitAndContinue();
        m_controller.SetLoadRunWatcher([&](bool running) { m_background.LoadRunChanged(running); });
    }

    void Put(const QString& name) {
        QFile fixture(QString(SW_SOURCE_DIR) + "/tests/fixtures/plain.mp3");
        ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
        QFile file(m_music.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(fixture.readAll());
    }
    /// Lists the music folder, skipping what is loaded, and loads the list.
    void LoadThroughTheWindow() {
        m_controller.ListFilesToLoad(m_music.path(), false, true);
        m_dialogs.QueueAnswer("Yes");
        ASSERT_TRUE(m_controller.LoadAllListed());
    }
    bool RunUntilIdle() {
        return m_posted.RunUntil([&] { return !m_background.Worker().Busy(); });
    }
    int Rows() { return m_catalogue.Select("select count(*) as ct from songloudness").Int("CT"); }

    test::TestCatalogue m_file{"Load loudness", test::CatalogueStart::Current};
    Catalogue m_catalogue;
    Settings m_settings;
    Library m_library{m_catalogue, m_settings};
    CatalogueGenres m_genres{m_catalogue};
    TagState m_state;
    TagPolicy m_policy{m_library, m_genres, m_state};
    LoadRun m_run{m_library, m_policy};
    LoadController m_controller{m_run};
    QTemporaryDir m_music;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
    test::PostedCalls m_posted;
    test::FakeMeasure m_measure;
    BackgroundLoudness m_background{m_catalogue, m_settings, m_posted.Post(), m_measure.Measure()};
};

TEST_F(LoadLoudness, TheEndOfALoadRunQueuesOnlyTheSongsWithoutARow) {
    Put("one.mp3");
    Put("two.mp3");
    LoadThroughTheWindow();
    EXPECT_EQ(m_background.Worker().Counts().queued, 2);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(Rows(), 2);

    Put("three.mp3");
    LoadThroughTheWindow();
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(m_measure.Started(), (QStringList{m_music.filePath("one.mp3"), m_music.filePath("two.mp3"),
                                                m_music.filePath("three.mp3")}));
    EXPECT_EQ(m_background.Worker().StatusText(), "Loudness measured for 1 song");
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(m_catalogue.Select("select count(*) as ct from song").Int("CT"), 3);
}

}  // namespace
}  // namespace sw
