#include <gtest/gtest.h>

#include <unistd.h>
#include <QFile>

#include "../details/DetailsFixture.h"
#include "core/Renames.h"
#include "tags/HeldFiles.h"

namespace sw {
namespace {

using test::Details;

const QString kStoredArtist = "Ann O'Neil \"Live\"";
const QString kTypedArtist = "ANN O'NEIL \"LIVE\"";
const QString kOldArtist = "ann o'neil";
const QString kStoredAlbum = "Hits '99 \"Best\"";
const QString kTypedAlbum = "HITS '99 \"BEST\"";

/// Real MP3 files under the music root with ID3v1 tags (the default policy), catalogued.
class RenameFixture : public test::DetailsFixture {
protected:
    QString PathOf(const QString& name) const { return m_music.filePath(name); }
    QString ArtistInFile(const QString& name) { return Id3v1Fields(PathOf(name))["TPE1"].toString(); }
    QString AlbumInFile(const QString& name) { return Id3v1Fields(PathOf(name))["TALB"].toString(); }
    int Rows(const QString& sql) { return CountRows("select count(*) as ct from " + sql); }
    QString ArtistName(int id) {
        TArtist artist;
        return m_library.artists.FindArtistById(id, artist) ? artist.ArtistName : QString("(none)");
    }
    QString AlbumName(int id) {
        TAlbum album;
        return m_library.albums.FindAlbumById(id, album) ? album.AlbumName : QString("(none)");
    }
    /// What the user was asked, without the answers.
    QStringList Questions() const {
        QStringList asked;
        for (const QString& line : m_dialogs.TextsOf("ASK")) {
            asked << line.section(" -> ", 0, 0);
        }
        return asked;
    }
};

// Artist merges.

struct MergeCase {
    std::string name;
    QStringList answers;
    bool result;
    bool merged;
    /// Whether the renamed songs' files carry the new name.
    bool tagsRewritten;
};

void PrintTo(const MergeCase& merge, std::ostream* os) {
    *os << merge.name;
}

class ArtistMerge : public RenameFixture, public testing::WithParamInterface<MergeCase> {
protected:
    ArtistMerge() {
        m_target = AddTaggedSong("t.mp3", Details("T song", kStoredArtist, "T album"), 2);
        m_moved = {AddTaggedSong("x1.mp3", Details("X one", kOldArtist, "X album"), 2),
                   AddTaggedSong("x2.mp3", Details("X two", kOldArtist, "X album"), 2)};
        m_targetId = Stored(m_target).ArtistId;
        m_renamedId = Stored(m_moved[0]).ArtistId;
        m_albumId = Stored(m_moved[0]).AlbumId;
        m_targetBytes = test::ReadBytes(PathOf("t.mp3"));
    }

