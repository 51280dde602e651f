#include "platform/notifications/UserNotificationRepeat.h"

#include <QtGlobal>

UserNotificationRepeat::UserNotificationRepeat(Unit unit, int count)
    : m_unit(unit), m_count(unit == Unit::None ? 0 : qMax(count, 1))
{
}

QDateTime UserNotificationRepeat::occurrence(const QDateTime &first, qint64 k) const
{
    if (!first.isValid() || k <= 0 || m_unit == Unit::None)
        return first;
    const qint64 steps = k * m_count;
    const QDateTime local = first.toLocalTime();
    switch (m_unit) {
    case Unit::None:
        break;
    case Unit::Minute:
        return first.addSecs(steps * 60);
    case Unit::Day:
        return local.addDays(steps);
    case Unit::Month:
        return local.addMonths(int(qMin<qint64>(steps, 12 * 100000)));
    case Unit::Year:
        return local.addYears(int(qMin<qint64>(steps, 100000)));
    }
    return first;
}

QDateTime UserNotificationRepeat::nextOccurrenceAfter(const QDateTime &first, const QDateTime &after) const
{
    if (!first.isValid())
        return {};
    if (!after.isValid() || first > after)
        return first;
    if (m_unit == Unit::None)
        return {};

    // A first guess from the distance in whole units, then corrected by a few
    // steps: month ends and daylight-saving changes move occurrences by less
    // than one step, so the guess is never far off.
    qint64 units = 0;
    const QDateTime f = first.toLocalTime();
    const QDateTime a = after.toLocalTime();
    switch (m_unit) {
    case Unit::None:
        break;
    case Unit::Minute:
        units = first.secsTo(after) / 60;
        break;
    case Unit::Day:
        units = f.date().daysTo(a.date());
        break;
    case Unit::Month:
        units = qint64(a.date().year() - f.date().year()) * 12 + (a.date().month() - f.date().month());
        break;
    case Unit::Year:
        units = a.date().year() - f.date().year();
        break;
    }
    qint64 k = qMax<qint64>(units / m_count, 0);
    while (k > 0 && occurrence(first, k) > after)
        --k;
    for (int guard = 0; guard < 1000; ++guard, ++k) {
        const QDateTime next = occurrence(first, k);
        if (!next.isValid())
            return {};
        if (next > after)
            return next;
    }
    return {};
}
