#include <gtest/gtest.h>

#include <QFile>

#include "SongListFixture.h"
#include "core/Query.h"
#include "windows/songs/SongListSql.h"

namespace sw {
namespace {

using test::ListedSong;

const QString kReadOnly = "Cannot make changes, database is read-only\\n( see menu option \"Database\")";

ListedSong Titled(const QString& title, int track = 0, int rating = 0) {
    ListedSong song;
    song.title = title;
    song.track = track;
    song.rating = rating;
    return song;
}

class SongList : public test::SongListFixture {
protected:
    /// "A" to "D" in an album by Ann, tracks 1 to 4, rated 4, 1, 0 and -1.
    int Quartet(const QString& name = "Four") {
        return AddAlbum(name, {Titled("A", 1, 4), Titled("B", 2, 1), Titled("C", 3, 0), Titled("D", 4, -1)});
    }
    int StoredInt(const QString& sql) { return m_catalogue.Select(sql).Int("N"); }
};

TEST_F(SongList, AnAlbumIsListedByTrackAndTitleUnderTheRatingFilter) {
    const int id =
        AddAlbum("Blue \"Live\"", {Titled("B", 2), Titled("C", 2, 1), Titled("A", 1), Titled("Z", 0, -2)});
    m_list.ShowAlbumSongs(id);
    EXPECT_EQ(m_list.Mode(), SongListMode::Album);
    EXPECT_EQ(Titles(), (QStringList{"A", "B"}));
    EXPECT_EQ(m_list.Caption(), "Songs in album \"Blue \"Live\"\"");
    EXPECT_EQ(m_list.CountLabel(), " Album #" + QString::number(id) + "   2 songs listed");
    EXPECT_EQ(m_list.CurrentRow(), 0);
    EXPECT_EQ(m_display.shown, 1);
    EXPECT_EQ(m_display.built, 1);

    m_list.SetRatingFilter(99);
    EXPECT_EQ(Titles(), (QStringList{"Z", "A", "B", "C"}));
    EXPECT_EQ(m_list.FilterLabel(), "  No filter  ");
    m_list.SetRatingFilter(-1);
    EXPECT_EQ(Titles(), QStringList{"Z"});
    EXPECT_TRUE(m_list.FilterLabelHighlighted());
    EXPECT_EQ(m_settings.FILTER, -1);
}

TEST_F(SongList, EachModeHasItsCaption) {
    AddGenre(17, "Rock");
    const int artistSong = AddSong([] {
        ListedSong song = Titled("Solo");
        song.artist = "Bob";
        song.genreId = 17;
        return song;
    }());
    AddPlaylist(7, "Mine", {artistSong});
    TSong song;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(artistSong, song));
    m_settings.LastLoadedTS = StampToDateTime({{2024, 5, 9}, {8, 30, 0}});

