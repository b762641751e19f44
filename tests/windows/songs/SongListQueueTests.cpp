#include <gtest/gtest.h>

#include <vector>

#include "SongListFixture.h"
#include "playback/audio/AudioLibrary.h"
#include "playback/audio/OfflineOutput.h"
#include "playback/PlaybackEngine.h"
#include "../../playback/QueueTestSupport.h"
#include "playback/audio/WavWriter.h"

namespace sw {
namespace {

using test::ListedSong;

/// The songs list over a real now-playing queue whose player keeps the state without sound. The
/// singles "A" to "F" are listed; "C" and "E" are bad songs.
class SongQueue : public test::SongListFixture {
protected:
    SongQueue() {
        m_list.SetQueue(&m_queue, &m_player);
        for (const auto& [title, rating] : std::vector<std::pair<QString, int>>{
                 {"A", 0}, {"B", 2}, {"C", -1}, {"D", 3}, {"E", -2}, {"F", 0}}) {
            ListedSong song;
            song.title = title;
            song.rating = rating;
            song.year = "2000";
            m_numbers[title] = AddSong(song);
        }
        m_list.ShowSingles();
        m_settings.FILTER = 99;
        m_list.SetRatingFilter(99);
    }

    /// Queue rows of songs that are not listed, "X", "Y", ..., whose files are there.
    void Prefill(const QStringList& titles) {
        if (m_elsewhere == 0) {
            m_elsewhere = AddAlbum("Elsewhere", {});
        }
        for (const QString& title : titles) {
            ListedSong song;
            song.title = title;
            song.albumId = m_elsewhere;
            song.fn = "+" + title + ".mp3";
            TSong record;
            m_library.songs.FindSongByNumber(AddSong(song), record);
            m_queue.AppendToQueue(record);
        }
    }
    QStringList Queue() const {
        QStringList titles;
        for (int row = 1; row <= m_queue.RowCount(); ++row) {
            titles << m_queue.SongAt(row)->Song().Title;
        }
        return titles;
    }
    int RowOf(const QString& title) {
        for (int row = 0; row < m_list.RowCount(); ++row) {
            if (m_list.CellText(row, SongColumn::Title) == title) {
                return row;
            }
        }
        return -1;
    }
    void Select(const QStringList& titles) {
        for (const QString& title : titles) {
            m_list.ClickRow(RowOf(title), true, false);
        }
    }

    QueueController m_queue{m_library, m_playlists};
    test::FakePlayer m_player{m_queue};
    std::map<QString, int> m_numbers;
    int m_elsewhere = 0;
};

TEST_F(SongQueue, PlayNextWithASelectionFollowsThePlayingRowInListOrder) {
    Prefill({"X", "Y", "Z"});
    m_player.Play(2);
    Select({"F", "B", "D"});
    m_list.QueueSongs(PlayScope::Selection, QueueKind::PlayNext);
    EXPECT_EQ(Queue(), (QStringList{"X", "Y", "B", "D", "F", "Z"}));
    EXPECT_EQ(m_queue.NowPlayingRow(), 2);
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());  // a selection takes its bad songs too
}

TEST_F(SongQueue, InsertWithASelectionAsksTheLineOnceAndMovesTheSongsAsOneBlock) {
    Prefill({"X", "Y", "Z", "W"});
    Select({"A", "C"});
    m_dialogs.QueueAnswer("2");
    m_list.QueueSongs(PlayScope::Selection, QueueKind::Insert);
    EXPECT_EQ(Queue(), (QStringList{"X", "A", "C", "Y", "Z", "W"}));
    EXPECT_EQ(m_dialogs.TextsOf("INPUT"), QStringList{"Enter target line number -> 2"});
    EXPECT_EQ(m_queue.TargetLine(), 2);

    m_dialogs.QueueAnswer("<cancel>");
    m_list.QueueSongs(PlayScope::Selection, QueueKind::Insert);
    EXPECT_EQ(Queue().mid(6), (QStringList{"A", "C"}));  // left at the end
}

TEST_F(SongQueue, AWholeListAsksOnceToSkipBadSongsAndOneSongNever) {
    m_list.QueueSongs(PlayScope::WholeList, QueueKind::Append);
    EXPECT_EQ(Queue(), (QStringList{"A", "B", "D", "F"}));
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Skip bad song(s)? -> Yes"});

    m_queue.ClearQueueFrom(0);
    m_dialogs.QueueAnswer("No");
    m_list.SetCurrentRow(RowOf("C"));
    m_list.QueueSongs(PlayScope::ListFromPosition, QueueKind::Append);
    EXPECT_EQ(Queue(), (QStringList{"C", "D", "E", "F"}));
    EXPECT_EQ(m_dialogs.TextsOf("ASK").size(), 2);

    m_list.QueueSongs(PlayScope::ThisSong, QueueKind::Append);
    EXPECT_EQ(Queue().last(), "C");
    EXPECT_EQ(m_dialogs.TextsOf("ASK").size(), 2);
    EXPECT_EQ(m_list.CurrentRow(), RowOf("C"));
}

TEST_F(SongQueue, SongsTheQueueHidesAsMissingAreNeitherAddedNorCounted) {
    m_catalogue.ExecSqlCommit("update song set exi = 0 where songnum = " + QString::number(m_numbers["B"]));
    m_list.Refresh();
    Prefill({"X", "Y", "Z"});
    m_queue.ToggleHideMissing();
    m_player.Play(2);
    m_list.QueueSongs(PlayScope::WholeList, QueueKind::PlayNext);  // skips the bad ones
    EXPECT_EQ(Queue(), (QStringList{"X", "Y", "A", "D", "F", "Z"}));

    m_dialogs.QueueAnswers({"No", "1"});
    m_list.SetCurrentRow(RowOf("B"));
    m_list.QueueSongs(PlayScope::ListFromPosition, QueueKind::Insert);
    EXPECT_EQ(Queue().mid(0, 4), (QStringList{"C", "D", "E", "F"}));
    EXPECT_EQ(Queue().size(), 10);
}

TEST_F(SongQueue, PlayNowAsksWhetherToInterruptWhatPlays) {
    m_list.SetCurrentRow(RowOf("D"));
    m_list.QueueSongs(PlayScope::ThisSong, QueueKind::PlayNow);  // nothing plays: no question
    EXPECT_EQ(Queue(), QStringList{"D"});
    EXPECT_EQ(m_queue.NowPlayingRow(), 1);
    EXPECT_TRUE(m_dialogs.TextsOf("CHOICE").isEmpty());

    m_dialogs.QueueAnswers({"0", "2", "1"});
    m_list.SetCurrentRow(RowOf("F"));
    m_list.QueueSongs(PlayScope::ThisSong, QueueKind::PlayNow);  // Cancel
    EXPECT_EQ(Queue().size(), 1);
    m_list.QueueSongs(PlayScope::ThisSong, QueueKind::PlayNow);  // "or Queue"
    EXPECT_EQ(Queue(), (QStringList{"D", "F"}));
    EXPECT_EQ(m_queue.NowPlayingRow(), 1);
    m_list.QueueSongs(PlayScope::ThisSong, QueueKind::PlayNow);  // "Interrupt"
    EXPECT_EQ(Queue(), (QStringList{"D", "F", "F"}));
    EXPECT_EQ(m_queue.NowPlayingRow(), 3);
    EXPECT_EQ(m_dialogs.TextsOf("CHOICE").first(),
              "Interrupt song now playing, are you sure? [Interrupt | or Queue] -> 0");

    m_list.ClickRow(0, false, false);
    m_list.QueueSongs(PlayScope::Selection, QueueKind::Append);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"No songs selected (select/unselect using CTRL+Click)"});
    EXPECT_EQ(Queue().size(), 3);
}

