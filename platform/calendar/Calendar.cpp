#include "platform/calendar/Calendar.h"

#include "platform/calendar/ChineseCalendar.h"
#include "platform/calendar/DayNumbers.h"
#include "platform/calendar/LocalTime.h"

#include <QDate>

#include <algorithm>
#include <climits>

namespace {

constexpr qint64 msecsPerDay = 86400000;
// Years 1..9999: anything outside is a failed computation, not a date.
const qint64 firstValidDay = QDate(1, 1, 1).toJulianDay();
const qint64 lastValidDay = QDate(9999, 12, 31).toJulianDay();

using DayNumbers::floorDiv;

bool validDay(qint64 day)
{
    return day >= firstValidDay && day <= lastValidDay;
}

QDateTime makeDateTime(qint64 day, qint64 msecsOfDay)
{
    day += floorDiv(msecsOfDay, msecsPerDay);
    msecsOfDay -= floorDiv(msecsOfDay, msecsPerDay) * msecsPerDay;
    if (!validDay(day))
        return {};
    return LocalTime::dateTimeFromEpochMSecs(LocalTime::toEpochMSecs(day, int(msecsOfDay)));
}

bool normaliseGregorian(qint64 &year, qint64 &month)
{
    const qint64 carry = floorDiv(month - 1, 12);
    year += carry;
    month -= carry * 12;
    return year >= 1 && year <= 9999;
}

// Wall-clock order of two moments.
bool notAfter(qint64 dayA, int msA, qint64 dayB, int msB)
{
    return dayA < dayB || (dayA == dayB && msA <= msB);
}

// The whole number of steps from one moment to another: the largest n >= 0 with from + n steps <= to, or,
// going backwards, minus the largest n with from - n steps >= to. `estimate` is a guess of the answer.
template <typename Add>
qint64 wholeSteps(qint64 fromDay, int fromMs, qint64 toDay, int toMs, qint64 estimate, Add add)
{
    if (notAfter(fromDay, fromMs, toDay, toMs)) {
        qint64 n = std::max<qint64>(estimate, 0);
        while (n > 0 && !notAfter(add(fromDay, n), fromMs, toDay, toMs))
            --n;
        while (notAfter(add(fromDay, n + 1), fromMs, toDay, toMs) && validDay(add(fromDay, n + 1)))
            ++n;
        return n;
    }
    qint64 n = std::max<qint64>(-estimate, 0);
    while (n > 0 && !notAfter(toDay, toMs, add(fromDay, -n), fromMs))
        --n;
    while (notAfter(toDay, toMs, add(fromDay, -(n + 1)), fromMs) && validDay(add(fromDay, -(n + 1))))
        ++n;
    return -n;
}

} // namespace

CalendarDate Calendar::dateOfDay(CalendarIdentifier cal, qint64 julianDay)
{
    if (cal == CalendarIdentifier::Chinese)
        return ChineseCalendar::dateOfDay(julianDay);
    int y = 0, m = 0, d = 0;
    QDate::fromJulianDay(julianDay).getDate(&y, &m, &d);
    return {y, m, false, d};
}

qint64 Calendar::dayOfDateLenient(CalendarIdentifier cal, int year, int month, bool leap, int day)
{
    if (cal == CalendarIdentifier::Chinese)
        return ChineseCalendar::dayOfDateLenient(year, month, leap, day);
    qint64 y = year, m = month;
    if (!normaliseGregorian(y, m))
        return 0;
    return QDate(int(y), int(m), 1).toJulianDay() + day - 1;
}

qint64 Calendar::dayOfDatePinned(CalendarIdentifier cal, int year, int month, bool leap, int day)
{
    if (cal == CalendarIdentifier::Chinese)
        return ChineseCalendar::dayOfDatePinned(year, month, leap, day);
    qint64 y = year, m = month;
    if (!normaliseGregorian(y, m))
        return 0;
    const QDate first(int(y), int(m), 1);
    return first.toJulianDay() + std::clamp(day, 1, first.daysInMonth()) - 1;
}

qint64 Calendar::addMonthsToDay(CalendarIdentifier cal, qint64 julianDay, qint64 months)
{
    if (cal == CalendarIdentifier::Chinese)
        return ChineseCalendar::addMonths(julianDay, months);
    if (months < -120000 || months > 120000)
        return 0;
    const QDate d = QDate::fromJulianDay(julianDay).addMonths(int(months));
    return d.isValid() ? d.toJulianDay() : 0;
}

