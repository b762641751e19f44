// SONGLOUDNESS rows written and read back, and the songs a run measures.
#include <gtest/gtest.h>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "playback/LoudnessStore.h"

namespace sw {
namespace {

class LoudnessStore : public ::testing::Test {
protected:
    LoudnessStore() {
        m_file.OpenCurrent(m_catalogue);
        for (const int songNum : {3, 1, 2}) {
            m_catalogue.ExecSql("insert into song (songnum, fn) values (" + QString::number(songNum) +
                                ", 'd/" + QString::number(songNum) + ".mp3')");
        }
        m_catalogue.CommitAndContinue();
    }

    test::TestCatalogue m_file{"Loudness", test::CatalogueStart::Current};
    Catalogue m_catalogue;
};

std::vector<int> Numbers(const std::vector<SongToMeasure>& songs) {
    std::vector<int> numbers;
    for (const SongToMeasure& song : songs) {
        numbers.push_back(song.SongNum);
    }
    return numbers;
}

TEST_F(LoudnessStore, ARowReadsBackAsItWasWrittenAndASecondWriteReplacesIt) {
    SongLoudness tagged;
    tagged.Source = LoudnessSource::Tag;
    tagged.Gains = {-6.54, 0.988553, -7.25, std::nullopt};
    tagged.Measured.IntegratedLufs = -11.46;
    tagged.Measured.Peak = 1.0234;
    tagged.Measured.MusicStartMs = 12;
    tagged.Measured.MusicEndMs = 183456;
    SaveSongLoudness(m_catalogue, 2, tagged);
    m_catalogue.CommitAndContinue();

    std::optional<SongLoudness> read = ReadSongLoudness(m_catalogue, 2);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Source, LoudnessSource::Tag);
    EXPECT_EQ(read->Gains, tagged.Gains);
    EXPECT_EQ(read->Measured.IntegratedLufs, tagged.Measured.IntegratedLufs);
    EXPECT_DOUBLE_EQ(read->Measured.Peak, 1.0234);
    EXPECT_EQ(read->Measured.MusicStartMs, 12);
    EXPECT_EQ(read->Measured.MusicEndMs, 183456);
    EXPECT_FALSE(ReadSongLoudness(m_catalogue, 1).has_value());

    SongLoudness silent;
    silent.Gains.TrackPeak = 0.0;
    SaveSongLoudness(m_catalogue, 2, silent);
    m_catalogue.CommitAndContinue();
    read = ReadSongLoudness(m_catalogue, 2);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Source, LoudnessSource::Measured);
    EXPECT_EQ(read->Gains, silent.Gains);
    EXPECT_FALSE(read->Measured.IntegratedLufs.has_value());
    EXPECT_EQ(m_catalogue.Select("select count(*) as ct from songloudness").Int("CT"), 1);
    EXPECT_FALSE(m_catalogue.Select("select measurets from songloudness").IsNull("MEASURETS"));
}

TEST_F(LoudnessStore, ARunTakesEverySongOrThoseWithoutARowInNumberOrder) {
    EXPECT_EQ(Numbers(SongsToMeasure(m_catalogue, false)), (std::vector<int>{1, 2, 3}));
    SaveSongLoudness(m_catalogue, 2, SongLoudness{});
    m_catalogue.CommitAndContinue();
    const std::vector<SongToMeasure> missing = SongsToMeasure(m_catalogue, true);
    EXPECT_EQ(Numbers(missing), (std::vector<int>{1, 3}));
    EXPECT_EQ(missing.front().FileName, "d/1.mp3");
    EXPECT_EQ(Numbers(SongsToMeasure(m_catalogue, false)), (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace sw
