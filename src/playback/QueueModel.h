#pragma once

#include <QAbstractTableModel>

namespace sw {

class QueueController;
struct QueueUpdate;

/// The now-playing grid's model: the controller's rows and cells, the column titles as the header.
/// Rows 0.. of the model are the queue's rows 1...
class QueueModel : public QAbstractTableModel {
public:
    explicit QueueModel(const QueueController& queue, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    /// Tells the view what one command changed: rows added or removed at the end, then the
    /// changed rows, in one signal each however many steps the command took.
    void Apply(const QueueUpdate& update);

private:
    const QueueController& m_queue;
    int m_rows = 0;
};

}  // namespace sw
