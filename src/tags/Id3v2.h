#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "TagState.h"

namespace sw {

/// The twelve frame kinds read and written, in the order they are written.
enum Id3v2FrameKind : int {
    kFrameTitle,
    kFrameArtist,
    kFrameAlbum,
    kFrameTrack,
    kFrameYear,
    kFrameGenre,
    kFrameComment,
    kFrameComposer,
    kFrameEncoder,
    kFrameCopyright,
    kFrameLanguage,
    kFrameLink,
    kFrameKindCount
};

/// The four-letter frame id of each kind.
extern const std::array<const char*, kFrameKindCount> kId3v2FrameIds;

/// The ID3v2 tag at the start of an MP3 file. Reads version 3 tags with single-byte text; writes
/// version 3 tags holding only the twelve frame kinds, rewriting the whole file through a
/// temporary copy. An extended header is skipped and unsynchronisation undone.
class TID3v2 {
public:
    explicit TID3v2(TagState& state = ProcessTagState());

    /// With Unicode tags on, a read also takes frames in UTF-16 and UTF-8, and version 4 tags; a
    /// save writes a frame whose text Windows-1252 cannot hold in UTF-16 (the link excepted,
    /// which the format keeps single-byte). Off by default.
    void SetUnicodeTags(bool on) { m_unicodeTags = on; }

    /// Fills the object from the file. True when the file's first ten bytes could be read, which
    /// says nothing about a tag: Exists does. Sets the state's UnicodeFrameSeen.
    bool Read(const QString& path);
    /// Replaces any ID3v2 tag of the file by one built from the fields. On failure the file is
    /// unchanged and the state's Id3v2WriteStage tells how far the rewrite got.
    bool Save(const QString& path);
    /// Rewrites the file without its ID3v2 tag; false when it has none or cannot be rewritten.
    bool Remove(const QString& path);

    bool Exists() const { return m_exists; }
    std::uint8_t Version() const { return m_version; }
    /// Tag size with its header (and footer); 0 when the size field passes the end of the file.
    std::int64_t Size() const { return m_size; }

    const QString& Title() const { return m_title; }
    const QString& Artist() const { return m_artist; }
    const QString& Album() const { return m_album; }
    std::uint8_t Track() const { return m_track; }
    const QString& Year() const { return m_year; }
    const QString& Genre() const { return m_genre; }
    const QString& Comment() const { return m_comment; }
    const QString& Composer() const { return m_composer; }
    const QString& Encoder() const { return m_encoder; }
    const QString& Copyright() const { return m_copyright; }
    const QString& Language() const { return m_language; }
    const QString& Link() const { return m_link; }

    // These setters drop leading and trailing blanks and control characters.
    void SetTitle(const QString& value);
    void SetArtist(const QString& value);
    void SetAlbum(const QString& value);
    void SetYear(const QString& value);
    void SetGenre(const QString& value);
    void SetComment(const QString& value);
    void SetComposer(const QString& value);
    void SetEncoder(const QString& value);
    // These keep the value as given.
    void SetTrack(std::uint8_t value) { m_track = value; }
    void SetCopyright(const QString& value) { m_copyright = value; }
    void SetLanguage(const QString& value) { m_language = value; }
    void SetLink(const QString& value) { m_link = value; }

    /// The tag the fields make: header and frames, no padding.
    QByteArray BuildTag() const;

private:
    void Clear();
    /// The field text of a frame's content (encoding byte first), before the track and genre
    /// rules; nothing when the frame is not to be used.
    std::optional<QString> FrameText(int kind, const QByteArray& content) const;
    void FillFromFrameTexts(const std::array<QString, kFrameKindCount>& texts);
    bool Rebuild(const QString& path, const QByteArray* newTag);

    TagState& m_state;
    bool m_unicodeTags = false;
    bool m_exists = false;
    std::uint8_t m_version = 0;
    std::int64_t m_size = 0;
    QString m_title;
    QString m_artist;
    QString m_album;
    std::uint8_t m_track = 0;
    QString m_year;
    QString m_genre;
    QString m_comment;
    QString m_composer;
    QString m_encoder;
    QString m_copyright;
    QString m_language;
    QString m_link;
};

}  // namespace sw
