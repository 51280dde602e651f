#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "platform/base/Clock.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "platform/store/StoreChanges.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

#include <QFile>
#include <QRandomGenerator>

#include <memory>

namespace {

// Friday 6 March 2026, 10:00 (Asia/Shanghai).
QDateTime now()
{
    return QDateTime(QDate(2026, 3, 6), QTime(10, 0));
}

QDateTime at(const QString &text)
{
    return DateManager::getDateFromString(text);
}

QString text(const QDateTime &d)
{
    return DateManager::getStringFromDate(d);
}

// "none", "min5", "d7", "m3", "y1".
QString repeatText(const UserNotificationRepeat &r)
{
    switch (r.unit()) {
    case UserNotificationRepeat::Unit::None:
        return "none";
    case UserNotificationRepeat::Unit::Minute:
        return QString("min%1").arg(r.count());
    case UserNotificationRepeat::Unit::Day:
        return QString("d%1").arg(r.count());
    case UserNotificationRepeat::Unit::Month:
        return QString("m%1").arg(r.count());
    case UserNotificationRepeat::Unit::Year:
        return QString("y%1").arg(r.count());
    }
    return {};
}

struct Rule
{
    Rule() = default;
    Rule(int dateType, const QString &date, int cycle, int interval = 1, const QString &specify = {},
         const QString &end = {})
        : dateType(dateType), date(date), cycle(cycle), interval(interval), specify(specify), end(end)
    {
    }
    int dateType = 0;
    QString date;
    int cycle = 0;
    int interval = 1;
    QString specify;
    QString end;
};

} // namespace

Q_DECLARE_METATYPE(Rule)

class TestScheduling : public QObject
{
    Q_OBJECT
private:
    StoreFixture m_fx;
    std::unique_ptr<TestGraph> m_graph;

    Context *ctx() { return m_fx.ctx(); }
    FakeUserNotificationCenter *center() const { return m_fx.center(); }
    UserSet *settings() { return m_fx.settings(); }
    LocalNotificationManager local() const { return {*m_fx.ctx(), *center()}; }
    // On the fixture's store and centre, made for each test.
    NoteRemindManager &reminds() { return *m_reminds; }
    ReminderScheduler &planner() const { return *m_graph->services().reminders; }
    std::optional<LocalNotificationManager> m_local;
    std::optional<NoteRemindManager> m_reminds;
    Classify *category(const QString &name = "工作") { return m_fx.category("k-" + name, name); }

    NoteDetail *note(const QString &cId, const Rule &rule, Classify *c = nullptr)
    {
        NoteDetail *n = m_fx.note(cId, c);
        DateRemind *r = m_fx.remind(n);
        r->setRemindDateType(qint16(rule.dateType));
        r->setRemindDateTime(rule.date);
        r->setRemindRealDateTime(rule.date);
        r->setRemindCycleType(qint16(rule.cycle));
        r->setRemindCycleInterval(qint16(rule.interval));
        r->setRemindCycleSpecific(rule.specify);
        r->setRemindEndTime(rule.end);
        return n;
    }

    QStringList pendingIds() const
    {
        QStringList ids;
        for (const UserNotification &n : center()->scheduledNotifications())
            ids << n.identifier;
        return ids;
    }

    // Fills the centre with `count` one-shots "p1".."pN" due 1..N hours from now.
    void fill(int count)
    {
        for (int i = 1; i <= count; ++i)
            QVERIFY(local().addLocalNotificationWithDeliveryDate(now().addSecs(3600 * i), {}, "x",
                                                                 QString("p%1").arg(i)));
        QCOMPARE(center()->scheduledNotifications().size(), count);
    }

    // Follows the scheduler's deliveries of a rule from now on: each must be the engine's next
    // occurrence counted from the start, none past the end. A one-shot is planned again from the
    // occurrence it stood for, as the reconciler does once it was delivered. Empty when all agree.
    static QString followDeliveries(CalendarIdentifier cal, const QDateTime &start, int cycle, int interval,
                                    const QString &specify, const QDateTime &end, int count)
    {
        std::optional<NoteRemindManager::Plan> plan =
            NoteRemindManager::planWithCalendarIdentifier(cal, start, start, cycle, interval, specify, end);
        for (int delivery = 0; delivery < count; ++delivery) {
            const QDateTime engine = NoteDateManager::getNowNextDateWithCalendarIdentifier(
                cal, start, cycle, interval, specify, end);
            const QDateTime planned =
                plan ? LocalNotificationManager::nextDeliveryOf(plan->date, plan->repeat) : QDateTime();
            if (planned != engine)
                return QString("now %1: planned %2 (%3), engine %4")
                    .arg(text(Clock::now()), text(planned), plan ? repeatText(plan->repeat) : "-",
                         text(engine));
            if (!planned.isValid())
                return {};
            if (end.isValid() && planned > end)
                return QString("planned %1 past the end").arg(text(planned));
            Clock::setNow(planned.addSecs(1)); // just delivered
            if (!plan->repeat.isRepeating())
                plan = NoteRemindManager::planWithCalendarIdentifier(cal, start, planned, cycle, interval,
                                                                     specify, end);
        }
        return {};
    }

private slots:
    void init()
    {
        QVERIFY(m_fx.open(now()));
        m_local.emplace(*ctx(), *center());
        m_reminds.emplace(*ctx(), *m_local);
        m_graph = std::make_unique<TestGraph>(m_fx);
    }

    void cleanup()
    {
        m_reminds.reset();
        m_local.reset();
        m_graph.reset();
        m_fx.close();
        TestEnv::setTimeZone("Asia/Shanghai");
    }

    void coreOperation_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<QString>("first"); // empty: nothing scheduled
        QTest::addColumn<QString>("repeat");

