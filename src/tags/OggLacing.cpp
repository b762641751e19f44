#include "OggLacing.h"

namespace sw {

std::optional<FirstPacketExtent> FindFirstPacket(const std::vector<std::uint8_t>& lacing) {
    FirstPacketExtent extent;
    for (const std::uint8_t value : lacing) {
        ++extent.Segments;
        extent.Size += value;
        if (value != 255) {
            return extent;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> RelaceFirstPacket(const std::vector<std::uint8_t>& lacing,
                                                           std::int64_t newSize) {
    const std::optional<FirstPacketExtent> first = FindFirstPacket(lacing);
    if (!first || newSize < 0) {
        return std::nullopt;
    }
    const std::int64_t fullSegments = newSize / 255;
    const std::int64_t count = fullSegments + 1 + static_cast<std::int64_t>(lacing.size()) - first->Segments;
    if (count > 255) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> result(static_cast<std::size_t>(fullSegments), 255);
    result.push_back(static_cast<std::uint8_t>(newSize % 255));
    result.insert(result.end(), lacing.begin() + first->Segments, lacing.end());
    return result;
}

}  // namespace sw
