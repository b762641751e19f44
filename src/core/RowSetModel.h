#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <functional>
#include <vector>

namespace sw {

class RowSet;

/// One column of a grid over a row set: its title and how a row's cell is written.
struct GridColumn {
    QString caption;
    /// The cell's text for a row (0-based) of the row set.
    std::function<QString(int row)> text;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    /// The designed width in characters; 0 for the caption's width.
    int widthChars = 0;
    /// For a computed column whose cells all have about the same width: a text as wide as the
    /// widest, so that fitting the column need not write every cell.
    QString widestSample;
};

/// The one table model of the program's grids: the rows of a row set, served on demand through
/// the window's columns, so that a list of 100,000 songs costs nothing beyond its row set and
/// scrolling writes only the cells on show. Rows a window marks (its selection) answer
/// kRowMarkedRole with true.
class RowSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kRowMarkedRole = Qt::UserRole + 1;

    explicit RowSetModel(QObject* parent = nullptr);

    /// Shows the rows of `rows` through `columns`; every view starts again. The row set must stay
    /// until the next Show (null shows no rows).
    void Show(const RowSet* rows, std::vector<GridColumn> columns);
    /// Shows the same columns over a row set whose rows were read again.
    void Reload(const RowSet* rows);
    /// The rows' cells have changed and are drawn again.
    void RowsChanged(int first, int last);
    void SetRowMarked(std::function<bool(int row)> marked) { m_marked = std::move(marked); }

    int RowCount() const { return m_rowCount; }
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    const GridColumn& Column(int column) const;
    QString CellText(int row, int column) const;
    /// Every cell of the row in column order.
    QStringList RowTexts(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const RowSet* m_rows = nullptr;
    int m_rowCount = 0;
    std::vector<GridColumn> m_columns;
    std::function<bool(int)> m_marked;
};

/// A column showing a row-set field as it stands (empty for null).
std::function<QString(int row)> FieldText(const RowSet& rows, const QString& field);

}  // namespace sw
