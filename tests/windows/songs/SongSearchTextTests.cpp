// Text searches read in two steps from the songs' stored lower-cased texts must list the rows of
// the search's query text as it stands: letters whose case is awkward are where they would part.
#include <gtest/gtest.h>

#include "SongListFixture.h"
#include "core/Catalogue.h"
#include "core/SongSearchTable.h"
#include "windows/songs/SongListSql.h"

namespace sw {
namespace {

using test::ListedSong;

/// A song by `artist`, or by its album's artist when none is given.
ListedSong Song(const QString& title, const QString& fn, const QString& comment = {},
                const QString& artist = {}) {
    ListedSong song;
    song.title = title;
    song.fn = fn;
    song.comment = comment;
    song.artist = artist;
    return song;
}

class SongSearchText : public test::SongListFixture {
protected:
    SongSearchText() {
        m_list.SetDisplay(&m_display);
        AddAlbum("Ärger im Paradies",
                 {Song("İstanbul", "Pop/01 - İstanbul.mp3", "live ΣΟΦΟΣ"), Song("ıstanbul", "Pop/02 - x.mp3"),
                  Song("Straße", "Pop/03 - STRASSE.mp3", "ẞ capital"), Song("σοφος", "Pop/04 - ς.mp3")},
                 "Zoë Keating");
        AddSong(Song("Kelvin \u212A", "k/Kelvin.mp3", "1:28", "Ann"));
        AddSong(Song("ſun", "s/ſun.ogg", "O'Brien's", "Ann"));
        AddSong(Song("ﬁne ǅemal", "f/ﬁne.mp3", "", "ǅ artist"));
        AddSong(Song("Trailing ", "t/trailing .mp3", "blank ", "Ann"));
        // One letter longer upper-cased and one shorter, kept out of the file name: a text whose
        // letters only grow is searched another way (SongSearchTurnedA below).
        AddSong(Song("Ɐlpha ⱥ", "a/alpha.mp3", "ⱦ", "Ann"));
        AddSong(Song("Élan", "e/élan.MP3", "Dvořák", "Björk"));
        AddSong(Song("Plain", "p/plain.mp3", {}, "Ann"));
    }

    std::vector<int> Listed() const {
        std::vector<int> songs;
        for (int row = 0; row < m_list.RowCount(); ++row) {
            songs.push_back(m_list.SongNumAt(row));
        }
        return songs;
    }

