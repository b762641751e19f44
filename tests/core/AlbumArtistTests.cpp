#include "LibraryFixture.h"
#include "core/Renames.h"

namespace sw {
namespace {

using AlbumsAndArtists = test::LibraryFixture;

TEST_F(AlbumsAndArtists, VariousIsFoundInAnyCaseAndNamesKeepTheirSpelling) {
    const int various = m_library.artists.VariousArtistId();
    ASSERT_GT(various, 0);
    for (const char* name : {"Various", "VARIOUS", "various"}) {
        EXPECT_EQ(m_library.artists.FindArtistByName(name), various);
        EXPECT_EQ(m_library.artists.LastArtistFound().ArtistName, "various");
    }
    const int obrien = m_library.artists.FindOrCreateArtist("O'Brien");
    EXPECT_EQ(m_library.artists.FindArtistByName("o'brien"), obrien);
    EXPECT_EQ(m_library.artists.LastArtistFound().ArtistName, "O'Brien");
    EXPECT_EQ(m_library.artists.FindArtistByName("Nobody"), -1);
    EXPECT_EQ(m_library.artists.FindOrCreateArtist(""), 0);
    EXPECT_EQ(m_library.artists.FindOrCreateArtist("坂本龍一"), obrien + 1);
    EXPECT_EQ(m_library.artists.LastArtistFound().ArtistName, "坂本龍一");
}

TEST_F(AlbumsAndArtists, HashReferencesAskBeforeExpanding) {
    const int id = m_library.artists.FindOrCreateArtist("Sigur Rós");
    QString typed = "#" + QString::number(id);
    m_dialogs.QueueAnswer("Yes");
    EXPECT_EQ(m_library.artists.ExpandArtistRef(typed), id);
    EXPECT_EQ(typed, "Sigur Rós");

    typed = "#" + QString::number(id);
    m_dialogs.QueueAnswers({"No", "Yes"});
    EXPECT_EQ(m_library.artists.ExpandArtistRef(typed), 0);
    m_dialogs.QueueAnswers({"No", "No"});
    EXPECT_EQ(m_library.artists.ExpandArtistRef(typed), -1);
    m_dialogs.QueueAnswer("Cancel");
    EXPECT_EQ(m_library.artists.ExpandArtistRef(typed), -1);

    QString bad = "#abc";
    EXPECT_EQ(m_library.artists.ExpandArtistRef(bad), 0);
    QString missing = "#999";
    m_dialogs.QueueAnswer("No");
    EXPECT_EQ(m_library.artists.ExpandArtistRef(missing), -1);
    QString plain = "Plain";
    EXPECT_EQ(m_library.artists.ExpandArtistRef(plain), 0);

    const QStringList asked = m_dialogs.TextsOf("ASK");
    EXPECT_EQ(asked.at(0), "Expand artist \"#" + QString::number(id) + "\" to \"Sigur Rós\" ? -> Yes");
    EXPECT_EQ(asked.at(2), "Use \"#" + QString::number(id) + "\" as artist name - are you sure ? -> Yes");
    EXPECT_EQ(asked.last(), "Artist #999 not found, use artist name = \"#999\" ? -> No");
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Invalid integer \"abc\""});
}

TEST_F(AlbumsAndArtists, AlbumReferencesAskTheSameWay) {
    const int id = m_library.albums.FindOrCreateAlbum("Ágætis byrjun", 0);
    QString typed = "#" + QString::number(id);
    m_dialogs.QueueAnswers({"Yes", "No"});
    EXPECT_EQ(m_library.albums.ExpandAlbumRef(typed), id);
    EXPECT_EQ(typed, "Ágætis byrjun");
    EXPECT_EQ(m_library.albums.CurrentAlbum().AlbumId, id);
    QString missing = "#4711";
    EXPECT_EQ(m_library.albums.ExpandAlbumRef(missing), -1);
    EXPECT_EQ(m_dialogs.TextsOf("ASK"),
              (QStringList{"Expand album \"#" + QString::number(id) + "\" to \"Ágætis byrjun\" ? -> Yes",
                           "Album #4711 not found, use album name = \"#4711\" ? -> No"}));
}

