#include "core/reminders/dates/DateTextCache.h"
#include "core/reminders/dates/RecordTimeRange.h"
#include "tests/support/TestEnv.h"

namespace {
QDateTime at(int y, int m, int d, int h = 12, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, mi, s));
}
} // namespace

class TestRecordTimeRange : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestEnv::setTimeZone("Asia/Shanghai"); }

    void contains_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("inside");
        // Friday 11 December 2026; its week runs from Monday 7 to Sunday 13.
        const QDateTime fri = at(2026, 12, 11, 10);
        QTest::newRow("all: any time") << fri << 0 << "1999/1/1 0:00:00" << true;
        QTest::newRow("all: the future") << fri << 0 << "2099/1/1 0:00:00" << true;
        QTest::newRow("yesterday: first second") << fri << 1 << "2026/12/10 0:00:00" << true;
        QTest::newRow("yesterday: last second") << fri << 1 << "2026/12/10 23:59:59" << true;
        QTest::newRow("yesterday: today's midnight") << fri << 1 << "2026/12/11 0:00:00" << false;
        QTest::newRow("yesterday: the day before") << fri << 1 << "2026/12/9 23:59:59" << false;
        QTest::newRow("today: midnight") << fri << 2 << "2026/12/11 0:00:00" << true;
        QTest::newRow("today: later today") << fri << 2 << "2026/12/11 23:59:59" << true;
        QTest::newRow("today: tomorrow") << fri << 2 << "2026/12/12 0:00:00" << false;
        QTest::newRow("this week: Monday") << fri << 3 << "2026/12/7 0:00:00" << true;
        QTest::newRow("this week: Sunday night") << fri << 3 << "2026/12/13 23:59:59" << true;
        QTest::newRow("this week: last Sunday") << fri << 3 << "2026/12/6 23:59:59" << false;
        QTest::newRow("this week: a year earlier") << fri << 3 << "2025/12/10 12:00:00" << false;
        QTest::newRow("last week: Monday") << fri << 4 << "2026/11/30 0:00:00" << true;
        QTest::newRow("last week: Sunday") << fri << 4 << "2026/12/6 23:59:59" << true;
        QTest::newRow("last week: this Monday") << fri << 4 << "2026/12/7 0:00:00" << false;
        QTest::newRow("this month: first") << fri << 5 << "2026/12/1 0:00:00" << true;
        QTest::newRow("this month: November") << fri << 5 << "2026/11/30 23:59:59" << false;
        QTest::newRow("this month: a year earlier") << fri << 5 << "2025/12/11 10:00:00" << false;
        QTest::newRow("last month: November") << fri << 6 << "2026/11/15 8:00:00" << true;
        QTest::newRow("last month: this month") << fri << 6 << "2026/12/1 0:00:00" << false;
        // Around a year's end.
        const QDateTime jan = at(2027, 1, 2, 9); // a Saturday; its week began on Monday 28 December
        QTest::newRow("January: last month is December") << jan << 6 << "2026/12/31 22:00:00" << true;
        QTest::newRow("January: this week reaches into December") << jan << 3 << "2026/12/28 0:00:00" << true;
        QTest::newRow("January: last week in December") << jan << 4 << "2026/12/21 9:00:00" << true;
        QTest::newRow("January: yesterday across the year")
            << at(2027, 1, 1, 9) << 1 << "2026/12/31 9:00:00" << true;
        QTest::newRow("Monday: yesterday is last week's Sunday")
            << at(2026, 12, 7, 9) << 4 << "2026/12/6 9:00:00" << true;
        QTest::newRow("unknown filter keeps nothing") << fri << 7 << "2026/12/11 9:00:00" << false;
        QTest::newRow("negative filter keeps nothing") << fri << -1 << "2026/12/11 9:00:00" << false;
    }

    void contains()
    {
        QFETCH(QDateTime, now);
        QFETCH(int, type);
        QFETCH(QString, record);
        QFETCH(bool, inside);
        const std::optional<qint64> t = DateTextCache::parse(record);
        QVERIFY(t.has_value());
        QCOMPARE(RecordTimeRange::forType(type, now).contains(*t), inside);
    }

    // Days are the local calendar's: a day of 23 hours is still a whole day.
    void daylightSavingDay()
    {
        TestEnv::setTimeZone("America/New_York");
        const RecordTimeRange today = RecordTimeRange::forType(RecordTimeRange::Today, at(2026, 3, 8, 12));
        QCOMPARE(today.end() - today.begin(), qint64(23) * 3600 * 1000);
        QVERIFY(today.contains(*DateTextCache::parse(QStringLiteral("2026/3/8 23:59:59"))));
        QVERIFY(!today.contains(*DateTextCache::parse(QStringLiteral("2026/3/9 0:00:00"))));
    }
};

PRELVANE_TEST_CORE_MAIN(TestRecordTimeRange)
#include "tst_recordtimerange.moc"
