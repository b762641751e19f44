#include "LibraryFixture.h"
#include "core/SongRemoval.h"

namespace sw {
namespace {

class Removal : public test::LibraryFixture {
protected:
    Removal() {
        m_path = MakeFile("Rock/big.mp3", 5'300'000);
        m_song = NewSong("Rock/big.mp3", "Big", "A", "Album");
        m_library.songs.SaveSong(m_song);
        const QString n = QString::number(m_song.SongNum);
        m_catalogue.ExecSql("insert into songinpl (plid, seq, songnum) values (1, 1, " + n + ")");
        m_catalogue.ExecSql("insert into history (songnum, ts) values (" + n + ", current_timestamp)");
        m_catalogue.CommitAndContinue();
        m_settings.DBSIZE = 1234;
        m_library.size.InitJukeboxSize();
    }

    QString m_path;
    TSong m_song;
};

TEST_F(Removal, DeletingTheFileKeepsTheSongMarkedMissing) {
    EXPECT_TRUE(RemoveSongAction(m_library, m_song.SongNum, RemoveAction::DeleteFile));
    EXPECT_FALSE(QFile::exists(m_path));
    EXPECT_EQ(m_library.size.Total(), 1'234'000'000 - 5'300'000);
    EXPECT_EQ(JukeboxSize::Megabytes(m_library.size.Removed()), "-5 MB");
    EXPECT_EQ(m_settings.DBSIZE, 1228);
    EXPECT_EQ(Count("select count(*) as ct from song where exi = 0 and \"size\" = 0"), 1);
    EXPECT_EQ(Count("select count(*) as ct from songinpl"), 1);
    EXPECT_EQ(Count("select count(*) as ct from history"), 1);
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{m_path + "\\nDelete file  - are you sure ? -> Yes"});
}

TEST_F(Removal, DeleteAndRemoveDropsPlaylistEntriesButNotHistory) {
    EXPECT_TRUE(RemoveSongAction(m_library, m_song.SongNum, RemoveAction::DeleteAndRemove));
    EXPECT_EQ(Count("select count(*) as ct from song"), 0);
    EXPECT_EQ(Count("select count(*) as ct from songinpl"), 0);
    EXPECT_EQ(Count("select count(*) as ct from history"), 1);
    EXPECT_EQ(m_dialogs.TextsOf("ASK").front(),
              m_path + "\\nDelete file & remove song from database  - are you sure ? -> Yes");
}

TEST_F(Removal, RemovingFromTheCatalogueKeepsTheFileAndTheSize) {
    EXPECT_TRUE(RemoveSongAction(m_library, m_song.SongNum, RemoveAction::RemoveSong));
    EXPECT_TRUE(QFile::exists(m_path));
    EXPECT_EQ(m_library.size.Total(), 1'234'000'000);
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Remove song from database ? -> Yes"});
}

TEST_F(Removal, NoAnswerAndReadOnlyChangeNothing) {
    for (const auto action :
         {RemoveAction::DeleteFile, RemoveAction::RemoveSong, RemoveAction::DeleteAndRemove}) {
        m_dialogs.QueueAnswer("No");
        EXPECT_FALSE(RemoveSongAction(m_library, m_song.SongNum, action));
    }
    m_settings.READONLY = true;
    EXPECT_FALSE(RemoveSongAction(m_library, m_song.SongNum, RemoveAction::DeleteAndRemove));
    EXPECT_TRUE(QFile::exists(m_path));
    EXPECT_EQ(Count("select count(*) as ct from song"), 1);
    EXPECT_EQ(m_library.size.Total(), 1'234'000'000);
    EXPECT_FALSE(RemoveSongAction(m_library, 999, RemoveAction::DeleteFile));
}

TEST_F(Removal, AFileTheSystemWillNotDeleteIsReported) {
    QFile::remove(m_path);
    QDir().mkpath(m_path);  // a folder in its place cannot be unlinked as a file
    EXPECT_FALSE(DeleteSongFile(m_library, m_song.SongNum, false));
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").front().startsWith("Delete " + m_path + "\\nError 21 "));
    EXPECT_EQ(Count("select count(*) as ct from song where exi = 1"), 1);
}

TEST_F(Removal, RecheckLearnsThatAFileVanishedOrCameBack) {
    TSong song;
    m_library.songs.FindSongByNumber(m_song.SongNum, song);
    QFile::rename(m_path, m_path + ".away");
    RecheckSongFile(m_library, song);
    EXPECT_EQ(Count("select count(*) as ct from song where exi = 0"), 1);
    EXPECT_EQ(m_library.size.Total(), 1'234'000'000 - 5'300'000);
    QFile::rename(m_path + ".away", m_path);
    RecheckSongFile(m_library, song);
    EXPECT_EQ(Count("select count(*) as ct from song where exi = 1"), 1);
    EXPECT_EQ(m_library.size.Total(), 1'234'000'000);
    EXPECT_FALSE(song.Exi == false);
}

TEST_F(Removal, AFileThatCameBackCountsWithItsRealSize) {
    // The stored size stops at 2 GiB; a 3 GiB file that is there again adds its real size.
    QFile big(m_path);
    ASSERT_TRUE(big.resize(3LL << 30));
    m_catalogue.ExecSqlCommit("update song set exi = 0");
    TSong song;
    m_library.songs.FindSongByNumber(m_song.SongNum, song);
    RecheckSongFile(m_library, song);
    EXPECT_EQ(m_library.size.Total(), 1'234'000'000 + (3LL << 30));
}

TEST_F(Removal, SizeCaptionAndTotalsFollowEveryChange) {
    int repaints = 0;
    m_library.size.SetDisplay([&] { ++repaints; });
    EXPECT_EQ(m_library.size.Caption(), "Jukebox size now (approximate)");
    EXPECT_EQ(JukeboxSize::Megabytes(m_library.size.Total()), "1,234 MB");
    m_library.size.AdjustJukeboxSize(3'500'000);
    EXPECT_EQ(JukeboxSize::Megabytes(m_library.size.Total()), "1,237 MB");
    EXPECT_EQ(m_settings.DBSIZE, 1237);
    m_library.size.AdjustJukeboxSize(0);
    EXPECT_EQ(m_library.size.Added(), 3'500'000);
    EXPECT_EQ(m_library.size.Removed(), 0);
    EXPECT_EQ(repaints, 2);
    m_library.size.SetJukeboxSizeExact(42'000'000);
    EXPECT_EQ(m_library.size.Caption(), "Jukebox size now (exact)");
    EXPECT_EQ(m_settings.DBSIZE, 42);

    m_song.Duration = 321;
    SetSongDuration(m_catalogue, m_song);
    EXPECT_EQ(Count("select duration as ct from song"), 321);
}

}  // namespace
}  // namespace sw
