#include <gtest/gtest.h>

#include <algorithm>

#include "TagTestSupport.h"
#include "tags/OggCrc.h"
#include "tags/OggPages.h"
#include "tags/Synchsafe.h"
#include "tags/TagText.h"

namespace sw {
namespace {

using Lacing = std::vector<std::uint8_t>;

Lacing Cat(Lacing a, const Lacing& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Synchsafe, EncodesSevenBitsABytesAndRefusesWhatDoesNotFit) {
    for (const std::uint32_t value : {0U, 1U, 127U, 128U, 16383U, 16384U, 0x0FFFFFFFU}) {
        const auto encoded = EncodeSynchsafe(value);
        ASSERT_TRUE(encoded.has_value()) << value;
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(encoded->data()), 4), test::SynchsafeBytes(value));
        std::uint8_t bytes[4] = {(*encoded)[0], (*encoded)[1], (*encoded)[2], (*encoded)[3]};
        EXPECT_EQ(DecodeSynchsafe(bytes), value);
    }
    EXPECT_FALSE(EncodeSynchsafe(0x10000000U).has_value());
    // Bytes with the top bit set are taken at face value, giving a size past any small file.
    std::uint8_t broken[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(DecodeSynchsafe(broken), 255LL * (1 << 21) + 255 * (1 << 14) + 255 * (1 << 7) + 255);
}

TEST(OggCrc, AgreesWithEveryPageOfTheFixtureAndWithABitwiseCrc) {
    const std::vector<test::PageView> pages = test::SplitPages(test::Fixture("tone.ogg"));
    ASSERT_GE(pages.size(), 3U);
    for (const test::PageView& page : pages) {
        QByteArray zeroed = page.Bytes;
        zeroed.replace(22, 4, QByteArray(4, '\0'));
        EXPECT_EQ(OggCrcUpdate(0, zeroed.constData(), static_cast<std::size_t>(zeroed.size())),
                  page.StoredCrc);
        // Fed in two parts, as a page is checksummed header first.
        const std::uint32_t head = OggCrcUpdate(0, zeroed.constData(), 27);
        EXPECT_EQ(OggCrcUpdate(head, zeroed.constData() + 27, static_cast<std::size_t>(zeroed.size() - 27)),
                  page.StoredCrc);
    }
    const QByteArray text("The quick brown fox");
    EXPECT_EQ(OggCrcUpdate(0, text.constData(), static_cast<std::size_t>(text.size())),
              test::BitwiseOggCrc(text));
}

struct PaginateCase {
    const char* name;
    std::vector<qsizetype> packetSizes;
    std::vector<Lacing> pages;  // the lacing values of each page
};

class PaginateTable : public testing::TestWithParam<PaginateCase> {};

TEST_P(PaginateTable, LaysThePacketsOutAsAnOggReaderExpects) {
    std::vector<QByteArray> packets;
    QByteArray all;
    for (const qsizetype size : GetParam().packetSizes) {
        QByteArray packet(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i) {
            packet[i] = static_cast<char>((i * 7 + packets.size()) % 251);
        }
        packets.push_back(packet);
        all += packet;
    }
    QByteArray file;
    for (const QByteArray& page : PaginatePackets(packets, 0x4EC0, 7, kOggEndOfStream)) {
        file += page;
    }
    const std::vector<test::PageView> pages = test::SplitPages(file);
    ASSERT_EQ(pages.size(), GetParam().pages.size());
    QByteArray data;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i);
        const test::PageView& page = pages[i];
        EXPECT_EQ(page.Lacing, GetParam().pages[i]);
        QByteArray zeroed = page.Bytes;
        zeroed.replace(22, 4, QByteArray(4, '\0'));
        EXPECT_EQ(test::BitwiseOggCrc(zeroed), page.StoredCrc);
        EXPECT_EQ(page.Bytes.mid(14, 4), test::Le32(0x4EC0));
        EXPECT_EQ(page.Bytes.mid(18, 4), test::Le32(static_cast<std::uint32_t>(7 + i)));
        const bool continued = i > 0 && pages[i - 1].Lacing.back() == 255;
        const bool last = i + 1 == pages.size();
        EXPECT_EQ(static_cast<int>(page.Bytes[5]), (continued ? 1 : 0) | (last ? 4 : 0));
        // A page on which no packet ends has no granule position of its own.
        const bool packetEnds =
            std::any_of(page.Lacing.begin(), page.Lacing.end(), [](int v) { return v < 255; });
        EXPECT_EQ(page.Bytes.mid(6, 8), QByteArray(8, packetEnds ? '\0' : '\xFF'));
        data += page.Data;
    }
    EXPECT_EQ(data, all);
}

INSTANTIATE_TEST_SUITE_P(
    Lacing, PaginateTable,
    testing::Values(PaginateCase{"Grows", {300, 315}, {{255, 45, 255, 60}}},
                    PaginateCase{"Shrinks", {100, 315}, {{100, 255, 60}}},
                    PaginateCase{"ExactMultipleEndsWithZero", {255, 50}, {{255, 0, 50}}},
                    PaginateCase{"TwoFullSegments", {510}, {{255, 255, 0}}},
                    PaginateCase{"Empty", {0, 7}, {{0, 7}}},
                    PaginateCase{"JustFits", {253 * 255, 1}, {Cat(Lacing(253, 255), {0, 1})}},
                    PaginateCase{
                        "OneTooManyGoesOnTheNextPage", {254 * 255, 1}, {Cat(Lacing(254, 255), {0}), {1}}},
                    PaginateCase{"EndsExactlyWithAPage", {254 * 255 + 7}, {Cat(Lacing(254, 255), {7})}},
                    PaginateCase{"ZeroValueOpensTheNextPage", {255 * 255, 9}, {Lacing(255, 255), {0, 9}}},
                    PaginateCase{"PacketOverThreePages",
                                 {600 * 255 + 7, 3000},
                                 {Lacing(255, 255), Lacing(255, 255),
                                  Cat(Cat(Lacing(90, 255), {7}), Cat(Lacing(11, 255), {195}))}}),
    test::ByName());

