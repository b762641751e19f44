#include "LoadCache.h"

namespace sw {

QString LoadCache::Key(const QString& lowered) {
    qsizetype end = lowered.size();
    while (end > 0 && lowered[end - 1] == u' ') {
        --end;
    }
    return end == lowered.size() ? lowered : lowered.left(end);
}

bool LoadCache::LowersAlike(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            return false;
        }
    }
    return true;
}

void LoadCache::Sync(const fb::ChangeMark& now) {
    if (!(now == m_mark)) {
        Clear();
        m_mark = now;
    }
}

void LoadCache::Seen(const fb::ChangeMark& now) {
    m_mark = now;
}

void LoadCache::Clear() {
    m_artists.clear();
    m_albumNames.clear();
    m_albums.clear();
    m_genres.clear();
    m_nextSongNum = 0;
    m_albumSongs.clear();
    m_folders.clear();
    m_fileKeys.clear();
}

bool LoadCache::Empty() const {
    return m_artists.isEmpty() && m_albumNames.isEmpty() && m_albums.isEmpty() && m_genres.isEmpty() &&
           m_nextSongNum == 0 && m_albumSongs.isEmpty() && m_folders.isEmpty();
}

const TArtist* LoadCache::Artist(const QString& key) const {
    const auto found = m_artists.constFind(key);
    return found == m_artists.cend() ? nullptr : &found.value();
}

void LoadCache::KeepArtist(const QString& key, const TArtist& artist) {
    m_artists.insert(key, artist);
}

void LoadCache::ArtistAdded(const QString& storedName) {
    // Where the engine may lower the name otherwise, no lookup by name is known to miss it.
    if (LowersAlike(storedName)) {
        m_artists.remove(Key(storedName.toLower()));
    } else {
        m_artists.clear();
    }
}

const int* LoadCache::Genre(const QString& key) const {
    const auto found = m_genres.constFind(key);
    return found == m_genres.cend() ? nullptr : &found.value();
}

const LoadCache::AlbumHit* LoadCache::AlbumNamed(const QString& key) const {
    const auto found = m_albumNames.constFind(key);
    return found == m_albumNames.cend() ? nullptr : &found.value();
}

const TAlbum* LoadCache::AlbumById(int id) const {
    const auto found = m_albums.constFind(id);
    return found == m_albums.cend() ? nullptr : &found.value();
}

void LoadCache::KeepAlbumNamed(const QString& key, const TAlbum& album, bool several) {
    KeepAlbum(album);
    m_albumNames.insert(key, {album.AlbumId, several});
}

void LoadCache::KeepAlbum(const TAlbum& album) {
    m_albums.insert(album.AlbumId, album);
}

void LoadCache::AlbumWritten(int id, const QString& storedName) {
    m_albums.remove(id);
    // A lookup that found this album, or found several (this one may have been among them), is
    // asked again; so is one the new name may answer.
    m_albumNames.removeIf(
        [id](const auto& entry) { return entry.value().id == id || entry.value().several; });
    if (LowersAlike(storedName)) {
        m_albumNames.remove(Key(storedName.toLower()));
    } else {
        m_albumNames.clear();
    }
}

void LoadCache::AlbumMadeNamed(int id, const QString& storedName) {
    if (LowersAlike(storedName)) {
        m_albumNames.insert(Key(storedName.toLower()), {id, false});
    }
}

void LoadCache::MoveExistingCount(int id, int delta) {
    const auto found = m_albums.find(id);
    if (found != m_albums.end()) {
        found->NumExi = std::max(found->NumExi + delta, 0);
        found->NumExiRead = found->NumExi;
    }
}

const QSet<quint64>* LoadCache::AlbumSongs(int albumId) const {
    const auto found = m_albumSongs.constFind(albumId);
    return found == m_albumSongs.cend() ? nullptr : &found.value();
}

void LoadCache::KeepAlbumSongs(int albumId, QSet<quint64> pairs) {
    m_albumSongs.insert(albumId, std::move(pairs));
}

void LoadCache::KeepFolder(const QString& prefix, const QStringList& keys) {
    m_folders.insert(prefix);
    for (const QString& key : keys) {
        m_fileKeys.insert(key);
    }
}

void LoadCache::SongWritten(int albumId, int artistId, int track, const QString& fileKey) {
    const auto found = m_albumSongs.find(albumId);
    if (found != m_albumSongs.end()) {
        found->insert(Pair(artistId, track));
    }
    if (!fileKey.isEmpty()) {
        m_fileKeys.insert(fileKey);
    }
}

}  // namespace sw
