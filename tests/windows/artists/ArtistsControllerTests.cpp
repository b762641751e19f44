#include <gtest/gtest.h>

#include <tuple>

#include "ArtistsFixture.h"
#include "core/Query.h"
#include "core/Renames.h"
#include "windows/artists/ArtistDetailsController.h"

namespace sw {
namespace {

using test::ListedSong;

const QString kQuoted = "O'Brien \"Live\"";

/// Abba (2 songs), abc and Blur (1 each), Cream, O'Brien "Live" and various without songs, a song
/// without an artist and one whose artist has no row; the clock stands at a time with a fraction
/// of a second.
class ArtistsTest : public test::ArtistsFixture {
protected:
    ArtistsTest() {
        m_abba = AddArtistWithSongs("Abba", 2);
        m_abc = AddArtistWithSongs("abc", 1);
        m_blur = AddArtistWithSongs("Blur", 1);
        m_cream = AddArtist("Cream");
        m_quoted = AddArtist(kQuoted);
        AddSong(ListedSong{.title = "Nobody's"});
        const int orphan = AddSong(ListedSong{.title = "Orphan", .artist = "Gone"});
        m_catalogue.ExecSqlCommit("update song set artistid = 999 where songnum = " +
                                  QString::number(orphan));
        m_catalogue.ExecSqlCommit("delete from artist where arname = 'Gone'");
        m_clock.Advance(1234);
        m_dialogs.ClearTranscript();
    }

    int ArtistsMarked(TDateTime mark) {
        Query query(m_catalogue, "select count(*) as ct from artist where rprts = :ts");
        return query.SetTimestamp("ts", mark).Open().Int("CT");
    }
    /// Marks with the user's agreement and lists the artists without songs.
    void ListWithNoSongs() {
        m_dialogs.QueueAnswer("Yes");
        m_artists.ListArtistsWithNoSongs();
        ASSERT_EQ(m_artists.View(), ArtistsView::WithNoSongs);
    }

