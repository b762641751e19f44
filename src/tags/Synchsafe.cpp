#include "Synchsafe.h"

namespace sw {

std::int64_t DecodeSynchsafe(const std::uint8_t (&size)[4]) {
    return (std::int64_t{size[0]} << 21) + (std::int64_t{size[1]} << 14) + (std::int64_t{size[2]} << 7) +
           std::int64_t{size[3]};
}

std::optional<std::array<std::uint8_t, 4>> EncodeSynchsafe(std::uint32_t size) {
    if (size >= (1U << 28)) {
        return std::nullopt;
    }
    return std::array<std::uint8_t, 4>{
        static_cast<std::uint8_t>((size >> 21) & 0x7F), static_cast<std::uint8_t>((size >> 14) & 0x7F),
        static_cast<std::uint8_t>((size >> 7) & 0x7F), static_cast<std::uint8_t>(size & 0x7F)};
}

bool HasId3v2Marker(const Id3v2Header& header) {
    return header.Marker[0] == 'I' && header.Marker[1] == 'D' && header.Marker[2] == '3';
}

std::int64_t Id3v2TagSize(const Id3v2Header& header) {
    const bool footer = header.Version >= 4 && (header.Flags & kId3v2FooterFlag) != 0;
    return DecodeSynchsafe(header.Size) + kId3v2HeaderSize * (footer ? 2 : 1);
}

QByteArray UndoUnsynchronisation(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out.append(bytes[i]);
        if (bytes[i] == '\xFF' && i + 1 < bytes.size() && bytes[i + 1] == '\0') {
            ++i;
        }
    }
    return out;
}

}  // namespace sw
