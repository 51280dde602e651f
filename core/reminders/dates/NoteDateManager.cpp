#include "core/reminders/dates/NoteDateManager.h"

#include "core/model/RemindCycle.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/DateNumberTransform.h"
#include "platform/base/Clock.h"
#include "platform/calendar/Calendar.h"
#include "platform/calendar/LocalTime.h"

#include <algorithm>
#include <optional>

// All computation runs on day numbers and wall-clock milliseconds; a candidate is turned into an instant
// (through LocalTime's cache) only to compare it with now, and into a QDateTime only once, for the result.

namespace {

enum class Unit
{
    Day,
    Month,
    Year
};

// Beyond this an interval leaves the calendar's range anyway.
constexpr qint64 maxInterval = 10000000;
constexpr int maxChosen = 64;
// Candidate searches start from a close estimate; this only stops a runaway search.
constexpr int maxSearchSteps = 256;

struct Now
{
    qint64 epoch;
    LocalTime::Moment local;

    static Now fromClock()
    {
        const qint64 e = Clock::nowMSecs();
        return {e, LocalTime::fromEpochMSecs(e)};
    }
};

struct Occurrence
{
    qint64 epoch = 0;
};

// Valid day numbers are those of years 1..9999; failed calendar arithmetic gives 0.
bool validDay(qint64 day)
{
    static const qint64 first = QDate(1, 1, 1).toJulianDay();
    static const qint64 last = QDate(9999, 12, 31).toJulianDay();
    return day >= first && day <= last;
}

qint64 addUnits(CalendarIdentifier cal, Unit unit, qint64 day, qint64 units)
{
    switch (unit) {
    case Unit::Day:
        return day + units;
    case Unit::Month:
        return Calendar::addMonthsToDay(cal, day, units);
    case Unit::Year:
        return Calendar::addYearsToDay(cal, day, units);
    }
    return 0;
}

// Units from one day to another, roughly; the search corrects it.
qint64 estimateUnits(CalendarIdentifier cal, Unit unit, qint64 fromDay, qint64 toDay)
{
    switch (unit) {
    case Unit::Day:
        return toDay - fromDay;
    case Unit::Month:
        if (cal == CalendarIdentifier::Gregorian) {
            const CalendarDate a = Calendar::dateOfDay(cal, fromDay), b = Calendar::dateOfDay(cal, toDay);
            return qint64(b.year - a.year) * 12 + (b.month - a.month);
        }
        return qint64((toDay - fromDay) / 29.530589);
    case Unit::Year:
        return qint64((toDay - fromDay) / 365.2425);
    }
    return 0;
}

// The first candidate dayOf(m), m >= minM, whose instant lies strictly after now. dayOf must not decrease
// with m. `estimate` is a guess of that m.
template <typename DayOf>
std::optional<Occurrence> firstAfterNow(DayOf dayOf, int msecsOfDay, qint64 minM, qint64 estimate,
                                        const Now &now)
{
    auto at = [&](qint64 m) -> std::optional<qint64> {
        const qint64 day = dayOf(m);
        if (!validDay(day))
            return std::nullopt;
        return LocalTime::toEpochMSecs(day, msecsOfDay);
    };
    qint64 m = std::max(minM, estimate);
    std::optional<qint64> e = at(m);
    if (!e)
        return std::nullopt;
    int steps = 0;
    if (*e > now.epoch) {
        while (m > minM && steps++ < maxSearchSteps) {
            const std::optional<qint64> before = at(m - 1);
            if (!before || *before <= now.epoch)
                break;
            --m;
            e = before;
        }
        return Occurrence{*e};
    }
    while (steps++ < maxSearchSteps) {
        e = at(++m);
        if (!e)
            return std::nullopt;
        if (*e > now.epoch)
            return Occurrence{*e};
    }
    return std::nullopt;
}

// The first X + m * k units (m >= minM, each added in one step from X) strictly after now.
std::optional<Occurrence> advance(CalendarIdentifier cal, Unit unit, LocalTime::Moment x, qint64 k,
                                  qint64 minM, const Now &now)
{
    k = std::clamp<qint64>(k, 1, maxInterval);
    const qint64 estimate = estimateUnits(cal, unit, x.julianDay, now.local.julianDay) / k;
    return firstAfterNow([&](qint64 m) { return addUnits(cal, unit, x.julianDay, m * k); }, x.msecsOfDay,
                         minM, estimate, now);
}

// Chosen values: ASCII decimal numbers separated by commas; anything else is skipped.
int parseChosen(const QString &specify, int low, int high, int *out)
{
    int count = 0;
    int value = 0;
    bool digits = false, junk = false;
    auto flush = [&] {
        if (digits && !junk && value >= low && value <= high && count < maxChosen)
            out[count++] = value;
        value = 0;
        digits = junk = false;
    };
    for (const QChar ch : specify) {
        const char16_t c = ch.unicode();
        if (c == u',') {
            flush();
        } else if (c >= u'0' && c <= u'9') {
            digits = true;
            value = std::min(value * 10 + (c - u'0'), 1000000);
        } else if (c != u' ') {
            junk = true;
        }
    }
    flush();
    return count;
}

std::optional<Occurrence> nextReal(CalendarIdentifier cal, const LocalTime::Moment &d, int type,
                                   qint64 interval, const QString &specify, const Now &now)
{
    if (type < RemindCycle::Day || type > RemindCycle::Year)
        return std::nullopt;
    const qint64 n = std::clamp<qint64>(interval, 1, maxInterval);
    if (type == RemindCycle::Day)
        return advance(cal, Unit::Day, d, n, 1, now);

    int chosen[maxChosen];
    int count = 0;
    if (!specify.isEmpty()) {
        if (type == RemindCycle::Week)
            count = parseChosen(specify, 1, 7, chosen);
        else if (type == RemindCycle::Year)
            count = parseChosen(specify, 1, 12, chosen);
        else
            count = parseChosen(specify, 1, 31, chosen);
    }
    if (count == 0) {
        switch (type) {
        case RemindCycle::Week:
            return advance(cal, Unit::Day, d, 7 * n, 1, now);
        case RemindCycle::Month:
            return advance(cal, Unit::Month, d, n, 1, now);
        case RemindCycle::Quarter:
            return advance(cal, Unit::Month, d, 3 * n, 1, now);
        default:
            return advance(cal, Unit::Year, d, n, 1, now);
        }
    }

    // Each value's own next occurrence after now; the earliest wins. A value after D's reference starts in
    // D's week/month/year; one not after it starts one step later.
    const CalendarDate date = Calendar::dateOfDay(cal, d.julianDay);
    std::optional<Occurrence> best;
    for (int i = 0; i < count; ++i) {
        const int v = chosen[i];
        std::optional<Occurrence> o;
        if (type == RemindCycle::Week) {
            const int r = Calendar::weekdayOfDay(d.julianDay);
            const LocalTime::Moment c{d.julianDay + (v - r), d.msecsOfDay};
            o = advance(cal, Unit::Day, c, 7 * n, v > r ? 0 : 1, now);
        } else if (type == RemindCycle::Month || type == RemindCycle::Quarter) {
            const qint64 k = type == RemindCycle::Month ? n : 3 * n;
            // In D's own month the day is replaced leniently (day 31 of a 30-day month is the 1st of the
            // next); later months take day v, or their last day when they are shorter.
            auto dayOf = [&](qint64 m) -> qint64 {
                if (m == 0)
                    return Calendar::dayOfDateLenient(cal, date.year, date.month, date.leap, v);
                const qint64 target = Calendar::addMonthsToDay(cal, d.julianDay, m * k);
                if (!validDay(target))
                    return 0;
                const CalendarDate t = Calendar::dateOfDay(cal, target);
                return Calendar::dayOfDatePinned(cal, t.year, t.month, t.leap, v);
            };
            const qint64 estimate = estimateUnits(cal, Unit::Month, d.julianDay, now.local.julianDay) / k;
            o = firstAfterNow(dayOf, d.msecsOfDay, v > date.day ? 0 : 1, estimate, now);
        } else {
            auto dayOf = [&](qint64 m) -> qint64 {
                if (m == 0)
                    return Calendar::dayOfDateLenient(cal, date.year, v, false, date.day);
                const qint64 year = date.year + m * n;
                if (year < 1 || year > 9999)
                    return 0;
                return Calendar::dayOfDatePinned(cal, int(year), v, false, date.day);
            };
            const qint64 estimate = estimateUnits(cal, Unit::Year, d.julianDay, now.local.julianDay) / n;
            o = firstAfterNow(dayOf, d.msecsOfDay, v > date.month ? 0 : 1, estimate, now);
        }
        if (o && (!best || o->epoch < best->epoch))
            best = o;
    }
    return best;
}

QDateTime toDateTime(const std::optional<Occurrence> &o)
{
    return o ? LocalTime::dateTimeFromEpochMSecs(o->epoch) : QDateTime();
}

bool knownCycle(int type)
{
    return type >= 0 && type <= 5;
}

// The first occurrence of the series that begins at `start` (the start itself is one) strictly after
// `after`. Every occurrence is counted from the start, so a day clamped in a short month never becomes
// the day of later ones.
std::optional<Occurrence> firstOfSeriesAfter(CalendarIdentifier cal, const QDateTime &start, int type,
                                             qint64 interval, const QString &specify, qint64 after)
{
    const qint64 startEpoch = LocalTime::epochMSecsOf(start);
    if (startEpoch > after)
        return Occurrence{startEpoch};
    return nextReal(cal, LocalTime::momentOf(start), type, interval, specify,
                    Now{after, LocalTime::fromEpochMSecs(after)});
}

// The next occurrence as an instant: D itself when it lies after now.
std::optional<Occurrence> nextOccurrence(CalendarIdentifier cal, const QDateTime &date, int type,
                                         qint64 interval, const QString &specify, const Now &now,
                                         bool &isDate)
{
    isDate = false;
    // Unknown cycle types have no occurrence at all, not even a start still ahead.
    if (!LocalTime::isUsable(date) || !knownCycle(type))
        return std::nullopt;
    const qint64 epoch = LocalTime::epochMSecsOf(date);
    if (epoch > now.epoch) {
        isDate = true;
        return Occurrence{epoch};
    }
    return nextReal(cal, LocalTime::momentOf(date), type, interval, specify, now);
}

QDateTime boundedNext(CalendarIdentifier cal, const QDateTime &date, int type, qint64 interval,
                      const QString &specify, const QDateTime &endDate, const Now &now)
{
    bool isDate = false;
    const std::optional<Occurrence> o = nextOccurrence(cal, date, type, interval, specify, now, isDate);
    if (!o)
        return {};
    if (LocalTime::isUsable(endDate) && o->epoch > LocalTime::epochMSecsOf(endDate))
        return {};
    return isDate ? LocalTime::resolved(date) : toDateTime(o);
}

QString twoDigits(int v)
{
    return QString::number(v).rightJustified(2, u'0');
}

} // namespace

