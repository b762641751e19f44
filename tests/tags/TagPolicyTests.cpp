#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include "TagPolicyFixture.h"
#include "TagTestSupport.h"
#include "core/Renames.h"
#include "tags/GenreList.h"
#include "tags/HeldFiles.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"
#include "tags/OggVorbis.h"
#include "tags/TagPolicy.h"

namespace sw {
namespace {

using test::Fixture;
using test::MutagenRead;
using test::Policy;

struct MatrixCase {
    std::string name;
    int policy;
    bool useV2;
    QString answer;  // to the no-tags question, when it is asked
    bool result;
    bool v1;
    bool v2;
};

class PolicyMatrix : public Policy, public ::testing::WithParamInterface<MatrixCase> {};

TEST_P(PolicyMatrix, WritesTheTagsThePolicyAsksFor) {
    const MatrixCase& c = GetParam();
    m_settings.MP3TAGPOLICY = c.policy;
    TSong song = SongFor("both.mp3", "song.mp3");
    if (!c.answer.isEmpty()) {
        m_dialogs.QueueAnswer(c.answer);
    }
    m_policy.useV2 = c.useV2;
    EXPECT_EQ(m_policy.SaveSongTags(song), c.result);
    EXPECT_EQ(HasV1(song.FullPath), c.v1);
    const QJsonObject independent = MutagenRead(song.FullPath);
    EXPECT_EQ(independent.contains("id3v1"), c.v1);
    if (c.v2) {
        EXPECT_TRUE(HasV2(song.FullPath));
    } else {
        // Where the policy writes only ID3v1, the ID3v2 tag keeps just what ID3v1 cannot hold:
        // here the frame of another program.
        EXPECT_EQ(independent["id3v2"].toObject()["frames"].toObject(),
                  (QJsonObject{{"TXXX:comment", "One comment"}}));
    }
    if (c.result && c.v1) {
        EXPECT_EQ(independent["id3v1"].toObject()["TIT2"].toString(), "New Title");
        EXPECT_EQ(independent["id3v1"].toObject()["TALB"].toString(), "New Album");
        TSong back;
        back.FullPath = song.FullPath;
        ASSERT_TRUE(ReadId3v1(back, m_state));
        EXPECT_EQ(back.ArtistName, "New Artist");
        EXPECT_EQ(back.GenreId, 17);
    }
    if (c.result && c.v2) {
        const QJsonObject frames = independent["id3v2"].toObject()["frames"].toObject();
        EXPECT_EQ(frames["TIT2"].toString(), "New Title");
        EXPECT_EQ(frames["TCON"].toString(), "Rock");
        EXPECT_EQ(frames["TRCK"].toString(), "5");
        TID3v2 tag(m_state);
        ASSERT_TRUE(tag.Read(song.FullPath));
        EXPECT_EQ(tag.Artist(), "New Artist");
    }
    if (c.policy == 0) {
        EXPECT_EQ(m_dialogs.TextsOf("ASK"),
                  QStringList{"You have opted not to save tag details to the MP3 file - are you sure ? -> " +
                              c.answer});
    } else {
        EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());
    }
    EXPECT_FALSE(m_policy.useV2);
}

INSTANTIATE_TEST_SUITE_P(
    EveryPolicy, PolicyMatrix,
    ::testing::Values(MatrixCase{"NoTagsConfirmed", 0, false, "Yes", false, true, true},
                      MatrixCase{"NoTagsButSaveAnyway", 0, false, "No", true, true, false},
                      MatrixCase{"OnlyV1", 1, false, "", true, true, false},
                      MatrixCase{"V1WhereItFits", 2, false, "", true, true, false},
                      MatrixCase{"V2ChosenUnderPolicyTwo", 2, true, "", true, false, true},
                      MatrixCase{"OnlyV2", 3, false, "", true, false, true},
                      MatrixCase{"Both", 4, false, "", true, true, true}),
    test::ByName());

TEST_F(Policy, OggFollowsItsOwnSwitch) {
    TSong song = SongFor("tone.ogg", "song.ogg");
    EXPECT_TRUE(m_policy.SaveSongTags(song));
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Read(song.FullPath));
    EXPECT_EQ(ogg.Title(), "New Title");
    EXPECT_EQ(ogg.Genre(), "Rock");
    EXPECT_TRUE(test::OggInfoProblems(song.FullPath).isEmpty());
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Saving OGG tag to \"" + song.FullPath + "\""});

    m_settings.OGGTAG = false;
    song.Title = "Not written";
    m_dialogs.QueueAnswer("Yes");
    EXPECT_FALSE(m_policy.SaveSongTags(song));
    ASSERT_TRUE(ogg.Read(song.FullPath));
    EXPECT_EQ(ogg.Title(), "New Title");
    m_dialogs.QueueAnswer("No");
    EXPECT_TRUE(m_policy.SaveSongTags(song));
    ASSERT_TRUE(ogg.Read(song.FullPath));
    EXPECT_EQ(ogg.Title(), "Not written");
}

