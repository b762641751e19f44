#pragma once

#include <QByteArray>
#include <cstdint>

#include "OggPages.h"
#include "VorbisComments.h"

namespace sw {

class FileReader;

/// The Ogg codecs whose comment headers this program reads and writes.
enum class OggCodec { Vorbis, Opus };

/// What opens each header packet of a codec's stream.
struct OggCodecHeaders {
    QByteArray Identification;
    /// Also the size of what stands in front of the comments.
    QByteArray Comment;
    /// Empty for Opus, whose audio follows its comment header.
    QByteArray Setup;
    int HeaderPackets = 0;
};
const OggCodecHeaders& HeadersOf(OggCodec codec);

/// Where the header packets of a file lie, and the comments read from them.
struct OggLayout {
    /// Bytes of an ID3v2 tag in front of the Ogg data.
    std::int64_t LeadingTagSize = 0;
    /// The identification and comment packets, and the setup packet when it was asked for.
    OggPacketWalk Walk;
    bool HasCommentHeader = false;
    VorbisCommentBlock Comments;
};

/// Finds the identification and comment headers of the codec and reads the comments; with
/// `allHeaders` the walk goes on to the end of the last header packet. False when the file is not
/// of the codec: no "OggS" page where one belongs, or not its identification header in the first
/// packet.
bool LocateOggHeaders(const FileReader& file, OggLayout& layout, OggCodec codec, bool allHeaders = false);

}  // namespace sw
