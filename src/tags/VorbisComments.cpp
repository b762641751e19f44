#include "VorbisComments.h"

#include <algorithm>

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

// Embedded pictures, in the standard form and the older one; a retag must not lose the cover.
const std::array<const char*, 3> kKeptCommentNames = {"METADATA_BLOCK_PICTURE", "COVERART", "COVERARTMIME"};

int NameIndex(const QByteArray& name) {
    for (int index = 1; index < static_cast<int>(kVorbisCommentNames.size()); ++index) {
        if (name == kVorbisCommentNames[static_cast<std::size_t>(index)]) {
            return index;
        }
    }
    return -1;
}

bool IsKeptName(const QByteArray& name) {
    for (const char* kept : kKeptCommentNames) {
        if (name == kept) {
            return true;
        }
    }
    return false;
}

}  // namespace

void ReadVorbisComments(const FileReader& file, const OggPacketPlace& place, std::int64_t start,
                        VorbisCommentBlock& block) {
    std::int64_t position = start;
    for (std::int64_t item = 0; item == 0 || item <= block.CommentCount; ++item) {
        const QByteArray lengthBytes = ReadPacketBytes(file, place, position, 4);
        if (lengthBytes.size() != 4) {
            return;
        }
        const std::uint32_t length =
            ReadLe32(reinterpret_cast<const unsigned char*>(lengthBytes.constData()));
        const VorbisCommentPlace itemPlace{position + 4, length};
        QByteArray text =
            ReadPacketBytes(file, place, itemPlace.Offset, std::min<std::uint32_t>(length, kItemBuffer));
        text = TrimTagBytes(text);
        position = itemPlace.Offset + std::int64_t{length};
        block.CommentEnd = position;
        if (position > place.Size) {
            return;
        }
        if (item == 0) {
            block.Vendor = itemPlace;
            block.Items[0] = DecodeUtf8Lenient(text);
            const QByteArray countBytes = ReadPacketBytes(file, place, position, 4);
            if (countBytes.size() != 4) {
                return;
            }
            block.CommentCount = ReadLe32(reinterpret_cast<const unsigned char*>(countBytes.constData()));
            position += 4;
            block.CommentEnd = position;
            continue;
        }
        const qsizetype equals = text.indexOf('=');
        if (equals < 0) {
            continue;
        }
        const QByteArray name = text.left(equals).toUpper();
        const int index = NameIndex(name);
        if (index > 0) {
            block.Items[static_cast<std::size_t>(index)] =
                DecodeUtf8Lenient(TrimTagBytes(text.mid(equals + 1)));
        } else if (IsKeptName(name)) {
            block.KeptComments.push_back(itemPlace);
        }
    }
    block.CommentsComplete = true;
}

QByteArray BuildVorbisComments(const QByteArray& old, std::int64_t start, const VorbisCommentBlock& block,
                               const QByteArray& vendor, const std::array<QString, 10>& items) {
    QByteArray data = old.left(start);
    AppendLe32(data, static_cast<std::uint32_t>(vendor.size()));
    data.append(vendor);
    std::uint32_t count = static_cast<std::uint32_t>(block.KeptComments.size());
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
    for (const VorbisCommentPlace& kept : block.KeptComments) {
        AppendLe32(data, kept.Length);
        data.append(old.mid(kept.Offset, kept.Length));
    }
    data.append(old.mid(block.CommentEnd));
    return data;
}

std::int64_t LeadingId3v2Size(const FileReader& file) {
    Id3v2Header header{};
    if (file.ReadAt(0, &header, sizeof header) != static_cast<std::int64_t>(sizeof header) ||
        !HasId3v2Marker(header)) {
        return 0;
    }
    const std::int64_t size = DecodeSynchsafe(header.Size) + ((header.Flags & kId3v2FooterFlag) ? 20 : 10);
    return size > file.Size() ? 0 : size;
}

QString OggSaveFailureText(OggSaveFailure failure) {
    switch (failure) {
        case OggSaveFailure::None:
            return {};
        case OggSaveFailure::NotVorbis:
            return "not an Ogg Vorbis file";
        case OggSaveFailure::NoCommentHeader:
            return "no comment header";
        case OggSaveFailure::UnusualLayout:
            return "unusual layout of the Ogg header pages";
        case OggSaveFailure::DamagedHeaders:
            return "damaged Ogg header pages";
        case OggSaveFailure::NoFile:
            return "file does not exist";
        case OggSaveFailure::Attributes:
            return "file cannot be made writable";
        case OggSaveFailure::InUse:
            return "file in use";
        case OggSaveFailure::RewriteFailed:
            return "file could not be rewritten";
    }
    return {};
}

bool CannotBeTagged(OggSaveFailure failure) {
    return failure == OggSaveFailure::NotVorbis || failure == OggSaveFailure::NoCommentHeader ||
           failure == OggSaveFailure::UnusualLayout || failure == OggSaveFailure::DamagedHeaders;
}

void TVorbisComments::StartSave() {
    m_failure = OggSaveFailure::None;
    m_error.clear();
}

bool TVorbisComments::Fail(OggSaveFailure failure) {
    m_failure = failure;
    return false;
}

void TVorbisComments::Clear() {
    m_title.clear();
    m_artist.clear();
    m_album.clear();
    m_track = 0;
    m_date.clear();
    m_genre.clear();
    m_comment.clear();
    m_vendor.clear();
    m_vendorSet = false;
}

void TVorbisComments::SetVendor(const QString& value) {
    m_vendor = value;
    m_vendorSet = true;
}

void TVorbisComments::FillFromItems(const std::array<QString, 10>& items) {
    m_vendor = items[0];
    m_title = items[1];
    m_artist = items[2].isEmpty() ? items[8] : items[2];
    m_album = items[3];
    m_track = TrackFromText(items[4]);
    m_date = items[5];
    m_genre = items[6];
    m_comment = items[7].isEmpty() ? items[9] : items[7];
}

std::array<QString, 10> TVorbisComments::ItemsToWrite() const {
    std::array<QString, 10> items;
    items[1] = TrimTagText(m_title);
    items[2] = TrimTagText(m_artist);
    items[3] = TrimTagText(m_album);
    items[4] = m_track == 0 ? QString() : QString::number(m_track);
    items[5] = TrimTagText(m_date);
    items[6] = TrimTagText(m_genre);
    items[7] = TrimTagText(m_comment);
    return items;
}

QByteArray TVorbisComments::VendorToWrite(const QByteArray& fromFile) const {
    return m_vendorSet ? m_vendor.toUtf8() : fromFile;
}

}  // namespace sw
