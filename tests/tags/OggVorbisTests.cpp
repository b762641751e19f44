#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <functional>

#include "TagTestSupport.h"
#include "tags/HeldFiles.h"
#include "tags/OggVorbis.h"

namespace sw {
namespace {

using test::OggLayoutKind;

struct OggFields {
    QString title, artist, album;
    int track = 0;
    QString date, genre, comment, vendor;
    bool operator==(const OggFields&) const = default;
};

void PrintTo(const OggFields& f, std::ostream* os) {
    *os << "title=[" << f.title.toStdString() << "] artist=[" << f.artist.toStdString() << "] album=["
        << f.album.toStdString() << "] track=" << f.track << " date=[" << f.date.toStdString() << "] genre=["
        << f.genre.toStdString() << "] comment=[" << f.comment.toStdString() << "] vendor=["
        << f.vendor.toStdString() << "]";
}

OggFields FieldsOf(const TOggVorbis& ogg) {
    return {ogg.Title(), ogg.Artist(), ogg.Album(),   ogg.Track(),
            ogg.Date(),  ogg.Genre(),  ogg.Comment(), ogg.Vendor()};
}

QByteArray Packet(const QList<QByteArray>& comments, const QByteArray& vendor = "vendor") {
    return test::VorbisCommentPacket(vendor, comments);
}

// Our reader keeps the first 250 bytes of a comment ("NAME=" included); mutagen reads it whole.
const QString kSmile = QString::fromUcs4(U"\U0001F600");

struct ReadCase {
    const char* name;
    QByteArray file;
    bool isVorbis;
    OggFields expected;
};

class OggReadTable : public testing::TestWithParam<ReadCase> {};

TEST_P(OggReadTable, ReadsTheComments) {
    test::ScratchDir dir;
    TOggVorbis ogg;
    ogg.SetTitle("left from before");
    EXPECT_EQ(ogg.Read(dir.Put("a.ogg", GetParam().file)), GetParam().isVorbis);
    EXPECT_EQ(FieldsOf(ogg), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ogg, OggReadTable,
    testing::Values(
        ReadCase{"FixtureWithDescriptionForComment", test::Fixture("tone.ogg"), true,
                 {"Ogg Title", "Ogg Artist", "Ogg Album", 3, "2005", "Jazz", "Ogg comment", "ffmpeg"}},
        ReadCase{"NamesInAnyCase", test::MakeOgg(Packet({"title=a", "Artist=b", "aLbUm=c", "TrackNumber=9"})), true,
                 {"a", "b", "c", 9, {}, {}, {}, "vendor"}},
        ReadCase{"PerformerWhenArtistIsEmpty", test::MakeOgg(Packet({"ARTIST=", "PERFORMER=Singer"})), true,
                 {{}, "Singer", {}, 0, {}, {}, {}, "vendor"}},
        ReadCase{"ArtistBeforePerformer", test::MakeOgg(Packet({"PERFORMER=Singer", "ARTIST=Band"})), true,
                 {{}, "Band", {}, 0, {}, {}, {}, "vendor"}},
        ReadCase{"DescriptionWhenCommentIsMissing", test::MakeOgg(Packet({"DESCRIPTION=About"})), true,
                 {{}, {}, {}, 0, {}, {}, "About", "vendor"}},
        ReadCase{"CommentOver250BytesIsCut", test::MakeOgg(Packet({"TITLE=" + QByteArray(294, 'x'), "ALBUM=after"})),
                 true, {QString(244, 'x'), {}, "after", 0, {}, {}, {}, "vendor"}},
        ReadCase{"VendorWithEquals", test::MakeOgg(Packet({"DATE=1980"}, "TITLE=vendor")), true,
                 {{}, {}, {}, 0, "1980", {}, {}, "TITLE=vendor"}},
        ReadCase{"TrackOfTotal", test::MakeOgg(Packet({"TRACKNUMBER=3/12"})), true, {{}, {}, {}, 3, {}, {}, {}, "vendor"}},
        ReadCase{"FourByteCharacters", test::MakeOgg(Packet({("TITLE= " + kSmile + QChar(0xE9) + " ").toUtf8()})),
                 true, {kSmile + QChar(0xE9), {}, {}, 0, {}, {}, {}, "vendor"}},
        ReadCase{"BrokenUtf8KeepsWhatCameBefore", test::MakeOgg(Packet({"TITLE=ab\xC3(cd"})), true,
                 {"ab", {}, {}, 0, {}, {}, {}, "vendor"}},
        ReadCase{"LaterCommentReplacesEarlier", test::MakeOgg(Packet({"GENRE=One", "GENRE=Two", "NoEquals"})), true,
                 {{}, {}, {}, 0, {}, "Two", {}, "vendor"}},
        ReadCase{"CountLargerThanTheComments", [] {
                     QByteArray packet = Packet({"TITLE=t"});
                     packet.replace(7 + 4 + 6, 4, test::Le32(0xFFFFFFFFU));
                     return test::MakeOgg(packet);
                 }(),
                 true, {"t", {}, {}, 0, {}, {}, {}, "vendor"}},
        ReadCase{"Id3v2TagInFront",
                 test::Id3Tag(3, test::Id3TextFrame("TIT2", "mp3 title"), 30) + test::MakeOgg(Packet({"TITLE=ogg"})),
                 true, {"ogg", {}, {}, 0, {}, {}, {}, "vendor"}},
        ReadCase{"CommentAcrossTwoPages",
                 test::MakeOgg(Packet({"TITLE=" + QByteArray(400, 't'), "ALBUM=after"}), OggLayoutKind::CommentSpansPages),
                 true, {QString(244, 't'), {}, "after", 0, {}, {}, {}, "vendor"}},
        ReadCase{"PictureBeforeTheTitleOnSmallPages",
                 test::MakeOgg(Packet({"COVERART=" + QByteArray(100000, 'p'), "TITLE=after picture", "DATE=1999"}),
                               OggLayoutKind::HeadersOnSmallPages),
                 true, {"after picture", {}, {}, 0, "1999", {}, {}, "vendor"}},
        ReadCase{"CommentSharingTheFirstPage",
                 test::MakeOgg(Packet({"TITLE=t"}), OggLayoutKind::IdAndCommentOnFirstPage), true,
                 {"t", {}, {}, 0, {}, {}, {}, "vendor"}},
        ReadCase{"NoCommentHeader", test::MakeOgg({}, OggLayoutKind::NoCommentHeader), true, {}},
        ReadCase{"Mp3IsNotVorbis", test::Fixture("plain.mp3"), false, {}},
        ReadCase{"EmptyFile", QByteArray(), false, {}},
        ReadCase{"PageWithoutIdentificationHeader", test::OggPageBytes(2, 0, 1, 0, {5}, "hello"), false, {}}),
    test::ByName());

struct SaveCase {
    const char* name;
    QByteArray file;
    qsizetype prefix;         // bytes in front of the Ogg data
    std::size_t headerPages;  // after the save, the identification page included
    std::function<void(TOggVorbis&)> change;
    OggFields expected;
    QJsonArray comments;  // as mutagen lists them
};

class OggSaveTable : public testing::TestWithParam<SaveCase> {};

TEST_P(OggSaveTable, WritesCommentsOthersReadTheSame) {
    test::ScratchDir dir;
    const QByteArray original = GetParam().file;
    const QString path = dir.Put("a.ogg", original);
    const QString bare = dir.Put("bare.ogg", original.mid(GetParam().prefix));
    const test::Decoded before = test::DecodeWithFfmpeg(bare);
    EXPECT_EQ(before.Errors, "");

    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Read(path));
    GetParam().change(ogg);
    ASSERT_TRUE(ogg.Save(path)) << OggSaveFailureText(ogg.LastFailure()).toStdString();
    EXPECT_EQ(dir.Entries(), (QStringList{"a.ogg", "bare.ogg"}));
    const QByteArray after = test::ReadBytes(path);
    test::ExpectAudioPagesKept(original, after, GetParam().prefix);
    EXPECT_EQ(test::HeaderPageCount(test::SplitPages(after.mid(GetParam().prefix))), GetParam().headerPages);

    TOggVorbis reread;
    ASSERT_TRUE(reread.Read(path));
    EXPECT_EQ(FieldsOf(reread), GetParam().expected);

    // The independent readers see the Ogg stream without what lies in front of it.
    test::WriteBytes(bare, after.mid(GetParam().prefix));
    QString error;
    const QJsonObject seen = test::MutagenRead(bare, &error).value("ogg").toObject();
    EXPECT_EQ(error, "");
    EXPECT_EQ(seen.value("vendor").toString(), GetParam().expected.vendor);
    EXPECT_EQ(seen.value("comments").toArray(), GetParam().comments);
    EXPECT_EQ(test::OggInfoProblems(bare), QStringList());
    const test::Decoded decoded = test::DecodeWithFfmpeg(bare);
    EXPECT_EQ(decoded.Errors, "");
    EXPECT_EQ(decoded.Pcm.size(), before.Pcm.size());
    EXPECT_EQ(decoded.Pcm, before.Pcm);
    EXPECT_GT(decoded.Pcm.size(), 1000);
}

QJsonArray Pairs(const QList<std::pair<QString, QString>>& pairs) {
    QJsonArray array;
    for (const auto& [name, value] : pairs) {
        array.append(QJsonArray{name, value});
    }
    return array;
}

/// A title whose comment header, with the fixture's vendor, is an exact multiple of 255 bytes.
QString TitleFillingWholeSegments() {
    // marker 7, vendor length 4 + "ffmpeg" 6, count 4, comment length 4 + "TITLE=" 6, framing byte 1
    const int fixed = 7 + 4 + 6 + 4 + 4 + 6 + 1;
    return QString(510 - fixed, 'w');
}

INSTANTIATE_TEST_SUITE_P(
    Ogg, OggSaveTable,
    testing::Values(
        SaveCase{"FixtureUnchangedKeepsEveryComment",
                 test::Fixture("tone.ogg"),
                 0,
                 2,
                 [](TOggVorbis&) {},
                 {"Ogg Title", "Ogg Artist", "Ogg Album", 3, "2005", "Jazz", "Ogg comment", "ffmpeg"},
                 Pairs({{"encoder", "Lavc libvorbis"},
                        {"TITLE", "Ogg Title"},
                        {"ARTIST", "Ogg Artist"},
                        {"ALBUM", "Ogg Album"},
                        {"TRACKNUMBER", "3/12"},
                        {"DATE", "2005"},
                        {"GENRE", "Jazz"},
                        {"DESCRIPTION", "Ogg comment"},
                        {"REPLAYGAIN_TRACK_GAIN", "-3.2 dB"}})},
        SaveCase{"NewValuesTrimmedAndInUnicode",
                 test::Fixture("tone.ogg"),
                 0,
                 2,
                 [](TOggVorbis& ogg) {
                     ogg.SetTitle("  " + kSmile + " Caf" + QChar(0xE9) + "\t");
                     ogg.SetArtist("");
                     ogg.SetComment("");
                     ogg.SetTrack(0);
                     ogg.SetGenre(QString(QChar(0x20AC)));
                 },
                 // The comment field still reads DESCRIPTION, which is not ours to remove.
                 {kSmile + " Caf" + QChar(0xE9),
                  {},
                  "Ogg Album",
                  0,
                  "2005",
                  QString(QChar(0x20AC)),
                  "Ogg comment",
                  "ffmpeg"},
                 Pairs({{"encoder", "Lavc libvorbis"},
                        {"TITLE", kSmile + " Caf" + QChar(0xE9)},
                        {"ALBUM", "Ogg Album"},
                        {"DATE", "2005"},
                        {"GENRE", QString(QChar(0x20AC))},
                        {"DESCRIPTION", "Ogg comment"},
                        {"REPLAYGAIN_TRACK_GAIN", "-3.2 dB"}})},
        SaveCase{
            "FallbacksStayUnderTheirOwnNames",
            test::MakeOgg(Packet({"performer=Singer", "description=About", "REPLAYGAIN_TRACK_GAIN=1 dB"})),
            0,
            2,
            [](TOggVorbis& ogg) { ogg.SetTitle("New"); },
            {"New", "Singer", {}, 0, {}, {}, "About", "vendor"},
            Pairs({{"performer", "Singer"},
                   {"description", "About"},
                   {"REPLAYGAIN_TRACK_GAIN", "1 dB"},
                   {"TITLE", "New"}})},
        SaveCase{"UnchangedLongCommentKeptWhole",
                 test::MakeOgg(Packet({"TITLE=" + QByteArray(294, 'x'), "ALBUM=a"})),
                 0,
                 2,
                 [](TOggVorbis& ogg) { ogg.SetAlbum("b"); },
                 {QString(244, 'x'), {}, "b", 0, {}, {}, {}, "vendor"},
                 Pairs({{"TITLE", QString(294, 'x')}, {"ALBUM", "b"}})},
        SaveCase{"ExactMultipleOf255",
                 test::MakeOgg(Packet({"TITLE=t", "ARTIST=a"}, "ffmpeg")),
                 0,
                 2,
                 [](TOggVorbis& ogg) {
                     ogg = TOggVorbis();
                     ogg.SetTitle(TitleFillingWholeSegments());
                 },
                 {TitleFillingWholeSegments().left(244), {}, {}, 0, {}, {}, {}, "ffmpeg"},
                 Pairs({{"TITLE", TitleFillingWholeSegments()}})},
        SaveCase{"ManySegments",
                 test::Fixture("tone.ogg"),
                 0,
                 2,
                 [](TOggVorbis& ogg) { ogg.SetComment(QString(20000, 'c')); },
                 {"Ogg Title", "Ogg Artist", "Ogg Album", 3, "2005", "Jazz", QString(242, 'c'), "ffmpeg"},
                 Pairs({{"encoder", "Lavc libvorbis"},
                        {"TITLE", "Ogg Title"},
                        {"ARTIST", "Ogg Artist"},
                        {"ALBUM", "Ogg Album"},
                        {"TRACKNUMBER", "3/12"},
                        {"DATE", "2005"},
                        {"GENRE", "Jazz"},
                        {"DESCRIPTION", "Ogg comment"},
                        {"REPLAYGAIN_TRACK_GAIN", "-3.2 dB"},
                        {"COMMENT", QString(20000, 'c')}})},
        SaveCase{"CommentRunsIntoTheNextPage",
                 test::MakeOgg(Packet({"TITLE=" + QByteArray(400, 't'), "ALBUM=a"}),
                               OggLayoutKind::CommentSpansPages),
                 0,
                 2,
                 [](TOggVorbis& ogg) { ogg.SetTitle("Short"); },
                 {"Short", {}, "a", 0, {}, {}, {}, "vendor"},
                 Pairs({{"TITLE", "Short"}, {"ALBUM", "a"}})},
        SaveCase{"CommentsLongerThanAPage",
                 test::Fixture("tone.ogg"),
                 0,
                 3,
                 [](TOggVorbis& ogg) { ogg.SetComment(QString(70000, 'c')); },
                 {"Ogg Title", "Ogg Artist", "Ogg Album", 3, "2005", "Jazz", QString(242, 'c'), "ffmpeg"},
                 Pairs({{"encoder", "Lavc libvorbis"},
                        {"TITLE", "Ogg Title"},
                        {"ARTIST", "Ogg Artist"},
                        {"ALBUM", "Ogg Album"},
                        {"TRACKNUMBER", "3/12"},
                        {"DATE", "2005"},
                        {"GENRE", "Jazz"},
                        {"DESCRIPTION", "Ogg comment"},
                        {"REPLAYGAIN_TRACK_GAIN", "-3.2 dB"},
                        {"COMMENT", QString(70000, 'c')}})},
        SaveCase{"PictureAndOthersKeptInTheirPlaces",
                 test::MakeOgg(Packet({"COVERART=" + QByteArray(100000, 'p'), "TITLE=after picture",
                                       "REPLAYGAIN_TRACK_GAIN=1 dB"}),
                               OggLayoutKind::HeadersOnSmallPages),
                 0,
                 3,
                 [](TOggVorbis& ogg) { ogg.SetArtist("Band"); },
                 {"after picture", "Band", {}, 0, {}, {}, {}, "vendor"},
                 Pairs({{"COVERART", QString(100000, 'p')},
                        {"TITLE", "after picture"},
                        {"REPLAYGAIN_TRACK_GAIN", "1 dB"},
                        {"ARTIST", "Band"}})},
        SaveCase{"NewVendor",
                 test::MakeOgg(Packet({"TITLE=t"})),
                 0,
                 2,
                 [](TOggVorbis& ogg) { ogg.SetVendor("Rating=-1"); },
                 {"t", {}, {}, 0, {}, {}, {}, "Rating=-1"},
                 Pairs({{"TITLE", "t"}})},
        SaveCase{"Id3v2TagInFrontKept",
                 test::Id3Tag(3, test::Id3TextFrame("TIT2", "mp3"), 20) + test::MakeOgg(Packet({"TITLE=t"})),
                 44,
                 2,
                 [](TOggVorbis& ogg) { ogg.SetAlbum("Album"); },
                 {"t", {}, "Album", 0, {}, {}, {}, "vendor"},
                 Pairs({{"TITLE", "t"}, {"ALBUM", "Album"}})}),
    test::ByName());

TEST(OggSave, TheFramingByteStaysAndAWholeSegmentPacketEndsWithZero) {
    test::ScratchDir dir;
    const QString path = dir.Put("a.ogg", test::MakeOgg(Packet({"TITLE=t"}, "ffmpeg")));
    TOggVorbis ogg;
    ogg.SetTitle(TitleFillingWholeSegments());
    ASSERT_TRUE(ogg.Save(path));
    const std::vector<test::PageView> pages = test::SplitPages(test::ReadBytes(path));
    ASSERT_GE(pages.size(), 2U);
    ASSERT_GE(pages[1].Lacing.size(), 3U);
    EXPECT_EQ(pages[1].Lacing[0], 255);
    EXPECT_EQ(pages[1].Lacing[1], 255);
    EXPECT_EQ(pages[1].Lacing[2], 0);
    EXPECT_EQ(pages[1].Data[509], '\x01');
}

struct RefuseCase {
    const char* name;
    QByteArray file;
    std::function<void(TOggVorbis&)> change;
    OggSaveFailure failure;
};

class OggRefuseTable : public testing::TestWithParam<RefuseCase> {};

TEST_P(OggRefuseTable, LeavesTheFileAsItWas) {
    test::ScratchDir dir;
    const QString path = dir.Put("a.ogg", GetParam().file);
    TOggVorbis ogg;
    ogg.Read(path);
    ogg.SetTitle("New title");
    GetParam().change(ogg);
    EXPECT_FALSE(ogg.Save(path));
    EXPECT_EQ(ogg.LastFailure(), GetParam().failure) << OggSaveFailureText(ogg.LastFailure()).toStdString();
    EXPECT_EQ(test::ReadBytes(path), GetParam().file);
    EXPECT_EQ(dir.Entries(), QStringList{"a.ogg"});
}

INSTANTIATE_TEST_SUITE_P(
    Ogg, OggRefuseTable,
    testing::Values(
        RefuseCase{"CommentOnTheFirstPage",
                   test::MakeOgg(Packet({"TITLE=t"}), OggLayoutKind::IdAndCommentOnFirstPage),
                   [](TOggVorbis&) {}, OggSaveFailure::UnusualLayout},
        RefuseCase{"IdentificationWithoutComment", test::MakeOgg({}, OggLayoutKind::NoCommentHeader),
                   [](TOggVorbis&) {}, OggSaveFailure::NoCommentHeader},
        RefuseCase{"AudioOnTheLastHeaderPage",
                   test::MakeOgg(Packet({"TITLE=t"}), OggLayoutKind::AudioOnLastHeaderPage),
                   [](TOggVorbis&) {}, OggSaveFailure::UnusualLayout},
        RefuseCase{"OtherStreamBetweenTheHeaders",
                   test::MakeOgg(Packet({"TITLE=t"}), OggLayoutKind::OtherStreamBetweenHeaders),
                   [](TOggVorbis&) {}, OggSaveFailure::UnusualLayout},
        RefuseCase{"ContinuationFlagMissing",
                   test::MakeOgg(Packet({"TITLE=" + QByteArray(400, 't')}),
                                 OggLayoutKind::CommentSpansPagesUnflagged),
                   [](TOggVorbis&) {}, OggSaveFailure::DamagedHeaders},
        RefuseCase{"NoSetupHeader", test::MakeOgg(Packet({"TITLE=t"}), OggLayoutKind::NoSetupHeader),
                   [](TOggVorbis&) {}, OggSaveFailure::DamagedHeaders},
        RefuseCase{"CommentsPastTheirPacket",
                   [] {
                       // The framing byte is missing and the last comment claims the setup header too.
                       QByteArray packet = test::VorbisCommentPacket("v", {"TITLE=t"}, false);
                       packet.replace(7 + 4 + 1 + 4, 4, test::Le32(200));
                       return test::MakeOgg(packet);
                   }(),
                   [](TOggVorbis&) {}, OggSaveFailure::DamagedHeaders},
        RefuseCase{"CountLargerThanTheComments",
                   [] {
                       QByteArray packet = Packet({"TITLE=t", "ARTIST=a"});
                       packet.replace(7 + 4 + 6, 4, test::Le32(3));
                       return test::MakeOgg(packet);
                   }(),
                   [](TOggVorbis&) {}, OggSaveFailure::DamagedHeaders},
        RefuseCase{"TruncatedSecondPage", test::Fixture("tone.ogg").left(1000), [](TOggVorbis&) {},
                   OggSaveFailure::DamagedHeaders},
        RefuseCase{"Mp3", test::Fixture("id3v23.mp3"), [](TOggVorbis&) {}, OggSaveFailure::NotVorbis}),
    test::ByName());

TEST(OggSave, AHeldFileIsInUse) {
    test::ScratchDir dir;
    const QByteArray original = test::Fixture("tone.ogg");
    const QString path = dir.Put("a.ogg", original);
    HeldFile engine(path);
    TOggVorbis ogg;
    ogg.SetTitle("t");
    EXPECT_FALSE(ogg.Save(path));
    EXPECT_EQ(ogg.LastFailure(), OggSaveFailure::InUse);
    EXPECT_EQ(test::ReadBytes(path), original);
    EXPECT_FALSE(ogg.Save(dir.Path("none.ogg")));
    EXPECT_EQ(ogg.LastFailure(), OggSaveFailure::NoFile);
}

}  // namespace
}  // namespace sw
