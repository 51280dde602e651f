#include "notes/reminderwindow/presenter/NoteRemindCalendarPresenter.h"
#include "platform/base/Clock.h"
#include "tests/support/TestEnv.h"

#include <QSignalSpy>

namespace {

QDateTime at(int y, int m, int d, int h = 10, int mi = 20, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, mi, s));
}

int indexOf(const NoteRemindCalendarPresenter &p, const QDate &day)
{
    for (int i = 0; i < p.cells().size(); ++i) {
        if (p.cells()[i].date.date() == day)
            return i;
    }
    return -1;
}

} // namespace

class TestNoteRemindCalendarPresenter : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setNow(at(2026, 1, 5, 8, 0)); }
    void cleanup()
    {
        Clock::reset();
        TestEnv::setTimeZone("Asia/Shanghai");
    }

    void monthShapes_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<int>("count");
        QTest::addColumn<QDate>("firstCell");
        QTest::addColumn<QDate>("lastCell");

        // Sunday-first columns: a month that begins on a Sunday gets a whole leading row, one that ends on
        // Monday to Saturday gets its row completed plus a row of the next month.
        QTest::newRow("January 2026") << at(2026, 1, 14) << 42 << QDate(2025, 12, 28) << QDate(2026, 2, 7);
        QTest::newRow("February 2026") << at(2026, 2, 1) << 42 << QDate(2026, 1, 25) << QDate(2026, 3, 7);
        QTest::newRow("March 2026 begins on Sunday")
            << at(2026, 3, 31) << 49 << QDate(2026, 2, 22) << QDate(2026, 4, 11);
        QTest::newRow("February 2021 ends on Sunday")
            << at(2021, 2, 10) << 35 << QDate(2021, 1, 31) << QDate(2021, 3, 6);
        QTest::newRow("leap February 2024")
            << at(2024, 2, 29) << 42 << QDate(2024, 1, 28) << QDate(2024, 3, 9);
        QTest::newRow("December into the next year")
            << at(2026, 12, 9) << 42 << QDate(2026, 11, 29) << QDate(2027, 1, 9);
    }

    void monthShapes()
    {
        QFETCH(QDateTime, date);
        QFETCH(int, count);
        QFETCH(QDate, firstCell);
        QFETCH(QDate, lastCell);

        const QList<NoteRemindCalendarModel> cells = NoteRemindCalendarPresenter::monthCells(date);
        QCOMPARE(cells.size(), count);
        QCOMPARE(cells.first().date.date(), firstCell);
        QCOMPARE(cells.last().date.date(), lastCell);
        QCOMPARE(cells.first().date.date().dayOfWeek(), Qt::Monday + 6); // Sunday
        for (int i = 0; i < cells.size(); ++i) {
            const QDate day = cells[i].date.date();
            QCOMPARE(cells[i].date.time(), date.time());
            if (i > 0)
                QCOMPARE(cells[i - 1].date.date().daysTo(day), 1);
            const uint expected = day.month() == date.date().month()
                                      ? NoteRemindCalendarModel::ShownMonth
                                      : (day < date.date() ? NoteRemindCalendarModel::PreviousMonth
                                                           : NoteRemindCalendarModel::NextMonth);
            QCOMPARE(cells[i].ofMonthPosition, expected);
        }
    }

    // Around a daylight-saving change every cell is still its own calendar day at the opened time of day.
    void daylightSavingKeepsDaysAndTime_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QDate>("firstCell");

        QTest::newRow("Berlin spring, shortly after midnight")
            << QByteArray("Europe/Berlin") << at(2026, 4, 10, 0, 30) << QDate(2026, 3, 29);
        QTest::newRow("Berlin autumn, late evening")
            << QByteArray("Europe/Berlin") << at(2026, 10, 5, 23, 30) << QDate(2026, 9, 27);
        QTest::newRow("New York autumn, month begins on the change")
            << QByteArray("America/New_York") << at(2026, 11, 20, 23, 30) << QDate(2026, 10, 25);
        QTest::newRow("New York spring, early morning")
            << QByteArray("America/New_York") << at(2026, 3, 20, 0, 15) << QDate(2026, 2, 22);
    }

    void daylightSavingKeepsDaysAndTime()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, date);
        QFETCH(QDate, firstCell);
        TestEnv::setTimeZone(zone);
        const QDateTime local(date.date(), date.time()); // made in the zone under test

        NoteRemindCalendarPresenter p(local, 0);
        QCOMPARE(p.cells().first().date.date(), firstCell);
        for (int i = 1; i < p.cells().size(); ++i) {
            QCOMPARE(p.cells()[i - 1].date.date().daysTo(p.cells()[i].date.date()), 1);
            QCOMPARE(p.cells()[i].date.time(), local.time());
        }
        QCOMPARE(p.cells()[p.selectedIndex()].date.date(), local.date());
    }

    void openingChoosesTheDayAndTime()
    {
        NoteRemindCalendarPresenter p(at(2026, 3, 31, 10, 20, 45), NoteRemindCalendarPresenter::EndDate);
        QCOMPARE(p.type(), uint(NoteRemindCalendarPresenter::EndDate));
        QCOMPARE(p.monthText(), QStringLiteral("3"));
        QCOMPARE(p.rowCount(), 7);
        QCOMPARE(p.selectedIndex(), 7 + 30);
        QCOMPARE(p.hour(), 10);
        QCOMPARE(p.minute(), 20);
        QCOMPARE(p.dateText(), QStringLiteral("2026/3/31 10:20"));
        for (int i = 0; i < 7; ++i)
            QVERIFY(!p.isInShownMonth(i));
        QVERIFY(p.isInShownMonth(7));
    }

    void openingWithoutADateShowsNow()
    {
        Clock::setNow(at(2026, 8, 17, 21, 4, 33));
        NoteRemindCalendarPresenter p(QDateTime(), 0);
        QCOMPARE(p.monthText(), QStringLiteral("8"));
        QCOMPARE(p.cells()[p.selectedIndex()].date.date(), QDate(2026, 8, 17));
        QCOMPARE(p.dateText(), QStringLiteral("2026/8/17 21:04"));
    }

    void paging_data()
    {
        QTest::addColumn<QDateTime>("opened");
        QTest::addColumn<int>("steps"); // negative: back
        QTest::addColumn<QDate>("chosen");

        QTest::newRow("31 March back to 28 February") << at(2026, 3, 31) << -1 << QDate(2026, 2, 28);
        QTest::newRow("31 January on to leap-year 29 February") << at(2024, 1, 31) << 1 << QDate(2024, 2, 29);
        QTest::newRow("December on into January") << at(2026, 12, 15) << 1 << QDate(2027, 1, 15);
        QTest::newRow("January back into December") << at(2026, 1, 15) << -1 << QDate(2025, 12, 15);
        QTest::newRow("a clamped day stays clamped") << at(2026, 3, 31) << -2 << QDate(2026, 1, 28);
        QTest::newRow("a year forward") << at(2026, 5, 10) << 12 << QDate(2027, 5, 10);
        // Date texts hold the years 1 to 9999; paging stops there.
        QTest::newRow("no page past 9999") << at(9999, 12, 5) << 1 << QDate(9999, 12, 5);
        QTest::newRow("no page before year 1") << at(1, 1, 5) << -1 << QDate(1, 1, 5);
    }

    void paging()
    {
        QFETCH(QDateTime, opened);
        QFETCH(int, steps);
        QFETCH(QDate, chosen);

        NoteRemindCalendarPresenter p(opened, 0);
        QSignalSpy changed(&p, &NoteRemindCalendarPresenter::changed);
        for (int i = 0; i < qAbs(steps); ++i)
            steps < 0 ? p.showPreviousMonth() : p.showNextMonth();
        QCOMPARE(changed.size(), opened.date() == chosen ? 0 : qAbs(steps));
        QCOMPARE(p.showDate().date(), chosen);
        QCOMPARE(p.monthText(), QString::number(chosen.month()));
        QCOMPARE(p.shownYear(), chosen.year());
        QCOMPARE(p.cells()[p.selectedIndex()].date.date(), chosen);
        QVERIFY(p.isInShownMonth(p.selectedIndex()));
        QCOMPARE(p.showDate().time(), opened.time());
    }

    void pickingADay()
    {
        NoteRemindCalendarPresenter p(at(2026, 3, 31), 0);

        // A day of the shown month only moves the choice.
        p.pickDay(indexOf(p, QDate(2026, 3, 12)));
        QCOMPARE(p.monthText(), QStringLiteral("3"));
        QCOMPARE(p.cells()[p.selectedIndex()].date.date(), QDate(2026, 3, 12));
        QCOMPARE(p.dateText(), QStringLiteral("2026/3/12 10:20"));

        // A grey day of the next month turns the grid to that month, the day chosen.
        p.pickDay(indexOf(p, QDate(2026, 4, 5)));
        QCOMPARE(p.monthText(), QStringLiteral("4"));
        QCOMPARE(p.cells().size(), 42);
        QCOMPARE(p.cells()[p.selectedIndex()].date.date(), QDate(2026, 4, 5));
        QVERIFY(p.isInShownMonth(p.selectedIndex()));
        QCOMPARE(p.dateText(), QStringLiteral("2026/4/5 10:20"));

        // And a grey day of the previous month back.
        p.pickDay(indexOf(p, QDate(2026, 3, 30)));
        QCOMPARE(p.monthText(), QStringLiteral("3"));
        QCOMPARE(p.cells()[p.selectedIndex()].date.date(), QDate(2026, 3, 30));

        // Positions outside the grid change nothing.
        QSignalSpy changed(&p, &NoteRemindCalendarPresenter::changed);
        p.pickDay(-1);
        p.pickDay(int(p.cells().size()));
        QCOMPARE(changed.size(), 0);
        QCOMPARE(p.showDate().date(), QDate(2026, 3, 30));
    }

    void lunarLabels_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("label");

        QTest::newRow("new year's day names its month") << QDate(2026, 2, 17) << QStringLiteral("正月");
        QTest::newRow("second day") << QDate(2026, 2, 18) << QStringLiteral("初二");
        QTest::newRow("first of the second month") << QDate(2026, 3, 19) << QStringLiteral("二月");
        QTest::newRow("thirteenth") << QDate(2026, 3, 31) << QStringLiteral("十三");
        QTest::newRow("first of the eleventh month") << QDate(2026, 12, 9) << QStringLiteral("冬月");
        QTest::newRow("twenty-seventh") << QDate(2026, 1, 15) << QStringLiteral("廿七");
        QTest::newRow("first of a leap month takes its month's name")
            << QDate(2025, 7, 25) << QStringLiteral("六月");
        QTest::newRow("inside the leap month") << QDate(2025, 8, 1) << QStringLiteral("初八");
        QTest::newRow("the month after the leap month") << QDate(2025, 8, 23) << QStringLiteral("七月");
        QTest::newRow("thirtieth") << QDate(2026, 2, 16) << QStringLiteral("廿九");
        QTest::newRow("twelfth month") << QDate(2027, 1, 8) << QStringLiteral("腊月");
    }

    void lunarLabels()
    {
        QFETCH(QDate, day);
        QFETCH(QString, label);

        NoteRemindCalendarPresenter p(QDateTime(day, QTime(9, 0)), 0);
        QCOMPARE(p.lunarText(p.selectedIndex()), label);
        // A grey cell of the next month's grid carries the same label.
        NoteRemindCalendarPresenter next(QDateTime(day.addMonths(1), QTime(9, 0)), 0);
        const int grey = indexOf(next, day);
        if (grey >= 0)
            QCOMPARE(next.lunarText(grey), label);
    }

    void todayMarksItsCell()
    {
        Clock::setNow(at(2026, 3, 30, 8, 0));

        NoteRemindCalendarPresenter march(at(2026, 3, 10), 0);
        const int todayIndex = indexOf(march, QDate(2026, 3, 30));
        QVERIFY(march.isToday(todayIndex));
        QCOMPARE(march.dayText(todayIndex), QStringLiteral("今"));
        QCOMPARE(march.dayText(indexOf(march, QDate(2026, 3, 29))), QStringLiteral("29"));
        QCOMPARE(march.dayText(0), QStringLiteral("22"));

        // Also as a grey cell of the next month's grid.
        NoteRemindCalendarPresenter april(at(2026, 4, 20), 0);
        const int grey = indexOf(april, QDate(2026, 3, 30));
        QVERIFY(!april.isInShownMonth(grey));
        QCOMPARE(april.dayText(grey), QStringLiteral("今"));

        // Not in a grid without it.
        NoteRemindCalendarPresenter june(at(2026, 6, 1), 0);
        for (int i = 0; i < june.cells().size(); ++i)
            QVERIFY(june.dayText(i) != QStringLiteral("今"));
    }

    void todayShowsTheCurrentMonthAndTime()
    {
        Clock::setNow(at(2026, 6, 15, 14, 37, 50));
        NoteRemindCalendarPresenter p(at(2025, 11, 3, 9, 5), 0);
        p.showToday();
        QCOMPARE(p.monthText(), QStringLiteral("6"));
        QCOMPARE(p.cells()[p.selectedIndex()].date.date(), QDate(2026, 6, 15));
        QCOMPARE(p.hour(), 14);
        QCOMPARE(p.minute(), 37);
        QCOMPARE(p.dateText(), QStringLiteral("2026/6/15 14:37"));

        QSignalSpy picked(&p, &NoteRemindCalendarPresenter::dateSelected);
        p.confirm();
        QCOMPARE(picked.size(), 1);
        QCOMPARE(picked[0][0].toDateTime(), at(2026, 6, 15, 14, 37, 0));
    }

    void confirmHandsBackTheDayAtTheChosenTime()
    {
        NoteRemindCalendarPresenter p(at(2026, 3, 31, 22, 48, 31), NoteRemindCalendarPresenter::EndDate);
        QSignalSpy picked(&p, &NoteRemindCalendarPresenter::dateSelected);
        QSignalSpy closing(&p, &NoteRemindCalendarPresenter::closeRequested);

        p.selectTime(7, 5);
        QCOMPARE(p.dateText(), QStringLiteral("2026/3/31 7:05"));
        // The label keeps the chosen time after a later pick or page.
        p.pickDay(indexOf(p, QDate(2026, 4, 2)));
        p.showPreviousMonth();
        QCOMPARE(p.dateText(), QStringLiteral("2026/3/2 7:05"));

        p.confirm();
        QCOMPARE(picked.size(), 1);
        QCOMPARE(picked[0][0].toDateTime(), at(2026, 3, 2, 7, 5, 0));
        QCOMPARE(picked[0][1].toUInt(), uint(NoteRemindCalendarPresenter::EndDate));
        QCOMPARE(closing.size(), 1);

        // Closed: nothing more is handed back.
        p.confirm();
        p.cancel();
        p.showNextMonth();
        QCOMPARE(picked.size(), 1);
        QCOMPARE(closing.size(), 1);
        QCOMPARE(p.monthText(), QStringLiteral("3"));
    }

    void confirmOnTheSpringChangeDay()
    {
        TestEnv::setTimeZone("Europe/Berlin");
        NoteRemindCalendarPresenter p(QDateTime(QDate(2026, 3, 27), QTime(9, 0)), 0);
        QSignalSpy picked(&p, &NoteRemindCalendarPresenter::dateSelected);
        p.pickDay(indexOf(p, QDate(2026, 3, 29)));
        p.selectTime(2, 30); // the clocks skip 02:00-03:00 that night
        p.confirm();
        QCOMPARE(picked.size(), 1);
        const QDateTime handed = picked[0][0].toDateTime();
        QVERIFY(handed.isValid());
        QCOMPARE(handed.date(), QDate(2026, 3, 29));
        QCOMPARE(handed.time(), QTime(3, 30));
    }

    void invalidTimesAreIgnored_data()
    {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::newRow("hour 24") << 24 << 0;
        QTest::newRow("minute 60") << 0 << 60;
        QTest::newRow("negative") << -1 << -1;
    }

    void invalidTimesAreIgnored()
    {
        QFETCH(int, hour);
        QFETCH(int, minute);
        NoteRemindCalendarPresenter p(at(2026, 3, 31, 10, 20), 0);
        p.selectTime(hour, minute);
        QCOMPARE(p.hour(), 10);
        QCOMPARE(p.minute(), 20);
    }

    void cancelHandsBackNothing()
    {
        NoteRemindCalendarPresenter p(at(2026, 3, 31), 0);
        QSignalSpy picked(&p, &NoteRemindCalendarPresenter::dateSelected);
        QSignalSpy closing(&p, &NoteRemindCalendarPresenter::closeRequested);
        p.pickDay(3);
        p.cancel();
        p.confirm();
        QCOMPARE(picked.size(), 0);
        QCOMPARE(closing.size(), 1);
    }

    void popUpTitles()
    {
        const QStringList hours = NoteRemindCalendarPresenter::hourTitles();
        const QStringList minutes = NoteRemindCalendarPresenter::minuteTitles();
        QCOMPARE(hours.size(), 24);
        QCOMPARE(minutes.size(), 60);
        QCOMPARE(hours.first(), QStringLiteral("00"));
        QCOMPARE(hours.last(), QStringLiteral("23"));
        QCOMPARE(minutes[5], QStringLiteral("05"));
        QCOMPARE(minutes.last(), QStringLiteral("59"));
    }
};

PRELVANE_TEST_CORE_MAIN(TestNoteRemindCalendarPresenter)
#include "tst_noteRemindCalendarPresenter.moc"
