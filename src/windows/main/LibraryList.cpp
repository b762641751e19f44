#include "LibraryList.h"

#include "core/RowSet.h"

namespace sw {

QString SortedCaption(const QString& caption) {
    return QString(QChar(0x2022)) + " " + caption;
}

int RowWithId(const RowSet& rows, int column, qint64 id) {
    for (int row = 0; row < rows.RowCount(); ++row) {
        const QVariant value = rows.Value(row, column);
        if (value.isValid() && value.toLongLong() == id) {
            return row;
        }
    }
    return -1;
}

int FirstRowNotLess(int count, const std::function<bool(int row)>& notLess) {
    for (int row = 0; row < count; ++row) {
        if (notLess(row)) {
            return row;
        }
    }
    return -1;
}

}  // namespace sw
