#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <cstring>

#include "TagTestSupport.h"
#include "core/SongPaths.h"
#include "foundation/Files.h"
#include "tags/FileRewrite.h"
#include "tags/RewriteLeftovers.h"
#include "tags/TagPolicy.h"

namespace sw {
namespace {

/// Starts rewriting `path` in a child process that is killed after writing more than one buffer's
/// worth of the new content; returns the name of what it left behind.
QString KillMidRewrite(const test::ScratchDir& dir, const QString& path) {
    const QStringList before = dir.Entries();
    const pid_t child = ::fork();
    if (child == 0) {
        FileRewrite rewrite(path);
        if (rewrite.Begin() && rewrite.Append(QByteArray(300 * 1024, 'x'))) {
            ::raise(SIGKILL);
        }
        ::_exit(1);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child could not begin";
    QStringList added = dir.Entries();
    for (const QString& name : before) {
        added.removeAll(name);
    }
    EXPECT_EQ(added.size(), 1) << added.join(", ").toStdString();
    return added.value(0);
}

/// A name CreateTemporaryBeside gives beside `path`, the file it made removed again.
QString TemporaryName(const QString& path) {
    QByteArray temporary;
    const int fd = CreateTemporaryBeside(QFile::encodeName(path), temporary);
    EXPECT_GE(fd, 0) << std::strerror(errno);
    ::unlink(temporary.constData());
    ::close(fd);
    return QFile::decodeName(temporary);
}

TEST(RewriteLeftovers, AKilledRewriteLeavesACopyThatOnlyTheSweepsRemove) {
    test::ScratchDir dir;
    const QString song = dir.Put("song.mp3", "the original audio");
    const QString other = dir.Put("other.mp3", "other audio");
    const QString leftover = KillMidRewrite(dir, song);
    const QString otherLeftover = KillMidRewrite(dir, other);
    EXPECT_GT(QFileInfo(dir.Path(leftover)).size(), 256 * 1024);
    EXPECT_FALSE(IsAudioType(FileTypeOf(dir.Path(leftover)), true)) << "a load would list it";

    // What must survive every sweep: a user's file of the same shape, a rewrite in progress (held
    // here), a folder, a link, and (where the test may hand it over) a file of another user.
    QStringList kept{dir.Put(".song.mp3~backup", "the user's own backup")};
    QByteArray held;
    const int heldFd = CreateTemporaryBeside(QFile::encodeName(song), held);
    ASSERT_GE(heldFd, 0);
    kept << QFile::decodeName(held);
    kept << TemporaryName(song);
    ASSERT_TRUE(QDir().mkdir(kept.last()));
    kept << TemporaryName(song);
    ASSERT_TRUE(QFile::link(song, kept.last()));
    const QString foreign = TemporaryName(song);
    test::WriteBytes(foreign, "another user's");
    if (::chown(QFile::encodeName(foreign).constData(), 65534, 65534) == 0) {
        kept << foreign;
    } else {
        QFile::remove(foreign);
    }
    const auto expectKept = [&] {
        for (const QString& path : kept) {
            EXPECT_TRUE(QFileInfo(path).exists() || QFileInfo(path).isSymLink()) << path.toStdString();
        }
    };

    EXPECT_EQ(RemoveRewriteLeftoversOf(song), QStringList{leftover});
    EXPECT_TRUE(QFileInfo::exists(dir.Path(otherLeftover)));
    expectKept();
    EXPECT_EQ(RemoveRewriteLeftovers(dir.Path("")), QStringList{otherLeftover});
    expectKept();
    EXPECT_EQ(test::ReadBytes(song), "the original audio");
    EXPECT_EQ(test::ReadBytes(other), "other audio");

    // Once its process lets go, the held copy is a leftover like the others.
    ::close(heldFd);
    EXPECT_EQ(RemoveRewriteLeftovers(dir.Path("")), QStringList{QFileInfo(held).fileName()});
}

TEST(RewriteLeftovers, TheNextRewriteOfTheFileRemovesItsLeftovers) {
    test::ScratchDir dir;
    const QString song = dir.Put("song.mp3", "the original audio");
    KillMidRewrite(dir, song);
    KillMidRewrite(dir, song);
    FileRewrite rewrite(song);
    ASSERT_TRUE(rewrite.Begin());
    ASSERT_TRUE(rewrite.Append("new audio"));
    ASSERT_TRUE(rewrite.Commit()) << rewrite.Error().toStdString();
    EXPECT_EQ(dir.Entries(), QStringList{"song.mp3"});
    EXPECT_EQ(test::ReadBytes(song), "new audio");
}

TEST(RewriteLeftovers, ThoseOfLongNamesAreFoundByTheShortenedName) {
    for (const QString& name : {QString(255 - 4, 'n') + ".mp3", QString(125, QChar(0xE9)) + ".mp3"}) {
        test::ScratchDir dir;
        const QString song = dir.Put(name, "audio");
        const QString lookalike = dir.Put(name.left(100) + ".ogg", "audio");
        QByteArray temporary;
        const int fd = CreateTemporaryBeside(QFile::encodeName(song), temporary);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        ::close(fd);
        EXPECT_TRUE(RemoveRewriteLeftoversOf(lookalike).isEmpty());
        EXPECT_EQ(RemoveRewriteLeftoversOf(song), QStringList{QFileInfo(temporary).fileName()});
    }
}

/// A rewrite that fails, and what its failure is to say.
struct RewriteFailureCase {
    const char* name;
    RewriteFault fault;
    bool missingFile;
    const char* what;  ///< the failing step, as the message starts
    bool namesTemporary;
    int errorNumber;
};

class RewriteErrors : public testing::TestWithParam<RewriteFailureCase> {};

TEST_P(RewriteErrors, NameTheFileAndTheSystemsReason) {
    const RewriteFailureCase& failure = GetParam();
    test::ScratchDir dir;
    const QString song = failure.missingFile ? dir.Path("song.mp3") : dir.Put("song.mp3", "audio");
    SetRewriteFaultForTesting(failure.fault);
    FileRewrite rewrite(song);
    const bool done = rewrite.Begin() && rewrite.Append("new") && rewrite.Commit();
    SetRewriteFaultForTesting(RewriteFault::None);
    ASSERT_FALSE(done);
    const QString subject = failure.namesTemporary ? dir.Path(".song.mp3~") : song;
    EXPECT_TRUE(rewrite.Error().startsWith(QString(failure.what) + " " + subject))
        << rewrite.Error().toStdString();
    EXPECT_TRUE(rewrite.Error().endsWith(QString(": ") + std::strerror(failure.errorNumber)))
        << rewrite.Error().toStdString();
    EXPECT_EQ(rewrite.ErrorNumber(), failure.errorNumber);
    EXPECT_EQ(dir.Entries(), failure.missingFile ? QStringList() : QStringList{"song.mp3"});
}

INSTANTIATE_TEST_SUITE_P(
    Tags, RewriteErrors,
    testing::Values(RewriteFailureCase{"MissingFile", RewriteFault::None, true, "Cannot read", false, ENOENT},
                    RewriteFailureCase{"Create", RewriteFault::Create, false, "Cannot create", false, EACCES},
                    RewriteFailureCase{"DiskFull", RewriteFault::Write, false, "Cannot write", true, ENOSPC},
                    RewriteFailureCase{"Sync", RewriteFault::Sync, false, "Cannot flush", true, EIO},
                    RewriteFailureCase{"Rename", RewriteFault::Rename, false, "Cannot rename", true, EBUSY}),
    test::ByName());

TEST(RewriteErrors, NoneAfterASuccess) {
    test::ScratchDir dir;
    FileRewrite rewrite(dir.Put("song.mp3", "audio"));
    EXPECT_TRUE(rewrite.Begin() && rewrite.Append("new") && rewrite.Commit());
    EXPECT_EQ(rewrite.ErrorNumber(), 0);
    EXPECT_TRUE(rewrite.Error().isEmpty());
}

}  // namespace
}  // namespace sw
