#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

namespace sw::paradox {

// Field values are stored so that their raw bytes sort in value order: big-endian, with the sign
// bit flipped, and all-zero bytes meaning "blank" (null) for every type.

/// A 2- or 4-byte integer field (short, long, auto-increment, date, time); nullopt when blank.
std::optional<qint64> DecodeInteger(const unsigned char* data, int width);
/// An 8-byte number, money or timestamp field; nullopt when blank.
std::optional<double> DecodeDouble(const unsigned char* data);

/// What a BCD field holds: blank, a decimal text such as "-40.000000", or something damaged.
struct BcdValue {
    bool blank = false;
    bool valid = true;
    QString text;
};
/// A 17-byte BCD field: sign and decimal count, then 32 packed digits.
BcdValue DecodeBcd(const unsigned char* data);

/// Day 1 is 0001-01-01 of the proleptic Gregorian calendar. Invalid for day numbers below 1 or
/// past 9999-12-31.
QDate DateFromDayNumber(qint64 day);
/// Milliseconds since midnight; invalid outside one day.
QTime TimeFromMilliseconds(qint64 milliseconds);
/// Milliseconds since the start of day 0 (so that whole days give the day number of DateFromDayNumber);
/// invalid before 0001-01-01 or past 9999-12-31.
QDateTime TimestampFromMilliseconds(double milliseconds);

}  // namespace sw::paradox
