#pragma once

#include "core/reminders/wifi/WIFIModel.h"

#include <QList>
#include <QString>

class NetworkMonitor;

// The Wi-Fi interface as the reminders and the network lists see it.
class WIFIManager
{
public:
    explicit WIFIManager(NetworkMonitor &monitor) : m_monitor(monitor) {}

    // SSID of the joined network; empty when not associated.
    QString getCWWiFiName() const;
    // One model per entry of the cached scan results, in their order, unfiltered.
    QList<WIFIModel> getCWNetworkWiFiList() const;

private:
    NetworkMonitor &m_monitor;
};
