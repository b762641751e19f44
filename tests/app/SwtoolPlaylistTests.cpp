#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "ProgramRunner.h"
#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"
#include "core/Settings.h"

namespace sw {
namespace {

using test::RunProgram;

class SwtoolPlaylists : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home.filePath("SW3DATA"));
        CreateCatalogue(Catalogue(), "Swtool", test::CreationScript(),
                        QString(SW_SOURCE_DIR) + "/data/GENRES.INI");
    }
    QString Catalogue() const { return m_home.filePath("SW3DATA/SONGS.FDB"); }

    test::ProgramRun Swtool(QStringList arguments) {
        arguments.prepend(m_home.path());
        arguments.prepend("--home");
        return RunProgram("swtool", arguments, 120000);
    }
    /// Runs statements on the catalogue while no swtool has it open.
    void Exec(const QStringList& statements) {
        sw::Catalogue catalogue;
        catalogue.Open(Catalogue());
        for (const QString& statement : statements) {
            catalogue.ExecSql(statement);
        }
        catalogue.CloseCatalogue();
    }
    RowSet Select(const QString& sql) {
        sw::Catalogue catalogue;
        catalogue.Open(Catalogue());
        RowSet rows = catalogue.Select(sql);
        catalogue.CloseCatalogue();
        return rows;
    }
    void WriteSettings(const std::function<void(Settings&)>& change) {
        Settings settings;
        const QString file = m_home.filePath("SW3DATA/SONWICK3.INI");
        TransferSettingsFile('G', settings, file);
        change(settings);
        TransferSettingsFile('S', settings, file);
    }

    QTemporaryDir m_home;
};

