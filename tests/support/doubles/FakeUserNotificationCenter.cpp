#include "tests/support/doubles/FakeUserNotificationCenter.h"

FakeUserNotificationCenter::FakeUserNotificationCenter(QObject *parent) : UserNotificationCenter(parent) {}

void FakeUserNotificationCenter::clearLogs()
{
    m_scheduleLog.clear();
    m_presented.clear();
    m_dismissed.clear();
}

bool FakeUserNotificationCenter::deliverNow(const QString &identifier)
{
    return deliverPendingNow(identifier);
}

bool FakeUserNotificationCenter::click(const QString &identifier)
{
    return activate(identifier);
}

bool FakeUserNotificationCenter::close(const QString &identifier)
{
    return forgetDelivered(identifier);
}

void FakeUserNotificationCenter::scheduled(const UserNotification &notification)
{
    m_scheduleLog.append(notification);
}

void FakeUserNotificationCenter::present(const UserNotification &notification)
{
    m_presented.append(notification);
}

void FakeUserNotificationCenter::dismiss(const UserNotification &notification)
{
    m_dismissed.append(notification);
}