TEST_F(AlbumsAndArtists, TwoAlbumsOfOneNameAreAmbiguous) {
    const int artist = m_library.artists.FindOrCreateArtist("A");
    TAlbum first;
    ClearAlbum(first);
    first.AlbumName = "Greatest Hits";
    first.ArtistId = artist;
    m_library.albums.WriteAlbum(first);
    TAlbum second = first;
    second.AlbumId = -1;
    second.AlbumName = "GREATEST HITS";
    m_library.albums.WriteAlbum(second);

    TAlbum album;
    EXPECT_EQ(m_library.albums.FindAlbumByName("greatest hits", album), -2);
    EXPECT_EQ(album.AlbumId, first.AlbumId);
    EXPECT_EQ(m_library.albums.FindOrCreateAlbum("Greatest Hits", artist), -2);
    EXPECT_EQ(Count("select count(*) as ct from album"), 2);

    // A song naming the album without an id gets yet another album.
    TSong song = NewSong("s.mp3", "S", "A", "Greatest Hits");
    m_library.songs.SaveSong(song);
    EXPECT_EQ(Count("select count(*) as ct from album"), 3);
    EXPECT_GT(song.AlbumId, second.AlbumId);
}

TEST_F(AlbumsAndArtists, GroupsAreFoundByIdButNotByName) {
    TAlbum group;
    ClearAlbum(group);
    group.AlbumName = "Live";
    group.AlOrGrp = 'G';
    m_library.albums.WriteAlbum(group);
    TAlbum album;
    EXPECT_EQ(m_library.albums.FindAlbumByName("Live", album), -1);
    ASSERT_TRUE(m_library.albums.FindAlbumById(group.AlbumId, album));
    EXPECT_EQ(album.AlOrGrp, QChar('G'));
    EXPECT_FALSE(m_library.albums.FindAlbumById(0, album));

    const int albumId = m_library.albums.FindOrCreateAlbum("Live  \t", 0);
    EXPECT_GT(albumId, group.AlbumId);
    EXPECT_EQ(m_library.albums.FindOrCreateAlbum("LIVE", 0), albumId);
    EXPECT_EQ(m_library.albums.FindOrCreateAlbum("   ", 0), 0);
}

TEST_F(AlbumsAndArtists, AnotherArtistsSongAsksToMakeTheAlbumVarious) {
    const int a = m_library.artists.FindOrCreateArtist("A");
    const int b = m_library.artists.FindOrCreateArtist("B");
    const int albumId = m_library.albums.FindOrCreateAlbum("Mixed", a);
    m_dialogs.QueueAnswer("No");
    EXPECT_EQ(m_library.albums.FindOrCreateAlbum("Mixed", b), -2);
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Resetting album artist to \"various\" - OK ? -> No"});
    EXPECT_EQ(m_library.albums.FindOrCreateAlbum("Mixed", b), albumId);
    TAlbum album;
    m_library.albums.FindAlbumById(albumId, album);
    EXPECT_EQ(album.ArtistId, m_library.artists.VariousArtistId());
    EXPECT_EQ(album.ArtistName, "various");
    m_dialogs.ClearTranscript();
    EXPECT_EQ(m_library.albums.FindOrCreateAlbum("Mixed", a), albumId);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

TEST_F(AlbumsAndArtists, SavingASongResolvesItsAlbumWithoutAsking) {
    TSong first = NewSong("1.mp3", "One", "A", "Shared");
    m_library.songs.SaveSong(first);
    TSong second = NewSong("2.mp3", "Two", "B", "Shared");
    second.AlbumId = first.AlbumId;
    m_library.songs.SaveSong(second);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
    TAlbum album;
    m_library.albums.FindAlbumById(first.AlbumId, album);
    EXPECT_EQ(album.ArtistName, "various");
    // Artist names are compared exactly: another spelling of A makes a "various" album too.
    TSong third = NewSong("3.mp3", "Three", "A", "Own");
    m_library.songs.SaveSong(third);
    TSong fourth = NewSong("4.mp3", "Four", "a", "Own");
    fourth.ArtistName = "a";
    fourth.AlbumId = third.AlbumId;
    m_library.songs.SaveSong(fourth);
    m_library.albums.FindAlbumById(third.AlbumId, album);
    EXPECT_EQ(album.ArtistName, "various");
}

