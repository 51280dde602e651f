#include "platform/base/Clock.h"
#include "platform/base/Missing.h"
#include "platform/base/UserDefaults.h"
#include "tests/support/TestEnv.h"

#include <QSignalSpy>

class TestBase : public QObject
{
    Q_OBJECT
private slots:
    void init() { TestEnv::freshFolders(); }
    void cleanup() { Clock::reset(); }

    void clockStandsStillWhenFixedAndMoves()
    {
        const QDateTime t = QDateTime::fromString("2026-03-01T08:00:00Z", Qt::ISODate);
        QSignalSpy jumped(Clock::instance(), &Clock::jumped);
        Clock::setNow(t);
        QCOMPARE(Clock::now(), t);
        Clock::advance(3600 * 1000);
        QCOMPARE(Clock::now(), t.addSecs(3600));
        QCOMPARE(jumped.count(), 2);
        Clock::reset();
        QVERIFY(qAbs(Clock::nowMSecs() - QDateTime::currentMSecsSinceEpoch()) < 5000);
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