    const std::vector<std::pair<std::function<void()>, QString>> cases{
        {[&] { m_list.ShowArtistSongs(song.ArtistId); }, "Songs by artist \"Bob\""},
        {[&] { m_list.ShowGenreSongs(17); }, "Songs in genre \"Rock\""},
        {[&] { m_list.ShowSingles(); }, "Songs not in an album (\"Singles\")"},
        {[&] { m_list.ShowAlbumSongs(0); }, "Songs not in an album (\"Singles\")"},
        {[&] { m_list.ShowPlaylistSongs(7); }, "Songs in Playlist #7 \"Mine\""},
        {[&] { m_list.ShowRecentSongs(); }, "Songs loaded in the last 10 days"},
        {[&] { m_list.ShowHistoryDay(20240509); }, "Songs actually played on 20240509"},
        {[&] { m_list.SearchSongs("so"); }, "Songs : search for \"so\""},
        {[&] { m_list.ShowTitleSongs("Solo", artistSong); }, "Songs :  Title = \"Solo\""},
        {[&] { m_list.ShowLastLoaded(); }, "Songs : Last loaded ( at 2024-05-09 08:30  )"},
    };
    for (const auto& [show, caption] : cases) {
        show();
        EXPECT_EQ(m_list.Caption(), caption);
    }
    EXPECT_EQ(m_list.BackStack().size(), cases.size() - 1);
}

TEST_F(SongList, ListsThatCannotBeReadLeaveThePreviousListInPlace) {
    const int id = Quartet();
    m_list.ShowAlbumSongs(id);
    const QStringList before = Titles();
    for (const auto& show : std::vector<std::function<void()>>{
             [&] { m_list.ShowAlbumSongs(id + 50); }, [&] { m_list.ShowArtistSongs(999); },
             [&] { m_list.ShowGenreSongs(200); }, [&] { m_list.ShowPlaylistSongs(42); }}) {
        show();
        EXPECT_EQ(m_list.Mode(), SongListMode::Album);
        EXPECT_EQ(m_list.Caption(), "Songs in album \"Four\"");
        EXPECT_EQ(Titles(), before);
        // Nor does it take a place on the Back stack.
        EXPECT_EQ(m_list.CurrentRequest().Type, SongListType::Album);
        EXPECT_FALSE(m_list.BackEnabled());
    }
    EXPECT_EQ(m_playlists.TargetPlaylist().Id, 0);

    // An album removed while its list waited on the Back stack: Back leaves the list in place.
    m_list.ShowSingles();
    m_library.albums.DeleteAlbumAndSongs(id);
    m_catalogue.CommitAndContinue();
    m_list.SongListBack();
    EXPECT_EQ(m_list.Mode(), SongListMode::Singles);
    EXPECT_EQ(m_list.CurrentRequest().Type, SongListType::Singles);
    EXPECT_FALSE(m_list.BackEnabled());
}

TEST_F(SongList, SongsWithoutAnArtistAreListedUnderArtistZero) {
    AddSong(Titled("Nobody's"));
    ListedSong named = Titled("Somebody's");
    named.artist = "Cy";
    AddSong(named);
    m_list.ShowArtistSongs(0);
    EXPECT_EQ(Titles(), QStringList{"Nobody's"});
    EXPECT_EQ(m_list.CountLabel(), " Artist #0   1 song listed");
}

TEST_F(SongList, AfterASearchTheFilterIsOffAndStaysOff) {
    m_settings.FILTER = 2;
    const int id = Quartet();
    m_list.SearchSongs("four");
    EXPECT_EQ(m_settings.FILTER, 99);
    EXPECT_EQ(m_list.FilterLabel(), "  No filter  ");
    EXPECT_EQ(Titles(), (QStringList{"A", "B", "C", "D"}));
    m_list.ShowAlbumSongs(id);
    EXPECT_EQ(m_settings.FILTER, 99);
    EXPECT_EQ(Titles().size(), 4);
}

TEST_F(SongList, ASearchLooksInEveryPlaceAndListsInStampOrder) {
    const int album = AddAlbum("Thunder Road", {Titled("T2", 2), Titled("T1", 1)});
    ListedSong byArtist = Titled("By artist");
    byArtist.artist = "Thunderclap";
    AddSong(byArtist);
    ListedSong inComment = Titled("In comment");
    inComment.comment = "thunder at 3:10";
    AddSong(inComment);
    ListedSong inFile = Titled("In file");
    inFile.fn = "rock/THUNDER.mp3";
    AddSong(inFile);
    AddSong(Titled("Thunderstruck"));
    AddSong(Titled("Quiet"));

    m_list.SearchSongs("thunder");
    // No album sorts first (no artist before an artist), then the album's songs by track.
    EXPECT_EQ(Titles(), (QStringList{"In comment", "In file", "Thunderstruck", "By artist", "T1", "T2"}));
    EXPECT_EQ(m_list.Mode(), SongListMode::Stamp);
    EXPECT_EQ(m_list.FoundSongs().size(), 6u);
    // The songs found are the list's own: nothing is marked in the catalogue.
    EXPECT_EQ(StoredInt("select count(*) as n from song where searchts is not null"), 0);

    m_list.Search().place = SearchPlace::AlbumName;
    m_list.SearchSongs("THUNDER");
    EXPECT_EQ(Titles(), (QStringList{"T1", "T2"}));
    m_list.ShowAlbumSongs(album);
}

TEST_F(SongList, SearchTextsWithApostrophesAndTrailingBlanks) {
    AddSong(Titled("O'Brien song"));
    AddSong(Titled("O'Brien"));
    m_list.SearchSongs("o'brien");
    EXPECT_EQ(Titles().size(), 2);
    EXPECT_EQ(m_list.Caption(), "Songs : search for \"o'brien\"");

    m_dialogs.QueueAnswer("No");
    m_list.SearchSongs("o'brien ");
    EXPECT_EQ(Titles(), QStringList{"O'Brien song"});
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Strip trailing space(s) from search string? -> No"});
    m_list.SearchSongs("o'brien\t");  // answered Yes
    EXPECT_EQ(Titles().size(), 2);
}

TEST_F(SongList, TwoSearchesInTheSameMomentEachListTheirOwnSongs) {
    AddSong(Titled("Alpha"));
    AddSong(Titled("Beta"));
    m_list.SearchSongs("alpha");
    m_list.SearchSongs("beta");
    EXPECT_EQ(Titles(), QStringList{"Beta"});
    m_list.SongListBack();
    EXPECT_EQ(Titles(), QStringList{"Alpha"});
}

// A search lists what it found without touching the stamps of the last load run, whose list stays
// whole however many searches, title lists and song-number searches come between.
TEST_F(SongList, SearchesLeaveTheLastLoadRunsListWhole) {
    m_settings.LastLoadedTS = StampToDateTime({{2024, 5, 9}, {8, 30, 0}});
    const int album = AddAlbum("Thunder Road", {Titled("T1", 1), Titled("T2", 2)});
    const int quiet = AddSong(Titled("Quiet"));
    AddSong(Titled("Thunder before"));
    m_catalogue.ExecSqlCommit("update song set searchts = '2024-05-09 08:30:00' where albumid = " +
                              QString::number(album) + " or songnum = " + QString::number(quiet));
    const QStringList loaded{"Quiet", "T1", "T2"};
    m_list.ShowLastLoaded();
    ASSERT_EQ(Titles(), loaded);

    const std::vector<std::pair<const char*, std::function<void()>>> searches{
        {"text", [&] { m_list.SearchSongs("thunder"); }},
        {"title", [&] { m_list.ShowTitleSongs("T1", 0); }},
        {"song number",
         [&] {
             m_list.Search().searchFor = SearchFor::SongNumber;
             m_list.SearchSongs(QString::number(quiet));
             m_list.Search().searchFor = SearchFor::Text;
         }},
    };
    for (const auto& [name, search] : searches) {
        SCOPED_TRACE(name);
        search();
        EXPECT_FALSE(Titles().isEmpty());
        m_list.ShowLastLoaded();
        EXPECT_EQ(Titles(), loaded);
        EXPECT_EQ(StoredInt("select count(*) as n from song where searchts = '2024-05-09 08:30:00'"), 3);
    }
}

// The list of a search is what it found: a song edited so that it no longer matches stays on the
// list when it is read again, and a song made to match later does not join it.
TEST_F(SongList, ASearchListReadAgainShowsTheSongsItFound) {
    const int first = AddSong(Titled("Storm one"));
    AddSong(Titled("Storm two"));
    ListedSong flagged = Titled("Storm flagged");
    flagged.exi = 0;
    AddSong(flagged);
    m_list.ShowSingles();
    m_list.ToggleHideMissing();
    m_list.SearchSongs("storm");
    ASSERT_EQ(Titles(), (QStringList{"Storm one", "Storm two"}));
    m_catalogue.ExecSqlCommit("update song set title = 'Calm' where songnum = " + QString::number(first));
    AddSong(Titled("Storm three"));
    m_list.Refresh();
    EXPECT_EQ(Titles(), (QStringList{"Calm", "Storm two"}));
    m_list.ToggleHideMissing();  // the song hidden was found all the same
    EXPECT_EQ(Titles(), (QStringList{"Calm", "Storm flagged", "Storm two"}));
    m_list.SetRatingFilter(2);  // the filters still apply
    EXPECT_TRUE(Titles().isEmpty());
}

// Found songs spread over more runs of song numbers than the query names one by one are read again
// as their span and sifted: the same rows in the same order as the search's own reading.
TEST_F(SongList, ASearchFindingManyScatteredSongsIsReadAgainExactly) {
    // Songs 1..2n alternate "Odd n" and "Even n": the odd ones are n runs of one song each.
    const int runs = kFoundRunsAskedFor + 20;
    m_catalogue.ExecSqlCommit(
        "execute block as declare n integer = 1; begin while (n <= " + QString::number(2 * runs) +
        ") do begin insert into song (songnum, title, rating, exi, fn) values (:n, trim(iif(mod(:n, 2) = 1, "
        "'Odd', 'Even')) || ' ' || lpad(:n, 5, '0'), 0, 1, 'f' || :n || '.mp3'); n = n + 1; end end");
    for (const auto& [text, rows] : std::vector<std::pair<QString, int>>{{"odd", runs}, {"odd 0000", 5}}) {
        SCOPED_TRACE(text.toStdString());
        m_list.SearchSongs(text);
        const QStringList found = Titles();
        ASSERT_EQ(found.size(), rows);
        EXPECT_EQ(found.front(), "Odd 00001");
        EXPECT_EQ(FoundSongsAskedBySpan(m_list.FoundSongs()), rows > kFoundRunsAskedFor);
        m_list.Refresh();
        EXPECT_EQ(Titles(), found);
    }
    EXPECT_EQ(Titles(), (QStringList{"Odd 00001", "Odd 00003", "Odd 00005", "Odd 00007", "Odd 00009"}));
}

// Leaving an album's list forgets the album: an assignment on the next list, and its refresh, run
// no album check on an album that is no longer shown.
TEST_F(SongList, AListAfterAnAlbumCarriesNoAlbumId) {
    m_settings.FILTER = 99;
    const int id = Quartet();
    m_list.ShowAlbumSongs(id);
    ASSERT_EQ(m_list.AlbumId(), id);
    const std::vector<std::pair<const char*, std::function<void()>>> lists{
        {"search", [&] { m_list.SearchSongs("a"); }},
        {"artist", [&] { m_list.ShowArtistSongs(m_library.artists.FindOrCreateArtist("Ann")); }},
        {"recent", [&] { m_list.ShowRecentSongs(); }},
        {"last loaded", [&] { m_list.ShowLastLoaded(); }},
    };
    for (const auto& [name, show] : lists) {
        SCOPED_TRACE(name);
        m_list.ShowAlbumSongs(id);
        m_dialogs.ClearTranscript();
        show();
        EXPECT_EQ(m_list.AlbumId(), 0);
        m_list.AfterAssignment({true, false, 0});
        m_list.Refresh();
        EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty()) << m_dialogs.TextsOf("INFO").join("\n").toStdString();
        EXPECT_FALSE(m_list.CountLabelOpensAlbum());
    }
}

