#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace sw {

/// The first packet that starts on a page: how many lacing values it takes and how many bytes.
struct FirstPacketExtent {
    int Segments = 0;
    std::int64_t Size = 0;
};

/// The first packet of a page's lacing values; nothing when every value is 255, which means the
/// packet goes on into the next page.
std::optional<FirstPacketExtent> FindFirstPacket(const std::vector<std::uint8_t>& lacing);

/// Lacing values for a first packet of `newSize` bytes followed by the page's other packets
/// unchanged. A size that is an exact multiple of 255 ends with a 0 value. Nothing when the page
/// would need more than 255 values, or the first packet does not end on the page.
std::optional<std::vector<std::uint8_t>> RelaceFirstPacket(const std::vector<std::uint8_t>& lacing,
                                                           std::int64_t newSize);

}  // namespace sw
