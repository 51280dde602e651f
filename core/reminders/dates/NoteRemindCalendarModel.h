#pragma once

#include <QDateTime>

// One cell of the reminder window's month grid.
class NoteRemindCalendarModel
{
public:
    enum Position : uint
    {
        PreviousMonth = 0,
        ShownMonth = 1,
        NextMonth = 2
    };

    NoteRemindCalendarModel() = default;
    NoteRemindCalendarModel(const QDateTime &d, uint position) : date(d), ofMonthPosition(position) {}

    QDateTime date;
    // 0 previous month, 1 the shown month, 2 the next month.
    uint ofMonthPosition = ShownMonth;
};
