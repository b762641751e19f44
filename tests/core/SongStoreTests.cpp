#include "LibraryFixture.h"
#include "core/Query.h"

namespace sw {
namespace {

using SongStoreTest = test::LibraryFixture;

TEST_F(SongStoreTest, SavingInsertsOnceThenUpdatesTheSameRow) {
    MakeFile("Rock/a.mp3", 1234);
    TSong song = NewSong("Rock/a.mp3", "Song A", "Artist", "Album");
    song.Duration = 0;
    song.Year = "99  ";
    m_library.songs.SaveSong(song);
    EXPECT_EQ(song.SongNum, 1);
    EXPECT_GT(song.CreateTs, 0);
    EXPECT_EQ(song.Size, 1234);
    EXPECT_EQ(song.Year, "99");
    EXPECT_TRUE(m_library.songs.loadedWithoutDuration);
    const TDateTime created = song.CreateTs;

    song.Duration = 185;
    song.Title = "Song A (live)";
    m_library.songs.SaveSong(song);
    EXPECT_EQ(song.SongNum, 1);
    EXPECT_EQ(Count("select count(*) as ct from song"), 1);

    // An update with an unknown duration keeps the stored one.
    song.Duration = 0;
    m_library.songs.SaveSong(song);
    TSong back;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(1, back));
    EXPECT_EQ(back.Duration, 185);
    EXPECT_EQ(back.Title, "Song A (live)");
    EXPECT_EQ(back.AlbumName, "Album");
    EXPECT_EQ(back.ArtistName, "Artist");
    EXPECT_EQ(back.Year, "99");
    EXPECT_EQ(back.FileType, "MP3");
    EXPECT_EQ(back.FullPath, m_settings.Root + "Rock/a.mp3");
    EXPECT_TRUE(back.FileFound);
    EXPECT_TRUE(back.Exi);
    EXPECT_GT(back.FileDate, 0);
    EXPECT_NEAR(back.CreateTs, created, 1e-8);
    EXPECT_EQ(back.GenreId, 255);
}

TEST_F(SongStoreTest, ANewRowForAMissingFileKeepsANullSize) {
    TSong song = NewSong("gone.mp3", "Gone", "Artist", "");
    song.Duration = 10;
    m_library.songs.SaveSong(song);
    EXPECT_EQ(song.AlbumId, 0);
    EXPECT_EQ(Count("select count(*) as ct from song where \"size\" is null and exi = 0"), 1);
    EXPECT_FALSE(m_library.songs.loadedWithoutDuration);
}

TEST_F(SongStoreTest, FileLookupPrefersTheExactNameAndAsksAboutDuplicates) {
    MakeFile("Rock/a.mp3");
    MakeFile("Rock/A.mp3");  // a second file: names differing in letter case are two files
    TSong song = NewSong("Rock/a.mp3", "A", "Artist", "");
    m_library.songs.SaveSong(song);

    TSong found;
    EXPECT_EQ(m_library.songs.FindSongByFileName(m_settings.Root + "Rock/a.mp3", found), 1);
    EXPECT_EQ(found.SongNum, 1);
    EXPECT_EQ(m_library.songs.FindSongByFileName(m_settings.Root + "Rock/A.mp3", found), 0);
    EXPECT_EQ(m_library.songs.SongNumForFile(m_settings.Root + "Rock/A.mp3"), 0);
    EXPECT_EQ(m_library.songs.SongNumForFile(m_settings.Root + "rock/b.mp3"), 0);
    // The root is stripped only in its own spelling.
    EXPECT_EQ(m_library.songs.SongNumForFile(m_settings.Root.toUpper() + "Rock/a.mp3"), 0);

    TSong twin = NewSong("Rock/a.mp3", "A twin", "Artist", "");
    m_library.songs.SaveSong(twin);
    m_dialogs.QueueAnswer("Cancel");
    EXPECT_EQ(m_library.songs.FindSongByFileName(m_settings.Root + "Rock/a.mp3", found), 2);
    EXPECT_TRUE(m_library.songs.loadCancel);
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"\"Rock/a.mp3\" - duplicates found -> Cancel"});
}

