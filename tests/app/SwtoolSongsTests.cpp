#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "ProgramRunner.h"
#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"

namespace sw {
namespace {

using test::RunProgram;

/// One tagged file of the small library.
struct Track {
    const char* file;
    const char* title;
    const char* artist;
    const char* album;  // empty for a single
    int track;
    const char* year;
    const char* genre;
};

const Track kLibrary[] = {
    {"Ann/Blue Sky/02 Morning.mp3", "Morning", "Ann", "Blue Sky", 2, "2001", "Rock"},
    {"Ann/Blue Sky/01 Dawn.mp3", "Dawn", "Ann", "Blue Sky", 1, "2001", "Rock"},
    {"Ann/Blue Sky/03 Noon.mp3", "Noon", "Ann", "Blue Sky", 3, "2001", "Rock"},
    {"Bob/O'Connor's Night/1 Late.mp3", "Late", "Bob", "O'Connor's Night", 1, "1999", "Jazz"},
    {"Bob/O'Connor's Night/2 Later.ogg", "Later", "Bob", "O'Connor's Night", 2, "1999", "Jazz"},
    {"Singles/Solo One.mp3", "Solo One", "Cy", "", 0, "2010", "Rock"},
    {"Singles/Solo Two.mp3", "Solo Two", "Ann", "", 0, "2005", "Pop"},
    {"Singles/Ogg Song.ogg", "Ogg Song", "Dee", "", 0, "2005", "Pop"},
};

/// A small real library (tagged MP3 and Ogg files made by ffmpeg) loaded by swtool load, with
/// ratings, a playlist and a day of play history added.
class SwtoolSongs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_home = new QTemporaryDir;
        QDir().mkpath(s_home->filePath("SW3DATA"));
        CreateCatalogue(Catalogue(), "Songs", test::CreationScript(),
                        QString(SW_SOURCE_DIR) + "/data/GENRES.INI");
        const QString music = s_home->filePath("Music");
        for (const Track& track : kLibrary) {
            const QString path = music + "/" + track.file;
            QDir().mkpath(QFileInfo(path).path());
            const bool ogg = path.endsWith(".ogg");
            QStringList arguments{
                "-hide_banner", "-loglevel", "error", "-y",
                "-f",           "lavfi",     "-i",    "sine=frequency=440:duration=0.3:sample_rate=44100",
                "-ac",          "1"};
            arguments << (ogg ? QStringList{"-c:a", "libvorbis"}
                              : QStringList{"-c:a", "libmp3lame", "-b:a", "32k", "-id3v2_version", "3"});
            arguments << "-metadata" << QString("title=") + track.title << "-metadata"
                      << QString("artist=") + track.artist << "-metadata" << QString("date=") + track.year
                      << "-metadata" << QString("genre=") + track.genre;
            if (*track.album) {
                arguments << "-metadata" << QString("album=") + track.album << "-metadata"
                          << "track=" + QString::number(track.track);
            }
            QProcess ffmpeg;
            ffmpeg.start("ffmpeg", arguments << path);
            ASSERT_TRUE(ffmpeg.waitForFinished(60000));
            ASSERT_EQ(ffmpeg.exitCode(), 0) << ffmpeg.readAllStandardError().toStdString();
        }
        const test::ProgramRun load = Swtool({"load", "--subfolders", music});
        ASSERT_EQ(load.exitCode, 0) << load.err.toStdString();