CalendarIdentifier NoteDateManager::getCalendarIdentifierWithDateType(qint64 dateType)
{
    return dateType == 0 ? CalendarIdentifier::Gregorian : CalendarIdentifier::Chinese;
}

QDateTime NoteDateManager::nextRealDateWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                              int cycleType, qint64 interval,
                                                              const QString &specify)
{
    if (!LocalTime::isUsable(date))
        return {};
    return toDateTime(
        nextReal(cal, LocalTime::momentOf(date), cycleType, interval, specify, Now::fromClock()));
}

QDateTime NoteDateManager::nextDateWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                          int cycleType, qint64 interval,
                                                          const QString &specify)
{
    return boundedNext(cal, date, cycleType, interval, specify, QDateTime(), Now::fromClock());
}

QDateTime NoteDateManager::nextDateWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &startDate,
                                                          int cycleType, qint64 interval,
                                                          const QString &specify, const QDateTime &endDate)
{
    return boundedNext(cal, startDate, cycleType, interval, specify, endDate, Now::fromClock());
}

QDateTime NoteDateManager::getNowNextDateWithCalendarIdentifier(CalendarIdentifier cal,
                                                                const QDateTime &startDate, int cycleType,
                                                                qint64 interval, const QString &specify,
                                                                const QDateTime &endDate)
{
    // A start still ahead is the next time whatever the end date says; otherwise the same as above.
    return boundedNext(
        cal, startDate, cycleType, interval, specify,
        LocalTime::isUsable(startDate) && LocalTime::epochMSecsOf(startDate) > Clock::nowMSecs() ? QDateTime()
                                                                                                 : endDate,
        Now::fromClock());
}

