#include "core/reminders/wifi/WIFIManager.h"

#include "platform/network/NetworkMonitor.h"

QString WIFIManager::getCWWiFiName() const
{
    return m_monitor.currentWiFiName();
}

QList<WIFIModel> WIFIManager::getCWNetworkWiFiList() const
{
    QList<WIFIModel> list;
    for (const QString &name : m_monitor.scannedWiFiNames())
        list.append(WIFIModel{name});
    return list;
}
