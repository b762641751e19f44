#include <gtest/gtest.h>

#include "PlaylistTestSupport.h"

namespace sw {
namespace {

using test::ByName;

class PlaylistOps : public test::PlaybackFixture {};

struct SeqCase {
    std::string name;
    QList<int> seqs;
    int expected;
};

class NextSeq : public PlaylistOps, public ::testing::WithParamInterface<SeqCase> {};

TEST_P(NextSeq, IsTheHighestSeqOfThatPlaylistPlusOne) {
    MakePlaylist(4, "Measured", GetParam().seqs);
    MakePlaylist(5, "Other", {1, 2, 3, 40});
    EXPECT_EQ(m_playlists.NextPlaylistSeq(4), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Playlists, NextSeq,
                         ::testing::Values(SeqCase{"Empty", {}, 1}, SeqCase{"OneTwoSeven", {1, 2, 7}, 8},
                                           SeqCase{"Unordered", {9, 3}, 10}),
                         ByName());

TEST_F(PlaylistOps, AddingASongTwiceAsksAndAppendsWithTheNextSeq) {
    MakePlaylist(3, "Target", {1, 5});
    EXPECT_EQ(m_playlists.PlaylistMenuCaption('A'), "Add to playlist");
    m_shared.TargetPlaylist = {3, "Target"};
    EXPECT_EQ(m_playlists.PlaylistMenuCaption('S'), "Select another playlist");
    TSong song;
    song.SongNum = 42;

    EXPECT_TRUE(m_playlists.AddSongToTargetPlaylist(song));
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Added OK"});

    m_dialogs.QueueAnswer("No");
    EXPECT_FALSE(m_playlists.AddSongToTargetPlaylist(song));
    m_dialogs.QueueAnswer("Yes");
    EXPECT_TRUE(m_playlists.AddSongToTargetPlaylist(song));
    m_catalogue.CommitAndContinue();

    EXPECT_EQ(m_dialogs.TextsOf("ASK"),
              (QStringList{"Song is already in this playlist - add it again ? -> No",
                           "Song is already in this playlist - add it again ? -> Yes"}));
    EXPECT_EQ(Entries(3), (QStringList{"1:101", "5:105", "6:42", "7:42"}));
}

struct NameCase {
    std::string name;
    QString typed;
    QString stored;
};

class PlaylistNames : public PlaylistOps, public ::testing::WithParamInterface<NameCase> {};

TEST_P(PlaylistNames, AreStoredAndFoundAsTyped) {
    m_clock.SetLocalNow(StampToDateTime({{2009, 3, 1}, {9, 5, 3}}));
    m_dialogs.QueueAnswer(GetParam().typed);
    ASSERT_TRUE(m_playlists.AskNewPlaylist());
    EXPECT_EQ(m_shared.TargetPlaylist.Id, 1);
    EXPECT_EQ(m_shared.TargetPlaylist.Name, GetParam().stored);

    const RowSet rows = m_catalogue.Select("select plid, plname, pldate from plist");
    ASSERT_EQ(rows.RowCount(), 1);
    EXPECT_EQ(rows.Text("PLNAME"), GetParam().stored);
    EXPECT_EQ(rows.Int("PLDATE"), 20090301);

    m_shared.TargetPlaylist = {};
    ASSERT_TRUE(m_playlists.FindPlaylistByName(GetParam().stored));
    EXPECT_EQ(m_shared.TargetPlaylist.Id, 1);

    // The same name again makes the existing playlist the target and adds nothing.
    m_shared.TargetPlaylist = {};
    EXPECT_TRUE(m_playlists.CreatePlaylistNamed(GetParam().typed));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"A playlist with this name already exists"});
    EXPECT_EQ(m_shared.TargetPlaylist.Id, 1);
    EXPECT_EQ(CountRows("select count(*) as ct from plist"), 1);
}

INSTANTIATE_TEST_SUITE_P(Playlists, PlaylistNames,
                         ::testing::Values(NameCase{"Apostrophe", "Mum's mix", "Mum's mix"},
                                           NameCase{"ApostrophesInARow", "It'''s", "It'''s"},
                                           NameCase{"QuotesAndNonAscii", "\"Café\" & Москва 🎵",
                                                    "\"Café\" & Москва 🎵"},
                                           NameCase{"Empty", "", ""}),
                         ByName());

TEST_F(PlaylistOps, ALongNameIsCutToTheColumnAndFoundAgainUnderTheSameName) {
    // 44 characters, one of them outside the basic plane: the cut keeps it whole.
    const QString typed = QString(39, 'x') + "🎵" + "tail";
    const QString stored = QString(39, 'x') + "🎵";
    EXPECT_TRUE(m_playlists.CreatePlaylistNamed(typed));
    EXPECT_EQ(m_shared.TargetPlaylist.Name, stored);
    EXPECT_EQ(m_catalogue.Select("select plname from plist").Text("PLNAME"), stored);
    EXPECT_TRUE(m_playlists.CreatePlaylistNamed(typed));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"A playlist with this name already exists"});
    EXPECT_EQ(CountRows("select count(*) as ct from plist"), 1);
}

struct RemoveCase {
    std::string name;
    char mode;
    QList<int> seqs;
    QString answer;
    QString shown;  // "ASK: ..." or "INFO: ..."
    bool result;
    int playlistRowsAfter;
    int entriesAfter;
};

