#include <gtest/gtest.h>

#include <QFile>

#include "DetailsFixture.h"
#include "core/Query.h"
#include "tags/HeldFiles.h"
#include "windows/details/SongDetailsController.h"

namespace sw::test {
namespace {

class RecordingDetailsDisplay : public SongDetailsDisplay {
public:
    void ShowDetailsWindow() override { ++shown; }
    void DetailsChanged() override { ++changes; }
    void SelectPage(DetailsPage page) override { pages << static_cast<int>(page); }
    void PointAtFileSize() override { ++pointed; }
    void CloseDetailsWindow() override { ++closed; }
    QString ChooseAudioFile(const QString& startFolder) override {
        startFolders << startFolder;
        return chosen;
    }

    int shown = 0;
    int changes = 0;
    QList<int> pages;
    int pointed = 0;
    int closed = 0;
    QStringList startFolders;
    QString chosen;
};

class SongDetails : public DetailsFixture {
protected:
    SongDetails() { m_details.SetDisplay(&m_display); }

    QList<DetailsField> HighlightedFields() const {
        QList<DetailsField> fields;
        for (int i = 0; i < kDetailsFieldCount; ++i) {
            if (m_details.Highlighted(static_cast<DetailsField>(i))) {
                fields << static_cast<DetailsField>(i);
            }
        }
        return fields;
    }

    SongDetailsController m_details{m_library, m_tags, m_playlists, m_ratings};
    RecordingDetailsDisplay m_display;
};

// What the file's tags say against the catalogue: only the fields that differ are marked, a
// difference of letter case included, and the status line says so once.
struct MismatchCase {
    std::string name;
    int policy;
    QString change;
    QList<DetailsField> marked;
};

class MismatchHighlighting : public SongDetails, public ::testing::WithParamInterface<MismatchCase> {};

TEST_P(MismatchHighlighting, MarksExactlyTheFieldsThatDiffer) {
    const MismatchCase& c = GetParam();
    const int songNum = AddTaggedSong("a.mp3", Details("Hello", "Ann", "First"), c.policy);
    if (!c.change.isEmpty()) {
        m_catalogue.ExecSqlCommit("update song set " + c.change +
                                  " where songnum = " + QString::number(songNum));
    }
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));
    EXPECT_EQ(HighlightedFields(), c.marked);
    const bool said =
        m_details.StatusText().contains("Database / music file mismatches are highlighted in yellow");
    EXPECT_EQ(said, !c.marked.isEmpty()) << m_details.StatusText().toStdString();
    EXPECT_EQ(m_details.StatusText().count("mismatches"), c.marked.isEmpty() ? 0 : 1);
    EXPECT_EQ(m_display.shown, 1);
}

INSTANTIATE_TEST_SUITE_P(
    SongDetails, MismatchHighlighting,
    ::testing::Values(
        MismatchCase{"SameDetailsInId3v2", 3, "", {}}, MismatchCase{"SameDetailsInId3v1", 1, "", {}},
        MismatchCase{"TitleDiffersOnlyInCase", 3, "title = 'HELLO'", {DetailsField::Title}},
        MismatchCase{"TitleDiffersInTrailingSpace", 1, "title = 'Hello '", {DetailsField::Title}},
        MismatchCase{
            "TrackAndYear", 3, "track = 4, \"year\" = '2001'", {DetailsField::Track, DetailsField::Year}},
        MismatchCase{"GenreNumberInId3v1", 1, "genreid = 8", {DetailsField::Genre}},
        MismatchCase{"GenreNameInId3v2", 3, "genreid = 8", {DetailsField::Genre}},
        MismatchCase{"CommentInBothTags", 4, "\"comment\" = 'other'", {DetailsField::Comment}}),
    ByName());

// The MP4 tag of an M4A file and the ASF tag of a WMA file have a page of their own, marked against
// the catalogue as the other tags are, and never written: the file is left as it was.
struct ContainerCase {
    std::string name;
    QString fixture;
    QString change;
    QList<DetailsField> marked;
};

void PrintTo(const ContainerCase& c, std::ostream* os) {
    *os << c.name;
}

class ContainerTagPage : public SongDetails, public ::testing::WithParamInterface<ContainerCase> {};

