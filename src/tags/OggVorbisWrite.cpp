#include <cstring>

#include "ByteOrder.h"
#include "FileReader.h"
#include "FileRewrite.h"
#include "HeldFiles.h"
#include "OggCrc.h"
#include "OggLayout.h"
#include "OggPages.h"
#include "OggVorbis.h"

namespace sw {

namespace {

constexpr int kCommentPacket = 1;
constexpr int kSetupPacket = 2;

/// Why the headers found cannot be rewritten, or None.
OggSaveFailure CheckHeaderLayout(const FileReader& file, const OggLayout& layout,
                                 const OggCodecHeaders& headers) {
    const OggPacketWalk& walk = layout.Walk;
    if (!layout.HasCommentHeader) {
        return OggSaveFailure::NoCommentHeader;
    }
    // The identification header has the first page to itself, and the comment header opens
    // the stream's next page.
    if (walk.Packets[0].LastPage != 0 || walk.Packets[kCommentPacket].FirstPage != 1 || walk.ForeignPages) {
        return OggSaveFailure::UnusualLayout;
    }
    const OggPacketPlace& lastHeader = walk.Packets.back();
    if (walk.Broken || walk.FlagsDisagree || static_cast<int>(walk.Packets.size()) < headers.HeaderPackets ||
        !lastHeader.Complete || !layout.Comments.CommentsComplete ||
        layout.Comments.CommentEnd > walk.Packets[kCommentPacket].Size) {
        return OggSaveFailure::DamagedHeaders;
    }
    if (!headers.Setup.isEmpty() &&
        ReadPacketBytes(file, walk.Packets[kSetupPacket], 0, headers.Setup.size()) != headers.Setup) {
        return OggSaveFailure::DamagedHeaders;
    }
    for (const OggPage& page : walk.Pages) {
        if (page.Header.Version != 0) {
            return OggSaveFailure::DamagedHeaders;
        }
    }
    // The audio starts on a page of its own.
    if (walk.MoreOnLastPage) {
        return OggSaveFailure::UnusualLayout;
    }
    return OggSaveFailure::None;
}

/// Copies the pages from `position` on, adding `shift` to the sequence numbers of the stream's
/// pages and checksumming them again, up to the end of the stream. Other streams' pages, and
/// anything that is not a whole page, are copied as they are.
bool AppendRenumbered(const FileReader& source, std::int64_t position, const std::uint8_t (&serial)[4],
                      std::uint32_t shift, FileRewrite& rewrite) {
    while (position < source.Size()) {
        OggPage page;
        if (!ReadOggPage(source, position, page) || !page.IsWhole() ||
            position + page.Size() > source.Size()) {
            break;
        }
        const std::int64_t end = position + page.Size();
        if (std::memcmp(page.Header.Serial, serial, 4) != 0) {
            if (!rewrite.AppendFrom(source, position, end)) {
                return false;
            }
            position = end;
            continue;
        }
        QByteArray bytes = source.ReadAt(position, static_cast<std::size_t>(page.Size()));
        if (bytes.size() != page.Size()) {
            break;
        }
        auto* raw = reinterpret_cast<unsigned char*>(bytes.data());
        WriteLe32(raw + kOggSequenceOffset, ReadLe32(raw + kOggSequenceOffset) + shift);
        WriteLe32(raw + kOggChecksumOffset, 0);
        WriteLe32(raw + kOggChecksumOffset,
                  OggCrcUpdate(0, bytes.constData(), static_cast<std::size_t>(bytes.size())));
        if (!rewrite.Append(bytes)) {
            return false;
        }
        position = end;
        if (page.Header.Flags & kOggEndOfStream) {
            break;
        }
    }
    return rewrite.AppendFrom(source, position, source.Size());
}

}  // namespace

bool TOggVorbis::Save(const QString& path) {
    StartSave();
    const OggCodecHeaders& headers = HeadersOf(m_codec);
    FileReader source;
    OggLayout layout;
    if (!source.Open(path)) {
        return Fail(IsRegularFile(path) ? OggSaveFailure::RewriteFailed : OggSaveFailure::NoFile);
    }
    if (!LocateOggHeaders(source, layout, m_codec, true)) {
        return Fail(OggSaveFailure::NotVorbis);
    }
    if (const OggSaveFailure refused = CheckHeaderLayout(source, layout, headers);
        refused != OggSaveFailure::None) {
        return Fail(refused);
    }
    const OggPacketWalk& walk = layout.Walk;
    // The comment header and, for Vorbis, the setup header after it.
    std::vector<QByteArray> packets;
    for (std::size_t index = kCommentPacket; index < walk.Packets.size(); ++index) {
        const OggPacketPlace& place = walk.Packets[index];
        packets.push_back(ReadPacketBytes(source, place, 0, place.Size));
        if (packets.back().size() != place.Size) {
            return Fail(OggSaveFailure::DamagedHeaders);
        }
    }
    const QByteArray oldComment = packets.front();
    const VorbisCommentBlock& comments = layout.Comments;
    const QByteArray vendor = VendorToWrite(oldComment.mid(comments.Vendor.Offset, comments.Vendor.Length));
    packets.front() =
        BuildVorbisComments(oldComment, headers.Comment.size(), comments, vendor, ChangesFrom(comments));

    // The header pages after the identification page are laid out anew; an end-of-stream mark
    // on the last of them (a stream without audio) stays on the last.
    const OggPageHeader& secondPage = walk.Pages[1].Header;
    const OggPageHeader& lastHeaderPage = walk.Pages.back().Header;
    const std::uint32_t serial = ReadLe32(secondPage.Serial);
    const std::uint32_t firstSequence = ReadLe32(secondPage.Sequence);
    const std::vector<QByteArray> pages =
        PaginatePackets(packets, serial, firstSequence, lastHeaderPage.Flags & kOggEndOfStream);
    const auto oldPageCount = static_cast<std::uint32_t>(walk.Pages.size() - 1);
    const std::uint32_t shift = static_cast<std::uint32_t>(pages.size()) - oldPageCount;

    if (!IsRegularFile(path)) {
        return Fail(OggSaveFailure::NoFile);
    }
    if (!MakeOwnerWritable(path)) {
        return Fail(OggSaveFailure::Attributes);
    }
    if (HeldFiles::IsHeld(path)) {
        return Fail(OggSaveFailure::InUse);
    }
    FileRewrite rewrite(path);
    bool written = rewrite.Begin() && rewrite.AppendFrom(source, 0, walk.PagePositions[1]);
    for (const QByteArray& page : pages) {
        written = written && rewrite.Append(page);
    }
    written = written && (shift == 0 ? rewrite.AppendFrom(source, walk.End, source.Size())
                                     : AppendRenumbered(source, walk.End, secondPage.Serial, shift, rewrite));
    if (!written || !rewrite.Commit()) {
        m_error = rewrite.Error();
        return Fail(OggSaveFailure::RewriteFailed);
    }
    return true;
}

}  // namespace sw
