#include <gtest/gtest.h>

#include <QFile>

#include "DetailsFixture.h"
#include "playback/QueueController.h"
#include "support/Unsaveable.h"
#include "windows/details/EditSongController.h"

namespace sw::test {
namespace {

class EditSong : public DetailsFixture {
protected:
    /// Opens the window on the stored song, as the songs window does.
    void Open(int songNum) {
        m_edit.Open(Stored(songNum));
        m_dialogs.ClearTranscript();
    }
    int AlbumNumExi(int albumId) {
        return Count("select numexi as ct from album where albumid = " + QString::number(albumId));
    }

    EditSongController m_edit{m_library, m_tags};
};

// The warning names the last field that differs, and a difference of trailing blanks counts.
struct DifferenceCase {
    std::string name;
    int policy;
    QString change;
    QString status;
};

class EditDifferences : public EditSong, public ::testing::WithParamInterface<DifferenceCase> {};

TEST_P(EditDifferences, StatusNamesTheLastDifferingField) {
    const DifferenceCase& c = GetParam();
    const int songNum = AddTaggedSong("a.mp3", Details("Hello", "Ann", "First"), c.policy);
    if (!c.change.isEmpty()) {
        m_catalogue.ExecSqlCommit("update song set " + c.change +
                                  " where songnum = " + QString::number(songNum));
    }
    Open(songNum);
    EXPECT_EQ(m_edit.Status(), c.status);
    const bool differs = c.status.contains("Warning");
    EXPECT_EQ(m_edit.ResyncToFileEnabled(), differs);
    EXPECT_EQ(m_edit.ResyncFromFileEnabled(), differs);
    EXPECT_FALSE(m_edit.Dirty());
}

INSTANTIATE_TEST_SUITE_P(
    EditSong, EditDifferences,
    ::testing::Values(DifferenceCase{"SameDetailsInId3v2", 3, "", ""},
                      DifferenceCase{"SameDetailsInId3v1", 1, "", ""},
                      DifferenceCase{"TitleWithTrailingSpace", 3, "title = 'Hello '",
                                     " Warning : Database & MP3 tag details differ : Title"},
                      DifferenceCase{"TitleAndComment", 3, "title = 'X', \"comment\" = 'y'",
                                     " Warning : Database & MP3 tag details differ : Comment"},
                      DifferenceCase{"GenreByNumberInId3v1", 1, "genreid = 8",
                                     " Warning : Database & MP3 tag details differ : Genre"},
                      DifferenceCase{"NoTagInTheFile", 0, "title = 'X'", "  Info - No tag [yet] in file "}),
    ByName());

TEST_F(EditSong, M4aAndWmaTagsAreShownAsReadOnlyWithoutAWarning) {
    for (const char* fixture : {"tagged.m4a", "tagged.wma"}) {
        const QString suffix = QString(fixture).section('.', 1);
        const int songNum = AddTaggedSong("song." + suffix, Details("X", "Ann", "First"), 0, fixture);
        Open(songNum);
        EXPECT_EQ(m_edit.GroupCaption(), suffix.toUpper() + " tag (read only)") << fixture;
        EXPECT_FALSE(m_edit.Status().contains("tag status")) << m_edit.Status().toStdString();
    }
}

TEST_F(EditSong, FileSideOfAMissingOrNewSong) {
    TSong empty;
    ClearSong(empty);
    m_edit.Open(empty);
    EXPECT_EQ(m_edit.Status(), "  File not found ");
    EXPECT_EQ(m_edit.GroupCaption(), "No tag found");
    EXPECT_EQ(m_edit.FileSizeText(), "");

    const int songNum = AddTaggedSong("gone.mp3", Details("Gone", "Ann", "First"), 3);
    QFile::remove(m_music.filePath("gone.mp3"));
    Open(songNum);
    EXPECT_EQ(m_edit.Status(), "  File not found ;  DB thinks that the file exists!");
    EXPECT_TRUE(m_edit.ResyncFromFileEnabled());
    EXPECT_FALSE(m_edit.ResyncToFileEnabled());

    // The ID3v2 choice made for a save that could write no tag does not carry over to the next.
    m_settings.MP3TAGPOLICY = 2;
    m_edit.SetBox(EditBox::Title, "A title far too long for an ID3v1 tag");
    m_dialogs.QueueAnswer("2");
    EXPECT_EQ(m_edit.Save(), EditClose::Ok);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").value(0).startsWith("Audio file does not exist"));
    EXPECT_FALSE(m_tags.useV2);
}

TEST_F(EditSong, RatingOnlyChangeWritesNoTag) {
    const int songNum = AddTaggedSong("a.mp3", Details("Hello", "Ann", "First"), 3);
    const QByteArray before = ReadBytes(Stored(songNum).FullPath);
    Open(songNum);
    m_edit.StepRating(+1);
    EXPECT_TRUE(m_edit.Dirty());
    EXPECT_FALSE(m_edit.TagsToo());
    EXPECT_EQ(m_edit.Save(), EditClose::Ok);
    EXPECT_EQ(Stored(songNum).Rating, 1);
    EXPECT_EQ(ReadBytes(Stored(songNum).FullPath), before);
    EXPECT_EQ(m_edit.Save(), EditClose::KeepOpen) << "nothing left to save";
}

// A title too long for ID3v1 under "v1 where no truncation, else v2", read back by mutagen.
struct TruncationCase {
    std::string name;
    int taggedWith;
    QStringList answers;
    EditClose close;
    QString v1Title;
    QString v2Title;
};

class TooLongForId3v1 : public EditSong, public ::testing::WithParamInterface<TruncationCase> {};

TEST_P(TooLongForId3v1, AsksAndWritesTheChosenTag) {
    const TruncationCase& c = GetParam();
    m_settings.MP3TAGPOLICY = 2;
    const QString longTitle = "Thirty five characters long title!!";
    ASSERT_EQ(longTitle.size(), 35);
    const int songNum = AddTaggedSong("a.mp3", Details("Short", "Ann", "First"), c.taggedWith);
    const QString path = Stored(songNum).FullPath;
    Open(songNum);
    m_edit.SetBox(EditBox::Title, longTitle);
    m_dialogs.QueueAnswers(c.answers);
    EXPECT_EQ(m_edit.Save(), c.close);
    EXPECT_EQ(m_dialogs.PendingAnswers(), 0u);
    EXPECT_EQ(Stored(songNum).Title, c.close == EditClose::Ok ? longTitle : "Short");
    const QJsonObject read = MutagenRead(path);
    EXPECT_EQ(read["id3v1"].toObject()["TIT2"].toString(), c.v1Title);
    EXPECT_EQ(read["id3v2"].toObject()["frames"].toObject()["TIT2"].toString(), c.v2Title);
    EXPECT_FALSE(m_tags.useV2);
}

INSTANTIATE_TEST_SUITE_P(
    EditSong, TooLongForId3v1,
    ::testing::Values(
        // A cut ID3v1 text never stands alone: the ID3v2 tag keeps it in full.
        TruncationCase{"Truncate", 1, {"1"}, EditClose::Ok, "Thirty five characters long ti",
                       "Thirty five characters long title!!"},
        TruncationCase{"UseV2", 1, {"2"}, EditClose::Ok, "", "Thirty five characters long title!!"},
        TruncationCase{"Cancel", 1, {"0"}, EditClose::KeepOpen, "Short", ""},
        TruncationCase{
            "V2PresentSkipChecks", 3, {"Y"}, EditClose::Ok, "", "Thirty five characters long title!!"},
        TruncationCase{
            "V2PresentCheckAnyway", 3, {"N", "1"}, EditClose::Ok, "Thirty five characters long ti",
            "Thirty five characters long title!!"}),
    ByName());

TEST_F(EditSong, AlbumSharedByTwoAlbumsNeedsItsNumber) {
    const int songNum = AddTaggedSong("a.mp3", Details("Hello", "Ann", "Mine"), 3);
    const int oldAlbum = Stored(songNum).AlbumId;
    TAlbum first;
    ClearAlbum(first);
    first.AlbumName = "Greatest Hits";
    first.ArtistName = "Ann";
    m_library.albums.WriteAlbum(first);
    TAlbum second = first;
    second.AlbumId = -1;
    m_library.albums.WriteAlbum(second);
    m_catalogue.CommitAndContinue();
    const int before = Count("select count(*) as ct from album");
    const int oldNumExi = AlbumNumExi(oldAlbum);

    Open(songNum);
    m_edit.SetBox(EditBox::Album, "Greatest Hits");
    EXPECT_EQ(m_edit.Save(), EditClose::KeepOpen);
    EXPECT_EQ(m_dialogs.TextsOf("INFO").value(0),
              "More than one album found with name \"Greatest Hits\"\\nUse name=#nnnn to identify uniquely");
    EXPECT_EQ(Count("select count(*) as ct from album"), before) << "no third album";
    EXPECT_EQ(Stored(songNum).AlbumId, oldAlbum);

    m_edit.SetBox(EditBox::Album, "#" + QString::number(second.AlbumId));
    m_dialogs.QueueAnswer("Y");  // expand the reference
    EXPECT_EQ(m_edit.Save(), EditClose::Ok);
    EXPECT_EQ(Stored(songNum).AlbumId, second.AlbumId);
    EXPECT_EQ(m_edit.Box(EditBox::Album), "Greatest Hits");
    EXPECT_EQ(AlbumNumExi(oldAlbum), oldNumExi - 1);
    EXPECT_EQ(AlbumNumExi(second.AlbumId), 1);
    EXPECT_EQ(Id3v2Frames(Stored(songNum).FullPath)["TALB"].toString(), "Greatest Hits");
}

TEST_F(EditSong, AbandonedSaveLeavesTheAlbumCountsAlone) {
    const int songNum = AddTaggedSong("a.mp3", Details("Hello", "Ann", "Mine"), 3);
    const int oldAlbum = Stored(songNum).AlbumId;
    const int oldNumExi = AlbumNumExi(oldAlbum);
    Open(songNum);
    m_edit.SetBox(EditBox::Album, "Elsewhere");
    m_edit.SetTrackBox(300);
    m_dialogs.QueueAnswer("N");
    EXPECT_EQ(m_edit.Save(), EditClose::KeepOpen);
    EXPECT_TRUE(Asked().contains("Tracknum must be < 256 in v1 tags"));
    EXPECT_EQ(AlbumNumExi(oldAlbum), oldNumExi);
    EXPECT_EQ(Stored(songNum).AlbumId, oldAlbum);

    m_dialogs.QueueAnswer("Y");
    EXPECT_EQ(m_edit.Save(), EditClose::Ok);
    EXPECT_EQ(Stored(songNum).Track, 255);
    EXPECT_EQ(Stored(songNum).AlbumName, "Elsewhere");
    EXPECT_EQ(AlbumNumExi(oldAlbum), oldNumExi - 1);
}

TEST_F(EditSong, ResyncBothWaysAndCancel) {
    const int songNum = AddTaggedSong("a.mp3", Details("Tagged", "Ann", "First", 3), 3);
    m_catalogue.ExecSqlCommit(
        "update song set title = 'Catalogued', track = 9, genreid = 8 where songnum = " +
        QString::number(songNum));
    Open(songNum);
    m_edit.ResyncFromFile();
    EXPECT_EQ(m_edit.Box(EditBox::Title), "Tagged");
    EXPECT_EQ(m_edit.TrackBox(), 3);
    EXPECT_EQ(m_edit.PickedGenreName(), "Rock");
    m_dialogs.QueueAnswer("N");
    EXPECT_EQ(m_edit.Cancel(), EditClose::KeepOpen);
    EXPECT_EQ(m_dialogs.TextsOf("ASK").value(0), "Your changes will be discarded - are you sure ? -> No");
    EXPECT_EQ(m_edit.Save(), EditClose::Ok);
    EXPECT_EQ(Stored(songNum).Title, "Tagged");
    EXPECT_EQ(Stored(songNum).GenreId, 17);

    // "Resync >>" writes the catalogue's details into the file even with nothing typed.
    m_catalogue.ExecSqlCommit("update song set title = 'From catalogue' where songnum = " +
                              QString::number(songNum));
    Open(songNum);
    ASSERT_TRUE(m_edit.ResyncToFileEnabled());
    EXPECT_EQ(m_edit.ResyncToFile(), EditClose::Ok);
    EXPECT_EQ(Id3v2Frames(Stored(songNum).FullPath)["TIT2"].toString(), "From catalogue");

    Open(songNum);
    EXPECT_EQ(m_edit.Cancel(), EditClose::Cancel) << "nothing changed: no question";
}

TEST_F(EditSong, TagThatCannotBeWrittenStillSavesTheCatalogue) {
    m_settings.MP3TAGPOLICY = 3;
    const int songNum = AddTaggedSong("locked.mp3", Details("Hello", "Ann", "First"), 3);
    const QString path = Stored(songNum).FullPath;
    ASSERT_TRUE(MakeUnsaveable(path));
    Open(songNum);
    m_edit.SetBox(EditBox::Title, "Changed");
    EXPECT_EQ(m_edit.Save(), EditClose::Ok);
    EXPECT_EQ(Stored(songNum).Title, "Changed");
    const QString shown = m_dialogs.TextsOf("INFO").join("\n");
    EXPECT_TRUE(shown.startsWith(path + "\\n")) << shown.toStdString();
    // Only a file the player holds waits for a later save; this one says why it failed.
    EXPECT_TRUE(shown.contains("File cannot be tagged (")) << shown.toStdString();
    EXPECT_EQ(m_tags.ParkedSong().SongNum, 0);
}

TEST_F(EditSong, TypedNamesAndPastes) {
    const int songNum = AddTaggedSong("Some Folder/My Song.mp3", Details("Hello", "Ann", "First"), 3);
    Open(songNum);
    m_edit.TitleFromFileName();
    EXPECT_EQ(m_edit.Box(EditBox::Title), "My Song");
    m_library.clipboard.artist.ArtistName = "O'Brien";
    m_edit.PasteArtist();
    m_edit.SetBox(EditBox::Comment, "from 1:23 live  ");
    int picks = 0;
    m_edit.SetGenrePicker([&](int& id, QString& name) {
        ++picks;
        id = 8;
        name = "Jazz";
        return true;
    });
    m_edit.PickGenre();
    EXPECT_EQ(m_edit.Save(), EditClose::Ok);
    const TSong stored = Stored(songNum);
    EXPECT_EQ(stored.Title, "My Song");
    EXPECT_EQ(stored.ArtistName, "O'Brien");
    EXPECT_EQ(stored.Comment, "from 1:23 live");
    EXPECT_EQ(stored.StartFrom, 8300);
    EXPECT_EQ(stored.GenreId, 8);
    const QJsonObject frames = Id3v2Frames(stored.FullPath);
    EXPECT_EQ(frames["TPE1"].toString(), "O'Brien");
    EXPECT_EQ(frames["TCON"].toString(), "Jazz");
}

}  // namespace
}  // namespace sw::test

