#include "Albums.h"

#include "Artists.h"
#include "Catalogue.h"
#include "ColumnWidths.h"
#include "HashReference.h"
#include "LoadCache.h"
#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

namespace {

const QString kAlbumQuery =
    "select al.*, ar.arname from album al left join artist ar on ar.artistid = al.artistid";

const QString kAlbumColumns =
    "albumid = :albumid, alname = :alname, artistid = :artistid, "
    "numexi = case when cast(:numexiread as integer) < 0 then cast(:numexi as integer) "
    "else maxvalue(coalesce(numexi, 0) + cast(:numexi as integer) - cast(:numexiread as integer), 0) end, "
    "\"year\" = :year, rprts = :rprts, createts = :createts, alorgrp = :alorgrp, "
    "grpid = :grpid, ratingdrvd = :ratingdrvd, ratingsumm = :ratingsumm, "
    "ratingassd = :ratingassd, seq = :seq";

}  // namespace

AlbumStore::AlbumStore(Catalogue& catalogue, ArtistStore& artists)
    : m_catalogue(catalogue),
      m_artists(artists),
      m_byId(catalogue, kAlbumQuery + "\nwhere al.albumid = :id"),
      m_byName(catalogue, kAlbumQuery + "\nwhere (lower(al.alname) = :albumname)\nand (al.alorgrp = 'A') "),
      m_insert(
          catalogue,
          "insert into album (albumid, alname, artistid, numexi, \"year\", rprts, createts, alorgrp, grpid, "
          "ratingdrvd, ratingsumm, ratingassd, seq) values (:albumid, :alname, :artistid, :numexi, :year, "
          ":rprts, :createts, :alorgrp, :grpid, :ratingdrvd, :ratingsumm, :ratingassd, :seq)"),
      m_update(catalogue, "update album set " + kAlbumColumns + " where albumid = :albumid"),
      m_exists(catalogue, "select albumid from album where albumid = :albumid"),
      m_moveCount(
          catalogue,
          "update album set numexi = maxvalue(coalesce(numexi, 0) + :delta, 0) where albumid = :albumid"),
      m_storedCase(catalogue) {}

void AlbumStore::FillAlbumFromRow(const RowSet& rows, TAlbum& album) const {
    album.AlbumId = rows.Int("ALBUMID");
    album.AlbumName = rows.Text("ALNAME");
    album.ArtistName = rows.Text("ARNAME");
    album.ArtistId = rows.Int("ARTISTID");
    album.Rprts = rows.DateTime("RPRTS");
    album.Year = rows.Text("year").left(4);
    album.NumExi = rows.Int("NUMEXI");
    album.NumExiRead = album.NumExi;
    album.CreateTs = rows.DateTime("CREATETS");
    const QString mark = rows.Text("ALORGRP");
    album.AlOrGrp = mark.isEmpty() ? QChar('X') : mark[0];
    album.GrpId = rows.Int("GRPID");
    album.RatingDrvd = rows.Int("RATINGDRVD");
    album.RatingSumm = rows.Int("RATINGSUMM");
    album.RatingAssd = rows.Int("RATINGASSD") == 1;
    album.SeqIsNull = rows.IsNull("SEQ");
    album.Seq = rows.Int("SEQ");
}

void AlbumStore::UseLoadCache(LoadCache* cache) {
    m_cache = cache;
    m_artists.UseLoadCache(cache);
}

LoadCache* AlbumStore::SyncedCache() {
    if (m_cache) {
        m_cache->Sync(m_byId.Mark());
    }
    return m_cache;
}

bool AlbumStore::FindAlbumById(int id, TAlbum& album) {
    if (id <= 0) {
        ClearAlbum(album);
        return false;
    }
    LoadCache* cache = SyncedCache();
    if (const TAlbum* known = cache ? cache->AlbumById(id) : nullptr) {
        album = *known;
        return true;
    }
    RowSet rows = m_byId.SetInteger("id", id).Open();
    if (rows.RowCount() == 0) {
        ClearAlbum(album);
        return false;
    }
    // A row found fills every field; only a record left empty needs the moment ClearAlbum stamps.
    album = TAlbum{};
    FillAlbumFromRow(rows, album);
    if (cache) {
        cache->KeepAlbum(album);
    }
    return true;
}

