#pragma once

#include <QByteArray>
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
inline constexpr int kOggSequenceOffset = 18;
inline constexpr int kOggChecksumOffset = 22;
inline constexpr int kOggMostLacingValues = 255;
inline constexpr std::uint8_t kOggContinuedPacket = 0x01;
inline constexpr std::uint8_t kOggEndOfStream = 0x04;

/// A page header with its lacing values.
struct OggPage {
    OggPageHeader Header{};
    std::vector<std::uint8_t> Lacing;
    bool HasCapture() const;
    /// Bytes of data the lacing values announce.
    std::int64_t DataSize() const;
    /// The whole page: header, lacing values and data.
    std::int64_t Size() const {
        return kOggPageHeaderSize + static_cast<std::int64_t>(Lacing.size()) + DataSize();
    }
    /// Every lacing value the header announces was read.
    bool IsWhole() const { return Lacing.size() == Header.Segments; }
};

/// Reads the page header and lacing values at `position`; false when no "OggS" is there. A page
/// cut off by the end of the file comes back with fewer lacing values than it announces.
bool ReadOggPage(const FileReader& file, std::int64_t position, OggPage& page);

/// Where a piece of a packet lies in the file.
struct OggSpan {
    std::int64_t Offset = 0;
    std::int64_t Size = 0;
};

/// A packet as its pages carry it, in pieces between the page headers.
struct OggPacketPlace {
    std::vector<OggSpan> Spans;
    std::int64_t Size = 0;
    /// Its last lacing value (one below 255) was met.
    bool Complete = false;
    /// Indexes into the walk's pages of the page it starts on and the page it ends on.
    int FirstPage = 0;
    int LastPage = 0;
};

/// The first packets of the logical stream whose page opens the walk, followed across its pages.
struct OggPacketWalk {
    /// Where each page of the stream that was walked lies, and its header.
    std::vector<std::int64_t> PagePositions;
    std::vector<OggPage> Pages;
    std::vector<OggPacketPlace> Packets;
    /// Just after the last page walked.
    std::int64_t End = 0;
    /// Pages of another logical stream lay between them.
    bool ForeignPages = false;
    /// The walk stopped before its packets were complete: no page where one belongs, or a page
    /// cut off by the end of the file.
    bool Broken = false;
    /// A page's continuation flag disagreed with its lacing values.
    bool FlagsDisagree = false;
    /// The last page holds more after the packets asked for (the start of the audio, as a rule).
    bool MoreOnLastPage = false;
};

/// Follows the stream of the page at `start` until `packets` packets are complete or its pages
/// run out. Reads page headers only.
OggPacketWalk WalkOggPackets(const FileReader& file, std::int64_t start, int packets);

/// Up to `length` bytes of the packet from `offset` within it; short at the packet's end and at
/// the end of the file.
QByteArray ReadPacketBytes(const FileReader& file, const OggPacketPlace& packet, std::int64_t offset,
                           std::int64_t length);

/// Lays packets out on pages as the Ogg library lays out header pages: each packet starts where
/// the one before it ends, a page takes up to 255 lacing values, a page on which no packet ends
/// has the granule position -1 and the others 0. The pages carry `serial` and sequence numbers
/// from `firstSequence` on, are checksummed, and the last one gets `lastPageFlags` as well.
std::vector<QByteArray> PaginatePackets(const std::vector<QByteArray>& packets, std::uint32_t serial,
                                        std::uint32_t firstSequence, std::uint8_t lastPageFlags = 0);

}  // namespace sw