TEST_F(SongQueue, AnAlbumCanBeShownAndPlayedAtOnce) {
    const int album = AddAlbum("Now", {[] {
                                   ListedSong song;
                                   song.title = "Opening";
                                   song.track = 1;
                                   return song;
                               }()});
    m_list.ShowAlbumAndPlay(album);
    EXPECT_EQ(m_list.Caption(), "Songs in album \"Now\"");
    EXPECT_EQ(Queue(), QStringList{"Opening"});
    EXPECT_EQ(m_player.state, PlaybackState::Playing);
}

TEST_F(SongQueue, EditingAPlaylistFillsAnEmptiedQueueThatSavesIntoIt) {
    AddPlaylist(7, "Seven", {m_numbers["D"], m_numbers["A"], m_numbers["E"]});
    int shown = 0;
    m_list.Hooks().showQueue = [&shown] { ++shown; };
    m_list.ShowPlaylistSongs(7);
    Prefill({"X"});
    m_player.Play(1);
    m_list.EditPlaylistInQueue();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Cannot edit playlist while a song is playing"});

    m_player.StopPlayback();
    m_dialogs.QueueAnswer("No");
    m_list.EditPlaylistInQueue();
    EXPECT_EQ(Queue(), QStringList{"X"});
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Current Now-Playing list will be cleared - OK ? -> No"});

    m_list.EditPlaylistInQueue();  // Yes; the bad song "E" is the playlist's too
    EXPECT_EQ(Queue(), (QStringList{"D", "A", "E"}));
    EXPECT_EQ(m_queue.QueueSourcePlaylist().Id, 7);
    EXPECT_EQ(m_queue.Caption(), "Now playing : Playlist #7 \"Seven\"");
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(m_dialogs.TextsOf("INFO").last(), "Warning : save your changes as you go");

    m_list.ShowSingles();
    m_list.EditPlaylistInQueue();  // only for a playlist
    EXPECT_EQ(shown, 1);
}

