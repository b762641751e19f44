#include <gtest/gtest.h>

#include <QJsonObject>

#include "TagPolicyFixture.h"
#include "TagTestSupport.h"
#include "foundation/ScriptedDialogs.h"
#include "tags/HeldFiles.h"
#include "tags/TagSwitches.h"

namespace sw {
namespace {

using test::Fixture;
using test::MutagenRead;
using test::Policy;

const QString kCyrillic = QString::fromUtf8("Привет, мир");

TEST_F(Policy, UnicodeTagsAreIgnoredUntilSwitchedOnAndThenReadAndWritten) {
    const QString path = m_scratch.Put("unicode.mp3", Fixture("unicode23.mp3"));
    TSong song;
    // Ignored, and then no ID3v1 tag either.
    ASSERT_TRUE(m_policy.ReadSongFromFile(path, song, ResolveMode::None));
    EXPECT_EQ(song.TagSource, kTagNoTag);
    EXPECT_EQ(song.Title, "unicode");
    EXPECT_TRUE(m_policy.unicodeTagsIgnored);

    m_policy.unicodeTagsIgnored = false;
    m_settings.UNICODETAGS = true;
    for (const char* fixture : {"unicode23.mp3", "unicode24.mp3"}) {
        SCOPED_TRACE(fixture);
        ASSERT_TRUE(
            m_policy.ReadSongFromFile(m_scratch.Put(fixture, Fixture(fixture)), song, ResolveMode::None));
        EXPECT_EQ(song.TagSource, kTagId3v2);
        EXPECT_EQ(song.Title, kCyrillic);
        EXPECT_EQ(song.ArtistName, QString::fromUtf8("日本語のアーティスト"));
        EXPECT_EQ(song.AlbumName, QString::fromUtf8("Emoji 🎵 Album"));
        EXPECT_FALSE(m_policy.unicodeTagsIgnored);
    }
    EXPECT_EQ(song.Year, "2003");
    EXPECT_EQ(song.Track, 4);

    // Both tags: the ID3v1 tag keeps Windows-1252 and puts "?" for what it cannot hold.
    m_settings.MP3TAGPOLICY = 4;
    song.Title = kCyrillic + " 2";
    song.ArtistName = QString::fromUtf8("Björk");
    ASSERT_TRUE(m_policy.SaveSongTags(song));
    const QJsonObject independent = MutagenRead(song.FullPath);
    EXPECT_EQ(independent["id3v2"].toObject()["frames"].toObject()["TIT2"].toString(), song.Title);
    EXPECT_EQ(independent["id3v2"].toObject()["frames"].toObject()["TPE1"].toString(), song.ArtistName);
    EXPECT_EQ(independent["id3v1"].toObject()["TIT2"].toString(), "??????, ??? 2");
    EXPECT_EQ(independent["id3v1"].toObject()["TPE1"].toString(), song.ArtistName);
    TSong fresh;
    ASSERT_TRUE(m_policy.ReadSongFromFile(song.FullPath, fresh, ResolveMode::None));
    EXPECT_EQ(fresh.Title, song.Title);

    // Switched off again, the same file reads from its ID3v1 tag and the load run hears of it.
    m_settings.UNICODETAGS = false;
    ASSERT_TRUE(m_policy.ReadSongFromFile(song.FullPath, fresh, ResolveMode::None));
    EXPECT_EQ(fresh.TagSource, kTagId3v1);
    EXPECT_EQ(fresh.Title, "??????, ??? 2");
    EXPECT_TRUE(m_policy.unicodeTagsIgnored);
}

struct CommentFileCase {
    const char* name;
    const char* fixture;
    QString fileType;
    QString title;
    int track;
};

class PolicyCommentFiles : public Policy, public ::testing::WithParamInterface<CommentFileCase> {};

// FLAC and Opus files follow the Ogg policy: the OGGTAG switch, the rating in the vendor string,
// parking while the file plays, and no parking for a file no later try can tag.
TEST_P(PolicyCommentFiles, FollowTheOggPolicy) {
    const CommentFileCase& c = GetParam();
    m_settings.SQUEEZERATING = true;
    const QString path = m_scratch.Put(QString("song.") + c.fileType.toLower(), Fixture(c.fixture));
    TSong song;
    ASSERT_TRUE(m_policy.ReadSongFromFile(path, song, ResolveMode::Create));
    EXPECT_EQ(song.FileType, c.fileType);
    EXPECT_EQ(song.TagSource, kTagOgg);
    EXPECT_EQ(song.Title, c.title);
    EXPECT_EQ(song.Track, c.track);
    EXPECT_EQ(song.GenreId, 8);
    EXPECT_EQ(m_state.LastTagExtras.Vendor, "ffmpeg");
    EXPECT_GT(song.AlbumId, 0);

    song.Title = kCyrillic;
    song.Rating = -2;
    ASSERT_TRUE(m_policy.SaveSongTags(song));
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Saving " + c.fileType + " tag to \"" + path + "\""});
    const QJsonObject independent = MutagenRead(path)[c.fileType.toLower()].toObject();
    EXPECT_EQ(independent["vendor"].toString(), "Rating=-2");
    TSong fresh;
    ASSERT_TRUE(m_policy.ReadSongFromFile(path, fresh, ResolveMode::None));
    EXPECT_EQ(fresh.Title, kCyrillic);
    EXPECT_EQ(fresh.Rating, -2);

