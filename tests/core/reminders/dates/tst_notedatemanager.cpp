#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"
#include "platform/base/Clock.h"
#include "tests/support/TestEnv.h"

#include <limits>

namespace {
constexpr auto Greg = CalendarIdentifier::Gregorian;
constexpr auto Lunar = CalendarIdentifier::Chinese;

QDateTime d(const QString &text)
{
    return DateManager::getDateFromString(text);
}
} // namespace

class TestNoteDateManager : public QObject
{
    Q_OBJECT

private:
    void addRuleColumns()
    {
        QTest::addColumn<QString>("op"); // real, next, bounded, nowNext
        QTest::addColumn<int>("calendar");
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("cycleType");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("specify");
        QTest::addColumn<QString>("endDate");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("expected"); // "" = no occurrence
    }

    void runRule()
    {
        QFETCH(QString, op);
        QFETCH(int, calendar);
        QFETCH(QString, date);
        QFETCH(int, cycleType);
        QFETCH(int, interval);
        QFETCH(QString, specify);
        QFETCH(QString, endDate);
        QFETCH(QString, now);
        QFETCH(QString, expected);
        Clock::setNow(d(now));
        const CalendarIdentifier cal = NoteDateManager::getCalendarIdentifierWithDateType(calendar);
        QDateTime got;
        if (op == "real")
            got = NoteDateManager::nextRealDateWithCalendarIdentifier(cal, d(date), cycleType, interval,
                                                                      specify);
        else if (op == "next")
            got = NoteDateManager::nextDateWithCalendarIdentifier(cal, d(date), cycleType, interval, specify);
        else if (op == "bounded")
            got = NoteDateManager::nextDateWithCalendarIdentifier(cal, d(date), cycleType, interval, specify,
                                                                  d(endDate));
        else
            got = NoteDateManager::getNowNextDateWithCalendarIdentifier(cal, d(date), cycleType, interval,
                                                                        specify, d(endDate));
        QCOMPARE(DateManager::getStringFromDate(got), expected.isEmpty() ? QString() : expected);
    }

private slots:
    void cleanup()
    {
        Clock::reset();
        TestEnv::setTimeZone("Asia/Shanghai");
    }

