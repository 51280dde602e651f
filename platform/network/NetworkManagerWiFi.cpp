#include "platform/network/NetworkManagerWiFi.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {
const QString service = QStringLiteral("org.freedesktop.NetworkManager");
const QString rootPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString managerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString deviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString wirelessInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
const QString accessPointInterface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr uint deviceTypeWiFi = 2;

// A reply's first argument, or an invalid value when the call failed.
QVariant callFirst(const QDBusConnection &bus, const QDBusMessage &message)
{
    const QDBusMessage reply = bus.call(message, QDBus::Block, NetworkManagerWiFi::CallTimeoutMSecs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst();
}

QVariant property(const QDBusConnection &bus, const QString &path, const QString &interface,
                  const QString &name)
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("Get"));
    get << interface << name;
    const QVariant v = callFirst(bus, get);
    if (v.metaType() == QMetaType::fromType<QDBusVariant>())
        return qvariant_cast<QDBusVariant>(v).variant();
    return {};
}

// Object path lists arrive either decoded or as a raw argument; anything else is no list.
QList<QDBusObjectPath> pathList(const QVariant &v)
{
    if (v.metaType() == QMetaType::fromType<QDBusArgument>()) {
        const QDBusArgument arg = qvariant_cast<QDBusArgument>(v);
        if (arg.currentSignature() != QLatin1String("ao"))
            return {};
        return qdbus_cast<QList<QDBusObjectPath>>(arg);
    }
    if (v.metaType() == QMetaType::fromType<QList<QDBusObjectPath>>())
        return v.value<QList<QDBusObjectPath>>();
    return {};
}

QDBusObjectPath objectPath(const QVariant &v)
{
    if (v.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return v.value<QDBusObjectPath>();
    return {};
}

bool isNoObject(const QDBusObjectPath &p)
{
    return p.path().isEmpty() || p.path() == QLatin1String("/");
}

QString ssidOf(const QDBusConnection &bus, const QDBusObjectPath &accessPoint)
{
    const QVariant v = property(bus, accessPoint.path(), accessPointInterface, QStringLiteral("Ssid"));
    if (v.metaType() != QMetaType::fromType<QByteArray>())
        return {};
    return QString::fromUtf8(v.toByteArray());
}
} // namespace

NetworkManagerWiFi::NetworkManagerWiFi(const QDBusConnection &bus) : m_bus(bus) {}

bool NetworkManagerWiFi::isAvailable() const
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return false;
    return m_bus.interface()->isServiceRegistered(service).value();
}

QString NetworkManagerWiFi::wifiDevice() const
{
    if (!isAvailable())
        return {};
    const QList<QDBusObjectPath> devices =
        pathList(callFirst(m_bus, QDBusMessage::createMethodCall(service, rootPath, managerInterface,
                                                                 QStringLiteral("GetDevices"))));
    // The first Wi-Fi device that is associated, else the first Wi-Fi device.
    QString first;
    for (const QDBusObjectPath &device : devices) {
        const QVariant type = property(m_bus, device.path(), deviceInterface, QStringLiteral("DeviceType"));
        if (!type.canConvert<uint>() || type.toUInt() != deviceTypeWiFi)
            continue;
        const QDBusObjectPath active = objectPath(
            property(m_bus, device.path(), wirelessInterface, QStringLiteral("ActiveAccessPoint")));
        if (!isNoObject(active))
            return device.path();
        if (first.isEmpty())
            first = device.path();
    }
    return first;
}

QString NetworkManagerWiFi::activeSsid() const
{
    const QString device = wifiDevice();
    if (device.isEmpty())
        return {};
    const QDBusObjectPath active =
        objectPath(property(m_bus, device, wirelessInterface, QStringLiteral("ActiveAccessPoint")));
    if (isNoObject(active))
        return {};
    return ssidOf(m_bus, active);
}

QStringList NetworkManagerWiFi::scannedSsids() const
{
    const QString device = wifiDevice();
    if (device.isEmpty())
        return {};
    QStringList names;
    const QList<QDBusObjectPath> points =
        pathList(property(m_bus, device, wirelessInterface, QStringLiteral("AccessPoints")));
    for (const QDBusObjectPath &point : points) {
        if (!isNoObject(point))
            names << ssidOf(m_bus, point);
    }
    return names;
}