TEST_F(SongList, SearchesBySongNumberAndTheirFailures) {
    AddSong(Titled("First"));
    const int second = AddSong(Titled("Second"));
    m_list.Search().searchFor = SearchFor::SongNumber;
    m_list.SearchSongs(QString::number(second));
    EXPECT_EQ(Titles(), QStringList{"Second"});

    m_list.SearchSongs("2x");
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Invalid integer \"2x\""});
    EXPECT_EQ(Titles(), QStringList{"Second"});  // nothing new listed
    m_list.SearchSongs("99");
    EXPECT_TRUE(Titles().isEmpty());

    m_dialogs.ClearTranscript();
    m_list.ShowFileNameSongs("");
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Search string is blank"});
}

TEST_F(SongList, SearchForAnAlbumOrArtistIdShowsThatList) {
    const int id = Quartet();
    m_list.Search().searchFor = SearchFor::AlbumId;
    m_list.SearchSongs(QString::number(id));
    EXPECT_EQ(m_list.Mode(), SongListMode::Album);
    EXPECT_EQ(Titles(), (QStringList{"A", "C"}));
    m_list.Search().searchFor = SearchFor::ArtistId;
    TSong song;
    m_library.songs.FindSongByNumber(m_list.SongNumAt(0), song);
    m_list.SearchSongs(QString::number(song.ArtistId));
    EXPECT_EQ(m_list.Mode(), SongListMode::Artist);
}

