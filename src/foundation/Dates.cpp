#include "Dates.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>
#include <stdexcept>

#include "Numbers.h"

namespace sw {

namespace {

constexpr std::uint16_t kNormalMonthLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr qint64 kMsPerDay = 86'400'000;
const qint64 kEpochJulianDay = QDate(1899, 12, 30).toJulianDay();

int NormalMonthLength(int month) {
    return month >= 1 && month <= 12 ? kNormalMonthLength[month - 1] : 31;
}

int PieceOf(const QString& text, int from, int length, bool& ok) {
    int value = 0;
    const QString piece = text.mid(from, length);
    ok = ok && !piece.isEmpty() && TryParseInt(piece, value);
    return value;
}

QDate ToQDate(const DateRec& date) {
    const QDate result(date.year, date.month, date.day);
    if (!result.isValid()) {
        throw std::invalid_argument(("Invalid date " + FormatDate(date)).toStdString());
    }
    return result;
}

/// Days since the epoch and the time of day in milliseconds, as the platform splits a date-time:
/// the whole part is the day (towards zero) and the fraction's magnitude is the time.
void SplitDateTime(TDateTime value, qint64& days, qint64& milliseconds) {
    const double whole = std::trunc(value);
    days = static_cast<qint64>(whole);
    milliseconds = std::llround(std::fabs(value - whole) * kMsPerDay);
}

}  // namespace

int DateNumber(const DateRec& date) {
    return date.year * 10000 + date.month * 100 + date.day;
}

int TimeNumber(const TimeRec& time) {
    return time.hour * 10000 + time.minute * 100 + time.second;
}

DateRec DateFromNumber(int yyyymmdd) {
    if (yyyymmdd == 0) {
        return {};
    }
    return DateFromText(DateNumberText(yyyymmdd));
}

TimeRec TimeFromNumber(int hhmmss) {
    return {static_cast<std::uint16_t>(hhmmss / 10000), static_cast<std::uint16_t>((hhmmss % 10000) / 100),
            static_cast<std::uint16_t>(hhmmss % 100)};
}

bool ParseDate(const QString& text, DateRec& date) {
    if (text.size() < 10 || text.compare("yyyy-mm-dd", Qt::CaseInsensitive) == 0) {
        return false;
    }
    bool ok = true;
    const int year = PieceOf(text, 0, 4, ok);
    const int month = PieceOf(text, 5, 2, ok);
    const int day = PieceOf(text, 8, 2, ok);
    if (!ok) {
        return false;
    }
    date = {static_cast<std::uint16_t>(year), static_cast<std::uint16_t>(month),
            static_cast<std::uint16_t>(day)};
    return true;
}

DateRec DateFromText(const QString& text) {
    DateRec date;
    return ParseDate(text, date) ? date : DateRec{};
}

QString FormatDate(const DateRec& date) {
    return PadNumber(date.year, 4) + '-' + PadNumber(date.month, 2) + '-' + PadNumber(date.day, 2);
}

QString FormatTime(const TimeRec& time) {
    return FormatTimeShort(time) + ':' + PadNumber(time.second, 2);
}

QString FormatTimeShort(const TimeRec& time) {
    return PadNumber(time.hour, 2) + ':' + PadNumber(time.minute, 2);
}

QString DateNumberText(int yyyymmdd) {
    const QString digits = PadNumber(yyyymmdd, 8);
    return digits.left(4) + '-' + digits.mid(4, 2) + '-' + digits.mid(6);
}

QString TimeNumberText(int hhmmss) {
    return FormatTime(TimeFromNumber(hhmmss));
}

QString DurationText(int seconds) {
    if (seconds < 0) {
        return "error";
    }
    return PadNumber(seconds / 60, 2) + ':' + PadNumber(seconds % 60, 2);
}

QString FormatDateTime(int mode, TDateTime value) {
    const Stamp stamp = DateTimeToStamp(value);
    if (mode == 2) {
        return FormatDate(stamp.date) + ' ' + FormatTimeShort(stamp.time) + ' ';
    }
    return FormatDate(stamp.date) + ' ' + FormatTime(stamp.time);
}

QString StampTextOrEmpty(TDateTime value) {
    return value == 0 ? QString() : FormatDateTime(1, value);
}

DateRec Today() {
    return NowStamp().date;
}

Stamp NowStamp() {
    return DateTimeToStamp(NowDateTime());
}

TDateTime NowDateTime() {
    return FromQDateTime(QDateTime::currentDateTime());
}

Stamp DateTimeToStamp(TDateTime value) {
    qint64 days = 0;
    qint64 milliseconds = 0;
    SplitDateTime(value, days, milliseconds);

    Stamp stamp;
    if (value != 0) {
        const QDate date = QDate::fromJulianDay(kEpochJulianDay + days);
        stamp.date = {static_cast<std::uint16_t>(date.year()), static_cast<std::uint16_t>(date.month()),
                      static_cast<std::uint16_t>(date.day())};
    }
    int hour = static_cast<int>(milliseconds / 3'600'000);
    int minute = static_cast<int>(milliseconds / 60'000 % 60);
    int second = static_cast<int>(milliseconds / 1000 % 60);
    if (milliseconds % 1000 >= 500) {
        ++second;
    }
    while (second > 59) {
        second -= 60;
        ++minute;
    }
    while (minute > 59) {
        minute -= 60;
        ++hour;
    }
    while (hour > 23) {
        hour -= 24;
        NextDay(stamp.date);
    }
    stamp.time = {static_cast<std::uint16_t>(hour), static_cast<std::uint16_t>(minute),
                  static_cast<std::uint16_t>(second)};
    return stamp;
}

TDateTime StampToDateTime(const Stamp& stamp) {
    if (IsEmptyDate(stamp.date)) {
        return 0;
    }
    const double days = DateToDateTime(stamp.date);
    const double fraction =
        (stamp.time.hour * 3600.0 + stamp.time.minute * 60.0 + stamp.time.second) / 86400.0;
    return days < 0 ? days - fraction : days + fraction;
}

DateTimeNumbers DateTimeToNumbers(TDateTime value) {
    const Stamp stamp = DateTimeToStamp(value);
    return {DateNumber(stamp.date), TimeNumber(stamp.time)};
}

TDateTime DateToDateTime(const DateRec& date) {
    return static_cast<double>(ToQDate(date).toJulianDay() - kEpochJulianDay);
}

TDateTime FromQDateTime(const QDateTime& value) {
    const QDate date = value.date();
    const QTime time = value.time();
    const double days = static_cast<double>(date.toJulianDay() - kEpochJulianDay);
    const double fraction = time.msecsSinceStartOfDay() / static_cast<double>(kMsPerDay);
    return days < 0 ? days - fraction : days + fraction;
}

QDateTime ToQDateTime(TDateTime value) {
    qint64 days = 0;
    qint64 milliseconds = 0;
    SplitDateTime(value, days, milliseconds);
    QDateTime result(QDate::fromJulianDay(kEpochJulianDay + days), QTime(0, 0));
    return result.addMSecs(milliseconds);
}

bool IsLeap(const DateRec& date) {
    const int year = date.year;
    if (CompareDates(date, kLastJulianDay) <= 0) {
        return year % 4 == 0;
    }
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

void NextDay(DateRec& date) {
    if (date.day < NormalMonthLength(date.month) || (date.month == 2 && date.day == 28 && IsLeap(date))) {
        ++date.day;
        return;
    }
    date.day = 1;
    if (++date.month > 12) {
        date.month = 1;
        date.year = date.year >= 9999 ? 0 : date.year + 1;
    }
}

void PrevDay(DateRec& date) {
    if (date.day > 1) {
        --date.day;
        return;
    }
    if (date.month <= 1) {
        date.month = 12;
        date.year = date.year == 0 ? 9999 : date.year - 1;
    } else {
        --date.month;
    }
    const DateRec february{date.year, 2, 1};
    date.day = date.month == 2 && IsLeap(february) ? 29 : NormalMonthLength(date.month);
}

void PrevDays(DateRec& date, int n) {
    for (int i = 0; i < n; ++i) {
        PrevDay(date);
    }
}

int CompareDates(const DateRec& a, const DateRec& b) {
    if (a.year != b.year) {
        return a.year < b.year ? -1 : 1;
    }
    if (a.month != b.month) {
        return a.month < b.month ? -1 : 1;
    }
    if (a.day != b.day) {
        return a.day < b.day ? -1 : 1;
    }
    return 0;
}

bool IsEmptyDate(const DateRec& date) {
    return DateNumber(date) == 0;
}

}  // namespace sw