QDateTime NoteDateManager::nextRealDateFromStartWithCalendarIdentifier(CalendarIdentifier cal,
                                                                       const QDateTime &startDate,
                                                                       const QDateTime &current,
                                                                       int cycleType, qint64 interval,
                                                                       const QString &specify)
{
    const bool hasStart = LocalTime::isUsable(startDate), hasCurrent = LocalTime::isUsable(current);
    if ((!hasStart && !hasCurrent) || cycleType < 1 || cycleType > 5)
        return {};
    const qint64 now = Clock::nowMSecs();
    const qint64 after = hasCurrent ? std::max(now, LocalTime::epochMSecsOf(current)) : now;
    return toDateTime(
        firstOfSeriesAfter(cal, hasStart ? startDate : current, cycleType, interval, specify, after));
}

QDateTime NoteDateManager::dueDateFromStartWithCalendarIdentifier(CalendarIdentifier cal,
                                                                  const QDateTime &startDate,
                                                                  const QDateTime &current, int cycleType,
                                                                  qint64 interval, const QString &specify,
                                                                  const QDateTime &endDate)
{
    const bool hasStart = LocalTime::isUsable(startDate), hasCurrent = LocalTime::isUsable(current);
    if ((!hasStart && !hasCurrent) || !knownCycle(cycleType))
        return {};
    const qint64 now = Clock::nowMSecs();
    std::optional<Occurrence> due;
    if (cycleType == 0) {
        const qint64 at = LocalTime::epochMSecsOf(hasCurrent ? current : startDate);
        if (at > now)
            due = Occurrence{at};
    } else {
        // The stored occurrence itself when it is one and still ahead, else the first one after it.
        const qint64 after = hasCurrent ? std::max(now, LocalTime::epochMSecsOf(current) - 1) : now;
        due = firstOfSeriesAfter(cal, hasStart ? startDate : current, cycleType, interval, specify, after);
    }
    if (!due || (LocalTime::isUsable(endDate) && due->epoch > LocalTime::epochMSecsOf(endDate)))
        return {};
    return toDateTime(due);
}

