// ReplayGain and R128 gains read from tags: the field values, TXXX frames, and whole files whose
// tags were laid out by hand or written by independent taggers (metaflac, mutagen).
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>

#include "../tags/TagTestSupport.h"
#include "playback/LoudnessTags.h"

namespace sw {
namespace {

using Fields = std::vector<std::pair<QString, QString>>;

void ExpectGains(const TagGains& actual, const TagGains& expected) {
    auto near = [](const std::optional<double>& a, const std::optional<double>& e, const char* what) {
        ASSERT_EQ(a.has_value(), e.has_value()) << what;
        if (a) {
            EXPECT_NEAR(*a, *e, 1e-9) << what;
        }
    };
    near(actual.TrackGain, expected.TrackGain, "track gain");
    near(actual.TrackPeak, expected.TrackPeak, "track peak");
    near(actual.AlbumGain, expected.AlbumGain, "album gain");
    near(actual.AlbumPeak, expected.AlbumPeak, "album peak");
}

TagGains Gains(std::optional<double> track, std::optional<double> trackPeak = {},
               std::optional<double> album = {}, std::optional<double> albumPeak = {}) {
    return {track, trackPeak, album, albumPeak};
}

struct FieldCase {
    const char* name;
    Fields fields;
    TagGains expected;
};
void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

class GainFields : public ::testing::TestWithParam<FieldCase> {};

TEST_P(GainFields, ReadAsTaggersWriteThem) {
    ExpectGains(GainsFromFields(GetParam().fields), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Loudness, GainFields,
    ::testing::Values(
        FieldCase{"AllFourUpperCase",
                  {{"REPLAYGAIN_TRACK_GAIN", "-6.54 dB"},
                   {"REPLAYGAIN_TRACK_PEAK", "0.988553"},
                   {"REPLAYGAIN_ALBUM_GAIN", "-7.10 dB"},
                   {"REPLAYGAIN_ALBUM_PEAK", "1.000000"}},
                  Gains(-6.54, 0.988553, -7.1, 1.0)},
        FieldCase{"LowerCaseNamesPlusSignNoSpace",
                  {{"replaygain_track_gain", "+2.10dB"}, {"Replaygain_Album_Gain", " -1.5 DB "}},
                  Gains(2.1, {}, -1.5)},
        FieldCase{"BareNumberAndDecimalComma", {{"REPLAYGAIN_TRACK_GAIN", "-3,25"}}, Gains(-3.25)},
        // Q7.8 towards -23 LUFS: -1280 is -5 dB there, 0 dB towards -18 LUFS.
        FieldCase{
            "OpusR128", {{"R128_TRACK_GAIN", "-1280"}, {"r128_album_gain", "256"}}, Gains(0.0, {}, 6.0)},
        FieldCase{"R128WinsOverReplayGain",
                  {{"R128_TRACK_GAIN", "0"},
                   {"REPLAYGAIN_TRACK_GAIN", "-9.00 dB"},
                   {"REPLAYGAIN_TRACK_PEAK", "0.5"}},
                  Gains(5.0, 0.5)},
        FieldCase{"LaterFieldOfTheNameWins",
                  {{"REPLAYGAIN_TRACK_GAIN", "-1 dB"}, {"REPLAYGAIN_TRACK_GAIN", "-2 dB"}},
                  Gains(-2.0)},
        FieldCase{"GarbageValues",
                  {{"REPLAYGAIN_TRACK_GAIN", "loud"},
                   {"REPLAYGAIN_TRACK_PEAK", "-0.5"},
                   {"REPLAYGAIN_ALBUM_GAIN", "-6.5 dB extra"},
                   {"REPLAYGAIN_ALBUM_PEAK", "nan"},
                   {"R128_ALBUM_GAIN", "12.5"}},
                  Gains({})},
        FieldCase{"OutOfRange",
                  {{"REPLAYGAIN_TRACK_GAIN", "99 dB"},
                   {"REPLAYGAIN_TRACK_PEAK", "1e999"},
                   {"R128_ALBUM_GAIN", "40000"},
                   {"REPLAYGAIN_ALBUM_PEAK", "inf"}},
                  Gains({})},
        FieldCase{
            "EmptyAndOtherFields",
            {{"REPLAYGAIN_TRACK_GAIN", ""}, {"TITLE", "-3 dB"}, {"REPLAYGAIN_REFERENCE_LOUDNESS", "89.0 dB"}},
            Gains({})}),
    test::ByName());

QByteArray Utf16Be(const QString& text) {
    QByteArray bytes;
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xFF));
    }
    return bytes;
}

