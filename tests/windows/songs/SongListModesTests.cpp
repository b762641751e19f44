// The list each request shows: the modes, searches, Back and the positioning on a list.
#include <gtest/gtest.h>

#include "SongListControllerTests.h"
#include "windows/songs/SongListSql.h"

namespace sw {
namespace {

using test::ListedSong;
using test::SongList;
using test::Titled;

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

}  // namespace
}  // namespace sw
