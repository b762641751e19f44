// The albums list: its sorts, filters, views and cells, typing, opening rows, requests from other windows.
#include <gtest/gtest.h>

#include "AlbumsControllerFixture.h"
#include "core/Catalogue.h"
#include "windows/albums/AlbumGroups.h"

namespace sw {
namespace {

using test::Albums;
using test::kReadOnly;

// The list's sorts, each run on the catalogue: the order of the rows and the heading in front.
struct SortCase {
    AlbumSort sort;
    QStringList names;
    QString firstHeading;
};

class AlbumSorts : public Albums, public ::testing::WithParamInterface<SortCase> {};

TEST_P(AlbumSorts, OrderTheRowsAndPutTheirColumnFirst) {
    const int beta = AddAlbumWith("Beta", 1, "Cole");
    const int alpha = AddAlbumWith("alpha", 1, "bob");
    const int gamma = AddAlbumWith("Gamma", 1, "Abe");
    SetYear(beta, "1999");
    SetYear(alpha, "2001");
    SetYear(gamma, "1999");
    SetRatingSumm(beta, 35);
    SetRatingSumm(gamma, 25);
    SetRatingSumm(alpha, -10);
    AddGroup("A group");

    m_albums.ShowAllAlbums();
    m_albums.SetSort(GetParam().sort);
    EXPECT_EQ(Names(), GetParam().names);
    EXPECT_EQ(Headings().value(0), GetParam().firstHeading);
    // The other headings keep their order and carry no mark.
    EXPECT_EQ(Headings().filter(QChar(0x2022)).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Sorts, AlbumSorts,
    ::testing::Values(SortCase{AlbumSort::AlbumName, {"alpha", "Beta", "Gamma"}, "\u2022 Name"},
                      SortCase{AlbumSort::Artist, {"Gamma", "alpha", "Beta"}, "\u2022 Artist "},
                      SortCase{AlbumSort::Year, {"Gamma", "Beta", "alpha"}, "\u2022 Year "},
                      SortCase{AlbumSort::Rating, {"Beta", "Gamma", "alpha"}, "\u2022 Rating"}));

TEST_F(Albums, TheColumnsFollowTheViewAndAHeadingClickSorts) {
    const int group = AddGroup("Group");
    PutInGroup(AddAlbumWith("Member", 1), group);
    m_albums.ShowAllAlbums();
    EXPECT_EQ(Headings(), (QStringList{"\u2022 Artist ", "Name", "wng", "Year ", "Rating"}));
    m_albums.HeadingClicked(3);
    EXPECT_EQ(m_albums.Sort(), AlbumSort::Year);
    EXPECT_EQ(Headings(), (QStringList{"\u2022 Year ", "Artist ", "Name", "wng", "Rating"}));

    m_albums.ShowAlbumGroups();
    EXPECT_EQ(Headings(), (QStringList{"\u2022 Year ", "Artist ", "Name", "wng", "Rating", "Group?"}));
    // "Sequence number" sorts a group's members only.
    m_albums.SetSort(AlbumSort::SequenceNumber);
    EXPECT_EQ(m_albums.Sort(), AlbumSort::Year);
    m_albums.OpenCurrentRow();
    m_albums.SetSort(AlbumSort::SequenceNumber);
    EXPECT_EQ(Headings(), (QStringList{"\u2022 Seq", "Artist ", "Name", "wng", "Year ", "Rating", "Group?"}));
    m_albums.HeadingClicked(2);
    EXPECT_EQ(m_albums.Sort(), AlbumSort::AlbumName);
}

// The rating filters and the hiding of albums without files, by album name.
struct FilterCase {
    AlbumRatingFilter filter;
    bool hideMissing;
    QStringList names;
    QString caption;
};

class AlbumFilters : public Albums, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(AlbumFilters, ListOnlyTheAlbumsThatPass) {
    SetRatingSumm(AddAlbumWith("Best", 1), 35);
    SetRatingSumm(AddAlbumWith("Good", 1), 25);
    SetRatingSumm(AddAlbumWith("Unrated", 1), 0);
    SetRatingSumm(AddAlbumWith("Bad", 1), -10);
    SetRatingSumm(AddAlbumWith("Missing", 1, "Ann", 0), 30);
    m_settings.FILTERALBUMS = GetParam().hideMissing;
    m_albums.ShowAllAlbums();
    m_albums.SetSort(AlbumSort::AlbumName);
    m_albums.SetRatingFilter(GetParam().filter);
    EXPECT_EQ(Names(), GetParam().names);
    EXPECT_EQ(m_albums.FilterMenuCaption(), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, AlbumFilters,
    ::testing::Values(
        FilterCase{AlbumRatingFilter::Best, false, {"Best", "Missing"}, "FILTER"},
        FilterCase{AlbumRatingFilter::Good, false, {"Best", "Good", "Missing"}, "FILTER"},
        FilterCase{AlbumRatingFilter::GoodOrUnrated, false, {"Best", "Good", "Missing", "Unrated"}, "FILTER"},
        FilterCase{AlbumRatingFilter::AllButBad, false, {"Best", "Good", "Missing", "Unrated"}, "FILTER"},
        FilterCase{AlbumRatingFilter::All, false, {"Bad", "Best", "Good", "Missing", "Unrated"}, "Filter"},
        FilterCase{AlbumRatingFilter::All, true, {"Bad", "Best", "Good", "Unrated"}, "FILTER"}));

TEST(AlbumRatingText, ShowsTenthsWithTheSignInFront) {
    const std::vector<std::pair<QVariant, QString>> cases{{25, "2.5"},        {0, "0.0"},   {40, "4.0"},
                                                          {-15, "-1.5"},      {-5, "-0.5"}, {-20, "-2.0"},
                                                          {QVariant(), "0.0"}};
    for (const auto& [tenths, text] : cases) {
        EXPECT_EQ(AlbumRatingText(tenths), text) << tenths.toInt();
    }
}

TEST_F(Albums, CellsMarkGroupsAndAlbumsWithoutFiles) {
    const int group = AddGroup("mixed bag");
    SetRatingSumm(group, -15);
    AddAlbumWith("gone", 2, "Ann", 0);
    AddAlbumWith("here", 2);
    m_albums.SetView(AlbumView::Collapsed);
    m_albums.SetSort(AlbumSort::AlbumName);
    EXPECT_EQ(Names(), (QStringList{"gone", "here", "MIXED BAG"}));
    EXPECT_EQ(Column(AlbumColumn::Wng), (QStringList{"!", " ", " "}));
    EXPECT_EQ(Column(AlbumColumn::Group), (QStringList{"", "", "GROUP"}));
    EXPECT_EQ(Column(AlbumColumn::Rating), (QStringList{"2.0", "2.0", "-1.5"}));
    EXPECT_EQ(m_albums.CountLabel(), "3 item(s) listed");

    // Groups have no files of their own and stay listed.
    m_albums.ToggleHideMissing();
    EXPECT_TRUE(m_settings.FILTERALBUMS);
    EXPECT_EQ(Names(), (QStringList{"here", "MIXED BAG"}));
}

TEST_F(Albums, TheCollapsedViewWalksGroupsLikeFolders) {
    const int top = AddGroup("Mum's \"Best\"");
    const int sub = AddGroup("Sub", top);
    PutInGroup(AddAlbumWith("In sub", 1), sub);
    PutInGroup(AddAlbumWith("In top", 1), top);
    AddAlbumWith("Loose", 1);

    m_albums.ShowAlbumGroups();
    EXPECT_TRUE(m_albumsDisplay.shown);
    EXPECT_EQ(m_albums.Caption(), "Album groups ");
    EXPECT_EQ(Names(), (QStringList{"MUM'S \"BEST\""}));
    EXPECT_TRUE(m_albums.BackEnabled());

    m_albums.RowClicked(0);
    EXPECT_EQ(m_albumsDisplay.searchCleared, 1);
    EXPECT_EQ(m_albums.Caption(), "Albums in Group \"Mum's \"Best\"\"");
    m_albums.SetSort(AlbumSort::AlbumName);
    EXPECT_EQ(Names(), (QStringList{"In top", "SUB"}));
    m_albums.RowClicked(RowOf("SUB"));
    EXPECT_EQ(Names(), (QStringList{"In sub"}));

    m_albums.SetSort(AlbumSort::SequenceNumber);
    EXPECT_TRUE(m_albums.EscapePressed());
    EXPECT_EQ(m_albums.Sort(), AlbumSort::AlbumName);
    EXPECT_EQ(CurrentName(), "SUB");
    m_albums.Back();
    EXPECT_EQ(m_albums.Caption(), "Album groups ");
    EXPECT_EQ(CurrentName(), "MUM'S \"BEST\"");

    m_dialogs.QueueAnswers({"No", "Yes"});
    m_albums.Back();
    EXPECT_EQ(Names(), (QStringList{"MUM'S \"BEST\""}));
    m_albums.Back();
    EXPECT_EQ(m_dialogs.TextsOf("ASK"),
              (QStringList{"Already at top - also show ungrouped albums ? -> No",
                           "Already at top - also show ungrouped albums ? -> Yes"}));
    EXPECT_EQ(Names(), (QStringList{"Loose", "MUM'S \"BEST\""}));
    EXPECT_FALSE(m_albums.BackEnabled());
    EXPECT_FALSE(m_albums.EscapePressed());
    m_albums.Back();
    EXPECT_EQ(m_albums.Caption(), "All albums");
    EXPECT_EQ(Names(), (QStringList{"In sub", "In top", "Loose"}));
}

TEST_F(Albums, TypingFindsTheFirstRowNotLessOrOffersToExpand) {
    AddAlbumWith("Abba Gold", 1, "Zed");
    AddAlbumWith("Blur", 1, "Young");
    AddAlbumWith("Cream", 1, "Xavier");
    AddGroup("Group");
    m_albums.ShowAllAlbums();
    m_albums.SearchTyped("yo");
    EXPECT_EQ(CurrentName(), "Blur");
    m_albums.SetSort(AlbumSort::AlbumName);
    m_albums.SearchTyped("CR");
    EXPECT_EQ(CurrentName(), "Cream");
    m_albums.SearchTyped("b");
    EXPECT_EQ(CurrentName(), "Blur");
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());

    m_albums.ShowAlbumGroups();
    m_dialogs.QueueAnswers({"No", "Yes"});
    m_albums.SearchTyped("cre");
    EXPECT_EQ(m_albums.View(), AlbumView::Collapsed);
    m_albums.SearchTyped("cre");
    EXPECT_EQ(m_dialogs.TextsOf("ASK"),
              (QStringList{"Not found - expand Groups ? -> No", "Not found - expand Groups ? -> Yes"}));
    EXPECT_EQ(m_albums.View(), AlbumView::Expanded);
    EXPECT_EQ(CurrentName(), "Cream");
}

TEST_F(Albums, OpeningAnAlbumListsItsSongsOrOffersToRemoveAnEmptyOne) {
    const int full = AddAlbumWith("Full", 2);
    const int empty = AddAlbumWith("Empty", 0);
    AddAlbumWith("Last", 1);
    m_albums.ShowAllAlbums();
    m_albums.SetSort(AlbumSort::AlbumName);

    m_albums.RowClicked(RowOf("Full"));
    EXPECT_EQ(m_list.Mode(), SongListMode::Album);
    EXPECT_EQ(m_list.AlbumId(), full);
    EXPECT_EQ(m_albums.RememberedId(), full);

    const QString question = "Album #" + QString::number(empty) + " has no songs, OK to remove it ?  -> ";
    m_settings.READONLY = true;
    m_dialogs.QueueAnswer("Yes");
    m_albums.RowClicked(RowOf("Empty"));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{kReadOnly});
    m_settings.READONLY = false;
    m_dialogs.QueueAnswer("No");
    m_albums.RowClicked(RowOf("Empty"));
    EXPECT_EQ(Names(), (QStringList{"Empty", "Full", "Last"}));

    m_dialogs.QueueAnswer("Yes");
    m_albums.RowClicked(RowOf("Empty"));
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), (QStringList{question + "Yes", question + "No", question + "Yes"}));
    EXPECT_EQ(Names(), (QStringList{"Full", "Last"}));
    EXPECT_EQ(CurrentName(), "Full");
    EXPECT_EQ(CommittedCount("select count(*) as ct from album where albumid = " + QString::number(empty)),
              0);
}

TEST_F(Albums, RequestsFromOtherWindowsShowAGroupWithTheCursorOnTheAlbum) {
    const int group = AddGroup("Group");
    AddAlbumWith("Before", 1);
    const int album = AddAlbumWith("Wanted", 1);
    PutInGroup(album, group);
    EXPECT_FALSE(m_albums.ShowAlbumGroup(999));
    EXPECT_FALSE(m_albums.ShowAlbumGroup(album));
    EXPECT_EQ(m_albumsDisplay.showings, 0);

    m_albums.ShowAlbumGroupAt(group, album);
    EXPECT_EQ(m_albumsDisplay.showings, 1);
    EXPECT_EQ(m_albums.Caption(), "Albums in Group \"Group\"");
    EXPECT_EQ(m_albums.CurrentAlbumId(), album);

    m_albums.CloseList();
    EXPECT_FALSE(m_albums.QueryOpen());
    m_albums.WindowActivated();
    EXPECT_TRUE(m_albums.QueryOpen());
    EXPECT_EQ(m_albums.CurrentAlbumId(), album);
}

}  // namespace
}  // namespace sw