        sw::Catalogue catalogue;
        catalogue.Open(Catalogue());
        const auto number = [&catalogue](const char* title) {
            catalogue.RunQuery(QString("select songnum from song where title = '%1'").arg(title));
            return QString::number(catalogue.QueryInt("SONGNUM"));
        };
        for (const auto& [title, rating] : std::vector<std::pair<const char*, int>>{
                 {"Dawn", 4}, {"Morning", 1}, {"Noon", -1}, {"Later", 2}, {"Solo One", 3}}) {
            catalogue.ExecSql("update song set rating = " + QString::number(rating) +
                              " where songnum = " + number(title));
        }
        catalogue.ExecSql("insert into plist (plid, plname, pldate) values (5, 'Mum''s mix', 20240301)");
        int seq = 0;
        for (const QString& songNum : {number("Later"), number("Dawn"), QString("999"), number("Morning")}) {
            catalogue.ExecSql("insert into songinpl (plid, seq, songnum) values (5, " +
                              QString::number(++seq) + ", " + songNum + ")");
        }
        for (const auto& [title, stamp] :
             std::vector<std::pair<const char*, QString>>{{"Noon", "2024-03-01 21:00:00"},
                                                          {"Dawn", "2024-03-01 08:00:00"},
                                                          {"Late", "2024-03-02 09:00:00"}}) {
            catalogue.ExecSql("insert into history (songnum, ts, pldate, pltime) values (" + number(title) +
                              ", '" + stamp + "', " + stamp.left(10).remove('-') + ", " +
                              stamp.mid(11).remove(':') + ")");
        }
        catalogue.CloseCatalogue();
    }
    static void TearDownTestSuite() {
        delete s_home;
        s_home = nullptr;
    }

    static QString Catalogue() { return s_home->filePath("SW3DATA/SONGS.FDB"); }
    static test::ProgramRun Swtool(QStringList arguments) {
        arguments.prepend(s_home->path());
        arguments.prepend("--home");
        return RunProgram("swtool", arguments, 120000);
    }
    /// The id of the album, artist or genre of that name.
    static QString IdOf(const QString& sql) {
        sw::Catalogue catalogue;
        catalogue.Open(Catalogue());
        const int id = catalogue.Select(sql).Value(0, 0).toInt();
        catalogue.CloseCatalogue();
        return QString::number(id);
    }
    /// The lines of a listing; each is checked to have the grid's cells.
    static std::vector<QStringList> Listing(const QStringList& arguments, int cells) {
        const test::ProgramRun run = Swtool(QStringList{"songs"} + arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        std::vector<QStringList> lines;
        for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
            lines.push_back(line.split('\t'));
            EXPECT_EQ(lines.back().size(), cells) << line.toStdString();
        }
        return lines;
    }
    /// One cell of every line.
    static QStringList Cells(const std::vector<QStringList>& lines, int cell) {
        QStringList column;
        for (const QStringList& line : lines) {
            column << line.value(cell);
        }
        return column;
    }

    static QTemporaryDir* s_home;
};

QTemporaryDir* SwtoolSongs::s_home = nullptr;

struct ListCase {
    const char* name;
    QStringList arguments;
    int cells;
    int titleCell;
    QStringList titles;
};

