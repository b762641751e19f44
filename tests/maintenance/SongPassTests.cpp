#include <gtest/gtest.h>

#include "support/Unsaveable.h"
#include "tags/HeldFiles.h"

#include "CheckFixture.h"
#include "maintenance/TagPair.h"

namespace sw::test {
namespace {

// A whole report, so that the order of the passes and the texts of the helpers stay as they are.
TEST_F(CheckFixture, CleanCatalogueGivesTheFullReportLayout) {
    Mp3Tags tags{"Title", "Artist", "Album", "1998", "", 17};
    const QString path = Mp3("Rock/a.mp3", &tags);
    AddAlbum(1, "Album", 1);
    AddSongFor(path, "1998", 1, 17);

    m_check.RunCheck();
    const QStringList expected = {
        "SONG 1 records, scanning ...",
        "SONG 1 records scanned OK",
        " ",
        "latest = #1  2024-05-06 12:00:00",
        "Jukebox size 0MB",
        "(excludes MP3/OGG files referenced in this database that do not exist) ",
        " ",
        "ALBUM 1 records, scanning ...",
        "ALBUM 1 records scanned OK",
        " ",
        "GENRE 2 records, scanning ...",
        "1 unused genre could be made dormant (the repair does it)",
        "1 genre file count out of date (the repair sets them)",
        "GENRE 2 records scanned OK",
        " ",
        "SONGINPL 0 records, scanning ...",
        "SONGINPL 0 records scanned OK",
        " ",
        "HISTORY 0 records, scanning ...",
        "HISTORY 0 records scanned OK",
        " ",
        "Scan complete",
    };
    EXPECT_EQ(m_check.Report(), expected);
    EXPECT_EQ(m_display.lines, expected);
    EXPECT_EQ(m_check.Totals().problems, 0);
    EXPECT_EQ(m_check.Totals().songs, 1);
    EXPECT_EQ(m_check.ProgressText(), " ");
    EXPECT_FALSE(m_check.Running());
    EXPECT_FALSE(m_dialogs.BusyCursorShown());
    // The exact jukebox size is the file's size; the used genre's count of present files is the
    // repair's to store.
    EXPECT_EQ(m_library.size.Total(), QFileInfo(path).size());
    EXPECT_TRUE(m_library.size.Exact());
    EXPECT_TRUE(m_catalogue.Select("select numexi as v from genre where genreid = 17").IsNull("V"));
    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(IntOf("select numexi as v from genre where genreid = 17"), 1);
}

struct YearCase {
    std::string name;
    QString onDb;
    QString onFile;
    bool repair;
    QString suffix;
    QString dbAfter;
    QString fileAfter;
};

class YearMismatch : public CheckFixture, public ::testing::WithParamInterface<YearCase> {};

TEST_P(YearMismatch, IsReportedAndRepairedTowardsTheFourDigitYear) {
    const YearCase& c = GetParam();
    Mp3Tags tags{"Title", "Artist", "Album", c.onFile, "", 255};
    const QString path = Mp3("a.mp3", &tags);
    AddSongFor(path, c.onDb);

    if (c.repair) {
        ASSERT_TRUE(m_check.RunRepair());
    } else {
        m_check.RunCheck();
    }
    EXPECT_EQ(LinesWith("year"), QStringList{"Song #1 year mismatch : on db " + QuoteDouble(c.onDb) +
                                             ", on file " + QuoteDouble(c.onFile) + c.suffix});
    EXPECT_EQ(TextOf("select \"year\" as v from song").trimmed(), c.dbAfter);
    EXPECT_EQ(ReadBack(path).Year, c.fileAfter);
    if (c.repair && c.suffix == " (repaired)") {
        m_check.RunCheck();
        EXPECT_TRUE(LinesWith("year").isEmpty()) << LinesWith("year").join("\n").toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    CheckAndRepair, YearMismatch,
    ::testing::Values(
        YearCase{"ShortOnDbChecked", "199", "1998", false, " (can auto-repair)", "199", "1998"},
        YearCase{"ShortOnDbRepaired", "199", "1998", true, " (repaired)", "1998", "1998"},
        YearCase{"ShortOnFileChecked", "1998", "199", false, " (can auto-repair)", "1998", "199"},
        YearCase{"ShortOnFileRepaired", "1998", "199", true, " (repaired)", "1998", "1998"},
        YearCase{"BothFullLeftAlone", "1997", "1998", true, " (for manual repair)", "1997", "1998"},
        YearCase{"BothShortLeftAlone", "19", "198", true, " (for manual repair)", "19", "198"},
        YearCase{"EmptyOnDbRepaired", "", "2001", true, " (repaired)", "2001", "2001"}),
    ByName());

// The tag of an M4A or WMA file (year 1999, genre Rock) is compared with the catalogue like any
// other, but it is only read: a repair puts the catalogue right from it and never writes to it.
struct ContainerYearCase {
    std::string name;
    QString fixture;
    QString onDb;
    /// The year the file's tag is given in place of 1999 ("199 " reads as "199").
    QString onFile;
    bool repair;
    /// The year line as reported; empty for none.
    QString line;
    QString dbAfter;
};

class ContainerTagYear : public CheckFixture, public ::testing::WithParamInterface<ContainerYearCase> {};

TEST_P(ContainerTagYear, IsComparedAndOnlyTheCatalogueRepaired) {
    const ContainerYearCase& c = GetParam();
    QByteArray bytes = Fixture(c.fixture);
    const bool asf = c.fixture.endsWith(".wma");
    const auto encoded = [asf](const QString& text) {
        return asf ? QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2) : text.toUtf8();
    };
    ASSERT_EQ(bytes.count(encoded("1999")), 1);
    bytes.replace(encoded("1999"), encoded(c.onFile));
    const QString path = Put("song." + c.fixture.section('.', 1), bytes);
    ASSERT_EQ(ReadBack(path).TagSource, kTagMp4OrAsf);
    AddSongFor(path, c.onDb);

    if (c.repair) {
        ASSERT_TRUE(m_check.RunRepair());
    } else {
        m_check.RunCheck();
    }
    EXPECT_EQ(LinesWith("year"), c.line.isEmpty() ? QStringList{} : QStringList{"Song #1 " + c.line});
    EXPECT_EQ(TextOf("select \"year\" as v from song").trimmed(), c.dbAfter);
    EXPECT_EQ(ReadBytesOf(path), bytes) << "the file is never written";
    EXPECT_TRUE(m_dialogs.Transcript().filter("cannot be tagged").isEmpty())
        << m_dialogs.Transcript().join("\n").toStdString();
    if (c.repair && c.line.endsWith(" (repaired)")) {
        m_check.RunCheck();
        EXPECT_TRUE(LinesWith("year").isEmpty()) << LinesWith("year").join("\n").toStdString();
    }
}

void PrintTo(const ContainerYearCase& c, std::ostream* os) {
    *os << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    CheckAndRepair, ContainerTagYear,
    ::testing::Values(
        ContainerYearCase{"M4aSameYear", "tagged.m4a", "1999", "1999", true, "", "1999"},
        ContainerYearCase{"M4aShortOnDbChecked", "tagged.m4a", "199", "1999", false,
                          "year mismatch : on db \"199\", on file \"1999\" (can auto-repair)", "199"},
        ContainerYearCase{"M4aShortOnDbRepaired", "tagged.m4a", "199", "1999", true,
                          "year mismatch : on db \"199\", on file \"1999\" (repaired)", "1999"},
        ContainerYearCase{"WmaEmptyOnDbRepaired", "tagged.wma", "", "1999", true,
                          "year mismatch : on db \"\", on file \"1999\" (repaired)", "1999"},
        ContainerYearCase{"M4aShortOnFileChecked", "tagged.m4a", "1999", "199 ", false,
                          "year mismatch : on db \"1999\", on file \"199\" (for manual repair)", "1999"},
        ContainerYearCase{"M4aShortOnFileRepaired", "tagged.m4a", "1999", "199 ", true,
                          "year mismatch : on db \"1999\", on file \"199\" (for manual repair)", "1999"},
        ContainerYearCase{"WmaShortOnFileRepaired", "tagged.wma", "1998", "199 ", true,
                          "year mismatch : on db \"1998\", on file \"199\" (for manual repair)", "1998"},
        ContainerYearCase{"WmaBothFullLeftAlone", "tagged.wma", "2001", "1999", true,
                          "year mismatch : on db \"2001\", on file \"1999\" (for manual repair)", "2001"}),
    ByName());

TEST_F(CheckFixture, ContainerTagGenreIsComparedByName) {
    const QString m4a = Put("rock.m4a", Fixture("tagged.m4a"));
    const QString wma = Put("rock.wma", Fixture("tagged.wma"));
    AddSongFor(m4a, "1999", 0, 8);
    AddSongFor(wma, "1999", 0, 17);
    AddSongFor(Put("plain.m4a", Fixture("plain.m4a")), "1999", 0, 8);
    m_check.SetOption(HealthOption::GenreMismatches, true);
    m_check.SetOption(HealthOption::NoTags, true);

    ASSERT_TRUE(m_check.RunRepair());
    // A file without such a tag is not one a tag could be written to.
    EXPECT_EQ(m_check.ProblemLines(),
              QStringList{"Song #1 genre mismatch : on db \"Jazz\", on file \"Rock\" (for manual repair)"});
    EXPECT_EQ(ReadBytesOf(m4a), Fixture("tagged.m4a"));
    EXPECT_EQ(ReadBytesOf(wma), Fixture("tagged.wma"));
}

TEST_F(CheckFixture, YearRepairKeepsDetailsTooLongForAnId3v1Tag) {
    const QString title = "A title of forty characters, no less ok";
    Mp3Tags tags{title, "Artist", "Album", "98", "", 255};
    const QString path = Mp3("long.mp3", &tags);
    AddSongFor(path, "1998");

    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(LinesWith("year").size(), 1);
    TSong v1;
    v1.FullPath = path;
    EXPECT_FALSE(ReadId3v1(v1, m_state));
    const TSong after = ReadBack(path);
    EXPECT_EQ(after.TagSource, kTagId3v2);
    EXPECT_EQ(after.Title, title);
    EXPECT_EQ(after.Year, "1998");
}

TEST_F(CheckFixture, TagWithoutTitleArtistAndAlbumIsNotRewrittenForItsYear) {
    Mp3Tags tags{"", "", "", "98", "", 255};
    const QString path = Mp3("empty.mp3", nullptr, &tags);
    AddSongFor(path, "1998");

    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(m_check.ProblemLines(),
              (QStringList{"Song #1 null tag in MP3/OGG file (for manual repair)",
                           "Song #1 year mismatch : on db \"1998\", on file \"98\" (for manual repair)"}));
    EXPECT_EQ(ReadBack(path).Year, "98");
}

TEST_F(CheckFixture, FilePresenceAndSizeAgainstTheCatalogue) {
    const QString there = Put("there.mp3", Fixture("plain.mp3"));
    AddSong("gone.mp3", "", 1, 5000);  // marked present, file gone
    AddSong("there.mp3", "", 0, 12);   // marked absent, file there with another size
    AddSongFor(Put("right.mp3", Fixture("plain.mp3")));  // right on both counts

    m_check.RunCheck();
    const QString size = QString::number(QFileInfo(there).size());
    EXPECT_EQ(m_check.ProblemLines(),
              (QStringList{"Song #1 db wrongly shows file as present (can auto-repair)",
                           "Song #2 db wrongly shows file as absent (can auto-repair)",
                           "Song #2  actual file size " + size + ", DB thinks 12 (can auto-repair)"}));
    // The two genres no song uses are there to be made dormant too, which is no problem.
    EXPECT_EQ(m_check.Totals().outstanding, 3);
    EXPECT_EQ(m_check.Totals().information, 2);

    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(m_check.Totals().repaired, 5);
    EXPECT_EQ(IntOf("select exi as v from song where songnum = 1"), 0);
    EXPECT_EQ(IntOf("select exi as v from song where songnum = 2"), 1);
    EXPECT_EQ(TextOf("select \"size\" as v from song where songnum = 2"), size);
    m_check.RunCheck();
    EXPECT_TRUE(m_check.ProblemLines().isEmpty()) << m_check.ProblemLines().join("\n").toStdString();
    EXPECT_EQ(m_check.Totals().outstanding, 0);
}

TEST_F(CheckFixture, FilesWithoutTagsGetTheCatalogueDetails) {
    const QString path = Put("plain.mp3", Fixture("plain.mp3"));
    AddSongFor(path, "2002");
    m_check.SetOption(HealthOption::NoTags, true);

    m_check.RunCheck();
    EXPECT_EQ(m_check.ProblemLines(), QStringList{"Song #1 file has no tag (can auto-repair)"});
    m_dialogs.QueueAnswers({"Yes", "Cancel"});
    EXPECT_FALSE(m_check.RunRepair());
    EXPECT_EQ(m_dialogs.TextsOf("ASK").last(),
              "Missing tags will be written as per your Tag Policy (see main menu) -> Cancel");
    EXPECT_EQ(ReadBack(path).TagSource, kTagNoTag);

    const qint64 before = QFileInfo(path).size();
    ASSERT_TRUE(m_check.RunRepair());
    // The new tag makes the file longer, which the same scan records.
    EXPECT_EQ(m_check.ProblemLines(),
              (QStringList{"Song #1 file has no tag (repaired)",
                           "Song #1  actual file size " + QString::number(before + 128) + ", DB thinks " +
                               QString::number(before) + " (repaired)"}));
    const TSong after = ReadBack(path);
    EXPECT_EQ(after.TagSource, kTagId3v1);
    EXPECT_EQ(after.Title, "Song 1");
    EXPECT_EQ(after.Year, "2002");
    m_check.RunCheck();
    EXPECT_TRUE(m_check.ProblemLines().isEmpty());
}

TEST_F(CheckFixture, ARepairThatWritesNothingSaysSo) {
    // Under "no tags" the tag writer asks, and the default answer keeps the file as it is.
    m_settings.MP3TAGPOLICY = 0;
    const QString path = Put("plain.mp3", Fixture("plain.mp3"));
    AddSongFor(path, "2002");
    m_check.SetOption(HealthOption::NoTags, true);

    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(m_check.ProblemLines(), QStringList{"Song #1 file has no tag (not repaired)"});
    EXPECT_EQ(m_check.Totals().outstanding, 1);
    EXPECT_EQ(ReadBack(path).TagSource, kTagNoTag);
}

TEST_F(CheckFixture, FilesThatCannotBeWrittenAreNamedInTheReportNotInABoxEach) {
    const QString held = Put("held.mp3", Fixture("plain.mp3"));
    const QString unsaveable = Put("unsaveable.mp3", Fixture("plain.mp3"));
    const QString fine = Put("fine.mp3", Fixture("plain.mp3"));
    for (const QString& path : {held, unsaveable, fine}) {
        AddSongFor(path, "2002");
    }
    ASSERT_TRUE(MakeUnsaveable(unsaveable));
    m_check.SetOption(HealthOption::NoTags, true);
    {
        HeldFile playing(held);
        ASSERT_TRUE(m_check.RunRepair());
    }
    EXPECT_TRUE(m_dialogs.TextsOf("INFO").isEmpty()) << m_dialogs.TextsOf("INFO").join("\n").toStdString();
    const QStringList lines = m_check.ProblemLines().filter("no tag");
    ASSERT_EQ(lines.size(), 3) << m_check.ProblemLines().join("\n").toStdString();
    EXPECT_EQ(lines[0], "Song #1 file has no tag (not repaired: File in use, ID3v1 tag parked to save later)");
    EXPECT_TRUE(lines[1].startsWith("Song #2 file has no tag (not repaired: Cannot write " + unsaveable + ": "))
        << lines[1].toStdString();
    EXPECT_EQ(lines[2], "Song #3 file has no tag (repaired)");
    EXPECT_EQ(ReadBack(fine).TagSource, kTagId3v1);
    EXPECT_EQ(ReadBack(held).TagSource, kTagNoTag);
}

TEST_F(CheckFixture, AnId3v2TagInUnicodeIsNotAMissingTag) {
    // TIT2 in UTF-16 with a byte-order mark: a tag the reader leaves alone.
    QByteArray text("\x01\xff\xfe", 3);
    for (const QChar c : QString("Ünï")) {
        text += char(c.unicode() & 0xff);
        text += char(c.unicode() >> 8);
    }
    QByteArray frame = "TIT2" + QByteArray(1, 0) + QByteArray(1, 0) + QByteArray(1, 0) +
                       QByteArray(1, char(text.size())) + QByteArray(2, 0) + text;
    QByteArray tag =
        QByteArray("ID3\x03\x00\x00", 6) + QByteArray(3, 0) + QByteArray(1, char(frame.size())) + frame;
    const QString path = Put("unicode.mp3", tag + Fixture("plain.mp3"));
    AddSongFor(path);
    m_check.SetOption(HealthOption::NoTags, true);

    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_TRUE(m_check.ProblemLines().isEmpty()) << m_check.ProblemLines().join("\n").toStdString();
    EXPECT_TRUE(ReadBytesOf(path).startsWith(tag));
}

TEST_F(CheckFixture, AbsoluteNamesUnderTheRootAreStoredRelativeKeepingTheirCase) {
    const QString a = Put("Rock/Some Song.mp3", Fixture("plain.mp3"));
    const QString b = Put("Jazz/B.mp3", Fixture("plain.mp3"));
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath("x.mp3");
    QFile::copy(a, outside);
    AddSong(a, "", 1, QFileInfo(a).size());
    AddSong(b, "", 1, QFileInfo(b).size());
    AddSong(outside, "", 1, QFileInfo(outside).size());
    // The root in other letters is another folder on this file system.
    AddSong(m_settings.Root.toUpper() + "Rock/Some Song.mp3", "", 0, 0);

    m_check.RunCheck();
    EXPECT_EQ(m_check.ProblemLines(), QStringList{"Stripping root from filenames (can auto-repair)"});
    EXPECT_EQ(m_catalogue.Select("select fn from song order by songnum").Value(0, 0).toString(), a);
    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(m_check.ProblemLines().filter("Stripping"), QStringList{"Stripping root from filenames (repaired)"});
    const RowSet rows = m_catalogue.Select("select fn from song order by songnum");
    EXPECT_EQ(rows.Value(0, 0).toString(), "Rock/Some Song.mp3");
    EXPECT_EQ(rows.Value(1, 0).toString(), "Jazz/B.mp3");
    EXPECT_EQ(rows.Value(2, 0).toString(), outside);
    EXPECT_EQ(rows.Value(3, 0).toString(), m_settings.Root.toUpper() + "Rock/Some Song.mp3");
}

TEST_F(CheckFixture, GenreMismatchesAreReportedByNameOrByNumber) {
    Mp3Tags rock{"T", "A", "B", "", "", 17};
    AddSongFor(Mp3("v2.mp3", &rock), "", 0, 8);
    AddSongFor(Mp3("v1.mp3", nullptr, &rock), "", 0, 8);
    AddSongFor(Mp3("same.mp3", &rock), "", 0, 17);

    m_check.RunCheck();
    EXPECT_TRUE(LinesWith("genre mismatch").isEmpty());
    m_check.SetOption(HealthOption::GenreMismatches, true);
    m_check.RunCheck();
    EXPECT_EQ(LinesWith("genre mismatch"),
              (QStringList{"Song #1 genre mismatch : on db \"Jazz\", on file \"Rock\" (for manual repair)",
                           "Song #2 genre mismatch : on db 8, on file 17 (for manual repair)"}));
}

TEST_F(CheckFixture, SongOfAMissingAlbumIsTakenOutOfIt) {
    AddAlbum(1, "Here", 0);
    AddSong("a.mp3", "", 0, 0, 1);
    AddSong("b.mp3", "", 0, 0, 42);

    m_check.RunCheck();
    EXPECT_EQ(LinesWith("album not found"), QStringList{"Song #2 album not found #42 (can auto-repair)"});
    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(IntOf("select albumid as v from song where songnum = 2"), 0);
    EXPECT_EQ(IntOf("select albumid as v from song where songnum = 1"), 1);
}

TEST_F(CheckFixture, CancelStopsBeforeTheNextSong) {
    for (int i = 0; i < 5; ++i) {
        AddSong("missing" + QString::number(i) + ".mp3", "", 1, 0, 0, 17);
    }
    m_display.onPump = [this](int pump) {
        if (pump == 3) {
            EXPECT_TRUE(m_check.CancelEnabled());
            EXPECT_FALSE(m_check.CloseEnabled());
            m_check.Cancel();
        }
    };
    m_check.RunCheck();
    EXPECT_EQ(m_check.Totals().songs, 2);
    EXPECT_TRUE(m_check.Totals().aborted);
    EXPECT_EQ(m_check.Report().mid(m_check.Report().size() - 2), (QStringList{"Scan aborted", "2 problems"}));
    EXPECT_TRUE(LinesWith("ALBUM").isEmpty());
    EXPECT_TRUE(m_check.CloseEnabled());
    EXPECT_FALSE(m_dialogs.BusyCursorShown());
    // A check writes nothing, not even a mark on what it saw.
    EXPECT_TRUE(m_catalogue.Select("select numexi as v from genre where genreid = 17").IsNull("V"));
    EXPECT_TRUE(m_catalogue.Select("select rprts as v from genre where genreid = 17").IsNull("V"));
}

struct PairCase {
    std::string name;
    Mp3Tags v1;
    Mp3Tags v2;
    TagPairKind kind;
};

class TagPairComparison : public ::testing::TestWithParam<PairCase> {};

TEST_P(TagPairComparison, SortsThePair) {
    const auto record = [](const Mp3Tags& tags) {
        TSong song;
        song.Title = tags.title;
        song.ArtistName = tags.artist;
        song.AlbumName = tags.album;
        song.Year = tags.year;
        song.Comment = tags.comment;
        song.GenreId = static_cast<std::uint8_t>(tags.genre);
        return song;
    };
    EXPECT_EQ(CompareTagPair(record(GetParam().v1), record(GetParam().v2)), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TagPairComparison,
                         ::testing::Values(PairCase{"Equal",
                                                    {"T", "A", "B", "1999", "c", 17},
                                                    {"T", "A", "B", "1999", "c", 17},
                                                    TagPairKind::Identical},
                                           PairCase{"EqualButForCase",
                                                    {"t", "a", "B", "", "", 1},
                                                    {"T", "A", "b", "", "", 1},
                                                    TagPairKind::Identical},
                                           PairCase{"EmptyAgainstNone",
                                                    {"T", "A", "B", "", "", 1},
                                                    {"T", "A", "B", "", {}, 1},
                                                    TagPairKind::Identical},
                                           PairCase{"TitleCut",
                                                    {"Long", "A", "B", "", "", 1},
                                                    {"Long title", "A", "B", "", "", 1},
                                                    TagPairKind::Truncated},
                                           PairCase{"CommentCut",
                                                    {"T", "A", "B", "", "co", 1},
                                                    {"T", "A", "B", "", "comment", 1},
                                                    TagPairKind::Truncated},
                                           PairCase{"OtherTitle",
                                                    {"X", "A", "B", "", "", 1},
                                                    {"T", "A", "B", "", "", 1},
                                                    TagPairKind::Mismatched},
                                           PairCase{"V1Longer",
                                                    {"Title 2", "A", "B", "", "", 1},
                                                    {"Title", "A", "B", "", "", 1},
                                                    TagPairKind::Mismatched},
                                           PairCase{"OtherYear",
                                                    {"T", "A", "B", "1998", "", 1},
                                                    {"T", "A", "B", "1999", "", 1},
                                                    TagPairKind::Mismatched},
                                           PairCase{"OtherGenre",
                                                    {"T", "A", "B", "", "", 1},
                                                    {"T", "A", "B", "", "", 2},
                                                    TagPairKind::Mismatched}),
                         ByName());

TEST(TagPairRemoval, FollowsTheMp3TagPolicy) {
    using K = TagPairKind;
    using R = TagRemoval;
    struct Row {
        int policy;
        K kind;
        int whichTag;
        R removal;
    };
    const Row rows[] = {
        {0, K::Identical, 0, R::Id3v2ElseId3v1}, {1, K::Truncated, 0, R::Id3v2},
        {3, K::Identical, 0, R::Id3v1},          {4, K::Mismatched, 2, R::None},
        {2, K::Identical, 0, R::Id3v2},          {2, K::Truncated, 2, R::Id3v1},
        {2, K::Mismatched, 0, R::None},          {2, K::Mismatched, 1, R::Id3v1},
        {2, K::Mismatched, 2, R::Id3v2},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PairRemoval(row.policy, row.kind, row.whichTag), row.removal)
            << "policy " << row.policy << " kind " << static_cast<int>(row.kind) << " which " << row.whichTag;
    }
}

TEST_F(CheckFixture, BothTagsAreCleanedUpUnderPolicyTwo) {
    const QString title40 = "Forty characters of title, to be cut ok";
    Mp3Tags v2Long{title40, "Artist", "Album", "1999", "", 17};
    Mp3Tags v1Cut{title40.left(30), "Artist", "Album", "1999", "", 17};
    Mp3Tags same{"Same", "Artist", "Album", "1999", "", 17};
    Mp3Tags other{"Other", "Artist", "Album", "1999", "", 17};
    const QString truncated = Mp3("1.mp3", &v2Long, &v1Cut);
    const QString identical = Mp3("2.mp3", &same, &same);
    const QString mismatched = Mp3("3.mp3", &same, &other);
    for (const QString& path : {truncated, identical, mismatched}) {
        AddSongFor(path, "1999", 0, 17);
    }

    m_check.SetOption(HealthOption::BothTags, true);
    m_check.SetOption(HealthOption::Identical, false);
    m_check.RunCheck();
    EXPECT_EQ(m_check.ProblemLines(), (QStringList{"Song #1 v1 & v2 tags both present : v1 = trunc(v2)",
                                                   "Song #2 v1 & v2 tags both present : ",
                                                   "Song #3 v1 & v2 tags both present : mismatched"}));

    m_check.SetOption(HealthOption::Identical, true);
    m_dialogs.QueueAnswers({"Yes", "2", "Yes"});
    ASSERT_TRUE(m_check.RunRepair());
    EXPECT_EQ(m_dialogs.TextsOf("CHOICE").last(),
              "Which MP3 tag to delete where both present & mismatched? [delete v1 | delete v2] -> 2");
    EXPECT_EQ(m_check.ProblemLines(),
              (QStringList{"Song #1 v1 & v2 tags both present : v1 = trunc(v2) (repaired)",
                           "Song #2 v1 & v2 tags both present : identical (repaired)",
                           "Song #3 v1 & v2 tags both present : mismatched (repaired)"}));
    // The cut ID3v1 tag went; the ID3v2 tag went where the ID3v1 tag says the same or was chosen.
    EXPECT_EQ(ReadBack(truncated).TagSource, kTagId3v2);
    EXPECT_EQ(ReadBack(truncated).Title, title40);
    EXPECT_EQ(ReadBack(identical).TagSource, kTagId3v1);
    EXPECT_EQ(ReadBack(mismatched).TagSource, kTagId3v1);
    EXPECT_EQ(ReadBack(mismatched).Title, "Other");
    m_check.RunCheck();
    EXPECT_TRUE(m_check.ProblemLines().isEmpty());
}

}  // namespace
}  // namespace sw::test
