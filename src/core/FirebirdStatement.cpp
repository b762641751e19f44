// The statements of the Firebird wrapper: their parameters, and the rows they return.
#include "Firebird.h"

#include <ibase.h>

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "FirebirdClient.h"

namespace sw::fb {

namespace {

constexpr unsigned kCharsetUtf8 = 4;
constexpr int kMjdOfEpoch = 15018;  // 1899-12-30 as days since 1858-11-17
constexpr double kTicksPerDay = 864'000'000.0;

enum class ParamKind { Null, Integer, Real, Text, Timestamp };

struct ParamValue {
    ParamKind kind = ParamKind::Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray text;
};

QString DecodeText(const char* data, int length, unsigned charset) {
    // Anything not declared UTF8 in this catalogue is single-byte text.
    return charset == kCharsetUtf8 || charset == 3 ? QString::fromUtf8(data, length)
                                                   : QString::fromLatin1(data, length);
}

}  // namespace

void TimestampParts(TDateTime value, int& iscDate, unsigned& iscTime) {
    const double whole = std::trunc(value);
    int days = static_cast<int>(whole);
    long long ticks = std::llround(std::fabs(value - whole) * kTicksPerDay);
    if (ticks >= static_cast<long long>(kTicksPerDay)) {
        ticks -= static_cast<long long>(kTicksPerDay);
        days += value < 0 ? -1 : 1;
    }
    iscDate = days + kMjdOfEpoch;
    iscTime = static_cast<unsigned>(ticks);
}

TDateTime TimestampFromParts(int iscDate, unsigned iscTime) {
    const double days = iscDate - kMjdOfEpoch;
    const double fraction = iscTime / kTicksPerDay;
    return days < 0 ? days - fraction : days + fraction;
}

struct Statement::Impl {
    Connection::Impl& connection;
    Firebird::IStatement* statement = nullptr;
    IMessageMetadata* inputMetadata = nullptr;
    IMessageMetadata* outputMetadata = nullptr;
    std::vector<ParamValue> values;
    /// A plain select, which changes nothing.
    bool readsOnly = false;

    explicit Impl(Connection::Impl& owner) : connection(owner) {}

    ~Impl() {
        ReleaseQuietly(inputMetadata);
        ReleaseQuietly(outputMetadata);
        ReleaseQuietly(statement);
    }

    ParamValue& At(int index) {
        if (index < 0 || index >= static_cast<int>(values.size())) {
            throw DatabaseError(
                ("Parameter index " + QString::number(index) + " out of range").toStdString());
        }
        return values[static_cast<std::size_t>(index)];
    }

    /// Input metadata that describes the values as they are, so the engine converts (and reports
    /// truncation) itself; the message buffer is filled to match.
    IMessageMetadata* BuildInput(ThrowStatusWrapper* status, std::vector<unsigned char>& buffer) {
        if (values.empty()) {
            return nullptr;
        }
        Firebird::IMetadataBuilder* builder = inputMetadata->getBuilder(status);
        for (unsigned i = 0; i < values.size(); ++i) {
            const ParamValue& value = values[i];
            switch (value.kind) {
                case ParamKind::Integer:
                    builder->setType(status, i, SQL_INT64 + 1);
                    builder->setLength(status, i, sizeof(qint64));
                    builder->setScale(status, i, 0);
                    break;
                case ParamKind::Real:
                    builder->setType(status, i, SQL_DOUBLE + 1);
                    builder->setLength(status, i, sizeof(double));
                    builder->setScale(status, i, 0);
                    break;
                case ParamKind::Text:
                    builder->setType(status, i, SQL_VARYING + 1);
                    builder->setLength(status, i,
                                       static_cast<unsigned>(std::max<qsizetype>(1, value.text.size())));
                    builder->setCharSet(status, i, kCharsetUtf8);
                    break;
                case ParamKind::Timestamp:
                    builder->setType(status, i, SQL_TIMESTAMP + 1);
                    builder->setLength(status, i, sizeof(ISC_TIMESTAMP));
                    builder->setScale(status, i, 0);
                    break;
                case ParamKind::Null:
                    builder->setType(status, i, inputMetadata->getType(status, i) | 1);
                    break;
            }
        }
        IMessageMetadata* metadata = builder->getMetadata(status);
        builder->release();
        buffer.assign(metadata->getMessageLength(status), 0);
        for (unsigned i = 0; i < values.size(); ++i) {
            const ParamValue& value = values[i];
            unsigned char* field = buffer.data() + metadata->getOffset(status, i);
            auto* nullFlag = reinterpret_cast<short*>(buffer.data() + metadata->getNullOffset(status, i));
            *nullFlag = value.kind == ParamKind::Null ? -1 : 0;
            switch (value.kind) {
                case ParamKind::Integer:
                    std::memcpy(field, &value.integer, sizeof value.integer);
                    break;
                case ParamKind::Real:
                    std::memcpy(field, &value.real, sizeof value.real);
                    break;
                case ParamKind::Text: {
                    const auto length = static_cast<unsigned short>(value.text.size());
                    std::memcpy(field, &length, sizeof length);
                    std::memcpy(field + sizeof length, value.text.constData(), length);
                    break;
                }
                case ParamKind::Timestamp: {
                    int date = 0;
                    unsigned time = 0;
                    TimestampParts(value.real, date, time);
                    ISC_TIMESTAMP stamp{date, time};
                    std::memcpy(field, &stamp, sizeof stamp);
                    break;
                }
                case ParamKind::Null:
                    break;
            }
        }
        return metadata;
    }

