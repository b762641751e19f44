#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>

namespace sw {

/// The ten bytes that open an ID3v2 tag, as they lie in the file.
struct Id3v2Header {
    char Marker[3];
    std::uint8_t Version;
    std::uint8_t Revision;
    std::uint8_t Flags;
    std::uint8_t Size[4];
};
static_assert(sizeof(Id3v2Header) == 10, "the ID3v2 header is ten bytes on disk");

inline constexpr std::uint8_t kId3v2UnsynchronisedFlag = 0x80;
inline constexpr std::uint8_t kId3v2ExtendedHeaderFlag = 0x40;
inline constexpr std::uint8_t kId3v2FooterFlag = 0x10;
inline constexpr int kId3v2HeaderSize = 10;

/// The size field read as four 7-bit groups. The top bit of each byte is not masked: files that
/// break the rule read as a larger size, which the callers then find passes the end of the file.
std::int64_t DecodeSynchsafe(const std::uint8_t (&size)[4]);
/// The size field for a tag body of `size` bytes; nothing when it does not fit 28 bits.
std::optional<std::array<std::uint8_t, 4>> EncodeSynchsafe(std::uint32_t size);
/// True when the header starts with "ID3".
bool HasId3v2Marker(const Id3v2Header& header);
/// The whole tag: header, body and, in a version 4 tag that says it has one, the footer.
std::int64_t Id3v2TagSize(const Id3v2Header& header);
/// Undoes unsynchronisation: each 0xFF 0x00 pair loses its zero byte.
QByteArray UndoUnsynchronisation(const QByteArray& bytes);

}  // namespace sw
