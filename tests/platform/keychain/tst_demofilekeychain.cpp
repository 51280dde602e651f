// The demo profile's keychain: the demo account's items survive a restart in
// one owner-only file; any other account's password is never written.

#include "platform/keychain/DemoFileKeychainBackend.h"
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
            QVERIFY(keychain.writeItem("demo", "demo-password"));
            QVERIFY(keychain.writeItem("com.plv.uuid", "device-1"));
            QVERIFY(keychain.writeItem("tester", "real-password"));
            QCOMPARE(keychain.readItem("tester"), std::optional<QByteArray>("real-password"));
            QVERIFY(!keychain.writeItem("demo", ""));
            QVERIFY(!keychain.writeItem("", "x"));
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
        QCOMPARE(again.readItem("demo"), std::optional<QByteArray>("demo-password"));
        QCOMPARE(again.readItem("com.plv.uuid"), std::optional<QByteArray>("device-1"));
        QCOMPARE(again.readItem("tester"), std::nullopt);
        QVERIFY(again.deleteItem("demo"));
        DemoFileKeychainBackend third(file, {"demo", "com.plv.uuid"});
        QCOMPARE(third.readItem("demo"), std::nullopt);
        QCOMPARE(third.readItem("com.plv.uuid"), std::optional<QByteArray>("device-1"));
    }

    void aDamagedFileIsNoSecretAndIsReplacedAtTheNextWrite()
    {
        const QString file = TestEnv::freshFolders() + "/secrets.json";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{not json");
        f.close();
        DemoFileKeychainBackend keychain(file, {"demo"});
        QCOMPARE(keychain.readItem("demo"), std::nullopt);
        QVERIFY(keychain.writeItem("demo", "pw"));
        DemoFileKeychainBackend again(file, {"demo"});
        QCOMPARE(again.readItem("demo"), std::optional<QByteArray>("pw"));
    }
};

PRELVANE_TEST_CORE_MAIN(TestDemoFileKeychain)
#include "tst_demofilekeychain.moc"