TEST_F(SongList, TitleSongsAreTheExactTitlePositionedOnTheSong) {
    AddSong(Titled("Home"));
    const int second = AddSong(Titled("home"));
    AddSong(Titled("Home again"));
    m_list.ShowTitleSongs("Home", second);
    EXPECT_EQ(Titles(), (QStringList{"Home", "home"}));
    EXPECT_EQ(m_list.CurrentSongNum(), second);
    EXPECT_EQ(m_list.Search().place, SearchPlace::Title);
}

TEST_F(SongList, BackToAFileNameSearchListsTheSameSongs) {
    const int album = Quartet();
    AddSong(Titled("rock anthem"));
    ListedSong filed = Titled("Filed");
    filed.fn = "rock/filed.mp3";
    AddSong(filed);
    m_list.ShowFileNameSongs("rock");
    EXPECT_EQ(Titles(), QStringList{"Filed"});
    m_list.ShowAlbumSongs(album);
    m_list.SongListBack();
    EXPECT_EQ(Titles(), QStringList{"Filed"});
    m_list.SongListBack();
    EXPECT_FALSE(m_list.BackEnabled());
}

TEST_F(SongList, BackReturnsToTheRememberedSong) {
    const int four = Quartet();
    m_settings.FILTER = 99;
    const int other = AddAlbum("Other", {Titled("X", 1)}, "Bob");
    m_list.ShowAlbumSongs(four);
    m_list.SetCurrentRow(2);
    m_list.ShowAlbumSongs(other);
    EXPECT_TRUE(m_list.BackEnabled());
    m_list.SongListBack();
    EXPECT_EQ(CurrentTitle(), "C");
    EXPECT_EQ(m_list.CurrentRequest().RememberedSong, m_list.CurrentSongNum());
    EXPECT_FALSE(m_list.BackEnabled());
}

TEST_F(SongList, BackToAPlaylistMakesItsFirstRowCurrent) {
    const int a = AddSong(Titled("One"));
    const int b = AddSong(Titled("Two"));
    const int c = AddSong(Titled("Three"));
    AddPlaylist(3, "Trio", {a, b, c});
    m_list.ShowPlaylistSongs(3);
    EXPECT_EQ(m_playlists.TargetPlaylist().Id, 3);
    m_list.SetCurrentRow(2);
    m_list.ShowSingles();
    m_list.SongListBack();
    EXPECT_EQ(m_list.Mode(), SongListMode::Playlist);
    EXPECT_EQ(m_list.CurrentRow(), 0);
    EXPECT_EQ(Column(SongColumn::Seq), (QStringList{"1", "2", "3"}));
}

TEST_F(SongList, APlaylistEntryWhoseSongIsGoneShowsOnlyWithoutAFilter) {
    const int a = AddSong(Titled("Here"));
    AddPlaylist(4, "Holes", {a, 9999});
    m_list.ShowPlaylistSongs(4);
    EXPECT_EQ(Titles(), QStringList{"Here"});
    m_list.SetRatingFilter(99);
    EXPECT_EQ(Titles(), (QStringList{"Here", ""}));
    EXPECT_EQ(m_list.SongNumAt(1), 0);
    EXPECT_EQ(m_list.WarningAt(1), "");
    EXPECT_EQ(Column(SongColumn::Duration), (QStringList{"00:00", ""}));
}

TEST_F(SongList, ShowPlaylistAtSeqGoesToTheLastEntryNotAfterIt) {
    const int a = AddSong(Titled("One"));
    AddPlaylist(5, "Gaps", {});
    for (const int seq : {2, 5, 9}) {
        TSong song;
        song.SongNum = a;
        m_playlists.InsertPlaylistEntry(song, 5, seq);
    }
    m_catalogue.CommitAndContinue();
    const std::vector<std::pair<int, int>> cases{{5, 1}, {8, 1}, {9, 2}, {1, 0}, {100, 2}};
    for (const auto& [seq, row] : cases) {
        m_list.ShowPlaylistAtSeq(5, seq);
        EXPECT_EQ(m_list.CurrentRow(), row) << seq;
    }
}

TEST_F(SongList, ThePlayHistoryEndsOnItsLastRowAndIgnoresTheFilter) {
    const int a = AddSong(Titled("Early", 0, -2));
    const int b = AddSong(Titled("Late"));
    AddHistory(b, "2024-05-09 22:15:40");
    AddHistory(a, "2024-05-09 08:01:02");
    AddHistory(b, "2024-05-08 10:00:00");
    m_list.ShowHistoryDay(20240509);
    EXPECT_EQ(Titles(), (QStringList{"Early", "Late"}));
    EXPECT_EQ(Column(SongColumn::WhenPlayed), (QStringList{"2024-05-09 08:01", "2024-05-09 22:15"}));
    EXPECT_EQ(m_list.CurrentRow(), 1);
    EXPECT_EQ(m_list.FilterLabel(), "  Play-history  ");

    m_list.SetRatingFilter(3);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Filter is inactive when browsing Play History"});
    EXPECT_EQ(m_settings.FILTER, 3);
    EXPECT_EQ(Titles().size(), 2);
}

