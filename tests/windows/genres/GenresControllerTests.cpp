#include <gtest/gtest.h>

#include "GenresFixture.h"

namespace sw {
namespace {

using test::GenreRow;

const QString kBullet = QString(QChar(0x2022)) + " ";

class GenresListTest : public test::GenresFixture {
protected:
    /// Genres in every state a list meets: a lower-case and an upper-case name, quotes and an
    /// apostrophe, a dormant genre, one without DORMANT, one without a name, and songs of a genre
    /// that has no row.
    void AddMixedGenres() {
        AddGenres({{1, "Rock", 0},
                   {2, "o'Brien \"Q\"", -1},
                   {3, "abba", 0},
                   {4, "ABC", 1},
                   {5, QString(), 0},
                   {9, "Zouk", 0}});
        for (const int id : {3, 1, 200, 4, 3}) {
            AddSongOfGenre(id);
        }
    }
};

TEST_F(GenresListTest, EachOrderAndFilterListsItsGenresUnderItsHeadings) {
    AddMixedGenres();
    struct Case {
        const char* name;
        GenreSort sort;
        GenreFilter filter;
        QStringList rows;
        QStringList headings;
        QString filterCaption;
    };
    const QStringList byId{kBullet + "Id  ", "Name", "Dormant?"};
    const QStringList byName{kBullet + "Name ", "Id", "Dormant?"};
    const std::vector<Case> cases{
        {"in use by id: a genre without a row shows no name",
         GenreSort::ById,
         GenreFilter::InUse,
         {"1|Rock|", "3|abba|", "4|ABC|Dormant", "200||"},
         byId,
         "FILTER"},
        {"in use by name: letter case ignored",
         GenreSort::ByName,
         GenreFilter::InUse,
         {"200||", "3|abba|", "4|ABC|Dormant", "1|Rock|"},
         byName,
         "FILTER"},
        {"available: neither dormant nor nameless, DORMANT unset counts as active",
         GenreSort::ById,
         GenreFilter::Available,
         {"1|Rock|", "2|o'Brien \"Q\"|", "3|abba|", "9|Zouk|"},
         byId,
         "FILTER"},
        {"available by name",
         GenreSort::ByName,
         GenreFilter::Available,
         {"3|abba|", "2|o'Brien \"Q\"|", "1|Rock|", "9|Zouk|"},
         byName,
         "FILTER"},
        {"all by id",
         GenreSort::ById,
         GenreFilter::All,
         {"1|Rock|", "2|o'Brien \"Q\"|", "3|abba|", "4|ABC|Dormant", "5||", "9|Zouk|"},
         byId,
         "Filter"},
        {"all by name",
         GenreSort::ByName,
         GenreFilter::All,
         {"5||", "3|abba|", "4|ABC|Dormant", "2|o'Brien \"Q\"|", "1|Rock|", "9|Zouk|"},
         byName,
         "Filter"},
    };
    for (const Case& each : cases) {
        m_genres.SetFilter(each.filter);
        m_genres.SetSort(each.sort);
        EXPECT_EQ(ListedRows(), each.rows) << each.name;
        EXPECT_EQ(Headings(), each.headings) << each.name;
        EXPECT_EQ(m_genres.FilterCaption(), each.filterCaption) << each.name;
        EXPECT_EQ(m_genres.CountLabel(), QString::number(each.rows.size()) + " genres listed") << each.name;
    }
}

/// The genres in use read from the songs' distinct genre ids against the same list read by one
/// join of every song, on genres that make the two differ if either goes wrong: names equal in
/// lower case, several genre ids without a row (whose names are all null), a null genre id.
TEST_F(GenresListTest, TheGenresInUseAreTheRowsOfTheJoinOfEverySongInItsOrder) {
    AddMixedGenres();
    AddGenres({{6, "pop", 0}, {7, "POP", 1}, {8, "Pop", -1}, {10, "ABC", 0}});
    for (const int id : {8, 6, 7, 7, 10, 201, 150, 8, 5}) {
        AddSongOfGenre(id);
    }
    m_catalogue.ExecSqlCommit(
        "update song set genreid = null where songnum = (select max(songnum) from song)");
    for (const GenreSort sort : {GenreSort::ByName, GenreSort::ById}) {
        const char* name = sort == GenreSort::ByName ? "by name" : "by id";
        m_genres.SetFilter(GenreFilter::InUse);
        m_genres.SetReadByJoin(true);
        m_genres.SetSort(sort);
        const QStringList byJoin = ListedRows();
        m_genres.SetReadByJoin(false);
        m_genres.RefreshGenreList();
        EXPECT_EQ(ListedRows(), byJoin) << name;
        EXPECT_EQ(byJoin.size(), 11) << name;
        EXPECT_TRUE(byJoin.contains("201||")) << name;
        EXPECT_TRUE(byJoin.contains("7|POP|Dormant")) << name;
    }
}

TEST_F(GenresListTest, TheListStartsByNameInUseAndIsBuiltOnShowingAndOnActivationWhenNotOpen) {
    AddMixedGenres();
    m_genres.Activated();
    EXPECT_EQ(m_window.built, 1);
    EXPECT_EQ(m_genres.Sort(), GenreSort::ByName);
    EXPECT_EQ(m_genres.Filter(), GenreFilter::InUse);
    EXPECT_EQ(m_genres.CurrentRow(), 0);
    m_genres.Activated();
    EXPECT_EQ(m_window.built, 1);
    m_genres.Shown();
    EXPECT_EQ(m_window.built, 2);
    EXPECT_GT(m_window.changes, 0);
}

TEST_F(GenresListTest, ARebuildKeepsTheGenreOrFallsBackAsTheWalkFromTheFirstRowDoes) {
    struct Case {
        const char* name;
        GenreSort sort;
        int startId;
        std::function<void()> change;
        int expectedId;
    };
    const std::vector<Case> cases{
        {"by name, filter changed", GenreSort::ByName, 4, [&] { m_genres.SetFilter(GenreFilter::Available); },
         4},
        {"by name, order changed to id", GenreSort::ByName, 3, [&] { m_genres.SetSort(GenreSort::ById); }, 3},
        {"by id, genre gone: the next greater id", GenreSort::ById, 3,
         [&] { m_catalogue.ExecSqlCommit("delete from genre where genreid = 3"); }, 4},
        {"by id, last genre gone: the last row", GenreSort::ById, 9,
         [&] { m_catalogue.ExecSqlCommit("delete from genre where genreid = 9"); }, 4},
        {"by name, genre gone: the last row", GenreSort::ByName, 3,
         [&] { m_catalogue.ExecSqlCommit("delete from genre where genreid = 3"); }, 1},
    };
    for (const Case& each : cases) {
        m_catalogue.ExecSqlCommit("delete from genre");
        AddGenres({{1, "Soul", 0}, {3, "Funk", 0}, {4, "Acid", 0}, {9, "Blues", 0}});
        m_genres.SetFilter(GenreFilter::All);
        m_genres.SetSort(each.sort);
        m_genres.SetCurrentRow(RowOf(each.startId));
        each.change();
        m_genres.RefreshCommand();
        EXPECT_EQ(m_genres.CurrentId(), each.expectedId) << each.name;
    }
}

TEST_F(GenresListTest, TypingMovesToTheFirstNameNotLessIgnoringCase) {
    AddGenres({{1, "Pop"}, {2, "Rap"}, {3, "Rock"}, {4, "rockabilly"}, {5, "Soul"}});
    m_genres.SetFilter(GenreFilter::All);
    struct Case {
        QString typed;
        QString expected;
    };
    const std::vector<Case> cases{
        {"r", "Rap"}, {"ro", "Rock"}, {"ROCKA", "rockabilly"}, {"s", "Soul"}, {"", "Pop"}, {"zz", "Soul"},
    };
    for (const Case& each : cases) {
        m_genres.SearchTyped(each.typed);
        EXPECT_EQ(m_genres.NameAt(m_genres.CurrentRow()), each.expected) << each.typed.toStdString();
        EXPECT_EQ(m_window.currentRows.back(), m_genres.CurrentRow()) << each.typed.toStdString();
    }
}

TEST_F(GenresListTest, ListTracksHandsTheGenreToTheSongsWindowAndClearsTheSearchBox) {
    AddGenres({{3, "Funk"}, {7, "Jazz"}});
    AddSongOfGenre(7);
    AddSongOfGenre(3);
    AddSongOfGenre(7);
    m_genres.Shown();
    const int searchCleared = m_window.searchCleared;
    m_genres.RowClicked(RowOf(7));
    EXPECT_EQ(m_list.CurrentRequest().Type, SongListType::Genre);
    EXPECT_EQ(m_list.CurrentRequest().Number, 7);
    EXPECT_EQ(m_list.RowCount(), 2);
    EXPECT_GT(m_display.shown, 0);
    EXPECT_EQ(m_window.searchCleared, searchCleared + 1);

    m_genres.PopupOpening(RowOf(3));
    EXPECT_EQ(m_window.searchCleared, searchCleared + 2);
    EXPECT_EQ(m_window.currentRows.back(), RowOf(3));
    m_genres.ListTracks();
    EXPECT_EQ(m_list.CurrentRequest().Number, 3);
    EXPECT_EQ(m_list.RowCount(), 1);
}

TEST_F(GenresListTest, AGenreGivenAnotherIdIsListedThereWithItsSongs) {
    AddGenres({{3, "Funk"}, {7, "Jazz"}});
    AddSongOfGenre(3);
    AddSongOfGenre(7);
    m_genres.Shown();
    m_genres.SetCurrentRow(RowOf(3));
    m_detailsDialog.user = [](GenreDetailsController& dialog) {
        dialog.SetIdText("4");
        return dialog.Save();
    };
    m_genres.EditCommand();
    // "in use" lists the genres of songs: the moved genre is there under its new id, named.
    EXPECT_EQ(ListedRows(), (QStringList{"4|Funk|", "7|Jazz|"}));
    EXPECT_EQ(m_genres.CurrentId(), 4);
    m_genres.ListTracks();
    EXPECT_EQ(m_list.CurrentRequest().Number, 4);
    EXPECT_EQ(m_list.RowCount(), 1);
}

class GenrePickTest : public test::GenresFixture {};

TEST_F(GenrePickTest, ThePickTakesTheHighlightedGenreOnlyWhenTheWindowClosesWithOk) {
    struct Case {
        const char* name;
        std::vector<int> songGenres;
        /// What the user does while the picker is open, after it was shown.
        std::function<void()> user;
        bool picked;
        int id;
        QString genreName;
    };
    const std::vector<Case> cases{
        {"select the highlighted genre",
         {3, 7},
         [&] {
             m_genres.SetCurrentRow(RowOf(7));
             m_window.CloseListWindow(true);
         },
         true,
         7,
         "Jazz's \"best\""},
        {"a click on a row picks it and lists nothing",
         {3, 7},
         [&] { m_genres.RowClicked(RowOf(3)); },
         true,
         3,
         "Funk"},
        {"closed without OK", {3, 7}, [&] { m_window.CloseListWindow(false); }, false, 99, "before"},
        {"an empty list picks nothing", {}, [&] { m_window.CloseListWindow(true); }, false, 99, "before"},
        {"a genre id without a row has no name",
         {200},
         [&] { m_window.CloseListWindow(true); },
         true,
         200,
         ""},
    };
    for (const Case& each : cases) {
        m_catalogue.ExecSqlCommit("delete from song");
        m_catalogue.ExecSqlCommit("delete from genre");
        AddGenres({{3, "Funk"}, {7, "Jazz's \"best\""}});
        for (const int genre : each.songGenres) {
            AddSongOfGenre(genre);
        }
        const auto listRequests = m_list.BackStack().size();
        m_window.duringModal = [&] {
            EXPECT_TRUE(m_genres.Picking()) << each.name;
            m_genres.Shown();
            each.user();
        };
        int id = 99;
        QString name = "before";
        EXPECT_EQ(m_genres.PickGenre(id, name), each.picked) << each.name;
        EXPECT_EQ(id, each.id) << each.name;
        EXPECT_EQ(name, each.genreName) << each.name;
        EXPECT_FALSE(m_genres.Picking()) << each.name;
        EXPECT_EQ(m_list.BackStack().size(), listRequests) << each.name;
    }
}

TEST_F(GenrePickTest, ThePickIsRefusedWhileTheWindowIsOpenNormally) {
    AddGenres({{3, "Funk"}});
    AddSongOfGenre(3);
    m_genres.ShowGenresWindow();
    m_genres.Shown();
    const int showings = m_window.showings;
    int id = 99;
    QString name = "before";
    EXPECT_FALSE(m_genres.PickGenre(id, name));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"You must first close Genres (don't know why, sorry)"});
    EXPECT_EQ(m_window.modalRuns, 0);
    EXPECT_EQ(m_window.showings, showings + 1);
    EXPECT_EQ(id, 99);
    EXPECT_EQ(name, "before");

    // Closed by the edit window, it picks again.
    m_genres.CloseGenresWindow();
    m_window.duringModal = [&] {
        m_genres.CloseGenresWindow();
        EXPECT_TRUE(m_window.modal);
        m_genres.Shown();
        m_window.CloseListWindow(true);
    };
    EXPECT_TRUE(m_genres.PickGenre(id, name));
    EXPECT_EQ(id, 3);
    EXPECT_EQ(m_window.closes, 2);
}

}  // namespace
}  // namespace sw
