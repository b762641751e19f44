#include "FlacLayout.h"

#include "FileReader.h"

namespace sw {

namespace {

constexpr int kStreamInfoLength = 34;
constexpr std::uint8_t kInvalidBlockType = 127;
// Far more blocks than any encoder or tagger writes; a walk that meets more is in damaged data.
constexpr std::size_t kMostBlocks = 4096;

bool IsFrameSync(const QByteArray& bytes) {
    return bytes.size() == 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           (static_cast<unsigned char>(bytes[1]) & 0xFE) == 0xF8;
}

}  // namespace

QByteArray FlacBlockHeader(std::uint8_t type, std::uint32_t length, bool last) {
    QByteArray header;
    header.append(static_cast<char>(type | (last ? kFlacLastBlockFlag : 0)));
    header.append(static_cast<char>((length >> 16) & 0xFF));
    header.append(static_cast<char>((length >> 8) & 0xFF));
    header.append(static_cast<char>(length & 0xFF));
    return header;
}

bool LocateFlacMetadata(const FileReader& file, FlacLayout& layout) {
    layout = FlacLayout{};
    layout.LeadingTagSize = LeadingId3v2Size(file);
    if (file.ReadAt(layout.LeadingTagSize, 4) != "fLaC") {
        return false;
    }
    std::int64_t position = layout.LeadingTagSize + 4;
    while (layout.Blocks.size() < kMostBlocks) {
        const QByteArray header = file.ReadAt(position, kFlacBlockHeaderSize);
        if (header.size() != kFlacBlockHeaderSize) {
            break;
        }
        const auto* bytes = reinterpret_cast<const unsigned char*>(header.constData());
        FlacBlock block;
        block.Type = bytes[0] & 0x7F;
        block.Offset = position;
        block.Length = (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
        const bool first = layout.Blocks.empty();
        if (first != (block.Type == kFlacStreamInfo) || block.Type == kInvalidBlockType ||
            block.End() > file.Size()) {
            break;
        }
        if (first && block.Length != kStreamInfoLength) {
            break;
        }
        if (block.Type == kFlacVorbisComment && layout.CommentBlock < 0) {
            layout.CommentBlock = static_cast<int>(layout.Blocks.size());
        }
        layout.Blocks.push_back(block);
        position = block.End();
        if (bytes[0] & kFlacLastBlockFlag) {
            layout.AudioStart = position;
            layout.Complete = position == file.Size() || IsFrameSync(file.ReadAt(position, 2));
            break;
        }
    }
    if (layout.Blocks.empty()) {
        return false;
    }
    if (layout.CommentBlock >= 0) {
        const FlacBlock& comments = layout.Blocks[static_cast<std::size_t>(layout.CommentBlock)];
        OggPacketPlace place;
        place.Spans.push_back({comments.DataOffset(), comments.Length});
        place.Size = comments.Length;
        place.Complete = true;
        ReadVorbisComments(file, place, 0, layout.Comments);
    }
    return true;
}

}  // namespace sw
