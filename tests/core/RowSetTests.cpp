#include <gtest/gtest.h>

#include "core/RowSet.h"
#include "core/RowSetModel.h"

namespace sw {
namespace {

RowSet ThreeSongs() {
    RowSet rows({{"SONGNUM", ColumnKind::Integer},
                 {"TS", ColumnKind::Timestamp},
                 {"ALNAME", ColumnKind::Text},
                 {"BLOB", ColumnKind::Other}});
    rows.AppendRow({qint64(7), 45000.25, QString("Blue"), QVariant()});
    rows.AppendRow({qint64(8), QVariant(), QString("Blue"), QVariant()});
    rows.AppendRow({QVariant(), 45001.5, QVariant(), QVariant()});
    return rows;
}

TEST(RowSetStorage, HandsBackEachValueInItsTypeAndNullsAsInvalid) {
    const RowSet rows = ThreeSongs();
    ASSERT_EQ(rows.RowCount(), 3);
    EXPECT_EQ(rows.Value(0, 0), QVariant(qint64(7)));
    EXPECT_EQ(rows.Value(0, 0).typeId(), QMetaType::LongLong);
    EXPECT_EQ(rows.Value(0, 1).toDouble(), 45000.25);
    EXPECT_FALSE(rows.Value(1, 1).isValid());
    EXPECT_FALSE(rows.Value(2, 0).isValid());
    EXPECT_FALSE(rows.Value(2, 2).isValid());
    EXPECT_EQ(rows.Value(1, 2).toString(), "Blue");
    // The same text on the next row shares the first row's storage.
    EXPECT_EQ(rows.Value(0, 2).toString().constData(), rows.Value(1, 2).toString().constData());
    EXPECT_THROW(rows.Value(3, 0), std::out_of_range);
    EXPECT_THROW(rows.Value(0, 4), std::out_of_range);

    RowSet walked = ThreeSongs();
    walked.Next();
    EXPECT_EQ(walked.Int("songnum"), 8);
    EXPECT_TRUE(walked.IsNull("TS"));
    EXPECT_EQ(walked.DateTime("TS"), 0);
    walked.Next();
    EXPECT_EQ(walked.Text("ALNAME"), "");
}

TEST(RowSetColumns, FindTheExactSpellingFirstThenIgnoreCase) {
    // Two columns whose names differ only in case, as a query naming "Title" and "TITLE" gives.
    RowSet rows({{"Title", ColumnKind::Text}, {"TITLE", ColumnKind::Text}, {"SONGNUM", ColumnKind::Integer}});
    rows.AppendRow({QString("shown"), QString("stored"), qint64(3)});
    EXPECT_EQ(rows.ColumnIndex("Title"), 0);
    EXPECT_EQ(rows.ColumnIndex("TITLE"), 1);
    EXPECT_EQ(rows.Text("TITLE"), "stored");
    EXPECT_EQ(rows.ColumnIndex("title"), 0);
    EXPECT_EQ(rows.ColumnIndex("SongNum"), 2);
    EXPECT_TRUE(rows.HasColumn("songnum"));
    EXPECT_FALSE(rows.HasColumn("ALNUM"));
    EXPECT_THROW(rows.ColumnIndex("ALNUM"), DatabaseError);
    EXPECT_THROW(rows.Int("ALNUM"), DatabaseError);
}

TEST(RowSetModelGrid, ServesTheColumnsCellsOverTheRowSet) {
    const RowSet rows = ThreeSongs();
    RowSetModel model;
    std::vector<GridColumn> columns(2);
    columns[0].caption = "Album";
    columns[0].text = FieldText(rows, "ALNAME");
    columns[1].caption = "Number";
    columns[1].text = [&rows](int row) { return "#" + rows.Value(row, 0).toString(); };
    columns[1].alignment = Qt::AlignRight;
    model.Show(&rows, columns);
    model.SetRowMarked([](int row) { return row == 1; });

    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Number");
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), "Blue");
    EXPECT_EQ(model.data(model.index(2, 0)).toString(), "");
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), "#");
    EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignRight);
    EXPECT_TRUE(model.data(model.index(1, 0), RowSetModel::kRowMarkedRole).toBool());
    EXPECT_FALSE(model.data(model.index(0, 0), RowSetModel::kRowMarkedRole).toBool());
    EXPECT_EQ(model.RowTexts(1), (QStringList{"Blue", "#8"}));
    EXPECT_EQ(model.CellText(5, 0), "");

    QList<QModelIndex> changed;
    QObject::connect(
        &model, &QAbstractItemModel::dataChanged,
        [&changed](const QModelIndex& first, const QModelIndex& last) { changed << first << last; });
    model.RowsChanged(1, 9);
    model.RowsChanged(4, 9);
    EXPECT_EQ(changed, (QList<QModelIndex>{model.index(1, 0), model.index(2, 1)}));

    int resets = 0;
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    model.Show(nullptr, {});
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
}  // namespace sw