TEST_F(Policy, UntaggedAndMissingFilesAreNotWritten) {
    TSong wav = SongFor("plain.mp3", "song.wav");
    wav.FileType = "WAV";
    const QByteArray before = test::ReadBytes(wav.FullPath);
    EXPECT_FALSE(m_policy.SaveSongTags(wav));
    EXPECT_EQ(test::ReadBytes(wav.FullPath), before);

    TSong missing = SongFor("plain.mp3", "gone.mp3");
    QFile::remove(missing.FullPath);
    EXPECT_FALSE(m_policy.SaveSongTags(missing));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Audio file does not exist\\n" + missing.FullPath});
    m_policy.SetReportMissingFiles(false);
    EXPECT_FALSE(m_policy.SaveSongTags(missing));
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
}

TEST_F(Policy, AHeldFileIsParkedAndSavedWhenReleased) {
    m_settings.MP3TAGPOLICY = 4;
    TSong song = SongFor("plain.mp3", "playing.mp3");
    m_library.songs.SaveSong(song);
    m_catalogue.CommitAndContinue();
    song.Title = "Edited while playing";
    {
        HeldFile held(song.FullPath);
        EXPECT_FALSE(m_policy.SaveSongTags(song));
        EXPECT_FALSE(m_policy.RetryParkedTag());  // still held: it stays parked
    }
    // The ID3v1 tag comes first and waits for the file like the rest.
    EXPECT_EQ(m_dialogs.TextsOf("INFO").at(0),
              song.FullPath + "\\nFile in use, ID3v1 tag parked to save later");
    EXPECT_FALSE(HasV1(song.FullPath));
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
    EXPECT_EQ(m_policy.ParkedCount(), 1);

    // Parked again (it replaces that file's parked tag), then the audio engine lets it go.
    {
        HeldFile held(song.FullPath);
        EXPECT_FALSE(m_policy.SaveSongTags(song));
    }
    EXPECT_EQ(m_policy.ParkedCount(), 1);
    EXPECT_EQ(m_policy.ParkedSong().Title, "Edited while playing");
    m_dialogs.ClearTranscript();
    EXPECT_TRUE(m_policy.RetryParkedTag());
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"),
              (QStringList{"Saving parked MP3 ID3v1 tag to \"" + song.FullPath + "\"",
                           "Saving parked MP3 ID3v2 tag to \"" + song.FullPath + "\""}));
    EXPECT_TRUE(HasV2(song.FullPath));
    EXPECT_TRUE(HasV1(song.FullPath));  // the "both" policy keeps its ID3v1 tag
    EXPECT_EQ(MutagenRead(song.FullPath)["id3v1"].toObject()["TIT2"].toString(), "Edited while playing");
    TSong stored;
    ASSERT_TRUE(m_library.songs.FindSongByNumber(song.SongNum, stored));
    EXPECT_EQ(stored.Title, "Edited while playing");
    EXPECT_FALSE(m_policy.RetryParkedTag());
}

struct ParkedV1Case {
    std::string name;
    int policy;
    QString answer;  // to the no-tags question of the first save
    bool v2After;
};

class ParkedId3v1 : public Policy, public ::testing::WithParamInterface<ParkedV1Case> {};

