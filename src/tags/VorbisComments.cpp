#include "VorbisComments.h"

#include <algorithm>
#include <utility>

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

constexpr std::size_t kArtist = 2;
constexpr std::size_t kTrack = 4;
constexpr std::size_t kComment = 7;
constexpr std::size_t kPerformer = 8;
constexpr std::size_t kDescription = 9;

std::size_t NameIndex(const QByteArray& name) {
    for (std::size_t index = 1; index < kVorbisCommentNames.size(); ++index) {
        if (name == kVorbisCommentNames[index]) {
            return index;
        }
    }
    return 0;
}

bool IsManaged(std::size_t name) {
    return name > 0 && name < kManagedNamesEnd;
}

QString TrackText(std::uint8_t track) {
    return track == 0 ? QString() : QString::number(track);
}

/// The managed fields as a reader of the items shows them: ARTIST falls back on PERFORMER,
/// COMMENT on DESCRIPTION.
std::array<QString, kManagedNamesEnd> FieldsOf(const std::array<QString, 10>& items) {
    std::array<QString, kManagedNamesEnd> fields;
    for (std::size_t index = 1; index < kManagedNamesEnd; ++index) {
        fields[index] = items[index];
    }
    if (fields[kArtist].isEmpty()) {
        fields[kArtist] = items[kPerformer];
    }
    if (fields[kComment].isEmpty()) {
        fields[kComment] = items[kDescription];
    }
    return fields;
}

void AppendComment(QByteArray& data, const QByteArray& comment) {
    AppendLe32(data, static_cast<std::uint32_t>(comment.size()));
    data.append(comment);
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
        position = itemPlace.Offset + std::int64_t{length};
        block.CommentEnd = position;
        if (position > place.Size) {
            return;
        }
        const QByteArray text = TrimTagBytes(
            ReadPacketBytes(file, place, itemPlace.Offset, std::min<std::uint32_t>(length, kItemBuffer)));
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
        VorbisComment comment{itemPlace, 0, {}};
        if (const qsizetype equals = text.indexOf('='); equals >= 0) {
            comment.Name = NameIndex(text.left(equals).toUpper());
            if (comment.Name > 0) {
                comment.Value = DecodeUtf8Lenient(TrimTagBytes(text.mid(equals + 1)));
                block.Items[comment.Name] = comment.Value;
            }
        }
        block.Comments.push_back(std::move(comment));
    }
    block.CommentsComplete = true;
}

QByteArray BuildVorbisComments(const QByteArray& old, std::int64_t start, const VorbisCommentBlock& block,
                               const QByteArray& vendor, const VorbisCommentChanges& changes) {
    QByteArray comments;
    std::uint32_t count = 0;
    std::array<bool, kManagedNamesEnd> placed{};
    for (const VorbisComment& comment : block.Comments) {
        const QByteArray bytes = old.mid(comment.Place.Offset, comment.Place.Length);
        if (!IsManaged(comment.Name) || !changes[comment.Name].Changed) {
            AppendComment(comments, bytes);
            ++count;
            continue;
        }
        const QString& value = changes[comment.Name].Value;
        if (value.isEmpty() || placed[comment.Name]) {
            continue;
        }
        // The first comment of the name takes the new value where it stands.
        placed[comment.Name] = true;
        AppendComment(comments, comment.Value == value
                                    ? bytes
                                    : kVorbisCommentNames[comment.Name] + QByteArray("=") + value.toUtf8());
        ++count;
    }
    for (std::size_t name = 1; name < kManagedNamesEnd; ++name) {
        if (changes[name].Changed && !changes[name].Value.isEmpty() && !placed[name]) {
            AppendComment(comments,
                          kVorbisCommentNames[name] + QByteArray("=") + changes[name].Value.toUtf8());
            ++count;
        }
    }
    QByteArray data = old.left(start);
    AppendComment(data, vendor);
    AppendLe32(data, count);
    data.append(comments);
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
    const std::array<QString, kManagedNamesEnd> fields = FieldsOf(items);
    m_vendor = items[0];
    m_title = fields[1];
    m_artist = fields[2];
    m_album = fields[3];
    m_track = TrackFromText(fields[4]);
    m_date = fields[5];
    m_genre = fields[6];
    m_comment = fields[7];
}

VorbisCommentChanges TVorbisComments::ChangesFrom(const VorbisCommentBlock& read) const {
    const std::array<QString, kManagedNamesEnd> now = {
        QString(),          TrimTagText(m_title), TrimTagText(m_artist), TrimTagText(m_album),
        TrackText(m_track), TrimTagText(m_date),  TrimTagText(m_genre),  TrimTagText(m_comment)};
    std::array<QString, kManagedNamesEnd> was = FieldsOf(read.Items);
    was[kTrack] = TrackText(TrackFromText(was[kTrack]));
    VorbisCommentChanges changes;
    for (std::size_t name = 1; name < kManagedNamesEnd; ++name) {
        changes[name] = {now[name] != TrimTagText(was[name]), now[name]};
    }
    return changes;
}

QByteArray TVorbisComments::VendorToWrite(const QByteArray& fromFile) const {
    return m_vendorSet ? m_vendor.toUtf8() : fromFile;
}

}  // namespace sw
