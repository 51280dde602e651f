#include "platform/network/SystemNetworkMonitor.h"

#include "platform/network/NetworkStatus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDebug>

namespace {
const QString nmService = QStringLiteral("org.freedesktop.NetworkManager");
const QString wirelessInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
const QString activeAccessPoint = QStringLiteral("ActiveAccessPoint");

QVariantMap propertyMap(const QVariant &v)
{
    if (v.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const QDBusArgument arg = qvariant_cast<QDBusArgument>(v);
        if (arg.currentSignature() != QLatin1String("a{sv}"))
            return {};
        return qdbus_cast<QVariantMap>(arg);
    }
    if (v.metaType() == QMetaType::fromType<QVariantMap>())
        return v.toMap();
    return {};
}

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
    : NetworkMonitor(parent), m_bus(bus), m_wifi(bus), m_info(loadInformation())
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

    m_nameCoalesce.setSingleShot(true);
    m_nameCoalesce.setInterval(0);
    connect(&m_nameCoalesce, &QTimer::timeout, this, &SystemNetworkMonitor::rereadName);
    // Any sender and any device path: a Wi-Fi device plugged in later, or renumbered
    // after a restart of NetworkManager, is heard as well, without depending on the
    // bus connection's tracking of who owns the name (wifiPropertiesChanged checks
    // the sender). The bus delivers only the property changes of Wi-Fi devices.
    if (m_bus.isConnected()) {
        const QString changed = QStringLiteral("PropertiesChanged");
        if (!m_bus.connect(QString(), QString(), QStringLiteral("org.freedesktop.DBus.Properties"), changed,
                           QStringList{wirelessInterface}, QString(), this,
                           SLOT(wifiPropertiesChanged(QDBusMessage))))
            qInfo("Cannot watch NetworkManager's Wi-Fi properties: %s",
                  qPrintable(m_bus.lastError().message()));
        m_bus.connect(QString(), QString(), wirelessInterface, changed, this,
                      SLOT(wifiPropertiesChanged(QDBusMessage)));
    }
}

void SystemNetworkMonitor::wifiPropertiesChanged(const QDBusMessage &message)
{
    const QList<QVariant> args = message.arguments();
    QVariantMap changed;
    if (message.interface() == wirelessInterface && !args.isEmpty())
        changed = propertyMap(args.at(0));
    else if (args.size() >= 2 && args.at(0).toString() == wirelessInterface)
        changed = propertyMap(args.at(1));
    // Scans change the access point list often; only a new active one matters.
    bool relevant = changed.contains(activeAccessPoint);
    if (!relevant && args.size() >= 3 && message.interface() != wirelessInterface)
        relevant = args.at(2).toStringList().contains(activeAccessPoint);
    if (!relevant || m_nameCoalesce.isActive())
        return;
    // Anyone on the bus may send such a signal; only NetworkManager's count.
    const QDBusReply<QString> owner =
        m_bus.interface() ? m_bus.interface()->serviceOwner(nmService) : QDBusReply<QString>();
    if (owner.isValid() && !owner.value().isEmpty() && owner.value() == message.service())
        m_nameCoalesce.start();
}

void SystemNetworkMonitor::rereadName()
{
    m_wifi.invalidate();
    const QString name = m_wifi.activeSsid();
    if (m_nameRead && name == m_name)
        return;
    m_nameRead = true;
    m_name = name;
    emit wifiNameChanged(name);
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