// An ID3v1 tag written in place beside an ID3v2 tag that cannot be removed while the file plays
// would lose the edit to the old ID3v2 tag at the next read; the whole save waits instead.
TEST_P(ParkedId3v1, AHeldFileGetsItsWholeSaveWhenReleased) {
    const ParkedV1Case& c = GetParam();
    m_settings.MP3TAGPOLICY = c.policy;
    TSong song = SongFor("both.mp3", "playing.mp3");
    m_library.songs.SaveSong(song);
    m_catalogue.CommitAndContinue();
    const QByteArray before = test::ReadBytes(song.FullPath);
    if (!c.answer.isEmpty()) {
        m_dialogs.QueueAnswer(c.answer);
    }
    {
        HeldFile held(song.FullPath);
        EXPECT_FALSE(m_policy.SaveSongTags(song));
    }
    EXPECT_EQ(test::ReadBytes(song.FullPath), before);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{song.FullPath + "\\nFile in use, ID3v1 tag parked to save later"});
    EXPECT_EQ(m_policy.ParkedSong().SongNum, song.SongNum);

    m_dialogs.ClearTranscript();
    EXPECT_TRUE(m_policy.RetryParkedTag());
    QStringList flashes{"Saving parked MP3 ID3v1 tag to \"" + song.FullPath + "\""};
    if (c.v2After) {
        flashes << "Saving parked MP3 ID3v2 tag to \"" + song.FullPath + "\"";
    }
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), flashes);
    EXPECT_TRUE(m_dialogs.TextsOf("ASK").isEmpty());  // the no-tags question was answered before
    EXPECT_TRUE(HasV1(song.FullPath));
    const QJsonObject independent = MutagenRead(song.FullPath);
    EXPECT_EQ(independent["id3v1"].toObject()["TIT2"].toString(), "New Title");
    const QJsonObject frames = independent["id3v2"].toObject()["frames"].toObject();
    EXPECT_EQ(frames.contains("TIT2"), c.v2After);
    EXPECT_EQ(frames["TXXX:comment"].toString(), "One comment");
    TSong fresh;
    ASSERT_TRUE(m_policy.ReadSongFromFile(song.FullPath, fresh, ResolveMode::None));
    EXPECT_EQ(fresh.Title, "New Title");
    EXPECT_EQ(fresh.ArtistName, "New Artist");
    EXPECT_EQ(m_policy.ParkedSong().SongNum, 0);
    EXPECT_FALSE(m_policy.useV2);
}

INSTANTIATE_TEST_SUITE_P(V1Policies, ParkedId3v1,
                         ::testing::Values(ParkedV1Case{"OnlyV1", 1, "", false},
                                           ParkedV1Case{"V1WhereItFits", 2, "", false},
                                           ParkedV1Case{"NoTagsButSaveAnyway", 0, "No", false},
                                           ParkedV1Case{"Both", 4, "", true}),
                         test::ByName());

TEST_F(Policy, OggCoverArtIsKeptAndAFileThatCannotBeTaggedIsNotParked) {
    TSong song = SongFor("long.ogg", "cover.ogg");
    const QString picture = test::AddPictureWithMutagen(song.FullPath, 100000);
    ASSERT_FALSE(picture.isEmpty());
    EXPECT_TRUE(m_policy.SaveSongTags(song));
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Saving OGG tag to \"" + song.FullPath + "\""});
    const QJsonObject ogg = MutagenRead(song.FullPath)["ogg"].toObject();
    EXPECT_EQ(ogg["pictures"].toArray().at(0).toObject()["md5"].toString(), picture);
    EXPECT_TRUE(ogg["comments"].toArray().contains(QJsonArray{"TITLE", "New Title"}));
    EXPECT_TRUE(test::OggInfoProblems(song.FullPath).isEmpty());

    m_dialogs.ClearTranscript();
    TSong odd = SongFor("tone.ogg", "odd.ogg");
    test::WriteBytes(odd.FullPath, test::MakeOgg(test::VorbisCommentPacket("v", {"TITLE=t"}),
                                                 test::OggLayoutKind::IdAndCommentOnFirstPage));
    const QByteArray before = test::ReadBytes(odd.FullPath);
    EXPECT_FALSE(m_policy.SaveSongTags(odd));
    EXPECT_EQ(
        m_dialogs.TextsOf("INFO"),
        QStringList{odd.FullPath + "\\nFile cannot be tagged (unusual layout of the Ogg header pages), OGG "
                                   "tag not saved"});
    EXPECT_TRUE(m_policy.ParkedSong().FullPath.isEmpty());
    EXPECT_EQ(test::ReadBytes(odd.FullPath), before);

    // A file in use still waits for its save.
    m_dialogs.ClearTranscript();
    {
        HeldFile held(song.FullPath);
        EXPECT_FALSE(m_policy.SaveSongTags(song));
    }
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{song.FullPath + "\\nFile in use, OGG tag parked to save later"});
    EXPECT_EQ(m_policy.ParkedSong().FullPath, song.FullPath);
}

