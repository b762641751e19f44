#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "Id3v2Frames.h"
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

/// The ID3v2 tag at the start of an MP3 file. Reads version 3 tags with single-byte text (and
/// Unicode text and version 4 tags when asked to). A save rewrites the whole file through a
/// temporary copy and changes only the frames of the fields that differ from what Read found:
/// every other frame (pictures, lyrics, frames of other programs, frames not known here) is
/// written back byte for byte and in its place, and the tag keeps its version (3 or 4). An
/// extended header is skipped and unsynchronisation undone.
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
    /// Writes the fields into the file's ID3v2 tag (making one when there is none). The frames of
    /// fields that still hold what Read found in this file stay as they are; a field set empty
    /// loses its frames; a tag left without frames is removed. A tag that cannot be read whole, or
    /// that Read ignored for its Unicode text, is not replaced. On failure the file is unchanged
    /// and the state's Id3v2WriteStage (and Id3v2Error) tell how far the rewrite got.
    bool Save(const QString& path);
    /// Rewrites the file without its ID3v2 tag; false when it has none or cannot be rewritten.
    bool Remove(const QString& path);
    /// True when the last Read found a tag that is not used for its Unicode text (or version 4).
    bool Ignored() const { return m_ignored; }
    /// True when the comment read came from the program's own kind of comment frame (no
    /// description), not from one that players keep their data in.
    bool PlainComment() const { return m_plainComment; }
    /// The field kind whose value a frame of a tag of that version holds, or -1 for a frame the
    /// fields do not cover (comments and links with a description among them).
    static int FieldKindOf(const Id3v2Frame& frame, int version);

    bool Exists() const { return m_exists; }
    std::uint8_t Version() const { return m_version; }
    /// Tag size with its header (and footer); 0 when the size field passes the end of the file.
    std::int64_t Size() const { return m_size; }

    const QString& Title() const { return m_title; }
    const QString& Artist() const { return m_artist; }
    const QString& Album() const { return m_album; }
    std::uint8_t Track() const { return m_track; }
    /// The track frame's text as read ("4/12" holds the count of tracks too).
    const QString& TrackText() const { return m_trackText; }
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

    /// The tag the fields make on a file without one: header and frames, no padding.
    QByteArray BuildTag() const;

private:
    void Clear();
    bool ReadTag(const QString& path);
    /// Each field as text, by frame kind (the track in decimal, empty for 0).
    std::array<QString, kFrameKindCount> FieldTexts() const;
    /// The frame that holds a field in a tag of that version; nothing for an empty field.
    std::optional<Id3v2Frame> FieldFrame(int kind, std::uint8_t version) const;
    /// The frames of the new tag: those of `layout`, with the frames of changed fields replaced.
    std::vector<Id3v2Frame> MergedFrames(const Id3v2Layout& layout) const;
    /// The field text of a frame's content (encoding byte first), before the track and genre
    /// rules; nothing when the frame is not to be used.
    std::optional<QString> FrameText(int kind, const QByteArray& content) const;
    void FillFromFrameTexts(const std::array<QString, kFrameKindCount>& texts);
    bool Rebuild(const QString& path, bool removeTag);

    TagState& m_state;
    bool m_unicodeTags = false;
    bool m_ignored = false;
    bool m_plainComment = false;
    /// What the last Read found, field by field, and in which file.
    std::array<QString, kFrameKindCount> m_readFields;
    QString m_readPath;
    bool m_exists = false;
    std::uint8_t m_version = 0;
    std::int64_t m_size = 0;
    QString m_title;
    QString m_artist;
    QString m_album;
    std::uint8_t m_track = 0;
    QString m_trackText;
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
