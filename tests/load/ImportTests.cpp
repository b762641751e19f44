#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestCatalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "core/Settings.h"
#include "foundation/ScriptedDialogs.h"
#include "foundation/Text.h"
#include "load/LoadController.h"
#include "load/LoadRun.h"
#include "playback/AudioLibrary.h"
#include "playback/OfflineOutput.h"
#include "tags/GenreLookup.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"
#include "tags/TagPolicy.h"

namespace sw {
namespace {

QByteArray FixtureBytes(const QString& name) {
    QFile file(QString(SW_SOURCE_DIR) + "/tests/fixtures/" + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

class Import : public ::testing::Test {
protected:
    Import() {
        m_file.OpenCurrent(m_catalogue);
        m_settings.Root = m_music.path() + "/";
        m_settings.MP3TAGREADPREFV1V2 = 2;
        m_library.artists.InitVariousArtist();
        m_catalogue.CommitAndContinue();
    }

    /// An MP3 under the music root with an ID3v2.3 tag of these details.
    QString Tagged(const QString& relative, const QString& title, const QString& artist, const QString& album,
                   int track = 1) {
        const QString path = Put(relative, FixtureBytes("plain.mp3"));
        TID3v2 tag(m_state);
        tag.SetTitle(title);
        tag.SetArtist(artist);
        tag.SetAlbum(album);
        tag.SetTrack(static_cast<std::uint8_t>(track));
        EXPECT_TRUE(tag.Save(path));
        return path;
    }

    QString Put(const QString& relative, const QByteArray& bytes) {
        const QString path = m_music.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    void LoadFiles(const QStringList& paths, bool loadAll = true) {
        m_run.StartLoadRun(loadAll);
        for (const QString& path : paths) {
            m_run.ImportFile(path);
            m_run.CommitAndContinue();
        }
        m_run.FinishLoadRun();
    }

    int Count(const QString& sql) {
        m_catalogue.RunQuery(sql);
        return m_catalogue.QueryInt("ct");
    }

    test::TestCatalogue m_file;
    Catalogue m_catalogue;
    Settings m_settings;
    Library m_library{m_catalogue, m_settings};
    CatalogueGenres m_genres{m_catalogue};
    TagState m_state;
    TagPolicy m_policy{m_library, m_genres, m_state};
    LoadRun m_run{m_library, m_policy};
    QTemporaryDir m_music;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
};

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
    EXPECT_EQ(m_catalogue.GeneralQuery().Text("TITLE"), "ong file name for a song title");
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
                               "坂本龍一/戦場のメリークリスマス.mp3", "Spaces  in   name .mp3"};
    QStringList paths;
    int track = 0;
    for (const QString& name : names) {
        ++track;
        paths << Tagged(name, "Title " + QString::number(track), "Artist", "Album", track);
    }
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

TEST_F(Import, TheLoadWindowListsAndLoadsThroughTheRealRun) {
    Tagged("a.mp3", "A", "Artist", "Album", 1);
    Tagged("Beta/b1.mp3", "B1", "Artist", "Album", 2);
    Tagged("c.mp3", "C", "Artist", "Album", 3);
    Put("notes.txt", "x");
    LoadController controller(m_run);
    controller.ListFilesToLoad(m_music.path(), true, true);
    EXPECT_EQ(
        controller.ListedFiles(),
        (QStringList{m_music.filePath("a.mp3"), m_music.filePath("Beta/b1.mp3"), m_music.filePath("c.mp3")}));
    EXPECT_EQ(controller.CountText(), "3 files");
    m_dialogs.QueueAnswer("Yes");
    EXPECT_TRUE(controller.LoadAllListed());
    EXPECT_EQ(Count("select count(*) as ct from song"), 3);

    // Already loaded files are not listed again.
    controller.ListFilesToLoad(m_music.path(), true, true);
    EXPECT_TRUE(controller.ListedFiles().isEmpty());
    EXPECT_EQ(controller.CountText(), "0 files");
    controller.ListFilesToLoad(m_music.path(), false, false);
    EXPECT_EQ(controller.ListedFiles().size(), 2);
}

}  // namespace
}  // namespace sw
