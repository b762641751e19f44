#include <gtest/gtest.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TagTestSupport.h"
#include "tags/FlacTag.h"
#include "tags/OggVorbis.h"

namespace sw {
namespace {

using Pairs = QList<std::pair<QString, QString>>;

struct ToolRun {
    int exit = -1;
    QString errors;
};

ToolRun RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(10000)) {
        return {-1, program + " could not be started"};
    }
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

QString Python() {
    return QFileInfo::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

/// Why the files of these tests cannot be made here, or nothing.
const QString& MissingTools() {
    static const QString missing = [] {
        if (QStandardPaths::findExecutable("ffmpeg").isEmpty()) {
            return QString("ffmpeg is not installed");
        }
        if (RunTool(Python(), {"-c", "import mutagen"}).exit != 0) {
            return QString("mutagen is not installed");
        }
        return QString();
    }();
    return missing;
}

// What another tagger left in the file, in this order. The marker with an empty value is where the
// cover picture goes: a picture comment in Ogg files, a picture block in FLAC files.
const QString kLongComment = QString("Liner notes ").repeated(34).left(400);
const Pairs kFileComments = {
    {"title", "Old Title"},
    {"ARTIST", "First Artist"},
    {"REPLAYGAIN_TRACK_GAIN", "-6.50 dB"},
    {"METADATA_BLOCK_PICTURE", ""},
    {"ARTIST", "Second Artist"},
    {"ALBUMARTIST", QString::fromUtf8("Пётр Ильич")},
    {"ALBUM", "Old Album"},
    {"MUSICBRAINZ_TRACKID", "8a3b6a47-1d3b-4c1e-9f0e-6a1b2c3d4e5f"},
    {"TRACKNUMBER", "3/12"},
    {"LYRICS", "First line\nSecond line"},
    {"GENRE", "Jazz"},
    {"COMMENT", kLongComment},
    {"PERFORMER", "Singer"},
    {"ENCODER", "some encoder 1.0"},
};

struct Format {
    const char* name;
    const char* extension;
    const char* codec;  // ffmpeg's encoder
    const char* mutagenKey;
    qsizetype markerSize;  // in front of the comments of an Ogg comment header; 0 for FLAC
    int headerPackets;     // of an Ogg stream
    std::function<std::unique_ptr<TVorbisComments>()> writer;
    std::function<QStringList(const QString&)> problems;
};

void PrintTo(const Format& format, std::ostream* os) {
    *os << format.name;
}

const std::vector<Format> kFormats = {
    {"Vorbis", "ogg", "libvorbis", "ogg", 7, 3, [] { return std::make_unique<TOggVorbis>(); },
     test::OggInfoProblems},
    {"Opus", "opus", "libopus", "opus", 8, 2, [] { return std::make_unique<TOggVorbis>(OggCodec::Opus); },
     test::OpusInfoProblems},
    {"Flac", "flac", "flac", "flac", 0, 0, [] { return std::make_unique<TFlacTag>(); },
     test::MetaflacProblems},
};

/// A short tone in the format, tagged by mutagen with kFileComments; empty, and `error` set, when
/// it cannot be made.
QByteArray MakeTaggedFile(const Format& format, QString& error) {
    test::ScratchDir dir;
    const QString path = dir.Path(QString("tone.") + format.extension);
    ToolRun run = RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=3",
                                     "-c:a", format.codec, path});
    if (run.exit != 0) {
        error = "ffmpeg: " + run.errors;
        return {};
    }
    QJsonArray pairs;
    for (const auto& [name, value] : kFileComments) {
        pairs.append(QJsonArray{name, value});
    }
    run = RunTool(Python(), {SW_SOURCE_DIR "/tests/tags/add_comments.py", path,
                             QString::fromUtf8(QJsonDocument(pairs).toJson(QJsonDocument::Compact))});
    if (run.exit != 0) {
        error = "add_comments.py: " + run.errors;
        return {};
    }
    return test::ReadBytes(path);
}

/// Made once per format for all the changes.
const QByteArray& TaggedFile(const Format& format, QString& error) {
    static std::map<std::string, std::pair<QByteArray, QString>> made;
    auto found = made.find(format.name);
    if (found == made.end()) {
        QString why;
        QByteArray bytes = MakeTaggedFile(format, why);
        found = made.emplace(format.name, std::make_pair(bytes, why)).first;
    }
    error = found->second.second;
    return found->second.first;
}

