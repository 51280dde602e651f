#pragma once

#include <QString>
#include <QStringList>

class Clock;
class Context;
class WIFIManager;

// Saved-network lookups and the firing decision of Wi-Fi reminders, on one store.
class WiFiRemindManager
{
public:
    WiFiRemindManager(Context &store, WIFIManager &wifi, Clock &clock);

    // The text shown for any network and for lists that name no saved network.
    static QString anyNetworkName() { return QStringLiteral("任意无线"); }

    // For each id of the comma list, the saved network's alias, else its name
    // (ids without a saved network are skipped), joined by ";"; anyNetworkName()
    // when none was found.
    QString getWiFiNamesWithWiFiIds(const QString &wifiIds) const;
    // The same in the store a row lives in (none: anyNetworkName()).
    static QString getWiFiNamesWithWiFiIds(Context *store, const QString &wifiIds);

    // Whether a reminder of this kind fires now. dateTime is the start of the
    // silence window (last firing or saving); missing or unreadable means no
    // silence. connectWifiType 0 is a join reminder, any other a leave reminder;
    // wifiStatus 1 means already fired. Compares with the SSID joined now.
    bool addUserNotificationWiFiRemindWithDateTime(const QString &dateTime, const QString &wifiIds,
                                                   int connectWifiType, int wifiStatus) const;
    // The same with the SSID joined now given (empty off Wi-Fi).
    bool addUserNotificationWiFiRemindWithDateTime(const QString &dateTime, const QString &wifiIds,
                                                   int connectWifiType, int wifiStatus,
                                                   const QString &currentWiFiName) const;

    // The list means any network: its first element is the number 0 ("0").
    static bool isAnyNetwork(const QString &wifiIds);
    // The elements of a comma list of ids, trimmed, without empty ones.
    static QStringList wifiIdList(const QString &wifiIds);
    // UserSet.wifiSilenceRemindInterval in hours (0 without settings or below 0).
    int silenceHours() const;

private:
    Context &m_store;
    WIFIManager &m_wifi;
    Clock &m_clock;
};
