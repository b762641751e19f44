// swtool paradox FILE.DB [--limit N] [--code-page N]: what the Paradox reader makes of a table, as
// JSON lines: first the header facts, then one object per row.
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QTextStream>
#include <QTime>
#include <cmath>
#include <stdexcept>

#include "SwtoolCommands.h"
#include "SwtoolSession.h"
#include "converter/ParadoxTable.h"

namespace sw::swtool {

namespace {

using paradox::FieldType;

QString TimeText(const QTime& time) {
    return time.toString(time.msec() == 0 ? "HH:mm:ss" : "HH:mm:ss.zzz");
}

QString ValueJson(const QVariant& value, FieldType type) {
    if (!value.isValid()) {
        return "null";
    }
    switch (value.typeId()) {
        case QMetaType::LongLong:
            return QString::number(value.toLongLong());
        case QMetaType::Double: {
            const double number = value.toDouble();
            return std::isfinite(number) ? QString::number(number, 'g', QLocale::FloatingPointShortest)
                                         : QString("null");
        }
        case QMetaType::Bool:
            return value.toBool() ? "true" : "false";
        case QMetaType::QDate:
            return JsonString(value.toDate().toString("yyyy-MM-dd"));
        case QMetaType::QTime:
            return JsonString(TimeText(value.toTime()));
        case QMetaType::QDateTime: {
            const QDateTime stamp = value.toDateTime();
            return JsonString(stamp.date().toString("yyyy-MM-dd") + " " + TimeText(stamp.time()));
        }
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            return JsonString(
                QString("%1 bytes: %2").arg(bytes.size()).arg(QString::fromLatin1(bytes.left(32).toHex())));
        }
        default:
            // BCD values are exact decimal texts, written as JSON numbers.
            return type == FieldType::Bcd ? value.toString() : JsonString(value.toString());
    }
}

QString HeaderJson(const paradox::Table& table) {
    const paradox::TableInfo& info = table.Info();
    QStringList fields;
    for (const paradox::Field& field : info.fields) {
        fields << QString("{\"name\":%1,\"type\":\"%2\",\"size\":%3}")
                      .arg(JsonString(field.name), paradox::TypeLetter(field.type))
                      .arg(field.size);
    }
    return QString(
               "{\"table\":%1,\"version\":\"%2\",\"fileVersion\":%3,\"type\":\"%4\",\"keyFields\":%5,"
               "\"codePage\":%6,\"textCodePage\":%7,\"headerSize\":%8,\"blockSize\":%9,\"recordSize\":%10,"
               "\"fileBlocks\":%11,\"rows\":%12,\"headerRows\":%13,\"autoIncrement\":%14,\"storedName\":%15,"
               "\"fields\":[%16]}")
        .arg(JsonString(table.Path()), paradox::VersionName(info.fileVersion))
        .arg(info.fileVersion)
        .arg(info.fileType == 0 ? "keyed" : "unkeyed")
        .arg(info.keyFields)
        .arg(info.codePage)
        .arg(table.TextCodePage())
        .arg(info.headerSize)
        .arg(info.blockSize)
        .arg(info.recordSize)
        .arg(info.fileBlocks)
        .arg(table.RowCount())
        .arg(info.headerRecords)
        .arg(info.autoIncrement)
        .arg(JsonString(info.storedName), fields.join(','));
}

int NumberOption(const QStringList& arguments, int& index, const QString& name) {
    bool ok = false;
    const int value = index + 1 < arguments.size() ? arguments.at(index + 1).toInt(&ok) : 0;
    if (!ok || value < 0) {
        throw std::invalid_argument((name + " needs a number").toStdString());
    }
    ++index;
    return value;
}

}  // namespace

int RunParadox(const QStringList& arguments) {
    QString path;
    int limit = -1;
    int codePage = 0;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == "--limit") {
            limit = NumberOption(arguments, i, argument);
        } else if (argument == "--code-page") {
            codePage = NumberOption(arguments, i, argument);
        } else if (path.isEmpty() && !argument.startsWith("--")) {
            path = argument;
        } else {
            throw std::invalid_argument(("paradox: unexpected argument " + argument).toStdString());
        }
    }
    if (path.isEmpty()) {
        throw std::invalid_argument("paradox needs a table file");
    }
    const paradox::Table table(path, codePage);
    QTextStream out(stdout);
    out << HeaderJson(table) << '\n';
    const int rows = limit < 0 ? table.RowCount() : std::min(limit, table.RowCount());
    for (int row = 0; row < rows; ++row) {
        QStringList values;
        for (int field = 0; field < table.FieldCount(); ++field) {
            const paradox::Field& descriptor = table.Info().fields[static_cast<std::size_t>(field)];
            values << JsonString(descriptor.name) + ":" + ValueJson(table.Value(row, field), descriptor.type);
        }
        out << "{" << values.join(',') << "}\n";
    }
    out.flush();
    QTextStream err(stderr);
    for (const QString& warning : table.Warnings()) {
        err << "swtool: " << QFileInfo(path).fileName() << ": " << warning << Qt::endl;
    }
    return 0;
}

}  // namespace sw::swtool
