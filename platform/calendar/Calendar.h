#pragma once

#include "platform/calendar/CalendarDate.h"
#include "platform/calendar/CalendarIdentifier.h"
#include "platform/calendar/CalendarUnit.h"
#include "platform/calendar/DateComponents.h"

#include <QDateTime>

// Calendar arithmetic by calendar identifier, in the system time zone, in place of the platform's calendar
// objects. Weekdays are Monday 1 .. Sunday 7 whatever the locale. Days are QDate::toJulianDay numbers.
// Operations on date-times keep the wall-clock time; a null date-time in gives a null date-time (or 0) out.
// A local date-time made inside a daylight-saving gap (Qt holds it invalid) is taken by its wall clock.
class Calendar
{
public:
    // Year, month, day, hour, minute, second (and leap flag) of a date-time.
    static DateComponents components(CalendarIdentifier cal, const QDateTime &dt);
    // The date-time of components, rebuilt leniently (months, days, hours... past their range carry on).
    static QDateTime dateFromComponents(CalendarIdentifier cal, const DateComponents &c);
    // Same year, month (and leap month) and time, day replaced; a day past the month's end runs on.
    static QDateTime replacingDay(CalendarIdentifier cal, const QDateTime &dt, int day);
    // Same year, day and time in the ordinary month `month`; a day the month lacks runs into the next month.
    static QDateTime replacingMonth(CalendarIdentifier cal, const QDateTime &dt, int month);
    // `days` calendar days later (or earlier), same wall-clock time.
    static QDateTime addingDays(const QDateTime &dt, qint64 days);
    // `months` months later; a day the target month lacks becomes its last day.
    static QDateTime addingMonths(CalendarIdentifier cal, const QDateTime &dt, qint64 months);
    // `years` years later, same month number; a missing day becomes the month's last day.
    static QDateTime addingYears(CalendarIdentifier cal, const QDateTime &dt, qint64 years);
    // Number of days of the date-time's month.
    static int daysInMonth(CalendarIdentifier cal, const QDateTime &dt);
    // Whole units from `from` to `to` (negative when `to` is earlier), compared by wall-clock time:
    // the largest n with from + n units <= to. Hours, minutes and seconds count elapsed time.
    static qint64 wholeUnitsBetween(CalendarIdentifier cal, CalendarUnit unit, const QDateTime &from,
                                    const QDateTime &to);
    // The difference of two date-times in the given units, largest unit first.
    static DateComponents difference(CalendarIdentifier cal, CalendarUnits units, const QDateTime &from,
                                     const QDateTime &to);
    // Weekday, Monday 1 .. Sunday 7; 0 for a null date-time.
    static int weekday(const QDateTime &dt);

    // Day-number forms of the operations above, for hot paths.
    static CalendarDate dateOfDay(CalendarIdentifier cal, qint64 julianDay);
    static qint64 dayOfDateLenient(CalendarIdentifier cal, int year, int month, bool leap, int day);
    static qint64 dayOfDatePinned(CalendarIdentifier cal, int year, int month, bool leap, int day);
    static qint64 addMonthsToDay(CalendarIdentifier cal, qint64 julianDay, qint64 months);
    static qint64 addYearsToDay(CalendarIdentifier cal, qint64 julianDay, qint64 years);
    static int daysInMonth(CalendarIdentifier cal, int year, int month, bool leap);
    static int weekdayOfDay(qint64 julianDay);
    // Whole months / years from one wall-clock moment to another (day number and msecs of day).
    static qint64 wholeMonthsBetween(CalendarIdentifier cal, qint64 fromDay, int fromMSecs, qint64 toDay,
                                     int toMSecs);
    static qint64 wholeYearsBetween(CalendarIdentifier cal, qint64 fromDay, int fromMSecs, qint64 toDay,
                                    int toMSecs);
};
