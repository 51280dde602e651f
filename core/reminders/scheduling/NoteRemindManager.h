#pragma once

#include "platform/calendar/CalendarIdentifier.h"
#include "platform/notifications/UserNotificationRepeat.h"

#include <QDateTime>
#include <QString>

#include <optional>

class Context;
class LocalNotificationManager;
class NoteDetail;

// Turns a note's reminder into scheduled user notifications (through the
// LocalNotificationManager it is made with; the settings come from its store). Every date is the recurrence
// engine's. The centre repeats a notification by itself only where its repeat interval gives exactly the
// reminder's occurrences: Gregorian, no end date, no chosen value (weeks: at most one weekday, once the due
// date is on it), for months, quarters and years a start day below 29, and a time of day no change of the
// zone's offset touches. Every other rule is scheduled as a one-shot at its next occurrence and scheduled
// again when it was delivered (ReminderScheduler). Nothing is scheduled for deleted or completed notes, for
// cleared reminders or past the end date. Main thread only.
class NoteRemindManager
{
public:
    // What one reminder asks of the centre: the first date and the repeat.
    struct Plan
    {
        QDateTime date;
        UserNotificationRepeat repeat;
    };

    NoteRemindManager(Context &store, LocalNotificationManager &notifications);

    // True without change when a notification with the note's cId is pending; else
    // coverDateUserNotificationWithNote().
    bool addDateUserNotificationWithNote(NoteDetail *note);
    // Schedules what planWithNote() asks for the note, replacing a pending one; a note
    // that should have none gets its pending one withdrawn. False only when the limit
    // refused it.
    bool coverDateUserNotificationWithNote(NoteDetail *note);
    // The core operation: date D, cycle type T (0 none .. 5 year), interval n, chosen
    // values S, end date E (null: none). False only when the limit refused it.
    bool addUserNotificationWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                   int cycleType, qint64 interval, const QString &specify,
                                                   const QDateTime &endDate, const QString &text,
                                                   const QString &cId);
    // Important reminder: from the date, repeating every UserSet.importantRemindInterval
    // minutes (below 1 counts as 5). False, nothing changed, when such a notification
    // (same minute, same repeat) is already pending; else the scheduling result.
    bool addStarUserNotificationWithDate(const QDateTime &date, const QString &text, const QString &cId);
    // True when the text is a date after now (the reminder is snoozed).
    static bool isDelayWithDelayTime(const QString &delayText);
    // A one-shot at the snooze date when it lies after now: true; else false.
    bool addDelayUserNotificationWithDate(const QDateTime &date, const QString &text, const QString &cId);
    // True when a notification with the cId is pending; else the core operation when the
    // end date is missing or after now; else true.
    bool addNoExistUserNotificationWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                          int cycleType, qint64 interval,
                                                          const QString &specify, const QDateTime &endDate,
                                                          const QString &text, const QString &cId);

    // The notification the core operation schedules for these values (none when the
    // reminder has no occurrence left): D is both the start and the current occurrence.
    static std::optional<Plan> planWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &date,
                                                          int cycleType, qint64 interval,
                                                          const QString &specify, const QDateTime &endDate);
    // The same for a reminder whose occurrences count from `start` and whose stored
    // occurrence is `current`: a notification at the engine's due occurrence
    // (NoteDateManager::dueDateFromStartWithCalendarIdentifier), repeating by itself only
    // where the centre's repetition gives exactly the engine's later occurrences.
    static std::optional<Plan> planWithCalendarIdentifier(CalendarIdentifier cal, const QDateTime &start,
                                                          const QDateTime &current, int cycleType,
                                                          qint64 interval, const QString &specify,
                                                          const QDateTime &endDate);
    // The notification a note should have pending right now, by the first rule that
    // applies: important reminder (no snooze pending), snooze pending, date reminder.
    // None for a note without an active date reminder, deleted or completed.
    std::optional<Plan> planWithNote(const NoteDetail *note) const;
    // The same with the important reminders' repeat minutes given (read once by a
    // caller that plans many notes).
    static std::optional<Plan> planWithNote(const NoteDetail *note, int importantMinutes);
    // The repeat minutes of important reminders from the settings (below 1: 5).
    int importantRemindIntervalMinutes() const;

private:
    Context &m_store;
    LocalNotificationManager &m_notifications;
};
