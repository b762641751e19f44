#include "ParadoxTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "CodePage.h"
#include "ParadoxMemo.h"
#include "ParadoxValues.h"

namespace sw::paradox {

namespace {

// Offsets in the fixed header (all versions) and the extended one (4.x and later data files).
constexpr int kFixedHeader = 0x58;
constexpr int kExtendedHeader = 0x78;
constexpr int kBlockHeader = 6;
constexpr int kBlobDescriptor = 10;
constexpr std::uint32_t kEncryptionMarker = 0xFF00FF00U;
constexpr int kLastVersion = 12;
constexpr int kLargestBlockUnits = 32;
constexpr int kWarningsKept = 50;

std::uint16_t Le16(const QByteArray& data, qsizetype at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(data[at]) |
                                      static_cast<unsigned char>(data[at + 1]) << 8);
}

std::uint32_t Le32(const QByteArray& data, qsizetype at) {
    return Le16(data, at) | static_cast<std::uint32_t>(Le16(data, at + 2)) << 16;
}

std::uint32_t Le32(const unsigned char* data) {
    return data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
}

/// The bytes a field of this type takes in a record, or 0 when `size` is not valid for it.
int FieldWidth(FieldType type, int size) {
    switch (type) {
        case FieldType::Alpha:
        case FieldType::Bytes:
            return size >= 1 ? size : 0;
        case FieldType::Short:
            return size == 2 ? 2 : 0;
        case FieldType::Date:
        case FieldType::Long:
        case FieldType::Time:
        case FieldType::AutoIncrement:
            return size == 4 ? 4 : 0;
        case FieldType::Money:
        case FieldType::Number:
        case FieldType::Timestamp:
            return size == 8 ? 8 : 0;
        case FieldType::Logical:
            return size == 1 ? 1 : 0;
        case FieldType::Bcd:
            return size <= 32 ? 17 : 0;
        case FieldType::Memo:
        case FieldType::Binary:
        case FieldType::FormattedMemo:
        case FieldType::Ole:
        case FieldType::Graphic:
            return size >= kBlobDescriptor ? size : 0;
    }
    return 0;
}

bool KnownType(int code) {
    switch (code) {
        case 0x01:
        case 0x02:
        case 0x03:
        case 0x04:
        case 0x05:
        case 0x06:
        case 0x09:
        case 0x0C:
        case 0x0D:
        case 0x0E:
        case 0x0F:
        case 0x10:
        case 0x14:
        case 0x15:
        case 0x16:
        case 0x17:
        case 0x18:
            return true;
        default:
            return false;
    }
}

}  // namespace

QString TypeLetter(FieldType type) {
    switch (type) {
        case FieldType::Alpha:
            return "A";
        case FieldType::Date:
            return "D";
        case FieldType::Short:
            return "S";
        case FieldType::Long:
            return "I";
        case FieldType::Money:
            return "$";
        case FieldType::Number:
            return "N";
        case FieldType::Logical:
            return "L";
        case FieldType::Memo:
            return "M";
        case FieldType::Binary:
            return "B";
        case FieldType::FormattedMemo:
            return "F";
        case FieldType::Ole:
            return "O";
        case FieldType::Graphic:
            return "G";
        case FieldType::Time:
            return "T";
        case FieldType::Timestamp:
            return "@";
        case FieldType::AutoIncrement:
            return "+";
        case FieldType::Bcd:
            return "#";
        case FieldType::Bytes:
            return "Y";
    }
    return "?";
}

bool IsBlob(FieldType type) {
    return type == FieldType::Memo || type == FieldType::Binary || type == FieldType::FormattedMemo ||
           type == FieldType::Ole || type == FieldType::Graphic;
}

QString VersionName(int fileVersion) {
    if (fileVersion == 3) {
        return "3.0";
    }
    if (fileVersion == 4) {
        return "3.5";
    }
    if (fileVersion <= 9) {
        return "4.x";
    }
    return fileVersion <= 11 ? "5.x" : "7.x";
}

QString CompanionFile(const QString& tablePath, const QString& extension) {
    const QFileInfo table(tablePath);
    const QString wanted = table.completeBaseName() + "." + extension;
    const QStringList entries = table.dir().entryList(QDir::Files | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry == wanted) {
            return table.dir().filePath(entry);
        }
    }
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
            return table.dir().filePath(entry);
        }
    }
    return {};
}

