#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>

// Reads the Wi-Fi state that NetworkManager keeps (org.freedesktop.NetworkManager
// on the given bus): the SSID of the active access point and the cached access
// point list of the Wi-Fi device. Never starts a scan. When NetworkManager is not
// on the bus, or there is no Wi-Fi device, every answer is empty.
class NetworkManagerWiFi
{
public:
    explicit NetworkManagerWiFi(const QDBusConnection &bus);

    bool isAvailable() const;
    // SSID of the access point the Wi-Fi device is associated with; empty when none.
    QString activeSsid() const;
    // SSIDs of the access points the Wi-Fi device last saw, in its order.
    QStringList scannedSsids() const;

    // How long one D-Bus call may take before it counts as no answer.
    static constexpr int CallTimeoutMSecs = 2000;

private:
    QString wifiDevice() const;

    QDBusConnection m_bus;
};