struct TxxxCase {
    const char* name;
    QByteArray content;
    std::optional<std::pair<QString, QString>> expected;
};
void PrintTo(const TxxxCase& c, std::ostream* os) {
    *os << c.name;
}

class TxxxContent : public ::testing::TestWithParam<TxxxCase> {};

TEST_P(TxxxContent, SplitsDescriptionAndValue) {
    EXPECT_EQ(ParseTxxxContent(GetParam().content), GetParam().expected);
}

const QByteArray kWideZero("\0\0", 2);
const auto kGain = std::make_pair(QString("REPLAYGAIN_TRACK_GAIN"), QString("-3.00 dB"));

INSTANTIATE_TEST_SUITE_P(
    Loudness, TxxxContent,
    ::testing::Values(
        TxxxCase{"Latin", QByteArray("\0REPLAYGAIN_TRACK_GAIN\0-3.00 dB", 31), kGain},
        TxxxCase{"Utf8", QByteArray("\3REPLAYGAIN_TRACK_GAIN\0-3.00 dB", 31), kGain},
        TxxxCase{"Utf16WithBom",
                 QByteArray("\1") + test::Utf16WithBom("REPLAYGAIN_TRACK_GAIN") + kWideZero +
                     test::Utf16WithBom("-3.00 dB"),
                 kGain},
        TxxxCase{"Utf16BigEndian",
                 QByteArray("\2") + Utf16Be("REPLAYGAIN_TRACK_GAIN") + kWideZero + Utf16Be("-3.00 dB"),
                 kGain},
        TxxxCase{"ValueWithItsOwnTerminator", QByteArray("\0REPLAYGAIN_TRACK_GAIN\0-3.00 dB\0", 32), kGain},
        TxxxCase{"EmptyValue", QByteArray("\0PEAK\0", 6), std::make_pair(QString("PEAK"), QString())},
        TxxxCase{"NoTerminator", QByteArray("\0REPLAYGAIN_TRACK_GAIN", 22), std::nullopt},
        TxxxCase{"UnknownEncoding", QByteArray("\7REPLAYGAIN_TRACK_GAIN\0-3.00 dB", 31), std::nullopt},
        TxxxCase{"OnlyTheEncoding", QByteArray("\0", 1), std::nullopt}),
    test::ByName());

// Whole files, laid out by hand or tagged by another program.

QByteArray Txxx(const char* description, const char* value) {
    return QByteArray(1, '\0') + description + QByteArray(1, '\0') + value;
}

bool RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

using FileMaker = std::function<QString(const QString& folder)>;

QString Write(const QString& folder, const QString& name, const QByteArray& bytes) {
    const QString path = folder + "/" + name;
    test::WriteBytes(path, bytes);
    return path;
}

struct FileCase {
    const char* name;
    FileMaker make;
    TagGains expected;
};
void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

class FileGains : public ::testing::TestWithParam<FileCase> {};

TEST_P(FileGains, ComeFromTheFilesTags) {
    QTemporaryDir folder;
    const QString path = GetParam().make(folder.path());
    ASSERT_FALSE(path.isEmpty()) << "the file could not be made";
    const QByteArray before = test::ReadBytes(path);
    ExpectGains(ReadTagGains(path), GetParam().expected);
    EXPECT_EQ(test::ReadBytes(path), before) << "the file was changed";
}

