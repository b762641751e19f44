// The tag of an MP4 file: the item list under moov/udta/meta/ilst, each item holding a "data"
// box whose first eight bytes give its type and locale.
#include <array>

#include "ByteOrder.h"
#include "ByteSource.h"
#include "ContainerTag.h"
#include "TagText.h"

namespace sw {

namespace {

constexpr std::int64_t kBoxHeader = 8;
constexpr std::int64_t kLargeBoxHeader = 16;
// A data box's type indicator and locale come before its value.
constexpr qsizetype kDataPrefix = 8;
// Bounds on the walk: a file that needs more boxes on one level than this is not trusted.
constexpr int kMostBoxesPerLevel = 4096;
// An item larger than this (a cover picture, say) is passed over unread.
constexpr std::int64_t kLargestItem = 1 << 20;
// Data type indicators of the texts.
constexpr std::uint32_t kUtf8 = 1;
constexpr std::uint32_t kUtf16 = 2;

struct Box {
    QByteArray type;
    std::int64_t payload = 0;
    std::int64_t end = 0;
};

enum class Found { Yes, No, Broken };

std::uint16_t Be16(const QByteArray& bytes, qsizetype at) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[at]) << 8) |
                                      static_cast<unsigned char>(bytes[at + 1]));
}

/// The box whose header starts at `offset`, when it lies whole within [offset, limit). A size of
/// 0 (up to the end of the file) is allowed at the top level only.
bool ReadBox(const ByteSource& file, std::int64_t offset, std::int64_t limit, bool topLevel, Box& box) {
    if (limit - offset < kBoxHeader) {
        return false;
    }
    const QByteArray head = file.ReadAt(offset, kLargeBoxHeader);
    if (head.size() < kBoxHeader) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(head.constData());
    std::uint64_t size = ReadBe32(bytes);
    std::int64_t header = kBoxHeader;
    if (size == 1) {
        if (head.size() < kLargeBoxHeader) {
            return false;
        }
        size = (std::uint64_t{ReadBe32(bytes + 8)} << 32) | ReadBe32(bytes + 12);
        header = kLargeBoxHeader;
    } else if (size == 0) {
        if (!topLevel) {
            return false;
        }
        size = static_cast<std::uint64_t>(limit - offset);
    }
    if (size < static_cast<std::uint64_t>(header) || size > static_cast<std::uint64_t>(limit - offset)) {
        return false;
    }
    box.type = head.mid(4, 4);
    box.payload = offset + header;
    box.end = offset + static_cast<std::int64_t>(size);
    return true;
}

/// The first box of that type among those that fill [start, end).
Found FindBox(const ByteSource& file, std::int64_t start, std::int64_t end, const QByteArray& type, bool topLevel,
              Box& found) {
    std::int64_t offset = start;
    for (int count = 0; offset < end; ++count) {
        Box box;
        if (count == kMostBoxesPerLevel || !ReadBox(file, offset, end, topLevel, box)) {
            return Found::Broken;
        }
        if (box.type == type) {
            found = box;
            return Found::Yes;
        }
        offset = box.end;
    }
    return Found::No;
}

/// Where the children of a meta box start: after its version and flags, which QuickTime's
/// form of the box leaves out (its first child, the handler, then follows at once).
std::int64_t MetaChildren(const ByteSource& file, const Box& meta) {
    const QByteArray peek = file.ReadAt(meta.payload, kBoxHeader);
    return peek.size() == kBoxHeader && peek.mid(4, 4) == "hdlr" ? meta.payload : meta.payload + 4;
}

QString ItemText(std::uint32_t typeCode, QByteArray value) {
    if (typeCode == kUtf16) {
        QString text = DecodeUtf16(value, true);
        const qsizetype zero = text.indexOf(QChar(0));
        return zero < 0 ? text : text.left(zero);
    }
    if (const qsizetype zero = value.indexOf('\0'); zero >= 0) {
        value.truncate(zero);
    }
    return DecodeUtf8Lenient(value);
}

enum class Item { Title, Artist, Album, Date, Genre, Comment, Track, GenreNumber };

struct ItemName {
    const char* type;
    Item item;
};