    {
        HeldFile held(path);
        EXPECT_FALSE(m_policy.SaveSongTags(song));
    }
    EXPECT_EQ(m_dialogs.TextsOf("INFO"),
              QStringList{path + "\\nFile in use, " + c.fileType + " tag parked to save later"});
    EXPECT_EQ(m_policy.ParkedSong().FullPath, path);

    m_settings.OGGTAG = false;
    m_dialogs.QueueAnswer("Yes");
    EXPECT_FALSE(m_policy.SaveSongTags(song));
    EXPECT_EQ(m_dialogs.TextsOf("ASK").last(), "You have opted not to save tag details to the " + c.fileType +
                                                   " file - are you sure ? -> Yes");

    m_settings.OGGTAG = true;
    m_dialogs.ClearTranscript();
    TSong mp3 = song;
    mp3.FullPath = m_scratch.Put("not." + c.fileType.toLower(), Fixture("id3v23.mp3"));
    EXPECT_FALSE(m_policy.SaveSongTags(mp3));
    ASSERT_EQ(m_dialogs.TextsOf("INFO").size(), 1);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").at(0).endsWith(c.fileType + " tag not saved"));
}

INSTANTIATE_TEST_SUITE_P(FlacAndOpus, PolicyCommentFiles,
                         ::testing::Values(CommentFileCase{"Flac", "tone.flac", "FLAC", "Flac Title", 2},
                                           CommentFileCase{"Opus", "tone.opus", "OPUS", "Opus Title", 5}),
                         test::ByName());

TEST(AudioTypes, FlacAndOpusAreListedOnlyWhenAskedFor) {
    for (const char* type : {"MP3", "OGG", "WAV", "M4A", "WMA"}) {
        EXPECT_TRUE(IsAudioType(type)) << type;
        EXPECT_TRUE(IsAudioType(type, true)) << type;
    }
    for (const char* type : {"FLAC", "OPUS"}) {
        EXPECT_FALSE(IsAudioType(type)) << type;
        EXPECT_TRUE(IsAudioType(type, true)) << type;
    }
    EXPECT_FALSE(IsAudioType("TXT", true));
    EXPECT_FALSE(IsAudioType("OGA", true));
}

// What the Tags menu renders: each entry, chosen, flips its own setting and no other, and the
// settings file keeps the change under that setting's key.
TEST(TagSwitches, EachEntryFlipsItsOwnSettingAndTheSettingsFileKeepsIt) {
    const std::span<const TagSwitch> switches = TagSwitches();
    ASSERT_EQ(switches.size(), 2u);
    EXPECT_STREQ(switches[0].Caption, "Read and write Unicode tags");
    EXPECT_STREQ(switches[1].Caption, "Also load FLAC and Opus files");
    test::ScratchDir dir;
    for (const TagSwitch& chosen : switches) {
        SCOPED_TRACE(chosen.Caption);
        EXPECT_EQ(&TagSwitchFor(chosen.Setting), &chosen);
        Settings settings;
        settings.*chosen.Setting = !(settings.*chosen.Setting);
        const QString path = dir.Path(QString("SONWICK3-%1.INI").arg(&chosen - switches.data()));
        TransferSettingsFile('S', settings, path);
        Settings back;
        TransferSettingsFile('G', back, path);
        for (const TagSwitch& entry : switches) {
            EXPECT_EQ(back.*entry.Setting, &entry == &chosen) << entry.Caption;
        }
    }
}

}  // namespace
}  // namespace sw
