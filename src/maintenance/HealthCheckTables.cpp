// The album, genre and playlist passes of the database check: the catalogue's own bookkeeping.
#include <algorithm>
#include <map>

#include "HealthCheck.h"
#include "core/Catalogue.h"
#include "core/Library.h"
#include "core/Query.h"
#include "foundation/Text.h"

namespace sw {

namespace {

int CountOf(const std::map<int, int>& counts, int id) {
    const auto found = counts.find(id);
    return found == counts.end() ? 0 : found->second;
}

QString Plural(int count, const QString& one, const QString& many) {
    return QString::number(count) + " " + (count == 1 ? one : many);
}

}  // namespace

bool HealthCheck::AlbumPass(const SeenInScan& seen) {
    RowSet albums = m_catalogue.Select("select * from album order by albumid");
    const int count = RecordCount(albums);
    StartTableScan("ALBUM", count);
    Query setCount(m_catalogue, "update album set numexi = :numexi where albumid = :albumid");
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
        // The song pass counted the album's songs whose files it found.
        const int present = CountOf(seen.albumFiles, albumId);
        const int numExi = albums.Int("NUMEXI");
        if (numExi == present) {
            continue;
        }
        QString text = "file count should be zero";
        if (numExi == 0) {
            text = "file count should be > 0";
        } else if (present > 0) {
            text = "file count is " + QString::number(numExi) + ", should be " + QString::number(present);
        }
        if (m_repair) {
            setCount.SetInteger("numexi", present).SetInteger("albumid", albumId).Execute();
        }
        ReportRepairable(prefix + text);
    }
    EndTableScan();
    SetProgress(QString(), -1, QString());
    return true;
}

bool HealthCheck::GenrePass(const SeenInScan& seen) {
    RowSet genres = m_catalogue.Select("select * from genre order by genreid");
    const int count = RecordCount(genres);
    StartTableScan("GENRE", count);
    Query makeDormant(m_catalogue, "update genre set dormant = 1 where genreid = :genreid");
    Query setCount(m_catalogue, "update genre set numexi = :numexi where genreid = :genreid");
    int unused = 0;
    int staleCounts = 0;
    for (genres.First(); !genres.Eof(); genres.Next()) {
        if (Aborted()) {
            EndScan();
            return false;
        }
        SetProgress("Genres", count - genres.CurrentRow(), QString());
        const int genreId = genres.Int("GENREID");
        const int present = CountOf(seen.genreFiles, genreId);
        if (genres.Int("NUMEXI") != present) {
            ++staleCounts;
            if (m_repair) {
                setCount.SetInteger("numexi", present).SetInteger("genreid", genreId).Execute();
            }
        }
        // Every genre a song has is a key of the song pass's counts.
        if (seen.genreFiles.count(genreId) > 0 || genres.Int("DORMANT") != 0) {
            continue;
        }
        ++unused;
        if (m_repair) {
            makeDormant.SetInteger("genreid", genreId).Execute();
            ++m_totals.repaired;
        }
    }
    // Neither is a problem: a genre list holds many genres no song has yet.
    if (unused > 0) {
        ReportInformation(m_repair ? Plural(unused, "unused genre", "unused genres") + " made dormant"
                                   : Plural(unused, "unused genre", "unused genres") +
                                         " could be made dormant (the repair does it)",
                          m_repair ? 0 : unused);
    }
    if (staleCounts > 0) {
        ReportInformation(m_repair ? Plural(staleCounts, "genre file count", "genre file counts") + " set"
                                   : Plural(staleCounts, "genre file count", "genre file counts") +
                                         " out of date (the repair sets them)",
                          m_repair ? 0 : staleCounts);
    }
    EndTableScan();
    SetProgress(QString(), -1, QString());
    return true;
}

bool HealthCheck::PlaylistPass(const SeenInScan& seen) {
    const std::vector<int>& songNums = seen.songNums;
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
