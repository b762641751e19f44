#include "ByteOrder.h"
#include "FileReader.h"
#include "FileRewrite.h"
#include "HeldFiles.h"
#include "Id3v2.h"
#include "Id3v2Frames.h"
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

std::optional<Id3v2Frame> TID3v2::FieldFrame(int kind, std::uint8_t version) const {
    // Text Windows-1252 cannot hold goes out in UTF-16 when Unicode tags are on, as "?" otherwise.
    const auto text = [this](const QString& value) {
        if (m_unicodeTags && !FitsWindows1252(value)) {
            return FrameContent{1, EncodeUtf16WithBom(value)};
        }
        return FrameContent{0, EncodeWindows1252(value)};
    };
    FrameContent content;
    switch (kind) {
        case kFrameTitle:
            content = text(m_title);
            break;
        case kFrameArtist:
            content = text(m_artist);
            break;
        case kFrameAlbum:
            content = text(m_album);
            break;
        case kFrameTrack:
            content.Bytes = m_track == 0 ? QByteArray() : QByteArray::number(m_track);
            break;
        case kFrameYear:
            content = text(m_year);
            break;
        case kFrameGenre:
            content = text(m_genre);
            break;
        case kFrameComment:
            if (!m_comment.isEmpty()) {
                // Language, then an empty description ended by its terminator, in the comment's
                // encoding.
                content = text(m_comment);
                const QByteArray description =
                    content.Encoding == 0 ? QByteArray(1, '\0') : EncodeUtf16WithBom({}) + QByteArray(2, '\0');
                content.Bytes.prepend(QByteArray("eng", 3) + description);
            }
            break;
        case kFrameComposer:
            content = text(m_composer);
            break;
        case kFrameEncoder:
            content = text(m_encoder);
            break;
        case kFrameCopyright:
            content = text(m_copyright);
            break;
        case kFrameLanguage:
            content = text(m_language);
            break;
        case kFrameLink:
            content.Bytes = m_link.isEmpty() ? QByteArray() : QByteArray(1, '\0') + EncodeWindows1252(m_link);
            break;
        default:
            break;
    }
    if (content.Bytes.isEmpty()) {
        return std::nullopt;
    }
    Id3v2Frame frame;
    // Version 4 keeps the year in the recording time.
    frame.Id = version >= 4 && kind == kFrameYear ? QByteArray("TDRC") : QByteArray(kId3v2FrameIds[kind]);
    frame.Data = QByteArray(1, content.Encoding) + content.Bytes;
    return frame;
}

QByteArray TID3v2::BuildTag() const {
    std::vector<Id3v2Frame> frames;
    for (int kind = 0; kind < kFrameKindCount; ++kind) {
        if (std::optional<Id3v2Frame> frame = FieldFrame(kind, 3)) {
            frames.push_back(std::move(*frame));
        }
    }
    return BuildId3v2Tag(3, frames);
}

std::vector<Id3v2Frame> TID3v2::MergedFrames(const Id3v2Layout& layout) const {
    const std::uint8_t version = layout.Exists ? layout.Version : 3;
    const std::array<QString, kFrameKindCount> now = FieldTexts();
    std::array<bool, kFrameKindCount> changed{};
    std::array<bool, kFrameKindCount> placed{};
    for (std::size_t kind = 0; kind < now.size(); ++kind) {
        changed[kind] = m_readPath.isEmpty() || now[kind] != m_readFields[kind];
    }
    // A changed field takes the place of its first frame; its other frames go.
    std::vector<Id3v2Frame> frames;
    for (const Id3v2Frame& frame : layout.Frames) {
        const int kind = FieldKindOf(frame, version);
        if (kind < 0 || !changed[static_cast<std::size_t>(kind)]) {
            frames.push_back(frame);
            continue;
        }
        if (!placed[static_cast<std::size_t>(kind)]) {
            placed[static_cast<std::size_t>(kind)] = true;
            if (std::optional<Id3v2Frame> replacement = FieldFrame(kind, version)) {
                frames.push_back(std::move(*replacement));
            }
        }
    }
    // Fields the tag did not hold yet come first, in the order of the frame table.
    std::vector<Id3v2Frame> added;
    for (int kind = 0; kind < kFrameKindCount; ++kind) {
        if (changed[static_cast<std::size_t>(kind)] && !placed[static_cast<std::size_t>(kind)]) {
            if (std::optional<Id3v2Frame> frame = FieldFrame(kind, version)) {
                added.push_back(std::move(*frame));
            }
        }
    }
    frames.insert(frames.begin(), added.begin(), added.end());
    return frames;
}

bool TID3v2::Save(const QString& path) {
    return Rebuild(path, false);
}

bool TID3v2::Remove(const QString& path) {
    return Rebuild(path, true);
}

bool TID3v2::Rebuild(const QString& path, bool removeTag) {
    int& stage = m_state.Id3v2WriteStage;
    m_state.Id3v2Error.clear();
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
    const Id3v2Layout layout = ReadId3v2Layout(source);
    stage = kStageNoTag;
    if (removeTag && !layout.Exists) {
        return false;
    }
    const auto refuse = [&](const QString& why) {
        stage = kStageUnreadableTag;
        m_state.Id3v2Error = why;
        return false;
    };
    if (!layout.Damage.isEmpty()) {
        return refuse(layout.Damage);
    }
    QByteArray tag;
    if (!removeTag) {
        if (layout.Exists && m_ignored && m_readPath == path) {
            return refuse(layout.Version == 4
                              ? "its ID3v2.4 tag is read only with \"Read and write Unicode tags\" on"
                              : "its ID3v2 tag holds Unicode text, read only with \"Read and write Unicode tags\" on");
        }
        const std::vector<Id3v2Frame> frames = MergedFrames(layout);
        if (frames.empty() && !layout.Exists) {
            stage = kStageDone;
            return true;
        }
        if (!frames.empty()) {
            tag = BuildId3v2Tag(layout.Exists ? layout.Version : 3, frames);
            if (tag.isEmpty()) {
                return refuse("the new ID3v2 tag would be too large");
            }
        }
        // A tag that comes out as it was needs no rewrite.
        if (tag.size() == layout.End && source.ReadAt(0, static_cast<std::size_t>(layout.End)) == tag) {
            stage = kStageDone;
            return true;
        }
    }
    stage = kStageRewrite;
    if (HeldFiles::IsHeld(path)) {
        return false;
    }
    FileRewrite rewrite(path);
    if (!rewrite.Begin() || !rewrite.Append(tag) || !rewrite.AppendFrom(source, layout.End, source.Size()) ||
        !rewrite.Commit()) {
        stage = kStageWriteFailed;
        m_state.Id3v2Error = rewrite.Error();
        return false;
    }
    stage = kStageDone;
    return true;
}

}  // namespace sw
