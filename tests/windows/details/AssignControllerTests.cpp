#include <gtest/gtest.h>

#include <QFile>

#include "DetailsFixture.h"
#include "foundation/Dates.h"
#include "support/Unsaveable.h"
#include "tags/HeldFiles.h"
#include "windows/details/AssignController.h"

namespace sw::test {
namespace {

/// Fills the dialog as a user would and presses "Assign" until the dialog closes.
class ScriptedAssignDisplay : public AssignDisplay {
public:
    bool RunAssignDialog() override {
        ++dialogs;
        for (int press = 0; press < 3; ++press) {
            if (fill) {
                fill(*controller, press);
            }
            const EditClose close = controller->AssignPressed();
            if (close != EditClose::KeepOpen) {
                return close == EditClose::Ok;
            }
            ++keptOpen;
        }
        return false;
    }
    void AssignProgress(int done, int total) override {
        progress << done;
        totals << total;
        if (onProgress) {
            onProgress(done);
        }
        if (done == cancelAt) {
            controller->RequestCancel();
        }
    }

    AssignController* controller = nullptr;
    std::function<void(AssignController&, int press)> fill;
    int dialogs = 0;
    int keptOpen = 0;
    int cancelAt = -1;
    std::function<void(int done)> onProgress;
    QList<int> progress;
    QList<int> totals;
};

class AssignDetails : public DetailsFixture {
protected:
    AssignDetails() {
        m_display.controller = &m_assign;
        m_assign.SetDisplay(&m_display);
        m_settings.MP3TAGPOLICY = 2;
    }

    /// Songs with tagged files, titled as given, on album "Old".
    std::vector<int> AddSongs(const QStringList& titles) {
        std::vector<int> songs;
        for (const QString& title : titles) {
            songs.push_back(
                AddTaggedSong(QString("song%1.mp3").arg(songs.size()), Details(title, "Ann", "Old"), 1));
        }
        return songs;
    }
    void TickAlbum(const QString& name) {
        m_display.fill = [name](AssignController& c, int) {
            c.SetAllTicked(false);
            c.SetTicked(AssignField::Album, true);
            c.SetBox(AssignField::Album, name);
        };
    }

