#pragma once

#include "platform/calendar/CalendarIdentifier.h"
#include "platform/calendar/CalendarUnit.h"
#include "platform/calendar/DateComponents.h"

#include <QDateTime>
#include <QString>

// Date texts and calendar helpers. Date texts are "yyyy/M/d H:mm:ss", Gregorian, system time zone, written
// and read the same whatever the user's locale. A null date-time stands for a missing date; "current
// calendar" is the Gregorian calendar.
class DateManager
{
public:
    // "yyyy/M/d H:mm:ss"; a null text for a null date or a year outside 1..9999. A local date-time inside
    // a daylight-saving gap is written as the time it stands for (2:30 as 3:30).
    static QString getStringFromDate(const QDateTime &date);
    // "yyyy/M/d H:mm"; as above.
    static QString getNoSecondDateStringFromDate(const QDateTime &date);
    // Parses "yyyy/M/d H:mm:ss" or "yyyy/M/d H:mm" (ASCII digits, nothing before or after); a null date
    // for anything else. A time the spring change skips reads as the moment as far past the change (2:30
    // as 3:30); a time the autumn change repeats reads as its second pass.
    static QDateTime getDateFromString(const QString &text);
    // -1 when a is earlier, 0 when equal, 1 when later (a null date is the earliest).
    static int compareFromDate(const QDateTime &a, const QDateTime &b);
    // date + hours * 3600 seconds.
    static QDateTime getAfterHourWithDate(const QDateTime &date, qint64 hours);
    // date + days * 86400 seconds (fixed seconds, not calendar days).
    static QDateTime getAfterDaysWithDate(const QDateTime &date, qint64 days);
    // date + months calendar months in cal (a missing day becomes the month's last day).
    static QDateTime getAfterMonthWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                         qint64 months);
    // (b - a) seconds / 86400, truncated toward zero.
    static qint64 getIntervalDaysFromDate(const QDateTime &a, const QDateTime &b);
    // Number of days of the date's month in cal; 0 for a null date.
    static int getDaysWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date);
    // Year in cal (Chinese: the lunar year number); 0 for a null date.
    static int getYearWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date);
    // Month in cal; 0 for a null date.
    static int getMonthWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date);
    // Day of month in cal; 0 for a null date.
    static int getDayWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date);
    // All components of the date in cal.
    static DateComponents getDateComponentWithCalendarIdentifier(CalendarIdentifier cal,
                                                                 const QDateTime &date);
    // The date with its day replaced, rebuilt leniently in cal (a day past the month's end runs on).
    static QDateTime getADayWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date, int day);
    // The date with its month replaced (ordinary month), rebuilt leniently in cal.
    static QDateTime getAMonthWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                     int month);
    // Same day with hour and minute replaced, seconds kept.
    static QDateTime getAHourAndMinuteWithDate(const QDateTime &date, int hour, int minute);
    // Weekday, Monday 1 .. Sunday 7; 0 for a null date.
    static int getWeekWithDate(const QDateTime &date);
    // Hour of the date (Gregorian).
    static int getHourWithDate(const QDateTime &date);
    // Minute of the date (Gregorian).
    static int getMinuteWithDate(const QDateTime &date);
    // Start of the date's minute.
    static QDateTime getInitSecondDateFromDate(const QDateTime &date);
    // "HH:mm"; a null text for a null date.
    static QString getShowHourAndMinuteDateFromDate(const QDateTime &date);
    // "yyyy/M/d" (Gregorian); "" for a null date.
    static QString getShowYearMonthDayDateFromDate(const QDateTime &date);
    // Gregorian "M月d日"; Chinese month label and day label (e.g. 正月初一); a null text for a null date.
    static QString getShowMonthAndDayTimeWithCalendarIdentifier(CalendarIdentifier cal,
                                                                const QDateTime &date);
    // Gregorian "yyyy年M月d日 HH:mm"; Chinese "<lunar year>年<month label><day label> HH:mm".
    static QString getShowDateWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date);

    // Same as getAHourAndMinuteWithDate.
    static QDateTime getDateFromDate(const QDateTime &date, int hour, int minute);
    // Components of the given units between two dates (Gregorian).
    static DateComponents getIntervalCalendarUnit(CalendarUnits units, const QDateTime &from,
                                                  const QDateTime &to);
    // date + weeks * 7 calendar days.
    static QDateTime getAfterWeekWithDate(const QDateTime &date, qint64 weeks);
    // date + years years in cal.
    static QDateTime getAfterYearWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                        qint64 years);
    // Year..second components between two dates (current calendar).
    static DateComponents getDifferFromDate(const QDateTime &from, const QDateTime &to);
    // The date of components in cal, rebuilt leniently.
    static QDateTime getDateFromWithDateComponents(const DateComponents &components, CalendarIdentifier cal);
    // Weekday ordinal counted from the system locale's first day of the week (1 = that day).
    static int getSystemWeekWithDate(const QDateTime &date);
    // The date's Chinese year with ordinary month and day replaced (lenient), hour and minute kept.
    static QDateTime getGregorianDateFromDate(const QDateTime &date, int chineseMonth, int chineseDay);
};