        auto row = [](const char *name, Rule r, const QString &first, const QString &repeat = "none") {
            QTest::newRow(name) << r << first << repeat;
        };
        row("one-shot in the past", {0, "2026/3/5 9:00:00", 0}, "");
        row("one-shot ahead", {0, "2026/3/7 9:00:00", 0}, "2026/3/7 9:00:00");
        row("daily every 2 from the past repeats from its next occurrence", {0, "2026/3/1 8:00:00", 1, 2},
            "2026/3/7 8:00:00", "d2");
        row("daily interval 0 counts as 1", {0, "2026/3/1 8:00:00", 1, 0}, "2026/3/7 8:00:00", "d1");
        row("weekly without values", {0, "2026/3/2 9:00:00", 2, 2}, "2026/3/16 9:00:00", "d14");
        // A start ahead is the first occurrence whatever its weekday; the repetition follows once due.
        row("weekly on Monday from a Friday ahead", {0, "2026/3/13 9:00:00", 2, 1, "1"}, "2026/3/13 9:00:00");
        row("weekly on Monday from a past Friday", {0, "2026/3/6 9:00:00", 2, 1, "1"}, "2026/3/9 9:00:00",
            "d7");
        row("every 2 weeks on Monday from a past Friday", {0, "2026/2/27 9:00:00", 2, 2, "1"},
            "2026/3/9 9:00:00", "d14");
        // One-shots on the engine's weeks, not on weeks counted from D moved to the weekday.
        row("every 2 weeks on Monday with an end date",
            {0, "2026/2/27 9:00:00", 2, 2, "1", "2026/12/31 0:00:00"}, "2026/3/9 9:00:00");
        row("lunar every 2 weeks on Monday", {1, "2026/2/27 9:00:00", 2, 2, "1"}, "2026/3/9 9:00:00");
        row("weekly on Friday from a Friday", {0, "2026/3/13 9:00:00", 2, 1, "5"}, "2026/3/13 9:00:00", "d7");
        row("weekly on two days is a one-shot", {0, "2026/3/2 9:00:00", 2, 1, "1,3"}, "2026/3/9 9:00:00");
        row("monthly on the 15th", {0, "2026/1/15 9:00:00", 3}, "2026/3/15 9:00:00", "m1");
        row("monthly from the 31st is a one-shot", {0, "2026/1/31 9:00:00", 3}, "2026/3/31 9:00:00");
        row("monthly on two days: the next one only", {0, "2026/3/1 9:00:00", 3, 1, "10,20"},
            "2026/3/10 9:00:00");
        row("monthly on one day is a one-shot", {0, "2026/2/5 9:00:00", 3, 1, "8"}, "2026/3/8 9:00:00");
        row("quarterly", {0, "2026/2/10 9:00:00", 4, 1}, "2026/5/10 9:00:00", "m3");
        row("quarterly keeps its chosen day", {0, "2026/2/10 9:00:00", 4, 1, "20"}, "2026/5/20 9:00:00");
        row("yearly", {0, "2025/5/10 9:00:00", 5, 1}, "2026/5/10 9:00:00", "y1");
        row("yearly in a chosen month", {0, "2025/5/10 9:00:00", 5, 1, "9"}, "2026/9/10 9:00:00");
        row("end date: one occurrence at a time", {0, "2026/3/1 8:00:00", 1, 1, "", "2026/3/20 0:00:00"},
            "2026/3/7 8:00:00");
        row("end date on the next occurrence", {0, "2026/3/1 8:00:00", 1, 1, "", "2026/3/7 8:00:00"},
            "2026/3/7 8:00:00");
        row("end date before the next occurrence", {0, "2026/3/1 8:00:00", 1, 1, "", "2026/3/7 7:59:00"}, "");
        row("start ahead but after the end", {0, "2026/4/1 8:00:00", 1, 1, "", "2026/3/20 0:00:00"}, "");
        row("unreadable end date counts as none", {0, "2026/3/1 8:00:00", 1, 1, "", "soon"},
            "2026/3/7 8:00:00", "d1");
        row("lunar weekly is a one-shot", {1, "2026/3/2 9:00:00", 2}, "2026/3/9 9:00:00");
        row("cycle type 6", {0, "2026/3/7 9:00:00", 6}, "");
    }

    void coreOperation()
    {
        QFETCH(Rule, rule);
        QFETCH(QString, first);
        QFETCH(QString, repeat);

        const CalendarIdentifier cal =
            rule.dateType ? CalendarIdentifier::Chinese : CalendarIdentifier::Gregorian;
        QVERIFY(reminds().addUserNotificationWithCalendarIdentifier(
            cal, at(rule.date), rule.cycle, rule.interval, rule.specify, at(rule.end), "文本", "c1"));
        const auto pending = center()->scheduledNotification("c1");
        if (first.isEmpty()) {
            QVERIFY(!pending);
            return;
        }
        QVERIFY(pending);
        QCOMPARE(text(pending->deliveryDate), first);
        QCOMPARE(repeatText(pending->repeatInterval), repeat);
        QCOMPARE(pending->informativeText, QString("文本"));
    }

    // A repeating notification stands for a rule only where the centre's
    // repetitions are exactly the engine's occurrences, seen from any later now.
    void repetitionsAreTheEnginesOccurrences_data()
    {
        QTest::addColumn<Rule>("rule");
        auto row = [](const char *name, Rule r) { QTest::newRow(name) << r; };
        row("daily", {0, "2026/3/1 8:00:00", 1});
        row("every 3 days", {0, "2026/3/1 8:00:00", 1, 3});
        row("daily with chosen values", {0, "2026/3/1 8:00:00", 1, 1, "1,3"});
        row("weekly", {0, "2026/3/2 9:00:00", 2});
        row("every 2 weeks", {0, "2026/3/2 9:00:00", 2, 2});
        row("weekly on an earlier weekday", {0, "2026/2/27 9:00:00", 2, 1, "1"});
        row("every 2 weeks on an earlier weekday", {0, "2026/2/27 9:00:00", 2, 2, "1"});
        row("every 3 weeks on a later weekday", {0, "2026/2/24 9:00:00", 2, 3, "6"});
        row("every 2 weeks on its own weekday", {0, "2026/3/13 9:00:00", 2, 2, "5"});
        row("monthly on the 15th", {0, "2026/1/15 9:00:00", 3});
        row("every 5 months on the 28th", {0, "2025/12/28 9:00:00", 3, 5});
        row("quarterly", {0, "2026/2/10 9:00:00", 4});
        row("every 2 quarters", {0, "2026/2/10 9:00:00", 4, 2});
        row("yearly", {0, "2025/5/10 9:00:00", 5});
        row("every 2 years from 28 February", {0, "2024/2/28 9:00:00", 5, 2});
        row("ahead of now on its weekday", {0, "2026/4/22 7:30:00", 2, 1, "3"});
    }

    void repetitionsAreTheEnginesOccurrences()
    {
        QFETCH(Rule, rule);
        const auto plan = NoteRemindManager::planWithCalendarIdentifier(
            CalendarIdentifier::Gregorian, at(rule.date), rule.cycle, rule.interval, rule.specify, {});
        QVERIFY(plan);
        QVERIFY(plan->repeat.isRepeating());
        // Seen from every 37 hours over three years.
        const QDateTime from = now();
        for (QDateTime t = from; t < from.addYears(3); t = t.addSecs(37 * 3600)) {
            Clock::setNow(t);
            const QDateTime engine = NoteDateManager::getNowNextDateWithCalendarIdentifier(
                CalendarIdentifier::Gregorian, at(rule.date), rule.cycle, rule.interval, rule.specify, {});
            QCOMPARE(text(LocalNotificationManager::nextDeliveryOf(plan->date, plan->repeat)), text(engine));
        }
    }

    // For random rules, starts, ends and clocks, each delivery the scheduler plans is the engine's
    // next occurrence counted from the start, and nothing is planned past the end. A one-shot is planned
    // again from the occurrence it stood for, as the reconciler does once it was delivered.
    void deliveriesAreTheEnginesOccurrences_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("Shanghai") << "Asia/Shanghai" << quint32(12012026);
        QTest::newRow("Berlin") << "Europe/Berlin" << quint32(29032026);
    }

    void deliveriesAreTheEnginesOccurrences()
    {
        QFETCH(QString, zone);
        QFETCH(quint32, seed);
        TestEnv::setTimeZone(zone.toUtf8());
        QRandomGenerator rnd(seed);
        auto pick = [&](int n) { return int(rnd.bounded(n)); };
        const QStringList specifics = {"", "", "", "1", "5", "2,4", "15", "29", "31", "30,31", "2,9", "12"};
        const QList<QTime> times = {QTime(9, 0), QTime(2, 30), QTime(0, 0), QTime(23, 59, 59), QTime(14, 5)};
        for (int i = 0; i < 400; ++i) {
            const CalendarIdentifier cal =
                pick(3) ? CalendarIdentifier::Gregorian : CalendarIdentifier::Chinese;
            const QDateTime start(QDate(2024, 1, 1).addDays(pick(900)), times.at(pick(times.size())));
            const int cycle = pick(7);
            const int interval = pick(4);
            const QString specify = specifics.at(pick(specifics.size()));
            Clock::setNow(start.addSecs(qint64(pick(600 * 24)) * 3600 - 30 * 86400));
            const QDateTime end = pick(3) ? QDateTime() : Clock::now().addDays(pick(500));
            const QString rule =
                QString("rule %1: %2 %3 type %4 every %5 on \"%6\" end %7")
                    .arg(i)
                    .arg(cal == CalendarIdentifier::Chinese ? "lunar" : "gregorian", text(start))
                    .arg(cycle)
                    .arg(interval)
                    .arg(specify, text(end));
            const QString error = followDeliveries(cal, start, cycle, interval, specify, end, 8);
            QVERIFY2(error.isEmpty(), qPrintable(rule + ": " + error));
        }
    }

    // Daily and weekly repetitions whose time of day the changes of the clocks skip or repeat.
    void deliveriesThroughTheClockChanges_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("cycle");
        QTest::newRow("daily at 2:30 in spring") << "2026/3/25 2:30:00" << 1;
        QTest::newRow("daily at 2:30 in autumn") << "2026/10/20 2:30:00" << 1;
        QTest::newRow("weekly at 2:30 in autumn") << "2026/10/18 2:30:00" << 2;
        QTest::newRow("daily at 3:00 in spring") << "2026/3/25 3:00:00" << 1;
    }

    void deliveriesThroughTheClockChanges()
    {
        QFETCH(QString, start);
        QFETCH(int, cycle);
        TestEnv::setTimeZone("Europe/Berlin");
        Clock::setNow(at(start).addDays(-1));
        const QString error =
            followDeliveries(CalendarIdentifier::Gregorian, at(start), cycle, 1, QString(), QDateTime(), 12);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void lunarMonthlyIsOneShotOnTheLunarDay()
    {
        // 17 February 2026 is the first day of a lunar year.
        const QDateTime start(QDate(2026, 2, 17), QTime(9, 0));
        QCOMPARE(DateManager::getDayWithCalendarIdentifier(CalendarIdentifier::Chinese, start), 1);
        QVERIFY(reminds().addUserNotificationWithCalendarIdentifier(CalendarIdentifier::Chinese, start, 3, 1,
                                                                    {}, {}, "t", "c1"));
        const auto pending = center()->scheduledNotification("c1");
        QVERIFY(pending);
        QVERIFY(!pending->repeatInterval.isRepeating());
        QVERIFY(pending->deliveryDate > now());
        QVERIFY(pending->deliveryDate < now().addDays(31));
        QCOMPARE(
            DateManager::getDayWithCalendarIdentifier(CalendarIdentifier::Chinese, pending->deliveryDate), 1);
        QCOMPARE(pending->deliveryDate.time(), QTime(9, 0));
    }

    void notificationCarriesCategoryContentAndId()
    {
        NoteDetail *n = note("c7", {0, "2026/3/7 9:00:00", 0}, category("家务"));
        NoteDetail *loose = note("c8", {0, "2026/3/7 9:00:00", 0});
        QVERIFY(reminds().coverDateUserNotificationWithNote(n));
        QVERIFY(reminds().coverDateUserNotificationWithNote(loose));
        QCOMPARE(center()->scheduledNotification("c7")->title, QString("家务"));
        QCOMPARE(center()->scheduledNotification("c7")->informativeText, QString("内容 c7"));
        QCOMPARE(center()->scheduledNotification("c8")->title, QString());

        QVERIFY(local().addWiFiUserNotificationWithDeliveryDate(now(), "连上了", "c7"));
        QTRY_VERIFY(!center()->presented().isEmpty());
        QCOMPARE(center()->presented().last().title, QString("Prelvane"));
    }

    void addDateTwiceSchedulesOnce()
    {
        NoteDetail *n = note("c1", {0, "2026/3/1 8:00:00", 1});
        QVERIFY(reminds().addDateUserNotificationWithNote(n));
        n->remind()->setRemindCycleType(2); // a pending one is kept as it is
        QVERIFY(reminds().addDateUserNotificationWithNote(n));
        QCOMPARE(center()->scheduleLog().size(), 1);
        QCOMPARE(repeatText(center()->scheduleLog().first().repeatInterval), QString("d1"));

        // Replacement by identifier: cover takes the new rule, still one pending.
        QVERIFY(reminds().coverDateUserNotificationWithNote(n));
        QCOMPARE(pendingIds(), QStringList{"c1"});
        QCOMPARE(repeatText(center()->scheduledNotification("c1")->repeatInterval), QString("d7"));
    }

    void nothingForNotesThatAreDoneOrDeleted_data()
    {
        QTest::addColumn<int>("actionType");
        QTest::addColumn<bool>("completed");
        QTest::addColumn<int>("remindActionType");
        QTest::addColumn<QString>("wifi");
        QTest::newRow("deleted note") << 3 << false << 2 << "";
        QTest::newRow("completed note") << 0 << true << 2 << "";
        QTest::newRow("cleared reminder") << 0 << false << 3 << "";
        QTest::newRow("Wi-Fi reminder") << 0 << false << 2 << "0";
    }

    void nothingForNotesThatAreDoneOrDeleted()
    {
        QFETCH(int, actionType);
        QFETCH(bool, completed);
        QFETCH(int, remindActionType);
        QFETCH(QString, wifi);
        NoteDetail *n = note("c1", {0, "2026/3/7 9:00:00", 0});
        QVERIFY(reminds().coverDateUserNotificationWithNote(n));
        QCOMPARE(pendingIds(), QStringList{"c1"});
        n->setActionType(qint16(actionType));
        n->setIsCompleted(completed);
        n->remind()->setRemindActionType(qint16(remindActionType));
        n->remind()->setConnectWifiIds(wifi);
        QVERIFY(reminds().coverDateUserNotificationWithNote(n));
        QVERIFY(pendingIds().isEmpty());
    }

    void importantReminder()
    {
        settings()->setImportantRemindInterval(10);
        const QDateTime d = at("2026/3/6 9:00:20");
        QVERIFY(reminds().addStarUserNotificationWithDate(d, "t", "c1"));
        QCOMPARE(repeatText(center()->scheduledNotification("c1")->repeatInterval), QString("min10"));
        // The same minute and repeat again: refused, nothing new.
        QVERIFY(!reminds().addStarUserNotificationWithDate(at("2026/3/6 9:00:50"), "t", "c1"));
        QCOMPARE(center()->scheduleLog().size(), 1);
        // A new interval replaces it.
        settings()->setImportantRemindInterval(30);
        QVERIFY(reminds().addStarUserNotificationWithDate(d, "t", "c1"));
        QCOMPARE(repeatText(center()->scheduledNotification("c1")->repeatInterval), QString("min30"));
        // No usable interval: every 5 minutes, never a repeat of 0.
        settings()->setImportantRemindInterval(0);
        QVERIFY(reminds().addStarUserNotificationWithDate(d, "t", "c1"));
        QCOMPARE(repeatText(center()->scheduledNotification("c1")->repeatInterval), QString("min5"));
        QCOMPARE(center()->nextDeliveryDate("c1"), at("2026/3/6 10:00:20"));
    }

    void snoozeHelpers()
    {
        QVERIFY(!NoteRemindManager::isDelayWithDelayTime(QString()));
        QVERIFY(!NoteRemindManager::isDelayWithDelayTime("later"));
        QVERIFY(!NoteRemindManager::isDelayWithDelayTime("2026/3/6 10:00:00"));
        QVERIFY(NoteRemindManager::isDelayWithDelayTime("2026/3/6 10:00:01"));
        QVERIFY(!reminds().addDelayUserNotificationWithDate(now(), "t", "c1"));
        QVERIFY(center()->scheduleLog().isEmpty());
        QVERIFY(reminds().addDelayUserNotificationWithDate(now().addSecs(1800), "t", "c1"));
        QCOMPARE(repeatText(center()->scheduledNotification("c1")->repeatInterval), QString("none"));
    }

    void addNoExist()
    {
        const QDateTime d = at("2026/3/1 8:00:00");
        // Ended reminder: nothing, still success.
        QVERIFY(reminds().addNoExistUserNotificationWithCalendarIdentifier(
            CalendarIdentifier::Gregorian, d, 1, 1, {}, at("2026/3/5 0:00:00"), "t", "c1"));
        QVERIFY(pendingIds().isEmpty());
        QVERIFY(reminds().addNoExistUserNotificationWithCalendarIdentifier(CalendarIdentifier::Gregorian, d,
                                                                           1, 1, {}, {}, "t", "c1"));
        QVERIFY(reminds().addNoExistUserNotificationWithCalendarIdentifier(CalendarIdentifier::Gregorian, d,
                                                                           2, 1, {}, {}, "t", "c1"));
        QCOMPARE(center()->scheduleLog().size(), 1);
    }

    void limitKeepsTheNearest()
    {
        fill(LocalNotificationManager::maxPendingNotifications);
        // Farther than all 100: refused, nothing changes.
        QVERIFY(!local().addLocalNotificationWithDeliveryDate(now().addSecs(3600 * 200), {}, "x", "far"));
        QCOMPARE(center()->scheduledNotifications().size(), 100);
        QVERIFY(!center()->scheduledNotification("far"));
        // Replacing one of the 100 is not a new one.
        QVERIFY(local().addLocalNotificationWithDeliveryDate(now().addSecs(3600 * 300), {}, "y", "p5"));
        QCOMPARE(center()->scheduledNotifications().size(), 100);
        // Nearer than the farthest: it stays, the farthest (now p5) goes.
        QVERIFY(local().addLocalNotificationWithDeliveryDate(now().addSecs(1800), {}, "x", "near"));
        QCOMPARE(center()->scheduledNotifications().size(), 100);
        QVERIFY(center()->scheduledNotification("near"));
        QVERIFY(!center()->scheduledNotification("p5"));
        // A Wi-Fi notification is never refused.
        QVERIFY(local().addWiFiUserNotificationWithDeliveryDate(now(), "wifi", "w1"));
        QTRY_COMPARE(center()->presented().size(), 1);
        QCOMPARE(center()->presented().first().identifier, QString("w1"));
    }

    void soundChoice_data()
    {
        QTest::addColumn<bool>("hasSettings");
        QTest::addColumn<QString>("types");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        const QString def = UserNotification::defaultSoundName();
        QTest::newRow("no settings row") << false << ""
                                         << ""
                                         << "";
        QTest::newRow("1,2 without a file: default") << true << "1,2"
                                                     << "" << def;
        QTest::newRow("1 only: silent") << true << "1"
                                        << "标准铃声1.wav"
                                        << "";
        QTest::newRow("12 is not 2") << true << "12"
                                     << "标准铃声1.wav"
                                     << "";
        QTest::newRow("chosen sound") << true << "1,2"
                                      << "音乐铃声1.mp3"
                                      << "音乐铃声1.mp3";
        QTest::newRow("2 alone") << true << "2"
                                 << "机场提示音.wav"
                                 << "机场提示音.wav";
        QTest::newRow("a path: default") << true << "2"
                                         << "../../../etc/passwd" << def;
        QTest::newRow("our name behind a folder: default") << true << "2"
                                                           << "/tmp/标准铃声1.wav" << def;
        QTest::newRow("wrong extension: default") << true << "2"
                                                  << "音乐铃声1.wav" << def;
    }

    // A planner made on another centre schedules, finds and withdraws there only,
    // whichever centre the process has installed.
    void notificationsStayInTheirOwnCentre()
    {
        NoteDetail *n = note("c1", Rule(0, "2026/3/7 9:00:00", 0), category());
        FakeUserNotificationCenter other;
        LocalNotificationManager otherLocal(*ctx(), other);
        NoteRemindManager otherReminds(*ctx(), otherLocal);
        QVERIFY(otherReminds.coverDateUserNotificationWithNote(n));
        QVERIFY(other.scheduledNotification("c1"));
        QCOMPARE(other.scheduledNotification("c1")->title, QString("工作"));
        QVERIFY(!center()->scheduledNotification("c1"));
        QVERIFY(otherLocal.getUserNoticationWithIdentifier("c1"));
        QVERIFY(!local().getUserNoticationWithIdentifier("c1"));
        QVERIFY(reminds().coverDateUserNotificationWithNote(n));
        otherLocal.removeScheduledNotificationWithIdentifiers({"c1"});
        QVERIFY(!other.scheduledNotification("c1"));
        QVERIFY(center()->scheduledNotification("c1"));
    }

    void soundChoice()
    {
        QFETCH(bool, hasSettings);
        QFETCH(QString, types);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        if (hasSettings) {
            settings()->setRemindTypes(types);
            settings()->setRemindSoundPath(path);
        }
        QVERIFY(local().addLocalNotificationWithDeliveryDate(now().addSecs(60), {}, "t", "c1"));
        QCOMPARE(center()->scheduledNotification("c1")->soundName, expected);
    }

    void soundFilesAreReal()
    {
        LocalNotificationManager::installSoundFileResolver(center());
        const QStringList names = LocalNotificationManager::soundFileNames();
        QCOMPARE(names.size(), 10);
        for (const QString &name : names) {
            const QString file = center()->soundFileForName(name);
            QVERIFY2(!file.isEmpty(), qPrintable(name));
            QVERIFY(!file.startsWith(':'));
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray head = f.read(4);
            if (name.endsWith(".wav"))
                QCOMPARE(head, QByteArray("RIFF"));
            else // an MPEG audio frame header, or an ID3 tag before it
                QVERIFY(head.startsWith("ID3") ||
                        (uchar(head[0]) == 0xFF && (uchar(head[1]) & 0xE0) == 0xE0));
        }
        QVERIFY(center()->soundFileForName("../标准铃声1.wav").isEmpty());
        QVERIFY(center()->soundFileForName("nothing.wav").isEmpty());
    }

    void reconcilerKeepsEveryActiveReminder()
    {
        Classify *c = category();
        note("a", {0, "2026/3/7 9:00:00", 0}, c);
        note("b", {0, "2026/3/1 8:00:00", 1}, c);
        note("gone", {0, "2026/3/7 9:00:00", 0}, c)->setActionType(3);
        note("done", {0, "2026/3/7 9:00:00", 0}, c)->setIsCompleted(true);
        note("past", {0, "2026/3/5 9:00:00", 0}, c);
        NoteDetail *star = note("star", {0, "2026/3/6 9:00:00", 0}, c);
        star->remind()->setRemindRType(1);
        NoteDetail *snoozed = note("snoozed", {0, "2026/3/6 9:00:00", 0}, c);
        snoozed->remind()->setRemindDelayTime("2026/3/6 10:30:00");
        // A stale one of a row that no longer exists.
        QVERIFY(local().addLocalNotificationWithDeliveryDate(now().addSecs(60), {}, "x", "old"));

        planner().reconcileAll();
        QStringList ids = pendingIds();
        ids.sort();
        QCOMPARE(ids, (QStringList{"a", "b", "snoozed", "star"}));
        QCOMPARE(repeatText(center()->scheduledNotification("star")->repeatInterval), QString("min5"));
        QCOMPARE(center()->scheduledNotification("snoozed")->deliveryDate, at("2026/3/6 10:30:00"));

        // Again without changes: nothing is rescheduled.
        const qsizetype logged = center()->scheduleLog().size();
        planner().reconcileAll();
        QCOMPARE(center()->scheduleLog().size(), logged);
    }

    // A full pass withdraws what it planned for a note that is gone or lost its
    // reminder, however many notes without a reminder the store holds beside it.
    void reconcilerWithdrawsWhatLeft_data()
    {
        QTest::addColumn<bool>("deleteNote");
        QTest::addColumn<bool>("save");
        QTest::newRow("note deleted") << true << false;
        QTest::newRow("note deleted and saved") << true << true;
        QTest::newRow("reminder deleted") << false << false;
        QTest::newRow("reminder deleted and saved") << false << true;
    }

    void reconcilerWithdrawsWhatLeft()
    {
        QFETCH(bool, deleteNote);
        QFETCH(bool, save);
        Classify *c = category();
        note("keep", {0, "2026/3/7 9:00:00", 0}, c);
        NoteDetail *leaving = note("leaving", {0, "2026/3/8 9:00:00", 0}, c);
        for (int i = 0; i < 3; ++i)
            m_fx.note(QString("plain%1").arg(i), c);
        QVERIFY(ctx()->saveAndWait().ok);
        planner().reconcileAll();
        QStringList ids = pendingIds();
        ids.sort();
        QCOMPARE(ids, (QStringList{"keep", "leaving"}));

        if (deleteNote)
            ctx()->deleteObject(leaving);
        else
            ctx()->deleteObject(leaving->remind());
        if (save)
            QVERIFY(ctx()->saveAndWait().ok);
        planner().reconcileAll();
        QCOMPARE(pendingIds(), QStringList{"keep"});
    }

    // The reconciler keeps what it planned for unchanged reminders: whatever
    // field changes, settings changes and clock moves (also back) come, what is
    // pending afterwards is what planning every note afresh asks for.
    void reconcilerFollowsEveryChange_data()
    {
        QTest::addColumn<bool>("saved");
        QTest::newRow("full passes") << false;
        // Each change saved: the reconciler follows the change sets and the deliveries only.
        QTest::newRow("saved change sets") << true;
    }

    void reconcilerFollowsEveryChange()
    {
        QFETCH(bool, saved);
        QRandomGenerator rnd(20260306);
        const QStringList dates = {"2026/3/1 8:00:00",  "2026/3/6 10:30:00", "2026/3/13 9:00:00",
                                   "2026/1/31 9:00:00", "2025/2/17 9:00:00", "",
                                   "not a date"};
        const QStringList specifics = {"", "1", "3,5", "15", "9", "1,2,3,4,5,6,7", "x"};
        auto pick = [&](const QStringList &from) { return from.at(int(rnd.bounded(from.size()))); };
        QList<NoteDetail *> notes;
        for (int i = 0; i < 60; ++i)
            notes << note(QString("c%1").arg(i),
                          {int(rnd.bounded(2)), pick(dates), int(rnd.bounded(6)), 1 + int(rnd.bounded(3))});
        if (saved) {
            QVERIFY(ctx()->saveAndWait().ok);
            planner().reconcileAll();
            planner().start();
        }

        for (int step = 0; step < 400; ++step) {
            NoteDetail *n = notes.at(int(rnd.bounded(notes.size())));
            DateRemind *r = n->remind();
            switch (rnd.bounded(12)) {
            case 0:
                r->setRemindRealDateTime(pick(dates));
                break;
            case 1:
                r->setRemindCycleType(qint16(rnd.bounded(7)));
                break;
            case 2:
                r->setRemindCycleSpecific(pick(specifics));
                break;
            case 3:
                r->setRemindEndTime(rnd.bounded(2) ? QString() : pick(dates));
                break;
            case 4:
                r->setRemindDelayTime(text(Clock::now().addSecs(qint64(rnd.bounded(7200)) - 1800)));
                break;
            case 5:
                r->setRemindRType(qint16(rnd.bounded(2)));
                break;
            case 6:
                r->setRemindActionType(qint16(1 + rnd.bounded(3)));
                break;
            case 7:
                n->setIsCompleted(rnd.bounded(3) == 0);
                n->setActionType(rnd.bounded(4) == 0 ? 3 : 2);
                break;
            case 8:
                settings()->setImportantRemindInterval(qint16(rnd.bounded(20)));
                break;
            case 9:
                r->setRemindDateType(qint16(rnd.bounded(2)));
                r->setRemindCycleInterval(qint16(rnd.bounded(4)));
                break;
            case 10:
                Clock::setNow(Clock::now().addSecs(qint64(rnd.bounded(72 * 3600)) - 12 * 3600));
                break;
            default:
                Clock::setNow(Clock::now().addSecs(qint64(rnd.bounded(3 * 3600))));
                break;
            }
            if (!saved)
                planner().reconcileAll();
            else if (ctx()->hasChanges())
                QVERIFY(ctx()->saveAndWait().ok);
            else // the clock moved: what a delivery sets off
                planner().reconcileChanges(StoreChanges());

            for (const NoteDetail *each : notes) {
                const auto plan = reminds().planWithNote(each);
                const auto pending = center()->scheduledNotification(each->cId());
                const QString where = QString("step %1, note %2").arg(step).arg(each->cId());
                QVERIFY2(bool(plan) == bool(pending), qPrintable(where));
                if (plan) {
                    // A repetition planned earlier starts at an earlier occurrence of the same series.
                    QVERIFY2(LocalNotificationManager::nextDeliveryOf(pending->deliveryDate,
                                                                      pending->repeatInterval) ==
                                 LocalNotificationManager::nextDeliveryOf(plan->date, plan->repeat),
                             qPrintable(where));
                    QVERIFY2(pending->repeatInterval == plan->repeat, qPrintable(where));
                }
            }
        }
    }

    // Started, the reconciler follows what each save changed: a new, edited, completed or
    // deleted note (also by a background save), a renamed category and changed settings.
    void reconcilerFollowsSavedChanges()
    {
        Classify *c = category();
        NoteDetail *a = note("a", {0, "2026/3/7 9:00:00", 0}, c);
        QVERIFY(ctx()->saveAndWait().ok);
        planner().start();
        planner().reconcileAll();
        QCOMPARE(pendingIds(), QStringList{"a"});

        NoteDetail *b = note("b", {0, "2026/3/1 8:00:00", 3, 1, "10,20"}, c);
        QVERIFY(ctx()->saveAndWait().ok);
        QCOMPARE(center()->nextDeliveryDate("b"), at("2026/3/10 8:00:00"));

        b->remind()->setRemindCycleSpecific("8");
        QVERIFY(ctx()->saveAndWait().ok);
        QCOMPARE(center()->nextDeliveryDate("b"), at("2026/3/8 8:00:00"));

        a->setContent("改过");
        c->setName("家务");
        QVERIFY(ctx()->saveAndWait().ok);
        QCOMPARE(center()->scheduledNotification("a")->informativeText, QString("改过"));
        QCOMPARE(center()->scheduledNotification("a")->title, QString("家务"));
        QCOMPARE(center()->scheduledNotification("b")->title, QString("家务"));

        NoteDetail *star = note("star", {0, "2026/3/6 9:00:00", 0}, c);
        star->remind()->setRemindRType(1);
        settings()->setImportantRemindInterval(10);
        QVERIFY(ctx()->saveAndWait().ok);
        QCOMPARE(repeatText(center()->scheduledNotification("star")->repeatInterval), QString("min10"));

        a->setIsCompleted(true);
        ctx()->deleteObject(b->remind());
        QVERIFY(ctx()->saveAndWait().ok);
        QCOMPARE(pendingIds(), QStringList{"star"});

        // Deleted by a background save: only the key is left to find it by.
        const qint64 pk = star->objectId().pk;
        bool done = false;
        m_fx.store()->saveInBackground(
            [pk](Context &bg) {
                bg.deleteObject(bg.existing<NoteDetail>({NoteDetail::entity().index, pk}));
            },
            [&](const SaveResult &r) { done = r.ok; });
        QTRY_VERIFY(done);
        QVERIFY(pendingIds().isEmpty());

        NoteDetail *again = note("again", {0, "2026/3/8 9:00:00", 0}, c);
        QVERIFY(ctx()->saveAndWait().ok);
        QCOMPARE(pendingIds(), QStringList{"again"});
        ctx()->deleteObject(again);
        QVERIFY(ctx()->saveAndWait().ok);
        QVERIFY(pendingIds().isEmpty());
    }

    // A push or pull saves its rows and takes notifications back on its own; what it
    // took back and is still due is scheduled again, whether the scheduler follows the
    // change sets (they planned the rows already) or not (a full pass).
    void reconcileSavedPutsBackWhatASyncTookBack_data()
    {
        QTest::addColumn<bool>("following");
        QTest::newRow("following the change sets") << true;
        QTest::newRow("not following") << false;
    }
    void reconcileSavedPutsBackWhatASyncTookBack()
    {
        QFETCH(bool, following);
        Classify *c = category();
        note("a", {0, "2026/3/7 9:00:00", 0}, c);
        note("b", {0, "2026/3/8 9:00:00", 0}, c);
        note("gone", {0, "2026/3/9 9:00:00", 0}, c);
        QVERIFY(ctx()->saveAndWait().ok);
        if (following)
            planner().start();
        planner().reconcileAll();
        QCOMPARE(pendingIds(), (QStringList{"a", "b", "gone"}));

        // The pulled rows: b moved, "gone" deleted.
        bool saved = false;
        m_fx.store()->saveInBackground(
            [](Context &bg) {
                bg.findFirstByAttribute<NoteDetail>("cId", "b")
                    ->remind()
                    ->setRemindDateTime("2026/3/10 7:00:00");
                bg.findFirstByAttribute<NoteDetail>("cId", "b")
                    ->remind()
                    ->setRemindRealDateTime("2026/3/10 7:00:00");
                bg.deleteObject(bg.findFirstByAttribute<NoteDetail>("cId", "gone"));
            },
            [&](const SaveResult &r) { saved = r.ok; });
        QTRY_VERIFY(saved);
        local().removeScheduledNotificationWithIdentifiers({"a", "b", "gone"});

        planner().reconcileSaved();
        QStringList ids = pendingIds();
        ids.sort();
        QCOMPARE(ids, (QStringList{"a", "b"}));
        QCOMPARE(center()->nextDeliveryDate("a"), at("2026/3/7 9:00:00"));
        QCOMPARE(center()->nextDeliveryDate("b"), at("2026/3/10 7:00:00"));
    }

    void reconcilerKeepsTheNearestHundred()
    {
        for (int i = 1; i <= 105; ++i)
            note(QString("n%1").arg(i), {0, text(now().addSecs(60 * (106 - i))), 0});
        planner().reconcileAll();
        QCOMPARE(center()->scheduledNotifications().size(), 100);
        for (int i = 1; i <= 5; ++i)
            QVERIFY(!center()->scheduledNotification(QString("n%1").arg(i)));
        // As the nearest three are delivered, the next three get in.
        planner().start();
        Clock::setNow(now().addSecs(60 * 3));
        QTRY_VERIFY(center()->scheduledNotification("n3"));
        QVERIFY(center()->scheduledNotification("n5"));
        QVERIFY(!center()->scheduledNotification("n2"));
        QVERIFY(!center()->scheduledNotification("n105"));
        QCOMPARE(center()->scheduledNotifications().size(), 100);
    }

    void oneShotsFollowEachOtherOnDelivery()
    {
        planner().start();
        note("m", {0, "2026/3/1 9:00:00", 3, 1, "10,20"});
        note("e", {0, "2026/3/1 8:00:00", 1, 1, "", "2026/3/8 8:00:00"});
        planner().reconcileAll();
        QCOMPARE(center()->nextDeliveryDate("m"), at("2026/3/10 9:00:00"));
        QCOMPARE(center()->nextDeliveryDate("e"), at("2026/3/7 8:00:00"));

        Clock::setNow(at("2026/3/7 8:00:00"));
        QTRY_COMPARE(center()->nextDeliveryDate("e"), at("2026/3/8 8:00:00"));
        Clock::setNow(at("2026/3/8 8:00:00"));
        QTRY_VERIFY(!center()->scheduledNotification("e")); // the end date was the last one
        Clock::setNow(at("2026/3/10 9:00:00"));
        QTRY_COMPARE(center()->nextDeliveryDate("m"), at("2026/3/20 9:00:00"));

        QStringList shown;
        for (const UserNotification &n : center()->presented())
            shown << n.identifier + "@" + text(n.actualDeliveryDate);
        QCOMPARE(shown, (QStringList{"e@2026/3/7 8:00:00", "e@2026/3/8 8:00:00", "m@2026/3/10 9:00:00"}));
    }
    // A large store of every kind of reminder (repeating, one-shots standing in for
    // repetitions, lunar, ended, cleared): the nearest hundred are scheduled, and passes
    // without changes or after an edit that moves no date schedule nothing again. How
    // long a pass takes is measured by bench_reconcile.
    void reconcileIsCheapForALargeStore()
    {
        QList<Classify *> cats;
        for (int i = 0; i < 40; ++i)
            cats << category(QString("类%1").arg(i));
        const QList<Rule> rules = {
            {0, "2026/3/1 8:00:00", 1, 2},                         // repeating daily
            {0, "2026/3/1 9:00:00", 3, 1, "10,20"},                // one-shot stand-in
            {0, "2026/3/1 8:00:00", 1, 1, "", "2026/6/1 0:00:00"}, // end date
            {1, "2026/2/17 9:00:00", 3},                           // lunar monthly
            {0, "2026/1/31 9:00:00", 3},                           // month end
            {0, "2025/3/1 9:00:00", 1, 1, "", "2025/6/1 0:00:00"}, // over
            {0, "2026/3/2 9:00:00", 2, 1, "1,3,5"},                // weekdays
            {0, "2027/1/1 9:00:00", 0},                            // one-shot ahead
        };
        for (int i = 0; i < 10000; ++i) {
            Classify *c = cats.at(i % cats.size());
            if (i % 2) {
                m_fx.note(QString("c%1").arg(i), c);
                continue;
            }
            Rule rule = rules.at((i / 2) % rules.size());
            // Spread the times so that the nearest 100 are not all of one kind.
            rule.date = text(at(rule.date).addSecs(60 * (i % 997)));
            NoteDetail *n = note(QString("c%1").arg(i), rule, c);
            if (i % 50 == 0)
                n->remind()->setRemindActionType(3);
        }
        QVERIFY(ctx()->saveAndWait().ok);

        planner().reconcileAll();
        QCOMPARE(center()->scheduledNotifications().size(), 100);
        const qsizetype logged = center()->scheduleLog().size();
        planner().reconcileAll();
        QCOMPARE(center()->scheduleLog().size(), logged);

        // Edits of a note without reminder, saved and followed by their change sets.
        planner().start();
        NoteDetail *edited = ctx()->findFirstByAttribute<NoteDetail>("cId", "c1");
        for (int i = 0; i < 3; ++i) {
            edited->setContent(QString("改 %1").arg(i));
            QVERIFY(ctx()->saveAndWait().ok);
        }
        QCOMPARE(center()->scheduleLog().size(), logged);
        QCOMPARE(center()->scheduledNotifications().size(), 100);
    }
};

PRELVANE_TEST_CORE_MAIN(TestScheduling)
#include "tst_scheduling.moc"
