// What the check finds beyond a song's own file and tags, and what it leaves alone without repair.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDirIterator>
#include <functional>

#include "CheckFixture.h"
#include "foundation/Files.h"
#include "support/Unsaveable.h"

namespace sw::test {
namespace {

/// Every row of every table, and every file under the music root with its size.
QStringList Snapshot(Catalogue& catalogue, const QString& music) {
    QStringList lines;
    for (const char* table : {"song", "album", "artist", "genre", "plist", "songinpl", "history", "params"}) {
        const RowSet rows = catalogue.Select(QString("select * from ") + table);
        QStringList tableRows;
        for (int row = 0; row < rows.RowCount(); ++row) {
            QStringList values;
            for (int column = 0; column < rows.ColumnCount(); ++column) {
                const QVariant value = rows.Value(row, column);
                values << (value.isNull() ? "<null>" : value.toString());
            }
            tableRows << QString(table) + ": " + values.join('|');
        }
        tableRows.sort();
        lines += tableRows;
    }
    QDirIterator files(music, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        files.next();
        lines << files.filePath() + " " + QString::number(files.fileInfo().size());
    }
    return lines;
}

/// A catalogue with something for every pass to repair.
class FindingsFixture : public CheckFixture {
protected:
    void AddHistory(int songNum) {
        const TDateTime ts = DateToDateTime({2023, 1, 2}) + 0.5;
        const DateTimeNumbers numbers = DateTimeToNumbers(ts);
        Query insert(m_catalogue, "insert into history (songnum, ts, pldate, pltime) values (:n, :ts, :d, :t)");
        insert.SetInteger("n", songNum)
            .SetTimestamp("ts", ts)
            .SetInteger("d", numbers.date)
            .SetInteger("t", numbers.time)
            .Execute();
        m_catalogue.CommitAndContinue();
    }

    void AddEverythingToRepair() {
        const QString a = Put("Rock/a.mp3", Fixture("plain.mp3"));
        Mp3Tags shortYear{"T", "A", "B", "98", "", 17};
        const QString b = Mp3("Rock/b.mp3", &shortYear);
        AddAlbum(1, "Album", 5);
        AddSong(a, "", 1, 3, 1, 17);                  // absolute name, wrong size
        AddSongFor(b, "1998", 1, 17);                 // year to write into the file
        AddSong("Rock/a.mp3", "", 0, 0, 42, 17);      // same file again, absent, missing album
        AddSong("gone.mp3", "19", 1, 0, 1, 8);        // gone but marked present
        m_catalogue.ExecSqlCommit("update song set artistid = 77 where songnum = 4");
        m_catalogue.ExecSqlCommit("insert into songinpl (plid, seq, songnum) values (2, 1, 99)");
        AddHistory(4);
        // A copy a killed tag write left beside a song.
        QByteArray temporary;
        const int fd = CreateTemporaryBeside(QFile::encodeName(a), temporary);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "x", 1), 1);
        ::close(fd);
        m_settings.MP3TAGPOLICY = 1;
        m_check.SetOption(HealthOption::NoTags, true);
        m_check.SetOption(HealthOption::BothTags, true);
        m_check.SetOption(HealthOption::GenreMismatches, true);
    }
};

TEST_F(FindingsFixture, ACheckWithoutRepairWritesNothingReadOnlyOrNot) {
    AddEverythingToRepair();
    const QStringList before = Snapshot(m_catalogue, m_music.path());
    for (const bool readOnly : {false, true}) {
        m_settings.READONLY = readOnly;
        m_check.RunCheck();
        m_catalogue.CommitAndContinue();
        EXPECT_GE(m_check.Totals().outstanding, 6) << m_check.Report().join("\n").toStdString();
        EXPECT_EQ(m_check.Totals().repaired, 0);
        EXPECT_EQ(Snapshot(m_catalogue, m_music.path()), before) << "read-only " << readOnly;
    }
    // A read-only catalogue refuses the repair with the program's message, and keeps its rows.
    EXPECT_FALSE(m_check.RunRepair());
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
    EXPECT_EQ(Snapshot(m_catalogue, m_music.path()), before);

    // The repair changes what the check reported.
    m_settings.READONLY = false;
    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_NE(Snapshot(m_catalogue, m_music.path()), before);
}

