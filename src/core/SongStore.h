#pragma once

#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "Query.h"
#include "Song.h"
#include "StoredCase.h"

namespace sw {

class AlbumStore;
class Catalogue;
class LoadCache;
struct Settings;

/// Songs read into records and saved from them: the lookups by number, file name and details, and
/// SaveSong, the one writer of SONG rows from a record.
class SongStore {
public:
    SongStore(Catalogue& catalogue, AlbumStore& albums, const Settings& settings);

    QString FullPathOf(const QString& storedName) const;
    QString RelativePathOf(const QString& path) const;

    /// No message; false for a number of 0 or less or one not in the catalogue.
    bool FindSongByNumber(int songNum, TSong& song);
    /// As FindSongByNumber, saying "Song #<n> not found" for a number other than 0.
    bool GetSongByNumber(int songNum, TSong& song);
    bool ReloadSong(TSong& song);
    /// The songs of the file at `path`; the record is filled from the first. Songs stored with
    /// exactly its name come first; only without one does a name that differs in letter case count,
    /// and only when the file it names is gone or is this file. Several songs ask whether to go on
    /// (Cancel stops a load run before its next file).
    int FindSongByFileName(const QString& path, TSong& song);
    int SongNumForFile(const QString& path);
    /// The song stored with exactly this file's name, 0 when none ("Skip if already loaded").
    int SongNumForExactFile(const QString& path);
    /// The catalogued song with the record's album, artist, title and track; on success the record
    /// becomes that song.
    bool FindSongByDetails(TSong& song);
    /// Inserts or updates the row (no commit); resolves the album first.
    void SaveSong(TSong& song);
    /// Records whether the file is there when the catalogue thinks otherwise (no commit).
    void RefreshExi(TSong& song);
    /// Stores the song's file-existence flag, moving its album's count of existing files when the
    /// stored flag changes (no commit).
    void StoreExi(TSong& song, bool present);
    /// The genre's name; false (and empty) when the id is not in the list.
    bool GenreNameById(int genreId, QString& name);

    std::unique_ptr<TSongObj> LoadSongObj(int songNum);
    /// False for no object or a song that is gone (after saying so).
    bool RefreshSongObj(TSongObj* object);

    /// Fills a record from the current row of a song query.
    void FillSongFromRow(const RowSet& rows, TSong& song);

    /// Lookups answered from `cache` (null: none) where it knows them, and the rows written told to
    /// it; passed on to the albums and artists. A load run sets it while it imports a file.
    void UseLoadCache(LoadCache* cache);

    /// Raised by Cancel on the duplicate-files question; a load run stops before its next file.
    bool loadCancel = false;
    /// Raised when a song is inserted without a known duration.
    bool loadedWithoutDuration = false;

private:
    Query& UpdateStatement(bool writeSize, bool writeDuration);
    int LookUpFile(const QString& path, TSong& song, bool exactOnly);
    /// The rows of a lookup by lower-cased name that are the file at `path`, stored as `stored`.
    std::vector<int> FileMatches(const RowSet& rows, const QString& path, const QString& stored,
                                 bool exactOnly) const;
    /// False when the cache knows that no song is stored under this name (lower-cased); learns the
    /// names stored in its folder first.
    bool MayBeStored(LoadCache& cache, const QString& lowered);
    /// False when the cache knows that the album holds no song of this artist and track.
    bool AlbumMayHold(LoadCache& cache, int albumId, int artistId, int track);
    /// Tells the cache of the row just written.
    void NoteSongWritten(LoadCache& cache, const TSong& song);

    Catalogue& m_catalogue;
    AlbumStore& m_albums;
    const Settings& m_settings;
    Query m_byNumber;
    Query m_byFile;
    Query m_byDetails;
    Query m_byDetailsNoTitle;
    Query m_existing;
    Query m_insert;
    Query m_genreName;
    Query m_folderNames;
    Query m_albumPairs;
    Query m_storedName;
    StoredCase m_storedCase;
    std::map<int, Query> m_updates;
    LoadCache* m_cache = nullptr;
};

/// The base song query: every song column with the album, artist and genre names.
extern const QString kSongQuery;

/// Cuts the record's texts to the widths of the columns they are stored in.
void FitSongToColumns(TSong& song);

}  // namespace sw
