#include "platform/base/Clock.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QSignalBlocker>
#include <QSignalSpy>

#include <ctime>
#include <functional>

namespace {
const QDateTime t0(QDate(2026, 3, 2), QTime(9, 0)); // local time

UserNotification note(const QString &id, const QDateTime &at,
                      UserNotificationRepeat repeat = UserNotificationRepeat::none(),
                      const QString &text = {})
{
    UserNotification n;
    n.identifier = id;
    n.title = QStringLiteral("工作");
    n.informativeText = text.isEmpty() ? QStringLiteral("提醒 ") + id : text;
    n.deliveryDate = at;
    n.repeatInterval = repeat;
    return n;
}

QStringList ids(const QList<UserNotification> &list)
{
    QStringList result;
    for (const UserNotification &n : list)
        result << n.identifier;
    return result;
}
} // namespace

class TestUserNotificationCenter : public QObject
{
    Q_OBJECT
private slots:
    void init() { Clock::setNow(t0); }
    void cleanup()
    {
        Clock::reset();
        TestEnv::setTimeZone("Asia/Shanghai");
    }

    void occurrencesCountFromTheFirstDate_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("count");
        QTest::addColumn<QDateTime>("first");
        QTest::addColumn<int>("k");
        QTest::addColumn<QDateTime>("expected");
        const auto at = [](int y, int m, int d, int h = 10, int min = 0) {
            return QDateTime(QDate(y, m, d), QTime(h, min));
        };
        const int month = int(UserNotificationRepeat::Unit::Month);
        const int year = int(UserNotificationRepeat::Unit::Year);
        const int day = int(UserNotificationRepeat::Unit::Day);
        const int minute = int(UserNotificationRepeat::Unit::Minute);
        QTest::newRow("31 Jan monthly, leap February")
            << month << 1 << at(2024, 1, 31) << 1 << at(2024, 2, 29);
        QTest::newRow("31 Jan monthly, back to 31 March")
            << month << 1 << at(2024, 1, 31) << 2 << at(2024, 3, 31);
        QTest::newRow("31 Jan monthly, 30 April") << month << 1 << at(2024, 1, 31) << 3 << at(2024, 4, 30);
        QTest::newRow("31 Jan monthly, next February")
            << month << 1 << at(2024, 1, 31) << 13 << at(2025, 2, 28);
        QTest::newRow("31 Jan every 3 months") << month << 3 << at(2023, 1, 31) << 1 << at(2023, 4, 30);
        QTest::newRow("31 Jan every 3 months, July") << month << 3 << at(2023, 1, 31) << 2 << at(2023, 7, 31);
        QTest::newRow("29 Feb yearly") << year << 1 << at(2024, 2, 29) << 1 << at(2025, 2, 28);
        QTest::newRow("29 Feb yearly, next leap year")
            << year << 1 << at(2024, 2, 29) << 4 << at(2028, 2, 29);
        QTest::newRow("every 2 weeks") << day << 14 << at(2026, 12, 25) << 1 << at(2027, 1, 8);
        QTest::newRow("interval 0 counts as 1") << day << 0 << at(2026, 3, 1) << 2 << at(2026, 3, 3);
        QTest::newRow("every 5 minutes")
            << minute << 5 << at(2026, 3, 1, 23, 58) << 3 << at(2026, 3, 2, 0, 13);
    }
    void occurrencesCountFromTheFirstDate()
    {
        QFETCH(int, unit);
        QFETCH(int, count);
        QFETCH(QDateTime, first);
        QFETCH(int, k);
        QFETCH(QDateTime, expected);
        const UserNotificationRepeat repeat(UserNotificationRepeat::Unit(unit), count);
        QCOMPARE(repeat.occurrence(first, k), expected);
        // The next one after the one before is the same date: no drift from stepping.
        QCOMPARE(repeat.nextOccurrenceAfter(first, repeat.occurrence(first, k - 1)), expected);
        QCOMPARE(repeat.nextOccurrenceAfter(first, expected.addSecs(-1)), expected);
    }

    void nextOccurrenceIsStrictlyAfter()
    {
        const QDateTime first(QDate(2024, 1, 31), QTime(10, 0));
        const auto monthly = UserNotificationRepeat::months(1);
        QCOMPARE(monthly.nextOccurrenceAfter(first, first.addDays(-5)), first);
        QCOMPARE(monthly.nextOccurrenceAfter(first, first), QDateTime(QDate(2024, 2, 29), QTime(10, 0)));
        QCOMPARE(monthly.nextOccurrenceAfter(first, QDateTime(QDate(2030, 6, 15), QTime(0, 0))),
                 QDateTime(QDate(2030, 6, 30), QTime(10, 0)));
        QVERIFY(!UserNotificationRepeat::none().nextOccurrenceAfter(first, first).isValid());
        QCOMPARE(UserNotificationRepeat::none().nextOccurrenceAfter(first, first.addSecs(-1)), first);
        // An important reminder every minute, started years ago, is found without stepping through them.
        const QDateTime old(QDate(2019, 5, 1), QTime(8, 0, 30));
        QCOMPARE(UserNotificationRepeat::minutes(1).nextOccurrenceAfter(old, t0), t0.addSecs(30));
    }

    void dayRepeatKeepsTheWallClockAcrossDaylightSaving()
    {
        TestEnv::setTimeZone("Europe/Berlin");
        const QDateTime first(QDate(2026, 3, 28), QTime(8, 0));
        const QDateTime next = UserNotificationRepeat::days(1).occurrence(first, 1);
        QCOMPARE(next, QDateTime(QDate(2026, 3, 29), QTime(8, 0)));
        QCOMPARE(first.secsTo(next), 23 * 3600);
    }

    void scheduleReplacesByIdentifierAndListsNearestFirst()
    {
        FakeUserNotificationCenter center;
        QVERIFY(center.scheduleNotification(note("c1", t0.addSecs(3600), {}, "旧")));
        QVERIFY(center.scheduleNotification(note("c2", t0.addSecs(1800))));
        QVERIFY(center.scheduleNotification(note("c1", t0.addSecs(7200), {}, "新")));
        QCOMPARE(ids(center.scheduledNotifications()), QStringList({"c2", "c1"}));
        QCOMPARE(center.scheduledNotification("c1")->informativeText, QStringLiteral("新"));
        QCOMPARE(center.nextDeliveryDate("c1"), t0.addSecs(7200));
        QVERIFY(!center.scheduledNotification("c3"));
        QVERIFY(!center.nextDeliveryDate("c3").isValid());

        // The replaced time no longer fires; the new one does, once.
        Clock::advance(5400 * 1000);
        QCOMPARE(ids(center.presented()), QStringList({"c2"}));
        Clock::advance(1800 * 1000);
        QCOMPARE(ids(center.presented()), QStringList({"c2", "c1"}));
        QCOMPARE(center.presented().last().informativeText, QStringLiteral("新"));
        QVERIFY(center.scheduledNotifications().isEmpty());
    }

    void invalidNotificationsAreRefused()
    {
        FakeUserNotificationCenter center;
        QVERIFY(center.scheduleNotification(note("c1", t0.addSecs(60))));
        QVERIFY(!center.scheduleNotification(note("", t0.addSecs(60))));
        QVERIFY(!center.scheduleNotification(note("c1", QDateTime())));
        // The refused replacement left the pending one alone.
        QCOMPARE(center.nextDeliveryDate("c1"), t0.addSecs(60));
        QCOMPARE(center.scheduleLog().size(), 1);
    }

    void withdrawPendingAndDelivered()
    {
        FakeUserNotificationCenter center;
        center.scheduleNotification(note("d1", t0.addSecs(60), UserNotificationRepeat::days(1)));
        center.scheduleNotification(note("d2", t0.addSecs(60)));
        center.scheduleNotification(note("p1", t0.addSecs(3600)));
        center.scheduleNotification(note("p2", t0.addSecs(3600)));
        Clock::advance(120 * 1000);
        QCOMPARE(ids(center.deliveredNotifications()), QStringList({"d1", "d2"}));
        QCOMPARE(ids(center.scheduledNotifications()), QStringList({"p1", "p2", "d1"}));

        center.removeDeliveredNotification("d1");
        QCOMPARE(ids(center.deliveredNotifications()), QStringList({"d2"}));
        QCOMPARE(ids(center.dismissed()), QStringList({"d1"}));
        // Withdrawing the delivered copy leaves the repetition scheduled.
        QVERIFY(center.scheduledNotification("d1"));

        center.removeScheduledNotification("p1");
        center.removeScheduledNotification("nothing");
        QCOMPARE(ids(center.scheduledNotifications()), QStringList({"p2", "d1"}));
        QCOMPARE(ids(center.deliveredNotifications()), QStringList({"d2"}));

        center.removeAllScheduledNotifications();
        QVERIFY(center.scheduledNotifications().isEmpty());
        QCOMPARE(ids(center.deliveredNotifications()), QStringList({"d2"}));
        center.removeAllDeliveredNotifications();
        QVERIFY(center.deliveredNotifications().isEmpty());
        QCOMPARE(ids(center.dismissed()), QStringList({"d1", "d2"}));

        Clock::advance(2 * 86400 * 1000LL);
        QCOMPARE(center.presented().size(), 2);
    }

    // Who keeps a copy of the pending set (the missed-reminders journal) relies on it moving with every
    // change.
    void thePendingRevisionMovesWithEveryChangeOfThePendingSet()
    {
        FakeUserNotificationCenter center;
        center.scheduleNotification(note("p1", t0.addSecs(3600)));
        center.scheduleNotification(note("d1", t0.addSecs(60), UserNotificationRepeat::days(1)));
        center.scheduleNotification(note("d2", t0.addSecs(60)));
        const struct
        {
            const char *step;
            std::function<void()> change;
            bool moves;
        } steps[] = {
            {"read", [&] { center.scheduledNotifications(), center.nextDeliveryDate("p1"); }, false},
            {"refused", [&] { center.scheduleNotification(note("p1", QDateTime())); }, false},
            {"replaced", [&] { center.scheduleNotification(note("p1", t0.addSecs(7200))); }, true},
            {"nothing to withdraw", [&] { center.removeScheduledNotification("nothing"); }, false},
            // A repetition moves on, a one-shot goes.
            {"delivered", [&] { Clock::advance(120 * 1000); }, true},
            {"delivered copies withdrawn", [&] { center.removeAllDeliveredNotifications(); }, false},
            {"withdrawn", [&] { center.removeScheduledNotification("p1"); }, true},
            {"all withdrawn", [&] { center.removeAllScheduledNotifications(); }, true},
            {"none left to withdraw", [&] { center.removeAllScheduledNotifications(); }, false},
        };
        for (const auto &s : steps) {
            const quint64 before = center.pendingRevision();
            s.change();
            QVERIFY2((center.pendingRevision() != before) == s.moves, s.step);
        }
        QCOMPARE(ids(center.presented()), QStringList({"d1", "d2"}));
        QCOMPARE(ids(center.dismissed()), QStringList({"d1", "d2"}));
    }

    // The machine sleeps for hours: what fell due meanwhile comes once, on wake-up.
    void suspendDeliversMissedNotificationsOnce()
    {
        FakeUserNotificationCenter center;
        QSignalSpy delivered(&center, &UserNotificationCenter::didDeliverNotification);
        const QDateTime dailyFirst = t0.addSecs(1800);
        center.scheduleNotification(note("once", t0.addSecs(3600)));
        center.scheduleNotification(note("daily", dailyFirst, UserNotificationRepeat::days(1)));
        center.scheduleNotification(note("every5", t0.addSecs(300), UserNotificationRepeat::minutes(5)));
        center.scheduleNotification(note("later", t0.addSecs(10 * 3600)));

        Clock::advance(5 * 3600 * 1000LL);
        QCOMPARE(ids(center.presented()), QStringList({"every5", "daily", "once"}));
        QCOMPARE(delivered.count(), 3);
        QCOMPARE(center.presented().first().actualDeliveryDate, t0.addSecs(5 * 3600));
        QVERIFY(!center.scheduledNotification("once"));
        QCOMPARE(center.nextDeliveryDate("daily"), dailyFirst.addDays(1));
        QCOMPARE(center.nextDeliveryDate("every5"), t0.addSecs(5 * 3600 + 300));
        // The delivered copy keeps the first date it was scheduled with.
        QCOMPARE(center.presented().at(1).deliveryDate, dailyFirst);

        // Time goes on without reaching anything new: nothing more.
        Clock::advance(60 * 1000);
        QTest::qWait(20);
        QCOMPARE(delivered.count(), 3);

        // Three more days asleep: the daily one once, and then its next repetition.
        center.clearLogs();
        Clock::advance(3 * 86400 * 1000LL);
        QCOMPARE(ids(center.presented()), QStringList({"every5", "later", "daily"}));
        QCOMPARE(center.nextDeliveryDate("daily"), dailyFirst.addDays(4));
        // A repeated delivery replaces the delivered copy.
        QCOMPARE(ids(center.deliveredNotifications()), QStringList({"once", "every5", "later", "daily"}));
    }

    // Without the clock's jump signal (the monotonic timer slept through the
    // suspend) the centre still notices the wall clock within seconds.
    void wallClockIsWatchedWithoutJumpSignal()
    {
        FakeUserNotificationCenter center;
        center.scheduleNotification(note("c1", t0.addSecs(3 * 3600)));
        Clock::advanceUnheard(4 * 3600 * 1000LL);
        QVERIFY(center.presented().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(center.presented().size(), 1,
                                  UserNotificationCenter::maxCheckIntervalMSecs + 2000);
        QTest::qWait(UserNotificationCenter::maxCheckIntervalMSecs + 200);
        QCOMPARE(center.presented().size(), 1);
    }

    // The looks at the wall clock are the scheduler's: one wait at a time,
    // at most the check interval long, and moving time delivers on the way.
    void looksAtTheClockGoThroughTheScheduler()
    {
        ManualScheduler scheduler;
        FakeUserNotificationCenter center;
        center.setScheduler(&scheduler);
        for (int i = 0; i < 50; ++i)
            center.scheduleNotification(note(QStringLiteral("c%1").arg(i), t0.addSecs(3 * 3600 + i)));
        center.scheduleNotification(note("soon", t0.addMSecs(500)));
        QCOMPARE(scheduler.pending(), 1);
        QCOMPARE(scheduler.nextDelay(), 500);
        scheduler.advance(500);
        QCOMPARE(ids(center.presented()), QStringList{"soon"});
        QCOMPARE(scheduler.pending(), 1);
        QCOMPARE(scheduler.nextDelay(), qint64(UserNotificationCenter::maxCheckIntervalMSecs));
        scheduler.advance((3 * 3600 + 60) * 1000LL);
        QCOMPARE(center.presented().size(), 51);
        QCOMPARE(scheduler.pending(), 0);
    }

    // The clock is set back: nothing delivered comes again, nothing pending is lost.
    void clockSetBackNeitherRepeatsNorLoses()
    {
        FakeUserNotificationCenter center;
        center.scheduleNotification(note("once", t0.addSecs(600)));
        center.scheduleNotification(note("later", t0.addSecs(1800)));
        center.scheduleNotification(note("hourly", t0.addSecs(300), UserNotificationRepeat::minutes(60)));
        Clock::advance(900 * 1000);
        QCOMPARE(ids(center.presented()), QStringList({"hourly", "once"}));

        Clock::advance(-2 * 3600 * 1000LL); // back to 7:15
        QTest::qWait(20);
        QCOMPARE(center.presented().size(), 2);
        QCOMPARE(center.nextDeliveryDate("hourly"), t0.addSecs(3900));
        QCOMPARE(center.nextDeliveryDate("later"), t0.addSecs(1800));

        Clock::setNow(t0.addSecs(1800));
        QCOMPARE(ids(center.presented()), QStringList({"hourly", "once", "later"}));
        Clock::setNow(t0.addSecs(3900));
        QCOMPARE(ids(center.presented()), QStringList({"hourly", "once", "later", "hourly"}));
    }

    // A thousand pending, nothing due soon: the centre idles (no busy timer).
    void manyPendingIdle()
    {
        Clock::reset();
        FakeUserNotificationCenter center;
        const QDateTime base = Clock::now().addDays(1);
        for (int i = 0; i < 1000; ++i)
            center.scheduleNotification(
                note(QStringLiteral("c%1").arg(i), base.addSecs(i * 60),
                     i % 3 ? UserNotificationRepeat::none() : UserNotificationRepeat::days(1)));
        QCOMPARE(center.scheduledNotifications().size(), 1000);
        const std::clock_t before = std::clock();
        QTest::qWait(2500);
        const double cpuMSecs = double(std::clock() - before) * 1000.0 / CLOCKS_PER_SEC;
        QVERIFY2(cpuMSecs < 100, qPrintable(QString::number(cpuMSecs)));
        QVERIFY(center.presented().isEmpty());
    }

    void realClockDeliversOnTime()
    {
        Clock::reset();
        FakeUserNotificationCenter center;
        center.scheduleNotification(note("c1", Clock::now().addMSecs(300)));
        QTest::qWait(100);
        QVERIFY(center.presented().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(center.presented().size(), 1, 3000);
    }

    void pastOneShotIsShownAtOnceButAfterReturning()
    {
        FakeUserNotificationCenter center;
        QVERIFY(center.scheduleNotification(note("wifi", t0.addSecs(-60))));
        QVERIFY(center.presented().isEmpty());
        QTRY_COMPARE(ids(center.presented()), QStringList({"wifi"}));
        QVERIFY(center.scheduledNotifications().isEmpty());
    }

    void repeatingWithPastFirstDateWaitsForItsNextRepetition()
    {
        FakeUserNotificationCenter center;
        const QDateTime first = t0.addDays(-3).addSecs(-3600);
        QVERIFY(center.scheduleNotification(note("daily", first, UserNotificationRepeat::days(1))));
        QCOMPARE(center.nextDeliveryDate("daily"), t0.addSecs(23 * 3600));
        QCOMPARE(center.scheduledNotification("daily")->deliveryDate, first);
        QTest::qWait(20);
        QVERIFY(center.presented().isEmpty());
        Clock::advance(23 * 3600 * 1000LL);
        QCOMPARE(center.presented().size(), 1);
    }

    // The application delegate withdraws and reschedules from inside the callback.
    void callbacksMayChangeTheCentre()
    {
        FakeUserNotificationCenter center;
        center.scheduleNotification(note("a", t0.addSecs(60)));
        center.scheduleNotification(note("b", t0.addSecs(120)));
        center.scheduleNotification(note("c", t0.addSecs(180), UserNotificationRepeat::minutes(1)));
        connect(&center, &UserNotificationCenter::didDeliverNotification, this,
                [&](const UserNotification &n) {
                    if (n.identifier == "a") {
                        center.removeScheduledNotification("b");
                        center.scheduleNotification(note("a", t0.addDays(1)));
                    }
                    if (n.identifier == "c")
                        center.removeDeliveredNotification("c");
                });
        Clock::advance(600 * 1000);
        QCOMPARE(ids(center.presented()), QStringList({"a", "c"}));
        QCOMPARE(ids(center.deliveredNotifications()), QStringList({"a"}));
        QCOMPARE(center.nextDeliveryDate("a"), t0.addDays(1));
        QCOMPARE(center.nextDeliveryDate("c"), t0.addSecs(660));
    }

    void activationReachesTheDelegate()
    {
        FakeUserNotificationCenter center;
        QSignalSpy activated(&center, &UserNotificationCenter::didActivateNotification);
        center.scheduleNotification(note("c1", t0.addSecs(60)));
        QVERIFY(!center.click("c1")); // not delivered yet
        QVERIFY(center.deliverNow("c1"));
        QVERIFY(!center.deliverNow("c1"));
        QVERIFY(center.click("c1"));
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.first().first().value<UserNotification>().identifier, QStringLiteral("c1"));
        QVERIFY(center.close("c1"));
        QVERIFY(center.deliveredNotifications().isEmpty());
        QVERIFY(!center.click("c1"));
        QCOMPARE(activated.count(), 1);
    }

    void soundNamesGoThroughTheResolver()
    {
        FakeUserNotificationCenter center;
        QVERIFY(center.soundFileForName("铃声").isEmpty());
        center.setSoundFileResolver([](const QString &name) {
            return name == QStringLiteral("铃声") ? QStringLiteral("/opt/sounds/ring.wav") : QString();
        });
        QCOMPARE(center.soundFileForName("铃声"), QStringLiteral("/opt/sounds/ring.wav"));
        QVERIFY(center.soundFileForName("../../etc/passwd").isEmpty());
        QVERIFY(center.soundFileForName(UserNotification::defaultSoundName()).isEmpty());
        QVERIFY(center.soundFileForName({}).isEmpty());
    }
};

PRELVANE_TEST_MAIN(TestUserNotificationCenter)
#include "tst_userNotificationCenter.moc"
