#include "core/reminders/dates/RecordTimeRange.h"

#include "platform/calendar/LocalTime.h"

#include <QDate>

namespace {

qint64 startOf(const QDate &day)
{
    return LocalTime::toEpochMSecs(day.toJulianDay(), 0);
}

} // namespace

RecordTimeRange RecordTimeRange::forType(int type, const QDateTime &now)
{
    RecordTimeRange r;
    if (type == All) {
        r.m_all = true;
        return r;
    }
    if (!now.isValid())
        return r;
    const LocalTime::Moment m = LocalTime::momentOf(now);
    const QDate today = QDate::fromJulianDay(m.julianDay);
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    const QDate firstOfMonth(today.year(), today.month(), 1);
    QDate from, to;
    switch (type) {
    case Yesterday:
        from = today.addDays(-1), to = today;
        break;
    case Today:
        from = today, to = today.addDays(1);
        break;
    case ThisWeek:
        from = monday, to = monday.addDays(7);
        break;
    case LastWeek:
        from = monday.addDays(-7), to = monday;
        break;
    case ThisMonth:
        from = firstOfMonth, to = firstOfMonth.addMonths(1);
        break;
    case LastMonth:
        from = firstOfMonth.addMonths(-1), to = firstOfMonth;
        break;
    default:
        return r;
    }
    r.m_begin = startOf(from);
    r.m_end = startOf(to);
    return r;
}
