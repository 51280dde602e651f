#include "platform/network/NetworkManagerWiFi.h"

#include "platform/base/Clock.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

Q_LOGGING_CATEGORY(lcNetwork, "prelvane.network")

namespace {
const QString service = QStringLiteral("org.freedesktop.NetworkManager");
const QString rootPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString managerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString deviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString wirelessInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
const QString accessPointInterface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr uint deviceTypeWiFi = 2;

// One answer's D-Bus calls, sharing one time budget. Once a call timed out
// (or the budget is spent) the rest are not made.
struct Reader
{
    const QDBusConnection &bus;
    QDeadlineTimer deadline{NetworkManagerWiFi::CallTimeoutMSecs};
    bool timedOut = false;

    // A reply's first argument, or an invalid value when the call failed.
    QVariant callFirst(const QDBusMessage &message)
    {
        const qint64 left = deadline.remainingTime();
        if (timedOut || left <= 0) {
            timedOut = true;
            return {};
        }
        const QDBusMessage reply = bus.call(message, QDBus::Block, int(left));
        if (reply.type() == QDBusMessage::ErrorMessage &&
            (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
             reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout")))
            timedOut = true;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().constFirst();
    }

    QVariant property(const QString &path, const QString &interface, const QString &name)
    {
        QDBusMessage get =
            QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("Get"));
        get << interface << name;
        const QVariant v = callFirst(get);
        if (v.metaType() == QMetaType::fromType<QDBusVariant>())
            return qvariant_cast<QDBusVariant>(v).variant();
        return {};
    }

    QString ssidOf(const QDBusObjectPath &accessPoint)
    {
        const QVariant v = property(accessPoint.path(), accessPointInterface, QStringLiteral("Ssid"));
        if (v.metaType() != QMetaType::fromType<QByteArray>())
            return {};
        return NetworkManagerWiFi::ssidText(v.toByteArray());
    }

    QString wifiDevice();
};

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

QString Reader::wifiDevice()
{
    const QList<QDBusObjectPath> devices = pathList(callFirst(
        QDBusMessage::createMethodCall(service, rootPath, managerInterface, QStringLiteral("GetDevices"))));
    // The first Wi-Fi device that is associated, else the first Wi-Fi device.
    QString first;
    for (const QDBusObjectPath &device : devices) {
        const QVariant type = property(device.path(), deviceInterface, QStringLiteral("DeviceType"));
        if (!type.canConvert<uint>() || type.toUInt() != deviceTypeWiFi)
            continue;
        const QDBusObjectPath active =
            objectPath(property(device.path(), wirelessInterface, QStringLiteral("ActiveAccessPoint")));
        if (!isNoObject(active))
            return device.path();
        if (first.isEmpty())
            first = device.path();
    }
    return first;
}
} // namespace

NetworkManagerWiFi::NetworkManagerWiFi(const QDBusConnection &bus) : m_bus(bus) {}

bool NetworkManagerWiFi::isAvailable() const
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return false;
    return m_bus.interface()->isServiceRegistered(service).value();
}

QString NetworkManagerWiFi::ssidText(const QByteArray &ssid)
{
    // A reading counts only when it gives back the very same bytes (no
    // replacement characters, no half sequence left over at the end).
    const auto exact = [&ssid](const char *encoding) -> std::optional<QString> {
        QStringDecoder decoder(encoding, QStringDecoder::Flag::ConvertInitialBom);
        QStringEncoder encoder(encoding, QStringEncoder::Flag::ConvertInitialBom);
        if (!decoder.isValid() || !encoder.isValid())
            return std::nullopt;
        const QString text = decoder(ssid);
        if (decoder.hasError() || QByteArray(encoder(text)) != ssid)
            return std::nullopt;
        return text;
    };
    if (const auto text = exact("UTF-8"))
        return *text;
    if (const auto text = exact("GB18030"))
        return *text;
    return QString::fromLatin1(ssid);
}

void NetworkManagerWiFi::invalidate()
{
    m_active.valid = false;
    m_scanned.valid = false;
}

bool NetworkManagerWiFi::fresh(const Kept &kept) const
{
    const qint64 age = Clock::nowMSecs() - kept.at;
    return kept.valid && age >= 0 && age < CacheMSecs;
}

bool NetworkManagerWiFi::leftAlone() const
{
    if (!m_quiet)
        return false;
    // Measured from when it went quiet; a clock set back ends the quiet time.
    const qint64 since = Clock::nowMSecs() - m_quietFrom;
    m_quiet = since >= 0 && since < UnresponsiveBackoffMSecs;
    return m_quiet;
}

void NetworkManagerWiFi::goQuiet() const
{
    qCWarning(lcNetwork) << "NetworkManager did not answer in time; asking again in"
                         << UnresponsiveBackoffMSecs / 1000 << "s";
    m_quiet = true;
    m_quietFrom = Clock::nowMSecs();
}

QString NetworkManagerWiFi::activeSsid() const
{
    if (!isAvailable()) {
        m_active = {};
        return {};
    }
    if (fresh(m_active) || leftAlone())
        return m_active.active;
    Reader reader{m_bus};
    QString ssid;
    const QString device = reader.wifiDevice();
    if (!device.isEmpty()) {
        const QDBusObjectPath active =
            objectPath(reader.property(device, wirelessInterface, QStringLiteral("ActiveAccessPoint")));
        if (!isNoObject(active))
            ssid = reader.ssidOf(active);
    }
    if (reader.timedOut) {
        goQuiet();
        return m_active.active;
    }
    m_active = {true, Clock::nowMSecs(), ssid, {}};
    return ssid;
}

QStringList NetworkManagerWiFi::scannedSsids() const
{
    if (!isAvailable()) {
        m_scanned = {};
        return {};
    }
    if (fresh(m_scanned) || leftAlone())
        return m_scanned.scanned;
    Reader reader{m_bus};
    QStringList names;
    const QString device = reader.wifiDevice();
    if (!device.isEmpty()) {
        const QList<QDBusObjectPath> points =
            pathList(reader.property(device, wirelessInterface, QStringLiteral("AccessPoints")));
        for (const QDBusObjectPath &point : points) {
            if (!isNoObject(point))
                names << reader.ssidOf(point);
        }
    }
    if (reader.timedOut) {
        goQuiet();
        return m_scanned.scanned;
    }
    m_scanned = {true, Clock::nowMSecs(), {}, names};
    return names;
}
