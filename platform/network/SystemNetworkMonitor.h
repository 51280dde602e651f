#pragma once

#include "platform/network/NetworkManagerWiFi.h"
#include "platform/network/NetworkMonitor.h"

#include <QDBusMessage>
#include <QNetworkInformation>
#include <QTimer>

// The network monitor of the running program: the status comes from
// QNetworkInformation (reachability and transport medium), the Wi-Fi names from
// NetworkManager on the given bus. A change of the Wi-Fi device's active access
// point (NetworkManager's property signals, no polling) re-reads the name and
// emits wifiNameChanged when it differs from the one read before.
class SystemNetworkMonitor : public NetworkMonitor
{
    Q_OBJECT
public:
    explicit SystemNetworkMonitor(const QDBusConnection &bus, QObject *parent = nullptr);

    int status() const override;
    QString currentWiFiName() const override;
    QStringList scannedWiFiNames() const override;

    // The status for one reading of QNetworkInformation. transportKnown is false
    // when the backend cannot tell the medium; then wifiActive (an associated Wi-Fi
    // device seen by NetworkManager) decides between Wi-Fi and other.
    static int statusFor(QNetworkInformation::Reachability reachability,
                         QNetworkInformation::TransportMedium medium, bool transportKnown, bool wifiActive);

private slots:
    // org.freedesktop.DBus.Properties.PropertiesChanged (s a{sv} as) and the older
    // Device.Wireless.PropertiesChanged (a{sv}) of a Wi-Fi device.
    void wifiPropertiesChanged(const QDBusMessage &message);

private:
    int readStatus() const;
    void recompute();
    void rereadName();

    QDBusConnection m_bus;
    NetworkManagerWiFi m_wifi;
    QNetworkInformation *m_info = nullptr;
    int m_status = -1;
    QTimer m_coalesce;
    // Both kinds of signal may arrive for one change: one reading for them all.
    QTimer m_nameCoalesce;
    QString m_name;
    bool m_nameRead = false;
};