TEST_F(Policy, TheRatingTravelsInsideTheTags) {
    m_settings.SQUEEZERATING = true;
    m_settings.MP3TAGPOLICY = 3;
    TSong mp3 = SongFor("id3v23.mp3", "rated.mp3");
    EXPECT_TRUE(m_policy.SaveSongTags(mp3));
    const QJsonObject frames = MutagenRead(mp3.FullPath)["id3v2"].toObject()["frames"].toObject();
    EXPECT_EQ(frames["TENC"].toString(), "Rating=3");
    TSong fresh;
    ASSERT_TRUE(m_policy.ReadSongFromFile(mp3.FullPath, fresh, ResolveMode::None));
    EXPECT_EQ(fresh.Rating, 3);

    TSong ogg = SongFor("tone.ogg", "rated.ogg");
    ogg.Rating = -1;
    EXPECT_TRUE(m_policy.SaveSongTags(ogg));
    EXPECT_EQ(MutagenRead(ogg.FullPath)["ogg"].toObject()["vendor"].toString(), "Rating=-1");
    ASSERT_TRUE(m_policy.ReadSongFromFile(ogg.FullPath, fresh, ResolveMode::None));
    EXPECT_EQ(fresh.Rating, -1);

    // Under policy 2 the same change writes ID3v1; the ID3v2 tag keeps what ID3v1 cannot hold,
    // the rating among it, and the details come from both.
    m_settings.MP3TAGPOLICY = 2;
    EXPECT_TRUE(m_policy.SaveSongTags(mp3));
    ASSERT_TRUE(m_policy.ReadSongFromFile(mp3.FullPath, fresh, ResolveMode::None));
    EXPECT_EQ(fresh.Rating, 3);
    EXPECT_EQ(fresh.TagSource, kTagId3v2);
    EXPECT_EQ(fresh.Title, "New Title");
    EXPECT_EQ(fresh.ArtistName, "New Artist");
    EXPECT_FALSE(MutagenRead(mp3.FullPath)["id3v2"].toObject()["frames"].toObject().contains("TIT2"));
}

TEST_F(Policy, AnId3v1SaveKeepsTheId3v2FramesThatSayMore) {
    TSong song = SongFor("plain.mp3", "more.mp3");
    song.Year = "2024";
    // The track count and the full date are more than ID3v1 holds; the title is not.
    test::WriteBytes(song.FullPath, test::Id3Tag(3, test::Id3TextFrame("TIT2", "New Title") +
                                                        test::Id3TextFrame("TRCK", "5/12") +
                                                        test::Id3TextFrame("TYER", "2024-05-01")) +
                                        Fixture("plain.mp3"));
    TID3v2 read(m_state);
    ASSERT_TRUE(read.Read(song.FullPath));
    ASSERT_EQ(read.Track(), 5);
    EXPECT_TRUE(m_policy.SaveSongTags(song));
    const QJsonObject frames = MutagenRead(song.FullPath)["id3v2"].toObject()["frames"].toObject();
    EXPECT_EQ(frames, (QJsonObject{{"TRCK", "5/12"}, {"TYER", "2024-05-01"}}));
}

TEST_F(Policy, ARatingThatIsNoNumberIsReported) {
    const QString path = m_scratch.Put("bad.mp3", test::Id3Tag(3, test::Id3TextFrame("TENC", "rating=abc") +
                                                                      test::Id3TextFrame("TIT2", "T")) +
                                                      Fixture("plain.mp3"));
    TSong song;
    ASSERT_TRUE(m_policy.ReadSongFromFile(path, song, ResolveMode::None));
    EXPECT_EQ(song.Rating, 0);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Invalid integer \"abc\""});
    EXPECT_EQ(RatingFromText("Rating="), 0);
    EXPECT_EQ(m_dialogs.TextsOf("INFO").last(), "Invalid integer \"\"");
    EXPECT_EQ(RatingFromText("Rating=4"), 4);
    EXPECT_EQ(RatingFromText("RATING=-2 and more"), 0);
    EXPECT_EQ(RatingFromText("Lame 3.100"), 0);
}

