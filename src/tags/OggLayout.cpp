#include "OggLayout.h"

#include "ByteOrder.h"
#include "FileReader.h"
#include "Synchsafe.h"
#include "TagText.h"

namespace sw {

const std::array<const char*, 10> kVorbisCommentNames = {
    "", "TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};

namespace {

// Each comment is read at most this far; the rest of a longer one is skipped.
constexpr int kItemBuffer = 250;

// Embedded pictures, in the standard form and the older one; a retag must not lose the cover.
const std::array<const char*, 3> kKeptCommentNames = {"METADATA_BLOCK_PICTURE", "COVERART", "COVERARTMIME"};

std::int64_t LeadingTagSize(const FileReader& file) {
    Id3v2Header header{};
    if (file.ReadAt(0, &header, sizeof header) != static_cast<std::int64_t>(sizeof header) ||
        !HasId3v2Marker(header)) {
        return 0;
    }
    const std::int64_t size = DecodeSynchsafe(header.Size) + ((header.Flags & kId3v2FooterFlag) ? 20 : 10);
    return size > file.Size() ? 0 : size;
}

int NameIndex(const QByteArray& name) {
    for (int index = 1; index < static_cast<int>(kVorbisCommentNames.size()); ++index) {
        if (name == kVorbisCommentNames[static_cast<std::size_t>(index)]) {
            return index;
        }
    }
    return -1;
}

bool IsKeptName(const QByteArray& name) {
    for (const char* kept : kKeptCommentNames) {
        if (name == kept) {
            return true;
        }
    }
    return false;
}

void ReadComments(const FileReader& file, const OggPacketPlace& packet, OggLayout& layout) {
    std::int64_t position = kVorbisMarkerSize;
    for (std::int64_t item = 0; item == 0 || item <= layout.CommentCount; ++item) {
        const QByteArray lengthBytes = ReadPacketBytes(file, packet, position, 4);
        if (lengthBytes.size() != 4) {
            return;
        }
        const std::uint32_t length =
            ReadLe32(reinterpret_cast<const unsigned char*>(lengthBytes.constData()));
        const VorbisCommentPlace place{position + 4, length};
        QByteArray text =
            ReadPacketBytes(file, packet, place.Offset, std::min<std::uint32_t>(length, kItemBuffer));
        text = TrimTagBytes(text);
        position = place.Offset + std::int64_t{length};
        layout.CommentEnd = position;
        if (position > packet.Size) {
            return;
        }
        if (item == 0) {
            layout.Vendor = place;
            layout.Items[0] = DecodeUtf8Lenient(text);
            const QByteArray countBytes = ReadPacketBytes(file, packet, position, 4);
            if (countBytes.size() != 4) {
                return;
            }
            layout.CommentCount = ReadLe32(reinterpret_cast<const unsigned char*>(countBytes.constData()));
            position += 4;
            layout.CommentEnd = position;
            continue;
        }
        const qsizetype equals = text.indexOf('=');
        if (equals < 0) {
            continue;
        }
        const QByteArray name = text.left(equals).toUpper();
        const int index = NameIndex(name);
        if (index > 0) {
            layout.Items[static_cast<std::size_t>(index)] =
                DecodeUtf8Lenient(TrimTagBytes(text.mid(equals + 1)));
        } else if (IsKeptName(name)) {
            layout.KeptComments.push_back(place);
        }
    }
    layout.CommentsComplete = true;
}

}  // namespace

bool LocateOggHeaders(const FileReader& file, OggLayout& layout, int packets) {
    layout = OggLayout{};
    layout.LeadingTagSize = LeadingTagSize(file);
    layout.Walk = WalkOggPackets(file, layout.LeadingTagSize, packets);
    const std::vector<OggPacketPlace>& found = layout.Walk.Packets;
    if (found.empty() ||
        ReadPacketBytes(file, found[0], 0, kVorbisMarkerSize) != QByteArray("\x01vorbis", 7)) {
        return false;
    }
    if (found.size() >= 2) {
        layout.HasCommentHeader =
            ReadPacketBytes(file, found[1], 0, kVorbisMarkerSize) == QByteArray("\x03vorbis", 7);
    }
    if (layout.HasCommentHeader) {
        ReadComments(file, found[1], layout);
    }
    return true;
}

}  // namespace sw
