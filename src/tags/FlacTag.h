#pragma once

#include <QString>

#include "VorbisComments.h"

namespace sw {

/// The Vorbis comments of a FLAC file, in its comment metadata block.
class TFlacTag : public TVorbisComments {
public:
    /// True for a FLAC file ("fLaC" and its stream information where expected), even when it has
    /// no comment block; its fields are then empty.
    bool Read(const QString& path) override;
    /// Writes the changed fields into the comments, keeping the vendor string unless SetVendor
    /// was called, every comment a field does not change, and every other metadata block byte for
    /// byte. When the new comments fit the room of the old
    /// ones and the padding, only the metadata is written, in place, and the audio stays where it
    /// is; otherwise the whole file is rewritten through a temporary copy, with fresh padding for
    /// the next save. On failure the file is unchanged and LastFailure tells why.
    bool Save(const QString& path) override;

    QString LastFailureText() const override;
    /// Whether the last successful save wrote in place (true) or rewrote the file.
    bool SavedInPlace() const { return m_inPlace; }

private:
    bool m_inPlace = false;
};

}  // namespace sw