TEST_F(SongList, RecentSongsAreThoseCreatedSinceTheStartOfTheSpan) {
    AddSong(Titled("New"));
    m_clock.SetLocalNow(StampToDateTime({{2024, 4, 20}, {23, 0, 0}}));
    AddSong(Titled("Older"));
    m_clock.SetLocalNow(StampToDateTime({{2024, 4, 30}, {0, 0, 0}}));
    AddSong(Titled("Midnight"));
    m_clock.SetLocalNow(StampToDateTime({{2024, 5, 10}, {12, 0, 0}}));
    m_list.ShowRecentSongs();
    EXPECT_EQ(Titles(), (QStringList{"Midnight", "New"}));
    m_list.ShowRecentSongs(30);
    EXPECT_EQ(m_settings.DAYSRECENT, 30);
    EXPECT_EQ(Titles().size(), 3);
}

TEST_F(SongList, TheLastLoadRunIsListedUnfiltered) {
    m_settings.LastLoadedTS = StampToDateTime({{2024, 5, 9}, {8, 30, 0}});
    const int loaded = AddSong(Titled("Loaded", 0, -1));
    AddSong(Titled("Not loaded"));
    m_catalogue.ExecSqlCommit("update song set searchts = '2024-05-09 08:30:00' where songnum = " +
                              QString::number(loaded));
    m_list.ShowLastLoaded();
    EXPECT_EQ(Titles(), QStringList{"Loaded"});
    EXPECT_EQ(m_settings.FILTER, 99);
}

struct CellCase {
    std::string name;
    int exi;
    bool fileThere;
    QString warning;
};

class WarningCells : public SongList, public ::testing::WithParamInterface<CellCase> {};

TEST_P(WarningCells, TellWhereFileAndFlagDisagreeOrTheFileIsMissing) {
    ListedSong song = Titled("S");
    song.exi = GetParam().exi;
    song.fn = GetParam().fileThere ? "+here.mp3" : "gone.mp3";
    AddSong(song);
    m_settings.FILTER = 99;
    m_list.ShowSingles();
    EXPECT_EQ(m_list.WarningAt(0), GetParam().warning);
    EXPECT_EQ(m_list.QuestionFixEnabled(), GetParam().warning == "?");
    EXPECT_EQ(m_list.BangFixEnabled(), GetParam().warning == "!");
    EXPECT_EQ(m_list.HideItemEnabled(), GetParam().warning == "!");
}

INSTANTIATE_TEST_SUITE_P(Cells, WarningCells,
                         ::testing::Values(CellCase{"PresentAndThere", 1, true, ""},
                                           CellCase{"PresentButGone", 1, false, "?"},
                                           CellCase{"MissingButThere", 0, true, "?"},
                                           CellCase{"MissingAndGone", 0, false, "!"}),
                         test::ByName());

TEST_F(SongList, ComputedCellsAndHidingMissingSongs) {
    ListedSong rated = Titled("Rated", 0, 2);
    rated.duration = 187;
    rated.fn = "+rated.mp3";
    AddSong(rated);
    ListedSong bad = Titled("Bad", 0, -1);
    bad.exi = 0;
    AddSong(bad);
    m_settings.FILTER = 99;
    m_list.ShowSingles();
    EXPECT_EQ(Column(SongColumn::Rating), (QStringList{"+2", "-1"}));
    EXPECT_EQ(Column(SongColumn::Duration), (QStringList{"03:07", "00:00"}));
    m_list.ToggleHideMissing();
    EXPECT_EQ(Titles(), QStringList{"Rated"});
    EXPECT_EQ(std::count(m_list.Columns().begin(), m_list.Columns().end(), SongColumn::Wng), 0);
    EXPECT_TRUE(m_list.HideItemEnabled());
}

TEST_F(SongList, FixingWarningsCorrectsTheFlagsOrRemovesTheSongsOnce) {
    ListedSong gone = Titled("Gone");
    gone.exi = 0;
    const int goneNum = AddSong(gone);
    ListedSong back = Titled("Back");
    back.exi = 0;
    back.fn = "+back.mp3";
    const int backNum = AddSong(back);
    AddPlaylist(6, "Twice", {goneNum, backNum, goneNum, backNum});
    m_settings.FILTER = 99;
    m_list.ShowPlaylistSongs(6);
    EXPECT_TRUE(m_list.QuestionFixEnabled());

    m_dialogs.QueueAnswer("No");
    m_list.FixQuestionWarnings();
    EXPECT_EQ(StoredInt("select exi as n from song where songnum = " + QString::number(backNum)), 0);
    m_list.FixQuestionWarnings();
    EXPECT_EQ(m_dialogs.TextsOf("ASK").last(),
              "Confirm MP3/OGG exists for these songs with \"?\" warning - OK ? -> Yes");
    EXPECT_EQ(StoredInt("select exi as n from song where songnum = " + QString::number(backNum)), 1);
    EXPECT_EQ(m_library.size.Added(), 100);  // the file counted once, though listed twice
    EXPECT_FALSE(m_list.QuestionFixEnabled());

    m_list.FixBangWarnings();
    EXPECT_EQ(m_dialogs.TextsOf("ASK").last(),
              "Remove from database these songs whose MP3 does not exist - are you sure ? -> Yes");
    EXPECT_EQ(StoredInt("select count(*) as n from song where songnum = " + QString::number(goneNum)), 0);
    EXPECT_EQ(Entries(6), (QStringList{"2:" + QString::number(backNum), "4:" + QString::number(backNum)}));

    m_settings.READONLY = true;
    m_dialogs.ClearTranscript();
    m_list.FixBangWarnings();
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").first().startsWith("Cannot make changes, database is read-only"));
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
}

