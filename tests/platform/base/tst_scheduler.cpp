#include "platform/base/Clock.h"
#include "platform/base/Scheduler.h"
#include "platform/base/TimerScheduler.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QSignalSpy>

class TestScheduler : public QObject
{
    Q_OBJECT
    const QDateTime t0 = QDateTime(QDate(2026, 3, 1), QTime(9, 0));

private slots:
    void init() { Clock::setNow(t0); }
    void cleanup() { Clock::reset(); }

    void manualSchedulerRunsInDueOrderWithTheClockAtEachDueTime()
    {
        ManualScheduler scheduler;
        QStringList ran;
        auto at = [&](const QString &name) {
            return [&ran, name] {
                ran << QStringLiteral("%1@%2").arg(name).arg(Clock::nowMSecs() - 1772326800000);
            };
        };
        QCOMPARE(t0.toMSecsSinceEpoch(), 1772326800000);
        scheduler.schedule(300, nullptr, at("c"));
        scheduler.schedule(100, nullptr, at("a"));
        scheduler.schedule(100, nullptr, [&] {
            ran << "b";
            scheduler.schedule(50, nullptr, at("inner")); // falls due within the same move
        });
        scheduler.schedule(-5, nullptr, at("now"));
        QVERIFY(ran.isEmpty()); // never inside schedule()
        QCOMPARE(scheduler.nextDelay(), 0);
        scheduler.advance(200);
        QCOMPARE(ran, QStringList({"now@0", "a@100", "b", "inner@150"}));
        QCOMPARE(Clock::nowMSecs() - t0.toMSecsSinceEpoch(), 200);
        QCOMPARE(scheduler.nextDelay(), 100);

        // Moving the clock directly runs what fell due as well.
        Clock::advance(100);
        QCOMPARE(ran.last(), QString("c@300"));
        QCOMPARE(scheduler.pending(), 0);
        QCOMPARE(scheduler.nextDelay(), -1);
    }

    void aTaskWhoseContextDiedNeverRuns()
    {
        ManualScheduler scheduler;
        int ran = 0;
        auto context = std::make_unique<QObject>();
        scheduler.schedule(10, context.get(), [&] { ++ran; });
        scheduler.schedule(20, context.get(), [&] { ++ran; });
        QCOMPARE(scheduler.pending(), 2);
        scheduler.advance(10);
        context.reset();
        QCOMPARE(scheduler.pending(), 0);
        scheduler.advance(100);
        QCOMPARE(ran, 1);
    }

    void theProgramsSchedulerRunsOnTimersAndHonoursTheContext()
    {
        TimerScheduler program;
        Scheduler *timers = &program;
        QStringList ran;
        auto context = std::make_unique<QObject>();
        timers->schedule(0, nullptr, [&] { ran << "free"; });
        timers->schedule(1, context.get(), [&] { ran << "bound"; });
        timers->schedule(300, context.get(), [&] { ran << "late"; });
        QVERIFY(ran.isEmpty());
        QTRY_COMPARE(ran, QStringList({"free", "bound"}));
        context.reset();
        QTest::qWait(500);
        QCOMPARE(ran, QStringList({"free", "bound"}));
    }
};

PRELVANE_TEST_CORE_MAIN(TestScheduler)
#include "tst_scheduler.moc"
