#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include <QFile>
#include <QTemporaryDir>

#include "EngineTestSupport.h"
#include "core/Settings.h"
#include "foundation/Text.h"

namespace sw {
namespace {

using test::EngineRig;

// A song of the test media is three seconds long.
constexpr double kSongSeconds = 3.0;

TEST(Engine, PlaysTheQueueToItsEndWithoutOverlap) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.Play(1);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
    EXPECT_EQ(rig.queue().NowPlayingRow(), 1);
    EXPECT_EQ(rig.queue().Cell(1, QueueColumn::Now), ">>");
    EXPECT_EQ(rig.engine->Transport().lengthText, "00:03");
    rig.host->RunFor(1500);
    EXPECT_EQ(rig.engine->Transport().jumpCaption, "00:01");
    EXPECT_NEAR(rig.engine->RemainingSeconds(), 1.5, 0.15);
    ASSERT_TRUE(rig.RunToStop());
    EXPECT_EQ(rig.queue().NowPlayingRow(), -1);
    EXPECT_EQ(rig.queue().Cell(1, QueueColumn::Now), "P");
    EXPECT_EQ(rig.queue().Cell(2, QueueColumn::Now), "P");
    EXPECT_TRUE(rig.engine->LastRowEnded());
    EXPECT_EQ(rig.engine->CurrentStream(), 0u);
    // Two songs one after the other, and a short gap between them.
    EXPECT_GT(rig.Seconds(), 2 * kSongSeconds);
    EXPECT_LT(rig.Seconds(), 2 * kSongSeconds + 0.5);
    EXPECT_TRUE(rig.dialogs.TextsOf("INFO").isEmpty()) << rig.dialogs.Transcript().join('\n').toStdString();
}

// At a natural end the next song was opened and queued ahead: its first sample follows the last
// one of the song before, with no silence between (a gap of 1 ms would be 44 silent frames).
TEST(Engine, ANaturalEndIsGapless) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.Append("song440.wav", 3);
    rig.Play(1);
    ASSERT_TRUE(rig.host->RunUntilDone([&] { return rig.queue().NowPlayingRow() == 3; }, 8000));
    rig.host->RunFor(500);
    EXPECT_EQ(rig.engine->SongsSounded(), 3);
    EXPECT_EQ(rig.queue().Cell(1, QueueColumn::Now), "P");
    EXPECT_EQ(rig.queue().Cell(2, QueueColumn::Now), "P");
    EXPECT_EQ(rig.queue().Cell(3, QueueColumn::Now), ">>");
    // From the first song's first sound to well into the third, never 1 ms of silence.
    const std::size_t frames = rig.played.size() / 2;
    std::size_t first = 0;
    while (first < frames && std::abs(rig.played[first * 2]) < 0.01f) {
        ++first;
    }
    const std::size_t last = static_cast<std::size_t>((rig.Seconds() - 0.1) * 44100);
    ASSERT_LT(first, last);
    std::size_t longestSilence = 0;
    std::size_t silence = 0;
    for (std::size_t i = first; i < std::min(last, frames); ++i) {
        silence = std::abs(rig.played[i * 2]) < 1e-4f ? silence + 1 : 0;
        longestSilence = std::max(longestSilence, silence);
    }
    EXPECT_LT(longestSilence, 44u);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
}

// A change made after the next song was queued still decides what follows.
struct LateChange {
    const char* name;
    std::function<void(EngineRig&)> change;
    int following;  // the row playing afterwards; 0 when the music stops
};

class LateChanges : public ::testing::TestWithParam<LateChange> {};

TEST_P(LateChanges, DecideWhatFollows) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.Append("song440.wav", 3);
    rig.Play(1);
    // The next song is queued two seconds before the end.
    ASSERT_TRUE(rig.host->RunUntilDone([&] { return rig.engine->ElapsedSeconds() > 1.5; }, 3000));
    GetParam().change(rig);
    rig.host->RunFor(2000);
    EXPECT_EQ(rig.queue().NowPlayingRow(), GetParam().following > 0 ? GetParam().following : -1);
    EXPECT_EQ(rig.engine->State(),
              GetParam().following > 0 ? PlaybackState::Playing : PlaybackState::Stopped);
    EXPECT_EQ(rig.engine->SongsSounded(), GetParam().following > 0 ? 2 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, LateChanges,
    ::testing::Values(LateChange{"StopAtEnd", [](EngineRig& rig) { rig.engine->SetStopAtEnd(true); }, 0},
                      LateChange{"NextRowSkipped",
                                 [](EngineRig& rig) {
                                     rig.queue().SetCursor(2);
                                     rig.queue().SetSkipOfCursorRow(true);
                                 },
                                 3}),
    [](const ::testing::TestParamInfo<LateChange>& c) { return std::string(c.param.name); });

