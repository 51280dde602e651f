#include "platform/base/Clock.h"
#include "platform/base/Missing.h"
#include "platform/base/UserDefaults.h"
#include "tests/support/TestEnv.h"

#include <QSignalSpy>

#include <memory>

class TestBase : public QObject
{
    Q_OBJECT
private slots:
    void init() { TestEnv::freshFolders(); }
    void cleanup() { Clock::reset(); }

    void clockStandsStillWhenFixedAndMoves()
    {
        const QDateTime t = QDateTime::fromString("2026-03-01T08:00:00Z", Qt::ISODate);
        Clock clock;
        QSignalSpy jumped(&clock, &Clock::jumped);
        Clock::setNow(t);
        QCOMPARE(Clock::now(), t);
        Clock::advance(3600 * 1000);
        QCOMPARE(Clock::now(), t.addSecs(3600));
        QCOMPARE(jumped.count(), 2);
        Clock::reset();
        QCOMPARE(jumped.count(), 3);
        QVERIFY(qAbs(Clock::nowMSecs() - QDateTime::currentMSecsSinceEpoch()) < 5000);
    }

    // Every clock alive hears each move, also one made or dropped by a listener
    // while the move is told.
    void everyClockAliveHearsAMove()
    {
        Clock first;
        auto second = std::make_unique<Clock>();
        std::unique_ptr<Clock> madeMeanwhile;
        int firstHeard = 0;
        int secondHeard = 0;
        QObject::connect(&first, &Clock::jumped, [&] {
            ++firstHeard;
            second.reset();
            if (!madeMeanwhile)
                madeMeanwhile = std::make_unique<Clock>();
        });
        QObject::connect(second.get(), &Clock::jumped, [&] { ++secondHeard; });
        Clock::advance(1000);
        QCOMPARE(firstHeard, 1);
        QCOMPARE(secondHeard, 0); // gone before its turn
        QSignalSpy later(madeMeanwhile.get(), &Clock::jumped);
        Clock::advance(1000);
        QCOMPARE(firstHeard, 2);
        QCOMPARE(later.count(), 1);
    }

    void userDefaultsPersistUnderTheTestFolder()
    {
        UserDefaults::setValue("version", "12");
        UserDefaults::setValue("lastWiFiType", 2);
        QVERIFY(UserDefaults::storagePath().startsWith(TestEnv::rootFolder()));
        // A second reader of the same file sees the values.
        const QString path = UserDefaults::storagePath();
        UserDefaults::setStoragePath(path);
        QCOMPARE(UserDefaults::string("version"), QString("12"));
        QCOMPARE(UserDefaults::integer("lastWiFiType"), 2);
        UserDefaults::remove("version");
        QVERIFY(!UserDefaults::contains("version"));
        QCOMPARE(UserDefaults::string("version"), QString());
    }

    // The file holds the access token and the user key: its owner's alone,
    // when made, when rewritten, and an older readable one is tightened.
    void userDefaultsFileIsPrivate()
    {
        const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        // Owner, group and others (the "user" bits repeat the owner's).
        auto mode = [](const QString &path) { return QFile::permissions(path) & QFile::Permissions(0x7077); };
        const QString dir = TestEnv::freshFolders();
        const QString fresh = dir + "/config/fresh/userdefaults.ini";
        UserDefaults::setStoragePath(fresh);
        UserDefaults::setValue("accessToken", "secret");
        QCOMPARE(mode(fresh), ownerOnly);
        UserDefaults::setValue("userKey", "key");
        // Rewritten by the writer thread.
        UserDefaults::sync();
        QCOMPARE(mode(fresh), ownerOnly);

        const QString older = dir + "/config/older.ini";
        {
            QFile f(older);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[General]\nversion=12\n");
        }
        QVERIFY(QFile::setPermissions(older, ownerOnly | QFile::ReadGroup | QFile::ReadOther));
        UserDefaults::setStoragePath(older);
        QCOMPARE(UserDefaults::string("version"), QString("12"));
        QCOMPARE(mode(older), ownerOnly);
    }

    void missingValues_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("missing");
        QTest::newRow("invalid") << QVariant() << true;
        QTest::newRow("empty text") << QVariant(QString()) << true;
        QTest::newRow("text") << QVariant(QString("a")) << false;
        QTest::newRow("zero") << QVariant(0) << false;
        QTest::newRow("empty list") << QVariant(QVariantList{}) << true;
        QTest::newRow("json null") << QVariant(QJsonValue(QJsonValue::Null)) << true;
        QTest::newRow("json empty array") << QVariant(QJsonValue(QJsonArray{})) << true;
        QTest::newRow("json number") << QVariant(QJsonValue(0)) << false;
        QTest::newRow("empty map") << QVariant(QVariantMap{}) << true;
    }
    void missingValues()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, missing);
        QCOMPARE(Missing::isMissing(value), missing);
    }
};

PRELVANE_TEST_CORE_MAIN(TestBase)
#include "tst_base.moc"
