#include "LibraryFixture.h"
#include "core/LoadCache.h"

namespace sw {
namespace {

/// Every field of an album record.
QString AlbumText(const TAlbum& a) {
    return QString("%1|%2|%3|%4|%5|%6|%7|%8|%9")
        .arg(a.AlbumId)
        .arg(a.AlbumName, a.ArtistName)
        .arg(a.ArtistId)
        .arg(a.Year)
        .arg(a.NumExi)
        .arg(QString(a.AlOrGrp))
        .arg(a.Rprts, 0, 'g', 17)
        .arg(a.CreateTs, 0, 'g', 17);
}

/// Names that differ only in letter case, trailing blanks, apostrophes and length, looked up once
/// by SQL alone and twice with a load cache (the first fills it, the second is answered from it).
class LoadCacheLookups : public test::LibraryFixture {
protected:
    LoadCacheLookups() {
        const QString longName = QString("Long ").repeated(16);  // 80 characters, the last a blank
        for (const QString& sql : {
                 QString("insert into artist (artistid, arname) values (11, 'Abba')"),
                 QString("insert into artist (artistid, arname) values (12, 'The Band  ')"),
                 QString("insert into artist (artistid, arname) values (13, 'O''Brien')"),
                 QString("insert into artist (artistid, arname) values (14, 'Ægir')"),
                 QString("insert into artist (artistid, arname) values (15, 'STRASSE')"),
                 "insert into artist (artistid, arname) values (16, '" + longName + "')",
                 QString("insert into artist (artistid, arname) values (17, '\u0130lhan')"),
                 QString("insert into album (albumid, alname, artistid, numexi, alorgrp, \"year\") "
                         "values (21, 'Abbey Road', 11, 3, 'A', '1969')"),
                 QString(
                     "insert into album (albumid, alname, artistid, alorgrp) values (22, 'Hits', 11, 'A')"),
                 QString(
                     "insert into album (albumid, alname, artistid, alorgrp) values (23, 'HITS', 12, 'A')"),
                 QString(
                     "insert into album (albumid, alname, artistid, alorgrp) values (24, 'Mixes', 0, 'G')"),
                 QString("insert into album (albumid, alname, artistid, alorgrp) values (25, 'Don''t  ', 13, "
                         "'A')"),
                 QString(
                     "insert into album (albumid, alname, artistid, alorgrp) values (26, 'Ágætis', 14, 'A')"),
                 "insert into album (albumid, alname, artistid, alorgrp) values (27, '" + longName +
                     "', 16, 'A')",
                 QString("insert into album (albumid, alname, artistid, alorgrp) values (28, '\u0130zmir', "
                         "17, 'A')"),
             }) {
            m_catalogue.ExecSql(sql);
        }
        m_catalogue.CommitAndContinue();
    }

    void UseCache(bool on) { m_library.songs.UseLoadCache(on ? &m_cache : nullptr); }