    /// The search's rows read in two steps and then at once by its query text.
    std::pair<std::vector<int>, std::vector<int>> BothWays(SearchPlace place, const QString& text) {
        // Trailing blanks are kept: each reading asks.
        if (text.endsWith(' ')) {
            m_dialogs.QueueAnswers({"No", "No"});
        }
        m_list.Search().place = place;
        m_list.SetReadByKeys(true);
        m_list.SearchSongs(text);
        const std::vector<int> inTwoSteps = Listed();
        m_list.SetReadByKeys(false);
        m_list.SearchSongs(text);
        const std::vector<int> atOnce = Listed();
        m_list.SetReadByKeys(true);
        return {inTwoSteps, atOnce};
    }
};

TEST_F(SongSearchText, EveryPlaceListsTheRowsOfItsQueryText) {
    // No letter whose case changes its length (the dotless i, the long s, the a with a stroke):
    // searched for, they find rows that differ from one run of the same query to the next.
    const QStringList texts{"i", "İ",      "ist", "ß",  "ss",   "ẞ",      "σ",   "ς",   "Σοφ",
                            "k", "\u212A", "s",   "fi", "ﬁ",    "ǅ",      "ǆ",   "é",   "É",
                            " ", "g ",     "o'b", "1:", ".mp3", "dvořák", "zoë", "ärg", "nothing like it"};
    int found = 0;
    for (const SearchPlace place : {SearchPlace::Anywhere, SearchPlace::Title, SearchPlace::FileName,
                                    SearchPlace::Comment, SearchPlace::AlbumName, SearchPlace::ArtistName}) {
        for (const QString& text : texts) {
            const auto [inTwoSteps, atOnce] = BothWays(place, text);
            EXPECT_EQ(inTwoSteps, atOnce)
                << "\"" << text.toStdString() << "\" in place " << static_cast<int>(place);
            found += static_cast<int>(atOnce.size());
        }
    }
    EXPECT_GT(found, 100);
}

TEST_F(SongSearchText, TheTwoStepsReadTheStoredTextsOnlyWhileTheyAreKept) {
    // A stored text that no longer matches its song tells which reading found a row.
    m_catalogue.ExecSqlCommit("update songsearch set lowtitle = 'stored only' where lowtitle = 'plain'");
    const auto kept = BothWays(SearchPlace::Anywhere, "stored only");
    EXPECT_EQ(kept.first.size(), 1u);
    EXPECT_TRUE(kept.second.empty());

    m_catalogue.ExecSqlCommit("alter trigger songsearch_song inactive");
    ASSERT_FALSE(SongSearchTableKept(m_catalogue));
    const auto unkept = BothWays(SearchPlace::Anywhere, "stored only");
    EXPECT_TRUE(unkept.first.empty());
    EXPECT_TRUE(unkept.second.empty());
    EXPECT_EQ(BothWays(SearchPlace::Anywhere, "plain").first.size(), 1u);
}

TEST_F(SongSearchText, AnExactTitleOrANameReadsNoStoredText) {
    m_catalogue.ExecSqlCommit(
        "update songsearch set lowtitle = 'straße', lowfn = 'zoë' where lowtitle = 'plain'");
    m_list.ShowTitleSongs("Straße", 0);
    EXPECT_EQ(m_list.RowCount(), 1);
    EXPECT_EQ(BothWays(SearchPlace::ArtistName, "zoë").first.size(), 4u);
}

// A catalogue holding a letter whose upper case is longer (the turned a) in a file name, a title,
// a comment, an album and an artist is still searched, read either way: as it stands the
// catalogue's CONTAINING refuses every such search with "string right truncation".

struct TurnedACase {
    const char* name;
    SearchPlace place;
    QString text;
    QStringList titles;
};

class SongSearchTurnedA : public test::SongListFixture, public ::testing::WithParamInterface<TurnedACase> {
protected:
    SongSearchTurnedA() {
        m_list.SetDisplay(&m_display);
        AddSong(Song("Plain", "p/plain.mp3", {}, "Ann"));
        AddAlbum("ɐlbum", {Song("Tɐke", "ɐ/tɐke.mp3", "ɐ note")}, "ɐrtist");
    }
};

TEST_P(SongSearchTurnedA, FindsTheSongsThatHoldTheText) {
    const TurnedACase& each = GetParam();
    m_list.Search().place = each.place;
    for (const bool byKeys : {true, false}) {
        m_list.SetReadByKeys(byKeys);
        ASSERT_NO_THROW(m_list.SearchSongs(each.text)) << (byKeys ? "in two steps" : "at once");
        EXPECT_EQ(Titles(), each.titles) << (byKeys ? "in two steps" : "at once");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Places, SongSearchTurnedA,
    ::testing::Values(TurnedACase{"PlainTextAnywhere", SearchPlace::Anywhere, "plain", {"Plain"}},
                      TurnedACase{"TurnedAAnywhere", SearchPlace::Anywhere, "ɐ", {"Tɐke"}},
                      TurnedACase{"FileName", SearchPlace::FileName, "tɐke.mp3", {"Tɐke"}},
                      TurnedACase{"TitleInCapitals", SearchPlace::Title, "TⱯKE", {"Tɐke"}},
                      TurnedACase{"Comment", SearchPlace::Comment, "note", {"Tɐke"}},
                      TurnedACase{"AlbumName", SearchPlace::AlbumName, "ɐlb", {"Tɐke"}},
                      TurnedACase{"ArtistName", SearchPlace::ArtistName, "ɐrt", {"Tɐke"}},
                      TurnedACase{"NothingHoldsIt", SearchPlace::Anywhere, "zzz", {}}),
    [](const ::testing::TestParamInfo<TurnedACase>& tested) { return std::string(tested.param.name); });

// A search text with a letter whose case changes its length is read at once by its query text.

struct TwoStepCase {
    const char* name;
    QString text;
    bool titleEquals;
    bool inTwoSteps;
};

TEST(SongSearchSql, ALetterThatChangesLengthWithItsCaseIsReadAtOnce) {
    const TwoStepCase cases[] = {
        {"ascii", "o''brien", false, true},
        {"accents and greek", "Élan Σοφός", false, true},
        {"dotted capital i lower-cases to i and a dot", "İstanbul", false, true},
        {"sharp s", "Straße", false, true},
        {"dotless i", "ıstanbul", false, false},
        {"long s", "ſun", false, false},
        {"capital a with stroke", "Ⱥ", false, false},
        {"turned a", "ɐ", false, false},
        {"an exact title compares without changing case", "ıstanbul", true, true},
    };
    for (const TwoStepCase& each : cases) {
        EXPECT_EQ(SearchReadableInTwoSteps(each.text, each.titleEquals), each.inTwoSteps) << each.name;
    }
}

}  // namespace
}  // namespace sw
