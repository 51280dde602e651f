#pragma once

#include <QDateTime>
#include <QtGlobal>

// Fast conversion between instants and wall-clock time in the system time zone. Offsets are cached per day;
// days with a zone transition fall back to Qt's own conversion, so results always agree with QDateTime.
// The cache notices changes of the TZ environment variable.
class LocalTime
{
public:
    // A wall-clock moment: day number (QDate::toJulianDay) and milliseconds since local midnight.
    struct Moment
    {
        qint64 julianDay = 0;
        int msecsOfDay = 0;
    };

    // Milliseconds since the epoch of a wall-clock time. A time the spring change skips is moved on by the
    // gap's length (02:30 is 03:30); a time the autumn change repeats is its second pass (standard time).
    static qint64 toEpochMSecs(qint64 julianDay, int msecsOfDay);
    // The wall-clock moment of an instant.
    static Moment fromEpochMSecs(qint64 epochMSecs);
    // The wall-clock moment of a valid date-time, local or not.
    static Moment momentOf(const QDateTime &dt);
    // Milliseconds since the epoch of a date-time (valid, or local inside a gap), without Qt's slow
    // local-time path where the day has no change of offset.
    static qint64 epochMSecsOf(const QDateTime &dt);
    // A local date-time for an instant.
    static QDateTime dateTimeFromEpochMSecs(qint64 epochMSecs);
    // A usable date-time: a valid one as it is; a local one that Qt holds invalid only because its wall-clock
    // time falls into a daylight-saving gap moved on by the gap's length (02:30 becomes 03:30); else null.
    static QDateTime resolved(const QDateTime &dt);
    // True for a valid date-time and for a local one inside a gap (see resolved).
    static bool isUsable(const QDateTime &dt);
};
