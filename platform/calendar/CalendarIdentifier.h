#pragma once

// The calendars a date can be read in. Dates are always in the system time zone.
enum class CalendarIdentifier
{
    Gregorian,
    Chinese,
};
