#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <vector>

#include "converter/ParadoxTable.h"

namespace sw::test {

/// A field of a table to write: `size` is the descriptor's size byte (the decimals for "#").
struct WriterField {
    QString name;
    paradox::FieldType type;
    int size;
};

/// A Paradox table for the tests to write. Values are given as the reader returns them (QString,
/// qint64, double, bool, QDate, QTime, QDateTime, QByteArray, a decimal text for "#"); an invalid
/// QVariant is a blank field.
struct TableLayout {
    int fileVersion = 12;
    int keyFields = 0;  ///< 0 writes an unkeyed table
    int codePage = 1252;
    int blockUnits = 2;  ///< block size in KiB
    /// Records per block; 0 fills each block.
    int recordsPerBlock = 0;
    /// The physical blocks in chain order (numbered from 1); empty for 1, 2, 3 ...
    std::vector<int> chain;
    bool encrypted = false;
    QString storedName = "resttemp.DB";
    std::vector<WriterField> fields;
    std::vector<std::vector<QVariant>> rows;
};

/// The table's .DB bytes and, when a blob does not fit in its record, its .MB bytes.
struct TableFiles {
    QByteArray table;
    QByteArray memo;
};

TableFiles MakeTable(const TableLayout& layout);
/// Writes `path` and, when needed, the .MB file beside it (same name, extension "MB" in the case of
/// the table's extension).
void WriteTable(const QString& path, const TableLayout& layout);

/// Writes a whole file; throws on failure.
void WriteBytes(const QString& path, const QByteArray& bytes);

}  // namespace sw::test
