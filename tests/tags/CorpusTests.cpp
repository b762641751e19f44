#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFileInfo>

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

}  // namespace
}  // namespace sw