namespace sw::test {
namespace {

// The now-playing queue's "View song details" and "Edit song" reach the windows once connected,
// and an edit shows in the queue's row.
TEST_F(EditSong, QueuePopupOpensTheSongWindows) {
    const int songNum = AddTaggedSong("a.mp3", Details("Queued", "Ann", "First"), 3);
    QueueController queue(m_library, m_playlists);
    const int row = queue.AppendToQueue(songNum);
    ASSERT_TRUE(queue.OpenPopup(row));
    EXPECT_FALSE(queue.Popup()[PopupItem::ViewSongDetails].enabled);
    EXPECT_FALSE(queue.Popup()[PopupItem::EditSong].enabled);

    QList<int> viewed;
    QueueController::SongWindows windows;
    windows.viewSong = [&](int n) {
        viewed << n;
        return false;
    };
    windows.editSong = [&](TSong& song) {
        m_edit.Open(song);
        m_edit.SetBox(EditBox::Title, "Edited in the queue");
        return m_edit.Save() == EditClose::Ok;
    };
    queue.SetSongWindows(windows);
    ASSERT_TRUE(queue.OpenPopup(row));
    EXPECT_TRUE(queue.Popup()[PopupItem::ViewSongDetails].enabled);
    EXPECT_TRUE(queue.Popup()[PopupItem::EditSong].enabled);
    queue.PopupViewSong();
    EXPECT_EQ(viewed, QList<int>{songNum});
    queue.PopupEditSong();
    EXPECT_EQ(queue.SongAt(row)->Song().Title, "Edited in the queue");

    m_settings.READONLY = true;
    queue.PopupEditSong();
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 1) << "the read-only message";
}

}  // namespace
}  // namespace sw::test
