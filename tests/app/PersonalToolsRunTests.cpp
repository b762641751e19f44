#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ProgramRunner.h"
#include "TestCatalogue.h"
#include "core/CatalogueCreation.h"
#include "core/IniFile.h"

namespace sw {
namespace {

using test::RunProgram;

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// A program folder with a catalogue and the previous edition's notepad text (Windows-1252, CR LF).
class PersonalToolsRun : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home.filePath("SW3DATA"));
        CreateCatalogue(m_home.filePath("SW3DATA/SONGS.FDB"), "Tools", test::CreationScript());
        QFile text(m_home.filePath("NPAD.TXT"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write(kLegacyText);
    }

    static constexpr char kLegacyText[] = "caf\xE9 \x93notes\x94\r\n";
    QTemporaryDir m_home;
};

TEST_F(PersonalToolsRun, BothWindowsAreCreatedInOrderAndANotepadWithoutChangesWritesNothing) {
    const auto run = RunProgram("sonwick3", {"--home", m_home.path(), "--unattended", "--quit", "--trace"});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString() << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    const qsizetype main = lines.indexOf("INFO: create fctrl2");
    const qsizetype notepad = lines.indexOf("INFO: create fnotepad");
    const qsizetype load = lines.indexOf("INFO: create fload");
    EXPECT_TRUE(main >= 0 && main < notepad && notepad < load) << run.out.toStdString();
    EXPECT_FALSE(run.out.contains("ERROR")) << run.out.toStdString();

    // The legacy text was read, not rewritten, and no notepad settings file appeared.
    EXPECT_EQ(ReadAll(m_home.filePath("NPAD.TXT")), QByteArray(kLegacyText));
    EXPECT_FALSE(QFile::exists(m_home.filePath("npad.ini")));
    // Both windows keep their placements with the others.
    const IniFile settings(m_home.filePath("SW3DATA/SONWICK3.INI"));
    for (const char* id : {"Fnotepad", "Fdays"}) {
        for (const char* key : {"-TOP", "-LEFT", "-HEIGHT", "-WIDTH"}) {
            EXPECT_TRUE(settings.HasKey("forms", QString(id) + key)) << id << key;
        }
    }
}

TEST_F(PersonalToolsRun, AnUnreadableNotepadSettingsFileIsReportedAndStartUpGoesOn) {
    ASSERT_TRUE(QDir().mkpath(m_home.filePath("npad.ini")));
    const auto run = RunProgram("sonwick3", {"--home", m_home.path(), "--unattended", "--quit"});
    EXPECT_EQ(run.exitCode, 0);
    const QStringList errors = run.out.split('\n', Qt::SkipEmptyParts).filter("ERROR: ");
    ASSERT_EQ(errors.size(), 1) << run.out.toStdString();
    EXPECT_TRUE(errors.front().contains("npad.ini")) << errors.front().toStdString();
    EXPECT_EQ(ReadAll(m_home.filePath("NPAD.TXT")), QByteArray(kLegacyText));
}

}  // namespace
}  // namespace sw
