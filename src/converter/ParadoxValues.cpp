#include "ParadoxValues.h"

#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace sw::paradox {

namespace {

constexpr qint64 kJulianDayOfDayZero = 1721425;  // the day before 0001-01-01
constexpr qint64 kLastDay = 3652059;             // 9999-12-31
constexpr qint64 kMillisecondsPerDay = 86'400'000;

bool AllZero(const unsigned char* data, int width) {
    for (int i = 0; i < width; ++i) {
        if (data[i] != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<qint64> DecodeInteger(const unsigned char* data, int width) {
    if (AllZero(data, width)) {
        return std::nullopt;
    }
    quint64 raw = 0;
    for (int i = 0; i < width; ++i) {
        raw = (raw << 8) | data[i];
    }
    const int bits = width * 8;
    raw ^= quint64{1} << (bits - 1);
    // Two's complement of the width's size.
    const quint64 sign = quint64{1} << (bits - 1);
    return (raw & sign) ? static_cast<qint64>(raw) - static_cast<qint64>(sign << 1)
                        : static_cast<qint64>(raw);
}

std::optional<double> DecodeDouble(const unsigned char* data) {
    unsigned char bytes[8];
    std::memcpy(bytes, data, sizeof bytes);
    if (bytes[0] & 0x80) {
        bytes[0] &= 0x7F;
    } else if (AllZero(bytes, 8)) {
        return std::nullopt;
    } else {
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(~byte);
        }
    }
    quint64 raw = 0;
    for (const unsigned char byte : bytes) {
        raw = (raw << 8) | byte;
    }
    double value = 0;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

BcdValue DecodeBcd(const unsigned char* data) {
    BcdValue value;
    const bool positive = (data[0] & 0x80) != 0;
    const int decimals = data[0] & 0x3F;
    if (!positive && AllZero(data + 1, 16)) {
        value.blank = true;
        return value;
    }
    if (decimals > 32) {
        value.valid = false;
        return value;
    }
    QString digits;
    digits.reserve(32);
    for (int i = 0; i < 32; ++i) {
        int nibble = (data[1 + i / 2] >> (i % 2 == 0 ? 4 : 0)) & 0x0F;
        if (!positive) {
            nibble ^= 0x0F;
        }
        if (nibble > 9) {
            value.valid = false;
            return value;
        }
        digits += QChar('0' + nibble);
    }
    QString whole = digits.left(32 - decimals);
    while (whole.size() > 1 && whole.front() == '0') {
        whole.remove(0, 1);
    }
    if (whole.isEmpty()) {
        whole = "0";
    }
    const QString fraction = digits.right(decimals);
    const bool zero = std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == '0'; });
    value.text =
        (positive || zero ? QString() : QString("-")) + whole + (decimals > 0 ? "." + fraction : QString());
    return value;
}

QDate DateFromDayNumber(qint64 day) {
    if (day < 1 || day > kLastDay) {
        return {};
    }
    return QDate::fromJulianDay(day + kJulianDayOfDayZero);
}

QTime TimeFromMilliseconds(qint64 milliseconds) {
    if (milliseconds < 0 || milliseconds >= kMillisecondsPerDay) {
        return {};
    }
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(milliseconds));
}

QDateTime TimestampFromMilliseconds(double milliseconds) {
    if (!std::isfinite(milliseconds) || milliseconds < 0 ||
        milliseconds >= static_cast<double>((kLastDay + 1) * kMillisecondsPerDay)) {
        return {};
    }
    const auto whole = static_cast<qint64>(std::llround(milliseconds));
    const QDate date = DateFromDayNumber(whole / kMillisecondsPerDay);
    if (!date.isValid()) {
        return {};
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(whole % kMillisecondsPerDay)),
                     QTimeZone::utc());
}

}  // namespace sw::paradox
