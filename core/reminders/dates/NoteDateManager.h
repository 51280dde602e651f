#pragma once

#include "platform/calendar/CalendarIdentifier.h"

#include <QDateTime>
#include <QString>

// The recurrence engine and the short texts that show a reminder. Stateless; "now" is Clock::now().
// Cycle types: 0 none, 1 day, 2 week, 3 month, 4 quarter, 5 year. Chosen values are a comma list of
// weekdays 1..7, days of the month or months. A null date-time means "no date".
// Occurrences keep D's wall-clock time. On a day when the clocks skip that time it is moved on by the gap
// (02:30 fires at 03:30 that day only); when they repeat it, the occurrence is the second pass. A local D
// made inside a gap (which Qt holds invalid) stands for that moved-on moment and keeps its wall-clock time.
class NoteDateManager
{
public:
    // remindDateType 0 -> Gregorian, any other value -> Chinese.
    static CalendarIdentifier getCalendarIdentifierWithDateType(qint64 dateType);
    // The next occurrence after D that lies strictly after now; null for cycle type 0 or above 5.
    static QDateTime nextRealDateWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                        int cycleType, qint64 interval,
                                                        const QString &specify);
    // D itself when it lies after now, else the next occurrence; null for a null D and for a cycle type
    // below 0 or above 5.
    static QDateTime nextDateWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                    int cycleType, qint64 interval, const QString &specify);
    // As above, but null when the end date is given and the result lies after it (equal is inside).
    static QDateTime nextDateWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &startDate,
                                                    int cycleType, qint64 interval, const QString &specify,
                                                    const QDateTime &endDate);
    // The start when it lies after now, else the occurrence after now bounded by the end date.
    static QDateTime getNowNextDateWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &startDate,
                                                          int cycleType, qint64 interval,
                                                          const QString &specify, const QDateTime &endDate);

    // Steps from a stored occurrence. The occurrences are always counted from the reminder's start
    // (remindDateTime, itself the first occurrence): a day clamped in a short month or a chosen day run
    // over into the next month never becomes the day of later ones. Without a usable start the stored
    // occurrence stands in for it; without a usable stored occurrence, the start.
    //
    // The first occurrence strictly after now and after `current` (completion); null for cycle type 0,
    // below 0 or above 5.
    static QDateTime nextRealDateFromStartWithCalendarIdentifier(CalendarIdentifier cal,
                                                                 const QDateTime &startDate,
                                                                 const QDateTime &current, int cycleType,
                                                                 qint64 interval, const QString &specify);
    // The occurrence that is due next (what a notification is scheduled for): the first one not before
    // `current` that lies after now; for cycle type 0, `current` when it lies after now. Null when it
    // lies after the end date (equal is inside) and for a cycle type below 0 or above 5.
    static QDateTime dueDateFromStartWithCalendarIdentifier(CalendarIdentifier cal,
                                                            const QDateTime &startDate,
                                                            const QDateTime &current, int cycleType,
                                                            qint64 interval, const QString &specify,
                                                            const QDateTime &endDate);

    // The first date + m * days calendar days (m >= 1) strictly after now.
    static QDateTime getRealAfterDaysDateWithDate(const QDateTime &date, qint64 days);
    // The first date + m * months months in cal (m >= 1) strictly after now.
    static QDateTime getRealAfterMonthsDateWithCalendarIdentifier(CalendarIdentifier cal,
                                                                  const QDateTime &date, qint64 months);
    // The first date + m * years years in cal (m >= 1) strictly after now.
    static QDateTime getRealAfterYearsDateWithCalendarIdentifier(CalendarIdentifier cal,
                                                                 const QDateTime &date, qint64 years);
    // Next firing of an important reminder that repeats every `minute` minutes from the start (date text):
    // the start while it is ahead, else now + (minute - elapsed minutes mod minute). An interval below 1
    // counts as 5; a null text when the start is missing or the time lies past year 9999.
    static QString getValidStarDateTimeWithDate(const QDateTime &start, qint64 minute);
    // Short display of a reminder time ("今天 09:00", "明天 09:00", month-and-day or full date); null text
    // for a missing or unparsable date text.
    static QString showFormatTimeWithDateString(const QString &dateText, CalendarIdentifier cal);
    // Repeat text such as 每天 or 每2周; null text for cycle type 0 or above 5.
    static QString showRemindInterval(qint64 interval, int cycleType);
    // Text of the chosen values (周一、周三 / 1号、15号 / 3月、9月 / 初一、十五 / 正月、腊月); null text when
    // none.
    static QString showRemindSpecifyWithCalendarIdentifier(CalendarIdentifier cal, const QString &specify,
                                                           int cycleType);
    // The first date + m * days calendar days (m >= 0) strictly after now.
    static QDateTime getValidAfterDaysDateWithDate(const QDateTime &date, qint64 days);
    // The first date + m * months months in cal (m >= 0) strictly after now.
    static QDateTime getValidAfterMonthsDateWithCalendarIdentifier(CalendarIdentifier cal,
                                                                   const QDateTime &date, qint64 months);
    // The first date + m * years years in cal (m >= 0) strictly after now.
    static QDateTime getValidAfterYearsDateWithCalendarIdentifier(CalendarIdentifier cal,
                                                                  const QDateTime &date, qint64 years);
};
