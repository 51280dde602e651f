#pragma once

#include <QtGlobal>

// A Chinese lunar date value; `isleap` marks a leap month (the one following `lunarMonth`).
class Lunar
{
public:
    Lunar() = default;
    Lunar(qint32 year, qint32 month, qint32 day, bool leap = false)
        : lunarYear(year), lunarMonth(month), lunarDay(day), isleap(leap)
    {
    }

    qint32 lunarYear = 0;
    qint32 lunarMonth = 0;
    qint32 lunarDay = 0;
    bool isleap = false;

    friend bool operator==(const Lunar &, const Lunar &) = default;
};
