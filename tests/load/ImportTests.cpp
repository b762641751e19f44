#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "ImportFixture.h"
#include "core/Library.h"
#include "core/Query.h"
#include "foundation/Text.h"
#include "load/LoadController.h"
#include "playback/audio/AudioLibrary.h"
#include "playback/audio/OfflineOutput.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"
#include "tags/OggVorbis.h"

namespace sw {
namespace {

using test::FixtureBytes;
using test::Import;

TEST_F(Import, ANewFileBecomesASongWithItsTagsAndTheRunsStamp) {
    const QString path = Tagged("Rock/Song One.mp3", "Song One", "Artist", "Album", 4);
    LoadFiles({path});
    TSong song;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(1, song));
    EXPECT_EQ(song.Title, "Song One");
    EXPECT_EQ(song.ArtistName, "Artist");
    EXPECT_EQ(song.AlbumName, "Album");
    EXPECT_EQ(song.Track, 4);
    EXPECT_EQ(song.FileName, "Rock/Song One.mp3");
    EXPECT_TRUE(song.Exi);
    EXPECT_EQ(song.Size, QFileInfo(path).size());
    EXPECT_NEAR(song.SearchTs, m_run.LoadTimestamp(), 1e-9);
    EXPECT_NEAR(m_settings.LastLoadedTS, m_run.LoadTimestamp(), 1e-9);
    // The stamp is a whole second, so the stored setting still matches it after a restart.
    EXPECT_EQ(DateTimeToStamp(m_run.LoadTimestamp()).time, DateTimeToStamp(m_settings.LastLoadedTS).time);
    EXPECT_EQ(m_library.size.Added(), QFileInfo(path).size());
    EXPECT_EQ(m_run.RunCounts().inserted, 1);
    EXPECT_TRUE(m_library.songs.loadedWithoutDuration);
}

TEST_F(Import, AFileCataloguedUnderAnotherLetterCaseIsRefreshed) {
    const QString path = Tagged("Rock/a.mp3", "A", "Artist", "Album");
    m_catalogue.ExecSqlCommit(
        "insert into song (songnum, fn, title, exi) values (7, 'ROCK/A.MP3', 'Kept title', 0)");
    LoadFiles({path});
    EXPECT_EQ(Count("select count(*) as ct from song"), 1);
    TSong song;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(7, song));
    EXPECT_EQ(song.Title, "Kept title");
    EXPECT_NEAR(song.SearchTs, m_run.LoadTimestamp(), 1e-9);
    EXPECT_EQ(m_library.size.Total(), 0);
    EXPECT_EQ(m_run.RunCounts().refreshed, 1);
    // The stored name takes the file's real spelling.
    EXPECT_EQ(song.FileName, "Rock/a.mp3");
    EXPECT_TRUE(song.Exi);
}

TEST_F(Import, ACopyInAnotherFolderIsASecondSongWithTheSameDetails) {
    const QString original = Tagged("One/a.mp3", "Same", "Artist", "Album", 2);
    LoadFiles({original});
    m_catalogue.ExecSqlCommit("update song set rating = 3, \"comment\" = 'loved' where songnum = 1");
    const QString copy = Put("Two/a copy.mp3", [&] {
        QFile file(original);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }());
    LoadFiles({copy});
    EXPECT_EQ(Count("select count(*) as ct from song"), 2);
    TSong second;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(2, second));
    EXPECT_EQ(second.Rating, 3);
    EXPECT_EQ(second.Comment, "loved");
    EXPECT_EQ(second.FileName, "Two/a copy.mp3");
    TSong first;
    m_library.songs.FindSongByNumber(1, first);
    EXPECT_GE(second.CreateTs, first.CreateTs);
    EXPECT_EQ(m_run.RunCounts().copies, 1);
}

TEST_F(Import, AMovedFileKeepsItsNumberHistoryAndPlaylists) {
    const QString original = Tagged("Old/a.mp3", "Moved Song", "Artist", "Album", 3);
    LoadFiles({original});
    m_catalogue.ExecSqlCommit("insert into history (songnum, ts) values (1, current_timestamp)");
    m_catalogue.ExecSqlCommit("insert into songinpl (plid, seq, songnum) values (1, 1, 1)");
    const QString moved = m_music.filePath("New/a.mp3");
    QDir().mkpath(m_music.filePath("New"));
    ASSERT_TRUE(QFile::rename(original, moved));
    // The tag's title differs from the catalogue's only in letter case.
    TID3v2 tag(m_state);
    ASSERT_TRUE(tag.Read(moved));
    tag.SetTitle("MOVED SONG");
    ASSERT_TRUE(tag.Save(moved));

    LoadFiles({moved});
    EXPECT_EQ(Count("select count(*) as ct from song"), 1);
    TSong song;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(1, song));
    EXPECT_EQ(song.FileName, "New/a.mp3");
    EXPECT_TRUE(song.Exi);
    EXPECT_EQ(song.Title, "Moved Song");
    EXPECT_EQ(Count("select count(*) as ct from history where songnum = 1"), 1);
    EXPECT_EQ(Count("select count(*) as ct from songinpl where songnum = 1"), 1);
    EXPECT_EQ(m_run.RunCounts().relinked, 1);
}

