#pragma once

#include "core/reminders/dates/Lunar.h"
#include "core/reminders/dates/Solar.h"

#include <QString>

#include <optional>

// Table-driven conversion between Gregorian and lunar dates for lunar years 1888..2111. Dates outside the
// table, and impossible dates, give no result.
class LunarSolarTransform
{
public:
    // The lunar date of a Gregorian date; none before 1888-02-12 or after lunar year 2111.
    static std::optional<Lunar> solarToLunar(const Solar &solar);
    // "%i-%@-%@": lunar year number, month label, day label (a leap month shows its ordinary label).
    static QString formatWithLunar(const Lunar &lunar);
    // The Gregorian date of a day number (the inverse of solarToInt); Solar() (all 0) for a day number no
    // 32-bit year reaches.
    static Solar SolarFromInt(qint64 dayNumber);
    // The day number of a Gregorian date, used to count days between dates.
    static qint64 solarToInt(qint32 year, qint32 month, qint32 day);
    // The Gregorian date of a lunar date; none for a leap flag on a month that is not leap, a day the month
    // lacks, or a year outside the table.
    static std::optional<Solar> lunarToSolar(const Lunar &lunar);
    // Zodiac sign of a Gregorian date (摩羯座 .. 射手座); empty for an impossible date.
    static QString constellationFromSolar(const Solar &solar);

    // The two packed tables (225 entries each; entry i is lunar year 1887 + i, entry 0 the base year).
    static qint32 newYearEntry(int index);
    static qint32 monthEntry(int index);
};
