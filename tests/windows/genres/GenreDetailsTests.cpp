#include <gtest/gtest.h>

#include "GenresFixture.h"

namespace sw {
namespace {

using test::GenreRow;
using Mode = GenreDetailsController::Mode;

const QString kId3v1Question = "Genres 0-79 are predefined in ID3v1, do you really want to rename?";
const QString kWinampQuestion = "Genres 80-147 are predefined by Winamp, do you really want to rename?";
const QString kTagsQuestion =
    "Any existing MP3 ID3v2 and OGG tags will not be updated with the new name, use Assign for this - OK?";
const QString kLastQuestion = "don't forget (this is far from perfect)";

class GenreDetailsTest : public test::GenresFixture {
protected:
    GenreDetailsController& Details() { return m_genres.Details(); }
};

TEST_F(GenreDetailsTest, NewOffersTheFirstFreeIdOrReusesANamelessRow) {
    struct Case {
        const char* name;
        std::function<void()> setUp;
        int offered;
        /// Without a free id, no mode.
        Mode mode;
    };
    const std::vector<Case> cases{
        {"empty table", [] {}, 0, Mode::NewRow},
        {"0-147 without gaps", [&] { AddNumberedGenres(0, 147); }, 148, Mode::NewRow},
        {"5 missing",
         [&] {
             AddNumberedGenres(0, 4);
             AddNumberedGenres(6, 20);
         },
         5, Mode::NewRow},
        {"a row without a name is reused",
         [&] {
             AddNumberedGenres(0, 2);
             AddGenres({{3, QString()}});
             AddNumberedGenres(4, 9);
         },
         3, Mode::ExistingRow},
        {"all 256 ids taken", [&] { AddNumberedGenres(0, 255); }, -1, Mode::NewRow},
        // 255 marks a song without a genre: a genre there would be every such song's genre.
        {"0-254 taken leaves only the no-genre mark", [&] { AddNumberedGenres(0, 254); }, -1, Mode::NewRow},
        {"a nameless row on the no-genre mark is not reused",
         [&] {
             AddNumberedGenres(0, 254);
             AddGenres({{255, QString()}});
         },
         -1, Mode::NewRow},
        {"all 256 ids taken and one beyond",
         [&] {
             AddNumberedGenres(0, 255);
             AddGenres({{300, "Beyond"}});
         },
         -1, Mode::NewRow},
    };
    for (const Case& each : cases) {
        m_catalogue.ExecSqlCommit("delete from genre");
        each.setUp();
        m_dialogs.ClearTranscript();
        m_detailsDialog.showings = 0;
        const QStringList before = GenreTable();
        EXPECT_EQ(Details().FindFreeGenreId(), each.offered) << each.name;
        if (each.offered >= 0) {
            EXPECT_EQ(Details().CurrentMode(), each.mode) << each.name;
        }

        // "New" shows the dialog on that id, empty and active; cancelled, it stores nothing.
        m_detailsDialog.user = {};
        const int saved = Details().NewGenre();
        EXPECT_EQ(GenreTable(), before) << each.name;
        if (each.offered < 0) {
            EXPECT_EQ(saved, -1) << each.name;
            EXPECT_EQ(m_detailsDialog.showings, 0) << each.name;
            EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"No new genre ids available"}) << each.name;
        } else {
            EXPECT_EQ(saved, 0) << each.name;
            EXPECT_EQ(m_detailsDialog.showings, 1) << each.name;
            EXPECT_EQ(m_detailsDialog.shownId, QString::number(each.offered)) << each.name;
            EXPECT_EQ(m_detailsDialog.shownName, "") << each.name;
            EXPECT_FALSE(m_detailsDialog.shownDormant) << each.name;
            EXPECT_EQ(Details().FormerName(), "") << each.name;
        }
    }
}