qint64 Calendar::addYearsToDay(CalendarIdentifier cal, qint64 julianDay, qint64 years)
{
    if (cal == CalendarIdentifier::Chinese)
        return ChineseCalendar::addYears(julianDay, years);
    if (years < -10000 || years > 10000)
        return 0;
    const QDate d = QDate::fromJulianDay(julianDay).addYears(int(years));
    return d.isValid() ? d.toJulianDay() : 0;
}

int Calendar::daysInMonth(CalendarIdentifier cal, int year, int month, bool leap)
{
    if (cal == CalendarIdentifier::Chinese)
        return ChineseCalendar::daysInMonth(year, month, leap);
    qint64 y = year, m = month;
    if (!normaliseGregorian(y, m))
        return 0;
    return QDate(int(y), int(m), 1).daysInMonth();
}

int Calendar::weekdayOfDay(qint64 julianDay)
{
    return QDate::fromJulianDay(julianDay).dayOfWeek();
}

qint64 Calendar::wholeMonthsBetween(CalendarIdentifier cal, qint64 fromDay, int fromMSecs, qint64 toDay,
                                    int toMSecs)
{
    qint64 estimate;
    if (cal == CalendarIdentifier::Gregorian) {
        const CalendarDate a = dateOfDay(cal, fromDay), b = dateOfDay(cal, toDay);
        estimate = qint64(b.year - a.year) * 12 + (b.month - a.month);
    } else {
        estimate = qint64((toDay - fromDay) / 29.530589);
    }
    return wholeSteps(fromDay, fromMSecs, toDay, toMSecs, estimate,
                      [cal](qint64 day, qint64 n) { return addMonthsToDay(cal, day, n); });
}

qint64 Calendar::wholeYearsBetween(CalendarIdentifier cal, qint64 fromDay, int fromMSecs, qint64 toDay,
                                   int toMSecs)
{
    const CalendarDate a = dateOfDay(cal, fromDay), b = dateOfDay(cal, toDay);
    return wholeSteps(fromDay, fromMSecs, toDay, toMSecs, qint64(b.year) - a.year,
                      [cal](qint64 day, qint64 n) { return addYearsToDay(cal, day, n); });
}

DateComponents Calendar::components(CalendarIdentifier cal, const QDateTime &dt)
{
    if (!LocalTime::isUsable(dt))
        return {};
    const LocalTime::Moment m = LocalTime::momentOf(dt);
    const CalendarDate d = dateOfDay(cal, m.julianDay);
    const int secs = m.msecsOfDay / 1000;
    return {d.year, d.month, d.day, secs / 3600, secs / 60 % 60, secs % 60, d.leap};
}

QDateTime Calendar::dateFromComponents(CalendarIdentifier cal, const DateComponents &c)
{
    const qint64 day = dayOfDateLenient(cal, c.year, c.month, c.leapMonth, c.day);
    if (!validDay(day))
        return {};
    const qint64 msecs = (qint64(c.hour) * 3600 + qint64(c.minute) * 60 + c.second) * 1000;
    return makeDateTime(day, msecs);
}

QDateTime Calendar::replacingDay(CalendarIdentifier cal, const QDateTime &dt, int day)
{
    if (!LocalTime::isUsable(dt))
        return {};
    const LocalTime::Moment m = LocalTime::momentOf(dt);
    const CalendarDate d = dateOfDay(cal, m.julianDay);
    return makeDateTime(dayOfDateLenient(cal, d.year, d.month, d.leap, day), m.msecsOfDay);
}

QDateTime Calendar::replacingMonth(CalendarIdentifier cal, const QDateTime &dt, int month)
{
    if (!LocalTime::isUsable(dt))
        return {};
    const LocalTime::Moment m = LocalTime::momentOf(dt);
    const CalendarDate d = dateOfDay(cal, m.julianDay);
    return makeDateTime(dayOfDateLenient(cal, d.year, month, false, d.day), m.msecsOfDay);
}

QDateTime Calendar::addingDays(const QDateTime &dt, qint64 days)
{
    if (!LocalTime::isUsable(dt) || days < -lastValidDay || days > lastValidDay)
        return {};
    const LocalTime::Moment m = LocalTime::momentOf(dt);
    return makeDateTime(m.julianDay + days, m.msecsOfDay);
}