    void rules_data()
    {
        addRuleColumns();
        const QString now = "2024/10/16 15:20:00"; // a Wednesday
        auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
        row("every 3 days, D 3 days 1 hour ago") << "real" << 0 << "2024/10/13 14:20:00" << 1 << 3 << ""
                                                 << "" << now << "2024/10/19 14:20:00";
        row("interval 0 counts as 1") << "real" << 0 << "2024/10/13 9:00:00" << 1 << 0 << ""
                                      << "" << now << "2024/10/17 9:00:00";
        row("negative interval counts as 1") << "real" << 0 << "2024/10/13 9:00:00" << 1 << -4 << ""
                                             << "" << now << "2024/10/17 9:00:00";
        row("future D, real steps once") << "real" << 0 << "2024/10/20 9:00:00" << 2 << 1 << ""
                                         << "" << now << "2024/10/27 9:00:00";
        row("future D, next is D") << "next" << 0 << "2024/10/20 9:00:00" << 2 << 1 << ""
                                   << "" << now << "2024/10/20 9:00:00";
        row("future D, nowNext is D") << "nowNext" << 0 << "2024/10/20 9:00:00" << 2 << 1 << ""
                                      << "" << now << "2024/10/20 9:00:00";
        row("future start ignores end date") << "nowNext" << 0 << "2024/10/20 9:00:00" << 1 << 1 << ""
                                             << "2024/10/18 9:00:00" << now << "2024/10/20 9:00:00";
        // The earliest chosen value wins: this week's Thursday, not next week's Tuesday.
        row("weekly 2,4 from last week's Monday") << "real" << 0 << "2024/10/7 9:00:00" << 2 << 1 << "2,4"
                                                  << "" << now << "2024/10/17 9:00:00";
        row("weekly 1,3 from a Wednesday") << "real" << 0 << "2024/10/9 9:00:00" << 2 << 1 << "1,3"
                                           << "" << now << "2024/10/21 9:00:00";
        row("every 2 weeks on 5") << "real" << 0 << "2024/10/7 9:00:00" << 2 << 2 << "5"
                                  << "" << now << "2024/10/25 9:00:00";
        row("junk chosen values ignored") << "real" << 0 << "2024/10/9 9:00:00" << 2 << 1 << "x,,9"
                                          << "" << now << "2024/10/23 9:00:00";
        row("monthly 10,20, now 16th") << "real" << 0 << "2024/10/15 9:00:00" << 3 << 1 << "10,20"
                                       << ""
                                       << "2024/10/16 15:20:00"
                                       << "2024/10/20 9:00:00";
        row("monthly 10,20, now 25th") << "real" << 0 << "2024/10/15 9:00:00" << 3 << 1 << "10,20"
                                       << ""
                                       << "2024/10/25 15:20:00"
                                       << "2024/11/10 9:00:00";
        row("monthly on 31 from a 30-day month") << "real" << 0 << "2024/4/5 9:00:00" << 3 << 1 << "31"
                                                 << ""
                                                 << "2024/4/10 9:00:00"
                                                 << "2024/5/1 9:00:00";
        // Later months take day 31 (or their last day), not the run-over 1st.
        row("monthly on 31, next month") << "real" << 0 << "2024/4/5 9:00:00" << 3 << 1 << "31"
                                         << ""
                                         << "2024/5/2 9:00:00"
                                         << "2024/5/31 9:00:00";
        row("monthly on 31 in February") << "real" << 0 << "2024/1/5 9:00:00" << 3 << 1 << "31"
                                         << ""
                                         << "2024/2/2 9:00:00"
                                         << "2024/2/29 9:00:00";
        row("monthly from 31 Jan, mid-Feb") << "real" << 0 << "2024/1/31 9:00:00" << 3 << 1 << ""
                                            << ""
                                            << "2024/2/15 9:00:00"
                                            << "2024/2/29 9:00:00";
        row("monthly from 31 Jan, after Feb") << "real" << 0 << "2024/1/31 9:00:00" << 3 << 1 << ""
                                              << ""
                                              << "2024/2/29 10:00:00"
                                              << "2024/3/31 9:00:00";
        row("quarterly without values") << "real" << 0 << "2024/1/15 9:00:00" << 4 << 1 << ""
                                        << ""
                                        << "2024/2/1 9:00:00"
                                        << "2024/4/15 9:00:00";
        row("quarterly 5,25 ahead") << "real" << 0 << "2024/1/15 9:00:00" << 4 << 1 << "5,25"
                                    << ""
                                    << "2024/1/20 9:00:00"
                                    << "2024/1/25 9:00:00";
        row("quarterly 5,25 passed") << "real" << 0 << "2024/1/15 9:00:00" << 4 << 1 << "5,25"
                                     << ""
                                     << "2024/1/26 9:00:00"
                                     << "2024/4/5 9:00:00";
        row("yearly on 3 from March") << "real" << 0 << "2023/3/10 9:00:00" << 5 << 1 << "3"
                                      << "" << now << "2025/3/10 9:00:00";
        row("yearly 3,9 from March") << "real" << 0 << "2024/3/10 9:00:00" << 5 << 1 << "3,9"
                                     << ""
                                     << "2024/4/1 9:00:00"
                                     << "2024/9/10 9:00:00";
        row("29 Feb yearly") << "real" << 0 << "2024/2/29 9:00:00" << 5 << 1 << ""
                             << ""
                             << "2024/3/1 9:00:00"
                             << "2025/2/28 9:00:00";
        row("29 Feb yearly, leap year again") << "real" << 0 << "2024/2/29 9:00:00" << 5 << 1 << ""
                                              << ""
                                              << "2027/3/1 9:00:00"
                                              << "2028/2/29 9:00:00";
        row("end date equal to next") << "bounded" << 0 << "2024/10/13 9:00:00" << 1 << 1 << ""
                                      << "2024/10/17 9:00:00" << now << "2024/10/17 9:00:00";
        row("end date just before next") << "bounded" << 0 << "2024/10/13 9:00:00" << 1 << 1 << ""
                                         << "2024/10/17 8:59:59" << now << "";
        row("end date, nowNext") << "nowNext" << 0 << "2024/10/13 9:00:00" << 1 << 1 << ""
                                 << "2024/10/17 8:59:59" << now << "";
        row("unparsable end date is no end") << "bounded" << 0 << "2024/10/13 9:00:00" << 1 << 1 << ""
                                             << "2024-10-17" << now << "2024/10/17 9:00:00";
        row("no cycle") << "real" << 0 << "2024/10/13 9:00:00" << 0 << 1 << ""
                        << "" << now << "";
        row("no cycle, past D") << "next" << 0 << "2024/10/13 9:00:00" << 0 << 1 << ""
                                << "" << now << "";
        row("cycle above 5") << "real" << 0 << "2024/10/13 9:00:00" << 6 << 1 << ""
                             << "" << now << "";
        row("missing D") << "next" << 0 << "" << 1 << 1 << ""
                         << "" << now << "";
        row("huge interval") << "real" << 0 << "2024/10/13 9:00:00" << 3 << 2000000000 << ""
                             << "" << now << "";
        // Lunar rules (dateType 1).
        row("lunar monthly into leap 6") << "real" << 1 << "2025/7/4 9:00:00" << 3 << 1 << ""
                                         << ""
                                         << "2025/7/10 9:00:00"
                                         << "2025/8/3 9:00:00";
        row("lunar monthly out of leap 6") << "real" << 1 << "2025/7/4 9:00:00" << 3 << 1 << ""
                                           << ""
                                           << "2025/8/5 9:00:00"
                                           << "2025/9/1 9:00:00";
        row("lunar yearly, next year without leap") << "real" << 1 << "2025/8/3 9:00:00" << 5 << 1 << ""
                                                    << ""
                                                    << "2025/9/1 9:00:00"
                                                    << "2026/7/23 9:00:00";
        row("lunar month 12 to month 1") << "real" << 1 << "2026/1/19 9:00:00" << 3 << 1 << ""
                                         << ""
                                         << "2026/1/20 9:00:00"
                                         << "2026/2/17 9:00:00";
        row("lunar day 30 in a 29-day month") << "real" << 1 << "2025/5/27 9:00:00" << 3 << 1 << "30"
                                              << ""
                                              << "2025/5/28 9:00:00"
                                              << "2025/6/25 9:00:00";
        row("lunar yearly on month 8") << "real" << 1 << "2025/7/4 9:00:00" << 5 << 1 << "8"
                                       << ""
                                       << "2025/7/10 9:00:00"
                                       << "2025/10/1 9:00:00";
        row("lunar new year 2027") << "real" << 1 << "2026/2/17 9:00:00" << 5 << 1 << ""
                                   << ""
                                   << "2026/3/1 9:00:00"
                                   << "2027/2/6 9:00:00";
        row("lunar new year 2030") << "real" << 1 << "2029/2/13 9:00:00" << 5 << 1 << ""
                                   << ""
                                   << "2029/3/1 9:00:00"
                                   << "2030/2/3 9:00:00";
    }

