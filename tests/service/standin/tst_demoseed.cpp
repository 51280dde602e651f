// The demo account of the stand-in service, pulled into a fresh store by the
// real sync engine: every kind of reminder arrives and the order holds.

#include "core/model/DateRemind.h"
#include "core/reminders/dates/DateManager.h"
#include "service/standin/DemoSeed.h"
#include "service/standin/NoteSyncHandlers.h"
#include "tests/service/ServiceFixture.h"
#include "tests/service/sync/SyncClient.h"

#include <QJsonArray>
#include <QtTest>

class TestDemoSeed : public QObject
{
    Q_OBJECT

private slots:
    void demoAccountPullsAReadyPicture()
    {
        ServiceFixture f;
        NoteSyncHandlers notes(*f.service);
        const QDateTime now(QDate(2026, 12, 28), QTime(20, 0));
        DemoSeed::seed(f.service->state(), notes, now);

        auto signIn = f.run([&f](auto ok, auto fail) {
            f.api->loginWithParam({{"account", DemoSeed::Account}, {"passWord", DemoSeed::Password}}, nullptr,
                                  ok, fail);
        });
        QVERIFY(signIn->succeeded);
        QCOMPARE(signIn->model.code, 200);
        StandinAccount &demo = *f.service->state().accountByName(DemoSeed::Account);
        // A few dozen records: every kind of change from every terminal, completions of several weeks.
        const NoteSyncHandlers::Data &records = notes.data(demo);
        QSet<int> terminals, kinds;
        int withSpans = 0;
        for (const QJsonObject &r : records.history) {
            terminals.insert(r.value("terminalId").toInt());
            kinds.insert(r.value("actionType").toInt());
            withSpans += !r.value("difference").toObject().value("diffItems").toArray().isEmpty();
        }
        QVERIFY(records.history.size() >= 24);
        QCOMPARE(terminals, (QSet<int>{1, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(kinds, (QSet<int>{1, 2, 3}));
        QCOMPARE(withSpans, 8);
        QVERIFY(records.completions.size() >= 10);
        SyncClient client(QStringLiteral("desk"), TestEnv::rootFolder(), f.api.get(), *f.service, demo);
        QVERIFY(client.pull(SyncEngine::PullKind::Full));

        const QList<Classify *> categories = client.categories();
        QStringList names;
        for (const Classify *c : categories)
            names << c->name();
        QCOMPARE(names.size(), 3);
        QVERIFY(names.contains(QStringLiteral("工作")) && names.contains(QStringLiteral("生活")) &&
                names.contains(QStringLiteral("学习")));
        QCOMPARE(client.liveNotes().size(), 11);
        for (const Classify *c : categories)
            QVERIFY2(notes.isLinear(demo, c->classId()), qPrintable(c->name()));

        // Every kind of reminder, each with a readable start.
        bool lunar = false, important = false, wifi = false;
        QSet<int> cycles;
        for (const NoteDetail *n : client.liveNotes()) {
            const DateRemind *r = n->remind();
            if (!r)
                continue;
            QVERIFY2(DateManager::getDateFromString(r->remindDateTime()).isValid(), qPrintable(n->content()));
            lunar |= r->remindDateType() != 0;
            important |= r->remindRType() == 1;
            wifi |= !r->connectWifiIds().isEmpty();
            cycles.insert(r->remindCycleType());
        }
        QVERIFY(lunar);
        QVERIFY(important);
        QVERIFY(wifi);
        QCOMPARE(cycles, (QSet<int>{0, 1, 2, 3, 4, 5}));
    }

    // The demo lists one snapshot, of its seeded notes, and restoring it brings them back.
    void demoSnapshotRestoresTheSeededNotes()
    {
        ServiceFixture f;
        NoteSyncHandlers notes(*f.service);
        const QDateTime now(QDate(2026, 12, 28), QTime(20, 0));
        DemoSeed::seed(f.service->state(), notes, now);
        StandinAccount &demo = *f.service->state().accountByName(DemoSeed::Account);
        const QJsonArray listed{QJsonObject{{"snapshotDate", DemoSeed::snapshotDate(now)}}};
        QCOMPARE(demo.snapshots, listed);
        QCOMPARE(DemoSeed::snapshotDate(now), QStringLiteral("2026/12/27 0:00:00"));
        auto signIn = f.run([&f](auto ok, auto fail) {
            f.api->loginWithParam({{"account", DemoSeed::Account}, {"passWord", DemoSeed::Password}}, nullptr,
                                  ok, fail);
        });
        QVERIFY(signIn->succeeded);
        SyncClient client(QStringLiteral("desk"), TestEnv::rootFolder(), f.api.get(), *f.service, demo);
        QVERIFY(client.pull(SyncEngine::PullKind::Full));
        client.addNote(client.categories().first(), QStringLiteral("快照之后写的"));
        QVERIFY(client.sync());
        QCOMPARE(client.liveNotes().size(), 12);

        auto restore = f.run([&f, &now](auto ok, auto fail) {
            f.api->recoverNoteDatasWithParams({{"snapshotDate", DemoSeed::snapshotDate(now)}}, nullptr, ok,
                                              fail);
        });
        QVERIFY(restore->succeeded);
        QCOMPARE(restore->model.code, 200);
        QVERIFY(client.pull(SyncEngine::PullKind::SnapshotRestore));
        QCOMPARE(client.liveNotes().size(), 11);

        // The rows the settings read are complete; the sound is one of the ten.
        for (const char *key :
             {"mobileBindStatus", "emailBindStatus", "isOAuthWeChat", "isOAuthQQ", "isOpenWeChatReminder",
              "isDefaultLockScreen", "lockScreenPassword", "syncSettings"})
            QVERIFY2(demo.userInfo.contains(key), key);
        for (const char *key : {"noteAddPositionType", "noteCompleteActionType", "hyperlinkDistinguish",
                                "remindTypes", "remindSoundName", "remindSoundPath",
                                "importantRemindInterval", "wifiSilenceRemindInterval", "newSkinColor"})
            QVERIFY2(demo.sysSet.contains(key), key);
        QCOMPARE(demo.sysSet.value("remindSoundPath").toString(), QStringLiteral("标准铃声1.wav"));
    }
};

PRELVANE_TEST_MAIN(TestDemoSeed)
#include "tst_demoseed.moc"
