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

    // Milliseconds since the epoch of a wall-clock time (gaps and overlaps resolved as QDateTime does).
    static qint64 toEpochMSecs(qint64 julianDay, int msecsOfDay);
    // The wall-clock moment of an instant.
    static Moment fromEpochMSecs(qint64 epochMSecs);
    // The wall-clock moment of a valid date-time, local or not.
    static Moment momentOf(const QDateTime &dt);
    // Milliseconds since the epoch of a valid date-time, without Qt's slow local-time path.
    static qint64 epochMSecsOf(const QDateTime &dt);
    // A local date-time for an instant.
    static QDateTime dateTimeFromEpochMSecs(qint64 epochMSecs);
};
