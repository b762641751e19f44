#include "SongStore.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <limits>
#include <optional>

#include "AlbumRecords.h"
#include "Albums.h"
#include "Catalogue.h"
#include "ColumnWidths.h"
#include "LoadCache.h"
#include "Settings.h"
#include "SongPaths.h"
#include "SongText.h"
#include "foundation/Dialogs.h"
#include "foundation/Files.h"
#include "foundation/Text.h"

namespace sw {

const QString kSongQuery =
    "SELECT s.* , al.alname, ar.arname, g.gname FROM song S\n"
    "LEFT JOIN genre G ON g.genreid = s.genreid\n"
    "LEFT JOIN album al ON al.albumid = s.albumid\n"
    "LEFT JOIN artist ar ON ar.artistid = s.artistid";

namespace {

const QString kSongColumns =
    "albumid = :albumid, track = :track, artistid = :artistid, title = :title, "
    "genreid = :genreid, rating = :rating, \"comment\" = :comment, exi = :exi, fn = :fn, "
    "searchts = :searchts, createts = :createts, editts = :editts, \"year\" = :year";

/// Binds a date-time, 0 (no moment) as null.
void BindMoment(Query& query, const QString& name, TDateTime value) {
    if (value == 0) {
        query.SetNull(name);
    } else {
        query.SetTimestamp(name, value);
    }
}

void ShowSongNotFound(int songNum) {
    ShowInfo("Song #" + QString::number(songNum) + " not found");
}

/// The file's identity, or false when there is no such file.
bool FileIdentity(const QString& path, dev_t& device, ino_t& inode) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return false;
    }
    device = info.st_dev;
    inode = info.st_ino;
    return true;
}

}  // namespace

void FitSongToColumns(TSong& song) {
    song.Title = FitToColumn(song.Title, kSongTitleWidth);
    song.Comment = FitToColumn(song.Comment, kSongCommentWidth);
    song.Year = FitToColumn(song.Year, kSongYearWidth);
    song.ArtistName = FitToColumn(song.ArtistName, kArtistNameWidth);
    song.AlbumName = FitToColumn(song.AlbumName, kAlbumNameWidth);
}

SongStore::SongStore(Catalogue& catalogue, AlbumStore& albums, const Settings& settings)
    : m_catalogue(catalogue),
      m_albums(albums),
      m_settings(settings),
      m_byNumber(catalogue, kSongQuery + "\nwhere s.songnum = :songnum"),
      m_byFile(catalogue, kSongQuery + "\nwhere lower(fn) = :fn"),
      m_byDetails(catalogue,
                  kSongQuery +
                      "\nwhere (s.albumid=:albumid)\nand (s.artistid=:artistid)\nand (lower (title) = "
                      ":title)\nand (track = :tracknum)"),
      m_byDetailsNoTitle(catalogue,
                         kSongQuery +
                             "\nwhere (s.albumid=:albumid)\nand (s.artistid=:artistid)\nand (title is "
                             "null)\nand (track = :tracknum)"),
      m_existing(catalogue, "select \"size\", albumid, exi from song where songnum = :songnum"),
      m_insert(
          catalogue,
          "insert into song (songnum, albumid, track, artistid, title, genreid, rating, \"comment\", exi, "
          "\"size\", fn, searchts, createts, editts, \"year\", duration) values (:songnum, :albumid, :track, "
          ":artistid, :title, :genreid, :rating, :comment, :exi, :size, :fn, :searchts, :createts, :editts, "
          ":year, :duration)"),
      m_genreName(catalogue, "select g.gname from genre g where g.genreid = :genreid"),
      m_folderNames(catalogue, "select lower(fn) as lfn from song where lower(fn) starting with :prefix"),
      m_albumPairs(catalogue, "select artistid, track from song where albumid = :albumid"),
      m_storedName(catalogue, "select lower(fn) as lfn from song where songnum = :songnum"),
      m_storedCase(catalogue) {}

void SongStore::UseLoadCache(LoadCache* cache) {
    m_cache = cache;
    m_albums.UseLoadCache(cache);
}

QString SongStore::FullPathOf(const QString& storedName) const {
    return MakeFullPath(storedName, m_settings.Root);
}

QString SongStore::RelativePathOf(const QString& path) const {
    return MakeRelativePath(path, m_settings.Root);
}

