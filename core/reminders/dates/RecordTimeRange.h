#pragma once

#include <QDateTime>
#include <QtGlobal>

// The records pane's time filter as an interval of instants, so that a list can test
// thousands of parsed record times (DateTextCache) without making dates. Days, weeks
// (Monday to Sunday) and months are the local calendar's around `now`; a week or
// month is compared as a whole, across a year's end too.
class RecordTimeRange
{
public:
    enum Type
    {
        All = 0,
        Yesterday = 1,
        Today = 2,
        ThisWeek = 3,
        LastWeek = 4,
        ThisMonth = 5,
        LastMonth = 6,
    };

    // The range of a filter (the time pop-up's index); an unknown index keeps nothing.
    static RecordTimeRange forType(int type, const QDateTime &now);

    bool isAll() const { return m_all; }
    // [begin, end) in milliseconds since the epoch; empty when nothing passes.
    qint64 begin() const { return m_begin; }
    qint64 end() const { return m_end; }
    bool contains(qint64 msecs) const { return m_all || (msecs >= m_begin && msecs < m_end); }
    bool operator==(const RecordTimeRange &) const = default;

private:
    bool m_all = false;
    qint64 m_begin = 0;
    qint64 m_end = 0;
};
