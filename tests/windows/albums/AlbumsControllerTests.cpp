#include <gtest/gtest.h>

#include <map>

#include "AlbumsFixture.h"
#include "core/Catalogue.h"
#include "windows/albums/AlbumGroups.h"

namespace sw {
namespace {

using test::AlbumsFixture;

const QString kReadOnly = "Cannot make changes, database is read-only\\n( see menu option \"Database\")";

class Albums : public AlbumsFixture {
protected:
    void SetYear(int albumId, const QString& year) {
        m_catalogue.ExecSqlCommit("update album set \"year\" = '" + year +
                                  "' where albumid = " + QString::number(albumId));
    }
    /// The collapsed list of the group's parent level, with the cursor on the row (albums and
    /// groups alike).
    void Reach(int albumId) {
        TAlbum album;
        ASSERT_TRUE(m_library.albums.FindAlbumById(albumId, album));
        m_albums.SetView(AlbumView::Collapsed);
        while (m_albums.InsideGroup()) {
            m_albums.Back();
        }
        if (m_albums.HideUngrouped()) {
            m_albums.ToggleHideUngrouped();
        }
        if (album.GrpId > 0) {
            m_albums.ShowAlbumGroupAt(album.GrpId, albumId);
        } else {
            m_albums.RefreshAlbumList(albumId);
        }
        ASSERT_EQ(m_albums.CurrentAlbumId(), albumId);
    }
};

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

// Including an item in a group, and the inclusions that are refused and change nothing.
struct IncludeCase {
    const char* label;
    const char* item;
    const char* group;
    QString refusal;
};

class AlbumIncludes : public Albums, public ::testing::WithParamInterface<IncludeCase> {};

TEST_P(AlbumIncludes, MoveTheItemOrSayWhyNot) {
    std::map<QString, int> ids;
    ids["Top"] = AddGroup("Top");
    ids["Child"] = AddGroup("Child", ids["Top"]);
    ids["Grandchild"] = AddGroup("Grandchild", ids["Child"]);
    ids["Other"] = AddGroup("Other");
    ids["Album"] = AddAlbumWith("Album", 1);
    const int item = ids.at(GetParam().item);
    const int group = ids.at(GetParam().group);
    const int before = CommittedGroupOf(item);

    TAlbum record;
    m_library.albums.FindAlbumById(item, record);
    m_albums.SelectItem(record);
    Reach(group);
    ASSERT_TRUE(m_albums.OpenPopup(m_albums.CurrentRow()));
    EXPECT_EQ(m_albums.Popup().includeSelected,
              "Include selected Item \"" + QString(GetParam().item) + "\" in this Group");
    m_albums.IncludeSelectedItem();

    if (GetParam().refusal.isEmpty()) {
        EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty());
        EXPECT_EQ(CommittedGroupOf(item), group);
        EXPECT_LE(m_albums.SelectedItem().AlbumId, 0);
    } else {
        EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{GetParam().refusal});
        EXPECT_EQ(CommittedGroupOf(item), before);
        EXPECT_EQ(m_albums.SelectedItem().AlbumId, item);
    }
}

INSTANTIATE_TEST_SUITE_P(Includes, AlbumIncludes,
                         ::testing::Values(IncludeCase{"AlbumIntoGroup", "Album", "Grandchild", {}},
                                           IncludeCase{"GroupIntoAnother", "Top", "Other", {}},
                                           IncludeCase{"GroupIntoItself", "Top", "Top",
                                                       "Cannot include a Group in itself"},
                                           IncludeCase{"GroupIntoItsMember", "Top", "Child",
                                                       "Cannot include a Group in one of its own members"},
                                           IncludeCase{"GroupIntoAMemberOfAMember", "Top", "Grandchild",
                                                       "Cannot include a Group in one of its own members"}),
                         [](const ::testing::TestParamInfo<IncludeCase>& each) { return each.param.label; });

