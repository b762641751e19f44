#include "LegacyCatalogue.h"

#include <QSet>
#include <algorithm>

#include "core/Paths.h"

namespace sw {

namespace {

/// The columns each table must have for the conversion.
const QStringList kSongColumns = {"SongNum",  "title",  "Track",   "Genreid", "Year",    "CreateTS",
                                  "SearchTS", "EditTS", "Fn",      "Rating",  "comment", "Size",
                                  "Duration", "Exi",    "albumid", "artist"};
const QStringList kGenreColumns = {"GenreId", "Name", "Dormant", "NumExi", "RprTS"};
const QStringList kPlaylistColumns = {"Id", "Name", "LastSeq"};
const QStringList kEntryColumns = {"Plid", "Seq", "Songnum"};
const QStringList kAlbumColumns = {"Id", "Name", "Artist", "Rprts", "Year", "NumExi", "Createts"};

std::unique_ptr<paradox::Table> OpenTable(const QString& dataFolder, const QString& file,
                                          const QStringList& columns) {
    auto table = std::make_unique<paradox::Table>(ExistingSpelling(dataFolder + file));
    for (const QString& column : columns) {
        RequiredField(*table, column);
    }
    return table;
}

}  // namespace

int RequiredField(const paradox::Table& table, const QString& name) {
    const int field = table.FieldIndex(name);
    if (field < 0) {
        throw paradox::ParadoxError(
            ("The table " + table.Path() + " has no field \"" + name + "\"").toStdString());
    }
    return field;
}

LegacyCatalogue::LegacyCatalogue(const QString& dataFolder)
    : m_songs(OpenTable(dataFolder, kSongFile, kSongColumns)),
      m_genres(OpenTable(dataFolder, kGenreFile, kGenreColumns)),
      m_playlists(OpenTable(dataFolder, kPlaylistFile, kPlaylistColumns)),
      m_entries(OpenTable(dataFolder, kEntryFile, kEntryColumns)),
      m_albums(OpenTable(dataFolder, kAlbumFile, kAlbumColumns)) {}

std::vector<LegacyArtist> LegacyCatalogue::ArtistQuery() const {
    const int field = RequiredField(*m_songs, "artist");
    QSet<QString> seen;
    std::vector<LegacyArtist> artists;
    for (int row = 0; row < m_songs->RowCount(); ++row) {
        const QString name = m_songs->Value(row, field).toString();
        if (!seen.contains(name)) {
            seen.insert(name);
            artists.push_back({name.toLower(), name});
        }
    }
    std::sort(artists.begin(), artists.end(), [](const LegacyArtist& a, const LegacyArtist& b) {
        return a.lowerName != b.lowerName ? a.lowerName < b.lowerName : a.name < b.name;
    });
    return artists;
}

}  // namespace sw
