#pragma once

#include <QStringList>

// Chinese labels of weekdays, lunar months and lunar days, both ways. Each keeps the input order and drops
// values the table lacks.
class DateNumberTransform
{
public:
    // "1".."7" -> 周一..周日.
    static QStringList showChineseWeekWithNumberWeekArr(const QStringList &numbers);
    // "1".."12" -> 正月..腊月.
    static QStringList showChineseMonthWithNumberMonthArr(const QStringList &numbers);
    // "1".."30" -> 初一..三十.
    static QStringList showChineseDayWithNumberDayArr(const QStringList &numbers);
    // 周一..周日 -> "1".."7".
    static QStringList showNumberWeekWithChineseWeekArr(const QStringList &labels);
    // 正月..腊月 -> "1".."12".
    static QStringList showNumberMonthWithChineseMonthArr(const QStringList &labels);
    // 初一..三十 -> "1".."30".
    static QStringList showNumberDayWithChineseDayArr(const QStringList &labels);

    // Single-value forms; an empty text for a number the table lacks.
    static QString chineseWeek(int weekday);
    static QString chineseMonth(int lunarMonth);
    static QString chineseDay(int lunarDay);
};