TEST_F(Albums, IncludingInTheSelectedGroupNeedsOneAndAWritableCatalogue) {
    const int group = AddGroup("Target's \"group\"");
    const int album = AddAlbumWith("Album", 1);
    Reach(album);
    m_albums.IncludeInSelectedGroup();
    m_albums.OpenPopup(m_albums.CurrentRow());
    m_albums.IncludeSelectedItem();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"First select a Group"});

    Reach(group);
    m_albums.SelectThisGroup();
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Group \"Target's \"group\"\" selected"});
    Reach(album);
    ASSERT_TRUE(m_albums.OpenPopup(m_albums.CurrentRow()));
    EXPECT_EQ(m_albums.Popup().includeInSelected,
              "Include this Item in selected Group \"Target's \"group\"\"");
    m_settings.READONLY = true;
    m_albums.IncludeInSelectedGroup();
    EXPECT_EQ(CommittedGroupOf(album), 0);
    m_settings.READONLY = false;
    m_albums.IncludeInSelectedGroup();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), (QStringList{"First select a Group", kReadOnly}));
    EXPECT_EQ(CommittedGroupOf(album), group);
}

TEST_F(Albums, ExcludingAMemberAsksAndTakesItOutOfTheGroup) {
    const int group = AddGroup("Group");
    const int album = AddAlbumWith("Member", 1);
    PutInGroup(album, group);
    Reach(album);
    ASSERT_TRUE(m_albums.OpenPopup(m_albums.CurrentRow()));
    EXPECT_TRUE(m_albums.Popup().excludeEnabled);
    m_dialogs.QueueAnswers({"No", "Yes"});
    m_albums.ExcludeFromGroup();
    EXPECT_EQ(CommittedGroupOf(album), group);
    m_albums.ExcludeFromGroup();
    EXPECT_EQ(m_dialogs.TextsOf("ASK").value(1), "Exclude this Item from Group?  -> Yes");
    EXPECT_EQ(CommittedGroupOf(album), 0);
    EXPECT_TRUE(Names().isEmpty());
}

TEST_F(Albums, AGroupIsDeletedOnlyWhenNothingIsInItEvenWhatTheFiltersHide) {
    const int parent = AddGroup("Parent");
    const int group = AddGroup("Holds one", parent);
    PutInGroup(AddAlbumWith("No files", 1, "Ann", 0), group);
    const int empty = AddGroup("Empty", parent);
    m_settings.FILTERALBUMS = true;
    Reach(group);
    m_albums.DeleteGroup();
    EXPECT_EQ(m_albums.Caption(), "Albums in Group \"Holds one\"");
    EXPECT_TRUE(Names().isEmpty());
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{"1 members in Group\\nGroup has must be empty to delete"});
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
    EXPECT_EQ(CommittedCount("select count(*) as ct from album where albumid = " + QString::number(group)),
              1);

    Reach(empty);
    m_dialogs.QueueAnswers({"No", "Yes"});
    m_albums.DeleteGroup();
    EXPECT_EQ(m_albums.Caption(), "Albums in Group \"Empty\"");
    Reach(empty);
    m_albums.DeleteGroup();
    EXPECT_EQ(m_dialogs.TextsOf("ASK").value(1), "Delete Group \"Empty\" (last chance) - OK ? -> Yes");
    EXPECT_EQ(CommittedCount("select count(*) as ct from album where albumid = " + QString::number(empty)),
              0);
    EXPECT_EQ(m_albums.Caption(), "Albums in Group \"Parent\"");
    EXPECT_EQ(Names(), (QStringList{"HOLDS ONE"}));
}