/// The second packet of the first Ogg stream: the comment header.
QByteArray OggCommentPacket(const QByteArray& file) {
    QByteArray packet;
    int index = 0;
    for (const test::PageView& page : test::SplitPages(file)) {
        qsizetype at = 0;
        for (const std::uint8_t lacing : page.Lacing) {
            if (index == 1) {
                packet.append(page.Data.mid(at, lacing));
            }
            at += lacing;
            if (lacing < 255 && index++ == 1) {
                return packet;
            }
        }
    }
    return {};
}

/// The pages after the header packets, without their sequence numbers and checksums (which move
/// when the headers take more or fewer pages). Expects every page to be checksummed and the pages
/// to be numbered in order.
QList<QByteArray> OggAudioPages(const QByteArray& file, int headerPackets) {
    QList<QByteArray> audio;
    int packets = 0;
    std::uint32_t sequence = 0;
    for (const test::PageView& page : test::SplitPages(file)) {
        QByteArray bytes = page.Bytes;
        bytes.replace(22, 4, QByteArray(4, '\0'));
        EXPECT_EQ(test::BitwiseOggCrc(bytes), page.StoredCrc) << "page at " << page.Offset;
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 18), sequence++)
            << "page at " << page.Offset;
        if (packets >= headerPackets) {
            audio << bytes.replace(18, 4, QByteArray(4, '\0'));
        }
        for (const std::uint8_t lacing : page.Lacing) {
            packets += lacing < 255 ? 1 : 0;
        }
    }
    return audio;
}

/// The vendor string and the comments of a comment block, as their bytes.
struct RawComments {
    QByteArray vendor;
    QList<QByteArray> items;
};

RawComments ParseComments(const QByteArray& block) {
    RawComments raw;
    qsizetype at = 0;
    const auto take = [&](qsizetype size) {
        const QByteArray bytes = block.mid(at, size);
        at += size;
        return bytes;
    };
    const auto length = [&]() -> qsizetype {
        const QByteArray bytes = take(4);
        return bytes.size() == 4 ? qFromLittleEndian<quint32>(bytes.constData()) : block.size();
    };
    raw.vendor = take(length());
    for (qsizetype count = length(); count > 0 && at < block.size(); --count) {
        raw.items << take(length());
    }
    return raw;
}

RawComments CommentsOf(const Format& format, const QByteArray& file) {
    if (format.markerSize > 0) {
        return ParseComments(OggCommentPacket(file).mid(format.markerSize));
    }
    for (const test::FlacBlockBytes& block : test::SplitFlac(file).Blocks) {
        if (block.Type == 4) {
            return ParseComments(block.Data);
        }
    }
    return {};
}

QByteArray NameOf(const QByteArray& item) {
    const qsizetype equals = item.indexOf('=');
    return equals < 0 ? item : item.left(equals).toUpper();
}

/// The comments whose names are not in `names`.
QList<QByteArray> Without(const QList<QByteArray>& items, const QByteArrayList& names) {
    QList<QByteArray> kept;
    for (const QByteArray& item : items) {
        if (!names.contains(NameOf(item))) {
            kept << item;
        }
    }
    return kept;
}

QJsonArray JsonPairs(const Pairs& pairs) {
    QJsonArray array;
    for (const auto& [name, value] : pairs) {
        array.append(QJsonArray{name, value});
    }
    return array;
}

const QByteArrayList kManaged = {"TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT"};
const QString kNewComment(10000, 'n');  // more than the padding of a FLAC file: it is rewritten

struct Change {
    const char* name;
    std::function<void(TVorbisComments&)> apply;
    QByteArrayList touched;  // names whose comments the change rewrites
    Pairs comments;          // as mutagen lists them afterwards, pictures left out
    QString title, artist;   // as our reader reads them afterwards
    bool flacInPlace;        // the FLAC metadata fits where it was, or the file is rewritten
};

void PrintTo(const Change& change, std::ostream* os) {
    *os << change.name;
}