    int m_abba = 0;
    int m_abc = 0;
    int m_blur = 0;
    int m_cream = 0;
    int m_quoted = 0;
};

TEST_F(ArtistsTest, EachViewListsItsArtistsWithItsCaptionsAndCounts) {
    struct Case {
        const char* name;
        ArtistsView view;
        QString caption;
        QString filter;
        QStringList rows;
    };
    const std::vector<Case> cases{
        {"all",
         ArtistsView::All,
         "Artists - All",
         "Filter",
         {"Abba", "abc", "Blur", "Cream", kQuoted, "various"}},
        // Songs without an artist row come first, with an empty name.
        {"any songs",
         ArtistsView::WithSongs,
         "Artists - with >0 songs",
         "FILTER",
         {":1", ":1", "Abba:2", "abc:1", "Blur:1"}},
        {"more than one song", ArtistsView::MoreThanOneSong, "Artists - with >1 song", "FILTER", {"Abba:2"}},
        {"no songs",
         ArtistsView::WithNoSongs,
         "Artists - with no songs",
         "FILTER",
         {"Cream", kQuoted, "various"}},
    };
    for (const Case& each : cases) {
        m_dialogs.QueueAnswer("Yes");
        m_artists.ChooseView(each.view);
        EXPECT_EQ(m_artists.View(), each.view) << each.name;
        EXPECT_EQ(Listed(), each.rows) << each.name;
        EXPECT_EQ(m_artists.Caption(), each.caption) << each.name;
        EXPECT_EQ(m_artists.FilterCaption(), each.filter) << each.name;
        EXPECT_EQ(m_artists.CountLabel(), QString::number(each.rows.size()) + " artist(s) listed")
            << each.name;
        EXPECT_EQ(m_artists.Model().Column(0).caption, "Artist") << each.name;
        EXPECT_EQ(m_artists.RemoveAllEnabled(), each.view == ArtistsView::WithNoSongs) << each.name;
        EXPECT_EQ(m_artists.SongCountShown(), m_artists.Model().ColumnCount() == 2) << each.name;
        if (m_artists.SongCountShown()) {
            EXPECT_EQ(m_artists.Model().Column(1).caption, "Song count") << each.name;
        }
        m_dialogs.ClearTranscript();
    }
}

/// The counted lists read by artist id against the same lists read by one join of every song,
/// on artists that make the two differ if either goes wrong: names equal in lower case, an id
/// that two ARTIST rows carry (under one name and under two), songs with a null, a zero or an
/// unknown artist id.
TEST_F(ArtistsTest, TheCountedListsAreTheRowsOfTheJoinOfEverySongInItsOrder) {
    const auto songsBy = [this](int artistId, int count) {
        for (int song = 0; song < count; ++song) {
            const int number = AddSong(ListedSong{.title = "By " + QString::number(artistId)});
            m_catalogue.ExecSqlCommit("update song set artistid = " + QString::number(artistId) +
                                      " where songnum = " + QString::number(number));
        }
    };
    const auto artistRow = [this](int id, const QString& name) {
        m_catalogue.ExecSqlCommit("insert into artist (artistid, arname) values (" + QString::number(id) +
                                  ", " + SqlQuote(name) + ")");
    };
    for (const auto& [id, name, songs] : std::vector<std::tuple<int, QString, int>>{
             {501, "ABBA", 3}, {502, "abba", 1}, {503, "TIE", 2}, {504, "tie", 5}, {505, "Tie", 4}}) {
        artistRow(id, name);
        songsBy(id, songs);
    }
    artistRow(510, "Twin");
    artistRow(510, "Twin");
    songsBy(510, 2);
    artistRow(511, "Pair one");
    artistRow(511, "Pair two");
    songsBy(511, 1);
    songsBy(0, 2);
    songsBy(998, 3);
    const int nullArtist = AddSong(ListedSong{.title = "Null artist"});
    m_catalogue.ExecSqlCommit("update song set artistid = null where songnum = " +
                              QString::number(nullArtist));

    const auto rows = [this] {
        QStringList listed;
        for (int row = 0; row < m_artists.RowCount(); ++row) {
            listed << QString::number(m_artists.ArtistIdAt(row)) + "|" +
                          m_artists.Model().RowTexts(row).join('|');
        }
        return listed;
    };
    for (const ArtistsView view : {ArtistsView::WithSongs, ArtistsView::MoreThanOneSong}) {
        const QString name = ArtistsViewName(view);
        m_artists.SetReadByJoin(true);
        m_artists.ChooseView(view);
        const QStringList byJoin = rows();
        m_artists.SetReadByJoin(false);
        m_artists.Refresh();
        EXPECT_EQ(rows(), byJoin) << name.toStdString();
        // Each song counts once for each ARTIST row of its id and name.
        EXPECT_TRUE(byJoin.contains("510|Twin|4")) << name.toStdString();
        EXPECT_EQ(byJoin.contains("511|Pair one|1"), view == ArtistsView::WithSongs) << name.toStdString();
        EXPECT_TRUE(byJoin.contains("998||3")) << name.toStdString();
    }
    EXPECT_NE(ArtistListSql(ArtistsView::WithSongs), ArtistListJoinSql(ArtistsView::WithSongs));
    EXPECT_EQ(ArtistListSql(ArtistsView::All), ArtistListJoinSql(ArtistsView::All));
}

TEST_F(ArtistsTest, MarkingStampsTheArtistsWithSongsOnlyWhenTheUserAgrees) {
    m_artists.ChooseView(ArtistsView::All);
    m_dialogs.QueueAnswer("No");
    m_artists.ListArtistsWithNoSongs();
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"List artists with no songs (short delay) - OK ? -> No"});
    EXPECT_EQ(m_artists.View(), ArtistsView::WithSongs);
    EXPECT_EQ(m_catalogue.Select("select count(*) as ct from artist where rprts is not null").Int("CT"), 0);
    EXPECT_FALSE(m_artists.RemoveAllEnabled());

    ListWithNoSongs();
    const TDateTime first = m_artists.MarkTime();
    EXPECT_EQ(first, m_clock.LocalNow());
    EXPECT_EQ(ArtistsMarked(first), 3);

