#include "platform/base/LoggingFeedback.h"
#include "platform/base/UserFeedback.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/TestEnv.h"

#include <memory>

class TestUserFeedback : public QObject
{
    Q_OBJECT
private slots:
    // Whoever answers (the test, the recorder itself, the logging fallback),
    // the answer comes after the call and skips an owner that died.
    void answersComeLaterAndOnlyToLiveOwners_data()
    {
        QTest::addColumn<int>("answeredBy"); // 0 the test, 1 the recorder, 2 the log
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("expected");
        QTest::newRow("test answers a message") << 0 << false << true;
        QTest::newRow("test answers a confirmation") << 0 << true << true;
        QTest::newRow("recorder answers a confirmation") << 1 << true << true;
        QTest::newRow("log: a message counts as read") << 2 << false << true;
        QTest::newRow("log: a confirmation counts as cancelled") << 2 << true << false;
    }
    void answersComeLaterAndOnlyToLiveOwners()
    {
        QFETCH(int, answeredBy);
        QFETCH(bool, confirm);
        QFETCH(bool, expected);
        std::unique_ptr<RecordingFeedback> recorder;
        LoggingFeedback logging;
        UserFeedback *feedback = &logging;
        if (answeredBy < 2) {
            recorder = std::make_unique<RecordingFeedback>();
            if (answeredBy == 0)
                recorder->autoAnswer.reset();
            feedback = recorder.get();
        }

        QObject owner;
        auto dying = std::make_unique<QObject>();
        QList<bool> live, dead, unowned;
        auto ask = [&](const QObject *who, QList<bool> &into) {
            auto handler = [&into](bool first) { into << first; };
            if (confirm)
                feedback->showConfirm("删除?", {who, nullptr}, handler);
            else
                feedback->showMessage("提示文字", {who, nullptr}, handler);
        };
        ask(&owner, live);
        ask(dying.get(), dead);
        ask(nullptr, unowned);
        QVERIFY(live.isEmpty() && unowned.isEmpty()); // never inside the asking call
        dying.reset();
        if (answeredBy == 0) {
            QCOMPARE(recorder->pendingSheets().size(), 3);
            for (int i = 0; i < 3; ++i)
                QVERIFY(recorder->answerNext(expected));
            QVERIFY(!recorder->answerNext(true));
        }
        QTRY_COMPARE(live, QList<bool>{expected});
        QCOMPARE(unowned, QList<bool>{expected});
        QTest::qWait(20);
        QVERIFY(dead.isEmpty());
        if (recorder)
            QVERIFY(recorder->pendingSheets().isEmpty());
    }

    void eachBusyOperationHidesOnlyItsOwnSpinner()
    {
        RecordingFeedback recorder;
        QObject window;
        {
            BusyGuard first(&window, &recorder);
            std::optional<BusyGuard> second(std::in_place, &window, &recorder);
            QCOMPARE(recorder.busyCount(), 2);
            first.release();
            QVERIFY(!first.isActive());
            QCOMPARE(recorder.busyCount(), 1); // the second one still spins
            first.release();                   // twice: nothing more
            QCOMPARE(recorder.busyCount(), 1);

            // A guard moved into the waiting object is one operation still.
            BusyGuard moved = std::move(*second);
            QVERIFY(!second->isActive());
            second.reset();
            QCOMPARE(recorder.busyCount(), 1);
            BusyGuard third(&window, &recorder);
            moved = std::move(third); // ends what `moved` held
            QCOMPARE(recorder.busyCount(), 1);
        }
        QCOMPARE(recorder.busyCount(), 0);
        QCOMPARE(recorder.entries.first().anchor, &window);
    }

    void aGuardOutlivingItsFeedbackIsHarmless()
    {
        auto recorder = std::make_unique<RecordingFeedback>();
        BusyGuard guard(nullptr, recorder.get());
        QVERIFY(guard.isActive());
        recorder.reset();
        guard.release(); // must not touch the destroyed recorder
        QVERIFY(!guard.isActive());
    }
};

PRELVANE_TEST_CORE_MAIN(TestUserFeedback)
#include "tst_userfeedback.moc"