TEST_F(SwtoolPlaylists, GenerateThenRandomListsTheRandomPlaylistUnderTheFilter) {
    auto run = Swtool({"generate", "--songs", "240"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("songs=240 albums=20 artists=6 playlists=36 ")) << run.out.toStdString();

    run = Swtool({"generate", "--songs", "10"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("already holds 240 songs")) << run.err.toStdString();

    run = Swtool({"random", "--count", "30", "--filter", "-1"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 30);
    QStringList drawn;
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split('\t');
        ASSERT_EQ(fields.size(), 5) << lines[i].toStdString();
        EXPECT_EQ(fields[0], QString::number(i + 1));
        EXPECT_TRUE(fields[4].startsWith(m_home.path() + "/Music/")) << fields[4].toStdString();
        drawn << fields[1];
    }
    const RowSet bad =
        Select("select count(*) as ct from song where rating >= 0 and songnum in (" + drawn.join(", ") + ")");
    EXPECT_EQ(bad.Int("CT"), 0);

    // Without options: 20 songs under the stored filter.
    WriteSettings([](Settings& settings) { settings.FILTER = 4; });
    run = Swtool({"random"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count('\n'), 20);
    EXPECT_EQ(Select("select count(*) as ct from songinpl sp join song s on s.songnum = sp.songnum "
                     "where sp.plid = 0 and s.rating = 4")
                  .Int("CT"),
              20);

    for (const QStringList& wrong :
         {QStringList{"random", "--filter", "7"}, QStringList{"random", "--count", "x"},
          QStringList{"random", "--count", "0"}}) {
        run = Swtool(wrong);
        EXPECT_EQ(run.exitCode, 1) << wrong.join(' ').toStdString();
    }
}

TEST_F(SwtoolPlaylists, PlaylistsAreListedAndExportedAsM3uThatFfprobeOpens) {
    QTemporaryDir music;
    const QString fixtures = QString(SW_SOURCE_DIR) + "/tests/fixtures/";
    QDir().mkpath(music.filePath("Ann's \"Live\" Café"));
    QFile::copy(fixtures + "id3v23.mp3", music.filePath("Ann's \"Live\" Café/01 Smörgås.mp3"));
    QFile::copy(fixtures + "tone.ogg", music.filePath("tone, two.ogg"));
    auto run = Swtool({"load", "--subfolders", music.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const RowSet songs = Select("select songnum, fn from song order by fn");
    ASSERT_EQ(songs.RowCount(), 2);
    const int mp3 = songs.Value(0, 0).toInt();
    const int ogg = songs.Value(1, 0).toInt();
    Exec({"update song set duration = 3 where songnum = " + QString::number(ogg),
          "update song set duration = 0 where songnum = " + QString::number(mp3),
          "insert into plist (plid, plname, pldate) values (5, 'Mum''s \"mix\"', 20090301)",
          "insert into plist (plid, plname, pldate) values (6, 'Empty', 0)",
          "insert into songinpl (plid, seq, songnum) values (5, 2, " + QString::number(mp3) + ")",
          "insert into songinpl (plid, seq, songnum) values (5, 1, " + QString::number(ogg) + ")",
          "insert into songinpl (plid, seq, songnum) values (5, 3, 999)"});

    run = Swtool({"playlists"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "5\t3\t2009-03-01\tMum's \"mix\"\n6\t0\t\tEmpty\n");

    run = Swtool({"playlist", "5"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("1\t" + QString::number(ogg) + "\t")) << lines[0].toStdString();
    EXPECT_EQ(lines[1], "2\t" + QString::number(mp3) + "\tFixture Artist\tFixture Title\t" +
                            music.filePath("Ann's \"Live\" Café/01 Smörgås.mp3"));
    EXPECT_EQ(lines[2], "3\t999\t\t\t");

    run = Swtool({"playlist", "5", "--m3u"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Song #999 at seq 3 is not in the catalogue; left out"))
        << run.err.toStdString();
    const QStringList m3u = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(m3u.size(), 5) << run.out.toStdString();
    EXPECT_EQ(m3u[0], "#EXTM3U");
    EXPECT_TRUE(m3u[1].startsWith("#EXTINF:3,")) << m3u[1].toStdString();
    EXPECT_EQ(m3u[3], "#EXTINF:-1,Fixture Artist - Fixture Title");
    for (const QString& path : {m3u[2], m3u[4]}) {
        ASSERT_TRUE(path.startsWith('/')) << path.toStdString();
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type", "-of", "csv=p=0", path});
        ASSERT_TRUE(probe.waitForFinished(30000));
        EXPECT_EQ(probe.exitCode(), 0) << path.toStdString() << probe.readAllStandardError().toStdString();
        EXPECT_TRUE(probe.readAllStandardOutput().contains("audio")) << path.toStdString();
    }

    run = Swtool({"playlist", "77"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Playlist #77 not found")) << run.err.toStdString();
}

TEST_F(SwtoolPlaylists, RateWritesTheCatalogueAndTheTagsThePolicyAllows) {
    QTemporaryDir music;
    QFile::copy(QString(SW_SOURCE_DIR) + "/tests/fixtures/id3v23.mp3", music.filePath("rated.mp3"));
    ASSERT_EQ(Swtool({"load", music.path()}).exitCode, 0);
    const int song = Select("select songnum from song").Int("SONGNUM");
    const QString number = QString::number(song);
    WriteSettings([](Settings& settings) {
        settings.SQUEEZERATING = true;
        settings.MP3TAGPOLICY = 3;
    });

    auto run = Swtool({"rate", number, "3"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, number + "\t0\t3\n");
    EXPECT_EQ(Select("select rating from song").Int("RATING"), 3);
    run = Swtool({"tags", music.filePath("rated.mp3")});
    EXPECT_TRUE(run.out.contains("\"rating\":3")) << run.out.toStdString();

    EXPECT_EQ(Swtool({"rate", number, "5"}).exitCode, 1);
    run = Swtool({"rate", "999", "2"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Song #999 not found")) << run.err.toStdString();
    WriteSettings([](Settings& settings) { settings.READONLY = true; });
    run = Swtool({"rate", number, "-1"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Cannot make changes, database is read-only")) << run.err.toStdString();
    EXPECT_EQ(Select("select rating from song").Int("RATING"), 3);
}

TEST_F(SwtoolPlaylists, HistoryListsPlaysInTheOrderTheyStarted) {
    ASSERT_EQ(Swtool({"playlists"}).exitCode, 0);  // brings the catalogue to the current layout
    Exec({"insert into artist (artistid, arname) values (50, 'Ann O''Neil')",
          "insert into song (songnum, title, artistid, exi) values (12, 'It''s \"late\"', 50, 1)",
          "insert into history (songnum, ts, pldate, pltime) values (12, '2009-03-01 09:05:03', 20090301, "
          "90503)",
          "insert into history (songnum, ts, pldate, pltime) values (7, '2009-03-01 08:00:00', 20090301, "
          "80000)",
          "insert into history (songnum, ts, pldate, pltime) values (12, '2009-03-02 10:00:00', 20090302, "
          "100000)"});
    auto run = Swtool({"history", "--day", "20090301"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "20090301 080000 7  - \n20090301 090503 12 Ann O'Neil - It's \"late\"\n");
    run = Swtool({"history"});
    EXPECT_EQ(run.out.count('\n'), 3);
    EXPECT_TRUE(run.out.endsWith("20090302 100000 12 Ann O'Neil - It's \"late\"\n"));
    for (const QString day : {"20091301", "2009031", "x"}) {
        EXPECT_EQ(Swtool({"history", "--day", day}).exitCode, 1) << day.toStdString();
    }
}

TEST_F(SwtoolPlaylists, CommandsRefuseWhileTheJukeboxRuns) {
    QProcess jukebox;
    ASSERT_TRUE(test::StartJukebox(jukebox, m_home.path()));
    for (const QStringList& command :
         {QStringList{"random"}, QStringList{"playlists"}, QStringList{"generate", "--songs", "5"}}) {
        const auto run = Swtool(command);
        EXPECT_EQ(run.exitCode, 1) << command.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("sonwick3 is running on the program folder")) << run.err.toStdString();
    }
    jukebox.kill();
    jukebox.waitForFinished();
}

}  // namespace
}  // namespace sw

namespace sw {
namespace {

TEST_F(SwtoolPlaylists, AssignGivesDetailsToManySongsTagsIncluded) {
    QTemporaryDir music;
    for (const QString name : {"one.mp3", "two.mp3"}) {
        QFile::copy(QString(SW_SOURCE_DIR) + "/tests/fixtures/id3v23.mp3", music.filePath(name));
    }
    ASSERT_EQ(Swtool({"load", music.path()}).exitCode, 0);
    RowSet songs = Select("select songnum from song order by songnum");
    ASSERT_EQ(songs.RowCount(), 2);
    const QString first = songs.Value(0, 0).toString();
    const QString second = songs.Value(1, 0).toString();

    auto run = Swtool({"assign", "--album", "Shared", "--year", "2001", first, second});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("assigned=2 tag_failures=0 missing=0 album=")) << run.out.toStdString();
    EXPECT_EQ(Select("select count(distinct albumid) as ct from song").Int("CT"), 1);
    run = Swtool({"tags", music.filePath("two.mp3")});
    EXPECT_TRUE(run.out.contains("\"album\":\"Shared\"")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("\"year\":\"2001\"")) << run.out.toStdString();

    QFile::remove(music.filePath("one.mp3"));
    run = Swtool({"assign", "--comment", "gone", first, second, "999"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.startsWith("assigned=2 tag_failures=1 missing=1")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(music.filePath("one.mp3"))) << run.err.toStdString();
    EXPECT_EQ(Select("select count(*) as ct from song where \"comment\" = 'gone'").Int("CT"), 2);

    EXPECT_EQ(Swtool({"assign", first}).exitCode, 1) << "no detail to give";

    // A tag that is only read is refused with its reason, and counted as not updated.
    QFile::copy(QString(SW_SOURCE_DIR) + "/tests/fixtures/tagged.wma", music.filePath("three.wma"));
    ASSERT_EQ(Swtool({"load", music.path()}).exitCode, 0);
    const QString third = Select("select songnum from song where fn like '%three.wma'").Value(0, 0).toString();
    run = Swtool({"assign", "--comment", "read only", second, third});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.startsWith("assigned=2 tag_failures=1 missing=0")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("Tags could not be updated in 1 file(s)")) << run.err.toStdString();
}

}  // namespace
}  // namespace sw
