#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "core/RowSet.h"

class QTableView;

namespace sw {

/// A grid's model over a controller's row set: one row per row of the set, each column's cell
/// computed by the window. The row set is read again on Reset, after the controller replaced it.
class RowSetModel : public QAbstractTableModel {
public:
    struct Column {
        QString heading;
        std::function<QString(int row)> cell;
    };

    RowSetModel(const RowSet& rows, std::vector<Column> columns, QObject* parent = nullptr);

    /// The row set was replaced or changed.
    void Reset();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const RowSet& m_rows;
    std::vector<Column> m_columns;
};

/// Whole-row selection of one row, no row headings, no editing: how the program's grids behave.
void SetUpGrid(QTableView* grid);
/// Each column as wide as the longest of its heading and of all its cells.
void AutoSizeColumns(QTableView* grid);
/// Makes `row` current with up to 9 rows after it in view as well.
void ShowContextBelow(QTableView* grid, int row);

}  // namespace sw
