#include "platform/calendar/ChineseCalendar.h"

#include "platform/calendar/ChineseCalendarTable.h"
#include "platform/calendar/DayNumbers.h"

#include <QDate>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

namespace {

using Table = ChineseCalendarTable;

// ICU counts Chinese years from 2637 BCE.
constexpr int icuYearOffset = 2637;
constexpr double msecsPerDay = 86400000.0;

using DayNumbers::floorDiv;
using DayNumbers::unixEpochDay;

// Months of all covered years before a year, so that a month has one serial number.
struct MonthSerials
{
    int before[Table::lastYear - Table::firstYear + 2];
    MonthSerials()
    {
        before[0] = 0;
        for (int y = Table::firstYear; y <= Table::lastYear; ++y)
            before[y - Table::firstYear + 1] = before[y - Table::firstYear] + Table::monthCount(y);
    }
    int total() const { return before[Table::lastYear - Table::firstYear + 1]; }
};

const MonthSerials &serials()
{
    static const MonthSerials s;
    return s;
}

int positionOf(int year, int month, bool leap)
{
    const int leapMonth = Table::leapMonth(year);
    if (leapMonth == 0 || month < leapMonth || (month == leapMonth && !leap))
        return month - 1;
    return month;
}

void monthAtPosition(int year, int position, int &month, bool &leap)
{
    const int leapMonth = Table::leapMonth(year);
    if (leapMonth == 0 || position < leapMonth) {
        month = position + 1;
        leap = false;
    } else if (position == leapMonth) {
        month = leapMonth;
        leap = true;
    } else {
        month = position;
        leap = false;
    }
}

// Normalises a month outside 1..12 into the neighbouring years.
void normaliseMonth(qint64 &year, qint64 &month)
{
    const qint64 carry = floorDiv(month - 1, 12);
    year += carry;
    month -= carry * 12;
}

// ICU's Chinese calendar, used only outside the table's years.
icu::Calendar *icuCalendar()
{
    thread_local std::unique_ptr<icu::Calendar> cal = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Calendar> c(icu::Calendar::createInstance(
            icu::TimeZone::getGMT()->clone(), icu::Locale("en@calendar=chinese"), status));
        if (U_FAILURE(status))
            c.reset();
        return c;
    }();
    return cal.get();
}

void icuSetDay(icu::Calendar *cal, qint64 julianDay)
{
    UErrorCode status = U_ZERO_ERROR;
    cal->setTime((double(julianDay - unixEpochDay) + 0.5) * msecsPerDay, status);
}

qint64 icuDay(icu::Calendar *cal)
{
    UErrorCode status = U_ZERO_ERROR;
    const double ms = cal->getTime(status);
    if (U_FAILURE(status))
        return 0;
    return qint64(std::floor(ms / msecsPerDay)) + unixEpochDay;
}

CalendarDate icuDateOfDay(qint64 julianDay)
{
    icu::Calendar *cal = icuCalendar();
    if (!cal)
        return {};
    icuSetDay(cal, julianDay);
    UErrorCode status = U_ZERO_ERROR;
    CalendarDate d;
    d.year = cal->get(UCAL_EXTENDED_YEAR, status) - icuYearOffset;
    d.month = cal->get(UCAL_MONTH, status) + 1;
    d.leap = cal->get(UCAL_IS_LEAP_MONTH, status) != 0;
    d.day = cal->get(UCAL_DATE, status);
    return U_FAILURE(status) ? CalendarDate{} : d;
}

// First day of a month by ICU, with its length; a leap flag that names no leap month means the ordinary one.
qint64 icuMonthStart(int year, int month, bool leap, int *length)
{
    icu::Calendar *cal = icuCalendar();
    if (!cal)
        return 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        cal->clear();
        cal->set(UCAL_EXTENDED_YEAR, year + icuYearOffset);
        cal->set(UCAL_MONTH, month - 1);
        cal->set(UCAL_IS_LEAP_MONTH, leap ? 1 : 0);
        cal->set(UCAL_DATE, 1);
        cal->set(UCAL_HOUR_OF_DAY, 12);
        UErrorCode status = U_ZERO_ERROR;
        const bool gotLeap = cal->get(UCAL_IS_LEAP_MONTH, status) != 0;
        if (leap && !gotLeap) {
            leap = false;
            continue;
        }
        if (length)
            *length = cal->getActualMaximum(UCAL_DATE, status);
        return icuDay(cal);
    }
    return 0;
}

} // namespace

