#pragma once

#include "platform/calendar/CalendarIdentifier.h"

#include <QDateTime>
#include <QString>

// How the date tab shows a repeat: a plain item of the repeat pop-up, or "自定义" with a summary line.
class RemindRepeatSummary
{
public:
    // A repeat without chosen values and with an interval of at most 1 is one of the plain items.
    static bool isPlain(const QString &specify, qint64 interval);
    // "<start> <repeat> <chosen values>", each part empty when there is none, e.g.
    // "2026年12月9日 10:15 每2周 周一、周三".
    static QString text(CalendarIdentifier calendar, const QDateTime &start, int cycleType, qint64 interval,
                        const QString &specify);
};