TEST_F(Policy, ReadingFollowsThePreferenceAndTheRules) {
    TSong song;
    // ID3v2.3 with genre, track 7/12 and composer.
    ASSERT_TRUE(
        m_policy.ReadSongFromFile(m_scratch.Put("a.mp3", Fixture("id3v23.mp3")), song, ResolveMode::None));
    EXPECT_EQ(song.TagSource, kTagId3v2);
    EXPECT_EQ(song.Title, "Fixture Title");
    EXPECT_EQ(song.Track, 7);
    EXPECT_EQ(song.GenreId, 17);
    EXPECT_EQ(song.GenreName, "Rock");
    EXPECT_EQ(song.FileName, "a.mp3");
    EXPECT_EQ(m_state.LastTagExtras.Composer, "Fixture Composer");
    EXPECT_EQ(song.ArtistId, -1);

    // ID3v2.4 and ID3v1 with preference 2: without Unicode tags the v2.4 tag is not used, and
    // the ID3v1 tag gives the details.
    const QString four = m_scratch.Put("four.mp3", Fixture("id3v24.mp3"));
    TSong v1Song = SongFor("plain.mp3", "scratch.mp3");
    v1Song.FullPath = four;
    v1Song.FileType = "MP3";
    m_settings.MP3TAGPOLICY = 1;
    ASSERT_TRUE(WriteId3v1(v1Song, 1));
    ASSERT_TRUE(m_policy.ReadSongFromFile(four, song, ResolveMode::None));
    EXPECT_EQ(song.TagSource, kTagId3v1);
    EXPECT_EQ(song.ArtistName, "New Artist");
    EXPECT_EQ(song.Title, "New Title");
    m_settings.MP3TAGREADPREFV1V2 = 1;
    ASSERT_TRUE(m_policy.ReadSongFromFile(four, song, ResolveMode::None));
    EXPECT_EQ(song.TagSource, kTagId3v1);
    EXPECT_EQ(song.ArtistName, "New Artist");

    // A WAV file gets no details; a text file is not handled.
    const QString wav = m_scratch.Put("Track 07.wav", "RIFF....");
    ASSERT_TRUE(m_policy.ReadSongFromFile(wav, song, ResolveMode::Create));
    EXPECT_EQ(song.Title, "Track 07");
    EXPECT_EQ(song.Track, 0);
    EXPECT_EQ(song.ArtistId, -1);
    EXPECT_EQ(song.TagSource, kTagNotRead);
    EXPECT_FALSE(m_policy.ReadSongFromFile(m_scratch.Put("notes.txt", "x"), song, ResolveMode::None));
    EXPECT_EQ(song.TagSource, kTagOtherType);
    EXPECT_FALSE(m_policy.ReadSongFromFile(m_scratch.Path("missing.mp3"), song, ResolveMode::None));
    EXPECT_EQ(song.TagSource, kTagNoFile);
}

TEST_F(Policy, TrackComesFromTheTitleOnlyWithAnAlbum) {
    auto tagged = [&](const char* name, const QByteArray& album) {
        QByteArray frames = test::Id3TextFrame("TIT2", "Song 07");
        if (!album.isEmpty()) {
            frames += test::Id3TextFrame("TALB", album);
        }
        return m_scratch.Put(name, test::Id3Tag(3, frames) + Fixture("plain.mp3"));
    };
    TSong song;
    ASSERT_TRUE(m_policy.ReadSongFromFile(tagged("with.mp3", "Album"), song, ResolveMode::None));
    EXPECT_EQ(song.Track, 7);
    ASSERT_TRUE(m_policy.ReadSongFromFile(tagged("without.mp3", ""), song, ResolveMode::None));
    EXPECT_EQ(song.Track, 0);
    const QString big = m_scratch.Put(
        "big.mp3", test::Id3Tag(3, test::Id3TextFrame("TIT2", "Opus 300") + test::Id3TextFrame("TALB", "A")) +
                       Fixture("plain.mp3"));
    ASSERT_TRUE(m_policy.ReadSongFromFile(big, song, ResolveMode::None));
    EXPECT_EQ(song.Track, 0);
}