TEST_F(SongList, DropFromPlaylistAsksOnlyForASongThatIsThere) {
    const int here = AddSong(Titled("Here"));
    const int missing = [&] {
        ListedSong song = Titled("Missing");
        song.exi = 0;
        return AddSong(song);
    }();
    AddPlaylist(7, "Mixed", {here, 9999, missing, here});
    m_settings.FILTER = 99;
    m_list.ShowPlaylistSongs(7);

    m_list.SetCurrentRow(1);  // the song is gone: no question
    m_list.DropFromPlaylist();
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
    EXPECT_EQ(Column(SongColumn::Seq), (QStringList{"1", "3", "4"}));
    EXPECT_EQ(m_list.SeqAt(m_list.CurrentRow()), 3);

    m_list.DropFromPlaylist();  // flagged missing: no question either
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
    EXPECT_EQ(m_list.SeqAt(m_list.CurrentRow()), 4);

    m_dialogs.QueueAnswer("No");
    m_list.DropFromPlaylist();
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"OK to drop song at seq 4 from playlist #7 ? -> No"});
    EXPECT_EQ(Entries(7).size(), 2);
    m_list.DropFromPlaylist();
    EXPECT_EQ(Entries(7), QStringList{"1:" + QString::number(here)});
    EXPECT_EQ(m_list.CurrentRow(), 0);
}