// "Repeat at end" goes round to the first row that plays: a missing file and a row marked
// skipped are passed by there as anywhere else.
class RepeatAtEnd : public ::testing::TestWithParam<const char*> {};

TEST_P(RepeatAtEnd, WrapsPastAFirstRowThatDoesNotPlay) {
    const bool skipped = std::string(GetParam()) == "Skipped";
    EngineRig rig;
    if (skipped) {
        rig.Append("blip.wav", 1);
        rig.queue().SetCursor(1);
        rig.queue().SetSkipOfCursorRow(true);
        ASSERT_EQ(rig.queue().Cell(1, QueueColumn::Now), "S");
    } else {
        TSong missing = rig.queueRig.Song(1, false);
        missing.Exi = true;
        rig.queue().AppendToQueue(missing);
    }
    rig.Append("song440.wav", 2);
    rig.Append("blip.wav", 3);
    rig.queue().ToggleRepeatAtEnd();
    rig.Play(3);
    ASSERT_TRUE(rig.host->RunUntilDone([&] { return rig.queue().NowPlayingRow() == 2; }, 2000));
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
    EXPECT_EQ(rig.queue().Cell(3, QueueColumn::Now), "P");
    EXPECT_EQ(rig.engine->SongsSounded(), 2);
}

INSTANTIATE_TEST_SUITE_P(Engine, RepeatAtEnd, ::testing::Values("Missing", "Skipped"),
                         [](const ::testing::TestParamInfo<const char*>& c) { return std::string(c.param); });

TEST(Engine, RepeatAtEndWithNothingPlayableStops) {
    EngineRig rig;
    // The row's file was missing when it was filled and has come back since: it plays when asked
    // to, but is never the next playable row, so a repeat finds nothing to go on with.
    TSong late = rig.queueRig.Song(1, false);
    late.Exi = true;
    rig.queue().AppendToQueue(late);
    ASSERT_EQ(rig.queue().Cell(1, QueueColumn::Wng), "!");
    ASSERT_TRUE(QFile::copy(test::Media("blip.wav"), late.FullPath));
    rig.queue().ToggleRepeatAtEnd();
    rig.Play(1);
    EXPECT_TRUE(rig.RunToStop());
    QFile::remove(late.FullPath);
}

TEST(Engine, StopAtEndStopsAndReleasesTheButton) {
    EngineRig rig;
    rig.Append("blip.wav", 1);
    rig.Append("song440.wav", 2);
    rig.Play(1);
    rig.engine->SetStopAtEnd(true);
    ASSERT_TRUE(rig.RunToStop());
    rig.host->RunFor(500);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Stopped);
    EXPECT_FALSE(rig.engine->StopAtEnd());
    EXPECT_EQ(rig.queue().NowPlayingRow(), -1);
}

TEST(Engine, ASongShorterThanTheStartWaitStillAdvances) {
    EngineRig rig;
    rig.Append("blip.wav", 1);
    rig.Append("blip.wav", 2);
    rig.Append("blip.wav", 3);
    rig.Play(1);
    ASSERT_TRUE(rig.RunToStop());
    EXPECT_EQ(rig.queue().Cell(3, QueueColumn::Now), "P");
}

TEST(Engine, AnEndNoticedAfterAStopStartsNothing) {
    EngineRig rig;
    rig.Append("song440.wav", 1);
    rig.Append("song550.wav", 2);
    rig.queue().SetCursor(1);
    rig.engine->StartSongAtCursor();
    const int posted = rig.host->PostedCount();
    rig.clock.SleepMs(3200);  // the song ends; the advance waits for the user-interface thread
    ASSERT_EQ(rig.engine->State(), PlaybackState::Ended);
    ASSERT_EQ(rig.host->PostedCount(), posted + 1);
    rig.engine->StopCommand();
    rig.host->RunFor(500);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Stopped);
    EXPECT_EQ(rig.queue().NowPlayingRow(), -1);
    EXPECT_EQ(rig.queue().Cell(2, QueueColumn::Now), "");
    // Nor does it stop the time display of a song started before it was handled.
    rig.Play(1);
    rig.clock.SleepMs(3200);
    rig.Play(2);
    rig.host->RunFor(1200);
    EXPECT_TRUE(rig.engine->DisplayTimerOn());
    EXPECT_EQ(rig.engine->Transport().jumpCaption, "00:01");
}

