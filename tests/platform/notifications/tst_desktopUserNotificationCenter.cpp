#include "platform/base/Clock.h"
#include "platform/notifications/DesktopUserNotificationCenter.h"
#include "tests/support/TestEnv.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QSignalSpy>

#include <memory>

namespace {
const QString serviceName = QStringLiteral("org.freedesktop.Notifications");
const QString objectPath = QStringLiteral("/org/freedesktop/Notifications");
const QDateTime t0(QDate(2026, 3, 2), QTime(9, 0));

UserNotification note(const QString &id, const QDateTime &at, const QString &sound = {})
{
    UserNotification n;
    n.identifier = id;
    n.title = QStringLiteral("工作");
    n.informativeText = QStringLiteral("交周报 ") + id;
    n.soundName = sound;
    n.deliveryDate = at;
    return n;
}

// Warnings of the notification centre, counted while a test runs.
int centreWarnings = 0;
QtMessageHandler previousHandler = nullptr;
void countingHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && context.category &&
        QByteArray(context.category) == QByteArrayLiteral("prelvane.notifications")) {
        ++centreWarnings;
        return;
    }
    previousHandler(type, context, message);
}
} // namespace

// A desktop notification service on its own bus connection, as a desktop
// would run it, recording what the program sends.
class NotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Received
    {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int timeout;
        uint id;
    };

    explicit NotificationServer(const QString &connectionName, QStringList caps)
        : capabilities(std::move(caps)), m_name(connectionName)
    {
        m_bus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName));
        m_bus->registerObject(objectPath, this,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
        registered = m_bus->registerService(serviceName);
    }
    ~NotificationServer() override
    {
        m_bus->unregisterService(serviceName);
        m_bus->unregisterObject(objectPath);
        m_bus.reset();
        QDBusConnection::disconnectFromBus(m_name);
    }

    bool registered = false;
    QStringList capabilities;
    QList<Received> notifies;
    QList<uint> closes;
    int capabilityQueries = 0;

public slots:
    uint Notify(const QString &app_name, uint replaces_id, const QString &app_icon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expire_timeout)
    {
        Q_UNUSED(app_icon);
        const uint id = replaces_id != 0 ? replaces_id : ++m_lastId;
        notifies.append({app_name, replaces_id, summary, body, actions, hints, expire_timeout, id});
        return id;
    }
    void CloseNotification(uint id)
    {
        closes.append(id);
        emit NotificationClosed(id, 3);
    }
    QStringList GetCapabilities()
    {
        ++capabilityQueries;
        return capabilities;
    }
    QString GetServerInformation(QString &vendor, QString &version, QString &protocol_version)
    {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        protocol_version = QStringLiteral("1.2");
        return QStringLiteral("test-notifications");
    }

signals:
    void ActionInvoked(uint id, const QString &action_key);
    void NotificationClosed(uint id, uint reason);

private:
    QString m_name;
    std::unique_ptr<QDBusConnection> m_bus;
    uint m_lastId = 100;
};

class TestDesktopUserNotificationCenter : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<NotificationServer> startServer(QStringList caps = {"actions", "body", "body-markup",
                                                                        "sound"})
    {
        static int n = 0;
        auto server = std::make_unique<NotificationServer>(QStringLiteral("server%1").arg(++n), caps);
        return server;
    }

