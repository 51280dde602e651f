#pragma once

#include <QtGlobal>

// A Gregorian date value.
class Solar
{
public:
    Solar() = default;
    Solar(qint32 year, qint32 month, qint32 day) : solarYear(year), solarMonth(month), solarDay(day) {}

    qint32 solarYear = 0;
    qint32 solarMonth = 0;
    qint32 solarDay = 0;

    friend bool operator==(const Solar &, const Solar &) = default;
};
