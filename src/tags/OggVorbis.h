#pragma once

#include <QString>
#include <cstdint>

#include "OggLayout.h"
#include "VorbisComments.h"

namespace sw {

/// The comment header of an Ogg Vorbis file (or, made for it, of an Ogg Opus file): the vendor
/// string and the named comments this program uses. Text is full Unicode; the file holds it as
/// UTF-8.
class TOggVorbis : public TVorbisComments {
public:
    explicit TOggVorbis(OggCodec codec = OggCodec::Vorbis) : m_codec(codec) {}

    /// True for a file of the codec (an "OggS" page and its identification header where
    /// expected), even when it has no comment header; its fields are then empty.
    bool Read(const QString& path) override;
    /// Writes the changed fields into the comments, keeping the file's vendor string unless
    /// SetVendor was called and every comment a field does not change. The comment header (and
    /// the setup header of Vorbis) are laid out on as many pages as they need; when that changes
    /// the number of header pages, the stream's later pages are renumbered. Their contents and
    /// granule positions stay. On failure the file is unchanged and LastFailure tells why.
    bool Save(const QString& path) override;

    QString LastFailureText() const override;

private:
    OggCodec m_codec;
};

}  // namespace sw
