#include "platform/network/NetworkMonitor.h"

#include "platform/network/SystemNetworkMonitor.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
QPointer<NetworkMonitor> injected;
QPointer<NetworkMonitor> systemMonitor;
} // namespace

NetworkMonitor *NetworkMonitor::shared()
{
    if (injected)
        return injected;
    if (!systemMonitor)
        systemMonitor = new SystemNetworkMonitor(QDBusConnection::systemBus(), QCoreApplication::instance());
    return systemMonitor;
}

void NetworkMonitor::setShared(NetworkMonitor *monitor)
{
    injected = monitor;
}
