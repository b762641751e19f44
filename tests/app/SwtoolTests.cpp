#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "ProgramRunner.h"
#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"
#include "../load/LoadTestSupport.h"

namespace sw {
namespace {

using test::RunProgram;

QString Fixtures() {
    return QString(SW_SOURCE_DIR) + "/tests/fixtures/";
}

QList<QJsonObject> JsonLines(const QString& out) {
    QList<QJsonObject> objects;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        objects << document.object();
    }
    return objects;
}

class Swtool : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home.filePath("SW3DATA"));
        CreateCatalogue(m_home.filePath("SW3DATA/SONGS.FDB"), "Swtool", test::CreationScript(),
                        QString(SW_SOURCE_DIR) + "/data/GENRES.INI");
    }
    QString Home() const { return m_home.path(); }
    QString CatalogueFile() const { return m_home.filePath("SW3DATA/SONGS.FDB"); }
    void WriteSettings(const QByteArray& text) {
        QFile file(m_home.filePath("SW3DATA/SONWICK3.INI"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QString SettingsText() const {
        QFile file(m_home.filePath("SW3DATA/SONWICK3.INI"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    /// The committed songs, as another program sees them.
    RowSet Songs() const {
        Catalogue catalogue;
        catalogue.Open(CatalogueFile());
        return catalogue.Select("select songnum, fn from song order by songnum");
    }

    QTemporaryDir m_home;
};

TEST_F(Swtool, TagsPrintsWhatTheReaderFindsOneJsonLinePerFile) {
    const auto run =
        RunProgram("swtool", {"--home", Home(), "tags", Fixtures() + "id3v23.mp3", Fixtures() + "tone.ogg",
                              Fixtures() + "plain.mp3", Fixtures() + "missing.mp3"});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const QList<QJsonObject> lines = JsonLines(run.out);
    ASSERT_EQ(lines.size(), 4);
    const QStringList members = {"path",      "fileType", "tagSource", "title",         "artist",
                                 "album",     "year",     "comment",   "track",         "genreId",
                                 "genreName", "rating",   "composer",  "encoder",       "copyright",
                                 "language",  "link",     "vendor",    "unicodeIgnored"};
    for (const QJsonObject& line : lines) {
        for (const QString& member : members) {
            EXPECT_TRUE(line.contains(member)) << member.toStdString();
        }
    }
    const QJsonObject& mp3 = lines[0];
    EXPECT_EQ(mp3["tagSource"].toInt(), 6);
    EXPECT_EQ(mp3["title"].toString(), "Fixture Title");
    EXPECT_EQ(mp3["artist"].toString(), "Fixture Artist");
    EXPECT_EQ(mp3["track"].toInt(), 7);
    EXPECT_EQ(mp3["year"].toString(), "1999");
    EXPECT_EQ(mp3["genreName"].toString(), "Rock");
    EXPECT_EQ(mp3["genreId"].toInt(), 17);
    EXPECT_EQ(mp3["composer"].toString(), "Fixture Composer");
    EXPECT_FALSE(mp3.contains("error"));

    const QJsonObject& ogg = lines[1];
    EXPECT_EQ(ogg["fileType"].toString(), "OGG");
    EXPECT_EQ(ogg["tagSource"].toInt(), 7);
    EXPECT_EQ(ogg["genreId"].toInt(), 8);
    EXPECT_EQ(ogg["comment"].toString(), "Ogg comment");

    EXPECT_EQ(lines[2]["tagSource"].toInt(), 1);
    EXPECT_EQ(lines[2]["title"].toString(), "plain");
    EXPECT_EQ(lines[3]["tagSource"].toInt(), 2);
    EXPECT_EQ(lines[3]["vendor"].toString(), "");
    EXPECT_TRUE(lines[3].contains("error"));
}

TEST_F(Swtool, TagsWorksWithoutACatalogue) {
    QFile::remove(m_home.filePath("SW3DATA/SONGS.FDB"));
    const auto run = RunProgram("swtool", {"--home", Home(), "tags", Fixtures() + "id3v23.mp3"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QList<QJsonObject> lines = JsonLines(run.out);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0]["genreId"].toInt(), 17);
}

// Unicode ID3v2 tags are read only with --unicode, which leaves the settings file as it was;
// FLAC and Opus comments are read either way.
TEST_F(Swtool, TagsReadsUnicodeTagsWithTheSwitchAndFlacAndOpusAlways) {
    const QStringList files = {Fixtures() + "unicode23.mp3", Fixtures() + "tone.flac",
                               Fixtures() + "tone.opus"};
    for (const bool unicode : {false, true}) {
        SCOPED_TRACE(unicode ? "--unicode" : "default");
        QStringList arguments = {"--home", Home(), "tags"};
        if (unicode) {
            arguments << "--unicode";
        }
        const auto run = RunProgram("swtool", arguments + files);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QList<QJsonObject> lines = JsonLines(run.out);
        ASSERT_EQ(lines.size(), 3);
        EXPECT_EQ(lines[0]["unicodeIgnored"].toBool(), !unicode);
        EXPECT_EQ(lines[0]["title"].toString(), unicode ? "Привет, мир" : "unicode23");
        EXPECT_EQ(lines[0]["artist"].toString(), unicode ? "日本語のアーティスト" : "");
        EXPECT_EQ(lines[0]["album"].toString(), unicode ? "Emoji 🎵 Album" : "");
        EXPECT_EQ(lines[0]["track"].toInt(), unicode ? 2 : 0);
        EXPECT_EQ(lines[1]["fileType"].toString(), "FLAC");
        EXPECT_EQ(lines[1]["title"].toString(), "Flac Title");
        EXPECT_EQ(lines[1]["track"].toInt(), 2);
        EXPECT_EQ(lines[2]["fileType"].toString(), "OPUS");
        EXPECT_EQ(lines[2]["artist"].toString(), "Opus Artist");
        EXPECT_FALSE(lines[2]["vendor"].toString().isEmpty());
    }
    QFile settings(m_home.filePath("SW3DATA/SONWICK3.INI"));
    if (settings.open(QIODevice::ReadOnly)) {
        EXPECT_FALSE(settings.readAll().contains("UNICODETAGS = 1"));
    }
    EXPECT_NE(RunProgram("swtool", {"--home", Home(), "tags", "--ascii", files[0]}).exitCode, 0);
}

TEST_F(Swtool, LoadRunsWithoutAWindowAndSummarises) {
    QTemporaryDir music;
    QDir().mkpath(music.filePath("Sub"));
    QFile::copy(Fixtures() + "id3v23.mp3", music.filePath("one.mp3"));
    QFile::copy(Fixtures() + "tone.ogg", music.filePath("Sub/two.ogg"));
    QFile::copy(Fixtures() + "plain.mp3", music.filePath("Sub/It's a \"name\".mp3"));
    QFile(music.filePath("readme.txt")).open(QIODevice::WriteOnly);

    auto run = RunProgram("swtool", {"--home", Home(), "load", "--subfolders", music.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("listed=3 inserted=3 copies=0 refreshed=0 relinked=0 skipped=0 "))
        << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("loaded 3 / 3")) << run.err.toStdString();

    run = RunProgram("swtool", {"--home", Home(), "load", "--subfolders", music.path()});
    EXPECT_TRUE(run.out.startsWith("listed=0 inserted=0 copies=0 refreshed=0 relinked=0 skipped=3 "))
        << run.out.toStdString();
    run = RunProgram("swtool", {"--home", Home(), "load", "--all", "--subfolders", music.path()});
    EXPECT_TRUE(run.out.startsWith("listed=3 inserted=0 copies=0 refreshed=3 ")) << run.out.toStdString();

    Catalogue catalogue;
    catalogue.Open(m_home.filePath("SW3DATA/SONGS.FDB"));
    const RowSet rows = catalogue.Select("select fn from song order by songnum");
    ASSERT_EQ(rows.RowCount(), 3);
    EXPECT_EQ(rows.Value(0, 0).toString(), music.filePath("one.mp3"));
    // The run's stamp and the size reached the settings.
    QFile settings(m_home.filePath("SW3DATA/SONWICK3.INI"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray text = settings.readAll();
    EXPECT_FALSE(text.contains("LastLoadedTS-date = 0\n")) << text.toStdString();
}

// Loaded with both switches off; the switches on, --reread catches up: the Unicode title read,
// the FLAC file beside it loaded, the rating left alone.
TEST_F(Swtool, LoadRereadCatchesUpWithTheTagSwitchesThatAreOn) {
    QTemporaryDir music;
    QFile::copy(Fixtures() + "unicode24.mp3", music.filePath("u.mp3"));
    QFile::copy(Fixtures() + "tone.flac", music.filePath("t.flac"));
    WriteSettings("[main]\nUNICODETAGS=0\nFLACOPUS=0\n");
    auto run = RunProgram("swtool", {"--home", Home(), "load", music.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    {
        Catalogue catalogue;
        catalogue.Open(CatalogueFile());
        catalogue.ExecSqlCommit("update song set rating = 4");
    }
    run = RunProgram("swtool", {"--home", Home(), "load", "--reread"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("examined=0 reread=0 added=0 failed=0 ")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("both tag switches are off")) << run.err.toStdString();

    WriteSettings("[main]\nUNICODETAGS=1\nFLACOPUS=1\n");
    run = RunProgram("swtool", {"--home", Home(), "load", "--reread"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("examined=1 reread=1 added=1 failed=0 ")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("re-read 1 / 1")) << run.err.toStdString();
    Catalogue catalogue;
    catalogue.Open(CatalogueFile());
    const RowSet rows = catalogue.Select("select title, rating, fn from song order by songnum");
    ASSERT_EQ(rows.RowCount(), 2);
    EXPECT_EQ(rows.Value(0, 0).toString(), QString::fromUtf8("Привет, мир"));
    EXPECT_EQ(rows.Value(0, 1).toInt(), 4);
    EXPECT_EQ(rows.Value(1, 2).toString(), music.filePath("t.flac"));

    run = RunProgram("swtool", {"--home", Home(), "load", "--reread", music.path()});
    EXPECT_NE(run.exitCode, 0);
}

TEST_F(Swtool, LoadRefusesOnAReadOnlyCatalogue) {
    WriteSettings("[main]\nREADONLY=1\n");
    QTemporaryDir music;
    QFile::copy(Fixtures() + "plain.mp3", music.filePath("one.mp3"));
    const auto run = RunProgram("swtool", {"--home", Home(), "load", music.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.err.contains("INFO: Cannot make changes, database is read-only\\n( see menu option "
                         "\"Database\")"))
        << run.err.toStdString();
    EXPECT_EQ(Songs().RowCount(), 0);
}

TEST_F(Swtool, LoadWithNothingToLoadStartsNoRun) {
    WriteSettings("[main]\nLastLoadedTS-date=20200101\nLastLoadedTS-time=120000\n");
    QTemporaryDir music;
    QFile(music.filePath("readme.txt")).open(QIODevice::WriteOnly);
    const auto run = RunProgram("swtool", {"--home", Home(), "load", music.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("listed=0 inserted=0 ")) << run.out.toStdString();
    EXPECT_TRUE(SettingsText().contains("LastLoadedTS-date=20200101")) << SettingsText().toStdString();
}

TEST_F(Swtool, LoadNamesWhatItCannotReadOrCatalogue) {
    QTemporaryDir music;
    QFile::copy(Fixtures() + "plain.mp3", music.filePath("ok.mp3"));
    ASSERT_TRUE(test::MakeRawEntry(music.path(), "caf\xE9.mp3"));
    ASSERT_TRUE(test::MakeRawEntry(music.path(), "bad\xFF/"));
    const auto run = RunProgram("swtool", {"--home", Home(), "load", "--subfolders", music.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("listed=1 inserted=1 ")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("INFO: These folders could not be read and were left out:\\n\"" +
                                 music.path() + "/bad\\xFF/\""))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("INFO: \"" + music.path() +
                                 "/caf\\xE9.mp3\" could not be catalogued: name is not valid UTF-8"))
        << run.err.toStdString();
    test::RemoveRawEntry(music.path(), "caf\xE9.mp3");
    test::RemoveRawEntry(music.path(), "bad\xFF/");
}

TEST_F(Swtool, ARootWithoutItsSlashKeepsNamesRelative) {
    QTemporaryDir music;
    QFile::copy(Fixtures() + "plain.mp3", music.filePath("one.mp3"));
    WriteSettings(("[main]\nRoot=" + music.path() + "\n").toUtf8());
    auto run = RunProgram("swtool", {"--home", Home(), "load", music.path()});
    EXPECT_TRUE(run.out.startsWith("listed=1 inserted=1 ")) << run.out.toStdString() << run.err.toStdString();
    run = RunProgram("swtool", {"--home", Home(), "load", "--all", music.path()});
    EXPECT_TRUE(run.out.startsWith("listed=1 inserted=0 copies=0 refreshed=1 ")) << run.out.toStdString();
    const RowSet rows = Songs();
    ASSERT_EQ(rows.RowCount(), 1);
    EXPECT_EQ(rows.Text("FN"), "one.mp3");
}

TEST_F(Swtool, AKilledLoadLosesOnlyItsLastMomentsAndTheNextLoadCataloguesEachFileOnce) {
    QTemporaryDir music;
    // Enough files that the run is still going well after its first commit on a fast machine.
    constexpr int kFiles = 24000;
    for (int n = 0; n < kFiles; ++n) {
        const QString folder = music.filePath(QString("Folder %1").arg(n / 100, 2, 10, QChar('0')));
        QDir().mkpath(folder);
        ASSERT_TRUE(
            QFile::link(Fixtures() + "plain.mp3", folder + QString("/f%1.mp3").arg(n, 4, 10, QChar('0'))) ||
            QFile::copy(Fixtures() + "plain.mp3", folder + QString("/f%1.mp3").arg(n, 4, 10, QChar('0'))));
    }
    QProcess load;
    load.start(test::ProgramPath("swtool"), {"--home", Home(), "load", "--subfolders", music.path()});
    ASSERT_TRUE(load.waitForStarted());
    QString progress;
    // The run commits at least once a second: 1300 ms after its first progress line it has
    // committed at least once, however fast the machine loads.
    QElapsedTimer loading;
    while ((!loading.isValid() || loading.elapsed() < 1300) && load.state() == QProcess::Running) {
        load.waitForReadyRead(20);
        progress += QString::fromUtf8(load.readAllStandardError());
        if (!loading.isValid() && progress.contains("tenth=")) {
            loading.start();
        }
    }
    ASSERT_EQ(load.state(), QProcess::Running) << "the run ended first: " << progress.toStdString();
    load.kill();  // SIGKILL: no commit, no clean-up
    load.waitForFinished();
    EXPECT_FALSE(QString::fromUtf8(load.readAllStandardOutput()).contains("listed="))
        << "the run ended first";
    const int kept = Songs().RowCount();
    EXPECT_GE(kept, 1);
    EXPECT_LT(kept, kFiles);

    const auto run = RunProgram("swtool", {"--home", Home(), "load", "--subfolders", music.path()}, 300000);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QString("listed=%1 inserted=%1 ").arg(kFiles - kept)))
        << run.out.toStdString();
    Catalogue catalogue;
    catalogue.Open(CatalogueFile());
    EXPECT_EQ(catalogue.Select("select count(*) as ct from song").Int("CT"), kFiles);
    EXPECT_EQ(catalogue.Select("select count(distinct fn) as ct from song").Int("CT"), kFiles);
}

TEST_F(Swtool, LoadRefusesWhileTheJukeboxRuns) {
    QProcess jukebox;
    ASSERT_TRUE(test::StartJukebox(jukebox, Home()));
    QTemporaryDir music;
    const auto run = RunProgram("swtool", {"--home", Home(), "load", music.path()});
    EXPECT_EQ(run.exitCode, 1);
    // Said as what it is: the jukebox holds this folder, not swtool being a second jukebox.
    EXPECT_EQ(run.err.trimmed(), "swtool: sonwick3 is running on the program folder \"" + Home() +
                                     "/\": close it first (or wait for the other command on it to end)");
    jukebox.kill();
    jukebox.waitForFinished();
}

TEST_F(Swtool, ItSharesTheJukeboxsLockFolderBesideTheCatalogue) {
    QTemporaryDir elsewhere;
    QTemporaryDir music;
    QFile::copy(Fixtures() + "id3v23.mp3", music.filePath("one.mp3"));
    const auto run = RunProgram("swtool", {"--home", Home(), "load", music.path()}, 60000,
                                {"FIREBIRD_LOCK=" + elsewhere.path()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith("listed=1 inserted=1 ")) << run.out.toStdString();
    EXPECT_TRUE(QFile::exists(m_home.filePath("SW3DATA/firebird-lock/fb_init")));
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
}

struct ScriptCase {
    const char* name;
    QStringList options;
    int version;
};

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << c.name;
}

class NewCatalogueScript : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(NewCatalogueScript, CreatesANamedCatalogueWithTheGenreListAtItsVersion) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("SW3DATA");
    QProcess script;
    // The engine's shared lock folder may belong to another user: the script keeps its own.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("FIREBIRD_LOCK", dir.filePath("not-a-folder"));
    QFile(dir.filePath("not-a-folder")).open(QIODevice::WriteOnly);
    script.setProcessEnvironment(env);
    script.start(QString(SW_SOURCE_DIR) + "/scripts/new-catalogue",
                 GetParam().options + QStringList{folder, "Ann's \"best\""});
    ASSERT_TRUE(script.waitForFinished(60000));
    EXPECT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo(folder + "/firebird-lock").isDir());
    // Written with forced writes from the start.
    QProcess stat;
    stat.setProcessEnvironment(env);
    stat.start("fbstat", {"-h", folder + "/SONGS.FDB"});
    ASSERT_TRUE(stat.waitForFinished(30000));
    const QString header = QString::fromUtf8(stat.readAllStandardOutput());
    EXPECT_TRUE(header.mid(header.indexOf("Attributes")).section('\n', 0, 0).contains("force write"))
        << header.toStdString();
    Catalogue catalogue;
    catalogue.Open(folder + "/SONGS.FDB");
    catalogue.ReadParams();
    EXPECT_EQ(catalogue.CatalogueVersion(), GetParam().version);
    EXPECT_EQ(catalogue.CatalogueName(), "Ann's \"best\"");
    EXPECT_EQ(catalogue.Select("select count(*) as ct from genre").Int("CT"), 148);
    EXPECT_EQ(catalogue.Select("select gname from genre where genreid = 78").Text("GNAME"), "Rock & Roll");
    EXPECT_TRUE(QFile::exists(folder + "/GENRES.INI"));
    catalogue.CloseCatalogue();

    script.start(QString(SW_SOURCE_DIR) + "/scripts/new-catalogue", GetParam().options + QStringList{folder});
    ASSERT_TRUE(script.waitForFinished(60000));
    EXPECT_NE(script.exitCode(), 0);
    EXPECT_TRUE(script.readAllStandardError().contains("already exists"));
}

INSTANTIATE_TEST_SUITE_P(Versions, NewCatalogueScript,
                         ::testing::Values(ScriptCase{"Current", {}, kCurrentCatalogueVersion},
                                           ScriptCase{"VersionOne", {"--at-version", "1"}, 1}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(NewCatalogueScriptOptions, OnlyVersionOneCanBeAskedFor) {
    QTemporaryDir dir;
    QProcess script;
    script.start(QString(SW_SOURCE_DIR) + "/scripts/new-catalogue", {"--at-version", "5", dir.filePath("x")});
    ASSERT_TRUE(script.waitForFinished(60000));
    EXPECT_EQ(script.exitCode(), 2);
    EXPECT_FALSE(QFile::exists(dir.filePath("x")));
}

}  // namespace
}  // namespace sw
