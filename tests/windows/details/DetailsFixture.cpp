#include "DetailsFixture.h"

#include <QDir>
#include <QFileInfo>

namespace sw::test {

TSong Details(const QString& title, const QString& artist, const QString& album, int track) {
    TSong song;
    song.Title = title;
    song.ArtistName = artist;
    song.AlbumName = album;
    song.Track = static_cast<std::uint8_t>(track);
    song.Year = "1999";
    song.Comment = "nice";
    song.GenreId = 17;
    song.GenreName = "Rock";
    return song;
}

DetailsFixture::DetailsFixture() {
    m_settings.MP3TAGREADPREFV1V2 = 2;
    m_settings.OGGTAG = true;
    m_library.tagWriter = &m_tags;
    m_catalogue.ExecSqlCommit("insert into genre (genreid, gname) values (17, 'Rock')");
    m_catalogue.ExecSqlCommit("insert into genre (genreid, gname) values (8, 'Jazz')");
}

DetailsFixture::~DetailsFixture() {
    m_library.tagWriter = nullptr;
}

int DetailsFixture::AddTaggedSong(const QString& name, TSong details, int policy, const QString& fixture) {
    const QString path = m_music.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    WriteBytes(path, Fixture(fixture));
    details.FullPath = path;
    details.FileName = m_library.songs.RelativePathOf(path);
    details.FileType = QFileInfo(path).suffix().toUpper();
    if (details.ArtistId < 0) {
        details.ArtistId = m_library.artists.FindOrCreateArtist(details.ArtistName);
    }
    if (policy != 0) {
        const int kept = m_settings.MP3TAGPOLICY;
        m_settings.MP3TAGPOLICY = policy;
        EXPECT_TRUE(m_tags.SaveSongTags(details)) << name.toStdString();
        m_settings.MP3TAGPOLICY = kept;
    }
    details.SongNum = 0;
    m_library.songs.SaveSong(details);
    m_catalogue.CommitAndContinue();
    m_dialogs.ClearTranscript();
    return details.SongNum;
}

TSong DetailsFixture::Stored(int songNum) {
    TSong song;
    EXPECT_TRUE(m_library.songs.FindSongByNumber(songNum, song)) << songNum;
    return song;
}

QJsonObject DetailsFixture::Id3v2Frames(const QString& path) {
    return MutagenRead(path)["id3v2"].toObject()["frames"].toObject();
}

QJsonObject DetailsFixture::Id3v1Fields(const QString& path) {
    return MutagenRead(path)["id3v1"].toObject();
}

QString DetailsFixture::Asked() const {
    return m_dialogs.Transcript().join("\n");
}

}  // namespace sw::test
