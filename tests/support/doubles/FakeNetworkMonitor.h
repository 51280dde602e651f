#pragma once

#include "platform/network/NetworkMonitor.h"

// A network monitor that tests drive by hand.
class FakeNetworkMonitor : public NetworkMonitor
{
    Q_OBJECT
public:
    using NetworkMonitor::NetworkMonitor;

    int status() const override { return m_status; }
    QString currentWiFiName() const override { return m_name; }
    QStringList scannedWiFiNames() const override { return m_scanned; }

    // Emits statusChanged when the value differs.
    void setStatus(int status);
    // Emits wifiNameChanged when the value differs.
    void setCurrentWiFiName(const QString &name);
    void setScannedWiFiNames(const QStringList &names) { m_scanned = names; }
    // Name first, then status, as a real join or leave is seen.
    void change(int status, const QString &name);

private:
    int m_status = -1;
    QString m_name;
    QStringList m_scanned;
};
