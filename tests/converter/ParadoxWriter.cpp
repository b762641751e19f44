#include "ParadoxWriter.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTime>
#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace sw::test {

namespace {

using paradox::FieldType;

constexpr qint64 kJulianDayOfDayZero = 1721425;
constexpr qint64 kMillisecondsPerDay = 86'400'000;
constexpr int kMemoBlock = 4096;
constexpr int kSharedDataStart = 0x150;
constexpr int kSharedValueLimit = 2048;

void PutLe16(QByteArray& bytes, qsizetype at, unsigned value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void PutLe32(QByteArray& bytes, qsizetype at, std::uint32_t value) {
    PutLe16(bytes, at, value & 0xFFFF);
    PutLe16(bytes, at + 2, value >> 16);
}

void PutBigEndian(char* out, quint64 value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
}

void PutInteger(char* out, qint64 value, int width) {
    const quint64 mask = width == 8 ? ~quint64{0} : (quint64{1} << (8 * width)) - 1;
    PutBigEndian(out, (static_cast<quint64>(value) & mask) ^ (quint64{1} << (8 * width - 1)), width);
}

void PutDouble(char* out, double value) {
    quint64 raw = 0;
    std::memcpy(&raw, &value, sizeof raw);
    raw = (raw >> 63) ? ~raw : raw | (quint64{1} << 63);
    PutBigEndian(out, raw, 8);
}

void PutBcd(char* out, const QString& text, int decimals) {
    const bool negative = text.startsWith('-');
    QString digits = negative ? text.mid(1) : text;
    QString whole = digits.section('.', 0, 0);
    QString fraction = digits.section('.', 1, 1).leftJustified(decimals, '0').left(decimals);
    const QString all = (whole + fraction).rightJustified(32, '0');
    out[0] = static_cast<char>((negative ? 0x00 : 0x80) | decimals);
    for (int i = 0; i < 32; ++i) {
        int nibble = all.at(i).digitValue();
        if (negative) {
            nibble ^= 0x0F;
        }
        out[1 + i / 2] =
            static_cast<char>(static_cast<unsigned char>(out[1 + i / 2]) | (nibble << (i % 2 == 0 ? 4 : 0)));
    }
}

QByteArray Encode(const QString& text, int codePage) {
    const QByteArray name = codePage == 0 || codePage == 1252 ? QByteArray("windows-1252")
                            : codePage < 1000                 ? "IBM" + QByteArray::number(codePage)
                                                              : "windows-" + QByteArray::number(codePage);
    QStringEncoder encoder(name.constData());
    if (!encoder.isValid()) {
        throw std::runtime_error("no encoder for code page " + name.toStdString());
    }
    return encoder.encode(text);
}

/// The blob values that do not fit in their records, laid out as an .MB file.
class MemoBuilder {
public:
    MemoBuilder() : m_data(kMemoBlock, '\0') {
        m_data[0] = 0;
        PutLe16(m_data, 1, 1);
        PutLe16(m_data, 0x0B, 0x1000);
        PutLe16(m_data, 0x0D, 0x1000);
        m_data[0x10] = 16;
        PutLe16(m_data, 0x11, 64);
        PutLe16(m_data, 0x13, 0x0800);
    }

    bool Empty() const { return m_data.size() == kMemoBlock; }
    const QByteArray& Data() const { return m_data; }

    /// Stores a value; returns the reference for the record's descriptor.
    std::uint32_t Add(const QByteArray& value) {
        if (value.size() > kSharedValueLimit) {
            const qsizetype block = m_data.size();
            const qsizetype units = (9 + value.size() + kMemoBlock - 1) / kMemoBlock;
            m_data.append(QByteArray(units * kMemoBlock, '\0'));
            m_data[block] = 2;
            PutLe16(m_data, block + 1, static_cast<unsigned>(units));
            PutLe32(m_data, block + 3, static_cast<std::uint32_t>(value.size()));
            PutLe16(m_data, block + 7, 1);
            std::memcpy(m_data.data() + block + 9, value.constData(), static_cast<std::size_t>(value.size()));
            return static_cast<std::uint32_t>(block) | 0xFF;
        }
        const int chunks = static_cast<int>((value.size() + 15) / 16);
        if (m_shared < 0 || m_nextSlot < 0 || m_nextData + chunks * 16 > kMemoBlock) {
            m_shared = m_data.size();
            m_data.append(QByteArray(kMemoBlock, '\0'));
            m_data[m_shared] = 3;
            PutLe16(m_data, m_shared + 1, 1);
            m_nextSlot = 0x3F;
            m_nextData = kSharedDataStart;
        }
        const int slot = m_nextSlot--;
        const qsizetype entry = m_shared + 12 + 5 * slot;
        m_data[entry] = static_cast<char>(m_nextData / 16);
        m_data[entry + 1] = static_cast<char>(chunks);
        PutLe16(m_data, entry + 2, 1);
        m_data[entry + 4] = static_cast<char>(value.size() - (chunks - 1) * 16);
        std::memcpy(m_data.data() + m_shared + m_nextData, value.constData(),
                    static_cast<std::size_t>(value.size()));
        m_nextData += chunks * 16;
        return static_cast<std::uint32_t>(m_shared) | static_cast<std::uint32_t>(slot);
    }

private:
    QByteArray m_data;
    qsizetype m_shared = -1;
    int m_nextSlot = -1;
    int m_nextData = 0;
};

int Width(const WriterField& field) {
    switch (field.type) {
        case FieldType::Bcd:
            return 17;
        default:
            return field.size;
    }
}

void PutValue(char* out, const WriterField& field, const QVariant& value, int codePage, MemoBuilder& memo) {
    if (!value.isValid()) {
        if (field.type == FieldType::Bcd) {
            out[0] = static_cast<char>(field.size);
        }
        return;
    }
    switch (field.type) {
        case FieldType::Alpha: {
            const QByteArray text = Encode(value.toString(), codePage).left(field.size);
            std::memcpy(out, text.constData(), static_cast<std::size_t>(text.size()));
            break;
        }
        case FieldType::Short:
        case FieldType::Long:
        case FieldType::AutoIncrement:
            PutInteger(out, value.toLongLong(), field.size);
            break;
        case FieldType::Date:
            PutInteger(out, value.toDate().toJulianDay() - kJulianDayOfDayZero, 4);
            break;
        case FieldType::Time:
            PutInteger(out, value.toTime().msecsSinceStartOfDay(), 4);
            break;
        case FieldType::Number:
        case FieldType::Money:
            PutDouble(out, value.toDouble());
            break;
        case FieldType::Timestamp: {
            const QDateTime stamp = value.toDateTime();
            PutDouble(out, static_cast<double>((stamp.date().toJulianDay() - kJulianDayOfDayZero) *
                                                   kMillisecondsPerDay +
                                               stamp.time().msecsSinceStartOfDay()));
            break;
        }
        case FieldType::Logical:
            out[0] = static_cast<char>(value.toBool() ? 0x81 : 0x80);
            break;
        case FieldType::Bcd:
            PutBcd(out, value.toString(), field.size);
            break;
        case FieldType::Bytes: {
            const QByteArray bytes = value.toByteArray().left(field.size);
            std::memcpy(out, bytes.constData(), static_cast<std::size_t>(bytes.size()));
            break;
        }
        case FieldType::Memo:
        case FieldType::Binary:
        case FieldType::FormattedMemo:
        case FieldType::Ole:
        case FieldType::Graphic: {
            const QByteArray bytes = value.typeId() == QMetaType::QString ? Encode(value.toString(), codePage)
                                                                          : value.toByteArray();
            const int leader = field.size - 10;
            std::memcpy(out, bytes.constData(),
                        static_cast<std::size_t>(std::min<qsizetype>(leader, bytes.size())));
            QByteArray descriptor(10, '\0');
            if (bytes.size() > leader) {
                PutLe32(descriptor, 0, memo.Add(bytes));
                PutLe16(descriptor, 8, 1);
            }
            PutLe32(descriptor, 4, static_cast<std::uint32_t>(bytes.size()));
            std::memcpy(out + leader, descriptor.constData(), 10);
            break;
        }
    }
}

}  // namespace

TableFiles MakeTable(const TableLayout& layout) {
    const int version = layout.fileVersion;
    const bool extended = version >= 5;
    const int fieldCount = static_cast<int>(layout.fields.size());
    int recordSize = 0;
    for (const WriterField& field : layout.fields) {
        recordSize += Width(field);
    }
    const int codePage = extended ? layout.codePage : 0;

    QByteArray names;
    for (const WriterField& field : layout.fields) {
        names += Encode(field.name, codePage) + '\0';
    }
    const int start = extended ? 0x78 : 0x58;
    const int nameArea = version >= 12 ? 261 : 79;
    const int used = start + 6 * fieldCount + 4 + nameArea + static_cast<int>(names.size());
    const int headerSize = version == 3 ? used : (used + 2047) / 2048 * 2048;

    QByteArray header(headerSize, '\0');
    const int blockSize = layout.blockUnits * 1024;
    const int perBlock = layout.recordsPerBlock > 0 ? layout.recordsPerBlock : (blockSize - 6) / recordSize;
    const int rows = static_cast<int>(layout.rows.size());
    const int blocks = (rows + perBlock - 1) / perBlock;
    std::vector<int> chain = layout.chain;
    if (chain.empty()) {
        for (int block = 1; block <= blocks; ++block) {
            chain.push_back(block);
        }
    }
    PutLe16(header, 0x00, static_cast<unsigned>(recordSize));
    PutLe16(header, 0x02, static_cast<unsigned>(headerSize));
    header[0x04] = static_cast<char>(layout.keyFields > 0 ? 0 : 2);
    header[0x05] = static_cast<char>(layout.blockUnits);
    PutLe32(header, 0x06, static_cast<std::uint32_t>(rows));
    PutLe16(header, 0x0A, static_cast<unsigned>(blocks));
    PutLe16(header, 0x0C, static_cast<unsigned>(blocks));
    PutLe16(header, 0x0E, blocks > 0 ? static_cast<unsigned>(chain.front()) : 0);
    PutLe16(header, 0x10, blocks > 0 ? static_cast<unsigned>(chain.back()) : 0);
    PutLe16(header, 0x21, static_cast<unsigned>(fieldCount));
    PutLe16(header, 0x23, static_cast<unsigned>(layout.keyFields));
    header[0x39] = static_cast<char>(version);
    if (extended) {
        PutLe32(header, 0x25, 0xFF00FF00U);
        PutLe16(header, 0x58, 0x0100U + static_cast<unsigned>(version));
        PutLe16(header, 0x5A, 0x0100U + static_cast<unsigned>(version));
        PutLe32(header, 0x5C, layout.encrypted ? 0x0A25E09AU : 0);
        PutLe16(header, 0x64, static_cast<unsigned>(fieldCount + 1));
        PutLe16(header, 0x6A, static_cast<unsigned>(codePage));
    } else if (layout.encrypted) {
        PutLe32(header, 0x25, 0x0A25E09AU);
    }
    for (int i = 0; i < fieldCount; ++i) {
        header[start + 2 * i] = static_cast<char>(layout.fields[static_cast<std::size_t>(i)].type);
        header[start + 2 * i + 1] = static_cast<char>(layout.fields[static_cast<std::size_t>(i)].size);
    }
    const QByteArray stored = Encode(layout.storedName, codePage).left(nameArea - 1);
    const int storedAt = start + 6 * fieldCount + 4;
    std::memcpy(header.data() + storedAt, stored.constData(), static_cast<std::size_t>(stored.size()));
    std::memcpy(header.data() + storedAt + nameArea, names.constData(),
                static_cast<std::size_t>(names.size()));

    MemoBuilder memo;
    qint64 autoIncrement = 0;
    QByteArray body(static_cast<qsizetype>(blocks) * blockSize, '\0');
    for (int logical = 0; logical < blocks; ++logical) {
        const int block = chain[static_cast<std::size_t>(logical)];
        const qsizetype at = qsizetype{block - 1} * blockSize;
        const int first = logical * perBlock;
        const int count = std::min(perBlock, rows - first);
        PutLe16(
            body, at,
            logical + 1 < blocks ? static_cast<unsigned>(chain[static_cast<std::size_t>(logical + 1)]) : 0);
        PutLe16(body, at + 2,
                logical > 0 ? static_cast<unsigned>(chain[static_cast<std::size_t>(logical - 1)]) : 0);
        PutLe16(body, at + 4, static_cast<unsigned>((count - 1) * recordSize) & 0xFFFF);
        for (int r = 0; r < count; ++r) {
            const auto& values = layout.rows[static_cast<std::size_t>(first + r)];
            char* record = body.data() + at + 6 + qsizetype{r} * recordSize;
            for (int f = 0; f < fieldCount; ++f) {
                const WriterField& field = layout.fields[static_cast<std::size_t>(f)];
                const QVariant& value = values.at(static_cast<std::size_t>(f));
                PutValue(record, field, value, codePage, memo);
                if (field.type == FieldType::AutoIncrement && value.isValid()) {
                    autoIncrement = std::max(autoIncrement, value.toLongLong());
                }
                record += Width(field);
            }
        }
        if (layout.encrypted) {
            for (qsizetype i = at; i < at + blockSize; ++i) {
                body[i] = static_cast<char>(body[i] ^ 0x5A);
            }
        }
    }
    if (version >= 10) {
        PutLe32(header, 0x49, static_cast<std::uint32_t>(autoIncrement));
    }
    return {header + body, memo.Empty() ? QByteArray() : memo.Data()};
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error(("cannot write " + path).toStdString());
    }
}

void WriteTable(const QString& path, const TableLayout& layout) {
    const TableFiles files = MakeTable(layout);
    WriteBytes(path, files.table);
    if (!files.memo.isEmpty()) {
        const QFileInfo info(path);
        const QString extension = info.suffix() == info.suffix().toLower() ? "mb" : "MB";
        WriteBytes(info.dir().filePath(info.completeBaseName() + "." + extension), files.memo);
    }
}

}  // namespace sw::test