    LoadCache m_cache;
};

struct NameCase {
    const char* label;
    bool album;
    QString probe;
    int expected;  ///< the SQL's answer: an id, -1 none, -2 several, 0 blank
};

class NameLookups : public LoadCacheLookups, public ::testing::WithParamInterface<NameCase> {
protected:
    /// The lookup's result and the record it leaves.
    QString Look() {
        const NameCase& c = GetParam();
        if (!c.album) {
            const int id = m_library.artists.FindArtistByName(c.probe);
            return QString::number(id) + " " + m_library.artists.LastArtistFound().ArtistName;
        }
        TAlbum byName;
        const int id = m_library.albums.FindAlbumByName(c.probe, byName);
        TAlbum byId;
        m_library.albums.FindAlbumById(byName.AlbumId, byId);
        // An empty record carries the moment it was cleared.
        return QString::number(id) + " " +
               (id > 0 || id == -2 ? AlbumText(byName) + " " + AlbumText(byId) : "");
    }
};

TEST_P(NameLookups, AnswerAsTheSql) {
    UseCache(false);
    const QString bySql = Look();
    ASSERT_EQ(bySql.section(' ', 0, 0).toInt(), GetParam().expected) << bySql.toStdString();
    UseCache(true);
    EXPECT_EQ(Look(), bySql);
    EXPECT_EQ(Look(), bySql);
    EXPECT_EQ(m_cache.Empty(), GetParam().expected <= 0 && GetParam().expected != -2);
}

INSTANTIATE_TEST_SUITE_P(
    NamesAsStored, NameLookups,
    ::testing::Values(
        NameCase{"ArtistInUpperCase", false, "ABBA", 11},
        NameCase{"ArtistWithTrailingBlanks", false, "abba   ", 11},
        NameCase{"ArtistStoredWithTrailingBlanks", false, "THE BAND", 12},
        NameCase{"ArtistWithALeadingBlank", false, " Abba", -1},
        NameCase{"ArtistWithAnApostrophe", false, "o'brien", 13},
        NameCase{"ArtistWithATypographicApostrophe", false, "O\u2019Brien", -1},
        NameCase{"ArtistBeyondAscii", false, "ægir", 14}, NameCase{"ArtistWithSharpS", false, "straße", -1},
        NameCase{"ArtistLongerThanTheColumn", false, QString("LONG ").repeated(20), 16},
        NameCase{"ArtistUnknown", false, "Nobody", -1},
        // The engine lower-cases the dotted capital I to a plain i, Qt to an i with a dot above.
        NameCase{"ArtistWithADottedCapitalI", false, "\u0130lhan", 17},
        NameCase{"AlbumWithADottedCapitalI", true, "\u0130ZM\u0130R", 28},
        NameCase{"AlbumInLowerCase", true, "abbey road", 21},
        NameCase{"AlbumWithTrailingBlanks", true, "ABBEY ROAD  ", 21},
        NameCase{"TwoAlbumsDifferingInCase", true, "hits", -2}, NameCase{"GroupIsNoAlbum", true, "Mixes", -1},
        NameCase{"AlbumStoredWithTrailingBlanks", true, "DON'T", 25},
        NameCase{"AlbumBeyondAscii", true, "ÁGÆTIS", 26},
        NameCase{"AlbumLongerThanTheColumn", true, QString("long ").repeated(17) + "x", 27},
        NameCase{"AlbumBlank", true, "", 0}),
    [](const auto& each) { return std::string(each.param.label); });

struct FileCase {
    const char* label;
    QString stored;   ///< the name the song is saved under
    QString probe;    ///< the file looked up afterwards
    bool storedGone;  ///< the saved song's file is removed before the lookup
    int expected;     ///< songs the SQL finds
};

class FileLookups : public LoadCacheLookups, public ::testing::WithParamInterface<FileCase> {};

// The folder's names, and the album's songs, are learnt before the song is saved: saving must
// bring them up to date, under the name as the engine lower-cases it.
TEST_P(FileLookups, FindASongSavedWithTheCacheAsTheSqlDoes) {
    const FileCase& c = GetParam();
    const QString stored = MakeFile(c.stored);
    UseCache(true);
    TSong scratch = NewSong(c.stored, "TITLE", "Abba", "Abbey Road");
    scratch.AlbumId = 21;
    scratch.Track = 3;
    TSong details = scratch;
    EXPECT_FALSE(m_library.songs.FindSongByDetails(scratch));
    EXPECT_EQ(m_library.songs.FindSongByFileName(m_settings.Root + c.probe, scratch), 0);
    TSong song = NewSong(c.stored, "Title", "Abba", "Abbey Road");
    song.Track = 3;
    m_library.songs.SaveSong(song);
    EXPECT_TRUE(m_library.songs.FindSongByDetails(details));
    EXPECT_EQ(details.SongNum, song.SongNum);
    if (c.storedGone) {
        QFile::remove(stored);
    }
    EXPECT_EQ(m_library.songs.FindSongByFileName(m_settings.Root + c.probe, scratch), c.expected);
    UseCache(false);
    EXPECT_EQ(m_library.songs.FindSongByFileName(m_settings.Root + c.probe, scratch), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    NamesAsStored, FileLookups,
    ::testing::Values(FileCase{"SameName", "Rock/a.mp3", "Rock/a.mp3", false, 1},
                      FileCase{"OtherCaseOfAFileStillThere", "Rock/B.mp3", "rock/b.mp3", false, 0},
                      FileCase{"OtherCaseOfAFileGone", "Rock/B.mp3", "rock/b.mp3", true, 1},
                      FileCase{"AccentedOtherCaseOfAFileGone", "Björk/Jóga.mp3", "BJÖRK/JÓGA.mp3", true, 1},
                      // The engine lower-cases a dotted capital I to a plain i, Qt to i and a dot
                      // above: names are compared by the engine's lower case, so such a name is
                      // found under its own spelling, and as plain i once its file is gone.
                      FileCase{"DottedCapitalI", "\u0130zmir/\u0130.mp3", "\u0130zmir/\u0130.mp3", false, 1},
                      FileCase{"DottedCapitalIAsPlainI", "\u0130zmir/\u0130.mp3", "Izmir/i.mp3", true, 1},
                      FileCase{"TopFolder", "top.mp3", "TOP.MP3", true, 1},
                      FileCase{"OtherFolder", "Rock/c.mp3", "Pop/c.mp3", false, 0}),
    [](const auto& each) { return std::string(each.param.label); });

}  // namespace
}  // namespace sw