TEST_F(Albums, ANewGroupNeedsANameAndCanBecomeTheSelectedGroup) {
    EXPECT_FALSE(m_albums.NewGroupEnabled());
    QStringList fields{"   ", "Ann"};
    m_albums.Hooks().newGroupFields = [&fields](QString& name, QString& artist) {
        name = fields.value(0);
        artist = fields.value(1);
        return true;
    };
    const int before = CommittedCount("select count(*) as ct from album");
    m_albums.ShowAlbumGroups();
    m_albums.NewGroup();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{kBlankGroupName});
    EXPECT_TRUE(m_dialogs.TextsOf("ERROR").isEmpty());
    EXPECT_EQ(CommittedCount("select count(*) as ct from album"), before);

    fields = QStringList{"O'Brien's \"Mix\"", "O'Brien"};
    m_dialogs.QueueAnswer("Yes");
    m_albums.NewGroup();
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"positioning on new group ..."});
    EXPECT_EQ(m_dialogs.TextsOf("ASK"), QStringList{"Now add items to this group? -> Yes"});
    EXPECT_EQ(CurrentName(), "O'BRIEN'S \"MIX\"");
    const TAlbum& selected = m_albums.SelectedGroup();
    EXPECT_EQ(selected.AlbumId, m_albums.CurrentAlbumId());
    EXPECT_EQ(CommittedCount("select count(*) as ct from album a join artist b on b.artistid = a.artistid "
                             "where a.alorgrp = 'G' and a.grpid = 0 and b.arname = 'O''Brien' and "
                             "a.alname = 'O''Brien''s \"Mix\"'"),
              1);

    m_settings.READONLY = true;
    m_albums.NewGroup();
    EXPECT_EQ(m_dialogs.TextsOf("INFO").value(1), kReadOnly);
}

TEST_F(Albums, ANewAlbumNeedsANameAndOpensItsDetails) {
    QList<int> detailsOf;
    m_albums.Hooks().albumDetails = [&detailsOf](int id) { detailsOf << id; };
    m_albums.ShowAllAlbums();
    m_dialogs.QueueAnswers({" \t", "Tom's \"Album\"  "});
    m_albums.NewAlbum();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{kBlankAlbumName});
    EXPECT_TRUE(detailsOf.isEmpty());
    m_albums.NewAlbum();
    ASSERT_EQ(detailsOf.size(), 1);
    EXPECT_EQ(CurrentName(), "Tom's \"Album\"");
    EXPECT_EQ(m_albums.CurrentAlbumId(), detailsOf.value(0));
    EXPECT_EQ(CommittedCount("select count(*) as ct from album where alname = 'Tom''s \"Album\"'"), 1);
}

TEST_F(Albums, ANewAlbumNamedLikeAnExistingAlbumInAnyCaseIsRefused) {
    const int hits = AddAlbumWith("Greatest Hits", 1);
    AddGroup("Best Of");
    QList<int> detailsOf;
    m_albums.Hooks().albumDetails = [&detailsOf](int id) { detailsOf << id; };
    m_albums.ShowAllAlbums();
    const QString refusal = "Album #" + QString::number(hits) + " \"Greatest Hits\" already exists";
    struct Typed {
        const char* name;
        QString said;
    };
    for (const Typed& typed : {Typed{"Greatest Hits", refusal}, Typed{"GREATEST hits  ", refusal},
                               Typed{"Best Of", QString()}}) {
        SCOPED_TRACE(typed.name);
        m_dialogs.ClearTranscript();
        detailsOf.clear();
        const int before = CommittedCount("select count(*) as ct from album");
        m_dialogs.QueueAnswer(typed.name);
        m_albums.NewAlbum();
        if (typed.said.isEmpty()) {
            // A group of that name is no album: lookups by name never see it.
            EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty());
            EXPECT_EQ(detailsOf.size(), 1);
            EXPECT_EQ(CommittedCount("select count(*) as ct from album"), before + 1);
        } else {
            EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{typed.said});
            EXPECT_TRUE(detailsOf.isEmpty());
            EXPECT_EQ(m_albums.CurrentAlbumId(), hits);
            EXPECT_EQ(CommittedCount("select count(*) as ct from album"), before);
        }
    }
    TAlbum found;
    EXPECT_EQ(m_library.albums.FindAlbumByName("greatest hits", found), hits);
}

