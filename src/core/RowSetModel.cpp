#include "RowSetModel.h"

#include "RowSet.h"

namespace sw {

RowSetModel::RowSetModel(QObject* parent) : QAbstractTableModel(parent) {}

void RowSetModel::Show(const RowSet* rows, std::vector<GridColumn> columns) {
    beginResetModel();
    m_rows = rows;
    m_rowCount = rows ? rows->RowCount() : 0;
    m_columns = std::move(columns);
    endResetModel();
}

void RowSetModel::Reload(const RowSet* rows) {
    beginResetModel();
    m_rows = rows;
    m_rowCount = rows ? rows->RowCount() : 0;
    endResetModel();
}

void RowSetModel::RowsChanged(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, m_rowCount - 1);
    if (first <= last && !m_columns.empty()) {
        emit dataChanged(index(first, 0), index(last, ColumnCount() - 1));
    }
}

const GridColumn& RowSetModel::Column(int column) const {
    return m_columns.at(static_cast<std::size_t>(column));
}

QString RowSetModel::CellText(int row, int column) const {
    if (row < 0 || row >= m_rowCount || column < 0 || column >= ColumnCount()) {
        return {};
    }
    const GridColumn& each = m_columns[static_cast<std::size_t>(column)];
    return each.text ? each.text(row) : QString();
}

QStringList RowSetModel::RowTexts(int row) const {
    QStringList texts;
    texts.reserve(ColumnCount());
    for (int column = 0; column < ColumnCount(); ++column) {
        texts << CellText(row, column);
    }
    return texts;
}

int RowSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int RowSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount();
}

QVariant RowSetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return CellText(index.row(), index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Column(index.column()).alignment);
        case kRowMarkedRole:
            return m_marked && m_marked(index.row());
        default:
            return {};
    }
}

QVariant RowSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount()) {
        return Column(section).caption;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags RowSetModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

std::function<QString(int row)> FieldText(const RowSet& rows, const QString& field) {
    const int column = rows.ColumnIndex(field);
    return [&rows, column](int row) {
        const QVariant& value = rows.Value(row, column);
        return value.isValid() ? value.toString() : QString();
    };
}

}  // namespace sw
