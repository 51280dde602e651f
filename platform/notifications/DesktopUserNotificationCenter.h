#pragma once

#include "platform/notifications/UserNotificationCenter.h"

#include <QDBusConnection>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

// The centre on a Linux desktop: notifications go to the desktop notification
// service (org.freedesktop.Notifications on the session bus) with the title as
// summary, the text as body, a "default" action whose invocation is the click,
// and the sound as a "sound-file" hint (or "sound-name" for the default sound).
// Without that service they go to the fallback the application shell installs
// (its tray icon's message balloon), and without one they are only logged;
// the lack is logged once.
class DesktopUserNotificationCenter : public UserNotificationCenter
{
    Q_OBJECT
public:
    // The desktop's name for its default notification sound.
    static QString defaultSoundThemeName() { return QStringLiteral("message-new-instant"); }

    explicit DesktopUserNotificationCenter(QObject *parent = nullptr);
    // Talks to the notification service on `bus` (tests pass their own bus).
    explicit DesktopUserNotificationCenter(const QDBusConnection &bus, QObject *parent = nullptr);
    ~DesktopUserNotificationCenter() override;

    // Shows a notification another way when the desktop has no notification
    // service; false when it cannot show it either. The shell installs one
    // over its own tray icon, so that there is only ever one.
    using Fallback = std::function<bool(const UserNotification &notification)>;
    void setFallback(Fallback fallback);
    // The fallback reports that the user clicked what it showed last.
    void fallbackClicked();

protected:
    void present(const UserNotification &notification) override;
    void dismiss(const UserNotification &notification) override;

private slots:
    void onActionInvoked(uint id, const QString &actionKey);
    void onNotificationClosed(uint id, uint reason);
    void onPrepareForSleep(bool sleeping);
    void onServiceOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);

private:
    void connectSignals();
    void askCapabilities();
    void notifyFinished(QDBusPendingCallWatcher *watcher, const UserNotification &notification, quint64 call);
    void closeOnServer(uint id);
    void serviceUnavailable(const QString &why);
    void presentWithoutService(const UserNotification &notification);
    QString identifierForServerId(uint id) const;

    QDBusConnection m_bus;
    bool m_askedCapabilities = false;
    bool m_bodyMarkup = true;
    bool m_unavailableLogged = false;
    // identifier -> id the service gave its notification on screen
    QHash<QString, uint> m_serverIds;
    // identifier -> number of its latest Notify call, to spot stale replies
    QHash<QString, quint64> m_latestCall;
    // Notify calls whose notification was withdrawn before the reply came
    QSet<quint64> m_closeOnArrival;
    // Notify calls still on their way -> identifier
    QHash<quint64, QString> m_inFlight;
    // Notify calls sent to a service that has since gone away: their ids mean nothing now
    QSet<quint64> m_previousOwnerCalls;
    quint64 m_calls = 0;
    QDBusServiceWatcher *m_serviceWatcher = nullptr;
    Fallback m_fallback;
    QString m_fallbackIdentifier;
};
