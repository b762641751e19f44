#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <functional>

#include "TagTestSupport.h"
#include "core/Song.h"
#include "tags/FileRewrite.h"
#include "tags/FlacTag.h"
#include "tags/HeldFiles.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"
#include "tags/OggVorbis.h"

namespace sw {
namespace {

/// A writer that goes through a temporary copy; false means it refused.
struct Writer {
    const char* name;
    const char* fixture;
    std::function<bool(const QString& path, TagState& state)> write;
    /// The stage an ID3v2 writer reports when the copy fails; -1 for others.
    int failureStage;
};

const Writer kWriters[] = {
    {"Id3v2Save", "id3v23.mp3",
     [](const QString& path, TagState& state) {
         TID3v2 tag(state);
         tag.SetTitle("New");
         return tag.Save(path);
     },
     kStageWriteFailed},
    {"Id3v2Remove", "id3v23.mp3",
     [](const QString& path, TagState& state) { return TID3v2(state).Remove(path); }, kStageWriteFailed},
    {"OggSave", "tone.ogg",
     [](const QString& path, TagState&) {
         TOggVorbis ogg;
         ogg.SetTitle("New");
         return ogg.Save(path);
     },
     -1},
    {"OpusSave", "tone.opus",
     [](const QString& path, TagState&) {
         TOggVorbis opus(OggCodec::Opus);
         opus.SetTitle("New");
         return opus.Save(path);
     },
     -1},
    // Comments that outgrow the padding: the whole file is rewritten.
    {"FlacRewrite", "tone.flac",
     [](const QString& path, TagState&) {
         TFlacTag flac;
         flac.SetTitle(QString(9000, 'x'));
         return flac.Save(path);
     },
     -1},
};

/// One way for a rewrite to go wrong. `prepare` sets it up for the file and returns what undoes it.
struct Failure {
    const char* name;
    std::function<std::function<void()>(const test::ScratchDir& dir, QString& path)> prepare;
};

std::function<void()> Injected(RewriteFault fault) {
    SetRewriteFaultForTesting(fault);
    return [] { SetRewriteFaultForTesting(RewriteFault::None); };
}

const Failure kFailures[] = {
    {"CannotCreateTemporary",
     [](const test::ScratchDir&, QString&) { return Injected(RewriteFault::Create); }},
    {"DiskFull", [](const test::ScratchDir&, QString&) { return Injected(RewriteFault::Write); }},
    {"SyncFails", [](const test::ScratchDir&, QString&) { return Injected(RewriteFault::Sync); }},
    {"RenameFails", [](const test::ScratchDir&, QString&) { return Injected(RewriteFault::Rename); }},
    {"HeldByTheAudioEngine",
     [](const test::ScratchDir&, QString& path) {
         auto held = std::make_shared<HeldFile>(path);
         return std::function<void()>([held]() mutable { held.reset(); });
     }},
};

class RewriteFailures : public testing::TestWithParam<std::tuple<Writer, Failure>> {};

TEST_P(RewriteFailures, LeaveTheAudioFileIntactAndNoTemporaryFile) {
    const auto& [writer, failure] = GetParam();
    test::ScratchDir dir;
    QString path = dir.Put("song." + QString(writer.fixture).section('.', -1), test::Fixture(writer.fixture));
    const std::function<void()> undo = failure.prepare(dir, path);
    const QByteArray before = test::ReadBytes(path);
    const QStringList entries = dir.Entries();

    TagState state;
    EXPECT_FALSE(writer.write(path, state));
    undo();
    if (writer.failureStage >= 0) {
        // Only a file the audio engine holds is "in use"; every other failure is the write's own.
        const bool held = std::string(failure.name) == "HeldByTheAudioEngine";
        EXPECT_EQ(state.Id3v2WriteStage, held ? int{kStageRewrite} : writer.failureStage);
        EXPECT_EQ(state.Id3v2Error.isEmpty(), held) << state.Id3v2Error.toStdString();
    }
    EXPECT_EQ(test::ReadBytes(path), before);
    EXPECT_EQ(dir.Entries(), entries);

    // Once the cause is gone the same write goes through.
    EXPECT_TRUE(writer.write(path, state));
    EXPECT_EQ(dir.Entries(), entries);
}

INSTANTIATE_TEST_SUITE_P(Tags, RewriteFailures,
                         testing::Combine(testing::ValuesIn(kWriters), testing::ValuesIn(kFailures)),
                         [](const testing::TestParamInfo<std::tuple<Writer, Failure>>& param) {
                             return std::string(std::get<0>(param.param).name) + "_" +
                                    std::get<1>(param.param).name;
                         });

/// Names beside the audio file that once stood in a rewrite's way.
struct Neighbour {
    const char* name;
    /// Sets it up for the file; returns the names it puts beside it.
    std::function<QStringList(const test::ScratchDir& dir, QString& path)> prepare;
};

const Neighbour kNeighbours[] = {
    {"LongestNameTheFolderTakes",
     [](const test::ScratchDir& dir, QString& path) {
         const QString longName = dir.Path(QString(255 - 4, 'n') + path.right(4));
         QFile::rename(path, longName);
         path = longName;
         return QStringList();
     }},
    {"LongestNameInUtf8",
     [](const test::ScratchDir& dir, QString& path) {
         // 125 two-byte letters: a cut in the middle of one would make a name the system refuses
         // or one that is not UTF-8.
         const QString longName = dir.Path(QString(125, QChar(0xE9)) + path.right(4));
         QFile::rename(path, longName);
         path = longName;
         return QStringList();
     }},
    {"UsersOwnBackupWithTilde",
     [](const test::ScratchDir&, QString& path) {
         test::WriteBytes(path + "~", "the user's own backup");
         return QStringList{path + "~"};
     }},
    // Of the shape of a temporary file but without its check characters: not ours to remove.
    {"UsersFileNamedLikeATemporary",
     [](const test::ScratchDir& dir, QString& path) {
         const QString lookalike = dir.Path("." + QFileInfo(path).fileName() + "~Ab12Cd");
         test::WriteBytes(lookalike, "half a file");
         return QStringList{lookalike};
     }},
};

class RewriteNeighbours : public testing::TestWithParam<std::tuple<Writer, Neighbour>> {};

TEST_P(RewriteNeighbours, NeitherBlockTheRewriteNorAreTouched) {
    const auto& [writer, neighbour] = GetParam();
    test::ScratchDir dir;
    QString path = dir.Put("song." + QString(writer.fixture).section('.', -1), test::Fixture(writer.fixture));
    const QStringList others = neighbour.prepare(dir, path);
    QList<QByteArray> otherBytes;
    for (const QString& other : others) {
        otherBytes << test::ReadBytes(other);
    }
    const QByteArray before = test::ReadBytes(path);
    const QStringList entries = dir.Entries();

    TagState state;
    EXPECT_TRUE(writer.write(path, state));
    EXPECT_NE(test::ReadBytes(path), before);
    EXPECT_EQ(dir.Entries(), entries);
    for (qsizetype i = 0; i < others.size(); ++i) {
        EXPECT_EQ(test::ReadBytes(others[i]), otherBytes[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(Tags, RewriteNeighbours,
                         testing::Combine(testing::ValuesIn(kWriters), testing::ValuesIn(kNeighbours)),
                         [](const testing::TestParamInfo<std::tuple<Writer, Neighbour>>& param) {
                             return std::string(std::get<0>(param.param).name) + "_" +
                                    std::get<1>(param.param).name;
                         });

TEST(RewriteFailures, AFolderIsNoAudioFile) {
    test::ScratchDir dir;
    ASSERT_TRUE(QDir(dir.Path("")).mkdir("folder.mp3"));
    const QString folder = dir.Path("folder.mp3");
    for (const Writer& writer : kWriters) {
        TagState state;
        EXPECT_FALSE(writer.write(folder, state)) << writer.name;
        if (writer.failureStage >= 0) {
            EXPECT_EQ(state.Id3v2WriteStage, kStageNoFile) << writer.name;
        }
    }
    TSong song;
    song.FullPath = folder;
    song.FileType = "MP3";
    EXPECT_THROW(WriteId3v1(song, 1), std::runtime_error);
    EXPECT_FALSE(RemoveId3v1(folder));
    EXPECT_EQ(dir.Entries(), QStringList{"folder.mp3"});
}

}  // namespace
}  // namespace sw
