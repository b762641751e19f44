#include "RowSet.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace sw {

struct RowSet::OnDemandRows {
    RowSet known;
    RowReader read;
    ColumnReader readColumn;
    int pageRows = 1;
    /// For each column: its column in `known`, or -1.
    std::vector<int> knownColumn;
    /// The rows read so far, in the order they were read.
    RowSet read_;
    /// For each stored row: its row in `read_`, or -1.
    std::vector<int> slot;
    /// Whole columns read by ReadWholeColumn, by stored row.
    std::unordered_map<int, std::vector<QVariant>> columns;

    void Take(const std::vector<int>& rows) { Put(rows, read(rows)); }

    void Put(const std::vector<int>& rows, const RowSet& page) {
        if (page.RowCount() != static_cast<int>(rows.size()) || page.ColumnCount() != read_.ColumnCount()) {
            throw std::logic_error("a page read on demand has other rows or columns than asked for");
        }
        std::vector<QVariant> values(static_cast<std::size_t>(page.ColumnCount()));
        for (int i = 0; i < page.RowCount(); ++i) {
            for (int column = 0; column < page.ColumnCount(); ++column) {
                values[static_cast<std::size_t>(column)] = page.Value(i, column);
            }
            read_.AppendRow(values);
            slot[static_cast<std::size_t>(rows[static_cast<std::size_t>(i)])] = read_.RowCount() - 1;
        }
    }
};

RowSet RowSet::OnDemand(RowSet known, RowReader read, int pageRows, ColumnReader readColumn) {
    auto state = std::make_shared<OnDemandRows>();
    state->pageRows = std::max(1, pageRows);
    state->read = std::move(read);
    state->readColumn = std::move(readColumn);
    state->slot.assign(static_cast<std::size_t>(known.RowCount()), -1);
    std::vector<int> first;
    for (int row = 0; row < std::min(known.RowCount(), state->pageRows); ++row) {
        first.push_back(known.m_order.empty() ? row : known.m_order[static_cast<std::size_t>(row)]);
    }
    // The first page names the columns.
    const RowSet page = state->read(first);
    std::vector<Column> columns;
    for (int column = 0; column < page.ColumnCount(); ++column) {
        columns.push_back(page.ColumnAt(column));
        state->knownColumn.push_back(known.FindColumn(page.ColumnAt(column).name));
    }
    state->read_ = RowSet(columns);
    RowSet result(columns);
    result.m_rowCount = known.RowCount();
    result.m_order = std::move(known.m_order);
    known.m_order.clear();
    state->known = std::move(known);
    result.m_onDemand = state;
    state->Put(first, page);
    return result;
}

bool RowSet::ColumnInMemory(int column) const {
    if (!m_onDemand) {
        return true;
    }
    const auto c = static_cast<std::size_t>(column);
    if (m_onDemand->knownColumn.at(c) >= 0 || m_onDemand->columns.count(column) > 0) {
        return true;
    }
    return std::find(m_onDemand->slot.begin(), m_onDemand->slot.end(), -1) == m_onDemand->slot.end();
}

QString RowSet::LongestText(int column) const {
    if (m_onDemand) {
        const OnDemandRows& state = *m_onDemand;
        if (const int known = state.knownColumn.at(static_cast<std::size_t>(column)); known >= 0) {
            return state.known.LongestText(known);
        }
        if (const auto whole = state.columns.find(column); whole != state.columns.end()) {
            QString longest;
            for (const QVariant& value : whole->second) {
                if (value.isValid() && value.toString().size() > longest.size()) {
                    longest = value.toString();
                }
            }
            return longest;
        }
        return state.read_.LongestText(column);
    }
    const Values& values = m_values.at(static_cast<std::size_t>(column));
    QString longest;
    switch (m_columns[static_cast<std::size_t>(column)].kind) {
        case ColumnKind::Text:
            for (std::size_t row = 0; row < values.texts.size(); ++row) {
                if (!values.nulls[row] && values.texts[row].size() > longest.size()) {
                    longest = values.texts[row];
                }
            }
            break;
        case ColumnKind::Integer:
            for (std::size_t row = 0; row < values.integers.size(); ++row) {
                if (!values.nulls[row]) {
                    QString text = QString::number(values.integers[row]);
                    if (text.size() > longest.size()) {
                        longest = std::move(text);
                    }
                }
            }
            break;
        default:
            for (int row = 0; row < m_rowCount; ++row) {
                const QVariant value = StoredValue(row, column);
                if (value.isValid() && value.toString().size() > longest.size()) {
                    longest = value.toString();
                }
            }
            break;
    }
    return longest;
}