void SongStore::FillSongFromRow(const RowSet& rows, TSong& song) {
    song.SongNum = rows.Int("SONGNUM");
    song.AlbumName = rows.Text("ALNAME");
    song.AlbumId = rows.Int("ALBUMID");
    song.Track = static_cast<std::uint8_t>(rows.Int("TRACK") & 0xFF);
    song.ArtistName = rows.Text("ARNAME");
    song.ArtistId = rows.Int("ARTISTID");
    song.Title = rows.Text("TITLE");
    song.GenreId = static_cast<std::uint8_t>(rows.Int("GENREID") & 0xFF);
    song.GenreName = rows.Text("GNAME");
    song.Rating = rows.Int("RATING");
    if (song.Rating < -2 || song.Rating > 4) {
        song.Rating = 0;
    }
    song.Comment = rows.Text("comment");
    song.FileName = rows.Text("FN");
    song.FullPath = FullPathOf(song.FileName);
    song.FileType = FileTypeOf(song.FullPath);
    song.SearchTs = rows.DateTime("SEARCHTS");
    song.CreateTs = rows.DateTime("CREATETS");
    song.EditTs = rows.DateTime("EDITTS");
    QString year = rows.Text("year");
    TrimTrailingBlanks(year);
    song.Year = year.left(4);
    song.Size = rows.Int("size");
    song.Duration = rows.Int("DURATION");
    song.StartFrom = ParseStartFrom(song.Comment);
    const QFileInfo file(song.FullPath);
    song.FileFound = !song.FullPath.isEmpty() && file.isFile();
    song.FileDate = song.FileFound ? FromQDateTime(file.lastModified()) : 0;
    song.Exi = rows.Int("EXI") == 1;
}

bool SongStore::FindSongByNumber(int songNum, TSong& song) {
    ClearSong(song);
    if (songNum <= 0) {
        return false;
    }
    const RowSet rows = m_byNumber.SetInteger("songnum", songNum).Open();
    if (rows.RowCount() == 0) {
        return false;
    }
    FillSongFromRow(rows, song);
    return true;
}

bool SongStore::GetSongByNumber(int songNum, TSong& song) {
    if (FindSongByNumber(songNum, song)) {
        return true;
    }
    if (songNum != 0) {
        ShowSongNotFound(songNum);
    }
    return false;
}

bool SongStore::ReloadSong(TSong& song) {
    return GetSongByNumber(song.SongNum, song);
}

std::vector<int> SongStore::FileMatches(const RowSet& rows, const QString& path, const QString& stored,
                                        bool exactOnly) const {
    std::vector<int> exact;
    std::vector<int> otherCase;
    const int fn = rows.RowCount() > 0 ? rows.ColumnIndex("FN") : -1;
    for (int row = 0; row < rows.RowCount(); ++row) {
        (rows.Value(row, fn).toString() == stored ? exact : otherCase).push_back(row);
    }
    if (!exact.empty() || exactOnly || otherCase.empty()) {
        return exact;
    }
    // Another spelling is this file only when the file it names is gone (a folder or file renamed
    // in letter case, or a name stored lower-cased by the previous edition), or is this very file
    // (a file system that ignores letter case). Otherwise it names a second file.
    dev_t device = 0;
    ino_t inode = 0;
    const bool fileHere = FileIdentity(path, device, inode);
    std::vector<int> matches;
    for (const int row : otherCase) {
        dev_t otherDevice = 0;
        ino_t otherInode = 0;
        if (!FileIdentity(FullPathOf(rows.Value(row, fn).toString()), otherDevice, otherInode) ||
            (fileHere && otherDevice == device && otherInode == inode)) {
            matches.push_back(row);
        }
    }
    return matches;
}

int SongStore::LookUpFile(const QString& path, TSong& song, bool exactOnly) {
    const QString stored = RelativePathOf(path);
    ClearSong(song);
    if (!FitsColumn(stored, kSongFileNameWidth)) {
        return 0;  // no stored name is that long, and the database would refuse to compare it
    }
    const QString lowered = m_storedCase.Lower(stored);
    if (m_cache && !MayBeStored(*m_cache, lowered)) {
        return 0;
    }
    // The index on lower(fn) finds every spelling at once; the spellings are told apart here.
    RowSet rows = m_byFile.SetExactText("fn", lowered).Open();
    const std::vector<int> matches = FileMatches(rows, path, stored, exactOnly);
    if (matches.size() > 1 && !AskOkCancel(QuoteDouble(stored) + " - duplicates found")) {
        loadCancel = true;
    }
    if (!matches.empty()) {
        rows.SetCurrentRow(matches.front());
        FillSongFromRow(rows, song);
    }
    return static_cast<int>(matches.size());
}

bool SongStore::MayBeStored(LoadCache& cache, const QString& lowered) {
    cache.Sync(m_folderNames.Mark());
    // Every name the lookup can find begins with the folder part of the one looked for.
    const QString prefix = lowered.left(lowered.lastIndexOf('/') + 1);
    if (!cache.FolderKnown(prefix)) {
        const RowSet rows = m_folderNames.SetExactText("prefix", prefix).Open();
        QStringList keys;
        keys.reserve(rows.RowCount());
        for (int row = 0; row < rows.RowCount(); ++row) {
            keys << LoadCache::Key(rows.TextAt(row, 0));
        }
        cache.KeepFolder(prefix, keys);
    }
    return cache.MayHoldFile(LoadCache::Key(lowered));
}