const std::vector<Change> kChanges = {
    {"NothingChanged",
     [](TVorbisComments&) {},
     {},
     {{"title", "Old Title"},
      {"ARTIST", "First Artist"},
      {"REPLAYGAIN_TRACK_GAIN", "-6.50 dB"},
      {"ARTIST", "Second Artist"},
      {"ALBUMARTIST", QString::fromUtf8("Пётр Ильич")},
      {"ALBUM", "Old Album"},
      {"MUSICBRAINZ_TRACKID", "8a3b6a47-1d3b-4c1e-9f0e-6a1b2c3d4e5f"},
      {"TRACKNUMBER", "3/12"},
      {"LYRICS", "First line\nSecond line"},
      {"GENRE", "Jazz"},
      {"COMMENT", kLongComment},
      {"PERFORMER", "Singer"},
      {"ENCODER", "some encoder 1.0"}},
     "Old Title",
     "Second Artist",
     true},
    {"TitleOnly",
     [](TVorbisComments& tag) { tag.SetTitle("New Title"); },
     {"TITLE"},
     {{"TITLE", "New Title"},
      {"ARTIST", "First Artist"},
      {"REPLAYGAIN_TRACK_GAIN", "-6.50 dB"},
      {"ARTIST", "Second Artist"},
      {"ALBUMARTIST", QString::fromUtf8("Пётр Ильич")},
      {"ALBUM", "Old Album"},
      {"MUSICBRAINZ_TRACKID", "8a3b6a47-1d3b-4c1e-9f0e-6a1b2c3d4e5f"},
      {"TRACKNUMBER", "3/12"},
      {"LYRICS", "First line\nSecond line"},
      {"GENRE", "Jazz"},
      {"COMMENT", kLongComment},
      {"PERFORMER", "Singer"},
      {"ENCODER", "some encoder 1.0"}},
     "New Title",
     "Second Artist",
     true},
    {"AllManaged",
     [](TVorbisComments& tag) {
         tag.SetTitle("New Title");
         tag.SetArtist(QString::fromUtf8("Новый"));
         tag.SetAlbum("New Album");
         tag.SetTrack(7);
         tag.SetDate("2024");
         tag.SetGenre("Rock");
         tag.SetComment(kNewComment);
     },
     kManaged,
     {{"TITLE", "New Title"},
      {"ARTIST", QString::fromUtf8("Новый")},
      {"REPLAYGAIN_TRACK_GAIN", "-6.50 dB"},
      {"ALBUMARTIST", QString::fromUtf8("Пётр Ильич")},
      {"ALBUM", "New Album"},
      {"MUSICBRAINZ_TRACKID", "8a3b6a47-1d3b-4c1e-9f0e-6a1b2c3d4e5f"},
      {"TRACKNUMBER", "7"},
      {"LYRICS", "First line\nSecond line"},
      {"GENRE", "Rock"},
      {"COMMENT", kNewComment},
      {"PERFORMER", "Singer"},
      {"ENCODER", "some encoder 1.0"},
      {"DATE", "2024"}},
     "New Title",
     QString::fromUtf8("Новый"),
     false},
    {"AllManagedBlanked",
     [](TVorbisComments& tag) {
         tag.SetTitle("");
         tag.SetArtist("");
         tag.SetAlbum("");
         tag.SetTrack(0);
         tag.SetDate("");
         tag.SetGenre("");
         tag.SetComment("");
     },
     kManaged,
     {{"REPLAYGAIN_TRACK_GAIN", "-6.50 dB"},
      {"ALBUMARTIST", QString::fromUtf8("Пётр Ильич")},
      {"MUSICBRAINZ_TRACKID", "8a3b6a47-1d3b-4c1e-9f0e-6a1b2c3d4e5f"},
      {"LYRICS", "First line\nSecond line"},
      {"PERFORMER", "Singer"},
      {"ENCODER", "some encoder 1.0"}},
     {},
     "Singer",  // the artist falls back on the performer, which stays
     true},
};

class VorbisKeep : public testing::TestWithParam<std::tuple<Format, Change>> {};

