#include "platform/calendar/LocalTime.h"

#include "platform/calendar/DayNumbers.h"

#include <QTimeZone>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr qint64 msecsPerDay = 86400000;

using DayNumbers::floorDiv;
using DayNumbers::unixEpochDay;

// Per-day offsets from UTC, direct-mapped by day number. `constant` is false for days that hold a zone
// transition; those take Qt's path every time.
struct DayOffset
{
    qint64 day = LLONG_MIN;
    int offsetMSecs = 0;
    bool constant = false;
};

constexpr int cacheSize = 4096;

struct Cache
{
    DayOffset local[cacheSize];
    DayOffset utc[cacheSize];
    char zone[256] = {};
    bool zoneSet = false;

    // Drops everything when the TZ variable changed since the last call.
    void check()
    {
        const char *tz = std::getenv("TZ");
        const bool set = tz != nullptr;
        if (set == zoneSet && (!set || std::strncmp(tz, zone, sizeof zone) == 0))
            return;
        zoneSet = set;
        if (set) {
            std::strncpy(zone, tz, sizeof zone - 1);
            zone[sizeof zone - 1] = '\0';
        }
        for (DayOffset &d : local)
            d = DayOffset();
        for (DayOffset &d : utc)
            d = DayOffset();
    }
};

Cache &cache()
{
    thread_local Cache c;
    c.check();
    return c;
}

// The zone's offset from UTC at an instant, in milliseconds.
int offsetAtInstant(qint64 epochMSecs)
{
    return QDateTime::fromMSecsSinceEpoch(epochMSecs).offsetFromUtc() * 1000;
}

// A local day is constant when the zone's offset does not change anywhere near it: every instant whose
// wall clock lies on that day is within 14 hours of the day read as UTC. Instants only, because Qt's
// reading of a wall-clock time near a change depends on the C library's state.
const DayOffset &localDay(Cache &c, qint64 day)
{
    DayOffset &e = c.local[quint64(day) % cacheSize];
    if (e.day != day) {
        e.day = day;
        const qint64 start = (day - unixEpochDay) * msecsPerDay;
        constexpr qint64 reach = 14 * 3600000LL;
        const int a = offsetAtInstant(start - reach);
        const int b = offsetAtInstant(start + msecsPerDay / 2);
        const int d = offsetAtInstant(start + msecsPerDay + reach);
        e.offsetMSecs = b;
        e.constant = a == b && b == d;
    }
    return e;
}

const DayOffset &utcDay(Cache &c, qint64 day)
{
    DayOffset &e = c.utc[quint64(day) % cacheSize];
    if (e.day != day) {
        e.day = day;
        const qint64 start = (day - unixEpochDay) * msecsPerDay;
        const int a = QDateTime::fromMSecsSinceEpoch(start).offsetFromUtc() * 1000;
        const int b = QDateTime::fromMSecsSinceEpoch(start + msecsPerDay / 2).offsetFromUtc() * 1000;
        const int d = QDateTime::fromMSecsSinceEpoch(start + msecsPerDay - 1).offsetFromUtc() * 1000;
        e.offsetMSecs = a;
        e.constant = a == b && b == d;
    }
    return e;
}

} // namespace

qint64 LocalTime::toEpochMSecs(qint64 julianDay, int msecsOfDay)
{
    Cache &c = cache();
    const DayOffset &e = localDay(c, julianDay);
    const qint64 asUtc = (julianDay - unixEpochDay) * msecsPerDay + msecsOfDay;
    if (e.constant)
        return asUtc - e.offsetMSecs;
    // A day with a change. Qt's own reading of such a wall-clock time depends on what the C library read
    // last, so decide here: an instant fits when the zone's offset at it is the one it was made with. Of two
    // fits (the repeated hour) the later pass counts; with none (the skipped hour) the offset in force before
    // the change moves the time as far past the gap's end as it lies past its start (02:30 becomes 03:30).
    const int before = offsetAtInstant(asUtc - msecsPerDay);
    const int after = offsetAtInstant(asUtc + msecsPerDay);
    const int tries[] = {before, after, offsetAtInstant(asUtc - before), offsetAtInstant(asUtc - after)};
    qint64 best = LLONG_MIN;
    for (const int offset : tries) {
        const qint64 candidate = asUtc - offset;
        if (offsetAtInstant(candidate) == offset && candidate > best)
            best = candidate;
    }
    return best != LLONG_MIN ? best : asUtc - before;
}

LocalTime::Moment LocalTime::fromEpochMSecs(qint64 epochMSecs)
{
    Cache &c = cache();
    const DayOffset &e = utcDay(c, floorDiv(epochMSecs, msecsPerDay) + unixEpochDay);
    if (e.constant) {
        const qint64 local = epochMSecs + e.offsetMSecs;
        const qint64 day = floorDiv(local, msecsPerDay);
        return {day + unixEpochDay, int(local - day * msecsPerDay)};
    }
    const QDateTime dt = QDateTime::fromMSecsSinceEpoch(epochMSecs);
    return {dt.date().toJulianDay(), dt.time().msecsSinceStartOfDay()};
}

LocalTime::Moment LocalTime::momentOf(const QDateTime &dt)
{
    if (dt.timeSpec() == Qt::LocalTime)
        return {dt.date().toJulianDay(), dt.time().msecsSinceStartOfDay()};
    return fromEpochMSecs(dt.toMSecsSinceEpoch());
}

qint64 LocalTime::epochMSecsOf(const QDateTime &dt)
{
    if (dt.timeSpec() != Qt::LocalTime)
        return dt.toMSecsSinceEpoch();
    const qint64 day = dt.date().toJulianDay();
    const int msecs = dt.time().msecsSinceStartOfDay();
    // On a day with a change the wall clock alone does not name the instant (the repeated hour has two);
    // the date-time itself knows which pass it is.
    if (dt.isValid() && !localDay(cache(), day).constant)
        return dt.toMSecsSinceEpoch();
    return toEpochMSecs(day, msecs);
}

QDateTime LocalTime::dateTimeFromEpochMSecs(qint64 epochMSecs)
{
    return QDateTime::fromMSecsSinceEpoch(epochMSecs);
}

bool LocalTime::isUsable(const QDateTime &dt)
{
    return dt.isValid() || (dt.timeSpec() == Qt::LocalTime && dt.date().isValid() && dt.time().isValid());
}

QDateTime LocalTime::resolved(const QDateTime &dt)
{
    if (dt.isValid())
        return dt;
    if (!isUsable(dt))
        return {};
    return dateTimeFromEpochMSecs(toEpochMSecs(dt.date().toJulianDay(), dt.time().msecsSinceStartOfDay()));
}