TEST_P(ContainerTagPage, ShowsTheTagReadOnlyAndMarksWhatDiffers) {
    const ContainerCase& c = GetParam();
    TSong details = Details("Fixture Title", "Fixture Artist", "Fixture Album", 3);
    details.Comment = "Fixture comment";
    const QString type = c.fixture.section('.', 1).toUpper();
    const int songNum = AddTaggedSong("song." + type.toLower(), details, 0, c.fixture);
    if (!c.change.isEmpty()) {
        m_catalogue.ExecSqlCommit("update song set " + c.change +
                                  " where songnum = " + QString::number(songNum));
    }
    const QString path = Stored(songNum).FullPath;
    const QByteArray before = ReadBytes(path);

    ASSERT_TRUE(m_details.ShowSongDetails(songNum));
    const TagPageView& page = m_details.TagPage(TagKind::Container);
    ASSERT_TRUE(page.found) << m_details.StatusText().toStdString();
    EXPECT_EQ(m_details.PageCaption(DetailsPage::Container), "M4A/WMA tag");
    EXPECT_EQ(page.note, type + " tag (read only)");
    EXPECT_FALSE(page.removeVisible);
    const std::vector<std::pair<QString, QString>> lines{{"Title", "Fixture Title"},
                                                         {"Artist", "Fixture Artist"},
                                                         {"Album", "Fixture Album"},
                                                         {"Track", "3"},
                                                         {"Year", "1999"},
                                                         {"Genre", "Rock"},
                                                         {"Comment", "Fixture comment"}};
    EXPECT_EQ(page.lines, lines);
    EXPECT_EQ(m_details.TagSong(TagKind::Container).TagSource, kTagMp4OrAsf);
    EXPECT_EQ(HighlightedFields(), c.marked);
    EXPECT_EQ(m_details.StatusText().contains("Database / music file mismatches are highlighted in yellow"),
              !c.marked.isEmpty())
        << m_details.StatusText().toStdString();
    EXPECT_FALSE(m_details.StatusText().contains("No tag on file"));

    // The page has nothing to remove or write with.
    m_dialogs.QueueAnswer("Y");
    m_details.RemoveTag(TagKind::Container);
    m_details.WriteTag(TagKind::Container);
    m_details.Refresh();
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty()) << Asked().toStdString();
    EXPECT_EQ(ReadBytes(path), before);
}

INSTANTIATE_TEST_SUITE_P(
    SongDetails, ContainerTagPage,
    ::testing::Values(
        ContainerCase{"M4aSameDetails", "tagged.m4a", "", {}},
        ContainerCase{"WmaSameDetails", "tagged.wma", "", {}},
        ContainerCase{"M4aTagWithCover", "cover.m4a", "", {}},
        ContainerCase{
            "M4aTitleDiffersOnlyInCase", "tagged.m4a", "title = 'FIXTURE TITLE'", {DetailsField::Title}},
        ContainerCase{"WmaTrackAndYear",
                      "tagged.wma",
                      "track = 4, \"year\" = '2001'",
                      {DetailsField::Track, DetailsField::Year}},
        ContainerCase{"M4aGenre", "tagged.m4a", "genreid = 8", {DetailsField::Genre}},
        ContainerCase{"WmaCommentAndArtist",
                      "tagged.wma",
                      "\"comment\" = 'other', artistid = (select max(artistid) from artist) + 1",
                      {DetailsField::Artist, DetailsField::Comment}}),
    ByName());

