#pragma once

#include <QJsonObject>

#include "../../core/PlaylistTestSupport.h"
#include "tags/GenreLookup.h"
#include "tags/TagPolicy.h"
#include "tags/TagState.h"

namespace sw::test {

/// Details for a tagged test song: year 1999, comment "nice", genre 17 "Rock".
TSong Details(const QString& title, const QString& artist, const QString& album, int track = 1);

/// A throw-away catalogue whose songs have real audio files with tags under the music root, and
/// the tag policy over both.
class DetailsFixture : public PlaybackFixture {
protected:
    DetailsFixture();
    ~DetailsFixture() override;

    /// Copies the fixture file under the music root as `name`, writes the song's details into its
    /// tags under `policy` (0 writes none), and catalogues it with the same details. Returns the
    /// song number.
    int AddTaggedSong(const QString& name, TSong details, int policy, const QString& fixture = "plain.mp3");
    /// The song as the catalogue holds it now.
    TSong Stored(int songNum);
    /// What mutagen finds in the file: its ID3v2 frames and ID3v1 fields, or the Ogg comments.
    QJsonObject Id3v2Frames(const QString& path);
    QJsonObject Id3v1Fields(const QString& path);
    QString Asked() const;

    CatalogueGenres m_genres{m_catalogue};
    TagState m_state;
    TagPolicy m_tags{m_library, m_genres, m_state};
};

}  // namespace sw::test
