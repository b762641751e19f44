#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <functional>
#include <memory>

#include "TagTestSupport.h"
#include "tags/FileRewrite.h"
#include "tags/FlacTag.h"
#include "tags/HeldFiles.h"
#include "tags/OggVorbis.h"

namespace sw {
namespace {

using test::FlacBlockBytes;

const QString kCyrillic = QString::fromUtf8("Привет, мир");
// A one-pixel PNG, so that ffmpeg finds a picture it can decode beside the audio.
const QByteArray kPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01\x08\x02"
    "\x00\x00\x00\x90\x77\x53\xDE\x00\x00\x00\x0C\x49\x44\x41\x54\x78\x9C\x63\xF8\xCF\xC0\x00\x00\x03\x01"
    "\x01\x00\xC9\xFE\x92\xEF\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    69);

QByteArray CleanPcm(const QString& path) {
    const test::Decoded decoded = test::DecodeWithFfmpeg(path);
    EXPECT_EQ(decoded.Errors, "") << path.toStdString();
    EXPECT_GT(decoded.Pcm.size(), 1000);
    return decoded.Pcm;
}

/// The fixture's blocks in another arrangement: the types asked for, in that order, taken from
/// the fixture (0 stream information, 4 comments, 1 padding) or made (3 seek table, 2
/// application, 6 picture).
QByteArray FlacWith(const std::vector<int>& types) {
    const test::FlacParts parts = test::SplitFlac(test::Fixture("tone.flac"));
    std::vector<FlacBlockBytes> blocks;
    for (const int type : types) {
        QByteArray data;
        for (const FlacBlockBytes& block : parts.Blocks) {
            data = block.Type == type ? block.Data : data;
        }
        if (type == 3) {
            data = QByteArray(8, '\0') + QByteArray(8, '\0') + QByteArray("\x10\0", 2);
        } else if (type == 2) {
            data = QByteArray("test") + QByteArray(20, 'a');
        } else if (type == 6) {
            data = test::FlacPictureData(kPng);
        }
        blocks.push_back({type, data});
    }
    return test::MakeFlac(blocks, parts.Audio);
}

QList<int> BlockTypes(const QJsonObject& flac) {
    QList<int> types;
    for (const QJsonValue& block : flac.value("blocks").toArray()) {
        types << block.toArray().at(0).toInt();
    }
    return types;
}

QJsonArray Comment(const QString& name, const QString& value) {
    return QJsonArray{name, value};
}

struct FlacCase {
    const char* name;
    std::function<QByteArray()> file;
    QString title;
    bool inPlace;
    QList<int> blocksAfter;
};

class FlacSave : public testing::TestWithParam<FlacCase> {};

// Only the comments change: every other block, the audio frames and any ID3v2 tag in front stay
// byte for byte, and the file stays a FLAC file metaflac lists without complaint.
TEST_P(FlacSave, RewritesTheCommentsAndNothingElse) {
    const FlacCase& c = GetParam();
    test::ScratchDir dir;
    const QByteArray original = c.file();
    const QString path = dir.Put("a.flac", original);
    const qsizetype prefix = original.indexOf("fLaC");
    const test::FlacParts before = test::SplitFlac(original.mid(prefix));
    const QByteArray pcm = CleanPcm(path);

    TFlacTag tag;
    ASSERT_TRUE(tag.Read(path));
    tag.SetTitle(c.title);
    tag.SetArtist(kCyrillic);
    tag.SetTrack(9);
    tag.SetVendor("Rating=4");
    ASSERT_TRUE(tag.Save(path)) << tag.LastFailureText().toStdString();
    EXPECT_EQ(tag.SavedInPlace(), c.inPlace);
    EXPECT_EQ(dir.Entries(), QStringList{"a.flac"});

    const QByteArray after = test::ReadBytes(path);
    if (c.inPlace) {
        EXPECT_EQ(after.size(), original.size());
    }
    EXPECT_EQ(after.left(prefix), original.left(prefix));
    const test::FlacParts parts = test::SplitFlac(after.mid(prefix));
    EXPECT_EQ(parts.Audio, before.Audio);
    for (const FlacBlockBytes& block : parts.Blocks) {
        if (block.Type != 4 && block.Type != 1) {
            const auto same = std::find_if(before.Blocks.begin(), before.Blocks.end(),
                                           [&](const FlacBlockBytes& old) { return old.Type == block.Type; });
            ASSERT_NE(same, before.Blocks.end());
            EXPECT_EQ(block.Data, same->Data) << "block type " << block.Type;
        }
    }

    EXPECT_EQ(test::MetaflacProblems(path), QStringList());
    const QJsonObject flac = test::MutagenRead(path).value("flac").toObject();
    EXPECT_EQ(BlockTypes(flac), c.blocksAfter);
    EXPECT_EQ(flac.value("vendor").toString(), "Rating=4");
    const QJsonArray comments = flac.value("comments").toArray();
    EXPECT_TRUE(comments.contains(Comment("TITLE", c.title)));
    EXPECT_TRUE(comments.contains(Comment("ARTIST", kCyrillic)));
    EXPECT_TRUE(comments.contains(Comment("TRACKNUMBER", "9")));
    EXPECT_EQ(test::FfprobeTags(path).value("artist").toString(), kCyrillic);
    EXPECT_EQ(CleanPcm(path), pcm);

    TFlacTag reread;
    ASSERT_TRUE(reread.Read(path));
    EXPECT_TRUE(c.title.startsWith(reread.Title()));
    EXPECT_EQ(reread.Artist(), kCyrillic);
    EXPECT_EQ(reread.Vendor(), "Rating=4");
}

const QString kLongTitle(9000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Flac, FlacSave,
    testing::Values(
        FlacCase{"SmallChangeFitsThePadding",
                 [] { return test::Fixture("tone.flac"); },
                 "New Title",
                 true,
                 {0, 4, 1}},
        FlacCase{"CommentsOutgrowThePadding",
                 [] { return test::Fixture("tone.flac"); },
                 kLongTitle,
                 false,
                 {0, 4, 1}},
        FlacCase{"NoPadding",
                 [] {
                     return FlacWith({0, 4});
                 },
                 QString(100, 't'),
                 false,
                 {0, 4, 1}},
        FlacCase{"NoCommentBlock",
                 [] {
                     return FlacWith({0, 1});
                 },
                 "New Title",
                 true,
                 {0, 4, 1}},
        FlacCase{"NeitherCommentsNorPadding", [] { return FlacWith({0}); }, "New Title", false, {0, 4, 1}},
        FlacCase{"PictureBetweenCommentsAndPadding",
                 [] {
                     return FlacWith({0, 4, 6, 1});
                 },
                 "New Title",
                 true,
                 {0, 4, 6, 1}},
        FlacCase{"PaddingInFrontOfTheComments",
                 [] {
                     return FlacWith({0, 1, 4});
                 },
                 "New Title",
                 true,
                 {0, 4, 1}},
        FlacCase{"SeekTableAndApplicationBlocks",
                 [] {
                     return FlacWith({0, 3, 4, 2, 1});
                 },
                 kCyrillic,
                 true,
                 {0, 3, 4, 2, 1}},
        FlacCase{"Id3v2TagInFront",
                 [] {
                     return test::Id3Tag(3, test::Id3TextFrame("TIT2", "Id3"), 20) +
                            test::Fixture("tone.flac");
                 },
                 "New Title",
                 true,
                 {0, 4, 1}},
        FlacCase{"CommentsShrinkIntoNewPadding",
                 [] {
                     std::vector<FlacBlockBytes> blocks = test::SplitFlac(test::Fixture("tone.flac")).Blocks;
                     blocks[1].Data =
                         test::VorbisCommentPacket("v", {"TITLE=" + QByteArray(500, 't')}, false).mid(7);
                     blocks.pop_back();
                     return test::MakeFlac(blocks, test::SplitFlac(test::Fixture("tone.flac")).Audio);
                 },
                 "New Title",
                 true,
                 {0, 4, 1}}),
    test::ByName());

QString PictureMd5(const QString& path) {
    return test::MutagenRead(path)["flac"]
        .toObject()["flacPictures"]
        .toArray()
        .at(0)
        .toObject()["md5"]
        .toString();
}

TEST(FlacSave, APictureIsKeptThroughAFullRewrite) {
    test::ScratchDir dir;
    const QString path = dir.Put("a.flac", FlacWith({0, 6, 4}));
    const QString md5 = PictureMd5(path);
    ASSERT_FALSE(md5.isEmpty());
    TFlacTag tag;
    ASSERT_TRUE(tag.Read(path));
    tag.SetTitle(kLongTitle);
    ASSERT_TRUE(tag.Save(path));
    EXPECT_FALSE(tag.SavedInPlace());
    EXPECT_EQ(PictureMd5(path), md5);
    EXPECT_EQ(test::MetaflacProblems(path), QStringList());
}

struct OpusCase {
    const char* name;
    QString title;
};

class OpusSave : public testing::TestWithParam<OpusCase> {};

TEST_P(OpusSave, RewritesTheCommentHeaderAndKeepsTheAudio) {
    test::ScratchDir dir;
    const QString path = dir.Put("a.opus", test::Fixture("tone.opus"));
    const QByteArray pcm = CleanPcm(path);
    TOggVorbis opus(OggCodec::Opus);
    ASSERT_TRUE(opus.Read(path));
    EXPECT_EQ(opus.Title(), "Opus Title");
    EXPECT_EQ(opus.Vendor(), "ffmpeg");
    opus.SetTitle(GetParam().title);
    opus.SetArtist(kCyrillic);
    opus.SetVendor("Rating=-2");
    ASSERT_TRUE(opus.Save(path)) << opus.LastFailureText().toStdString();
    EXPECT_EQ(dir.Entries(), QStringList{"a.opus"});

    EXPECT_EQ(test::OpusInfoProblems(path), QStringList());
    const QJsonObject read = test::MutagenRead(path).value("opus").toObject();
    EXPECT_EQ(read.value("vendor").toString(), "Rating=-2");
    EXPECT_TRUE(read.value("comments").toArray().contains(Comment("TITLE", GetParam().title)));
    EXPECT_TRUE(read.value("comments").toArray().contains(Comment("ALBUM", "Opus Album")));
    EXPECT_EQ(read.value("seconds").toDouble(), 0.5);
    EXPECT_EQ(test::FfprobeTags(path).value("artist").toString(), kCyrillic);
    EXPECT_EQ(CleanPcm(path), pcm);
    TOggVorbis reread(OggCodec::Opus);
    ASSERT_TRUE(reread.Read(path));
    EXPECT_EQ(reread.Vendor(), "Rating=-2");
}

INSTANTIATE_TEST_SUITE_P(Opus, OpusSave,
                         testing::Values(OpusCase{"OnOnePage", "New Title"},
                                         OpusCase{"OverSeveralPages", QString(70000, 'o')}),
                         test::ByName());

struct RefuseCase {
    const char* name;
    std::function<QByteArray()> file;
    std::function<std::unique_ptr<TVorbisComments>()> writer;
    OggSaveFailure failure;
    const char* text;
};

std::unique_ptr<TVorbisComments> Flac() {
    return std::make_unique<TFlacTag>();
}
std::unique_ptr<TVorbisComments> Opus() {
    return std::make_unique<TOggVorbis>(OggCodec::Opus);
}
std::unique_ptr<TVorbisComments> Vorbis() {
    return std::make_unique<TOggVorbis>();
}

class CommentRefusals : public testing::TestWithParam<RefuseCase> {};

TEST_P(CommentRefusals, LeaveTheFileAsItWasAndSayWhy) {
    test::ScratchDir dir;
    const QByteArray original = GetParam().file();
    const QString path = dir.Put("a.x", original);
    const std::unique_ptr<TVorbisComments> writer = GetParam().writer();
    writer->Read(path);
    writer->SetTitle("New");
    EXPECT_FALSE(writer->Save(path));
    EXPECT_EQ(writer->LastFailure(), GetParam().failure);
    EXPECT_EQ(writer->LastFailureText(), GetParam().text);
    EXPECT_EQ(test::ReadBytes(path), original);
    EXPECT_EQ(dir.Entries(), QStringList{"a.x"});
}

INSTANTIATE_TEST_SUITE_P(
    Tags, CommentRefusals,
    testing::Values(RefuseCase{"FlacCutInsideItsMetadata",
                               [] { return test::Fixture("tone.flac").left(100); }, Flac,
                               OggSaveFailure::DamagedHeaders, "damaged FLAC metadata"},
                    RefuseCase{"FlacWithoutLastBlockMark",
                               [] {
                                   QByteArray file = FlacWith({0, 4, 1});
                                   file[file.indexOf(QByteArray(1, '\x81'), 40)] = '\x01';
                                   return file;
                               },
                               Flac, OggSaveFailure::DamagedHeaders, "damaged FLAC metadata"},
                    RefuseCase{"FlacCommentsAnnouncingMoreThanTheyHold",
                               [] {
                                   std::vector<FlacBlockBytes> blocks =
                                       test::SplitFlac(test::Fixture("tone.flac")).Blocks;
                                   blocks[1].Data =
                                       test::Le32(1) + "v" + test::Le32(1000) + test::Le32(7) + "TITLE=t";
                                   return test::MakeFlac(blocks,
                                                         test::SplitFlac(test::Fixture("tone.flac")).Audio);
                               },
                               Flac, OggSaveFailure::DamagedHeaders, "damaged FLAC metadata"},
                    RefuseCase{"FlacWithoutStreamInformation",
                               [] {
                                   return FlacWith({4, 1});
                               },
                               Flac, OggSaveFailure::NotVorbis, "not a FLAC file"},
                    RefuseCase{"Mp3GivenToTheFlacWriter", [] { return test::Fixture("id3v23.mp3"); }, Flac,
                               OggSaveFailure::NotVorbis, "not a FLAC file"},
                    RefuseCase{"VorbisGivenToTheOpusWriter", [] { return test::Fixture("tone.ogg"); }, Opus,
                               OggSaveFailure::NotVorbis, "not an Ogg Opus file"},
                    RefuseCase{"OpusGivenToTheVorbisWriter", [] { return test::Fixture("tone.opus"); },
                               Vorbis, OggSaveFailure::NotVorbis, "not an Ogg Vorbis file"},
                    RefuseCase{"OpusCutInsideItsHeaders", [] { return test::Fixture("tone.opus").left(120); },
                               Opus, OggSaveFailure::DamagedHeaders, "damaged Ogg header pages"}),
    test::ByName());

struct InPlaceFault {
    const char* name;
    RewriteFault fault;
    bool held;
    OggSaveFailure failure;
};

class FlacInPlaceFailures : public testing::TestWithParam<InPlaceFault> {};

// A write into the padding that fails half way puts the old bytes back.
TEST_P(FlacInPlaceFailures, PutTheOldBytesBack) {
    test::ScratchDir dir;
    const QByteArray original = test::Fixture("tone.flac");
    const QString path = dir.Put("a.flac", original);
    TFlacTag tag;
    ASSERT_TRUE(tag.Read(path));
    tag.SetTitle(kCyrillic);
    {
        SetRewriteFaultForTesting(GetParam().fault);
        const auto held = GetParam().held ? std::make_unique<HeldFile>(path) : nullptr;
        EXPECT_FALSE(tag.Save(path));
        SetRewriteFaultForTesting(RewriteFault::None);
    }
    EXPECT_EQ(tag.LastFailure(), GetParam().failure);
    EXPECT_EQ(test::ReadBytes(path), original);
    EXPECT_EQ(dir.Entries(), QStringList{"a.flac"});
    ASSERT_TRUE(tag.Save(path));
    EXPECT_TRUE(tag.SavedInPlace());
}

INSTANTIATE_TEST_SUITE_P(
    Flac, FlacInPlaceFailures,
    testing::Values(InPlaceFault{"DiskFull", RewriteFault::Write, false, OggSaveFailure::RewriteFailed},
                    InPlaceFault{"SyncFails", RewriteFault::Sync, false, OggSaveFailure::RewriteFailed},
                    InPlaceFault{"HeldByTheAudioEngine", RewriteFault::None, true, OggSaveFailure::InUse}),
    test::ByName());

}  // namespace
}  // namespace sw
