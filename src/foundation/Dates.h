#pragma once

#include <QString>
#include <cstdint>

class QDateTime;

namespace sw {

/// The platform's floating-point date-time: days since 30 December 1899, the time of day as the
/// fraction. 0 stands for "no moment".
using TDateTime = double;

/// Year, month, day; the all-zero record means no date (year 0 counts as no date too).
struct DateRec {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    friend bool operator==(const DateRec&, const DateRec&) = default;
};

struct TimeRec {
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    friend bool operator==(const TimeRec&, const TimeRec&) = default;
};

struct Stamp {
    DateRec date;
    TimeRec time;
    friend bool operator==(const Stamp&, const Stamp&) = default;
};

struct DateTimeNumbers {
    int date = 0;  ///< yyyymmdd
    int time = 0;  ///< hhmmss
};

/// The change from the Julian to the Gregorian calendar (Great Britain, 1752).
inline constexpr DateRec kLastJulianDay{1752, 9, 2};
inline constexpr DateRec kFirstGregorianDay{1752, 9, 14};

int DateNumber(const DateRec& date);
int TimeNumber(const TimeRec& time);
/// 0 gives the zero record; otherwise the number as yyyy-mm-dd through ParseDate.
DateRec DateFromNumber(int yyyymmdd);
TimeRec TimeFromNumber(int hhmmss);
/// True when the text has at least 10 characters, is not the placeholder "yyyy-mm-dd", and its
/// year, month and day positions hold integers. Separators and ranges are not checked.
bool ParseDate(const QString& text, DateRec& date);
DateRec DateFromText(const QString& text);
QString FormatDate(const DateRec& date);
QString FormatTime(const TimeRec& time);
QString FormatTimeShort(const TimeRec& time);
/// "yyyy-mm-dd" made from the digits without checking them.
QString DateNumberText(int yyyymmdd);
QString TimeNumberText(int hhmmss);
/// "mm:ss" with at least two digits of minutes; "error" for a negative number.
QString DurationText(int seconds);
/// Mode 1 "yyyy-mm-dd hh:mm:ss", mode 2 "yyyy-mm-dd hh:mm " (seconds rounded first).
QString FormatDateTime(int mode, TDateTime value);
/// FormatDateTime mode 1, or empty for a time stamp never set (0).
QString StampTextOrEmpty(TDateTime value);

DateRec Today();
Stamp NowStamp();
TDateTime NowDateTime();
/// Calendar date and time of day, rounded to the second (a carry past midnight moves the date on).
Stamp DateTimeToStamp(TDateTime value);
/// 0 when the date part is empty. Throws std::invalid_argument for an impossible date.
TDateTime StampToDateTime(const Stamp& stamp);
DateTimeNumbers DateTimeToNumbers(TDateTime value);
/// Midnight of that day. Throws std::invalid_argument for an impossible date.
TDateTime DateToDateTime(const DateRec& date);
TDateTime FromQDateTime(const QDateTime& value);
QDateTime ToQDateTime(TDateTime value);

/// Leap-year test under the calendar in force on that date.
bool IsLeap(const DateRec& date);
void NextDay(DateRec& date);
void PrevDay(DateRec& date);
void PrevDays(DateRec& date, int n);
int CompareDates(const DateRec& a, const DateRec& b);
bool IsEmptyDate(const DateRec& date);

}  // namespace sw
