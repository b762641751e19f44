#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFileInfo>
#include <QJsonObject>

#include "TagTestSupport.h"
#include "core/Song.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"
#include "tags/OggVorbis.h"

namespace sw {
namespace {

// Odd and broken files other tag libraries collected; they live beside the repository, not in it.
QString CorpusDir() {
    return QStringLiteral(SW_SOURCE_DIR "/../shared/tag-corpus");
}

QStringList CorpusFiles() {
    QStringList files;
    QDirIterator it(CorpusDir(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix != "md" && suffix != "txt" && suffix != "log" && !path.endsWith("LICENSE")) {
            files << path;
        }
    }
    files.sort();
    return files;
}

TEST(TagCorpus, EveryFileReadsAndRewritesSafely) {
    const QStringList files = CorpusFiles();
    if (files.isEmpty()) {
        GTEST_SKIP() << "no tag corpus at " << CorpusDir().toStdString();
    }
    test::ScratchDir dir;
    int oggSaved = 0;
    for (const QString& source : files) {
        SCOPED_TRACE(source.toStdString());
        const QByteArray original = test::ReadBytes(source);
        const bool isOgg = original.contains("OggS");
        const QString path = dir.Put(isOgg ? "f.ogg" : "f.mp3", original);
        TagState state;
        TSong song;
        song.FullPath = path;
        song.FileType = "MP3";
        EXPECT_NO_THROW(ReadId3v1(song, state));
        TID3v2 id3(state);
        id3.Read(path);
        TOggVorbis ogg;
        const bool vorbis = ogg.Read(path);

        const QStringList problemsBefore = vorbis ? test::OggInfoProblems(path) : QStringList();
        const test::Decoded decodedBefore =
            vorbis && problemsBefore.isEmpty() ? test::DecodeWithFfmpeg(path) : test::Decoded{};
        ogg.SetTitle("Corpus title");
        if (ogg.Save(path)) {
            ++oggSaved;
            TOggVorbis reread;
            ASSERT_TRUE(reread.Read(path));
            EXPECT_EQ(reread.Title(), "Corpus title");
            // A rewrite must not add a complaint an Ogg checker did not have before, nor change
            // the sound of a file that played cleanly.
            if (problemsBefore.isEmpty()) {
                EXPECT_EQ(test::OggInfoProblems(path), QStringList());
                if (decodedBefore.Errors.isEmpty()) {
                    const test::Decoded decodedAfter = test::DecodeWithFfmpeg(path);
                    EXPECT_EQ(decodedAfter.Errors, "");
                    EXPECT_EQ(decodedAfter.Pcm, decodedBefore.Pcm);
                }
            }
        } else {
            EXPECT_EQ(test::ReadBytes(path), original);
            if (vorbis) {
                std::printf("ogg not saved (%s): %s\n", qPrintable(OggSaveFailureText(ogg.LastFailure())),
                            qPrintable(source));
            }
        }
        test::WriteBytes(path, original);

        TID3v2 tag(state);
        tag.Read(path);
        tag.SetTitle("Corpus title");
        if (!tag.Save(path)) {
            EXPECT_EQ(test::ReadBytes(path), original);
        } else {
            TID3v2 reread(state);
            ASSERT_TRUE(reread.Read(path));
            EXPECT_EQ(reread.Title(), "Corpus title");
        }
        EXPECT_EQ(dir.Entries().size(), 1);
        QFile::remove(path);
    }
    EXPECT_GT(oggSaved, 3);
    std::printf("corpus files=%lld ogg saves=%d\n", static_cast<long long>(files.size()), oggSaved);
}

/// The number a track text starts with ("03/16" gives 3), 0 when it starts with none.
int LeadingNumber(const QString& text) {
    int number = 0;
    for (const QChar c : text) {
        if (!c.isDigit() || number > 10000) {
            break;
        }
        number = number * 10 + c.digitValue();
    }
    return number;
}

// Tags behind an extended header or unsynchronised, at tag or frame level: the fields read as
// mutagen reads them, with Unicode tags on; version 3 tags read the same with the switch off too,
// except for the frames that switch leaves aside.
TEST(TagCorpus, ExtendedHeadersAndUnsynchronisationReadWhatMutagenReads) {
    const QStringList files = CorpusFiles();
    if (files.isEmpty()) {
        GTEST_SKIP() << "no tag corpus at " << CorpusDir().toStdString();
    }
    int compared = 0;
    int fieldsFilled = 0;
    for (const QString& path : files) {
        const QByteArray head = test::ReadBytes(path).left(10);
        if (head.size() < 10 || !head.startsWith("ID3") || (head[3] != 3 && head[3] != 4) ||
            (head[5] & 0xC0) == 0) {
            continue;
        }
        SCOPED_TRACE(path.toStdString());
        QString error;
        const QJsonObject v2 = test::MutagenRead(path, &error).value("id3v2").toObject();
        if (v2.isEmpty()) {
            std::printf("mutagen reads no tag, not compared: %s\n", qPrintable(path));
            continue;
        }
        const QJsonObject frames = v2.value("frames").toObject();
        const auto theirs = [&frames](const char* id) { return frames.value(id).toString().trimmed(); };
        const QString year = theirs(head[3] == 3 ? "TYER" : "TDRC").left(4);

        for (const bool unicode : {true, false}) {
            if (!unicode && head[3] != 3) {
                continue;
            }
            SCOPED_TRACE(unicode ? "Unicode tags on" : "Unicode tags off");
            TagState state;
            TID3v2 tag(state);
            tag.SetUnicodeTags(unicode);
            ASSERT_TRUE(tag.Read(path));
            if (state.UnicodeFrameSeen) {
                EXPECT_FALSE(unicode);
                continue;
            }
            EXPECT_EQ(tag.Title(), theirs("TIT2"));
            EXPECT_EQ(tag.Artist(), theirs("TPE1"));
            EXPECT_EQ(tag.Album(), theirs("TALB"));
            EXPECT_EQ(tag.Composer(), theirs("TCOM"));
            EXPECT_EQ(tag.Copyright(), theirs("TCOP"));
            EXPECT_EQ(tag.Encoder(), theirs("TENC"));
            EXPECT_EQ(tag.Year().left(4), year);
            EXPECT_EQ(tag.Track(), LeadingNumber(theirs("TRCK")));
            if (unicode) {
                ++compared;
                fieldsFilled += !tag.Title().isEmpty() + !tag.Artist().isEmpty() + !tag.Album().isEmpty();
            }
        }
    }
    std::printf("tags with extended headers or unsynchronisation compared=%d title/artist/album filled=%d\n",
                compared, fieldsFilled);
    // The corpus holds at least these; a reader that gave up on them would read nothing.
    EXPECT_GE(compared, 5);
    EXPECT_GE(fieldsFilled, 15);
}

}  // namespace
}  // namespace sw
