#pragma once

#include <QtGlobal>

// How a date reminder repeats, its "remindCycleType". The numbers are the
// ones stored and sent.
namespace RemindCycle {

enum Code : qint16
{
    None = 0,
    Day = 1,
    Week = 2,
    Month = 3,
    Quarter = 4,
    Year = 5,
};

} // namespace RemindCycle