    // An artist that has lost its songs is found by the next marking.
    m_catalogue.ExecSqlCommit("delete from song where artistid = " + QString::number(m_blur));
    m_clock.Advance(60'000);
    ListWithNoSongs();
    EXPECT_GT(m_artists.MarkTime(), first);
    EXPECT_EQ(ArtistsMarked(m_artists.MarkTime()), 2);
    EXPECT_EQ(Listed(), (QStringList{"Blur", "Cream", kQuoted, "various"}));
}

TEST_F(ArtistsTest, RemoveAllDeletesTheUnmarkedArtistsThatNothingUses) {
    AddAlbum("Kept", {}, "Album artist");
    struct Case {
        const char* name;
        bool readOnly;
        QString answer;
        bool removes;
    };
    const std::vector<Case> cases{
        {"declined", false, "No", false},
        {"read-only", true, "", false},
        {"confirmed", false, "Yes", true},
    };
    for (const Case& each : cases) {
        const int singer = AddArtistWithSongs("Singer " + QString(each.name), 1);
        ListWithNoSongs();
        // After the listing one artist loses its song (it was marked, so it was not listed), one
        // is loaded with a song, one is made without any.
        m_catalogue.ExecSqlCommit("delete from song where artistid = " + QString::number(singer));
        const int late = AddArtistWithSongs("Late " + QString(each.name), 1);
        const int newcomer = AddArtist("Newcomer " + QString(each.name));
        m_settings.READONLY = each.readOnly;
        m_dialogs.ClearTranscript();
        if (!each.answer.isEmpty()) {
            m_dialogs.QueueAnswer(each.answer);
        }
        m_artists.RemoveArtistsWithNoSongs();
        m_settings.READONLY = false;
        m_catalogue.Rollback();

        EXPECT_EQ(ArtistExists(m_cream), !each.removes) << each.name;
        EXPECT_EQ(ArtistExists(m_quoted), !each.removes) << each.name;
        EXPECT_EQ(ArtistExists(newcomer), !each.removes) << each.name;
        EXPECT_TRUE(ArtistExists(late)) << each.name;
        EXPECT_TRUE(ArtistExists(singer)) << each.name;
        EXPECT_GT(m_library.artists.FindArtistByName("Album artist"), 0) << each.name;
        EXPECT_TRUE(ArtistExists(m_library.artists.VariousArtistId())) << each.name;
        EXPECT_TRUE(ArtistExists(m_abba) && ArtistExists(m_abc) && ArtistExists(m_blur)) << each.name;
        if (each.readOnly) {
            EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty()) << each.name;
            ASSERT_EQ(m_dialogs.TextsOf("INFO").size(), 1) << each.name;
            EXPECT_TRUE(
                m_dialogs.TextsOf("INFO")[0].startsWith("Cannot make changes, database is read-only"));
        } else {
            EXPECT_EQ(m_dialogs.TextsOf("ASK"),
                      QStringList{"Remove all artists with no songs - are you sure ? -> " + each.answer})
                << each.name;
        }
    }
}

TEST_F(ArtistsTest, RemoveAllIsRefusedOutsideTheListOfTheLatestMarking) {
    m_artists.ChooseView(ArtistsView::All);
    m_artists.RemoveArtistsWithNoSongs();
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
    EXPECT_TRUE(ArtistExists(m_cream));
}

TEST_F(ArtistsTest, OpeningAnArtistListsAllItsSongsWhateverTheRatingFilter) {
    AddSong(ListedSong{.title = "Bad one", .artist = "Abba", .rating = -1});
    m_settings.FILTER = 2;
    m_artists.ChooseView(ArtistsView::All);
    m_artists.OpenRow(RowOf("Abba"));
    EXPECT_EQ(m_list.Mode(), SongListMode::Artist);
    EXPECT_EQ(m_list.Caption(), "Songs by artist \"Abba\"");
    EXPECT_EQ(m_list.RowCount(), 3);
    EXPECT_EQ(m_settings.FILTER, 99);
    EXPECT_EQ(m_artists.RememberedArtist(), m_abba);
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());

    // The rows of songs without an artist row list those songs rather than offering a removal.
    m_artists.ChooseView(ArtistsView::WithSongs);
    for (int row : {0, 1}) {
        m_artists.OpenRow(row);
        EXPECT_EQ(m_list.Caption(), "Songs by artist \"\"") << row;
        EXPECT_EQ(m_list.RowCount(), 1) << row;
    }
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
}

