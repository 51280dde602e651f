#pragma once

#include <QtGlobal>

// Day-number arithmetic shared by the calendar code.
namespace DayNumbers {

// Julian day number of 1970-01-01.
inline constexpr qint64 unixEpochDay = 2440588;

// Division rounding toward negative infinity, so instants and months before the epoch fall on the right day.
constexpr qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace DayNumbers
