// Whole runs of the programs: swconv converts the committed legacy folder unattended, then the
// jukebox, started twice, raises the catalogue to the current version with everything in it.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QProcess>
#include <csignal>

#include "ConverterTestSupport.h"
#include "../app/ProgramRunner.h"
#include "core/Catalogue.h"

namespace sw {
namespace {

using test::RunProgram;

/// A copy of the committed previous-edition folder.
void CopyLegacyFixture(const QString& target) {
    const QString source = test::FixturesFolder() + "/legacy";
    QDirIterator files(source, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        test::WriteBytes(target + "/" + QDir(source).relativeFilePath(path), test::ReadFile(path));
    }
}

QStringList Lines(const RowSet& rows) {
    QStringList lines;
    for (int row = 0; row < rows.RowCount(); ++row) {
        QStringList values;
        for (int column = 0; column < rows.ColumnCount(); ++column) {
            const QVariant value = rows.Value(row, column);
            values << (value.isValid() ? value.toString() : QString("null"));
        }
        lines << values.join('|');
    }
    return lines;
}

class ConvertEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home.filePath("SW3DATA"));
        CreateCatalogue(m_home.filePath("SW3DATA/SONGS.FDB"), "My songs", test::CreationScript());
        CopyLegacyFixture(m_legacy.path());
    }

    QTemporaryDir m_home;
    QTemporaryDir m_legacy;
};

TEST_F(ConvertEndToEnd, TheJukeboxRaisesTheConvertedCatalogueAndFindsEverything) {
    const auto converted =
        RunProgram("swconv", {"--unattended", "--legacy", m_legacy.path(), "--home", m_home.path()});
    ASSERT_TRUE(converted.finished);
    EXPECT_EQ(converted.exitCode, 0) << converted.out.toStdString() << converted.err.toStdString();
    EXPECT_EQ(
        converted.out.split('\n', Qt::SkipEmptyParts),
        QStringList({"ASK: OK to start conversion ? -> Yes",
                     "INPUT: The music folder of the old catalogue was D:/Music/. Where is it now? -> D:/Music/",
                     "3 Artist records created ok",
                     "Table \"song.db\" 6 records converted ok", "Table \"genre.db\" 2 records converted ok",
                     "Table \"plist.db\" 2 records converted ok",
                     "Table \"songinpl.DB\" 4 records converted ok",
                     "Table \"album2.DB\" 4 records converted ok", "SONWICK.INI copied to SONWICK3.INI",
                     "NPAD.TXT copied", "All files converted OK"}));

    const auto first = RunProgram("sonwick3", {"--home", m_home.path(), "--unattended", "--quit"});
    ASSERT_TRUE(first.finished);
    EXPECT_EQ(first.exitCode, 0) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("INFO: Converting database to version 9")) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains("INFO: Converting database to version 11")) << first.out.toStdString();
    const auto second = RunProgram("sonwick3", {"--home", m_home.path(), "--unattended", "--quit"});
    ASSERT_TRUE(second.finished);
    EXPECT_EQ(second.exitCode, 0) << second.out.toStdString();
    EXPECT_FALSE(second.out.contains("Converting database")) << second.out.toStdString();

    Catalogue catalogue;
    catalogue.Open(m_home.filePath("SW3DATA/SONGS.FDB"));
    catalogue.ReadParams();
    EXPECT_EQ(catalogue.CatalogueVersion(), kCurrentCatalogueVersion);
    EXPECT_EQ(catalogue.CatalogueName(), "Ann's Café songs");
    EXPECT_EQ(Lines(catalogue.Select("select s.title, a.arname, al.alname from song s "
                                     "left join artist a on a.artistid = s.artistid "
                                     "left join album al on al.albumid = s.albumid order by s.songnum")),
              QStringList({"Waterloo|ABBA|Arrival", "Mamma Mia|ABBA|Arrival", "Dancing Queen|ABBA|Arrival",
                           "Untitled|null|null", "Café del Mar|Energy 52|Café del Mar Vol. 1",
                           "Optimist|Zoë Keating|Zoë's"}));
    EXPECT_EQ(Lines(catalogue.Select(
                  "select albumid, alorgrp, grpid, ratingdrvd, ratingassd, ratingsumm, seq, grpseq "
                  "from album order by albumid")),
              QStringList({"0|A|0|0|0|0|0|0", "1|A|0|0|0|0|0|0", "2|A|0|0|0|0|0|0", "3|A|0|0|0|0|0|0"}));
    EXPECT_EQ(
        Lines(catalogue.Select("select p.plname, p.pldate, count(e.songnum) from plist p "
                               "join songinpl e on e.plid = p.plid group by p.plname, p.pldate order by 1")),
        QStringList({"Chill's|0|1", "Party|0|3"}));
    EXPECT_EQ(Lines(catalogue.Select("select gname from genre order by genreid")),
              QStringList({"Pop", "Trance"}));
    catalogue.CloseCatalogue();

    // The jukebox kept the carried-over settings, and the notepad text is UTF-8.
    const IniFile settings(m_home.filePath("SW3DATA/SONWICK3.INI"));
    EXPECT_EQ(settings.ReadString("main", "Root", ""), "D:/Music/");
    EXPECT_EQ(settings.ReadInteger("main", "FADETIME", 0), 2500);
    EXPECT_EQ(settings.ReadInteger("main", "OGGTAG", -1), 0);
    EXPECT_EQ(settings.ReadInteger("main", "DBSIZE", 0), 1234);
    EXPECT_EQ(settings.ReadString("main", "DBName", ""), "Ann's Café songs");
    EXPECT_EQ(settings.ReadInteger("main", "DBvn", 0), -1);
    EXPECT_EQ(QString::fromUtf8(test::ReadFile(m_home.filePath("NPAD.TXT"))),
              "Notes\r\nCafé crème – 5 €\r\n");

    // swtool reads the legacy tables the same way.
    const auto dump = RunProgram(
        "swtool", {"--home", m_home.path(), "paradox", m_legacy.path() + "/Data/song.db", "--limit", "1"});
    EXPECT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    const QStringList lines = dump.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("\"version\":\"7.x\",\"fileVersion\":12,\"type\":\"keyed\""))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains("\"rows\":6")) << lines[0].toStdString();
    EXPECT_TRUE(
        lines[1].startsWith("{\"SongNum\":1,\"title\":\"Waterloo\",\"album\":null,\"artist\":\"ABBA\""))
        << lines[1].toStdString();
}