TEST_F(ArtistsTest, OpeningAnArtistWithoutSongsOffersItsRemoval) {
    AddAlbum("Kept", {}, "Album artist");
    const int zed = AddArtist("Zed");
    const int various = m_library.artists.VariousArtistId();
    struct Case {
        const char* name;
        QString artist;
        QString answer;
        bool readOnly;
        bool removed;
        QString info;
        QString currentAfter;
    };
    const std::vector<Case> cases{
        {"declined", "Cream", "No", false, false, "", "Cream"},
        {"cancelled", "Cream", "Cancel", false, false, "", "Cream"},
        {"read-only", "Cream", "Yes", true, false, "Cannot make changes, database is read-only", "Cream"},
        {"various stays", "various", "Yes", false, false,
         "Artist #" + QString::number(various) + " is the \"various\" artist, not removed", "various"},
        {"album artist stays", "Album artist", "Yes", false, false,
         "Artist #" + QString::number(m_library.artists.FindArtistByName("Album artist")) +
             " is the artist of 1 album(s), not removed",
         "Album artist"},
        {"removed, the next row current", "Cream", "Yes", false, true, "", kQuoted},
        {"last row removed, the one before current", "Zed", "Yes", false, true, "", "various"},
    };
    for (const Case& each : cases) {
        m_artists.ChooseView(ArtistsView::All);
        const int row = RowOf(each.artist);
        const int id = m_artists.ArtistIdAt(row);
        m_settings.READONLY = each.readOnly;
        m_dialogs.ClearTranscript();
        m_dialogs.QueueAnswer(each.answer);
        m_shown.searchCleared = 0;
        m_artists.RowClicked(row);
        m_settings.READONLY = false;
        m_catalogue.Rollback();

        EXPECT_EQ(m_shown.searchCleared, 1) << each.name;
        ASSERT_EQ(m_dialogs.TextsOf("ASK").size(), 1) << each.name;
        EXPECT_EQ(m_dialogs.TextsOf("ASK")[0],
                  "Artist #" + QString::number(id) + " has no songs, OK to remove ?  -> " + each.answer)
            << each.name;
        EXPECT_EQ(ArtistExists(id), !each.removed) << each.name;
        const QStringList info = m_dialogs.TextsOf("INFO");
        EXPECT_EQ(info.isEmpty(), each.info.isEmpty()) << each.name;
        if (!info.isEmpty()) {
            EXPECT_TRUE(info[0].startsWith(each.info)) << each.name << ": " << info[0].toStdString();
        }
        EXPECT_EQ(CurrentName(), each.currentAfter) << each.name;
        EXPECT_EQ(m_list.Mode(), SongListMode::Singles) << each.name;
    }
    EXPECT_FALSE(ArtistExists(zed));
}

TEST_F(ArtistsTest, TypingPutsTheCursorOnTheFirstNameNotLessThanTheWholeText) {
    m_artists.ChooseView(ArtistsView::All);
    const std::vector<std::pair<QString, QString>> cases{
        {"", "Abba"},    {"ab", "Abba"},  {"ABBA", "Abba"},           {"abbz", "abc"},   {"ABC", "abc"},
        {"abd", "Blur"}, {"o'", kQuoted}, {"o'brien \"m", "various"}, {"zz", "various"},
    };
    for (const auto& [typed, expected] : cases) {
        m_artists.SearchTyped(typed);
        EXPECT_EQ(CurrentName(), expected) << typed.toStdString();
        EXPECT_EQ(m_shown.currentRows.last(), m_artists.CurrentRow()) << typed.toStdString();
    }
    m_artists.SearchTyped("bl");
    m_artists.EnterPressed();
    EXPECT_EQ(m_list.Caption(), "Songs by artist \"Blur\"");
}

TEST_F(ArtistsTest, RefreshKeepsTheCursorOnTheArtistWhereverItsRowMoves) {
    m_artists.ShowArtistsWindow();
    EXPECT_TRUE(m_shown.shown);
    EXPECT_TRUE(m_artists.ListOpen());
    m_artists.SetCurrentRow(RowOf("Cream"));
    AddArtist("Aaron");
    AddArtist("Bach");
    m_artists.Refresh();
    EXPECT_EQ(CurrentName(), "Cream");
    EXPECT_EQ(m_artists.CurrentRow(), 5);

    // A closed list is read again when the window is activated, on the same artist.
    m_artists.CloseList();
    EXPECT_EQ(m_artists.RowCount(), 0);
    m_artists.Activated();
    EXPECT_EQ(CurrentName(), "Cream");
}

