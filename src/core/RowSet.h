#pragma once

#include <QString>
#include <QVariant>
#include <stdexcept>
#include <vector>

#include "foundation/Dates.h"

namespace sw {

/// An error reported by the database client, carrying the client's own text.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ColumnKind { Integer, Real, Text, Timestamp, Other };

/// A query's result read into memory once: column names, typed null-aware values and a current row.
/// Integers are handed out as qint64, texts as QString (fixed-length texts without their padding),
/// time stamps as TDateTime, and null as an invalid QVariant. The values are kept by column in the
/// column's own type, and a text equal to the one above it shares its storage, so that a list of
/// 100,000 songs stays small.
class RowSet {
public:
    struct Column {
        QString name;
        ColumnKind kind;
    };

    RowSet() = default;
    explicit RowSet(std::vector<Column> columns)
        : m_columns(std::move(columns)), m_values(m_columns.size()) {}

    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    const Column& ColumnAt(int index) const { return m_columns.at(static_cast<std::size_t>(index)); }
    /// The column of that name, ignoring case. Throws when there is none.
    int ColumnIndex(const QString& name) const;
    bool HasColumn(const QString& name) const;

    int RowCount() const { return m_rowCount; }
    /// Adds a row: one value per column, of the column's kind or null.
    void AppendRow(const std::vector<QVariant>& values);
    /// Throws std::out_of_range outside the rows and columns.
    QVariant Value(int row, int column) const;

    // The current row: First, Next and Eof walk the rows as a cursor would.
    int CurrentRow() const { return m_current; }
    void SetCurrentRow(int row) { m_current = row; }
    void First() { m_current = 0; }
    void Next() { ++m_current; }
    bool Eof() const { return m_current >= RowCount(); }

    // Values of the current row by column name.
    bool IsNull(const QString& column) const;
    /// 0 when null.
    qint64 Int64(const QString& column) const;
    int Int(const QString& column) const { return static_cast<int>(Int64(column)); }
    /// Empty when null.
    QString Text(const QString& column) const;
    /// 0 when null.
    TDateTime DateTime(const QString& column) const;
    double Real(const QString& column) const;

private:
    /// One column's values in the column's type; `nulls` marks the null rows.
    struct Values {
        std::vector<qint64> integers;
        std::vector<double> reals;
        std::vector<QString> texts;
        std::vector<QVariant> others;
        std::vector<bool> nulls;
    };

    QVariant Current(const QString& column) const;
    /// The column of that name, the exact spelling first, then ignoring case; -1 when there is none.
    int FindColumn(const QString& name) const;

    std::vector<Column> m_columns;
    std::vector<Values> m_values;
    int m_rowCount = 0;
    int m_current = 0;
};

}  // namespace sw