TEST_F(GenreDetailsTest, ANewGenreIsStoredAsTypedAndTheReusedRowIsOverwritten) {
    struct Case {
        const char* name;
        std::vector<GenreRow> rows;
        QString typed;
        bool dormant;
        QStringList table;
    };
    const std::vector<Case> cases{
        {"apostrophe and quotes", {}, "Rock'n'Roll \"live\"", false, {"0:Rock'n'Roll \"live\":0"}},
        {"a name differing only in case from another",
         {{0, "Funk", 0}},
         "FUNK",
         true,
         {"0:Funk:0", "1:FUNK:1"}},
        {"cut to the column", {}, QString(45, 'x'), false, {"0:" + QString(40, 'x') + ":0"}},
        {"the nameless row takes the name",
         {{0, QString(), 1}, {1, "Pop", 0}},
         "Ska",
         false,
         {"0:Ska:0", "1:Pop:0"}},
    };
    for (const Case& each : cases) {
        m_catalogue.ExecSqlCommit("delete from genre");
        AddGenres(each.rows);
        m_detailsDialog.user = [&](GenreDetailsController& dialog) {
            dialog.SetName(each.typed);
            dialog.SetDormant(each.dormant);
            return dialog.Save();
        };
        const int saved = Details().NewGenre();
        EXPECT_EQ(GenreTable(), each.table) << each.name;
        EXPECT_EQ(saved, Details().SavedId()) << each.name;
        EXPECT_TRUE(Details().Saved()) << each.name;
    }
}

TEST_F(GenreDetailsTest, ARenameAsksItsQuestionsAndADeclinedOneStoresNothing) {
    struct Case {
        const char* name;
        int id;
        QString typed;
        QStringList answers;
        QStringList asked;
        bool saved;
    };
    const std::vector<Case> cases{
        {"ID3v1 genre", 17, "Rocky", {}, {kId3v1Question, kTagsQuestion, kLastQuestion}, true},
        {"Winamp genre", 100, "Rocky", {}, {kWinampQuestion, kTagsQuestion, kLastQuestion}, true},
        {"own genre", 150, "Rocky", {}, {kTagsQuestion, kLastQuestion}, true},
        {"name unchanged", 17, "Rock", {}, {}, true},
        {"letter case changed", 150, "ROCK", {}, {kTagsQuestion, kLastQuestion}, true},
        {"ID3v1 question declined", 17, "Rocky", {"No"}, {kId3v1Question}, false},
        {"tags question declined", 100, "Rocky", {"Yes", "No"}, {kWinampQuestion, kTagsQuestion}, false},
        {"last question cancelled", 150, "Rocky", {"Yes", "Cancel"}, {kTagsQuestion, kLastQuestion}, false},
    };
    for (const Case& each : cases) {
        m_catalogue.ExecSqlCommit("delete from genre");
        AddGenres({{each.id, "Rock", 0}});
        m_dialogs.QueueAnswers(each.answers);
        m_dialogs.ClearTranscript();
        bool firstSave = false;
        m_detailsDialog.user = [&](GenreDetailsController& dialog) {
            dialog.SetName(each.typed);
            dialog.SetDormant(true);
            firstSave = dialog.Save();
            // A declined question keeps the dialog open; the user gives up.
            return firstSave;
        };
        EXPECT_EQ(Details().EditGenre(each.id), each.saved) << each.name;
        EXPECT_EQ(firstSave, each.saved) << each.name;
        QStringList asked;
        for (const QString& line : m_dialogs.TextsOf("ASK")) {
            asked << line.section(" -> ", 0, 0);
        }
        EXPECT_EQ(asked, each.asked) << each.name;
        // Nothing of a declined save may surface with the next commit.
        m_catalogue.CommitAndContinue();
        const QString stored = each.saved ? each.typed + ":1" : QString("Rock:0");
        EXPECT_EQ(GenreTable(), QStringList{QString::number(each.id) + ":" + stored}) << each.name;
        EXPECT_EQ(m_dialogs.PendingAnswers(), 0u) << each.name;
    }
}