struct CodecCase {
    const char* name;
    QByteArray bytes;
    QString text;
};

class Windows1252Table : public testing::TestWithParam<CodecCase> {};

TEST_P(Windows1252Table, Decodes) {
    EXPECT_EQ(DecodeWindows1252(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Text, Windows1252Table,
    testing::Values(CodecCase{"Ascii", "Rock", "Rock"}, CodecCase{"Euro", "\x80", QString(QChar(0x20AC))},
                    CodecCase{"CurlyApostrophe", "Don\x92t", QString("Don") + QChar(0x2019) + "t"},
                    CodecCase{"UndefinedByteKept", "\x81", QString(QChar(0x81))},
                    CodecCase{"Latin1Letter", "caf\xE9", QString("caf") + QChar(0xE9)},
                    CodecCase{"ZeroBytesAreCharacters", QByteArray("a\0b", 3), QString("a") + QChar(0) + "b"},
                    CodecCase{"LastByte", "\xFF", QString(QChar(0xFF))}),
    test::ByName());

class Windows1252EncodeTable : public testing::TestWithParam<CodecCase> {};

// Written in the code page the reader uses, so every character the decoder gives comes back as
// the byte it came from.
TEST_P(Windows1252EncodeTable, EncodesWithQuestionMarks) {
    EXPECT_EQ(EncodeWindows1252(GetParam().text), GetParam().bytes);
}

TEST(Windows1252, EveryByteSurvivesADecodeAndAnEncode) {
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte) {
        all.append(static_cast<char>(byte));
    }
    EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(all)), all);
}

INSTANTIATE_TEST_SUITE_P(Text, Windows1252EncodeTable,
                         testing::Values(CodecCase{"Letters", "caf\xE9", QString("caf") + QChar(0xE9)},
                                         CodecCase{"Euro", "\x80", QString(QChar(0x20AC))},
                                         CodecCase{"CurlyQuotesAndDashes", "\x92\x93\x94\x96\x97",
                                                   QString() + QChar(0x2019) + QChar(0x201C) + QChar(0x201D) +
                                                       QChar(0x2013) + QChar(0x2014)},
                                         CodecCase{"OutsideTheCodePage", "?", QString(QChar(0x0101))},
                                         CodecCase{"C1ControlTheCodePageLacks", "?", QString(QChar(0x80))},
                                         CodecCase{"OutsideBasicPlaneIsOneCharacter", "a?b",
                                                   QString("a") + QString::fromUcs4(U"\U0001F600") + "b"},
                                         CodecCase{"UndefinedByteKept", "\x81", QString(QChar(0x81))}),
                         test::ByName());

class Utf8Table : public testing::TestWithParam<CodecCase> {};

TEST_P(Utf8Table, DecodesUpToTheFirstFault) {
    EXPECT_EQ(DecodeUtf8Lenient(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Text, Utf8Table,
                         testing::Values(CodecCase{"Ascii", "Jazz", "Jazz"},
                                         CodecCase{"TwoBytes", "\xC3\xA9t\xC3\xA9", QString::fromUtf8("été")},
                                         CodecCase{"ThreeBytes", "\xE2\x82\xAC", QString(QChar(0x20AC))},
                                         CodecCase{"FourBytes", "\xF0\x9F\x98\x80!",
                                                   QString::fromUcs4(U"\U0001F600!")},
                                         CodecCase{"BadContinuationStops", "ab\xC3(cd", "ab"},
                                         CodecCase{"CutOffSequenceStops", "ab\xE2\x82", "ab"},
                                         CodecCase{"StrayContinuationStops", "a\x80z", "a"},
                                         CodecCase{"OverlongStops", "a\xC0\x80z", "a"},
                                         CodecCase{"SurrogateStops", "a\xED\xA0\x80z", "a"},
                                         CodecCase{"Latin1IsNotUtf8", "caf\xE9!", "caf"}),
                         test::ByName());

TEST(TagText, TrimsCodesUpTo32AndCutsByCharacters) {
    EXPECT_EQ(TrimTagText(QString::fromUtf8(QByteArray("\0\x01 Blue \t\0\0", 11))), "Blue");
    EXPECT_EQ(TrimTagText("  "), "");
    EXPECT_EQ(TrimTagBytes(QByteArray("\0 x=y \x1f", 7)), "x=y");
}

struct TrackCase {
    const char* name;
    const char* text;
    int track;
};

class TrackTable : public testing::TestWithParam<TrackCase> {};

TEST_P(TrackTable, TakesTheNumberBeforeTheSlash) {
    EXPECT_EQ(TrackFromText(GetParam().text), GetParam().track);
}

INSTANTIATE_TEST_SUITE_P(Text, TrackTable,
                         testing::Values(TrackCase{"Plain", "7", 7}, TrackCase{"WithTotal", "7/12", 7},
                                         TrackCase{"Blanks", " 07 ", 7}, TrackCase{"SlashLast", "3/", 3},
                                         TrackCase{"NothingBeforeSlash", "/12", 0},
                                         TrackCase{"Letter", "x", 0}, TrackCase{"Empty", "", 0},
                                         TrackCase{"TrailingLetter", "7a", 0},
                                         TrackCase{"Largest", "255", 255}, TrackCase{"TooLarge", "256", 0},
                                         TrackCase{"Negative", "-3", 0}, TrackCase{"Huge", "99999999999", 0}),
                         test::ByName());

}  // namespace
}  // namespace sw