    void rules() { runRule(); }

    // In a zone with daylight saving a daily 09:00 reminder stays at 09:00 across both changes.
    void rulesAcrossDst_data()
    {
        addRuleColumns();
        QTest::newRow("daily over spring change") << "real" << 0 << "2024/3/28 9:00:00" << 1 << 1 << ""
                                                  << ""
                                                  << "2024/3/30 12:00:00"
                                                  << "2024/3/31 9:00:00";
        QTest::newRow("daily over autumn change") << "real" << 0 << "2024/10/20 9:00:00" << 1 << 1 << ""
                                                  << ""
                                                  << "2024/10/27 9:30:00"
                                                  << "2024/10/28 9:00:00";
        QTest::newRow("weekly over spring change") << "real" << 0 << "2024/3/25 9:00:00" << 2 << 1 << ""
                                                   << ""
                                                   << "2024/3/26 9:00:00"
                                                   << "2024/4/1 9:00:00";
        QTest::newRow("weekly chosen over change") << "real" << 0 << "2024/3/25 9:00:00" << 2 << 1 << "1,7"
                                                   << ""
                                                   << "2024/3/26 9:00:00"
                                                   << "2024/3/31 9:00:00";
        QTest::newRow("end date after change") << "bounded" << 0 << "2024/3/30 9:00:00" << 1 << 1 << ""
                                               << "2024/3/31 9:00:00"
                                               << "2024/3/30 10:00:00"
                                               << "2024/3/31 9:00:00";
    }

