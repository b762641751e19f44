#include <gtest/gtest.h>

#include <QJsonObject>
#include <functional>

#include "TagTestSupport.h"
#include "core/Song.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"

namespace sw {
namespace {

// Curly quotes, an apostrophe and the euro sign: Windows-1252 has them at 0x80-0x9F, where
// ISO-8859-1 has only control codes.
const QString kText = QString::fromUtf8("Don’t “Me” €");
const QByteArray kBytes("Don\x92t \x93Me\x94 \x80");

struct CodePageCase {
    const char* name;
    std::function<void(const QString& path, const QString& title)> write;
    std::function<QString(const QString& path)> read;
    /// Where the title's bytes start in the file.
    std::function<qsizetype(const QByteArray& file)> titleAt;
    /// The title as mutagen reads it.
    std::function<QString(const QJsonObject& seen)> independent;
};

const CodePageCase kCases[] = {
    {"Id3v1",
     [](const QString& path, const QString& title) {
         TSong song;
         song.FullPath = path;
         song.FileType = "MP3";
         song.Title = title;
         ASSERT_TRUE(WriteId3v1(song, 1));
     },
     [](const QString& path) {
         TagState state;
         TSong song;
         song.FullPath = path;
         EXPECT_TRUE(ReadId3v1(song, state));
         return song.Title;
     },
     [](const QByteArray& file) { return file.size() - 128 + 3; },
     [](const QJsonObject& seen) { return seen["id3v1"].toObject()["TIT2"].toString(); }},
    {"Id3v2",
     [](const QString& path, const QString& title) {
         TagState state;
         TID3v2 tag(state);
         tag.Read(path);
         tag.SetTitle(title);
         ASSERT_TRUE(tag.Save(path));
     },
     [](const QString& path) {
         TagState state;
         TID3v2 tag(state);
         EXPECT_TRUE(tag.Read(path));
         EXPECT_FALSE(state.UnicodeFrameSeen);
         return tag.Title();
     },
     // Frame id, size and flags, then the encoding byte.
     [](const QByteArray& file) { return file.indexOf("TIT2") + 10 + 1; },
     [](const QJsonObject& seen) {
         return seen["id3v2"].toObject()["frames"].toObject()["TIT2"].toString();
     }},
};

class CodePage : public testing::TestWithParam<CodePageCase> {};

TEST_P(CodePage, TextIsWrittenInTheCodePageItIsReadIn) {
    test::ScratchDir dir;
    const QString path = dir.Put("a.mp3", test::Fixture("plain.mp3"));
    GetParam().write(path, kText);
    const QByteArray file = test::ReadBytes(path);
    const qsizetype at = GetParam().titleAt(file);
    EXPECT_EQ(file.mid(at, kBytes.size()), kBytes);
    EXPECT_EQ(file.mid(at + 3, 1), "\x92");
    EXPECT_EQ(file.mid(at + 6, 1), "\x93");
    EXPECT_EQ(file.mid(at + 9, 1), "\x94");
    EXPECT_EQ(file.mid(at + 11, 1), "\x80");
    EXPECT_EQ(GetParam().read(path), kText);

    // mutagen takes these bytes as ISO-8859-1: the same bytes come back through that code page.
    QString error;
    const QString seen = GetParam().independent(test::MutagenRead(path, &error));
    EXPECT_EQ(error, "");
    EXPECT_EQ(seen.toLatin1(), kBytes);

    // A read followed by a save changes nothing.
    GetParam().write(path, GetParam().read(path));
    EXPECT_EQ(test::ReadBytes(path), file);
}

INSTANTIATE_TEST_SUITE_P(Tags, CodePage, testing::ValuesIn(kCases), test::ByName());

}  // namespace
}  // namespace sw
