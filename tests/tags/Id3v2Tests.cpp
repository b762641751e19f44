#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <functional>

#include "TagTestSupport.h"
#include "tags/HeldFiles.h"
#include "tags/Id3v2.h"

namespace sw {
namespace {

using test::Id3Frame;
using test::Id3Tag;
using test::Id3TextFrame;

/// Every field of a read, in one comparable value.
struct Fields {
    bool exists = false;
    int version = 0;
    QString title, artist, album;
    int track = 0;
    QString year, genre, comment, composer, encoder, copyright, language, link;
    bool unicode = false;

    bool operator==(const Fields&) const = default;
};

void PrintTo(const Fields& f, std::ostream* os) {
    *os << "exists=" << f.exists << " v=" << f.version << " title=[" << f.title.toStdString() << "] artist=["
        << f.artist.toStdString() << "] album=[" << f.album.toStdString() << "] track=" << f.track
        << " year=[" << f.year.toStdString() << "] genre=[" << f.genre.toStdString() << "] comment=["
        << f.comment.toStdString() << "] composer=[" << f.composer.toStdString() << "] encoder=["
        << f.encoder.toStdString() << "] copyright=[" << f.copyright.toStdString() << "] language=["
        << f.language.toStdString() << "] link=[" << f.link.toStdString() << "] unicode=" << f.unicode;
}

Fields FieldsOf(const TID3v2& tag, const TagState& state) {
    return Fields{tag.Exists(),  tag.Version(),   tag.Title(),    tag.Artist(),  tag.Album(),
                  tag.Track(),   tag.Year(),      tag.Genre(),    tag.Comment(), tag.Composer(),
                  tag.Encoder(), tag.Copyright(), tag.Language(), tag.Link(),    state.UnicodeFrameSeen};
}

Fields V3(std::function<void(Fields&)> fill) {
    Fields f;
    f.exists = true;
    f.version = 3;
    fill(f);
    return f;
}

struct ReadCase {
    const char* name;
    QByteArray tag;
    Fields expected;
    bool unicodeTags = false;
};

class Id3v2ReadTable : public testing::TestWithParam<ReadCase> {};

TEST_P(Id3v2ReadTable, ReadsTheFields) {
    test::ScratchDir dir;
    const QString path = dir.Put("a.mp3", GetParam().tag + test::Fixture("plain.mp3"));
    TagState state;
    TID3v2 tag(state);
    tag.SetUnicodeTags(GetParam().unicodeTags);
    ASSERT_TRUE(tag.Read(path));
    EXPECT_EQ(FieldsOf(tag, state), GetParam().expected);
}

const QByteArray kLong(300, 'L');

INSTANTIATE_TEST_SUITE_P(
    Id3v2, Id3v2ReadTable,
    testing::Values(
        ReadCase{
            "AllTwelveFrames",
            Id3Tag(3,
                   Id3TextFrame("TIT2", "Title") + Id3TextFrame("TPE1", "Artist") +
                       Id3TextFrame("TALB", "Album") + Id3TextFrame("TRCK", "7/12") +
                       Id3TextFrame("TYER", "1999") + Id3TextFrame("TCON", "Rock") +
                       Id3TextFrame("COMM", QByteArray("eng\0Note", 8)) + Id3TextFrame("TCOM", "Composer") +
                       Id3TextFrame("TENC", "Rating=3") + Id3TextFrame("TCOP", "(c)") +
                       Id3TextFrame("TLAN", "eng") + Id3TextFrame("WXXX", QByteArray("\0http://x", 9)),
                   64),
            V3([](Fields& f) {
                f.title = "Title", f.artist = "Artist", f.album = "Album", f.track = 7, f.year = "1999";
                f.genre = "Rock", f.comment = "Note", f.composer = "Composer", f.encoder = "Rating=3";
                f.copyright = "(c)", f.language = "eng", f.link = "http://x";
            })},
        ReadCase{"TrackNotANumber", Id3Tag(3, Id3TextFrame("TRCK", "seven")), V3([](Fields&) {})},
        ReadCase{"GenreAfterNumber", Id3Tag(3, Id3TextFrame("TCON", "(17)Rock")),
                 V3([](Fields& f) { f.genre = "Rock"; })},
        ReadCase{"GenreAfterNumberKeepsItsBlank", Id3Tag(3, Id3TextFrame("TCON", "(17) Rock")),
                 V3([](Fields& f) { f.genre = " Rock"; })},
        ReadCase{"GenreNumberAlone", Id3Tag(3, Id3TextFrame("TCON", "(17)")), V3([](Fields&) {})},
        ReadCase{"CommentAfterItsDescription",
                 Id3Tag(3, Id3TextFrame("COMM", QByteArray("engiTunNORM\0 Text ", 19))),
                 V3([](Fields& f) { f.comment = "Text"; })},
        ReadCase{"LinkAfterItsDescription", Id3Tag(3, Id3TextFrame("WXXX", QByteArray("home\0http://y", 13))),
                 V3([](Fields& f) { f.link = "http://y"; })},
        ReadCase{
            "UnicodeTitleIsSkipped",
            Id3Tag(3, Id3Frame("TIT2", QByteArray("\x01\xFF\xFEH\0i\0", 7)) + Id3TextFrame("TPE1", "Artist")),
            V3([](Fields& f) { f.artist = "Artist", f.unicode = true; })},
        ReadCase{"UnicodeInAFrameNotRead",
                 Id3Tag(3, Id3Frame("TXXX", QByteArray("\x01\xFF\xFEH\0", 5)) + Id3TextFrame("TIT2", "T")),
                 V3([](Fields& f) { f.title = "T"; })},
        ReadCase{"LaterFrameReplacesEarlier",
                 Id3Tag(3, Id3TextFrame("TIT2", "One") + Id3TextFrame("TIT2", "Two")),
                 V3([](Fields& f) { f.title = "Two"; })},
        ReadCase{"LongFrameCutTo250Bytes",
                 Id3Tag(3, Id3TextFrame("TIT2", kLong) + Id3TextFrame("TPE1", "After")),
                 V3([](Fields& f) { f.title = QString(249, 'L'), f.artist = "After"; })},
        ReadCase{"TextTrimmedOfBlanksAndZeros",
                 Id3Tag(3, Id3TextFrame("TIT2", QByteArray(" \x01Title\0\0 ", 10))),
                 V3([](Fields& f) { f.title = "Title"; })},
        ReadCase{"Windows1252Text", Id3Tag(3, Id3TextFrame("TIT2", "Caf\xE9 \x93Q\x94")), V3([](Fields& f) {
                     f.title = QString("Caf") + QChar(0xE9) + " " + QChar(0x201C) + "Q" + QChar(0x201D);
                 })},
        ReadCase{"PaddingEndsTheWalk",
                 Id3Tag(3, Id3TextFrame("TIT2", "T") + QByteArray(4, '\0') + Id3TextFrame("TPE1", "A")),
                 V3([](Fields& f) { f.title = "T"; })},
        ReadCase{"LowerCaseIdEndsTheWalk", Id3Tag(3, Id3TextFrame("tit2", "T") + Id3TextFrame("TPE1", "A")),
                 V3([](Fields&) {})},
        ReadCase{"SizeWithTopBitEndsTheWalk",
                 Id3Tag(3, Id3TextFrame("TIT2", "T") + QByteArray("TPE1\x80\0\0\x02\0\0\0A", 13)),
                 V3([](Fields& f) { f.title = "T"; })},
        ReadCase{"FramePastTheTagIsStillRead",
                 Id3Tag(3, Id3TextFrame("TIT2", "T")).left(14) + Id3TextFrame("TIT2", "T").mid(4),
                 V3([](Fields& f) { f.title = "T"; })},
        // Without Unicode tags a version 4 tag counts as one whose Unicode text was ignored.
        ReadCase{"Version4HasNoFields", Id3Tag(4, Id3TextFrame("TIT2", "Four")),
                 Fields{true, 4, {}, {}, {}, 0, {}, {}, {}, {}, {}, {}, {}, {}, true}},
        ReadCase{"Version2HasNoFields", Id3Tag(2, QByteArray("TT2\0\0\x05\0Two!", 11)),
                 Fields{true, 2, {}, {}, {}, 0, {}, {}, {}, {}, {}, {}, {}, {}, false}},
        ReadCase{"SizePastTheEndOfTheFile",
                 QByteArray("ID3\x03\0\0\x7F\x7F\x7F\x7F", 10) + Id3TextFrame("TIT2", "T"),
                 V3([](Fields&) {})},
        ReadCase{"NoTag", QByteArray(), Fields{}}),
    test::ByName());

Fields V4(std::function<void(Fields&)> fill) {
    Fields f = V3(fill);
    f.version = 4;
    return f;
}

QByteArray Utf8Frame(const char* id, const QString& text) {
    return test::Id3v4Frame(id, "\x03" + text.toUtf8());
}

const QString kCyrillic = QString::fromUtf8("Привет, мир");
const QString kJapanese = QString::fromUtf8("日本語のアーティスト");
const QString kEmoji = QString::fromUtf8("Emoji 🎵 Album");
const QString kLongText = QString::fromUtf8("Björk ") + QString(200, 'x');
// Windows-1252 "ÿÿ!" and UTF-16 "ÿ" hold the byte pairs unsynchronisation breaks up.
const QByteArray kLatinFF("\0\xFF\xFF!", 4);
const QString kYDiaeresis = QString(QChar(0xFF));

const QByteArray kAllTwelveV3 =
    Id3Tag(3,
           Id3TextFrame("TIT2", "Title") + Id3TextFrame("TPE1", "Artist") + Id3TextFrame("TALB", "Album") +
               Id3TextFrame("TRCK", "7/12") + Id3TextFrame("TYER", "1999") + Id3TextFrame("TCON", "Rock") +
               Id3TextFrame("COMM", QByteArray("eng\0Note", 8)) + Id3TextFrame("TCOM", "Composer") +
               Id3TextFrame("TENC", "Rating=3") + Id3TextFrame("TCOP", "(c)") + Id3TextFrame("TLAN", "eng") +
               Id3TextFrame("WXXX", QByteArray("\0http://x", 9)),
           64);

// Extended headers and unsynchronisation are undone whatever the Unicode switch says; the
// switch adds UTF-16 and UTF-8 frames and version 4 tags.
INSTANTIATE_TEST_SUITE_P(
    Id3v2Robust, Id3v2ReadTable,
    testing::Values(
        ReadCase{"Version3ExtendedHeaderSkipped",
                 Id3Tag(3, test::Be32(6) + QByteArray(6, '\0') + Id3TextFrame("TIT2", "T"), 0, 0x40),
                 V3([](Fields& f) { f.title = "T"; })},
        ReadCase{"Version3ExtendedHeaderWithCrcSkipped",
                 Id3Tag(3,
                        test::Be32(10) + QByteArray("\x80\0\0\0\0\0\x12\x34\x56\x78", 10) +
                            Id3TextFrame("TPE1", "A"),
                        0, 0x40),
                 V3([](Fields& f) { f.artist = "A"; })},
        ReadCase{"ExtendedHeaderFlagWithoutTheHeader", Id3Tag(3, Id3TextFrame("TIT2", "T"), 0, 0x40),
                 V3([](Fields& f) { f.title = "T"; })},
        ReadCase{"ExtendedHeaderPastTheTagEndsTheWalk",
                 Id3Tag(3, test::Be32(5000) + Id3TextFrame("TIT2", "T"), 0, 0x40), V3([](Fields&) {})},
        ReadCase{"Version3Unsynchronised",
                 Id3Tag(3,
                        test::Unsynchronise(Id3Frame("TIT2", kLatinFF) + Id3TextFrame("TPE1", "Artist") +
                                            Id3Frame("TALB", kLatinFF)),
                        0, 0x80),
                 V3([](Fields& f) {
                     f.title = QString(2, QChar(0xFF)) + "!", f.artist = "Artist";
                     f.album = f.title;
                 })},
        ReadCase{
            "Version3UnsynchronisedExtendedHeader",
            Id3Tag(3, test::Unsynchronise(test::Be32(6) + QByteArray(6, '\0') + Id3Frame("TIT2", kLatinFF)),
                   0, 0xC0),
            V3([](Fields& f) { f.title = QString(2, QChar(0xFF)) + "!"; })},
        ReadCase{"CompressedFrameSkippedGroupByteNotTakenForTheEncoding",
                 Id3Tag(3, QByteArray("TIT2\0\0\0\x09\0\x80", 10) + test::Be32(4) + QByteArray("\0abcd", 5) +
                               QByteArray("TPE1\0\0\0\x08\0\x20", 10) + QByteArray("\x01\0Artist", 8)),
                 V3([](Fields& f) { f.artist = "Artist"; })},
        ReadCase{"Latin1FramesReadAsAlwaysWithUnicodeOn", kAllTwelveV3, V3([](Fields& f) {
                     f.title = "Title", f.artist = "Artist", f.album = "Album", f.track = 7, f.year = "1999";
                     f.genre = "Rock", f.comment = "Note", f.composer = "Composer", f.encoder = "Rating=3";
                     f.copyright = "(c)", f.language = "eng", f.link = "http://x";
                 }),
                 true},
        ReadCase{"Utf16FramesWithEitherByteOrder",
                 Id3Tag(3, Id3Frame("TIT2", "\x01" + test::Utf16WithBom(kCyrillic)) +
                               Id3Frame("TPE1", "\x01" + test::Utf16WithBom(kJapanese, true)) +
                               Id3Frame("TALB", "\x01" + test::Utf16WithBom(kEmoji) + QByteArray(2, '\0'))),
                 V3([](Fields& f) { f.title = kCyrillic, f.artist = kJapanese, f.album = kEmoji; }), true},
        ReadCase{"Utf16CommentAndLinkAfterTheirDescriptions",
                 Id3Tag(3, Id3Frame("COMM", "\x01" "eng" + test::Utf16WithBom("desc") + QByteArray(2, '\0') +
                                                test::Utf16WithBom(kCyrillic)) +
                               Id3Frame("WXXX", "\x01" + test::Utf16WithBom(kJapanese) + QByteArray(2, '\0') +
                                                    "http://x.org/")),
                 V3([](Fields& f) { f.comment = kCyrillic, f.link = "http://x.org/"; }), true},
        ReadCase{"Utf16TextCutAtTheBufferLosesNoMoreThanTheCutCharacter",
                 Id3Tag(3, Id3Frame("TIT2", "\x01" + test::Utf16WithBom(QString(600, QChar(0x0416))))),
                 V3([](Fields& f) { f.title = QString(498, QChar(0x0416)); }), true},
        ReadCase{"Version4Utf8SynchsafeSizesAndRecordingTime",
                 Id3Tag(4, Utf8Frame("TIT2", kLongText) +
                               test::Id3v4Frame("TPE1", "\x02" + test::Utf16WithBom(kJapanese, true).mid(2)) +
                               Utf8Frame("TDRC", "2004-05-12") + Utf8Frame("TRCK", "4/9")),
                 V4([](Fields& f) {
                     f.title = kLongText, f.artist = kJapanese, f.year = "2004-05-12", f.track = 4;
                 }),
                 true},
        ReadCase{"Version4SeveralValuesInAFrame",
                 Id3Tag(4, Utf8Frame("TCON", QString("Rock") + QChar(0) + "Pop" + QChar(0)) +
                               test::Id3v4Frame("TPE1", QByteArray("\0One\0\0Two", 10))),
                 V4([](Fields& f) { f.genre = "Rock/Pop", f.artist = "One/Two"; }), true},
        ReadCase{"Version4SizesWrittenWithoutSynchsafe",
                 Id3Tag(4, QByteArray("TIT2\0\0\x01\0\0\0", 10) + "\x03" + QByteArray(255, 't') +
                               QByteArray("TPE1\0\0\0\x81\0\0", 10) + "\x03" + QByteArray(128, 'a')),
                 V4([](Fields& f) { f.title = QString(255, 't'), f.artist = QString(128, 'a'); }), true},
        ReadCase{"Version4UnsynchronisedFrameWithDataLength",
                 Id3Tag(4, test::Id3v4Frame("TIT2",
                                            test::SynchsafeBytes(7) +
                                                test::Unsynchronise("\x01" + test::Utf16WithBom(kYDiaeresis +
                                                                                                kYDiaeresis)),
                                            0x03) +
                               Utf8Frame("TPE1", "A")),
                 V4([](Fields& f) { f.title = kYDiaeresis + kYDiaeresis, f.artist = "A"; }), true},
        ReadCase{
            "Version4UnsynchronisedTag",
            Id3Tag(4, test::Id3v4Frame("TIT2", test::Unsynchronise("\x01" + test::Utf16WithBom(kYDiaeresis))),
                   0, 0x80),
            V4([](Fields& f) { f.title = kYDiaeresis; }), true},
        ReadCase{"Version4ExtendedHeaderAndFooter",
                 Id3Tag(4, test::SynchsafeBytes(6) + QByteArray("\x01\0", 2) + Utf8Frame("TALB", kEmoji), 0,
                        0x50) +
                     QByteArray("3DI\x04\0\x50", 6) +
                     test::SynchsafeBytes(6 + 10 + 1 + kEmoji.toUtf8().size()),
                 V4([](Fields& f) { f.album = kEmoji; }), true},
        ReadCase{"Version4GroupedAndCompressedFrames",
                 Id3Tag(4, test::Id3v4Frame("TIT2", "\x07\x03Grouped", 0x40) +
                               test::Id3v4Frame("TPE1", test::SynchsafeBytes(9) + "xx", 0x09)),
                 V4([](Fields& f) { f.title = "Grouped"; }), true},
        ReadCase{"Version4WithTheSwitchOffStaysEmpty", Id3Tag(4, Utf8Frame("TIT2", kCyrillic)),
                 Fields{true, 4, {}, {}, {}, 0, {}, {}, {}, {}, {}, {}, {}, {}, true}}),
    test::ByName());

TEST(Id3v2Read, AFooterCountsInTheSizeAndGoesWithTheOldTag) {
    test::ScratchDir dir;
    const QByteArray frames = Utf8Frame("TIT2", "T");
    const QByteArray footer = QByteArray("3DI\x04\0\x10", 6) + test::SynchsafeBytes(frames.size());
    const QByteArray plain = test::Fixture("plain.mp3");
    const QString path = dir.Put("a.mp3", Id3Tag(4, frames, 0, 0x10) + footer + plain);
    TagState state;
    TID3v2 tag(state);
    tag.SetUnicodeTags(true);
    ASSERT_TRUE(tag.Read(path));
    EXPECT_EQ(tag.Size(), 20 + frames.size());
    tag.SetTitle("New");
    ASSERT_TRUE(tag.Save(path));
    // The tag stays version 4; the old footer goes with the old tag.
    EXPECT_EQ(test::ReadBytes(path), Id3Tag(4, test::Id3v4Frame("TIT2", QByteArray("\0New", 4))) + plain);
}

TEST(Id3v2Read, ReportsSizeAndRefusesFilesUnderTenBytes) {
    test::ScratchDir dir;
    TagState state;
    TID3v2 tag(state);
    const QByteArray frames = Id3TextFrame("TIT2", "T");
    ASSERT_TRUE(tag.Read(dir.Put("a.mp3", Id3Tag(3, frames, 20) + "audio")));
    EXPECT_EQ(tag.Size(), 10 + frames.size() + 20);
    ASSERT_TRUE(tag.Read(dir.Put("b.mp3", QByteArray("ID3\x03\0\0\x7F\x7F\x7F\x7F", 10) + "audio")));
    EXPECT_TRUE(tag.Exists());
    EXPECT_EQ(tag.Size(), 0);
    EXPECT_FALSE(tag.Read(dir.Put("c.mp3", "ID3\x03\0")));
    EXPECT_FALSE(tag.Exists());
    EXPECT_FALSE(tag.Read(dir.Path("none.mp3")));
    EXPECT_FALSE(tag.Read(dir.Path("")));
}

TEST(Id3v2Fields, SettersTrimBlanksAndControlCharactersWhereTheyShould) {
    TID3v2 tag;
    tag.SetTitle(" \tTitle\x01 ");
    tag.SetGenre("  Rock ");
    tag.SetEncoder("\nRating=2 ");
    tag.SetCopyright(" (c) ");
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Genre(), "Rock");
    EXPECT_EQ(tag.Encoder(), "Rating=2");
    EXPECT_EQ(tag.Copyright(), " (c) ");
}

/// The audio as ffmpeg decodes it, checked to decode cleanly.
QByteArray CleanPcm(const QString& path) {
    const test::Decoded decoded = test::DecodeWithFfmpeg(path);
    EXPECT_EQ(decoded.Errors, "") << path.toStdString();
    EXPECT_GT(decoded.Pcm.size(), 1000);
    return decoded.Pcm;
}

struct SaveCase {
    const char* name;
    const char* fixture;
    QByteArray prefix;  // put in front of the fixture
    bool unicode = false;
};

/// Where the ID3v2 tag at the start of `bytes` ends; 0 without one.
qsizetype TagEnd(const QByteArray& bytes) {
    if (!bytes.startsWith("ID3")) {
        return 0;
    }
    const auto b = [&](int i) { return static_cast<qsizetype>(static_cast<unsigned char>(bytes[i])); };
    return 10 + (b(6) << 21) + (b(7) << 14) + (b(8) << 7) + b(9);
}

class Id3v2SaveTable : public testing::TestWithParam<SaveCase> {};

TEST_P(Id3v2SaveTable, WritesATagOthersReadTheSame) {
    test::ScratchDir dir;
    const QByteArray original = GetParam().prefix + test::Fixture(GetParam().fixture);
    const QString path = dir.Put("a.mp3", original);
    const QByteArray pcmBefore = CleanPcm(path);

    const QJsonObject framesBefore = test::MutagenRead(path).value("id3v2").toObject().value("frames").toObject();
    TagState state;
    TID3v2 tag(state);
    tag.SetUnicodeTags(GetParam().unicode);
    ASSERT_TRUE(tag.Read(path));
    const qsizetype oldSize = static_cast<qsizetype>(tag.Size());
    const int version = tag.Exists() ? tag.Version() : 3;
    tag.SetTitle(QString("Caf") + QChar(0xE9) + " " + QChar(0x20AC));
    tag.SetArtist("Artist");
    tag.SetAlbum("Album");
    tag.SetTrack(200);
    tag.SetYear("2024");
    tag.SetGenre("Acid Jazz");
    tag.SetComment("A comment");
    tag.SetComposer("Composer");
    tag.SetEncoder("Rating=4");
    tag.SetCopyright("Copyright");
    tag.SetLanguage("eng");
    tag.SetLink("http://example.org/");
    ASSERT_TRUE(tag.Save(path));
    EXPECT_EQ(state.Id3v2WriteStage, kStageDone);
    EXPECT_EQ(dir.Entries(), QStringList{"a.mp3"});

    TagState again;
    TID3v2 reread(again);
    reread.SetUnicodeTags(GetParam().unicode);
    ASSERT_TRUE(reread.Read(path));
    // The euro sign is byte 0x80 in the code page the tag is read in, so it comes back.
    Fields expected = FieldsOf(tag, state);
    expected.exists = true, expected.version = static_cast<std::uint8_t>(version), expected.unicode = false;
    EXPECT_EQ(FieldsOf(reread, again), expected);

    QString error;
    const QJsonObject v2 = test::MutagenRead(path, &error).value("id3v2").toObject();
    EXPECT_EQ(error, "");
    EXPECT_EQ(v2.value("version").toString(), "2." + QString::number(version));
    const QJsonObject frames = v2.value("frames").toObject();
    // The frames of the twelve fields are replaced; every other frame stays as it was.
    QJsonObject want = framesBefore;
    for (const char* key : {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TDRC", "TCON", "COMM::eng", "COMM::XXX",
                            "TCOM", "TENC", "TCOP", "TLAN", "WXXX:"}) {
        want.remove(key);
    }
    // mutagen reads single-byte frames as ISO-8859-1, where byte 0x80 is a control code.
    want.insert("TIT2", QString("Caf") + QChar(0xE9) + " " + QChar(0x80));
    want.insert("TPE1", "Artist");
    want.insert("TALB", "Album");
    want.insert("TRCK", "200");
    want.insert(version == 4 ? "TDRC" : "TYER", "2024");
    want.insert("TCON", "Acid Jazz");
    want.insert("COMM::eng", "eng||A comment");
    want.insert("TCOM", "Composer");
    want.insert("TENC", "Rating=4");
    want.insert("TCOP", "Copyright");
    want.insert("TLAN", "eng");
    want.insert("WXXX:", "|http://example.org/");
    EXPECT_EQ(frames, want);

    // The audio after the new tag is the old content from the end of the old tag on.
    const QByteArray after = test::ReadBytes(path);
    EXPECT_EQ(after.mid(TagEnd(after)), original.mid(oldSize));
    EXPECT_EQ(CleanPcm(path), pcmBefore);
}

INSTANTIATE_TEST_SUITE_P(Id3v2, Id3v2SaveTable,
                         testing::Values(SaveCase{"FileWithoutTag", "plain.mp3", {}},
                                         SaveCase{"Version3Tag", "id3v23.mp3", {}},
                                         SaveCase{"Version4TagKeepsItsVersion", "id3v24.mp3", {}, true},
                                         SaveCase{"BothTags", "both.mp3", {}}),
                         test::ByName());

class Id3v2Rewrite : public testing::Test {
protected:
    test::ScratchDir dir;
    TagState state;
    TID3v2 tag{state};

