// Files as today's taggers leave them (pictures, lyrics, ReplayGain, MusicBrainz, frames nobody
// here knows), written through every path that writes an MP3's tags: nothing the write does not
// set may change, the audio stays as it was, and an independent reader sees the new details.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <functional>

#include "TagPolicyFixture.h"
#include "tags/HeldFiles.h"
#include "tags/Id3v1.h"

namespace sw {
namespace {

const QString kScript = QStringLiteral(SW_SOURCE_DIR "/tests/tags/rich_id3.py");
const QString kLongAlbum = "An Album Name Of Forty-Four Characters, Long";

QJsonObject RunScript(const QStringList& arguments) {
    QProcess process;
    process.start("/usr/bin/python3", QStringList{kScript} + arguments);
    process.waitForFinished(60000);
    if (process.exitCode() != 0) {
        ADD_FAILURE() << process.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

/// The frames whose fields the program writes; every other frame must come through untouched.
bool IsFieldFrame(const QString& id) {
    static const QStringList fields{"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TDRC", "TCON",
                                    "TCOM", "TENC", "TCOP", "TLAN", "COMM", "WXXX"};
    return fields.contains(id);
}

QJsonArray OtherFrames(const QJsonObject& look) {
    QJsonArray others;
    for (const QJsonValue& frame : look["frames"].toArray()) {
        if (!IsFieldFrame(frame.toArray().at(0).toString())) {
            others << frame;
        }
    }
    return others;
}

/// What a player shows: the ID3v2 frame where there is one, else the ID3v1 field.
QString Shown(const QJsonObject& mutagen, const QString& key) {
    const QJsonObject v2 = mutagen["id3v2"].toObject()["frames"].toObject();
    const QJsonObject v1 = mutagen["id3v1"].toObject();
    if (key == "year") {
        const QString v2Year = v2.contains("TDRC") ? v2["TDRC"].toString() : v2["TYER"].toString();
        return v2Year.isEmpty() ? v1["TYER"].toString() : v2Year.left(4);
    }
    if (key == "COMM") {
        const QString text = v2.contains("COMM::eng") ? v2["COMM::eng"].toString() : v1["COMM"].toString();
        return text.section('|', 2);
    }
    const QString text = v2.contains(key) ? v2[key].toString() : v1[key].toString();
    return key == "TRCK" ? text.section('/', 0, 0) : text;
}

struct RichCase {
    std::string name;
    int policy;
    /// Runs the write on the song and says whether it went through.
    std::function<bool(test::Policy& fixture, TagPolicy& policy, TSong& song)> write;
    QString album = "New Album";
    bool squeeze = false;
};

bool Save(test::Policy&, TagPolicy& policy, TSong& song) {
    return policy.SaveSongTags(song);
}

class RichTags : public test::Policy, public ::testing::WithParamInterface<std::tuple<int, RichCase>> {};

TEST_P(RichTags, KeepEveryFrameTheyDoNotSet) {
    const auto& [version, c] = GetParam();
    TSong song = SongFor("plain.mp3", "rich.mp3");
    RunScript({"make", song.FullPath, QString::number(version)});
    const QJsonObject before = RunScript({"frames", song.FullPath});
    ASSERT_FALSE(OtherFrames(before).isEmpty());
    // mutagen writes UTF-16 into version 3 tags and UTF-8 into version 4 ones.
    m_settings.UNICODETAGS = true;
    m_settings.MP3TAGPOLICY = c.policy;
    m_settings.SQUEEZERATING = c.squeeze;
    song.AlbumName = c.album;
    m_library.songs.SaveSong(song);
    m_catalogue.CommitAndContinue();

    ASSERT_TRUE(c.write(*this, m_policy, song)) << m_dialogs.TextsOf("INFO").join(" | ").toStdString();

    const QJsonObject after = RunScript({"frames", song.FullPath});
    EXPECT_EQ(OtherFrames(after), OtherFrames(before));
    EXPECT_EQ(after["audio"], before["audio"]);
    // The described comment and the one in German are not the program's comment.
    for (const QJsonValue& frame : before["frames"].toArray()) {
        if (frame.toArray().at(0).toString() == "COMM") {
            EXPECT_TRUE(after["frames"].toArray().contains(frame));
        }
    }
    const QJsonObject mutagen = test::MutagenRead(song.FullPath);
    EXPECT_EQ(Shown(mutagen, "TIT2"), "New Title");
    EXPECT_EQ(Shown(mutagen, "TPE1"), "New Artist");
    EXPECT_EQ(Shown(mutagen, "TALB"), c.album);
    EXPECT_EQ(Shown(mutagen, "TRCK"), "5");
    EXPECT_EQ(Shown(mutagen, "year"), "2024");
    EXPECT_EQ(Shown(mutagen, "COMM"), "New comment");
    if (!mutagen["id3v2"].toObject()["frames"].toObject().value("TCON").isUndefined()) {
        EXPECT_EQ(mutagen["id3v2"].toObject()["frames"].toObject()["TCON"].toString(), "Rock");
    }
    // And the program reads back what it wrote.
    TSong fresh;
    ASSERT_TRUE(m_policy.ReadSongFromFile(song.FullPath, fresh, ResolveMode::None));
    EXPECT_EQ(fresh.Title, "New Title");
    EXPECT_EQ(fresh.AlbumName, c.album);
    EXPECT_EQ(fresh.Track, 5);
    EXPECT_EQ(fresh.GenreId, 17);
    EXPECT_EQ(fresh.Comment, "New comment");
    if (c.squeeze) {
        EXPECT_EQ(fresh.Rating, 3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryWritePath, RichTags,
    ::testing::Combine(
        ::testing::Values(3, 4),
        ::testing::Values(
            RichCase{"OnlyV1", 1, Save},
            RichCase{"V1WhereItFits", 2, Save},
            RichCase{"V1WhereItFitsWithALongAlbum", 2, Save, kLongAlbum},
            RichCase{"V2Chosen", 2,
                     [](test::Policy&, TagPolicy& policy, TSong& song) {
                         policy.useV2 = true;
                         return policy.SaveSongTags(song);
                     }},
            RichCase{"OnlyV2", 3, Save},
            RichCase{"Both", 4, Save, kLongAlbum},
            RichCase{"RatingSqueezed", 3, Save, "New Album", true},
            RichCase{"ParkedWhilePlaying", 3,
                     [](test::Policy&, TagPolicy& policy, TSong& song) {
                         {
                             HeldFile held(song.FullPath);
                             if (policy.SaveSongTags(song)) {
                                 return false;
                             }
                         }
                         return policy.RetryParkedTag();
                     }},
            RichCase{"RepairOfATagPairRepeatingItself", 4,
                     [](test::Policy&, TagPolicy& policy, TSong& song) {
                         return policy.SaveSongTags(song) && policy.RemoveId3v2(song.FullPath);
                     }})),
    [](const testing::TestParamInfo<std::tuple<int, RichCase>>& param) {
        return "Version" + std::to_string(std::get<0>(param.param)) + "_" + std::get<1>(param.param).name;
    });

}  // namespace
}  // namespace sw
