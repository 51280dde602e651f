#include "platform/calendar/Calendar.h"
#include "platform/calendar/ChineseCalendar.h"
#include "platform/calendar/ChineseCalendarTable.h"
#include "platform/calendar/LocalTime.h"
#include "tests/support/TestEnv.h"

#include <QLocale>

#include <limits>

namespace {

constexpr auto Greg = CalendarIdentifier::Gregorian;
constexpr auto Lunar = CalendarIdentifier::Chinese;

QDateTime at(int y, int m, int d, int h = 9, int mi = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, mi));
}

qint64 day(int y, int m, int d)
{
    return QDate(y, m, d).toJulianDay();
}

} // namespace

Q_DECLARE_METATYPE(CalendarDate)

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { TestEnv::setTimeZone("Asia/Shanghai"); }

    // Facts where ICU 72 is wrong; they fail if lunar dates are taken from ICU inside the table's range.
    void lunarFactsIcuGetsWrong()
    {
        QCOMPARE(Calendar::dateOfDay(Lunar, day(2027, 2, 6)), (CalendarDate{2027, 1, false, 1}));
        QCOMPARE(Calendar::dateOfDay(Lunar, day(2027, 2, 5)).year, 2026);
        QCOMPARE(Calendar::dateOfDay(Lunar, day(2030, 2, 3)), (CalendarDate{2030, 1, false, 1}));
        QCOMPARE(Calendar::dateOfDay(Lunar, day(2030, 2, 2)), (CalendarDate{2029, 12, false, 30}));
        QCOMPARE(Calendar::dateOfDay(Lunar, day(2033, 12, 22)), (CalendarDate{2033, 11, true, 1}));
        QCOMPARE(Calendar::dateOfDay(Lunar, day(2025, 7, 25)), (CalendarDate{2025, 6, true, 1}));
        QCOMPARE(Calendar::dateOfDay(Lunar, day(2025, 6, 25)), (CalendarDate{2025, 6, false, 1}));
        QCOMPARE(ChineseCalendarTable::leapMonth(2025), 6);
        QCOMPARE(ChineseCalendarTable::leapMonth(2033), 11);
    }

    void tableBounds()
    {
        QCOMPARE(ChineseCalendarTable::firstDay(), day(1888, 2, 12));
        QCOMPARE(ChineseCalendarTable::endDay(), day(2112, 1, 29));
        QCOMPARE(Calendar::dateOfDay(Lunar, day(1888, 2, 12)), (CalendarDate{1888, 1, false, 1}));
        QCOMPARE(Calendar::dateOfDay(Lunar, day(2112, 1, 28)), (CalendarDate{2111, 12, false, 29}));
        QVERIFY(!ChineseCalendar::coversDay(day(1888, 2, 11)));
        QVERIFY(!ChineseCalendar::coversDay(day(2112, 1, 29)));
        // Outside the table ICU answers: the day before the first new year is the last of lunar 1887.
        const CalendarDate before = Calendar::dateOfDay(Lunar, day(1888, 2, 11));
        QCOMPARE(before.year, 1887);
        QCOMPARE(before.month, 12);
        const CalendarDate after = Calendar::dateOfDay(Lunar, day(2150, 6, 1));
        QCOMPARE(after.year, 2150);
        QCOMPARE(Calendar::dayOfDateLenient(Lunar, after.year, after.month, after.leap, after.day),
                 day(2150, 6, 1));
    }

    void lunarArithmetic_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<CalendarDate>("from");
        QTest::addColumn<int>("arg");
        QTest::addColumn<QDate>("expected");

        // Adding months steps through the leap month as a month of its own.
        QTest::newRow("month 6 + 1 is leap 6")
            << "addMonths" << CalendarDate{2025, 6, false, 10} << 1 << QDate(2025, 8, 3);
        QTest::newRow("month 6 + 2 is month 7")
            << "addMonths" << CalendarDate{2025, 6, false, 10} << 2 << QDate(2025, 9, 1);
        QTest::newRow("month 12 + 1 is next month 1")
            << "addMonths" << CalendarDate{2025, 12, false, 1} << 1 << QDate(2026, 2, 17);
        QTest::newRow("backwards over a year")
            << "addMonths" << CalendarDate{2026, 1, false, 1} << -1 << QDate(2026, 1, 19);
        QTest::newRow("day 30 pinned to 29")
            << "addMonths" << CalendarDate{2025, 1, false, 30} << 1 << QDate(2025, 3, 28);
        // Adding years keeps the month number; a leap month the target year lacks is its ordinary month.
        QTest::newRow("leap 6 + 1 year")
            << "addYears" << CalendarDate{2025, 6, true, 10} << 1 << QDate(2026, 7, 23);
        QTest::newRow("year keeps month 5")
            << "addYears" << CalendarDate{2024, 5, false, 15} << 1 << QDate(2025, 6, 10);
        // Replacing the day keeps the year and the leap month and runs on past the month's end.
        QTest::newRow("replace day in leap month")
            << "replaceDay" << CalendarDate{2025, 6, true, 1} << 20 << QDate(2025, 8, 13);
        QTest::newRow("day 30 of a 29-day month")
            << "replaceDay" << CalendarDate{2025, 4, false, 3} << 30 << QDate(2025, 5, 27);
        QTest::newRow("day 30 of leap 6 (29 days)")
            << "replaceDay" << CalendarDate{2025, 6, true, 3} << 30 << QDate(2025, 8, 23);
        // Replacing the month gives the ordinary month of the same lunar year.
        QTest::newRow("replace month from leap")
            << "replaceMonth" << CalendarDate{2025, 6, true, 20} << 6 << QDate(2025, 7, 14);
        QTest::newRow("replace month 8")
            << "replaceMonth" << CalendarDate{2025, 6, true, 15} << 8 << QDate(2025, 10, 6);
    }

    void lunarArithmetic()
    {
        QFETCH(QString, op);
        QFETCH(CalendarDate, from);
        QFETCH(int, arg);
        QFETCH(QDate, expected);
        const QDateTime dt(QDate::fromJulianDay(
                               Calendar::dayOfDateLenient(Lunar, from.year, from.month, from.leap, from.day)),
                           QTime(8, 30));
        QCOMPARE(Calendar::components(Lunar, dt).leapMonth, from.leap);
        QDateTime got;
        if (op == "addMonths")
            got = Calendar::addingMonths(Lunar, dt, arg);
        else if (op == "addYears")
            got = Calendar::addingYears(Lunar, dt, arg);
        else if (op == "replaceDay")
            got = Calendar::replacingDay(Lunar, dt, arg);
        else
            got = Calendar::replacingMonth(Lunar, dt, arg);
        QCOMPARE(got.date(), expected);
        QCOMPARE(got.time(), QTime(8, 30));
    }

    // Around the table's first and last days (ICU beyond them) lunar steps stay valid, go the right way and
    // keep the day of the month (pinned to the target month's length).
    void lunarArithmeticAcrossTableEdges()
    {
        const qint64 edges[] = {ChineseCalendarTable::firstDay(), ChineseCalendarTable::endDay()};
        for (const qint64 edge : edges) {
            for (qint64 start = edge - 70; start <= edge + 70; start += 3) {
                const CalendarDate from = Calendar::dateOfDay(Lunar, start);
                QVERIFY(from.month >= 1 && from.month <= 12 && from.day >= 1 && from.day <= 30);
                for (int k : {-13, -2, -1, 1, 2, 13}) {
                    const qint64 m = Calendar::addMonthsToDay(Lunar, start, k);
                    const qint64 y = Calendar::addYearsToDay(Lunar, start, k);
                    const QString where =
                        QDate::fromJulianDay(start).toString(Qt::ISODate) + " k " + QString::number(k);
                    QVERIFY2(k > 0 ? m > start + 27 * (k - 1) : m < start - 27 * (-k - 1), qPrintable(where));
                    QVERIFY2(k > 0 ? y > start + 353 * (k - 1) : y < start - 353 * (-k - 1),
                             qPrintable(where));
                    const CalendarDate to = Calendar::dateOfDay(Lunar, m);
                    QVERIFY2(to.day == from.day || (to.day < from.day && to.day >= 29), qPrintable(where));
                    QCOMPARE(Calendar::dateOfDay(Lunar, y).month, from.month);
                }
                QCOMPARE(Calendar::dayOfDateLenient(Lunar, from.year, from.month, from.leap, from.day),
                         start);
            }
        }
        // Far outside the table ICU answers, and years 1 and 9999 are still dates.
        for (const QDate d : {QDate(1, 1, 1), QDate(1000, 6, 1), QDate(9999, 12, 31)}) {
            const CalendarDate c = Calendar::dateOfDay(Lunar, d.toJulianDay());
            QVERIFY(c.month >= 1 && c.month <= 12 && c.day >= 1 && c.day <= 30);
        }
        QVERIFY(!Calendar::addingMonths(Lunar, at(9999, 12, 20), 1).isValid());
        QVERIFY(!Calendar::addingYears(Greg, at(9999, 12, 20), 1).isValid());
        QVERIFY(!Calendar::addingMonths(Lunar, at(2024, 1, 1), std::numeric_limits<qint64>::max()).isValid());
        QVERIFY(!Calendar::addingMonths(Lunar, at(2024, 1, 1), std::numeric_limits<qint64>::min()).isValid());
        QVERIFY(!Calendar::addingYears(Lunar, at(2024, 1, 1), std::numeric_limits<qint64>::min()).isValid());
        QVERIFY(!Calendar::replacingDay(Lunar, at(2024, 1, 1), std::numeric_limits<int>::max()).isValid());
    }

    void lunarMonthLengthsAndUnits()
    {
        QCOMPARE(Calendar::daysInMonth(Lunar, 2025, 6, true), 29);
        QCOMPARE(Calendar::daysInMonth(Lunar, 2025, 6, false), 30);
        QCOMPARE(Calendar::daysInMonth(Lunar, 2024, 6, true), 29); // no leap 6 in 2024: the ordinary month
        QCOMPARE(Calendar::daysInMonth(Lunar, at(2025, 8, 3)), 29);
        // Whole lunar months from 2025 month 6 day 10 to leap 6 day 10 and to the day before it.
        QCOMPARE(Calendar::wholeUnitsBetween(Lunar, CalendarUnit::Month, at(2025, 7, 4), at(2025, 8, 3)), 1);
        QCOMPARE(Calendar::wholeUnitsBetween(Lunar, CalendarUnit::Month, at(2025, 7, 4), at(2025, 8, 2)), 0);
        QCOMPARE(Calendar::wholeUnitsBetween(Lunar, CalendarUnit::Month, at(2025, 7, 4), at(2025, 9, 1)), 2);
        QCOMPARE(Calendar::wholeUnitsBetween(Lunar, CalendarUnit::Year, at(2025, 8, 3), at(2026, 7, 23)), 1);
        QCOMPARE(Calendar::wholeUnitsBetween(Lunar, CalendarUnit::Month, at(2025, 9, 1), at(2025, 7, 4)), -2);
    }

    void gregorianArithmetic()
    {
        QCOMPARE(Calendar::addingMonths(Greg, at(2024, 1, 31), 1), at(2024, 2, 29));
        QCOMPARE(Calendar::addingMonths(Greg, at(2023, 1, 31), 1), at(2023, 2, 28));
        QCOMPARE(Calendar::addingYears(Greg, at(2024, 2, 29), 1), at(2025, 2, 28));
        QCOMPARE(Calendar::addingYears(Greg, at(2024, 2, 29), 4), at(2028, 2, 29));
        QCOMPARE(Calendar::replacingDay(Greg, at(2024, 4, 5), 31), at(2024, 5, 1));
        QCOMPARE(Calendar::replacingDay(Greg, at(2024, 4, 5), 0), at(2024, 3, 31));
        QCOMPARE(Calendar::replacingMonth(Greg, at(2024, 1, 31), 2), at(2024, 3, 2));
        QCOMPARE(Calendar::replacingMonth(Greg, at(2024, 5, 3), 13), at(2025, 1, 3));
        QCOMPARE(Calendar::daysInMonth(Greg, at(2024, 2, 10)), 29);
        QCOMPARE(Calendar::wholeUnitsBetween(Greg, CalendarUnit::Day, at(2024, 1, 1, 10), at(2024, 1, 4, 9)),
                 2);
        QCOMPARE(Calendar::wholeUnitsBetween(Greg, CalendarUnit::Month, at(2024, 1, 31), at(2024, 2, 29)), 1);
        QCOMPARE(Calendar::wholeUnitsBetween(Greg, CalendarUnit::Month, at(2024, 1, 31, 10), at(2024, 2, 29)),
                 0);
        QCOMPARE(Calendar::wholeUnitsBetween(Greg, CalendarUnit::Year, at(2024, 2, 29), at(2025, 2, 28)), 1);
        const DateComponents diff =
            Calendar::difference(Greg, CalendarUnit::Month | CalendarUnit::Day | CalendarUnit::Hour,
                                 at(2024, 1, 15, 9), at(2024, 3, 20, 12));
        QCOMPARE(diff.month, 2);
        QCOMPARE(diff.day, 5);
        QCOMPARE(diff.hour, 3);
        QVERIFY(!Calendar::addingMonths(Greg, QDateTime(), 1).isValid());
        QCOMPARE(Calendar::dateFromComponents(Greg, DateComponents{2024, 14, 1, 25, 0, 0, false}),
                 at(2025, 2, 2, 1));
    }

    void weekdayIsMondayFirstWhateverTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); // weeks start on Sunday there
        QCOMPARE(Calendar::weekday(at(2024, 10, 13)), 7);
        QCOMPARE(Calendar::weekday(at(2024, 10, 14)), 1);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(Calendar::weekday(QDateTime()), 0);
    }

    void dayStepsKeepWallClockAcrossDst()
    {
        TestEnv::setTimeZone("Europe/Berlin");
        const QDateTime before = at(2024, 3, 30, 9);
        const QDateTime after = Calendar::addingDays(before, 1);
        QCOMPARE(after, at(2024, 3, 31, 9));
        QCOMPARE(before.secsTo(after), 23 * 3600);
        QCOMPARE(Calendar::addingDays(at(2024, 10, 26, 9), 2), at(2024, 10, 28, 9));
    }

    // The offset cache must follow a change of zone and agree with Qt on transition days.
    void localTimeFollowsZoneChanges()
    {
        const QDateTime shanghai = at(2024, 7, 1, 12);
        const qint64 shanghaiNoon = LocalTime::epochMSecsOf(shanghai);
        QCOMPARE(shanghaiNoon, shanghai.toMSecsSinceEpoch());
        TestEnv::setTimeZone("America/New_York");
        const QDateTime ny = at(2024, 7, 1, 12);
        QCOMPARE(LocalTime::epochMSecsOf(ny), ny.toMSecsSinceEpoch());
        QCOMPARE(LocalTime::epochMSecsOf(ny) - shanghaiNoon, qint64(12) * 3600 * 1000);
        for (int h : {0, 1, 3, 4, 12, 23}) {
            const QDateTime t = at(2024, 11, 3, h, 30); // fall-back day
            QCOMPARE(LocalTime::epochMSecsOf(t), t.toMSecsSinceEpoch());
            const LocalTime::Moment m = LocalTime::fromEpochMSecs(t.toMSecsSinceEpoch());
            QCOMPARE(m.julianDay, t.date().toJulianDay());
            QCOMPARE(m.msecsOfDay, t.time().msecsSinceStartOfDay());
        }
    }

    // Every instant of a fall-back day, both passes of the repeated hour included, reads back as itself.
    void localTimeKeepsBothPassesOfTheRepeatedHour_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QDate>("fallBack");
        QTest::newRow("Berlin") << "Europe/Berlin" << QDate(2024, 10, 27);
        QTest::newRow("New York") << "America/New_York" << QDate(2024, 11, 3);
    }

    void localTimeKeepsBothPassesOfTheRepeatedHour()
    {
        QFETCH(QString, zone);
        QFETCH(QDate, fallBack);
        TestEnv::setTimeZone(zone.toUtf8());
        const qint64 start = QDateTime(fallBack, QTime(0, 0)).toMSecsSinceEpoch();
        for (qint64 ms = start; ms < start + 25 * 3600000LL; ms += 5 * 60000) {
            const QDateTime dt = QDateTime::fromMSecsSinceEpoch(ms);
            QCOMPARE(LocalTime::epochMSecsOf(dt), ms);
            const LocalTime::Moment m = LocalTime::momentOf(dt);
            QCOMPARE(m.julianDay, dt.date().toJulianDay());
            QCOMPARE(m.msecsOfDay, dt.time().msecsSinceStartOfDay());
        }
    }

    // Over whole years of zones whose changes fall at midnight or late evening, every instant reads back as
    // itself and every wall-clock time that exists once maps to the instant showing it.
    void localTimeAgreesWithTheZoneAllYear_data()
    {
        QTest::addColumn<QString>("zone");
        for (const char *zone : {"Europe/Berlin", "America/New_York", "America/Havana", "America/Santiago",
                                 "Asia/Tehran", "Australia/Lord_Howe", "Asia/Shanghai"})
            QTest::newRow(zone) << zone;
    }

    void localTimeAgreesWithTheZoneAllYear()
    {
        QFETCH(QString, zone);
        TestEnv::setTimeZone(zone.toUtf8());
        const qint64 start = QDateTime(QDate(2021, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
        for (qint64 ms = start; ms < start + 2 * 366 * 86400000LL; ms += 15 * 60000) {
            const QDateTime dt = QDateTime::fromMSecsSinceEpoch(ms);
            QCOMPARE(LocalTime::epochMSecsOf(dt), ms);
            const LocalTime::Moment m = LocalTime::fromEpochMSecs(ms);
            QCOMPARE(m.julianDay, dt.date().toJulianDay());
            QCOMPARE(m.msecsOfDay, dt.time().msecsSinceStartOfDay());
            const bool once = QDateTime::fromMSecsSinceEpoch(ms - 3600000).time() != dt.time() &&
                              QDateTime::fromMSecsSinceEpoch(ms + 3600000).time() != dt.time() &&
                              QDateTime::fromMSecsSinceEpoch(ms - 1800000).time() != dt.time() &&
                              QDateTime::fromMSecsSinceEpoch(ms + 1800000).time() != dt.time();
            if (once)
                QCOMPARE(LocalTime::toEpochMSecs(m.julianDay, m.msecsOfDay), ms);
        }
    }

    // A wall-clock time that the spring change skips is moved on by the length of the gap (02:30 is 03:30);
    // a repeated one is the second pass, in standard time. Neither is ever a null date.
    void localTimeResolvesGapsAndRepeats_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QDate>("springDay");
        QTest::addColumn<QDate>("fallDay");
        QTest::addColumn<QTime>("repeated");
        QTest::newRow("Berlin") << "Europe/Berlin" << QDate(2024, 3, 31) << QDate(2024, 10, 27)
                                << QTime(2, 30);
        QTest::newRow("New York") << "America/New_York" << QDate(2024, 3, 10) << QDate(2024, 11, 3)
                                  << QTime(1, 30);
    }

    void localTimeResolvesGapsAndRepeats()
    {
        QFETCH(QString, zone);
        QFETCH(QDate, springDay);
        QFETCH(QDate, fallDay);
        QFETCH(QTime, repeated);
        TestEnv::setTimeZone(zone.toUtf8());
        const qint64 gap =
            LocalTime::toEpochMSecs(springDay.toJulianDay(), QTime(2, 30).msecsSinceStartOfDay());
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(gap), QDateTime(springDay, QTime(3, 30)));
        const QDateTime unresolved(springDay, QTime(2, 30));
        QCOMPARE(LocalTime::resolved(unresolved), QDateTime(springDay, QTime(3, 30)));
        QCOMPARE(LocalTime::epochMSecsOf(unresolved), gap);
        QVERIFY(!LocalTime::resolved(QDateTime()).isValid());
        const QDateTime normal(springDay, QTime(9, 0));
        QCOMPARE(LocalTime::resolved(normal), normal);
        // Calendar arithmetic takes such a date-time by its wall clock.
        QCOMPARE(Calendar::addingDays(unresolved, 1), QDateTime(springDay.addDays(1), QTime(2, 30)));
        QCOMPARE(Calendar::components(Greg, unresolved).hour, 2);
        QCOMPARE(Calendar::weekday(unresolved), 7);

        const qint64 twice = LocalTime::toEpochMSecs(fallDay.toJulianDay(), repeated.msecsSinceStartOfDay());
        const QDateTime second = QDateTime::fromMSecsSinceEpoch(twice);
        QCOMPARE(second.time(), repeated);
        QCOMPARE(QDateTime::fromMSecsSinceEpoch(twice - 3600000).time(), repeated); // the first pass
        QCOMPARE(second.offsetFromUtc(), QDateTime(fallDay, QTime(12, 0)).offsetFromUtc());
    }
};

PRELVANE_TEST_CORE_MAIN(TestCalendar)
#include "tst_calendar.moc"
