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

}  // namespace sw