TEST_F(GenreDetailsTest, TheIdBoxIsCheckedBeforeAnythingIsWritten) {
    struct Case {
        const char* name;
        Mode mode;
        QString typedId;
        QStringList messages;
        QStringList table;
        /// Where the song of genre 5 ends up.
        int songGenre = 5;
    };
    const QStringList untouched{"5:Funk:0", "7:Jazz:0"};
    const QString reserved = "Genre id 255 is reserved for songs without a genre";
    const std::vector<Case> cases{
        {"not a number", Mode::NewRow, "abc", {"Invalid integer \"abc\"", "Invalid id"}, untouched},
        {"empty", Mode::NewRow, "", {"Invalid id"}, untouched},
        {"above the range", Mode::NewRow, "256", {"Genre id must be in range 0-255"}, untouched},
        {"below the range", Mode::ExistingRow, "-1", {"Genre id must be in range 0-255"}, untouched},
        {"new on a taken id", Mode::NewRow, "5", {"Genre 5 already exists"}, untouched},
        {"existing moved onto a taken id", Mode::ExistingRow, "7", {"Genre 7 already exists"}, untouched},
        {"new on a free id", Mode::NewRow, "254", {}, {"5:Funk:0", "7:Jazz:0", "254:Ska:0"}},
        {"new on the no-genre mark", Mode::NewRow, "255", {reserved}, untouched},
        {"existing moved onto the no-genre mark", Mode::ExistingRow, "255", {reserved}, untouched},
        {"existing moved to a free id takes its songs", Mode::ExistingRow, "6", {}, {"6:Funk:0", "7:Jazz:0"}, 6},
    };
    for (const Case& each : cases) {
        m_catalogue.ExecSqlCommit("delete from song");
        m_catalogue.ExecSqlCommit("delete from genre");
        AddGenres({{5, "Funk", 0}, {7, "Jazz", 0}});
        AddSongOfGenre(5);
        AddSongOfGenre(255);
        m_dialogs.ClearTranscript();
        bool firstSave = true;
        m_detailsDialog.user = [&](GenreDetailsController& dialog) {
            dialog.SetIdText(each.typedId);
            if (each.mode == Mode::NewRow) {
                dialog.SetName("Ska");
            }
            firstSave = dialog.Save();
            return firstSave;
        };
        const bool saved = each.mode == Mode::NewRow ? Details().NewGenre() > 0 : Details().EditGenre(5);
        EXPECT_EQ(saved, each.messages.isEmpty()) << each.name;
        EXPECT_EQ(firstSave, each.messages.isEmpty()) << each.name;
        EXPECT_EQ(m_dialogs.TextsOf("INFO"), each.messages) << each.name;
        EXPECT_TRUE(m_dialogs.TextsOf("ERROR").isEmpty()) << each.name;
        EXPECT_EQ(GenreTable(), each.table) << each.name;
        // The song stays with its genre, committed with it; the genre-less song stays without.
        m_catalogue.Rollback();
        EXPECT_EQ(Count("select count(*) as ct from song where genreid = " + QString::number(each.songGenre)), 1)
            << each.name;
        EXPECT_EQ(Count("select count(*) as ct from song where genreid = 255"), 1) << each.name;
    }
}