bool SongStore::AlbumMayHold(LoadCache& cache, int albumId, int artistId, int track) {
    cache.Sync(m_albumPairs.Mark());
    const QSet<quint64>* pairs = cache.AlbumSongs(albumId);
    if (!pairs) {
        const RowSet rows = m_albumPairs.SetInteger("albumid", albumId).Open();
        QSet<quint64> found;
        found.reserve(rows.RowCount());
        for (int row = 0; row < rows.RowCount(); ++row) {
            // A null matches nothing; kept as 0 it only costs a lookup.
            found.insert(LoadCache::Pair(rows.IntegerAt(row, 0), rows.IntegerAt(row, 1)));
        }
        cache.KeepAlbumSongs(albumId, std::move(found));
        pairs = cache.AlbumSongs(albumId);
    }
    return pairs->contains(LoadCache::Pair(artistId, track));
}

void SongStore::NoteSongWritten(LoadCache& cache, const TSong& song) {
    QString fileKey;
    if (!song.FileName.isEmpty()) {
        if (LoadCache::LowersAlike(song.FileName)) {
            fileKey = LoadCache::Key(song.FileName.toLower());
        } else {
            // The engine's lower-casing of other letters is what lookups compare with.
            const RowSet rows = m_storedName.SetInteger("songnum", song.SongNum).Open();
            fileKey = rows.RowCount() > 0 ? LoadCache::Key(rows.TextAt(0, 0)) : QString();
        }
    }
    cache.SongWritten(song.AlbumId, song.ArtistId, song.Track, fileKey);
}

int SongStore::FindSongByFileName(const QString& path, TSong& song) {
    return LookUpFile(path, song, false);
}

int SongStore::SongNumForFile(const QString& path) {
    TSong scratch;
    FindSongByFileName(path, scratch);
    return scratch.SongNum;
}

int SongStore::SongNumForExactFile(const QString& path) {
    TSong scratch;
    LookUpFile(path, scratch, true);
    return scratch.SongNum;
}

bool SongStore::FindSongByDetails(TSong& song) {
    if (m_cache && !AlbumMayHold(*m_cache, song.AlbumId, song.ArtistId, song.Track)) {
        return false;
    }
    Query& query = song.Title.isEmpty() ? m_byDetailsNoTitle : m_byDetails;
    query.SetInteger("albumid", song.AlbumId)
        .SetInteger("artistid", song.ArtistId)
        .SetInteger("tracknum", song.Track);
    if (!song.Title.isEmpty()) {
        // Titles are stored cut to their column; a longer one is compared as it was stored.
        query.SetExactText("title", m_storedCase.Lower(FitToColumn(song.Title, kSongTitleWidth)));
    }
    const RowSet rows = query.Open();
    if (rows.RowCount() == 0) {
        return false;
    }
    const int songNum = rows.Int("SONGNUM");
    if (rows.RowCount() > 1 &&
        !(song.AlbumName.isEmpty() && song.ArtistName.isEmpty() && song.Title.isEmpty())) {
        ShowInfo("Songnum " + QString::number(songNum) +
                 " >1 instance of album/artist/title combi found on db");
    }
    if (FindSongByNumber(songNum, song)) {
        return true;
    }
    ShowSongNotFound(songNum);
    return false;
}

Query& SongStore::UpdateStatement(bool writeSize, bool writeDuration) {
    const int key = (writeSize ? 1 : 0) + (writeDuration ? 2 : 0);
    auto found = m_updates.find(key);
    if (found == m_updates.end()) {
        QString sql = "update song set " + kSongColumns;
        if (writeSize) {
            sql += ", \"size\" = :size";
        }
        if (writeDuration) {
            sql += ", duration = :duration";
        }
        sql += " where songnum = :songnum";
        found = m_updates.emplace(key, Query(m_catalogue, sql)).first;
    }
    return found->second;
}

