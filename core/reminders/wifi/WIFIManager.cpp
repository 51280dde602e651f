#include "core/reminders/wifi/WIFIManager.h"

#include "platform/network/NetworkMonitor.h"

QString WIFIManager::getCWWiFiName()
{
    return NetworkMonitor::shared()->currentWiFiName();
}

QList<WIFIModel> WIFIManager::getCWNetworkWiFiList()
{
    QList<WIFIModel> list;
    for (const QString &name : NetworkMonitor::shared()->scannedWiFiNames())
        list.append(WIFIModel{name});
    return list;
}