void RowSet::ReadWholeColumn(int column) const {
    if (ColumnInMemory(column)) {
        return;
    }
    OnDemandRows& state = *m_onDemand;
    if (state.readColumn) {
        std::vector<QVariant> values = state.readColumn(m_columns.at(static_cast<std::size_t>(column)).name);
        if (static_cast<int>(values.size()) == m_rowCount) {
            state.columns[column] = std::move(values);
            return;
        }
    }
    std::vector<int> missing;
    for (int row = 0; row < m_rowCount; ++row) {
        if (state.slot[static_cast<std::size_t>(row)] < 0) {
            missing.push_back(row);
        }
    }
    state.Take(missing);
}

void RowSet::Reorder(const std::vector<int>& order) {
    if (static_cast<int>(order.size()) != m_rowCount) {
        throw std::invalid_argument("a new order of " + std::to_string(order.size()) + " rows for " +
                                    std::to_string(m_rowCount));
    }
    std::vector<int> stored(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int from = order[i];
        if (from < 0 || from >= m_rowCount) {
            throw std::out_of_range("row " + std::to_string(from) + " of " + std::to_string(m_rowCount));
        }
        stored[i] = m_order.empty() ? from : m_order[static_cast<std::size_t>(from)];
    }
    m_order = std::move(stored);
}

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

void RowSet::CheckAppending() const {
    if (m_onDemand || !m_order.empty()) {
        throw std::logic_error("rows are appended only to a row set read at once, in its stored order");
    }
    if (m_appending >= m_columns.size()) {
        throw std::logic_error("a row is given more values than it has columns");
    }
}

void RowSet::AppendNull() {
    CheckAppending();
    Values& column = m_values[m_appending];
    column.nulls.push_back(true);
    switch (m_columns[m_appending].kind) {
        case ColumnKind::Integer:
            column.integers.push_back(0);
            break;
        case ColumnKind::Real:
        case ColumnKind::Timestamp:
            column.reals.push_back(0);
            break;
        case ColumnKind::Text:
            column.texts.emplace_back();
            break;
        case ColumnKind::Other:
            column.others.emplace_back();
            break;
    }
    ++m_appending;
}

void RowSet::AppendInteger(qint64 value) {
    CheckAppending();
    if (m_columns[m_appending].kind != ColumnKind::Integer) {
        AppendOther(value);
        return;
    }
    m_values[m_appending].nulls.push_back(false);
    m_values[m_appending].integers.push_back(value);
    ++m_appending;
}

void RowSet::AppendReal(double value) {
    CheckAppending();
    const ColumnKind kind = m_columns[m_appending].kind;
    if (kind != ColumnKind::Real && kind != ColumnKind::Timestamp) {
        AppendOther(value);
        return;
    }
    m_values[m_appending].nulls.push_back(false);
    m_values[m_appending].reals.push_back(value);
    ++m_appending;
}

void RowSet::AppendText(QString value) {
    CheckAppending();
    if (m_columns[m_appending].kind != ColumnKind::Text) {
        AppendOther(value);
        return;
    }
    Values& column = m_values[m_appending];
    column.nulls.push_back(false);
    // A text equal to the one above shares its storage.
    if (!column.texts.empty() && column.texts.back() == value) {
        column.texts.push_back(column.texts.back());
    } else {
        column.texts.push_back(std::move(value));
    }
    ++m_appending;
}

