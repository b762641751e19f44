// Ordering the songs grid by a column heading, in memory: the list's query is not read again.
#include <algorithm>
#include <numeric>

#include "SongListController.h"
#include "SongListOrder.h"

namespace sw {

QString SongListController::SortText(int row, SongColumn column, bool& numeric) const {
    numeric = column == SongColumn::WhenPlayed || column == SongColumn::Seq || column == SongColumn::Track ||
              column == SongColumn::Duration || column == SongColumn::Rating;
    if (!numeric) {
        return CellText(row, column);
    }
    const QVariant value = m_rows.Value(row, FieldOf(column));
    return value.isValid() ? QString::number(value.toDouble(), 'g', 17) : QString();
}

void SongListController::SortByColumn(int column) {
    if (!m_queryOpen || column < 0 || column >= static_cast<int>(m_columns.size())) {
        return;
    }
    const SongColumn which = m_columns[static_cast<std::size_t>(column)];
    // The fields the column shows are read for every row at once, not a page at a time.
    if (which == SongColumn::Wng) {
        m_rows.ReadWholeColumn(m_rows.ColumnIndex("FN"));
        m_rows.ReadWholeColumn(m_rows.ColumnIndex("EXI"));
    } else {
        m_rows.ReadWholeColumn(FieldOf(which));
    }

    const bool reversed = column == m_sortColumn && !m_sortReversed;
    const auto count = static_cast<std::size_t>(RowCount());
    if (m_readRow.size() != count) {
        m_readRow.resize(count);
        std::iota(m_readRow.begin(), m_readRow.end(), 0);
        m_sortRanks.clear();
    }
    std::vector<int> ranks(count);
    if (const auto kept = m_sortRanks.find(which); kept != m_sortRanks.end()) {
        for (std::size_t row = 0; row < count; ++row) {
            ranks[row] = kept->second[static_cast<std::size_t>(m_readRow[row])];
        }
    } else {
        std::vector<QString> texts(count);
        bool numeric = false;
        for (int row = 0; row < RowCount(); ++row) {
            texts[static_cast<std::size_t>(row)] = SortText(row, which, numeric);
        }
        ranks = ColumnSortRanks(texts, numeric);
        // The warning marks change as the files are looked for; the other cells stay as read.
        if (which != SongColumn::Wng) {
            std::vector<int>& byReadRow = m_sortRanks[which];
            byReadRow.resize(count);
            for (std::size_t row = 0; row < count; ++row) {
                byReadRow[static_cast<std::size_t>(m_readRow[row])] = ranks[row];
            }
        }
    }
    const std::vector<int> order = OrderByRanks(ranks, reversed);

    // What belongs to a row goes with it: its warning mark, its selection and the cursor.
    std::vector<char> warnings(order.size());
    std::vector<char> selected(order.size());
    std::vector<int> readRow(order.size());
    int current = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto from = static_cast<std::size_t>(order[i]);
        warnings[i] = from < m_warnings.size() ? m_warnings[from] : 0;
        selected[i] = from < m_selected.size() ? m_selected[from] : 0;
        readRow[i] = m_readRow[from];
        if (order[i] == m_current) {
            current = static_cast<int>(i);
        }
    }
    m_rows.Reorder(order);
    m_warnings = std::move(warnings);
    m_selected = std::move(selected);
    m_readRow = std::move(readRow);
    m_current = current;
    // The scan looks again at the rows it has passed; those it had worked out are remembered.
    m_scanNext = 0;
    m_sortColumn = column;
    m_sortReversed = reversed;
    m_model->Reload(&m_rows);
    if (m_display) {
        m_display->CurrentRowChanged(m_current);
    }
    Changed();
}

}  // namespace sw
