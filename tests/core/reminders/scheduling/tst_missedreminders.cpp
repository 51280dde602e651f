// Reminders that came due while the program was not running: delivered once
// at the next start with the time they were due; never those already past
// when they were first scheduled here, never twice across restarts.

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/scheduling/PendingReminderJournal.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QtTest>

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
} // namespace

class TestMissedReminders : public QObject
{
    Q_OBJECT

    StoreFixture m_fx;
    ManualScheduler m_scheduler; // the planner's turns of the event loop
    std::unique_ptr<TestGraph> m_graph;
    // The centre of the current run of the program (pending ones live in memory only), and its planner.
    std::unique_ptr<FakeUserNotificationCenter> m_run;
    std::unique_ptr<ReminderScheduler> m_planner;

    Context *ctx() { return m_fx.ctx(); }

    NoteDetail *note(const QString &cId, const QString &date, int cycle = 0)
    {
        NoteDetail *n = m_fx.note(cId, m_fx.category("k1", "工作"));
        DateRemind *r = m_fx.remind(n);
        r->setRemindDateTime(date);
        r->setRemindRealDateTime(date);
        r->setRemindCycleType(qint16(cycle));
        r->setRemindCycleInterval(1);
        return n;
    }

    // A start of the program: a fresh centre, the scheduler, the missed ones.
    void startProgram()
    {
        m_run = std::make_unique<FakeUserNotificationCenter>();
        const Services &s = m_graph->services();
        m_planner = std::make_unique<ReminderScheduler>(*ctx(), *m_run, *s.clock, *s.scheduler);
        m_planner->start();
        m_planner->deliverMissed();
    }

    // Quitting (or the machine going off): nothing is delivered until the next start.
    void quitProgram()
    {
        m_planner.reset();
        m_run.reset();
    }

    QStringList presented() const
    {
        QStringList out;
        for (const UserNotification &n : m_run->presented())
            out << n.identifier + ": " + n.informativeText;
        return out;
    }

private slots:
    void init()
    {
        QVERIFY(m_fx.open(now()));
        UserDefaults::remove(PendingReminderJournal::key());
        UserDefaults::setValue(QStringLiteral("userId"), QStringLiteral("42"));
        m_graph = std::make_unique<TestGraph>(m_fx, ProgramServices::Parts().use(&m_scheduler));
    }

    void cleanup()
    {
        m_planner.reset();
        m_run.reset();
        m_graph.reset();
        m_fx.close();
    }

    void aMissedReminderIsDeliveredOnceAcrossRestarts_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<int>("cycle");
        QTest::addColumn<QDateTime>("restart");
        QTest::addColumn<QString>("text");        // of the one delivery at the restart
        QTest::addColumn<QDateTime>("nextAfter"); // pending after it (invalid: none)

