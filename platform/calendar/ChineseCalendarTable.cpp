#include "platform/calendar/ChineseCalendarTable.h"

#include <QDate>

namespace ChineseCalendarTableData {
extern const qint32 newYearPacked[];
extern const qint32 monthBits[];
extern const int entryCount;
} // namespace ChineseCalendarTableData

namespace {

struct YearInfo
{
    qint64 starts[14]; // first day of each month position, plus the next new year
    int count;
    int leap;
};

struct Table
{
    YearInfo years[ChineseCalendarTable::entryCount];

    Table()
    {
        if (ChineseCalendarTableData::entryCount != ChineseCalendarTable::entryCount)
            qFatal("lunar table has %d entries", ChineseCalendarTableData::entryCount);
        for (int i = 1; i < ChineseCalendarTable::entryCount; ++i) {
            const qint32 packed = ChineseCalendarTableData::newYearPacked[i];
            const qint32 bits = ChineseCalendarTableData::monthBits[i];
            YearInfo &y = years[i];
            y.leap = (bits >> 13) & 0xF;
            y.count = y.leap ? 13 : 12;
            y.starts[0] = QDate(packed / 512, (packed / 32) % 16, packed % 32).toJulianDay();
            for (int p = 0; p < y.count; ++p)
                y.starts[p + 1] = y.starts[p] + (((bits >> (12 - p)) & 1) ? 30 : 29);
        }
    }
};

const Table &table()
{
    static const Table t;
    return t;
}

const YearInfo &year(int lunarYear)
{
    return table().years[lunarYear - ChineseCalendarTable::firstYear + 1];
}

} // namespace

const qint32 *ChineseCalendarTable::newYearPacked()
{
    return ChineseCalendarTableData::newYearPacked;
}

const qint32 *ChineseCalendarTable::monthBits()
{
    return ChineseCalendarTableData::monthBits;
}

qint64 ChineseCalendarTable::newYearDay(int lunarYear)
{
    return year(lunarYear).starts[0];
}

int ChineseCalendarTable::leapMonth(int lunarYear)
{
    return year(lunarYear).leap;
}

int ChineseCalendarTable::monthCount(int lunarYear)
{
    return year(lunarYear).count;
}

int ChineseCalendarTable::monthLength(int lunarYear, int position)
{
    const YearInfo &y = year(lunarYear);
    return int(y.starts[position + 1] - y.starts[position]);
}

qint64 ChineseCalendarTable::monthStartDay(int lunarYear, int position)
{
    return year(lunarYear).starts[position];
}

qint64 ChineseCalendarTable::firstDay()
{
    return newYearDay(firstYear);
}

qint64 ChineseCalendarTable::endDay()
{
    const YearInfo &y = year(lastYear);
    return y.starts[y.count];
}
