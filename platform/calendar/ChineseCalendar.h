#pragma once

#include "platform/calendar/CalendarDate.h"

#include <QtGlobal>

// The Chinese lunar calendar by day number (QDate::toJulianDay). Inside lunar years 1888..2111 it follows
// our table; outside that range it asks ICU. Arithmetic follows the platform calendar: adding months steps
// through leap months, adding years keeps the month number, a missing day is pinned when adding.
class ChineseCalendar
{
public:
    // True when the day lies within lunar years 1888..2111.
    static bool coversDay(qint64 julianDay);
    // The lunar date of a day.
    static CalendarDate dateOfDay(qint64 julianDay);
    // Day number of a lunar date; months outside 1..12 carry into other years, a leap flag for a month that
    // is not the year's leap month means the ordinary month, and the day runs on into the following months.
    static qint64 dayOfDateLenient(int year, int month, bool leap, int day);
    // As above, but the day is pinned to 1..length of the month.
    static qint64 dayOfDatePinned(int year, int month, bool leap, int day);
    // Length of a lunar month (ordinary month when `leap` names no leap month of that year).
    static int daysInMonth(int year, int month, bool leap);
    // The day `months` lunar months (leap months counted) after a day, its day of month pinned.
    static qint64 addMonths(qint64 julianDay, qint64 months);
    // The day `years` lunar years after a day, same month number (leap kept only where it exists), pinned.
    static qint64 addYears(qint64 julianDay, qint64 years);
};
