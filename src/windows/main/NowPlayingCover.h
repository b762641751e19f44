#pragma once

#include <QByteArray>
#include <QString>

namespace sw {

/// A song's cover: the picture its file carries, else a picture file beside it.
struct CoverImage {
    /// The encoded picture (JPEG, PNG, ...), empty when none was found.
    QByteArray Data;
    /// Where it came from: the audio file itself or the picture file beside it.
    QString Source;
};

/// The picture embedded in an audio file: an ID3v2 APIC frame (MP3), a FLAC PICTURE block, or a
/// METADATA_BLOCK_PICTURE comment (Ogg Vorbis, Opus). The front cover wins over other pictures.
/// Empty for a file without one or one that cannot be read; a damaged tag never reads outside
/// its bounds.
QByteArray EmbeddedPicture(const QString& path);

/// The picture inside a FLAC PICTURE block's body (also the decoded Ogg comment); empty when the
/// body is damaged. `type` gets the picture type (3 is the front cover).
QByteArray FlacPictureData(const QByteArray& body, quint32* type = nullptr);

/// "cover.jpg", "folder.jpg" (then .jpeg and .png) in the file's folder, in any letter case.
QString CoverFileBeside(const QString& audioPath);

/// The embedded picture, else the cover file beside the song.
CoverImage FindCover(const QString& audioPath);

}  // namespace sw
