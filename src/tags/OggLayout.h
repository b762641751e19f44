#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "OggPages.h"

namespace sw {

class FileReader;

inline constexpr int kVorbisMarkerSize = 7;

/// The comment field names, indexes 1 to 9; index 0 stands for the vendor string.
extern const std::array<const char*, 10> kVorbisCommentNames;

/// Where one item of the comment header lies within the comment packet: its bytes, after their
/// length field.
struct VorbisCommentPlace {
    std::int64_t Offset = 0;
    std::uint32_t Length = 0;
};

/// Where the Vorbis headers of a file lie, and the comments read from them.
struct OggLayout {
    /// Bytes of an ID3v2 tag in front of the Ogg data.
    std::int64_t LeadingTagSize = 0;
    /// The identification and comment packets, and the setup packet when it was asked for.
    OggPacketWalk Walk;
    bool HasCommentHeader = false;
    std::uint32_t CommentCount = 0;
    /// Index 0 is the vendor string; 1 to 9 follow kVorbisCommentNames.
    std::array<QString, 10> Items;
    VorbisCommentPlace Vendor;
    /// Comments that a rewrite keeps as they are (embedded pictures), in file order.
    std::vector<VorbisCommentPlace> KeptComments;
    /// Within the comment packet, just after the last comment read.
    std::int64_t CommentEnd = 0;
    /// Every comment the header announces lies inside its packet.
    bool CommentsComplete = false;
};

/// Finds the identification and comment headers and reads the comments; with `packets` 3 the
/// walk goes on to the end of the setup header. False when the file is not Ogg Vorbis: no "OggS"
/// page where one belongs, or no identification header in its first packet.
bool LocateOggHeaders(const FileReader& file, OggLayout& layout, int packets = 2);

}  // namespace sw
