#include "app/services/Services.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/base/ManualScheduler.h"
#include "platform/base/Session.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "service/api/ApiNetWorking.h"
#include "service/sync/SyncEngine.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"

class TestServices : public QObject
{
    Q_OBJECT
private slots:
    // The shell's bundle holds the program's objects, including the
    // feedback and scheduler installed when it is filled.
    void theProgramsBundleIsComplete()
    {
        StoreFixture fx;
        QVERIFY(fx.open(QDateTime(QDate(2026, 3, 1), QTime(9, 0))));
        RecordingFeedback feedback;
        ManualScheduler scheduler;
        const Services s = Services::program();
        QVERIFY(s.isComplete());
        QCOMPARE(s.store, Context::defaultContext());
        QCOMPARE(s.api, ApiNetWorking::instance());
        QCOMPARE(s.sync, SyncEngine::instance());
        QCOMPARE(s.feedback, &feedback);
        QCOMPARE(s.scheduler, &scheduler);
        QCOMPARE(s.events, AppEvents::instance());
        QCOMPARE(s.session, Session::instance());
        QCOMPARE(s.clock, Clock::instance());
        Services partial = s;
        partial.urls = nullptr;
        QVERIFY(!partial.isComplete());
        fx.close();
    }
};

PRELVANE_TEST_CORE_MAIN(TestServices)
#include "tst_services.moc"
