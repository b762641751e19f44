#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "foundation/Dates.h"

namespace sw {

/// Where a song's details came from when its file was last read.
enum TagSourceCode : int {
    kTagNotRead = 0,
    kTagNoTag = 1,
    kTagNoFile = 2,
    kTagOtherType = 4,
    kTagId3v1 = 5,
    kTagId3v2 = 6,
    kTagOgg = 7,
    kTagId3v2Unicode = 8,
    /// Details from the MP4 tag of an M4A file or the ASF tag of a WMA file, which are read but
    /// never written.
    kTagMp4OrAsf = 9,
};

/// Genre id of a song without a genre.
inline constexpr std::uint8_t kNoGenre = 255;

/// One SONG row joined with its album, artist and genre names, plus values worked out when it is
/// read. Plain data, copied freely.
struct TSong {
    int SongNum = 0;
    QString FullPath;
    QString FileName;
    QString FileType;
    QString Title;
    QString ArtistName;
    int ArtistId = -1;
    QString AlbumName;
    int AlbumId = -1;
    QString Year;
    QString Comment;
    std::uint8_t Track = 0;
    std::uint8_t GenreId = kNoGenre;
    QString GenreName;
    int Rating = 0;
    TDateTime SearchTs = 0;
    TDateTime CreateTs = 0;
    TDateTime EditTs = 0;
    TDateTime FileDate = 0;
    int Size = 0;
    int Duration = 0;
    int StartFrom = 0;
    bool Exi = false;
    bool FileFound = false;
    int TagSource = kTagNotRead;
};

/// The empty state. FullPath, FileName, SearchTs, FileDate and Size are left as they were.
void ClearSong(TSong& song);

}  // namespace sw

namespace sw {

/// A song held by a list (the queue, the song lists): a copy of the record without FileDate.
class TSongObj {
public:
    explicit TSongObj(const TSong& song) : m_song(song) { m_song.FileDate = 0; }
    const TSong& Song() const { return m_song; }
    void Assign(const TSong& song) {
        m_song = song;
        m_song.FileDate = 0;
    }

private:
    TSong m_song;
};

inline std::unique_ptr<TSongObj> NewSongObj(const TSong& song) {
    return std::make_unique<TSongObj>(song);
}
inline TSong SongFromObj(const TSongObj& object) {
    return object.Song();
}

}  // namespace sw
