#include <gtest/gtest.h>

#include <functional>

#include "../songs/SongListFixture.h"
#include "windows/playlists/SearchController.h"

namespace sw {
namespace {

/// A dialog whose modal run is the user's part, recording what it showed on opening.
class ScriptedSearchDisplay : public SearchDisplay {
public:
    explicit ScriptedSearchDisplay(SearchController& controller) : m_controller(controller) {
        controller.SetDisplay(this);
    }
    bool RunSearchDialog() override {
        open = true;
        result = false;
        shownText = m_controller.Text();
        shown = m_controller.Options();
        user(m_controller);
        open = false;
        return result;
    }
    void CloseSearchDialog(bool ok) override {
        if (open) {  // the dialog is gone after its first close
            open = false;
            result = ok;
        }
    }

    std::function<void(SearchController&)> user = [](SearchController& c) { c.Cancel(); };
    bool open = false;
    bool result = false;
    QString shownText;
    SearchOptions shown;

private:
    SearchController& m_controller;
};

class SearchTest : public test::SongListFixture {
protected:
    SearchController m_search;
    ScriptedSearchDisplay m_dialog{m_search};
};

TEST_F(SearchTest, OkClosesOnlyWithATextAndANumberSearchOnlyWithAnInteger) {
    struct Case {
        SearchFor searchFor;
        QString text;
        bool closes;
        int number;
        QStringList infos;
    };
    const std::vector<Case> cases{
        {SearchFor::Text, "O'Brien ", true, -1, {}},
        {SearchFor::Text, "", false, -1, {}},
        {SearchFor::SongNumber, "", false, -1, {}},
        {SearchFor::SongNumber, "42", true, 42, {}},
        {SearchFor::ArtistId, "-3", true, -3, {}},
        {SearchFor::AlbumId, "12a", false, -1, {"Invalid integer \"12a\"", "Invalid number"}},
        {SearchFor::SongNumber,
         "99999999999",
         false,
         -1,
         {"Invalid integer \"99999999999\"", "Invalid number"}},
    };
    for (const Case& each : cases) {
        m_dialogs.ClearTranscript();
        bool stillOpen = false;
        m_dialog.user = [&](SearchController& c) {
            c.ChooseSearchFor(each.searchFor);
            c.SetText(each.text);
            c.Ok();
            stillOpen = m_dialog.open;
            c.Cancel();
        };
        SearchOptions options;
        QString text;
        EXPECT_EQ(m_search.AskSearch(options, text), each.closes) << each.text.toStdString();
        EXPECT_EQ(stillOpen, !each.closes) << each.text.toStdString();
        EXPECT_EQ(m_search.SearchNumber(), each.number) << each.text.toStdString();
        // The text goes back as typed, apostrophes and blanks alike; none after Cancel.
        EXPECT_EQ(text, each.closes ? each.text : QString()) << each.text.toStdString();
        EXPECT_EQ(m_dialogs.TextsOf("INFO"), each.infos) << each.text.toStdString();
        EXPECT_EQ(options.searchFor, each.searchFor) << "the choice stays, also after Cancel";
    }
}

TEST_F(SearchTest, TheTextStaysForTheNextSearchUnlessOneIsHandedIn) {
    SearchOptions options{SearchFor::AlbumId, SearchPlace::Comment};
    m_dialog.user = [](SearchController& c) {
        c.SetText("kept");
        c.Cancel();
    };
    QString text;
    m_search.AskSearch(options, text);
    m_dialog.user = [](SearchController& c) { c.Cancel(); };
    struct Case {
        std::function<void(SearchOptions&)> preset;
        QString handedIn;
        QString shownText;
        SearchOptions shown;
    };
    const std::vector<Case> cases{
        {[](SearchOptions&) {}, "", "kept", {SearchFor::AlbumId, SearchPlace::Comment}},
        {PresetSearchAnywhere, "", "kept", {SearchFor::Text, SearchPlace::Anywhere}},
        {PresetSearchTitle, "", "kept", {SearchFor::Text, SearchPlace::Title}},
        {[](SearchOptions& o) { o.place = SearchPlace::FileName; },
         "rock/a.mp3",
         "rock/a.mp3",
         {SearchFor::Text, SearchPlace::FileName}},
    };
    for (const Case& each : cases) {
        each.preset(options);
        text = each.handedIn;
        m_search.AskSearch(options, text);
        EXPECT_EQ(m_dialog.shownText, each.shownText);
        EXPECT_EQ(m_dialog.shown.searchFor, each.shown.searchFor);
        EXPECT_EQ(m_dialog.shown.place, each.shown.place);
        EXPECT_EQ(m_search.CaretAtEnd(), each.shown.place == SearchPlace::FileName);
    }
}

/// The songs list runs its searches through the search window.
class SongSearch : public SearchTest {
protected:
    SongSearch() {
        m_list.SetRatingFilter(99);
        m_list.Hooks().searchWindow = [this](SearchOptions& options, QString& text) {
            return m_search.AskSearch(options, text);
        };
        AddSong({.title = "O'Brien's song"});
        AddSong({.title = "In comment", .comment = "after O'BRIEN"});
        AddSong({.title = "By artist", .artist = "Pat O'Brien"});
        m_album = AddAlbum("o'brien live", {{.title = "In album"}}, "Band");
        AddSong({.title = "In file", .fn = "folk/OBrien and o'brien.mp3"});
        AddSong({.title = "Elsewhere", .comment = "OBrien"});  // no apostrophe, not found
    }
    /// Types `text` with those choices and presses "OK".
    void Answer(const QString& text, SearchOptions choices) {
        m_dialog.user = [text, choices](SearchController& c) {
            c.ChooseSearchFor(choices.searchFor);
            c.ChoosePlace(choices.place);
            c.SetText(text);
            c.Ok();
        };
    }

