#include "Id3v2Frames.h"

#include <cstring>

#include "ByteOrder.h"
#include "FileReader.h"
#include "Id3v1.h"
#include "Synchsafe.h"

namespace sw {

namespace {

// Frame format flags, the second flags byte: version 3, then version 4.
constexpr std::uint8_t kV3Compressed = 0x80;
constexpr std::uint8_t kV3Encrypted = 0x40;
constexpr std::uint8_t kV3Grouped = 0x20;
constexpr std::uint8_t kV4Grouped = 0x40;
constexpr std::uint8_t kV4Compressed = 0x08;
constexpr std::uint8_t kV4Encrypted = 0x04;
constexpr std::uint8_t kV4FrameUnsynchronised = 0x02;
constexpr std::uint8_t kV4DataLength = 0x01;
// A tag larger than this is not a tag but a broken size field.
constexpr std::int64_t kLargestTag = std::int64_t{1} << 28;

bool IsFrameIdCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

/// Padding, the end of the tag or the next frame's id at `position`.
bool IsFrameBoundary(const Id3v2BytesAt& body, std::int64_t end, std::int64_t position) {
    if (position >= end) {
        return position == end;
    }
    const QByteArray next = body(position, 4);
    return (!next.isEmpty() && next[0] == '\0') || LooksLikeFrameId(next);
}

/// A header that could open a tag: "ID3", a version we know, and a size of 7-bit groups.
bool LooksLikeTagHeader(const Id3v2Header& header) {
    return HasId3v2Marker(header) && (header.Version == 3 || header.Version == 4) && header.Revision != 0xFF &&
           ((header.Size[0] | header.Size[1] | header.Size[2] | header.Size[3]) & 0x80) == 0;
}

/// Where the frames of a body start, after any extended header; nothing when that header is
/// broken.
std::optional<std::int64_t> FirstFrame(const QByteArray& body, const Id3v2Header& header) {
    if (!(header.Flags & kId3v2ExtendedHeaderFlag)) {
        return 0;
    }
    const QByteArray extended = body.left(4);
    // Some programs set the flag without writing the header; a frame follows at once.
    if (LooksLikeFrameId(extended)) {
        return 0;
    }
    if (extended.size() < 4) {
        return std::nullopt;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(extended.constData());
    const std::uint8_t groups[4] = {bytes[0], bytes[1], bytes[2], bytes[3]};
    // Version 3 counts the bytes after the size field, version 4 the whole header.
    const std::int64_t start = header.Version >= 4 ? DecodeSynchsafe(groups) : std::int64_t{ReadBe32(bytes)} + 4;
    if (start < 4 || start > body.size()) {
        return std::nullopt;
    }
    return start;
}

/// Reads the frames of the tag whose header is at `start`; false, with the layout's Damage set,
/// when the tag cannot be taken apart whole.
bool ReadOneTag(const FileReader& file, std::int64_t start, std::int64_t audioEnd, Id3v2Layout& layout,
                std::vector<Id3v2Frame>& frames) {
    Id3v2Header header{};
    if (file.ReadAt(start, &header, sizeof header) != static_cast<std::int64_t>(sizeof header)) {
        layout.Damage = "the tag header cannot be read";
        return false;
    }
    if (header.Version != 3 && header.Version != 4) {
        layout.Damage = "it is an ID3v2." + QString::number(header.Version) + " tag, which is not written";
        return false;
    }
    if (header.Version != layout.Version) {
        layout.Damage = "it holds two ID3v2 tags of different versions";
        return false;
    }
    const std::int64_t tagEnd = start + Id3v2TagSize(header);
    if (tagEnd - start > kLargestTag || tagEnd > audioEnd) {
        layout.Damage = "the size of its ID3v2 tag passes the end of the file";
        return false;
    }
    const std::int64_t bodySize = DecodeSynchsafe(header.Size);
    QByteArray body = file.ReadAt(start + kId3v2HeaderSize, static_cast<std::size_t>(bodySize));
    if (body.size() != bodySize) {
        layout.Damage = "its ID3v2 tag cannot be read";
        return false;
    }
    const bool unsynchronised = (header.Flags & kId3v2UnsynchronisedFlag) != 0;
    if (unsynchronised && header.Version == 3) {
        body = UndoUnsynchronisation(body);
    }
    const std::optional<std::int64_t> first = FirstFrame(body, header);
    if (!first) {
        layout.Damage = "the extended header of its ID3v2 tag is damaged";
        return false;
    }
    const std::int64_t end = body.size();
    const Id3v2BytesAt bytesAt = [&body](std::int64_t offset, std::int64_t length) {
        return offset >= body.size() ? QByteArray() : body.mid(offset, length);
    };
    std::int64_t position = *first;
    // Padding, or data no frame header opens, ends the frames.
    while (position + kId3v2FrameHeaderSize <= end && LooksLikeFrameId(body.mid(position, 4))) {
        const QByteArray frameHeader = body.mid(position, kId3v2FrameHeaderSize);
        const std::optional<std::int64_t> size =
            Id3v2FrameDataSize(bytesAt, end, position, frameHeader.constData(), header.Version);
        const std::int64_t dataStart = position + kId3v2FrameHeaderSize;
        if (!size || dataStart + *size > end) {
            layout.Damage = "a frame of its ID3v2 tag (" + QString::fromLatin1(frameHeader.left(4)) +
                            ") runs past the end of the tag";
            return false;
        }
        Id3v2Frame frame;
        frame.Id = frameHeader.left(4);
        frame.StatusFlags = static_cast<std::uint8_t>(frameHeader[8]);
        frame.FormatFlags = static_cast<std::uint8_t>(frameHeader[9]);
        frame.Data = body.mid(dataStart, *size);
        // A version 4 tag marked unsynchronised as a whole may leave the mark off its frames; the
        // tag is written without the mark, so such a frame is kept as it was before.
        if (unsynchronised && header.Version == 4 && !(frame.FormatFlags & kV4FrameUnsynchronised)) {
            frame.Data = UndoUnsynchronisation(frame.Data);
        }
        frames.push_back(std::move(frame));
        position = dataStart + *size;
    }
    layout.End = tagEnd;
    return true;
}

/// The text frames whose fields the program reads from the first tag only.
bool IsFieldFrameId(const QByteArray& id) {
    for (const char* field : {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TDRC", "TCON", "TCOM", "TENC", "TCOP", "TLAN"}) {
        if (id == field) {
            return true;
        }
    }
    return false;
}

bool HoldsId(const std::vector<Id3v2Frame>& frames, const QByteArray& id) {
    for (const Id3v2Frame& frame : frames) {
        if (frame.Id == id) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool LooksLikeFrameId(const QByteArray& bytes) {
    return bytes.size() >= 4 && bytes[0] >= 'A' && bytes[0] <= 'Z' && IsFrameIdCharacter(bytes[1]) &&
           IsFrameIdCharacter(bytes[2]) && IsFrameIdCharacter(bytes[3]);
}

std::optional<std::int64_t> Id3v2FrameDataSize(const Id3v2BytesAt& body, std::int64_t end,
                                               std::int64_t position, const char* header, int version) {
    const auto* size = reinterpret_cast<const unsigned char*>(header + 4);
    const std::uint32_t plain = ReadBe32(size);
    const bool synchsafe = version >= 4 && ((size[0] | size[1] | size[2] | size[3]) & 0x80) == 0;
    if (!synchsafe) {
        // Version 3 sizes, and version 4 ones some programs wrote the same way.
        if (plain & 0x80000000U) {
            return std::nullopt;
        }
        return plain;
    }
    const std::uint8_t groups[4] = {size[0], size[1], size[2], size[3]};
    const std::int64_t decoded = DecodeSynchsafe(groups);
    const std::int64_t dataStart = position + kId3v2FrameHeaderSize;
    if (decoded != plain && !IsFrameBoundary(body, end, dataStart + decoded) &&
        IsFrameBoundary(body, end, dataStart + plain)) {
        return plain;
    }
    return decoded;
}

Id3v2Layout ReadId3v2Layout(const FileReader& file) {
    Id3v2Layout layout;
    Id3v2Header header{};
    if (file.ReadAt(0, &header, sizeof header) != static_cast<std::int64_t>(sizeof header) ||
        !HasId3v2Marker(header)) {
        return layout;
    }
    layout.Exists = true;
    layout.Version = header.Version;
    // The ID3v1 trailer is not audio a tag could cover.
    std::int64_t audioEnd = file.Size();
    if (audioEnd > kId3v1Size && file.ReadAt(audioEnd - kId3v1Size, 3) == "TAG") {
        audioEnd -= kId3v1Size;
    }
    if (!ReadOneTag(file, 0, audioEnd, layout, layout.Frames)) {
        return layout;
    }
    // Tags written one behind the other, each by a program that did not see the one before.
    for (;;) {
        Id3v2Header next{};
        if (file.ReadAt(layout.End, &next, sizeof next) != static_cast<std::int64_t>(sizeof next) ||
            !LooksLikeTagHeader(next)) {
            break;
        }
        std::vector<Id3v2Frame> more;
        if (!ReadOneTag(file, layout.End, audioEnd, layout, more)) {
            return layout;
        }
        // What the first tag says stands (it is what every reader shows); the later one adds
        // the frames the first lacks.
        std::vector<Id3v2Frame> added;
        for (Id3v2Frame& frame : more) {
            bool known = false;
            for (const Id3v2Frame& held : layout.Frames) {
                known = known || held == frame;
            }
            const bool textFrame = frame.Id.startsWith('T') && frame.Id != "TXXX";
            if (!known && !(textFrame && (HoldsId(layout.Frames, frame.Id) || IsFieldFrameId(frame.Id)))) {
                added.push_back(std::move(frame));
            }
        }
        layout.Frames.insert(layout.Frames.end(), added.begin(), added.end());
    }
    return layout;
}

QByteArray BuildId3v2Tag(std::uint8_t version, const std::vector<Id3v2Frame>& frames) {
    QByteArray body;
    for (const Id3v2Frame& frame : frames) {
        const auto size = static_cast<std::uint32_t>(frame.Data.size());
        body.append(frame.Id.left(4));
        if (version >= 4) {
            const auto synchsafe = EncodeSynchsafe(size);
            if (!synchsafe) {
                return {};
            }
            body.append(reinterpret_cast<const char*>(synchsafe->data()), 4);
        } else {
            AppendBe32(body, size);
        }
        body.append(static_cast<char>(frame.StatusFlags));
        body.append(static_cast<char>(frame.FormatFlags));
        body.append(frame.Data);
    }
    const auto size = EncodeSynchsafe(static_cast<std::uint32_t>(body.size()));
    if (!size || body.size() >= kLargestTag) {
        return {};
    }
    QByteArray tag("ID3", 3);
    tag.append(static_cast<char>(version));
    tag.append(char{0});
    tag.append(char{0});
    tag.append(reinterpret_cast<const char*>(size->data()), 4);
    return tag + body;
}

std::optional<QByteArray> Id3v2FrameContent(const QByteArray& raw, std::uint8_t flags, int version,
                                            bool tagUnsynchronised) {
    if (version < 4) {
        if (flags & (kV3Compressed | kV3Encrypted)) {
            return std::nullopt;
        }
        return (flags & kV3Grouped) ? raw.mid(1) : raw;
    }
    if (flags & (kV4Compressed | kV4Encrypted)) {
        return std::nullopt;
    }
    const int skip = ((flags & kV4Grouped) ? 1 : 0) + ((flags & kV4DataLength) ? 4 : 0);
    QByteArray content = raw.mid(skip);
    if ((flags & kV4FrameUnsynchronised) || tagUnsynchronised) {
        content = UndoUnsynchronisation(content);
    }
    return content;
}

}  // namespace sw