void RowSet::AppendOther(const QVariant& value) {
    CheckAppending();
    if (!value.isValid()) {
        AppendNull();
        return;
    }
    Values& column = m_values[m_appending];
    // A value of another type is kept as the column's kind keeps it.
    switch (m_columns[m_appending].kind) {
        case ColumnKind::Integer:
            column.integers.push_back(value.toLongLong());
            break;
        case ColumnKind::Real:
        case ColumnKind::Timestamp:
            column.reals.push_back(value.toDouble());
            break;
        case ColumnKind::Text:
            AppendText(value.toString());
            return;
        case ColumnKind::Other:
            column.others.push_back(value);
            break;
    }
    column.nulls.push_back(false);
    ++m_appending;
}

void RowSet::AppendRowOf(const RowSet& from, int row) {
    if (from.ColumnCount() != ColumnCount()) {
        throw std::invalid_argument("a row of " + std::to_string(from.ColumnCount()) + " columns for " +
                                    std::to_string(ColumnCount()));
    }
    for (int column = 0; column < from.ColumnCount(); ++column) {
        const ColumnKind kind = from.m_columns[static_cast<std::size_t>(column)].kind;
        if (from.IsNullAt(row, column)) {
            AppendNull();
        } else if (kind == ColumnKind::Integer) {
            AppendInteger(from.IntegerAt(row, column));
        } else if (kind == ColumnKind::Text) {
            AppendText(from.TextAt(row, column));
        } else {
            AppendOther(from.Value(row, column));
        }
    }
    EndRow();
}

void RowSet::AppendIntegerColumn(const QString& name, std::vector<qint64> integers, std::vector<bool> nulls) {
    if (m_onDemand) {
        throw std::logic_error("columns are added only to a row set read at once");
    }
    if (integers.size() != static_cast<std::size_t>(m_rowCount) || nulls.size() != integers.size()) {
        throw std::invalid_argument("a column of " + std::to_string(integers.size()) + " values for " +
                                    std::to_string(m_rowCount) + " rows");
    }
    m_columns.push_back({name, ColumnKind::Integer});
    Values values;
    values.integers = std::move(integers);
    values.nulls = std::move(nulls);
    m_values.push_back(std::move(values));
}

void RowSet::EndRow() {
    if (m_appending != m_columns.size()) {
        throw std::logic_error("a row is given " + std::to_string(m_appending) + " values for " +
                               std::to_string(m_columns.size()) + " columns");
    }
    m_appending = 0;
    ++m_rowCount;
}

void RowSet::AppendRow(const std::vector<QVariant>& values) {
    if (m_onDemand || !m_order.empty()) {
        throw std::logic_error("rows are appended only to a row set read at once, in its stored order");
    }
    if (values.size() < m_columns.size()) {
        throw std::out_of_range("a row of " + std::to_string(values.size()) + " values for " +
                                std::to_string(m_columns.size()) + " columns");
    }
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const QVariant& value = values[i];
        // Nulls and values of another type keep what a QVariant converts them to.
        if (!value.isValid() && m_columns[i].kind == ColumnKind::Text) {
            AppendText(QString());
            m_values[i].nulls.back() = true;
        } else if (!value.isValid()) {
            AppendNull();
        } else {
            AppendOther(value);
        }
    }
    EndRow();
}

void RowSet::AppendColumn(const Column& column, const std::function<QVariant(int row)>& value) {
    if (m_onDemand) {
        throw std::logic_error("columns are added only to a row set read at once");
    }
    // Built as a one-column row set, so that each value is kept as AppendRow keeps it.
    RowSet one({column});
    std::vector<QVariant> values(1);
    for (int row = 0; row < m_rowCount; ++row) {
        values[0] = value(row);
        one.AppendRow(values);
    }
    m_columns.push_back(column);
    m_values.push_back(std::move(one.m_values.front()));
}