    AssignController m_assign{m_library, m_tags};
    ScriptedAssignDisplay m_display;
};

// The track number comes from the start or the end of each title, decided once per run.
struct TrackCase {
    std::string name;
    QStringList titles;
    QStringList answers;
    /// The songs start with track 1; a title without a number where the run takes it from keeps
    /// it.
    QList<int> tracks;
    int choicesAsked;
    /// Whether each song was saved; one that was not keeps its row and its file as they were.
    QList<bool> saved;
};

class AssignTracks : public AssignDetails, public ::testing::WithParamInterface<TrackCase> {};

TEST_P(AssignTracks, TakesTheNumberFromTheTitle) {
    const TrackCase& c = GetParam();
    const std::vector<int> songs = AddSongs(c.titles);
    std::vector<QByteArray> before;
    for (const int song : songs) {
        before.push_back(ReadBytes(Stored(song).FullPath));
    }
    const QString kEdited = "2001-01-01 10:00:00";
    m_catalogue.ExecSqlCommit("update song set editts = '" + kEdited + "'");
    m_display.fill = [](AssignController& a, int) {
        a.SetAllTicked(false);
        a.SetTicked(AssignField::Track, true);
    };
    QStringList answers = c.answers;
    answers.prepend("Y");  // "Assign details to ... songs listed"
    m_dialogs.QueueAnswers(answers);
    EXPECT_TRUE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    EXPECT_EQ(m_dialogs.PendingAnswers(), 0u);
    m_catalogue.Rollback();
    QList<int> tracks;
    QList<bool> saved;
    for (std::size_t i = 0; i < songs.size(); ++i) {
        const TSong stored = Stored(songs[i]);
        tracks << stored.Track;
        saved << (FormatDateTime(1, stored.EditTs) != kEdited);
        if (!saved.last()) {
            EXPECT_EQ(ReadBytes(stored.FullPath), before[i]) << i;
        }
        EXPECT_EQ(Id3v1Fields(stored.FullPath)["TRCK"].toString().toInt(), c.tracks[int(i)]) << i;
    }
    EXPECT_EQ(tracks, c.tracks);
    EXPECT_EQ(saved, c.saved);
    EXPECT_EQ(m_dialogs.TextsOf("CHOICE").size(), c.choicesAsked);
}

INSTANTIATE_TEST_SUITE_P(
    AssignDetails, AssignTracks,
    ::testing::Values(
        TrackCase{"LeadingNumbersAskOnce",
                  {"01 Intro", "02 Song", "03 End"},
                  {"1"},
                  {1, 2, 3},
                  1,
                  {true, true, true}},
        TrackCase{
            "EndChosenWhereTheTitlesHaveNone", {"01 Intro", "02 Song"}, {"2"}, {1, 1}, 1, {false, false}},
        TrackCase{"TrailingNumberWithoutQuestion", {"Song 07", "Song 12"}, {}, {7, 12}, 0, {true, true}},
        TrackCase{"TitlesWithoutANumberKeepTheirTrack",
                  {"Intro", "Song 07", "Outro", "Song 08"},
                  {},
                  {1, 7, 1, 8},
                  0,
                  {false, true, false, true}},
        TrackCase{"ANumberAtTheOtherEndOnly", {"02 Song", "Song 05"}, {"1"}, {2, 1}, 1, {true, false}},
        TrackCase{"ThreeDigitsRefused", {"Take 120", "Take 7"}, {"N"}, {20, 7}, 0, {true, true}},
        TrackCase{"ThreeDigitsAllowed", {"Take 120", "Take 130"}, {"Y"}, {120, 130}, 0, {true, true}},
        TrackCase{"AboveWhatATagHoldsIsCut", {"Take 300", "Take 150"}, {}, {0, 50}, 0, {true, true}}),
    ByName());

// A 35-character album under "v1 where no truncation, else v2", read back by mutagen.
struct LongAlbumCase {
    std::string name;
    QString answer;
    int keptOpen;
    QString v1Album;
    QString v2Album;
};

class AssignLongAlbum : public AssignDetails, public ::testing::WithParamInterface<LongAlbumCase> {};

TEST_P(AssignLongAlbum, AsksTruncateOrV2ForTheRun) {
    const LongAlbumCase& c = GetParam();
    const QString longName = "An album name of thirty five chars.";
    ASSERT_EQ(longName.size(), 35);
    const std::vector<int> songs = AddSongs({"One", "Two"});
    m_display.fill = [&](AssignController& a, int press) {
        a.SetAllTicked(false);
        a.SetTicked(AssignField::Album, true);
        a.SetBox(AssignField::Album, press == 0 ? longName : QString("Short name"));
    };
    m_dialogs.QueueAnswers({c.answer, "Y"});
    EXPECT_TRUE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    EXPECT_EQ(m_display.keptOpen, c.keptOpen);
    EXPECT_EQ(m_settings.MP3TAGPOLICY, 2) << "the user's policy is back after the run";
    EXPECT_EQ(m_dialogs.TextsOf("INFO").filter(" created").size(), 1);
    for (const int song : songs) {
        const QJsonObject read = MutagenRead(Stored(song).FullPath);
        EXPECT_EQ(read["id3v1"].toObject()["TALB"].toString(), c.v1Album);
        EXPECT_EQ(read["id3v2"].toObject()["frames"].toObject()["TALB"].toString(), c.v2Album);
        EXPECT_EQ(Stored(song).AlbumName, c.keptOpen == 0 ? longName : QString("Short name"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    AssignDetails, AssignLongAlbum,
    ::testing::Values(LongAlbumCase{"UseV2", "2", 0, "", "An album name of thirty five chars."},
                      LongAlbumCase{"Truncate", "1", 0, "An album name of thirty five c",
                                    "An album name of thirty five chars."},
                      LongAlbumCase{"CancelKeepsTheDialogOpen", "0", 1, "Short name", ""}),
    ByName());

TEST_F(AssignDetails, ExistingAlbumNames) {
    const std::vector<int> songs = AddSongs({"One", "Two"});
    const int oldAlbum = Stored(songs[0]).AlbumId;
    TickAlbum("Old");

    // One album of that name: use it.
    m_dialogs.QueueAnswers({"Y", "1"});
    AssignOutcome outcome = m_assign.AssignDetailsToSongs(songs, "MP3");
    EXPECT_TRUE(outcome.accepted);
    EXPECT_TRUE(outcome.albumTicked);
    EXPECT_EQ(outcome.albumId, oldAlbum);
    EXPECT_TRUE(m_dialogs.TextsOf("CHOICE").value(0).startsWith("Use album #" + QString::number(oldAlbum) +
                                                                " \"Old\" by Ann or create new?"));

    // "Create new": a second album of the same name, and its number shown.
    m_dialogs.QueueAnswers({"Y", "2"});
    outcome = m_assign.AssignDetailsToSongs(songs, "MP3");
    ASSERT_TRUE(outcome.accepted);
    EXPECT_NE(outcome.albumId, oldAlbum);
    EXPECT_TRUE(
        m_dialogs.TextsOf("INFO").contains("Album #" + QString::number(outcome.albumId) + " created"));
    EXPECT_EQ(Stored(songs[1]).AlbumId, outcome.albumId);
    const int secondAlbum = outcome.albumId;

    // Now two albums share the name: neither is picked for the user.
    const int albums = Count("select count(*) as ct from album");
    m_dialogs.QueueAnswer("Y");
    outcome = m_assign.AssignDetailsToSongs(songs, "MP3");
    EXPECT_FALSE(outcome.accepted);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").contains(
        "More than one album found with name \"Old\"\\nUse name=#nnnn to identify uniquely"));
    EXPECT_EQ(Count("select count(*) as ct from album"), albums);
    EXPECT_EQ(Stored(songs[0]).AlbumId, secondAlbum);

    // Typed by number it is found, after the reference is expanded.
    TickAlbum("#" + QString::number(oldAlbum));
    m_dialogs.QueueAnswers({"Y", "Y"});
    outcome = m_assign.AssignDetailsToSongs(songs, "MP3");
    ASSERT_TRUE(outcome.accepted);
    EXPECT_EQ(Stored(songs[0]).AlbumId, oldAlbum);
    EXPECT_EQ(Stored(songs[1]).AlbumId, oldAlbum);
}

TEST_F(AssignDetails, FailingFilesAreReportedAndTheOthersAssigned) {
    m_settings.MP3TAGPOLICY = 3;
    const std::vector<int> songs = AddSongs({"Fine", "Unwritable", "Vanished", "Playing", "Also fine"});
    const QString unwritable = Stored(songs[1]).FullPath;
    const QString vanished = Stored(songs[2]).FullPath;
    const QString playing = Stored(songs[3]).FullPath;
    ASSERT_TRUE(MakeUnsaveable(unwritable));
    QFile::remove(vanished);
    TickAlbum("New");
    m_dialogs.QueueAnswer("Y");
    {
        HeldFile held(playing);
        EXPECT_TRUE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    }
    EXPECT_EQ(m_assign.LastRun().saved, 5);
    EXPECT_EQ(m_assign.LastRun().tagFailures, 3);
    // One box at the end for the whole run, naming each file that was not written.
    QStringList boxes = m_dialogs.TextsOf("INFO");
    ASSERT_EQ(boxes.size(), 2) << boxes.join("\n").toStdString();
    EXPECT_EQ(boxes.takeFirst(), "Album #2 created");
    EXPECT_TRUE(boxes[0].startsWith("Tags could not be updated in 3 file(s):")) << boxes[0].toStdString();
    for (const QString& path : {unwritable, vanished, playing}) {
        EXPECT_TRUE(boxes[0].contains(path)) << path.toStdString() << "\n" << boxes[0].toStdString();
    }
    EXPECT_TRUE(boxes[0].contains("File in use")) << boxes[0].toStdString();
    for (const int song : songs) {
        EXPECT_EQ(Stored(song).AlbumName, "New") << song;
    }
    EXPECT_EQ(Id3v2Frames(Stored(songs[0]).FullPath)["TALB"].toString(), "New");
    EXPECT_EQ(Id3v2Frames(Stored(songs[4]).FullPath)["TALB"].toString(), "New");
    EXPECT_EQ(Id3v1Fields(playing)["TALB"].toString(), "Old") << "untouched while held";
    EXPECT_TRUE(Id3v2Frames(playing).isEmpty());
    EXPECT_EQ(m_tags.ParkedSong().SongNum, songs[3]);
    EXPECT_EQ(m_display.progress, (QList<int>{1, 2, 3, 4, 5}));
}

TEST_F(AssignDetails, CancelStopsBeforeTheNextSong) {
    QStringList titles;
    for (int i = 0; i < 22; ++i) {
        titles << QString("Song %1").arg(i + 1);
    }
    const std::vector<int> songs = AddSongs(titles);
    TickAlbum("New");

    m_dialogs.QueueAnswer("N");  // "Many (22) songs"
    EXPECT_FALSE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    EXPECT_EQ(m_dialogs.TextsOf("ASK").value(0), "Many (22) songs - are you sure ? -> No");
    EXPECT_EQ(m_display.dialogs, 0);

    // Each song's row is committed as soon as its file is written.
    QList<int> committed;
    m_display.onProgress = [&](int) {
        Catalogue other;
        m_file.Open(other);
        other.RunQuery(
            "select count(*) as ct from song s join album a on a.albumid = s.albumid where a.alname = 'New'");
        committed << other.QueryInt("ct");
        other.CloseCatalogue();
    };
    m_display.cancelAt = 3;
    m_dialogs.QueueAnswers({"Y", "Y"});
    EXPECT_TRUE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    EXPECT_EQ(committed, (QList<int>{1, 2, 3}));
    EXPECT_TRUE(m_assign.LastRun().cancelled);
    EXPECT_EQ(m_assign.LastRun().saved, 3);
    EXPECT_EQ(m_display.progress, (QList<int>{1, 2, 3}));
    EXPECT_EQ(Stored(songs[2]).AlbumName, "New");
    EXPECT_EQ(Stored(songs[3]).AlbumName, "Old");
    EXPECT_EQ(Id3v1Fields(Stored(songs[3]).FullPath)["TALB"].toString(), "Old");
    EXPECT_FALSE(m_assign.Running());

    m_settings.READONLY = true;
    m_display.dialogs = 0;
    EXPECT_FALSE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    EXPECT_EQ(m_display.dialogs, 0);
    EXPECT_FALSE(m_assign.AssignDetailsToSongs({}, "MP3").accepted);
}

TEST_F(AssignDetails, ArtistYearCommentAndGenre) {
    const std::vector<int> songs = AddSongs({"One", "Two"});
    m_display.fill = [](AssignController& a, int) {
        a.SetAllTicked(true);
        a.SetTicked(AssignField::Album, false);
        a.SetTicked(AssignField::Track, false);
        a.SetBox(AssignField::Artist, "o'brien");
        a.SetBox(AssignField::Year, "20245");
        a.SetBox(AssignField::Comment, "");
    };
    m_catalogue.ExecSqlCommit("insert into artist (artistid, arname) values (77, 'O''Brien')");
    m_dialogs.QueueAnswer("Y");
    ASSERT_TRUE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    EXPECT_EQ(m_assign.CountLabel(), "Assignment will apply to 2 song(s)");
    for (const int song : songs) {
        const TSong stored = Stored(song);
        EXPECT_EQ(stored.ArtistId, 77);
        EXPECT_EQ(stored.ArtistName, "O'Brien");
        EXPECT_EQ(stored.Year, "2024");
        EXPECT_EQ(stored.Comment, "") << "an empty comment is assigned too";
        EXPECT_EQ(stored.GenreId, kNoGenre) << "no genre picked: no genre";
        EXPECT_EQ(Id3v1Fields(stored.FullPath)["TPE1"].toString(), "O'Brien");
    }

    m_assign.SetGenrePicker([](int& id, QString& name) {
        id = 8;
        name = "Jazz";
        return true;
    });
    m_display.fill = [](AssignController& a, int) {
        a.SetAllTicked(false);
        a.SetTicked(AssignField::Genre, true);
        a.PickGenre();
    };
    m_dialogs.QueueAnswer("Y");
    ASSERT_TRUE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    EXPECT_EQ(Stored(songs[1]).GenreId, 8);
    EXPECT_EQ(Stored(songs[1]).ArtistName, "O'Brien") << "unticked details stay";
    EXPECT_EQ(Id3v1Fields(Stored(songs[1]).FullPath)["TCON"].toString(), "8");
}

TEST_F(AssignDetails, AGenrePickerClosedWithoutAChoiceKeepsTheGenrePickedBefore) {
    const std::vector<int> songs = AddSongs({"One", "Two"});
    bool choose = true;
    m_assign.SetGenrePicker([&choose](int& id, QString& name) {
        if (choose) {
            id = 8;
            name = "Jazz";
        }
        return choose;
    });
    m_display.fill = [&choose](AssignController& a, int) {
        a.SetAllTicked(false);
        a.SetTicked(AssignField::Genre, true);
        a.PickGenre();
        choose = false;
        a.PickGenre();
    };
    m_dialogs.QueueAnswer("Y");
    ASSERT_TRUE(m_assign.AssignDetailsToSongs(songs, "MP3").accepted);
    EXPECT_EQ(m_assign.PickedGenreId(), 8);
    EXPECT_EQ(m_assign.Box(AssignField::Genre), "Jazz");
    for (const int song : songs) {
        EXPECT_EQ(Stored(song).GenreId, 8);
        EXPECT_EQ(Id3v1Fields(Stored(song).FullPath)["TCON"].toString(), "8");
    }
}

}  // namespace
}  // namespace sw::test
