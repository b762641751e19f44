#include <gtest/gtest.h>

#include "TagPolicyFixture.h"

namespace sw {
namespace {

using test::Fixture;
using test::Policy;

struct ReadCase {
    std::string name;
    QString fixture;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class ContainerPolicy : public test::Policy, public ::testing::WithParamInterface<ReadCase> {};

// M4A and WMA files come in with their tags' details, the genre matched to the catalogue's and the
// artist and album found or created as for any tagged file.
TEST_P(ContainerPolicy, LoadReadsTheTag) {
    const QString path = m_scratch.Put("Song 09." + GetParam().fixture.section('.', 1), Fixture(GetParam().fixture));
    TSong song;
    ASSERT_TRUE(m_policy.ReadSongFromFile(path, song, ResolveMode::Create));
    EXPECT_EQ(song.TagSource, kTagMp4OrAsf);
    EXPECT_EQ(song.Title, "Fixture Title");
    EXPECT_EQ(song.ArtistName, "Fixture Artist");
    EXPECT_EQ(song.AlbumName, "Fixture Album");
    EXPECT_EQ(song.Year, "1999");
    EXPECT_EQ(song.Track, 3);
    EXPECT_EQ(song.Comment, "Fixture comment");
    EXPECT_EQ(song.GenreId, 17);
    EXPECT_EQ(song.GenreName, "Rock");
    EXPECT_GT(song.ArtistId, 0);
    EXPECT_GT(song.AlbumId, 0);
    EXPECT_FALSE(m_state.EmptyTagRead);
}

INSTANTIATE_TEST_SUITE_P(Files, ContainerPolicy,
                         ::testing::Values(ReadCase{"M4a", "tagged.m4a"}, ReadCase{"Wma", "tagged.wma"},
                                           ReadCase{"M4aWithCover", "cover.m4a"}),
                         test::ByName());

// Without a tag (or with one that cannot be read whole) the file comes in by its name, as a WAV
// file does.
TEST_F(Policy, ContainerFileWithoutTagComesInByName) {
    const QByteArray cut = Fixture("tagged.m4a").chopped(10);
    for (const auto& [name, bytes] : {std::pair{"Track 07.m4a", Fixture("plain.m4a")},
                                      std::pair{"Track 08.wma", Fixture("plain.wma")},
                                      std::pair{"Track 09.m4a", cut}}) {
        TSong song;
        ASSERT_TRUE(m_policy.ReadSongFromFile(m_scratch.Put(name, bytes), song, ResolveMode::Create)) << name;
        EXPECT_EQ(song.Title, QString(name).section('.', 0, 0));
        EXPECT_EQ(song.TagSource, kTagNotRead);
        EXPECT_EQ(song.ArtistId, -1);
        EXPECT_EQ(song.AlbumId, -1);
    }
}

// "gnre" gives the ID3v1 genre number plus one; the catalogue names it.
TEST_F(Policy, Mp4GenreNumberNamedByTheCatalogue) {
    QByteArray m4a = Fixture("tagged.m4a");
    const qsizetype gen = m4a.indexOf("\xa9gen");
    ASSERT_GT(gen, 0);
    // The ©gen item (28 bytes: a data box holding "Rock") becomes a gnre item of the same size.
    m4a.replace(gen, 4, "gnre");
    m4a.replace(gen + 20, 4, QByteArray("\x00\x12\0\0", 4));
    TSong song;
    ASSERT_TRUE(m_policy.ReadSongFromFile(m_scratch.Put("g.m4a", m4a), song, ResolveMode::None));
    EXPECT_EQ(song.GenreId, 17);
    EXPECT_EQ(song.GenreName, "Rock");
}

// A save is refused with the reason, and the file stays as it was.
TEST_F(Policy, ContainerTagsAreNotWritten) {
    for (const char* fixture : {"tagged.m4a", "tagged.wma"}) {
        TSong song = SongFor(fixture, fixture);
        const QByteArray before = test::ReadBytes(song.FullPath);
        EXPECT_FALSE(m_policy.SaveSongTags(song));
        EXPECT_EQ(test::ReadBytes(song.FullPath), before);
        EXPECT_EQ(m_dialogs.TextsOf("INFO").value(0), song.FullPath + "\\nFile cannot be tagged (" + song.FileType +
                                                          " tags are read, never written), " + song.FileType +
                                                          " tag not saved");
        m_dialogs.ClearTranscript();
    }
}

}  // namespace
}  // namespace sw
