#include "platform/network/SystemNetworkMonitor.h"

#include "platform/network/NetworkStatus.h"

#include <QDebug>

namespace {
QNetworkInformation *loadInformation()
{
    if (QNetworkInformation::instance())
        return QNetworkInformation::instance();
    // NetworkManager's backend tells the medium; any other that knows reachability will do.
    if (QNetworkInformation::loadDefaultBackend() && QNetworkInformation::instance())
        return QNetworkInformation::instance();
    if (QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return QNetworkInformation::instance();
    qInfo("No network information backend; the network status stays unknown");
    return nullptr;
}
} // namespace

SystemNetworkMonitor::SystemNetworkMonitor(const QDBusConnection &bus, QObject *parent)
    : NetworkMonitor(parent), m_wifi(bus), m_info(loadInformation())
{
    // Reachability and medium change in separate signals; one status is taken
    // after both have arrived so that a switch does not pass through a false state.
    m_coalesce.setSingleShot(true);
    m_coalesce.setInterval(0);
    connect(&m_coalesce, &QTimer::timeout, this, &SystemNetworkMonitor::recompute);
    if (m_info) {
        connect(m_info, &QNetworkInformation::reachabilityChanged, &m_coalesce, qOverload<>(&QTimer::start));
        connect(m_info, &QNetworkInformation::transportMediumChanged, &m_coalesce,
                qOverload<>(&QTimer::start));
    }
    m_status = readStatus();
}

int SystemNetworkMonitor::statusFor(QNetworkInformation::Reachability reachability,
                                    QNetworkInformation::TransportMedium medium, bool transportKnown,
                                    bool wifiActive)
{
    using R = QNetworkInformation::Reachability;
    switch (reachability) {
    case R::Unknown:
        return NetworkStatus::Unknown;
    case R::Disconnected:
        return NetworkStatus::NotReachable;
    case R::Local:
    case R::Site:
    case R::Online:
        break;
    }
    const bool wifi = transportKnown && medium != QNetworkInformation::TransportMedium::Unknown
                          ? medium == QNetworkInformation::TransportMedium::WiFi
                          : wifiActive;
    return wifi ? NetworkStatus::WiFi : NetworkStatus::ReachableNotWiFi;
}

int SystemNetworkMonitor::readStatus() const
{
    if (!m_info)
        return NetworkStatus::Unknown;
    const bool transportKnown = m_info->supports(QNetworkInformation::Feature::TransportMedium);
    const auto reachability = m_info->reachability();
    const auto medium = m_info->transportMedium();
    // Ask NetworkManager only when the backend cannot say.
    const bool needWiFiState = reachability != QNetworkInformation::Reachability::Unknown &&
                               reachability != QNetworkInformation::Reachability::Disconnected &&
                               (!transportKnown || medium == QNetworkInformation::TransportMedium::Unknown);
    const bool wifiActive = needWiFiState && !m_wifi.activeSsid().isEmpty();
    return statusFor(reachability, medium, transportKnown, wifiActive);
}

void SystemNetworkMonitor::recompute()
{
    // The network changed: what NetworkManager said before may no longer hold.
    m_wifi.invalidate();
    const int now = readStatus();
    if (now == m_status)
        return;
    m_status = now;
    emit statusChanged(now);
}

int SystemNetworkMonitor::status() const
{
    return m_status;
}

QString SystemNetworkMonitor::currentWiFiName() const
{
    return m_wifi.activeSsid();
}

QStringList SystemNetworkMonitor::scannedWiFiNames() const
{
    return m_wifi.scannedSsids();
}
