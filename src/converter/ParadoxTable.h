#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace sw::paradox {

/// A table that cannot be read: a damaged or encrypted file, or not a table's data file at all.
/// The text names the file.
class ParadoxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class FieldType : std::uint8_t {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Money = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Binary = 0x0D,
    FormattedMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoIncrement = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

/// The letter Paradox shows for a field type ("A", "+", "#" ...).
QString TypeLetter(FieldType type);
bool IsBlob(FieldType type);

struct Field {
    QString name;
    FieldType type = FieldType::Alpha;
    /// The size byte of the field's descriptor (for "#" the number of decimals).
    int size = 0;
    /// Bytes the field takes in a record.
    int width = 0;
    /// Where the field starts within a record.
    int offset = 0;
};

/// What the header of a table says about it.
struct TableInfo {
    int fileVersion = 0;  ///< 3 = 3.0, 4 = 3.5, 5-9 = 4.x, 10-11 = 5.x, 12 = 7.x
    int fileType = 0;     ///< 0 keyed, 2 unkeyed
    int keyFields = 0;
    int codePage = 0;  ///< as the header states it; 0 when it states none
    int headerSize = 0;
    int blockSize = 0;
    int recordSize = 0;
    int fileBlocks = 0;
    int firstBlock = 0;
    qint64 headerRecords = 0;  ///< the record count the header claims
    qint64 autoIncrement = 0;  ///< last value issued to the "+" field (5.x and later)
    QString storedName;        ///< the table name at creation, often a temporary name
    std::vector<Field> fields;
};

/// "3.0", "3.5", "4.x", "5.x" or "7.x".
QString VersionName(int fileVersion);

class CodePageDecoder;
class MemoFile;

/// A Paradox table (.DB file, with its .MB file for blob fields), versions 3.0 to 7, keyed or not.
/// Opening checks the header and walks the block chain, so that a damaged file is refused at once;
/// values are decoded on demand, rows in the chain's (logical) order.
///
/// Values: null is an invalid QVariant. Alpha and memo fields give QString (in the table's code
/// page, Windows-1252 when it states none), short, long and auto-increment fields qint64, number and
/// money fields double, BCD fields their exact decimal text (QString), logical fields bool, dates
/// QDate, times QTime, timestamps QDateTime (the stored wall-clock time, as UTC), the other blobs and bytes
/// fields QByteArray.
class Table {
public:
    /// Throws ParadoxError. `codePage` other than 0 replaces the one the header states.
    explicit Table(const QString& path, int codePage = 0);
    /// A table whose files are already in memory: `memo` is the .MB file's content, nullopt when
    /// there is none; `name` stands for the file in messages.
    Table(const QString& name, QByteArray content, std::optional<QByteArray> memo, int codePage = 0);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const QString& Path() const { return m_path; }
    const TableInfo& Info() const { return m_info; }
    /// The code page text is decoded with.
    int TextCodePage() const;
    int RowCount() const { return static_cast<int>(m_records.size()); }
    int FieldCount() const { return static_cast<int>(m_info.fields.size()); }
    /// The field of that name, ignoring letter case; -1 when there is none.
    int FieldIndex(const QString& name) const;

    QVariant Value(int row, int field) const;
    std::vector<QVariant> Row(int row) const;

    /// Problems that did not stop the reading (a date out of range, a blob whose .MB file is
    /// missing, a record count that differs from the header's), each naming the row and field.
    const QStringList& Warnings() const { return m_warnings; }
    /// How many problems were met, those past the listed ones included.
    int WarningCount() const { return m_warningCount; }
    /// Rows the header counts that the block chain does not hold (0 when it holds them all).
    qint64 RowsMissing() const { return std::max<qint64>(0, m_info.headerRecords - RowCount()); }

private:
    void ReadHeader();
    void ReadFields(int start);
    void WalkBlocks();
    QVariant Decode(const char* data, const Field& field, int row) const;
    QVariant DecodeBlob(const char* data, const Field& field, int row) const;
    QString Text(const char* data, qsizetype length) const;
    [[noreturn]] void Fail(const QString& reason) const;
    void Warn(const QString& problem) const;

    QString m_path;
    QByteArray m_file;
    TableInfo m_info;
    int m_codePageOverride = 0;
    std::vector<qsizetype> m_records;  // file offset of each record, in chain order
    std::unique_ptr<CodePageDecoder> m_text;
    mutable std::unique_ptr<MemoFile> m_memo;
    mutable bool m_memoLooked = false;
    mutable QStringList m_warnings;
    mutable int m_warningCount = 0;
};

/// The companion file of a table with another extension (".MB", ".PX"), found without regard to
/// letter case; empty when there is none.
QString CompanionFile(const QString& tablePath, const QString& extension);

}  // namespace sw::paradox