TEST_F(SongDetails, ContainerPageWithoutATag) {
    for (const auto& [name, fixture] :
         {std::pair{"plain.m4a", "plain.m4a"}, std::pair{"plain.wma", "plain.wma"},
          std::pair{"a.mp3", "plain.mp3"}}) {
        const int songNum = AddTaggedSong(name, Details("Plain", "Ann", "First"), 0, fixture);
        ASSERT_TRUE(m_details.ShowSongDetails(songNum)) << name;
        EXPECT_FALSE(m_details.TagPage(TagKind::Container).found) << name;
        EXPECT_EQ(m_details.PageCaption(DetailsPage::Container), "( M4A/WMA tag )") << name;
        EXPECT_TRUE(m_details.TagPage(TagKind::Container).note.isEmpty()) << name;
        EXPECT_TRUE(m_details.StatusText().contains("No tag on file")) << name;
        EXPECT_TRUE(HighlightedFields().isEmpty()) << name;
    }
    // Only M4A and WMA files are looked at for such a tag: an M4A file's bytes under another name
    // are not read as one.
    const int renamed = AddTaggedSong("tagged.mp3", Details("Plain", "Ann", "First"), 0, "tagged.m4a");
    ASSERT_TRUE(m_details.ShowSongDetails(renamed));
    EXPECT_FALSE(m_details.TagPage(TagKind::Container).found);
    EXPECT_EQ(m_details.TagSong(TagKind::Container).TagSource, kTagNotRead);
}

TEST_F(SongDetails, PagesShowEachTagWithItsOwnReader) {
    TSong details = Details("A title longer than thirty characters", "Ann", "First");
    const int songNum = AddTaggedSong("both.mp3", details, 4);
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));

    EXPECT_EQ(m_details.Text().windowCaption, "Song #" + QString::number(songNum) + " details");
    EXPECT_EQ(m_details.Text().fileFound, " File found OK ");
    EXPECT_TRUE(m_details.Text().deleteEnabled);
    EXPECT_FALSE(m_details.Text().remindVisible);
    EXPECT_EQ(m_details.Text().genre, "Genre #17 Rock");
    const TagPageView& v1 = m_details.TagPage(TagKind::Id3v1);
    const TagPageView& v2 = m_details.TagPage(TagKind::Id3v2);
    EXPECT_TRUE(v1.found);
    EXPECT_EQ(v1.writeCaption, "Update tag");
    EXPECT_EQ(m_details.TagSong(TagKind::Id3v1).Title, "A title longer than thirty cha");
    EXPECT_EQ(m_details.TagSong(TagKind::Id3v2).Title, details.Title);
    EXPECT_TRUE(v2.found);
    EXPECT_EQ(v2.writeCaption, "Update tag");
    EXPECT_FALSE(m_details.TagPage(TagKind::Ogg).found);
    EXPECT_EQ(m_details.PageCaption(DetailsPage::Ogg), "( OGG comment )");
    EXPECT_EQ(m_details.PageCaption(DetailsPage::Id3v2), "MP3 tag vn 2");
    // The cut ID3v1 title differs from the catalogue's.
    EXPECT_EQ(HighlightedFields(), QList<DetailsField>{DetailsField::Title});
}

TEST_F(SongDetails, FileWithoutTagsAndMissingFile) {
    const int untagged = AddTaggedSong("plain.mp3", Details("Plain", "Ann", "First"), 0);
    ASSERT_TRUE(m_details.ShowSongDetails(untagged));
    EXPECT_TRUE(m_details.StatusText().contains("No tag on file"));
    EXPECT_EQ(m_details.TagPage(TagKind::Id3v2).writeCaption, "Insert tag");
    EXPECT_FALSE(m_details.TagPage(TagKind::Id3v2).removeVisible);

    const int missing = AddTaggedSong("gone.mp3", Details("Gone", "Ann", "First"), 3);
    QFile::remove(m_music.filePath("gone.mp3"));
    ASSERT_TRUE(m_details.ShowSongDetails(missing));
    EXPECT_EQ(m_details.Text().fileFound, " File not found ");
    EXPECT_FALSE(m_details.Text().deleteEnabled);
    EXPECT_TRUE(m_details.Text().remindVisible);
    for (const TagKind kind : {TagKind::Id3v1, TagKind::Id3v2, TagKind::Ogg, TagKind::Container}) {
        EXPECT_FALSE(m_details.TagPage(kind).found);
        EXPECT_EQ(m_details.TagPage(kind).notFoundText, "Tag not found");
        EXPECT_EQ(m_details.TagSong(kind).TagSource, kTagNotRead) << "no tag reading is attempted";
    }
    EXPECT_FALSE(m_details.StatusText().contains("No tag on file"));

    EXPECT_FALSE(m_details.ShowSongDetails(9999));
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").contains("Song #9999 not found"));
}

