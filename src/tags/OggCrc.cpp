#include "OggCrc.h"

#include <array>

namespace sw {

namespace {

constexpr std::array<std::uint32_t, 256> MakeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit) {
            r = (r & 0x80000000U) ? (r << 1) ^ 0x04C11DB7U : (r << 1);
        }
        table[i] = r;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

}  // namespace

std::uint32_t OggCrcUpdate(std::uint32_t crc, const void* data, std::size_t length) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < length; ++i) {
        crc = (crc << 8) ^ kTable[((crc >> 24) ^ bytes[i]) & 0xFF];
    }
    return crc;
}

}  // namespace sw
