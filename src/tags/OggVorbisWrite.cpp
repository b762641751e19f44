#include <cstring>

#include "ByteOrder.h"
#include "FileReader.h"
#include "FileRewrite.h"
#include "HeldFiles.h"
#include "OggCrc.h"
#include "OggLayout.h"
#include "OggPages.h"
#include "OggVorbis.h"
#include "TagText.h"

namespace sw {

namespace {

constexpr int kCommentPacket = 1;
constexpr int kSetupPacket = 2;

/// The new comment header: the marker, the vendor, the count, the named comments in index order
/// and then the kept ones, and last whatever followed the old comments (the framing byte).
QByteArray BuildCommentPacket(const QByteArray& old, const OggLayout& layout, const QByteArray& vendor,
                              const std::array<QString, 10>& items) {
    QByteArray packet = old.left(kVorbisMarkerSize);
    AppendLe32(packet, static_cast<std::uint32_t>(vendor.size()));
    packet.append(vendor);
    std::uint32_t count = static_cast<std::uint32_t>(layout.KeptComments.size());
    for (std::size_t index = 1; index < items.size(); ++index) {
        count += items[index].isEmpty() ? 0 : 1;
    }
    AppendLe32(packet, count);
    for (std::size_t index = 1; index < items.size(); ++index) {
        if (items[index].isEmpty()) {
            continue;
        }
        const QByteArray comment = QByteArray(kVorbisCommentNames[index]) + '=' + items[index].toUtf8();
        AppendLe32(packet, static_cast<std::uint32_t>(comment.size()));
        packet.append(comment);
    }
    for (const VorbisCommentPlace& kept : layout.KeptComments) {
        AppendLe32(packet, kept.Length);
        packet.append(old.mid(kept.Offset, kept.Length));
    }
    packet.append(old.mid(layout.CommentEnd));
    return packet;
}

/// Why the headers found cannot be rewritten, or None.
OggSaveFailure CheckHeaderLayout(const FileReader& file, const OggLayout& layout) {
    const OggPacketWalk& walk = layout.Walk;
    if (!layout.HasCommentHeader) {
        return OggSaveFailure::NoCommentHeader;
    }
    // The identification header has the first page to itself, and the comment header opens
    // the stream's next page.
    if (walk.Packets[0].LastPage != 0 || walk.Packets[kCommentPacket].FirstPage != 1 || walk.ForeignPages) {
        return OggSaveFailure::UnusualLayout;
    }
    if (walk.Broken || walk.FlagsDisagree || walk.Packets.size() <= kSetupPacket ||
        !walk.Packets[kSetupPacket].Complete || !layout.CommentsComplete ||
        layout.CommentEnd > walk.Packets[kCommentPacket].Size ||
        ReadPacketBytes(file, walk.Packets[kSetupPacket], 0, kVorbisMarkerSize) !=
            QByteArray("\x05vorbis", 7)) {
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

bool TOggVorbis::Fail(OggSaveFailure failure) {
    m_failure = failure;
    return false;
}

bool TOggVorbis::Save(const QString& path) {
    m_failure = OggSaveFailure::None;
    m_error.clear();
    FileReader source;
    OggLayout layout;
    if (!source.Open(path)) {
        return Fail(IsRegularFile(path) ? OggSaveFailure::RewriteFailed : OggSaveFailure::NoFile);
    }
    if (!LocateOggHeaders(source, layout, kSetupPacket + 1)) {
        return Fail(OggSaveFailure::NotVorbis);
    }
    if (const OggSaveFailure refused = CheckHeaderLayout(source, layout); refused != OggSaveFailure::None) {
        return Fail(refused);
    }
    const OggPacketWalk& walk = layout.Walk;
    const OggPacketPlace& commentPlace = walk.Packets[kCommentPacket];
    const OggPacketPlace& setupPlace = walk.Packets[kSetupPacket];
    const QByteArray oldComment = ReadPacketBytes(source, commentPlace, 0, commentPlace.Size);
    const QByteArray setup = ReadPacketBytes(source, setupPlace, 0, setupPlace.Size);
    if (oldComment.size() != commentPlace.Size || setup.size() != setupPlace.Size) {
        return Fail(OggSaveFailure::DamagedHeaders);
    }

    std::array<QString, 10> items;
    items[1] = TrimTagText(m_title);
    items[2] = TrimTagText(m_artist);
    items[3] = TrimTagText(m_album);
    items[4] = m_track == 0 ? QString() : QString::number(m_track);
    items[5] = TrimTagText(m_date);
    items[6] = TrimTagText(m_genre);
    items[7] = TrimTagText(m_comment);
    const QByteArray vendor =
        m_vendorSet ? m_vendor.toUtf8() : oldComment.mid(layout.Vendor.Offset, layout.Vendor.Length);
    const QByteArray comment = BuildCommentPacket(oldComment, layout, vendor, items);

    // The header pages after the identification page are laid out anew; an end-of-stream mark
    // on the last of them (a stream without audio) stays on the last.
    const OggPageHeader& secondPage = walk.Pages[1].Header;
    const OggPageHeader& lastHeaderPage = walk.Pages.back().Header;
    const std::uint32_t serial = ReadLe32(secondPage.Serial);
    const std::uint32_t firstSequence = ReadLe32(secondPage.Sequence);
    const std::vector<QByteArray> pages =
        PaginatePackets({comment, setup}, serial, firstSequence, lastHeaderPage.Flags & kOggEndOfStream);
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