TEST_F(Albums, RenamingCommitsTheNewNameEvenInLetterCaseOnly) {
    const int album = AddAlbumWith("abba gold", 1);
    m_albums.ShowAllAlbums();
    m_settings.READONLY = true;
    m_albums.Rename();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{kReadOnly});
    EXPECT_TRUE(m_dialogs.TextsOf("INPUT").isEmpty());

    m_settings.READONLY = false;
    m_dialogs.QueueAnswers({"ABBA Gold", "No"});
    m_albums.Rename();
    EXPECT_EQ(Names(), (QStringList{"ABBA Gold"}));
    EXPECT_EQ(CommittedCount("select count(*) as ct from album where alname = 'ABBA Gold' and albumid = " +
                             QString::number(album)),
              1);
}

TEST_F(Albums, ThePopUpNamesTheRowAndRefusesAnUnknownKind) {
    const int group = AddGroup("Group");
    const int album = AddAlbumWith("Album", 1, "Ann");
    const int odd = AddAlbumWith("Odd", 0);
    m_catalogue.ExecSqlCommit("update album set alorgrp = 'X' where albumid = " + QString::number(odd));
    m_albums.SetView(AlbumView::Collapsed);
    m_albums.SetSort(AlbumSort::AlbumName);
    TAlbum record;
    m_library.albums.FindAlbumById(album, record);

    ASSERT_TRUE(m_albums.OpenPopup(RowOf("Album")));
    EXPECT_TRUE(m_albums.Popup().isAlbum);
    EXPECT_EQ(m_albums.Popup().viewDetails, "View album details ( #" + QString::number(album) + " )");
    EXPECT_EQ(m_albums.Popup().listArtistSongs,
              "List songs by this artist (#" + QString::number(record.ArtistId) + ")");
    EXPECT_FALSE(m_albums.Popup().excludeEnabled);
    EXPECT_FALSE(m_albums.Popup().assignGenreEnabled);
    ASSERT_TRUE(m_albums.OpenPopup(RowOf("GROUP")));
    EXPECT_TRUE(m_albums.Popup().isGroup);
    EXPECT_EQ(m_albums.Popup().viewDetails, "View group details ( #" + QString::number(group) + " )");
    EXPECT_EQ(m_albums.Popup().includeSelected, "Include selected Item in this group");

    EXPECT_FALSE(m_albums.OpenPopup(RowOf("Odd")));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Invalid alorgrp \"X\""});
}

TEST_F(Albums, CopyingFillsTheClipboardAndSelectsTheAlbumsGroup) {
    const int group = AddGroup("Group");
    const int album = AddAlbumWith("Album", 1, "O'Neil");
    PutInGroup(album, group);
    Reach(album);
    m_albums.CopyAlbum();
    EXPECT_EQ(m_library.clipboard.album.AlbumId, album);
    EXPECT_EQ(m_library.clipboard.artist.ArtistName, "O'Neil");
    EXPECT_EQ(m_albums.SelectedGroup().AlbumId, group);
    Reach(group);
    m_albums.CopyGroup();
    EXPECT_EQ(m_library.clipboard.group.AlbumId, group);
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), (QStringList{"Copied ok", "Copied ok"}));
}

TEST_F(Albums, DeletingAnAlbumAsksWithItsSongCountAndMovesToTheNextRow) {
    AddAlbumWith("First", 1);
    const int doomed = AddAlbumWith("Second", 2);
    AddAlbumWith("Third", 1);
    m_albums.ShowAllAlbums();
    m_albums.SetSort(AlbumSort::AlbumName);
    m_albums.SetCurrentRow(RowOf("Second"));
    m_dialogs.QueueAnswer("Yes");
    m_albums.DeleteAlbum();
    EXPECT_EQ(m_dialogs.TextsOf("ASK"),
              QStringList{"Album has 2 song(s), OK to remove all these (retaining any MP3 files) ? -> Yes"});
    EXPECT_EQ(Names(), (QStringList{"First", "Third"}));
    EXPECT_EQ(CurrentName(), "Third");
    EXPECT_EQ(CommittedCount("select count(*) as ct from song where albumid = " + QString::number(doomed)),
              0);
}

