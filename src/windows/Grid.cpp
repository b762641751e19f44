#include "Grid.h"

#include <QHeaderView>
#include <QTableView>
#include <algorithm>

namespace sw {

RowSetModel::RowSetModel(const RowSet& rows, std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_rows(rows), m_columns(std::move(columns)) {}

void RowSetModel::Reset() {
    beginResetModel();
    endResetModel();
}

int RowSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.RowCount();
}

int RowSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant RowSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.RowCount() || role != Qt::DisplayRole) {
        return {};
    }
    return m_columns.at(static_cast<std::size_t>(index.column())).cell(index.row());
}

QVariant RowSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount()) {
        return {};
    }
    return m_columns.at(static_cast<std::size_t>(section)).heading;
}

void SetUpGrid(QTableView* grid) {
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
    grid->horizontalHeader()->setHighlightSections(false);
    // Fitting reads every row, not a sample of them.
    grid->horizontalHeader()->setResizeContentsPrecision(-1);
}

void AutoSizeColumns(QTableView* grid) {
    grid->resizeColumnsToContents();
}

void ShowContextBelow(QTableView* grid, int row) {
    QAbstractItemModel* model = grid->model();
    if (!model || row < 0 || row >= model->rowCount()) {
        return;
    }
    const int ahead = std::min(row + 9, model->rowCount() - 1);
    grid->scrollTo(model->index(ahead, 0));
    grid->setCurrentIndex(model->index(row, 0));
    grid->scrollTo(model->index(row, 0));
}

}  // namespace sw
