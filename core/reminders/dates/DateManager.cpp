#include "core/reminders/dates/DateManager.h"

#include "core/reminders/dates/CalendarManager.h"
#include "core/reminders/dates/DateNumberTransform.h"
#include "platform/calendar/Calendar.h"
#include "platform/calendar/LocalTime.h"

#include <QLocale>

namespace {

constexpr auto Gregorian = CalendarIdentifier::Gregorian;

QString twoDigits(int v)
{
    return QString::number(v).rightJustified(2, u'0');
}

// Formats by hand: QString::number never uses the user's locale, so texts are the same everywhere.
QString dateText(const QDateTime &date, bool withSeconds)
{
    if (!LocalTime::isUsable(date))
        return {};
    const DateComponents c = Calendar::components(Gregorian, LocalTime::resolved(date));
    // "yyyy" holds years 1..9999 only; a longer or negative year would never read back.
    if (c.year < 1 || c.year > 9999)
        return {};
    QString s = QString::number(c.year).rightJustified(4, u'0') + u'/' + QString::number(c.month) + u'/' +
                QString::number(c.day) + u' ' + QString::number(c.hour) + u':' + twoDigits(c.minute);
    if (withSeconds)
        s += u':' + twoDigits(c.second);
    return s;
}

// Reads an ASCII number of minDigits..maxDigits digits at pos.
bool readNumber(const QString &text, qsizetype &pos, int minDigits, int maxDigits, int &value)
{
    value = 0;
    int digits = 0;
    while (pos < text.size() && digits < maxDigits) {
        const char16_t ch = text.at(pos).unicode();
        if (ch < u'0' || ch > u'9')
            break;
        value = value * 10 + (ch - u'0');
        ++pos;
        ++digits;
    }
    return digits >= minDigits;
}

bool readChar(const QString &text, qsizetype &pos, char16_t ch)
{
    if (pos >= text.size() || text.at(pos).unicode() != ch)
        return false;
    ++pos;
    return true;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

QString DateManager::getStringFromDate(const QDateTime &date)
{
    return dateText(date, true);
}

QString DateManager::getNoSecondDateStringFromDate(const QDateTime &date)
{
    return dateText(date, false);
}

QDateTime DateManager::getDateFromString(const QString &text)
{
    // "yyyy/M/d H:mm:ss", or "yyyy/M/d H:mm"; nothing else.
    qsizetype pos = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!readNumber(text, pos, 4, 4, y) || !readChar(text, pos, u'/') || !readNumber(text, pos, 1, 2, mo) ||
        !readChar(text, pos, u'/') || !readNumber(text, pos, 1, 2, d) || !readChar(text, pos, u' ') ||
        !readNumber(text, pos, 1, 2, h) || !readChar(text, pos, u':') || !readNumber(text, pos, 2, 2, mi))
        return {};
    if (pos < text.size() && (!readChar(text, pos, u':') || !readNumber(text, pos, 2, 2, s)))
        return {};
    if (pos != text.size())
        return {};
    const QDate date(y, mo, d);
    const QTime time(h, mi, s);
    if (!date.isValid() || !time.isValid())
        return {};
    // Through LocalTime, not QDateTime(date, time): Qt's pick of a pass of the repeated autumn hour depends
    // on the C library's state. A time the spring change skips reads as far past the change (2:30 as 3:30).
    return LocalTime::dateTimeFromEpochMSecs(
        LocalTime::toEpochMSecs(date.toJulianDay(), time.msecsSinceStartOfDay()));
}

int DateManager::compareFromDate(const QDateTime &a, const QDateTime &b)
{
    if (!a.isValid() || !b.isValid())
        return a.isValid() ? 1 : (b.isValid() ? -1 : 0);
    const qint64 x = LocalTime::epochMSecsOf(a), y = LocalTime::epochMSecsOf(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

namespace {

// date + secsPerUnit * units seconds; null when that leaves the range of dates.
QDateTime addFixedSeconds(const QDateTime &date, qint64 units, qint64 secsPerUnit)
{
    constexpr qint64 limit = qint64(10000) * 366 * 86400; // more than the whole range of years 1..9999
    if (!date.isValid() || units > limit / secsPerUnit || units < -limit / secsPerUnit)
        return {};
    return date.addSecs(units * secsPerUnit);
}

} // namespace

QDateTime DateManager::getAfterHourWithDate(const QDateTime &date, qint64 hours)
{
    return addFixedSeconds(date, hours, 3600);
}

QDateTime DateManager::getAfterDaysWithDate(const QDateTime &date, qint64 days)
{
    return addFixedSeconds(date, days, 86400);
}

QDateTime DateManager::getAfterMonthWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                           qint64 months)
{
    return Calendar::addingMonths(cal, date, months);
}

qint64 DateManager::getIntervalDaysFromDate(const QDateTime &a, const QDateTime &b)
{
    if (!a.isValid() || !b.isValid())
        return 0;
    return (LocalTime::epochMSecsOf(b) / 1000 - LocalTime::epochMSecsOf(a) / 1000) / 86400;
}

int DateManager::getDaysWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date)
{
    return Calendar::daysInMonth(cal, date);
}

int DateManager::getYearWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date)
{
    return Calendar::components(cal, date).year;
}

int DateManager::getMonthWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date)
{
    return Calendar::components(cal, date).month;
}

int DateManager::getDayWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date)
{
    return Calendar::components(cal, date).day;
}