    void rulesAcrossDst()
    {
        TestEnv::setTimeZone("Europe/Berlin");
        runRule();
    }

    // Occurrences at a wall-clock time that a change skips or repeats. A skipped time is moved on by the gap
    // (02:30 is 03:30 that day only; the next day is 02:30 again); a repeated one fires once, on the second
    // pass. D may itself be a date-time made inside the gap (Qt holds such a one invalid): it stands for
    // the moved-on moment and keeps its wall-clock time for later occurrences. Instants are in UTC.
    void occurrencesAtSkippedAndRepeatedTimes_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("op"); // real, next, bounded
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<int>("cycleType");
        QTest::addColumn<QString>("specify");
        QTest::addColumn<QDateTime>("endDate");
        QTest::addColumn<QString>("nowUtc");
        QTest::addColumn<QString>("expectedUtc"); // "" = none
        const QString berlin = "Europe/Berlin", ny = "America/New_York";
        auto local = [](int y, int m, int d, int h, int mi) {
            return QDateTime(QDate(y, m, d), QTime(h, mi));
        };
        QTest::newRow("Berlin daily into the gap") << berlin << "real" << local(2024, 3, 28, 2, 30) << 1 << ""
                                                   << QDateTime() << "2024-03-30T12:00:00"
                                                   << "2024-03-31T01:30:00";
        QTest::newRow("Berlin daily after the gap keeps 02:30")
            << berlin << "real" << local(2024, 3, 28, 2, 30) << 1 << "" << QDateTime()
            << "2024-03-31T02:00:00"
            << "2024-04-01T00:30:00";
        QTest::newRow("Berlin weekly chosen Sunday into the gap")
            << berlin << "real" << local(2024, 3, 25, 2, 30) << 2 << "1,7" << QDateTime()
            << "2024-03-26T12:00:00"
            << "2024-03-31T01:30:00";
        QTest::newRow("Berlin monthly on 31 into the gap") << berlin << "real" << local(2024, 1, 31, 2, 30)
                                                           << 3 << "" << QDateTime() << "2024-03-01T00:00:00"
                                                           << "2024-03-31T01:30:00";
        QTest::newRow("Berlin D inside the gap, ahead") << berlin << "next" << local(2024, 3, 31, 2, 30) << 1
                                                        << "" << QDateTime() << "2024-03-30T12:00:00"
                                                        << "2024-03-31T01:30:00";
        QTest::newRow("Berlin D inside the gap, real") << berlin << "real" << local(2024, 3, 31, 2, 30) << 1
                                                       << "" << QDateTime() << "2024-03-30T12:00:00"
                                                       << "2024-04-01T00:30:00";
        QTest::newRow("Berlin end date inside the gap")
            << berlin << "bounded" << local(2024, 3, 28, 2, 30) << 1 << "" << local(2024, 3, 31, 2, 30)
            << "2024-03-30T12:00:00"
            << "2024-03-31T01:30:00";
        QTest::newRow("Berlin end date before the gap's end")
            << berlin << "bounded" << local(2024, 3, 28, 2, 30) << 1 << "" << local(2024, 3, 31, 1, 59)
            << "2024-03-30T12:00:00"
            << "";
        QTest::newRow("Berlin daily into the repeated hour")
            << berlin << "real" << local(2024, 10, 20, 2, 30) << 1 << "" << QDateTime()
            << "2024-10-26T12:00:00"
            << "2024-10-27T01:30:00";
        QTest::newRow("Berlin now on the first pass") << berlin << "real" << local(2024, 10, 20, 2, 30) << 1
                                                      << "" << QDateTime() << "2024-10-27T00:30:00"
                                                      << "2024-10-27T01:30:00";
        QTest::newRow("Berlin now on the second pass") << berlin << "real" << local(2024, 10, 20, 2, 30) << 1
                                                       << "" << QDateTime() << "2024-10-27T01:30:00"
                                                       << "2024-10-28T01:30:00";
        QTest::newRow("New York daily into the gap")
            << ny << "real" << local(2024, 3, 8, 2, 30) << 1 << "" << QDateTime() << "2024-03-09T12:00:00"
            << "2024-03-10T07:30:00";
        QTest::newRow("New York after the gap keeps 02:30")
            << ny << "real" << local(2024, 3, 8, 2, 30) << 1 << "" << QDateTime() << "2024-03-10T08:00:00"
            << "2024-03-11T06:30:00";
        QTest::newRow("New York yearly into the gap")
            << ny << "real" << local(2023, 3, 10, 2, 30) << 5 << "" << QDateTime() << "2023-06-01T00:00:00"
            << "2024-03-10T07:30:00";
        QTest::newRow("New York daily into the repeated hour")
            << ny << "real" << local(2024, 10, 30, 1, 30) << 1 << "" << QDateTime() << "2024-11-02T12:00:00"
            << "2024-11-03T06:30:00";
        QTest::newRow("New York now between the passes")
            << ny << "real" << local(2024, 10, 30, 1, 30) << 1 << "" << QDateTime() << "2024-11-03T05:45:00"
            << "2024-11-03T06:30:00";
        QTest::newRow("New York D inside the gap, ahead, with end")
            << ny << "bounded" << local(2024, 3, 10, 2, 30) << 1 << "" << local(2024, 3, 10, 3, 30)
            << "2024-03-09T12:00:00"
            << "2024-03-10T07:30:00";
    }

    void occurrencesAtSkippedAndRepeatedTimes()
    {
        QFETCH(QString, zone);
        QFETCH(QString, op);
        QFETCH(QDateTime, date);
        QFETCH(int, cycleType);
        QFETCH(QString, specify);
        QFETCH(QDateTime, endDate);
        QFETCH(QString, nowUtc);
        QFETCH(QString, expectedUtc);
        TestEnv::setTimeZone(zone.toUtf8());
        // The rows' local date-times were made in the test's own zone; make them again in this one.
        date = QDateTime(date.date(), date.time());
        if (endDate.date().isValid())
            endDate = QDateTime(endDate.date(), endDate.time());
        Clock::setNow(QDateTime::fromString(nowUtc + "Z", Qt::ISODate));
        QDateTime got;
        if (op == "real")
            got = NoteDateManager::nextRealDateWithCalendarIdentifier(Greg, date, cycleType, 1, specify);
        else if (op == "next")
            got = NoteDateManager::nextDateWithCalendarIdentifier(Greg, date, cycleType, 1, specify);
        else
            got = NoteDateManager::nextDateWithCalendarIdentifier(Greg, date, cycleType, 1, specify, endDate);
        if (expectedUtc.isEmpty()) {
            QVERIFY2(!got.isValid(), qPrintable(got.toString(Qt::ISODate)));
            return;
        }
        QVERIFY(got.isValid());
        QCOMPARE(got.toUTC().toString(Qt::ISODate), expectedUtc + "Z");
    }

    // Rules far from today, at the lunar table's edges and at the ends of the calendar: every answer is a
    // date strictly after now or none, never a crash; one exists unless it would lie past year 9999.
    void rulesAtTheEdgesOfTheCalendar()
    {
        const QDateTime starts[] = {d("0001/1/1 9:00:00"), d("1880/3/1 9:00:00"),   d("1888/2/12 0:00:00"),
                                    d("2110/3/1 9:00:00"), d("2112/1/28 23:59:59"), d("9999/11/1 9:00:00")};
        const QDateTime nows[] = {d("0001/1/5 0:00:00"), d("1890/3/1 0:00:00"), d("2024/3/1 0:00:00"),
                                  d("2112/3/1 0:00:00"), d("9999/12/30 0:00:00")};
        for (const QDateTime &now : nows) {
            Clock::setNow(now);
            for (const QDateTime &start : starts) {
                for (const CalendarIdentifier cal : {Greg, Lunar}) {
                    for (int type = 1; type <= 5; ++type) {
                        for (const QString &specify : {QString(), QStringLiteral("1,5,12")}) {
                            const QDateTime got = NoteDateManager::nextRealDateWithCalendarIdentifier(
                                cal, start, type, 1, specify);
                            const QString where = QStringLiteral("%1 from %2 type %3 specify %4")
                                                      .arg(DateManager::getStringFromDate(now),
                                                           DateManager::getStringFromDate(start))
                                                      .arg(type)
                                                      .arg(specify);
                            if (got.isValid())
                                QVERIFY2(got > now, qPrintable(where));
                            else
                                QVERIFY2(now.date().year() == 9999 || start.date().year() == 9999,
                                         qPrintable(where));
                        }
                    }
                }
            }
        }
    }

    void advances()
    {
        Clock::setNow(d("2024/10/16 15:20:00"));
        QCOMPARE(NoteDateManager::getRealAfterDaysDateWithDate(d("2024/10/20 9:00:00"), 2),
                 d("2024/10/22 9:00:00"));
        QCOMPARE(NoteDateManager::getValidAfterDaysDateWithDate(d("2024/10/20 9:00:00"), 2),
                 d("2024/10/20 9:00:00"));
        QCOMPARE(NoteDateManager::getRealAfterDaysDateWithDate(d("2024/10/1 16:00:00"), 5),
                 d("2024/10/16 16:00:00"));
        QCOMPARE(
            NoteDateManager::getRealAfterMonthsDateWithCalendarIdentifier(Greg, d("2023/12/31 9:00:00"), 2),
            d("2024/10/31 9:00:00"));
        QCOMPARE(
            NoteDateManager::getValidAfterMonthsDateWithCalendarIdentifier(Greg, d("2024/10/16 15:30:00"), 1),
            d("2024/10/16 15:30:00"));
        QCOMPARE(
            NoteDateManager::getRealAfterYearsDateWithCalendarIdentifier(Lunar, d("2025/8/3 9:00:00"), 1),
            d("2026/7/23 9:00:00"));
        QCOMPARE(
            NoteDateManager::getValidAfterYearsDateWithCalendarIdentifier(Greg, d("2020/2/29 9:00:00"), 4),
            d("2028/2/29 9:00:00"));
        QVERIFY(!NoteDateManager::getRealAfterDaysDateWithDate(QDateTime(), 1).isValid());
    }

    void importantReminderTime_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<qint64>("minutes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("every 30, 20 elapsed") << "2024/10/16 15:00:00" << qint64(30) << "2024/10/16 15:30:00";
        QTest::newRow("every 10, 20 elapsed") << "2024/10/16 15:00:00" << qint64(10) << "2024/10/16 15:30:00";
        QTest::newRow("no settings counts as 5")
            << "2024/10/16 15:00:00" << qint64(0) << "2024/10/16 15:25:00";
        QTest::newRow("start ahead") << "2024/10/16 15:20:30" << qint64(5) << "2024/10/16 15:20:30";
        QTest::newRow("missing start") << "" << qint64(5) << "";
        QTest::newRow("negative counts as 5")
            << "2024/10/16 15:00:00" << qint64(-30) << "2024/10/16 15:25:00";
        QTest::newRow("now on a firing") << "2024/10/16 15:00:00" << qint64(20) << "2024/10/16 15:40:00";
        // An interval past the calendar's range has no next time (and must not wrap round into the past).
        QTest::newRow("huge interval") << "2024/10/16 15:00:00" << std::numeric_limits<qint64>::max() << "";
    }

    void importantReminderTime()
    {
        QFETCH(QString, start);
        QFETCH(qint64, minutes);
        QFETCH(QString, expected);
        Clock::setNow(d("2024/10/16 15:20:00"));
        QCOMPARE(NoteDateManager::getValidStarDateTimeWithDate(d(start), minutes),
                 expected.isEmpty() ? QString() : expected);
    }

    void timeTexts_data()
    {
        QTest::addColumn<int>("calendar");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("expected");
        QTest::newRow("today") << 0 << "2024/10/16 9:05:00"
                               << "今天 09:05";
        QTest::newRow("tomorrow, no seconds") << 0 << "2024/10/17 21:30"
                                              << "明天 21:30";
        QTest::newRow("this year") << 0 << "2024/6/3 9:05:00"
                                   << "6月3日 09:05";
        QTest::newRow("december") << 0 << "2024/12/3 9:05:00"
                                  << "2024年12月3日 09:05";
        QTest::newRow("next year") << 0 << "2025/6/3 9:05:00"
                                   << "2025年6月3日 09:05";
        QTest::newRow("lunar this year") << 1 << "2024/10/20 9:00:00"
                                         << "九月十八 09:00";
        QTest::newRow("lunar month 11") << 1 << "2024/12/10 9:00:00"
                                        << "2024年冬月初十 09:00";
        QTest::newRow("unparsable") << 0 << "2024-10-16"
                                    << "";
        QTest::newRow("missing") << 0 << ""
                                 << "";
    }

    void timeTexts()
    {
        QFETCH(int, calendar);
        QFETCH(QString, date);
        QFETCH(QString, expected);
        Clock::setNow(d("2024/10/16 15:20:00"));
        QCOMPARE(NoteDateManager::showFormatTimeWithDateString(
                     date, NoteDateManager::getCalendarIdentifierWithDateType(calendar)),
                 expected.isEmpty() ? QString() : expected);
    }

    void repeatTexts()
    {
        QCOMPARE(NoteDateManager::showRemindInterval(1, 1), QStringLiteral("每天"));
        QCOMPARE(NoteDateManager::showRemindInterval(2, 2), QStringLiteral("每2周"));
        QCOMPARE(NoteDateManager::showRemindInterval(0, 4), QStringLiteral("每季度"));
        QCOMPARE(NoteDateManager::showRemindInterval(3, 5), QStringLiteral("每3年"));
        QVERIFY(NoteDateManager::showRemindInterval(1, 0).isNull());
        QVERIFY(NoteDateManager::showRemindInterval(1, 6).isNull());

        QCOMPARE(NoteDateManager::showRemindSpecifyWithCalendarIdentifier(Greg, "1,15", 3),
                 QStringLiteral("1号、15号"));
        QCOMPARE(NoteDateManager::showRemindSpecifyWithCalendarIdentifier(Greg, "3,9", 5),
                 QStringLiteral("3月、9月"));
        QCOMPARE(NoteDateManager::showRemindSpecifyWithCalendarIdentifier(Lunar, "2,4,7", 2),
                 QStringLiteral("周二、周四、周日"));
        QCOMPARE(NoteDateManager::showRemindSpecifyWithCalendarIdentifier(Lunar, "1,15,30", 3),
                 QStringLiteral("初一、十五、三十"));
        QCOMPARE(NoteDateManager::showRemindSpecifyWithCalendarIdentifier(Lunar, "1,11,12", 5),
                 QStringLiteral("正月、冬月、腊月"));
        QVERIFY(NoteDateManager::showRemindSpecifyWithCalendarIdentifier(Greg, "", 3).isNull());
        QVERIFY(NoteDateManager::showRemindSpecifyWithCalendarIdentifier(Greg, "1", 1).isNull());
        QVERIFY(NoteDateManager::showRemindSpecifyWithCalendarIdentifier(Greg, "1", 4).isNull());
        QVERIFY(NoteDateManager::showRemindSpecifyWithCalendarIdentifier(Greg, "1", 9).isNull());
    }
};

PRELVANE_TEST_CORE_MAIN(TestNoteDateManager)
#include "tst_notedatemanager.moc"
