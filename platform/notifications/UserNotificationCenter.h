#pragma once

#include "platform/base/Clock.h"
#include "platform/notifications/UserNotification.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The user-notification centre: keeps the pending notifications, shows each
// one when it falls due and keeps the delivered ones until they are withdrawn.
//
// Due times follow the wall clock (Clock::now()), not a monotonic timer: a
// notification that fell due while the machine slept or that a clock change
// jumped over is shown within seconds, once. A one-shot scheduled for a time
// already past is shown at once; a repeating one whose first date has passed
// is shown at its next repetition. Missed repetitions are not made up for:
// one delivery, then the next repetition after now.
//
// Pending notifications are kept in memory only; the reminder reconciler
// schedules every active reminder again after sign-in.
//
// The looks at the clock are scheduled on the scheduler set with
// setScheduler() (the program's), else on Qt timers of its own.
//
// Subclasses decide how a notification reaches the user (present/dismiss) and
// report clicks through activate(). Main thread only.
class Scheduler;

class UserNotificationCenter : public QObject
{
    Q_OBJECT
public:
    // Sound name -> file to play, or empty when there is no such sound.
    using SoundFileResolver = std::function<QString(const QString &soundName)>;

    ~UserNotificationCenter() override;

    // Not owned; nullptr goes back to the centre's own timers.
    void setScheduler(Scheduler *scheduler);

    // Schedules a notification; a pending one with the same identifier is
    // replaced. False (nothing changes) for an empty identifier or an invalid date.
    bool scheduleNotification(const UserNotification &notification);
    // Every pending notification, nearest next delivery first.
    QList<UserNotification> scheduledNotifications() const;
    // The pending notification with this identifier, if any.
    std::optional<UserNotification> scheduledNotification(const QString &identifier) const;
    // When the pending notification with this identifier is shown next (invalid if none).
    QDateTime nextDeliveryDate(const QString &identifier) const;
    // Every delivered notification still on record, oldest first.
    QList<UserNotification> deliveredNotifications() const;
    // Moves on whenever a pending notification is added, replaced, withdrawn or
    // delivered (a repetition moving on): who keeps a copy of the pending set can
    // tell that it is still current without reading it again.
    quint64 pendingRevision() const { return m_revision; }

    // Withdraws the pending notification with this identifier (if any).
    void removeScheduledNotification(const QString &identifier);
    // Withdraws the delivered notification with this identifier and takes it off the screen.
    void removeDeliveredNotification(const QString &identifier);
    // Withdraws every pending notification.
    void removeAllScheduledNotifications();
    // Withdraws every delivered notification and takes them off the screen.
    void removeAllDeliveredNotifications();

    // Sets how sound names become files (default: no file for any name).
    void setSoundFileResolver(SoundFileResolver resolver);
    // The file for a sound name through the resolver (empty: none).
    QString soundFileForName(const QString &soundName) const;

    // Shows whatever is due now; the centre calls it itself on its timer,
    // on clock jumps and on wake-up from suspend.
    void deliverDueNotifications();

    // Longest wait between two looks at the wall clock while something is pending.
    static constexpr int maxCheckIntervalMSecs = 2000;

signals:
    // A notification was shown to the user (a repeating one at each repetition).
    void didDeliverNotification(const UserNotification &notification);
    // The user clicked a delivered notification.
    void didActivateNotification(const UserNotification &notification);

protected:
    explicit UserNotificationCenter(QObject *parent = nullptr);

    // Shows a notification that fell due (its actualDeliveryDate is set).
    // A notification with the same identifier already on screen is replaced.
    virtual void present(const UserNotification &notification) = 0;
    // Takes a delivered notification off the screen.
    virtual void dismiss(const UserNotification &notification) = 0;

    // Called after a notification was accepted by scheduleNotification().
    virtual void scheduled(const UserNotification &notification) { Q_UNUSED(notification); }

    // Delivers the pending notification with this identifier now, whatever its date.
    bool deliverPendingNow(const QString &identifier);
    // Reports a click on the delivered notification with this identifier.
    bool activate(const QString &identifier);
    // Forgets a delivered notification the user closed (nothing is dismissed).
    bool forgetDelivered(const QString &identifier);
    // The delivered notification with this identifier, if any.
    std::optional<UserNotification> deliveredNotification(const QString &identifier) const;

private:
    struct Pending
    {
        UserNotification notification;
        QDateTime next;
        quint64 order = 0;
    };

    void rearm();
    void deliver(Pending &pending, const QDateTime &now);

    Clock m_clock; // hears the clock's jumps
    QList<Pending> m_pending;
    QList<UserNotification> m_delivered;
    SoundFileResolver m_resolver;
    Scheduler *m_scheduler = nullptr;
    std::unique_ptr<Scheduler> m_timers; // when none was set
    QObject *m_wait = nullptr;           // context of the scheduled look at the clock
    bool m_inWait = false;
    quint64 m_order = 0;
    quint64 m_revision = 0;
    bool m_delivering = false;
};