struct LinkCase {
    std::string name;
    /// Makes `path` a file that is there but cannot be read; false when this user cannot.
    std::function<bool(const QString& path)> make;
    QString reason;
};

class UnreadableFile : public CheckFixture, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(UnreadableFile, IsReportedWithTheSystemsReasonAndGetsNoTag) {
    const QString path = Put("locked.mp3", Fixture("plain.mp3"));
    AddSongFor(path, "2002");
    if (!GetParam().make(path)) {
        GTEST_SKIP() << "this user reads every file";
    }
    m_check.SetOption(HealthOption::NoTags, true);

    m_check.RunCheck();
    EXPECT_EQ(m_check.ProblemLines().filter("Song #1 file"),
              QStringList{"Song #1 file cannot be read : " + GetParam().reason + " (for manual repair)"});
    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_TRUE(m_check.ProblemLines().filter("no tag").isEmpty()) << m_check.ProblemLines().join("\n").toStdString();
    // No tag write is waiting for the file either.
    EXPECT_TRUE(m_reader.FinishPendingWrites());
    if (!QFileInfo(path).isSymLink()) {
        ::chmod(QFile::encodeName(path).constData(), 0644);
        EXPECT_EQ(ReadBack(path).TagSource, kTagNoTag);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnreadableFile,
    ::testing::Values(LinkCase{"PermissionDenied",
                               [](const QString& path) {
                                   return ::geteuid() != 0 && ::chmod(QFile::encodeName(path).constData(), 0) == 0;
                               },
                               "Permission denied"},
                      // A system file whose first bytes are never readable, for any user.
                      LinkCase{"ReadError",
                               [](const QString& path) {
                                   QFile::remove(path);
                                   return QFile::link("/proc/self/mem", path);
                               },
                               "Input/output error"}),
    ByName());

class RowFindings;

struct RowCase {
    std::string name;
    /// Adds what the case is about to a catalogue holding song #1 for "one.mp3", whose file exists.
    std::function<void(RowFindings&)> setUp;
    QString line;  ///< the report line of a check, suffix left out
    bool repairable;
    QString afterRepair;  ///< "select ... as v" whose value the repair leaves
    QString expected;
};

class RowFindings : public FindingsFixture, public ::testing::WithParamInterface<RowCase> {
public:
    using FindingsFixture::AddHistory;
    using FindingsFixture::AddSong;
    using FindingsFixture::AddSongFor;
    using FindingsFixture::m_catalogue;
    using FindingsFixture::m_music;
};

TEST_P(RowFindings, AreReportedAndRepairedOnlyWhereNothingIsLost) {
    const RowCase& c = GetParam();
    AddSongFor(Put("one.mp3", Fixture("plain.mp3")));
    c.setUp(*this);
    const QString suffix = c.repairable ? " (can auto-repair)" : " (for manual repair)";

    m_check.RunCheck();
    EXPECT_EQ(m_check.ProblemLines(), QStringList{c.line + suffix});
    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(m_check.ProblemLines(), QStringList{c.line + (c.repairable ? " (repaired)" : suffix)});
    EXPECT_EQ(TextOf(c.afterRepair), c.expected);
    EXPECT_EQ(IntOf("select count(*) as v from history"), c.name.find("History") != std::string::npos ? 1 : 0);
    m_check.RunCheck();
    EXPECT_EQ(m_check.ProblemLines().size(), c.repairable ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RowFindings,
    ::testing::Values(
        RowCase{"SameFileTwice", [](RowFindings& f) { f.AddSong("one.mp3", "", 1, QFileInfo(f.m_music.filePath("one.mp3")).size()); },
                "Song #2 same file as song #1", true, "select count(*) as v from song", "1"},
        RowCase{"SameFileWithItsOwnHistory",
                [](RowFindings& f) {
                    f.AddSong("one.mp3", "", 1, QFileInfo(f.m_music.filePath("one.mp3")).size());
                    f.AddHistory(2);
                },
                "Song #2 same file as song #1, with its own play history", false, "select count(*) as v from song",
                "2"},
        RowCase{"SameFileInAPlaylistAndRated",
                [](RowFindings& f) {
                    f.AddSong("one.mp3", "", 1, QFileInfo(f.m_music.filePath("one.mp3")).size(), 0, 255, 3);
                    f.m_catalogue.ExecSqlCommit("insert into songinpl (plid, seq, songnum) values (1, 1, 2)");
                },
                "Song #2 same file as song #1, with its own playlist entries, rating", false,
                "select count(*) as v from song", "2"},
        RowCase{"NumberHeldTwice",
                [](RowFindings& f) {
                    f.m_catalogue.ExecSqlCommit("insert into song (songnum, fn, exi) values (1, 'other.mp3', 0)");
                },
                "Song #1 song number is held by 2 rows", false, "select count(*) as v from song", "2"},
        RowCase{"MissingArtist",
                [](RowFindings& f) { f.m_catalogue.ExecSqlCommit("update song set artistid = 77"); },
                "Song #1 artist not found #77", true, "select artistid as v from song", "0"},
        RowCase{"MissingAlbum",
                [](RowFindings& f) { f.m_catalogue.ExecSqlCommit("update song set albumid = 12"); },
                "Song #1 album not found #12", true, "select albumid as v from song", "0"}),
    ByName());

struct CountCase {
    std::string name;
    int numExi;
    int present;  ///< songs of the album whose files exist; one more song's file is missing
    QString text;  ///< empty: nothing to report
};

class AlbumFileCount : public CheckFixture, public ::testing::WithParamInterface<CountCase> {};

TEST_P(AlbumFileCount, IsTheNumberOfSongsWhoseFilesExist) {
    const CountCase& c = GetParam();
    AddAlbum(1, "Album", c.numExi);
    for (int i = 0; i < c.present; ++i) {
        AddSongFor(Put(QString::number(i) + ".mp3", Fixture("plain.mp3")), "", 1);
    }
    AddSong("gone.mp3", "", 0, 0, 1);
    const QStringList expected =
        c.text.isEmpty() ? QStringList{} : QStringList{"Album #1 \"Album\" " + c.text + " (can auto-repair)"};

    m_check.RunCheck();
    EXPECT_EQ(m_check.ProblemLines(), expected);
    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(IntOf("select numexi as v from album"), c.present);
    m_check.RunCheck();
    EXPECT_TRUE(m_check.ProblemLines().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Counts, AlbumFileCount,
                         ::testing::Values(CountCase{"AllGone", 3, 0, "file count should be zero"},
                                           CountCase{"NoneCounted", 0, 2, "file count should be > 0"},
                                           CountCase{"TooMany", 3, 1, "file count is 3, should be 1"},
                                           CountCase{"TooFew", 1, 2, "file count is 1, should be 2"},
                                           CountCase{"Right", 2, 2, ""}),
                         ByName());

TEST_F(CheckFixture, AnAlbumsCountFollowsTheFlagsTheRepairSets) {
    const QString back = Put("back.mp3", Fixture("plain.mp3"));
    AddAlbum(1, "Album", 1);
    AddSong("gone.mp3", "", 1, 0, 1);  // counted, but gone
    AddSong("back.mp3", "", 0, QFileInfo(back).size(), 1);
    AddAlbum(2, "Other", 1);
    AddSong("gone2.mp3", "", 1, 0, 2);
    // Stopped in the album pass: the counts changed with the flags all the same.
    m_display.onPump = [this](int pump) {
        if (pump == 5) {
            m_check.Cancel();
        }
    };
    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_TRUE(m_check.Totals().aborted);
    EXPECT_TRUE(LinesWith("Album #").isEmpty()) << m_check.Report().join("\n").toStdString();
    EXPECT_EQ(IntOf("select sum(exi) as v from song where albumid = 1"), 1);
    EXPECT_EQ(IntOf("select numexi as v from album where albumid = 1"), 1);
    EXPECT_EQ(IntOf("select numexi as v from album where albumid = 2"), 0);
}

}  // namespace
}  // namespace sw::test
