// The albums controller's commands: group membership, new groups and albums, rename, pop-up, copy, delete.
#include <gtest/gtest.h>

#include <map>

#include "AlbumsControllerFixture.h"
#include "core/Catalogue.h"
#include "windows/albums/AlbumGroups.h"

namespace sw {
namespace {

using test::Albums;
using test::kReadOnly;

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

}  // namespace
}  // namespace sw
