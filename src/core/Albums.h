#pragma once

#include <QString>

#include "AlbumRecords.h"
#include "Query.h"
#include "Song.h"
#include "StoredCase.h"

namespace sw {

class ArtistStore;
class Catalogue;
class LoadCache;

/// Album names to ids, album rows written from records, and the current album that lookups leave
/// behind for the windows.
class AlbumStore {
public:
    AlbumStore(Catalogue& catalogue, ArtistStore& artists);

    TAlbum& CurrentAlbum() { return m_current; }

    /// Albums and groups alike; false for an id of 0 or less.
    bool FindAlbumById(int id, TAlbum& album);
    /// Albums only (no groups): the id, -1 when none, -2 when several share the name (the album
    /// then holds the first).
    int FindAlbumByName(const QString& name, TAlbum& album);
    int FindAlbumByNameOnly(const QString& name);
    int CreateAlbumNamed(const QString& name);
    /// 0 for a blank name; -2 when the name is ambiguous or the user declines to give the album the
    /// artist "various".
    int FindOrCreateAlbum(QString name, int artistId);
    /// The album a song record names, created or given the artist "various" as needed.
    void ResolveSongAlbum(TSong& song, TAlbum& album);
    /// Inserts (AlbumId 0 or less) or updates the row.
    void WriteAlbum(TAlbum& album);
    void SetAlbumSeq(TAlbum& album);
    bool AdjustAlbumNumExi(int id, int delta);
    /// Moves the album's count of songs with an existing file by `delta` (never below 0); every
    /// write that adds, removes or moves such a song calls it, so the count is right without a
    /// recount. No commit.
    void MoveExistingCount(int id, int delta);
    int CountAlbumSongs(int id);
    void RenameAlbumRow(int id, const QString& name);
    /// A typed "#12" for album (or group) 12; results as for artists.
    int ExpandAlbumRef(QString& typed);
    /// Asks, then removes the album and its songs from the catalogue (the files stay).
    bool ConfirmDeleteAlbum(int id, bool readOnly);
    void DeleteAlbumAndSongs(int id);

    /// Lookups by name and id answered from `cache` (null: none) where it knows them, and the
    /// album rows written told to it; passed on to the artists. A load run sets it while it
    /// imports a file.
    void UseLoadCache(LoadCache* cache);

private:
    void FillAlbumFromRow(const RowSet& rows, TAlbum& album) const;
    /// The cache synced with the connection, or null.
    LoadCache* SyncedCache();

    Catalogue& m_catalogue;
    ArtistStore& m_artists;
    Query m_byId;
    Query m_byName;
    Query m_insert;
    Query m_update;
    Query m_exists;
    Query m_moveCount;
    StoredCase m_storedCase;
    TAlbum m_current;
    LoadCache* m_cache = nullptr;
};

void ShowAlbumZeroReserved();

/// Said when an album or a group is given a blank name, new or renamed; nothing is written then.
inline constexpr char kBlankAlbumName[] = "Album name cannot be blank";
inline constexpr char kBlankGroupName[] = "Group name cannot be blank";

}  // namespace sw
