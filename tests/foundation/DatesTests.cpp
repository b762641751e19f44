#include <gtest/gtest.h>

#include <QDateTime>

#include "foundation/Dates.h"

namespace sw {
namespace {

TDateTime At(int y, int mo, int d, int h, int mi, int s, int ms) {
    return DateToDateTime({static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(mo),
                           static_cast<std::uint16_t>(d)}) +
           (h * 3600000.0 + mi * 60000.0 + s * 1000.0 + ms) / 86400000.0;
}

DateRec Date(int y, int m, int d) {
    return {static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m), static_cast<std::uint16_t>(d)};
}

TEST(DateNumbers, EncodeAndDecode) {
    EXPECT_EQ(DateNumber(Date(2024, 3, 7)), 20240307);
    EXPECT_EQ(DateNumberText(20240307), "2024-03-07");
    EXPECT_EQ(DateNumberText(0), "0000-00-00");
    EXPECT_EQ(DateFromNumber(20240307), Date(2024, 3, 7));
    EXPECT_EQ(DateFromNumber(0), DateRec{});
    EXPECT_EQ(TimeNumberText(93005), "09:30:05");
    EXPECT_EQ(TimeFromNumber(235959), (TimeRec{23, 59, 59}));
}

TEST(ParseDate, NeedsTenCharactersAndIntegerPieces) {
    DateRec date;
    EXPECT_FALSE(ParseDate("2024-3-7", date));
    EXPECT_FALSE(ParseDate("yyyy-mm-dd", date));
    EXPECT_FALSE(ParseDate("YYYY-MM-DD", date));
    EXPECT_FALSE(ParseDate("2024-0x-07", date));
    EXPECT_TRUE(ParseDate("2024/03/07", date));
    EXPECT_EQ(date, Date(2024, 3, 7));
    EXPECT_TRUE(ParseDate("2024-13-45 and more", date));
    EXPECT_EQ(date, Date(2024, 13, 45));
}

TEST(Rounding, CarriesIntoTheNextDay) {
    EXPECT_EQ(DateTimeToNumbers(At(2024, 12, 31, 23, 59, 59, 500)).date, 20250101);
    EXPECT_EQ(DateTimeToNumbers(At(2024, 12, 31, 23, 59, 59, 500)).time, 0);
    EXPECT_EQ(DateTimeToNumbers(At(2024, 12, 31, 23, 59, 59, 499)).time, 235959);
    EXPECT_EQ(DateTimeToNumbers(At(2024, 2, 28, 23, 59, 59, 700)).date, 20240229);
    EXPECT_EQ(FormatDateTime(2, At(2024, 1, 2, 3, 4, 59, 700)), "2024-01-02 03:05 ");
    EXPECT_EQ(FormatDateTime(1, At(2024, 1, 2, 3, 4, 59, 700)), "2024-01-02 03:05:00");
    EXPECT_EQ(DateTimeToStamp(0).date, DateRec{});
}

TEST(Stamps, SurviveARoundTrip) {
    const Stamp stamp{Date(1999, 12, 31), {13, 14, 15}};
    EXPECT_EQ(DateTimeToStamp(StampToDateTime(stamp)), stamp);
    const Stamp early{Date(1850, 6, 1), {6, 0, 0}};
    EXPECT_EQ(DateTimeToStamp(StampToDateTime(early)), early);
    EXPECT_EQ(StampToDateTime({DateRec{}, {1, 2, 3}}), 0);
    EXPECT_THROW(DateToDateTime(Date(2023, 2, 29)), std::invalid_argument);
}

TEST(QtConversion, MatchesTheEpoch) {
    EXPECT_DOUBLE_EQ(FromQDateTime(QDateTime(QDate(1899, 12, 30), QTime(12, 0))), 0.5);
    EXPECT_EQ(ToQDateTime(At(2024, 5, 6, 7, 8, 9, 0)), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
}

TEST(CalendarReform, LeapYearsFollowTheCalendarInForce) {
    EXPECT_TRUE(IsLeap(Date(1700, 2, 1)));   // Julian
    EXPECT_FALSE(IsLeap(Date(1800, 2, 1)));  // Gregorian
    EXPECT_TRUE(IsLeap(Date(2000, 2, 1)));
    EXPECT_FALSE(IsLeap(Date(1900, 2, 1)));
    EXPECT_TRUE(IsLeap(Date(1600, 2, 1)));
    EXPECT_TRUE(IsLeap(Date(1500, 2, 1)));  // Julian: divisible by 4 is enough

    const std::tuple<DateRec, int, DateRec> steps[] = {
        {Date(2024, 3, 1), 1, Date(2024, 2, 29)},  {Date(1900, 3, 1), 1, Date(1900, 2, 28)},
        {Date(1700, 3, 1), 1, Date(1700, 2, 29)},  {Date(2024, 1, 1), 1, Date(2023, 12, 31)},
        {Date(2024, 1, 3), 3, Date(2023, 12, 31)}, {Date(1752, 9, 14), 12, Date(1752, 9, 2)},
        {Date(1, 1, 1), 1, Date(0, 12, 31)},
    };
    for (const auto& [start, n, expected] : steps) {
        DateRec date = start;
        PrevDays(date, n);
        EXPECT_EQ(date, expected) << FormatDate(start).toStdString() << " - " << n;
    }
}

TEST(CalendarReform, NextDayStepsThroughTheGapAndTheYearEnd) {
    DateRec date = Date(1752, 9, 2);
    NextDay(date);
    EXPECT_EQ(date, Date(1752, 9, 3));
    date = Date(1700, 2, 28);
    NextDay(date);
    EXPECT_EQ(date, Date(1700, 2, 29));
    NextDay(date);
    EXPECT_EQ(date, Date(1700, 3, 1));
    date = Date(1800, 2, 28);
    NextDay(date);
    EXPECT_EQ(date, Date(1800, 3, 1));
    date = Date(2023, 12, 31);
    NextDay(date);
    EXPECT_EQ(date, Date(2024, 1, 1));
    date = Date(9999, 12, 31);
    NextDay(date);
    EXPECT_EQ(date, Date(0, 1, 1));
    date = Date(2024, 4, 30);
    NextDay(date);
    EXPECT_EQ(date, Date(2024, 5, 1));
}

TEST(DurationText, MinutesAndSeconds) {
    EXPECT_EQ(DurationText(0), "00:00");
    EXPECT_EQ(DurationText(59), "00:59");
    EXPECT_EQ(DurationText(3599), "59:59");
    EXPECT_EQ(DurationText(6000), "100:00");
    EXPECT_EQ(DurationText(-1), "error");
}

TEST(CompareDates, OrdersByYearMonthDay) {
    EXPECT_EQ(CompareDates(Date(2024, 1, 2), Date(2024, 1, 2)), 0);
    EXPECT_EQ(CompareDates(Date(2023, 12, 31), Date(2024, 1, 1)), -1);
    EXPECT_EQ(CompareDates(Date(2024, 2, 1), Date(2024, 1, 31)), 1);
    EXPECT_TRUE(IsEmptyDate(DateRec{}));
    EXPECT_FALSE(IsEmptyDate(Date(0, 0, 1)));
}

}  // namespace
}  // namespace sw
