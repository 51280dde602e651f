#pragma once

#include <QDateTime>

#include <optional>

// The records' time filters as spans of local time around "now": 1 yesterday,
// 2 today, 3 this week, 4 last week (weeks from Monday, across a year's end),
// 5 this month, 6 last month (December in January). Worked out once per filter
// change, so that each record only compares its time.
class RecordDateRange
{
public:
    enum Range
    {
        All = 0,
        Yesterday,
        Today,
        ThisWeek,
        LastWeek,
        ThisMonth,
        LastMonth,
    };

    // [from, to) in milliseconds since the epoch; nothing for "all" or an unknown range.
    static std::optional<RecordDateRange> around(int range, const QDateTime &now);

    bool contains(qint64 msecs) const { return msecs >= m_from && msecs < m_to; }
    qint64 from() const { return m_from; }
    qint64 to() const { return m_to; }

private:
    RecordDateRange(qint64 from, qint64 to) : m_from(from), m_to(to) {}
    qint64 m_from;
    qint64 m_to;
};
