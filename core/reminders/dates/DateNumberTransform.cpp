#include "core/reminders/dates/DateNumberTransform.h"

namespace {

const QStringList &weekLabels()
{
    static const QStringList l = {"周一", "周二", "周三", "周四", "周五", "周六", "周日"};
    return l;
}

const QStringList &monthLabels()
{
    static const QStringList l = {"正月", "二月", "三月", "四月", "五月", "六月",
                                  "七月", "八月", "九月", "十月", "冬月", "腊月"};
    return l;
}

const QStringList &dayLabels()
{
    static const QStringList l = {"初一", "初二", "初三", "初四", "初五", "初六", "初七", "初八",
                                  "初九", "初十", "十一", "十二", "十三", "十四", "十五", "十六",
                                  "十七", "十八", "十九", "二十", "廿一", "廿二", "廿三", "廿四",
                                  "廿五", "廿六", "廿七", "廿八", "廿九", "三十"};
    return l;
}

QString labelOf(const QStringList &labels, int number)
{
    return number >= 1 && number <= labels.size() ? labels.at(number - 1) : QString();
}

// Only plain decimal texts of table numbers count ("01" and " 1" do not name a table entry).
QStringList toLabels(const QStringList &labels, const QStringList &numbers)
{
    QStringList out;
    for (const QString &n : numbers) {
        bool ok = false;
        const int v = n.toInt(&ok);
        if (ok && QString::number(v) == n && v >= 1 && v <= labels.size())
            out.append(labels.at(v - 1));
    }
    return out;
}

QStringList toNumbers(const QStringList &labels, const QStringList &texts)
{
    QStringList out;
    for (const QString &t : texts) {
        const int i = labels.indexOf(t);
        if (i >= 0)
            out.append(QString::number(i + 1));
    }
    return out;
}

} // namespace

QStringList DateNumberTransform::showChineseWeekWithNumberWeekArr(const QStringList &numbers)
{
    return toLabels(weekLabels(), numbers);
}

QStringList DateNumberTransform::showChineseMonthWithNumberMonthArr(const QStringList &numbers)
{
    return toLabels(monthLabels(), numbers);
}

QStringList DateNumberTransform::showChineseDayWithNumberDayArr(const QStringList &numbers)
{
    return toLabels(dayLabels(), numbers);
}

QStringList DateNumberTransform::showNumberWeekWithChineseWeekArr(const QStringList &labels)
{
    return toNumbers(weekLabels(), labels);
}

QStringList DateNumberTransform::showNumberMonthWithChineseMonthArr(const QStringList &labels)
{
    return toNumbers(monthLabels(), labels);
}

QStringList DateNumberTransform::showNumberDayWithChineseDayArr(const QStringList &labels)
{
    return toNumbers(dayLabels(), labels);
}

QString DateNumberTransform::chineseWeek(int weekday)
{
    return labelOf(weekLabels(), weekday);
}

QString DateNumberTransform::chineseMonth(int lunarMonth)
{
    return labelOf(monthLabels(), lunarMonth);
}

QString DateNumberTransform::chineseDay(int lunarDay)
{
    return labelOf(dayLabels(), lunarDay);
}
