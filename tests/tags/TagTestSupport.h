#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

/// Readable failure messages for Qt text.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toPercentEncoding(" =/").toStdString() << '"';
}

namespace sw::test {

/// Names a parameterised case by its `name` member.
struct ByName {
    template <class Info>
    std::string operator()(const Info& info) const {
        return info.param.name;
    }
};

QByteArray ReadBytes(const QString& path);
void WriteBytes(const QString& path, const QByteArray& bytes);
/// A committed fixture from tests/fixtures.
QByteArray Fixture(const QString& name);

/// A scratch folder, in memory where the system offers one so that synced rewrites stay fast.
class ScratchDir {
public:
    ScratchDir();
    QString Path(const QString& name) const;
    /// Writes `bytes` to a new file of that name and returns its path.
    QString Put(const QString& name, const QByteArray& bytes) const;
    bool IsValid() const { return m_dir && m_dir->isValid(); }
    /// Names of everything in the folder.
    QStringList Entries() const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

// Builders that lay out tag bytes by hand, independently of the code under test.

QByteArray SynchsafeBytes(std::uint32_t value);
QByteArray Be32(std::uint32_t value);
QByteArray Le32(std::uint32_t value);
/// One ID3v2.3 frame: id, big-endian size, zero flags, data as given.
QByteArray Id3Frame(const char* id, const QByteArray& data);
/// A text frame with encoding byte 0.
QByteArray Id3TextFrame(const char* id, const QByteArray& text);
/// One ID3v2.4 frame: id, synchsafe size, zero status flags, the format flags, data as given.
QByteArray Id3v4Frame(const char* id, const QByteArray& data, std::uint8_t formatFlags = 0);
/// UTF-16 behind its byte order mark, little-endian unless asked otherwise.
QByteArray Utf16WithBom(const QString& text, bool bigEndian = false);
/// ID3v2 unsynchronisation: a zero byte after every 0xFF that a zero, a byte from 0xE0 up, or the
/// end follows.
QByteArray Unsynchronise(const QByteArray& bytes);
/// "ID3", version, revision 0, flags, synchsafe size of the frames plus padding.
QByteArray Id3Tag(int version, const QByteArray& frames, int padding = 0, std::uint8_t flags = 0);

/// An Ogg page checksummed bit by bit (not table-driven, unlike the product).
QByteArray OggPageBytes(std::uint8_t flags, std::uint64_t granule, std::uint32_t serial,
                        std::uint32_t sequence, const std::vector<std::uint8_t>& lacing,
                        const QByteArray& data);
std::uint32_t BitwiseOggCrc(const QByteArray& bytes);

/// A Vorbis comment header packet.
QByteArray VorbisCommentPacket(const QByteArray& vendor, const QList<QByteArray>& comments,
                               bool framing = true);

/// The packets and pages of the committed Ogg fixture.
struct OggFixture {
    QByteArray IdPacket;
    QByteArray CommentPacket;
    QByteArray SetupPacket;
    std::uint32_t Serial = 0;
    /// Every page after the one holding the comment and setup headers, as they are.
    QByteArray AudioPages;
};
OggFixture LoadOggFixture();

/// How the headers of a generated Ogg file are laid out on its pages.
enum class OggLayoutKind {
    /// Identification header alone on page 1; comment and setup headers on page 2.
    Standard,
    /// Identification and comment headers share page 1.
    IdAndCommentOnFirstPage,
    /// The comment header starts on page 2 and ends on page 3.
    CommentSpansPages,
    /// Page 2 starts with the setup header: no comment header at all.
    NoCommentHeader,
    /// As CommentSpansPages, but page 3 does not say that it continues a packet.
    CommentSpansPagesUnflagged,
    /// Page 2 holds the comment and setup headers and then a first audio packet.
    AudioOnLastHeaderPage,
    /// A page of another stream lies between page 1 and page 2.
    OtherStreamBetweenHeaders,
    /// Page 2 holds the comment header alone, and the audio follows: no setup header.
    NoSetupHeader,
    /// The comment and setup headers on pages of at most 16 lacing values (about 4 KB), as some
    /// taggers lay them out.
    HeadersOnSmallPages,
};
/// An Ogg Vorbis file made from the fixture's audio with `commentPacket` as its comment header.
QByteArray MakeOgg(const QByteArray& commentPacket, OggLayoutKind layout = OggLayoutKind::Standard);

/// Pages of an Ogg byte stream with their data, read independently of the product's code.
struct PageView {
    std::int64_t Offset = 0;
    std::vector<std::uint8_t> Lacing;
    QByteArray Data;
    std::uint32_t StoredCrc = 0;
    QByteArray Bytes;  // the whole page
};
std::vector<PageView> SplitPages(const QByteArray& bytes);
/// How many pages the three Vorbis header packets take, counted from their lacing values.
std::size_t HeaderPageCount(const std::vector<PageView>& pages);
/// Expects a rewritten Ogg stream (after `prefix` bytes, which must stay) to keep its first page
/// and every audio page, granule position and data included, with only the sequence numbers moved
/// by the change in the number of header pages; and every page to be checksummed, numbered in
/// order and to belong to the one stream.
void ExpectAudioPagesKept(const QByteArray& before, const QByteArray& after, qsizetype prefix = 0);

/// A metadata block of a FLAC file.
struct FlacBlockBytes {
    int Type = 0;
    QByteArray Data;
};
/// The metadata blocks of a FLAC file and the audio frames after them, split by hand.
struct FlacParts {
    std::vector<FlacBlockBytes> Blocks;
    QByteArray Audio;
};
FlacParts SplitFlac(const QByteArray& file);
/// "fLaC", the blocks with the last one marked so, and the audio.
QByteArray MakeFlac(const std::vector<FlacBlockBytes>& blocks, const QByteArray& audio);
/// The data of a FLAC picture block holding a front cover of these bytes.
QByteArray FlacPictureData(const QByteArray& image);

// Independent readers, run as separate programs.

/// What mutagen reads from the file (see independent_read.py); empty object when it fails.
QJsonObject MutagenRead(const QString& path, QString* error = nullptr);
/// Has mutagen embed a cover picture of `size` bytes in an Ogg Vorbis file (see add_picture.py);
/// the MD5 of the picture's data, empty when it fails.
QString AddPictureWithMutagen(const QString& path, int size);
/// The tags ffprobe finds in the file (those of the container and of its first stream), keys in
/// lower case; empty object when it fails.
QJsonObject FfprobeTags(const QString& path);
/// What `metaflac --list` complains of: its error lines and its exit status when not 0.
QStringList MetaflacProblems(const QString& path);
/// opusinfo's warnings and errors, plus its exit status when not 0.
QStringList OpusInfoProblems(const QString& path);
/// ogginfo's warnings and errors for the file, plus its exit status when not 0.
QStringList OggInfoProblems(const QString& path);
struct Decoded {
    QByteArray Pcm;
    QString Errors;
};
/// The audio as ffmpeg decodes it (mono 16-bit samples) and anything ffmpeg complained of, in
/// one run that also decodes to "-f null" as a plain player would.
Decoded DecodeWithFfmpeg(const QString& path);

}  // namespace sw::test
