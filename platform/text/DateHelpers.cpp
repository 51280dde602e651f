#include "platform/text/DateHelpers.h"

#include "platform/base/Clock.h"

namespace {

QDate mondayOf(const QDate &d)
{
    return d.addDays(1 - d.dayOfWeek());
}

QDate localDate(const QDateTime &dt)
{
    return dt.toLocalTime().date();
}

int monthIndex(const QDate &d)
{
    return d.year() * 12 + d.month();
}

} // namespace

bool lp_isSameWeekFromToday(const QDateTime &date)
{
    if (!date.isValid())
        return false;
    return mondayOf(localDate(date)) == mondayOf(localDate(Clock::now()));
}

bool lp_isLastWeekFromToday(const QDateTime &date)
{
    if (!date.isValid())
        return false;
    return mondayOf(localDate(date)) == mondayOf(localDate(Clock::now())).addDays(-7);
}

bool lp_isSameMonthFromToday(const QDateTime &date)
{
    if (!date.isValid())
        return false;
    return monthIndex(localDate(date)) == monthIndex(localDate(Clock::now()));
}

bool lp_isLastMonthFromToday(const QDateTime &date)
{
    if (!date.isValid())
        return false;
    return monthIndex(localDate(date)) + 1 == monthIndex(localDate(Clock::now()));
}
