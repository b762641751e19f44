// swtool play --loudness: the levelling of one run, over the stored setting and never saved.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "ProgramRunner.h"

namespace sw {
namespace {

using test::RunProgram;

class SwtoolPlayLoudness : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(m_home.filePath("SW3DATA")));
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=0.3",
                                "-ac", "2", "-ar", "44100", Song()});
        ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
    }

    QString Song() const { return m_music.filePath("tone.wav"); }
    QString Rendered() const { return m_music.filePath("out.wav"); }
    QString SettingsFile() const { return m_home.filePath("SW3DATA/SONWICK3.INI"); }

    void StoreSettings(const QByteArray& text) {
        QFile file(SettingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray StoredSettings() const {
        QFile file(SettingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    test::ProgramRun Play(const QStringList& options) {
        return RunProgram(
            "swtool", QStringList{"--home", m_home.path(), "play", "--audio", "wav:" + Rendered()} + options +
                          QStringList{Song()});
    }

    QTemporaryDir m_home;
    QTemporaryDir m_music;
};

struct OverrideCase {
    const char* name;
    int stored;  ///< LOUDNESS in the settings file
    QStringList options;
    const char* levelling;  ///< as the run tells it
};

void PrintTo(const OverrideCase& c, std::ostream* os) {
    *os << c.name;
}

class LoudnessForTheRun : public SwtoolPlayLoudness, public ::testing::WithParamInterface<OverrideCase> {};

TEST_P(LoudnessForTheRun, ReachesTheEngineAndLeavesTheSettingsFileAsItWas) {
    const OverrideCase& c = GetParam();
    const QByteArray stored =
        "[main]\nLOUDNESS=" + QByteArray::number(c.stored) + "\nPREAMP=3\nCLIPGUARD=0\n";
    StoreSettings(stored);
    const test::ProgramRun run = Play(c.options);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QString("loudness levelling: ") + c.levelling + "\n"))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("played 1 of 1 songs")) << run.out.toStdString();
    EXPECT_EQ(StoredSettings(), stored);
}

INSTANTIATE_TEST_SUITE_P(
    Options, LoudnessForTheRun,
    ::testing::Values(OverrideCase{"StoredAlbumWithoutTheOption", 2, {}, "album"},
                      OverrideCase{"StoredTrackWithoutTheOption", 1, {}, "track"},
                      OverrideCase{"OffOverStoredAlbum", 2, {"--loudness", "off"}, "off"},
                      OverrideCase{"TrackOverStoredOff", 0, {"--loudness", "track"}, "track"},
                      OverrideCase{"AlbumOverStoredTrack", 1, {"--loudness", "album"}, "album"},
                      OverrideCase{
                          "TheLastOfTwoCounts", 0, {"--loudness", "album", "--loudness", "off"}, "off"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(SwtoolPlayLoudness, AnyOtherValueIsAUsageErrorThatPlaysNothing) {
    const QByteArray stored = "[main]\nLOUDNESS=1\n";
    StoreSettings(stored);
    const struct {
        QStringList options;
        QString told;
    } cases[] = {
        {{"--loudness", "loud"}, "--loudness takes off, track or album, not loud"},
        {{"--loudness", "Album"}, "--loudness takes off, track or album, not Album"},
        {{"--loudness", "2"}, "--loudness takes off, track or album, not 2"},
        {{"--loudness", ""}, "--loudness takes off, track or album, not \n"},
        {{"--loudness"}, "--loudness needs a value"},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.options.join(' ').toStdString());
        // Given before the song, the option would take the song's file as its value.
        const test::ProgramRun run = one.options.size() == 1
                                         ? RunProgram("swtool", {"--home", m_home.path(), "play", "--audio",
                                                                 "wav:" + Rendered(), "--loudness"})
                                         : Play(one.options);
        EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(one.told)) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("usage: swtool play ") &&
                    run.err.contains("[--loudness off|track|album]"))
            << run.err.toStdString();
        EXPECT_FALSE(run.out.contains("played")) << run.out.toStdString();
        EXPECT_FALSE(QFile::exists(Rendered()));
        EXPECT_EQ(StoredSettings(), stored);
    }
}

TEST_F(SwtoolPlayLoudness, TheCommandListNamesTheOption) {
    const test::ProgramRun help = RunProgram("swtool", {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(
        help.err.contains("play [--audio null|sdl|wav:FILE] [--fade-ms N] [--next-at SECONDS]... "
                          "[--loudness off|track|album] (FILE...|--playlist ID|--random)"))
        << help.err.toStdString();
}

}  // namespace
}  // namespace sw
