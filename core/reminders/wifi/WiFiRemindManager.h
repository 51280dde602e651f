#pragma once

#include <QString>
#include <QStringList>

// Saved-network lookups and the firing decision of Wi-Fi reminders.
class WiFiRemindManager
{
public:
    // The text shown for any network and for lists that name no saved network.
    static QString anyNetworkName() { return QStringLiteral("任意无线"); }

    // For each id of the comma list, the saved network's alias, else its name
    // (ids without a saved network are skipped), joined by ";"; anyNetworkName()
    // when none was found.
    static QString getWiFiNamesWithWiFiIds(const QString &wifiIds);

    // Whether a reminder of this kind fires now. dateTime is the start of the
    // silence window (last firing or saving); missing or unreadable means no
    // silence. connectWifiType 0 is a join reminder, any other a leave reminder;
    // wifiStatus 1 means already fired. Compares with the SSID joined now.
    static bool addUserNotificationWiFiRemindWithDateTime(const QString &dateTime, const QString &wifiIds,
                                                          int connectWifiType, int wifiStatus);
    // The same with the SSID joined now given (empty off Wi-Fi).
    static bool addUserNotificationWiFiRemindWithDateTime(const QString &dateTime, const QString &wifiIds,
                                                          int connectWifiType, int wifiStatus,
                                                          const QString &currentWiFiName);

    // The list means any network: its first element is the number 0 ("0").
    static bool isAnyNetwork(const QString &wifiIds);
    // The elements of a comma list of ids, trimmed, without empty ones.
    static QStringList wifiIdList(const QString &wifiIds);
    // UserSet.wifiSilenceRemindInterval in hours (0 without settings or below 0).
    static int silenceHours();
};