TEST_F(ArtistsTest, ThePopupNamesTheArtistAndCopiesOpensAndRenamesIt) {
    m_artists.ChooseView(ArtistsView::All);
    m_shown.searchCleared = 0;
    const ArtistPopupMenu& popup = m_artists.OpenPopup(RowOf("Blur"));
    EXPECT_EQ(popup.caption, "= Artist #" + QString::number(m_blur));
    EXPECT_FALSE(popup.detailsEnabled);
    EXPECT_FALSE(popup.playEnabled);
    EXPECT_EQ(m_shown.searchCleared, 1);
    EXPECT_EQ(CurrentName(), "Blur");

    QList<int> details;
    m_artists.Hooks().artistDetails = [&details](int id) { details << id; };
    EXPECT_TRUE(m_artists.OpenPopup(RowOf("Blur")).detailsEnabled);
    m_artists.PopupDetails();
    EXPECT_EQ(details, QList<int>{m_blur});

    m_artists.PopupCopyArtist();
    EXPECT_EQ(m_library.clipboard.artist.ArtistId, m_blur);
    EXPECT_EQ(PasteArtistCaption(m_library.clipboard),
              "Paste artist #" + QString::number(m_blur) + " \"Blur\"");
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Copied ok"});

    m_artists.PopupListSongs();
    EXPECT_EQ(m_list.Caption(), "Songs by artist \"Blur\"");

    // Renamed, the artist keeps the cursor at its new place in the list.
    m_dialogs.QueueAnswers({"Zappa's \"Blur\"", "No"});
    m_artists.PopupRename();
    EXPECT_EQ(m_dialogs.TextsOf("INPUT").last(), "Rename artist -> Zappa's \"Blur\"");
    EXPECT_EQ(CurrentName(), "Zappa's \"Blur\"");
    EXPECT_EQ(m_artists.ArtistIdAt(m_artists.CurrentRow()), m_blur);
    EXPECT_EQ(m_library.clipboard.artist.ArtistName, "Zappa's \"Blur\"");
}

TEST_F(ArtistsTest, RenamingIntoAnotherArtistsNameMergesAndFollowsTheMergedArtist) {
    m_artists.ChooseView(ArtistsView::WithSongs);
    m_artists.OpenPopup(RowOf("abc"));
    m_dialogs.QueueAnswers({"ABBA", "Yes", "No"});
    m_artists.PopupRename();
    EXPECT_EQ(m_dialogs.TextsOf("ASK")[0], "Artist \"Abba\" (#" + QString::number(m_abba) +
                                               ") already exists - merge \"abc\" into it ? -> Yes");
    EXPECT_FALSE(ArtistExists(m_abc));
    EXPECT_EQ(Listed(), (QStringList{":1", ":1", "Abba:3", "Blur:1"}));
    EXPECT_EQ(CurrentName(), "Abba");
}

TEST_F(ArtistsTest, RenameIsRefusedOnAReadOnlyCatalogue) {
    m_artists.ChooseView(ArtistsView::All);
    m_artists.OpenPopup(RowOf("Cream"));
    m_settings.READONLY = true;
    m_artists.PopupRename();
    EXPECT_TRUE(m_dialogs.TextsOf("INPUT").isEmpty());
    ASSERT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO")[0].startsWith("Cannot make changes, database is read-only"));
}

// The details window.

class ArtistDetailsTest : public ArtistsTest {
protected:
    class Shown : public ArtistDetailsDisplay {
    public:
        void ShowDetailsWindow() override { ++showings; }
        void DetailsChanged() override { ++changes; }
        int showings = 0;
        int changes = 0;
    };

    ArtistDetailsTest() { m_details.SetDisplay(&m_detailsShown); }

    ArtistDetailsController m_details{m_library};
    Shown m_detailsShown;
};

TEST_F(ArtistDetailsTest, ShowsTheArtistByIdAndOffersRenameOnlyWhenFound) {
    struct Case {
        const char* name;
        int id;
        QString nameLine;
        bool found;
    };
    const std::vector<Case> cases{
        {"stored", m_quoted, kQuoted, true},
        {"no artist", 0, "", true},
        {"missing", 12345, " not found ", false},
    };
    for (const Case& each : cases) {
        m_details.ShowArtistDetails(each.id);
        EXPECT_EQ(m_details.IdLine(), "Id " + QString::number(each.id)) << each.name;
        EXPECT_EQ(m_details.NameLine(), each.nameLine) << each.name;
        EXPECT_EQ(m_details.Found(), each.found) << each.name;
        EXPECT_EQ(m_details.RenameEnabled(), each.found) << each.name;
    }
    EXPECT_EQ(m_detailsShown.showings, 3);
}

