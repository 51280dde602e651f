#pragma once

#include <QMetaObject>
#include <QString>

class AppEvents;
class Clock;
class Context;
class LocalNotificationManager;
class NetworkMonitor;
class WIFIManager;
class WiFiRemindManager;

// Turns network status changes into Wi-Fi reminder notifications. Keeps the
// last status ("lastWiFiType") and the last joined SSID ("lastWiFiName") in the
// user defaults, so that a restart on the same network fires nothing.
class NetworkStatusManager
{
public:
    struct Uses
    {
        NetworkMonitor &monitor;
        Context &store; // the main context
        LocalNotificationManager &notifications;
        AppEvents &events;
        WIFIManager &wifi;
        WiFiRemindManager &reminds;
        Clock &clock;
    };
    explicit NetworkStatusManager(const Uses &uses);
    ~NetworkStatusManager();
    NetworkStatusManager(const NetworkStatusManager &) = delete;
    NetworkStatusManager &operator=(const NetworkStatusManager &) = delete;

    // Connects to the network monitor and handles its current status at once;
    // called once at start-up (again: replaces the earlier connection).
    void registerNetwork();
    // Disconnects from the monitor (tests, shut-down).
    void unregisterNetwork();

    // The status-change handler: joining Wi-Fi fires the join reminders, leaving
    // it the leave reminders; an unknown status (-1) is ignored altogether.
    // Wi-Fi reported again (at start-up) on a network other than "lastWiFiName"
    // is a switch, as in wifiNameDidChange().
    void networkStatusDidChange(int status);

    // The handler of a new Wi-Fi name while the status is Wi-Fi (status and the
    // stored "lastWiFiType" both 2): a name other than "lastWiFiName" means the
    // network was left for another one: the leave reminders of the old network
    // fire, then the join reminders of the new one, and the new name is stored.
    // An empty name (not associated for the moment) changes nothing.
    void wifiNameDidChange(int status, const QString &name);

    // Fires the reminders that match: wifiType a WiFiTrigger code; wifiName the SSID
    // joined (join) or left (leave). Saves, asks the note list to reload and,
    // unless the network is now unreachable, asks for a push.
    void addUserNotificationFromNoteWiFiRemindWithNetworkStatus(int status, int wifiType,
                                                                const QString &wifiName);

private:
    void fireMatching(int wifiType, const QString &wifiName, const QString &current);
    void saveAndAnnounce(int status);
    void switchIfRenamed(const QString &name);

    Uses m_uses;
    QMetaObject::Connection m_statusConnection;
    QMetaObject::Connection m_nameConnection;
};
