#include "ByteOrder.h"
#include "FileReader.h"
#include "FileRewrite.h"
#include "HeldFiles.h"
#include "Id3v2.h"
#include "Synchsafe.h"
#include "TagText.h"

namespace sw {

namespace {

constexpr int kHeaderSize = 10;

}  // namespace

QByteArray TID3v2::BuildTag() const {
    std::array<QByteArray, kFrameKindCount> texts;
    texts[kFrameTitle] = EncodeWindows1252(m_title);
    texts[kFrameArtist] = EncodeWindows1252(m_artist);
    texts[kFrameAlbum] = EncodeWindows1252(m_album);
    texts[kFrameTrack] = m_track == 0 ? QByteArray() : QByteArray::number(m_track);
    texts[kFrameYear] = EncodeWindows1252(m_year);
    texts[kFrameGenre] = EncodeWindows1252(m_genre);
    // Language, then an empty description ended by its zero byte.
    texts[kFrameComment] =
        m_comment.isEmpty() ? QByteArray() : QByteArray("eng", 3) + '\0' + EncodeWindows1252(m_comment);
    texts[kFrameComposer] = EncodeWindows1252(m_composer);
    texts[kFrameEncoder] = EncodeWindows1252(m_encoder);
    texts[kFrameCopyright] = EncodeWindows1252(m_copyright);
    texts[kFrameLanguage] = EncodeWindows1252(m_language);
    texts[kFrameLink] = m_link.isEmpty() ? QByteArray() : QByteArray(1, '\0') + EncodeWindows1252(m_link);

    QByteArray frames;
    for (int kind = 0; kind < kFrameKindCount; ++kind) {
        const QByteArray& text = texts[static_cast<std::size_t>(kind)];
        if (text.isEmpty()) {
            continue;
        }
        frames.append(kId3v2FrameIds[static_cast<std::size_t>(kind)], 4);
        AppendBe32(frames, static_cast<std::uint32_t>(text.size() + 1));
        frames.append(2, '\0');  // flags
        frames.append('\0');     // single-byte text
        frames.append(text);
    }
    const auto size = EncodeSynchsafe(static_cast<std::uint32_t>(frames.size()));
    if (!size || frames.size() >= (1 << 28)) {
        return {};
    }
    QByteArray tag("ID3", 3);
    tag.append(char{3});
    tag.append(char{0});
    tag.append(char{0});
    tag.append(reinterpret_cast<const char*>(size->data()), 4);
    return tag + frames;
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
        skip = DecodeSynchsafe(header.Size) + kHeaderSize;
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