// Artist #0 is no artist: it has no row, and a name given to it would reach only its songs' tags.
TEST_F(ArtistDetailsTest, ArtistZeroIsNeverRenamed) {
    test::RecordingTagWriter tags;
    m_library.tagWriter = &tags;
    m_artists.ChooseView(ArtistsView::WithSongs);
    int noArtist = -1;
    for (int row = 0; row < m_artists.RowCount(); ++row) {
        if (m_artists.ArtistIdAt(row) == 0) {
            noArtist = row;
        }
    }
    ASSERT_GE(noArtist, 0);
    const QString reserved = "Artist #0 cannot be renamed, reserved for artist name = blank";
    struct Case {
        const char* name;
        std::function<bool()> rename;
    };
    const std::vector<Case> cases{
        {"the details window",
         [&] {
             m_details.ShowArtistDetails(0);
             m_details.Rename();
             return false;
         }},
        {"the artists window",
         [&] {
             m_artists.OpenPopup(noArtist);
             m_artists.PopupRename();
             return false;
         }},
        {"a rename by id", [&] { return RenameArtist(m_library, 0, "Somebody"); }},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        m_dialogs.ClearTranscript();
        // Unanswered, every input is accepted as shown and every question with Yes.
        const bool renamed = each.rename();
        EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{reserved});
        EXPECT_TRUE(m_dialogs.TextsOf("INPUT").isEmpty());
        EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
        EXPECT_TRUE(tags.saved.isEmpty());
        EXPECT_FALSE(renamed);
    }
    EXPECT_EQ(Count("select count(*) as ct from artist where arname = 'Somebody'"), 0);
}

// A blank new name is refused: nothing asked, stored or tagged.
TEST_F(ArtistDetailsTest, RenamingToABlankNameIsRefused) {
    test::RecordingTagWriter tags;
    m_library.tagWriter = &tags;
    m_artists.ChooseView(ArtistsView::All);
    struct Case {
        const char* name;
        bool detailsWindow;
        QString typed;
    };
    const std::vector<Case> cases{
        {"empty in the artists window", false, ""},
        {"spaces in the artists window", false, "    "},
        {"empty in the details window", true, ""},
        {"blanks in the details window", true, " \t"},
    };
    for (const Case& each : cases) {
        m_dialogs.ClearTranscript();
        m_dialogs.QueueAnswer(each.typed);
        if (each.detailsWindow) {
            m_details.ShowArtistDetails(m_blur);
            m_details.Rename();
            EXPECT_EQ(m_details.NameLine(), "Blur") << each.name;
        } else {
            m_artists.OpenPopup(RowOf("Blur"));
            m_artists.PopupRename();
        }
        EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{kBlankArtistName}) << each.name;
        EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty()) << each.name;
        EXPECT_EQ(m_dialogs.PendingAnswers(), 0u) << each.name;
    }
    m_catalogue.Rollback();
    TArtist stored;
    ASSERT_TRUE(m_library.artists.FindArtistById(m_blur, stored));
    EXPECT_EQ(stored.ArtistName, "Blur");
    EXPECT_TRUE(tags.saved.isEmpty());
    m_library.tagWriter = nullptr;
}

TEST_F(ArtistDetailsTest, RenameFillsTheWindowAgainAndFollowsAMerge) {
    QList<int> renamed;
    m_details.SetRenamed([&renamed](int id) { renamed << id; });
    m_details.ShowArtistDetails(m_cream);
    m_dialogs.QueueAnswers({"Cream's \"Best\"", "No"});
    m_details.Rename();
    EXPECT_EQ(m_details.NameLine(), "Cream's \"Best\"");

    m_dialogs.QueueAnswers({"BLUR", "Yes", "No"});
    m_details.Rename();
    EXPECT_FALSE(ArtistExists(m_cream));
    EXPECT_EQ(m_details.ArtistId(), m_blur);
    EXPECT_EQ(m_details.NameLine(), "Blur");
    EXPECT_EQ(renamed, (QList<int>{m_cream, m_blur}));

    // Cancelling the merge question leaves everything as it was.
    m_dialogs.QueueAnswers({"abba", "Cancel"});
    m_details.Rename();
    EXPECT_EQ(m_details.NameLine(), "Blur");
    EXPECT_TRUE(ArtistExists(m_blur));
    EXPECT_EQ(renamed.size(), 2);

    m_settings.READONLY = true;
    m_dialogs.ClearTranscript();
    m_details.Rename();
    EXPECT_TRUE(m_dialogs.TextsOf("INPUT").isEmpty());
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
}

}  // namespace
}  // namespace sw
