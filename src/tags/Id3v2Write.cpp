#include "ByteOrder.h"
#include "FileReader.h"
#include "FileRewrite.h"
#include "HeldFiles.h"
#include "Id3v2.h"
#include "Synchsafe.h"
#include "TagText.h"

namespace sw {

namespace {

/// A frame's content: the encoding byte and the bytes after it.
struct FrameContent {
    char Encoding = 0;
    QByteArray Bytes;
};

}  // namespace

QByteArray TID3v2::BuildTag() const {
    // Text Windows-1252 cannot hold goes out in UTF-16 when Unicode tags are on, as "?" otherwise.
    const auto text = [this](const QString& value) {
        if (m_unicodeTags && !FitsWindows1252(value)) {
            return FrameContent{1, EncodeUtf16WithBom(value)};
        }
        return FrameContent{0, EncodeWindows1252(value)};
    };
    std::array<FrameContent, kFrameKindCount> frames;
    frames[kFrameTitle] = text(m_title);
    frames[kFrameArtist] = text(m_artist);
    frames[kFrameAlbum] = text(m_album);
    frames[kFrameTrack].Bytes = m_track == 0 ? QByteArray() : QByteArray::number(m_track);
    frames[kFrameYear] = text(m_year);
    frames[kFrameGenre] = text(m_genre);
    if (!m_comment.isEmpty()) {
        // Language, then an empty description ended by its terminator, in the comment's encoding.
        frames[kFrameComment] = text(m_comment);
        const QByteArray description = frames[kFrameComment].Encoding == 0
                                           ? QByteArray(1, '\0')
                                           : EncodeUtf16WithBom({}) + QByteArray(2, '\0');
        frames[kFrameComment].Bytes.prepend(QByteArray("eng", 3) + description);
    }
    frames[kFrameComposer] = text(m_composer);
    frames[kFrameEncoder] = text(m_encoder);
    frames[kFrameCopyright] = text(m_copyright);
    frames[kFrameLanguage] = text(m_language);
    frames[kFrameLink].Bytes =
        m_link.isEmpty() ? QByteArray() : QByteArray(1, '\0') + EncodeWindows1252(m_link);

    QByteArray body;
    for (int kind = 0; kind < kFrameKindCount; ++kind) {
        const FrameContent& frame = frames[static_cast<std::size_t>(kind)];
        if (frame.Bytes.isEmpty()) {
            continue;
        }
        body.append(kId3v2FrameIds[static_cast<std::size_t>(kind)], 4);
        AppendBe32(body, static_cast<std::uint32_t>(frame.Bytes.size() + 1));
        body.append(2, '\0');  // flags
        body.append(frame.Encoding);
        body.append(frame.Bytes);
    }
    const auto size = EncodeSynchsafe(static_cast<std::uint32_t>(body.size()));
    if (!size || body.size() >= (1 << 28)) {
        return {};
    }
    QByteArray tag("ID3", 3);
    tag.append(char{3});
    tag.append(char{0});
    tag.append(char{0});
    tag.append(reinterpret_cast<const char*>(size->data()), 4);
    return tag + body;
}

bool TID3v2::Save(const QString& path) {
    const QByteArray tag = BuildTag();
    if (tag.isEmpty()) {
        // Only fields far beyond anything a tag can hold get here.
        m_state.Id3v2WriteStage = kStageRewrite;
        return false;
    }
    return Rebuild(path, &tag);
}

bool TID3v2::Remove(const QString& path) {
    // Reading must not disturb what the caller knows about Unicode frames of the last read.
    TagState scratch;
    TID3v2 current(scratch);
    if (!current.Read(path)) {
        m_state.Id3v2WriteStage = IsRegularFile(path) ? kStageHeader : kStageNoFile;
        return false;
    }
    // A size that passes the end of the file leaves nothing that could be cut off.
    if (!current.Exists() || current.Size() == 0) {
        m_state.Id3v2WriteStage = kStageNoTag;
        return false;
    }
    return Rebuild(path, nullptr);
}

bool TID3v2::Rebuild(const QString& path, const QByteArray* newTag) {
    int& stage = m_state.Id3v2WriteStage;
    stage = kStageNoFile;
    if (!IsRegularFile(path)) {
        return false;
    }
    stage = kStageAttributes;
    if (!MakeOwnerWritable(path)) {
        return false;
    }
    stage = kStageHeader;
    FileReader source;
    if (!source.Open(path)) {
        return false;
    }
    Id3v2Header header{};
    if (source.ReadAt(0, &header, sizeof header) != static_cast<std::int64_t>(sizeof header)) {
        return false;
    }
    const bool hasTag = HasId3v2Marker(header);
    std::int64_t skip = 0;
    if (hasTag) {
        skip = Id3v2TagSize(header);
        if (skip > source.Size()) {
            skip = 0;
        }
    }
    stage = kStageNoTag;
    // A size that passes the end of the file leaves nothing that could be cut off.
    if (newTag == nullptr && (!hasTag || skip == 0)) {
        return false;
    }
    stage = kStageRewrite;
    if (HeldFiles::IsHeld(path)) {
        return false;
    }
    FileRewrite rewrite(path);
    if (!rewrite.Begin() || (newTag != nullptr && !rewrite.Append(*newTag)) ||
        !rewrite.AppendFrom(source, skip, source.Size()) || !rewrite.Commit()) {
        return false;
    }
    stage = kStageDone;
    return true;
}

}  // namespace sw
