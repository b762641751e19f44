#include "OggPages.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "FileReader.h"
#include "OggCrc.h"

namespace sw {

bool OggPage::HasCapture() const {
    return std::memcmp(Header.Capture, "OggS", 4) == 0;
}

std::int64_t OggPage::DataSize() const {
    std::int64_t size = 0;
    for (const std::uint8_t value : Lacing) {
        size += value;
    }
    return size;
}

bool ReadOggPage(const FileReader& file, std::int64_t position, OggPage& page) {
    page = OggPage{};
    // Short reads leave zeros, which no check mistakes for a page.
    file.ReadAt(position, &page.Header, sizeof page.Header);
    page.Lacing.resize(page.Header.Segments);
    if (!page.Lacing.empty()) {
        const std::int64_t got =
            file.ReadAt(position + kOggPageHeaderSize, page.Lacing.data(), page.Lacing.size());
        page.Lacing.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    }
    return page.HasCapture();
}

OggPacketWalk WalkOggPackets(const FileReader& file, std::int64_t start, int packets) {
    OggPacketWalk walk;
    std::int64_t position = start;
    std::uint8_t serial[4] = {};
    auto done = [&] {
        return static_cast<int>(walk.Packets.size()) == packets && walk.Packets.back().Complete;
    };
    while (packets > 0 && !done()) {
        OggPage page;
        if (!ReadOggPage(file, position, page)) {
            walk.Broken = true;
            break;
        }
        const std::int64_t end = position + page.Size();
        if (walk.Pages.empty()) {
            std::memcpy(serial, page.Header.Serial, 4);
        } else if (std::memcmp(serial, page.Header.Serial, 4) != 0) {
            walk.ForeignPages = true;
            position = end;
            continue;
        }
        const int pageIndex = static_cast<int>(walk.Pages.size());
        const bool packetOpen = !walk.Packets.empty() && !walk.Packets.back().Complete;
        if (((page.Header.Flags & kOggContinuedPacket) != 0) != packetOpen) {
            walk.FlagsDisagree = true;
        }
        std::int64_t offset = position + kOggPageHeaderSize + static_cast<std::int64_t>(page.Lacing.size());
        for (const std::uint8_t value : page.Lacing) {
            if (walk.Packets.empty() || walk.Packets.back().Complete) {
                if (static_cast<int>(walk.Packets.size()) == packets) {
                    walk.MoreOnLastPage = true;
                    break;
                }
                walk.Packets.emplace_back();
                walk.Packets.back().FirstPage = pageIndex;
            }
            OggPacketPlace& packet = walk.Packets.back();
            if (value > 0) {
                if (!packet.Spans.empty() &&
                    packet.Spans.back().Offset + packet.Spans.back().Size == offset) {
                    packet.Spans.back().Size += value;
                } else {
                    packet.Spans.push_back({offset, value});
                }
            }
            packet.Size += value;
            offset += value;
            if (value < 255) {
                packet.Complete = true;
                packet.LastPage = pageIndex;
            }
        }
        walk.PagePositions.push_back(position);
        walk.Pages.push_back(std::move(page));
        position = end;
        if (!walk.Pages.back().IsWhole() || end > file.Size()) {
            walk.Broken = true;
            break;
        }
    }
    walk.End = position;
    return walk;
}

QByteArray ReadPacketBytes(const FileReader& file, const OggPacketPlace& packet, std::int64_t offset,
                           std::int64_t length) {
    QByteArray bytes;
    if (offset < 0 || length <= 0) {
        return bytes;
    }
    for (const OggSpan& span : packet.Spans) {
        if (offset >= span.Size) {
            offset -= span.Size;
            continue;
        }
        const std::int64_t wanted = std::min<std::int64_t>(length - bytes.size(), span.Size - offset);
        const QByteArray piece = file.ReadAt(span.Offset + offset, static_cast<std::size_t>(wanted));
        bytes.append(piece);
        if (piece.size() < wanted || bytes.size() == length) {
            break;
        }
        offset = 0;
    }
    return bytes;
}

std::vector<QByteArray> PaginatePackets(const std::vector<QByteArray>& packets, std::uint32_t serial,
                                        std::uint32_t firstSequence, std::uint8_t lastPageFlags) {
    // Every packet's lacing values in a row, and all their data in a row.
    std::vector<std::uint8_t> lacing;
    QByteArray data;
    for (const QByteArray& packet : packets) {
        lacing.insert(lacing.end(), static_cast<std::size_t>(packet.size() / 255), 255);
        lacing.push_back(static_cast<std::uint8_t>(packet.size() % 255));
        data.append(packet);
    }
    std::vector<QByteArray> pages;
    std::size_t next = 0;
    qsizetype dataAt = 0;
    bool continued = false;
    while (next < lacing.size()) {
        const std::size_t count = std::min<std::size_t>(kOggMostLacingValues, lacing.size() - next);
        qsizetype dataSize = 0;
        bool packetEnds = false;
        for (std::size_t i = next; i < next + count; ++i) {
            dataSize += lacing[i];
            packetEnds = packetEnds || lacing[i] < 255;
        }
        QByteArray page("OggS", 4);
        page.append('\0');
        page.append(static_cast<char>(continued ? kOggContinuedPacket : 0));
        page.append(8, packetEnds ? '\0' : '\xFF');
        AppendLe32(page, serial);
        AppendLe32(page, firstSequence + static_cast<std::uint32_t>(pages.size()));
        AppendLe32(page, 0);
        page.append(static_cast<char>(count));
        page.append(reinterpret_cast<const char*>(lacing.data() + next), static_cast<qsizetype>(count));
        page.append(data.constData() + dataAt, dataSize);
        continued = lacing[next + count - 1] == 255;
        next += count;
        dataAt += dataSize;
        pages.push_back(std::move(page));
    }
    if (!pages.empty()) {
        pages.back()[5] = static_cast<char>(pages.back()[5] | static_cast<char>(lastPageFlags));
    }
    for (QByteArray& page : pages) {
        WriteLe32(reinterpret_cast<unsigned char*>(page.data()) + kOggChecksumOffset,
                  OggCrcUpdate(0, page.constData(), static_cast<std::size_t>(page.size())));
    }
    return pages;
}

}  // namespace sw