TEST(Engine, PlayWithAnEmptyQueueChangesNothing) {
    EngineRig rig;
    rig.engine->PlayCommand();
    EXPECT_EQ(rig.engine->State(), PlaybackState::Stopped);
    EXPECT_TRUE(rig.dialogs.Transcript().isEmpty());
}

// A file that cannot be played is marked "!", named in a notice with the reason, and play goes
// on with the next playable row; only a queue with nothing playable left stops, with one message.
TEST(Engine, FilesThatCannotPlayArePassedByAndNamed) {
    EngineRig rig;
    QTemporaryDir folder;
    const QString empty = folder.filePath("empty.mp3");
    const QString corrupt = folder.filePath("corrupt.mp3");
    QFile(empty).open(QIODevice::WriteOnly);
    {
        QFile file(corrupt);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(20000, '\x5a'));
    }
    TSong known = rig.queueRig.Song(2, false);  // the catalogue knows it is missing
    TSong unnoticed = rig.queueRig.Song(3, false);
    unnoticed.Exi = true;  // the catalogue has not noticed
    TSong emptySong = rig.queueRig.Song(4);
    emptySong.FullPath = empty;
    TSong corruptSong = rig.queueRig.Song(5);
    corruptSong.FullPath = corrupt;
    rig.Append("song440.wav", 1);
    for (const TSong& bad : {known, unnoticed, emptySong, corruptSong}) {
        rig.queue().AppendToQueue(bad);
    }
    rig.Append("song440.wav", 6);
    rig.Play(1);
    rig.host->RunUntilDone([&] { return rig.queue().NowPlayingRow() == 6; }, 10000);
    EXPECT_EQ(rig.queue().NowPlayingRow(), 6);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
    EXPECT_EQ(rig.engine->SongsSounded(), 2);
    for (int row = 2; row <= 5; ++row) {
        EXPECT_EQ(rig.queue().Cell(row, QueueColumn::Wng), "!") << row;
        EXPECT_NE(rig.queue().Cell(row, QueueColumn::Now), ">>") << row;
    }
    EXPECT_TRUE(rig.dialogs.TextsOf("INFO").isEmpty()) << rig.dialogs.TextsOf("INFO").join("\n").toStdString();
    // Each bad file is named once, in a notice and in the engine's list: the missing ones (marked
    // when they were queued, passed by without a try) as missing, the others with the audio
    // layer's reason, which does not name the file again.
    const QStringList flashes = rig.dialogs.TextsOf("FLASH").filter("Cannot play");
    ASSERT_EQ(flashes.size(), 4) << rig.dialogs.TextsOf("FLASH").join("\n").toStdString();
    ASSERT_EQ(rig.engine->FailedStarts().size(), 4);
    const QStringList paths{known.FullPath, unnoticed.FullPath, empty, corrupt};
    for (int i = 0; i < 4; ++i) {
        const QStringList failures = rig.engine->FailedStarts().filter(paths[i] + ": ");
        ASSERT_EQ(failures.size(), 1) << paths[i].toStdString();
        EXPECT_EQ(flashes.filter("Cannot play " + QuoteDouble(paths[i]) + ": ").size(), 1);
        const QString reason = failures[0].mid(paths[i].size() + 2);
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_FALSE(reason.contains(paths[i])) << reason.toStdString();
        if (i < 2) {
            EXPECT_EQ(reason, "File not found");
        }
    }

    // "Next" with fades on cross-fades past a file that cannot be played to the one after it.
    EngineRig fading;
    fading.Append("song440.wav", 1);
    fading.queue().AppendToQueue(corruptSong);
    fading.Append("song550.wav", 3);
    fading.Play(1);
    fading.host->RunFor(300);
    fading.engine->NextCommand();
    EXPECT_EQ(fading.queue().NowPlayingRow(), 3);
    EXPECT_EQ(fading.queue().Cell(2, QueueColumn::Wng), "!");
    EXPECT_EQ(fading.engine->FailedStarts().size(), 1);
    EXPECT_TRUE(fading.dialogs.TextsOf("INFO").isEmpty());

    // Nothing playable left: one message, stopped, no row counted as playing.
    EngineRig none;
    none.queue().AppendToQueue(known);
    none.queue().AppendToQueue(unnoticed);
    none.Play(1);
    EXPECT_EQ(none.engine->State(), PlaybackState::Stopped);
    EXPECT_EQ(none.queue().NowPlayingRow(), -1);
    EXPECT_EQ(none.dialogs.TextsOf("INFO"),
              QStringList{"Nothing left to play: 1 file(s) could not be played"});
}

