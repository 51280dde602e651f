#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// Where a note with a reminder falls in the due-date list: "超时", "今日",
// "明日" or "未来", and its place inside the group. Date reminders are placed
// by their parsed time (the snooze time while a snooze is pending), Wi-Fi
// reminders by their state: fired ones are overdue, armed ones later, always
// after the dated notes of their group.
class NoteDateGrouping
{
public:
    enum Group
    {
        Overdue = 0,
        Today = 1,
        Tomorrow = 2,
        Later = 3,
        GroupCount = 4
    };

    // What a note and its reminder hold that the list reads.
    struct Values
    {
        qint16 noteActionType = 0;
        bool completed = false;
        qint16 remindActionType = 0;
        QString realDateTime;
        QString delayTime;
        QString wifiIds;
        qint16 wifiStatus = 0;
        QString wifiDateTime;
    };

    // The parsed times a placement is made from (epoch milliseconds).
    struct Timing
    {
        bool wifi = false;
        bool fired = false;
        qint64 occurrence = 0; // the date reminder's time, or the Wi-Fi reminder's last firing or saving
        qint64 delay = 0;      // the snooze time, 0 when none
        bool hasTime = false;  // the Wi-Fi reminder's time could be read
    };

    // The day boundaries of one "now", worked out once for many placements.
    struct Now
    {
        qint64 now = 0;
        qint64 todayStart = 0;
        qint64 tomorrowStart = 0;
        qint64 dayAfterStart = 0;
        explicit Now(const QDateTime &now);
        // The next moment at which a group may change by itself: the next midnight.
        qint64 nextMidnight() const { return tomorrowStart; }
    };

    // The reminder's timing, or nothing when the note is not listed: deleted or cleared;
    // a date reminder of a completed note, or one without a readable date.
    static std::optional<Timing> timing(const Values &values);
    // The group at `now`.
    static Group group(const Timing &timing, const Now &now);
    // The time the note is ordered by inside its group at `now`.
    static qint64 sortTime(const Timing &timing, const Now &now);
    // Whether a snooze is still pending at `now`.
    static bool snoozed(const Timing &timing, const Now &now) { return timing.delay > now.now; }

    // The groups' names and colours, in order.
    static QString name(int group);
    static QString color(int group);
};