TEST_F(SongStoreTest, AnotherSpellingCountsOnlyWhenItsFileIsGone) {
    // Stored lower-cased by the previous edition, or before a folder was renamed in letter case.
    MakeFile("Folk/Song.mp3");
    m_catalogue.ExecSqlCommit("insert into song (songnum, fn, title) values (3, 'folk/song.mp3', 'Kept')");
    TSong found;
    EXPECT_EQ(m_library.songs.FindSongByFileName(m_settings.Root + "Folk/Song.mp3", found), 1);
    EXPECT_EQ(found.SongNum, 3);
    EXPECT_EQ(found.FileName, "folk/song.mp3");
    EXPECT_EQ(m_library.songs.SongNumForFile(m_settings.Root + "Folk/Song.mp3"), 3);
    // "Skip if already loaded" counts the exact name only, so the file is loaded and re-linked.
    EXPECT_EQ(m_library.songs.SongNumForExactFile(m_settings.Root + "Folk/Song.mp3"), 0);
    EXPECT_EQ(m_library.songs.SongNumForExactFile(m_settings.Root + "folk/song.mp3"), 3);

    // Once the stored spelling names a file again, it is that file's song, not this one's.
    MakeFile("folk/song.mp3");
    EXPECT_EQ(m_library.songs.FindSongByFileName(m_settings.Root + "Folk/Song.mp3", found), 0);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

TEST_F(SongStoreTest, SizesBeyondTheColumnStopAtItsLargestAndEmptyFilesStoreZero) {
    const QString big = MakeFile("big.wav", 0);
    QFile sparse(big);
    ASSERT_TRUE(sparse.resize(3LL << 30));  // 3 GiB, sparse: no disk space used
    MakeFile("empty.mp3", 0);
    TSong large = NewSong("big.wav", "Big", "A", "");
    TSong empty = NewSong("empty.mp3", "Empty", "A", "");
    m_library.songs.SaveSong(large);
    m_library.songs.SaveSong(empty);
    EXPECT_EQ(large.Size, 2147483647);
    EXPECT_EQ(Count("select count(*) as ct from song where \"size\" = 2147483647"), 1);
    EXPECT_EQ(Count("select count(*) as ct from song where \"size\" = 0"), 1);

    // A size left null by an earlier save becomes 0 once the empty file is seen.
    m_catalogue.ExecSqlCommit("update song set \"size\" = null where songnum = " +
                              QString::number(empty.SongNum));
    m_library.songs.SaveSong(empty);
    EXPECT_EQ(Count("select count(*) as ct from song where \"size\" is null"), 0);
}

TEST_F(SongStoreTest, DetailsLookupMatchesAlbumArtistTitleAndTrack) {
    TSong song = NewSong("x/1.mp3", "Jóga", "Björk", "Homogenic");
    song.Track = 2;
    m_library.songs.SaveSong(song);
    TSong untitled = NewSong("x/2.mp3", "", "Björk", "Homogenic");
    untitled.Track = 3;
    m_library.songs.SaveSong(untitled);

    TSong wanted = NewSong("elsewhere/1.mp3", "JÓGA", "Björk", "Homogenic");
    wanted.AlbumId = song.AlbumId;
    wanted.Track = 2;
    ASSERT_TRUE(m_library.songs.FindSongByDetails(wanted));
    EXPECT_EQ(wanted.SongNum, song.SongNum);
    EXPECT_EQ(wanted.FileName, "x/1.mp3");

    TSong noTitle = NewSong("y.mp3", "", "Björk", "Homogenic");
    noTitle.AlbumId = song.AlbumId;
    noTitle.Track = 3;
    ASSERT_TRUE(m_library.songs.FindSongByDetails(noTitle));
    EXPECT_EQ(noTitle.SongNum, untitled.SongNum);

    TSong otherTrack = wanted;
    otherTrack.Track = 9;
    otherTrack.FileName = "unchanged";
    EXPECT_FALSE(m_library.songs.FindSongByDetails(otherTrack));
    EXPECT_EQ(otherTrack.FileName, "unchanged");

    TSong copy = NewSong("x/copy.mp3", "Jóga", "Björk", "Homogenic");
    copy.Track = 2;
    m_library.songs.SaveSong(copy);
    TSong again = wanted;
    again.Title = "Jóga";
    ASSERT_TRUE(m_library.songs.FindSongByDetails(again));
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
    EXPECT_TRUE(
        m_dialogs.TextsOf("INFO").front().endsWith(">1 instance of album/artist/title combi found on db"));
}

TEST_F(SongStoreTest, RowsAreReadWithTheirRulesAndMessages) {
    m_catalogue.ExecSqlCommit(
        "insert into song (songnum, rating, track, genreid, fn, \"comment\", \"year\", exi) values "
        "(5, 7, 300, null, 'E:\\old\\b.ogg', 'from 2:05.50 live', '1999', 1)");
    m_catalogue.ExecSqlCommit("insert into song (songnum, rating, fn) values (6, -2, 'c.mp3')");
    TSong song;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(5, song));
    EXPECT_EQ(song.Rating, 0);
    EXPECT_EQ(song.Track, 300 & 0xFF);
    EXPECT_EQ(song.GenreId, 0);
    EXPECT_EQ(song.FullPath, m_settings.Root + "E:\\old\\b.ogg");
    EXPECT_EQ(song.FileType, "OGG");
    EXPECT_EQ(song.StartFrom, 12550);
    EXPECT_TRUE(song.Exi);
    EXPECT_FALSE(song.FileFound);
    EXPECT_EQ(song.FileDate, 0);
    ASSERT_TRUE(m_library.songs.FindSongByNumber(6, song));
    EXPECT_EQ(song.Rating, -2);

    EXPECT_FALSE(m_library.songs.FindSongByNumber(0, song));
    EXPECT_FALSE(m_library.songs.GetSongByNumber(0, song));
    EXPECT_FALSE(m_library.songs.GetSongByNumber(42, song));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Song #42 not found"});
    EXPECT_EQ(m_library.songs.LoadSongObj(42), nullptr);
    auto object = m_library.songs.LoadSongObj(6);
    ASSERT_NE(object, nullptr);
    m_catalogue.ExecSqlCommit("update song set rating = 3 where songnum = 6");
    EXPECT_TRUE(m_library.songs.RefreshSongObj(object.get()));
    EXPECT_EQ(object->Song().Rating, 3);
    EXPECT_FALSE(m_library.songs.RefreshSongObj(nullptr));
}

TEST_F(SongStoreTest, ExiFollowsTheFile) {
    const QString path = MakeFile("here.mp3");
    TSong song = NewSong("here.mp3", "Here", "A", "");
    m_library.songs.SaveSong(song);
    m_library.songs.FindSongByNumber(song.SongNum, song);
    QFile::remove(path);
    m_library.songs.RefreshExi(song);
    EXPECT_FALSE(song.Exi);
    EXPECT_EQ(Count("select count(*) as ct from song where exi = 0"), 1);
}

TEST_F(SongStoreTest, GenreNamesComeFromTheList) {
    m_catalogue.ExecSqlCommit("insert into genre (genreid, gname) values (17, 'Rock')");
    QString name = "stale";
    EXPECT_TRUE(m_library.songs.GenreNameById(17, name));
    EXPECT_EQ(name, "Rock");
    EXPECT_FALSE(m_library.songs.GenreNameById(18, name));
    EXPECT_EQ(name, "");
    EXPECT_FALSE(m_library.songs.GenreNameById(-1, name));
}

}  // namespace
}  // namespace sw
