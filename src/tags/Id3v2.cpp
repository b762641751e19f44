#include "Id3v2.h"

#include <cstring>

#include "ByteOrder.h"
#include "FileReader.h"
#include "Synchsafe.h"
#include "TagText.h"

namespace sw {

const std::array<const char*, kFrameKindCount> kId3v2FrameIds = {
    "TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM", "TENC", "TCOP", "TLAN", "WXXX"};

namespace {

// A frame is read into a buffer of this size; the rest of a longer frame is skipped.
constexpr int kFrameBuffer = 250;
constexpr int kFrameHeaderSize = 10;

int FrameKindOf(const unsigned char* id) {
    for (int kind = 0; kind < kFrameKindCount; ++kind) {
        if (std::memcmp(id, kId3v2FrameIds[static_cast<std::size_t>(kind)], 4) == 0) {
            return kind;
        }
    }
    return -1;
}

/// Drops everything up to and including the first zero character; nothing when there is none.
QString AfterFirstZero(const QString& text) {
    const qsizetype zero = text.indexOf(QChar(0));
    return zero >= 0 ? text.mid(zero + 1) : text;
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
    Clear();
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
    const std::int64_t size = DecodeSynchsafe(header.Size) + kFrameHeaderSize;
    m_size = size > file.Size() ? 0 : size;
    if (m_version != 3 || m_size <= 0) {
        return true;
    }

    std::array<QString, kFrameKindCount> texts;
    std::int64_t position = kFrameHeaderSize;
    while (position < m_size && position < file.Size()) {
        unsigned char frame[kFrameHeaderSize];
        if (file.ReadAt(position, frame, sizeof frame) != kFrameHeaderSize) {
            break;
        }
        // Padding and unknown data end the walk.
        if (frame[0] < 'A' || frame[0] > 'Z') {
            break;
        }
        const std::uint32_t dataSize = ReadBe32(frame + 4);
        if (dataSize & 0x80000000U) {
            break;
        }
        const std::int64_t dataStart = position + kFrameHeaderSize;
        const int kind = FrameKindOf(frame);
        if (kind >= 0) {
            QByteArray buffer(kFrameBuffer, '\0');
            const auto wanted = static_cast<std::int64_t>(std::min<std::uint32_t>(dataSize, kFrameBuffer));
            if (file.ReadAt(dataStart, buffer.data(), static_cast<std::size_t>(wanted)) != wanted) {
                break;
            }
            if (buffer[0] == 1) {
                m_state.UnicodeFrameSeen = true;
            } else {
                texts[static_cast<std::size_t>(kind)] = DecodeWindows1252(buffer);
            }
        }
        position = dataStart + dataSize;
    }
    FillFromFrameTexts(texts);
    return true;
}

void TID3v2::FillFromFrameTexts(const std::array<QString, kFrameKindCount>& texts) {
    m_title = TrimTagText(texts[kFrameTitle]);
    m_artist = TrimTagText(texts[kFrameArtist]);
    m_album = TrimTagText(texts[kFrameAlbum]);
    m_year = TrimTagText(texts[kFrameYear]);
    m_composer = TrimTagText(texts[kFrameComposer]);
    m_encoder = TrimTagText(texts[kFrameEncoder]);
    m_copyright = TrimTagText(texts[kFrameCopyright]);
    m_language = TrimTagText(texts[kFrameLanguage]);
    m_track = TrackFromText(texts[kFrameTrack]);

    // "(17)Rock" carries the old numeric genre in front; the text after it is not trimmed again,
    // so "(17) Rock" keeps its blank.
    m_genre = TrimTagText(texts[kFrameGenre]);
    const qsizetype bracket = m_genre.lastIndexOf(')');
    if (bracket >= 0) {
        m_genre.remove(0, bracket + 1);
    }

    // Encoding byte and language come first, then a description ended by a zero byte.
    m_comment = TrimTagText(AfterFirstZero(texts[kFrameComment].mid(4)));
    // Encoding byte, then a description ended by a zero byte.
    m_link = TrimTagText(AfterFirstZero(texts[kFrameLink].mid(1)));
}

}  // namespace sw
