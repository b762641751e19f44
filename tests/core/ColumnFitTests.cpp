#include "LibraryFixture.h"
#include "core/CatalogueCreation.h"
#include "core/ColumnWidths.h"
#include "core/Query.h"
#include "core/Renames.h"

namespace sw {
namespace {

struct ColumnCase {
    const char* table;
    const char* column;
    int width;
};

class ColumnWidth : public test::LibraryFixture, public ::testing::WithParamInterface<ColumnCase> {};

// The widths the program cuts to are the widths the catalogue declares.
TEST_P(ColumnWidth, MatchesTheCatalogue) {
    const ColumnCase& c = GetParam();
    Query declared(m_catalogue,
                   "select f.rdb$character_length as len from rdb$relation_fields rf join rdb$fields f "
                   "on f.rdb$field_name = rf.rdb$field_source "
                   "where trim(rf.rdb$relation_name) = :t and trim(rf.rdb$field_name) = :c");
    const RowSet rows = declared.SetText("t", c.table).SetText("c", c.column).Open();
    ASSERT_EQ(rows.RowCount(), 1) << c.table << "." << c.column;
    EXPECT_EQ(rows.Int("LEN"), c.width) << c.table << "." << c.column;
}

INSTANTIATE_TEST_SUITE_P(Catalogue, ColumnWidth,
                         ::testing::Values(ColumnCase{"SONG", "TITLE", kSongTitleWidth},
                                           ColumnCase{"SONG", "comment", kSongCommentWidth},
                                           ColumnCase{"SONG", "year", kSongYearWidth},
                                           ColumnCase{"SONG", "FN", kSongFileNameWidth},
                                           ColumnCase{"ALBUM", "ALNAME", kAlbumNameWidth},
                                           ColumnCase{"ALBUM", "year", kAlbumYearWidth},
                                           ColumnCase{"ARTIST", "ARNAME", kArtistNameWidth},
                                           ColumnCase{"GENRE", "GNAME", kGenreNameWidth},
                                           ColumnCase{"PLIST", "PLNAME", kPlaylistNameWidth},
                                           ColumnCase{"DAYNOTE", "NOTE", kDayNoteWidth},
                                           ColumnCase{"PARAMS", "PMVAL2", kCatalogueNameWidth}),
                         [](const ::testing::TestParamInfo<ColumnCase>& param) {
                             return std::string(param.param.table) + "_" + param.param.column;
                         });

TEST(FitToColumn, CountsCharactersAndNeverSplitsOne) {
    const QString guitar = QString::fromUcs4(U"\U0001F3B8");
    EXPECT_EQ(FitToColumn(QString(100, 'x'), 80), QString(80, 'x'));
    EXPECT_EQ(FitToColumn("short", 80), "short");
    // 79 letters and a character outside the basic plane make 80 characters (81 UTF-16 units).
    const QString edge = QString(79, 'x') + guitar + "tail";
    EXPECT_EQ(FitToColumn(edge, 80), QString(79, 'x') + guitar);
    EXPECT_TRUE(FitsColumn(QString(79, 'x') + guitar, 80));
    EXPECT_FALSE(FitsColumn(QString(80, 'x') + guitar, 80));
    EXPECT_EQ(FitToColumn(QString(80, 'x') + guitar, 80), QString(80, 'x'));
}

TEST(LongGenreNames, AreCutWhenANewCatalogueTakesTheGenreList) {
    QTemporaryDir dir;
    QFile genres(dir.filePath("GENRES.INI"));
    ASSERT_TRUE(genres.open(QIODevice::WriteOnly));
    genres.write(("[genres]\n017=Rock\n200=" + QString(50, 'g') + "\n").toUtf8());
    genres.close();
    ASSERT_NO_THROW(
        CreateCatalogue(dir.filePath("SONGS.FDB"), "Genres", test::CreationScript(), genres.fileName()));
    Catalogue catalogue;
    catalogue.Open(dir.filePath("SONGS.FDB"));
    EXPECT_EQ(catalogue.Select("select gname from genre where genreid = 200").Text("GNAME"),
              QString(40, 'g'));
    EXPECT_EQ(catalogue.Select("select gname from genre where genreid = 17").Text("GNAME"), "Rock");
}

using LongTexts = test::LibraryFixture;

TEST_F(LongTexts, AreStoredCutToTheirColumnsAndFoundAgainAsStored) {
    MakeFile("long.mp3");
    const QString guitar = QString::fromUcs4(U"\U0001F3B8");
    const QString title = QString(79, 't') + guitar + QString(20, 'T');
    const QString artist = QString(100, 'a');
    const QString album = QString(100, 'b');
    TSong song = NewSong("long.mp3", title, artist, album);
    song.Comment = QString(120, 'c');
    song.Year = "2001-05-03";
    ASSERT_NO_THROW(m_library.songs.SaveSong(song));
    m_catalogue.CommitAndContinue();

    TSong back;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(song.SongNum, back));
    EXPECT_EQ(back.Title, QString(79, 't') + guitar);
    EXPECT_EQ(back.Comment, QString(80, 'c'));
    EXPECT_EQ(back.Year, "2001");
    EXPECT_EQ(back.ArtistName, QString(80, 'a'));
    EXPECT_EQ(back.AlbumName, QString(80, 'b'));
    EXPECT_EQ(song.Title, back.Title);  // the record holds what was stored

    // The long names find what was stored, so nothing is created twice and the album keeps its
    // artist rather than becoming a "various" album.
    EXPECT_EQ(m_library.artists.FindOrCreateArtist(artist), back.ArtistId);
    EXPECT_EQ(m_library.albums.FindOrCreateAlbum(album, back.ArtistId), back.AlbumId);
    TSong second = NewSong("long.mp3", title, artist, album);
    second.Track = 2;
    m_library.songs.SaveSong(second);
    EXPECT_EQ(second.AlbumId, back.AlbumId);
    EXPECT_EQ(Count("select count(*) as ct from artist where arname starting with 'aaa'"), 1);
    EXPECT_EQ(Count("select count(*) as ct from album"), 1);
    TAlbum stored;
    ASSERT_TRUE(m_library.albums.FindAlbumById(back.AlbumId, stored));
    EXPECT_EQ(stored.ArtistName, QString(80, 'a'));
    TSong sameDetails = second;
    sameDetails.SongNum = 0;
    sameDetails.Title = title;
    EXPECT_TRUE(m_library.songs.FindSongByDetails(sameDetails));
    EXPECT_EQ(sameDetails.SongNum, second.SongNum);

    // Renames cut too.
    EXPECT_NO_THROW(m_library.albums.RenameAlbumRow(back.AlbumId, QString(90, 'r')));
    m_dialogs.QueueAnswer("No");
    EXPECT_NO_THROW(RenameArtist(m_library, back.ArtistId, QString(90, 's')));
    EXPECT_NO_THROW(m_catalogue.RenameCatalogue(QString(90, 'n')));
    m_catalogue.CommitAndContinue();
    EXPECT_EQ(m_catalogue.CatalogueName(), QString(80, 'n'));
    EXPECT_EQ(Count("select count(*) as ct from album where alname = '" + QString(80, 'r') + "'"), 1);
    EXPECT_EQ(Count("select count(*) as ct from artist where arname = '" + QString(80, 's') + "'"), 1);
}

}  // namespace
}  // namespace sw
