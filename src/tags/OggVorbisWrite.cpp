#include <cstring>
#include <optional>

#include "ByteOrder.h"
#include "FileReader.h"
#include "FileRewrite.h"
#include "HeldFiles.h"
#include "OggCrc.h"
#include "OggLacing.h"
#include "OggLayout.h"
#include "OggVorbis.h"
#include "TagText.h"

namespace sw {

namespace {

/// The comment header's new bytes up to (not including) what followed the last comment, which
/// is normally the framing byte and stays as it was.
QByteArray BuildCommentData(const QByteArray& marker, const QByteArray& vendor,
                            const std::array<QString, 10>& items) {
    QByteArray data = marker;
    AppendLe32(data, static_cast<std::uint32_t>(vendor.size()));
    data.append(vendor);
    std::uint32_t count = 0;
    for (std::size_t index = 1; index < items.size(); ++index) {
        count += items[index].isEmpty() ? 0 : 1;
    }
    AppendLe32(data, count);
    for (std::size_t index = 1; index < items.size(); ++index) {
        if (items[index].isEmpty()) {
            continue;
        }
        const QByteArray comment = QByteArray(kVorbisCommentNames[index]) + '=' + items[index].toUtf8();
        AppendLe32(data, static_cast<std::uint32_t>(comment.size()));
        data.append(comment);
    }
    return data;
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
    if (!LocateOggHeaders(source, layout)) {
        return Fail(OggSaveFailure::NotVorbis);
    }

    // Only a layout where the identification header has the first page to itself and the comment
    // header opens the stream's next page can be rewritten by replacing that one page.
    const OggPage& first = layout.FirstPage;
    const OggPage& second = layout.SecondPage;
    if (first.Lacing.size() != 1 || first.Lacing[0] != kVorbisIdHeaderSize || !second.HasCapture() ||
        second.Header.Version != 0 || (second.Header.Flags & kOggContinuedPacket) ||
        std::memcmp(first.Header.Serial, second.Header.Serial, 4) != 0 ||
        second.Lacing.size() != second.Header.Segments) {
        return Fail(layout.HasCommentHeader ? OggSaveFailure::CommentNotOnSecondPage
                                            : OggSaveFailure::NoCommentHeader);
    }
    if (!layout.HasCommentHeader) {
        return Fail(OggSaveFailure::NoCommentHeader);
    }
    const std::optional<FirstPacketExtent> packet = FindFirstPacket(second.Lacing);
    std::int64_t pageData = 0;
    for (const std::uint8_t value : second.Lacing) {
        pageData += value;
    }
    const std::int64_t packetEnd = layout.CommentStart + (packet ? packet->Size : 0);
    const std::int64_t pageEnd = layout.CommentStart + pageData;
    if (!packet || !layout.CommentsComplete || layout.CommentEndPos > packetEnd || pageEnd > source.Size()) {
        return Fail(OggSaveFailure::CommentPastPage);
    }

    std::array<QString, 10> items;
    items[1] = TrimTagText(m_title);
    items[2] = TrimTagText(m_artist);
    items[3] = TrimTagText(m_album);
    items[4] = m_track == 0 ? QString() : QString::number(m_track);
    items[5] = TrimTagText(m_date);
    items[6] = TrimTagText(m_genre);
    items[7] = TrimTagText(m_comment);
    const QByteArray vendor = m_vendorSet ? m_vendor.toUtf8() : layout.RawVendor;
    const QByteArray commentData = BuildCommentData(layout.CommentMarker, vendor, items);

    const std::int64_t newPacketSize =
        packet->Size + commentData.size() - (layout.CommentEndPos - layout.CommentStart);
    const std::optional<std::vector<std::uint8_t>> lacing = RelaceFirstPacket(second.Lacing, newPacketSize);
    if (!lacing) {
        return Fail(OggSaveFailure::TooManyLacingValues);
    }

    OggPageHeader header = second.Header;
    header.Segments = static_cast<std::uint8_t>(lacing->size());
    std::memset(header.Checksum, 0, sizeof header.Checksum);
    QByteArray page(reinterpret_cast<const char*>(&header), sizeof header);
    page.append(reinterpret_cast<const char*>(lacing->data()), static_cast<qsizetype>(lacing->size()));
    page.append(commentData);
    // What followed the comments stays: the framing byte and the page's later packets.
    const QByteArray rest =
        source.ReadAt(layout.CommentEndPos, static_cast<std::size_t>(pageEnd - layout.CommentEndPos));
    if (rest.size() != pageEnd - layout.CommentEndPos) {
        return Fail(OggSaveFailure::CommentPastPage);
    }
    page.append(rest);
    WriteLe32(reinterpret_cast<unsigned char*>(page.data()) + 22,
              OggCrcUpdate(0, page.constData(), static_cast<std::size_t>(page.size())));

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
    if (!rewrite.Begin() || !rewrite.AppendFrom(source, 0, layout.SecondPagePos) || !rewrite.Append(page) ||
        !rewrite.AppendFrom(source, pageEnd, source.Size()) || !rewrite.Commit()) {
        m_error = rewrite.Error();
        return Fail(OggSaveFailure::RewriteFailed);
    }
    return true;
}

}  // namespace sw
