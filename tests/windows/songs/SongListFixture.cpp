#include "SongListFixture.h"

#include "core/Query.h"
#include "foundation/Files.h"
#include "foundation/Text.h"

namespace sw::test {

SongListFixture::SongListFixture() {
    m_clock.SetLocalNow(StampToDateTime({{2024, 5, 10}, {12, 0, 0}}));
    m_settings.FILTER = 1;
    m_settings.DAYSRECENT = 10;
    m_list.SetDisplay(&m_display);
    m_list.SetAlbumSummary(&m_summary);
}

int SongListFixture::AddSong(const ListedSong& song) {
    const int songNum = m_catalogue.NextSongNum();
    QString fn = song.fn.isEmpty() ? "missing/" + QString::number(songNum) + ".mp3" : song.fn;
    if (fn.startsWith('+')) {
        fn = fn.mid(1);
        MakeFile(fn);
    }
    Query insert(
        m_catalogue,
        "insert into song (songnum, title, artistid, albumid, track, rating, exi, genreid, duration, "
        "\"year\", \"comment\", fn, \"size\", createts, editts) values (:songnum, :title, :artistid, "
        ":albumid, :track, :rating, :exi, :genreid, :duration, :year, :comment, :fn, :size, :createts, "
        ":createts)");
    insert.SetInteger("songnum", songNum)
        .SetText("title", song.title)
        .SetInteger("artistid", m_library.artists.FindOrCreateArtist(song.artist))
        .SetInteger("albumid", song.albumId)
        .SetInteger("track", song.track)
        .SetInteger("rating", song.rating)
        .SetInteger("exi", song.exi)
        .SetInteger("genreid", song.genreId)
        .SetInteger("duration", song.duration)
        .SetText("year", song.year)
        .SetText("comment", song.comment)
        .SetText("fn", fn)
        .SetInteger("size", FileSizeBytes(m_settings.Root + fn))
        .SetTimestamp("createts", m_clock.LocalNow())
        .Execute();
    m_catalogue.CommitAndContinue();
    return songNum;
}

int SongListFixture::AddAlbum(const QString& name, std::vector<ListedSong> songs, const QString& artist) {
    TAlbum album;
    ClearAlbum(album);
    album.AlbumName = name;
    album.ArtistName = artist;
    album.NumExi = static_cast<int>(songs.size());
    m_library.albums.WriteAlbum(album);
    for (ListedSong& song : songs) {
        song.albumId = album.AlbumId;
        if (song.artist.isEmpty()) {
            song.artist = artist;
        }
        AddSong(song);
    }
    m_catalogue.CommitAndContinue();
    return album.AlbumId;
}

void SongListFixture::AddGenre(int id, const QString& name) {
    m_catalogue.ExecSqlCommit("insert into genre (genreid, gname) values (" + QString::number(id) + ", " +
                              SqlQuote(name) + ")");
}

void SongListFixture::AddPlaylist(int id, const QString& name, const QList<int>& songNums) {
    m_playlists.InsertPlaylistRow(id, name);
    int seq = 0;
    for (const int songNum : songNums) {
        TSong song;
        song.SongNum = songNum;
        m_playlists.InsertPlaylistEntry(song, id, ++seq);
    }
    m_catalogue.CommitAndContinue();
}

void SongListFixture::AddHistory(int songNum, const QString& stamp) {
    const QString day = stamp.left(10).remove('-');
    const QString time = stamp.mid(11).remove(':');
    m_catalogue.ExecSqlCommit("insert into history (songnum, ts, pldate, pltime) values (" +
                              QString::number(songNum) + ", '" + stamp + "', " + day + ", " + time + ")");
}

QStringList SongListFixture::Titles() const {
    return Column(SongColumn::Title);
}

QStringList SongListFixture::Column(SongColumn column) const {
    QStringList cells;
    for (int row = 0; row < m_list.RowCount(); ++row) {
        cells << m_list.CellText(row, column);
    }
    return cells;
}

QString SongListFixture::CurrentTitle() const {
    return m_list.CellText(m_list.CurrentRow(), SongColumn::Title);
}

}  // namespace sw::test
