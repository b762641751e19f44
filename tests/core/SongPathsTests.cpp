#include <gtest/gtest.h>

#include "core/SongPaths.h"
#include "core/SongText.h"
#include "foundation/ScriptedDialogs.h"

namespace sw {
namespace {

TEST(SongPaths, StoredNamesAreRelativeToTheRoot) {
    const QString root = "/home/ann/Music/";
    EXPECT_EQ(MakeRelativePath("/home/ann/Music/Rock/a.mp3", root), "Rock/a.mp3");
    // Letter case counts: another spelling of the root is another folder.
    EXPECT_EQ(MakeRelativePath("/home/ann/music/ROCK/A.MP3", root), "/home/ann/music/ROCK/A.MP3");
    EXPECT_EQ(MakeRelativePath("/other/b.ogg", root), "/other/b.ogg");
    EXPECT_EQ(MakeRelativePath("/home/ann/Music/Rock/a.mp3", "/home/ann/Music"), "/Rock/a.mp3");
    EXPECT_EQ(MakeRelativePath("/x/a.mp3", ""), "/x/a.mp3");

    EXPECT_EQ(MakeFullPath("Rock/a.mp3", root), "/home/ann/Music/Rock/a.mp3");
    EXPECT_EQ(MakeFullPath("/other/b.ogg", root), "/other/b.ogg");
    // Only a leading "/" makes a name absolute; a drive-letter name of an old catalogue is a
    // missing file under the root.
    EXPECT_EQ(MakeFullPath("1:intro.mp3", root), "/home/ann/Music/1:intro.mp3");
    EXPECT_EQ(MakeFullPath("E:\\x\\b.ogg", root), "/home/ann/Music/E:\\x\\b.ogg");
    EXPECT_EQ(MakeFullPath("", root), "");
    EXPECT_EQ(MakeFullPath("a", root), "/home/ann/Music/a");
    EXPECT_EQ(MakeFullPath("ab.mp3", ""), "ab.mp3");
}

TEST(SongPaths, FileTypeAndTitleFromTheName) {
    EXPECT_EQ(FileTypeOf("/m/Rock/a.mp3"), "MP3");
    EXPECT_EQ(FileTypeOf("/m/Rock/a.Ogg"), "OGG");
    EXPECT_EQ(FileTypeOf("/m/v1.0/noext"), "");
    EXPECT_EQ(SongTitleFromFileName("/m/Rock/My song.mp3"), "My song");
    // A long name keeps its start, as far as a title holds; any extension goes.
    EXPECT_EQ(SongTitleFromFileName("/m/Kiri Te Kanawa - Pokarekare Ana.mp3"), "Kiri Te Kanawa - Pokarekare Ana");
    EXPECT_EQ(SongTitleFromFileName("/m/" + QString(70, 'x') + "1234567890abcdef.mp3"),
              QString(70, 'x') + "1234567890");
    EXPECT_EQ(SongTitleFromFileName("/m/Lossless take.flac"), "Lossless take");
    EXPECT_EQ(SongTitleFromFileName("/m/v1.2 mix.ogg"), "v1.2 mix");
    EXPECT_EQ(SongTitleFromFileName("/m/Été déjà vu.ogg"), "Été déjà vu");
}

TEST(ParseStartFrom, ReadsTheStartPositionAtTheBeginningOfAComment) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    const std::pair<const char*, int> cases[] = {
        {"from 2:05.50 live", 12550},
        {"from 12:34", 75400},
        {"FROM 1:23 remaster", 8300},
        {"From 12:34.56", 75456},
        {"from 1:2", 0},
        {"great song", 0},
        {"from 12345", 0},
        {"from 1:23.", 8300},
        {"from 1:23.5", 8300},
        {"from 0:07.05", 705},
    };
    for (const auto& [comment, expected] : cases) {
        EXPECT_EQ(ParseStartFrom(comment), expected) << comment;
    }
    EXPECT_TRUE(dialogs.Transcript().isEmpty());
    EXPECT_EQ(ParseStartFrom("from x:yy"), 0);
    EXPECT_EQ(ParseStartFrom("from 1:2x tail"), 0);
    EXPECT_EQ(dialogs.TextsOf("INFO"),
              (QStringList{"Invalid from time \"from x:yy\"", "Invalid from time \"from 1:2x tail\""}));
}

TEST(RatingSymbol, FacesForTheScaleAndNothingOutsideIt) {
    QString text = "unchanged";
    EXPECT_FALSE(RatingSymbol(5, text));
    EXPECT_FALSE(RatingSymbol(-3, text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(RatingSymbol(3, text));
    EXPECT_EQ(text, QString::fromUcs4(U"\u263A\u263A"));
    EXPECT_TRUE(RatingSymbol(-2, text));
    EXPECT_EQ(text, QString::fromUcs4(U"\u2639\u2639"));
    EXPECT_TRUE(RatingSymbol(4, text));
    EXPECT_EQ(text, QString::fromUcs4(U"\U0001F4A3"));
    EXPECT_TRUE(RatingSymbol(1, text));
    EXPECT_EQ(text, QString::fromUcs4(U"\U0001F610"));
    EXPECT_TRUE(RatingSymbol(0, text));
    EXPECT_EQ(text, "?");
}

}  // namespace
}  // namespace sw
