#include "PlaylistTestSupport.h"

#include "core/Query.h"

namespace sw::test {

int PlaybackFixture::InsertSong(const SongRow& row) {
    const int songNum = m_catalogue.NextSongNum();
    const int artistId = m_library.artists.FindOrCreateArtist(row.artist);
    Query insert(
        m_catalogue,
        "insert into song (songnum, title, artistid, albumid, track, rating, exi, \"year\", fn, editts) "
        "values (:songnum, :title, :artistid, :albumid, :track, :rating, :exi, :year, :fn, "
        "'2020-01-01 10:00:00')");
    insert.SetInteger("songnum", songNum)
        .SetText("title", row.title)
        .SetInteger("artistid", artistId)
        .SetInteger("albumid", row.albumId)
        .SetInteger("track", row.track)
        .SetInteger("rating", row.rating)
        .SetInteger("exi", row.exi)
        .SetText("year", row.year)
        .SetText("fn", row.fn.isEmpty() ? "missing/" + QString::number(songNum) + ".mp3" : row.fn)
        .Execute();
    m_catalogue.CommitAndContinue();
    return songNum;
}

QStringList PlaybackFixture::Entries(int playlistId) {
    const RowSet rows =
        m_catalogue.Select("select seq, songnum from songinpl where plid = " + QString::number(playlistId) +
                           " order by seq, songnum");
    QStringList entries;
    for (int row = 0; row < rows.RowCount(); ++row) {
        entries << rows.Value(row, 0).toString() + ":" + rows.Value(row, 1).toString();
    }
    return entries;
}

void PlaybackFixture::MakePlaylist(int id, const QString& name, const QList<int>& seqs) {
    m_playlists.InsertPlaylistRow(id, name);
    for (const int seq : seqs) {
        TSong song;
        song.SongNum = 100 + seq;
        m_playlists.InsertPlaylistEntry(song, id, seq);
    }
    m_catalogue.CommitAndContinue();
}

int PlaybackFixture::CountRows(const QString& sql) {
    return m_catalogue.Select(sql).Int("CT");
}

}  // namespace sw::test
