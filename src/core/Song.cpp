#include "Song.h"

namespace sw {

void ClearSong(TSong& song) {
    song.SongNum = 0;
    song.FileType.clear();
    song.AlbumName.clear();
    song.ArtistName.clear();
    song.Title.clear();
    song.Comment.clear();
    song.GenreName.clear();
    song.Year.clear();
    song.Track = 0;
    song.GenreId = kNoGenre;
    song.Rating = 0;
    song.CreateTs = 0;
    song.EditTs = 0;
    song.Duration = 0;
    song.StartFrom = 0;
    song.Exi = false;
    song.FileFound = false;
    song.AlbumId = -1;
    song.ArtistId = -1;
    song.TagSource = kTagNotRead;
}

}  // namespace sw
