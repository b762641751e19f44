#include "RowSet.h"

#include <stdexcept>
#include <string>

namespace sw {

int RowSet::FindColumn(const QString& name) const {
    // Most callers spell a column as the catalogue does, so the exact comparison, much the cheaper
    // one, finds it; every cell a grid or a song record reads comes through here.
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name == name) {
            return static_cast<int>(i);
        }
    }
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int RowSet::ColumnIndex(const QString& name) const {
    const int index = FindColumn(name);
    if (index < 0) {
        throw DatabaseError(("Field '" + name + "' not found").toStdString());
    }
    return index;
}

bool RowSet::HasColumn(const QString& name) const {
    return FindColumn(name) >= 0;
}

void RowSet::AppendRow(const std::vector<QVariant>& values) {
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const QVariant& value = values.at(i);
        Values& column = m_values[i];
        column.nulls.push_back(!value.isValid());
        switch (m_columns[i].kind) {
            case ColumnKind::Integer:
                column.integers.push_back(value.toLongLong());
                break;
            case ColumnKind::Real:
            case ColumnKind::Timestamp:
                column.reals.push_back(value.toDouble());
                break;
            case ColumnKind::Text: {
                QString text = value.toString();
                if (!column.texts.empty() && column.texts.back() == text) {
                    column.texts.push_back(column.texts.back());
                } else {
                    column.texts.push_back(std::move(text));
                }
                break;
            }
            case ColumnKind::Other:
                column.others.push_back(value);
                break;
        }
    }
    ++m_rowCount;
}

QVariant RowSet::Value(int row, int column) const {
    if (row < 0 || row >= m_rowCount) {
        throw std::out_of_range("row " + std::to_string(row) + " of " + std::to_string(m_rowCount));
    }
    const auto r = static_cast<std::size_t>(row);
    const Values& values = m_values.at(static_cast<std::size_t>(column));
    if (values.nulls[r]) {
        return {};
    }
    switch (m_columns[static_cast<std::size_t>(column)].kind) {
        case ColumnKind::Integer:
            return values.integers[r];
        case ColumnKind::Real:
        case ColumnKind::Timestamp:
            return values.reals[r];
        case ColumnKind::Text:
            return values.texts[r];
        case ColumnKind::Other:
            return values.others[r];
    }
    return {};
}

QVariant RowSet::Current(const QString& column) const {
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
    const QVariant value = Current(column);
    return value.isValid() ? value.toLongLong() : 0;
}

QString RowSet::Text(const QString& column) const {
    const QVariant value = Current(column);
    return value.isValid() ? value.toString() : QString();
}

TDateTime RowSet::DateTime(const QString& column) const {
    const QVariant value = Current(column);
    return value.isValid() ? value.toDouble() : 0;
}

double RowSet::Real(const QString& column) const {
    const QVariant value = Current(column);
    return value.isValid() ? value.toDouble() : 0;
}

}  // namespace sw