TEST_F(SongDetails, ReminderLowersTheJukeboxSizeOnceAndHides) {
    const int songNum = AddTaggedSong("gone.mp3", Details("Gone", "Ann", "First"), 3);
    const int size = Stored(songNum).Size;
    ASSERT_GT(size, 0);
    QFile::remove(m_music.filePath("gone.mp3"));
    m_library.size.SetJukeboxSizeExact(10'000'000);
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));
    ASSERT_TRUE(m_details.Text().remindVisible);

    m_details.RemindCatalogue();
    EXPECT_FALSE(Stored(songNum).Exi);
    EXPECT_FALSE(m_details.Text().remindVisible);
    EXPECT_EQ(m_library.size.Total(), 10'000'000 - size);
    // A second click (the window drawn before) changes nothing more.
    m_details.RemindCatalogue();
    EXPECT_EQ(m_library.size.Total(), 10'000'000 - size);

    m_settings.READONLY = true;
    WriteBytes(m_music.filePath("gone.mp3"), Fixture("plain.mp3"));
    m_details.Refresh();
    ASSERT_TRUE(m_details.Text().remindVisible);
    m_details.RemindCatalogue();
    EXPECT_FALSE(Stored(songNum).Exi) << "refused on a read-only catalogue";
}

TEST_F(SongDetails, RelinkToAFileAnotherSongUses) {
    const int song = AddTaggedSong("a.mp3", Details("A", "Ann", "First"), 3);
    const int other = AddTaggedSong("b.mp3", Details("B", "Ann", "First", 2), 3);
    ASSERT_TRUE(m_details.ShowSongDetails(song));
    m_display.chosen = m_music.filePath("b.mp3");

    m_dialogs.QueueAnswer("2");  // "No, view other"
    m_details.RelinkSongFile();
    EXPECT_TRUE(Asked().contains(
        "This file is already on the database,\\nare you sure you want to use it for this song as well?"));
    EXPECT_EQ(Stored(song).FileName, "a.mp3");
    EXPECT_EQ(m_details.Song().SongNum, other);
    EXPECT_EQ(m_display.startFolders.value(0), m_settings.Root);

    ASSERT_TRUE(m_details.ShowSongDetails(song));
    m_dialogs.QueueAnswer("0");  // closed
    m_details.RelinkSongFile();
    EXPECT_EQ(Stored(song).FileName, "a.mp3");
    EXPECT_EQ(m_details.Song().SongNum, song);

    m_dialogs.QueueAnswer("1");  // "Yes, use"
    m_details.RelinkSongFile();
    EXPECT_EQ(Stored(song).FileName, "b.mp3");
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").contains("This Song updated ok, now showing other Song"));
    EXPECT_EQ(m_details.Song().SongNum, other);
}

TEST_F(SongDetails, RelinkKeepsWhatWasChangedElsewhere) {
    const int song = AddTaggedSong("a.mp3", Details("A", "Ann", "First"), 3);
    MakeFile("moved/a2.mp3");
    ASSERT_TRUE(m_details.ShowSongDetails(song));
    m_catalogue.ExecSqlCommit("update song set title = 'Renamed' where songnum = " + QString::number(song));

    m_display.chosen = m_music.filePath("moved/a2.mp3");
    m_details.RelinkSongFile();
    const TSong stored = Stored(song);
    EXPECT_EQ(stored.FileName, "moved/a2.mp3");
    EXPECT_EQ(stored.Title, "Renamed");
    EXPECT_TRUE(stored.Exi);
    EXPECT_EQ(m_details.Song().Title, "Renamed");
    EXPECT_EQ(m_display.startFolders.value(0), m_settings.Root);
    m_details.RelinkSongFile();
    EXPECT_EQ(m_display.startFolders.value(1), m_music.filePath("moved"));
}

