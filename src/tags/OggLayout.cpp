#include "OggLayout.h"

#include "FileReader.h"

namespace sw {

const OggCodecHeaders& HeadersOf(OggCodec codec) {
    static const OggCodecHeaders vorbis{QByteArray("\x01vorbis", 7), QByteArray("\x03vorbis", 7),
                                        QByteArray("\x05vorbis", 7), 3};
    static const OggCodecHeaders opus{QByteArray("OpusHead"), QByteArray("OpusTags"), QByteArray(), 2};
    return codec == OggCodec::Opus ? opus : vorbis;
}

bool LocateOggHeaders(const FileReader& file, OggLayout& layout, OggCodec codec, bool allHeaders) {
    const OggCodecHeaders& headers = HeadersOf(codec);
    layout = OggLayout{};
    layout.LeadingTagSize = LeadingId3v2Size(file);
    layout.Walk = WalkOggPackets(file, layout.LeadingTagSize, allHeaders ? headers.HeaderPackets : 2);
    const std::vector<OggPacketPlace>& found = layout.Walk.Packets;
    if (found.empty() ||
        ReadPacketBytes(file, found[0], 0, headers.Identification.size()) != headers.Identification) {
        return false;
    }
    if (found.size() >= 2) {
        layout.HasCommentHeader =
            ReadPacketBytes(file, found[1], 0, headers.Comment.size()) == headers.Comment;
    }
    if (layout.HasCommentHeader) {
        ReadVorbisComments(file, found[1], headers.Comment.size(), layout.Comments);
    }
    return true;
}

}  // namespace sw
