#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "ProgramRunner.h"
#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"
#include "core/IniFile.h"
#include "core/Song.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"

namespace sw {
namespace {

using test::RunProgram;

QString Fixture(const QString& name) {
    return QString(SW_SOURCE_DIR) + "/tests/fixtures/" + name;
}

/// Report lines that name a problem: everything but the scan's own bookkeeping.
QStringList ProblemLines(const QString& out) {
    static const QRegularExpression bookkeeping(
        "^( |[A-Z]+ \\d+ records.*|\\d+ problems?|latest = .*|Jukebox size .*|\\(excludes .*|Scan complete|"
        "songs=.*)$");
    QStringList lines;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        if (!bookkeeping.match(line).hasMatch()) {
            lines << line;
        }
    }
    return lines;
}

class SwtoolCheck : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home.filePath("SW3DATA"));
        CreateCatalogue(m_home.filePath("SW3DATA/SONGS.FDB"), "Check", test::CreationScript(),
                        QString(SW_SOURCE_DIR) + "/data/GENRES.INI");
        QDir().mkpath(m_music.filePath("Rock/Old"));
        QDir().mkpath(m_music.filePath("Jazz"));
        for (const char* name :
             {"Rock/moved.mp3", "Rock/deleted.mp3", "Rock/retagged.mp3", "Rock/redated.mp3"}) {
            QFile::copy(Fixture("id3v23.mp3"), m_music.filePath(name));
        }
        QFile::copy(Fixture("tone.ogg"), m_music.filePath("Jazz/tone.ogg"));
        QFile::copy(Fixture("plain.mp3"), m_music.filePath("Jazz/It's \"plain\".mp3"));
    }

    test::ProgramRun Swtool(QStringList arguments) {
        return RunProgram("swtool", QStringList{"--home", m_home.path()} + arguments, 120000);
    }

    QTemporaryDir m_home;
    QTemporaryDir m_music;
};