const std::array<ItemName, 8> kItems{{{"\xa9nam", Item::Title},
                                      {"\xa9" "ART", Item::Artist},
                                      {"\xa9" "alb", Item::Album},
                                      {"\xa9" "day", Item::Date},
                                      {"\xa9gen", Item::Genre},
                                      {"\xa9" "cmt", Item::Comment},
                                      {"trkn", Item::Track},
                                      {"gnre", Item::GenreNumber}}};

/// Puts one item's value into the tag; the first of each kind counts.
void TakeItem(Item item, std::uint32_t typeCode, const QByteArray& value, TContainerTag& tag) {
    const auto setText = [&](QString& field) {
        if (field.isEmpty()) {
            field = ItemText(typeCode, value);
        }
    };
    switch (item) {
        case Item::Title:
            setText(tag.Title);
            break;
        case Item::Artist:
            setText(tag.Artist);
            break;
        case Item::Album:
            setText(tag.Album);
            break;
        case Item::Date:
            setText(tag.Date);
            break;
        case Item::Genre:
            setText(tag.Genre);
            break;
        case Item::Comment:
            setText(tag.Comment);
            break;
        case Item::Track:
            // Two reserved bytes, the track, the count of tracks.
            if (tag.Track == 0 && value.size() >= 4) {
                const std::uint16_t track = Be16(value, 2);
                tag.Track = track <= 255 ? static_cast<std::uint8_t>(track) : 0;
            }
            break;
        case Item::GenreNumber:
            // The ID3v1 genre number plus one.
            if (tag.GenreNumber < 0 && value.size() >= 2) {
                const std::uint16_t number = Be16(value, 0);
                tag.GenreNumber = number >= 1 && number <= 256 ? number - 1 : -1;
            }
            break;
    }
}

/// Reads one item of the list into the tag. False when the item is broken.
bool ReadItem(const ByteSource& file, const Box& itemBox, TContainerTag& tag) {
    const ItemName* known = nullptr;
    for (const ItemName& name : kItems) {
        if (itemBox.type == QByteArray(name.type, 4)) {
            known = &name;
        }
    }
    const std::int64_t size = itemBox.end - itemBox.payload;
    if (known == nullptr || size > kLargestItem) {
        return true;
    }
    const QByteArray content = file.ReadAt(itemBox.payload, static_cast<std::size_t>(size));
    if (content.size() != size) {
        return false;
    }
    const MemorySource item(content);
    Box data;
    switch (FindBox(item, 0, size, "data", false, data)) {
        case Found::Broken:
            return false;
        case Found::No:
            return true;
        case Found::Yes:
            break;
    }
    const QByteArray body = content.mid(static_cast<qsizetype>(data.payload),
                                        static_cast<qsizetype>(data.end - data.payload));
    if (body.size() < kDataPrefix) {
        return false;
    }
    const std::uint32_t typeCode = ReadBe32(reinterpret_cast<const unsigned char*>(body.constData())) & 0xFFFFFF;
    TakeItem(known->item, typeCode, body.mid(kDataPrefix), tag);
    return true;
}

}  // namespace

std::optional<TContainerTag> ReadMp4Tag(const ByteSource& file) {
    Box moov;
    Box udta;
    Box meta;
    Box ilst;
    if (FindBox(file, 0, file.Size(), "moov", true, moov) != Found::Yes ||
        FindBox(file, moov.payload, moov.end, "udta", false, udta) != Found::Yes ||
        FindBox(file, udta.payload, udta.end, "meta", false, meta) != Found::Yes ||
        FindBox(file, MetaChildren(file, meta), meta.end, "ilst", false, ilst) != Found::Yes) {
        return std::nullopt;
    }
    TContainerTag tag;
    std::int64_t offset = ilst.payload;
    for (int count = 0; offset < ilst.end; ++count) {
        Box item;
        if (count == kMostBoxesPerLevel || !ReadBox(file, offset, ilst.end, false, item) || !ReadItem(file, item, tag)) {
            return std::nullopt;
        }
        offset = item.end;
    }
    if (tag.IsEmpty()) {
        return std::nullopt;
    }
    return tag;
}

}  // namespace sw
