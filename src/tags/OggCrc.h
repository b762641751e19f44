#pragma once

#include <cstddef>
#include <cstdint>

namespace sw {

/// Continues the Ogg page checksum (CRC-32, polynomial 0x04C11DB7, no reflection, no final xor)
/// over `length` bytes. A page's checksum starts from 0 with its checksum field zeroed.
std::uint32_t OggCrcUpdate(std::uint32_t crc, const void* data, std::size_t length);

}  // namespace sw
