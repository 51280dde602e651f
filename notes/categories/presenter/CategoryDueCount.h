#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

class Context;
class DateRemind;

// Which categories have a due reminder (the red dot of a cell).
class CategoryDueCount
{
public:
    // Whether one reminder counts as due at `now`.
    static bool isDue(const DateRemind *remind, const QDateTime &now);
    // classId → number of due reminders among the category's notes, in one query.
    static QHash<QString, int> dueByCategory(Context *ctx, const QDateTime &now);
};
