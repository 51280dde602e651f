#include "platform/base/TimerScheduler.h"
#include "platform/keychain/QtKeychainBackend.h"
#include "service/account/KeychainTool.h"
#include "service/account/PwdManager.h"
#include "service/account/UUIDTool.h"
#include "tests/support/KeychainWait.h"
#include "tests/support/TestEnv.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

// The system keychain backend on a private session bus: whether or not a
// secret service answers there, every call ends, reads back what was stored
// or reports the failure, and the device id is still there.
class TestSystemKeychain : public QObject
{
    Q_OBJECT
private slots:
    void callsEndAndDeviceIdIsAlwaysGiven()
    {
        QVERIFY(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"));
        TimerScheduler scheduler;
        QtKeychainBackend backend(scheduler);
        KeychainTool items(backend);
        PwdManager passwords(items);
        UUIDTool ids(items);
        QElapsedTimer t;
        t.start();
        const bool stored = KeychainWait::write(backend, QStringLiteral("prelvane-test-item"), "value");
        if (stored) {
            QCOMPARE(KeychainWait::read(backend, QStringLiteral("prelvane-test-item")).value_or(QByteArray()),
                     QByteArray("value"));
            QVERIFY(KeychainWait::remove(backend, QStringLiteral("prelvane-test-item")));
        } else {
            QVERIFY(!backend.lastError().isEmpty());
            QVERIFY(!KeychainWait::read(backend, QStringLiteral("prelvane-test-item")).has_value());
        }
        QVERIFY(!KeychainWait::write(backend, QString(), "value"));
        QVERIFY(!KeychainWait::write(backend, QStringLiteral("prelvane-test-item"), QByteArray()));

        const QString id = KeychainWait::deviceId(ids);
        QCOMPARE(id.size(), 36);
        QCOMPARE(KeychainWait::deviceId(ids), id);
        QVERIFY(!KeychainWait::savePassword(passwords, QString(), QStringLiteral("tester")));
        ids.deleteKeyChain();
        QVERIFY(t.elapsed() < 60000);
    }

    // One job at a time: answers come in the order asked (refused ones too),
    // none inside the call, and none to an owner that is gone.
    void answersKeepTheirOrderAndSkipOwnersThatAreGone()
    {
        TimerScheduler scheduler;
        QtKeychainBackend backend(scheduler);
        QObject owner;
        auto gone = std::make_unique<QObject>();
        QStringList heard;
        int droppedAnswers = 0;
        const QString key = QStringLiteral("prelvane-test-order");
        backend.writeItem(key, "one", &owner, [&heard](bool) { heard << "write"; });
        backend.readItem(key, gone.get(),
                         [&droppedAnswers](const std::optional<QByteArray> &) { ++droppedAnswers; });
        backend.writeItem(QString(), "x", &owner,
                          [&heard](bool ok) { heard << (ok ? "empty key ok" : "empty key refused"); });
        backend.readItem(key, &owner, [&heard](const std::optional<QByteArray> &) { heard << "read"; });
        backend.deleteItem(key, &owner, [&heard](bool) { heard << "delete"; });
        gone.reset();
        QVERIFY(heard.isEmpty());
        QVERIFY(QTest::qWaitFor([&heard] { return heard.size() == 4; }, 60000));
        QCOMPARE(heard, (QStringList{"write", "empty key refused", "read", "delete"}));
        QCOMPARE(droppedAnswers, 0);
    }
};

PRELVANE_TEST_CORE_MAIN(TestSystemKeychain)
#include "tst_systemkeychain.moc"
