#include "QueueModel.h"

#include "QueueController.h"

namespace sw {

QueueModel::QueueModel(const QueueController& queue, QObject* parent)
    : QAbstractTableModel(parent), m_queue(queue), m_rows(queue.RowCount()) {}

int QueueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int QueueModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kQueueColumnCount;
}

QVariant QueueModel::data(const QModelIndex& index, int role) const {
    // While a command runs (a question is open) the controller may hold fewer rows than the view.
    const QueueRow* row = m_queue.RowAt(index.row() + 1);
    if (!row || index.column() < 0 || index.column() >= kQueueColumnCount) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return row->cells[static_cast<std::size_t>(index.column())];
        case Qt::TextAlignmentRole:
            return QueueColumnCentred(index.column()) ? int(Qt::AlignHCenter | Qt::AlignTop)
                                                      : int(Qt::AlignLeft | Qt::AlignTop);
        default:
            return {};
    }
}

QVariant QueueModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kQueueColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QueueColumnTitle(section);
    }
    if (role == Qt::TextAlignmentRole) {
        return QueueColumnCentred(section) ? int(Qt::AlignHCenter) : int(Qt::AlignLeft);
    }
    return {};
}

void QueueModel::Apply(const QueueUpdate& update) {
    const int wanted = update.newRowCount;
    if (wanted > m_rows) {
        beginInsertRows({}, m_rows, wanted - 1);
        m_rows = wanted;
        endInsertRows();
    } else if (wanted < m_rows) {
        beginRemoveRows({}, wanted, m_rows - 1);
        m_rows = wanted;
        endRemoveRows();
    }
    const int first = std::max(update.firstChanged, 1);
    const int last = std::min(update.lastChanged, m_rows);
    if (first <= last) {
        emit dataChanged(index(first - 1, 0), index(last - 1, kQueueColumnCount - 1));
    }
}

}  // namespace sw
