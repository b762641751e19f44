#pragma once

#include <QString>
#include <cstdint>

namespace sw {

/// Why the last TOggVorbis::Save failed.
enum class OggSaveFailure {
    None,
    NotVorbis,
    /// The first page holds more than the identification header, or the next page is not the
    /// stream's second page, so the comment header is not where a rewrite can replace it.
    CommentNotOnSecondPage,
    /// The identification header is there but no comment header follows it.
    NoCommentHeader,
    /// The comment header goes on past the second page (or past the end of the file).
    CommentPastPage,
    /// The new comments would need more than 255 lacing values on the page.
    TooManyLacingValues,
    NoFile,
    Attributes,
    /// The audio engine holds the file open.
    InUse,
    /// The temporary copy could not be written or renamed; the system's text says why.
    RewriteFailed,
};

/// A short English text for a failure, for messages and logs.
QString OggSaveFailureText(OggSaveFailure failure);

/// The comment header of an Ogg Vorbis file: the vendor string and the named comments this
/// program uses. Text is full Unicode; the file holds it as UTF-8.
class TOggVorbis {
public:
    /// True for an Ogg Vorbis file (an "OggS" page and an identification header where expected),
    /// even when it has no comment header; its fields are then empty.
    bool Read(const QString& path);
    /// Replaces all comments of the file by the fields, keeping the file's vendor string unless
    /// SetVendor was called. Everything but the second page is copied unchanged. On failure the
    /// file is unchanged and LastFailure tells why.
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
