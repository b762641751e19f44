// The album, genre and playlist passes of the database check: the catalogue's own bookkeeping.
#include <algorithm>

#include "HealthCheck.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "foundation/Text.h"

namespace sw {

bool HealthCheck::AlbumPass() {
    RowSet albums = m_catalogue.Select("select * from album order by albumid");
    const int count = RecordCount(albums);
    StartTableScan("ALBUM", count);
    Query clearCount(m_catalogue, "update album set numexi = 0 where albumid = :albumid");
    for (albums.First(); !albums.Eof(); albums.Next()) {
        if (Aborted()) {
            EndScan();
            return false;
        }
        SetProgress("Albums", count - albums.CurrentRow(), QString());
        const int albumId = albums.Int("ALBUMID");
        const QString prefix =
            "Album #" + QString::number(albumId) + " " + QuoteDouble(albums.Text("ALNAME")) + " ";
        if (albums.IsNull("ALORGRP")) {
            ReportManual(prefix + "alorgrp is null");
            continue;
        }
        if (albums.Text("ALORGRP") != "A") {
            continue;
        }
        // The song pass marked every album of which it saw a present file.
        const bool seen = IsScanStamp(albums.DateTime("RPRTS"));
        const int numExi = albums.Int("NUMEXI");
        if (!seen && numExi > 0) {
            if (m_repair) {
                clearCount.SetInteger("albumid", albumId).Execute();
            }
            ReportRepairable(prefix + "file count should be zero");
        }
        if (numExi == 0 && seen) {
            ReportManual(prefix + "file count should be > 0");
        }
    }
    EndTableScan();
    SetProgress(QString(), -1, QString());
    return true;
}

bool HealthCheck::GenrePass() {
    RowSet genres = m_catalogue.Select("select * from genre order by genreid");
    const int count = RecordCount(genres);
    StartTableScan("GENRE", count);
    Query makeDormant(m_catalogue, "update genre set dormant = 1 where genreid = :genreid");
    for (genres.First(); !genres.Eof(); genres.Next()) {
        if (Aborted()) {
            EndScan();
            return false;
        }
        SetProgress("Genres", count - genres.CurrentRow(), QString());
        // The song pass marked every genre a song has.
        if (IsScanStamp(genres.DateTime("RPRTS")) || genres.Int("DORMANT") != 0) {
            continue;
        }
        const int genreId = genres.Int("GENREID");
        AddLine("Unused Genre #" + QString::number(genreId) + " " + QuoteDouble(genres.Text("GNAME")) +
                " should be dormant");
        if (m_repair) {
            makeDormant.SetInteger("genreid", genreId).Execute();
            ++m_totals.repaired;
        } else {
            ++m_totals.outstanding;
        }
    }
    EndTableScan();
    SetProgress(QString(), -1, QString());
    return true;
}

bool HealthCheck::PlaylistPass(const std::vector<int>& songNums) {
    RowSet entries = m_catalogue.Select("select * from songinpl order by plid, seq");
    const int count = RecordCount(entries);
    StartTableScan("SONGINPL", count);
    Query remove(m_catalogue,
                 "delete from songinpl where plid = :plid and seq = :seq and songnum = :songnum");
    for (entries.First(); !entries.Eof(); entries.Next()) {
        if (Aborted()) {
            EndScan();
            return false;
        }
        SetProgress("Songs in Playlists", count - entries.CurrentRow(), QString());
        const int songNum = entries.Int("SONGNUM");
        const int playlist = entries.Int("PLID");
        if (playlist == -1 || std::binary_search(songNums.begin(), songNums.end(), songNum)) {
            continue;
        }
        QString line = "Song #" + QString::number(songNum) + " at " + QString::number(entries.Int("SEQ")) +
                       " in playlist " + QString::number(playlist) + " song not found";
        if (m_repair) {
            remove.SetInteger("plid", playlist)
                .SetInteger("seq", entries.Int("SEQ"))
                .SetInteger("songnum", songNum)
                .Execute();
            line += " (repaired)";
            ++m_totals.repaired;
        } else {
            ++m_totals.outstanding;
        }
        AddLine(line);
    }
    EndTableScan();
    return true;
}

}  // namespace sw
