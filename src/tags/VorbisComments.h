#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "OggPages.h"

namespace sw {

class FileReader;

/// Why the last save of Vorbis comments failed.
enum class OggSaveFailure {
    None,
    /// Not a file of the kind the writer handles.
    NotVorbis,
    /// The identification header is there but no comment header follows it.
    NoCommentHeader,
    /// The headers lie in a way a rewrite does not take apart: the identification header shares
    /// its page, pages of another stream lie between the headers, or the audio starts on the
    /// page where the headers end.
    UnusualLayout,
    /// The header pages are cut off or inconsistent, or the comment header announces more than
    /// it holds.
    DamagedHeaders,
    NoFile,
    Attributes,
    /// The audio engine holds the file open.
    InUse,
    /// The temporary copy could not be written or renamed; the system's text says why.
    RewriteFailed,
};

/// A short English text for a failure, for messages and logs.
QString OggSaveFailureText(OggSaveFailure failure);
/// True for the failures a later try cannot overcome: the file cannot be tagged as it is.
bool CannotBeTagged(OggSaveFailure failure);

/// The comment field names, indexes 1 to 9; index 0 stands for the vendor string. A save sets
/// the names below kManagedNamesEnd; PERFORMER and DESCRIPTION are only read, as fallbacks.
extern const std::array<const char*, 10> kVorbisCommentNames;
inline constexpr std::size_t kManagedNamesEnd = 8;

/// Where one item of a comment block lies within the block: its bytes, after their length field.
struct VorbisCommentPlace {
    std::int64_t Offset = 0;
    std::uint32_t Length = 0;
};

/// One comment of a block as read.
struct VorbisComment {
    VorbisCommentPlace Place;
    /// Index of its name in kVorbisCommentNames, in any case; 0 for every other name and for an
    /// item without "=".
    std::size_t Name = 0;
    /// The value as read, trimmed and cut with the read, for the named ones.
    QString Value;
};

/// What a comment block holds and where: the vendor string, then a count and the comments, all
/// lengths little-endian. Ogg Vorbis and Ogg Opus put a marker in front of it; FLAC does not.
struct VorbisCommentBlock {
    std::uint32_t CommentCount = 0;
    /// Index 0 is the vendor string; 1 to 9 follow kVorbisCommentNames, the last comment of a
    /// name winning.
    std::array<QString, 10> Items;
    VorbisCommentPlace Vendor;
    /// Every comment read, in file order.
    std::vector<VorbisComment> Comments;
    /// Within the block, just after the last comment read.
    std::int64_t CommentEnd = 0;
    /// Every comment the block announces lies inside it.
    bool CommentsComplete = false;
};

/// Reads the items of the block that `place` locates, from `start` within it (after any marker).
/// Each item is read at most 250 bytes far; text is UTF-8.
void ReadVorbisComments(const FileReader& file, const OggPacketPlace& place, std::int64_t start,
                        VorbisCommentBlock& block);

/// What a save does with the comments of one managed name.
struct VorbisCommentChange {
    /// False when the field still reads as the file has it: its comments stay byte for byte.
    bool Changed = false;
    /// The new value; empty drops every comment of the name.
    QString Value;
};
/// Indexes 1 to 7 follow kVorbisCommentNames; index 0 is unused.
using VorbisCommentChanges = std::array<VorbisCommentChange, kManagedNamesEnd>;

/// A new block from the old one's bytes: its first `start` bytes (the marker), `vendor`, the old
/// comments in their order, and whatever followed them (the framing byte, or data an Opus header
/// keeps there). Every comment stays as its bytes except those of a changed name: the first of
/// them takes the new value (keeping its bytes when it already reads so), the later ones go, and
/// all go when the new value is empty. New values of names the block lacks follow the old
/// comments in index order.
QByteArray BuildVorbisComments(const QByteArray& old, std::int64_t start, const VorbisCommentBlock& block,
                               const QByteArray& vendor, const VorbisCommentChanges& changes);

/// Bytes of an ID3v2 tag in front of other data, footer included; 0 when there is none or its
/// size passes the end of the file.
std::int64_t LeadingId3v2Size(const FileReader& file);

/// The details this program keeps in Vorbis comments, whichever file carries them. Text is full
/// Unicode.
class TVorbisComments {
public:
    virtual ~TVorbisComments() = default;

    /// True for a file of the writer's kind, even when it holds no comments; the fields are then
    /// empty.
    virtual bool Read(const QString& path) = 0;
    /// Writes the fields that differ from what the file reads as into its comments; every other
    /// comment stays as it was, in its place. On failure the file is unchanged and LastFailure
    /// tells why.
    virtual bool Save(const QString& path) = 0;

    OggSaveFailure LastFailure() const { return m_failure; }
    /// LastFailure in words, for messages.
    virtual QString LastFailureText() const { return OggSaveFailureText(m_failure); }
    /// The system's text when LastFailure is RewriteFailed.
    const QString& LastError() const { return m_error; }

    const QString& Title() const { return m_title; }
    const QString& Artist() const { return m_artist; }
    const QString& Album() const { return m_album; }
    std::uint8_t Track() const { return m_track; }
    const QString& Date() const { return m_date; }
    const QString& Genre() const { return m_genre; }
    const QString& Comment() const { return m_comment; }
    const QString& Vendor() const { return m_vendor; }

    void SetTitle(const QString& value) { m_title = value; }
    void SetArtist(const QString& value) { m_artist = value; }
    void SetAlbum(const QString& value) { m_album = value; }
    void SetTrack(std::uint8_t value) { m_track = value; }
    void SetDate(const QString& value) { m_date = value; }
    void SetGenre(const QString& value) { m_genre = value; }
    void SetComment(const QString& value) { m_comment = value; }
    /// A vendor string to write instead of the file's.
    void SetVendor(const QString& value);

protected:
    /// Starts a save: no failure yet.
    void StartSave();
    bool Fail(OggSaveFailure failure);
    void Clear();
    /// The fields from the items read: ARTIST falls back on PERFORMER, COMMENT on DESCRIPTION.
    void FillFromItems(const std::array<QString, 10>& items);
    /// The fields against what `read` holds: a field changed when, trimmed (the track as its
    /// number), it differs from what a read of the block gives.
    VorbisCommentChanges ChangesFrom(const VorbisCommentBlock& read) const;
    /// The vendor string a save writes: the one set, else `fromFile` as it stands.
    QByteArray VendorToWrite(const QByteArray& fromFile) const;

    OggSaveFailure m_failure = OggSaveFailure::None;
    QString m_error;

private:
    QString m_title;
    QString m_artist;
    QString m_album;
    std::uint8_t m_track = 0;
    QString m_date;
    QString m_genre;
    QString m_comment;
    QString m_vendor;
    bool m_vendorSet = false;
};

}  // namespace sw
