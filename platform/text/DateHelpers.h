#pragma once

#include <QDateTime>

// Record filters "本周", "上周", "本月", "上月": the date compared with today
// (Clock::now()), both in local time, weeks starting on Monday.

// Same Monday-to-Sunday week as today (of the same year).
bool lp_isSameWeekFromToday(const QDateTime &date);
// The week just before today's week (across a year's end too).
bool lp_isLastWeekFromToday(const QDateTime &date);
// Same month of the same year.
bool lp_isSameMonthFromToday(const QDateTime &date);
// The month before today's month (December of last year in January).
bool lp_isLastMonthFromToday(const QDateTime &date);
