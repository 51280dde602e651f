#include "app/main/program/ProgramServices.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Session.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/sync/SyncEngine.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/RecordingUrlOpener.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"
#include "tests/support/doubles/ManualScheduler.h"

class TestServices : public QObject
{
    Q_OBJECT
private slots:
    // The graph hands on what it was given and makes the rest once; the
    // bundle is complete by construction.
    void theGraphsBundleHoldsItsParts()
    {
        StoreFixture fx;
        QVERIFY(fx.open(QDateTime(QDate(2026, 3, 1), QTime(9, 0))));
        RecordingFeedback feedback;
        ManualScheduler scheduler;
        AppEvents events;
        Session session;
        TestGraph graph(fx,
                        ProgramServices::Parts().use(&feedback).use(&scheduler).use(&events).use(&session));
        const Services &s = graph.services();
        QCOMPARE(s.store.get(), fx.ctx());
        QCOMPARE(s.feedback.get(), &feedback);
        QCOMPARE(s.scheduler.get(), &scheduler);
        QCOMPARE(s.events.get(), &events);
        QCOMPARE(s.session.get(), &session);
        QCOMPARE(s.notifications.get(), static_cast<UserNotificationCenter *>(fx.center()));
        QCOMPARE(s.network.get(), static_cast<NetworkMonitor *>(graph.network()));
        QCOMPARE(s.urls.get(), static_cast<UrlOpener *>(graph.urls()));
        // The sync engine is made on the graph's own API client.
        QVERIFY(s.sync.get());
        QVERIFY(s.api.get());
    }

    // A store that cannot be opened gives no bundle, and says why.
    void noStoreNoBundle()
    {
        const QString dir = TestEnv::freshFolders();
        QFile blocker(dir + "/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        RecordingFeedback feedback;
        ProgramServices::Parts parts;
        parts.storePath = dir + "/blocker/sub/store.sqlite";
        parts.feedback = &feedback;
        ProgramServices program(parts);
        QVERIFY(!program.hasServices());
        QVERIFY(!program.storeOpened().ok());
        QVERIFY(!program.storeOpened().error.isEmpty());
    }
};

PRELVANE_TEST_CORE_MAIN(TestServices)
#include "tst_services.moc"
