#pragma once

#include <QDateTime>
#include <QMetaType>

// How often a scheduled notification comes back: never, or every N minutes,
// days, months or years. Occurrence k is always computed from the first
// delivery date (never by adding to the previous one), so a monthly repeat
// from 31 January gives 28/29 February and then 31 March again.
class UserNotificationRepeat
{
public:
    enum class Unit
    {
        None,
        Minute,
        Day,
        Month,
        Year
    };

    UserNotificationRepeat() = default;
    // A repeat of `count` units; a count below 1 counts as 1.
    UserNotificationRepeat(Unit unit, int count);

    static UserNotificationRepeat none() { return {}; }
    static UserNotificationRepeat minutes(int n) { return {Unit::Minute, n}; }
    static UserNotificationRepeat days(int n) { return {Unit::Day, n}; }
    static UserNotificationRepeat months(int n) { return {Unit::Month, n}; }
    static UserNotificationRepeat years(int n) { return {Unit::Year, n}; }

    Unit unit() const { return m_unit; }
    // Number of units between repetitions (0 for none).
    int count() const { return m_count; }
    bool isRepeating() const { return m_unit != Unit::None; }

    // The k-th occurrence (k = 0 is `first`). Days, months and years keep the
    // local wall-clock time; a missing day of month is pinned to the month's end.
    QDateTime occurrence(const QDateTime &first, qint64 k) const;
    // The earliest occurrence strictly after `after` (invalid when not repeating
    // and `first` is not after it).
    QDateTime nextOccurrenceAfter(const QDateTime &first, const QDateTime &after) const;

    bool operator==(const UserNotificationRepeat &other) const = default;

private:
    Unit m_unit = Unit::None;
    int m_count = 0;
};

Q_DECLARE_METATYPE(UserNotificationRepeat)