QDateTime NoteDateManager::getRealAfterDaysDateWithDate(const QDateTime &date, qint64 days)
{
    if (!LocalTime::isUsable(date))
        return {};
    return toDateTime(advance(CalendarIdentifier::Gregorian, Unit::Day, LocalTime::momentOf(date), days, 1,
                              Now::fromClock()));
}

QDateTime NoteDateManager::getRealAfterMonthsDateWithCalendarIdentifier(CalendarIdentifier cal,
                                                                        const QDateTime &date, qint64 months)
{
    if (!LocalTime::isUsable(date))
        return {};
    return toDateTime(advance(cal, Unit::Month, LocalTime::momentOf(date), months, 1, Now::fromClock()));
}

QDateTime NoteDateManager::getRealAfterYearsDateWithCalendarIdentifier(CalendarIdentifier cal,
                                                                       const QDateTime &date, qint64 years)
{
    if (!LocalTime::isUsable(date))
        return {};
    return toDateTime(advance(cal, Unit::Year, LocalTime::momentOf(date), years, 1, Now::fromClock()));
}

QDateTime NoteDateManager::getValidAfterDaysDateWithDate(const QDateTime &date, qint64 days)
{
    if (!LocalTime::isUsable(date))
        return {};
    return toDateTime(advance(CalendarIdentifier::Gregorian, Unit::Day, LocalTime::momentOf(date), days, 0,
                              Now::fromClock()));
}

QDateTime NoteDateManager::getValidAfterMonthsDateWithCalendarIdentifier(CalendarIdentifier cal,
                                                                         const QDateTime &date, qint64 months)
{
    if (!LocalTime::isUsable(date))
        return {};
    return toDateTime(advance(cal, Unit::Month, LocalTime::momentOf(date), months, 0, Now::fromClock()));
}

