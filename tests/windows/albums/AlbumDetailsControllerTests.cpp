#include <gtest/gtest.h>

#include "AlbumsFixture.h"
#include "core/Catalogue.h"
#include "windows/albums/AlbumDetailsController.h"
#include "windows/albums/AlbumGroups.h"

namespace sw {
namespace {

const QString kReadOnly = "Cannot make changes, database is read-only\\n( see menu option \"Database\")";

class RecordingDetailsDisplay : public AlbumDetailsDisplay {
public:
    void ShowDetailsWindow() override { ++shown; }
    void DetailsChanged() override { ++changes; }
    void CloseDetailsWindow() override { ++closed; }
    int shown = 0;
    int changes = 0;
    int closed = 0;
};

class AlbumDetails : public test::AlbumsFixture {
protected:
    AlbumDetails() { m_details.SetDisplay(&m_detailsDisplay); }

    /// One column of the album's row as another connection sees it.
    int Committed(int albumId, const QString& column) {
        return CommittedCount("select " + column +
                              " as ct from album where albumid = " + QString::number(albumId));
    }

    AlbumDetailsController m_details{m_library, m_ratings, m_albums};
    RecordingDetailsDisplay m_detailsDisplay;
};

TEST_F(AlbumDetails, ShowsTheLinesOfAnAlbumOrGroupOrSaysWhyNot) {
    EXPECT_FALSE(m_details.ShowAlbumDetails(0));
    EXPECT_FALSE(m_details.ShowAlbumDetails(4711));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              (QStringList{"Album id = 0 means \"not in an album\"", "Album not found \"4711\""}));
    EXPECT_EQ(m_detailsDisplay.shown, 0);

    const int group = AddGroup("Jo's \"Picks\"");
    const int album = AddAlbumWith("Album", 3, "Ann", 2);
    ASSERT_TRUE(m_details.ShowAlbumDetails(album));
    EXPECT_EQ(m_detailsDisplay.shown, 1);
    const AlbumDetailsText& text = m_details.Text();
    EXPECT_EQ(text.caption, "Album #" + QString::number(album));
    EXPECT_EQ(text.artistCaption, "Artist #" + QString::number(m_details.Album().ArtistId));
    EXPECT_EQ(text.artistName, "Ann");
    EXPECT_EQ(text.fileCount, "2");
    EXPECT_EQ(text.group, "#0");
    EXPECT_FALSE(text.sequenceShown);
    EXPECT_EQ(text.rating, "0.0");

    PutInGroup(album, group);
    m_catalogue.ExecSqlCommit("update album set seq = null where albumid = " + QString::number(album));
    m_details.Refresh();
    EXPECT_EQ(m_details.Text().group, "#" + QString::number(group) + " \"Jo's \"Picks\"\"");
    EXPECT_TRUE(m_details.Text().sequenceShown);
    EXPECT_EQ(m_details.Text().sequence, "null");

    // The albums window opens the details through its hook, which the controller connected.
    m_albums.ShowAlbumGroups();
    ASSERT_TRUE(m_albums.OpenPopup(0));
    EXPECT_TRUE(m_albums.Popup().viewDetailsEnabled);
    m_albums.ViewDetails();
    EXPECT_EQ(m_details.Text().caption, "Album Group #" + QString::number(group));
}

TEST_F(AlbumDetails, AnAssignedRatingIsStoredInTenthsAndZeroGoesBackToTheDerivedOne) {
    const int album = AddAlbumWith("Album", 1);
    m_catalogue.ExecSqlCommit("update album set ratingdrvd = 15, ratingsumm = 15 where albumid = " +
                              QString::number(album));
    m_details.ShowAlbumDetails(album);
    m_dialogs.QueueAnswers({"3", "7", "0"});
    m_details.AssignRating();
    EXPECT_EQ(m_details.Text().rating, "3.0");
    EXPECT_EQ(Committed(album, "ratingsumm"), 30);
    EXPECT_EQ(Committed(album, "ratingassd"), 1);
    m_details.AssignRating();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Out of range"});
    EXPECT_EQ(Committed(album, "ratingsumm"), 30);
    m_details.AssignRating();
    EXPECT_EQ(m_details.Text().rating, "0.0");
    EXPECT_EQ(Committed(album, "ratingsumm"), 15);
    EXPECT_EQ(Committed(album, "ratingassd"), 0);
}

// Every command that writes is refused on a read-only catalogue, asking nothing and writing nothing.
TEST_F(AlbumDetails, ReadOnlyRefusesEveryChange) {
    const int group = AddGroup("Group");
    const int album = AddAlbumWith("Album", 1);
    PutInGroup(album, group);
    m_library.albums.FindAlbumById(group, m_library.clipboard.group);
    m_details.ShowAlbumDetails(album);
    m_library.clipboard.artist = TArtist{m_library.artists.FindOrCreateArtist("Bo"), "Bo"};
    m_settings.READONLY = true;
    const std::vector<std::pair<const char*, void (AlbumDetailsController::*)()>> commands{
        {"Rename", &AlbumDetailsController::Rename},
        {"AssignRating", &AlbumDetailsController::AssignRating},
        {"Resequence", &AlbumDetailsController::Resequence},
        {"AssignDifferentGroup", &AlbumDetailsController::AssignDifferentGroup},
        {"PasteGroup", &AlbumDetailsController::PasteGroup},
        {"InputArtist", &AlbumDetailsController::InputArtist},
        {"PasteArtist", &AlbumDetailsController::PasteArtist},
        {"Delete", &AlbumDetailsController::Delete},
    };
    for (const auto& [name, command] : commands) {
        m_dialogs.ClearTranscript();
        (m_details.*command)();
        EXPECT_EQ(m_dialogs.Transcript(), QStringList{"INFO: " + kReadOnly}) << name;
    }
    EXPECT_LE(m_albums.SelectedItem().AlbumId, 0);
    EXPECT_EQ(CommittedCount("select count(*) as ct from album where albumid = " + QString::number(album) +
                             " and grpid = " + QString::number(group) + " and seq = 0 and ratingassd = 0"),
              1);
}

TEST_F(AlbumDetails, ResequenceRefusesANegativeNumberAndCommitsTheOthers) {
    const int group = AddGroup("Group");
    const int album = AddAlbumWith("Album", 1);
    PutInGroup(album, group);
    m_details.ShowAlbumDetails(album);
    m_dialogs.QueueAnswers({"-1", "12"});
    m_details.Resequence();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"invalid"});
    EXPECT_EQ(Committed(album, "seq"), 0);
    m_details.Resequence();
    EXPECT_EQ(m_details.Text().sequence, "12");
    EXPECT_EQ(Committed(album, "seq"), 12);
}