Table::Table(const QString& path, int codePage) : m_path(path), m_codePageOverride(codePage) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(file.errorString());
    }
    m_file = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        Fail(file.errorString());
    }
    ReadHeader();
    WalkBlocks();
}

Table::Table(const QString& name, QByteArray content, std::optional<QByteArray> memo, int codePage)
    : m_path(name), m_file(std::move(content)), m_codePageOverride(codePage), m_memoLooked(true) {
    if (memo) {
        m_memo = std::make_unique<MemoFile>(std::move(*memo));
    }
    ReadHeader();
    WalkBlocks();
}

Table::~Table() = default;

void Table::Fail(const QString& reason) const {
    throw ParadoxError(("Cannot read the table " + m_path + ": " + reason).toStdString());
}

void Table::Warn(const QString& problem) const {
    if (++m_warningCount <= kWarningsKept) {
        m_warnings << problem;
    } else if (m_warningCount == kWarningsKept + 1) {
        m_warnings << "further problems are not listed";
    }
}

int Table::TextCodePage() const {
    return m_text->Known() && m_text->CodePage() != 0 ? m_text->CodePage() : 1252;
}

void Table::ReadHeader() {
    const qsizetype size = m_file.size();
    if (size < kFixedHeader) {
        Fail(QString("the file is too short for a table header (%1 bytes)").arg(size));
    }
    TableInfo& info = m_info;
    info.recordSize = Le16(m_file, 0x00);
    info.headerSize = Le16(m_file, 0x02);
    info.fileType = static_cast<unsigned char>(m_file[0x04]);
    const int blockUnits = static_cast<unsigned char>(m_file[0x05]);
    info.headerRecords = Le32(m_file, 0x06);
    info.fileBlocks = Le16(m_file, 0x0C);
    info.firstBlock = Le16(m_file, 0x0E);
    const int fieldCount = Le16(m_file, 0x21);
    info.keyFields = Le16(m_file, 0x23);
    const std::uint32_t encryption = Le32(m_file, 0x25);
    info.fileVersion = static_cast<unsigned char>(m_file[0x39]);

    if (info.fileType != 0 && info.fileType != 2) {
        Fail(QString("not a table's data file (file type %1)").arg(info.fileType));
    }
    if (info.fileVersion < 3 || info.fileVersion > kLastVersion) {
        Fail(QString("unknown file version %1").arg(info.fileVersion));
    }
    const bool extended = info.fileVersion >= 5;
    if (extended && size < kExtendedHeader) {
        Fail(QString("the file is too short for a table header (%1 bytes)").arg(size));
    }
    const std::uint32_t encryption2 = extended ? Le32(m_file, 0x5C) : 0;
    if ((encryption != 0 && (!extended || encryption != kEncryptionMarker)) || encryption2 != 0) {
        Fail("the table is encrypted (password protected); remove its password in Paradox first");
    }
    if (extended) {
        info.codePage = Le16(m_file, 0x6A);
    }
    if (info.fileVersion >= 10) {
        info.autoIncrement = Le32(m_file, 0x49);
    }
    m_text = std::make_unique<CodePageDecoder>(m_codePageOverride ? m_codePageOverride : info.codePage);
    if (!m_text->Known()) {
        Warn(QString("code page %1 is not known here; text is read as Windows-1252").arg(m_text->CodePage()));
    }
    if (blockUnits < 1 || blockUnits > kLargestBlockUnits) {
        Fail(QString("the header gives an impossible block size (%1 KiB)").arg(blockUnits));
    }
    info.blockSize = blockUnits * 1024;
    if (info.recordSize < 1 || info.recordSize > info.blockSize - kBlockHeader) {
        Fail(QString("the header gives an impossible record size (%1 bytes)").arg(info.recordSize));
    }
    if (fieldCount < 1 || fieldCount > info.recordSize) {
        Fail(QString("the header gives an impossible number of fields (%1)").arg(fieldCount));
    }
    if (info.keyFields > fieldCount) {
        Fail(QString("the header gives more key fields (%1) than fields (%2)")
                 .arg(info.keyFields)
                 .arg(fieldCount));
    }
    if (info.headerSize > size) {
        Fail(QString("the header (%1 bytes) is longer than the file (%2 bytes)")
                 .arg(info.headerSize)
                 .arg(size));
    }
    info.fields.resize(static_cast<std::size_t>(fieldCount));
    ReadFields(extended ? kExtendedHeader : kFixedHeader);
}

