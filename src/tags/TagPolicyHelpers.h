#pragma once

// What the reading and the saving halves of TagPolicy share.

#include <QString>
#include <cstdint>
#include <memory>

#include "FlacTag.h"
#include "OggVorbis.h"
#include "core/Song.h"

namespace sw {

inline std::uint8_t GenreIdOrNone(int id) {
    return id < 0 || id > 255 ? kNoGenre : static_cast<std::uint8_t>(id);
}

inline std::unique_ptr<TVorbisComments> VorbisCommentsFor(const QString& fileType) {
    if (fileType == "FLAC") {
        return std::make_unique<TFlacTag>();
    }
    return std::make_unique<TOggVorbis>(fileType == "OPUS" ? OggCodec::Opus : OggCodec::Vorbis);
}

}  // namespace sw
