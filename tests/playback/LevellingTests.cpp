// The factor each song plays at under levelling, and the album's loudness from its songs.
#include <gtest/gtest.h>

#include <cmath>

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/Settings.h"
#include "core/Song.h"
#include "playback/Levelling.h"
#include "playback/LoudnessStore.h"

namespace sw {
namespace {

double Db(float factor) {
    return 20 * std::log10(factor);
}

SongLoudness Row(std::optional<double> trackGain, std::optional<double> trackPeak,
                 std::optional<double> albumGain = std::nullopt, std::optional<double> albumPeak = std::nullopt) {
    SongLoudness row;
    row.Gains = {trackGain, trackPeak, albumGain, albumPeak};
    row.Measured.Peak = 0.5;
    return row;
}

struct FactorCase {
    const char* name;
    SongLoudness row;
    int mode;
    int preamp;
    bool clipGuard;
    std::optional<AlbumGain> album;
    double expectedDb;
};

class Factors : public testing::TestWithParam<FactorCase> {};

TEST_P(Factors, FollowTheModeThePreampAndThePeak) {
    const FactorCase& c = GetParam();
    EXPECT_NEAR(Db(LevellingFactor(c.row, c.mode, c.preamp, c.clipGuard, c.album)), c.expectedDb, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Levelling, Factors,
    testing::Values(
        FactorCase{"TrackGainCuts", Row(-7.5, 0.9), kLoudnessTrack, 0, true, {}, -7.5},
        FactorCase{"PreampAdds", Row(-7.5, 0.9), kLoudnessTrack, 3, true, {}, -4.5},
        // +10 dB would put a peak of 0.5 at 1.58: held at full scale (+6.02 dB).
        FactorCase{"ClipGuardHoldsABoostDown", Row(10.0, 0.5), kLoudnessTrack, 0, true, {}, 6.02},
        FactorCase{"WithoutClipGuardTheBoostStays", Row(10.0, 0.5), kLoudnessTrack, 0, false, {}, 10.0},
        FactorCase{"NoTrackPeakTakesTheMeasuredOne", Row(10.0, std::nullopt), kLoudnessTrack, 0, true, {}, 6.02},
        FactorCase{"NoGainAtAllPlaysAsItIs", Row(std::nullopt, 0.3), kLoudnessTrack, 0, true, {}, 0.0},
        FactorCase{"AlbumModeTakesTheTagsAlbumGain", Row(-7.5, 0.4, -3.0, 0.6), kLoudnessAlbum, 0, true, AlbumGain{-9, 0.2},
                   -3.0},
        FactorCase{"AlbumModeElseTheAlbumsMeasuredSongs", Row(-7.5, 0.4), kLoudnessAlbum, 0, true, AlbumGain{-9, 0.2},
                   -9.0},
        FactorCase{"AlbumModeElseTheTrackGain", Row(-7.5, 0.4), kLoudnessAlbum, 0, true, std::nullopt, -7.5},
        FactorCase{"AlbumPeakGuardsTheAlbumGain", Row(-7.5, 0.4), kLoudnessAlbum, 0, true, AlbumGain{12, 0.8}, 1.94},
        FactorCase{"ANearlySilentSongIsNotRaisedToARoar", Row(40.0, 0.001), kLoudnessTrack, 0, false, {}, 24.0}),
    [](const testing::TestParamInfo<FactorCase>& each) { return each.param.name; });

TEST(LevellingAlbum, AveragesItsSongsAsEnergyWeighedByLength) {
    EXPECT_FALSE(CombineAlbumLoudness({}).has_value());
    const std::optional<AlbumGain> same = CombineAlbumLoudness({{-14, 0.5, 200}, {-14, 0.9, 100}});
    ASSERT_TRUE(same.has_value());
    EXPECT_NEAR(same->GainDb, -4.0, 1e-9);
    EXPECT_DOUBLE_EQ(same->Peak, 0.9);
    // Two songs 10 dB apart, the loud one three times as long: 10*log10((3*10^-1 + 10^-2)/4).
    const std::optional<AlbumGain> mixed = CombineAlbumLoudness({{-10, 0.5, 300}, {-20, 0.1, 100}});
    ASSERT_TRUE(mixed.has_value());
    EXPECT_NEAR(mixed->GainDb, -18.0 - 10 * std::log10(0.31 / 4), 1e-9);
}

TEST(LevellingSongs, ReadTheirLevelOnlyWhenOnAndMeasured) {
    test::TestCatalogue file{"Levels", test::CatalogueStart::Current};
    Catalogue catalogue;
    file.OpenCurrent(catalogue);
    // Songs 1 and 2 share album 7; song 3 has no row.
    catalogue.ExecSql("insert into song (songnum, fn, albumid, duration) values (1, 'a.mp3', 7, 100)");
    catalogue.ExecSql("insert into song (songnum, fn, albumid, duration) values (2, 'b.mp3', 7, 100)");
    catalogue.ExecSql("insert into song (songnum, fn, albumid, duration) values (3, 'c.mp3', 7, 100)");
    for (const auto& [songNum, lufs] : {std::pair{1, -8.0}, std::pair{2, -14.0}}) {
        SongLoudness row;
        row.Measured.IntegratedLufs = lufs;
        row.Measured.Peak = 0.1;
        row.Measured.MusicStartMs = 250;
        row.Measured.MusicEndMs = 99000;
        row.Gains.TrackGain = kReplayGainReferenceLufs - lufs;
        row.Gains.TrackPeak = 0.1;
        SaveSongLoudness(catalogue, songNum, row);
    }
    catalogue.CommitAndContinue();
    TSong song;
    song.SongNum = 1;
    song.AlbumId = 7;
    Settings settings = DefaultSettings();
    EXPECT_FALSE(ReadSongLevel(catalogue, song, settings).has_value()) << "levelling is off";

    settings.LOUDNESS = kLoudnessTrack;
    std::optional<SongLevel> level = ReadSongLevel(catalogue, song, settings);
    ASSERT_TRUE(level.has_value());
    EXPECT_NEAR(Db(level->Factor), -10.0, 0.01);
    EXPECT_EQ(level->MusicStartMs, 250);
    EXPECT_EQ(level->MusicEndMs, 99000);

    settings.LOUDNESS = kLoudnessAlbum;
    level = ReadSongLevel(catalogue, song, settings);
    ASSERT_TRUE(level.has_value());
    EXPECT_NEAR(Db(level->Factor), -18.0 - 10 * std::log10((std::pow(10, -0.8) + std::pow(10, -1.4)) / 2), 0.01);

    song.SongNum = 3;
    EXPECT_FALSE(ReadSongLevel(catalogue, song, settings).has_value()) << "not measured";
    song.SongNum = 0;
    EXPECT_FALSE(ReadSongLevel(catalogue, song, settings).has_value()) << "outside the catalogue";
}

}  // namespace
}  // namespace sw