void Table::ReadFields(int start) {
    TableInfo& info = m_info;
    const int fieldCount = static_cast<int>(info.fields.size());
    const int tableNameArea = info.fileVersion >= 12 ? 261 : 79;
    // Descriptors, the saved table-name pointer, one saved pointer per field name, the table name.
    const qsizetype tableName = start + 2 * qsizetype{fieldCount} + 4 + 4 * qsizetype{fieldCount};
    const qsizetype names = tableName + tableNameArea;
    if (names > info.headerSize) {
        Fail(QString("the field names do not fit in the header (%1 bytes)").arg(info.headerSize));
    }
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        Field& field = info.fields[static_cast<std::size_t>(i)];
        const int code = static_cast<unsigned char>(m_file[start + 2 * i]);
        field.size = static_cast<unsigned char>(m_file[start + 2 * i + 1]);
        if (!KnownType(code)) {
            Fail(QString("field %1 has an unknown type (0x%2)").arg(i + 1).arg(code, 2, 16, QChar('0')));
        }
        field.type = static_cast<FieldType>(code);
        field.width = FieldWidth(field.type, field.size);
        if (field.width == 0) {
            Fail(QString("field %1 of type %2 has an impossible size (%3)")
                     .arg(i + 1)
                     .arg(TypeLetter(field.type))
                     .arg(field.size));
        }
        field.offset = offset;
        offset += field.width;
    }
    if (offset != info.recordSize) {
        Fail(QString("the field sizes add up to %1 bytes, the header gives records of %2")
                 .arg(offset)
                 .arg(info.recordSize));
    }
    const QByteArray storedName = m_file.mid(tableName, tableNameArea);
    info.storedName = Text(storedName.constData(), qstrnlen(storedName.constData(), storedName.size()));
    qsizetype at = names;
    for (Field& field : info.fields) {
        const qsizetype end = m_file.indexOf('\0', at);
        if (end < 0 || end >= info.headerSize) {
            Fail(QString("the field names do not fit in the header (%1 bytes)").arg(info.headerSize));
        }
        field.name = Text(m_file.constData() + at, end - at);
        at = end + 1;
    }
}

void Table::WalkBlocks() {
    const TableInfo& info = m_info;
    const qsizetype size = m_file.size();
    std::vector<bool> visited(static_cast<std::size_t>(info.fileBlocks) + 1, false);
    for (int block = info.firstBlock; block != 0;) {
        if (block > info.fileBlocks) {
            Fail(QString("the block chain points to block %1, past the %2 blocks of the file")
                     .arg(block)
                     .arg(info.fileBlocks));
        }
        if (visited[static_cast<std::size_t>(block)]) {
            Fail(QString("the block chain runs in a circle at block %1").arg(block));
        }
        visited[static_cast<std::size_t>(block)] = true;
        const qsizetype start = info.headerSize + qsizetype{block - 1} * info.blockSize;
        if (start + info.blockSize > size) {
            Fail(QString("block %1 lies past the end of the file").arg(block));
        }
        const int next = Le16(m_file, start);
        const auto lastRecord = static_cast<std::int16_t>(Le16(m_file, start + 4));
        int count = 0;
        if (lastRecord >= 0) {
            if (lastRecord % info.recordSize != 0) {
                Fail(QString("block %1 gives a record position (%2) that does not fit the record size")
                         .arg(block)
                         .arg(lastRecord));
            }
            count = lastRecord / info.recordSize + 1;
            if (kBlockHeader + qsizetype{count} * info.recordSize > info.blockSize) {
                Fail(QString("block %1 claims more records (%2) than it can hold").arg(block).arg(count));
            }
        }
        for (int i = 0; i < count; ++i) {
            m_records.push_back(start + kBlockHeader + qsizetype{i} * info.recordSize);
        }
        block = next;
    }
    if (static_cast<qint64>(m_records.size()) != info.headerRecords) {
        Warn(QString("the header counts %1 records, the blocks hold %2")
                 .arg(info.headerRecords)
                 .arg(m_records.size()));
    }
}

