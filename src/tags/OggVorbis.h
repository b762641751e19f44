#pragma once

#include <QString>
#include <cstdint>

#include "OggLayout.h"
#include "VorbisComments.h"

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

/// The comment header of an Ogg Vorbis file (or, made for it, of an Ogg Opus file): the vendor
/// string and the named comments this program uses. Text is full Unicode; the file holds it as
/// UTF-8.
class TOggVorbis : public TVorbisComments {
public:
    explicit TOggVorbis(OggCodec codec = OggCodec::Vorbis) : m_codec(codec) {}

    /// True for a file of the codec (an "OggS" page and its identification header where
    /// expected), even when it has no comment header; its fields are then empty.
    bool Read(const QString& path);
    /// Replaces the comments of the file by the fields, keeping the file's vendor string unless
    /// SetVendor was called, and its embedded pictures. The comment header (and the setup header
    /// of Vorbis) are laid out on as many pages as they need; when that changes the number of
    /// header pages, the stream's later pages are renumbered. Their contents and granule
    /// positions stay. On failure the file is unchanged and LastFailure tells why.
    bool Save(const QString& path);

    OggSaveFailure LastFailure() const { return m_failure; }
    /// LastFailure in words, naming the codec.
    QString LastFailureText() const;
    /// The system's text when LastFailure is RewriteFailed.
    const QString& LastError() const { return m_error; }

private:
    bool Fail(OggSaveFailure failure);

    OggCodec m_codec;
    OggSaveFailure m_failure = OggSaveFailure::None;
    QString m_error;
};

}  // namespace sw
