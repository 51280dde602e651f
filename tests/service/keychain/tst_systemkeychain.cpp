#include "platform/keychain/KeychainBackend.h"
#include "platform/keychain/QtKeychainBackend.h"
#include "service/account/PwdManager.h"
#include "service/account/UUIDTool.h"
#include "tests/support/TestEnv.h"

#include <QElapsedTimer>
#include <QtTest>

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
        QtKeychainBackend backend;
        KeychainBackend::setShared(&backend);
        QElapsedTimer t;
        t.start();
        const bool stored = backend.writeItem(QStringLiteral("prelvane-test-item"), "value");
        if (stored) {
            QCOMPARE(backend.readItem(QStringLiteral("prelvane-test-item")).value_or(QByteArray()),
                     QByteArray("value"));
            QVERIFY(backend.deleteItem(QStringLiteral("prelvane-test-item")));
        } else {
            QVERIFY(!backend.lastError().isEmpty());
            QVERIFY(!backend.readItem(QStringLiteral("prelvane-test-item")).has_value());
        }
        QVERIFY(!backend.writeItem(QString(), "value"));
        QVERIFY(!backend.writeItem(QStringLiteral("prelvane-test-item"), QByteArray()));

        const QString id = UUIDTool::getUUIDInKeychain();
        QCOMPARE(id.size(), 36);
        QCOMPARE(UUIDTool::getUUIDInKeychain(), id);
        QVERIFY(!PwdManager::savePassWord(QString(), QStringLiteral("tester")));
        UUIDTool::deleteKeyChain();
        KeychainBackend::setShared(nullptr);
        QVERIFY(t.elapsed() < 60000);
    }
};

PRELVANE_TEST_CORE_MAIN(TestSystemKeychain)
#include "tst_systemkeychain.moc"