TEST_F(ConvertEndToEnd, RefusalsEndWithAFailureStatus) {
    QFile::remove(m_legacy.filePath("SonWick.EXE"));
    const auto refused =
        RunProgram("swconv", {"--unattended", "--legacy", m_legacy.path(), "--home", m_home.path()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.out.trimmed(), "INFO: Selected folder is not a Sonwick folder : SONWICK.EXE not found");

    const auto damaged =
        RunProgram("swtool", {"--home", m_home.path(), "paradox", m_legacy.filePath("NPAD.TXT")});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_TRUE(damaged.err.contains("Cannot read the table " + m_legacy.filePath("NPAD.TXT")))
        << damaged.err.toStdString();

    const auto unnamed = RunProgram("swconv", {"--unattended", "--home", m_home.path()});
    EXPECT_EQ(unnamed.exitCode, 2);
}

TEST_F(ConvertEndToEnd, NothingIsConvertedUnderARunningJukebox) {
    QProcess jukebox;
    ASSERT_TRUE(test::StartJukebox(jukebox, m_home.path()));
    const auto refused =
        RunProgram("swconv", {"--unattended", "--legacy", m_legacy.path(), "--home", m_home.path()});
    jukebox.kill();
    jukebox.waitForFinished();
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.out.contains("sonwick3 is running on the program folder"))
        << refused.out.toStdString();
    EXPECT_FALSE(refused.out.contains("converted ok")) << refused.out.toStdString();
}

// Ctrl+C or kill in the middle of an unattended conversion: undone, exit status 1, no abort.
struct StopCase {
    const char* name;
    int signal;
};