INSTANTIATE_TEST_SUITE_P(
    Loudness, FileGains,
    ::testing::Values(
        FileCase{"Id3v23Txxx",
                 [](const QString& folder) {
                     const QByteArray frames =
                         test::Id3TextFrame("TIT2", "Song") +
                         test::Id3Frame("TXXX", Txxx("replaygain_track_gain", "-7.25 dB")) +
                         test::Id3Frame("TXXX", Txxx("REPLAYGAIN_TRACK_PEAK", "0.5")) +
                         test::Id3Frame("TXXX", Txxx("MusicBrainz Album Id", "x"));
                     return Write(folder, "a.mp3", test::Id3Tag(3, frames, 64) + test::Fixture("plain.mp3"));
                 },
                 Gains(-7.25, 0.5)},
        FileCase{"Id3v24DataLengthAndUnsynchronised",
                 [](const QString& folder) {
                     const QByteArray gain = Txxx("REPLAYGAIN_ALBUM_GAIN", "-4.5 dB");
                     const QByteArray frames =
                         test::Id3v4Frame("TXXX", test::SynchsafeBytes(gain.size()) + gain, 0x01) +
                         test::Id3v4Frame("TXXX", test::Unsynchronise(Txxx("REPLAYGAIN_ALBUM_PEAK", "0.75")),
                                          0x02);
                     return Write(folder, "b.mp3", test::Id3Tag(4, frames) + test::Fixture("plain.mp3"));
                 },
                 Gains({}, {}, -4.5, 0.75)},
        FileCase{"Id3v24CompressedFrameIsNotRead",
                 [](const QString& folder) {
                     const QByteArray frames =
                         test::Id3v4Frame("TXXX", Txxx("REPLAYGAIN_TRACK_GAIN", "-1 dB"), 0x08 | 0x01);
                     return Write(folder, "c.mp3", test::Id3Tag(4, frames) + test::Fixture("plain.mp3"));
                 },
                 Gains({})},
        FileCase{"OggVorbisComments",
                 [](const QString& folder) {
                     return Write(
                         folder, "d.ogg",
                         test::MakeOgg(test::VorbisCommentPacket(
                             "vendor", {"TITLE=x", "REPLAYGAIN_ALBUM_GAIN=-2.00 dB",
                                        "replaygain_album_peak=1.2", "REPLAYGAIN_TRACK_GAIN=-1.00 dB"})));
                 },
                 Gains(-1.0, {}, -2.0, 1.2)},
        FileCase{"OggCommentSpanningPages",
                 [](const QString& folder) {
                     return Write(folder, "e.ogg",
                                  test::MakeOgg(
                                      test::VorbisCommentPacket("vendor", {"COMMENT=" + QByteArray(6000, 'x'),
                                                                           "REPLAYGAIN_TRACK_GAIN=+3.5 dB"}),
                                      test::OggLayoutKind::CommentSpansPages));
                 },
                 Gains(3.5)},
        FileCase{"FlacByMetaflac",
                 [](const QString& folder) {
                     const QString path = Write(folder, "f.flac", test::Fixture("tone.flac"));
                     return RunTool("metaflac",
                                    {"--remove-all-tags", "--set-tag=REPLAYGAIN_TRACK_GAIN=-8.13 dB",
                                     "--set-tag=REPLAYGAIN_TRACK_PEAK=0.912", path})
                                ? path
                                : QString();
                 },
                 Gains(-8.13, 0.912)},
        FileCase{"OpusByMutagen",
                 [](const QString& folder) {
                     const QString path = Write(folder, "g.opus", test::Fixture("tone.opus"));
                     return RunTool("/usr/bin/python3",
                                    {"-c",
                                     "import sys, mutagen.oggopus as o; f = o.OggOpus(sys.argv[1]); "
                                     "f['R128_TRACK_GAIN'] = '-512'; f['R128_ALBUM_GAIN'] = '128'; f.save()",
                                     path})
                                ? path
                                : QString();
                 },
                 Gains(3.0, {}, 5.5)},
        FileCase{"Mp3WithoutGains",
                 [](const QString& folder) { return Write(folder, "h.mp3", test::Fixture("id3v23.mp3")); },
                 Gains({})},
        FileCase{"NotAudio",
                 [](const QString& folder) { return Write(folder, "i.mp3", QByteArray(3000, '\x7f')); },
                 Gains({})},
        FileCase{"Missing", [](const QString& folder) { return folder + "/none.flac"; }, Gains({})}),
    test::ByName());

}  // namespace
}  // namespace sw