    /// Where and how a column stands in the output message, read from the metadata once.
    struct ColumnLayout {
        unsigned type = 0;
        unsigned offset = 0;
        unsigned nullOffset = 0;
        int scale = 0;
        unsigned length = 0;
        unsigned charset = 0;
        ColumnKind kind = ColumnKind::Other;
    };

    std::vector<ColumnLayout> OutputLayout(ThrowStatusWrapper* status) const {
        std::vector<ColumnLayout> layout(outputMetadata->getCount(status));
        for (unsigned i = 0; i < layout.size(); ++i) {
            ColumnLayout& column = layout[i];
            column.type = outputMetadata->getType(status, i) & ~1u;
            column.offset = outputMetadata->getOffset(status, i);
            column.nullOffset = outputMetadata->getNullOffset(status, i);
            column.scale = outputMetadata->getScale(status, i);
            column.length = outputMetadata->getLength(status, i);
            column.charset = outputMetadata->getCharSet(status, i);
            // A column's kind follows from its type alone.
            switch (column.type) {
                case SQL_SHORT:
                case SQL_LONG:
                case SQL_INT64:
                    column.kind = column.scale < 0 ? ColumnKind::Real : ColumnKind::Integer;
                    break;
                case SQL_FLOAT:
                case SQL_DOUBLE:
                case SQL_D_FLOAT:
                    column.kind = ColumnKind::Real;
                    break;
                case SQL_TEXT:
                case SQL_VARYING:
                    column.kind = ColumnKind::Text;
                    break;
                case SQL_TIMESTAMP:
                case SQL_TYPE_DATE:
                case SQL_TYPE_TIME:
                    column.kind = ColumnKind::Timestamp;
                    break;
                case SQL_BOOLEAN:
                    column.kind = ColumnKind::Integer;
                    break;
                default:
                    column.kind = ColumnKind::Other;
                    break;
            }
        }
        return layout;
    }