TEST_F(SongList, SelectionByCtrlAndShiftFromTheAnchorSong) {
    for (const char* title : {"A", "B", "C", "D", "E"}) {
        AddSong(Titled(title));
    }
    m_list.ShowSingles();
    m_list.ClickRow(3, false, false);
    EXPECT_EQ(m_list.AnchorSong(), m_list.SongNumAt(3));
    EXPECT_EQ(m_list.SelectedCount(), 0);
    m_list.ClickRow(1, false, true);
    EXPECT_EQ(m_list.SelectedRows(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(m_list.CurrentRow(), 1);
    m_list.ClickRow(2, true, false);
    EXPECT_EQ(m_list.SelectedRows(), (std::vector<int>{1, 3}));
    m_list.ClickRow(4, true, true);  // Ctrl wins: a toggle only
    EXPECT_EQ(m_list.SelectedRows(), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(m_list.AnchorSong(), m_list.SongNumAt(3));
    m_list.ClickRow(0, false, false);
    EXPECT_EQ(m_list.SelectedCount(), 0);

    m_list.KeyMoveTo(1, true);
    m_list.KeyMoveTo(2, true);
    EXPECT_EQ(m_list.SelectedRows(), (std::vector<int>{0, 1, 2}));
    m_list.KeyMoveTo(3, false);
    EXPECT_EQ(m_list.SelectedCount(), 0);
    m_list.ClickRow(1, true, false);
    m_list.RebuildKeepingCurrent();
    EXPECT_EQ(m_list.SelectedCount(), 0);
    EXPECT_EQ(m_list.AnchorSong(), 0);
}

struct ScopeCase {
    std::string name;
    std::vector<int> selected;
    int current;
    PlayScope before;
    PlayScope after;
    bool selectionEnabled;
    bool fromPositionEnabled;
};

class PlayScopes : public SongList, public ::testing::WithParamInterface<ScopeCase> {};

TEST_P(PlayScopes, FollowTheSelectionAndTheCurrentRow) {
    const ScopeCase& c = GetParam();
    for (const char* title : {"A", "B", "C", "D"}) {
        AddSong(Titled(title));
    }
    m_list.ShowSingles();
    for (const int row : c.selected) {
        m_list.ClickRow(row, true, false);
    }
    m_list.SetCurrentRow(c.current);
    m_list.SetPlayScope(c.before);
    m_list.PlayMenuOpening();
    EXPECT_EQ(m_list.Scope(), c.after);
    EXPECT_EQ(m_list.SelectionScopeEnabled(), c.selectionEnabled);
    EXPECT_EQ(m_list.FromPositionScopeEnabled(), c.fromPositionEnabled);
    EXPECT_EQ(QueueKindCaption(QueueKind::Insert, m_list.Scope()),
              "Insert into queue - " + PlayScopeName(c.after));
}

INSTANTIATE_TEST_SUITE_P(
    Scopes, PlayScopes,
    ::testing::Values(
        ScopeCase{"SeveralSelected", {1, 3}, 0, PlayScope::ThisSong, PlayScope::Selection, true, true},
        ScopeCase{"PastTheFirstRow", {}, 2, PlayScope::WholeList, PlayScope::ListFromPosition, false, true},
        ScopeCase{"FirstRowKeepsThisSong", {}, 0, PlayScope::ThisSong, PlayScope::ThisSong, false, false},
        ScopeCase{"FirstRowEndsFromPosition",
                  {},
                  0,
                  PlayScope::ListFromPosition,
                  PlayScope::WholeList,
                  false,
                  false},
        ScopeCase{
            "OneSelectedIsNoSelection", {2}, 0, PlayScope::Selection, PlayScope::WholeList, false, false}),
    test::ByName());

TEST_F(SongList, ThePopUpNamesTheSongsAlbumArtistAndTheTargetPlaylist) {
    const int album = AddAlbum("Pop", {[] {
                                   ListedSong song = Titled("Filed");
                                   song.fn = "+pop/filed.mp3";
                                   return song;
                               }()});
    m_list.ShowAlbumSongs(album);
    TSong song;
    m_library.songs.FindSongByNumber(m_list.SongNumAt(0), song);
    SongPopupMenu menu = m_list.OpenPopup(0);
    EXPECT_EQ(menu.inThisAlbum, "- in this Album (#" + QString::number(album) + ")");
    EXPECT_EQ(menu.byThisArtist, "- by this Artist (#" + QString::number(song.ArtistId) + ")");
    EXPECT_FALSE(menu.addToPlaylistEnabled);
    EXPECT_EQ(menu.addToPlaylist, "Add to playlist x");
    EXPECT_EQ(menu.addToAnother, "Add to playlist");
    EXPECT_TRUE(menu.deleteEnabled);
    EXPECT_FALSE(menu.dropEnabled);
    EXPECT_FALSE(menu.albumGroupEnabled);

    AddPlaylist(8, "R&B", {song.SongNum});
    m_list.ShowPlaylistSongs(8);
    menu = m_list.OpenPopup(0);
    EXPECT_TRUE(menu.addToPlaylistEnabled);
    EXPECT_EQ(menu.addToPlaylist, "Add to playlist \"R&B\"");
    EXPECT_EQ(menu.viewPlaylist, "View playlist \"R&B\"");
    EXPECT_EQ(menu.addToAnother, "Add to another playlist");
    EXPECT_TRUE(menu.dropEnabled);

    m_list.PopupAddToPlaylist();
    m_dialogs.QueueAnswer("No");
    m_list.PopupAddToPlaylist();
    EXPECT_EQ(Entries(8).size(), 2);
    m_settings.READONLY = true;
    m_list.PopupAddToPlaylist();
    EXPECT_EQ(Entries(8).size(), 2);
}

TEST_F(SongList, AddingTheListOrTheSelectionToTheTargetPlaylist) {
    const int a = AddSong(Titled("A"));
    const int b = AddSong(Titled("B"));
    const int c = AddSong(Titled("C"));
    AddPlaylist(9, "Target", {});
    m_list.ShowPlaylistSongs(9);
    m_list.ShowSingles();
    m_list.AddSelectionToTargetPlaylist();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"No songs selected (select/unselect using CTRL+Click)"});
    m_list.ClickRow(2, true, false);
    m_list.ClickRow(0, true, false);
    m_list.AddSelectionToTargetPlaylist();
    EXPECT_EQ(Entries(9), (QStringList{"1:" + QString::number(a), "2:" + QString::number(c)}));
    m_list.AddAllToTargetPlaylist();  // answered Yes for the two already there
    EXPECT_EQ(Entries(9).mid(2),
              (QStringList{"3:" + QString::number(a), "4:" + QString::number(b), "5:" + QString::number(c)}));
}

TEST_F(SongList, AnUnfilteredAlbumListRunsTheAlbumCheck) {
    const int id = AddAlbum("Checked", {Titled("A", 1, 2), Titled("B", 2, 3)});
    m_catalogue.ExecSqlCommit("update album set numexi = 5 where albumid = " + QString::number(id));
    m_list.ShowAlbumSongs(id);
    EXPECT_TRUE(m_dialogs.TextsOf("FLASH").isEmpty());
    m_list.SetRatingFilter(99);  // a rebuild, not a new album list
    EXPECT_TRUE(m_dialogs.TextsOf("FLASH").isEmpty());
    m_list.ShowAlbumSongs(id);
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Resetting numexi from 5 to 2"});
    EXPECT_EQ(StoredInt("select ratingdrvd as n from album where albumid = " + QString::number(id)), 25);
    EXPECT_EQ(m_list.CurrentRow(), 0);
}

// On a read-only catalogue every command that would write refuses with the read-only message and
// writes nothing, whichever way it is asked for; the album check pass stores nothing either.
TEST_F(SongList, AReadOnlyCatalogueRefusesEveryCommandThatWrites) {
    ListedSong filed = Titled("Filed", 1, 2);
    filed.fn = "+filed.mp3";
    ListedSong missing = Titled("Missing", 2, 3);
    missing.exi = 0;
    const int album = AddAlbum("Album", {filed, missing});
    m_catalogue.ExecSqlCommit("update album set numexi = 5, ratingdrvd = 7 where albumid = " +
                              QString::number(album));
    int edits = 0;
    m_list.Hooks().editSong = [&edits](TSong&) {
        ++edits;
        return true;
    };
    int measures = 0;
    m_list.SetDurationMeasure([&measures](const QString&) { return ++measures, 99; });
    m_list.SetDoubleClickToEdit(true);
    m_settings.READONLY = true;
    m_settings.FILTER = 99;
    m_list.ShowAlbumSongs(album);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty()) << m_dialogs.Transcript().join("\n").toStdString();
    EXPECT_EQ(
        StoredInt("select numexi + ratingdrvd as n from album where albumid = " + QString::number(album)),
        12);
    m_list.OpenPopup(0);

    const std::vector<std::pair<const char*, std::function<void()>>> commands{
        {"Enter", [&] { m_list.EnterPressed(); }},
        {"double click", [&] { m_list.RowDoubleClicked(); }},
        {"Edit song", [&] { m_list.PopupEditSong(); }},
        {"Fix durations", [&] { m_list.FixDurations(); }},
        {"Fix \"?\" warnings", [&] { m_list.FixQuestionWarnings(); }},
        {"Fix \"!\" warnings", [&] { m_list.FixBangWarnings(); }},
        {"Add to playlist", [&] { m_list.PopupAddToPlaylist(); }},
        {"Delete music file", [&] { m_list.PopupRemove(1); }},
        {"Remove song from database", [&] { m_list.PopupRemove(2); }},
        {"Delete and remove", [&] { m_list.PopupRemove(3); }},
    };
    for (const auto& [name, command] : commands) {
        m_dialogs.ClearTranscript();
        command();
        EXPECT_EQ(m_dialogs.Transcript(), QStringList{"INFO: " + kReadOnly}) << name;
    }
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(measures, 0);
    EXPECT_EQ(Titles(), (QStringList{"Filed", "Missing"}));
    EXPECT_TRUE(QFile::exists(m_music.filePath("filed.mp3")));
    EXPECT_EQ(StoredInt("select count(*) as n from song where duration = 99"), 0);
    EXPECT_EQ(StoredInt("select count(*) as n from songinpl"), 0);

    // Writable again, Enter opens the edit window.
    m_settings.READONLY = false;
    m_list.EnterPressed();
    EXPECT_EQ(edits, 1);
}

