#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "TagTestSupport.h"
#include "tags/ByteSource.h"
#include "tags/ContainerTag.h"

namespace sw {
namespace {

// Builders that lay out MP4 boxes and ASF objects by hand, independently of the readers.

QByteArray Box(const QByteArray& type, const QByteArray& payload) {
    return test::Be32(static_cast<std::uint32_t>(8 + payload.size())) + type + payload;
}
QByteArray DataBox(std::uint32_t typeCode, const QByteArray& value) {
    return Box("data", test::Be32(typeCode) + test::Be32(0) + value);
}
QByteArray TextItem(const QByteArray& type, const QString& text) {
    return Box(type, DataBox(1, text.toUtf8()));
}
const QByteArray kNam("\xa9nam");
const QByteArray kArt("\xa9" "ART");
const QByteArray kAlb("\xa9" "alb");
QByteArray Meta(const QByteArray& items, bool withVersion = true) {
    const QByteArray children = Box("hdlr", QByteArray(25, '\0')) + Box("ilst", items);
    return Box("meta", withVersion ? QByteArray(4, '\0') + children : children);
}
QByteArray Mp4WithUdta(const QByteArray& udta) {
    return Box("ftyp", QByteArray("M4A \0\0\0\0", 8)) + Box("mdat", QByteArray(64, 'a')) +
           Box("moov", Box("mvhd", QByteArray(100, '\0')) + udta);
}
QByteArray Mp4(const QByteArray& items, bool withVersion = true) {
    return Mp4WithUdta(Box("udta", Meta(items, withVersion)));
}

QByteArray Le16(std::uint16_t value) {
    const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
    return QByteArray(bytes, 2);
}
QByteArray Le64(std::uint64_t value) {
    return test::Le32(static_cast<std::uint32_t>(value)) + test::Le32(static_cast<std::uint32_t>(value >> 32));
}
QByteArray Utf16z(const QString& text) {
    QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes + QByteArray(2, '\0');
}
const QByteArray kHeaderGuid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const QByteArray kDescriptionGuid("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const QByteArray kExtendedGuid("\x40\xA4\xD0\xD2\x07\xE3\xD2\x11\x97\xF0\x00\xA0\xC9\x5E\xA8\x50", 16);
const QByteArray kOtherGuid(16, '\x5A');
QByteArray AsfObject(const QByteArray& guid, const QByteArray& payload) {
    return guid + Le64(24 + static_cast<std::uint64_t>(payload.size())) + payload;
}
QByteArray Description(const QString& title, const QString& author, const QString& comment) {
    const QByteArray texts[5] = {Utf16z(title), Utf16z(author), {}, Utf16z(comment), {}};
    QByteArray payload;
    for (const QByteArray& text : texts) {
        payload += Le16(static_cast<std::uint16_t>(text.size()));
    }
    for (const QByteArray& text : texts) {
        payload += text;
    }
    return AsfObject(kDescriptionGuid, payload);
}
QByteArray Descriptor(const QString& name, std::uint16_t type, const QByteArray& value) {
    const QByteArray encoded = Utf16z(name);
    return Le16(static_cast<std::uint16_t>(encoded.size())) + encoded + Le16(type) +
           Le16(static_cast<std::uint16_t>(value.size())) + value;
}
QByteArray TextDescriptor(const QString& name, const QString& text) {
    return Descriptor(name, 0, Utf16z(text));
}
QByteArray Extended(const QList<QByteArray>& descriptors, int count = -1) {
    return AsfObject(kExtendedGuid, Le16(static_cast<std::uint16_t>(count < 0 ? descriptors.size() : count)) +
                                        descriptors.join());
}
QByteArray Asf(const QList<QByteArray>& objects, std::uint32_t count = 0) {
    const QByteArray body = objects.join();
    return kHeaderGuid + Le64(30 + static_cast<std::uint64_t>(body.size())) +
           test::Le32(count == 0 ? static_cast<std::uint32_t>(objects.size()) : count) + QByteArray("\x01\x02", 2) +
           body + QByteArray(50, 'd');
}

std::optional<TContainerTag> Read(const QByteArray& bytes, bool asf) {
    const MemorySource source(bytes);
    return asf ? ReadAsfTag(source) : ReadMp4Tag(source);
}

struct Expected {
    QString Title, Artist, Album, Date, Genre, Comment;
    int Track = 0;
    int GenreNumber = -1;
};

void ExpectTag(const std::optional<TContainerTag>& tag, const std::optional<Expected>& expected) {
    ASSERT_EQ(tag.has_value(), expected.has_value());
    if (!tag) {
        return;
    }
    EXPECT_EQ(tag->Title, expected->Title);
    EXPECT_EQ(tag->Artist, expected->Artist);
    EXPECT_EQ(tag->Album, expected->Album);
    EXPECT_EQ(tag->Date, expected->Date);
    EXPECT_EQ(tag->Genre, expected->Genre);
    EXPECT_EQ(tag->Comment, expected->Comment);
    EXPECT_EQ(tag->Track, expected->Track);
    EXPECT_EQ(tag->GenreNumber, expected->GenreNumber);
}

const Expected kFixtureDetails{"Fixture Title", "Fixture Artist", "Fixture Album", "1999", "Rock", "Fixture comment", 3};
const Expected kUnicodeDetails{"Café über 日本", "Ärzte", "Émoji 🎵", "", "", "", 5};

struct FixtureCase {
    std::string name;
    QString file;
    std::optional<Expected> expected;
};

void PrintTo(const FixtureCase& c, std::ostream* os) {
    *os << c.name;
}

class ContainerFixtures : public ::testing::TestWithParam<FixtureCase> {};

// Files ffmpeg wrote: the tag at the end (moov after the audio) or at the start with a cover.
TEST_P(ContainerFixtures, ReadAsFfmpegWroteThem) {
    const FixtureCase& c = GetParam();
    ExpectTag(Read(test::Fixture(c.file), c.file.endsWith(".wma")), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ContainerFixtures,
    ::testing::Values(FixtureCase{"TaggedM4a", "tagged.m4a", kFixtureDetails},
                      FixtureCase{"CoverM4aMoovFirst", "cover.m4a", kFixtureDetails},
                      FixtureCase{"UnicodeM4a", "unicode.m4a", kUnicodeDetails},
                      FixtureCase{"PlainM4aEmptyList", "plain.m4a", std::nullopt},
                      FixtureCase{"TaggedWma", "tagged.wma", kFixtureDetails},
                      FixtureCase{"UnicodeWma", "unicode.wma", kUnicodeDetails},
                      FixtureCase{"PlainWma", "plain.wma", std::nullopt}),
    test::ByName());

struct BuiltCase {
    std::string name;
    QByteArray bytes;
    bool asf;
    std::optional<Expected> expected;
};

void PrintTo(const BuiltCase& c, std::ostream* os) {
    *os << c.name;
}

class ContainerBuilt : public ::testing::TestWithParam<BuiltCase> {};

TEST_P(ContainerBuilt, ReadOrRefused) {
    const BuiltCase& c = GetParam();
    ExpectTag(Read(c.bytes, c.asf), c.expected);
}

Expected TitleOnly(const QString& title) {
    Expected e;
    e.Title = title;
    return e;
}

std::vector<BuiltCase> Mp4Cases() {
    const QByteArray title = TextItem(kNam, "T");
    const QByteArray moovLarge = Box("ftyp", "M4A ") + test::Be32(1) + "moov" + test::Be32(0) +
                                 test::Be32(static_cast<std::uint32_t>(16 + Box("udta", Meta(title)).size())) +
                                 Box("udta", Meta(title));
    Expected genre;
    genre.GenreNumber = 17;
    QByteArray manyBoxes;
    for (int i = 0; i < 5000; ++i) {
        manyBoxes += Box("free", {});
    }
    QByteArray brokenSize = Mp4(title);
    brokenSize.replace(brokenSize.indexOf("moov") - 4, 4, test::Be32(0x7FFFFFF0));
    QByteArray udtaZero = Mp4(title);
    udtaZero.replace(udtaZero.indexOf("udta") - 4, 4, test::Be32(0));
    QByteArray ilstPastMeta = Mp4(title);
    ilstPastMeta.replace(ilstPastMeta.indexOf("ilst") - 4, 4, test::Be32(200));
    return {
        {"Mp4GenreNumber", Mp4(Box("gnre", DataBox(0, QByteArray("\x00\x12", 2)))), false, genre},
        {"Mp4QuickTimeMetaWithoutVersion", Mp4(title, false), false, TitleOnly("T")},
        {"Mp4LargeSizeMoov", moovLarge, false, TitleOnly("T")},
        {"Mp4FirstTitleCounts", Mp4(title + TextItem(kNam, "Second")), false, TitleOnly("T")},
        {"Mp4Utf16Text", Mp4(Box(kNam, DataBox(2, QByteArray("\x00\xe9\x00x", 4)))), false, TitleOnly("éx")},
        {"Mp4TrackAbove255Ignored",
         Mp4(title + Box("trkn", DataBox(0, QByteArray("\0\0\x01\x2c\0\0\0\0", 8)))), false, TitleOnly("T")},
        {"Mp4BigCoverPassedOver", Mp4(Box("covr", DataBox(13, QByteArray(1100000, 'j'))) + title), false,
         TitleOnly("T")},
        {"Mp4ItemWithoutData", Mp4(Box(kArt, Box("name", "x")) + title), false, TitleOnly("T")},
        {"Mp4NoUdta", Mp4WithUdta({}), false, std::nullopt},
        {"Mp4MoovPastTheEnd", brokenSize, false, std::nullopt},
        {"Mp4NestedSizeZero", udtaZero, false, std::nullopt},
        {"Mp4IlstPastItsMeta", ilstPastMeta, false, std::nullopt},
        {"Mp4ItemSizeZero", Mp4(title + test::Be32(0) + kAlb), false, std::nullopt},
        {"Mp4ItemSizeBelowHeader", Mp4(title + test::Be32(4) + kAlb), false, std::nullopt},
        {"Mp4DataShorterThanItsPrefix", Mp4(title + Box(kAlb, Box("data", "abc"))), false, std::nullopt},
        {"Mp4TooManyBoxes", Mp4(manyBoxes + title), false, std::nullopt},
        {"Mp4NotAnMp4", QByteArray("RIFF\x10\0\0\0WAVEfmt "), false, std::nullopt},
    };
}

std::vector<BuiltCase> AsfCases() {
    const QByteArray description = Description("Title", "Artist", "Note");
    Expected full{"Title", "Artist", "Album", "2001", "Jazz", "Note", 3};
    Expected fromExtended{"Ext Title", "Ext Artist", "", "1987", "", "Ext Note", 0};
    Expected trackOnly;
    trackOnly.Track = 7;
    QByteArray shortDescription = Description("Title", "", "");
    shortDescription.replace(24, 2, Le16(400));
    QByteArray headerPastEnd = Asf({description});
    headerPastEnd.replace(16, 8, Le64(100000));
    QByteArray objectSizeZero = Asf({description});
    objectSizeZero.replace(30 + 16, 8, Le64(0));
    return {
        {"AsfBothObjects",
         Asf({description,
              Extended({TextDescriptor("WM/AlbumTitle", "Album"), TextDescriptor("WM/Year", "2001"),
                        TextDescriptor("date", "1900"), TextDescriptor("WM/TrackNumber", "3/10"),
                        TextDescriptor("WM/Genre", "Jazz"), TextDescriptor("WM/AlbumArtist", "Other")})}),
         true, full},
        {"AsfExtendedFillsWhatDescriptionLacks",
         Asf({Extended({TextDescriptor("Title", "Ext Title"), TextDescriptor("Author", "Ext Artist"),
                        TextDescriptor("Description", "Ext Note"), TextDescriptor("date", "1987")})}),
         true, fromExtended},
        {"AsfTrackCountedFromZero", Asf({Extended({Descriptor("WM/Track", 3, test::Le32(6))})}), true, trackOnly},
        {"AsfTrackNumberBeatsTrack",
         Asf({Extended({Descriptor("WM/Track", 3, test::Le32(1)), Descriptor("WM/TrackNumber", 5, Le16(7))})}), true,
         trackOnly},
        {"AsfOtherObjectsPassedOver", Asf({AsfObject(kOtherGuid, QByteArray(40, 'x')), description}), true,
         Expected{"Title", "Artist", "", "", "", "Note", 0}},
        {"AsfHugeObjectCount", Asf({description}, 0xFFFFFFFF), true,
         Expected{"Title", "Artist", "", "", "", "Note", 0}},
        {"AsfNoDescriptions", Asf({AsfObject(kOtherGuid, {})}), true, std::nullopt},
        {"AsfHeaderPastTheEnd", headerPastEnd, true, std::nullopt},
        {"AsfObjectSizeZero", objectSizeZero, true, std::nullopt},
        {"AsfTextPastItsObject", Asf({shortDescription}), true, std::nullopt},
        {"AsfDescriptorCountTooHigh", Asf({Extended({TextDescriptor("WM/Genre", "Jazz")}, 65535)}), true,
         std::nullopt},
        {"AsfNotAnAsf", QByteArray(100, '\x30'), true, std::nullopt},
    };
}

INSTANTIATE_TEST_SUITE_P(Mp4, ContainerBuilt, ::testing::ValuesIn(Mp4Cases()), test::ByName());
INSTANTIATE_TEST_SUITE_P(Asf, ContainerBuilt, ::testing::ValuesIn(AsfCases()), test::ByName());

/// Where the tag's outermost part ends, found by hand: the header object, or the moov box.
qsizetype TagEnd(const QByteArray& bytes, bool asf) {
    const auto be32 = [&bytes](qsizetype at) {
        return static_cast<qsizetype>(static_cast<unsigned char>(bytes[at]) << 24 |
                                      static_cast<unsigned char>(bytes[at + 1]) << 16 |
                                      static_cast<unsigned char>(bytes[at + 2]) << 8 |
                                      static_cast<unsigned char>(bytes[at + 3]));
    };
    if (asf) {
        return static_cast<unsigned char>(bytes[16]) | static_cast<unsigned char>(bytes[17]) << 8;
    }
    for (qsizetype at = 0; at + 8 <= bytes.size(); at += be32(at)) {
        if (bytes.mid(at + 4, 4) == "moov") {
            return at + be32(at);
        }
    }
    return -1;
}

class ContainerTruncated : public ::testing::TestWithParam<std::string> {};

// A file cut anywhere before its tag ends has no tag; cut after it, the tag is read whole.
TEST_P(ContainerTruncated, AtEveryLength) {
    const QString file = QString::fromStdString(GetParam()).replace('_', '.');
    const bool asf = file.endsWith(".wma");
    const QByteArray whole = test::Fixture(file);
    const qsizetype end = TagEnd(whole, asf);
    ASSERT_GT(end, 0);
    const std::optional<TContainerTag> full = Read(whole, asf);
    ASSERT_TRUE(full);
    for (qsizetype length = 0; length < whole.size(); ++length) {
        const std::optional<TContainerTag> cut = Read(whole.left(length), asf);
        ASSERT_EQ(cut.has_value(), length >= end) << "cut at " << length;
        if (cut) {
            ASSERT_EQ(cut->Title, full->Title) << "cut at " << length;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ContainerTruncated,
                         ::testing::Values("tagged_m4a", "cover_m4a", "tagged_wma", "unicode_wma"));

// Random damage, biased towards the size fields: the readers stay within the bytes they were
// given (the sanitizer build checks) and always come back.
TEST(ContainerDamaged, NeverReadPastTheirBytes) {
    std::mt19937 random(20240611);
    for (const char* file : {"tagged.m4a", "cover.m4a", "tagged.wma", "unicode.wma"}) {
        const QByteArray seed = test::Fixture(file);
        const bool asf = QByteArray(file).endsWith(".wma");
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = seed;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < changes; ++i) {
                const auto at = static_cast<qsizetype>(random() % static_cast<unsigned>(bytes.size()));
                const int kind = static_cast<int>(random() % 3);
                if (kind == 0) {
                    bytes[at] = static_cast<char>(random());
                } else if (kind == 1) {
                    bytes[at] = static_cast<char>(random() % 2 == 0 ? 0 : 0xFF);
                } else {
                    bytes.truncate(at + 1);
                }
            }
            const std::optional<TContainerTag> tag = Read(bytes, asf);
            if (tag) {
                EXPECT_LE(tag->Title.size(), bytes.size());
            }
        }
    }
}

}  // namespace
}  // namespace sw
