// The reader against the committed fixtures (made by the test writer) and damaged copies of them.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "Fixtures.h"
#include "ParadoxWriter.h"
#include "converter/CodePage.h"
#include "converter/LegacyCatalogue.h"
#include "converter/ParadoxTable.h"

namespace sw::paradox {
namespace {

QByteArray ReadBytes(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ParadoxFixture(const QString& file) {
    return test::FixturesFolder() + "/paradox/" + file;
}

QString MemoOf(const QString& table) {
    return CompanionFile(table, "MB");
}

TEST(ParadoxFixtures, AreWhatTheWriterMakes) {
    for (const test::ReaderFixture& fixture : test::ReaderFixtures()) {
        SCOPED_TRACE(fixture.file);
        const test::TableFiles made = test::MakeTable(fixture.layout);
        const QString path = ParadoxFixture(fixture.file);
        EXPECT_EQ(ReadBytes(path), made.table);
        EXPECT_EQ(ReadBytes(MemoOf(path)), made.memo);
    }
    QTemporaryDir dir;
    test::WriteLegacyFolder(dir.path());
    const QString committed = test::FixturesFolder() + "/legacy";
    QDirIterator files(dir.path(), QDir::Files, QDirIterator::Subdirectories);
    int count = 0;
    while (files.hasNext()) {
        const QString path = files.next();
        const QString relative = QDir(dir.path()).relativeFilePath(path);
        EXPECT_EQ(ReadBytes(path), ReadBytes(committed + "/" + relative)) << relative.toStdString();
        ++count;
    }
    EXPECT_EQ(count, 8);
}

TEST(ParadoxFixtures, EveryValueReadsBackAsWritten) {
    for (const test::ReaderFixture& fixture : test::ReaderFixtures()) {
        SCOPED_TRACE(fixture.file);
        const Table table(ParadoxFixture(fixture.file));
        const TableInfo& info = table.Info();
        EXPECT_EQ(info.fileVersion, fixture.layout.fileVersion);
        EXPECT_EQ(info.keyFields, fixture.layout.keyFields);
        EXPECT_EQ(table.TextCodePage(), fixture.layout.fileVersion >= 5 ? fixture.layout.codePage : 1252);
        ASSERT_EQ(table.FieldCount(), static_cast<int>(fixture.layout.fields.size()));
        for (int field = 0; field < table.FieldCount(); ++field) {
            EXPECT_EQ(info.fields[field].name, fixture.layout.fields[field].name);
            EXPECT_EQ(info.fields[field].type, fixture.layout.fields[field].type);
        }
        ASSERT_EQ(table.RowCount(), static_cast<int>(fixture.layout.rows.size()));
        for (int row = 0; row < table.RowCount(); ++row) {
            for (int field = 0; field < table.FieldCount(); ++field) {
                EXPECT_EQ(table.Value(row, field), fixture.layout.rows[row][field])
                    << "row " << row << " field " << info.fields[field].name.toStdString() << ": "
                    << table.Value(row, field).toString().toStdString();
            }
        }
        EXPECT_TRUE(table.Warnings().isEmpty()) << table.Warnings().join('\n').toStdString();
    }
}

TEST(ParadoxFixtures, LegacyTablesHaveTheLayoutTheConverterReads) {
    const LegacyCatalogue legacy(test::FixturesFolder() + "/legacy/Data/");
    EXPECT_EQ(legacy.Songs().RowCount(), 6);
    EXPECT_EQ(legacy.Entries().Info().keyFields, 2);
    QStringList spellings;
    for (const LegacyArtist& artist : legacy.ArtistQuery()) {
        spellings << artist.name;
    }
    EXPECT_EQ(spellings, QStringList({"", "ABBA", "Abba", "abba", "Energy 52", "Zoë Keating"}));
}

struct Damage {
    const char* name;
    const char* fixture;
    std::function<void(QByteArray&)> change;
    const char* reason;
};

void SetLe16(QByteArray& bytes, qsizetype at, int value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

int Le16(const QByteArray& bytes, qsizetype at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

/// Where a physical block of the table starts.
qsizetype BlockAt(const QByteArray& bytes, int block) {
    return Le16(bytes, 2) + qsizetype{block - 1} * static_cast<unsigned char>(bytes[5]) * 1024;
}

class DamagedTable : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedTable, IsRefusedWithAMessageNamingTheFile) {
    const Damage& damage = GetParam();
    QByteArray bytes = ReadBytes(ParadoxFixture(damage.fixture));
    ASSERT_FALSE(bytes.isEmpty());
    damage.change(bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(damage.fixture);
    test::WriteBytes(path, bytes);
    try {
        const Table table(path);
        ADD_FAILURE() << "the damaged table was read with " << table.RowCount() << " rows";
    } catch (const ParadoxError& error) {
        const QString message = QString::fromUtf8(error.what());
        EXPECT_TRUE(message.contains(path)) << error.what();
        EXPECT_TRUE(message.contains(damage.reason)) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, DamagedTable,
    ::testing::Values(
        Damage{"Empty", "v30.db", [](QByteArray& b) { b.clear(); }, "too short"},
        Damage{"CutInTheFixedHeader", "v30.db", [](QByteArray& b) { b.truncate(0x40); }, "too short"},
        Damage{"CutInTheExtendedHeader", "types7.db", [](QByteArray& b) { b.truncate(0x70); }, "too short"},
        Damage{"CutBeforeTheBlocks", "types7.db", [](QByteArray& b) { b.truncate(1000); },
               "longer than the file"},
        Damage{"LastByteMissing", "types7.db", [](QByteArray& b) { b.chop(1); }, "past the end of the file"},
        Damage{"LastBlockMissing", "v30.db", [](QByteArray& b) { b.chop(1024); }, "past the end of the file"},
        Damage{"IndexFile", "v30.db", [](QByteArray& b) { b[4] = 1; }, "not a table's data file"},
        Damage{"VersionTwo", "v30.db", [](QByteArray& b) { b[0x39] = 2; }, "unknown file version 2"},
        Damage{"VersionThirteen", "types7.db", [](QByteArray& b) { b[0x39] = 13; },
               "unknown file version 13"},
        Damage{"NoBlockSize", "v30.db", [](QByteArray& b) { b[5] = 0; }, "block size"},
        Damage{"HugeBlockSize", "types7.db", [](QByteArray& b) { b[5] = 64; }, "block size"},
        Damage{"NoRecordSize", "v30.db", [](QByteArray& b) { SetLe16(b, 0, 0); }, "record size"},
        Damage{"RecordSizeOffByOne", "v30.db", [](QByteArray& b) { SetLe16(b, 0, Le16(b, 0) + 1); },
               "add up"},
        Damage{"NoFields", "types7.db", [](QByteArray& b) { SetLe16(b, 0x21, 0); }, "number of fields"},
        Damage{"MoreFieldsThanBytes", "v30.db", [](QByteArray& b) { SetLe16(b, 0x21, 300); },
               "number of fields"},
        Damage{"MoreKeyFieldsThanFields", "types7.db", [](QByteArray& b) { SetLe16(b, 0x23, 11); },
               "key fields"},
        Damage{"UnknownFieldType", "types7.db", [](QByteArray& b) { b[0x78] = 0x07; }, "unknown type"},
        Damage{"ShortOfThreeBytes", "types7.db", [](QByteArray& b) { b[0x78 + 3] = 3; }, "impossible size"},
        Damage{"NamesRunPastTheHeader", "v30.db",
               [](QByteArray& b) {
                   for (qsizetype i = 0x58 + 6 * 5 + 4 + 79; i < Le16(b, 2); ++i) {
                       if (b[i] == '\0') {
                           b[i] = 'x';
                       }
                   }
               },
               "field names"},
        Damage{"ChainLoops", "v30.db", [](QByteArray& b) { SetLe16(b, BlockAt(b, 4), 1); }, "circle"},
        Damage{"ChainPointsOutside", "v30.db", [](QByteArray& b) { SetLe16(b, BlockAt(b, 1), 99); },
               "block 99"},
        Damage{"FirstBlockOutside", "types7.db", [](QByteArray& b) { SetLe16(b, 0x0E, 9); }, "block 9"},
        Damage{"TooManyRecordsInABlock", "v30.db",
               [](QByteArray& b) { SetLe16(b, BlockAt(b, 1) + 4, 42 * 30); }, "more records"},
        Damage{"RecordPositionOffTheGrid", "v30.db", [](QByteArray& b) { SetLe16(b, BlockAt(b, 1) + 4, 41); },
               "does not fit the record size"},
        Damage{"EncryptedParadox3", "v30.db", [](QByteArray& b) { b[0x25] = 1; }, "encrypted"},
        Damage{"EncryptedParadox7", "types7.db", [](QByteArray& b) { b[0x5C] = 0x11; }, "encrypted"}),
    [](const ::testing::TestParamInfo<Damage>& param) { return std::string(param.param.name); });

TEST(DamagedTable, EncryptedByTheWriterIsRefused) {
    for (const int version : {3, 9, 12}) {
        test::TableLayout layout = test::ReaderFixtures().front().layout;
        layout.fileVersion = version;
        layout.encrypted = true;
        layout.chain.clear();
        QTemporaryDir dir;
        test::WriteTable(dir.filePath("secret.db"), layout);
        EXPECT_THROW(Table(dir.filePath("secret.db")), ParadoxError) << version;
    }
}

struct MemoDamage {
    const char* name;
    std::function<void(QByteArray&)> change;  // the .MB bytes; an empty result removes the file
    const char* problem;
};

class DamagedMemoFile : public ::testing::TestWithParam<MemoDamage> {};

TEST_P(DamagedMemoFile, LosesOnlyTheBlobsItHolds) {
    const QString source = ParadoxFixture("memo437.DB");
    QByteArray memo = ReadBytes(MemoOf(source));
    ASSERT_FALSE(memo.isEmpty());
    GetParam().change(memo);
    QTemporaryDir dir;
    const QString path = dir.filePath("memo437.DB");
    QFile::copy(source, path);
    if (!memo.isEmpty()) {
        test::WriteBytes(dir.filePath("memo437.mb"), memo);
    }
    const Table table(path);
    ASSERT_EQ(table.RowCount(), 4);
    EXPECT_EQ(table.Value(0, 2).toString(), "short note");  // in the record itself
    EXPECT_EQ(table.Value(3, 1).toString(), "Clergé");
    EXPECT_FALSE(table.Value(2, 2).isValid());
    EXPECT_FALSE(table.Warnings().filter(GetParam().problem).isEmpty())
        << table.Warnings().join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, DamagedMemoFile,
    ::testing::Values(
        MemoDamage{"Missing", [](QByteArray& b) { b.clear(); }, "missing"},
        MemoDamage{"CutShort", [](QByteArray& b) { b.truncate(4096 + 2000); }, "outside the .MB file"},
        MemoDamage{"LargeValueCut", [](QByteArray& b) { b.truncate(4096 * 3); },
                   "runs past the end of the .MB file"},
        MemoDamage{"BlockTypeChanged", [](QByteArray& b) { b[4096 * 2] = 4; },
                   "does not lead to a value block"},
        MemoDamage{"LengthChanged", [](QByteArray& b) { b[4096 * 2 + 3] = 1; }, "does not have the length"}),
    [](const ::testing::TestParamInfo<MemoDamage>& param) { return std::string(param.param.name); });

// Bytes decoded as Windows decodes them in the code pages legacy tables state.
struct CodePageCase {
    const char* name;
    int codePage;
    unsigned char byte;
    char16_t expected;
};

class CodePageBytes : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePageBytes, DecodeAsWindowsDoes) {
    const CodePageCase& c = GetParam();
    const CodePageDecoder decoder(c.codePage);
    ASSERT_TRUE(decoder.Known());
    const char text[] = {'a', static_cast<char>(c.byte), 'z'};
    const QString decoded = decoder.Decode(text, 3);
    ASSERT_EQ(decoded.size(), 3);
    EXPECT_EQ(int{decoded[1].unicode()}, int{c.expected}) << std::hex << int{decoded[1].unicode()};
    EXPECT_EQ(decoded.front(), 'a');
    EXPECT_EQ(decoded.back(), 'z');
}

INSTANTIATE_TEST_SUITE_P(
    Reader, CodePageBytes,
    ::testing::Values(CodePageCase{"Cp437MicroSign", 437, 0xE6, 0x00B5},
                      CodePageCase{"Cp437EAcute", 437, 0x82, 0x00E9},
                      CodePageCase{"Cp437Degree", 437, 0xF8, 0x00B0},
                      CodePageCase{"Cp437SharpS", 437, 0xE1, 0x00DF},
                      CodePageCase{"Cp437NoBreakSpace", 437, 0xFF, 0x00A0},
                      CodePageCase{"Cp437Delete", 437, 0x7F, 0x007F},
                      CodePageCase{"Cp850MicroSign", 850, 0xE6, 0x00B5},
                      CodePageCase{"Cp850ControlKept", 850, 0x1A, 0x001A},
                      CodePageCase{"Cp850Delete", 850, 0x7F, 0x007F},
                      CodePageCase{"Cp866Tse", 866, 0xE6, 0x0446},
                      CodePageCase{"Cp1252Euro", 1252, 0x80, 0x20AC},
                      CodePageCase{"NoneStatedIsWindows1252", 0, 0x96, 0x2013}),
    [](const ::testing::TestParamInfo<CodePageCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace sw::paradox
