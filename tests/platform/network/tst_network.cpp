#include "platform/base/Clock.h"
#include "platform/network/NetworkManagerWiFi.h"
#include "platform/network/NetworkStatus.h"
#include "platform/network/SystemNetworkMonitor.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QMutex>
#include <QSet>
#include <QSignalSpy>
#include <QThread>

namespace {

const QString nmService = QStringLiteral("org.freedesktop.NetworkManager");
const QString nmRoot = QStringLiteral("/org/freedesktop/NetworkManager");
const QString deviceIface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString wirelessIface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
const QString apIface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");

QString devicePath(int n)
{
    return nmRoot + QStringLiteral("/Devices/%1").arg(n);
}

QString apPath(int n)
{
    return nmRoot + QStringLiteral("/AccessPoint/%1").arg(n);
}

QList<QDBusObjectPath> paths(const QStringList &list)
{
    QList<QDBusObjectPath> out;
    for (const QString &p : list)
        out << QDBusObjectPath(p);
    return out;
}

// A stand-in NetworkManager: answers GetDevices and Properties.Get from a table
// of (object path, interface, property) values, and records every call.
class FakeNetworkManager : public QDBusVirtualObject
{
public:
    void setDevices(const QStringList &devices)
    {
        QMutexLocker lock(&m_mutex);
        m_devices = devices;
    }
    void setProperty(const QString &path, const QString &iface, const QString &name, const QVariant &value)
    {
        QMutexLocker lock(&m_mutex);
        m_props[path + '|' + iface + '|' + name] = value;
    }
    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    // Never answers (a hung NetworkManager).
    void setHanging(bool hanging)
    {
        QMutexLocker lock(&m_mutex);
        m_hanging = hanging;
    }
    // Answers each call only after this long.
    void setDelay(int msecs)
    {
        QMutexLocker lock(&m_mutex);
        m_delay = msecs;
    }

    void addWiFiDevice(int n, int activeAp, const QList<QPair<int, QByteArray>> &aps)
    {
        setProperty(devicePath(n), deviceIface, "DeviceType", QVariant::fromValue(uint(2)));
        setProperty(devicePath(n), wirelessIface, "ActiveAccessPoint",
                    QVariant::fromValue(QDBusObjectPath(activeAp ? apPath(activeAp) : QStringLiteral("/"))));
        QStringList list;
        for (const auto &[id, ssid] : aps) {
            list << apPath(id);
            setProperty(apPath(id), apIface, "Ssid", ssid);
        }
        setProperty(devicePath(n), wirelessIface, "AccessPoints", QVariant::fromValue(paths(list)));
    }
    void addWiredDevice(int n)
    {
        setProperty(devicePath(n), deviceIface, "DeviceType", QVariant::fromValue(uint(1)));
    }

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        QMutexLocker lock(&m_mutex);
        m_calls << message.path() + ' ' + message.interface() + '.' + message.member();
        if (m_hanging)
            return true;
        if (m_delay > 0)
            QThread::msleep(m_delay);
        if (message.member() == QLatin1String("GetDevices") && message.path() == nmRoot) {
            connection.send(message.createReply(QVariant::fromValue(paths(m_devices))));
            return true;
        }
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties") &&
            message.member() == QLatin1String("Get") && message.arguments().size() == 2) {
            const QString key = message.path() + '|' + message.arguments().at(0).toString() + '|' +
                                message.arguments().at(1).toString();
            if (m_props.contains(key)) {
                connection.send(message.createReply(QVariant::fromValue(QDBusVariant(m_props.value(key)))));
            } else {
                connection.send(message.createErrorReply(QDBusError::UnknownProperty, "no such property"));
            }
            return true;
        }
        connection.send(message.createErrorReply(QDBusError::UnknownMethod, "not answered here"));
        return true;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_devices;
    QHash<QString, QVariant> m_props;
    QStringList m_calls;
    bool m_hanging = false;
    int m_delay = 0;
};

} // namespace

class TestNetwork : public QObject
{
    Q_OBJECT
private:
    QThread m_thread;
    FakeNetworkManager *m_nm = nullptr;
    QString m_connName;

