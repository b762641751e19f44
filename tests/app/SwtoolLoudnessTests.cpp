// swtool loudness on a catalogue of generated files: progress, summary, stored rows, files that
// cannot be decoded, --missing, and the read-only refusal.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
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

/// A second of silence, five seconds of a -20 dBFS 1 kHz sine, two seconds of silence.
bool MakeTone(const QString& path, const QStringList& codec) {
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-v", "error", "-y", "-f", "lavfi", "-i",
                                       "aevalsrc='if(between(t,1,6),0.1*sin(2*PI*1000*t),0)|"
                                       "if(between(t,1,6),0.1*sin(2*PI*1000*t),0)':s=44100:d=8"} +
                               codec + QStringList{path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0;
}

QByteArray Digest(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                                          : QByteArray();
}

class SwtoolLoudness : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home.filePath("SW3DATA"));
        CreateCurrentCatalogue(CatalogueFile(), "Loudness", test::CreationScript(), test::UpgradeScript());
        WriteSettings("");
        ASSERT_TRUE(MakeTone(Music("tone.flac"), {"-c:a", "flac"}));
        ASSERT_TRUE(MakeTone(Music("tagged.mp3"), {"-c:a", "libmp3lame", "-b:a", "128k"}));
        QProcess mutagen;
        mutagen.start(
            "/usr/bin/python3",
            {"-c",
             "import sys; from mutagen.id3 import ID3, TXXX; t = ID3(); "
             "t.add(TXXX(encoding=3, desc='REPLAYGAIN_TRACK_GAIN', text=['-4.25 dB'])); "
             "t.add(TXXX(encoding=3, desc='REPLAYGAIN_TRACK_PEAK', text=['0.1'])); t.save(sys.argv[1])",
             Music("tagged.mp3")});
        ASSERT_TRUE(mutagen.waitForFinished(30000) && mutagen.exitCode() == 0);
        QFile junk(Music("junk.mp3"));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4000, '\x55'));
        junk.close();
        Load();
    }

    QString Home() const { return m_home.path(); }
    QString CatalogueFile() const { return m_home.filePath("SW3DATA/SONGS.FDB"); }
    QString Music(const QString& name) const { return m_music.filePath(name); }
    void WriteSettings(const QByteArray& more) {
        QFile file(m_home.filePath("SW3DATA/SONWICK3.INI"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[main]\nRoot=" + m_music.path().toUtf8() + "/\nFLACOPUS=1\n" + more);
    }
    void Load() {
        const auto run = RunProgram("swtool", {"--home", Home(), "load", m_music.path()});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    }
    int SongNumOf(const QString& name) {
        Catalogue catalogue;
        catalogue.Open(CatalogueFile());
        return catalogue.Select("select songnum from song where fn = '" + name + "'").Int("SONGNUM");
    }
    RowSet Rows() {
        Catalogue catalogue;
        catalogue.Open(CatalogueFile());
        return catalogue.Select(
            "select s.fn, l.trackgain, l.trackpeak, l.lufs, l.source, l.musicstart, l.musicend from "
            "songloudness l "
            "join song s on s.songnum = l.songnum order by s.fn");
    }

    QTemporaryDir m_home;
    QTemporaryDir m_music;
};

TEST_F(SwtoolLoudness, MeasuresEverySongAndNamesTheFileItCannotDecode) {
    const QStringList files{"junk.mp3", "tagged.mp3", "tone.flac"};
    std::vector<QByteArray> before;
    for (const QString& file : files) {
        before.push_back(Digest(Music(file)));
    }
    const auto run = RunProgram("swtool", {"--home", Home(), "loudness"});
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    const QStringList out = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(out.size(), 1) << run.out.toStdString();
    EXPECT_TRUE(out[0].startsWith("songs=3 measured=2 from_tags=1 failed=1 audio_seconds=16."))
        << out[0].toStdString();
    EXPECT_TRUE(out[0].contains(" x_realtime=")) << out[0].toStdString();
    const QStringList err = run.err.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(err.filter(QRegularExpression("^loudness: \\d of 3 songs$")),
              (QStringList{"loudness: 1 of 3 songs", "loudness: 2 of 3 songs", "loudness: 3 of 3 songs"}));
    const QStringList skipped = err.filter("skipped");
    ASSERT_EQ(skipped.size(), 1) << run.err.toStdString();
    EXPECT_TRUE(skipped[0].startsWith(
        QString("loudness: skipped song %1: %2").arg(SongNumOf("junk.mp3")).arg(Music("junk.mp3"))))
        << skipped[0].toStdString();

    RowSet rows = Rows();
    ASSERT_EQ(rows.RowCount(), 2);
    rows.SetCurrentRow(0);
    EXPECT_EQ(rows.Text("FN"), "tagged.mp3");
    EXPECT_EQ(rows.Text("SOURCE"), "T");
    EXPECT_DOUBLE_EQ(rows.Real("TRACKGAIN"), -4.25);
    EXPECT_DOUBLE_EQ(rows.Real("TRACKPEAK"), 0.1);
    EXPECT_NEAR(rows.Real("LUFS"), -20.3, 0.5);
    rows.SetCurrentRow(1);
    EXPECT_EQ(rows.Text("FN"), "tone.flac");
    EXPECT_EQ(rows.Text("SOURCE"), "M");
    EXPECT_NEAR(rows.Real("LUFS"), -20.3, 0.3);
    EXPECT_NEAR(rows.Real("TRACKGAIN"), -18.0 - rows.Real("LUFS"), 1e-5);
    EXPECT_NEAR(rows.Int("MUSICSTART"), 1000, 10);
    EXPECT_NEAR(rows.Int("MUSICEND"), 6000, 10);

    for (int i = 0; i < files.size(); ++i) {
        EXPECT_EQ(Digest(Music(files[i])), before[static_cast<std::size_t>(i)]) << files[i].toStdString();
    }
}

TEST_F(SwtoolLoudness, MissingMeasuresOnlySongsWithoutARow) {
    ASSERT_EQ(RunProgram("swtool", {"--home", Home(), "loudness"}).exitCode, 1);
    ASSERT_TRUE(MakeTone(Music("later.flac"), {"-c:a", "flac"}));
    Load();
    const auto missing = RunProgram("swtool", {"--home", Home(), "loudness", "--missing"});
    EXPECT_TRUE(missing.out.startsWith("songs=2 measured=1 from_tags=0 failed=1 "))
        << missing.out.toStdString();
    EXPECT_EQ(Rows().RowCount(), 3);
    const auto nothingLeft =
        RunProgram("swtool", {"--home", Home(), "loudness", "--missing", "--sample-peak"});
    EXPECT_TRUE(nothingLeft.out.startsWith("songs=1 measured=0 ")) << nothingLeft.out.toStdString();
    const auto all = RunProgram("swtool", {"--home", Home(), "loudness", "--sample-peak"});
    EXPECT_TRUE(all.out.startsWith("songs=4 measured=3 ")) << all.out.toStdString();
    EXPECT_EQ(Rows().RowCount(), 3);
}

TEST_F(SwtoolLoudness, ARefusalWritesNothing) {
    WriteSettings("READONLY=1\n");
    const auto refused = RunProgram("swtool", {"--home", Home(), "loudness"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE((refused.out + refused.err).contains("Cannot make changes, database is read-only"))
        << refused.out.toStdString() << refused.err.toStdString();
    EXPECT_EQ(Rows().RowCount(), 0);

    WriteSettings("");
    QProcess jukebox;
    ASSERT_TRUE(test::StartJukebox(jukebox, Home()));
    const auto beside = RunProgram("swtool", {"--home", Home(), "loudness"});
    EXPECT_EQ(beside.exitCode, 1);
    EXPECT_TRUE(beside.err.contains("sonwick3 is running")) << beside.err.toStdString();
    jukebox.kill();
    jukebox.waitForFinished();
    EXPECT_EQ(Rows().RowCount(), 0);

    const auto wrong = RunProgram("swtool", {"--home", Home(), "loudness", "--all"});
    EXPECT_NE(wrong.exitCode, 0);
    EXPECT_TRUE(wrong.err.contains("--all")) << wrong.err.toStdString();
}

}  // namespace
}  // namespace sw