void SongStore::SaveSong(TSong& song) {
    FitSongToColumns(song);
    if (song.AlbumName.isEmpty()) {
        song.AlbumId = 0;
    } else {
        TAlbum album;
        m_albums.ResolveSongAlbum(song, album);
    }

    bool updating = false;
    bool sizeIsNull = true;
    qint64 storedSize = 0;
    // Where the row counted as an existing file before this write, if anywhere.
    std::optional<int> countedIn;
    if (song.SongNum > 0) {
        const RowSet existing = m_existing.SetInteger("songnum", song.SongNum).Open();
        updating = existing.RowCount() > 0;
        if (updating) {
            sizeIsNull = existing.IsNull("size");
            storedSize = existing.Int64("size");
            if (existing.Int("EXI") == 1) {
                countedIn = existing.Int("ALBUMID");
            }
        }
    }
    const TDateTime now = NowDateTime();
    if (!updating) {
        if (m_cache) {
            m_cache->Sync(m_insert.Mark());
        }
        song.SongNum =
            m_cache && m_cache->NextSongNum() > 0 ? m_cache->NextSongNum() : m_catalogue.NextSongNum();
        song.CreateTs = now;
    }
    song.EditTs = now;

    const QFileInfo file(song.FullPath);
    const bool present = !song.FullPath.isEmpty() && file.isFile();
    song.Size = present ? static_cast<int>(StoredFileSize(file.size())) : 0;
    // A present file's size is written when it changed, 0 for an empty file included; a missing
    // file's 0 leaves a null size as it is.
    const bool writeSize = present ? sizeIsNull || song.Size != storedSize : !sizeIsNull && storedSize != 0;
    TrimTrailingBlanks(song.Year);
    if (song.Duration < 0) {
        song.Duration = 0;
    }
    const bool writeDuration = !updating || song.Duration > 0;

    Query& statement = updating ? UpdateStatement(writeSize, writeDuration) : m_insert;
    statement.SetInteger("songnum", song.SongNum)
        .SetInteger("albumid", song.AlbumId)
        .SetInteger("track", song.Track)
        .SetInteger("artistid", song.ArtistId)
        .SetText("title", song.Title)
        .SetInteger("genreid", song.GenreId)
        .SetInteger("rating", song.Rating)
        .SetText("comment", song.Comment)
        .SetInteger("exi", present ? 1 : 0)
        .SetText("fn", song.FileName)
        .SetText("year", song.Year);
    BindMoment(statement, "searchts", song.SearchTs);
    BindMoment(statement, "createts", song.CreateTs);
    BindMoment(statement, "editts", song.EditTs);
    if (!updating) {
        // A new row keeps a null size unless there is a file to measure.
        if (writeSize) {
            statement.SetInteger("size", song.Size);
        } else {
            statement.SetNull("size");
        }
        statement.SetInteger("duration", song.Duration);
    } else {
        if (writeSize) {
            statement.SetInteger("size", song.Size);
        }
        if (writeDuration) {
            statement.SetInteger("duration", song.Duration);
        }
    }
    RunOwn(m_cache, statement, [&] { statement.Execute(); });
    if (m_cache) {
        if (!updating) {
            m_cache->SetNextSongNum(song.SongNum + 1);
        }
        NoteSongWritten(*m_cache, song);
    }
    const std::optional<int> countedNow = present ? std::optional<int>(song.AlbumId) : std::nullopt;
    if (countedIn != countedNow) {
        if (countedIn) {
            m_albums.MoveExistingCount(*countedIn, -1);
        }
        if (countedNow) {
            m_albums.MoveExistingCount(*countedNow, 1);
        }
    }
    song.Exi = present;
    if (!updating && song.Duration == 0) {
        loadedWithoutDuration = true;
    }
}

void SongStore::RefreshExi(TSong& song) {
    StoreExi(song, QFileInfo(song.FullPath).isFile());
}

void SongStore::StoreExi(TSong& song, bool present) {
    song.Exi = present;
    // The stored flag, not the record's, says whether the album's count moves.
    const RowSet stored = m_existing.SetInteger("songnum", song.SongNum).Open();
    if (stored.RowCount() == 0 || (stored.Int("EXI") == 1) == present) {
        return;
    }
    RunOwn(m_cache, m_existing, [&] {
        m_catalogue.ExecSql("update song set exi = " + QString(present ? "1" : "0") +
                            " where songnum = " + QString::number(song.SongNum));
    });
    m_albums.MoveExistingCount(stored.Int("ALBUMID"), present ? 1 : -1);
}

bool SongStore::GenreNameById(int genreId, QString& name) {
    name.clear();
    if (genreId < 0) {
        return false;
    }
    const RowSet rows = m_genreName.SetInteger("genreid", genreId).Open();
    if (rows.RowCount() == 0) {
        return false;
    }
    name = rows.Text("GNAME");
    return true;
}

std::unique_ptr<TSongObj> SongStore::LoadSongObj(int songNum) {
    TSong song;
    return FindSongByNumber(songNum, song) ? NewSongObj(song) : nullptr;
}

bool SongStore::RefreshSongObj(TSongObj* object) {
    if (!object) {
        return false;
    }
    TSong song = SongFromObj(*object);
    if (!ReloadSong(song)) {
        return false;
    }
    object->Assign(song);
    return true;
}

}  // namespace sw
