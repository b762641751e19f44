#include <gtest/gtest.h>

#include <QJsonObject>

#include "TagTestSupport.h"
#include "tags/Id3v2.h"

namespace sw {
namespace {

/// The encoding byte of the first frame with this id in the file's tag, -1 when there is none.
int EncodingOf(const QByteArray& file, const char* id) {
    const qsizetype at = file.indexOf(QByteArray(id, 4), 10);
    return at < 0 || at + 10 >= file.size() ? -1 : static_cast<unsigned char>(file[at + 10]);
}

QByteArray CleanPcm(const QString& path) {
    const test::Decoded decoded = test::DecodeWithFfmpeg(path);
    EXPECT_EQ(decoded.Errors, "") << path.toStdString();
    EXPECT_GT(decoded.Pcm.size(), 1000);
    return decoded.Pcm;
}

struct TextCase {
    const char* name;
    QString text;
    bool utf16;
};

class Id3v2UnicodeSave : public testing::TestWithParam<TextCase> {};

// Text Windows-1252 can hold keeps the single-byte frames every reader knows; the rest goes out in
// UTF-16, which mutagen and ffmpeg read back as it was.
TEST_P(Id3v2UnicodeSave, WritesUtf16OnlyWhereWindows1252CannotHoldTheText) {
    const TextCase& c = GetParam();
    test::ScratchDir dir;
    const QString path = dir.Put("a.mp3", test::Fixture("id3v23.mp3"));
    const QByteArray pcm = CleanPcm(path);
    TagState state;
    TID3v2 tag(state);
    tag.SetUnicodeTags(true);
    ASSERT_TRUE(tag.Read(path));
    tag.SetTitle(c.text);
    tag.SetArtist(c.text);
    tag.SetComment(c.text);
    tag.SetAlbum("Plain Album");
    ASSERT_TRUE(tag.Save(path));

    const QByteArray bytes = test::ReadBytes(path);
    EXPECT_EQ(EncodingOf(bytes, "TIT2"), c.utf16 ? 1 : 0);
    EXPECT_EQ(EncodingOf(bytes, "COMM"), c.utf16 ? 1 : 0);
    EXPECT_EQ(EncodingOf(bytes, "TALB"), 0);

    QString error;
    const QJsonObject v2 = test::MutagenRead(path, &error).value("id3v2").toObject();
    EXPECT_EQ(error, "");
    EXPECT_EQ(v2.value("version").toString(), "2.3");
    const QJsonObject frames = v2.value("frames").toObject();
    EXPECT_EQ(frames.value("TIT2").toString(), c.text);
    EXPECT_EQ(frames.value("TPE1").toString(), c.text);
    EXPECT_EQ(frames.value("COMM::eng").toString(), "eng||" + c.text);
    EXPECT_EQ(frames.value("TALB").toString(), "Plain Album");
    const QJsonObject probed = test::FfprobeTags(path);
    EXPECT_EQ(probed.value("title").toString(), c.text);
    EXPECT_EQ(probed.value("artist").toString(), c.text);
    EXPECT_EQ(CleanPcm(path), pcm);

    TagState again;
    TID3v2 reread(again);
    reread.SetUnicodeTags(true);
    ASSERT_TRUE(reread.Read(path));
    EXPECT_EQ(reread.Title(), c.text);
    EXPECT_EQ(reread.Comment(), c.text);
    EXPECT_EQ(reread.Composer(), "Fixture Composer");
    // Switched off, the reader ignores the UTF-16 frames and says so.
    TID3v2 plain(again);
    ASSERT_TRUE(plain.Read(path));
    EXPECT_EQ(plain.Title(), c.utf16 ? QString() : c.text);
    EXPECT_EQ(again.UnicodeFrameSeen, c.utf16);
    EXPECT_EQ(plain.Album(), "Plain Album");
}

INSTANTIATE_TEST_SUITE_P(
    Id3v2, Id3v2UnicodeSave,
    testing::Values(TextCase{"Cyrillic", QString::fromUtf8("Привет, мир"), true},
                    TextCase{"Japanese", QString::fromUtf8("日本語のアーティスト"), true},
                    TextCase{"Emoji", QString::fromUtf8("Notes 🎵🎶"), true},
                    TextCase{"MixedWithLatin", QString::fromUtf8("Björk – Jóga ✓"), true},
                    TextCase{"Windows1252Only", QString::fromUtf8("Björk Noël"), false}),
    test::ByName());

struct ForeignCase {
    const char* name;
    const char* fixture;
    int version;
    int track;
    QString year;
};

class Id3v2ForeignUnicode : public testing::TestWithParam<ForeignCase> {};

// Tags ffmpeg wrote: UTF-16 frames in version 3, UTF-8 frames and the recording time in version 4.
TEST_P(Id3v2ForeignUnicode, ReadsThemAndSavesThemInTheirOwnVersion) {
    const ForeignCase& c = GetParam();
    test::ScratchDir dir;
    const QByteArray original = test::Fixture(c.fixture);
    const QString path = dir.Put("a.mp3", original);
    const QByteArray pcm = CleanPcm(path);
    TagState state;
    TID3v2 tag(state);
    tag.SetUnicodeTags(true);
    ASSERT_TRUE(tag.Read(path));
    EXPECT_EQ(tag.Version(), c.version);
    EXPECT_EQ(tag.Title(), QString::fromUtf8("Привет, мир"));
    EXPECT_EQ(tag.Artist(), QString::fromUtf8("日本語のアーティスト"));
    EXPECT_EQ(tag.Album(), QString::fromUtf8("Emoji 🎵 Album"));
    EXPECT_EQ(tag.Track(), c.track);
    EXPECT_EQ(tag.Year(), c.year);
    EXPECT_FALSE(state.UnicodeFrameSeen);
    const qsizetype oldSize = static_cast<qsizetype>(tag.Size());

    const QJsonObject before = test::MutagenRead(path).value("id3v2").toObject().value("frames").toObject();
    tag.SetTrack(11);
    ASSERT_TRUE(tag.Save(path));
    const QJsonObject v2 = test::MutagenRead(path).value("id3v2").toObject();
    EXPECT_EQ(v2.value("version").toString(), "2." + QString::number(c.version));
    const QJsonObject frames = v2.value("frames").toObject();
    EXPECT_EQ(frames.value("TIT2").toString(), tag.Title());
    EXPECT_EQ(frames.value("TPE1").toString(), tag.Artist());
    EXPECT_EQ(frames.value("TALB").toString(), tag.Album());
    EXPECT_EQ(frames.value(c.version == 4 ? "TDRC" : "TYER").toString(), c.year);
    EXPECT_EQ(frames.value("TRCK").toString(), "11");
    // Only the track frame changed: every other frame reads as before.
    QJsonObject unchanged = frames;
    unchanged.insert("TRCK", before.value("TRCK"));
    EXPECT_EQ(unchanged, before);
    EXPECT_EQ(test::FfprobeTags(path).value("album").toString(), tag.Album());
    const QByteArray after = test::ReadBytes(path);
    const auto b = [&](int i) { return static_cast<qsizetype>(static_cast<unsigned char>(after[i])); };
    EXPECT_EQ(after.mid(10 + (b(6) << 21) + (b(7) << 14) + (b(8) << 7) + b(9)), original.mid(oldSize));
    EXPECT_EQ(CleanPcm(path), pcm);
}

INSTANTIATE_TEST_SUITE_P(Id3v2, Id3v2ForeignUnicode,
                         testing::Values(ForeignCase{"Version3Utf16", "unicode23.mp3", 3, 2, "2002"},
                                         ForeignCase{"Version4Utf8", "unicode24.mp3", 4, 4, "2003"}),
                         test::ByName());

}  // namespace
}  // namespace sw