    int m_target = 0;
    std::vector<int> m_moved;
    int m_targetId = 0;
    int m_renamedId = 0;
    int m_albumId = 0;
    QByteArray m_targetBytes;
};

TEST_P(ArtistMerge, AsksBeforeMovingTheSongsAndAlbumsToTheArtistOfThatName) {
    const MergeCase& param = GetParam();
    m_dialogs.QueueAnswers(param.answers);
    int mergedInto = -1;
    EXPECT_EQ(RenameArtist(m_library, m_renamedId, kTypedArtist, &mergedInto), param.result);
    // Everything that happened was committed.
    m_catalogue.Rollback();

    QStringList asked{"Artist \"" + kStoredArtist + "\" (#" + QString::number(m_targetId) +
                      ") already exists - merge \"" + kOldArtist + "\" into it ?"};
    if (param.result) {
        asked << "Update individual music files with new name ?";
    }
    EXPECT_EQ(Questions(), asked);
    EXPECT_EQ(mergedInto, param.merged ? m_targetId : 0);

    const int songsArtist = param.merged ? m_targetId : m_renamedId;
    for (const int song : m_moved) {
        EXPECT_EQ(Stored(song).ArtistId, songsArtist);
    }
    TAlbum album;
    ASSERT_TRUE(m_library.albums.FindAlbumById(m_albumId, album));
    EXPECT_EQ(album.ArtistId, songsArtist);
    EXPECT_EQ(ArtistName(m_targetId), kStoredArtist);
    EXPECT_EQ(ArtistName(m_renamedId), param.merged ? "(none)" : param.result ? kTypedArtist : kOldArtist);

    // The files get the name the songs now show: the stored spelling after a merge.
    const QString inFiles = !param.tagsRewritten ? kOldArtist : param.merged ? kStoredArtist : kTypedArtist;
    EXPECT_EQ(ArtistInFile("x1.mp3"), inFiles);
    EXPECT_EQ(ArtistInFile("x2.mp3"), inFiles);
    EXPECT_EQ(test::ReadBytes(PathOf("t.mp3")), m_targetBytes);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Answers, ArtistMerge,
                         testing::Values(MergeCase{"MergeAndRewrite", {"Yes", "Yes"}, true, true, true},
                                         MergeCase{"MergeOnly", {"Yes", "No"}, true, true, false},
                                         MergeCase{"TwoArtistsOfThatName", {"No", "Yes"}, true, false, true},
                                         MergeCase{"Cancelled", {"Cancel"}, false, false, false}),
                         test::ByName());

TEST_F(ArtistMerge, ThatFailsHalfwayChangesNothing) {
    // The last of the merge's statements is refused, as the database may refuse any of them.
    m_catalogue.ExecSqlCommit("create exception artist_kept 'artist rows are kept'");
    m_catalogue.ExecSqlCommit(
        "create trigger keep_artists for artist before delete as begin exception artist_kept; end");
    m_dialogs.QueueAnswer("Yes");
    EXPECT_THROW(RenameArtist(m_library, m_renamedId, kTypedArtist), DatabaseError);
    m_catalogue.CommitAndContinue();

    for (const int song : m_moved) {
        EXPECT_EQ(Stored(song).ArtistId, m_renamedId);
    }
    TAlbum album;
    ASSERT_TRUE(m_library.albums.FindAlbumById(m_albumId, album));
    EXPECT_EQ(album.ArtistId, m_renamedId);
    EXPECT_EQ(ArtistName(m_renamedId), kOldArtist);
    EXPECT_EQ(Questions().size(), 1);
}

TEST_F(RenameFixture, ArtistRenamesThatAreNoMergeAskOnlyAboutTheFiles) {
    const int other = m_library.artists.FindOrCreateArtist(kStoredArtist);
    const int various = m_library.artists.VariousArtistId();
    struct Case {
        const char* name;
        int artist;
        QString newName;
    };
    const int own = m_library.artists.FindOrCreateArtist("beatles");
    m_catalogue.CommitAndContinue();
    const std::vector<Case> cases{
        {"the artist's own name in other letter case", own, "Beatles"},
        {"the various artist, which stays", various, kTypedArtist},
    };
    for (const Case& each : cases) {
        m_dialogs.ClearTranscript();
        m_dialogs.QueueAnswer("No");
        int mergedInto = -1;
        EXPECT_TRUE(RenameArtist(m_library, each.artist, each.newName, &mergedInto)) << each.name;
        EXPECT_EQ(Questions(), QStringList{"Update individual music files with new name ?"}) << each.name;
        EXPECT_EQ(mergedInto, 0) << each.name;
        EXPECT_EQ(ArtistName(each.artist), each.newName) << each.name;
    }
    EXPECT_EQ(ArtistName(other), kStoredArtist);
}

// Album merges.

class AlbumMerge : public RenameFixture, public testing::WithParamInterface<MergeCase> {
protected:
    AlbumMerge() {
        m_kept = AddTaggedSong("t.mp3", Details("T song", "Ann", kStoredAlbum), 2);
        m_targetId = Stored(m_kept).AlbumId;
        m_catalogue.ExecSqlCommit("update album set numexi = 1 where albumid = " +
                                  QString::number(m_targetId));
        m_present = AddTaggedSong("x1.mp3", Details("X one", "Ann", "Other"), 2);
        m_missing = AddTaggedSong("x2.mp3", Details("X two", "Ann", "Other"), 2);
        QFile::remove(PathOf("x2.mp3"));
        m_catalogue.ExecSqlCommit("update song set exi = 0 where songnum = " + QString::number(m_missing));
        m_renamedId = Stored(m_present).AlbumId;
        m_targetBytes = test::ReadBytes(PathOf("t.mp3"));
    }