QDateTime NoteDateManager::getValidAfterYearsDateWithCalendarIdentifier(CalendarIdentifier cal,
                                                                        const QDateTime &date, qint64 years)
{
    if (!LocalTime::isUsable(date))
        return {};
    return toDateTime(advance(cal, Unit::Year, LocalTime::momentOf(date), years, 0, Now::fromClock()));
}

QString NoteDateManager::getValidStarDateTimeWithDate(const QDateTime &start, qint64 minute)
{
    if (!LocalTime::isUsable(start))
        return {};
    // Without a settings row the interval is 0; the smallest offered interval stands in for it.
    const qint64 n = minute < 1 ? 5 : minute;
    const qint64 now = Clock::nowMSecs();
    const qint64 startMs = LocalTime::epochMSecsOf(start);
    if (startMs > now)
        return DateManager::getStringFromDate(start);
    const qint64 elapsed = (now - startMs) / 60000;
    const qint64 ahead = n - elapsed % n;
    // Past years 1..9999 there is no next time; also keeps the sum below from overflowing.
    constexpr qint64 maxMinutes = qint64(10000) * 366 * 1440;
    if (ahead > maxMinutes)
        return {};
    return DateManager::getStringFromDate(LocalTime::dateTimeFromEpochMSecs(now + ahead * 60000));
}

QString NoteDateManager::showFormatTimeWithDateString(const QString &dateText, CalendarIdentifier cal)
{
    const QDateTime date = DateManager::getDateFromString(dateText);
    if (!LocalTime::isUsable(date))
        return {};
    const LocalTime::Moment m = LocalTime::momentOf(date);
    const Now now = Now::fromClock();
    const int secs = m.msecsOfDay / 1000;
    const QString time = twoDigits(secs / 3600) + u':' + twoDigits(secs / 60 % 60);
    if (m.julianDay == now.local.julianDay)
        return QStringLiteral("今天 ") + time;
    if (m.julianDay == now.local.julianDay + 1)
        return QStringLiteral("明天 ") + time;
    const CalendarDate d = Calendar::dateOfDay(cal, m.julianDay);
    const CalendarDate today = Calendar::dateOfDay(cal, now.local.julianDay);
    if (d.month == 1 || d.month == 2 || d.month == 11 || d.month == 12 || d.year != today.year)
        return DateManager::getShowDateWithCalendarIdentifier(cal, date);
    return DateManager::getShowMonthAndDayTimeWithCalendarIdentifier(cal, date) + u' ' + time;
}

QString NoteDateManager::showRemindInterval(qint64 interval, int cycleType)
{
    static const char *const units[] = {"天", "周", "月", "季度", "年"};
    if (cycleType < 1 || cycleType > 5)
        return {};
    const QString unit = QString::fromUtf8(units[cycleType - 1]);
    if (interval > 1)
        return QStringLiteral("每%1%2").arg(interval).arg(unit);
    return QStringLiteral("每") + unit;
}

QString NoteDateManager::showRemindSpecifyWithCalendarIdentifier(CalendarIdentifier cal,
                                                                 const QString &specify, int cycleType)
{
    if (cycleType != 2 && cycleType != 3 && cycleType != 5)
        return {};
    QStringList values;
    for (const QString &part : specify.split(u',', Qt::SkipEmptyParts)) {
        const QString v = part.trimmed();
        if (!v.isEmpty())
            values.append(v);
    }
    QString text;
    if (cycleType == 2) {
        text = DateNumberTransform::showChineseWeekWithNumberWeekArr(values).join(QStringLiteral("、"));
    } else if (cal == CalendarIdentifier::Chinese) {
        text =
            cycleType == 3
                ? DateNumberTransform::showChineseDayWithNumberDayArr(values).join(QStringLiteral("、"))
                : DateNumberTransform::showChineseMonthWithNumberMonthArr(values).join(QStringLiteral("、"));
    } else {
        const QString unit = cycleType == 3 ? QStringLiteral("号") : QStringLiteral("月");
        text = values.join(unit + QStringLiteral("、"));
        if (!text.isEmpty())
            text += unit;
    }
    return text.isEmpty() ? QString() : text;
}
