// The demo account of the stand-in service, pulled into a fresh store by the
// real sync engine: every kind of reminder arrives and the order holds.

#include "core/model/DateRemind.h"
#include "core/reminders/dates/DateManager.h"
#include "notes/categories/presenter/CategoryDialogPresenter.h"
#include "notes/editor/presenter/TextColorModel.h"
#include "platform/base/Clock.h"
#include "service/standin/DemoSeed.h"
#include "service/standin/NoteSyncHandlers.h"
#include "service/standin/StandinStateFile.h"
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
        // Newer records are later changes, as on the service: a note's edit never precedes its addition.
        QDateTime previous;
        for (auto it = records.history.cbegin(); it != records.history.cend(); ++it) {
            const QDateTime at = QDateTime::fromString(it.value().value("createTime").toString(),
                                                       QStringLiteral("yyyy/M/d H:mm:ss"));
            QVERIFY2(at.isValid() && (!previous.isValid() || at >= previous),
                     qPrintable(QString::number(it.key())));
            previous = at;
        }
        previous = {};
        for (auto it = records.completions.cbegin(); it != records.completions.cend(); ++it) {
            const QDateTime at = QDateTime::fromString(it.value().value("completedTime").toString(),
                                                       QStringLiteral("yyyy/M/d H:mm:ss"));
            QVERIFY2(at.isValid() && (!previous.isValid() || at >= previous),
                     qPrintable(QString::number(it.key())));
            previous = at;
        }
        QVERIFY(records.completions.size() >= 10);
        SyncClient client(QStringLiteral("desk"), TestEnv::rootFolder(), f, demo);
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

        // Every kind of reminder, each date reminder with a readable start.
        bool lunar = false, important = false, wifi = false;
        QSet<int> cycles;
        for (const NoteDetail *n : client.liveNotes()) {
            const DateRemind *r = n->remind();
            if (!r)
                continue;
            const bool isWifi = !r->connectWifiIds().isEmpty();
            QVERIFY2(DateManager::getDateFromString(r->remindDateTime()).isValid() != isWifi,
                     qPrintable(n->content()));
            lunar |= r->remindDateType() != 0;
            important |= r->remindRType() == 1;
            wifi |= isWifi;
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
        SyncClient client(QStringLiteral("desk"), TestEnv::rootFolder(), f, demo);
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

        // WeChat on the page signs in as the demo account: it alone has a WeChat identity.
        for (const StandinAccount &a : std::as_const(f.service->state().accounts))
            QCOMPARE(!a.openIds.value(QStringLiteral("2")).isEmpty(), a.account == DemoSeed::Account);
        QVERIFY(demo.userInfo.value("isOAuthWeChat").toBool());
    }

    // On a Thursday evening: each occurrence is the one its rule gives, a Wi-Fi
    // reminder has no date, and every colour is one the windows offer.
    void occurrencesFollowTheRulesAndColoursTheLists()
    {
        ServiceFixture f;
        NoteSyncHandlers notes(*f.service);
        const QDateTime now(QDate(2026, 12, 10), QTime(20, 0));
        QCOMPARE(now.date().dayOfWeek(), 4);
        Clock::setNow(now);
        DemoSeed::seed(f.service->state(), notes, now);
        StandinAccount &demo = *f.service->state().accountByName(DemoSeed::Account);
        const NoteSyncHandlers::Data &d = notes.data(demo);

        const QHash<QString, QString> due{
            {"8101", "2026/12/14 10:00:00"}, // weekly on Monday: next Monday, not tomorrow
            {"8102", "2026/12/10 16:30:00"}, // once, earlier today
            {"8104", "2026/12/25 9:00:00"},  // monthly on the 25th
            {"8202", "2026/12/10 21:00:00"}, // daily at 21:00
            {"8204", "2026/12/13 19:00:00"}, // quarterly
            {"8302", "2026/12/11 7:30:00"},  // weekly on Monday, Wednesday and Friday
        };
        const QStringList palette = CategoryDialogPresenter::colors();
        QStringList textColors;
        for (const TextColorModel &c : TextColorModel::all())
            textColors << c.color.toLower();
        for (const NoteSyncHandlers::Category &c : d.classes)
            QVERIFY2(palette.contains(c.backColor), qPrintable(c.name + " " + c.backColor));
        int checked = 0;
        for (const NoteSyncHandlers::Note &n : d.notes) {
            if (!n.fontColor.isEmpty())
                QVERIFY2(textColors.contains(n.fontColor.toLower()), qPrintable(n.content));
            if (n.remind.isEmpty())
                continue;
            const QString real = n.remind.value("remindRealDateTime").toString();
            if (!n.remind.value("connectWifiIds").toString().isEmpty()) {
                QCOMPARE(n.remind.value("remindDateTime").toString(), QString());
                QCOMPARE(real, QString());
                continue;
            }
            QVERIFY2(DateManager::getDateFromString(real) > now ||
                         n.remind.value("remindCycleType").toInt() == 0,
                     qPrintable(n.content));
            if (due.contains(n.cId)) {
                QCOMPARE(real, due.value(n.cId));
                ++checked;
            }
        }
        QCOMPARE(checked, due.size());
        Clock::reset();
    }

    // The stand-in saves its whole state and a new one loads it: the demo
    // account, its sign-in and a note made in the last run are all there.
    void aRestartKeepsANoteMadeBefore()
    {
        const QString file = TestEnv::rootFolder() + "/demo-state.json";
        QString noteId;
        {
            ServiceFixture f;
            NoteSyncHandlers notes(*f.service);
            DemoSeed::seed(f.service->state(), notes, QDateTime(QDate(2026, 12, 10), QTime(20, 0)));
            auto signIn = f.run([&f](auto ok, auto fail) {
                f.api->loginWithParam({{"account", DemoSeed::Account}, {"passWord", DemoSeed::Password}},
                                      nullptr, ok, fail);
            });
            QVERIFY(signIn->succeeded);
            StandinAccount &demo = *f.service->state().accountByName(DemoSeed::Account);
            SyncClient client(QStringLiteral("desk"), TestEnv::rootFolder(), f, demo);
            QVERIFY(client.pull(SyncEngine::PullKind::Full));
            client.addNote(client.categories().first(), QStringLiteral("重启前写的便签"));
            QVERIFY(client.sync());
            QString error;
            QVERIFY2(StandinStateFile::save(file, f.service->state(), notes, &error), qPrintable(error));
            QVERIFY(QFileInfo(file).permissions() & QFileDevice::ReadOwner);
            QVERIFY(!(QFileInfo(file).permissions() & QFileDevice::ReadOther));
        }
        ServiceFixture f;
        NoteSyncHandlers notes(*f.service);
        QString error;
        QVERIFY2(StandinStateFile::load(file, f.service->state(), notes, &error), qPrintable(error));
        StandinAccount &demo = *f.service->state().accountByName(DemoSeed::Account);
        // The device's sign-in still holds, and another device sees the note.
        SyncClient laptop(QStringLiteral("laptop"), TestEnv::rootFolder(), f, demo);
        QVERIFY(laptop.pull(SyncEngine::PullKind::Full));
        QStringList contents;
        for (const NoteDetail *n : laptop.liveNotes())
            contents << n->content();
        QCOMPARE(contents.size(), 12);
        QVERIFY(contents.contains(QStringLiteral("重启前写的便签")));
        for (const Classify *c : laptop.categories())
            QVERIFY2(notes.isLinear(demo, c->classId()), qPrintable(c->name()));
        // A new account made after the load gets an id of its own.
        const auto demoId = demo.userId; // the account list may move when one is added
        QVERIFY(f.service->state().addAccount("later", "pw").userId != demoId);
    }

    void aDamagedStateFileIsRefusedAndChangesNothing()
    {
        const QString file = TestEnv::rootFolder() + "/damaged-state.json";
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("{\"format\": 1, \"accounts\": [{\"account\": \"x\"}]}");
        out.close();
        ServiceFixture f;
        NoteSyncHandlers notes(*f.service);
        const int before = f.service->state().accounts.size();
        QString error;
        QVERIFY(!StandinStateFile::load(file, f.service->state(), notes, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(f.service->state().accounts.size(), before);
        QVERIFY(!StandinStateFile::load(file + ".missing", f.service->state(), notes, &error));
    }
};

PRELVANE_TEST_MAIN(TestDemoSeed)
#include "tst_demoseed.moc"
