#pragma once

#include <QFlags>

// Units of calendar arithmetic and of date differences.
enum class CalendarUnit
{
    Year = 0x01,
    Month = 0x02,
    Day = 0x04,
    Hour = 0x08,
    Minute = 0x10,
    Second = 0x20,
};
Q_DECLARE_FLAGS(CalendarUnits, CalendarUnit)
Q_DECLARE_OPERATORS_FOR_FLAGS(CalendarUnits)