class StoppedUnattended : public ConvertEndToEnd, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StoppedUnattended, RollsBackAndEndsWithStatusOne) {
    QTemporaryDir big;
    test::WriteGeneratedLegacyFolder(big.path(), 40000, 1000);
    QProcess converter;
    converter.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    converter.setProcessEnvironment(environment);
    converter.start(test::ProgramPath("swconv"),
                    {"--unattended", "--legacy", big.path(), "--home", m_home.path()});
    ASSERT_TRUE(converter.waitForStarted());
    // The songs are being copied once the artists are logged.
    QByteArray out;
    while (!out.contains("Artist records created ok") && converter.waitForReadyRead(60000)) {
        out += converter.readAll();
    }
    ASSERT_TRUE(out.contains("Artist records created ok")) << out.toStdString();
    ::kill(static_cast<pid_t>(converter.processId()), GetParam().signal);
    ASSERT_TRUE(converter.waitForFinished(60000));
    out += converter.readAll();
    EXPECT_EQ(converter.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(converter.exitCode(), 1) << out.toStdString();
    EXPECT_FALSE(out.contains("terminate called")) << out.toStdString();
    EXPECT_FALSE(out.contains("records converted")) << out.toStdString();
    EXPECT_TRUE(out.contains("Conversion aborted\nThe catalogue was left as it was: nothing was converted"))
        << out.toStdString();
    Catalogue catalogue;
    catalogue.Open(m_home.filePath("SW3DATA/SONGS.FDB"));
    EXPECT_EQ(Lines(catalogue.Select("select count(*) from song")), QStringList({"0"}));
    EXPECT_EQ(Lines(catalogue.Select("select count(*) from artist")), QStringList({"0"}));
    EXPECT_EQ(Lines(catalogue.Select("select pmval2 from params where pmname = 'DBNAME'")),
              QStringList({"My songs"}));
    catalogue.CloseCatalogue();
}

INSTANTIATE_TEST_SUITE_P(Converter, StoppedUnattended,
                         ::testing::Values(StopCase{"Interrupted", SIGINT}, StopCase{"Terminated", SIGTERM}),
                         [](const ::testing::TestParamInfo<StopCase>& param) {
                             return std::string(param.param.name);
                         });

// The window waiting for the user, its catalogue open: a stop signal ends it, and the catalogue
// is closed so that it opens again.
TEST_P(StoppedUnattended, EndsTheWaitingWindow) {
    QProcess converter;
    converter.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    converter.setProcessEnvironment(environment);
    QDir(m_home.path()).removeRecursively();
    QDir().mkpath(m_home.path());
    converter.start(test::ProgramPath("swconv"), {"--legacy", m_legacy.path(), "--home", m_home.path()});
    ASSERT_TRUE(converter.waitForStarted());
    const QString catalogue = m_home.filePath("SW3DATA/SONGS.FDB");
    const auto holdsCatalogue = [&] {
        QDirIterator open(QString("/proc/%1/fd").arg(converter.processId()), QDir::Files | QDir::System);
        while (open.hasNext()) {
            if (QFileInfo(open.next()).symLinkTarget() == catalogue) {
                return true;
            }
        }
        return false;
    };
    for (int wait = 0; wait < 300 && !holdsCatalogue(); ++wait) {
        converter.waitForFinished(100);
    }
    ASSERT_TRUE(holdsCatalogue());
    ::kill(static_cast<pid_t>(converter.processId()), GetParam().signal);
    const bool ended = converter.waitForFinished(20000);
    if (!ended) {
        converter.kill();
        converter.waitForFinished();
    }
    ASSERT_TRUE(ended) << "still running 20 s after " << GetParam().name;
    EXPECT_EQ(converter.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(converter.exitCode(), 1) << converter.readAll().toStdString();
    Catalogue reopened;
    reopened.Open(catalogue);
    EXPECT_EQ(Lines(reopened.Select("select count(*) from song")), QStringList({"0"}));
    reopened.CloseCatalogue();
}

TEST_F(ConvertEndToEnd, MapsAndBadRowsComeFromTheCommandLine) {
    // The third album takes the number of the second.
    QByteArray albums = test::ReadFile(m_legacy.filePath("Data/album2.DB"));
    const int record = static_cast<unsigned char>(albums[0]);
    albums.replace(2048 + 6 + 2 * record, 4, QByteArray("\x80\x00\x00\x01", 4));
    test::WriteBytes(m_legacy.filePath("Data/album2.DB"), albums);
    const QStringList common = {"--unattended", "--legacy", m_legacy.path(), "--home", m_home.path(),
                                "--map",        "D:/=/mnt/d"};
    const auto stopped = RunProgram("swconv", common);
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_TRUE(stopped.out.contains("Conversion aborted")) << stopped.out.toStdString();
    EXPECT_TRUE(stopped.out.contains("PK_ALBUM_1")) << stopped.out.toStdString();

    const auto skipped = RunProgram("swconv", common + QStringList{"--skip-bad-rows"});
    EXPECT_EQ(skipped.exitCode, 0) << skipped.out.toStdString();
    EXPECT_FALSE(skipped.out.contains("INPUT:")) << skipped.out.toStdString();
    EXPECT_TRUE(skipped.out.contains("album2.DB: row 3 not converted: violation of PRIMARY"))
        << skipped.out.toStdString();
    EXPECT_TRUE(skipped.out.contains("Folder D: is now /mnt/d\n")) << skipped.out.toStdString();
    EXPECT_TRUE(skipped.out.contains("Root D:/Music/ becomes /mnt/d/Music/")) << skipped.out.toStdString();
    EXPECT_TRUE(skipped.out.endsWith("Conversion finished with 1 warning; 1 row not converted\n"))
        << skipped.out.toStdString();
    EXPECT_EQ(IniFile(m_home.filePath("SW3DATA/SONWICK3.INI")).ReadString("main", "Root", ""), "/mnt/d/Music/");

    const auto wrong = RunProgram("swconv", {"--unattended", "--legacy", m_legacy.path(), "--home",
                                             m_home.path(), "--map", "Music"});
    EXPECT_EQ(wrong.exitCode, 2);
}

}  // namespace
}  // namespace sw
