#include <QFile>
#include <functional>

#include "LibraryFixture.h"
#include "core/SongRemoval.h"

namespace sw {
namespace {

/// Every write that adds, removes or moves a song with an existing file keeps its album's count of
/// existing files as a recount would give it, without a recount.
class AlbumCountTest : public test::LibraryFixture {
protected:
    /// Two songs with files on "Blue", one whose file is missing on "Blue", one on "Red".
    void SetUp() override {
        for (const char* name : {"b1.mp3", "b2.mp3", "r1.mp3"}) {
            MakeFile(name);
        }
        m_b1 = Saved("b1.mp3", "Blue");
        m_b2 = Saved("b2.mp3", "Blue");
        m_gone = Saved("gone.mp3", "Blue");
        m_r1 = Saved("r1.mp3", "Red");
    }

    TSong Saved(const QString& file, const QString& album) {
        TSong song = NewSong(file, file, "Artist", album);
        m_library.songs.SaveSong(song);
        return song;
    }

    /// "stored/recounted" for both albums, e.g. "Blue 2/2 Red 1/1".
    std::string Counts() {
        QString text;
        for (const char* album : {"Blue", "Red"}) {
            const QString where = QString(" where alname = '") + album + "'";
            const int stored = Count("select numexi as ct from album" + where);
            const int recounted = Count("select count(*) as ct from song s join album a on a.albumid = s.albumid"
                                        " and s.exi = 1" + where);
            text += QString("%1%2 %3/%4").arg(text.isEmpty() ? "" : " ", album).arg(stored).arg(recounted);
        }
        return text.toStdString();
    }

    TSong m_b1, m_b2, m_gone, m_r1;
};

TEST_F(AlbumCountTest, EveryWriteThatMovesASongKeepsTheCountsRight) {
    EXPECT_EQ(Counts(), "Blue 2/2 Red 1/1");
    struct Step {
        const char* what;
        std::function<void()> change;
        const char* counts;
    };
    const Step steps[] = {
        {"an update that changes nothing", [&] { m_library.songs.SaveSong(m_b1); }, "Blue 2/2 Red 1/1"},
        {"a song moved to another album",
         [&] {
             m_b2.AlbumName = "Red";
             m_b2.AlbumId = -1;
             m_library.songs.SaveSong(m_b2);
         },
         "Blue 1/1 Red 2/2"},
        {"its file deleted, then the flag refreshed",
         [&] {
             QFile::remove(m_settings.Root + "b2.mp3");
             m_library.songs.RefreshExi(m_b2);
         },
         "Blue 1/1 Red 1/1"},
        {"refreshed again: no change", [&] { m_library.songs.RefreshExi(m_b2); }, "Blue 1/1 Red 1/1"},
        {"the missing file comes back and the song is rechecked",
         [&] {
             MakeFile("gone.mp3");
             RecheckSongFile(m_library, m_gone);
         },
         "Blue 2/2 Red 1/1"},
        {"a song with a file removed from the catalogue",
         [&] { DeleteSongRows(m_catalogue, m_r1.SongNum); },
         "Blue 2/2 Red 0/0"},
        {"a song without a file removed", [&] { DeleteSongRows(m_catalogue, m_b2.SongNum); }, "Blue 2/2 Red 0/0"},
        {"a song taken off its album",
         [&] {
             m_b1.AlbumName.clear();
             m_library.songs.SaveSong(m_b1);
         },
         "Blue 1/1 Red 0/0"},
    };
    for (const Step& step : steps) {
        step.change();
        EXPECT_EQ(Counts(), step.counts) << step.what;
    }
}

TEST_F(AlbumCountTest, AnAlbumTakesTheFirstYearItsSongsBring) {
    EXPECT_EQ(Count("select count(*) as ct from album where alname = 'Blue' and \"year\" is null"), 1);
    MakeFile("b3.mp3");
    TSong dated = NewSong("b3.mp3", "b3", "Artist", "Blue");
    dated.Year = "1999";
    m_library.songs.SaveSong(dated);
    TSong later = NewSong("b4.mp3", "b4", "Artist", "Blue");
    later.Year = "2001";
    m_library.songs.SaveSong(later);
    TAlbum album;
    ASSERT_TRUE(m_library.albums.FindAlbumById(dated.AlbumId, album));
    EXPECT_EQ(album.Year, "1999");
    EXPECT_EQ(album.NumExi, 3);
}

// An album record read before songs came or went (an open details window, a rating summary) is
// written back with its other fields: the stored count keeps the songs that moved meanwhile, and a
// count the record itself changes (a recount) still moves it.
TEST_F(AlbumCountTest, AnAlbumReadBeforeSongsMovedDoesNotPutItsOldCountBack) {
    TAlbum blue;
    ASSERT_GT(m_library.albums.FindAlbumByName("Blue", blue), 0);
    MakeFile("b3.mp3");
    Saved("b3.mp3", "Blue");
    ASSERT_EQ(Counts(), "Blue 3/3 Red 1/1");

    blue.Year = "2001";
    m_library.albums.WriteAlbum(blue);
    EXPECT_EQ(Counts(), "Blue 3/3 Red 1/1");
    m_library.albums.WriteAlbum(blue);
    EXPECT_EQ(Counts(), "Blue 3/3 Red 1/1");

    TAlbum recounted;
    ASSERT_GT(m_library.albums.FindAlbumByName("Blue", recounted), 0);
    recounted.NumExi = 2;
    m_library.albums.WriteAlbum(recounted);
    EXPECT_EQ(Count("select numexi as ct from album where alname = 'Blue'"), 2);
}

}  // namespace
}  // namespace sw
