// What the songs list does with its rows: cells and warnings, fixes, selection, scopes, the pop-up,
// playlists, the album check, read-only refusals and assignments.
#include <gtest/gtest.h>

#include <QFile>

#include "SongListControllerTests.h"
#include "core/Query.h"

namespace sw {
namespace {

using test::ListedSong;
using test::SongList;
using test::Titled;

const QString kReadOnly = "Cannot make changes, database is read-only\\n( see menu option \"Database\")";

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
