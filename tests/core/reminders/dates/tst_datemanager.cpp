#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/DateNumberTransform.h"
#include "platform/base/Clock.h"
#include "tests/support/TestEnv.h"

#include <QLocale>

#include <limits>

namespace {
constexpr auto Greg = CalendarIdentifier::Gregorian;
constexpr auto Lunar = CalendarIdentifier::Chinese;

QDateTime at(int y, int m, int d, int h = 9, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, mi, s));
}
} // namespace

class TestDateManager : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        TestEnv::setTimeZone("Asia/Shanghai");
        Clock::reset();
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        QTest::newRow("with seconds") << "2021/3/7 9:05:00" << at(2021, 3, 7, 9, 5);
        QTest::newRow("without seconds") << "2021/3/7 9:05" << at(2021, 3, 7, 9, 5);
        QTest::newRow("padded fields") << "2021/03/07 09:05:07" << at(2021, 3, 7, 9, 5, 7);
        QTest::newRow("iso date") << "2021-03-07" << QDateTime();
        QTest::newRow("iso date-time") << "2021-03-07T09:05:00" << QDateTime();
        QTest::newRow("date only") << "2021/3/7" << QDateTime();
        QTest::newRow("impossible day") << "2021/2/30 9:05:00" << QDateTime();
        QTest::newRow("hour 24") << "2021/2/3 24:00:00" << QDateTime();
        QTest::newRow("trailing text") << "2021/3/7 9:05:00 x" << QDateTime();
        QTest::newRow("arabic digits") << "٢٠٢١/٣/٧ ٩:٠٥:٠٠" << QDateTime();
        QTest::newRow("empty") << "" << QDateTime();
        QTest::newRow("null") << QString() << QDateTime();
        QTest::newRow("30 February") << "2026/2/30 10:00:00" << QDateTime();
        QTest::newRow("month 13") << "2026/13/1 0:00" << QDateTime();
        QTest::newRow("month 0") << "2026/0/1 0:00" << QDateTime();
        QTest::newRow("leading space") << " 2026/2/3 10:00" << QDateTime();
        QTest::newRow("trailing space") << "2026/2/3 10:00 " << QDateTime();
        QTest::newRow("trailing newline") << "2026/2/3 10:00\n" << QDateTime();
        QTest::newRow("full-width digits") << "２０２６/2/3 10:00" << QDateTime();
        QTest::newRow("five-digit year") << "20260/2/3 10:00" << QDateTime();
        QTest::newRow("huge year") << "99999999999/1/1 0:00" << QDateTime();
        QTest::newRow("negative year") << "-2026/1/1 0:00" << QDateTime();
        QTest::newRow("year 0") << "0000/1/1 0:00" << QDateTime();
        QTest::newRow("negative day") << "2026/1/-1 0:00" << QDateTime();
        QTest::newRow("minute 60") << "2026/1/1 0:60" << QDateTime();
        QTest::newRow("second 60") << "2026/1/1 0:00:60" << QDateTime();
        QTest::newRow("one-digit minute") << "2026/1/1 0:5" << QDateTime();
        QTest::newRow("dangling colon") << "2026/1/1 0:05:" << QDateTime();
        QTest::newRow("milliseconds") << "2026/1/1 0:05:00.000" << QDateTime();
        QTest::newRow("three-digit month") << "2026/001/1 0:00" << QDateTime();
        QTest::newRow("embedded nul") << QString::fromUtf8("2026/1/1 0:00\0", 14) << QDateTime();
        QTest::newRow("29 February, leap year") << "2024/2/29 23:59:59" << at(2024, 2, 29, 23, 59, 59);
        QTest::newRow("first year") << "0001/1/1 0:00" << QDateTime(QDate(1, 1, 1), QTime(0, 0));
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        QCOMPARE(DateManager::getDateFromString(text), expected);
    }

    // Texts are the same under a locale with other digits and another calendar tradition.
    void textsIgnoreTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
        const QDateTime d = at(2021, 3, 7, 9, 5, 4);
        QCOMPARE(DateManager::getStringFromDate(d), QStringLiteral("2021/3/7 9:05:04"));
        QCOMPARE(DateManager::getNoSecondDateStringFromDate(d), QStringLiteral("2021/3/7 9:05"));
        QCOMPARE(DateManager::getDateFromString(QStringLiteral("2021/3/7 9:05:04")), d);
        QCOMPARE(DateManager::getShowYearMonthDayDateFromDate(d), QStringLiteral("2021/3/7"));
        QCOMPARE(DateManager::getShowHourAndMinuteDateFromDate(d), QStringLiteral("09:05"));
        QCOMPARE(DateManager::getShowDateWithCalendarIdentifier(Greg, d),
                 QStringLiteral("2021年3月7日 09:05"));
        QVERIFY(DateManager::getStringFromDate(QDateTime()).isNull());
        QCOMPARE(DateManager::getShowYearMonthDayDateFromDate(QDateTime()), QStringLiteral(""));
    }

    // Both formats read back what was written, in a zone with daylight saving too (the repeated autumn hour
    // excepted: its text names the second pass).
    void textsRoundTrip_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::newRow("Shanghai") << "Asia/Shanghai";
        QTest::newRow("Berlin") << "Europe/Berlin";
        QTest::newRow("New York") << "America/New_York";
    }

    void textsRoundTrip()
    {
        QFETCH(QString, zone);
        TestEnv::setTimeZone(zone.toUtf8());
        // Every 7 hours 13 minutes 17 seconds over four years, through both changes of every year.
        const qint64 start = QDateTime(QDate(2023, 1, 1), QTime(0, 0)).toMSecsSinceEpoch();
        for (qint64 ms = start; ms < start + 4LL * 366 * 86400000; ms += (7 * 3600 + 13 * 60 + 17) * 1000LL) {
            const QDateTime dt = QDateTime::fromMSecsSinceEpoch(ms);
            const bool repeated = QDateTime::fromMSecsSinceEpoch(ms + 3600000).time() == dt.time() ||
                                  QDateTime::fromMSecsSinceEpoch(ms - 3600000).time() == dt.time();
            const QString text = DateManager::getStringFromDate(dt);
            const QDateTime back = DateManager::getDateFromString(text);
            QVERIFY2(back.isValid(), qPrintable(text));
            QCOMPARE(DateManager::getStringFromDate(back), text);
            if (!repeated)
                QCOMPARE(back.toMSecsSinceEpoch(), ms);
            const QString minuteText = DateManager::getNoSecondDateStringFromDate(dt);
            const QDateTime minute = DateManager::getDateFromString(minuteText);
            QVERIFY2(minute.isValid(), qPrintable(minuteText));
            QCOMPARE(DateManager::getNoSecondDateStringFromDate(minute), minuteText);
            QCOMPARE(minute.time().second(), 0);
        }
    }

    // A stored time that the spring change skips is still a date (moved on by the gap), not a missing one.
    void textsInsideDstChanges()
    {
        TestEnv::setTimeZone("Europe/Berlin");
        const QDateTime gap = DateManager::getDateFromString("2024/3/31 2:30:00");
        QVERIFY(gap.isValid());
        QCOMPARE(DateManager::getStringFromDate(gap), QStringLiteral("2024/3/31 3:30:00"));
        QCOMPARE(DateManager::getDateFromString("2024/3/31 2:00"), at(2024, 3, 31, 3, 0));
        // A date-time the caller made inside the gap is written as the time it stands for.
        QCOMPARE(DateManager::getStringFromDate(QDateTime(QDate(2024, 3, 31), QTime(2, 15))),
                 QStringLiteral("2024/3/31 3:15:00"));
        // The two passes of the repeated hour keep their order.
        const qint64 firstPass = QDateTime(QDate(2024, 10, 27), QTime(0, 30), Qt::UTC).toMSecsSinceEpoch();
        const QDateTime a = QDateTime::fromMSecsSinceEpoch(firstPass);
        const QDateTime b = QDateTime::fromMSecsSinceEpoch(firstPass + 3600000);
        QCOMPARE(DateManager::compareFromDate(a, b), -1);
        QCOMPARE(DateManager::compareFromDate(b, a), 1);
        QCOMPARE(DateManager::getIntervalDaysFromDate(a, b), 0);
        QCOMPARE(DateManager::getInitSecondDateFromDate(a.addSecs(17)), a);
        QCOMPARE(DateManager::getStringFromDate(a), QStringLiteral("2024/10/27 2:30:00"));
    }

    // Years the text cannot hold give no text rather than one that never reads back.
    void textsOfYearsOutsideTheFormat()
    {
        QVERIFY(DateManager::getStringFromDate(QDateTime(QDate(-5, 1, 1), QTime(0, 0))).isNull());
        QVERIFY(DateManager::getStringFromDate(QDateTime(QDate(12000, 1, 1), QTime(0, 0))).isNull());
        QVERIFY(
            DateManager::getNoSecondDateStringFromDate(QDateTime(QDate(12000, 1, 1), QTime(0, 0))).isNull());
        QCOMPARE(DateManager::getStringFromDate(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59))),
                 QStringLiteral("9999/12/31 23:59:59"));
        QVERIFY(
            !DateManager::getAfterDaysWithDate(at(2024, 1, 1), std::numeric_limits<qint64>::max()).isValid());
        QVERIFY(
            !DateManager::getAfterHourWithDate(at(2024, 1, 1), std::numeric_limits<qint64>::min()).isValid());
    }

    void fixedSecondsVersusCalendarDays()
    {
        TestEnv::setTimeZone("Europe/Berlin");
        const QDateTime before = at(2024, 3, 30, 9);
        QCOMPARE(DateManager::getAfterDaysWithDate(before, 1), at(2024, 3, 31, 10));
        QCOMPARE(DateManager::getAfterWeekWithDate(before, 1), at(2024, 4, 6, 9));
        QCOMPARE(DateManager::getIntervalDaysFromDate(at(2024, 3, 30, 9), at(2024, 3, 31, 9)), 0);
        QCOMPARE(DateManager::getIntervalDaysFromDate(at(2024, 3, 31, 9), at(2024, 3, 29, 9)), -1);
    }

    void fieldsAndReplacements()
    {
        const QDateTime d = at(2025, 8, 13, 7, 45, 30); // lunar 2025 leap 6 day 20
        QCOMPARE(DateManager::getWeekWithDate(at(2024, 10, 13)), 7);
        QCOMPARE(DateManager::getWeekWithDate(at(2024, 10, 14)), 1);
        QCOMPARE(DateManager::getYearWithCalendarIdentifier(Lunar, d), 2025);
        QCOMPARE(DateManager::getMonthWithCalendarIdentifier(Lunar, d), 6);
        QCOMPARE(DateManager::getDayWithCalendarIdentifier(Lunar, d), 20);
        QCOMPARE(DateManager::getDayWithCalendarIdentifier(Lunar, QDateTime()), 0);
        QVERIFY(DateManager::getDateComponentWithCalendarIdentifier(Lunar, d).leapMonth);
        QCOMPARE(DateManager::getDaysWithCalendarIdentifier(Lunar, d), 29);
        QCOMPARE(DateManager::getDaysWithCalendarIdentifier(Greg, d), 31);
        QCOMPARE(DateManager::getADayWithCalendarIdentifier(Greg, at(2024, 4, 5), 31), at(2024, 5, 1));
        QCOMPARE(DateManager::getAMonthWithCalendarIdentifier(Lunar, d, 7), at(2025, 9, 11, 7, 45, 30));
        QCOMPARE(DateManager::getAHourAndMinuteWithDate(d, 18, 5), at(2025, 8, 13, 18, 5, 30));
        QCOMPARE(DateManager::getInitSecondDateFromDate(d), at(2025, 8, 13, 7, 45));
        QCOMPARE(DateManager::getAfterMonthWithCalendarIdentifier(Greg, at(2024, 1, 31), 1), at(2024, 2, 29));
        QCOMPARE(DateManager::getAfterYearWithCalendarIdentifier(Lunar, d, 1), at(2026, 8, 2, 7, 45, 30));
        QCOMPARE(DateManager::getGregorianDateFromDate(d, 8, 15), at(2025, 10, 6, 7, 45));
        QCOMPARE(DateManager::compareFromDate(at(2024, 1, 1), at(2024, 1, 2)), -1);
        QCOMPARE(DateManager::compareFromDate(at(2024, 1, 2), at(2024, 1, 2)), 0);
        QCOMPARE(DateManager::compareFromDate(at(2024, 1, 3), at(2024, 1, 2)), 1);
        const DateComponents diff = DateManager::getDifferFromDate(at(2023, 1, 31, 8), at(2024, 3, 1, 9, 30));
        QCOMPARE((QList<int>{diff.year, diff.month, diff.day, diff.hour, diff.minute}),
                 (QList<int>{1, 1, 1, 1, 30}));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(DateManager::getSystemWeekWithDate(at(2024, 10, 13)), 1);
    }

    void showTexts()
    {
        const QDateTime d = at(2025, 7, 25, 8, 5); // lunar 2025 leap 6 day 1
        QCOMPARE(DateManager::getShowMonthAndDayTimeWithCalendarIdentifier(Greg, d),
                 QStringLiteral("7月25日"));
        QCOMPARE(DateManager::getShowMonthAndDayTimeWithCalendarIdentifier(Lunar, d),
                 QStringLiteral("六月初一"));
        QCOMPARE(DateManager::getShowDateWithCalendarIdentifier(Lunar, d),
                 QStringLiteral("2025年六月初一 08:05"));
        // Before the lunar new year the lunar year is still the previous one.
        QCOMPARE(DateManager::getShowDateWithCalendarIdentifier(Lunar, at(2027, 2, 5, 20)),
                 QStringLiteral("2026年腊月廿九 20:00"));
        // Outside the table the calendar's own year is shown.
        QVERIFY(DateManager::getShowDateWithCalendarIdentifier(Lunar, at(2150, 6, 1)).startsWith("2150年"));
    }

    void labels()
    {
        QCOMPARE(DateNumberTransform::showChineseWeekWithNumberWeekArr({"7", "1", "8", "x"}),
                 (QStringList{"周日", "周一"}));
        QCOMPARE(DateNumberTransform::showChineseMonthWithNumberMonthArr({"11", "12", "1", "0"}),
                 (QStringList{"冬月", "腊月", "正月"}));
        QCOMPARE(DateNumberTransform::showChineseDayWithNumberDayArr({"20", "21", "10", "30", "31"}),
                 (QStringList{"二十", "廿一", "初十", "三十"}));
        QCOMPARE(DateNumberTransform::showNumberWeekWithChineseWeekArr({"周三", "周八"}), (QStringList{"3"}));
        QCOMPARE(DateNumberTransform::showNumberMonthWithChineseMonthArr({"腊月", "冬月", "十一月"}),
                 (QStringList{"12", "11"}));
        QCOMPARE(DateNumberTransform::showNumberDayWithChineseDayArr({"廿九", "十五", "三十一"}),
                 (QStringList{"29", "15"}));
    }
};

PRELVANE_TEST_CORE_MAIN(TestDateManager)
#include "tst_datemanager.moc"
