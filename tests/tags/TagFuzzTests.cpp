#include <gtest/gtest.h>

#include <QFile>
#include <cstdlib>
#include <random>

#include "TagTestSupport.h"
#include "core/Song.h"
#include "tags/FlacTag.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"
#include "tags/OggVorbis.h"

namespace sw {
namespace {

/// Files to mutate: every fixture, plus hand-made ones that reach the paths fixtures do not.
std::vector<QByteArray> Seeds() {
    const QByteArray plain = test::Fixture("plain.mp3");
    QByteArray trailer(128, '\0');
    trailer.replace(0, 8, "TAGTitle");
    const QByteArray allFrames = test::Id3Tag(
        3,
        test::Id3TextFrame("TIT2", "Title") + test::Id3TextFrame("TRCK", "7/12") +
            test::Id3TextFrame("TCON", "(17)Rock") + test::Id3TextFrame("COMM", QByteArray("eng\0Note", 8)) +
            test::Id3TextFrame("WXXX", QByteArray("\0http://x", 9)) + test::Id3TextFrame("TENC", "Rating=2"),
        16);
    const QByteArray ogg = test::Fixture("tone.ogg");
    return {plain, test::Fixture("id3v23.mp3"), test::Fixture("id3v24.mp3"), test::Fixture("both.mp3"),
            allFrames + plain.left(600) + trailer, ogg,
            test::Id3Tag(3, test::Id3TextFrame("TIT2", "x"), 8) + ogg.left(3000),
            test::MakeOgg(
                test::VorbisCommentPacket("v", {"TITLE=t", "artist=a", "PERFORMER=p", "TRACKNUMBER=3/4"}))
                .left(2500),
            // Headers over two pages, with a picture to keep: a rewrite lays them out on one page
            // and renumbers the pages after them.
            test::MakeOgg(test::VorbisCommentPacket("v", {"TITLE=" + QByteArray(300, 't'),
                                                          "METADATA_BLOCK_PICTURE=" + QByteArray(700, 'p')}),
                          test::OggLayoutKind::CommentSpansPages),
            test::Fixture("long.ogg").left(6000),
            // What the Unicode switch and the robust reader take apart: UTF-16 and UTF-8 frames,
            // version 4 sizes, extended headers, footers and unsynchronisation.
            test::Fixture("unicode23.mp3"), test::Fixture("unicode24.mp3"),
            test::Id3Tag(
                4,
                test::SynchsafeBytes(6) + QByteArray("\x01\0", 2) +
                    test::Id3v4Frame("TIT2", "\x03" + QByteArray(200, 't')) +
                    test::Id3v4Frame(
                        "TPE1", test::SynchsafeBytes(5) + test::Unsynchronise("\x01\xFF\xFE\xFF\0"), 0x03) +
                    test::Id3v4Frame("COMM",
                                     "\x01"
                                     "eng\xFF\xFE\0\0\xFF\xFEx\0"),
                8, 0xD0) +
                QByteArray("3DI\x04\0\xD0\0\0\x02\x10", 10) + plain.left(400),
            test::Id3Tag(3,
                         test::Unsynchronise(test::Be32(6) + QByteArray(6, '\0') +
                                             test::Id3Frame("TIT2", QByteArray("\0\xFF\xFF!", 4)) +
                                             test::Id3Frame("TALB", "\x01" + test::Utf16WithBom("Album"))),
                         0, 0xC0) +
                plain.left(400),
            // FLAC with its comments and padding, with an ID3v2 tag in front, and Opus.
            test::Fixture("tone.flac").left(9000),
            test::Id3Tag(3, test::Id3TextFrame("TIT2", "x")) + test::Fixture("tone.flac").left(9000),
            test::Fixture("tone.opus")};
}

void PutBe32(QByteArray& bytes, qsizetype at, std::uint32_t value) {
    for (int i = 0; i < 4 && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
    }
}

/// Damages a copy of `seed` the way real broken files are damaged, biased towards the headers.
QByteArray Mutate(const QByteArray& seed, std::mt19937& random) {
    QByteArray bytes = seed;
    auto pick = [&](qsizetype limit) {
        return static_cast<qsizetype>(
            std::uniform_int_distribution<qsizetype>(0, std::max<qsizetype>(limit, 1) - 1)(random));
    };
    // Headers and size fields sit in the first few hundred bytes and the last 128.
    auto place = [&]() -> qsizetype {
        const int zone = static_cast<int>(random() % 10);
        if (zone < 6) {
            return pick(std::min<qsizetype>(bytes.size(), 400));
        }
        if (zone < 8) {
            return std::max<qsizetype>(0, bytes.size() - 1 - pick(128));
        }
        return pick(bytes.size());
    };
    static const std::uint32_t kSizes[] = {
        0xFFFFFFFFU, 0x80000000U, 0x7FFFFFFFU, 0x0FFFFFFFU, 0x7F7F7F7FU, 0, 1, 250, 251, 255, 256, 65025};
    const int mutations = 1 + static_cast<int>(random() % 3);
    for (int m = 0; m < mutations && !bytes.isEmpty(); ++m) {
        switch (random() % 5) {
            case 0:
            case 1:  // flip a few bits
                for (int flips = 1 + static_cast<int>(random() % 8); flips > 0; --flips) {
                    bytes[place()] ^= static_cast<char>(1 << (random() % 8));
                }
                break;
            case 2:  // cut the file short
                bytes.truncate(pick(bytes.size() + 1));
                break;
            case 3: {  // a huge, negative or boundary size field, big- or little-endian
                const std::uint32_t value = (random() % 4 == 0) ? static_cast<std::uint32_t>(random())
                                                                : kSizes[random() % std::size(kSizes)];
                const qsizetype at = place();
                if (random() % 2 == 0) {
                    PutBe32(bytes, at, value);
                } else {
                    for (int i = 0; i < 4 && at + i < bytes.size(); ++i) {
                        bytes[at + i] = static_cast<char>(value >> (8 * i));
                    }
                }
                break;
            }
            case 4:  // the known size fields themselves
                if (bytes.startsWith("ID3") && bytes.size() > 10) {
                    bytes[6 + pick(4)] = static_cast<char>(random() % 2 ? 0xFF : random());
                } else if (const qsizetype comment = bytes.indexOf("\x03vorbis"); comment >= 0) {
                    PutBe32(bytes, comment + 7 + 4 * pick(6), kSizes[random() % std::size(kSizes)]);
                } else if (const qsizetype flac = bytes.indexOf("fLaC");
                           flac >= 0 && flac + 50 < bytes.size()) {
                    // The length of the stream information or of the comment block after it.
                    bytes[flac + (random() % 2 ? 5 : 43) + pick(3)] = static_cast<char>(random());
                } else if (const qsizetype page = bytes.indexOf("OggS");
                           page >= 0 && page + 26 < bytes.size()) {
                    bytes[page + 26] = static_cast<char>(random());
                }
                break;
        }
    }
    return bytes;
}

// 20,000 variants in all, in shards that ctest can run side by side.
constexpr int kShards = 4;

int VariantsPerShard() {
    const char* wanted = std::getenv("SW_TAG_FUZZ_VARIANTS");
    const int total = wanted != nullptr && std::atoi(wanted) > 0 ? std::atoi(wanted) : 20000;
    return (total + kShards - 1) / kShards;
}

class TagFuzz : public testing::TestWithParam<int> {};

TEST_P(TagFuzz, MutatedFilesNeverCrashAndRefusedWritesChangeNothing) {
    const std::vector<QByteArray> seeds = Seeds();
    std::mt19937 random(20240917 + GetParam());
    test::ScratchDir dir;
    const QString path = dir.Path("f.mp3");
    TagState state;
    TSong song;
    song.FullPath = path;
    song.FileType = "MP3";

    // Odd variants get short FLAC comments that fit the padding, even ones a long comment that
    // does not.
    int variantIndex = 0;
    using Write = std::function<bool()>;
    const std::pair<const char*, Write> writers[] = {
        {"Id3v2Save",
         [&] {
             TID3v2 tag(state);
             tag.Read(path);
             tag.SetTitle("Fuzz");
             tag.SetTrack(3);
             return tag.Save(path);
         }},
        {"Id3v2Remove", [&] { return TID3v2(state).Remove(path); }},
        {"Id3v2SaveUnicode",
         [&] {
             TID3v2 tag(state);
             tag.SetUnicodeTags(true);
             tag.Read(path);
             tag.SetArtist(QString::fromUtf8("Фазз"));
             return tag.Save(path);
         }},
        {"OggSave",
         [&] {
             TOggVorbis ogg;
             ogg.Read(path);
             ogg.SetComment("Fuzz");
             return ogg.Save(path);
         }},
        {"OpusSave",
         [&] {
             TOggVorbis opus(OggCodec::Opus);
             opus.Read(path);
             opus.SetComment("Fuzz");
             return opus.Save(path);
         }},
        {"FlacSave",
         [&] {
             TFlacTag flac;
             flac.Read(path);
             flac.SetComment(variantIndex % 2 ? QString("Fuzz") : QString(9000, 'f'));
             return flac.Save(path);
         }},
        {"WriteId3v1", [&] { return WriteId3v1(song, 4); }},
        {"RemoveId3v1", [&] { return RemoveId3v1(path); }},
    };

    const int variants = VariantsPerShard();
    int refusals = 0;
    int writes = 0;
    for (int n = 0; n < variants; ++n) {
        variantIndex = n;
        const QByteArray variant =
            Mutate(seeds[static_cast<std::size_t>(n + GetParam()) % seeds.size()], random);
        test::WriteBytes(path, variant);

        TSong read = song;
        EXPECT_NO_THROW(ReadId3v1(read, state));
        TID3v2 id3(state);
        id3.Read(path);
        EXPECT_LE(id3.Size(), variant.size());
        TOggVorbis ogg;
        ogg.Read(path);
        TID3v2 unicode(state);
        unicode.SetUnicodeTags(true);
        unicode.Read(path);
        EXPECT_LE(unicode.Size(), variant.size());
        TOggVorbis(OggCodec::Opus).Read(path);
        TFlacTag().Read(path);

        bool changed = false;
        for (const auto& [name, write] : writers) {
            if (changed) {
                test::WriteBytes(path, variant);
            }
            const bool wrote = write();
            writes += wrote ? 1 : 0;
            refusals += wrote ? 0 : 1;
            const QByteArray now = test::ReadBytes(path);
            changed = now != variant;
            if (!wrote) {
                ASSERT_FALSE(changed) << name << " refused but changed variant " << n;
            }
            ASSERT_EQ(dir.Entries(), QStringList{"f.mp3"})
                << name << " left its temporary file for variant " << n;
            if (wrote) {
                // What a writer wrote must read back without trouble.
                TID3v2(state).Read(path);
                TOggVorbis().Read(path);
                TFlacTag().Read(path);
            }
        }
    }
    RecordProperty("variants", variants);
    // Both outcomes must be common, or the mutations are not reaching the interesting paths.
    EXPECT_GT(writes, variants);
    EXPECT_GT(refusals, variants);
    EXPECT_EQ(dir.Entries(), QStringList{"f.mp3"});
    std::printf("variants=%d writes=%d refusals=%d\n", variants, writes, refusals);
}

INSTANTIATE_TEST_SUITE_P(Tags, TagFuzz, testing::Range(0, kShards));

}  // namespace
}  // namespace sw
