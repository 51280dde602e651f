#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class UserNotificationCenter;
struct UserNotification;

// Keeps every active reminder of the default store scheduled in the shared
// notification centre: call reconcileAll() after any change to notes or
// reminders (edits, completion, snooze, push, pull, sign-in). When more than
// LocalNotificationManager::maxPendingNotifications reminders are due, the
// nearest ones are scheduled; the others follow as earlier ones are delivered.
//
// start() also listens to the centre: after each delivery the schedule is
// reconciled again, so a one-shot standing in for a repetition is followed by
// its next occurrence. Main thread only.
class ReminderScheduler : public QObject
{
    Q_OBJECT
public:
    // Schedules what planWithNote() asks for every note of the default store,
    // leaving identical pending notifications untouched, and withdraws pending
    // notifications of notes that should have none (also of rows that are gone).
    // A reminder whose fields did not change since the last pass is not planned
    // again until its planned date is reached. Does nothing without a store.
    static void reconcileAll();

    // Listens to the shared centre's deliveries (again after the shared centre changed).
    static void start();
    static void stop();

    ~ReminderScheduler() override;

private:
    struct Cache;

    explicit ReminderScheduler(QObject *parent = nullptr);
    static ReminderScheduler *instance();
    void listenTo(UserNotificationCenter *center);
    void delivered(const UserNotification &notification);

    QPointer<UserNotificationCenter> m_center;
    bool m_pending = false;
    // The plans of the last pass, kept for the reminders that did not change.
    std::unique_ptr<Cache> m_cache;
};