TEST_F(Import, UntitledAndUntaggedFilesTakeTheirNames) {
    const QString untitled = Tagged("x/A rather long file name for a song title.mp3", "", "Artist", "");
    const QString wavA = Put("one/Take.wav", "RIFF");
    const QString wavB = Put("two/Take.wav", "RIFF");
    LoadFiles({untitled, wavA, wavB});
    EXPECT_EQ(Count("select count(*) as ct from song"), 3);
    m_catalogue.RunQuery("select title from song where songnum = 1");
    EXPECT_EQ(m_catalogue.GeneralQuery().Text("TITLE"), "A rather long file name for a song title");
    EXPECT_EQ(Count("select count(*) as ct from song where title = 'Take' and artistid = -1 and albumid = 0"),
              2);
}

TEST_F(Import, UnicodeTagsAreIgnoredAndTheRunSaysSo) {
    const QString path = Put("u.mp3", FixtureBytes("plain.mp3"));
    TSong v1;
    v1.FullPath = path;
    v1.FileType = "MP3";
    v1.Title = "From v1";
    ASSERT_TRUE(WriteId3v1(v1, 1));
    QByteArray bytes = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    const QByteArray frame =
        QByteArray("TIT2") + QByteArray("\0\0\0\x07\0\0", 6) + QByteArray("\x01\xff\xfeT\0i\0", 7);
    QByteArray tag = QByteArray("ID3\x03\0\0", 6) + QByteArray("\0\0\0", 3) + char(frame.size());
    Put("u.mp3", tag + frame + bytes);
    LoadFiles({path});
    TSong song;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(1, song));
    EXPECT_EQ(song.Title, "From v1");
    EXPECT_EQ(
        m_dialogs.TextsOf("INFO"),
        QStringList{"ID3v2 tags containing Unicode were ignored in some files loaded\\n(switch on \"Read "
                    "and write Unicode tags\" in the Tags menu to read them)"});

    // Switched on, the next run reads the title and says nothing.
    m_settings.UNICODETAGS = true;
    m_dialogs.ClearTranscript();
    LoadFiles({Put("u2.mp3", tag + frame + bytes)});
    ASSERT_TRUE(m_library.songs.FindSongByNumber(2, song));
    EXPECT_EQ(song.Title, "Ti");
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty());
}

// Non-Latin names from tags others wrote (UTF-16 in version 3, UTF-8 in version 4) reach the
// catalogue's songs, artists and albums whole, and are found again by name.
TEST_F(Import, UnicodeNamesReachTheCatalogueWhole) {
    m_settings.UNICODETAGS = true;
    LoadFiles({Put("u23.mp3", FixtureBytes("unicode23.mp3")), Put("u24.mp3", FixtureBytes("unicode24.mp3"))});
    EXPECT_EQ(m_run.RunCounts().inserted, 2);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty());
    for (const int songNum : {1, 2}) {
        TSong song;
        ASSERT_TRUE(m_library.songs.FindSongByNumber(songNum, song));
        EXPECT_EQ(song.Title, QString::fromUtf8("Привет, мир"));
        EXPECT_EQ(song.ArtistName, QString::fromUtf8("日本語のアーティスト"));
        EXPECT_EQ(song.AlbumName, QString::fromUtf8("Emoji 🎵 Album"));
        EXPECT_EQ(song.Year, songNum == 1 ? "2002" : "2003");
    }
    // One artist and one album for both songs.
    EXPECT_EQ(Count("select count(*) as ct from artist where arname = " +
                    SqlQuote(QString::fromUtf8("日本語のアーティスト"))),
              1);
    EXPECT_EQ(Count("select count(distinct albumid) as ct from song"), 1);
}