TEST_F(Policy, UnicodeFramesAreIgnoredInFavourOfTheIdv1Tag) {
    QByteArray unicodeTitle("\x01\xff\xfeT\x00i\x00", 7);
    QByteArray file = test::Id3Tag(3, test::Id3Frame("TIT2", unicodeTitle)) + Fixture("plain.mp3");
    const QString path = m_scratch.Put("unicode.mp3", file);
    TSong v1 = SongFor("plain.mp3", "scratch2.mp3");
    v1.FullPath = path;
    m_settings.MP3TAGPOLICY = 1;
    ASSERT_TRUE(WriteId3v1(v1, 1));
    TSong song;
    ASSERT_TRUE(m_policy.ReadSongFromFile(path, song, ResolveMode::None));
    EXPECT_EQ(song.TagSource, kTagId3v1);
    EXPECT_EQ(song.Title, "New Title");
    EXPECT_TRUE(m_policy.unicodeTagsIgnored);
}

TEST_F(Policy, ResolvingCreatesOrOnlyLooksUp) {
    const QString path = m_scratch.Put("r.mp3", Fixture("id3v23.mp3"));
    TSong song;
    ASSERT_TRUE(m_policy.ReadSongFromFile(path, song, ResolveMode::Lookup));
    EXPECT_EQ(song.ArtistId, -1);
    EXPECT_EQ(song.AlbumId, -1);
    ASSERT_TRUE(m_policy.ReadSongFromFile(path, song, ResolveMode::Create));
    EXPECT_GT(song.ArtistId, 0);
    EXPECT_GT(song.AlbumId, 0);
    TSong again;
    ASSERT_TRUE(m_policy.ReadSongFromFile(path, again, ResolveMode::Lookup));
    EXPECT_EQ(again.ArtistId, song.ArtistId);
    EXPECT_EQ(again.AlbumId, song.AlbumId);
}

TEST_F(Policy, PolicyTwoAsksToTruncateOrUseV2) {
    TSong song = SongFor("plain.mp3", "long.mp3");
    song.Title = QString(35, 't');
    song.Comment = QString(30, 'c');
    EXPECT_FALSE(m_policy.Id3v1Fits(song));
    EXPECT_EQ(m_policy.TruncatedSample(), QString(29, 'c'));

    m_dialogs.QueueAnswer("0");
    EXPECT_TRUE(m_policy.ChooseId3v1OrV2(song, kTagNoTag));
    EXPECT_EQ(m_dialogs.TextsOf("CHOICE").front(),
              "Tag details too long for ID3v1; use ID3v2? or truncate to\\n\"" + QString(29, 'c') +
                  "\" [Truncate v1 | Use v2] -> 0");
    m_dialogs.QueueAnswer("2");
    EXPECT_FALSE(m_policy.ChooseId3v1OrV2(song, kTagNoTag));
    EXPECT_TRUE(m_policy.useV2);
    m_dialogs.QueueAnswer("1");
    EXPECT_FALSE(m_policy.ChooseId3v1OrV2(song, kTagNoTag));
    EXPECT_FALSE(m_policy.useV2);
    m_dialogs.QueueAnswer("Yes");
    EXPECT_FALSE(m_policy.ChooseId3v1OrV2(song, kTagId3v2));
    EXPECT_TRUE(m_policy.useV2);

    m_settings.MP3TAGPOLICY = 3;
    m_dialogs.ClearTranscript();
    EXPECT_FALSE(m_policy.ChooseId3v1OrV2(song, kTagNoTag));
    EXPECT_TRUE(m_dialogs.Transcript().isEmpty());
}

