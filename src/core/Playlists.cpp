#include "Playlists.h"

#include "Catalogue.h"
#include "Query.h"
#include "SongStore.h"
#include "StoredCase.h"
#include "foundation/Dialogs.h"
#include "foundation/Text.h"

namespace sw {

namespace {

QString Number(int value) {
    return QString::number(value);
}

}  // namespace

Playlists::Playlists(Catalogue& catalogue, SharedPlaylists& shared, const Clock& clock)
    : m_catalogue(catalogue), m_shared(shared), m_clock(clock) {}

bool Playlists::LoadPlaylistRecord(int playlistId, Tplist& playlist) {
    const RowSet rows =
        m_catalogue.Select("select plid, plname from plist where plid = " + Number(playlistId));
    if (rows.RowCount() == 0) {
        return false;
    }
    playlist.Id = rows.Int("PLID");
    playlist.Name = rows.Text("PLNAME");
    return true;
}

void Playlists::InsertPlaylistEntry(const TSong& song, int playlistId, int seq) {
    m_catalogue.ExecSql("insert into songinpl (plid, seq, songnum) values ( " + Number(playlistId) + ", " +
                        Number(seq) + ", " + Number(song.SongNum) + ");");
}

int Playlists::NextPlaylistSeq(int playlistId) {
    m_catalogue.RunQuery("select max(sp.seq) as maxseq from songinpl sp where sp.plid = " +
                         Number(playlistId));
    return m_catalogue.QueryInt("maxseq") + 1;
}

bool Playlists::AddSongToTargetPlaylist(const TSong& song) {
    const int target = m_shared.TargetPlaylist.Id;
    m_catalogue.RunQuery("select * from songinpl where plid = " + Number(target) +
                         " and songnum = " + Number(song.SongNum));
    if (!m_catalogue.GeneralQuery().Eof() && !Confirm("Song is already in this playlist - add it again ?")) {
        return false;
    }
    InsertPlaylistEntry(song, target, NextPlaylistSeq(target));
    FlashMessage("Added OK");
    return true;
}

bool Playlists::FindPlaylistByName(const QString& name) {
    const std::optional<int> id = FindPlaylistId(name);
    if (!id) {
        return false;
    }
    m_shared.TargetPlaylist = {*id, name};
    return true;
}

std::optional<int> Playlists::FindPlaylistId(const QString& name) {
    m_catalogue.RunQuery("select * from plist where plname = " + SqlQuote(name));
    const RowSet& rows = m_catalogue.GeneralQuery();
    if (rows.Eof()) {
        return std::nullopt;
    }
    return rows.Int("PLID");
}

std::optional<Tplist> Playlists::OtherPlaylistNamed(const QString& name, int playlistId) {
    m_catalogue.RunQuery("select plid, plname from plist where lower(plname) = " +
                         SqlQuote(StoredCase(m_catalogue).Lower(name)) + " and plid <> " +
                         Number(playlistId) + " order by plid");
    const RowSet& rows = m_catalogue.GeneralQuery();
    if (rows.Eof()) {
        return std::nullopt;
    }
    return Tplist{rows.Int("PLID"), rows.Text("PLNAME")};
}

bool Playlists::CreatePlaylistNamed(const QString& name) {
    // A longer name could never be stored, nor found again under the name that was stored.
    const QString stored = LeftChars(name, kPlaylistNameWidth);
    if (FindPlaylistByName(stored)) {
        ShowInfo("A playlist with this name already exists");
        return true;
    }
    const int id = m_catalogue.NextPlaylistId();
    InsertPlaylistRow(id, stored);
    m_shared.TargetPlaylist = {id, stored};
    return true;
}

bool Playlists::AskNewPlaylist() {
    QString name;
    if (!InputTextLimited("New playlist name (max 40 chs)", name, kPlaylistNameWidth)) {
        return false;
    }
    return CreatePlaylistNamed(name);
}

std::optional<PlaylistNameAnswer> Playlists::AskPlaylistName() {
    QString typed;
    if (!InputTextLimited("New playlist name (max 40 chs)", typed, kPlaylistNameWidth)) {
        return std::nullopt;
    }
    PlaylistNameAnswer answer;
    answer.name = LeftChars(typed, kPlaylistNameWidth);
    answer.existingId = FindPlaylistId(answer.name);
    return answer;
}

void Playlists::InsertPlaylistRow(int playlistId, const QString& name, bool commit) {
    const int today = DateNumber(DateTimeToStamp(m_clock.LocalNow()).date);
    m_catalogue.ExecSql("insert into plist (plid, plname, pldate) values (" + Number(playlistId) + ", " +
                        SqlQuote(LeftChars(name, kPlaylistNameWidth)) + "," + Number(today) + ");");
    if (commit) {
        m_catalogue.CommitAndContinue();
    }
}

void Playlists::ClearPlaylistEntries(int playlistId) {
    m_catalogue.ExecSql("delete from songinpl where plid = " + Number(playlistId));
}

void Playlists::DeletePlaylistRow(int playlistId) {
    m_catalogue.ExecSql("delete from plist where plid = " + Number(playlistId));
}

bool Playlists::DeletePlaylist(int playlistId) {
    return DeleteOrClearPlaylist(playlistId, 'D');
}

bool Playlists::ClearPlaylist(int playlistId) {
    return DeleteOrClearPlaylist(playlistId, 'C');
}

bool Playlists::DeleteOrClearPlaylist(int playlistId, char mode) {
    if (mode != 'C' && mode != 'D') {
        return false;
    }
    const QString verb = mode == 'C' ? "clear" : "delete";
    const int count = m_catalogue.PlaylistSongCount(playlistId);
    if (count > 0) {
        if (!Confirm("Playlist has " + Number(count) + " song(s), do you really want to " + verb + " it ?")) {
            return false;
        }
    } else if (mode == 'C') {
        ShowInfo("Playlist is already empty");
        return false;
    } else if (!ConfirmOK("Delete empty playlist #" + Number(playlistId))) {
        return false;
    }
    ClearPlaylistEntries(playlistId);
    if (mode == 'D') {
        DeletePlaylistRow(playlistId);
    }
    m_catalogue.CommitAndContinue();
    return true;
}

void Playlists::DeletePlaylistEntry(int playlistId, int seq) {
    m_catalogue.ExecSql("delete from songinpl where (plid=" + Number(playlistId) +
                        ") and (seq=" + Number(seq) + ");");
}

bool Playlists::DropPlaylistEntry(int playlistId, int seq) {
    if (!Confirm("OK to drop song at seq " + Number(seq) + " from playlist #" + Number(playlistId) + " ?")) {
        return false;
    }
    DeletePlaylistEntry(playlistId, seq);
    return true;
}

QString Playlists::PlaylistMenuCaption(char kind) const {
    QString caption = kind == 'A' ? "Add to " : "Select ";
    if (m_shared.TargetPlaylist.Id > 0) {
        caption += "another ";
    }
    return caption + "playlist";
}

std::vector<PlaylistEntry> Playlists::ReadPlaylistEntries(int playlistId, SongStore& songs) {
    Query query(
        m_catalogue,
        "SELECT sp.seq, sp.songnum as entrysong, s.* , al.alname, ar.arname, g.gname FROM songinpl sp\n"
        "LEFT JOIN song s ON s.songnum = sp.songnum\n"
        "LEFT JOIN genre G ON g.genreid = s.genreid\n"
        "LEFT JOIN album al ON al.albumid = s.albumid\n"
        "LEFT JOIN artist ar ON ar.artistid = s.artistid\n"
        "WHERE (sp.plid = :id)\n"
        "ORDER BY sp.seq");
    RowSet rows = query.SetInteger("id", playlistId).Open();
    std::vector<PlaylistEntry> entries;
    entries.reserve(static_cast<std::size_t>(rows.RowCount()));
    for (rows.First(); !rows.Eof(); rows.Next()) {
        PlaylistEntry entry;
        entry.Seq = rows.Int("SEQ");
        entry.SongFound = !rows.IsNull("SONGNUM");
        if (entry.SongFound) {
            songs.FillSongFromRow(rows, entry.Song);
        } else {
            ClearSong(entry.Song);
            entry.Song.SongNum = rows.Int("ENTRYSONG");
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace sw