class RemovePlaylist : public PlaylistOps, public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemovePlaylist, AsksWithTheSongCountAndCommits) {
    const RemoveCase& c = GetParam();
    MakePlaylist(7, "Old", c.seqs);
    MakePlaylist(8, "Kept", {1});
    m_dialogs.QueueAnswer(c.answer);
    const bool result = c.mode == 'D' ? m_playlists.DeletePlaylist(7) : m_playlists.ClearPlaylist(7);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(m_dialogs.Transcript(), QStringList{c.shown});

    // What was done is committed: another connection sees it.
    Catalogue other;
    m_file.Open(other);
    EXPECT_EQ(other.Select("select count(*) as ct from plist where plid = 7").Int("CT"), c.playlistRowsAfter);
    EXPECT_EQ(other.Select("select count(*) as ct from songinpl where plid = 7").Int("CT"), c.entriesAfter);
    EXPECT_EQ(other.Select("select count(*) as ct from songinpl where plid = 8").Int("CT"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Playlists, RemovePlaylist,
    ::testing::Values(
        RemoveCase{"DeleteEmpty", 'D', {}, "Yes", "ASK: Delete empty playlist #7 - OK ? -> Yes", true, 0, 0},
        RemoveCase{
            "DeleteEmptyRefused", 'D', {}, "No", "ASK: Delete empty playlist #7 - OK ? -> No", false, 1, 0},
        RemoveCase{"Delete",
                   'D',
                   {1, 2, 3},
                   "Yes",
                   "ASK: Playlist has 3 song(s), do you really want to delete it ? -> Yes",
                   true,
                   0,
                   0},
        RemoveCase{"DeleteRefused",
                   'D',
                   {1, 2, 3},
                   "No",
                   "ASK: Playlist has 3 song(s), do you really want to delete it ? -> No",
                   false,
                   1,
                   3},
        RemoveCase{"Clear",
                   'C',
                   {1, 2},
                   "Yes",
                   "ASK: Playlist has 2 song(s), do you really want to clear it ? -> Yes",
                   true,
                   1,
                   0},
        RemoveCase{"ClearEmpty", 'C', {}, "Yes", "INFO: Playlist is already empty", false, 1, 0}),
    ByName());

TEST_F(PlaylistOps, DroppingAnEntryRemovesEveryEntryAtThatSeq) {
    MakePlaylist(4, "Dups", {1, 2, 2, 3});
    m_dialogs.QueueAnswers({"No", "Yes"});
    EXPECT_FALSE(m_playlists.DropPlaylistEntry(4, 2));
    EXPECT_TRUE(m_playlists.DropPlaylistEntry(4, 2));
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), (QStringList{"OK to drop song at seq 2 from playlist #4 ? -> No",
                                                     "OK to drop song at seq 2 from playlist #4 ? -> Yes"}));
    EXPECT_EQ(Entries(4), (QStringList{"1:101", "3:103"}));
}

struct PlayCase {
    std::string name;
    Stamp at;
    double extraMs;
    int pldate;
    int pltime;
    QString ts;
};

class RecordPlay : public PlaylistOps, public ::testing::WithParamInterface<PlayCase> {};

TEST_P(RecordPlay, WritesOneRowWhoseDateAndTimeAgreeWithItsStamp) {
    const PlayCase& c = GetParam();
    m_clock.SetLocalNow(StampToDateTime(c.at));
    m_clock.Advance(static_cast<qint64>(c.extraMs));
    TSong song;
    song.SongNum = 77;
    m_history.RecordPlay(song);
    m_catalogue.CommitAndContinue();

    const RowSet rows = m_catalogue.Select("select songnum, ts, pldate, pltime from history");
    ASSERT_EQ(rows.RowCount(), 1);
    EXPECT_EQ(rows.Int("SONGNUM"), 77);
    EXPECT_EQ(rows.Int("PLDATE"), c.pldate);
    EXPECT_EQ(rows.Int("PLTIME"), c.pltime);
    EXPECT_EQ(FormatDateTime(1, rows.DateTime("TS")), c.ts);
}

INSTANTIATE_TEST_SUITE_P(
    History, RecordPlay,
    ::testing::Values(
        PlayCase{"Morning", {{2009, 3, 1}, {9, 5, 3}}, 0, 20090301, 90503, "2009-03-01 09:05:03"},
        // Rounded once, so the carry into the next day reaches the date as well.
        PlayCase{"LastHalfSecond", {{2009, 3, 1}, {23, 59, 59}}, 600, 20090302, 0, "2009-03-02 00:00:00"}),
    ByName());

// A play is kept however the program ends after it: its row is durable before RecordPlay returns,
// even when what the transaction holds besides is undone afterwards.
TEST_F(PlaylistOps, APlayIsCommittedAsItIsWritten) {
    m_clock.SetLocalNow(StampToDateTime({{2024, 5, 1}, {10, 0, 0}}));
    m_catalogue.ExecSql("insert into plist (plid, plname, pldate) values (8, 'Under way', 20240101)");
    TSong song;
    song.SongNum = 77;
    m_history.RecordPlay(song);
    Catalogue other;
    other.Open(m_catalogue.Path());
    EXPECT_EQ(other.Select("select count(*) as ct from history where songnum = 77").Int("CT"), 1);
    other.CloseCatalogue();

    m_history.RecordPlay(song);
    m_catalogue.ExecSql("delete from plist where plid = 8");
    m_catalogue.Rollback();
    EXPECT_EQ(CountRows("select count(*) as ct from history where songnum = 77"), 2);
}

}  // namespace
}  // namespace sw