        QTest::newRow("one-shot") << "2026/3/6 11:00:00" << 0 << at("2026/3/6 12:30:00")
                                  << "内容 c1\n（错过的提醒：原定于 3月6日 11:00）" << QDateTime();
        // Several repetitions missed: one delivery, for the first one missed; then the next one.
        QTest::newRow("daily") << "2026/3/1 8:00:00" << 1 << at("2026/3/9 9:00:00")
                               << "内容 c1\n（错过的提醒：原定于 3月7日 08:00）" << at("2026/3/10 8:00:00");
        QTest::newRow("next year") << "2026/12/31 23:30:00" << 0 << at("2027/1/2 9:00:00")
                                   << "内容 c1\n（错过的提醒：原定于 2026年12月31日 23:30）" << QDateTime();
    }

    void aMissedReminderIsDeliveredOnceAcrossRestarts()
    {
        QFETCH(QString, date);
        QFETCH(int, cycle);
        QFETCH(QDateTime, restart);
        QFETCH(QString, text);
        QFETCH(QDateTime, nextAfter);

        note(QStringLiteral("c1"), date, cycle);
        QVERIFY(ctx()->saveAndWait());
        startProgram();
        QVERIFY(m_run->presented().isEmpty());
        QVERIFY(m_run->scheduledNotification(QStringLiteral("c1")));
        quitProgram();

        Clock::setNow(restart);
        startProgram();
        QCOMPARE(presented(), QStringList{QStringLiteral("c1: ") + text});
        QCOMPARE(m_run->presented().first().title, QStringLiteral("工作"));
        QCOMPARE(m_run->nextDeliveryDate(QStringLiteral("c1")), nextAfter);
        quitProgram();

        // Started again a little later: not again.
        Clock::setNow(restart.addSecs(600));
        startProgram();
        QCOMPARE(presented(), QStringList());
    }

    void deliveredWhileRunningIsNotDeliveredAgain()
    {
        note(QStringLiteral("c1"), QStringLiteral("2026/3/6 11:00:00"));
        QVERIFY(ctx()->saveAndWait());
        startProgram();
        Clock::setNow(at("2026/3/6 11:00:01"));
        QCOMPARE(m_run->presented().size(), 1);
        QCOMPARE(m_run->presented().first().informativeText, QStringLiteral("内容 c1"));
        quitProgram();

        Clock::setNow(at("2026/3/6 15:00:00"));
        startProgram();
        QCOMPARE(presented(), QStringList());
    }

    void notDelivered_data()
    {
        QTest::addColumn<QString>("change"); // what happened before the restart

        QTest::newRow("already past when first scheduled") << "past";
        QTest::newRow("note completed since") << "completed";
        QTest::newRow("note deleted since") << "deleted";
        QTest::newRow("reminder cleared since") << "cleared";
        QTest::newRow("another user signed in") << "user";
        QTest::newRow("damaged journal") << "damaged";
        QTest::newRow("due time out of range") << "out of range";
    }

    void notDelivered()
    {
        QFETCH(QString, change);
        NoteDetail *n = note(QStringLiteral("c1"), change == "past" ? QStringLiteral("2026/3/6 9:00:00")
                                                                    : QStringLiteral("2026/3/6 11:00:00"));
        QVERIFY(ctx()->saveAndWait());
        startProgram();
        quitProgram();

        if (change == "completed")
            n->setIsCompleted(true);
        else if (change == "deleted")
            n->setActionType(3);
        else if (change == "cleared")
            n->remind()->setRemindActionType(3);
        else if (change == "user")
            UserDefaults::setValue(QStringLiteral("userId"), QStringLiteral("43"));
        else if (change == "damaged")
            UserDefaults::setValue(PendingReminderJournal::key(),
                                   QStringLiteral("{\"userId\":\"42\",\"pending\":[{\"cId\":"));
        else if (change == "out of range")
            UserDefaults::setValue(
                PendingReminderJournal::key(),
                QStringLiteral("{\"userId\":\"42\",\"pending\":[{\"cId\":\"c1\",\"due\":1e300}]}"));
        QVERIFY(ctx()->saveAndWait());

        Clock::setNow(at("2026/3/6 12:00:00"));
        startProgram();
        QCOMPARE(presented(), QStringList());
    }

    void theJournalFollowsTheCentre()
    {
        note(QStringLiteral("c1"), QStringLiteral("2026/3/6 11:00:00"));
        note(QStringLiteral("c2"), QStringLiteral("2026/3/1 8:00:00"), 1);
        QVERIFY(ctx()->saveAndWait());
        startProgram();
        using Entry = PendingReminderJournal::Entry;
        QCOMPARE(PendingReminderJournal::read(QStringLiteral("42")),
                 (QList<Entry>{{"c1", at("2026/3/6 11:00:00")}, {"c2", at("2026/3/7 8:00:00")}}));
        QVERIFY(PendingReminderJournal::read(QStringLiteral("43")).isEmpty());

        // A delivery is off the journal at once (a repetition moves on).
        Clock::setNow(at("2026/3/6 11:00:01"));
        QCOMPARE(PendingReminderJournal::read(QStringLiteral("42")),
                 (QList<Entry>{{"c2", at("2026/3/7 8:00:00")}}));
    }

    void aPlanChangeIsNotLostByAQuitRightAfterIt_data()
    {
        QTest::addColumn<bool>("stopFirst"); // else the planner just goes (the program's end)
        QTest::newRow("stopped") << true;
        QTest::newRow("destroyed") << false;
    }

    void aPlanChangeIsNotLostByAQuitRightAfterIt()
    {
        QFETCH(bool, stopFirst);
        NoteDetail *n = note(QStringLiteral("c1"), QStringLiteral("2026/3/6 11:00:00"));
        QVERIFY(ctx()->saveAndWait());
        startProgram();
        m_scheduler.runDue();

        // Moved earlier; the program ends before the event loop turns again.
        n->remind()->setRemindDateTime(QStringLiteral("2026/3/6 10:30:00"));
        n->remind()->setRemindRealDateTime(QStringLiteral("2026/3/6 10:30:00"));
        QVERIFY(ctx()->saveAndWait());
        QCOMPARE(m_run->nextDeliveryDate(QStringLiteral("c1")), at("2026/3/6 10:30:00"));
        if (stopFirst)
            m_planner->stop();
        quitProgram();
        using Entry = PendingReminderJournal::Entry;
        QCOMPARE(PendingReminderJournal::read(QStringLiteral("42")),
                 (QList<Entry>{{"c1", at("2026/3/6 10:30:00")}}));

        Clock::setNow(at("2026/3/6 10:45:00"));
        startProgram();
        QCOMPARE(presented(),
                 QStringList{QStringLiteral("c1: 内容 c1\n（错过的提醒：原定于 3月6日 10:30）")});
    }

    void anUnchangedScheduleIsNotWrittenAgain()
    {
        NoteDetail *n = note(QStringLiteral("c1"), QStringLiteral("2026/3/6 11:00:00"));
        QVERIFY(ctx()->saveAndWait());
        startProgram();
        m_scheduler.runDue();
        // Stands for what was written: it stays until the schedule changes.
        const QString written = QStringLiteral("{\"userId\":\"42\",\"pending\":[]}");
        UserDefaults::setValue(PendingReminderJournal::key(), written);

        // A note without a reminder, and a full pass that finds everything as planned.
        m_fx.note(QStringLiteral("c2"), m_fx.category("k1", "工作"));
        QVERIFY(ctx()->saveAndWait());
        m_planner->reconcileAll();
        m_scheduler.runDue();
        QCOMPARE(UserDefaults::string(PendingReminderJournal::key()), written);

        // Another signed-in user: the journal is theirs from the next pass on.
        UserDefaults::setValue(QStringLiteral("userId"), QStringLiteral("43"));
        m_planner->reconcileAll();
        m_scheduler.runDue();
        using Entry = PendingReminderJournal::Entry;
        QCOMPARE(PendingReminderJournal::read(QStringLiteral("43")),
                 (QList<Entry>{{"c1", at("2026/3/6 11:00:00")}}));

        // A changed schedule is written once the event loop turns.
        n->remind()->setRemindDateTime(QStringLiteral("2026/3/6 12:00:00"));
        n->remind()->setRemindRealDateTime(QStringLiteral("2026/3/6 12:00:00"));
        QVERIFY(ctx()->saveAndWait());
        m_scheduler.runDue();
        QCOMPARE(PendingReminderJournal::read(QStringLiteral("43")),
                 (QList<Entry>{{"c1", at("2026/3/6 12:00:00")}}));
    }
};

PRELVANE_TEST_CORE_MAIN(TestMissedReminders)
#include "tst_missedreminders.moc"