// A save rewrites the comments of the names it changes and nothing else: every other comment keeps
// its bytes and its place, the pictures and the other FLAC blocks stay, and so does the audio.
TEST_P(VorbisKeep, KeepsEveryCommentItDoesNotChange) {
    const auto& [format, change] = GetParam();
    if (const QString& missing = MissingTools(); !missing.isEmpty()) {
        GTEST_SKIP() << missing.toStdString();
    }
    QString error;
    const QByteArray original = TaggedFile(format, error);
    if (error.startsWith("ffmpeg")) {
        GTEST_SKIP() << error.toStdString();
    }
    ASSERT_FALSE(original.isEmpty()) << error.toStdString();
    test::ScratchDir dir;
    const QString path = dir.Put(QString("a.") + format.extension, original);
    const QJsonObject before = test::MutagenRead(path).value(format.mutagenKey).toObject();
    ASSERT_EQ(before.value("comments").toArray(), JsonPairs(kChanges.front().comments));
    const test::Decoded audio = test::DecodeWithFfmpeg(path);

    const std::unique_ptr<TVorbisComments> tag = format.writer();
    ASSERT_TRUE(tag->Read(path));
    change.apply(*tag);
    ASSERT_TRUE(tag->Save(path)) << tag->LastFailureText().toStdString();
    const QByteArray after = test::ReadBytes(path);

    if (format.headerPackets > 0) {
        const QList<QByteArray> audioPages = OggAudioPages(original, format.headerPackets);
        EXPECT_GE(audioPages.size(), 2);
        EXPECT_EQ(OggAudioPages(after, format.headerPackets), audioPages);
    } else {
        const test::FlacParts was = test::SplitFlac(original);
        const test::FlacParts now = test::SplitFlac(after);
        EXPECT_EQ(now.Audio, was.Audio);
        const auto others = [](const test::FlacParts& parts) {
            std::vector<std::pair<int, QByteArray>> blocks;
            for (const test::FlacBlockBytes& block : parts.Blocks) {
                if (block.Type != 4 && block.Type != 1) {
                    blocks.emplace_back(block.Type, block.Data);
                }
            }
            return blocks;
        };
        EXPECT_EQ(others(now), others(was));
        EXPECT_EQ(dynamic_cast<const TFlacTag&>(*tag).SavedInPlace(), change.flacInPlace);
        EXPECT_EQ(others(was).size(), 6U);  // stream information, seek table, application, picture,
                                            // cue sheet and the unknown block
    }
    const test::Decoded decoded = test::DecodeWithFfmpeg(path);
    EXPECT_EQ(decoded.Errors, "");
    EXPECT_GT(decoded.Pcm.size(), 1000);
    EXPECT_EQ(decoded.Pcm, audio.Pcm);
    EXPECT_EQ(format.problems(path), QStringList());

    const RawComments rawBefore = CommentsOf(format, original);
    const RawComments rawAfter = CommentsOf(format, after);
    EXPECT_EQ(rawAfter.vendor, rawBefore.vendor);
    EXPECT_EQ(Without(rawAfter.items, change.touched), Without(rawBefore.items, change.touched));

    const QJsonObject seen = test::MutagenRead(path, &error).value(format.mutagenKey).toObject();
    EXPECT_EQ(error, "");
    EXPECT_EQ(seen.value("comments").toArray(), JsonPairs(change.comments));
    EXPECT_EQ(seen.value("vendor"), before.value("vendor"));
    EXPECT_EQ(seen.value("pictures"), before.value("pictures"));
    EXPECT_EQ(seen.value("flacPictures"), before.value("flacPictures"));

    const std::unique_ptr<TVorbisComments> reread = format.writer();
    ASSERT_TRUE(reread->Read(path));
    EXPECT_EQ(reread->Title(), change.title);
    EXPECT_EQ(reread->Artist(), change.artist);
}

struct FormatAndChange {
    std::string operator()(const testing::TestParamInfo<VorbisKeep::ParamType>& tested) const {
        return std::string(std::get<0>(tested.param).name) + "_" + std::get<1>(tested.param).name;
    }
};

INSTANTIATE_TEST_SUITE_P(Tags, VorbisKeep,
                         testing::Combine(testing::ValuesIn(kFormats), testing::ValuesIn(kChanges)),
                         FormatAndChange());

struct ItemsCase {
    const char* name;
    QList<QByteArray> before;
    std::function<void(TOggVorbis&)> change;
    QList<QByteArray> after;
};

class CommentItems : public testing::TestWithParam<ItemsCase> {};

