#pragma once

#include <QtGlobal>

// The Chinese lunar calendar for lunar years 1888..2111, compiled in from
// resources/calendar/chinese-calendar-1888-2111.tsv. Entry 0 of the packed tables holds the base year 1887;
// entry i describes lunar year 1887 + i.
class ChineseCalendarTable
{
public:
    static constexpr int firstYear = 1888;
    static constexpr int lastYear = 2111;
    static constexpr int entryCount = 225;

    // The packed new-year table: year * 512 + month * 32 + day of each lunar new year.
    static const qint32 *newYearPacked();
    // The packed month table: month lengths in bits 12..0 (1 = 30 days), leap month in bits 13..16.
    static const qint32 *monthBits();

    static bool coversYear(int lunarYear) { return lunarYear >= firstYear && lunarYear <= lastYear; }
    // Day number (QDate::toJulianDay) of 正月初一 of a covered lunar year.
    static qint64 newYearDay(int lunarYear);
    // The month the leap month follows, 0 when the year has none.
    static int leapMonth(int lunarYear);
    // Number of months (12 or 13) of a covered lunar year.
    static int monthCount(int lunarYear);
    // Length (29 or 30) of the month at position 0..monthCount-1 of a covered lunar year.
    static int monthLength(int lunarYear, int position);
    // Day number of the first day of the month at a position of a covered lunar year.
    static qint64 monthStartDay(int lunarYear, int position);
    // First and one-past-last day numbers covered by the table.
    static qint64 firstDay();
    static qint64 endDay();
};
