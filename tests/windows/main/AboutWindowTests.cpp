#include <gtest/gtest.h>

#include "../QtPrinting.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextEdit>

#include "foundation/Files.h"
#include "windows/main/AboutWindow.h"

namespace sw {
namespace {

TEST(AboutText, NamesTheLibrariesInUseWithTheVersionsTheyReport) {
    const QStringList libraries = LinkedLibraries();
    ASSERT_EQ(libraries.size(), 4);
    const QString number = "\\d+\\.\\d+\\.\\d+";
    EXPECT_TRUE(QRegularExpression("^FFmpeg \\S+ \\(libavformat " + number + ", libavcodec " + number +
                                   ", libswresample " + number + "\\) audio codecs$")
                    .match(libraries[0])
                    .hasMatch())
        << libraries[0].toStdString();
    EXPECT_TRUE(QRegularExpression("^SDL 2\\.\\d+\\.\\d+ sound output$").match(libraries[1]).hasMatch())
        << libraries[1].toStdString();
    EXPECT_TRUE(QRegularExpression("^Firebird 3\\.\\d+\\.\\d+\\.\\d+ database software$")
                    .match(libraries[2])
                    .hasMatch())
        << libraries[2].toStdString();
    EXPECT_EQ(libraries[3], QString("Qt ") + qVersion() + " windows");
}

TEST(AboutText, GroupsTheLinesWithTheCatalogueVersion) {
    const QStringList lines = AboutLines("3.39", 11, {"A 1 x", "B 2 y"});
    EXPECT_EQ(lines,
              (QStringList{"Audio jukebox for MP3 / OGG / WAV files", "",
                           "Program version 3.39 ( April 2024 )", "Database version 11", "", "uses A 1 x",
                           "and B 2 y", "", "and its own tag code (ID3v1, ID3v2, Ogg Vorbis comments)",
                           "for audio meta-data ('tags')", "", "with thanks to all"}));
}

TEST(AboutText, TheBuildTimeIsTheExecutablesModificationTime) {
    QTemporaryDir dir;
    const QString program = dir.filePath("sonwick3");
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2024, 4, 30), QTime(23, 59, 58)),
                                 QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(ProgramBuildTime(program), "2024-04-30 23:59:58");
    EXPECT_EQ(ProgramBuildTime(dir.filePath("missing")), "");
}

TEST(AboutWindowView, ShowingRewritesTheVersionLineAndEnterOrEscapeInTheTextCloseIt) {
    int version = 9;
    AboutWindow window([&] { return version; });
    EXPECT_EQ(window.windowTitle(), "About");
    EXPECT_EQ(window.ProgramName()->text(), "SONWICK");
    EXPECT_TRUE(window.ProgramName()->toolTip().startsWith("Sonwick3 uses Firebird"));
    window.ShowAbout();
    EXPECT_TRUE(window.Text()->toPlainText().contains("\nDatabase version 9\n"));
    EXPECT_EQ(window.Text()->alignment(), Qt::AlignHCenter);
    for (const int key : {Qt::Key_Escape, Qt::Key_Return}) {
        ASSERT_TRUE(window.isVisible());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(window.Text(), &press);
        EXPECT_FALSE(window.isVisible());
        version = 11;
        window.ShowAbout();
    }
    EXPECT_TRUE(window.Text()->toPlainText().contains("\nDatabase version 11\n"));
    window.hide();
}

TEST(AboutWindowView, TheHeaderNamesTheExecutableAsSpelledWithItsModificationTime) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.filePath("Opt Sonwick3/Bin/Sonwick3");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(program).path()));
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    AboutWindow window([] { return 11; }, nullptr, program);
    EXPECT_EQ(window.ProgramPath()->text(), program);
    EXPECT_EQ(window.ProgramPath()->textFormat(), Qt::PlainText);
    const QString built = ProgramBuildTime(program);
    ASSERT_FALSE(built.isEmpty());
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == built; }));
}

}  // namespace
}  // namespace sw