    /// Appends the column's value in the message to the row being built; values of types the
    /// catalogue does not use are read as null.
    static void AppendCell(RowSet& rows, const ColumnLayout& column, const unsigned char* row) {
        short nullFlag;
        std::memcpy(&nullFlag, row + column.nullOffset, sizeof nullFlag);
        if (nullFlag) {
            rows.AppendNull();
            return;
        }
        const unsigned char* field = row + column.offset;
        auto number = [&](qint64 raw) {
            if (column.scale < 0) {
                rows.AppendReal(raw / std::pow(10.0, -column.scale));
            } else {
                rows.AppendInteger(raw);
            }
        };
        switch (column.type) {
            case SQL_SHORT: {
                short v;
                std::memcpy(&v, field, sizeof v);
                number(v);
                return;
            }
            case SQL_LONG: {
                ISC_LONG v;
                std::memcpy(&v, field, sizeof v);
                number(v);
                return;
            }
            case SQL_INT64: {
                ISC_INT64 v;
                std::memcpy(&v, field, sizeof v);
                number(v);
                return;
            }
            case SQL_FLOAT: {
                float v;
                std::memcpy(&v, field, sizeof v);
                rows.AppendReal(static_cast<double>(v));
                return;
            }
            case SQL_DOUBLE:
            case SQL_D_FLOAT: {
                double v;
                std::memcpy(&v, field, sizeof v);
                rows.AppendReal(v);
                return;
            }
            case SQL_TEXT: {
                // Fixed-length columns come back padded with blanks.
                auto length = static_cast<int>(column.length);
                const auto* text = reinterpret_cast<const char*>(field);
                while (length > 0 && text[length - 1] == ' ') {
                    --length;
                }
                rows.AppendText(DecodeText(text, length, column.charset));
                return;
            }
            case SQL_VARYING: {
                unsigned short length;
                std::memcpy(&length, field, sizeof length);
                rows.AppendText(
                    DecodeText(reinterpret_cast<const char*>(field + sizeof length), length, column.charset));
                return;
            }
            case SQL_TIMESTAMP: {
                ISC_TIMESTAMP stamp;
                std::memcpy(&stamp, field, sizeof stamp);
                rows.AppendReal(TimestampFromParts(stamp.timestamp_date, stamp.timestamp_time));
                return;
            }
            case SQL_TYPE_DATE: {
                ISC_DATE date;
                std::memcpy(&date, field, sizeof date);
                rows.AppendReal(TimestampFromParts(date, 0));
                return;
            }
            case SQL_TYPE_TIME: {
                ISC_TIME time;
                std::memcpy(&time, field, sizeof time);
                rows.AppendReal(time / kTicksPerDay);
                return;
            }
            case SQL_BOOLEAN:
                rows.AppendInteger(*field != 0);
                return;
            default:
                rows.AppendNull();
                return;
        }
    }
};

std::unique_ptr<Statement> Connection::Prepare(const QString& sql) {
    if (!m_impl->attachment) {
        throw DatabaseError("The catalogue is not open");
    }
    auto impl = std::make_unique<Statement::Impl>(*m_impl);
    Checked([&](ThrowStatusWrapper* status) {
        impl->statement =
            m_impl->attachment->prepare(status, m_impl->Transaction(), 0, sql.toUtf8().constData(), kDialect,
                                        Firebird::IStatement::PREPARE_PREFETCH_METADATA);
        impl->inputMetadata = impl->statement->getInputMetadata(status);
        impl->outputMetadata = impl->statement->getOutputMetadata(status);
        impl->values.resize(impl->inputMetadata->getCount(status));
        impl->readsOnly = impl->statement->getType(status) == isc_info_sql_stmt_select;
    });
    return std::unique_ptr<Statement>(new Statement(std::move(impl)));
}

void Connection::Execute(const QString& sql) {
    Prepare(sql)->Execute();
}

RowSet Connection::Select(const QString& sql) {
    return Prepare(sql)->Open();
}

Statement::Statement(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

Statement::~Statement() = default;

int Statement::ParameterCount() const {
    return static_cast<int>(m_impl->values.size());
}

void Statement::SetNull(int index) {
    m_impl->At(index) = ParamValue{};
}

void Statement::SetInteger(int index, qint64 value) {
    m_impl->At(index) = {ParamKind::Integer, value, 0, {}};
}

void Statement::SetReal(int index, double value) {
    m_impl->At(index) = {ParamKind::Real, 0, value, {}};
}

void Statement::SetText(int index, const QString& value) {
    m_impl->At(index) = {ParamKind::Text, 0, 0, value.toUtf8()};
}

void Statement::SetTimestamp(int index, TDateTime value) {
    m_impl->At(index) = {ParamKind::Timestamp, 0, value, {}};
}

ChangeMark Statement::Mark() const {
    const Connection::Impl& connection = m_impl->connection;
    // Between transactions the mark is that of the next one, whose snapshot is yet to be taken.
    return {connection.id, connection.changes,
            connection.transaction ? connection.serial : connection.serial + 1};
}

void Statement::Execute() {
    Impl& impl = *m_impl;
    // Counted before it runs: a statement that fails may have changed something first.
    ++impl.connection.changes;
    Checked([&](ThrowStatusWrapper* status) {
        std::vector<unsigned char> input;
        IMessageMetadata* inMetadata = impl.BuildInput(status, input);
        std::vector<unsigned char> output(impl.outputMetadata->getMessageLength(status));
        try {
            impl.statement->execute(status, impl.connection.Transaction(), inMetadata, input.data(),
                                    impl.outputMetadata, output.data());
        } catch (...) {
            ReleaseQuietly(inMetadata);
            throw;
        }
        ReleaseQuietly(inMetadata);
    });
}

RowSet Statement::Open() {
    Impl& impl = *m_impl;
    if (!impl.readsOnly) {
        ++impl.connection.changes;
    }
    return Checked([&](ThrowStatusWrapper* status) {
        const std::vector<Impl::ColumnLayout> layout = impl.OutputLayout(status);
        std::vector<RowSet::Column> columns;
        for (unsigned i = 0; i < layout.size(); ++i) {
            columns.push_back({QString::fromUtf8(impl.outputMetadata->getAlias(status, i)), layout[i].kind});
        }
        RowSet result(std::move(columns));
        std::vector<unsigned char> row(impl.outputMetadata->getMessageLength(status));
        std::vector<unsigned char> input;
        IMessageMetadata* inMetadata = impl.BuildInput(status, input);
        Firebird::IResultSet* cursor = nullptr;
        try {
            cursor = impl.statement->openCursor(status, impl.connection.Transaction(), inMetadata,
                                                input.data(), impl.outputMetadata, 0);
            // The rows go straight into the row set's typed columns, one reused message for all.
            while (cursor->fetchNext(status, row.data()) == IStatus::RESULT_OK) {
                for (const Impl::ColumnLayout& column : layout) {
                    Impl::AppendCell(result, column, row.data());
                }
                result.EndRow();
            }
            cursor->close(status);
            cursor = nullptr;
        } catch (...) {
            ReleaseQuietly(cursor);
            ReleaseQuietly(inMetadata);
            throw;
        }
        ReleaseQuietly(inMetadata);
        return result;
    });
}

}  // namespace sw::fb