TEST_F(SongDetails, RatingStepsRefuseStaleDetails) {
    const int songNum = AddTaggedSong("a.mp3", Details("A", "Ann", "First"), 3);
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));
    m_details.StepRating(+1);
    EXPECT_EQ(Stored(songNum).Rating, 1);
    EXPECT_EQ(m_details.Text().rating, "+1");

    // Edited elsewhere meanwhile: the step is refused and nothing is stored.
    m_catalogue.ExecSqlCommit(
        "update song set title = 'Other', editts = '2001-01-01 10:00:00' where songnum = " +
        QString::number(songNum));
    m_details.StepRating(+1);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").contains(
        "Details have changed since they were displayed, please Refresh & try again"));
    EXPECT_EQ(Stored(songNum).Rating, 1);

    m_details.Refresh();
    m_details.StepRating(-1);
    m_details.StepRating(-1);
    m_details.StepRating(-1);
    m_details.StepRating(-1);
    EXPECT_EQ(Stored(songNum).Rating, -2) << "steps stop at the end of the scale";
}

TEST_F(SongDetails, AlbumIdWithoutAnAlbumIsRecreatedUnderThatId) {
    const int songNum = AddTaggedSong("a.mp3", Details("A", "Ann", "Lost Album"), 3);
    const int albumId = Stored(songNum).AlbumId;
    const int other = AddTaggedSong("b.mp3", Details("B", "Ann", "Lost Album", 2), 0);
    ASSERT_EQ(Stored(other).AlbumId, albumId);
    m_catalogue.ExecSqlCommit("delete from album where albumid = " + QString::number(albumId));

    m_dialogs.QueueAnswer("N");
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").value(0).startsWith("Album #" + QString::number(albumId) +
                                                             " not found, OK to create?"));
    EXPECT_EQ(Count("select count(*) as ct from album where albumid = " + QString::number(albumId)), 0);

    m_dialogs.QueueAnswer("Y");
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));
    // Named after the file's tag; both songs point at it again without being changed.
    EXPECT_EQ(m_details.Song().AlbumName, "Lost Album");
    EXPECT_EQ(Stored(other).AlbumName, "Lost Album");
    EXPECT_EQ(Stored(songNum).AlbumId, albumId);

    // Without a tag to name it, the album takes its number as its name.
    const int third = AddTaggedSong("c.mp3", Details("C", "Ann", "Third"), 0);
    const int thirdAlbum = Stored(third).AlbumId;
    m_catalogue.ExecSqlCommit("delete from album where albumid = " + QString::number(thirdAlbum));
    m_dialogs.QueueAnswer("Y");
    ASSERT_TRUE(m_details.ShowSongDetails(third));
    EXPECT_EQ(m_details.Song().AlbumName, "Album #" + QString::number(thirdAlbum));
}

TEST_F(SongDetails, PlaylistsAndPlayHistoryPages) {
    const int songNum = AddTaggedSong("a.mp3", Details("A", "Ann", "First"), 3);
    m_playlists.InsertPlaylistRow(5, "Party");
    m_playlists.InsertPlaylistEntry(Stored(songNum), 5, 3);
    m_catalogue.ExecSqlCommit("insert into history (songnum, ts, pldate, pltime) values (" +
                              QString::number(songNum) + ", '2024-01-02 09:30:00', 20240102, 93000)");
    m_catalogue.ExecSqlCommit(
        "insert into history (songnum, ts, pldate, pltime) values (999, '2023-01-05 08:00:00', 20230105, "
        "80000)");
    QList<std::pair<int, int>> viewed;
    QList<int> days;
    m_details.Hooks().viewPlaylist = [&](int id, int seq) { viewed << std::pair{id, seq}; };
    m_details.Hooks().listDay = [&](int day) { days << day; };

    ASSERT_TRUE(m_details.ShowSongPlaylists(songNum));
    EXPECT_EQ(m_display.pages.last(), static_cast<int>(DetailsPage::Playlists));
    ASSERT_EQ(m_details.PlaylistRows().RowCount(), 1);
    m_details.ViewPlaylist(0);
    EXPECT_EQ(viewed, (QList<std::pair<int, int>>{{5, 3}}));

    m_details.PageShown(DetailsPage::WhenPlayed);
    ASSERT_EQ(m_details.HistoryRows().RowCount(), 1);
    EXPECT_EQ(m_details.StatusText(), "No play history before 2023-01-05");
    m_details.ListSongsPlayed(0);
    EXPECT_EQ(days, QList<int>{20240102});
    m_details.PageShown(DetailsPage::Catalogue);
    EXPECT_EQ(m_details.StatusText(), "");

    m_dialogs.QueueAnswer("Y");
    m_details.DropFromPlaylist(0);
    EXPECT_EQ(m_details.PlaylistRows().RowCount(), 0);
    EXPECT_EQ(Count("select count(*) as ct from songinpl where plid = 5"), 0);
}

