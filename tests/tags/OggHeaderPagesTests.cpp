#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonObject>
#include <functional>

#include "TagTestSupport.h"
#include "tags/OggVorbis.h"

namespace sw {
namespace {

QString Md5(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

std::size_t HeaderPages(const QByteArray& file) {
    return test::HeaderPageCount(test::SplitPages(file));
}

/// One save of comments into a real file, checked by every independent reader.
struct Step {
    const char* what;
    std::function<void(TOggVorbis&)> change;
    QString comment;  // the COMMENT mutagen reads afterwards
};

/// Saves each step in turn and checks the file after each: only the header pages changed (the
/// others renumbered as needed), ogginfo finds nothing wrong, ffmpeg decodes the same audio and
/// mutagen reads the new comments and the picture. Returns the header page count after each step.
std::vector<std::size_t> SaveAndCheck(const QString& path, const QString& pictureMd5,
                                      const std::vector<Step>& steps) {
    const test::Decoded original = test::DecodeWithFfmpeg(path);
    EXPECT_EQ(original.Errors, "");
    EXPECT_GT(original.Pcm.size(), 100000);
    std::vector<std::size_t> headerPages;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const QByteArray before = test::ReadBytes(path);
        TOggVorbis ogg;
        EXPECT_TRUE(ogg.Read(path));
        EXPECT_EQ(ogg.Artist(), "Long Artist");
        step.change(ogg);
        EXPECT_TRUE(ogg.Save(path)) << OggSaveFailureText(ogg.LastFailure()).toStdString();
        const QByteArray after = test::ReadBytes(path);
        test::ExpectAudioPagesKept(before, after);
        headerPages.push_back(HeaderPages(after));

        EXPECT_EQ(test::OggInfoProblems(path), QStringList());
        const test::Decoded decoded = test::DecodeWithFfmpeg(path);
        EXPECT_EQ(decoded.Errors, "");
        EXPECT_EQ(Md5(decoded.Pcm), Md5(original.Pcm));

        QString error;
        const QJsonObject seen = test::MutagenRead(path, &error).value("ogg").toObject();
        EXPECT_EQ(error, "");
        // The encoder's comment stays in front; a new comment goes after the others.
        QJsonArray comments{QJsonArray{"encoder", "Lavc libvorbis"}, QJsonArray{"TITLE", ogg.Title()},
                            QJsonArray{"ARTIST", "Long Artist"}, QJsonArray{"ALBUM", "Long Album"}};
        if (!step.comment.isEmpty()) {
            comments.append(QJsonArray{"COMMENT", step.comment});
        }
        EXPECT_EQ(seen.value("comments").toArray(), comments);
        EXPECT_EQ(seen.value("vendor").toString(), "ffmpeg");
        EXPECT_EQ(seen.value("seconds").toDouble(), 4.0);
        const QJsonArray pictures = seen.value("pictures").toArray();
        if (pictureMd5.isEmpty()) {
            EXPECT_TRUE(pictures.isEmpty());
        } else {
            EXPECT_EQ(pictures.size(), 1);
            const QJsonObject picture = pictures.at(0).toObject();
            EXPECT_EQ(picture.value("md5").toString(), pictureMd5);
            EXPECT_EQ(picture.value("mime").toString(), "image/jpeg");
            EXPECT_EQ(picture.value("type").toInt(), 3);
        }

        TOggVorbis reread;
        EXPECT_TRUE(reread.Read(path));
        EXPECT_EQ(reread.Title(), ogg.Title());
        EXPECT_EQ(reread.Album(), "Long Album");
        EXPECT_EQ(reread.Comment(), step.comment.left(242));
    }
    return headerPages;
}

TEST(OggHeaderPages, ACoverPictureOverManyPagesSurvivesRetagging) {
    test::ScratchDir dir;
    const QString path = dir.Put("cover.ogg", test::Fixture("long.ogg"));
    // Another tagger embeds a picture of about 200 KB and spreads the header over 4 KB pages.
    const QString picture = test::AddPictureWithMutagen(path, 200000);
    ASSERT_FALSE(picture.isEmpty());
    const std::size_t taggerPages = HeaderPages(test::ReadBytes(path));
    ASSERT_GT(taggerPages, 40U);

    const QString title = QString::fromUtf8("Don’t “Me” € ") + QString::fromUcs4(U"\U0001F3B5");
    const std::vector<std::size_t> pages = SaveAndCheck(
        path, picture,
        {{"new title", [&](TOggVorbis& ogg) { ogg.SetTitle(title); }, {}},
         {"same again", [](TOggVorbis&) {}, {}},
         {"comment added", [](TOggVorbis& ogg) { ogg.SetComment("Sleeve notes"); }, "Sleeve notes"}});
    // Full pages of 255 segments: the picture and the setup header on five pages after the first.
    EXPECT_EQ(pages, (std::vector<std::size_t>{6, 6, 6}));
    EXPECT_EQ(dir.Entries(), QStringList{"cover.ogg"});
}

TEST(OggHeaderPages, AHeaderThatGrewOverPagesShrinksBackToOne) {
    test::ScratchDir dir;
    const QByteArray original = test::Fixture("long.ogg");
    const QString path = dir.Put("long.ogg", original);
    const QString notes(150000, 'n');
    const std::vector<std::size_t> pages =
        SaveAndCheck(path, {},
                     {{"long comment", [&](TOggVorbis& ogg) { ogg.SetComment(notes); }, notes},
                      {"short comment", [](TOggVorbis& ogg) { ogg.SetComment("Short"); }, "Short"}});
    EXPECT_EQ(pages, (std::vector<std::size_t>{4, 2}));
    // Back on one page, the audio pages carry their old numbers again, byte for byte.
    const std::vector<test::PageView> now = test::SplitPages(test::ReadBytes(path));
    const std::vector<test::PageView> was = test::SplitPages(original);
    ASSERT_EQ(now.size(), was.size());
    for (std::size_t i = 2; i < now.size(); ++i) {
        EXPECT_EQ(now[i].Bytes, was[i].Bytes) << "page " << i;
    }
}

}  // namespace
}  // namespace sw
