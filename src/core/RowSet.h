#pragma once

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "foundation/Dates.h"

namespace sw {

/// An error reported by the database client, carrying the client's own text.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    DatabaseError(const std::string& text, bool stringTruncation)
        : std::runtime_error(text), m_stringTruncation(stringTruncation) {}

    /// The engine's "string right truncation": a text did not fit where the statement put it.
    bool StringTruncation() const { return m_stringTruncation; }

private:
    bool m_stringTruncation = false;
};

enum class ColumnKind { Integer, Real, Text, Timestamp, Other };

/// A query's result read into memory once: column names, typed null-aware values and a current row.
/// Integers are handed out as qint64, texts as QString (fixed-length texts without their padding),
/// time stamps as TDateTime, and null as an invalid QVariant. The values are kept by column in the
/// column's own type, and a text equal to the one above it shares its storage, so that a list of
/// 100,000 songs stays small.
///
/// A row set may also be read on demand: some columns of every row are known from the start, and
/// the other values are read a page of rows at a time when one of them is first asked for, so that
/// a long list costs only the rows that are looked at.
class RowSet {
public:
    struct Column {
        QString name;
        ColumnKind kind;
    };
    /// Reads these rows (positions in the row set of known columns) with every column, one result
    /// row per position in the order given.
    using RowReader = std::function<RowSet(const std::vector<int>& rows)>;
    /// Reads one column of every row (in the order of the known columns' rows); empty when it cannot.
    using ColumnReader = std::function<std::vector<QVariant>(const QString& column)>;

    RowSet() = default;
    explicit RowSet(std::vector<Column> columns)
        : m_columns(std::move(columns)), m_values(m_columns.size()) {}

    /// A row set of `known`'s rows whose columns are those `read` gives; the columns of `known`
    /// (matched by name) are served from it, the others read `pageRows` rows at a time. The first
    /// page is read at once. `readColumn`, when given, reads a whole column for ReadWholeColumn.
    static RowSet OnDemand(RowSet known, RowReader read, int pageRows, ColumnReader readColumn = {});
    bool ReadsOnDemand() const { return static_cast<bool>(m_onDemand); }
    /// The column's values are all in memory: asking for any of them reads nothing.
    bool ColumnInMemory(int column) const;
    /// The longest text among the column's values in memory (integers as decimal text); empty when
    /// none is. Fitting a column to a long list measures this rather than every cell.
    QString LongestText(int column) const;
    /// Reads the column of every row not read yet, in one go where it can.
    void ReadWholeColumn(int column) const;

    /// Puts the rows in a new order: row i becomes the row that was at `order[i]`. `order` holds
    /// every row once. The current row stays where it is.
    void Reorder(const std::vector<int>& order);

    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    const Column& ColumnAt(int index) const { return m_columns.at(static_cast<std::size_t>(index)); }
    /// The column of that name, ignoring case. Throws when there is none.
    int ColumnIndex(const QString& name) const;
    bool HasColumn(const QString& name) const;

    int RowCount() const { return m_rowCount; }
    /// Adds a row: one value per column, of the column's kind or null.
    void AppendRow(const std::vector<QVariant>& values);
    /// Adds a column to a row set read at once: `value` gives each row's value (of the column's
    /// kind or null), row by row in the stored order.
    void AppendColumn(const Column& column, const std::function<QVariant(int row)>& value);
    /// Adds a text column to a row set read at once: one text per stored row, null where `nulls`
    /// says. The texts keep their storage (a name repeated on many rows is held once).
    void AppendTextColumn(const QString& name, std::vector<QString> texts, std::vector<bool> nulls);
    /// The same for an integer column.
    void AppendIntegerColumn(const QString& name, std::vector<qint64> integers, std::vector<bool> nulls);
    /// Adds a copy of a row of `from`, whose columns are of the same kinds in the same order.
    void AppendRowOf(const RowSet& from, int row);

    // A row built a cell at a time, in the columns' own types (a reader of many rows builds no
    // QVariant per cell): one Append call per column, in column order, then EndRow.
    void AppendNull();
    void AppendInteger(qint64 value);
    void AppendReal(double value);
    void AppendText(QString value);
    void AppendOther(const QVariant& value);
    /// Throws std::logic_error unless every column of the row was given.
    void EndRow();

    /// Throws std::out_of_range outside the rows and columns.
    QVariant Value(int row, int column) const;
    // A cell in its own type, without a QVariant: null reads as 0 or an empty text. The range is
    // checked as by Value.
    bool IsNullAt(int row, int column) const;
    qint64 IntegerAt(int row, int column) const;
    QString TextAt(int row, int column) const;

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

    struct OnDemandRows;

    QVariant Current(const QString& column) const;
    QVariant StoredValue(int row, int column) const;
    /// The stored row of a row in the present order, the range checked.
    int StoredRow(int row, int column) const;
    /// The values holding the cell, and its row in them, when the cell is in typed storage of
    /// this row set or its known rows; null (nothing read) otherwise.
    const Values* TypedCell(int row, int column, int& at) const;
    void CheckAppending() const;
    /// The column of that name, the exact spelling first, then ignoring case; -1 when there is none.
    int FindColumn(const QString& name) const;

    std::vector<Column> m_columns;
    std::vector<Values> m_values;
    int m_rowCount = 0;
    /// The column the next Append call fills.
    std::size_t m_appending = 0;
    int m_current = 0;
    /// Row i is stored at m_order[i]; empty while the rows are in their stored order.
    std::vector<int> m_order;
    /// Copies share what has been read.
    std::shared_ptr<OnDemandRows> m_onDemand;
};

}  // namespace sw
