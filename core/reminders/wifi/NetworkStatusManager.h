#pragma once

#include <QString>

// Turns network status changes into Wi-Fi reminder notifications. Keeps the
// last status ("lastWiFiType") and the last joined SSID ("lastWiFiName") in the
// user defaults, so that a restart on the same network fires nothing.
class NetworkStatusManager
{
public:
    // Connects to the shared network monitor and handles its current status at
    // once; called once at start-up (again: replaces the earlier connection).
    static void registerNetwork();
    // Disconnects from the monitor (tests, shut-down).
    static void unregisterNetwork();

    // The status-change handler: joining Wi-Fi fires the join reminders, leaving
    // it the leave reminders; an unknown status (-1) is ignored altogether.
    static void networkStatusDidChange(int status);

    // Fires the reminders that match: wifiType 0 join, 1 leave; wifiName the SSID
    // joined (join) or left (leave). Saves, asks the note list to reload and,
    // unless the network is now unreachable, asks for a push.
    static void addUserNotificationFromNoteWiFiRemindWithNetworkStatus(int status, int wifiType,
                                                                       const QString &wifiName);
};
