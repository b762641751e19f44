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