bool ChineseCalendar::coversDay(qint64 julianDay)
{
    return julianDay >= Table::firstDay() && julianDay < Table::endDay();
}

CalendarDate ChineseCalendar::dateOfDay(qint64 julianDay)
{
    if (!coversDay(julianDay))
        return icuDateOfDay(julianDay);
    int year = QDate::fromJulianDay(julianDay).year();
    if (year > Table::lastYear || julianDay < Table::newYearDay(year))
        --year;
    int position = Table::monthCount(year) - 1;
    while (Table::monthStartDay(year, position) > julianDay)
        --position;
    CalendarDate d;
    d.year = year;
    monthAtPosition(year, position, d.month, d.leap);
    d.day = int(julianDay - Table::monthStartDay(year, position)) + 1;
    return d;
}

qint64 ChineseCalendar::dayOfDateLenient(int year, int month, bool leap, int day)
{
    qint64 y = year, m = month;
    normaliseMonth(y, m);
    if (y >= Table::firstYear && y <= Table::lastYear) {
        const int position = positionOf(int(y), int(m), leap);
        return Table::monthStartDay(int(y), position) + day - 1;
    }
    if (y < -1000000 || y > 1000000)
        return 0;
    return icuMonthStart(int(y), int(m), leap, nullptr) + day - 1;
}

qint64 ChineseCalendar::dayOfDatePinned(int year, int month, bool leap, int day)
{
    qint64 y = year, m = month;
    normaliseMonth(y, m);
    if (y >= Table::firstYear && y <= Table::lastYear) {
        const int position = positionOf(int(y), int(m), leap);
        const int length = Table::monthLength(int(y), position);
        return Table::monthStartDay(int(y), position) + std::clamp(day, 1, length) - 1;
    }
    if (y < -1000000 || y > 1000000)
        return 0;
    int length = 29;
    const qint64 start = icuMonthStart(int(y), int(m), leap, &length);
    return start + std::clamp(day, 1, length) - 1;
}

int ChineseCalendar::daysInMonth(int year, int month, bool leap)
{
    qint64 y = year, m = month;
    normaliseMonth(y, m);
    if (y >= Table::firstYear && y <= Table::lastYear)
        return Table::monthLength(int(y), positionOf(int(y), int(m), leap));
    if (y < -1000000 || y > 1000000)
        return 0;
    int length = 0;
    icuMonthStart(int(y), int(m), leap, &length);
    return length;
}

qint64 ChineseCalendar::addMonths(qint64 julianDay, qint64 months)
{
    // A step longer than the whole table leaves it anyway; checked first so the sum cannot overflow.
    if (coversDay(julianDay) && months > -serials().total() && months < serials().total()) {
        const CalendarDate d = dateOfDay(julianDay);
        const MonthSerials &s = serials();
        const qint64 serial =
            s.before[d.year - Table::firstYear] + positionOf(d.year, d.month, d.leap) + months;
        if (serial >= 0 && serial < s.total()) {
            const int *end = s.before + (Table::lastYear - Table::firstYear + 1);
            const int *it = std::upper_bound(s.before, end, int(serial)) - 1;
            const int year = Table::firstYear + int(it - s.before);
            const int position = int(serial - *it);
            return Table::monthStartDay(year, position) +
                   std::min(d.day, Table::monthLength(year, position)) - 1;
        }
    }
    icu::Calendar *cal = icuCalendar();
    if (!cal || months < INT_MIN || months > INT_MAX)
        return 0;
    icuSetDay(cal, julianDay);
    UErrorCode status = U_ZERO_ERROR;
    cal->add(UCAL_MONTH, int(months), status);
    return U_FAILURE(status) ? 0 : icuDay(cal);
}

qint64 ChineseCalendar::addYears(qint64 julianDay, qint64 years)
{
    const CalendarDate d = dateOfDay(julianDay);
    const qint64 year = d.year + years;
    if (year < -1000000 || year > 1000000)
        return 0;
    return dayOfDatePinned(int(year), d.month, d.leap, d.day);
}