namespace sw {
namespace {

TEST(RowSetOnDemand, ServesKnownColumnsAndReadsEachPageOnceInTheOrderShown) {
    RowSet known({{"SONGNUM", ColumnKind::Integer}});
    for (int song = 1; song <= 5; ++song) {
        known.AppendRow({qint64(song * 10)});
    }
    known.Reorder({4, 3, 2, 1, 0});
    std::vector<std::vector<int>> asked;
    RowSet::RowReader read = [&asked](const std::vector<int>& rows) {
        asked.push_back(rows);
        RowSet page({{"SONGNUM", ColumnKind::Integer}, {"TITLE", ColumnKind::Text}});
        for (const int row : rows) {
            page.AppendRow({qint64(-1), QString("song %1").arg(row)});
        }
        return page;
    };
    int columnsRead = 0;
    RowSet rows = RowSet::OnDemand(known, read, 2, [&columnsRead](const QString& column) {
        ++columnsRead;
        return column == "TITLE" ? std::vector<QVariant>(5, QString("whole")) : std::vector<QVariant>{};
    });
    ASSERT_EQ(rows.RowCount(), 5);
    EXPECT_EQ(rows.ColumnCount(), 2);
    // The first page is read at once, the known column comes from the known rows.
    EXPECT_EQ(asked, (std::vector<std::vector<int>>{{4, 3}}));
    EXPECT_EQ(rows.Value(0, 0).toInt(), 50);
    EXPECT_EQ(rows.Value(1, 1).toString(), "song 3");
    EXPECT_EQ(rows.Value(4, 1).toString(), "song 0");
    EXPECT_EQ(rows.Value(4, 1).toString(), "song 0");
    EXPECT_EQ(asked.size(), 2u);
    // After a new order a page holds the rows shown together that are not read yet.
    rows.Reorder({0, 4, 2, 1, 3});
    EXPECT_EQ(rows.Value(2, 1).toString(), "song 2");
    EXPECT_EQ(asked.back(), (std::vector<int>{2}));
    EXPECT_TRUE(rows.ColumnInMemory(0));
    EXPECT_FALSE(rows.ColumnInMemory(1));
    EXPECT_EQ(rows.LongestText(0), "10");
    // A whole column is read in one go when a reader for it is given.
    rows.ReadWholeColumn(1);
    EXPECT_EQ(columnsRead, 1);
    EXPECT_TRUE(rows.ColumnInMemory(1));
    EXPECT_EQ(rows.Value(4, 1).toString(), "whole");
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_THROW(rows.AppendRow({qint64(1), QString()}), std::logic_error);
    EXPECT_THROW(rows.Reorder({0, 1}), std::invalid_argument);
    EXPECT_THROW(rows.Value(5, 0), std::out_of_range);
}

}  // namespace
}  // namespace sw

#include "TestCatalogue.h"
#include "core/Catalogue.h"
#include "core/Query.h"