    // Puts a fresh stand-in on its own connection, answered from its own thread
    // so that the reader's blocking calls from this thread get their replies.
    void startManager(bool claimName = true)
    {
        m_nm = new FakeNetworkManager;
        m_nm->moveToThread(&m_thread);
        static int serial = 0;
        m_connName = QStringLiteral("standin-%1").arg(++serial);
        bool ok = false;
        QMetaObject::invokeMethod(
            m_nm,
            [&] {
                QDBusConnection conn = QDBusConnection::connectToBus(QDBusConnection::SessionBus, m_connName);
                ok = conn.isConnected() &&
                     conn.registerVirtualObject(nmRoot, m_nm, QDBusConnection::SubPath) &&
                     (!claimName || conn.registerService(nmService));
            },
            Qt::BlockingQueuedConnection);
        QVERIFY(ok);
    }

    // A signal from the stand-in's connection, the owner of NetworkManager's name.
    void emitFromManager(const QString &path, const QString &iface, const QString &member,
                         const QVariantList &args)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, iface, member);
        signal.setArguments(args);
        QVERIFY(QDBusConnection(m_connName).send(signal));
    }

    static QVariantList activePointChanged(int ap)
    {
        QVariantMap changed;
        changed.insert("ActiveAccessPoint",
                       QVariant::fromValue(QDBusObjectPath(ap ? apPath(ap) : QStringLiteral("/"))));
        return {wirelessIface, changed, QStringList()};
    }

    // Points the device at another access point and says so, as NetworkManager does.
    void associate(int device, int ap)
    {
        m_nm->setProperty(devicePath(device), wirelessIface, "ActiveAccessPoint",
                          QVariant::fromValue(QDBusObjectPath(ap ? apPath(ap) : QStringLiteral("/"))));
        emitFromManager(devicePath(device), "org.freedesktop.DBus.Properties", "PropertiesChanged",
                        activePointChanged(ap));
    }

    // Lets the signals sent so far arrive: a round trip to the bus from each sender
    // (the bus has routed them by then), then time for this thread to handle them.
    void settle()
    {
        QVERIFY(QDBusConnection(m_connName).interface()->isServiceRegistered(nmService).value());
        QVERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(nmService).value());
        QTest::qWait(200);
    }

    int deviceQueries() const { return int(m_nm->calls().filter("GetDevices").size()); }

    void stopManager()
    {
        if (m_connName.isEmpty())
            return;
        {
            QDBusConnection conn(m_connName);
            conn.unregisterService(nmService);
            conn.unregisterObject(nmRoot, QDBusConnection::UnregisterTree);
        }
        QDBusConnection::disconnectFromBus(m_connName);
        m_connName.clear();
        QMetaObject::invokeMethod(
            m_nm, [nm = m_nm] { delete nm; }, Qt::BlockingQueuedConnection);
        m_nm = nullptr;
        // The name is released asynchronously; wait until the bus no longer lists it.
        QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(nmService).value());
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "the test needs a private session bus");
        m_thread.start();
    }
    void cleanupTestCase()
    {
        m_thread.quit();
        m_thread.wait();
    }
    void cleanup()
    {
        Clock::reset();
        stopManager();
    }

    void readsActiveNetworkAndScanListOfTheWiFiDevice()
    {
        startManager();
        m_nm->addWiredDevice(1);
        m_nm->addWiFiDevice(2, 11,
                            {{11, "Office-5G"}, {12, QByteArray("咖啡馆")}, {13, ""}, {14, "Office-5G"}});
        m_nm->setDevices({devicePath(1), devicePath(2)});

        NetworkManagerWiFi wifi(QDBusConnection::sessionBus());
        QVERIFY(wifi.isAvailable());
        QCOMPARE(wifi.activeSsid(), QString("Office-5G"));
        // In the device's order and unfiltered: hidden and repeated names stay.
        QCOMPARE(wifi.scannedSsids(), QStringList({"Office-5G", "咖啡馆", "", "Office-5G"}));
        // Cached results only: no scan is asked for.
        for (const QString &call : m_nm->calls())
            QVERIFY2(!call.contains("RequestScan"), qPrintable(call));
    }

    void unassociatedDeviceHasNoNameButKeepsItsScanList()
    {
        startManager();
        m_nm->addWiFiDevice(1, 0, {{21, "Home"}, {22, "Neighbour"}});
        m_nm->setDevices({devicePath(1)});

        NetworkManagerWiFi wifi(QDBusConnection::sessionBus());
        QCOMPARE(wifi.activeSsid(), QString());
        QCOMPARE(wifi.scannedSsids(), QStringList({"Home", "Neighbour"}));
    }

    void theAssociatedOfTwoWiFiDevicesIsUsed()
    {
        startManager();
        m_nm->addWiFiDevice(1, 0, {{31, "Seen-by-first"}});
        m_nm->addWiFiDevice(2, 41, {{41, "Joined"}, {42, "Other"}});
        m_nm->setDevices({devicePath(1), devicePath(2)});

        NetworkManagerWiFi wifi(QDBusConnection::sessionBus());
        QCOMPARE(wifi.activeSsid(), QString("Joined"));
        QCOMPARE(wifi.scannedSsids(), QStringList({"Joined", "Other"}));
    }

    void noWiFiDeviceGivesEmptyAnswers()
    {
        startManager();
        m_nm->addWiredDevice(1);
        m_nm->setDevices({devicePath(1)});

        NetworkManagerWiFi wifi(QDBusConnection::sessionBus());
        QVERIFY(wifi.isAvailable());
        QCOMPARE(wifi.activeSsid(), QString());
        QCOMPARE(wifi.scannedSsids(), QStringList());
    }

    void malformedAnswersAreNoAnswers()
    {
        startManager();
        // A device type of the wrong type, a Wi-Fi device whose access points
        // lack their Ssid or carry text in place of bytes, a list that is not a list.
        m_nm->setProperty(devicePath(1), deviceIface, "DeviceType", QString("wifi"));
        m_nm->setProperty(devicePath(2), deviceIface, "DeviceType", QVariant::fromValue(uint(2)));
        m_nm->setProperty(devicePath(2), wirelessIface, "ActiveAccessPoint",
                          QVariant::fromValue(QDBusObjectPath(apPath(51))));
        m_nm->setProperty(devicePath(2), wirelessIface, "AccessPoints", QString("not a list"));
        m_nm->setProperty(apPath(52), apIface, "Ssid", QString("text, not bytes"));
        m_nm->setDevices({devicePath(1), devicePath(2)});

        NetworkManagerWiFi wifi(QDBusConnection::sessionBus());
        QCOMPARE(wifi.activeSsid(), QString());
        QCOMPARE(wifi.scannedSsids(), QStringList());

        m_nm->setProperty(devicePath(2), wirelessIface, "AccessPoints",
                          QVariant::fromValue(paths({apPath(51), apPath(52)})));
        wifi.invalidate();
        // Entries without a readable name read as hidden networks.
        QCOMPARE(wifi.scannedSsids(), QStringList({"", ""}));
    }

    void ssidBytesThatAreNotUtf8_data()
    {
        QTest::addColumn<QByteArray>("ssid");
        QTest::addColumn<QString>("text");
        QTest::newRow("UTF-8") << QByteArray("咖啡馆") << QString("咖啡馆");
        QTest::newRow("GBK of a router that predates UTF-8")
            << QByteArray("\xbf\xa7\xb7\xc8\xb9\xdd") << QString("咖啡馆");
        QTest::newRow("neither: Latin-1, byte for byte")
            << QByteArray("caf\xe9\xff") << QString("caf\u00e9\u00ff");
        QTest::newRow("empty (hidden network)") << QByteArray() << QString();
        QTest::newRow("a leading byte-order mark is kept")
            << QByteArray("\xef\xbb\xbfNet") << QString(QChar(0xfeff)) + "Net";
    }
    void ssidBytesThatAreNotUtf8()
    {
        QFETCH(QByteArray, ssid);
        QFETCH(QString, text);
        QCOMPARE(NetworkManagerWiFi::ssidText(ssid), text);

        startManager();
        m_nm->addWiFiDevice(1, 71, {{71, ssid}, {72, "Other"}});
        m_nm->setDevices({devicePath(1)});
        NetworkManagerWiFi wifi(QDBusConnection::sessionBus());
        QCOMPARE(wifi.activeSsid(), text);
        QCOMPARE(wifi.scannedSsids(), QStringList({text, "Other"}));
    }

    void differentBytesNeverReadAsTheSameName()
    {
        const QList<QByteArray> ssids{"caf\xe9", "caf\xe8",          "caf\x80",         "caf\xff",
                                      "caf",     "\xbf\xa7\xb7\xc8", "\xbf\xa7\xb7\xc9"};
        QSet<QString> texts;
        for (const QByteArray &ssid : ssids)
            texts.insert(NetworkManagerWiFi::ssidText(ssid));
        QCOMPARE(texts.size(), ssids.size());
    }

    // The status handler asks for the name on every change: answers are kept
    // for a moment, and a new change asks again.
    void answersAreKeptUntilTheNetworkChanges()
    {
        startManager();
        m_nm->addWiFiDevice(1, 81, {{81, "Office"}});
        m_nm->setDevices({devicePath(1)});
        NetworkManagerWiFi wifi(QDBusConnection::sessionBus());
        QCOMPARE(wifi.activeSsid(), QString("Office"));
        const qsizetype calls = m_nm->calls().size();
        QCOMPARE(wifi.activeSsid(), QString("Office"));
        QCOMPARE(wifi.activeSsid(), QString("Office"));
        QCOMPARE(m_nm->calls().size(), calls);

        m_nm->addWiFiDevice(1, 82, {{82, "Home"}});
        wifi.invalidate();
        QCOMPARE(wifi.activeSsid(), QString("Home"));
        m_nm->addWiFiDevice(1, 0, {});
        Clock::advance(NetworkManagerWiFi::CacheMSecs);
        QCOMPARE(wifi.activeSsid(), QString());
        Clock::reset();
    }

    // A hung NetworkManager costs one time-out, not one per call or per question.
    void hungManagerBlocksOnceThenIsLeftAlone()
    {
        startManager();
        m_nm->addWiFiDevice(1, 91, {{91, "Office"}});
        m_nm->addWiFiDevice(2, 0, {});
        m_nm->setDevices({devicePath(1), devicePath(2)});
        NetworkManagerWiFi wifi(QDBusConnection::sessionBus());
        QCOMPARE(wifi.activeSsid(), QString("Office"));

        m_nm->setHanging(true);
        wifi.invalidate();
        QElapsedTimer t;
        t.start();
        // The last answer stands while it does not answer.
        QCOMPARE(wifi.activeSsid(), QString("Office"));
        QVERIFY2(t.elapsed() < NetworkManagerWiFi::CallTimeoutMSecs + 500,
                 qPrintable(QString::number(t.elapsed())));
        t.restart();
        for (int i = 0; i < 20; ++i) {
            wifi.invalidate();
            QCOMPARE(wifi.activeSsid(), QString("Office"));
            wifi.scannedSsids();
        }
        QVERIFY2(t.elapsed() < 500, qPrintable(QString::number(t.elapsed())));

        // Answering again: asked again once the quiet time is over.
        m_nm->setHanging(false);
        m_nm->addWiFiDevice(1, 92, {{92, "Home"}});
        Clock::advance(NetworkManagerWiFi::UnresponsiveBackoffMSecs);
        QCOMPARE(wifi.activeSsid(), QString("Home"));
        Clock::reset();
    }

    // Slow answers: all calls of one answer share one time budget.
    void slowManagerCostsAtMostOneBudgetPerAnswer()
    {
        startManager();
        for (int n = 1; n <= 4; ++n)
            m_nm->addWiFiDevice(n, 0, {{100 + n, "Far"}});
        m_nm->setDevices({devicePath(1), devicePath(2), devicePath(3), devicePath(4)});
        m_nm->setDelay(400); // 9 calls before the last device is reached
        NetworkManagerWiFi wifi(QDBusConnection::sessionBus());
        QElapsedTimer t;
        t.start();
        wifi.scannedSsids();
        QVERIFY2(t.elapsed() < NetworkManagerWiFi::CallTimeoutMSecs + 500,
                 qPrintable(QString::number(t.elapsed())));
        m_nm->setDelay(0);
        Clock::reset();
    }

    void managerAbsentGivesEmptyAnswersAtOnce()
    {
        // Objects exist but nobody owns the NetworkManager name, as on a machine without it.
        startManager(false);
        NetworkManagerWiFi wifi(QDBusConnection::sessionBus());
        QElapsedTimer t;
        t.start();
        QVERIFY(!wifi.isAvailable());
        QCOMPARE(wifi.activeSsid(), QString());
        QCOMPARE(wifi.scannedSsids(), QStringList());
        QVERIFY(t.elapsed() < NetworkManagerWiFi::CallTimeoutMSecs);
        QVERIFY(m_nm->calls().isEmpty());

        NetworkManagerWiFi detached(QDBusConnection(QStringLiteral("never-connected")));
        QVERIFY(!detached.isAvailable());
        QCOMPARE(detached.activeSsid(), QString());
    }

    void systemMonitorNamesComeFromTheInjectedBus()
    {
        startManager();
        m_nm->addWiFiDevice(1, 61, {{61, "Lab"}, {62, "Hall"}});
        m_nm->setDevices({devicePath(1)});

        SystemNetworkMonitor monitor(QDBusConnection::sessionBus());
        QCOMPARE(monitor.currentWiFiName(), QString("Lab"));
        QCOMPARE(monitor.scannedWiFiNames(), QStringList({"Lab", "Hall"}));
        const int s = monitor.status();
        QVERIFY(s >= NetworkStatus::Unknown && s <= NetworkStatus::WiFi);

        stopManager();
        // NetworkManager gone: names are empty, nothing fails.
        QCOMPARE(monitor.currentWiFiName(), QString());
        QCOMPARE(monitor.scannedWiFiNames(), QStringList());
    }

    // Roaming from one network to another keeps the status at Wi-Fi; only the
    // active access point of the device tells, and its name is read anew at once.
    void aNewActiveAccessPointGivesTheNewName()
    {
        startManager();
        m_nm->addWiFiDevice(1, 11, {{11, "Office"}, {12, "Home"}, {13, "Office"}});
        m_nm->setDevices({devicePath(1)});
        SystemNetworkMonitor monitor(QDBusConnection::sessionBus());
        QSignalSpy named(&monitor, &NetworkMonitor::wifiNameChanged);
        QCOMPARE(monitor.currentWiFiName(), QString("Office"));

        associate(1, 12);
        QTRY_COMPARE(named.count(), 1);
        QCOMPARE(named.at(0).at(0).toString(), QString("Home"));
        // The kept answer was dropped: the name asked for now is the new one.
        QCOMPARE(monitor.currentWiFiName(), QString("Home"));

        // Disassociated, then on the first network again.
        associate(1, 0);
        QTRY_COMPARE(named.count(), 2);
        QCOMPARE(named.at(1).at(0).toString(), QString());
        associate(1, 11);
        QTRY_COMPARE(named.count(), 3);
        QCOMPARE(named.at(2).at(0).toString(), QString("Office"));

        // Another access point of the same network: the name stays, nothing is emitted.
        associate(1, 13);
        associate(1, 12);
        QTRY_COMPARE(named.count(), 4);
        QCOMPARE(named.at(3).at(0).toString(), QString("Home"));
    }

    // NetworkManager's older per-interface signal carries the same news.
    void theWirelessInterfacesOwnSignalIsHeard()
    {
        startManager();
        m_nm->addWiFiDevice(1, 11, {{11, "Office"}, {12, "Home"}});
        m_nm->setDevices({devicePath(1)});
        SystemNetworkMonitor monitor(QDBusConnection::sessionBus());
        QSignalSpy named(&monitor, &NetworkMonitor::wifiNameChanged);

        m_nm->setProperty(devicePath(1), wirelessIface, "ActiveAccessPoint",
                          QVariant::fromValue(QDBusObjectPath(apPath(12))));
        emitFromManager(devicePath(1), wirelessIface, "PropertiesChanged", {activePointChanged(12).at(1)});
        QTRY_COMPARE(named.count(), 1);
        QCOMPARE(named.at(0).at(0).toString(), QString("Home"));
    }

    // Scans change the device's properties all the time: those cost no D-Bus
    // call, and a burst of signals for one change costs one reading.
    void onlyAChangedActiveAccessPointIsReadAndOnlyOnce()
    {
        startManager();
        m_nm->addWiFiDevice(1, 11, {{11, "Office"}, {12, "Home"}});
        m_nm->setDevices({devicePath(1)});
        SystemNetworkMonitor monitor(QDBusConnection::sessionBus());
        QSignalSpy named(&monitor, &NetworkMonitor::wifiNameChanged);
        QCOMPARE(monitor.currentWiFiName(), QString("Office"));
        const int before = deviceQueries();

        QVariantMap scan;
        scan.insert("AccessPoints", QVariant::fromValue(paths({apPath(11), apPath(12)})));
        scan.insert("LastScan", qint64(12345));
        QVariantMap state;
        state.insert("State", uint(100));
        emitFromManager(devicePath(1), "org.freedesktop.DBus.Properties", "PropertiesChanged",
                        {wirelessIface, scan, QStringList()});
        emitFromManager(devicePath(1), wirelessIface, "PropertiesChanged", {scan});
        emitFromManager(devicePath(1), "org.freedesktop.DBus.Properties", "PropertiesChanged",
                        {deviceIface, state, QStringList()});
        // Malformed: no arguments, or a text where the map belongs.
        emitFromManager(devicePath(1), "org.freedesktop.DBus.Properties", "PropertiesChanged", {});
        emitFromManager(devicePath(1), wirelessIface, "PropertiesChanged", {QString("ActiveAccessPoint")});
        settle();
        QCOMPARE(named.count(), 0);
        QCOMPARE(deviceQueries(), before);

        // Then a real switch, told by both signals at once.
        m_nm->setProperty(devicePath(1), wirelessIface, "ActiveAccessPoint",
                          QVariant::fromValue(QDBusObjectPath(apPath(12))));
        emitFromManager(devicePath(1), "org.freedesktop.DBus.Properties", "PropertiesChanged",
                        activePointChanged(12));
        emitFromManager(devicePath(1), wirelessIface, "PropertiesChanged", {activePointChanged(12).at(1)});
        QTRY_COMPARE(named.count(), 1);
        QCOMPARE(named.at(0).at(0).toString(), QString("Home"));
        settle();
        QCOMPARE(named.count(), 1);
        QCOMPARE(deviceQueries(), before + 1);
    }

    // Anyone on the bus can send a signal; only NetworkManager's count.
    void aSignalFromAnotherSenderIsIgnored()
    {
        startManager();
        m_nm->addWiFiDevice(1, 11, {{11, "Office"}, {12, "Home"}});
        m_nm->setDevices({devicePath(1)});
        SystemNetworkMonitor monitor(QDBusConnection::sessionBus());
        QSignalSpy named(&monitor, &NetworkMonitor::wifiNameChanged);
        const int before = deviceQueries();

        QDBusMessage forged =
            QDBusMessage::createSignal(devicePath(1), "org.freedesktop.DBus.Properties", "PropertiesChanged");
        forged.setArguments(activePointChanged(12));
        QVERIFY(QDBusConnection::sessionBus().send(forged));
        settle();
        QCOMPARE(named.count(), 0);
        QCOMPARE(deviceQueries(), before);
    }

    // A restarted NetworkManager (new owner of the name, the device renumbered) is still heard.
    void aRestartedManagerIsStillHeard()
    {
        startManager();
        m_nm->addWiFiDevice(1, 11, {{11, "Office"}});
        m_nm->setDevices({devicePath(1)});
        SystemNetworkMonitor monitor(QDBusConnection::sessionBus());
        QSignalSpy named(&monitor, &NetworkMonitor::wifiNameChanged);

        stopManager();
        startManager();
        m_nm->addWiFiDevice(7, 0, {{12, "Home"}});
        m_nm->setDevices({devicePath(7)});
        associate(7, 12);
        QTRY_COMPARE(named.count(), 1);
        QCOMPARE(named.at(0).at(0).toString(), QString("Home"));
    }

    void statusFromReachabilityAndMedium_data()
    {
        using R = QNetworkInformation::Reachability;
        using M = QNetworkInformation::TransportMedium;
        QTest::addColumn<R>("reachability");
        QTest::addColumn<M>("medium");
        QTest::addColumn<bool>("transportKnown");
        QTest::addColumn<bool>("wifiActive");
        QTest::addColumn<int>("status");

        QTest::newRow("unknown reachability") << R::Unknown << M::WiFi << true << true << -1;
        QTest::newRow("disconnected, Wi-Fi still associated")
            << R::Disconnected << M::WiFi << true << true << 0;
        QTest::newRow("online over Wi-Fi") << R::Online << M::WiFi << true << false << 2;
        QTest::newRow("local network over Wi-Fi") << R::Local << M::WiFi << true << false << 2;
        QTest::newRow("site over Wi-Fi") << R::Site << M::WiFi << true << false << 2;
        QTest::newRow("online over Ethernet, Wi-Fi also up") << R::Online << M::Ethernet << true << true << 1;
        QTest::newRow("online over mobile data") << R::Online << M::Cellular << true << false << 1;
        QTest::newRow("medium unknown, Wi-Fi associated") << R::Online << M::Unknown << true << true << 2;
        QTest::newRow("medium unknown, no Wi-Fi") << R::Online << M::Unknown << true << false << 1;
        QTest::newRow("backend without medium, Wi-Fi") << R::Online << M::Unknown << false << true << 2;
        QTest::newRow("backend without medium, wired") << R::Online << M::Unknown << false << false << 1;
    }
    void statusFromReachabilityAndMedium()
    {
        QFETCH(QNetworkInformation::Reachability, reachability);
        QFETCH(QNetworkInformation::TransportMedium, medium);
        QFETCH(bool, transportKnown);
        QFETCH(bool, wifiActive);
        QFETCH(int, status);
        QCOMPARE(SystemNetworkMonitor::statusFor(reachability, medium, transportKnown, wifiActive), status);
    }

    void fakeMonitorSignalsChanges()
    {
        FakeNetworkMonitor fake;
        QSignalSpy changed(&fake, &NetworkMonitor::statusChanged);
        QSignalSpy named(&fake, &NetworkMonitor::wifiNameChanged);
        QStringList order;
        connect(&fake, &NetworkMonitor::statusChanged, this, [&](int s) { order << QString::number(s); });
        connect(&fake, &NetworkMonitor::wifiNameChanged, this, [&](const QString &n) { order << n; });
        NetworkMonitor &monitor = fake;

        fake.change(NetworkStatus::WiFi, "Office");
        QCOMPARE(monitor.status(), 2);
        QCOMPARE(monitor.currentWiFiName(), QString("Office"));
        fake.change(NetworkStatus::WiFi, "Cafe"); // Wi-Fi to Wi-Fi: no status change
        QCOMPARE(monitor.currentWiFiName(), QString("Cafe"));
        fake.change(NetworkStatus::NotReachable, QString());
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(0).at(0).toInt(), 2);
        QCOMPARE(changed.at(1).at(0).toInt(), 0);
        // One name signal per different name, before the status that goes with it.
        QCOMPARE(named.count(), 3);
        QCOMPARE(named.at(0).at(0).toString(), QString("Office"));
        QCOMPARE(named.at(1).at(0).toString(), QString("Cafe"));
        QCOMPARE(named.at(2).at(0).toString(), QString());
        QCOMPARE(order, QStringList({"Office", "2", "Cafe", "", "0"}));
        fake.setCurrentWiFiName(QString());
        QCOMPARE(named.count(), 3);
    }
};

PRELVANE_TEST_CORE_MAIN(TestNetwork)
#include "tst_network.moc"