TEST_F(Import, FlacAndOpusFilesAreListedWhenSwitchedOnAndLoadWithTheirComments) {
    const QString flac = Put("Album/01.flac", FixtureBytes("tone.flac"));
    const QString opus = Put("Album/02.opus", FixtureBytes("tone.opus"));
    EXPECT_FALSE(m_run.IsLoadable(flac));
    EXPECT_TRUE(m_run.IsLoadable(Put("a.mp3", FixtureBytes("plain.mp3"))));
    m_settings.FLACOPUS = true;
    EXPECT_TRUE(m_run.IsLoadable(flac));
    EXPECT_TRUE(m_run.IsLoadable(opus));
    LoadFiles({flac, opus});
    EXPECT_EQ(m_run.RunCounts().inserted, 2);
    TSong song;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(1, song));
    EXPECT_EQ(song.Title, "Flac Title");
    EXPECT_EQ(song.AlbumName, "Flac Album");
    EXPECT_EQ(song.FileName, "Album/01.flac");
    ASSERT_TRUE(m_library.songs.FindSongByNumber(2, song));
    EXPECT_EQ(song.Title, "Opus Title");
    EXPECT_EQ(song.ArtistName, "Opus Artist");
    EXPECT_EQ(song.Track, 5);
}

TEST_F(Import, OddFileNamesAreStoredAndFoundAgainAsTheyAre) {
    const QStringList names = {"It's \"quoted\".mp3", "-leading dash.mp3", "Sigur Rós/Ágætis byrjun.mp3",
                               "坂本龍一/戦場のメリークリスマス.mp3", "Spaces  in   name .mp3",
                               // Lower-cased otherwise by the catalogue than by Qt.
                               "\u0130zmir/\u0130stanbul.mp3"};
    QStringList paths;
    int track = 0;
    for (const QString& name : names) {
        ++track;
        paths << Tagged(name, "Title " + QString::number(track), "Artist", "Album", track);
    }
    LoadFiles(paths);
    EXPECT_EQ(Count("select count(*) as ct from song"), names.size());
    // Loaded again, each is found as the song it already is.
    LoadFiles(paths);
    EXPECT_EQ(Count("select count(*) as ct from song"), names.size());
    AudioLibrary audio(std::make_unique<OfflineOutput>());
    ASSERT_TRUE(audio.Init(1, 44100));
    for (const QString& path : paths) {
        TSong song;
        ASSERT_EQ(m_library.songs.FindSongByFileName(path, song), 1) << path.toStdString();
        EXPECT_EQ(song.FullPath, path);
        EXPECT_TRUE(song.FileFound);
        // The stored name leads the player to the file.
        const AudioHandle stream = audio.StreamCreateFile(song.FullPath, BASS_STREAM_DECODE);
        EXPECT_NE(stream, 0u) << path.toStdString() << " error " << audio.ErrorGetCode();
        EXPECT_GT(audio.ChannelGetLength(stream, 0), 0u);
        audio.StreamFree(stream);
    }
}

// The catalogue lower-cases a dotted capital I to a plain i, Qt to an i with a dot above: names
// are looked up by the catalogue's lower case, or each song would bring its own artist and album.
TEST_F(Import, NamesLowerCasedOtherwiseByTheCatalogueAreFoundAgain) {
    m_settings.UNICODETAGS = true;
    const QString turkish = QString::fromUtf8("\u0130lhan \u0130rsoy");
    const QString album = QString::fromUtf8("\u0130zmir");
    const auto tagged = [&](const QString& name, const QString& artist, int track) {
        const QString path = Put(name, FixtureBytes("plain.mp3"));
        TID3v2 tag(m_state);
        tag.SetUnicodeTags(true);
        tag.SetTitle("Track " + QString::number(track));
        tag.SetArtist(artist);
        tag.SetAlbum(album);
        tag.SetTrack(static_cast<std::uint8_t>(track));
        EXPECT_TRUE(tag.Save(path));
        return path;
    };
    LoadFiles({tagged("a.mp3", turkish, 1), tagged("b.mp3", turkish, 2)});
    LoadFiles({tagged("c.mp3", turkish.toUpper(), 3)});
    EXPECT_EQ(Count("select count(*) as ct from song"), 3);
    EXPECT_EQ(Count("select count(*) as ct from artist where arname = " + SqlQuote(turkish)), 1);
    EXPECT_EQ(Count("select count(*) as ct from artist where arname <> 'various'"), 1);
    EXPECT_EQ(Count("select count(*) as ct from album where alname = " + SqlQuote(album)), 1);
    EXPECT_EQ(Count("select count(*) as ct from album"), 1);
}

