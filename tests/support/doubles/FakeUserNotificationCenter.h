#pragma once

#include "platform/notifications/UserNotificationCenter.h"

#include <QList>
#include <QString>

// A centre for tests: the same scheduling rules as the real one, but what
// reaches the "screen" is only recorded. Move time with Clock::setNow() or
// Clock::advance(); due notifications are then delivered at once.
class FakeUserNotificationCenter : public UserNotificationCenter
{
    Q_OBJECT
public:
    explicit FakeUserNotificationCenter(QObject *parent = nullptr);

    // Every notification passed to scheduleNotification() and accepted, in order.
    QList<UserNotification> scheduleLog() const { return m_scheduleLog; }
    // Every notification shown, in order (repetitions included).
    QList<UserNotification> presented() const { return m_presented; }
    // Every notification taken off the screen, in order.
    QList<UserNotification> dismissed() const { return m_dismissed; }
    // Forgets the three logs above (the centre's state stays).
    void clearLogs();

    // Delivers the pending notification with this identifier now, whatever its
    // date (a one-shot leaves the pending list). False when none is pending.
    bool deliverNow(const QString &identifier);
    // Clicks the delivered notification with this identifier. False when none is delivered.
    bool click(const QString &identifier);
    // The user closes the delivered notification: it leaves the delivered list.
    bool close(const QString &identifier);

protected:
    void scheduled(const UserNotification &notification) override;
    void present(const UserNotification &notification) override;
    void dismiss(const UserNotification &notification) override;

private:
    QList<UserNotification> m_scheduleLog;
    QList<UserNotification> m_presented;
    QList<UserNotification> m_dismissed;
};