namespace sw {
namespace {

TEST(RowSetCells, BuiltOneAtATimeAndReadInTheirOwnTypes) {
    RowSet rows(
        {{"SONGNUM", ColumnKind::Integer}, {"TITLE", ColumnKind::Text}, {"TS", ColumnKind::Timestamp}});
    rows.AppendInteger(7);
    rows.AppendText("Blue");
    rows.AppendReal(45000.5);
    rows.EndRow();
    rows.AppendNull();
    rows.AppendText("Blue");
    rows.AppendNull();
    rows.EndRow();
    // A value of another type is kept as the column keeps it, as AppendRow keeps it.
    rows.AppendOther(QString("12"));
    rows.AppendInteger(5);
    rows.AppendText("45001");
    rows.EndRow();
    rows.AppendRow({QVariant(), QVariant(), QVariant()});
    ASSERT_EQ(rows.RowCount(), 4);
    EXPECT_EQ(rows.Value(0, 0), QVariant(qint64(7)));
    EXPECT_EQ(rows.IntegerAt(0, 0), 7);
    EXPECT_TRUE(rows.IsNullAt(1, 0));
    EXPECT_EQ(rows.IntegerAt(1, 0), 0);
    EXPECT_EQ(rows.IntegerAt(2, 0), 12);
    EXPECT_EQ(rows.TextAt(2, 1), "5");
    EXPECT_EQ(rows.Value(2, 2).toDouble(), 45001);
    EXPECT_EQ(rows.TextAt(0, 2), "45000.5");
    EXPECT_EQ(rows.TextAt(0, 1).constData(), rows.TextAt(1, 1).constData());
    // A null text reads as a null text, whatever the storage beside it.
    EXPECT_TRUE(rows.TextAt(3, 1).isNull());
    EXPECT_FALSE(rows.Value(3, 1).isValid());
    EXPECT_THROW(rows.TextAt(4, 1), std::out_of_range);
    EXPECT_THROW(rows.IsNullAt(0, 3), std::out_of_range);

    // A row given too few or too many values is refused.
    rows.AppendInteger(1);
    EXPECT_THROW(rows.EndRow(), std::logic_error);
    rows.AppendText("x");
    rows.AppendNull();
    EXPECT_THROW(rows.AppendNull(), std::logic_error);
    rows.EndRow();
    EXPECT_EQ(rows.RowCount(), 5);
    EXPECT_THROW(rows.AppendRow({qint64(1)}), std::out_of_range);
    EXPECT_EQ(rows.RowCount(), 5);

    RowSet copy(
        {{"SONGNUM", ColumnKind::Integer}, {"TITLE", ColumnKind::Text}, {"TS", ColumnKind::Timestamp}});
    for (const int row : {2, 0, 3}) {
        copy.AppendRowOf(rows, row);
    }
    EXPECT_EQ(copy.IntegerAt(0, 0), 12);
    EXPECT_EQ(copy.TextAt(1, 1), "Blue");
    EXPECT_TRUE(copy.IsNullAt(2, 1));
    EXPECT_EQ(copy.Value(1, 2).toDouble(), 45000.5);
    EXPECT_THROW(copy.AppendRowOf(RowSet({{"SONGNUM", ColumnKind::Integer}}), 0), std::invalid_argument);

    copy.AppendTextColumn("NAME", {"a", "", QString()}, {false, false, true});
    copy.AppendIntegerColumn("SEQ", {3, 0, 9}, {false, true, false});
    EXPECT_EQ(copy.Text("NAME"), "a");
    EXPECT_FALSE(copy.IsNullAt(1, 3));
    EXPECT_TRUE(copy.IsNullAt(2, 3));
    EXPECT_FALSE(copy.Value(1, 4).isValid());
    EXPECT_EQ(copy.Value(2, 4), QVariant(qint64(9)));
    EXPECT_THROW(copy.AppendTextColumn("SHORT", {"a"}, {false}), std::invalid_argument);
    EXPECT_THROW(copy.AppendIntegerColumn("SHORT", {1, 2, 3}, {false}), std::invalid_argument);
}

TEST(RowSetCells, OnDemandCellsAreReadInTheirTypesWherePagesAndWholeColumnsStand) {
    RowSet known({{"SONGNUM", ColumnKind::Integer}, {"ALNAME", ColumnKind::Text}});
    for (int song = 1; song <= 4; ++song) {
        known.AppendRow({qint64(song), song == 2 ? QVariant() : QVariant(QString("album %1").arg(song))});
    }
    known.Reorder({3, 2, 1, 0});
    int pagesRead = 0;
    RowSet::RowReader read = [&pagesRead](const std::vector<int>& rows) {
        ++pagesRead;
        RowSet page(
            {{"SONGNUM", ColumnKind::Integer}, {"ALNAME", ColumnKind::Text}, {"TRACK", ColumnKind::Integer}});
        for (const int row : rows) {
            page.AppendRow({qint64(0), QString(), row == 1 ? QVariant() : QVariant(qint64(row * 10))});
        }
        return page;
    };
    RowSet rows = RowSet::OnDemand(known, read, 2);
    EXPECT_EQ(pagesRead, 1);
    EXPECT_EQ(rows.IntegerAt(0, 0), 4);
    EXPECT_EQ(rows.TextAt(0, 1), "album 4");
    EXPECT_TRUE(rows.IsNullAt(2, 1));
    EXPECT_EQ(rows.IntegerAt(1, 2), 20);
    // A cell on a page not read yet reads its page.
    EXPECT_TRUE(rows.IsNullAt(2, 2));
    EXPECT_EQ(rows.IntegerAt(3, 2), 0);
    EXPECT_FALSE(rows.IsNullAt(3, 2));
    EXPECT_EQ(pagesRead, 2);

    // A whole column read in one go serves its cells before any page.
    RowSet whole = RowSet::OnDemand(known, read, 2, [](const QString&) {
        return std::vector<QVariant>{qint64(1), QVariant(), qint64(3), qint64(4)};
    });
    whole.ReadWholeColumn(2);
    EXPECT_EQ(pagesRead, 3);
    EXPECT_EQ(whole.IntegerAt(0, 2), 4);
    EXPECT_TRUE(whole.IsNullAt(2, 2));
    EXPECT_EQ(whole.TextAt(3, 2), "1");
    EXPECT_EQ(pagesRead, 3);
}

struct FetchedCase {
    std::string name;
    const char* expression;
    ColumnKind kind;
    QVariant value;
};

class FetchedValue : public ::testing::TestWithParam<FetchedCase> {
protected:
    static void SetUpTestSuite() {
        s_file = std::make_unique<test::TestCatalogue>();
        s_catalogue = std::make_unique<Catalogue>();
        s_file->OpenCurrent(*s_catalogue);
    }
    static void TearDownTestSuite() {
        s_catalogue.reset();
        s_file.reset();
    }
    static inline std::unique_ptr<test::TestCatalogue> s_file;
    static inline std::unique_ptr<Catalogue> s_catalogue;
};

TEST_P(FetchedValue, ComesInTheKindOfItsTypeWithItsValue) {
    const FetchedCase& c = GetParam();
    // Read beside an integer and a text, so that the message holds more than the one column.
    const RowSet rows = s_catalogue->Select(QString("select 1 as a, ") + c.expression +
                                            " as v, cast('after' as varchar(9)) as b from rdb$database");
    ASSERT_EQ(rows.RowCount(), 1);
    EXPECT_EQ(rows.ColumnAt(1).kind, c.kind);
    const QVariant value = rows.Value(0, 1);
    EXPECT_EQ(value.isValid(), c.value.isValid());
    if (c.kind == ColumnKind::Real || c.kind == ColumnKind::Timestamp) {
        EXPECT_NEAR(value.toDouble(), c.value.toDouble(), 1e-9);
    } else if (c.value.isValid()) {
        EXPECT_EQ(value, c.value);
    }
    EXPECT_EQ(rows.IntegerAt(0, 0), 1);
    EXPECT_EQ(rows.TextAt(0, 2), "after");
}

INSTANTIATE_TEST_SUITE_P(
    Types, FetchedValue,
    ::testing::Values(
        FetchedCase{"SmallInt", "cast(-7 as smallint)", ColumnKind::Integer, qint64(-7)},
        FetchedCase{"Integer", "cast(2147483647 as integer)", ColumnKind::Integer, qint64(2147483647)},
        FetchedCase{"BigInt", "cast(-1234567890123 as bigint)", ColumnKind::Integer, qint64(-1234567890123)},
        FetchedCase{"ScaledNumeric", "cast(-2.25 as numeric(9,2))", ColumnKind::Real, -2.25},
        FetchedCase{"Double", "cast(1.125 as double precision)", ColumnKind::Real, 1.125},
        FetchedCase{"Float", "cast(0.5 as float)", ColumnKind::Real, 0.5},
        FetchedCase{"FixedTextWithoutItsPadding", "cast('ab' as char(6))", ColumnKind::Text, QString("ab")},
        FetchedCase{"FixedTextOfBlanksIsEmpty", "cast(' ' as char(3))", ColumnKind::Text, QString("")},
        FetchedCase{"VaryingTextKeepsItsBlanks", "cast(' é ' as varchar(5))", ColumnKind::Text,
                    QString(" é ")},
        FetchedCase{"NullInteger", "cast(null as integer)", ColumnKind::Integer, QVariant()},
        FetchedCase{"NullText", "cast(null as varchar(3))", ColumnKind::Text, QVariant()},
        FetchedCase{"Boolean", "(1 = 1)", ColumnKind::Integer, qint64(1)},
        FetchedCase{"Date", "cast('1899-12-31' as date)", ColumnKind::Timestamp, 1.0},
        FetchedCase{"Time", "cast('06:00:00' as time)", ColumnKind::Timestamp, 0.25},
        FetchedCase{"Timestamp", "cast('1900-01-01 12:00:00' as timestamp)", ColumnKind::Timestamp, 2.5},
        FetchedCase{"BlobReadAsNull", "cast('x' as blob sub_type text)", ColumnKind::Other, QVariant()}),
    [](const ::testing::TestParamInfo<FetchedCase>& each) { return each.param.name; });

}  // namespace
}  // namespace sw

