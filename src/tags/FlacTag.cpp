#include "FlacTag.h"

#include "FileReader.h"
#include "FileRewrite.h"
#include "FlacLayout.h"
#include "HeldFiles.h"

namespace sw {

namespace {

// Room left for the comments to grow after a save that has to rewrite the whole file.
constexpr std::uint32_t kPaddingAfterRewrite = 4096;
// An in-place save writes at most this much; past it (a large picture behind the comments) the
// file is rewritten instead.
constexpr std::int64_t kLongestInPlaceWrite = 256 * 1024;

/// A metadata block of the new layout: its bytes in memory (the comments), or where its data
/// lies in the old file.
struct NewBlock {
    std::uint8_t Type = 0;
    const FlacBlock* Old = nullptr;
    QByteArray Data;
    std::uint32_t Length() const {
        return Old != nullptr ? Old->Length : static_cast<std::uint32_t>(Data.size());
    }
    std::int64_t Size() const { return kFlacBlockHeaderSize + std::int64_t{Length()}; }
};

/// The blocks other than padding in their old order, the comment block replaced by `comments`,
/// or put in front of the first padding block (at the end when there is none) where the file had
/// no comment block. A second comment block, which some taggers leave behind, stays as it is.
std::vector<NewBlock> BlocksWithComments(const FlacLayout& layout, const QByteArray& comments) {
    std::vector<NewBlock> blocks;
    bool placed = false;
    for (std::size_t index = 0; index < layout.Blocks.size(); ++index) {
        const FlacBlock& old = layout.Blocks[index];
        if (static_cast<int>(index) == layout.CommentBlock) {
            blocks.push_back({kFlacVorbisComment, nullptr, comments});
            placed = true;
        } else if (old.Type == kFlacPadding) {
            if (!placed && layout.CommentBlock < 0) {
                blocks.push_back({kFlacVorbisComment, nullptr, comments});
                placed = true;
            }
        } else {
            blocks.push_back({old.Type, &old, {}});
        }
    }
    if (!placed) {
        blocks.push_back({kFlacVorbisComment, nullptr, comments});
    }
    return blocks;
}

/// The bytes of the blocks, each header with the last-block flag on the padding that ends them.
QByteArray Serialise(const FileReader& file, const std::vector<NewBlock>& blocks, std::uint32_t padding) {
    QByteArray bytes;
    for (const NewBlock& block : blocks) {
        bytes.append(FlacBlockHeader(block.Type, block.Length(), false));
        bytes.append(block.Old != nullptr ? file.ReadAt(block.Old->DataOffset(), block.Old->Length)
                                          : block.Data);
    }
    bytes.append(FlacBlockHeader(kFlacPadding, padding, true));
    bytes.append(QByteArray(static_cast<qsizetype>(padding), '\0'));
    return bytes;
}

}  // namespace

QString TFlacTag::LastFailureText() const {
    switch (m_failure) {
        case OggSaveFailure::NotVorbis:
            return "not a FLAC file";
        case OggSaveFailure::DamagedHeaders:
        case OggSaveFailure::UnusualLayout:
        case OggSaveFailure::NoCommentHeader:
            return "damaged FLAC metadata";
        default:
            return OggSaveFailureText(m_failure);
    }
}

bool TFlacTag::Read(const QString& path) {
    Clear();
    FileReader file;
    FlacLayout layout;
    if (!file.Open(path) || !LocateFlacMetadata(file, layout)) {
        return false;
    }
    FillFromItems(layout.Comments.Items);
    return true;
}

bool TFlacTag::Save(const QString& path) {
    StartSave();
    m_inPlace = false;
    FileReader source;
    FlacLayout layout;
    if (!source.Open(path)) {
        return Fail(IsRegularFile(path) ? OggSaveFailure::RewriteFailed : OggSaveFailure::NoFile);
    }
    if (!LocateFlacMetadata(source, layout)) {
        return Fail(OggSaveFailure::NotVorbis);
    }
    const VorbisCommentBlock& comments = layout.Comments;
    const FlacBlock* oldBlock =
        layout.CommentBlock < 0 ? nullptr : &layout.Blocks[static_cast<std::size_t>(layout.CommentBlock)];
    if (!layout.Complete ||
        (oldBlock != nullptr && (!comments.CommentsComplete || comments.CommentEnd > oldBlock->Length))) {
        return Fail(OggSaveFailure::DamagedHeaders);
    }
    const QByteArray oldData =
        oldBlock == nullptr ? QByteArray() : source.ReadAt(oldBlock->DataOffset(), oldBlock->Length);
    if (oldBlock != nullptr && oldData.size() != oldBlock->Length) {
        return Fail(OggSaveFailure::DamagedHeaders);
    }
    const QByteArray vendor = VendorToWrite(oldData.mid(comments.Vendor.Offset, comments.Vendor.Length));
    const QByteArray data = BuildVorbisComments(oldData, 0, comments, vendor, ChangesFrom(comments));
    if (data.size() > kFlacLongestBlock) {
        return Fail(OggSaveFailure::DamagedHeaders);
    }
    const std::vector<NewBlock> blocks = BlocksWithComments(layout, data);

    if (!IsRegularFile(path)) {
        return Fail(OggSaveFailure::NoFile);
    }
    if (!MakeOwnerWritable(path)) {
        return Fail(OggSaveFailure::Attributes);
    }
    if (HeldFiles::IsHeld(path)) {
        return Fail(OggSaveFailure::InUse);
    }

    // In place: the blocks in front of the first one that changes (the comments or the first
    // padding) stay where they are, the rest follows them, and the padding takes up what is left.
    const std::int64_t metadataStart = layout.Blocks.front().Offset;
    std::int64_t changeStart = layout.AudioStart;
    for (const FlacBlock& old : layout.Blocks) {
        if (old.Type == kFlacVorbisComment || old.Type == kFlacPadding) {
            changeStart = std::min(changeStart, old.Offset);
        }
    }
    std::vector<NewBlock> moved;
    std::int64_t kept = 0;
    for (const NewBlock& block : blocks) {
        if (block.Old != nullptr && block.Old->Offset < changeStart) {
            kept += block.Size();
        } else {
            moved.push_back(block);
        }
    }
    std::int64_t movedSize = 0;
    for (const NewBlock& block : moved) {
        movedSize += block.Size();
    }
    const std::int64_t room = layout.AudioStart - changeStart;
    const std::int64_t padding = room - movedSize - kFlacBlockHeaderSize;
    if (metadataStart + kept == changeStart && padding >= 0 && padding <= kFlacLongestBlock &&
        room <= kLongestInPlaceWrite) {
        const QByteArray region = Serialise(source, moved, static_cast<std::uint32_t>(padding));
        const QByteArray previous = source.ReadAt(changeStart, static_cast<std::size_t>(room));
        if (region.size() != room || previous.size() != room) {
            return Fail(OggSaveFailure::DamagedHeaders);
        }
        if (!OverwriteInPlace(path, changeStart, region, previous, m_error)) {
            return Fail(OggSaveFailure::RewriteFailed);
        }
        m_inPlace = true;
        return true;
    }

    const QByteArray metadata = Serialise(source, blocks, kPaddingAfterRewrite);
    if (metadata.isEmpty()) {
        return Fail(OggSaveFailure::DamagedHeaders);
    }
    FileRewrite rewrite(path);
    const bool written = rewrite.Begin() && rewrite.AppendFrom(source, 0, metadataStart) &&
                         rewrite.Append(metadata) &&
                         rewrite.AppendFrom(source, layout.AudioStart, source.Size()) && rewrite.Commit();
    if (!written) {
        m_error = rewrite.Error();
        return Fail(OggSaveFailure::RewriteFailed);
    }
    return true;
}

}  // namespace sw
