#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "ParadoxTable.h"

namespace sw {

/// One row of the previous edition's artist query
/// "select distinct lower(artist) as lname, artist  from song order by lname".
struct LegacyArtist {
    QString lowerName;
    QString name;
};

/// The five tables of the previous edition's catalogue, opened from its data folder (file names
/// matched without regard to letter case). Opening checks every table and the columns the
/// conversion reads.
class LegacyCatalogue {
public:
    /// The table files as the previous edition names them.
    static constexpr const char* kSongFile = "song.db";
    static constexpr const char* kGenreFile = "genre.db";
    static constexpr const char* kPlaylistFile = "plist.db";
    static constexpr const char* kEntryFile = "songinpl.DB";
    static constexpr const char* kAlbumFile = "album2.DB";

    /// Throws paradox::ParadoxError naming the file that is missing, damaged or lacks a column.
    explicit LegacyCatalogue(const QString& dataFolder);

    const paradox::Table& Songs() const { return *m_songs; }
    const paradox::Table& Genres() const { return *m_genres; }
    const paradox::Table& Playlists() const { return *m_playlists; }
    const paradox::Table& Entries() const { return *m_entries; }
    const paradox::Table& Albums() const { return *m_albums; }

    /// The artist query's rows: each distinct spelling of the songs' artists, ordered by the
    /// lower-cased name (spellings of one name in text order); a missing artist gives an empty name.
    std::vector<LegacyArtist> ArtistQuery() const;

private:
    std::unique_ptr<paradox::Table> m_songs;
    std::unique_ptr<paradox::Table> m_genres;
    std::unique_ptr<paradox::Table> m_playlists;
    std::unique_ptr<paradox::Table> m_entries;
    std::unique_ptr<paradox::Table> m_albums;
};

/// The field of that name in a legacy table; throws paradox::ParadoxError naming the file when
/// there is none.
int RequiredField(const paradox::Table& table, const QString& name);

}  // namespace sw