TEST_F(Albums, AssigningAGenreAsksThePickerOnlyOnAWritableCatalogue) {
    AddAlbumWith("Album", 1);
    int asked = 0;
    m_albums.Hooks().pickGenre = [&asked](int&, QString&) {
        ++asked;
        return false;
    };
    m_albums.ShowAllAlbums();
    ASSERT_TRUE(m_albums.OpenPopup(0));
    EXPECT_TRUE(m_albums.Popup().assignGenreEnabled);
    m_settings.READONLY = true;
    m_albums.AssignGenre();
    EXPECT_EQ(asked, 0);
    m_settings.READONLY = false;
    m_albums.AssignGenre();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), (QStringList{kReadOnly, "Select genre for album"}));
}

// Each song's row takes the genre as its file does, committed before the next file is written, so
// that a run cut short leaves them disagreeing on one file at most.
TEST_F(Albums, AnAssignedGenreReachesEachSongsRowAsItsFileIsWritten) {
    const int album = AddAlbumWith("Album", 3);
    const int other = AddAlbumWith("Other", 1);
    const auto songsOfGenre = [this](int genre, int albumId) {
        return CommittedCount("select count(*) as ct from song where genreid = " + QString::number(genre) +
                              " and albumid = " + QString::number(albumId));
    };
    test::RecordingTagWriter tags;
    m_library.tagWriter = &tags;
    QList<int> committedBefore;
    tags.onSave = [&](const TSong& song) {
        EXPECT_EQ(song.GenreId, 8);
        committedBefore << songsOfGenre(8, album);
    };
    int picked = -1;
    m_albums.Hooks().pickGenre = [&picked](int& id, QString& name) {
        if (picked >= 0) {
            id = picked;
            name = "Picked";
        }
        return picked >= 0;
    };
    m_albums.ShowAllAlbums();
    m_albums.RefreshAlbumList(album);

    // The picker closed without a choice changes nothing.
    m_albums.AssignGenre();
    EXPECT_TRUE(tags.saved.isEmpty());
    EXPECT_EQ(songsOfGenre(kNoGenre, album), 3);

    picked = 8;
    m_albums.AssignGenre();
    EXPECT_EQ(tags.saved.size(), 3);
    EXPECT_EQ(committedBefore, (QList<int>{0, 1, 2}));
    EXPECT_EQ(songsOfGenre(8, album), 3);
    EXPECT_EQ(songsOfGenre(kNoGenre, other), 1);

    // Without a tag writer the rows take it all the same.
    m_library.tagWriter = nullptr;
    picked = 9;
    m_albums.AssignGenre();
    EXPECT_EQ(songsOfGenre(9, album), 3);
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
}

TEST_F(Albums, ARenamedAlbumsNameIsCommittedBeforeAnyFileTakesIt) {
    const int album = AddAlbumWith("Old", 2);
    test::RecordingTagWriter tags;
    m_library.tagWriter = &tags;
    QList<int> committedRenamed;
    tags.onSave = [&](const TSong& song) {
        EXPECT_EQ(song.AlbumName, "New");
        committedRenamed << CommittedCount(
            "select count(*) as ct from album where alname = 'New' and albumid = " + QString::number(album));
    };
    m_albums.ShowAllAlbums();
    m_dialogs.QueueAnswers({"New", "Yes"});
    m_albums.Rename();
    EXPECT_EQ(committedRenamed, (QList<int>{1, 1}));
    m_library.tagWriter = nullptr;
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
