#include "notes/reminderwindow/presenter/RemindRepeatSummary.h"

#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"

bool RemindRepeatSummary::isPlain(const QString &specify, qint64 interval)
{
    return specify.isEmpty() && interval <= 1;
}

QString RemindRepeatSummary::text(CalendarIdentifier calendar, const QDateTime &start, int cycleType,
                                  qint64 interval, const QString &specify)
{
    return QStringLiteral("%1 %2 %3")
        .arg(DateManager::getShowDateWithCalendarIdentifier(calendar, start),
             NoteDateManager::showRemindInterval(interval, cycleType),
             NoteDateManager::showRemindSpecifyWithCalendarIdentifier(calendar, specify, cycleType));
}