TEST_F(Import, LongTextsAreCutAndATooLongPathIsNamedWhileTheRestLoads) {
    const QString longTitle =
        Tagged("Long/title.mp3", QString(100, 'T'), QString(100, 'A'), QString(100, 'B'));
    const QString ogg = Put("Long/comment.ogg", FixtureBytes("tone.ogg"));
    TOggVorbis tag;
    ASSERT_TRUE(tag.Read(ogg));
    tag.SetTitle("Ogg");
    tag.SetComment(QString(120, 'c'));
    ASSERT_TRUE(tag.Save(ogg));
    // 300 characters below the root: more than a stored name can hold.
    const QString tooLong = QString(100, 'd') + "/" + QString(100, 'e') + "/" + QString(94, 'f') + ".mp3";
    ASSERT_EQ(tooLong.size(), 300);
    const QString tooLongPath = Tagged(tooLong, "Deep", "Deep Artist", "Deep Album");
    const QString plain = Tagged("z.mp3", "Plain", "Artist", "Album");

    LoadController controller(m_run);
    LoadAllThroughTheWindow(controller);
    ASSERT_EQ(controller.ListedFiles().size(), 4);
    EXPECT_EQ(Committed("select count(*) as ct from song"), 3);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{QuoteDouble(tooLongPath) + " could not be catalogued: path too long"});
    TSong song;
    ASSERT_EQ(m_library.songs.FindSongByFileName(longTitle, song), 1);
    EXPECT_EQ(song.Title, QString(80, 'T'));
    EXPECT_EQ(song.ArtistName, QString(80, 'A'));
    EXPECT_EQ(song.AlbumName, QString(80, 'B'));
    ASSERT_EQ(m_library.songs.FindSongByFileName(ogg, song), 1);
    EXPECT_EQ(song.Comment, QString(80, 'c'));
    EXPECT_EQ(m_library.songs.FindSongByFileName(plain, song), 1);
    // Nothing of the left-out file remains.
    EXPECT_EQ(Count("select count(*) as ct from artist where arname = 'Deep Artist'"), 0);
    EXPECT_EQ(Count("select count(*) as ct from album where alname = 'Deep Album'"), 0);
    EXPECT_EQ(m_run.RunCounts().skipped, 1);

    // Loading again finds every stored song and names the long path again.
    m_dialogs.ClearTranscript();
    LoadAllThroughTheWindow(controller);
    EXPECT_EQ(m_run.RunCounts().refreshed, 3);
    EXPECT_EQ(Count("select count(*) as ct from song"), 3);
    // Every artist and album has its song.
    EXPECT_EQ(Count("select count(*) as ct from album al where not exists "
                    "(select 1 from song s where s.albumid = al.albumid)"),
              0);
    EXPECT_EQ(Count("select count(*) as ct from artist ar where ar.arname <> 'various' and not exists "
                    "(select 1 from song s where s.artistid = ar.artistid)"),
              0);
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
}

TEST_F(Import, NamesThatDifferOnlyInLetterCaseAreTwoSongs) {
    const QString lower = Tagged("song.mp3", "Lower", "Artist", "Album", 1);
    const QString upper = Tagged("SONG.mp3", "Upper", "Artist", "Album", 2);
    LoadController controller(m_run);
    LoadAllThroughTheWindow(controller);
    EXPECT_EQ(Count("select count(*) as ct from song"), 2);
    TSong song;
    ASSERT_EQ(m_library.songs.FindSongByFileName(upper, song), 1);
    EXPECT_EQ(song.Title, "Upper");
    EXPECT_EQ(song.FileName, "SONG.mp3");
    ASSERT_EQ(m_library.songs.FindSongByFileName(lower, song), 1);
    EXPECT_EQ(song.Title, "Lower");

    // Both count as loaded; loading them again refreshes each.
    controller.ListFilesToLoad(m_music.path(), false, true);
    EXPECT_TRUE(controller.ListedFiles().isEmpty());
    LoadFiles({upper, lower});
    EXPECT_EQ(m_run.RunCounts().refreshed, 2);
    EXPECT_EQ(Count("select count(*) as ct from song"), 2);
}