TEST_F(SongDetails, TagCommandsReadBackWithMutagen) {
    m_settings.MP3TAGPOLICY = 2;
    const int songNum = AddTaggedSong("a.mp3", Details("Written", "Ann", "First"), 1);
    const QString path = Stored(songNum).FullPath;
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));
    ASSERT_FALSE(m_details.TagPage(TagKind::Id3v2).found);

    m_details.WriteTag(TagKind::Id3v2);
    EXPECT_EQ(Id3v2Frames(path)["TIT2"].toString(), "Written");
    EXPECT_TRUE(m_details.TagPage(TagKind::Id3v2).found);
    EXPECT_FALSE(m_tags.useV2);

    {
        HeldFile held(path);
        m_dialogs.QueueAnswer("Y");
        m_details.RemoveTag(TagKind::Id3v2);
        EXPECT_TRUE(m_dialogs.TextsOf("INFO").contains("Cannot remove tag - file in use"));
        EXPECT_FALSE(Id3v2Frames(path).isEmpty());
    }
    m_dialogs.QueueAnswer("N");
    m_details.RemoveTag(TagKind::Id3v2);
    EXPECT_FALSE(Id3v2Frames(path).isEmpty());
    m_dialogs.QueueAnswer("Y");
    m_details.RemoveTag(TagKind::Id3v2);
    EXPECT_TRUE(Id3v2Frames(path).isEmpty());
    EXPECT_FALSE(m_details.TagPage(TagKind::Id3v2).found);

    m_dialogs.QueueAnswer("Y");
    m_details.RemoveTag(TagKind::Id3v1);
    EXPECT_TRUE(Id3v1Fields(path).isEmpty());
    m_dialogs.QueueAnswer("Y");
    m_details.RemoveTag(TagKind::Id3v1);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").contains("Unable to remove ID3v1 tag from file"));
    m_details.WriteTag(TagKind::Id3v1);
    EXPECT_EQ(Id3v1Fields(path)["TIT2"].toString(), "Written");
}

