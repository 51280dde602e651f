// The demo profile's keychain: the demo account's items survive a restart in
// one owner-only file; any other account's password is never written.

#include "platform/keychain/DemoFileKeychainBackend.h"
#include "tests/support/KeychainWait.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QtTest>

class TestDemoFileKeychain : public QObject
{
    Q_OBJECT

private slots:
    void keptItemsSurviveARestartInAnOwnerOnlyFile()
    {
        const QString file = TestEnv::freshFolders() + "/demo/secrets.json";
        {
            DemoFileKeychainBackend keychain(file, {"demo", "com.plv.uuid"});
            QVERIFY(KeychainWait::write(keychain, "demo", "demo-password"));
            QVERIFY(KeychainWait::write(keychain, "com.plv.uuid", "device-1"));
            QVERIFY(KeychainWait::write(keychain, "tester", "real-password"));
            QCOMPARE(KeychainWait::read(keychain, "tester"), std::optional<QByteArray>("real-password"));
            QVERIFY(!KeychainWait::write(keychain, "demo", ""));
            QVERIFY(!KeychainWait::write(keychain, "", "x"));
        }
        QFile f(file);
        QVERIFY(f.exists());
        QCOMPARE(f.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOwner),
                 QFileDevice::Permissions{});
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray onDisk = f.readAll();
        f.close();
        QVERIFY(!onDisk.contains("tester"));
        QVERIFY(!onDisk.contains(QByteArray("real-password").toBase64()));

        // The next start finds the demo's items, and only those.
        DemoFileKeychainBackend again(file, {"demo", "com.plv.uuid"});
        QCOMPARE(KeychainWait::read(again, "demo"), std::optional<QByteArray>("demo-password"));
        QCOMPARE(KeychainWait::read(again, "com.plv.uuid"), std::optional<QByteArray>("device-1"));
        QCOMPARE(KeychainWait::read(again, "tester"), std::nullopt);
        QVERIFY(KeychainWait::remove(again, "demo"));
        DemoFileKeychainBackend third(file, {"demo", "com.plv.uuid"});
        QCOMPARE(KeychainWait::read(third, "demo"), std::nullopt);
        QCOMPARE(KeychainWait::read(third, "com.plv.uuid"), std::optional<QByteArray>("device-1"));
    }

    void aDamagedFileIsNoSecretAndIsReplacedAtTheNextWrite()
    {
        const QString file = TestEnv::freshFolders() + "/secrets.json";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{not json");
        f.close();
        DemoFileKeychainBackend keychain(file, {"demo"});
        QCOMPARE(KeychainWait::read(keychain, "demo"), std::nullopt);
        QVERIFY(KeychainWait::write(keychain, "demo", "pw"));
        DemoFileKeychainBackend again(file, {"demo"});
        QCOMPARE(KeychainWait::read(again, "demo"), std::optional<QByteArray>("pw"));
    }
};

PRELVANE_TEST_CORE_MAIN(TestDemoFileKeychain)
#include "tst_demofilekeychain.moc"