int AlbumStore::FindAlbumByName(const QString& name, TAlbum& album) {
    if (name.isEmpty()) {
        ClearAlbum(album);
        album.AlbumId = 0;
        return 0;
    }
    // Names are stored cut to their column, so a longer name is looked up as it was stored.
    const QString lower = m_storedCase.Lower(FitToColumn(name, kAlbumNameWidth));
    LoadCache* cache = SyncedCache();
    const QString key = cache ? LoadCache::Key(lower) : QString();
    const LoadCache::AlbumHit* hit = cache ? cache->AlbumNamed(key) : nullptr;
    if (const TAlbum* known = hit ? cache->AlbumById(hit->id) : nullptr) {
        album = *known;
        return hit->several ? -2 : album.AlbumId;
    }
    RowSet rows = m_byName.SetExactText("albumname", lower).Open();
    if (rows.RowCount() == 0) {
        ClearAlbum(album);
        return -1;
    }
    album = TAlbum{};
    FillAlbumFromRow(rows, album);
    const bool several = rows.RowCount() > 1;
    if (cache) {
        cache->KeepAlbumNamed(key, album, several);
    }
    return several ? -2 : album.AlbumId;
}

int AlbumStore::FindAlbumByNameOnly(const QString& name) {
    return FindAlbumByName(name, m_current);
}

int AlbumStore::CreateAlbumNamed(const QString& name) {
    ClearAlbum(m_current);
    m_current.AlbumName = name;
    WriteAlbum(m_current);
    return m_current.AlbumId;
}

int AlbumStore::FindOrCreateAlbum(QString name, int artistId) {
    TrimTrailingBlanks(name);
    if (name.isEmpty()) {
        ClearAlbum(m_current);
        return 0;
    }
    // The lookup leaves the current album cleared when it finds none.
    const int found = FindAlbumByName(name, m_current);
    if (found == -2) {
        return -2;
    }
    if (found == -1) {
        m_current.AlbumName = FitToColumn(name, kAlbumNameWidth);
        m_current.ArtistId = artistId;
        WriteAlbum(m_current);
        if (m_cache && m_current.AlbumId > 0) {
            m_cache->AlbumMadeNamed(m_current.AlbumId, m_current.AlbumName);
        }
        return m_current.AlbumId;
    }
    if (artistId == m_current.ArtistId || m_current.ArtistId == m_artists.VariousArtistId()) {
        return m_current.AlbumId;
    }
    if (!ConfirmOK("Resetting album artist to \"various\"")) {
        return -2;
    }
    m_current.ArtistName = "various";
    m_current.ArtistId = m_artists.VariousArtistId();
    WriteAlbum(m_current);
    return m_current.AlbumId;
}

void AlbumStore::ResolveSongAlbum(TSong& song, TAlbum& album) {
    bool found;
    if (song.AlbumId >= 0) {
        found = FindAlbumById(song.AlbumId, album);
    } else {
        found = FindAlbumByName(song.AlbumName, album) > 0;
    }
    if (!found) {
        ClearAlbum(album);
        album.AlbumName = song.AlbumName;
        album.ArtistName = song.ArtistName;
        album.ArtistId = song.ArtistId;
        album.Year = song.Year;
        album.CreateTs = song.CreateTs;
        WriteAlbum(album);
    } else {
        bool changed = false;
        if (album.ArtistName != "various" && album.ArtistName != song.ArtistName) {
            album.ArtistName = "various";
            album.ArtistId = m_artists.VariousArtistId();
            changed = true;
        }
        // An album made from a song without a year takes the first year one of its songs brings.
        if (album.Year.trimmed().isEmpty() && !song.Year.trimmed().isEmpty()) {
            album.Year = song.Year.trimmed();
            changed = true;
        }
        if (changed) {
            WriteAlbum(album);
        }
    }
    song.AlbumId = album.AlbumId;
}