// On a read-only catalogue every command of the window that would write refuses with the
// read-only message, and the offers made on opening are refused once answered: no row, album or
// file changes.
TEST_F(SongDetails, AReadOnlyCatalogueRefusesEveryChange) {
    const QString readOnly =
        "INFO: Cannot make changes, database is read-only\\n( see menu option \"Database\")";
    const int songNum = AddTaggedSong("a.mp3", Details("A", "Ann", "First"), 3);
    const int lost = AddTaggedSong("b.mp3", Details("B", "Ann", "Lost"), 3);
    const int lostAlbum = Stored(lost).AlbumId;
    m_catalogue.ExecSqlCommit("delete from album where albumid = " + QString::number(lostAlbum));
    m_catalogue.ExecSqlCommit("insert into songinpl (plid, seq, songnum) values (5, 1, " +
                              QString::number(songNum) + ")");
    m_catalogue.ExecSqlCommit("update song set editts = '2001-01-01 10:00:00'");
    const QString path = Stored(songNum).FullPath;
    const QByteArray bytes = ReadBytes(path);
    const QByteArray lostBytes = ReadBytes(Stored(lost).FullPath);
    int edits = 0;
    m_details.Hooks().editSong = [&edits](TSong&) { return ++edits, true; };
    m_details.Hooks().selectPlaylist = [] { return true; };
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));
    m_details.PageShown(DetailsPage::Playlists);
    m_display.chosen = m_music.filePath("b.mp3");
    m_settings.READONLY = true;
    m_settings.SQUEEZERATING = true;

    struct Case {
        const char* name;
        std::function<void()> command;
        /// The question asked before the refusal, answered Yes; empty for none.
        QString question;
    };
    TSong renamedElsewhere = Stored(songNum);
    renamedElsewhere.AlbumName = "Old name";
    const std::vector<Case> cases{
        {"Edit", [&] { m_details.Edit(); }, ""},
        {"rating +", [&] { m_details.StepRating(+1); }, ""},
        {"rating -", [&] { m_details.StepRating(-1); }, ""},
        {"reminder", [&] { m_details.RemindCatalogue(); }, ""},
        {"link to another file", [&] { m_details.RelinkSongFile(); }, ""},
        {"remove ID3v1", [&] { m_details.RemoveTag(TagKind::Id3v1); }, ""},
        {"remove ID3v2", [&] { m_details.RemoveTag(TagKind::Id3v2); }, ""},
        {"write ID3v1", [&] { m_details.WriteTag(TagKind::Id3v1); }, ""},
        {"write ID3v2", [&] { m_details.WriteTag(TagKind::Id3v2); }, ""},
        {"delete file", [&] { m_details.Remove(RemoveAction::DeleteFile); }, ""},
        {"remove song", [&] { m_details.Remove(RemoveAction::RemoveSong); }, ""},
        {"delete and remove", [&] { m_details.Remove(RemoveAction::DeleteAndRemove); }, ""},
        {"drop from playlist", [&] { m_details.DropFromPlaylist(0); }, ""},
        {"add to another playlist", [&] { m_details.AddToAnotherPlaylist(); }, ""},
        {"album created on opening", [&] { m_details.ShowSongDetails(lost); },
         "Album #" + QString::number(lostAlbum) + " not found, OK to create?"},
        {"album name put right on opening", [&] { m_details.OpenSongDetails(renamedElsewhere); },
         "Album name \"Old name\" should be \"First\" - OK to update Song?"},
    };
    for (const Case& each : cases) {
        m_dialogs.ClearTranscript();
        QStringList expected{readOnly};
        if (!each.question.isEmpty()) {
            m_dialogs.QueueAnswer("Y");
            expected.prepend("ASK: " + each.question + " -> Yes");
        }
        each.command();
        EXPECT_EQ(m_dialogs.Transcript(), expected) << each.name;
    }
    m_catalogue.Rollback();
    EXPECT_EQ(edits, 0);
    EXPECT_EQ(Count("select count(*) as ct from song where editts = '2001-01-01 10:00:00' and rating = 0"),
              2);
    EXPECT_EQ(Count("select count(*) as ct from album where albumid = " + QString::number(lostAlbum)), 0);
    EXPECT_EQ(Count("select count(*) as ct from songinpl"), 1);
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_EQ(ReadBytes(Stored(lost).FullPath), lostBytes);
}

TEST_F(SongDetails, DuplicatesCopyAndRemoval) {
    const int songNum = AddTaggedSong("a.mp3", Details("A", "Ann", "First"), 3);
    QStringList listed;
    m_details.Hooks().listFileName = [&](const QString& name) { listed << name; };
    ASSERT_TRUE(m_details.ShowSongDetails(songNum));
    m_details.Duplicates();
    EXPECT_EQ(m_display.pointed, 1);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").contains("No duplicates found (ie songs with same filename)"));
    TSong twin = Stored(songNum);
    twin.SongNum = 0;
    twin.Title = "Twin";
    m_library.songs.SaveSong(twin);
    m_catalogue.CommitAndContinue();
    m_details.Duplicates();
    EXPECT_EQ(listed, QStringList{"a.mp3"});

    m_details.Copy();
    EXPECT_EQ(m_library.clipboard.album.AlbumName, "First");
    EXPECT_EQ(m_library.clipboard.artist.ArtistName, "Ann");

    m_dialogs.QueueAnswer("Y");
    m_details.Remove(RemoveAction::DeleteFile);
    EXPECT_FALSE(QFile::exists(m_music.filePath("a.mp3")));
    EXPECT_EQ(m_details.Text().fileFound, " File not found ");
    EXPECT_EQ(m_display.closed, 0);
    m_dialogs.QueueAnswer("Y");
    m_details.Remove(RemoveAction::RemoveSong);
    EXPECT_EQ(m_display.closed, 1);
    EXPECT_EQ(Count("select count(*) as ct from song where songnum = " + QString::number(songNum)), 0);
}

}  // namespace
}  // namespace sw::test
