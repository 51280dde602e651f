#include "notes/records/presenter/RecordDateRange.h"

namespace {

qint64 startOf(const QDate &day)
{
    return day.startOfDay().toMSecsSinceEpoch();
}

} // namespace

std::optional<RecordDateRange> RecordDateRange::around(int range, const QDateTime &now)
{
    const QDate today = now.toLocalTime().date();
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    const QDate firstOfMonth(today.year(), today.month(), 1);
    switch (range) {
    case Yesterday:
        return RecordDateRange(startOf(today.addDays(-1)), startOf(today));
    case Today:
        return RecordDateRange(startOf(today), startOf(today.addDays(1)));
    case ThisWeek:
        return RecordDateRange(startOf(monday), startOf(monday.addDays(7)));
    case LastWeek:
        return RecordDateRange(startOf(monday.addDays(-7)), startOf(monday));
    case ThisMonth:
        return RecordDateRange(startOf(firstOfMonth), startOf(firstOfMonth.addMonths(1)));
    case LastMonth:
        return RecordDateRange(startOf(firstOfMonth.addMonths(-1)), startOf(firstOfMonth));
    default:
        return std::nullopt;
    }
}