void RowSet::AppendTextColumn(const QString& name, std::vector<QString> texts, std::vector<bool> nulls) {
    if (m_onDemand) {
        throw std::logic_error("columns are added only to a row set read at once");
    }
    if (texts.size() != static_cast<std::size_t>(m_rowCount) || nulls.size() != texts.size()) {
        throw std::invalid_argument("a column of " + std::to_string(texts.size()) + " texts for " +
                                    std::to_string(m_rowCount) + " rows");
    }
    m_columns.push_back({name, ColumnKind::Text});
    Values values;
    values.texts = std::move(texts);
    values.nulls = std::move(nulls);
    m_values.push_back(std::move(values));
}

int RowSet::StoredRow(int row, int column) const {
    if (row < 0 || row >= m_rowCount) {
        throw std::out_of_range("row " + std::to_string(row) + " of " + std::to_string(m_rowCount));
    }
    if (column < 0 || column >= ColumnCount()) {
        throw std::out_of_range("column " + std::to_string(column) + " of " + std::to_string(ColumnCount()));
    }
    return m_order.empty() ? row : m_order[static_cast<std::size_t>(row)];
}

QVariant RowSet::Value(int row, int column) const {
    const int stored = StoredRow(row, column);
    if (!m_onDemand) {
        return StoredValue(stored, column);
    }
    OnDemandRows& state = *m_onDemand;
    if (const int known = state.knownColumn[static_cast<std::size_t>(column)]; known >= 0) {
        return state.known.StoredValue(stored, known);
    }
    if (const auto whole = state.columns.find(column); whole != state.columns.end()) {
        return whole->second[static_cast<std::size_t>(stored)];
    }
    if (state.slot[static_cast<std::size_t>(stored)] < 0) {
        // The page of rows around it, as they stand now, is read together.
        const int first = row - row % state.pageRows;
        std::vector<int> rows;
        for (int each = first; each < std::min(m_rowCount, first + state.pageRows); ++each) {
            const int at = m_order.empty() ? each : m_order[static_cast<std::size_t>(each)];
            if (state.slot[static_cast<std::size_t>(at)] < 0) {
                rows.push_back(at);
            }
        }
        state.Take(rows);
    }
    return state.read_.StoredValue(state.slot[static_cast<std::size_t>(stored)], column);
}

const RowSet::Values* RowSet::TypedCell(int row, int column, int& at) const {
    const int stored = StoredRow(row, column);
    const auto c = static_cast<std::size_t>(column);
    if (!m_onDemand) {
        at = stored;
        return &m_values[c];
    }
    const OnDemandRows& state = *m_onDemand;
    if (const int known = state.knownColumn[c]; known >= 0) {
        if (state.known.m_columns[static_cast<std::size_t>(known)].kind != m_columns[c].kind) {
            return nullptr;
        }
        at = stored;
        return &state.known.m_values[static_cast<std::size_t>(known)];
    }
    if (state.columns.count(column) > 0 || state.slot[static_cast<std::size_t>(stored)] < 0) {
        return nullptr;
    }
    at = state.slot[static_cast<std::size_t>(stored)];
    return &state.read_.m_values[c];
}

bool RowSet::IsNullAt(int row, int column) const {
    int at = 0;
    if (const Values* values = TypedCell(row, column, at)) {
        return values->nulls[static_cast<std::size_t>(at)];
    }
    return !Value(row, column).isValid();
}

qint64 RowSet::IntegerAt(int row, int column) const {
    int at = 0;
    const Values* values = TypedCell(row, column, at);
    if (values && m_columns[static_cast<std::size_t>(column)].kind == ColumnKind::Integer) {
        return values->integers[static_cast<std::size_t>(at)];
    }
    const QVariant value = Value(row, column);
    return value.isValid() ? value.toLongLong() : 0;
}

QString RowSet::TextAt(int row, int column) const {
    int at = 0;
    const Values* values = TypedCell(row, column, at);
    if (values && m_columns[static_cast<std::size_t>(column)].kind == ColumnKind::Text) {
        const auto r = static_cast<std::size_t>(at);
        return values->nulls[r] ? QString() : values->texts[r];
    }
    const QVariant value = Value(row, column);
    return value.isValid() ? value.toString() : QString();
}

QVariant RowSet::StoredValue(int row, int column) const {
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