    int NumExi(int albumId) {
        TAlbum album;
        m_library.albums.FindAlbumById(albumId, album);
        return album.NumExi;
    }

    int m_kept = 0;
    int m_present = 0;
    int m_missing = 0;
    int m_targetId = 0;
    int m_renamedId = 0;
    QByteArray m_targetBytes;
};

TEST_P(AlbumMerge, AsksBeforeMovingTheSongsToTheAlbumOfThatName) {
    const MergeCase& param = GetParam();
    m_dialogs.QueueAnswers(param.answers);
    int mergedInto = -1;
    EXPECT_EQ(RenameAlbum(m_library, m_renamedId, kTypedAlbum, -1, &mergedInto), param.result);
    m_catalogue.CommitAndContinue();
    m_catalogue.Rollback();

    QStringList asked{"Album \"" + kStoredAlbum + "\" (#" + QString::number(m_targetId) +
                      ") already exists - merge \"Other\" into it ?"};
    if (param.result) {
        asked << "Update individual music files with new name ?";
    }
    EXPECT_EQ(Questions(), asked);
    EXPECT_EQ(mergedInto, param.merged ? m_targetId : 0);
    const int songsAlbum = param.merged ? m_targetId : m_renamedId;
    EXPECT_EQ(Stored(m_present).AlbumId, songsAlbum);
    EXPECT_EQ(Stored(m_missing).AlbumId, songsAlbum);
    EXPECT_EQ(Stored(m_kept).AlbumId, m_targetId);
    // Only the moved song whose file is there counts among the target's present files.
    EXPECT_EQ(NumExi(m_targetId), param.merged ? 2 : 1);
    EXPECT_EQ(AlbumName(m_targetId), kStoredAlbum);
    EXPECT_EQ(AlbumName(m_renamedId), param.merged ? "(none)" : param.result ? kTypedAlbum : "Other");

    const QString inFile = !param.tagsRewritten ? "Other" : param.merged ? kStoredAlbum : kTypedAlbum;
    EXPECT_EQ(AlbumInFile("x1.mp3"), inFile);
    EXPECT_EQ(test::ReadBytes(PathOf("t.mp3")), m_targetBytes);
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Answers, AlbumMerge,
                         testing::Values(MergeCase{"MergeAndRewrite", {"Yes", "Yes"}, true, true, true},
                                         MergeCase{"MergeOnly", {"Yes", "No"}, true, true, false},
                                         MergeCase{"TwoAlbumsOfThatName", {"No", "Yes"}, true, false, true},
                                         MergeCase{"Cancelled", {"Cancel"}, false, false, false}),
                         test::ByName());

TEST_F(RenameFixture, AlbumRenamesThatAreNoMergeAskOnlyAboutTheFiles) {
    const int renamed = m_library.albums.CreateAlbumNamed("other");
    m_library.albums.CreateAlbumNamed("Twice");
    m_library.albums.CreateAlbumNamed("twice");
    TAlbum group;
    ClearAlbum(group);
    group.AlbumName = "Grouped";
    group.AlOrGrp = 'G';
    m_library.albums.WriteAlbum(group);
    m_catalogue.CommitAndContinue();
    struct Case {
        const char* name;
        int album;
        QString newName;
    };
    const std::vector<Case> cases{
        {"the album's own name in other letter case", renamed, "Other"},
        {"a name several other albums share", renamed, "TWICE"},
        {"a name only a group has", renamed, "grouped"},
    };
    for (const Case& each : cases) {
        m_dialogs.ClearTranscript();
        m_dialogs.QueueAnswer("No");
        EXPECT_TRUE(RenameAlbum(m_library, each.album, each.newName, -1)) << each.name;
        EXPECT_EQ(Questions(), QStringList{"Update individual music files with new name ?"}) << each.name;
        EXPECT_EQ(AlbumName(each.album), each.newName) << each.name;
    }

    // A group is renamed as a row only, even into an album's name.
    m_dialogs.ClearTranscript();
    m_dialogs.QueueAnswer("Twice");
    int mergedInto = -1;
    EXPECT_TRUE(PromptRenameAlbum(m_library, group.AlbumId, &mergedInto));
    EXPECT_EQ(m_dialogs.TextsOf("INPUT"), QStringList{"Rename album Group -> Twice"});
    EXPECT_TRUE(Questions().isEmpty());
    EXPECT_EQ(mergedInto, 0);
    EXPECT_EQ(AlbumName(group.AlbumId), "Twice");
}

TEST_F(RenameFixture, AnEmptyAlbumNamePushesTheGenreIntoTheTagsAndTheRowsWithoutAsking) {
    const int song = AddTaggedSong("g.mp3", Details("G", "Ann", kStoredAlbum), 2);
    const int album = Stored(song).AlbumId;
    m_catalogue.ExecSqlCommit("insert into album (albumid, alname, alorgrp) values (" +
                              QString::number(album + 1) + ", 'hits ''99 \"best\"', 'A')");
    EXPECT_TRUE(RenameAlbum(m_library, album, "", 8));
    EXPECT_TRUE(m_dialogs.Transcript().filter("ASK").isEmpty());
    EXPECT_EQ(Id3v1Fields(PathOf("g.mp3"))["TCON"].toString(), "8");
    EXPECT_EQ(AlbumInFile("g.mp3"), kStoredAlbum);
    m_catalogue.Rollback();
    EXPECT_EQ(AlbumName(album), kStoredAlbum);
    EXPECT_EQ(Stored(song).GenreId, 8);
}

// The tag rewrite of a rename goes on past a file that fails.

/// Throws for one file, as a tag writer may on an I/O error.
class ThrowingWriter : public SongTagWriter {
public:
    ThrowingWriter(SongTagWriter& real, QString failing) : m_real(real), m_failing(std::move(failing)) {}
    bool SaveSongTags(TSong& song) override {
        if (song.FullPath == m_failing) {
            throw std::runtime_error("Cannot write " + song.FullPath.toStdString() +
                                     ": No space left on device");
        }
        return m_real.SaveSongTags(song);
    }
    void SetReportMissingFiles(bool report) override { m_real.SetReportMissingFiles(report); }

private:
    SongTagWriter& m_real;
    QString m_failing;
};

enum class Cause { HeldByTheAudioEngine, WriterThrows, ReadOnlyFile };

struct FailureCase {
    std::string name;
    Cause cause;
    /// The reason the report gives; %1 stands for the file's path.
    QString reason;
};

void PrintTo(const FailureCase& failure, std::ostream* os) {
    *os << failure.name;
}

/// Three songs of one artist; the second one's file can be made to fail.
class Walker : public RenameFixture {
protected:
    Walker() {
        for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) {
            AddTaggedSong(name, Details(name, "Walker", "Walks"), 2);
        }
        m_artist = m_library.artists.FindArtistByName("Walker");
    }