TEST_F(AlbumDetails, PastingAGroupRegroupsTheAlbumButNeverAGroupIntoItsOwnMember) {
    const int outer = AddGroup("Outer");
    const int inner = AddGroup("Inner", outer);
    const int album = AddAlbumWith("Album", 1);
    TAlbum record;
    m_library.albums.FindAlbumById(inner, record);
    m_library.clipboard.group = record;

    m_details.ShowAlbumDetails(album);
    EXPECT_TRUE(m_details.PasteGroupEnabled());
    EXPECT_EQ(m_details.PasteGroupCaption(), "Paste album group \"Inner\"");
    m_dialogs.QueueAnswers({"No", "Yes"});
    m_details.PasteGroup();
    EXPECT_EQ(CommittedGroupOf(album), 0);
    m_details.PasteGroup();
    EXPECT_EQ(m_dialogs.TextsOf("ASK").value(1), "Regroup this album - OK ? -> Yes");
    EXPECT_EQ(CommittedGroupOf(album), inner);
    EXPECT_EQ(m_details.Text().group, "#" + QString::number(inner) + " \"Inner\"");

    m_details.ShowAlbumDetails(outer);
    m_dialogs.QueueAnswer("Yes");
    m_details.PasteGroup();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Cannot include a Group in one of its own members"});
    EXPECT_EQ(CommittedGroupOf(outer), 0);
}

TEST_F(AlbumDetails, ANewArtistIsCreatedOnlyWhenTheChangeIsAccepted) {
    const int album = AddAlbumWith("Album", 1, "Ann");
    m_details.ShowAlbumDetails(album);
    const QString artists = "select count(*) as ct from artist";
    const int before = CommittedCount(artists);

    // The same artist in other letters is no change and asks nothing.
    m_dialogs.QueueAnswer("ANN");
    m_details.InputArtist();
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());

    m_dialogs.QueueAnswers({"O'Brien", "No"});
    m_details.InputArtist();
    EXPECT_EQ(m_dialogs.TextsOf("ASK"),
              QStringList{"Change Artist for this Album from \"Ann\" to \"O'Brien\" - OK ? -> No"});
    EXPECT_EQ(m_library.artists.FindArtistByName("O'Brien"), -1);

    m_dialogs.QueueAnswers({"O'Brien", "Yes"});
    m_details.InputArtist();
    EXPECT_EQ(m_details.Text().artistName, "O'Brien");
    EXPECT_EQ(CommittedCount(artists), before + 1);
    EXPECT_EQ(Committed(album, "artistid"), m_library.artists.FindArtistByName("o'brien"));
}

TEST_F(AlbumDetails, AChangeKeepsWhatWasWrittenElsewhereSinceTheWindowOpened) {
    const int album = AddAlbumWith("Album", 1, "Ann", 1);
    m_details.ShowAlbumDetails(album);
    // The album check counts the album's files again while the window is open.
    m_catalogue.ExecSqlCommit("update album set numexi = 5, ratingdrvd = 33 where albumid = " +
                              QString::number(album));
    m_library.clipboard.artist = TArtist{m_library.artists.FindOrCreateArtist("Bo"), "Bo"};
    EXPECT_EQ(m_details.PasteArtistCaption(), "- paste artist \"Bo\"");
    m_details.PasteArtist();
    EXPECT_EQ(Committed(album, "numexi"), 5);
    EXPECT_EQ(Committed(album, "ratingdrvd"), 33);
    EXPECT_EQ(Committed(album, "artistid"), m_library.clipboard.artist.ArtistId);
    EXPECT_EQ(m_details.Text().fileCount, "5");
}

