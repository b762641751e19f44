#pragma once

#include <QByteArray>
#include <cstdint>

namespace sw {

// Tag formats mix byte orders (ID3v2 big-endian, Ogg and Vorbis little-endian), so every
// multi-byte number on disk goes through these helpers rather than through a cast.

inline std::uint32_t ReadBe32(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

inline std::uint32_t ReadLe32(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
           (std::uint32_t{bytes[3]} << 24);
}

inline void WriteLe32(unsigned char* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

inline void AppendBe32(QByteArray& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

inline void AppendLe32(QByteArray& out, std::uint32_t value) {
    for (int shift = 0; shift <= 24; shift += 8) {
        out.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

}  // namespace sw
