#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace sw {

class ByteSource;

/// The details an MP4 (M4A) or ASF (WMA) file carries in its own metadata: read, never written.
struct TContainerTag {
    QString Title;
    QString Artist;
    QString Album;
    /// As the file gives it ("1999", "1999-05-01T00:00:00Z"); the caller keeps the year.
    QString Date;
    QString Genre;
    QString Comment;
    std::uint8_t Track = 0;
    /// An ID3v1 genre number given instead of a genre name (MP4 "gnre"), -1 for none.
    int GenreNumber = -1;

    bool IsEmpty() const {
        return Title.isEmpty() && Artist.isEmpty() && Album.isEmpty() && Date.isEmpty() && Genre.isEmpty() &&
               Comment.isEmpty() && Track == 0 && GenreNumber < 0;
    }
};

/// The tag of an MP4 file (moov/udta/meta/ilst). Nothing when the file has none or it holds none
/// of these details, or when the boxes on the way to it or around its items are broken, so that
/// a tag read at all is read whole.
std::optional<TContainerTag> ReadMp4Tag(const ByteSource& file);

/// The tag of an ASF file (the Content Description and Extended Content Description objects
/// of its header). Nothing when the file has neither or they hold none of these details, or when
/// its header is broken or cut short.
std::optional<TContainerTag> ReadAsfTag(const ByteSource& file);

}  // namespace sw