int Table::FieldIndex(const QString& name) const {
    for (int i = 0; i < FieldCount(); ++i) {
        if (m_info.fields[static_cast<std::size_t>(i)].name.compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString Table::Text(const char* data, qsizetype length) const {
    return m_text->Decode(data, length);
}

QVariant Table::Value(int row, int field) const {
    if (row < 0 || row >= RowCount() || field < 0 || field >= FieldCount()) {
        throw std::out_of_range("no such row or field");
    }
    const Field& descriptor = m_info.fields[static_cast<std::size_t>(field)];
    return Decode(m_file.constData() + m_records[static_cast<std::size_t>(row)] + descriptor.offset,
                  descriptor, row);
}

std::vector<QVariant> Table::Row(int row) const {
    std::vector<QVariant> values;
    values.reserve(m_info.fields.size());
    for (int field = 0; field < FieldCount(); ++field) {
        values.push_back(Value(row, field));
    }
    return values;
}

QVariant Table::Decode(const char* data, const Field& field, int row) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    const auto problem = [&](const QString& what) {
        Warn(QString("row %1, field \"%2\": %3").arg(row + 1).arg(field.name, what));
        return QVariant();
    };
    switch (field.type) {
        case FieldType::Alpha:
            return bytes[0] == 0 ? QVariant() : QVariant(Text(data, qstrnlen(data, field.width)));
        case FieldType::Short:
        case FieldType::Long:
        case FieldType::AutoIncrement: {
            const auto value = DecodeInteger(bytes, field.width);
            return value ? QVariant(*value) : QVariant();
        }
        case FieldType::Number:
        case FieldType::Money: {
            const auto value = DecodeDouble(bytes);
            return value ? QVariant(*value) : QVariant();
        }
        case FieldType::Date: {
            const auto day = DecodeInteger(bytes, 4);
            if (!day) {
                return {};
            }
            const QDate date = DateFromDayNumber(*day);
            return date.isValid() ? QVariant(date) : problem(QString("date out of range (day %1)").arg(*day));
        }
        case FieldType::Time: {
            const auto milliseconds = DecodeInteger(bytes, 4);
            if (!milliseconds) {
                return {};
            }
            const QTime time = TimeFromMilliseconds(*milliseconds);
            return time.isValid() ? QVariant(time)
                                  : problem(QString("time out of range (%1 ms)").arg(*milliseconds));
        }
        case FieldType::Timestamp: {
            const auto milliseconds = DecodeDouble(bytes);
            if (!milliseconds) {
                return {};
            }
            const QDateTime stamp = TimestampFromMilliseconds(*milliseconds);
            return stamp.isValid()
                       ? QVariant(stamp)
                       : problem(QString("timestamp out of range (%1 ms)").arg(*milliseconds, 0, 'f', 0));
        }
        case FieldType::Logical:
            if (bytes[0] == 0) {
                return {};
            }
            if (bytes[0] == 0x80 || bytes[0] == 0x81) {
                return bytes[0] == 0x81;
            }
            return problem(
                QString("logical value 0x%1 is neither true nor false").arg(bytes[0], 2, 16, QChar('0')));
        case FieldType::Bcd: {
            const BcdValue value = DecodeBcd(bytes);
            if (!value.valid) {
                return problem("damaged BCD value");
            }
            return value.blank ? QVariant() : QVariant(value.text);
        }
        case FieldType::Bytes: {
            const QByteArray value(data, field.width);
            return value.count('\0') == value.size() ? QVariant() : QVariant(value);
        }
        case FieldType::Memo:
        case FieldType::Binary:
        case FieldType::FormattedMemo:
        case FieldType::Ole:
        case FieldType::Graphic:
            return DecodeBlob(data, field, row);
    }
    return {};
}

QVariant Table::DecodeBlob(const char* data, const Field& field, int row) const {
    const int leader = field.width - kBlobDescriptor;
    const auto* descriptor = reinterpret_cast<const unsigned char*>(data + leader);
    const std::uint32_t reference = Le32(descriptor);
    const std::uint32_t length = Le32(descriptor + 4);
    if (length == 0) {
        return {};
    }
    QByteArray value;
    if (length <= static_cast<std::uint32_t>(leader)) {
        value = QByteArray(data, length);
    } else {
        if (!m_memoLooked) {
            m_memoLooked = true;
            const QString path = CompanionFile(m_path, "MB");
            QFile file(path);
            if (!path.isEmpty() && file.open(QIODevice::ReadOnly)) {
                m_memo = std::make_unique<MemoFile>(file.readAll());
            }
        }
        QString problem;
        if (!m_memo) {
            problem = "its value is in the .MB file, which is missing";
        } else if (!m_memo->Read(reference, length, value, problem)) {
            value.clear();
        }
        if (!problem.isEmpty()) {
            Warn(QString("row %1, field \"%2\": %3").arg(row + 1).arg(field.name, problem));
            return {};
        }
    }
    if (field.type == FieldType::Memo) {
        return Text(value.constData(), value.size());
    }
    return value;
}

}  // namespace sw::paradox