TEST_F(Import, AFolderRenamedOnlyInLetterCaseIsRelinkedWithItsSongNumbers) {
    Tagged("Rock/a.mp3", "A", "Artist", "Album", 1);
    Tagged("Rock/b.mp3", "B", "Artist", "Album", 2);
    LoadController controller(m_run);
    LoadAllThroughTheWindow(controller);
    m_catalogue.ExecSqlCommit("insert into history (songnum, ts) values (2, current_timestamp)");
    m_catalogue.ExecSqlCommit("insert into songinpl (plid, seq, songnum) values (1, 1, 1)");
    ASSERT_TRUE(QDir(m_music.path()).rename("Rock", "ROCK"));

    // The old spelling names nothing any more, so "Skip if already loaded" lists both files.
    controller.ListFilesToLoad(m_music.path(), true, true);
    EXPECT_EQ(controller.ListedFiles(),
              (QStringList{m_music.filePath("ROCK/a.mp3"), m_music.filePath("ROCK/b.mp3")}));
    m_dialogs.QueueAnswer("Yes");
    controller.LoadAllListed();
    EXPECT_EQ(Count("select count(*) as ct from song"), 2);
    m_catalogue.RunQuery("select songnum, fn, exi from song order by songnum");
    const RowSet& rows = m_catalogue.GeneralQuery();
    EXPECT_EQ(rows.Value(0, 1).toString(), "ROCK/a.mp3");
    EXPECT_EQ(rows.Value(1, 1).toString(), "ROCK/b.mp3");
    EXPECT_EQ(rows.Value(1, 2).toInt(), 1);
    EXPECT_EQ(Count("select count(*) as ct from history where songnum = 2"), 1);
    EXPECT_EQ(Count("select count(*) as ct from songinpl where songnum = 1"), 1);
    controller.ListFilesToLoad(m_music.path(), true, true);
    EXPECT_TRUE(controller.ListedFiles().isEmpty());
}

TEST_F(Import, ANameStoredLowerCasedByThePreviousEditionIsRelinkedToTheRealSpelling) {
    const QString path = Tagged("Jazz/Take Five.mp3", "Take Five", "Quartet", "Time Out", 3);
    m_catalogue.ExecSqlCommit(
        "insert into song (songnum, fn, title, exi) values (42, 'jazz/take five.mp3', 'Take Five', 1)");
    m_catalogue.ExecSqlCommit("insert into history (songnum, ts) values (42, current_timestamp)");
    m_catalogue.ExecSqlCommit("insert into songinpl (plid, seq, songnum) values (1, 1, 42)");

    // Not loaded under its exact name, so "Skip if already loaded" lists it; the load re-links it.
    LoadController controller(m_run);
    controller.ListFilesToLoad(m_music.path(), true, true);
    ASSERT_EQ(controller.ListedFiles(), QStringList{path});
    m_dialogs.QueueAnswer("Yes");
    controller.LoadAllListed();
    EXPECT_EQ(m_run.RunCounts().refreshed, 1);
    EXPECT_EQ(Committed("select count(*) as ct from song"), 1);
    EXPECT_EQ(Committed("select count(*) as ct from song where songnum = 42 and fn = 'Jazz/Take Five.mp3'"),
              1);
    EXPECT_EQ(Count("select count(*) as ct from history where songnum = 42"), 1);
    EXPECT_EQ(Count("select count(*) as ct from songinpl where songnum = 42"), 1);
    controller.ListFilesToLoad(m_music.path(), true, true);
    EXPECT_TRUE(controller.ListedFiles().isEmpty());
}

TEST_F(Import, ANameWithAColonIsAFileUnderTheRoot) {
    const QString path = Tagged("1:intro.mp3", "Intro", "Artist", "Album");
    LoadFiles({path});
    TSong song;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(1, song));
    EXPECT_EQ(song.FileName, "1:intro.mp3");
    EXPECT_EQ(song.FullPath, path);
    EXPECT_TRUE(song.FileFound);
    LoadFiles({path});
    EXPECT_EQ(m_run.RunCounts().refreshed, 1);
    EXPECT_EQ(Count("select count(*) as ct from song"), 1);
}

TEST_F(Import, HugeFilesStopAtTheLargestSizeAndCountInFullEmptyFilesStoreZero) {
    const QString big = Put("big.wav", "RIFF");
    ASSERT_TRUE(QFile(big).resize(3LL << 30));  // sparse: no disk space used
    const QString empty = Put("empty.wav", "");
    LoadFiles({big, empty});
    EXPECT_EQ(Count("select \"size\" as ct from song where fn = 'big.wav'"), 2147483647);
    EXPECT_EQ(Count("select count(*) as ct from song where fn = 'empty.wav' and \"size\" = 0"), 1);
    EXPECT_EQ(m_library.size.Added(), 3LL << 30);
}

}  // namespace
}  // namespace sw
