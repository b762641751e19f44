// The refresh of the queue: every song read again from the catalogue, with the names the song
// query joins to it.
#include <gtest/gtest.h>

#include <unordered_map>

#include "QueueTestSupport.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

TEST(QueueRefresh, RereadsEverySongAndDropsTheOnesThatWent) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    test::QueueRig rig(true);
    rig.Fill(4);
    rig.queue.AppendToQueue(2);
    rig.player.Play(3);
    rig.catalogue.ExecSqlCommit("update song set title = 'Renamed' where songnum = 2");
    rig.catalogue.ExecSqlCommit("delete from song where songnum = 1");
    QFile::remove(rig.queue.SongAt(4)->Song().FullPath);
    rig.queue.SetCursor(5);
    rig.queue.RefreshCommand(true);
    EXPECT_EQ(dialogs.TextsOf("INFO"), QStringList{"Song #1 not found"});
    EXPECT_EQ(rig.Order(), (std::vector<int>{2, 3, 4, 2}));
    EXPECT_EQ(rig.Column(QueueColumn::Title), (QStringList{"Renamed", "Song 3", "Song 4", "Renamed"}));
    EXPECT_EQ(rig.Column(QueueColumn::Wng), (QStringList{"", "", "!", ""}));
    EXPECT_EQ(rig.Column(QueueColumn::Seq), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(rig.queue.NowPlayingRow(), 2);
    EXPECT_EQ(rig.queue.Cell(2, QueueColumn::Now), ">>");
    EXPECT_EQ(rig.queue.Cursor(), 4);  // it follows its row past the dropped one
    EXPECT_EQ(rig.player.suspends, 1);
    EXPECT_EQ(rig.player.resumes, 1);

    rig.queue.ToggleHideMissing();  // song 4's file is gone
    EXPECT_EQ(rig.Order(), (std::vector<int>{2, 3, 2}));

    // Songs far apart in number are read as well as neighbours are.
    for (const int number : {1000, 2000, 30000}) {
        rig.catalogue.ExecSql(
            QString("insert into song (songnum, fn, title, exi) values (%1, '%2', 'Far %1', 1)")
                .arg(number)
                .arg(rig.queue.SongAt(1)->Song().FileName));
        EXPECT_GT(rig.queue.AppendToQueue(number), 0);
    }
    rig.catalogue.ExecSqlCommit("update song set title = 'Farther' where songnum = 2000");
    rig.queue.RefreshCommand(true);
    EXPECT_EQ(rig.Order(), (std::vector<int>{2, 3, 2, 1000, 2000, 30000}));
    EXPECT_EQ(rig.queue.Cell(5, QueueColumn::Title), "Farther");
}

}  // namespace
}  // namespace sw

namespace sw {
namespace {

/// A record as the queue shows and plays it, every field but the file's date.
QStringList RecordFields(const TSong& song) {
    QStringList fields{song.FullPath,  song.FileName, song.FileType, song.Title,    song.ArtistName,
                       song.AlbumName, song.Year,     song.Comment,  song.GenreName};
    for (const double number :
         {double(song.SongNum), double(song.ArtistId), double(song.AlbumId), double(song.Track),
          double(song.GenreId), double(song.Rating), song.SearchTs, song.CreateTs, song.EditTs,
          double(song.Size), double(song.Duration), double(song.StartFrom), double(song.Exi),
          double(song.FileFound), double(song.TagSource)}) {
        fields << QString::number(number, 'g', 17);
    }
    return fields;
}

/// The song read with its names by the song query's joins, the last of its rows winning, as the
/// refresh read it before the names were read apart.
QStringList JoinedRecord(test::QueueRig& rig, int number) {
    RowSet rows = rig.catalogue.Select(kSongQuery + "\nwhere s.songnum = " + QString::number(number));
    TSong song;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        rig.library.songs.FillSongFromRow(rows, song);
    }
    return rows.RowCount() > 0 ? RecordFields(song) : QStringList{};
}

// Songs of albums, artists and genres with and without rows, an artist id two rows carry, null
// ids, neighbours and far-apart numbers: each record read in the refresh's few queries is the one
// the joins of the song query give.
TEST(QueueRefresh, ReadsEachSongWithTheNamesTheSongQueryJoinsToIt) {
    test::QueueRig rig(true);
    for (int number = 1; number <= 12; ++number) {
        rig.Song(number, number % 5 != 0);
    }
    for (const int number : {40, 41, 45, 900, 5000}) {
        rig.catalogue.ExecSql(QString("insert into song (songnum, fn, title, exi) values (%1, 'far%1.mp3', "
                                      "'Far %1', 1)")
                                  .arg(number));
    }
    for (const char* row :
         {"album (albumid, alname) values (7, 'Seven')", "album (albumid, alname) values (8, null)",
          "artist (artistid, arname) values (30, 'Thirty')", "artist (artistid, arname) values (31, 'Twin')",
          "artist (artistid, arname) values (31, 'Twin')",
          "artist (artistid, arname) values (32, 'Pair one')",
          "artist (artistid, arname) values (32, 'Pair two')", "genre (genreid, gname) values (12, 'Twelve')",
          "genre (genreid, gname) values (13, null)"}) {
        rig.catalogue.ExecSql(QString("insert into ") + row);
    }
    const std::vector<std::pair<QString, QString>> details{
        {"albumid = 7, artistid = 30, genreid = 12", "1, 2, 3, 40"},
        {"albumid = 8, artistid = 31, genreid = 13", "4, 900"},
        {"albumid = 99, artistid = 98, genreid = 97", "5, 41"},
        {"albumid = null, artistid = null, genreid = null", "6, 5000"},
        {"albumid = 0, artistid = 0, genreid = 255", "7, 45"},
        {"artistid = 32", "8, 9"},
    };
    for (const auto& [set, numbers] : details) {
        rig.catalogue.ExecSql("update song set " + set + " where songnum in (" + numbers + ")");
    }
    rig.catalogue.ExecSqlCommit(
        "update song set rating = 3, \"comment\" = 'from 1:05', \"year\" = '1999' "
        "where songnum in (2, 41)");

    const std::vector<int> numbers{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 40, 41, 45, 77, 900, 5000};
    const std::unordered_map<int, TSong> read = ReadQueueSongs(rig.library, numbers);
    for (const int number : numbers) {
        const auto found = read.find(number);
        EXPECT_EQ(found == read.end() ? QStringList{} : RecordFields(found->second),
                  JoinedRecord(rig, number))
            << "song " << number;
    }
    EXPECT_EQ(read.size(), numbers.size() - 1);  // 77 is not in the catalogue
    EXPECT_EQ(read.at(4).ArtistName, "Twin");
    EXPECT_EQ(read.at(40).AlbumName, "Seven");
    EXPECT_TRUE(ReadQueueSongs(rig.library, {}).empty());
}

}  // namespace
}  // namespace sw
