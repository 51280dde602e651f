#pragma once

#include "platform/network/NetworkManagerWiFi.h"
#include "platform/network/NetworkMonitor.h"

#include <QNetworkInformation>
#include <QTimer>

// The network monitor of the running program: the status comes from
// QNetworkInformation (reachability and transport medium), the Wi-Fi names from
// NetworkManager on the given bus.
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

private:
    int readStatus() const;
    void recompute();

    NetworkManagerWiFi m_wifi;
    QNetworkInformation *m_info = nullptr;
    int m_status = -1;
    QTimer m_coalesce;
};
