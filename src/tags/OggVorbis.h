#pragma once

#include <QString>
#include <cstdint>

namespace sw {

/// Why the last TOggVorbis::Save failed.
enum class OggSaveFailure {
    None,
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

/// The comment header of an Ogg Vorbis file: the vendor string and the named comments this
/// program uses. Text is full Unicode; the file holds it as UTF-8.
class TOggVorbis {
public:
    /// True for an Ogg Vorbis file (an "OggS" page and an identification header where expected),
    /// even when it has no comment header; its fields are then empty.
    bool Read(const QString& path);
    /// Replaces the comments of the file by the fields, keeping the file's vendor string unless
    /// SetVendor was called, and its embedded pictures. The comment and setup headers are laid
    /// out on as many pages as they need; when that changes the number of header pages, the
    /// stream's later pages are renumbered. Their contents and granule positions stay. On
    /// failure the file is unchanged and LastFailure tells why.
    bool Save(const QString& path);

    OggSaveFailure LastFailure() const { return m_failure; }
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

private:
    void Clear();
    bool Fail(OggSaveFailure failure);

    QString m_title;
    QString m_artist;
    QString m_album;
    std::uint8_t m_track = 0;
    QString m_date;
    QString m_genre;
    QString m_comment;
    QString m_vendor;
    bool m_vendorSet = false;
    OggSaveFailure m_failure = OggSaveFailure::None;
    QString m_error;
};

}  // namespace sw