    int m_album = 0;
};

TEST_F(SongSearch, ATextWithAnApostropheIsFoundInEachScope) {
    const std::vector<std::pair<SearchPlace, QStringList>> cases{
        {SearchPlace::Title, {"O'Brien's song"}},
        {SearchPlace::Comment, {"In comment"}},
        {SearchPlace::ArtistName, {"By artist"}},
        {SearchPlace::AlbumName, {"In album"}},
        {SearchPlace::FileName, {"In file"}},
        {SearchPlace::Anywhere, {"By artist", "In album", "In comment", "In file", "O'Brien's song"}},
    };
    for (const auto& [place, titles] : cases) {
        Answer("o'brien", {SearchFor::Text, place});
        m_list.SearchSongs();
        QStringList found = Titles();
        found.sort();
        EXPECT_EQ(found, titles) << static_cast<int>(place);
        EXPECT_TRUE(m_list.Caption().endsWith("search for \"o'brien\"")) << m_list.Caption().toStdString();
    }
}

TEST_F(SongSearch, NumberSearchesListTheirSongsAndBackStartsAgainAnywhere) {
    Answer(QString::number(m_album), {SearchFor::AlbumId, SearchPlace::Anywhere});
    m_list.SearchSongs();
    EXPECT_EQ(m_list.Mode(), SongListMode::Album);
    EXPECT_EQ(Titles(), QStringList{"In album"});

    Answer("O'Brien's song", {SearchFor::Text, SearchPlace::Title});
    m_list.SearchSongs();
    EXPECT_EQ(Titles(), QStringList{"O'Brien's song"});

    m_list.SongListBack();
    m_dialog.user = [](SearchController& c) { c.Cancel(); };
    m_list.SearchSongs();
    EXPECT_EQ(m_dialog.shown.searchFor, SearchFor::Text);
    EXPECT_EQ(m_dialog.shown.place, SearchPlace::Anywhere);
    EXPECT_EQ(m_list.Mode(), SongListMode::Album) << "a cancelled search lists nothing new";
}

TEST_F(SongSearch, AnAlbumOrArtistIdTheCatalogueDoesNotHoldIsSaidAndKeepsTheDialogOpen) {
    m_search.SetLibrary(&m_library);
    const int band = m_library.artists.FindArtistByName("Band");
    ASSERT_GT(band, 0);
    struct Case {
        const char* name;
        SearchFor searchFor;
        int id;
        QString said;
    };
    const std::vector<Case> cases{
        {"an album", SearchFor::AlbumId, m_album, ""},
        {"no album", SearchFor::AlbumId, 0, ""},
        {"a missing album", SearchFor::AlbumId, m_album + 1000, "Album #" + QString::number(m_album + 1000) + " not found"},
        {"a negative album", SearchFor::AlbumId, -3, "Album #-3 not found"},
        {"an artist", SearchFor::ArtistId, band, ""},
        {"a missing artist", SearchFor::ArtistId, band + 1000, "Artist #" + QString::number(band + 1000) + " not found"},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.name);
        m_dialogs.ClearTranscript();
        bool stillOpen = false;
        m_dialog.user = [&](SearchController& c) {
            c.ChooseSearchFor(each.searchFor);
            c.SetText(QString::number(each.id));
            c.Ok();
            stillOpen = m_dialog.open;
            c.Cancel();
        };
        SearchOptions options;
        QString text;
        EXPECT_EQ(m_search.AskSearch(options, text), each.said.isEmpty());
        EXPECT_EQ(stillOpen, !each.said.isEmpty());
        EXPECT_EQ(m_dialogs.TextsOf("INFO"), each.said.isEmpty() ? QStringList{} : QStringList{each.said});
    }
}

}  // namespace
}  // namespace sw