TEST_F(SwtoolSongs, EachModeListsInItsOrderUnderItsFilter) {
    const QString album = IdOf("select albumid from album where alname = 'Blue Sky'");
    const QString artist = IdOf("select artistid from artist where arname = 'Ann'");
    const QString rock = IdOf("select genreid from genre where gname = 'Rock'");
    // Album, Track, Artist, Song title, Year, Duration, wng, Rating, Genre, Comment.
    const std::vector<ListCase> cases{
        {"album", {"--album", album}, 10, 3, {"Dawn"}},
        {"album unfiltered", {"--album", album, "--filter", "99"}, 10, 3, {"Dawn", "Morning", "Noon"}},
        {"artist", {"--artist", artist, "--filter", "0"}, 10, 3, {"Dawn", "Morning", "Solo Two"}},
        {"genre", {"--genre", rock}, 10, 3, {"Dawn", "Solo One"}},
        {"bad ones", {"--genre", rock, "--filter", "-1"}, 10, 3, {"Noon"}},
        // No album or track columns.
        {"singles", {"--singles"}, 8, 1, {"Solo Two", "Ogg Song", "Solo One"}},
        // A Seq column first; the entry whose song is gone shows without a filter only.
        {"playlist", {"--playlist", "5"}, 11, 4, {"Later", "Dawn"}},
        {"playlist unfiltered",
         {"--playlist", "5", "--filter", "99"},
         11,
         4,
         {"Later", "Dawn", "", "Morning"}},
        // "When played" first; the history is never filtered.
        {"day", {"--day", "20240301", "--filter", "4"}, 11, 4, {"Dawn", "Noon"}},
        // Singles (no album) first, then by album, track, artist and title; a search lifts the filter.
        {"recent",
         {"--recent", "--filter", "99"},
         10,
         3,
         {"Solo Two", "Solo One", "Ogg Song", "Dawn", "Morning", "Noon", "Late", "Later"}},
        {"search", {"--search", "o'connor"}, 10, 3, {"Late", "Later"}},
        {"search anywhere",
         {"--search", "s"},
         10,
         3,
         {"Solo Two", "Solo One", "Ogg Song", "Dawn", "Morning", "Noon", "Late", "Later"}},
        // What the load run loaded, in the order of a search, unfiltered: the searches before it
        // took nothing away.
        {"last loaded",
         {"--last-loaded", "--filter", "4"},
         10,
         3,
         {"Solo Two", "Solo One", "Ogg Song", "Dawn", "Morning", "Noon", "Late", "Later"}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Cells(Listing(c.arguments, c.cells), c.titleCell), c.titles);
    }
}

TEST_F(SwtoolSongs, TheLastLoadedListIsNamedByTheLoadRunsTime) {
    const test::ProgramRun run = Swtool({"songs", "--last-loaded"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QRegularExpression("Songs : Last loaded \\( at \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d  \\) : 8 songs listed")
                    .match(run.err)
                    .hasMatch())
        << run.err.toStdString();
}

TEST_F(SwtoolSongs, CellsAreTheGridsCells) {
    const QString album = IdOf("select albumid from album where alname = 'Blue Sky'");
    const std::vector<QStringList> lines = Listing({"--album", album, "--filter", "99"}, 10);
    ASSERT_EQ(lines.size(), 3u);
    // Every file is there and loaded as present: no warnings.
    EXPECT_EQ(lines[0].mid(0, 5), (QStringList{"Blue Sky", "1", "Ann", "Dawn", "2001"}));
    EXPECT_EQ(lines[0].mid(6), (QStringList{"", "+4", "Rock", ""}));
    EXPECT_EQ(Cells(lines, 7), (QStringList{"+4", "+1", "-1"}));
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d$").match(lines[0][5]).hasMatch())
        << lines[0][5].toStdString();

    const std::vector<QStringList> day = Listing({"--day", "20240301"}, 11);
    ASSERT_EQ(day.size(), 2u);
    EXPECT_EQ(day[0][0], "2024-03-01 08:00");
    const std::vector<QStringList> playlist = Listing({"--playlist", "5", "--filter", "99"}, 11);
    EXPECT_EQ(Cells(playlist, 0), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(playlist[2].join(""), "3");
}

TEST_F(SwtoolSongs, RefusesWhatItCannotList) {
    struct Wrong {
        QStringList arguments;
        int exitCode;
        QString message;
    };
    for (const Wrong& wrong : std::vector<Wrong>{
             {{}, 1, "songs needs one of"},
             {{"--singles", "--recent"}, 1, "one list at a time"},
             {{"--album", "x"}, 1, "--album needs a whole number"},
             {{"--day", "20240230"}, 1, "--day needs a date as YYYYMMDD"},
             {{"--singles", "--filter", "5"}, 1, "--filter must be"},
             {{"--album", "999"}, 1, "Album #999 not found"},
             {{"--playlist", "77"}, 1, "Playlist #77 not found"},
             {{"--search", ""}, 1, "--search needs a text"},
         }) {
        const test::ProgramRun run = Swtool(QStringList{"songs"} + wrong.arguments);
        EXPECT_EQ(run.exitCode, wrong.exitCode) << wrong.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(wrong.message)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}

}  // namespace
}  // namespace sw
