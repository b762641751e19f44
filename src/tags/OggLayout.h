#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace sw {

class FileReader;

/// An Ogg page header as it lies in the file, before its lacing values.
struct OggPageHeader {
    char Capture[4];
    std::uint8_t Version;
    std::uint8_t Flags;
    std::uint8_t Granule[8];
    std::uint8_t Serial[4];
    std::uint8_t Sequence[4];
    std::uint8_t Checksum[4];
    std::uint8_t Segments;
};
static_assert(sizeof(OggPageHeader) == 27, "the Ogg page header is 27 bytes on disk");

inline constexpr int kOggPageHeaderSize = 27;
inline constexpr int kVorbisIdHeaderSize = 30;
inline constexpr int kVorbisMarkerSize = 7;
inline constexpr std::uint8_t kOggContinuedPacket = 0x01;

/// A page header with its lacing values.
struct OggPage {
    OggPageHeader Header{};
    std::vector<std::uint8_t> Lacing;
    bool HasCapture() const;
};

/// The comment field names, indexes 1 to 9; index 0 stands for the vendor string.
extern const std::array<const char*, 10> kVorbisCommentNames;

/// Where the Vorbis headers of a file lie, and the comments read from them.
struct OggLayout {
    /// Bytes of an ID3v2 tag in front of the Ogg data.
    std::int64_t LeadingTagSize = 0;
    OggPage FirstPage;
    OggPage SecondPage;
    std::int64_t SecondPagePos = 0;
    /// Where the second page's data (and so the comment header) starts.
    std::int64_t CommentStart = 0;
    bool HasCommentHeader = false;
    QByteArray CommentMarker;
    /// The vendor string's bytes as they stand in the file.
    QByteArray RawVendor;
    std::uint32_t CommentCount = 0;
    /// Index 0 is the vendor string; 1 to 9 follow kVorbisCommentNames.
    std::array<QString, 10> Items;
    /// Just after the last comment read.
    std::int64_t CommentEndPos = 0;
    /// Every comment the header announces lies inside the file.
    bool CommentsComplete = false;
};

/// Finds the identification and comment headers and reads the comments. False when the file is
/// not Ogg Vorbis: no "OggS" page where one belongs, or no identification header on it.
bool LocateOggHeaders(const FileReader& file, OggLayout& layout);

}  // namespace sw
