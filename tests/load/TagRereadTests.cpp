#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestCatalogue.h"
#include "core/Library.h"
#include "core/Settings.h"
#include "foundation/ScriptedDialogs.h"
#include "load/LoadRun.h"
#include "load/TagReread.h"
#include "tags/GenreLookup.h"
#include "tags/Id3v2.h"
#include "tags/TagPolicy.h"

namespace sw {
namespace {

QByteArray FixtureBytes(const QString& name) {
    QFile file(QString(SW_SOURCE_DIR) + "/tests/fixtures/" + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

/// A catalogue loaded while both tag switches were off, then switched on.
class Reread : public ::testing::Test {
protected:
    Reread() {
        m_file.OpenCurrent(m_catalogue);
        m_settings.Root = m_music.path() + "/";
        m_settings.MP3TAGREADPREFV1V2 = 2;
        m_settings.UNICODETAGS = false;
        m_settings.FLACOPUS = false;
        m_library.artists.InitVariousArtist();
        m_catalogue.CommitAndContinue();
    }

    QString Put(const QString& relative, const QByteArray& bytes) {
        const QString path = m_music.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    QString Tagged(const QString& relative, const QString& title) {
        const QString path = Put(relative, FixtureBytes("plain.mp3"));
        TID3v2 tag(m_state);
        tag.SetTitle(title);
        tag.SetArtist("Plain Artist");
        EXPECT_TRUE(tag.Save(path));
        return path;
    }

    void LoadFiles(const QStringList& paths) {
        m_run.StartLoadRun(true);
        for (const QString& path : paths) {
            m_run.ImportFile(path);
        }
        m_run.FinishLoadRun();
    }

    TSong Song(int songNum) {
        TSong song;
        EXPECT_TRUE(m_library.songs.FindSongByNumber(songNum, song)) << songNum;
        return song;
    }

    int Count(const QString& sql) { return m_catalogue.Select(sql).Int("CT"); }

    test::TestCatalogue m_file;
    Catalogue m_catalogue;
    Settings m_settings;
    Library m_library{m_catalogue, m_settings};
    CatalogueGenres m_genres{m_catalogue};
    TagState m_state;
    TagPolicy m_policy{m_library, m_genres, m_state};
    LoadRun m_run{m_library, m_policy};
    TagReread m_reread{m_library, m_policy, m_run};
    QTemporaryDir m_music;
    ScriptedDialogs m_dialogs;
    ScopedDialogs m_installed{m_dialogs};
};

TEST_F(Reread, SongsLoadedWithTheirUnicodeTagsIgnoredTakeThemAndKeepEverythingElse) {
    LoadFiles({Put("u23.mp3", FixtureBytes("unicode23.mp3")), Put("u24.mp3", FixtureBytes("unicode24.mp3")),
               Put("edited.mp3", FixtureBytes("unicode23.mp3")), Tagged("plain.mp3", "Plain Title")});
    ASSERT_EQ(Song(1).Title, "u23");
    // The user's own work on the songs: ratings, a play, a playlist entry, an edited title.
    m_catalogue.ExecSqlCommit("update song set rating = 3 where songnum = 1");
    m_catalogue.ExecSqlCommit("update song set rating = -1 where songnum = 2");
    m_catalogue.ExecSqlCommit("insert into history (songnum, ts) values (1, current_timestamp)");
    m_catalogue.ExecSqlCommit("insert into songinpl (plid, seq, songnum) values (1, 1, 2)");
    TSong edited = Song(3);
    edited.Title = "My own title";
    m_library.songs.SaveSong(edited);
    m_catalogue.CommitAndContinue();
    const TSong before = Song(1);

    m_settings.UNICODETAGS = true;
    std::vector<std::pair<int, int>> told;
    const TagRereadCounts counts = m_reread.Run({true, false}, [&](int done, int total) {
        told.emplace_back(done, total);
        return true;
    });
    EXPECT_EQ(counts.examined, 4);
    EXPECT_EQ(counts.reread, 2);
    EXPECT_EQ(counts.failed, 0);
    EXPECT_FALSE(counts.cancelled);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), std::make_pair(4, 4));

    for (const int songNum : {1, 2}) {
        const TSong song = Song(songNum);
        EXPECT_EQ(song.Title, QString::fromUtf8("Привет, мир")) << songNum;
        EXPECT_EQ(song.ArtistName, QString::fromUtf8("日本語のアーティスト"));
        EXPECT_EQ(song.AlbumName, QString::fromUtf8("Emoji 🎵 Album"));
        EXPECT_EQ(song.Year, songNum == 1 ? "2002" : "2003");
    }
    const TSong after = Song(1);
    EXPECT_EQ(after.Rating, 3);
    EXPECT_EQ(Song(2).Rating, -1);
    EXPECT_EQ(after.FileName, before.FileName);
    EXPECT_EQ(after.CreateTs, before.CreateTs);
    EXPECT_EQ(after.SearchTs, before.SearchTs);
    EXPECT_EQ(Count("select count(*) as ct from history where songnum = 1"), 1);
    EXPECT_EQ(Count("select count(*) as ct from songinpl where songnum = 2"), 1);
    EXPECT_EQ(Count("select count(*) as ct from song"), 4);
    // Edited since, and tagged in plain text: both as they were.
    EXPECT_EQ(Song(3).Title, "My own title");
    EXPECT_EQ(Song(4).Title, "Plain Title");
    // The setting is left as it stands, and a second run finds nothing more to do.
    EXPECT_TRUE(m_settings.UNICODETAGS);
    EXPECT_EQ(m_reread.Run({true, false}).reread, 0);
}

TEST_F(Reread, FlacAndOpusFilesBesideCataloguedSongsAreLoadedOnce) {
    LoadFiles({Tagged("Album/00.mp3", "First"), Tagged("Other/x.mp3", "Elsewhere")});
    Put("Album/01.flac", FixtureBytes("tone.flac"));
    Put("Album/02.OPUS", FixtureBytes("tone.opus"));
    // Not in a folder that holds a catalogued song.
    Put("Unknown/03.flac", FixtureBytes("tone.flac"));
    m_settings.FLACOPUS = true;
    EXPECT_EQ(m_reread.UnlistedFlacOpusFiles(),
              QStringList({m_music.filePath("Album/01.flac"), m_music.filePath("Album/02.OPUS")}));

    const TagRereadCounts counts = m_reread.Run({false, true});
    EXPECT_EQ(counts.added, 2);
    EXPECT_EQ(Song(3).Title, "Flac Title");
    EXPECT_EQ(Song(4).Title, "Opus Title");
    EXPECT_TRUE(m_reread.UnlistedFlacOpusFiles().isEmpty());
    EXPECT_EQ(m_reread.Run({false, true}).added, 0);
    EXPECT_EQ(Count("select count(*) as ct from song"), 4);
}

TEST_F(Reread, ACancelledRunKeepsTheSongsReadSoFar) {
    QStringList files;
    for (int i = 0; i < 3; ++i) {
        files << Put(QString("u%1.mp3").arg(i), FixtureBytes("unicode24.mp3"));
    }
    LoadFiles(files);
    m_settings.UNICODETAGS = true;
    const TagRereadCounts counts = m_reread.Run({true, true}, [](int done, int) { return done < 1; });
    EXPECT_TRUE(counts.cancelled);
    EXPECT_EQ(counts.reread, 1);
    EXPECT_EQ(counts.added, 0);
    EXPECT_EQ(Song(1).Title, QString::fromUtf8("Привет, мир"));
    EXPECT_EQ(Song(2).Title, "u1");
    // Committed: another connection sees it.
    Catalogue other;
    m_file.Open(other);
    EXPECT_EQ(other.Select("select count(*) as ct from song where title = 'u1'").Int("CT"), 1);
    EXPECT_EQ(TagRereadSummary(counts), "Tags re-read for 1 song(s) (cancelled)");
}

}  // namespace
}  // namespace sw