private slots:
    void initTestCase() { QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a session bus"); }
    void init()
    {
        Clock::setNow(t0);
        centreWarnings = 0;
        previousHandler = qInstallMessageHandler(countingHandler);
    }
    void cleanup()
    {
        qInstallMessageHandler(previousHandler);
        Clock::reset();
    }

    void serverAnswersItsOwnCalls()
    {
        auto server = startServer();
        QVERIFY(server->registered);
        QDBusMessage info =
            QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, "GetServerInformation");
        QDBusPendingReply<QString, QString, QString, QString> reply =
            QDBusConnection::sessionBus().asyncCall(info);
        QTRY_VERIFY(reply.isFinished());
        QVERIFY2(reply.isValid(), qPrintable(reply.error().message()));
        QCOMPARE(reply.argumentAt<3>(), QStringLiteral("1.2"));
    }

    void deliveryArrivesOverTheBus()
    {
        auto server = startServer();
        DesktopUserNotificationCenter center;
        center.scheduleNotification(note("c1", t0.addSecs(60)));
        Clock::advance(60 * 1000);
        QTRY_COMPARE(server->notifies.size(), 1);
        const NotificationServer::Received n = server->notifies.first();
        QCOMPARE(n.summary, QStringLiteral("工作"));
        QCOMPARE(n.body, QStringLiteral("交周报 c1"));
        QCOMPARE(n.replacesId, 0u);
        QVERIFY(!n.appName.isEmpty());
        QCOMPARE(n.actions.size(), 2);
        QCOMPARE(n.actions.first(), QStringLiteral("default"));
        QCOMPARE(n.timeout, -1);
        QCOMPARE(ids(center), QStringList({"c1"}));
        QCOMPARE(centreWarnings, 0);
    }

    void soundHints_data()
    {
        QTest::addColumn<QString>("soundName");
        QTest::addColumn<QString>("soundFile");
        QTest::addColumn<QString>("soundThemeName");
        QTest::addColumn<bool>("suppressed");
        QTest::newRow("no sound") << ""
                                  << ""
                                  << "" << true;
        QTest::newRow("default sound") << UserNotification::defaultSoundName() << ""
                                       << "message-new-instant" << false;
        QTest::newRow("bundled sound") << "铃声"
                                       << "/opt/prelvane/sounds/ring.wav"
                                       << "" << false;
        QTest::newRow("unknown sound falls back to the default") << "../../etc/passwd"
                                                                 << ""
                                                                 << "message-new-instant" << false;
    }
    void soundHints()
    {
        QFETCH(QString, soundName);
        QFETCH(QString, soundFile);
        QFETCH(QString, soundThemeName);
        QFETCH(bool, suppressed);
        auto server = startServer();
        DesktopUserNotificationCenter center;
        center.setSoundFileResolver([](const QString &name) {
            return name == QStringLiteral("铃声") ? QStringLiteral("/opt/prelvane/sounds/ring.wav")
                                                  : QString();
        });
        center.scheduleNotification(note("c1", t0, soundName));
        QTRY_COMPARE(server->notifies.size(), 1);
        const QVariantMap hints = server->notifies.first().hints;
        QCOMPARE(hints.value("sound-file").toString(), soundFile);
        QCOMPARE(hints.value("sound-name").toString(), soundThemeName);
        QCOMPARE(hints.value("suppress-sound").toBool(), suppressed);
    }

    void bodyIsEscapedOnlyForMarkupServices_data()
    {
        QTest::addColumn<bool>("markup");
        QTest::addColumn<QString>("body");
        QTest::newRow("markup") << true << "a&lt;b&gt; &amp; c";
        QTest::newRow("plain") << false << "a<b> & c";
    }
    void bodyIsEscapedOnlyForMarkupServices()
    {
        QFETCH(bool, markup);
        QFETCH(QString, body);
        QStringList caps{"actions", "body"};
        if (markup)
            caps << "body-markup";
        auto server = startServer(caps);
        DesktopUserNotificationCenter center;
        UserNotification n = note("c0", t0);
        center.scheduleNotification(n);
        QTRY_COMPARE(server->notifies.size(), 1);
        QTRY_COMPARE(server->capabilityQueries, 1);
        QTest::qWait(50); // the capabilities reply reaches the centre
        n.identifier = "c1";
        n.informativeText = "a<b> & c";
        center.scheduleNotification(n);
        QTRY_COMPARE(server->notifies.size(), 2);
        QCOMPARE(server->notifies.last().body, body);
    }

    void controlCharactersAndVeryLongTextAreCut()
    {
        auto server = startServer({"actions", "body"});
        DesktopUserNotificationCenter center;
        UserNotification n = note("c1", t0);
        n.informativeText = QStringLiteral("第一行\n\x01\x1b[31m") + QString(3000, QChar(0x6587)) + "尾";
        center.scheduleNotification(n);
        QTRY_COMPARE(server->notifies.size(), 1);
        const QString body = server->notifies.first().body;
        QVERIFY(body.startsWith(QStringLiteral("第一行\n[31m")));
        QCOMPARE(body.size(), 1001);
        QVERIFY(body.endsWith(QChar(0x2026)));
        // The delivered copy keeps the whole text.
        QCOMPARE(center.deliveredNotifications().first().informativeText, n.informativeText);
    }

    void defaultActionIsTheActivation()
    {
        auto server = startServer();
        DesktopUserNotificationCenter center;
        QSignalSpy activated(&center, &UserNotificationCenter::didActivateNotification);
        center.scheduleNotification(note("c1", t0));
        center.scheduleNotification(note("c2", t0));
        QTRY_COMPARE(server->notifies.size(), 2);
        const uint id2 = server->notifies.at(1).id;

        emit server->ActionInvoked(id2, "other");
        emit server->ActionInvoked(9999, "default");
        emit server->ActionInvoked(id2, "default");
        QTRY_COMPARE(activated.count(), 1);
        QTest::qWait(50);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.first().first().value<UserNotification>().identifier, QStringLiteral("c2"));
    }

    void withdrawalClosesOnTheService()
    {
        auto server = startServer();
        DesktopUserNotificationCenter center;
        QSignalSpy activated(&center, &UserNotificationCenter::didActivateNotification);
        center.scheduleNotification(note("c1", t0));
        center.scheduleNotification(note("c2", t0));
        center.scheduleNotification(note("c3", t0));
        QTRY_COMPARE(server->notifies.size(), 3);
        // Wait until the centre knows the ids the service gave.
        emit server->ActionInvoked(server->notifies.at(2).id, "default");
        QTRY_COMPARE(activated.count(), 1);

        center.removeDeliveredNotification("c2");
        QTRY_COMPARE(server->closes, QList<uint>({server->notifies.at(1).id}));
        QCOMPARE(ids(center), QStringList({"c1", "c3"}));
        center.removeAllDeliveredNotifications();
        QTRY_COMPARE(server->closes.size(), 3);
        QVERIFY(center.deliveredNotifications().isEmpty());
    }

    // Withdrawn while the service had not yet answered: closed as soon as it does.
    void withdrawalBeforeTheServiceAnswered()
    {
        auto server = startServer();
        DesktopUserNotificationCenter center;
        connect(&center, &UserNotificationCenter::didDeliverNotification, &center,
                [&](const UserNotification &n) { center.removeDeliveredNotification(n.identifier); });
        center.scheduleNotification(note("c1", t0));
        QTRY_COMPARE(server->notifies.size(), 1);
        QTRY_COMPARE(server->closes, QList<uint>({server->notifies.first().id}));
        QVERIFY(center.deliveredNotifications().isEmpty());
    }

    void repetitionReplacesTheShownNotification()
    {
        auto server = startServer();
        DesktopUserNotificationCenter center;
        QSignalSpy activated(&center, &UserNotificationCenter::didActivateNotification);
        scheduleRepeatingC1AndReachIt(center);
        QTRY_COMPARE(server->notifies.size(), 1);
        const uint id = server->notifies.first().id;
        emit server->ActionInvoked(id, "default");
        QTRY_COMPARE(activated.count(), 1);

        Clock::advance(5 * 60 * 1000);
        QTRY_COMPARE(server->notifies.size(), 2);
        QCOMPARE(server->notifies.at(1).replacesId, id);
        QVERIFY(server->closes.isEmpty());
    }

    void closedByTheUserIsNoLongerDelivered()
    {
        auto server = startServer();
        DesktopUserNotificationCenter center;
        QSignalSpy activated(&center, &UserNotificationCenter::didActivateNotification);
        center.scheduleNotification(note("c1", t0));
        center.scheduleNotification(note("c2", t0));
        QTRY_COMPARE(server->notifies.size(), 2);
        emit server->ActionInvoked(server->notifies.at(1).id, "default");
        QTRY_COMPARE(activated.count(), 1);
        emit server->NotificationClosed(server->notifies.first().id, 2);
        QTRY_COMPARE(ids(center), QStringList({"c2"}));
        // Nothing left to close for it.
        center.removeAllDeliveredNotifications();
        QTRY_COMPARE(server->closes, QList<uint>({server->notifies.at(1).id}));
    }

    // The service restarts mid-session and numbers its notifications from the
    // start again: ids of the old one must neither replace nor stand for the new ones.
    void serviceRestartForgetsTheOldIds()
    {
        auto server = startServer();
        DesktopUserNotificationCenter center;
        QSignalSpy activated(&center, &UserNotificationCenter::didActivateNotification);
        scheduleRepeatingC1AndReachIt(center);
        QTRY_COMPARE(server->notifies.size(), 1);
        const uint oldId = server->notifies.first().id;
        emit server->ActionInvoked(oldId, "default");
        QTRY_COMPARE(activated.count(), 1);

        server.reset();
        QTRY_VERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(serviceName).value());
        auto restarted = startServer({"actions", "body"});
        QVERIFY(restarted->registered);
        QTest::qWait(100); // the owner change reaches the centre

        center.scheduleNotification(note("c2", t0));
        QTRY_COMPARE(restarted->notifies.size(), 1);
        QCOMPARE(restarted->notifies.first().id, oldId); // the new service reuses the number
        QTRY_COMPARE(restarted->capabilityQueries, 1);   // asked again: it may read no markup
        QTest::qWait(50);
        // The repetition of c1 is a new notification, not a replacement of c2.
        Clock::advance(5 * 60 * 1000);
        QTRY_COMPARE(restarted->notifies.size(), 2);
        QCOMPARE(restarted->notifies.at(1).replacesId, 0u);
        QVERIFY(restarted->notifies.at(1).id != oldId);

        activated.clear();
        emit restarted->ActionInvoked(oldId, "default");
        QTRY_COMPARE(activated.count(), 1);
        QCOMPARE(activated.first().first().value<UserNotification>().identifier, QStringLiteral("c2"));

        // Withdrawing c1 closes its new notification only.
        center.removeDeliveredNotification("c1");
        QTRY_COMPARE(restarted->closes, QList<uint>({restarted->notifies.at(1).id}));
        // Plain text once the new service says it reads no markup.
        UserNotification marked = note("c3", t0);
        marked.informativeText = "a<b> & c";
        center.scheduleNotification(marked);
        QTRY_COMPARE(restarted->notifies.size(), 3);
        QCOMPARE(restarted->notifies.last().body, QStringLiteral("a<b> & c"));
    }

    void withoutServiceNothingBreaksAndItIsLoggedOnce()
    {
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(serviceName).value());
        DesktopUserNotificationCenter center;
        QSignalSpy delivered(&center, &UserNotificationCenter::didDeliverNotification);
        center.scheduleNotification(note("c1", t0));
        center.scheduleNotification(note("c2", t0.addSecs(60)));
        QTRY_COMPARE(delivered.count(), 1);
        QTRY_COMPARE(centreWarnings, 1);
        Clock::advance(60 * 1000);
        QCOMPARE(delivered.count(), 2);
        QTest::qWait(300);
        QCOMPARE(centreWarnings, 1);
        QCOMPARE(ids(center), QStringList({"c1", "c2"}));
        center.removeAllDeliveredNotifications();
        QVERIFY(center.deliveredNotifications().isEmpty());

        // A service that starts later gets the next notification.
        auto server = startServer();
        center.scheduleNotification(note("c3", t0));
        QTRY_COMPARE(server->notifies.size(), 1);
        QCOMPARE(server->notifies.first().summary, QStringLiteral("工作"));
        QCOMPARE(centreWarnings, 1);
    }

    void withoutSessionBusNothingBreaks()
    {
        DesktopUserNotificationCenter center(QDBusConnection(QStringLiteral("no such connection")));
        QSignalSpy delivered(&center, &UserNotificationCenter::didDeliverNotification);
        center.scheduleNotification(note("c1", t0));
        center.scheduleNotification(note("c2", t0));
        QTRY_COMPARE(delivered.count(), 2);
        QCOMPARE(centreWarnings, 1);
        center.removeDeliveredNotification("c1");
        QCOMPARE(ids(center), QStringList({"c2"}));
    }

    void withoutServiceTheInstalledFallbackShowsAndReportsTheClick()
    {
        DesktopUserNotificationCenter center(QDBusConnection(QStringLiteral("no such connection")));
        QSignalSpy activated(&center, &UserNotificationCenter::didActivateNotification);
        QStringList shown;
        bool canShow = true;
        center.setFallback([&](const UserNotification &n) {
            shown << n.identifier + ":" + n.title;
            return canShow;
        });
        center.fallbackClicked(); // nothing shown yet: no activation
        center.scheduleNotification(note("c1", t0));
        QTRY_COMPARE(shown, QStringList({"c1:工作"}));
        center.fallbackClicked();
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.first().first().value<UserNotification>().identifier, QStringLiteral("c1"));

        // A fallback that could not show it leaves the last shown one clickable;
        // a withdrawn one is no longer.
        canShow = false;
        center.scheduleNotification(note("c2", t0));
        QTRY_COMPARE(shown.size(), 2);
        center.fallbackClicked();
        QCOMPARE(activated.last().first().value<UserNotification>().identifier, QStringLiteral("c1"));
        center.removeDeliveredNotification("c1");
        center.fallbackClicked();
        QCOMPARE(activated.count(), 2);
    }

private:
    // c1 repeats every five minutes from a minute after t0; the clock is moved to its first showing.
    static void scheduleRepeatingC1AndReachIt(DesktopUserNotificationCenter &center)
    {
        UserNotification n = note("c1", t0.addSecs(60));
        n.repeatInterval = UserNotificationRepeat::minutes(5);
        center.scheduleNotification(n);
        Clock::advance(60 * 1000);
    }

    static QStringList ids(const UserNotificationCenter &center)
    {
        QStringList result;
        for (const UserNotification &n : center.deliveredNotifications())
            result << n.identifier;
        return result;
    }
};

PRELVANE_TEST_MAIN(TestDesktopUserNotificationCenter)
#include "tst_desktopUserNotificationCenter.moc"