namespace sw {
namespace {

TEST(ChangeMarks, MoveWithEveryStatementThatMayChangeTheCatalogueAndEverySnapshot) {
    test::TestCatalogue file;
    Catalogue catalogue;
    file.OpenCurrent(catalogue);
    Query probe(catalogue, "select count(*) from song");
    const auto mark = [&probe] { return probe.Mark(); };
    struct Step {
        const char* name;
        std::function<void()> run;
        bool moves;
    };
    const std::vector<Step> steps{
        {"a select", [&] { catalogue.Select("select * from song"); }, false},
        {"the probe itself", [&] { probe.Open(); }, false},
        {"an uncommitted insert", [&] { catalogue.ExecSql("insert into song (songnum) values (1)"); }, true},
        {"a savepoint", [&] { catalogue.SetSavepoint(); }, true},
        {"an update", [&] { catalogue.ExecSql("update song set title = 'x'"); }, true},
        {"a rollback to the savepoint", [&] { catalogue.RollbackToSavepoint(); }, true},
        {"a statement that prepares and is refused",
         [&] { EXPECT_ANY_THROW(catalogue.ExecSql("insert into song (title) values ('x')")); }, true},
        {"a statement that does not prepare",
         [&] { EXPECT_ANY_THROW(catalogue.ExecSql("update nosuch set x = 1")); }, false},
        {"a commit", [&] { catalogue.CommitAndContinue(); }, true},
        {"the next transaction starting", [&] { catalogue.Select("select * from song"); }, false},
        {"a commit keeping the transaction", [&] { catalogue.CommitRetaining(); }, true},
        {"a query statement", [&] { Query(catalogue, "delete from song").Execute(); }, true},
        {"another select", [&] { catalogue.RunQuery("select songnum from song"); }, false},
    };
    for (const Step& step : steps) {
        const fb::ChangeMark before = mark();
        step.run();
        EXPECT_EQ(!(mark() == before), step.moves) << step.name;
    }

    // Each connection has marks of its own.
    test::TestCatalogue otherFile;
    Catalogue other;
    otherFile.OpenCurrent(other);
    Query otherProbe(other, "select count(*) from song");
    EXPECT_NE(otherProbe.Mark().connection, probe.Mark().connection);
}

}  // namespace
}  // namespace sw
