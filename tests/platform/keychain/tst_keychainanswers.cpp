// How the keychains that answer from memory (and the demo profile's file)
// answer: later, from the event loop, in the order asked, and never to an
// owner that is gone; a refused write is reported as such.

#include "platform/keychain/DemoFileKeychainBackend.h"
#include "platform/keychain/MemoryKeychainBackend.h"
#include "tests/support/KeychainWait.h"
#include "tests/support/TestEnv.h"

#include <QtTest>

#include <memory>

class TestKeychainAnswers : public QObject
{
    Q_OBJECT

    std::unique_ptr<KeychainBackend> make(const QString &kind)
    {
        if (kind == "memory")
            return std::make_unique<MemoryKeychainBackend>();
        return std::make_unique<DemoFileKeychainBackend>(TestEnv::freshFolders() + "/secrets.json",
                                                         QSet<QString>{"kept"});
    }
    static void addBackends()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("key"); // demo file: an item of the file, and one held in memory
        QTest::newRow("memory") << "memory"
                                << "item";
        QTest::newRow("demo file, kept item") << "demo"
                                              << "kept";
        QTest::newRow("demo file, memory item") << "demo"
                                                << "other";
    }

private slots:
    void answersComeLaterInTheOrderAsked_data() { addBackends(); }
    void answersComeLaterInTheOrderAsked()
    {
        QFETCH(QString, kind);
        QFETCH(QString, key);
        const std::unique_ptr<KeychainBackend> keychain = make(kind);
        QObject owner;
        QStringList heard;
        auto done = [&heard](const QString &what) {
            return [&heard, what](bool ok) { heard << what + (ok ? " ok" : " failed"); };
        };
        auto read = [&heard](const QString &what) {
            return [&heard, what](const std::optional<QByteArray> &data) {
                heard << what + " " + (data ? QString::fromLatin1(*data) : QStringLiteral("none"));
            };
        };
        keychain->writeItem(key, "one", &owner, done("write one"));
        keychain->readItem(key, &owner, read("read"));
        keychain->writeItem(key, "two", &owner, done("write two"));
        keychain->readItem(key, &owner, read("read"));
        keychain->deleteItem(key, &owner, done("delete"));
        keychain->readItem(key, &owner, read("read"));
        QVERIFY(heard.isEmpty()); // never inside the call
        QTRY_COMPARE(heard.size(), 6);
        QCOMPARE(heard, (QStringList{"write one ok", "read one", "write two ok", "read two", "delete ok",
                                     "read none"}));
    }

    void anAnswerWhoseOwnerIsGoneIsDropped_data() { addBackends(); }
    void anAnswerWhoseOwnerIsGoneIsDropped()
    {
        QFETCH(QString, kind);
        QFETCH(QString, key);
        const std::unique_ptr<KeychainBackend> keychain = make(kind);
        int answers = 0;
        auto gone = std::make_unique<QObject>();
        keychain->writeItem(key, "value", gone.get(), [&answers](bool) { ++answers; });
        keychain->readItem(key, gone.get(), [&answers](const std::optional<QByteArray> &) { ++answers; });
        gone.reset();
        // Asked after the others, so answered after them: by then the dropped ones would have come.
        QObject alive;
        bool later = false;
        keychain->readItem(key, &alive, [&later](const std::optional<QByteArray> &) { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(answers, 0);
        // The request itself was carried out.
        QCOMPARE(KeychainWait::read(*keychain, key), std::optional<QByteArray>("value"));
    }

    void refusedWritesAreReported_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("memory, empty key") << "memory"
                                           << "" << QByteArray("x");
        QTest::newRow("memory, empty data") << "memory"
                                            << "item" << QByteArray();
        QTest::newRow("memory, refusing") << "refusing"
                                          << "item" << QByteArray("x");
        QTest::newRow("demo file, empty key") << "demo"
                                              << "" << QByteArray("x");
        QTest::newRow("demo file, empty data") << "demo"
                                               << "kept" << QByteArray();
    }
    void refusedWritesAreReported()
    {
        QFETCH(QString, kind);
        QFETCH(QString, key);
        QFETCH(QByteArray, data);
        std::unique_ptr<KeychainBackend> keychain = make(kind == "refusing" ? "memory" : kind);
        if (kind == "refusing")
            static_cast<MemoryKeychainBackend *>(keychain.get())->refuseWrites = true;
        QVERIFY(!KeychainWait::write(*keychain, key, data));
        QCOMPARE(KeychainWait::read(*keychain, key), std::nullopt);
    }

    void aDemoFileThatCannotBeWrittenRefusesAndKeepsTheOldItem()
    {
        const QString folder = TestEnv::freshFolders() + "/locked";
        QVERIFY(QDir().mkpath(folder));
        DemoFileKeychainBackend keychain(folder + "/secrets.json", {"kept"});
        QVERIFY(KeychainWait::write(keychain, "kept", "old"));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (QFileInfo(folder).isWritable())
            QSKIP("running with rights that write anywhere");
        QVERIFY(!KeychainWait::write(keychain, "kept", "new"));
        QCOMPARE(KeychainWait::read(keychain, "kept"), std::optional<QByteArray>("old"));
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
};

PRELVANE_TEST_CORE_MAIN(TestKeychainAnswers)
#include "tst_keychainanswers.moc"