    /// Expects `write` to fail at `stage` with the file exactly as it was and no temporary file left.
    void ExpectRefused(const QString& name, const std::function<bool()>& write, int stage) {
        const QString path = dir.Path(name);
        const QByteArray before = test::ReadBytes(path);
        const QStringList entries = dir.Entries();
        EXPECT_FALSE(write());
        EXPECT_EQ(state.Id3v2WriteStage, stage);
        EXPECT_EQ(test::ReadBytes(path), before);
        EXPECT_EQ(dir.Entries(), entries);
    }
};

TEST_F(Id3v2Rewrite, ATagWhoseSizePassesTheAudioIsNeverRewritten) {
    const QByteArray plain = test::Fixture("plain.mp3");
    const QByteArray frames = Id3TextFrame("TIT2", "Old");
    // A size a little past the end; and one that reaches into the ID3v1 trailer, which no tag
    // may cover (the trailer is written first under the "both" policy).
    const auto claiming = [&](qsizetype size) {
        return Id3Tag(3, frames).left(6) + test::SynchsafeBytes(static_cast<std::uint32_t>(size)) + frames;
    };
    const QByteArray pastEnd = claiming(frames.size() + plain.size() + 20) + plain;
    const QByteArray trailer = QByteArray("TAG") + QByteArray(125, 'x');
    const QByteArray intoTrailer = claiming(frames.size() + plain.size() + 60) + plain + trailer;
    int n = 0;
    for (const QByteArray& original : {pastEnd, intoTrailer}) {
        const QString name = QString("%1.mp3").arg(++n);
        const QString path = dir.Put(name, original);
        tag.SetTitle("New");
        ExpectRefused(
            name, [&] { return tag.Save(path); }, kStageUnreadableTag);
        EXPECT_TRUE(state.Id3v2Error.contains("passes the end")) << state.Id3v2Error.toStdString();
        ExpectRefused(
            name, [&] { return tag.Remove(path); }, kStageUnreadableTag);
    }
}

TEST_F(Id3v2Rewrite, AFrameRunningPastItsTagStopsTheReadAndRefusesTheSave) {
    const QByteArray plain = test::Fixture("plain.mp3");
    // TALB claims 40 bytes; the tag ends after 10 of them, and the audio follows.
    const QByteArray frames = Id3TextFrame("TIT2", "Title") + QByteArray("TALB", 4) + test::Be32(40) +
                              QByteArray(2, '\0') + QByteArray("\0Album....", 10);
    const QString path = dir.Put("a.mp3", Id3Tag(3, frames) + plain);
    ASSERT_TRUE(tag.Read(path));
    EXPECT_EQ(tag.Title(), "Title");
    EXPECT_EQ(tag.Album(), "");
    tag.SetTitle("New");
    ExpectRefused(
        "a.mp3", [&] { return tag.Save(path); }, kStageUnreadableTag);
}

TEST_F(Id3v2Rewrite, TwoTagsInARowAreReplacedTogether) {
    const QByteArray plain = test::Fixture("plain.mp3");
    const QByteArray first = Id3Tag(3, Id3TextFrame("TIT2", "Title") + Id3TextFrame("TALB", "Old album"), 16);
    const QByteArray second = Id3Tag(3, Id3TextFrame("TALB", "Older album") + Id3TextFrame("TPE2", "Band") +
                                            Id3TextFrame("TIT2", "Title"));
    const QString path = dir.Put("a.mp3", first + second + plain);
    ASSERT_TRUE(tag.Read(path));
    tag.SetAlbum("New album");
    ASSERT_TRUE(tag.Save(path));
    // One tag: the new album, the first tag's title, the band only the second tag held.
    EXPECT_EQ(test::ReadBytes(path), Id3Tag(3, Id3TextFrame("TIT2", "Title") + Id3TextFrame("TALB", "New album") +
                                                   Id3TextFrame("TPE2", "Band")) +
                                         plain);
}

TEST_F(Id3v2Rewrite, RemoveCutsTheTagAndNothingElse) {
    const QByteArray plain = test::Fixture("plain.mp3");
    const QString path = dir.Put("a.mp3", Id3Tag(3, Id3TextFrame("TIT2", "T"), 100) + plain);
    ASSERT_TRUE(tag.Remove(path));
    EXPECT_EQ(state.Id3v2WriteStage, kStageDone);
    EXPECT_EQ(test::ReadBytes(path), plain);
    ExpectRefused(
        "a.mp3", [&] { return tag.Remove(path); }, kStageNoTag);
    const QString v4 = dir.Put("b.mp3", test::Fixture("id3v24.mp3"));
    ASSERT_TRUE(tag.Remove(v4));
    EXPECT_EQ(CleanPcm(v4), CleanPcm(dir.Put("c.mp3", plain)));
    EXPECT_TRUE(test::MutagenRead(v4).isEmpty());
}

TEST_F(Id3v2Rewrite, RefusalsLeaveTheFileAsItWas) {
    dir.Put("short.mp3", "ID3\x03\0\0\0");
    ExpectRefused(
        "short.mp3", [&] { return tag.Save(dir.Path("short.mp3")); }, kStageHeader);
    ExpectRefused(
        "short.mp3", [&] { return tag.Remove(dir.Path("short.mp3")); }, kStageHeader);
    ExpectRefused(
        "none.mp3", [&] { return tag.Save(dir.Path("none.mp3")); }, kStageNoFile);
    ExpectRefused(
        "none.mp3", [&] { return tag.Remove(dir.Path("none.mp3")); }, kStageNoFile);
    ExpectRefused(
        "", [&] { return tag.Save(dir.Path("")); }, kStageNoFile);

    const QString held = dir.Put("held.mp3", test::Fixture("id3v23.mp3"));
    HeldFile engine(held);
    tag.SetTitle("Playing");
    ExpectRefused(
        "held.mp3", [&] { return tag.Save(held); }, kStageRewrite);
    ExpectRefused(
        "held.mp3", [&] { return tag.Remove(held); }, kStageRewrite);
}

TEST_F(Id3v2Rewrite, AReadOnlyFileIsMadeWritableAndKeepsItsOtherPermissions) {
    const QString path = dir.Put("a.mp3", test::Fixture("plain.mp3"));
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    tag.SetTitle("T");
    ASSERT_TRUE(tag.Save(path));
    EXPECT_EQ(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

TEST_F(Id3v2Rewrite, EmptyFieldsLoseTheirFramesAndATagLeftEmptyGoes) {
    const QString path = dir.Put("a.mp3", test::Fixture("id3v23.mp3"));
    QJsonObject frames = test::MutagenRead(path).value("id3v2").toObject().value("frames").toObject();
    ASSERT_TRUE(frames.contains("TXXX:comment"));
    ASSERT_TRUE(tag.Save(path));
    // Nothing was read, so every field counts as set, and set empty.
    for (const char* key : {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "TCOM"}) {
        EXPECT_TRUE(frames.contains(key)) << key;
        frames.remove(key);
    }
    EXPECT_EQ(test::MutagenRead(path).value("id3v2").toObject().value("frames").toObject(), frames);

    const QByteArray plain = test::Fixture("plain.mp3");
    const QString titleOnly = dir.Put("b.mp3", Id3Tag(3, Id3TextFrame("TIT2", "T"), 50) + plain);
    ASSERT_TRUE(tag.Save(titleOnly));
    EXPECT_EQ(test::ReadBytes(titleOnly), plain);
    // A file without a tag gets none.
    ASSERT_TRUE(tag.Save(titleOnly));
    EXPECT_EQ(test::ReadBytes(titleOnly), plain);
}

TEST_F(Id3v2Rewrite, ALinkedFileIsRewrittenThroughTheLink) {
    const QString target = dir.Put("real.mp3", test::Fixture("plain.mp3"));
    const QString link = dir.Path("link.mp3");
    ASSERT_TRUE(QFile::link(target, link));
    tag.SetTitle("Through");
    ASSERT_TRUE(tag.Save(link));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    TagState other;
    TID3v2 reread(other);
    ASSERT_TRUE(reread.Read(target));
    EXPECT_EQ(reread.Title(), "Through");
}

}  // namespace
}  // namespace sw
