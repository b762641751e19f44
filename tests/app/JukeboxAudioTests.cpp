#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "ProgramRunner.h"
#include "TestCatalogue.h"
#include "core/CatalogueCreation.h"
#include "core/IniFile.h"

namespace sw {
namespace {

// The jukebox's start-up makes the now-playing window, which finds the sound outputs.
class JukeboxAudio : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home.filePath("SW3DATA"));
        CreateCatalogue(m_home.filePath("SW3DATA/SONGS.FDB"), "Audio", test::CreationScript());
    }
    /// A run whose output is kept whole.
    QString Run(const QStringList& arguments, int* exitCode, const QString& audio = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SONWICK3_AUDIO", audio);
        process.setProcessEnvironment(env);
        process.start(test::ProgramPath("sonwick3"),
                      QStringList{"--home", m_home.path(), "--unattended", "--quit"} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        *exitCode = process.exitCode();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QTemporaryDir m_home;
};

TEST_F(JukeboxAudio, TheNullOutputIsAnnouncedAndItsSettingKept) {
    int exitCode = -1;
    const QString out = Run({"--audio", "null", "--trace"}, &exitCode);
    EXPECT_EQ(exitCode, 0);
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    const auto created = lines.indexOf("INFO: create fbassint");
    ASSERT_GE(created, 0) << out.toStdString();
    EXPECT_EQ(lines.value(created + 1), test::kSoundOutputLine) << out.toStdString();
    // One output: no preview output, and the stored choice for two outputs is left alone.
    EXPECT_EQ(IniFile(m_home.filePath("SW3DATA/SONWICK3.INI")).ReadInteger("main", "PREVIEWSOUNDCARD", 0),
              -1);
}

TEST_F(JukeboxAudio, TheOptionWinsOverTheEnvironmentAndAnUnknownOutputIsRefused) {
    int exitCode = -1;
    const QString out = Run({"--audio", "null"}, &exitCode, "sdl");
    EXPECT_TRUE(out.contains(test::kSoundOutputLine)) << out.toStdString();
    const QString refused = Run({"--audio", "loudspeaker"}, &exitCode);
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(refused.startsWith("ERROR: ")) << refused.toStdString();
    EXPECT_TRUE(refused.contains("loudspeaker")) << refused.toStdString();
    EXPECT_FALSE(refused.contains("create")) << refused.toStdString();
}

}  // namespace
}  // namespace sw