TEST_F(AlbumsAndArtists, WritingAlbumsChecksNameAndResolvesTheArtist) {
    TAlbum album;
    ClearAlbum(album);
    m_library.albums.WriteAlbum(album);
    EXPECT_EQ(album.AlbumId, 0);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Program error : wr_album A"});

    album.AlbumName = "No artist";
    m_library.albums.WriteAlbum(album);
    EXPECT_GT(album.AlbumId, 0);
    EXPECT_EQ(album.ArtistId, 0);
    EXPECT_EQ(
        Count("select count(*) as ct from album where artistid = 0 and alorgrp = 'A' and ratingdrvd = 20"),
        1);

    TAlbum other;
    ClearAlbum(other);
    other.AlbumName = "New artist";
    other.ArtistName = "Fresh";
    m_library.albums.WriteAlbum(other);
    EXPECT_EQ(other.ArtistId, m_library.artists.FindArtistByName("fresh"));

    other.AlbumId = 999;
    m_library.albums.WriteAlbum(other);
    EXPECT_EQ(m_dialogs.TextsOf("INFO").last(), "Program error : ed_album B");

    TAlbum seq;
    m_library.albums.FindAlbumById(album.AlbumId, seq);
    seq.Seq = 7;
    m_library.albums.SetAlbumSeq(seq);
    EXPECT_TRUE(m_library.albums.AdjustAlbumNumExi(album.AlbumId, 2));
    EXPECT_FALSE(m_library.albums.AdjustAlbumNumExi(555, 1));
    m_library.albums.FindAlbumById(album.AlbumId, seq);
    EXPECT_EQ(seq.Seq, 7);
    EXPECT_EQ(seq.NumExi, 2);
}

TEST_F(AlbumsAndArtists, DeletingAnAlbumAsksWithItsSongCount) {
    for (int i = 1; i <= 3; ++i) {
        TSong song = NewSong(QString("%1.mp3").arg(i), "S", "A", "Doomed");
        m_library.songs.SaveSong(song);
        m_catalogue.ExecSql("insert into songinpl (plid, seq, songnum) values (1, " + QString::number(i) +
                            ", " + QString::number(song.SongNum) + ")");
    }
    TAlbum album;
    const int id = m_library.albums.FindAlbumByName("Doomed", album);
    m_dialogs.QueueAnswer("No");
    EXPECT_FALSE(m_library.albums.ConfirmDeleteAlbum(id, false));
    EXPECT_TRUE(m_library.albums.ConfirmDeleteAlbum(id, false));
    EXPECT_EQ(m_dialogs.TextsOf("ASK").front(),
              "Album has 3 song(s), OK to remove all these (retaining any MP3 files) ? -> No");
    EXPECT_EQ(Count("select count(*) as ct from song"), 0);
    EXPECT_EQ(Count("select count(*) as ct from songinpl"), 0);
    EXPECT_EQ(Count("select count(*) as ct from album where albumid = " + QString::number(id)), 0);

    EXPECT_FALSE(m_library.albums.ConfirmDeleteAlbum(id, true));
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").last().startsWith("Cannot make changes, database is read-only"));
}

TEST_F(AlbumsAndArtists, RenamesChangeTheRows) {
    const int artist = m_library.artists.FindOrCreateArtist("Old name");
    const int album = m_library.albums.FindOrCreateAlbum("Old album", artist);
    m_dialogs.QueueAnswers({"New 'album'", "No", "New name", "No"});
    EXPECT_TRUE(PromptRenameAlbum(m_library, album));
    EXPECT_TRUE(PromptRenameArtist(m_library, artist));
    TAlbum renamed;
    m_library.albums.FindAlbumById(album, renamed);
    EXPECT_EQ(renamed.AlbumName, "New 'album'");
    EXPECT_EQ(renamed.ArtistName, "New name");
    EXPECT_EQ(m_dialogs.TextsOf("INPUT"),
              (QStringList{"Rename Album -> New 'album'", "Rename artist -> New name"}));

    Clipboard clipboard;
    clipboard.album = renamed;
    clipboard.artist = {artist, "New name"};
    EXPECT_EQ(PasteAlbumCaption(clipboard), "Paste album #" + QString::number(album) + " \"New 'album'\"");
    EXPECT_EQ(PasteArtistCaption(clipboard), "Paste artist #" + QString::number(artist) + " \"New name\"");
}

}  // namespace
}  // namespace sw