TEST_F(SwtoolCheck, FilesChangedBehindTheCatalogueAreReportedOnceAndRepaired) {
    auto run = Swtool({"load", "--subfolders", m_music.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // The shipped genres no song has are information, named once as a count, not a problem.
    run = Swtool({"check"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    const QStringList unused = ProblemLines(run.out).filter("unused genre");
    EXPECT_EQ(unused.size(), 1) << run.out.toStdString();
    static const QRegularExpression count("^1\\d\\d unused genres could be made dormant \\(the repair does it\\)$");
    EXPECT_TRUE(count.match(unused.value(0)).hasMatch()) << unused.value(0).toStdString();
    EXPECT_TRUE(run.out.contains("songs=6 problems=0 ")) << run.out.toStdString();
    run = Swtool({"check", "--repair"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();

    // Behind the catalogue's back: a file moved, one deleted, two retagged (one year cut short, one
    // another year), and a playlist entry whose song is gone.
    ASSERT_TRUE(QFile::rename(m_music.filePath("Rock/moved.mp3"), m_music.filePath("Rock/Old/moved.mp3")));
    ASSERT_TRUE(QFile::remove(m_music.filePath("Rock/deleted.mp3")));
    for (const auto& [name, year] :
         {std::pair{"Rock/retagged.mp3", "99"}, std::pair{"Rock/redated.mp3", "2005"}}) {
        TID3v2 tag;
        ASSERT_TRUE(tag.Read(m_music.filePath(name)));
        tag.SetYear(year);
        ASSERT_TRUE(tag.Save(m_music.filePath(name)));
    }
    {
        Catalogue catalogue;
        catalogue.Open(m_home.filePath("SW3DATA/SONGS.FDB"));
        catalogue.ExecSqlCommit("insert into songinpl (plid, seq, songnum) values (1, 1, 999)");
        catalogue.CloseCatalogue();
    }

    run = Swtool({"check"});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList found = ProblemLines(run.out);
    QStringList unique = found;
    EXPECT_EQ(unique.removeDuplicates(), 0) << found.join('\n').toStdString();
    const auto songLine = [&](const QString& part) { return found.filter(part); };
    EXPECT_EQ(songLine("db wrongly shows file as present (can auto-repair)").size(), 2)
        << run.out.toStdString();
    EXPECT_EQ(songLine("year mismatch : on db \"1999\", on file \"99\" (can auto-repair)").size(), 1);
    EXPECT_EQ(songLine("year mismatch : on db \"1999\", on file \"2005\" (for manual repair)").size(), 1);
    EXPECT_EQ(songLine("actual file size").size(), 2);
    EXPECT_EQ(songLine("Song #999 at 1 in playlist 1 song not found").size(), 1);
    static const QRegularExpression summary(
        "songs=6 problems=\\d+ repaired=0 seconds=[0-9.]+ songs_per_s=[0-9.]+\n$");
    EXPECT_TRUE(summary.match(run.out).hasMatch()) << run.out.toStdString();

    run = Swtool({"check", "--repair"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_TRUE(ProblemLines(run.out).filter("(can auto-repair)").isEmpty());

    run = Swtool({"check"});
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    const QStringList left = ProblemLines(run.out);
    EXPECT_FALSE(left.isEmpty());
    for (const QString& line : left) {
        EXPECT_TRUE(line.endsWith(" (for manual repair)")) << line.toStdString();
    }
    EXPECT_EQ(left.filter("on file \"2005\"").size(), 1);

    // The repaired year reached the file, written under the default tag policy as an ID3v1 tag.
    TSong retagged;
    retagged.FullPath = m_music.filePath("Rock/retagged.mp3");
    ASSERT_TRUE(ReadId3v1(retagged));
    EXPECT_EQ(retagged.Year, "1999");
    EXPECT_EQ(retagged.Title, "Fixture Title");

    run = Swtool({"stats"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("\nOverall 4 / 0MB\nFile not found : 2 / 0MB\n")) << run.out.toStdString();
}

/// Every row of every table of the catalogue.
QStringList CatalogueRows(const QString& path) {
    Catalogue catalogue;
    catalogue.Open(path);
    QStringList lines;
    for (const char* table : {"song", "album", "artist", "genre", "plist", "songinpl", "history", "params"}) {
        const RowSet rows = catalogue.Select(QString("select * from ") + table);
        for (int row = 0; row < rows.RowCount(); ++row) {
            QStringList values;
            for (int column = 0; column < rows.ColumnCount(); ++column) {
                values << (rows.Value(row, column).isNull() ? "<null>" : rows.Value(row, column).toString());
            }
            lines << QString(table) + ": " + values.join('|');
        }
    }
    catalogue.CloseCatalogue();
    lines.sort();
    return lines;
}

QByteArray BytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(SwtoolCheck, ACheckLeavesCatalogueAndSettingsAsTheyWere) {
    ASSERT_EQ(Swtool({"load", "--subfolders", m_music.path()}).exitCode, 0);
    const QString ini = m_home.filePath("SW3DATA/SONWICK3.INI");
    const QString fdb = m_home.filePath("SW3DATA/SONGS.FDB");
    {
        IniFile settings(ini);
        settings.WriteInteger("main", "Flashinterval", 2750);
        settings.Save();
    }
    // Things a repair would change: a file gone, a name stored whole.
    ASSERT_TRUE(QFile::remove(m_music.filePath("Rock/deleted.mp3")));
    {
        Catalogue catalogue;
        catalogue.Open(fdb);
        catalogue.ExecSqlCommit("update song set fn = '" + m_music.filePath("Rock/moved.mp3") +
                                "' where fn = 'Rock/moved.mp3'");
        catalogue.CloseCatalogue();
    }
    // A file that is there but cannot be read, for any user.
    ASSERT_TRUE(QFile::remove(m_music.filePath("Rock/redated.mp3")));
    ASSERT_TRUE(QFile::link("/proc/self/mem", m_music.filePath("Rock/redated.mp3")));

    const QByteArray settingsBefore = BytesOf(ini);
    const QStringList rowsBefore = CatalogueRows(fdb);
    for (int run = 0; run < 2; ++run) {
        const auto check = Swtool({"check", "--option", "no-tags"});
        EXPECT_EQ(check.exitCode, 1) << check.out.toStdString();
        const QStringList unreadable = ProblemLines(check.out).filter("cannot be read");
        EXPECT_EQ(unreadable.size(), 1) << check.out.toStdString();
        EXPECT_TRUE(unreadable.value(0).endsWith("file cannot be read : Input/output error (for manual repair)"))
            << unreadable.value(0).toStdString();
        // It is not taken for a file without a tag.
        const QString song = unreadable.value(0).section("file cannot", 0, 0);
        EXPECT_TRUE(ProblemLines(check.out).filter(song + "file has no tag").isEmpty()) << check.out.toStdString();
        EXPECT_EQ(BytesOf(ini), settingsBefore) << "run " << run;
        EXPECT_EQ(CatalogueRows(fdb), rowsBefore) << "run " << run;
    }

    // A read-only catalogue refuses the repair, and says why.
    {
        IniFile settings(ini);
        settings.WriteInteger("main", "READONLY", 1);
        settings.Save();
    }
    auto run = Swtool({"check", "--repair"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("Cannot make changes, database is read-only")) << run.err.toStdString();
    EXPECT_EQ(CatalogueRows(fdb), rowsBefore);

    // The repair changes the catalogue and the jukebox size, and leaves the other settings alone.
    {
        IniFile settings(ini);
        settings.WriteInteger("main", "READONLY", 0);
        settings.Save();
    }
    run = Swtool({"check", "--repair"});
    EXPECT_NE(CatalogueRows(fdb), rowsBefore);
    EXPECT_EQ(IniFile(ini).ReadInteger("main", "Flashinterval", 0), 2750);
}

TEST_F(SwtoolCheck, OptionsChooseTheChecksAndBadOnesAreRefused) {
    // Both tags, their titles differing: a mismatched pair. (Fields the ID3v2 tag lacks are no
    // mismatch: readers take them from ID3v1.)
    QFile::copy(Fixture("both.mp3"), m_music.filePath("Rock/both.mp3"));
    {
        QFile file(m_music.filePath("Rock/both.mp3"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.seek(file.size() - 128 + 3));
        ASSERT_EQ(file.write("Two Title"), 9);
    }
    ASSERT_EQ(Swtool({"load", "--subfolders", m_music.path()}).exitCode, 0);

    auto run = Swtool({"check", "--option", "both-tags", "--option", "no-tags"});
    EXPECT_EQ(ProblemLines(run.out).filter("v1 & v2 tags both present : mismatched").size(), 1)
        << run.out.toStdString();
    EXPECT_EQ(ProblemLines(run.out).filter("file has no tag (can auto-repair)").size(), 1);

    run = Swtool({"check", "--repair", "--option", "both-tags", "--which-tag", "v2"});
    EXPECT_TRUE(
        run.err.contains("CHOICE: Which MP3 tag to delete where both present & mismatched? "
                         "[delete v1 | delete v2] -> 2"))
        << run.err.toStdString();
    EXPECT_EQ(ProblemLines(run.out).filter("mismatched (repaired)").size(), 1) << run.out.toStdString();

    run = Swtool({"check", "--option", "colour"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains("unknown option colour")) << run.err.toStdString();
    run = Swtool({"check", "--which-tag", "v3"});
    EXPECT_NE(run.exitCode, 0);
}

}  // namespace
}  // namespace sw
