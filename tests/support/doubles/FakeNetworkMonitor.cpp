#include "tests/support/doubles/FakeNetworkMonitor.h"

void FakeNetworkMonitor::setStatus(int status)
{
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged(status);
}

void FakeNetworkMonitor::setCurrentWiFiName(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    emit wifiNameChanged(name);
}

void FakeNetworkMonitor::change(int status, const QString &name)
{
    setCurrentWiFiName(name);
    setStatus(status);
}
