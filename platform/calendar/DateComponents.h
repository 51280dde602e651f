#pragma once

// The fields of a date in a calendar, or a difference between two dates. Chinese years are lunar year
// numbers (see CalendarDate); `leapMonth` is only ever set for Chinese dates.
struct DateComponents
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool leapMonth = false;

    friend bool operator==(const DateComponents &, const DateComponents &) = default;
};
