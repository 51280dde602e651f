#include "platform/network/FakeNetworkMonitor.h"

void FakeNetworkMonitor::setStatus(int status)
{
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged(status);
}

void FakeNetworkMonitor::change(int status, const QString &name)
{
    m_name = name;
    setStatus(status);
}