// The comment header's items after a read, a change and a save, byte for byte.
TEST_P(CommentItems, ChangeOnlyTheNamesSet) {
    test::ScratchDir dir;
    const QString path = dir.Put("a.ogg", test::MakeOgg(test::VorbisCommentPacket("v", GetParam().before)));
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Read(path));
    GetParam().change(ogg);
    ASSERT_TRUE(ogg.Save(path)) << ogg.LastFailureText().toStdString();
    const RawComments raw = ParseComments(OggCommentPacket(test::ReadBytes(path)).mid(7));
    EXPECT_EQ(raw.vendor, "v");
    EXPECT_EQ(raw.items, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Ogg, CommentItems,
                         testing::Values(ItemsCase{"ItemWithoutEqualsStays",
                                                   {"NoEquals", "TITLE=a"},
                                                   [](TOggVorbis& ogg) { ogg.SetTitle("b"); },
                                                   {"NoEquals", "TITLE=b"}},
                                         ItemsCase{"FirstOfANameTakesTheValueWhereItStands",
                                                   {"ARTIST=a", "X=1", "artist=b", "Y=2"},
                                                   [](TOggVorbis& ogg) { ogg.SetArtist("c"); },
                                                   {"ARTIST=c", "X=1", "Y=2"}},
                                         ItemsCase{"FirstThatAlreadyReadsSoKeepsItsBytes",
                                                   {"artist=  a ", "ARTIST=b"},
                                                   [](TOggVorbis& ogg) { ogg.SetArtist("a"); },
                                                   {"artist=  a "}},
                                         ItemsCase{"UnchangedTrackKeepsItsTotal",
                                                   {"TRACKNUMBER=03/12"},
                                                   [](TOggVorbis& ogg) { ogg.SetDate("1999"); },
                                                   {"TRACKNUMBER=03/12", "DATE=1999"}},
                                         ItemsCase{"NewNamesFollowInTheFixedOrder",
                                                   {"X=1"},
                                                   [](TOggVorbis& ogg) {
                                                       ogg.SetComment("c");
                                                       ogg.SetTrack(4);
                                                       ogg.SetTitle("t");
                                                   },
                                                   {"X=1", "TITLE=t", "TRACKNUMBER=4", "COMMENT=c"}},
                                         ItemsCase{"BlankDropsEveryCommentOfTheName",
                                                   {"GENRE=a", "X=1", "genre=b"},
                                                   [](TOggVorbis& ogg) { ogg.SetGenre(" "); },
                                                   {"X=1"}},
                                         ItemsCase{"FallbacksAreNotCopied",
                                                   {"PERFORMER=p", "DESCRIPTION=d"},
                                                   [](TOggVorbis& ogg) { ogg.SetTitle("t"); },
                                                   {"PERFORMER=p", "DESCRIPTION=d", "TITLE=t"}},
                                         ItemsCase{"UnchangedBrokenTextKeepsItsBytes",
                                                   {"TITLE=ab\xC3(cd", "ALBUM=" + QByteArray(300, 'a')},
                                                   [](TOggVorbis& ogg) { ogg.SetGenre("g"); },
                                                   {"TITLE=ab\xC3(cd", "ALBUM=" + QByteArray(300, 'a'),
                                                    "GENRE=g"}}),
                         test::ByName());

// Some taggers leave a second comment block behind; it is not ours to drop.
TEST(FlacKeep, ASecondCommentBlockStaysAsItIs) {
    const test::FlacParts fixture = test::SplitFlac(test::Fixture("tone.flac"));
    std::vector<test::FlacBlockBytes> blocks = fixture.Blocks;
    const QByteArray second = test::VorbisCommentPacket("other", {"ALBUM=elsewhere"}, false).mid(7);
    blocks.insert(blocks.begin() + 2, {4, second});
    test::ScratchDir dir;
    const QString path = dir.Put("a.flac", test::MakeFlac(blocks, fixture.Audio));
    TFlacTag tag;
    ASSERT_TRUE(tag.Read(path));
    tag.SetTitle("New");
    ASSERT_TRUE(tag.Save(path)) << tag.LastFailureText().toStdString();
    const test::FlacParts parts = test::SplitFlac(test::ReadBytes(path));
    ASSERT_EQ(parts.Blocks.size(), 4U);
    EXPECT_EQ(parts.Blocks[2].Type, 4);
    EXPECT_EQ(parts.Blocks[2].Data, second);
    EXPECT_EQ(parts.Audio, fixture.Audio);
    TFlacTag reread;
    ASSERT_TRUE(reread.Read(path));
    EXPECT_EQ(reread.Title(), "New");
}

}  // namespace
}  // namespace sw
