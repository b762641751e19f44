#include "Id3v2.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "FileReader.h"
#include "Id3v2Frames.h"
#include "Id3v2Text.h"
#include "Synchsafe.h"
#include "TagText.h"

namespace sw {

const std::array<const char*, kFrameKindCount> kId3v2FrameIds = {
    "TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM", "TENC", "TCOP", "TLAN", "WXXX"};

namespace {

// A frame is read into a buffer of this size; the rest of a longer frame is skipped.
constexpr int kFrameBuffer = 250;
// Unicode text takes up to four bytes a character: room for as many characters.
constexpr int kUnicodeFrameBuffer = 4 * kFrameBuffer;
// Bytes a version 4 frame may carry in front of its content (group, encryption, data length).
constexpr int kMostFramePrefix = 6;
constexpr int kFrameHeaderSize = kId3v2FrameHeaderSize;
// An unsynchronised version 3 tag is undone in memory; frames beyond this much of it are not read.
constexpr std::int64_t kLongestUnsynchronisedTag = 16 * 1024 * 1024;

int FrameKindOf(const char* id, int version) {
    for (int kind = 0; kind < kFrameKindCount; ++kind) {
        if (std::memcmp(id, kId3v2FrameIds[static_cast<std::size_t>(kind)], 4) == 0) {
            return kind;
        }
    }
    // Version 4 keeps the year in the recording time ("2004-05-12").
    if (version >= 4 && std::memcmp(id, "TDRC", 4) == 0) {
        return kFrameYear;
    }
    return -1;
}

/// Drops everything up to and including the first zero character; nothing when there is none.
QString AfterFirstZero(const QString& text) {
    const qsizetype zero = text.indexOf(QChar(0));
    return zero >= 0 ? text.mid(zero + 1) : text;
}

/// The bytes after the tag header, where the frames lie: the file itself, or an unsynchronised
/// version 3 tag undone in memory (its frame sizes count the bytes as they were before).
class TagBody {
public:
    TagBody(const FileReader& file, std::int64_t size)
        : m_file(&file), m_end(std::min(size, file.Size() - kId3v2HeaderSize)) {}
    explicit TagBody(QByteArray bytes) : m_bytes(std::move(bytes)), m_end(m_bytes.size()) {}