void AlbumStore::WriteAlbum(TAlbum& album) {
    album.AlbumName = FitToColumn(album.AlbumName, kAlbumNameWidth);
    album.Year = FitToColumn(album.Year, kAlbumYearWidth);
    if (album.AlbumName.isEmpty()) {
        ShowProgramError("wr_album A");
        album.AlbumId = 0;
        return;
    }
    if (album.ArtistId == -1) {
        album.ArtistId = m_artists.FindOrCreateArtist(album.ArtistName);
    }
    Query* statement = &m_update;
    if (album.AlbumId <= 0) {
        album.AlbumId = m_catalogue.NextAlbumId();
        statement = &m_insert;
    } else {
        if (m_exists.SetInteger("albumid", album.AlbumId).Open().RowCount() == 0) {
            ShowProgramError("ed_album B");
            return;
        }
        m_update.SetInteger("numexiread", album.NumExiRead);
    }
    statement->SetInteger("albumid", album.AlbumId)
        .SetText("alname", album.AlbumName)
        .SetInteger("artistid", album.ArtistId)
        .SetInteger("numexi", album.NumExi)
        .SetText("year", album.Year)
        .SetTimestamp("rprts", album.Rprts)
        .SetTimestamp("createts", album.CreateTs)
        .SetExactText("alorgrp", QString(album.AlOrGrp))
        .SetInteger("grpid", album.GrpId)
        .SetInteger("ratingdrvd", album.RatingDrvd)
        .SetInteger("ratingsumm", album.RatingSumm)
        .SetInteger("ratingassd", album.RatingAssd ? 1 : 0)
        .SetInteger("seq", album.Seq);
    RunOwn(m_cache, *statement, [&] { statement->Execute(); });
    if (m_cache) {
        // Read again when next asked for: the row as the engine stored and joins it.
        m_cache->AlbumWritten(album.AlbumId, album.AlbumName);
    }
    album.NumExiRead = album.NumExi;
}

void AlbumStore::SetAlbumSeq(TAlbum& album) {
    m_catalogue.ExecSql("update album set seq = " + QString::number(album.Seq) +
                        " where albumid = " + QString::number(album.AlbumId));
    album.SeqIsNull = false;
}

bool AlbumStore::AdjustAlbumNumExi(int id, int delta) {
    TAlbum album;
    if (!FindAlbumById(id, album)) {
        return false;
    }
    album.NumExi += delta;
    WriteAlbum(album);
    return true;
}

void AlbumStore::MoveExistingCount(int id, int delta) {
    m_moveCount.SetInteger("albumid", id).SetInteger("delta", delta);
    RunOwn(m_cache, m_moveCount, [&] { m_moveCount.Execute(); });
    if (m_cache) {
        m_cache->MoveExistingCount(id, delta);
    }
}

int AlbumStore::CountAlbumSongs(int id) {
    m_catalogue.RunQuery("select count(s.songnum) from song s where s.albumid = " + QString::number(id));
    return m_catalogue.QueryInt("count");
}

void AlbumStore::RenameAlbumRow(int id, const QString& name) {
    if (name.isEmpty()) {
        return;
    }
    m_catalogue.ExecSql("update album set alname = " + SqlQuote(FitToColumn(name, kAlbumNameWidth)) +
                        " where albumid = " + QString::number(id));
}

int AlbumStore::ExpandAlbumRef(QString& typed) {
    return ExpandHashReference(typed, "album", [this](int id, QString& name) {
        const bool found = FindAlbumById(id, m_current);
        name = m_current.AlbumName;
        return found;
    });
}

bool AlbumStore::ConfirmDeleteAlbum(int id, bool readOnly) {
    if (RefuseIfReadOnly(readOnly)) {
        return false;
    }
    const int count = CountAlbumSongs(id);
    const QString question = count > 0 ? "Album has " + QString::number(count) +
                                             " song(s), OK to remove all these (retaining any MP3 files) ?"
                                       : "Album has no songs, OK to remove it ? ";
    if (!Confirm(question)) {
        return false;
    }
    DeleteAlbumAndSongs(id);
    return true;
}

void AlbumStore::DeleteAlbumAndSongs(int id) {
    const QString album = QString::number(id);
    // The songs' playlist entries go with them, as when a single song is removed; left behind they
    // would point at songs that no longer exist.
    m_catalogue.ExecSql(
        "delete from songinpl where songnum in (select songnum from song where albumid = " + album + ")");
    m_catalogue.ExecSql("delete from song where albumid = " + album);
    m_catalogue.ExecSql("delete from album where albumid = " + album);
}

void ShowAlbumZeroReserved() {
    ShowInfo("Album #0 cannot be renamed, reserved for album name = blank");
}

}  // namespace sw
