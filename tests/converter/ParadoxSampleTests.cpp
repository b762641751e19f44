// The reader against real tables written by Paradox and other programs. They live beside the
// repository, not in it; the tests skip when they are absent.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QTime>

#include "converter/ParadoxTable.h"

namespace sw::paradox {
namespace {

QString SampleDir() {
    return QStringLiteral(SW_SOURCE_DIR "/../shared/paradox-samples/");
}

#define SKIP_WITHOUT_SAMPLES()                                                 \
    if (!QFileInfo::exists(SampleDir())) {                                     \
        GTEST_SKIP() << "no Paradox samples at " << SampleDir().toStdString(); \
    }

QString Types(const Table& table) {
    QString letters;
    for (const Field& field : table.Info().fields) {
        letters += TypeLetter(field.type);
    }
    return letters;
}

/// The value of the named field; fails the test when the table has no such field.
QVariant At(const Table& table, int row, const char* field) {
    const int index = table.FieldIndex(field);
    EXPECT_GE(index, 0) << field;
    return index < 0 ? QVariant() : table.Value(row, index);
}

std::string Text(const QVariant& value) {
    return value.isValid() ? value.toString().toStdString() : "<null>";
}

struct LayoutCase {
    const char* file;
    int version;
    int keyFields;
    int headerSize;
    int blockSize;
    int rows;
    int codePage;
    const char* types;
};

class SampleLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(SampleLayout, HeaderFieldsAndRowCount) {
    SKIP_WITHOUT_SAMPLES();
    const LayoutCase& expected = GetParam();
    const Table table(SampleDir() + expected.file);
    const TableInfo& info = table.Info();
    EXPECT_EQ(info.fileVersion, expected.version);
    EXPECT_EQ(info.fileType, expected.keyFields > 0 ? 0 : 2);
    EXPECT_EQ(info.keyFields, expected.keyFields);
    EXPECT_EQ(info.headerSize, expected.headerSize);
    EXPECT_EQ(info.blockSize, expected.blockSize);
    EXPECT_EQ(info.codePage, expected.codePage);
    EXPECT_EQ(Types(table).toStdString(), expected.types);
    EXPECT_EQ(table.RowCount(), expected.rows);
    EXPECT_EQ(info.headerRecords, expected.rows);
    // Every value decodes without an exception.
    for (int row = 0; row < table.RowCount(); ++row) {
        EXPECT_EQ(table.Row(row).size(), info.fields.size());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Samples, SampleLayout,
    ::testing::Values(
        LayoutCase{"paradoxdriver/areas/STATES.DB", 3, 1, 221, 1024, 53, 0, "AAAA"},
        LayoutCase{"paradoxReader/examples/PCLDATA/PCL.DB", 3, 0, 409, 1024, 161, 0, "AAAAAAAAAAAAAAAAS"},
        LayoutCase{"paradoxdriver/fields/date35.db", 4, 0, 2048, 2048, 3, 0, "D"},
        LayoutCase{"Rparadox/extdata/of_cp866.db", 9, 0, 2048, 2048, 2197, 866, "AAAADNNAAAAAAAAAAAA"},
        LayoutCase{"paradoxdriver/db/GENERAL.DB", 11, 1, 2048, 2048, 3, 936, "IA$"},
        LayoutCase{"paradoxdriver/fields/date7.db", 11, 0, 2048, 2048, 5, 850, "DT"},
        LayoutCase{"paradoxdriver/fields/timestamp.db", 11, 0, 2048, 2048, 2, 850, "@"},
        LayoutCase{"paradoxdriver/fields/long.db", 11, 1, 2048, 2048, 3, 850, "+I"},
        LayoutCase{"paradoxdriver/fields/memo.db", 11, 1, 2048, 2048, 2, 850, "+M"},
        LayoutCase{"paradoxdriver/db/CUSTOMER.DB", 12, 1, 2048, 2048, 20, 1252, "+AAAAAAAMD"},
        LayoutCase{"paradoxdriver/db/DECIMAL.DB", 12, 0, 2048, 2048, 9, 1252, "N"},
        LayoutCase{"Rparadox/extdata/TypSammlung.DB", 12, 2, 2048, 2048, 5, 1252, "AN$SI#DT@ML+BY"},
        LayoutCase{"Rparadox/extdata/empty.db", 12, 0, 2048, 2048, 0, 1252, "IAAAAMG"},
        LayoutCase{
            "paradoxReader/examples/MEMBRE.DB", 12, 1, 4096, 16384, 6, 437,
            "+AAAASLLDDAAAAAAALAAAAAAALAAAALA$$$$$LI$$$$AAAAAADS$MGLDDLAAAAAAAAAAAAAAAAAAAAAAAAAAAAAALLAA"}),
    [](const ::testing::TestParamInfo<LayoutCase>& param) {
        return QFileInfo(param.param.file).completeBaseName().replace('_', 'x').toStdString();
    });

TEST(SampleValues, Paradox3TablesInChainOrder) {
    SKIP_WITHOUT_SAMPLES();
    const Table states(SampleDir() + "paradoxdriver/areas/STATES.DB");
    EXPECT_EQ(states.Info().storedName, "RESTTEMP.DB");
    EXPECT_EQ(Text(At(states, 0, "State")), "Alaska");
    EXPECT_EQ(Text(At(states, 1, "Zip To")), "369");
    EXPECT_EQ(Text(At(states, 52, "Abv")), "WY");
    EXPECT_EQ(Text(At(states, 52, "Zip From")), "820");

    // The chain runs 1, 2, 3, 4, 34, 5 ... 33: the record in block 34 is the 20th.
    const Table pcl(SampleDir() + "paradoxReader/examples/PCLDATA/PCL.DB");
    EXPECT_EQ(Text(At(pcl, 0, "Command Type")), "Cursor Positioning");
    EXPECT_EQ(Text(At(pcl, 0, "Command")), "Ec(s-1U");
    EXPECT_EQ(Text(At(pcl, 19, "Parameter")), "Copy/assign cur font as temp");
    EXPECT_EQ(Text(At(pcl, 19, "Command")), "Ec*c6F");
    EXPECT_EQ(Text(At(pcl, 160, "Command Type")), "Soft Font Creation");
    EXPECT_EQ(At(pcl, 160, "Support").toLongLong(), 6);

    const Table date35(SampleDir() + "paradoxdriver/fields/date35.db");
    EXPECT_EQ(At(date35, 0, "DATE").toDate(), QDate(2018, 1, 1));
    EXPECT_EQ(At(date35, 2, "DATE").toDate(), QDate(2018, 1, 2));
}

TEST(SampleValues, CodePagesOfTheHeader) {
    SKIP_WITHOUT_SAMPLES();
    const Table cyrillic(SampleDir() + "Rparadox/extdata/of_cp866.db");
    EXPECT_EQ(cyrillic.Info().fields[0].name, QString::fromUtf8("Инвентарный номер"));
    EXPECT_EQ(cyrillic.Info().fields[18].name, QString::fromUtf8("Мол"));
    EXPECT_EQ(Text(At(cyrillic, 0, "Инвентарный номер")), "001370009");
    EXPECT_FALSE(At(cyrillic, 0, "Группа для переоценки").isValid());
    EXPECT_EQ(Text(At(cyrillic, 0, "Наименование")), "АП-Т УЗТ-ПЕРЕНОСНОЙ");
    EXPECT_EQ(At(cyrillic, 0, "Дата приобретения").toDate(), QDate(1972, 1, 1));
    EXPECT_EQ(At(cyrillic, 0, "Норма износа %").toDouble(), 20.0);
    EXPECT_EQ(At(cyrillic, 0, "Переоценка %").toDouble(), 154.0);
    EXPECT_EQ(Text(At(cyrillic, 0, "Служебные отметки")), "Получено 29.09.2000 от 170 МОЛ");
    EXPECT_EQ(Text(At(cyrillic, 0, "Мол")), "170");
    EXPECT_EQ(At(cyrillic, 1, "Дата приобретения").toDate(), QDate(2001, 6, 1));
    EXPECT_EQ(Text(At(cyrillic, 2196, "Наименование")), "ТУМБА ДЛЯ ТЕЛЕФОНА");
    EXPECT_EQ(At(cyrillic, 2196, "Дата приобретения").toDate(), QDate(2000, 12, 8));

    const Table members(SampleDir() + "paradoxReader/examples/MEMBRE.DB");
    EXPECT_GE(members.FieldIndex(QString::fromUtf8("N° Licence")), 0);
    EXPECT_EQ(Text(At(members, 0, "Nature")), "Adhérent");
    // Overriding the stated code page changes how the same bytes read.
    const Table asWindows(SampleDir() + "paradoxReader/examples/MEMBRE.DB", 1252);
    EXPECT_EQ(asWindows.Value(0, asWindows.FieldIndex("Nature")).toString(), QString::fromUtf8("Adh‚rent"));
}

TEST(SampleValues, NumbersDatesAndNulls) {
    SKIP_WITHOUT_SAMPLES();
    const Table decimals(SampleDir() + "paradoxdriver/db/DECIMAL.DB");
    const double expected[] = {-200, -20, -1, 1, 20, 200, 200.36, 1.37, -1.387};
    for (int row = 0; row < 9; ++row) {
        EXPECT_DOUBLE_EQ(decimals.Value(row, 0).toDouble(), expected[row]) << row;
    }

    const Table dates(SampleDir() + "paradoxdriver/fields/date7.db");
    EXPECT_EQ(At(dates, 0, "DATE").toDate(), QDate(2018, 1, 1));
    EXPECT_EQ(At(dates, 2, "TIME").toTime(), QTime(9, 25, 25));
    EXPECT_FALSE(At(dates, 3, "DATE").isValid());
    EXPECT_EQ(At(dates, 3, "TIME").toTime(), QTime(10, 0));
    EXPECT_FALSE(At(dates, 4, "TIME").isValid());

    const Table stamps(SampleDir() + "paradoxdriver/fields/timestamp.db");
    EXPECT_FALSE(stamps.Value(0, 0).isValid());
    EXPECT_EQ(stamps.Value(1, 0).toDateTime().toString("yyyy-MM-dd HH:mm:ss"), "2020-02-01 01:00:01");

    const Table longs(SampleDir() + "paradoxdriver/fields/long.db");
    EXPECT_EQ(longs.Info().autoIncrement, 3);
    EXPECT_EQ(At(longs, 1, "LONG").toLongLong(), 2);
    EXPECT_FALSE(At(longs, 2, "LONG").isValid());
    EXPECT_EQ(At(longs, 2, "Id").toLongLong(), 3);

    const Table general(SampleDir() + "paradoxdriver/db/GENERAL.DB");
    EXPECT_EQ(At(general, 2, "ID").toLongLong(), 333333333);
    EXPECT_EQ(Text(At(general, 1, "NAME")), "Katty");
    EXPECT_DOUBLE_EQ(At(general, 0, "MONEYS").toDouble(), 100.0);
}

TEST(SampleValues, EveryTypeWithZerosNegativesAndInvalidDates) {
    SKIP_WITHOUT_SAMPLES();
    const Table table(SampleDir() + "Rparadox/extdata/TypSammlung.DB");
    struct Expected {
        const char* field;
        std::vector<const char*> rows;  // as Text() gives them, in file order
    };
    const std::vector<Expected> columns = {
        {"Alpha", {"AAA Irgendein Text", "Erste Zeile", "Fünfter Datensatz", "Null-Werte", "Zweite Zeile"}},
        {"Numerisch", {"40", "23", "1.34", "0", "-40"}},
        {"Währung", {"40", "<null>", "13.002", "0", "-40"}},
        {"Integer kurz", {"40", "<null>", "<null>", "0", "-40"}},
        {"Integer lang", {"40", "<null>", "<null>", "0", "-40"}},
        {"BCD", {"40.000000", "<null>", "13.123457", "0.000000", "-40.000000"}},
        {"Datum", {"1970-01-01", "<null>", "<null>", "<null>", "1999-09-09"}},
        {"Zeit", {"00:00:00.000", "<null>", "01:10:12.000", "<null>", "11:11:11.000"}},
        {"Datum/Zeit", {"1970-01-01 11:00:00", "<null>", "<null>", "<null>", "2003-06-10 11:11:11"}},
        {"Logisch", {"<null>", "false", "<null>", "<null>", "true"}},
        {"Zähler", {"1", "3", "5", "4", "2"}},
        {"Binär", {"<null>", "<null>", "<null>", "<null>", "<null>"}},
        {"Bytes", {"<null>", "<null>", "<null>", "<null>", "<null>"}},
    };
    for (const Expected& column : columns) {
        for (int row = 0; row < 5; ++row) {
            const QVariant value = At(table, row, column.field);
            const std::string text =
                value.typeId() == QMetaType::QTime ? value.toTime().toString("HH:mm:ss.zzz").toStdString()
                : value.typeId() == QMetaType::QDateTime
                    ? value.toDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString()
                : value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate).toStdString()
                                                     : Text(value);
            EXPECT_EQ(text, column.rows[static_cast<std::size_t>(row)]) << column.field << " row " << row;
        }
    }
    EXPECT_EQ(Text(At(table, 2, "Memo")), "Dies ist eine Memo im 'Fünften Datensat'");
    // The out-of-range date and timestamp of the fifth record are reported, not hidden.
    EXPECT_EQ(table.Warnings().filter("\"Datum\"").size(), 1) << table.Warnings().join('\n').toStdString();
    EXPECT_EQ(table.Warnings().filter("\"Datum/Zeit\"").size(), 1);
}

TEST(SampleValues, BlobsInTheRecordAndInTheMemoFile) {
    SKIP_WITHOUT_SAMPLES();
    const Table memo(SampleDir() + "paradoxdriver/fields/memo.db");
    const QString first = At(memo, 0, "MEMO").toString();
    EXPECT_EQ(first.size(), 555);
    EXPECT_TRUE(first.startsWith("0123456789001234567890"));
    EXPECT_EQ(Text(At(memo, 1, "MEMO")), "01234567890\n");

    const Table customers(SampleDir() + "paradoxdriver/db/CUSTOMER.DB");
    EXPECT_EQ(customers.Info().autoIncrement, 44);
    const char* mails[] = {"luke@fun.com", "fmallory@freeport.org", "lpetzold@earthenwear.com"};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Text(At(customers, row, "EMail")), mails[row]);
        EXPECT_EQ(At(customers, row, "CustNo").toLongLong(), row + 1);
    }
    EXPECT_EQ(Text(At(customers, 0, "Comments")), "Small comment (less 100 symbols)");
    const int lengths[] = {518, 318, 56864, 426};
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(At(customers, row, "Comments").toString().size(), lengths[row - 1]) << row;
    }
    EXPECT_FALSE(At(customers, 19, "Comments").isValid());
    EXPECT_EQ(Text(At(customers, 19, "Street")), "PO Box Q-8874");
    EXPECT_EQ(At(customers, 19, "DateEntered").toDate(), QDate(1996, 4, 8));
    EXPECT_TRUE(customers.Warnings().isEmpty()) << customers.Warnings().join('\n').toStdString();

    // Blob references into an .MB file that is not there: the other columns still read.
    const Table members(SampleDir() + "paradoxReader/examples/MEMBRE.DB");
    const char* names[] = {"LEMAITRE", "AYMARD", "TRANSCENE", "LEBOIS", "DUPONT", "PICOMA"};
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(At(members, row, "Code_membre").toLongLong(), 25 + row);
        EXPECT_EQ(Text(At(members, row, "Nom")), names[row]);
    }
    EXPECT_FALSE(At(members, 0, "Memo").isValid());
    EXPECT_FALSE(At(members, 0, "Photo").isValid());
    EXPECT_EQ(Text(At(members, 0, "Prenom")), "Francis");
    EXPECT_EQ(At(members, 0, "MembreAssociation").toBool(), true);
    EXPECT_EQ(At(members, 0, "EnSommeil").toBool(), false);
    EXPECT_EQ(At(members, 0, "Date_naissance").toDate(), QDate(1959, 12, 17));
    EXPECT_DOUBLE_EQ(At(members, 0, "Solde_membre_E").toDouble(), 171.1);
    EXPECT_EQ(At(members, 0, "Nombre_enfants").toLongLong(), 2);
    EXPECT_FALSE(members.Warnings().filter(".MB").isEmpty());
}

TEST(SampleValues, EmptyAndEncryptedTables) {
    SKIP_WITHOUT_SAMPLES();
    const Table empty(SampleDir() + "Rparadox/extdata/empty.db");
    EXPECT_EQ(empty.RowCount(), 0);
    EXPECT_EQ(empty.Info().fields[6].name, "Picture");

    const QString encrypted = SampleDir() + "paradoxdriver/encrypt/encrypted.db";
    try {
        Table table(encrypted);
        ADD_FAILURE() << "an encrypted table was read";
    } catch (const ParadoxError& error) {
        EXPECT_TRUE(QString(error.what()).contains(encrypted)) << error.what();
        EXPECT_TRUE(QString(error.what()).contains("encrypted")) << error.what();
    }
}

}  // namespace
}  // namespace sw::paradox
