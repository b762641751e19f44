#pragma once
// What the songs list controller's test files share: a song by title and the fixture over a list.

#include "SongListFixture.h"

namespace sw::test {

inline ListedSong Titled(const QString& title, int track = 0, int rating = 0) {
    ListedSong song;
    song.title = title;
    song.track = track;
    song.rating = rating;
    return song;
}

class SongList : public SongListFixture {
protected:
    /// "A" to "D" in an album by Ann, tracks 1 to 4, rated 4, 1, 0 and -1.
    int Quartet(const QString& name = "Four") {
        return AddAlbum(name, {Titled("A", 1, 4), Titled("B", 2, 1), Titled("C", 3, 0), Titled("D", 4, -1)});
    }
    int StoredInt(const QString& sql) { return m_catalogue.Select(sql).Int("N"); }
};

}  // namespace sw::test