TEST_F(Policy, Id3v1LimitsCountCharactersAndTheSampleKeepsWholeCharacters) {
    const QString smile = QString::fromUcs4(U"\U0001F600");
    TSong song = SongFor("plain.mp3", "smile.mp3");
    song.Title = QString(29, 'a') + smile;  // 30 characters in 31 UTF-16 units
    EXPECT_TRUE(m_policy.Id3v1Fits(song));
    song.Title += "b";
    EXPECT_FALSE(m_policy.Id3v1Fits(song));
    EXPECT_EQ(m_policy.TruncatedSample(), QString(29, 'a') + smile);
    song.Title = QString(30, 'a');
    song.Comment = QString(28, 'c') + smile + smile;
    EXPECT_FALSE(m_policy.Id3v1Fits(song));
    EXPECT_EQ(m_policy.TruncatedSample(), QString(28, 'c') + smile);
}

TEST_F(Policy, RenamingAnAlbumRewritesItsSongsTagsAndSkipsMissingFiles) {
    m_library.tagWriter = &m_policy;
    m_settings.MP3TAGPOLICY = 3;
    TSong first = SongFor("plain.mp3", "one.mp3");
    m_library.songs.SaveSong(first);
    TSong second = SongFor("tone.ogg", "two.ogg");
    second.AlbumId = first.AlbumId;
    m_library.songs.SaveSong(second);
    TSong gone = SongFor("plain.mp3", "gone.mp3");
    gone.AlbumId = first.AlbumId;
    m_library.songs.SaveSong(gone);
    QFile::remove(gone.FullPath);
    m_catalogue.CommitAndContinue();

    m_dialogs.QueueAnswer("Yes");
    EXPECT_TRUE(RenameAlbum(m_library, first.AlbumId, "Renamed Album", -1));
    TID3v2 tag(m_state);
    ASSERT_TRUE(tag.Read(first.FullPath));
    EXPECT_EQ(tag.Album(), "Renamed Album");
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Read(second.FullPath));
    EXPECT_EQ(ogg.Album(), "Renamed Album");
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty());

    const int artist = first.ArtistId;
    m_dialogs.QueueAnswer("Yes");
    EXPECT_TRUE(RenameArtist(m_library, artist, "Renamed Artist"));
    ASSERT_TRUE(tag.Read(first.FullPath));
    EXPECT_EQ(tag.Artist(), "Renamed Artist");
    // Missing files are reported again once the bulk update is over.
    EXPECT_FALSE(m_policy.SaveSongTags(gone));
    EXPECT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
}

TEST_F(Policy, GenreListLoadsFromTheFile) {
    const QString list = m_scratch.Put("GENRES.INI",
                                       "[genres]\n000=Blues\n007=Hip-Hop\n7=Ignored\n017=Rock 'n' Roll\n"
                                       "147=Synthpop\n200=\n"
                                       "201=A genre name far longer than the forty characters it may hold\n");
    EXPECT_TRUE(LoadGenreList(m_catalogue, list));
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"5 genres loaded OK"});
    EXPECT_EQ(GenreIdForName(m_catalogue, "ROCK 'N' ROLL"), 17);
    EXPECT_EQ(GenreIdForName(m_catalogue, "Jazz"), 8);
    EXPECT_EQ(GenreIdForName(m_catalogue, "Polka"), -1);
    EXPECT_EQ(GenreIdForName(m_catalogue, ""), -1);
    EXPECT_TRUE(LocateGenre(m_catalogue, 147));
    EXPECT_FALSE(LocateGenre(m_catalogue, -1));
    TGenre genre;
    EXPECT_TRUE(GenreRecordForId(m_catalogue, 200, genre));
    EXPECT_EQ(genre.GenreName, "");
    EXPECT_TRUE(GenreRecordForId(m_catalogue, 201, genre));
    EXPECT_EQ(genre.GenreName, "A genre name far longer than the forty c");

    const QString shipped = QString(SW_SOURCE_DIR) + "/data/GENRES.INI";
    EXPECT_TRUE(LoadGenreList(m_catalogue, shipped));
    EXPECT_EQ(m_dialogs.TextsOf("INFO").last(), "148 genres loaded OK");
    EXPECT_FALSE(LoadGenreList(m_catalogue, m_scratch.Put("EMPTY.INI", "[genres]\n")));
    EXPECT_EQ(m_dialogs.TextsOf("INFO").last(), "No genres found");
    FileGenres fromFile(shipped);
    EXPECT_EQ(fromFile.GenreIdForName("classic rock"), 1);
    EXPECT_EQ(fromFile.GenreNameById(147), "Synthpop");
}

}  // namespace
}  // namespace sw
