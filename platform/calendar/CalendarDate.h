#pragma once

// A day in some calendar. For the Chinese calendar `year` is the lunar year number (the Gregorian year in
// which that lunar year begins), `month` is 1..12 and `leap` marks the leap month that follows `month`.
struct CalendarDate
{
    int year = 0;
    int month = 0;
    bool leap = false;
    int day = 0;

    friend bool operator==(const CalendarDate &, const CalendarDate &) = default;
};