    /// Where the frame walk stops.
    std::int64_t End() const { return m_end; }
    /// Up to `length` bytes from `offset`, never past the end of the tag.
    QByteArray Read(std::int64_t offset, std::int64_t length) const {
        length = std::min(length, m_end - offset);
        if (offset < 0 || length <= 0) {
            return {};
        }
        if (m_file != nullptr) {
            return m_file->ReadAt(kId3v2HeaderSize + offset, static_cast<std::size_t>(length));
        }
        return offset >= m_bytes.size() ? QByteArray() : m_bytes.mid(offset, length);
    }

private:
    const FileReader* m_file = nullptr;
    QByteArray m_bytes;
    std::int64_t m_end = 0;
};

/// True when the description that starts at `at` of a comment or link frame's content is empty.
bool EmptyDescriptionAt(const QByteArray& content, qsizetype at) {
    if (content.size() <= at) {
        return true;
    }
    const int encoding = static_cast<unsigned char>(content[0]);
    const bool wide = encoding == kId3v2Utf16 || encoding == kId3v2Utf16Be;
    const qsizetype end = Id3v2StringEnd(encoding, content, at);
    if (end - at == (wide ? 2 : 1)) {
        return true;
    }
    // A description that is only a byte order mark is empty too.
    return wide && end - at == 4;
}

/// The comment the program shows and writes: no description, in English or in no particular
/// language. Comments with a description (players' own data) or in another language are not it.
bool IsPlainComment(const QByteArray& content) {
    const QByteArray language = content.mid(1, 3);
    const bool anyLanguage = language.compare("eng", Qt::CaseInsensitive) == 0 ||
                             language.compare("xxx", Qt::CaseInsensitive) == 0 ||
                             language == QByteArray(3, '\0') || language == "   ";
    return anyLanguage && EmptyDescriptionAt(content, 4);
}

}  // namespace

TID3v2::TID3v2(TagState& state) : m_state(state) {}

void TID3v2::Clear() {
    m_exists = false;
    m_version = 0;
    m_size = 0;
    m_title.clear();
    m_artist.clear();
    m_album.clear();
    m_track = 0;
    m_trackText.clear();
    m_year.clear();
    m_genre.clear();
    m_comment.clear();
    m_composer.clear();
    m_encoder.clear();
    m_copyright.clear();
    m_language.clear();
    m_link.clear();
}

void TID3v2::SetTitle(const QString& value) {
    m_title = TrimTagText(value);
}
void TID3v2::SetArtist(const QString& value) {
    m_artist = TrimTagText(value);
}
void TID3v2::SetAlbum(const QString& value) {
    m_album = TrimTagText(value);
}
void TID3v2::SetYear(const QString& value) {
    m_year = TrimTagText(value);
}
void TID3v2::SetGenre(const QString& value) {
    m_genre = TrimTagText(value);
}
void TID3v2::SetComment(const QString& value) {
    m_comment = TrimTagText(value);
}
void TID3v2::SetComposer(const QString& value) {
    m_composer = TrimTagText(value);
}
void TID3v2::SetEncoder(const QString& value) {
    m_encoder = TrimTagText(value);
}

bool TID3v2::Read(const QString& path) {
    const bool read = ReadTag(path);
    m_ignored = m_exists && m_state.UnicodeFrameSeen;
    m_readFields = FieldTexts();
    m_readPath = read ? path : QString();
    return read;
}

std::array<QString, kFrameKindCount> TID3v2::FieldTexts() const {
    std::array<QString, kFrameKindCount> texts;
    texts[kFrameTitle] = m_title;
    texts[kFrameArtist] = m_artist;
    texts[kFrameAlbum] = m_album;
    texts[kFrameTrack] = m_track == 0 ? QString() : QString::number(m_track);
    texts[kFrameYear] = m_year;
    texts[kFrameGenre] = m_genre;
    texts[kFrameComment] = m_comment;
    texts[kFrameComposer] = m_composer;
    texts[kFrameEncoder] = m_encoder;
    texts[kFrameCopyright] = m_copyright;
    texts[kFrameLanguage] = m_language;
    texts[kFrameLink] = m_link;
    return texts;
}

int TID3v2::FieldKindOf(const Id3v2Frame& frame, int version) {
    const int kind = frame.Id.size() == 4 ? FrameKindOf(frame.Id.constData(), version) : -1;
    if (kind == kFrameComment || kind == kFrameLink) {
        const std::optional<QByteArray> content = Id3v2FrameContent(frame.Data, frame.FormatFlags, version, false);
        if (!content || content->isEmpty()) {
            return -1;
        }
        if (kind == kFrameComment ? !IsPlainComment(*content) : !EmptyDescriptionAt(*content, 1)) {
            return -1;
        }
    }
    return kind;
}

bool TID3v2::ReadTag(const QString& path) {
    Clear();
    m_ignored = false;
    m_plainComment = false;
    m_state.UnicodeFrameSeen = false;
    FileReader file;
    if (!file.Open(path)) {
        return false;
    }
    Id3v2Header header{};
    if (file.ReadAt(0, &header, sizeof header) != static_cast<std::int64_t>(sizeof header)) {
        return false;
    }
    if (!HasId3v2Marker(header)) {
        return true;
    }
    m_exists = true;
    m_version = header.Version;
    const std::int64_t size = Id3v2TagSize(header);
    m_size = size > file.Size() ? 0 : size;
    if (m_version == 4 && !m_unicodeTags) {
        // Version 4 tags are full of Unicode text; without Unicode tags the tag is not used.
        m_state.UnicodeFrameSeen = true;
        m_ignored = true;
    }
    if (m_size <= 0 || !(m_version == 3 || (m_version == 4 && m_unicodeTags))) {
        return true;
    }

    const std::int64_t bodySize = DecodeSynchsafe(header.Size);
    const bool unsynchronised = (header.Flags & kId3v2UnsynchronisedFlag) != 0;
    const TagBody body =
        m_version == 3 && unsynchronised
            ? TagBody(UndoUnsynchronisation(file.ReadAt(
                  kId3v2HeaderSize, static_cast<std::size_t>(std::min(bodySize, kLongestUnsynchronisedTag)))))
            : TagBody(file, bodySize);

    std::int64_t position = 0;
    if (header.Flags & kId3v2ExtendedHeaderFlag) {
        const QByteArray extended = body.Read(0, 4);
        // Some programs set the flag without writing the header; a frame follows at once.
        if (!LooksLikeFrameId(extended)) {
            if (extended.size() < 4) {
                return true;
            }
            const auto* bytes = reinterpret_cast<const unsigned char*>(extended.constData());
            const std::uint8_t groups[4] = {bytes[0], bytes[1], bytes[2], bytes[3]};
            // Version 3 counts the bytes after the size field, version 4 the whole header.
            position = m_version >= 4 ? DecodeSynchsafe(groups) : std::int64_t{ReadBe32(bytes)} + 4;
            if (position < 4 || position > body.End()) {
                return true;
            }
        }
    }

    std::array<QString, kFrameKindCount> texts;
    // A comment without description wins over the others, whichever comes last.
    bool plainComment = false;
    const int readLimit = m_unicodeTags ? 2 * kUnicodeFrameBuffer + kMostFramePrefix : kFrameBuffer;
    while (position < body.End()) {
        const QByteArray frame = body.Read(position, kFrameHeaderSize);
        if (frame.size() != kFrameHeaderSize) {
            break;
        }
        // Padding and unknown data end the walk.
        if (frame[0] < 'A' || frame[0] > 'Z') {
            break;
        }
        const std::optional<std::int64_t> dataSize = Id3v2FrameDataSize(
            [&body](std::int64_t offset, std::int64_t length) { return body.Read(offset, length); }, body.End(),
            position, frame.constData(), m_version);
        const std::int64_t dataStart = position + kFrameHeaderSize;
        // A frame that runs past the end of the tag is damaged; what follows the tag is audio.
        if (!dataSize || dataStart + *dataSize > body.End()) {
            break;
        }
        const int kind = FrameKindOf(frame.constData(), m_version);
        if (kind >= 0) {
            const std::int64_t wanted = std::min<std::int64_t>(*dataSize, readLimit);
            const QByteArray raw = body.Read(dataStart, wanted);
            if (raw.size() != wanted) {
                break;
            }
            const std::optional<QByteArray> content =
                Id3v2FrameContent(raw, static_cast<std::uint8_t>(frame[9]), m_version, unsynchronised);
            const std::optional<QString> text = content ? FrameText(kind, *content) : std::nullopt;
            const bool plain = kind == kFrameComment && content && IsPlainComment(*content);
            if (text && !(kind == kFrameComment && plainComment && !plain)) {
                plainComment = plainComment || plain;
                texts[static_cast<std::size_t>(kind)] = *text;
            }
        }
        position = dataStart + *dataSize;
    }
    FillFromFrameTexts(texts);
    m_plainComment = plainComment;
    return true;
}

std::optional<QString> TID3v2::FrameText(int kind, const QByteArray& content) const {
    const int encoding = content.isEmpty() ? int{kId3v2Latin} : static_cast<unsigned char>(content[0]);
    const bool unicodeFrame = encoding >= kId3v2Utf16 && encoding <= kId3v2Utf8;
    if (!m_unicodeTags && encoding == kId3v2Utf16) {
        m_state.UnicodeFrameSeen = true;
        return std::nullopt;
    }
    if (!m_unicodeTags || (!unicodeFrame && (m_version < 4 || encoding != kId3v2Latin))) {
        // Single-byte text as it always was read: 250 characters, the encoding byte among them,
        // zero bytes included, so that the description of a comment or link ends at the first.
        QByteArray buffer = content.left(kFrameBuffer);
        buffer.append(kFrameBuffer - buffer.size(), '\0');
        const QString text = DecodeWindows1252(buffer);
        if (kind == kFrameComment) {
            return TrimTagText(AfterFirstZero(text.mid(4)));
        }
        if (kind == kFrameLink) {
            return TrimTagText(AfterFirstZero(text.mid(1)));
        }
        return TrimTagText(text);
    }

    const int used = encoding;
    QByteArray rest = content.left(kUnicodeFrameBuffer).mid(1);
    if (kind == kFrameComment) {
        rest = rest.mid(3);  // the language
    }
    if (kind == kFrameComment || kind == kFrameLink) {
        rest = rest.mid(Id3v2StringEnd(used, rest, 0));  // the description
    }
    if (kind == kFrameLink) {
        // The link itself is always single-byte text.
        return TrimTagText(DecodeId3v2Strings(kId3v2Latin, rest).value(0));
    }
    const QStringList strings = DecodeId3v2Strings(used, rest);
    if (m_version < 4) {
        return TrimTagText(strings.value(0));
    }
    // Version 4 keeps several values in one frame, one after the other.
    QStringList values;
    for (const QString& value : strings) {
        if (const QString trimmed = TrimTagText(value); !trimmed.isEmpty()) {
            values << trimmed;
        }
    }
    return values.join('/');
}

void TID3v2::FillFromFrameTexts(const std::array<QString, kFrameKindCount>& texts) {
    m_title = texts[kFrameTitle];
    m_artist = texts[kFrameArtist];
    m_album = texts[kFrameAlbum];
    m_year = texts[kFrameYear];
    m_composer = texts[kFrameComposer];
    m_encoder = texts[kFrameEncoder];
    m_copyright = texts[kFrameCopyright];
    m_language = texts[kFrameLanguage];
    m_track = TrackFromText(texts[kFrameTrack]);
    m_trackText = texts[kFrameTrack];
    m_comment = texts[kFrameComment];
    m_link = texts[kFrameLink];

    // "(17)Rock" carries the old numeric genre in front; the text after it is not trimmed again,
    // so "(17) Rock" keeps its blank.
    m_genre = texts[kFrameGenre];
    const qsizetype bracket = m_genre.lastIndexOf(')');
    if (bracket >= 0) {
        m_genre.remove(0, bracket + 1);
    }
}

}  // namespace sw
