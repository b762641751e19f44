#pragma once

#include <QString>

#include "AlbumRecords.h"
#include "Query.h"
#include "StoredCase.h"

namespace sw {

class Catalogue;
class LoadCache;

/// Said when an artist is renamed to a blank name; nothing is written then.
inline constexpr char kBlankArtistName[] = "Artist name cannot be blank";

/// Artist names to ids: case-insensitive lookups, creation when missing, "#12" references and the
/// "various" artist that marks albums whose songs have different artists.
class ArtistStore {
public:
    explicit ArtistStore(Catalogue& catalogue);

    /// Finds or creates "various"; done once at start-up.
    void InitVariousArtist();
    int VariousArtistId() const { return m_variousId; }
    /// The artist of the last successful name lookup or creation, as stored.
    const TArtist& LastArtistFound() const { return m_last; }

    bool FindArtistById(int id, TArtist& artist);
    /// 0 for an empty name, -1 when there is none.
    int FindArtistByName(const QString& name);
    /// 0 (creating nothing) for an empty name.
    int FindOrCreateArtist(const QString& name);
    int InsertArtist(const QString& name);
    /// A typed "#12" asks whether artist 12 is meant. -1: the caller abandons its save; 0: use the
    /// text as a name; otherwise the artist's id (and `typed` holds its stored name).
    int ExpandArtistRef(QString& typed);
    int CountArtistSongs(int id);
    void DeleteArtistRow(int id);

    /// Lookups by name answered from `cache` (null: none) where it knows them, and the artists
    /// created told to it; a load run sets it while it imports a file.
    void UseLoadCache(LoadCache* cache) { m_cache = cache; }

private:
    Catalogue& m_catalogue;
    Query m_byId;
    Query m_byName;
    StoredCase m_storedCase;
    LoadCache* m_cache = nullptr;
    int m_variousId = 0;
    TArtist m_last;
};

/// Artist #0 stands for no artist (a blank name): it has no row to rename, and its songs' tags
/// would take a name the catalogue does not hold.
void ShowArtistZeroReserved();

}  // namespace sw
