#include "OggLayout.h"

#include <cstring>

#include "ByteOrder.h"
#include "FileReader.h"
#include "Synchsafe.h"
#include "TagText.h"

namespace sw {

const std::array<const char*, 10> kVorbisCommentNames = {
    "", "TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};

namespace {

// Each comment is read at most this far; the rest of a longer one is skipped.
constexpr int kItemBuffer = 250;
// No comment header that fits one page is longer than this, so no vendor string either.
constexpr std::int64_t kLongestPageData = 255 * 255;

bool ReadPage(const FileReader& file, std::int64_t position, OggPage& page) {
    page = OggPage{};
    // Short reads leave zeros, which no check below mistakes for a page.
    file.ReadAt(position, &page.Header, sizeof page.Header);
    page.Lacing.resize(page.Header.Segments);
    if (!page.Lacing.empty()) {
        const std::int64_t got =
            file.ReadAt(position + kOggPageHeaderSize, page.Lacing.data(), page.Lacing.size());
        page.Lacing.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    }
    return page.HasCapture();
}

std::int64_t LeadingTagSize(const FileReader& file) {
    Id3v2Header header{};
    if (file.ReadAt(0, &header, sizeof header) != static_cast<std::int64_t>(sizeof header) ||
        !HasId3v2Marker(header)) {
        return 0;
    }
    const std::int64_t size = DecodeSynchsafe(header.Size) + ((header.Flags & kId3v2FooterFlag) ? 20 : 10);
    return size > file.Size() ? 0 : size;
}

int NameIndex(const QByteArray& name) {
    for (int index = 1; index < static_cast<int>(kVorbisCommentNames.size()); ++index) {
        if (name == kVorbisCommentNames[static_cast<std::size_t>(index)]) {
            return index;
        }
    }
    return -1;
}

void ReadComments(const FileReader& file, OggLayout& layout) {
    std::int64_t position = layout.CommentStart + kVorbisMarkerSize;
    for (std::int64_t item = 0; item == 0 || item <= layout.CommentCount; ++item) {
        unsigned char lengthBytes[4];
        if (file.ReadAt(position, lengthBytes, 4) != 4) {
            return;
        }
        const std::uint32_t length = ReadLe32(lengthBytes);
        QByteArray text = file.ReadAt(position + 4, std::min<std::uint32_t>(length, kItemBuffer));
        if (item == 0) {
            layout.RawVendor = file.ReadAt(
                position + 4, static_cast<std::size_t>(std::min<std::int64_t>(length, kLongestPageData)));
        }
        text = TrimTagBytes(text);
        position += 4 + std::int64_t{length};
        layout.CommentEndPos = position;
        if (position > file.Size()) {
            return;
        }
        if (item == 0) {
            layout.Items[0] = DecodeUtf8Lenient(text);
            if (file.ReadAt(position, lengthBytes, 4) != 4) {
                return;
            }
            layout.CommentCount = ReadLe32(lengthBytes);
            position += 4;
            layout.CommentEndPos = position;
            continue;
        }
        const qsizetype equals = text.indexOf('=');
        if (equals < 0) {
            continue;
        }
        const int index = NameIndex(text.left(equals).toUpper());
        if (index > 0) {
            layout.Items[static_cast<std::size_t>(index)] =
                DecodeUtf8Lenient(TrimTagBytes(text.mid(equals + 1)));
        }
    }
    layout.CommentsComplete = true;
}

}  // namespace

bool OggPage::HasCapture() const {
    return std::memcmp(Header.Capture, "OggS", 4) == 0;
}

bool LocateOggHeaders(const FileReader& file, OggLayout& layout) {
    layout = OggLayout{};
    layout.LeadingTagSize = LeadingTagSize(file);
    if (!ReadPage(file, layout.LeadingTagSize, layout.FirstPage)) {
        return false;
    }
    const std::int64_t idPos = layout.LeadingTagSize + kOggPageHeaderSize + layout.FirstPage.Header.Segments;
    const QByteArray idHeader = file.ReadAt(idPos, kVorbisIdHeaderSize);
    if (!idHeader.startsWith(QByteArray("\x01vorbis", 7))) {
        return false;
    }
    // The first page is taken to hold the identification header and nothing else.
    layout.SecondPagePos = idPos + kVorbisIdHeaderSize;
    ReadPage(file, layout.SecondPagePos, layout.SecondPage);
    layout.CommentStart = layout.SecondPagePos + kOggPageHeaderSize + layout.SecondPage.Header.Segments;
    layout.CommentMarker = file.ReadAt(layout.CommentStart, kVorbisMarkerSize);
    layout.HasCommentHeader = layout.CommentMarker == QByteArray("\x03vorbis", 7);
    if (layout.HasCommentHeader) {
        ReadComments(file, layout);
    }
    return true;
}

}  // namespace sw
