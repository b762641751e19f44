#include <gtest/gtest.h>

#include <QFile>
#include <QJsonObject>

#include "TagTestSupport.h"
#include "core/Song.h"
#include "foundation/ScriptedDialogs.h"
#include "tags/HeldFiles.h"
#include "tags/Id3v1.h"
#include "tags/TagText.h"

namespace sw {
namespace {

/// A 128-byte block laid out by hand: each field written at its offset as given.
QByteArray Block(const QByteArray& title, const QByteArray& artist = {}, const QByteArray& album = {},
                 const QByteArray& year = {}, const QByteArray& comment = {}, char track = 0, char genre = 0,
                 const QByteArray& header = "TAG") {
    QByteArray block(128, '\0');
    block.replace(0, header.size(), header);
    block.replace(3, title.size(), title);
    block.replace(33, artist.size(), artist);
    block.replace(63, album.size(), album);
    block.replace(93, year.size(), year);
    block.replace(97, comment.size(), comment);
    block[126] = track;
    block[127] = genre;
    return block.left(128);
}

struct ParseCase {
    const char* name;
    QByteArray block;
    TTag expected;
};

class ParseTable : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, DecodesTheBlock) {
    const TTag tag = ParseId3v1(GetParam().block);
    const TTag& want = GetParam().expected;
    EXPECT_EQ(tag.Header, want.Header);
    EXPECT_EQ(tag.Title, want.Title);
    EXPECT_EQ(tag.Artist, want.Artist);
    EXPECT_EQ(tag.Album, want.Album);
    EXPECT_EQ(tag.Year, want.Year);
    EXPECT_EQ(tag.Comment, want.Comment);
    EXPECT_EQ(tag.Track, want.Track);
    EXPECT_EQ(tag.Genre, want.Genre);
}

const QByteArray k30(30, 'T');
const QByteArray k29(29, 'C');

INSTANTIATE_TEST_SUITE_P(
    Id3v1, ParseTable,
    testing::Values(ParseCase{"AllFields", Block("Title", "Artist", "Album", "1999", "Note", 7, 17),
                              TTag{"TAG", "Title", "Artist", "Album", "1999", "Note", 7, 17}},
                    ParseCase{"ThirtyCharacterTitleWithoutZero", Block(k30),
                              TTag{"TAG", QString(k30), {}, {}, {}, {}, 0, 0}},
                    ParseCase{"SpacePaddingRemoved", Block("Padded       ", "  Lead", {}, "99  "),
                              TTag{"TAG", "Padded", "  Lead", {}, "99", {}, 0, 0}},
                    ParseCase{"TwentyNineCharacterCommentThenTrack", Block({}, {}, {}, {}, k29, 12, 0),
                              TTag{"TAG", {}, {}, {}, {}, QString(k29), 12, 0}},
                    ParseCase{"FieldEndsAtFirstZero", Block(QByteArray("Ab\0cd", 5)),
                              TTag{"TAG", "Ab", {}, {}, {}, {}, 0, 0}},
                    ParseCase{"NoGenreByte", Block("x", {}, {}, {}, {}, 0, '\xFF'),
                              TTag{"TAG", "x", {}, {}, {}, {}, 0, 255}},
                    ParseCase{"Windows1252Text", Block("Don\x92t"),
                              TTag{"TAG", QString("Don") + QChar(0x2019) + "t", {}, {}, {}, {}, 0, 0}},
                    ParseCase{"OtherMarker", Block("Title", {}, {}, {}, {}, 1, 2, "TAX"),
                              TTag{"TAX", {}, {}, {}, {}, {}, 0, 0}},
                    ParseCase{"ShortBlock", Block("Title").left(127), TTag{}}),
    test::ByName());

TEST(FormatId3v1, CutsFieldsToTheirRoomWithZeroBytesAfter) {
    TTag tag{"", QString(35, 'a'), "Artist", "Album", "19999", QString(k29), 9, 255};
    const QByteArray block = FormatId3v1(tag);
    ASSERT_EQ(block.size(), 128);
    EXPECT_EQ(block, Block(QByteArray(30, 'a'), "Artist", "Album", "1999", k29, 9, '\xFF'));
    // The comment fills bytes 97 to 125; the track follows it directly.
    EXPECT_EQ(block.mid(97, 29), k29);
    EXPECT_EQ(block[126], 9);

    tag = TTag{"", QString("caf") + QChar(0xE9) + QChar(0x20AC) + QChar(0x0101), {}, {}, {}, {}, 0, 0};
    EXPECT_EQ(FormatId3v1(tag).mid(3, 7), QByteArray("caf\xE9\x80?\0", 7));

    // The cut counts characters: one outside the basic plane is one character, never split.
    tag = TTag{"", QString(29, 'a') + QString::fromUcs4(U"\U0001F600") + "b", {}, {}, {}, {}, 0, 0};
    EXPECT_EQ(FormatId3v1(tag).mid(3, 31), QByteArray(29, 'a') + "?" + QByteArray(1, '\0'));
}

class Id3v1Files : public testing::Test {
protected:
    TSong SongFor(const QString& path) {
        TSong song;
        song.FullPath = path;
        song.FileType = "MP3";
        song.Title = "Kept title";
        return song;
    }
    test::ScratchDir dir;
    TagState state;
};

TEST_F(Id3v1Files, AFileOfExactly128BytesHasNoTag) {
    TSong song = SongFor(dir.Put("a.mp3", Block("Only tag")));
    EXPECT_FALSE(ReadId3v1(song, state));
    EXPECT_EQ(song.TagSource, kTagNoTag);
    EXPECT_EQ(song.Title, "Kept title");

    song = SongFor(dir.Put("b.mp3", QByteArray(1, 'x') + Block("Tagged", "", "", "", "", 4, 17)));
    EXPECT_TRUE(ReadId3v1(song, state));
    EXPECT_EQ(song.TagSource, kTagId3v1);
    EXPECT_EQ(song.Title, "Tagged");
    EXPECT_EQ(song.Track, 4);
    EXPECT_EQ(song.GenreId, 17);
    EXPECT_FALSE(state.EmptyTagRead);
}

TEST_F(Id3v1Files, AnEmptyTitleReplacesTheSongsTitleAndMarksAnEmptyRead) {
    state.LastTagExtras.Vendor = "left over";
    TSong song = SongFor(dir.Put("a.mp3", test::Fixture("plain.mp3") + Block({}, {}, {}, "2001")));
    EXPECT_TRUE(ReadId3v1(song, state));
    EXPECT_EQ(song.Title, "");
    EXPECT_EQ(song.Year, "2001");
    EXPECT_TRUE(state.EmptyTagRead);
    EXPECT_TRUE(state.LastTagExtras.Vendor.isEmpty());
}

TEST_F(Id3v1Files, ReadingAMissingFileThrows) {
    TSong song = SongFor(dir.Path("none.mp3"));
    EXPECT_THROW(ReadId3v1(song, state), std::runtime_error);
}

struct PolicyCase {
    const char* name;
    int policy;
    bool despiteNoTagPolicy;
    bool written;
};

class WritePolicy : public testing::TestWithParam<PolicyCase> {};

TEST_P(WritePolicy, WritesOnlyWhenThePolicyAsks) {
    test::ScratchDir dir;
    const QByteArray original = test::Fixture("plain.mp3");
    TSong song;
    song.FullPath = dir.Put("a.mp3", original);
    song.FileType = "MP3";
    song.Title = "T";
    EXPECT_EQ(WriteId3v1(song, GetParam().policy, GetParam().despiteNoTagPolicy), GetParam().written);
    EXPECT_EQ(test::ReadBytes(song.FullPath).size(), original.size() + (GetParam().written ? 128 : 0));
}

INSTANTIATE_TEST_SUITE_P(Id3v1, WritePolicy,
                         testing::Values(PolicyCase{"NoTags", 0, false, false},
                                         PolicyCase{"NoTagsButUserSaves", 0, true, true},
                                         PolicyCase{"OnlyV1", 1, false, true},
                                         PolicyCase{"V1WhereItFits", 2, false, true},
                                         PolicyCase{"OnlyV2", 3, false, false},
                                         PolicyCase{"OnlyV2IgnoresTheNoTagsAnswer", 3, true, false},
                                         PolicyCase{"Both", 4, false, true}),
                         test::ByName());

TEST_F(Id3v1Files, WritingTwiceLeavesOneTagAndShortFilesGetOneAppended) {
    const QByteArray original = test::Fixture("plain.mp3");
    TSong song = SongFor(dir.Put("a.mp3", original));
    song.Title = "First";
    ASSERT_TRUE(WriteId3v1(song, 1));
    song.Title = "Second";
    song.GenreId = kNoGenre;
    ASSERT_TRUE(WriteId3v1(song, 1));
    const QByteArray written = test::ReadBytes(song.FullPath);
    EXPECT_EQ(written.left(original.size()), original);
    EXPECT_EQ(written.mid(original.size()), Block("Second", {}, {}, {}, {}, 0, '\xFF'));

    // 128 bytes that look like a tag are not one: the new tag goes after them.
    TSong small = SongFor(dir.Put("b.mp3", Block("Looks like a tag")));
    ASSERT_TRUE(WriteId3v1(small, 2));
    EXPECT_EQ(test::ReadBytes(small.FullPath).size(), 256);
    TSong empty = SongFor(dir.Put("c.mp3", {}));
    ASSERT_TRUE(WriteId3v1(empty, 2));
    EXPECT_EQ(test::ReadBytes(empty.FullPath).size(), 128);
}

TEST_F(Id3v1Files, WriteRefusesOtherFilesAndThrowsWhenItCannotOpen) {
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    TSong ogg = SongFor(dir.Put("a.ogg", "x"));
    ogg.FileType = "OGG";
    EXPECT_FALSE(WriteId3v1(ogg, 1));
    EXPECT_EQ(dialogs.TextsOf("INFO").size(), 1);
    EXPECT_TRUE(dialogs.TextsOf("INFO").value(0).contains("Trying to save MP3v1 tag to non-MP3 file"));
    EXPECT_EQ(test::ReadBytes(ogg.FullPath), "x");

    TSong missing = SongFor(dir.Path("none.mp3"));
    EXPECT_THROW(WriteId3v1(missing, 1), std::runtime_error);
    EXPECT_FALSE(QFile::exists(missing.FullPath));
    TSong folder = SongFor(dir.Path(""));
    EXPECT_THROW(WriteId3v1(folder, 1), std::runtime_error);
}

TEST_F(Id3v1Files, RemoveCutsOnlyARealTrailer) {
    const QByteArray plain = test::Fixture("plain.mp3");
    const QString tagged = dir.Put("a.mp3", plain + Block("x"));
    EXPECT_TRUE(RemoveId3v1(tagged));
    EXPECT_EQ(test::ReadBytes(tagged), plain);
    EXPECT_FALSE(RemoveId3v1(tagged));
    EXPECT_EQ(test::ReadBytes(tagged), plain);

    const QString only = dir.Put("b.mp3", Block("x"));
    EXPECT_FALSE(RemoveId3v1(only));
    EXPECT_EQ(test::ReadBytes(only).size(), 128);
    EXPECT_FALSE(RemoveId3v1(dir.Path("none.mp3")));
    EXPECT_FALSE(QFile::exists(dir.Path("none.mp3")));

    const QString held = dir.Put("c.mp3", plain + Block("x"));
    {
        HeldFile engine(held);
        EXPECT_FALSE(RemoveId3v1(held));
        EXPECT_EQ(test::ReadBytes(held), plain + Block("x"));
    }
    TSong song = SongFor(held);
    EXPECT_TRUE(RemoveId3v1(song));
}

TEST_F(Id3v1Files, MutagenAndFfmpegAgreeAfterAWrite) {
    const QByteArray original = test::Fixture("plain.mp3");
    TSong song = SongFor(dir.Put("a.mp3", original));
    const test::Decoded before = test::DecodeWithFfmpeg(song.FullPath);
    song.Title = QString(QChar(0xC9)) + "t" + QChar(0xE9) + " " + QString(30, 'x');
    song.ArtistName = "Artist";
    song.AlbumName = "Album";
    song.Year = "1987";
    song.Comment = QString(29, 'c');
    song.Track = 11;
    song.GenreId = 17;
    ASSERT_TRUE(WriteId3v1(song, 4));

    const QJsonObject v1 = test::MutagenRead(song.FullPath).value("id3v1").toObject();
    EXPECT_EQ(v1.value("TIT2").toString(), LeftChars(song.Title, 30));
    EXPECT_EQ(v1.value("TPE1").toString(), "Artist");
    EXPECT_EQ(v1.value("TALB").toString(), "Album");
    EXPECT_EQ(v1.value("TYER").toString(), "1987");
    EXPECT_EQ(v1.value("COMM").toString(), "eng|ID3v1 Comment|" + QString(29, 'c'));
    EXPECT_EQ(v1.value("TRCK").toString(), "11");
    EXPECT_EQ(v1.value("TCON").toString(), "17");

    const test::Decoded after = test::DecodeWithFfmpeg(song.FullPath);
    EXPECT_EQ(after.Errors, "");
    EXPECT_GT(before.Pcm.size(), 0);
    EXPECT_EQ(after.Pcm.size(), before.Pcm.size());
    EXPECT_EQ(after.Pcm, before.Pcm);

    ASSERT_TRUE(RemoveId3v1(song));
    EXPECT_EQ(test::ReadBytes(song.FullPath), original);
}

}  // namespace
}  // namespace sw
