#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include "AlbumRecords.h"
#include "Firebird.h"
#include "Query.h"

namespace sw {

/// What a load run remembers of the catalogue from one file to the next, so that a file costs a
/// few statements rather than a dozen: artists, albums and genres as the lookups by name find
/// them, albums by id, the next song number, the artist-and-track pairs of each album's songs and the stored
/// file names under the folders looked at.
///
/// It answers what the SQL would answer as long as the catalogue changes only through statements
/// it is told of: the stores sync it with the connection's mark before they use it and after each
/// statement of their own (RunOwn), so anything else run on the connection in between (another
/// window, a commit, a savepoint rollback) empties it. Lookups by name are kept under the text the
/// SQL compares: lower-cased as the store binds it, without trailing blanks, which the engine pads.
class LoadCache {
public:
    /// The key of a name as bound to "lower(name) = :name": trailing blanks do not count.
    static QString Key(const QString& lowered);
    /// True when the engine's lower() and QString::toLower() agree on every character: plain ASCII.
    static bool LowersAlike(const QString& text);

    /// Empties the cache when the connection has moved since the last mark it was synced with.
    void Sync(const fb::ChangeMark& now);
    /// Takes `now` as a point the cache is up to date with, after a statement it has been told of.
    void Seen(const fb::ChangeMark& now);
    void Clear();
    bool Empty() const;

    /// The artist the lookup by name finds, or null when not known.
    const TArtist* Artist(const QString& key) const;
    void KeepArtist(const QString& key, const TArtist& artist);
    /// A new artist row: lookups that found nothing, or found another row, may find it now.
    void ArtistAdded(const QString& storedName);

    /// An album lookup by name: its first row, and whether other albums share the name.
    struct AlbumHit {
        int id = 0;
        bool several = false;
    };
    /// Null when not known. The album itself is AlbumById(id), when that is known.
    const AlbumHit* AlbumNamed(const QString& key) const;
    const TAlbum* AlbumById(int id) const;
    /// The album as a lookup by name finds it; `album` is its first row.
    void KeepAlbumNamed(const QString& key, const TAlbum& album, bool several);
    void KeepAlbum(const TAlbum& album);
    /// The album row was written (new or changed): it and every lookup that it may answer now are
    /// read again.
    void AlbumWritten(int id, const QString& storedName);
    /// After AlbumWritten for an album just made because the lookup by its name found none: that
    /// lookup now finds it alone.
    void AlbumMadeNamed(int id, const QString& storedName);
    /// The album's count of existing files moved as the SQL moves it (never below 0).
    void MoveExistingCount(int id, int delta);

    /// The genre id the lookup by name finds (-1 none), or null when not known. The load run
    /// writes no genres, so a lookup that found none stays right until something else runs.
    const int* Genre(const QString& key) const;
    void KeepGenre(const QString& key, int id) { m_genres.insert(key, id); }

    /// The next free song number; 0 when not known.
    int NextSongNum() const { return m_nextSongNum; }
    void SetNextSongNum(int songNum) { m_nextSongNum = songNum; }

    /// An artist and a track in a song row, as one value.
    static quint64 Pair(qint64 artistId, qint64 track) {
        return (static_cast<quint64>(static_cast<quint32>(artistId)) << 32) | static_cast<quint32>(track);
    }
    /// The artist-and-track pairs of the album's songs (maybe more); null when not known.
    const QSet<quint64>* AlbumSongs(int albumId) const;
    void KeepAlbumSongs(int albumId, QSet<quint64> pairs);

    /// True once the stored names under the folder (a lower-cased prefix) are known.
    bool FolderKnown(const QString& prefix) const { return m_folders.contains(prefix); }
    /// `keys`: the lower-cased stored names (as Key gives them) that begin with the prefix.
    void KeepFolder(const QString& prefix, const QStringList& keys);
    /// False when no song stored under a known folder has this name (a Key of lower(fn)).
    bool MayHoldFile(const QString& key) const { return m_fileKeys.contains(key); }

    /// A song row was written with these values; `fileKey` is Key(lower(fn)) as the engine lowers
    /// it, empty for a song without a file name.
    void SongWritten(int albumId, int artistId, int track, const QString& fileKey);

private:
    fb::ChangeMark m_mark;
    QHash<QString, TArtist> m_artists;
    QHash<QString, AlbumHit> m_albumNames;
    QHash<int, TAlbum> m_albums;
    QHash<QString, int> m_genres;
    int m_nextSongNum = 0;
    QHash<int, QSet<quint64>> m_albumSongs;
    QSet<QString> m_folders;
    QSet<QString> m_fileKeys;
};

/// Runs one of a store's own statements, keeping the cache (if any) in step with it: anything run
/// since the cache last saw the connection empties it first. `probe` is any query of the store.
template <typename Run>
void RunOwn(LoadCache* cache, Query& probe, Run&& run) {
    if (!cache) {
        run();
        return;
    }
    cache->Sync(probe.Mark());
    run();
    cache->Seen(probe.Mark());
}

}  // namespace sw