TEST(Engine, DurationIsCorrectedOnceInRowAndCatalogue) {
    EngineRig rig(1, true);
    rig.Append("song440.wav", 1);
    EXPECT_EQ(rig.queue().Cell(1, QueueColumn::Duration), "03:07");
    rig.Play(1);
    EXPECT_EQ(rig.queue().Cell(1, QueueColumn::Duration), "00:03");
    Catalogue& catalogue = rig.queueRig.catalogue;
    catalogue.RunQuery("select duration from song where songnum = 1");
    EXPECT_EQ(catalogue.QueryInt("DURATION"), 3);
    // The row now knows the right length: playing it again stores nothing.
    catalogue.ExecSqlCommit("update song set duration = 99 where songnum = 1");
    rig.Play(1);
    catalogue.RunQuery("select duration from song where songnum = 1");
    EXPECT_EQ(catalogue.QueryInt("DURATION"), 99);
}

TEST(Engine, MeasuresAFileWithoutPlayingIt) {
    EngineRig rig;
    EXPECT_EQ(rig.engine->MeasureFileSeconds(test::Media("song440.wav")), 3);
    EXPECT_EQ(rig.engine->MeasureFileSeconds(test::Media("blip.wav")), 0);
    EXPECT_EQ(rig.engine->MeasureFileSeconds("/no/such/file.mp3"), -1);
    EXPECT_EQ(rig.dialogs.TextsOf("INFO"), QStringList{"BASS_StreamCreateFile - BASS error 2"});
}


struct Outputs {
    const char* name;
    int devices;
    int previewSetting;
    bool startup;
    bool confirm;
    QStringList answers;
    int master;
    int preview;
    QStringList transcript;
};

class DiscoverOutputs : public ::testing::TestWithParam<Outputs> {};

TEST_P(DiscoverOutputs, AssignsTheRoomAndTheHeadphones) {
    const Outputs& p = GetParam();
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    dialogs.QueueAnswers(p.answers);
    test::QueueRig queueRig;
    queueRig.settings.PREVIEWSOUNDCARD = p.previewSetting;
    queueRig.settings.ConfirmDevicesAtStartup = p.confirm;
    AudioLibrary audio(std::make_unique<OfflineOutput>(p.devices));
    PlaybackEngine engine(audio, queueRig.queue, queueRig.settings, RealClock());
    engine.DiscoverOutputs(p.startup);
    EXPECT_EQ(engine.MasterDevice(), p.master);
    EXPECT_EQ(engine.PreviewDevice(), p.preview);
    EXPECT_EQ(dialogs.Transcript(), p.transcript);
    if (p.devices >= 2) {
        EXPECT_EQ(queueRig.settings.PREVIEWSOUNDCARD, p.preview);
    }
}

const QString kTwo = "INFO: You have 2 sound outputs (good) : the next message will ask which goes where ...";
QString Ask(int master, int preview, int answer) {
    return QString(
               "CHOICE: Master (room) = Offline output %1\\nPreview (headphones) = Offline output %2 [OK | "
               "Switch] -> %3")
        .arg(master)
        .arg(preview)
        .arg(answer);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, DiscoverOutputs,
    ::testing::Values(
        Outputs{"None", 0, -1, true, true, {}, 0, 0, {"INFO: No sound outputs found"}},
        Outputs{"One", 1, 2, true, true, {}, 1, 0, {"FLASH: Sound output device = Offline output 1"}},
        Outputs{"TwoAskedAtStartup", 2, -1, true, true, {}, 2, 1, {kTwo, Ask(2, 1, 1)}},
        Outputs{"TwoNotAskedAtStartup", 2, 2, true, false, {}, 1, 2, {}},
        Outputs{
            "TwoAlwaysAskedLater", 2, 2, false, false, {"2", "0"}, 2, 1, {kTwo, Ask(1, 2, 2), Ask(2, 1, 0)}},
        Outputs{
            "ThreeSkipTheThird", 3, 1, true, false, {}, 2, 1, {"INFO: Skipping sound outputs #3+ sorry"}}),
    [](const testing::TestParamInfo<Outputs>& param) { return std::string(param.param.name); });

TEST(Engine, ReseekingIsRefusedWhileASongIsLoaded) {
    EngineRig rig(2);
    rig.Append("song440.wav", 1);
    rig.Play(1);
    rig.engine->ReseekDevices();
    EXPECT_EQ(rig.dialogs.TextsOf("INFO"), QStringList{"Cannot seek devices while playing"});
    rig.engine->StopCommand();
    rig.dialogs.ClearTranscript();
    rig.engine->ReseekDevices();
    EXPECT_EQ(rig.dialogs.TextsOf("CHOICE").size(), 1);
    rig.Play(1);
    EXPECT_EQ(rig.engine->State(), PlaybackState::Playing);
}

}  // namespace
}  // namespace sw
