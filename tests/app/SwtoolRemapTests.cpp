// swtool remap: the stored paths of a catalogue converted before, moved to where the files are now.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ProgramRunner.h"
#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/CatalogueCreation.h"
#include "core/IniFile.h"

namespace sw {
namespace {

using test::RunProgram;

class SwtoolRemap : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home.filePath("SW3DATA"));
        CreateCatalogue(Catalogue(), "Remap", test::CreationScript(), QString(SW_SOURCE_DIR) + "/data/GENRES.INI");
        SetSetting("Root", "D:/Music/");
        const QStringList names = {"Rock/a.mp3",         "D:/Music/Jazz/b.mp3", "d:/music/Jazz/c.mp3",
                                   "D:/Musicals/d.mp3",  "E:/Other/e.mp3",      "/srv/old/f.mp3"};
        sw::Catalogue catalogue;
        catalogue.Open(Catalogue());
        for (int i = 0; i < names.size(); ++i) {
            catalogue.ExecSqlCommit(QString("insert into song (songnum, title, fn) values (%1, 'Song %1', '%2')")
                                        .arg(i + 1)
                                        .arg(names[i]));
        }
        catalogue.CloseCatalogue();
        // Only some of the files were copied over.
        QDir().mkpath(m_music.filePath("Rock"));
        QDir().mkpath(m_music.filePath("Jazz"));
        for (const char* file : {"Rock/a.mp3", "Jazz/b.mp3"}) {
            QFile made(m_music.filePath(file));
            ASSERT_TRUE(made.open(QIODevice::WriteOnly));
        }
    }

    QString Catalogue() const { return m_home.filePath("SW3DATA/SONGS.FDB"); }
    void SetSetting(const QString& key, const QString& value) {
        IniFile settings(m_home.filePath("SW3DATA/SONWICK3.INI"));
        settings.WriteString("main", key, value);
        settings.Save();
    }
    QString Root() const {
        return IniFile(m_home.filePath("SW3DATA/SONWICK3.INI")).ReadString("main", "Root", "");
    }
    QStringList Names() const {
        sw::Catalogue catalogue;
        catalogue.Open(Catalogue());
        const RowSet rows = catalogue.Select("select fn from song order by songnum");
        QStringList names;
        for (int row = 0; row < rows.RowCount(); ++row) {
            names << rows.Value(row, 0).toString();
        }
        catalogue.CloseCatalogue();
        return names;
    }
    test::ProgramRun Swtool(const QStringList& arguments) {
        return RunProgram("swtool", QStringList{"--home", m_home.path()} + arguments);
    }

    QTemporaryDir m_home;
    QTemporaryDir m_music;
};

TEST_F(SwtoolRemap, MovesTheRootAndTheFullNamesInTheOldFolder) {
    const auto run = Swtool({"remap", "D:\\Music", m_music.path()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // a (relative, follows the root), b and c (full names in the folder, any letter case) moved;
    // a and b exist.
    EXPECT_EQ(run.out.trimmed(),
              QString("remapped=3 exist=2 names_rewritten=2 root=%1/").arg(m_music.path()));
    EXPECT_EQ(Root(), m_music.path() + "/");
    EXPECT_EQ(Names(), QStringList({"Rock/a.mp3", m_music.filePath("Jazz/b.mp3"), m_music.filePath("Jazz/c.mp3"),
                                    "D:/Musicals/d.mp3", "E:/Other/e.mp3", "/srv/old/f.mp3"}));

    // A folder that is not the root moves only its own full names; Linux paths keep their case.
    const auto other = Swtool({"remap", "/srv/OLD", "/srv/new"});
    EXPECT_EQ(other.out.trimmed(), "remapped=0 exist=0 names_rewritten=0 root=unchanged");
    const auto exact = Swtool({"remap", "/srv/old/", "/srv/new"});
    EXPECT_EQ(exact.out.trimmed(), "remapped=1 exist=0 names_rewritten=1 root=unchanged");
    EXPECT_EQ(Names().last(), "/srv/new/f.mp3");
    EXPECT_EQ(Root(), m_music.path() + "/");
}

TEST_F(SwtoolRemap, RefusesOnAReadOnlyCatalogueAndOnBadArguments) {
    SetSetting("READONLY", "1");
    const QStringList before = Names();
    const auto refused = Swtool({"remap", "D:/Music", m_music.path()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString();
    EXPECT_EQ(Names(), before);
    EXPECT_EQ(Root(), "D:/Music/");
    SetSetting("READONLY", "0");
    for (const QStringList& wrong : {QStringList{"remap", "D:/Music"}, QStringList{"remap", "Music", "/x"},
                                     QStringList{"remap", "D:/Music", "relative"}}) {
        const auto run = Swtool(wrong);
        EXPECT_EQ(run.exitCode, 1) << wrong.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("swtool: ")) << run.err.toStdString();
    }
    EXPECT_EQ(Names(), before);
}

}  // namespace
}  // namespace sw