TEST_F(GenreDetailsTest, EditShowsTheGenreAndAnUnknownIdDoesNothing) {
    AddGenres({{5, "Funk", 1}, {6, "Jazz", -1}});
    m_detailsDialog.user = [](GenreDetailsController&) { return false; };
    EXPECT_FALSE(Details().EditGenre(5));
    EXPECT_EQ(m_detailsDialog.shownId, "5");
    EXPECT_EQ(m_detailsDialog.shownName, "Funk");
    EXPECT_TRUE(m_detailsDialog.shownDormant);
    EXPECT_EQ(Details().FormerName(), "Funk");
    EXPECT_EQ(Details().CurrentMode(), Mode::ExistingRow);
    EXPECT_FALSE(Details().EditGenre(6));
    EXPECT_FALSE(m_detailsDialog.shownDormant);
    EXPECT_FALSE(Details().EditGenre(77));
    EXPECT_EQ(m_detailsDialog.showings, 2);
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

TEST_F(GenreDetailsTest, DeleteAsksAndLeavesTheSongsTheirGenreId) {
    struct Case {
        const char* name;
        QString answer;
        bool deleted;
        QStringList table;
    };
    const std::vector<Case> cases{
        {"confirmed", "Yes", true, {"7:Jazz:-"}},
        {"declined", "No", false, {"5:Funk:-", "7:Jazz:-"}},
    };
    for (const Case& each : cases) {
        m_catalogue.ExecSqlCommit("delete from song");
        m_catalogue.ExecSqlCommit("delete from genre");
        AddGenres({{5, "Funk"}, {7, "Jazz"}});
        AddSongOfGenre(5);
        m_genres.Shown();
        m_genres.SetCurrentRow(RowOf(5));
        m_dialogs.ClearTranscript();
        m_dialogs.QueueAnswer(each.answer);
        m_genres.DeleteCommand();
        EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Delete genre 5 - OK ? -> " + each.answer})
            << each.name;
        m_catalogue.CommitAndContinue();
        EXPECT_EQ(GenreTable(), each.table) << each.name;
        EXPECT_EQ(Count("select count(*) as ct from song where genreid = 5"), 1) << each.name;
        // The songs' genre stays in use, with or without its name.
        EXPECT_EQ(ListedRows(), QStringList{each.deleted ? "5||" : "5|Funk|"}) << each.name;
    }
    m_dialogs.QueueAnswer("Yes");
    EXPECT_FALSE(Details().DeleteGenre(77));
}

TEST_F(GenreDetailsTest, ReadOnlyRefusesEveryChangeBeforeAsking) {
    AddGenres({{5, "Funk"}});
    AddSongOfGenre(5);
    WriteGenreFile({"005=Disco"});
    m_genres.Shown();
    m_settings.READONLY = true;
    m_detailsDialog.user = [](GenreDetailsController& dialog) { return dialog.Save(); };
    const std::vector<std::pair<const char*, std::function<void()>>> commands{
        {"New", [&] { m_genres.NewCommand(); }},
        {"Edit", [&] { m_genres.EditCommand(); }},
        {"Delete", [&] { m_genres.DeleteCommand(); }},
        {"Load", [&] { m_genres.LoadCommand(); }},
        {"EditGenre", [&] { EXPECT_FALSE(m_genres.EditGenre(5)); }},
        {"NewGenre", [&] { EXPECT_EQ(m_genres.NewGenre(), 0); }},
        {"DeleteGenre", [&] { EXPECT_FALSE(m_genres.DeleteGenre(5)); }},
    };
    for (const auto& [name, command] : commands) {
        m_dialogs.ClearTranscript();
        command();
        EXPECT_EQ(
            m_dialogs.Transcript(),
            QStringList{"INFO: Cannot make changes, database is read-only\\n( see menu option \"Database\")"})
            << name;
        EXPECT_EQ(GenreTable(), QStringList{"5:Funk:-"}) << name;
    }
    EXPECT_EQ(m_detailsDialog.showings, 0);
}

class GenreCommandsTest : public test::GenresFixture {};

TEST_F(GenreCommandsTest, NewListsAllGenresOnTheNewOne) {
    AddGenres({{0, "Blues"}, {1, "Rock"}, {3, "Pop"}});
    AddSongOfGenre(1);
    m_genres.Shown();
    m_detailsDialog.user = [](GenreDetailsController& dialog) {
        dialog.SetName("Zydeco");
        dialog.SetDormant(true);
        return dialog.Save();
    };
    m_genres.NewCommand();
    EXPECT_EQ(m_genres.Filter(), GenreFilter::All);
    EXPECT_EQ(m_genres.CurrentId(), 2);
    EXPECT_EQ(ListedRows().at(m_genres.CurrentRow()), "2|Zydeco|Dormant");

    // Cancelled, the list still shows all genres and stays where it was.
    m_genres.SetCurrentRow(RowOf(0));
    m_detailsDialog.user = {};
    m_genres.NewCommand();
    EXPECT_EQ(m_genres.CurrentId(), 0);
    EXPECT_EQ(m_genres.RowCount(), 4);
}

TEST_F(GenreCommandsTest, EditRefreshesWhenSavedAndFollowsAGenreToItsNewId) {
    AddGenres({{150, "Funk"}, {160, "Jazz"}});
    m_genres.SetFilter(GenreFilter::All);
    m_genres.SetSort(GenreSort::ById);
    m_genres.SetCurrentRow(RowOf(150));
    const int built = m_window.built;
    m_detailsDialog.user = [](GenreDetailsController&) { return false; };
    m_genres.EditCommand();
    EXPECT_EQ(m_window.built, built);

    m_detailsDialog.user = [](GenreDetailsController& dialog) {
        dialog.SetIdText("170");
        dialog.SetName("Funky");
        return dialog.Save();
    };
    m_genres.EditCommand();
    EXPECT_EQ(m_window.built, built + 1);
    EXPECT_EQ(ListedRows(), (QStringList{"160|Jazz|", "170|Funky|"}));
    EXPECT_EQ(m_genres.CurrentId(), 170);
}

TEST_F(GenreCommandsTest, LoadAsksFirstAndOverwritesOnlyWhenAgreed) {
    struct Case {
        const char* name;
        bool fileThere;
        bool rowsThere;
        QStringList answers;
        QStringList transcript;
        QStringList table;
    };
    const QString loadQuestion = "ASK: Load genres from GENRES.INI ? -> ";
    const QString overwriteQuestion =
        "ASK: Existing genres will be overwritten - are you sure you want to continue ? -> ";
    const std::vector<Case> cases{
        {"no file", false, true, {}, {"INFO: File not found " + m_genreFile}, {"1:Mine:1"}},
        {"declined", true, true, {"No"}, {loadQuestion + "No"}, {"1:Mine:1"}},
        {"overwrite declined",
         true,
         true,
         {"Yes", "No"},
         {loadQuestion + "Yes", overwriteQuestion + "No"},
         {"1:Mine:1"}},
        {"overwrite agreed",
         true,
         true,
         {"Yes", "Yes"},
         {loadQuestion + "Yes", overwriteQuestion + "Yes", "INFO: 2 genres loaded OK"},
         {"1:Classic Rock:1", "14:R&B:-"}},
        {"empty table",
         true,
         false,
         {"Yes"},
         {loadQuestion + "Yes", "INFO: 2 genres loaded OK"},
         {"1:Classic Rock:-", "14:R&B:-"}},
    };
    for (const Case& each : cases) {
        QFile::remove(m_genreFile);
        if (each.fileThere) {
            WriteGenreFile({"001=Classic Rock", "014=R&B"});
        }
        m_catalogue.ExecSqlCommit("delete from genre");
        if (each.rowsThere) {
            AddGenres({{1, "Mine", 1}});
        }
        m_genres.SetSort(GenreSort::ByName);
        m_genres.SetFilter(GenreFilter::InUse);
        m_dialogs.QueueAnswers(each.answers);
        m_dialogs.ClearTranscript();
        m_genres.LoadCommand();
        EXPECT_EQ(m_dialogs.Transcript(), each.transcript) << each.name;
        m_catalogue.CommitAndContinue();
        EXPECT_EQ(GenreTable(), each.table) << each.name;
        const bool loaded = each.table.size() == 2;
        EXPECT_EQ(m_genres.Sort(), loaded ? GenreSort::ById : GenreSort::ByName) << each.name;
        EXPECT_EQ(m_genres.Filter(), loaded ? GenreFilter::All : GenreFilter::InUse) << each.name;
    }
}

}  // namespace
}  // namespace sw
