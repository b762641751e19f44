// The catalogue's side of the background measuring: which songs are queued and when, each row
// committed as it comes, and no row for a song that changed meanwhile.
#include <gtest/gtest.h>

#include "../tags/TagTestSupport.h"
#include "LoudnessWorkerSupport.h"
#include "PostedCalls.h"
#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/Settings.h"
#include "playback/BackgroundLoudness.h"
#include "playback/LoudnessStore.h"

namespace sw {
namespace {

using test::FakeMeasure;
using test::PostedCalls;

class BackgroundLoudnessTest : public ::testing::Test {
protected:
    BackgroundLoudnessTest() {
        m_file.OpenCurrent(m_catalogue);
        m_settings.Root = "/music/";
        m_settings.LOUDNESS = kLoudnessTrack;
        for (const auto& [songNum, fileName] : std::vector<std::pair<int, QString>>{
                 {1, "Rock/a.mp3"}, {2, "Rock/b.mp3"}, {3, "c.ogg"}, {4, "/elsewhere/d.mp3"}}) {
            m_catalogue.ExecSql("insert into song (songnum, fn) values (" + QString::number(songNum) + ", '" +
                                fileName + "')");
        }
        SongLoudness stored;
        stored.Measured.IntegratedLufs = -9.5;
        SaveSongLoudness(m_catalogue, 2, stored);
        m_catalogue.CommitAndContinue();
    }

    /// The rows as another program sees them: committed ones only, by song number.
    std::vector<std::pair<int, double>> CommittedRows() {
        if (!m_other.IsOpen()) {
            m_file.Open(m_other);
        }
        m_other.CommitAndContinue();
        RowSet rows = m_other.Select("select songnum, lufs from songloudness order by songnum");
        std::vector<std::pair<int, double>> result;
        for (rows.First(); !rows.Eof(); rows.Next()) {
            result.emplace_back(rows.Int("SONGNUM"), rows.Real("LUFS"));
        }
        return result;
    }
    bool RunUntilIdle() {
        return m_posted.RunUntil([&] { return !m_background.Worker().Busy(); });
    }

    test::TestCatalogue m_file{"Background", test::CatalogueStart::Current};
    Catalogue m_catalogue;
    Catalogue m_other;
    Settings m_settings;
    PostedCalls m_posted;
    FakeMeasure m_measure{true};
    BackgroundLoudness m_background{m_catalogue, m_settings, m_posted.Post(), m_measure.Measure()};
};

TEST_F(BackgroundLoudnessTest, QueuesTheSongsWithoutARowAndCommitsEachAsItComes) {
    EXPECT_EQ(m_background.QueueMissingSongs(), 3);
    m_measure.Allow(1);
    ASSERT_TRUE(m_posted.RunUntil([&] { return m_background.Worker().Counts().done == 1; }));
    // Durable before the next file is through: a kill now loses only the song being measured.
    EXPECT_EQ(CommittedRows(), (std::vector<std::pair<int, double>>{{1, -20.0}, {2, -9.5}}));

    m_measure.Allow(2);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(m_measure.Started(), (QStringList{"/music/Rock/a.mp3", "/music/c.ogg", "/elsewhere/d.mp3"}));
    EXPECT_EQ(CommittedRows(),
              (std::vector<std::pair<int, double>>{{1, -20.0}, {2, -9.5}, {3, -20.0}, {4, -20.0}}));
    EXPECT_EQ(m_background.QueueMissingSongs(), 0);
}

struct WhenCase {
    const char* name;
    bool atStart;  // else the end of a load run
    int loudness;
    bool readOnly;
    int queued;
};
void PrintTo(const WhenCase& c, std::ostream* os) {
    *os << c.name;
}

class WhenQueued : public BackgroundLoudnessTest, public ::testing::WithParamInterface<WhenCase> {};

TEST_P(WhenQueued, OnlyWhereTheCatalogueMayBeWritten) {
    const WhenCase& c = GetParam();
    m_settings.LOUDNESS = c.loudness;
    m_settings.READONLY = c.readOnly;
    if (c.atStart) {
        m_background.QueueAtStart();
    } else {
        m_background.LoadRunChanged(true);
        m_background.LoadRunChanged(false);
    }
    EXPECT_EQ(m_background.Worker().Counts().queued, c.queued);
    m_measure.Allow(c.queued);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(CommittedRows().size(), 1u + c.queued);
}

INSTANTIATE_TEST_SUITE_P(
    Loudness, WhenQueued,
    ::testing::Values(WhenCase{"StartWithLevellingOff", true, kLoudnessOff, false, 0},
                      WhenCase{"StartWithTrackLevelling", true, kLoudnessTrack, false, 3},
                      WhenCase{"StartWithAlbumLevelling", true, kLoudnessAlbum, false, 3},
                      WhenCase{"StartReadOnly", true, kLoudnessTrack, true, 0},
                      WhenCase{"LoadEndedWithLevellingOff", false, kLoudnessOff, false, 3},
                      WhenCase{"LoadEndedReadOnly", false, kLoudnessOff, true, 0}),
    test::ByName());

TEST_F(BackgroundLoudnessTest, ASongRemovedOrRelinkedWhileItWasMeasuredGetsNoRow) {
    m_background.QueueMissingSongs();
    ASSERT_TRUE(m_measure.WaitForStarted(1));
    m_catalogue.ExecSql("delete from song where songnum = 1");
    m_catalogue.ExecSql("update song set fn = 'c2.ogg' where songnum = 3");
    m_catalogue.CommitAndContinue();
    m_measure.Allow(3);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(CommittedRows(), (std::vector<std::pair<int, double>>{{2, -9.5}, {4, -20.0}}));
    EXPECT_EQ(m_background.Worker().Counts().measured, 1);
    EXPECT_EQ(m_background.Worker().Counts().done, 3);
}

TEST_F(BackgroundLoudnessTest, ACatalogueMadeReadOnlyMidwayTakesNoMoreRows) {
    m_background.QueueMissingSongs();
    m_measure.Allow(1);
    ASSERT_TRUE(m_posted.RunUntil([&] { return m_background.Worker().Counts().done == 1; }));
    m_settings.READONLY = true;
    m_measure.Allow(2);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(CommittedRows(), (std::vector<std::pair<int, double>>{{1, -20.0}, {2, -9.5}}));
    EXPECT_EQ(m_background.Worker().StatusText(), "Loudness measured for 1 song");
}

TEST_F(BackgroundLoudnessTest, WhileALoadRunsNothingIsWritten) {
    m_background.QueueMissingSongs();
    ASSERT_TRUE(m_measure.WaitForStarted(1));
    m_background.LoadRunChanged(true);
    m_measure.Allow(1);
    ASSERT_TRUE(m_posted.WaitForPosted(1));
    m_posted.RunPending();
    EXPECT_EQ(CommittedRows().size(), 1u);
    m_catalogue.ExecSql("insert into song (songnum, fn) values (5, 'new.mp3')");
    m_catalogue.CommitAndContinue();
    m_background.LoadRunChanged(false);
    EXPECT_EQ(CommittedRows().size(), 2u);
    m_measure.Allow(3);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(m_measure.Started().last(), "/music/new.mp3");
    EXPECT_EQ(CommittedRows().size(), 5u);
}

}  // namespace
}  // namespace sw