// Editing a playlist puts every entry whose song is catalogued into the queue, whatever the list's
// filters and the queue's hide switch leave out, bad songs and songs whose file is missing
// included: saved back over the playlist, it loses only the rows dropped from the queue.
TEST_F(SongQueue, APlaylistEditedAndSavedBackKeepsItsBadAndMissingSongs) {
    ListedSong missing;
    missing.title = "Missing";
    missing.rating = 2;
    missing.exi = 0;
    missing.year = "2000";
    const int gone = AddSong(missing);
    ListedSong plus = missing;
    plus.title = "Plus";
    plus.rating = 1;
    plus.exi = 1;
    const int plusOne = AddSong(plus);
    AddPlaylist(9, "Nine", {m_numbers["A"], m_numbers["C"], gone, plusOne, m_numbers["E"], m_numbers["B"]});
    const QStringList entries = Entries(9);
    m_list.SetRatingFilter(1);
    m_list.ToggleHideMissing();
    m_queue.ToggleHideMissing();
    m_list.ShowPlaylistSongs(9);
    ASSERT_EQ(Titles(), (QStringList{"A", "B"}));

    m_dialogs.ClearTranscript();
    m_list.EditPlaylistInQueue();
    EXPECT_EQ(Queue(), (QStringList{"A", "C", "Missing", "Plus", "E", "B"}));
    EXPECT_FALSE(m_dialogs.Transcript().join('\n').contains("Skip bad song(s)?"));

    m_dialogs.QueueAnswers({"1", "1"});  // update the existing playlist, overwriting it
    ASSERT_TRUE(m_queue.SaveQueueAsPlaylist());
    EXPECT_EQ(Entries(9), entries);

    m_queue.SetSelection(2, 2, 2);
    m_queue.DropSelectedRows();
    m_dialogs.QueueAnswers({"1", "1"});
    ASSERT_TRUE(m_queue.SaveQueueAsPlaylist());
    EXPECT_EQ(Entries(9).size(), entries.size() - 1);
    EXPECT_FALSE(Entries(9).join(' ').contains(":" + QString::number(m_numbers["C"])));
}

TEST_F(SongQueue, TheDurationsFixStoresWhatDiffersMeasuringEachSongOnce) {
    QStringList measured;
    m_list.SetDurationMeasure([&measured](const QString& path) {
        measured << path;
        return path.endsWith(QString::number(3) + ".mp3") ? -1 : 187;
    });
    m_catalogue.ExecSqlCommit("update song set duration = 187 where songnum = " +
                              QString::number(m_numbers["A"]));
    AddPlaylist(8, "Twice", {m_numbers["A"], m_numbers["B"], m_numbers["A"], m_numbers["C"]});
    m_list.ShowPlaylistSongs(8);
    m_list.FixDurations();
    EXPECT_EQ(measured.size(), 3);
    EXPECT_EQ(Column(SongColumn::Duration), (QStringList{"03:07", "03:07", "03:07", "00:00"}));
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty());

    m_list.FixDurations();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"These durations already all ok"});
    m_player.state = PlaybackState::Paused;
    m_list.FixDurations();
    EXPECT_EQ(m_dialogs.TextsOf("INFO").last(), "Durations cannot be set while a song is playing");
    EXPECT_EQ(measured.size(), 6);
}

TEST_F(SongQueue, TheLastLoadRunIsMeasuredOnceWhenItLoadedSongsWithoutALength) {
    int measures = 0;
    m_list.SetDurationMeasure([&measures](const QString&) { return ++measures, 200; });
    m_settings.LastLoadedTS = StampToDateTime({{2024, 5, 9}, {8, 30, 0}});
    m_catalogue.ExecSqlCommit("update song set searchts = '2024-05-09 08:30:00' where songnum = " +
                              QString::number(m_numbers["B"]));
    m_library.songs.loadedWithoutDuration = true;
    m_list.ShowLastLoaded();
    EXPECT_EQ(measures, 1);
    EXPECT_EQ(Column(SongColumn::Duration), QStringList{"03:20"});
    EXPECT_FALSE(m_library.songs.loadedWithoutDuration);
    m_list.ShowLastLoaded();
    EXPECT_EQ(measures, 1);
}

TEST_F(SongQueue, TheEnginesMeasureOpensTheFileAndSaysWhenItCannot) {
    AudioLibrary audio(std::make_unique<OfflineOutput>());
    PlaybackEngine engine(audio, m_queue, m_settings, m_clock);
    engine.InitAudio(true);
    m_dialogs.ClearTranscript();
    m_list.SetDurationMeasure([&engine](const QString& path) { return engine.MeasureFileSeconds(path); });
    {
        WavWriter wav(m_music.filePath("two.wav"));
        const std::vector<float> silence(2 * 44100 * 2 + 2 * 20000, 0.0f);  // 2.45 s
        wav.Append(silence.data(), static_cast<qint64>(silence.size() / 2));
        wav.Commit();
    }
    ListedSong two;
    two.title = "Two";
    two.fn = "two.wav";
    two.year = "2001";
    AddSong(two);
    m_list.Refresh();
    m_list.FixDurations();
    EXPECT_EQ(Column(SongColumn::Duration).last(), "00:02");
    const QStringList errors = m_dialogs.TextsOf("INFO");
    EXPECT_EQ(errors.size(), 6) << errors.join("\n").toStdString();  // six singles name no file
    EXPECT_TRUE(errors.first().startsWith("BASS_StreamCreateFile - BASS error "))
        << errors.first().toStdString();
}

}  // namespace
}  // namespace sw
