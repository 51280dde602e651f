#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/DateTextCache.h"
#include "tests/support/TestEnv.h"

namespace {
// Milliseconds of a wall-clock time as Qt converts it.
qint64 wallClock(int y, int m, int d, int h, int mi, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, mi, s)).toMSecsSinceEpoch();
}
} // namespace

class TestDateTextCache : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestEnv::setTimeZone("Asia/Shanghai"); }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("with seconds") << "2026/12/11 9:05:07" << true << wallClock(2026, 12, 11, 9, 5, 7);
        QTest::newRow("without seconds") << "2026/12/11 9:05" << true << wallClock(2026, 12, 11, 9, 5);
        QTest::newRow("padded fields") << "2026/03/07 09:05:00" << true << wallClock(2026, 3, 7, 9, 5);
        QTest::newRow("last second of a year")
            << "2025/12/31 23:59:59" << true << wallClock(2025, 12, 31, 23, 59, 59);
        QTest::newRow("leap day") << "2024/2/29 0:00:00" << true << wallClock(2024, 2, 29, 0, 0);
        QTest::newRow("first year") << "0001/1/1 0:00:00" << true << wallClock(1, 1, 1, 0, 0);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("null") << QString() << false << qint64(0);
        QTest::newRow("date only") << "2026/3/7" << false << qint64(0);
        QTest::newRow("iso") << "2026-03-07 09:05:00" << false << qint64(0);
        QTest::newRow("29 February of a common year") << "2026/2/29 9:00:00" << false << qint64(0);
        QTest::newRow("month 13") << "2026/13/1 9:00:00" << false << qint64(0);
        QTest::newRow("month 0") << "2026/0/1 9:00:00" << false << qint64(0);
        QTest::newRow("day 0") << "2026/1/0 9:00:00" << false << qint64(0);
        QTest::newRow("hour 24") << "2026/1/1 24:00:00" << false << qint64(0);
        QTest::newRow("minute 60") << "2026/1/1 9:60:00" << false << qint64(0);
        QTest::newRow("second 60") << "2026/1/1 9:00:60" << false << qint64(0);
        QTest::newRow("one-digit minute") << "2026/1/1 9:5:00" << false << qint64(0);
        QTest::newRow("three-digit month") << "2026/001/1 9:00:00" << false << qint64(0);
        QTest::newRow("two-digit year") << "26/1/1 9:00:00" << false << qint64(0);
        QTest::newRow("five-digit year") << "20260/1/1 9:00:00" << false << qint64(0);
        QTest::newRow("year 0") << "0000/1/1 0:00:00" << false << qint64(0);
        QTest::newRow("negative day") << "2026/1/-1 9:00:00" << false << qint64(0);
        QTest::newRow("leading space") << " 2026/1/1 9:00:00" << false << qint64(0);
        QTest::newRow("trailing space") << "2026/1/1 9:00:00 " << false << qint64(0);
        QTest::newRow("trailing colon") << "2026/1/1 9:00:" << false << qint64(0);
        QTest::newRow("milliseconds") << "2026/1/1 9:00:00.5" << false << qint64(0);
        QTest::newRow("full-width digits") << "２０２６/1/1 9:00:00" << false << qint64(0);
        QTest::newRow("arabic-indic digits") << "٢٠٢٦/١/١ ٩:٠٠:٠٠" << false << qint64(0);
    }

    // The same answers as the general date reader, and as Qt's wall-clock conversion.
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(qint64, expected);
        const std::optional<qint64> parsed = DateTextCache::parse(text);
        const QDateTime reference = DateManager::getDateFromString(text);
        QCOMPARE(parsed.has_value(), valid);
        QCOMPARE(reference.isValid(), valid);
        if (valid) {
            QCOMPARE(*parsed, expected);
            QCOMPARE(*parsed, reference.toMSecsSinceEpoch());
        }
    }

    void daylightSaving_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("before the spring change") << "2026/3/8 1:59:59";
        QTest::newRow("inside the spring gap") << "2026/3/8 2:30:00";
        QTest::newRow("after the spring change") << "2026/3/8 3:00:00";
        QTest::newRow("repeated autumn hour") << "2026/11/1 1:30:00";
        QTest::newRow("after the autumn change") << "2026/11/1 2:00:00";
        QTest::newRow("summer") << "2026/7/1 12:00:00";
    }

    // Days with a change of offset read as the general date reader reads them.
    void daylightSaving()
    {
        QFETCH(QString, text);
        TestEnv::setTimeZone("America/New_York");
        const std::optional<qint64> parsed = DateTextCache::parse(text);
        QVERIFY(parsed.has_value());
        QCOMPARE(*parsed, DateManager::getDateFromString(text).toMSecsSinceEpoch());
    }

    void valuesKeptPerKey()
    {
        DateTextCache cache;
        const QString a = QStringLiteral("2026/12/10 8:00:00");
        const QString b = QStringLiteral("2026/12/11 8:00:00");
        QCOMPARE(cache.value(QStringLiteral("1"), a), DateTextCache::parse(a));
        QCOMPARE(cache.value(QStringLiteral("2"), b), DateTextCache::parse(b));
        QCOMPARE(cache.size(), 2);
        // A key whose text changed is read again, not answered from the old text.
        QCOMPARE(cache.value(QStringLiteral("1"), b), DateTextCache::parse(b));
        QCOMPARE(cache.value(QStringLiteral("1"), QStringLiteral("not a date")), std::nullopt);
        QCOMPARE(cache.value(QStringLiteral("1"), a), DateTextCache::parse(a));
        QCOMPARE(cache.size(), 2);
        // A bad text is kept as bad too, and a later good text replaces it.
        QCOMPARE(cache.value(QStringLiteral("3"), QString()), std::nullopt);
        QCOMPARE(cache.value(QStringLiteral("3"), b), DateTextCache::parse(b));
        cache.remove(QStringLiteral("2"));
        QCOMPARE(cache.size(), 2);
        cache.clear();
        QCOMPARE(cache.size(), 0);
        QCOMPARE(cache.value(QStringLiteral("2"), a), DateTextCache::parse(a));
    }
};

PRELVANE_TEST_CORE_MAIN(TestDateTextCache)
#include "tst_datetextcache.moc"