DateComponents DateManager::getDateComponentWithCalendarIdentifier(CalendarIdentifier cal,
                                                                   const QDateTime &date)
{
    return Calendar::components(cal, date);
}

QDateTime DateManager::getADayWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date, int day)
{
    return Calendar::replacingDay(cal, date, day);
}

QDateTime DateManager::getAMonthWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                       int month)
{
    return Calendar::replacingMonth(cal, date, month);
}

QDateTime DateManager::getAHourAndMinuteWithDate(const QDateTime &date, int hour, int minute)
{
    if (!date.isValid())
        return {};
    DateComponents c = Calendar::components(Gregorian, date);
    c.hour = hour;
    c.minute = minute;
    return Calendar::dateFromComponents(Gregorian, c);
}

int DateManager::getWeekWithDate(const QDateTime &date)
{
    return Calendar::weekday(date);
}

int DateManager::getHourWithDate(const QDateTime &date)
{
    return Calendar::components(Gregorian, date).hour;
}

int DateManager::getMinuteWithDate(const QDateTime &date)
{
    return Calendar::components(Gregorian, date).minute;
}

QDateTime DateManager::getInitSecondDateFromDate(const QDateTime &date)
{
    if (!date.isValid())
        return {};
    return LocalTime::dateTimeFromEpochMSecs(floorDiv(LocalTime::epochMSecsOf(date), 60000) * 60000);
}

QString DateManager::getShowHourAndMinuteDateFromDate(const QDateTime &date)
{
    if (!date.isValid())
        return {};
    const DateComponents c = Calendar::components(Gregorian, date);
    return twoDigits(c.hour) + u':' + twoDigits(c.minute);
}

QString DateManager::getShowYearMonthDayDateFromDate(const QDateTime &date)
{
    if (!date.isValid())
        return QStringLiteral("");
    const DateComponents c = Calendar::components(Gregorian, date);
    return QStringLiteral("%1/%2/%3").arg(c.year).arg(c.month).arg(c.day);
}

QString DateManager::getShowMonthAndDayTimeWithCalendarIdentifier(CalendarIdentifier cal,
                                                                  const QDateTime &date)
{
    if (!date.isValid())
        return {};
    const DateComponents c = Calendar::components(cal, date);
    if (cal == CalendarIdentifier::Chinese)
        return DateNumberTransform::chineseMonth(c.month) + DateNumberTransform::chineseDay(c.day);
    return QStringLiteral("%1月%2日").arg(c.month).arg(c.day);
}

QString DateManager::getShowDateWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date)
{
    if (!date.isValid())
        return {};
    const DateComponents c = Calendar::components(cal, date);
    const QString time = twoDigits(c.hour) + u':' + twoDigits(c.minute);
    if (cal == CalendarIdentifier::Gregorian)
        return QStringLiteral("%1年%2月%3日 ").arg(c.year).arg(c.month).arg(c.day) + time;
    // The lunar year number from the table; outside it, the calendar's own (ICU's related) year.
    const DateComponents g = Calendar::components(Gregorian, date);
    const std::optional<Lunar> lunar = CalendarManager::obtainLunarFromSolar(Solar(g.year, g.month, g.day));
    const int year = lunar ? lunar->lunarYear : c.year;
    return QString::number(year) + u'年' + DateNumberTransform::chineseMonth(c.month) +
           DateNumberTransform::chineseDay(c.day) + u' ' + time;
}

QDateTime DateManager::getDateFromDate(const QDateTime &date, int hour, int minute)
{
    return getAHourAndMinuteWithDate(date, hour, minute);
}

DateComponents DateManager::getIntervalCalendarUnit(CalendarUnits units, const QDateTime &from,
                                                    const QDateTime &to)
{
    return Calendar::difference(Gregorian, units, from, to);
}

QDateTime DateManager::getAfterWeekWithDate(const QDateTime &date, qint64 weeks)
{
    return Calendar::addingDays(date, weeks * 7);
}

QDateTime DateManager::getAfterYearWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                          qint64 years)
{
    return Calendar::addingYears(cal, date, years);
}

DateComponents DateManager::getDifferFromDate(const QDateTime &from, const QDateTime &to)
{
    const CalendarUnits all = CalendarUnit::Year | CalendarUnit::Month | CalendarUnit::Day |
                              CalendarUnit::Hour | CalendarUnit::Minute | CalendarUnit::Second;
    return Calendar::difference(Gregorian, all, from, to);
}

QDateTime DateManager::getDateFromWithDateComponents(const DateComponents &components, CalendarIdentifier cal)
{
    return Calendar::dateFromComponents(cal, components);
}

int DateManager::getSystemWeekWithDate(const QDateTime &date)
{
    const int weekday = Calendar::weekday(date);
    if (weekday == 0)
        return 0;
    const int first = int(QLocale().firstDayOfWeek());
    return (weekday - first + 7) % 7 + 1;
}

QDateTime DateManager::getGregorianDateFromDate(const QDateTime &date, int chineseMonth, int chineseDay)
{
    if (!date.isValid())
        return {};
    DateComponents c = Calendar::components(CalendarIdentifier::Chinese, date);
    c.month = chineseMonth;
    c.day = chineseDay;
    c.leapMonth = false;
    c.second = 0;
    return Calendar::dateFromComponents(CalendarIdentifier::Chinese, c);
}
