#include "RowSet.h"

namespace sw {

int RowSet::ColumnIndex(const QString& name) const {
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    throw DatabaseError(("Field '" + name + "' not found").toStdString());
}

bool RowSet::HasColumn(const QString& name) const {
    for (const Column& column : m_columns) {
        if (column.name.compare(name, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

const QVariant& RowSet::Value(int row, int column) const {
    return m_rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
}

const QVariant& RowSet::Current(const QString& column) const {
    const int index = ColumnIndex(column);
    if (Eof() || m_current < 0) {
        throw DatabaseError(("No current row to read field '" + column + "' from").toStdString());
    }
    return Value(m_current, index);
}

bool RowSet::IsNull(const QString& column) const {
    return !Current(column).isValid();
}

qint64 RowSet::Int64(const QString& column) const {
    const QVariant& value = Current(column);
    return value.isValid() ? value.toLongLong() : 0;
}

QString RowSet::Text(const QString& column) const {
    const QVariant& value = Current(column);
    return value.isValid() ? value.toString() : QString();
}

TDateTime RowSet::DateTime(const QString& column) const {
    const QVariant& value = Current(column);
    return value.isValid() ? value.toDouble() : 0;
}

double RowSet::Real(const QString& column) const {
    const QVariant& value = Current(column);
    return value.isValid() ? value.toDouble() : 0;
}

}  // namespace sw