TEST_F(AlbumDetails, TheGroupLineDrivesTheAlbumsWindow) {
    const int group = AddGroup("Group");
    AddAlbumWith("Other", 1);
    const int album = AddAlbumWith("Mine", 1);
    PutInGroup(album, group);
    m_details.ShowAlbumDetails(album);
    EXPECT_TRUE(m_details.ViewGroupEnabled());
    m_details.ViewGroup();
    EXPECT_EQ(m_albums.Caption(), "Albums in Group \"Group\"");
    EXPECT_EQ(m_albums.CurrentAlbumId(), album);

    m_details.AssignDifferentGroup();
    EXPECT_EQ(m_albums.SelectedItem().AlbumId, album);
    EXPECT_EQ(m_albums.View(), AlbumView::Collapsed);
    EXPECT_TRUE(m_albums.HideUngrouped());
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{"Right-Click on Group in which to include album/group \"Mine\""});
}

TEST_F(AlbumDetails, DeleteClosesTheWindowOnlyWhenTheAlbumWasRemoved) {
    const int album = AddAlbumWith("Album", 1);
    m_details.ShowAlbumDetails(album);
    m_dialogs.QueueAnswers({"No", "Yes"});
    m_details.Delete();
    EXPECT_EQ(m_detailsDisplay.closed, 0);
    m_details.Delete();
    EXPECT_EQ(m_detailsDisplay.closed, 1);
    EXPECT_EQ(CommittedCount("select count(*) as ct from album where albumid = " + QString::number(album)),
              0);
    m_details.Refresh();
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Album not found \"" + QString::number(album) + "\""});
}

// A blank new name is refused as a new album's or group's is: nothing asked, stored or tagged.
TEST_F(AlbumDetails, RenamingToABlankNameIsRefused) {
    const int album = AddAlbumWith("Kept", 2);
    const int group = AddGroup("Band");
    test::RecordingTagWriter tags;
    m_library.tagWriter = &tags;
    enum class From { AlbumsWindow, DetailsWindow };
    struct Case {
        const char* name;
        int id;
        From from;
        QString typed;
        QString refusal;
    };
    const std::vector<Case> cases{
        {"an empty album name in the albums window", album, From::AlbumsWindow, "", kBlankAlbumName},
        {"an album name of spaces in the albums window", album, From::AlbumsWindow, "   ", kBlankAlbumName},
        {"an album name of blanks in the details window", album, From::DetailsWindow, " \t ",
         kBlankAlbumName},
        {"an empty group name in the albums window", group, From::AlbumsWindow, "", kBlankGroupName},
        {"a group name of spaces in the details window", group, From::DetailsWindow, "  ", kBlankGroupName},
    };
    for (const Case& each : cases) {
        m_dialogs.ClearTranscript();
        m_dialogs.QueueAnswer(each.typed);
        if (each.from == From::AlbumsWindow) {
            m_albums.SetView(each.id == group ? AlbumView::Collapsed : AlbumView::Expanded);
            m_albums.RefreshAlbumList(each.id);
            ASSERT_EQ(m_albums.CurrentAlbumId(), each.id) << each.name;
            m_albums.Rename();
        } else {
            ASSERT_TRUE(m_details.ShowAlbumDetails(each.id)) << each.name;
            m_details.Rename();
        }
        EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{each.refusal}) << each.name;
        EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty()) << each.name;
        EXPECT_EQ(m_dialogs.PendingAnswers(), 0u) << each.name;
    }
    EXPECT_EQ(CommittedCount("select count(*) as ct from album where albumid = " + QString::number(album) +
                             " and alname = 'Kept'"),
              1);
    EXPECT_EQ(CommittedCount("select count(*) as ct from album where albumid = " + QString::number(group) +
                             " and alname = 'Band'"),
              1);
    EXPECT_TRUE(tags.saved.isEmpty());
    m_library.tagWriter = nullptr;
}

TEST(NewAlbumGroup, ABlankNameWritesNothing) {
    test::TestCatalogue file;
    Catalogue catalogue;
    file.OpenCurrent(catalogue);
    Settings settings;
    Library library(catalogue, settings);
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    TAlbum group;
    EXPECT_FALSE(CreateAlbumGroup(library, " \t ", "Ann", group));
    EXPECT_EQ(dialogs.TextsOf("INFO"), QStringList{kBlankGroupName});
    EXPECT_EQ(library.artists.FindArtistByName("Ann"), -1);
    EXPECT_TRUE(CreateAlbumGroup(library, "Top", "", group));
    EXPECT_EQ(group.AlOrGrp, 'G');
    EXPECT_EQ(group.ArtistId, 0);
    EXPECT_EQ(group.GrpId, 0);
    EXPECT_TRUE(dialogs.TextsOf("ERROR").isEmpty());
}

}  // namespace
}  // namespace sw