QDateTime Calendar::addingMonths(CalendarIdentifier cal, const QDateTime &dt, qint64 months)
{
    if (!LocalTime::isUsable(dt))
        return {};
    const LocalTime::Moment m = LocalTime::momentOf(dt);
    return makeDateTime(addMonthsToDay(cal, m.julianDay, months), m.msecsOfDay);
}

QDateTime Calendar::addingYears(CalendarIdentifier cal, const QDateTime &dt, qint64 years)
{
    if (!LocalTime::isUsable(dt))
        return {};
    const LocalTime::Moment m = LocalTime::momentOf(dt);
    return makeDateTime(addYearsToDay(cal, m.julianDay, years), m.msecsOfDay);
}

int Calendar::daysInMonth(CalendarIdentifier cal, const QDateTime &dt)
{
    if (!LocalTime::isUsable(dt))
        return 0;
    const CalendarDate d = dateOfDay(cal, LocalTime::momentOf(dt).julianDay);
    return daysInMonth(cal, d.year, d.month, d.leap);
}

qint64 Calendar::wholeUnitsBetween(CalendarIdentifier cal, CalendarUnit unit, const QDateTime &from,
                                   const QDateTime &to)
{
    if (!LocalTime::isUsable(from) || !LocalTime::isUsable(to))
        return 0;
    const LocalTime::Moment a = LocalTime::momentOf(from), b = LocalTime::momentOf(to);
    switch (unit) {
    case CalendarUnit::Year:
        return wholeYearsBetween(cal, a.julianDay, a.msecsOfDay, b.julianDay, b.msecsOfDay);
    case CalendarUnit::Month:
        return wholeMonthsBetween(cal, a.julianDay, a.msecsOfDay, b.julianDay, b.msecsOfDay);
    case CalendarUnit::Day:
        return wholeSteps(a.julianDay, a.msecsOfDay, b.julianDay, b.msecsOfDay, b.julianDay - a.julianDay,
                          [](qint64 day, qint64 n) { return day + n; });
    case CalendarUnit::Hour:
        return (LocalTime::epochMSecsOf(to) - LocalTime::epochMSecsOf(from)) / 3600000;
    case CalendarUnit::Minute:
        return (LocalTime::epochMSecsOf(to) - LocalTime::epochMSecsOf(from)) / 60000;
    case CalendarUnit::Second:
        return (LocalTime::epochMSecsOf(to) - LocalTime::epochMSecsOf(from)) / 1000;
    }
    return 0;
}

DateComponents Calendar::difference(CalendarIdentifier cal, CalendarUnits units, const QDateTime &from,
                                    const QDateTime &to)
{
    DateComponents c;
    if (!LocalTime::isUsable(from) || !LocalTime::isUsable(to))
        return c;
    QDateTime cursor = from;
    auto clampInt = [](qint64 v) { return int(std::clamp<qint64>(v, INT_MIN, INT_MAX)); };
    if (units & CalendarUnit::Year) {
        c.year = clampInt(wholeUnitsBetween(cal, CalendarUnit::Year, cursor, to));
        cursor = addingYears(cal, cursor, c.year);
    }
    if (units & CalendarUnit::Month) {
        c.month = clampInt(wholeUnitsBetween(cal, CalendarUnit::Month, cursor, to));
        cursor = addingMonths(cal, cursor, c.month);
    }
    if (units & CalendarUnit::Day) {
        c.day = clampInt(wholeUnitsBetween(cal, CalendarUnit::Day, cursor, to));
        cursor = addingDays(cursor, c.day);
    }
    if (!cursor.isValid())
        return c;
    qint64 rest = LocalTime::epochMSecsOf(to) - LocalTime::epochMSecsOf(cursor);
    if (units & CalendarUnit::Hour) {
        c.hour = clampInt(rest / 3600000);
        rest -= qint64(c.hour) * 3600000;
    }
    if (units & CalendarUnit::Minute) {
        c.minute = clampInt(rest / 60000);
        rest -= qint64(c.minute) * 60000;
    }
    if (units & CalendarUnit::Second)
        c.second = clampInt(rest / 1000);
    return c;
}

int Calendar::weekday(const QDateTime &dt)
{
    if (!LocalTime::isUsable(dt))
        return 0;
    return weekdayOfDay(LocalTime::momentOf(dt).julianDay);
}
