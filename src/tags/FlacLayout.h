#pragma once

#include <cstdint>
#include <vector>

#include "VorbisComments.h"

namespace sw {

class FileReader;

inline constexpr std::uint8_t kFlacStreamInfo = 0;
inline constexpr std::uint8_t kFlacPadding = 1;
inline constexpr std::uint8_t kFlacVorbisComment = 4;
inline constexpr std::uint8_t kFlacLastBlockFlag = 0x80;
inline constexpr int kFlacBlockHeaderSize = 4;
inline constexpr std::uint32_t kFlacLongestBlock = 0xFFFFFF;

/// One metadata block of a FLAC file.
struct FlacBlock {
    std::uint8_t Type = 0;
    /// Where its four-byte header lies in the file.
    std::int64_t Offset = 0;
    std::uint32_t Length = 0;
    std::int64_t DataOffset() const { return Offset + kFlacBlockHeaderSize; }
    std::int64_t End() const { return DataOffset() + Length; }
};

/// Where the metadata blocks of a FLAC file lie, and the comments read from them.
struct FlacLayout {
    /// Bytes of an ID3v2 tag in front of "fLaC".
    std::int64_t LeadingTagSize = 0;
    std::vector<FlacBlock> Blocks;
    /// Just after the last metadata block, where the audio frames begin.
    std::int64_t AudioStart = 0;
    /// The walk ended at a block marked last, inside the file, and audio frames (or the end of the
    /// file) follow it: what a rewrite can rely on.
    bool Complete = false;
    /// Index of the comment block in Blocks, -1 when there is none.
    int CommentBlock = -1;
    VorbisCommentBlock Comments;
};

/// Finds "fLaC" (after any ID3v2 tag), walks the metadata blocks and reads the comments. False
/// when the file is not FLAC: no "fLaC" where it belongs, or no stream information first.
bool LocateFlacMetadata(const FileReader& file, FlacLayout& layout);

/// The four-byte header of a block.
QByteArray FlacBlockHeader(std::uint8_t type, std::uint32_t length, bool last);

}  // namespace sw