    /// Makes the file fail; returns what undoes it, or nothing when the cause cannot be made here.
    std::function<void()> MakeFail(Cause cause, const QString& path) {
        switch (cause) {
            case Cause::HeldByTheAudioEngine: {
                auto held = std::make_shared<HeldFile>(path);
                return [held]() mutable { held.reset(); };
            }
            case Cause::WriterThrows:
                m_throwing = std::make_unique<ThrowingWriter>(m_tags, path);
                m_library.tagWriter = m_throwing.get();
                return [this] { m_library.tagWriter = &m_tags; };
            case Cause::ReadOnlyFile: {
                const QFile::Permissions kept = QFile::permissions(path);
                QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
                const auto restore = [path, kept] { QFile::setPermissions(path, kept); };
                if (::access(QFile::encodeName(path).constData(), W_OK) == 0) {
                    restore();
                    return {};
                }
                return restore;
            }
        }
        return {};
    }

    int m_artist = 0;
    std::unique_ptr<ThrowingWriter> m_throwing;
};

class TagFailure : public Walker, public testing::WithParamInterface<FailureCase> {};

TEST_P(TagFailure, IsReportedOnceAtTheEndWhileTheOtherFilesAreWritten) {
    const QString failing = PathOf("b.mp3");
    const std::function<void()> undo = MakeFail(GetParam().cause, failing);
    if (!undo) {
        GTEST_SKIP() << "the file stays writable for this user";
    }
    const QByteArray before = test::ReadBytes(failing);
    m_dialogs.QueueAnswer("Yes");
    EXPECT_TRUE(RenameArtist(m_library, m_artist, "Walker's \"Run\""));
    undo();

    EXPECT_EQ(ArtistInFile("a.mp3"), "Walker's \"Run\"");
    EXPECT_EQ(ArtistInFile("c.mp3"), "Walker's \"Run\"");
    EXPECT_EQ(test::ReadBytes(failing), before);
    EXPECT_EQ(ArtistName(m_artist), "Walker's \"Run\"");
    const QStringList info = m_dialogs.TextsOf("INFO");
    ASSERT_EQ(info.size(), 1);
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Tags saved to 2 file(s)"});
    EXPECT_EQ(info[0], "Tags could not be updated in 1 file(s):\\n" + failing + " - " +
                           QString(GetParam().reason).replace("%1", failing));
    EXPECT_FALSE(m_dialogs.BusyCursorShown());
}

INSTANTIATE_TEST_SUITE_P(Causes, TagFailure,
                         testing::Values(FailureCase{"HeldByTheAudioEngine", Cause::HeldByTheAudioEngine,
                                                     "File in use, ID3v1 tag parked to save later"},
                                         FailureCase{"WriterThrows", Cause::WriterThrows,
                                                     "Cannot write %1: No space left on device"},
                                         FailureCase{"ReadOnlyFile", Cause::ReadOnlyFile,
                                                     "Cannot open %1: Permission denied"}),
                         test::ByName());

TEST_F(Walker, TheRewriteRunsBusyReportsItsProgressAndCanBeStoppedWithOneNotice) {
    QStringList progress;
    const RewriteProgress stopAfterOne = [&](int done, int total) {
        progress
            << QString("%1/%2 %3").arg(done).arg(total).arg(m_dialogs.BusyCursorShown() ? "busy" : "idle");
        return done < 1;
    };
    const QByteArray before = test::ReadBytes(PathOf("c.mp3"));
    // ID3v2 saves flash a notice each; the walk gives one for all.
    m_settings.MP3TAGPOLICY = 3;
    m_dialogs.QueueAnswer("Yes");
    EXPECT_TRUE(RenameArtist(m_library, m_artist, "Stopped", nullptr, stopAfterOne));
    EXPECT_EQ(progress, (QStringList{"0/3 busy", "1/3 busy"}));
    EXPECT_EQ(Id3v2Frames(PathOf("a.mp3"))["TPE1"].toString(), "Stopped");
    EXPECT_EQ(test::ReadBytes(PathOf("c.mp3")), before);
    EXPECT_EQ(m_dialogs.TextsOf("INFO"), QStringList{"Tag update stopped, 2 file(s) not updated"});
    EXPECT_EQ(m_dialogs.TextsOf("FLASH"), QStringList{"Tags saved to 1 file(s)"});
    EXPECT_FALSE(m_dialogs.BusyCursorShown());
}

TEST(RewriteSummaryText, NamesTheFirstFailuresThenCountsTheRestAndAStop) {
    RewriteSummary summary;
    EXPECT_EQ(RewriteSummaryText(summary), "");
    for (int n = 1; n <= 30; ++n) {
        summary.failures << QString("/music/%1.mp3 - File error").arg(n);
    }
    summary.notReached = 4;
    const QStringList lines = RewriteSummaryText(summary).split("\r\n");
    ASSERT_EQ(lines.size(), 28);
    EXPECT_EQ(lines.first(), "Tags could not be updated in 30 file(s):");
    EXPECT_EQ(lines[25], "/music/25.mp3 - File error");
    EXPECT_EQ(lines[26], "... and 5 more");
    EXPECT_EQ(lines.last(), "Tag update stopped, 4 file(s) not updated");
}

}  // namespace
}  // namespace sw