TEST_F(SongList, AnAssignmentToAnAlbumShowsItAndSetsItsArtistWithoutAsking) {
    m_settings.FILTER = 99;
    ListedSong other = Titled("B", 2);
    other.artist = "Bob";
    const int id = AddAlbum("Shared", {Titled("A", 1), other});
    m_list.AfterAssignment({true, true, id});
    EXPECT_EQ(m_list.Caption(), "Songs in album \"Shared\"");
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
    TAlbum album;
    m_library.albums.FindAlbumById(id, album);
    EXPECT_EQ(album.ArtistName, "various");

    m_catalogue.ExecSqlCommit("update album set artistid = 0 where albumid = " + QString::number(id));
    m_dialogs.QueueAnswer("No");
    m_list.ShowAlbumSongs(id);  // the album list itself asks
    EXPECT_EQ(m_dialogs.TextsOf("ASK").size(), 1);
    m_list.AfterAssignment({false, true, id});
    EXPECT_EQ(m_dialogs.TextsOf("ASK").size(), 1);
}

TEST_F(SongList, SongsLikeTheCurrentOneArePositionedOnIt) {
    AddGenre(20, "Jazz");
    ListedSong jazz = Titled("Blue in green", 2);
    jazz.genreId = 20;
    const int id = AddAlbum("Kind", {Titled("So what", 1), jazz});
    m_list.ShowAlbumSongs(id);
    const int songNum = m_list.SongNumAt(1);
    m_list.ShowSingles();
    m_list.ShowSongsLike(songNum, SongsLike::Genre);
    EXPECT_EQ(m_list.Caption(), "Songs in genre \"Jazz\"");
    EXPECT_EQ(m_list.CurrentSongNum(), songNum);
    m_list.ShowSongsLike(songNum, SongsLike::Album);
    EXPECT_EQ(m_list.CurrentSongNum(), songNum);
    EXPECT_EQ(m_list.CurrentRow(), 1);

    const int dots = AddSong(Titled("..."));
    const std::size_t depth = m_list.BackStack().size();
    m_list.ShowSongsLike(dots, SongsLike::Title);
    EXPECT_EQ(m_list.BackStack().size(), depth);
    m_list.ShowSongsLike(0, SongsLike::Album);
    EXPECT_EQ(m_list.BackStack().size(), depth);
}

TEST_F(SongList, AWindowShownBeforeAnyListOpensTheSingles) {
    AddSong(Titled("Alone"));
    m_list.WindowShown();
    EXPECT_EQ(m_list.Caption(), "Songs not in an album (\"Singles\")");
    EXPECT_FALSE(m_list.QueryOpen());
    m_list.WindowActivated(true);
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Re-opening query"});
    EXPECT_EQ(Titles(), QStringList{"Alone"});
    m_list.WindowActivated(true);
    EXPECT_EQ(m_dialogs.TextsOf("FLASH").size(), 1);
}

TEST_F(SongList, RemovingASongMovesToTheOneThatFollowed) {
    for (const char* title : {"A", "B", "C"}) {
        AddSong(Titled(title));
    }
    m_list.ShowSingles();
    m_list.OpenPopup(1);
    m_list.PopupRemove(2);
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Remove song from database ? -> Yes"});
    EXPECT_EQ(Titles(), (QStringList{"A", "C"}));
    EXPECT_EQ(CurrentTitle(), "C");
    m_list.OpenPopup(1);
    m_list.PopupRemove(2);
    EXPECT_EQ(CurrentTitle(), "A");
}

}  // namespace
}  // namespace sw
