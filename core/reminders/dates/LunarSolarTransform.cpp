#include "core/reminders/dates/LunarSolarTransform.h"

#include "core/reminders/dates/DateNumberTransform.h"
#include "platform/calendar/ChineseCalendarTable.h"

#include <QDate>

#include <algorithm>

namespace {

using Table = ChineseCalendarTable;
constexpr int baseYear = Table::firstYear - 1;

Solar unpack(qint32 packed)
{
    return Solar(packed / 512, (packed / 32) % 16, packed % 32);
}

int monthLengthFromBits(qint32 bits, int position)
{
    return ((bits >> (12 - position)) & 1) ? 30 : 29;
}

} // namespace

qint32 LunarSolarTransform::newYearEntry(int index)
{
    return index >= 0 && index < Table::entryCount ? Table::newYearPacked()[index] : 0;
}

qint32 LunarSolarTransform::monthEntry(int index)
{
    return index >= 0 && index < Table::entryCount ? Table::monthBits()[index] : 0;
}

qint64 LunarSolarTransform::solarToInt(qint32 year, qint32 month, qint32 day)
{
    const qint64 m = (qint64(month) + 9) % 12;
    const qint64 y = year - m / 10;
    return 365 * y + y / 4 - y / 100 + y / 400 + (m * 306 + 5) / 10 + (day - 1);
}

Solar LunarSolarTransform::SolarFromInt(qint64 g)
{
    // Years beyond about ±1.9 billion do not fit a Solar (and the formula's products overflow later).
    constexpr qint64 limit = 700000000000;
    if (g < -limit || g > limit)
        return Solar();
    qint64 y = (10000 * g + 14780) / 3652425;
    qint64 ddd = g - (365 * y + y / 4 - y / 100 + y / 400);
    if (ddd < 0) {
        --y;
        ddd = g - (365 * y + y / 4 - y / 100 + y / 400);
    }
    const qint64 mi = (100 * ddd + 52) / 3060;
    const qint64 mm = (mi + 2) % 12 + 1;
    y += (mi + 2) / 12;
    const qint64 dd = ddd - (mi * 306 + 5) / 10 + 1;
    return Solar(qint32(y), qint32(mm), qint32(dd));
}

std::optional<Lunar> LunarSolarTransform::solarToLunar(const Solar &solar)
{
    const int y = solar.solarYear, m = solar.solarMonth, d = solar.solarDay;
    if (!QDate::isValid(y, m, d))
        return std::nullopt;
    const qint32 *newYears = Table::newYearPacked();
    const qint64 key = qint64(y) * 512 + m * 32 + d;
    // Entry 0 is the base year, not a date; years past the table still start from its last entry.
    int i = int(std::clamp<qint64>(qint64(y) - baseYear, 1, Table::entryCount - 1));
    if (key < newYears[i])
        --i;
    if (i < 1)
        return std::nullopt;
    const Solar newYear = unpack(newYears[i]);
    qint64 offset =
        solarToInt(y, m, d) - solarToInt(newYear.solarYear, newYear.solarMonth, newYear.solarDay) + 1;
    const qint32 bits = Table::monthBits()[i];
    const int leap = (bits >> 13) & 0xF;
    const int count = leap ? 13 : 12;
    int month = 1;
    for (int p = 0;; ++p) {
        const int size = monthLengthFromBits(bits, p);
        if (offset <= size)
            break;
        if (p == count - 1)
            return std::nullopt; // after the last covered lunar year
        offset -= size;
        ++month;
    }
    Lunar lunar(baseYear + i, month, qint32(offset));
    if (leap != 0 && month > leap) {
        lunar.lunarMonth = month - 1;
        lunar.isleap = month == leap + 1;
    }
    return lunar;
}

QString LunarSolarTransform::formatWithLunar(const Lunar &lunar)
{
    return QStringLiteral("%1-%2-%3")
        .arg(lunar.lunarYear)
        .arg(DateNumberTransform::chineseMonth(lunar.lunarMonth),
             DateNumberTransform::chineseDay(lunar.lunarDay));
}

std::optional<Solar> LunarSolarTransform::lunarToSolar(const Lunar &lunar)
{
    const int year = lunar.lunarYear;
    if (!Table::coversYear(year) || lunar.lunarMonth < 1 || lunar.lunarMonth > 12)
        return std::nullopt;
    const int i = year - baseYear;
    const qint32 bits = Table::monthBits()[i];
    const int leap = (bits >> 13) & 0xF;
    if (lunar.isleap && leap != lunar.lunarMonth)
        return std::nullopt;
    int position = lunar.lunarMonth - 1;
    if (leap != 0 && (lunar.lunarMonth > leap || lunar.isleap))
        ++position;
    if (lunar.lunarDay < 1 || lunar.lunarDay > monthLengthFromBits(bits, position))
        return std::nullopt;
    const Solar newYear = unpack(Table::newYearPacked()[i]);
    qint64 day = solarToInt(newYear.solarYear, newYear.solarMonth, newYear.solarDay);
    for (int p = 0; p < position; ++p)
        day += monthLengthFromBits(bits, p);
    return SolarFromInt(day + lunar.lunarDay - 1);
}

QString LunarSolarTransform::constellationFromSolar(const Solar &solar)
{
    if (!QDate::isValid(solar.solarYear, solar.solarMonth, solar.solarDay))
        return {};
    // The sign that starts on `firstDay[m - 1]` of month m; earlier days belong to the previous sign.
    static const int firstDay[12] = {20, 19, 21, 20, 21, 22, 23, 23, 23, 24, 23, 22};
    static const char *const signs[12] = {"摩羯座", "水瓶座", "双鱼座", "白羊座", "金牛座", "双子座",
                                          "巨蟹座", "狮子座", "处女座", "天秤座", "天蝎座", "射手座"};
    const int m = solar.solarMonth;
    const int index = solar.solarDay >= firstDay[m - 1] ? m % 12 : m - 1;
    return QString::fromUtf8(signs[index]);
}
