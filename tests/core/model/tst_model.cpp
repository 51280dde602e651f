#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "core/model/NoteLogDiffItem.h"
#include "core/model/NoteLogTransformer.h"
#include "core/model/UserInfo.h"
#include "core/model/UserManager.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Store.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

// A distinct value of the attribute's type, derived from its position.
static QVariant sampleValue(const AttributeDef &a, int i)
{
    switch (a.type) {
    case AttributeType::Int16:
        return qlonglong(-100 - i);
    case AttributeType::Int32:
        return qlonglong(70000 + i);
    case AttributeType::Int64:
        return qlonglong(5000000000LL + i);
    case AttributeType::Bool:
        return true;
    case AttributeType::Float:
        return float(12.5f + i);
    case AttributeType::Text:
        return QString("值-%1-%2").arg(a.name).arg(i);
    case AttributeType::Object:
        return QVariantList{QVariantMap{{"diffType", 1}, {"diffStartIndex", i}, {"diffLength", 2}}};
    }
    return {};
}

class TestModel : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        TestEnv::freshFolders();
        const StoreOpenResult r = TestStore::setupCoreData();
        QCOMPARE(r.status, StoreOpenResult::Created);
    }
    void cleanup() { TestStore::cleanUp(); }

    void storeFileIsInTheDataFolder()
    {
        const QString path = TestStore::store()->path();
        QCOMPARE(QFileInfo(path).fileName(), QString("LoginAccount.sqlite"));
        QCOMPARE(QFileInfo(path).absolutePath(),
                 QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        QVERIFY(path.startsWith(TestEnv::rootFolder()));
        QVERIFY(QFileInfo::exists(path));
    }

    void everyEntityRoundTrips_data()
    {
        QTest::addColumn<int>("entity");
        for (const EntityDescription &e : DataModel::model().entities())
            QTest::newRow(qPrintable(e.name)) << e.index;
    }

    void everyEntityRoundTrips()
    {
        QFETCH(int, entity);
        const EntityDescription &e = DataModel::model().entityAt(entity);
        Context *ctx = TestStore::context();
        ManagedObject *o = ctx->createObject(e);
        for (int i = 0; i < e.attributes.size(); ++i)
            QVERIFY2(o->setValue(e.attributes.at(i).name, sampleValue(e.attributes.at(i), i)),
                     qPrintable(e.attributes.at(i).name));
        QVERIFY(ctx->saveAndWait());

        auto fresh = TestStore::store()->newContext();
        const QList<ManagedObject *> rows = fresh->fetchAll(e);
        QCOMPARE(rows.size(), 1);
        for (int i = 0; i < e.attributes.size(); ++i) {
            const AttributeDef &a = e.attributes.at(i);
            QCOMPARE(rows.first()->value(a.name), sampleValue(a, i));
        }
    }

    void typedAccessorsMatchTheirAttributes()
    {
        Context *ctx = TestStore::context();
        auto *n = ctx->create<NoteDetail>();
        n->importValuesForKeys(
            QJsonObject{{"cId", 1234}, {"sort", "3"}, {"isSync", 1}, {"isCompleted", "0"}});
        QCOMPARE(n->cId(), QString("1234"));
        QCOMPARE(n->sort(), qint16(3));
        QVERIFY(n->isSync());
        QVERIFY(!n->isCompleted());
        QVERIFY(n->fontColor().isNull());
        auto *u = ctx->create<UserInfo>();
        u->importValuesForKeys(QJsonObject{{"userId", "88"}, {"isOAuthQQ", true}, {"nick", "小明"}});
        QCOMPARE(u->userId(), 88);
        QVERIFY(u->isOAuthQQ());
        QCOMPARE(u->nick(), QString("小明"));
    }

    void relationshipsStayConsistent()
    {
        Context *ctx = TestStore::context();
        auto *c = ctx->create<Classify>();
        auto *n1 = ctx->create<NoteDetail>();
        auto *n2 = ctx->create<NoteDetail>();
        n1->setClassify(c);
        c->addNotesObject(n2);
        QCOMPARE(c->notes().size(), 2);
        QCOMPARE(n2->classify(), c);

        auto *r = ctx->create<DateRemind>();
        n1->setRemind(r);
        QCOMPARE(r->noteDetail(), n1);
        // One reminder per note: moving it takes it away from the first note.
        r->setNoteDetail(n2);
        QCOMPARE(n2->remind(), r);
        QVERIFY(!n1->remind());
        QVERIFY(ctx->saveAndWait());

        auto fresh = TestStore::store()->newContext();
        auto *fc = fresh->findAll<Classify>().first();
        QCOMPARE(fc->notes().size(), 2);
        int withRemind = 0;
        for (NoteDetail *n : fc->notes())
            withRemind += n->remind() ? 1 : 0;
        QCOMPARE(withRemind, 1);
    }

    void deleteRules()
    {
        Context *ctx = TestStore::context();
        auto *c = ctx->create<Classify>();
        auto *n = ctx->create<NoteDetail>();
        auto *r = ctx->create<DateRemind>();
        n->setClassify(c);
        n->setRemind(r);
        auto *lone = ctx->create<NoteDetail>();
        auto *loneRemind = ctx->create<DateRemind>();
        lone->setRemind(loneRemind);
        QVERIFY(ctx->saveAndWait());

        // Deleting a reminder leaves the note without one.
        ctx->deleteObject(loneRemind);
        QVERIFY(!lone->remind());
        QVERIFY(!lone->isDeleted());
        // Deleting a category deletes its notes and their reminders.
        ctx->deleteObject(c);
        QVERIFY(n->isDeleted());
        QVERIFY(r->isDeleted());
        QVERIFY(ctx->saveAndWait());
        auto fresh = TestStore::store()->newContext();
        QCOMPARE(fresh->findAll<NoteDetail>().size(), 1);
        QVERIFY(fresh->findAll<DateRemind>().isEmpty());
        QVERIFY(!fresh->findAll<NoteDetail>().first()->remind());
    }

    void attributesAreExactlyTheTables_data()
    {
        QTest::addColumn<QString>("entity");
        QTest::addColumn<QString>("attributes");
        QTest::newRow("NoteDetail")
            << "NoteDetail"
            << "cId:text classId:text content:text fontColor:text isCompleted:bool "
               "completedTime:text nextId:text sort:int16 actionType:int16 isSync:bool "
               "isError:bool";
        QTest::newRow("Classify") << "Classify"
                                  << "classId:text name:text backColor:text sort:int16 version:text "
                                     "actionType:int16 isSync:bool";
        QTest::newRow("DateRemind")
            << "DateRemind"
            << "cId:text remindActionType:int16 remindDateType:int16 remindDateTime:text "
               "remindRealDateTime:text remindCycleType:int16 remindCycleInterval:int16 "
               "remindCycleSpecific:text remindEndTime:text remindRType:int16 remindDelayTime:text "
               "connectWifiIds:text connectWifiType:int16 remindWifiStatus:int16 remindWifiDateTime:text";
        QTest::newRow("NoteLog") << "NoteLog"
                                 << "tId:text cId:text classId:text classifyName:text content:text "
                                    "createTime:text actionType:int16 terminalId:int16 diffItems:object "
                                    "cellHeight:float sort:int64";
        QTest::newRow("NoteComplete") << "NoteComplete"
                                      << "tId:text cId:text classId:text content:text completedTime:text "
                                         "terminalId:int16 sort:int64";
        QTest::newRow("UserInfo")
            << "UserInfo"
            << "userId:int32 account:text nick:text avatar:text mobile:text email:text weChat:text "
               "mobileBindStatus:int16 emailBindStatus:int16 weChatBindStatus:int16 isOAuthQQ:bool "
               "isOAuthWeChat:bool isOpenWeChatReminder:bool isEmptyPassword:bool isDefaultLockScreen:bool "
               "lockScreenPassword:text lockScreenType:int16 syncSettings:text regType:int16 userState:int16 "
               "activatedTime:text isRealAuthentication:bool belongerRealName:text "
               "belongerIDCardNumber:text userKey:text version:text";
        QTest::newRow("UserSet")
            << "UserSet"
            << "noteAddPositionType:int16 noteCompleteActionType:int16 hyperlinkDistinguish:bool "
               "noteFontSize:float remindTypes:text remindSoundName:text remindSoundPath:text "
               "importantRemindInterval:int16 wifiSilenceRemindInterval:int16 newSkinColor:text "
               "skinType:int16 timerPushCycle:int16 timerPushCycleTime:text timerPushCTypes:text "
               "timerPushEmail:text pushEmailCount:int16";
        QTest::newRow("LoginAccount") << "LoginAccount"
                                      << "userId:int32 account:text autoLogin:bool";
        QTest::newRow("WiFiRemind") << "WiFiRemind"
                                    << "wifiId:text name:text alias:text actionType:int16";
        QTest::newRow("UISkin") << "UISkin"
                                << "nameId:text bgColor:text barColor:text selectColor:text isCurrSkin:bool "
                                   "sort:int16";
    }

    void attributesAreExactlyTheTables()
    {
        QFETCH(QString, entity);
        QFETCH(QString, attributes);
        static const QHash<AttributeType, QString> typeNames{
            {AttributeType::Int16, "int16"},  {AttributeType::Int32, "int32"},
            {AttributeType::Int64, "int64"},  {AttributeType::Bool, "bool"},
            {AttributeType::Float, "float"},  {AttributeType::Text, "text"},
            {AttributeType::Object, "object"}};
        const EntityDescription *e = DataModel::model().entity(entity);
        QVERIFY(e);
        QStringList actual;
        for (const AttributeDef &a : e->attributes)
            actual << a.name + ':' + typeNames.value(a.type);
        QStringList expected = attributes.split(' ');
        actual.sort();
        expected.sort();
        QCOMPARE(actual, expected);
        QCOMPARE(DataModel::model().entityCount(), 10);
    }

    void relationshipsAndInverses()
    {
        auto rel = [](const QString &entity, const QString &name) -> const RelationshipDef * {
            const EntityDescription *e = DataModel::model().entity(entity);
            const int i = e ? e->relationshipIndex(name) : -1;
            return i >= 0 ? &e->relationships.at(i) : nullptr;
        };
        const RelationshipDef *classify = rel("NoteDetail", "classify");
        const RelationshipDef *notes = rel("Classify", "notes");
        const RelationshipDef *remind = rel("NoteDetail", "remind");
        const RelationshipDef *noteDetail = rel("DateRemind", "noteDetail");
        QVERIFY(classify && notes && remind && noteDetail);
        QCOMPARE(classify->target, QString("Classify"));
        QCOMPARE(classify->inverse, QString("notes"));
        QVERIFY(!classify->toMany);
        QCOMPARE(notes->target, QString("NoteDetail"));
        QCOMPARE(notes->inverse, QString("classify"));
        QVERIFY(notes->toMany);
        QCOMPARE(notes->deleteRule, DeleteRule::Cascade);
        QCOMPARE(remind->target, QString("DateRemind"));
        QCOMPARE(remind->inverse, QString("noteDetail"));
        QCOMPARE(remind->deleteRule, DeleteRule::Cascade);
        QVERIFY(!remind->toMany && !noteDetail->toMany);
        QCOMPARE(noteDetail->target, QString("NoteDetail"));
        QCOMPARE(noteDetail->inverse, QString("remind"));
        QCOMPARE(noteDetail->deleteRule, DeleteRule::Nullify);
        // Deleting a note leaves its category alone.
        QCOMPARE(classify->deleteRule, DeleteRule::Nullify);
    }

    void hostileImportChangesOnlyWhatConverts()
    {
        Context *ctx = TestStore::context();
        auto *c = ctx->create<Classify>();
        c->setClassId("k1");
        auto *n = ctx->create<NoteDetail>();
        n->setCId("n1");
        n->setContent("kept");
        n->setSort(4);
        n->setClassify(c);
        auto *r = ctx->create<DateRemind>();
        n->setRemind(r);
        QVERIFY(ctx->saveAndWait());
        const QByteArray json = R"({
            "content": {"text": "nested"}, "fontColor": ["#fff"], "sort": -40000, "actionType": 1e300,
            "isCompleted": "YES", "isError": "maybe", "isSync": "true", "nextId": 77,
            "classify": {"classId": "other"}, "remind": null, "notes": [], "noteDetail": 1, "pk": 999,
            "completedTime": null, "classId": "k2"
        })";
        n->importValuesForKeys(QJsonDocument::fromJson(json).object());
        QCOMPARE(n->content(), QString("kept"));
        QVERIFY(n->fontColor().isNull());
        QCOMPARE(n->sort(), qint16(4));
        QCOMPARE(n->actionType(), qint16(0));
        QVERIFY(n->isCompleted());
        QVERIFY(!n->isError());
        QVERIFY(n->isSync());
        QCOMPARE(n->nextId(), QString("77"));
        QCOMPARE(n->classId(), QString("k2"));
        // Relationship names are not attributes: the links stay.
        QCOMPARE(n->classify(), c);
        QCOMPARE(n->remind(), r);
        QVERIFY(ctx->saveAndWait());
        auto fresh = TestStore::store()->newContext();
        NoteDetail *back = fresh->findFirstByAttribute<NoteDetail>("cId", "n1");
        QVERIFY(back && back->classify() && back->remind());
        QCOMPARE(back->classify()->classId(), QString("k1"));
        QCOMPARE(fresh->findAll<Classify>().size(), 1);

        // The same through the map form that callers build by hand.
        auto *u = ctx->create<UserInfo>();
        u->importValuesForKeys(QVariantMap{{"userId", "99999999999"},
                                           {"lockScreenType", QVariantList{1}},
                                           {"nick", QVariantMap{{"a", 1}}},
                                           {"isOAuthQQ", "NO"},
                                           {"mobileBindStatus", std::numeric_limits<double>::quiet_NaN()}});
        QCOMPARE(u->userId(), 0);
        QCOMPARE(u->lockScreenType(), qint16(0));
        QVERIFY(u->nick().isNull());
        QVERIFY(!u->isOAuthQQ());
        QCOMPARE(u->mobileBindStatus(), qint16(0));
    }

    void largeBackgroundImportKeepsTheMainThreadFree()
    {
        // A first pull of a big account: 10,000 notes, half of them with a reminder,
        // written on the background and merged into a main context that shows rows.
        Context *main = TestStore::context();
        Store *store = TestStore::store();
        auto *shown = main->create<Classify>();
        shown->setClassId("k0");
        for (int i = 0; i < 200; ++i) {
            auto *n = main->create<NoteDetail>();
            n->setCId(QString("n%1").arg(i));
            n->setClassify(shown);
        }
        QVERIFY(main->saveAndWait());
        QCOMPARE(shown->notes().size(), 200); // the view holds these rows

        QElapsedTimer clock;
        qint64 longestStall = 0, last = 0;
        QTimer ticker;
        ticker.setInterval(2);
        connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            longestStall = qMax(longestStall, now - last);
            last = now;
        });
        bool done = false;
        SaveResult result;
        // Meanwhile the user keeps saving edits on the main thread.
        qint64 longestSave = 0;
        int saves = 0;
        auto saveUntilDone = [&] {
            longestSave = 0;
            // Until the worker reports back (a hung import ends at the test's own time-out).
            while (!done) {
                shown->setName(QString::number(saves++));
                QElapsedTimer t;
                t.start();
                if (!main->saveAndWait())
                    return false;
                longestSave = qMax(longestSave, t.elapsed());
                QTest::qWait(5);
            }
            return done;
        };
        qint64 blockMs = 0;
        QThread *const mainThread = QThread::currentThread();
        QThread *importThread = mainThread;
        QThread *updateThread = mainThread;
        clock.start();
        ticker.start();
        store->saveInBackground(
            [&](Context &bg) {
                importThread = QThread::currentThread();
                QElapsedTimer t;
                t.start();
                QList<Classify *> cats;
                for (int c = 0; c < 20; ++c) {
                    auto *k = bg.create<Classify>();
                    k->importValuesForKeys(QJsonObject{{"classId", QString("k%1").arg(c + 1)}, {"sort", c}});
                    cats << k;
                }
                for (int i = 0; i < 10000; ++i) {
                    const QString cId = QString::number(100000 + i);
                    NoteDetail *n = bg.findFirstByAttribute<NoteDetail>("cId", cId);
                    if (!n)
                        n = bg.create<NoteDetail>();
                    n->importValuesForKeys(QJsonObject{{"cId", cId},
                                                       {"classId", cats.at(i % 20)->classId()},
                                                       {"content", QString("内容 %1").arg(i)},
                                                       {"sort", i % 500},
                                                       {"nextId", "-1"}});
                    n->setClassify(cats.at(i % 20));
                    if (i % 2 == 0) {
                        auto *r = bg.create<DateRemind>();
                        r->importValuesForKeys(QJsonObject{
                            {"cId", cId}, {"remindDateTime", "2024/5/1 9:00:00"}, {"remindCycleType", 1}});
                        n->setRemind(r);
                    }
                }
                blockMs = t.elapsed();
            },
            [&](const SaveResult &r) {
                result = r;
                done = true;
            });
        QVERIFY(saveUntilDone());
        const qint64 totalMs = clock.elapsed();
        ticker.stop();
        QVERIFY(result.ok);

        clock.restart();
        const QList<NoteDetail *> all = main->findAll<NoteDetail>();
        const qint64 fetchMs = clock.elapsed();
        clock.restart();
        Classify *k1 = main->findFirstByAttribute<Classify>("classId", "k1");
        QVERIFY(k1);
        const int inK1 = int(k1->notes().size());
        const qint64 relationMs = clock.elapsed();
        qInfo(
            "import %lld ms on the worker, %lld ms in all; main thread: longest stall %lld ms, "
            "longest of %d saves meanwhile %lld ms; then fetching 10,200 notes %lld ms, one category's notes "
            "%lld ms",
            blockMs, totalMs, longestStall, saves, longestSave, fetchMs, relationMs);
        QCOMPARE(all.size(), 10200);
        QCOMPARE(inK1, 500);
        QCOMPARE(main->findAll<DateRemind>().size(), 5000);
        QCOMPARE(shown->notes().size(), 200);
        QVERIFY(main->findFirstByAttribute<NoteDetail>("cId", "109998")->remind());
        // A second pull changes every note the main context now holds.
        saves = 0;
        done = false;
        clock.restart();
        last = 0;
        longestStall = 0;
        ticker.start();
        store->saveInBackground(
            [&](Context &bg) {
                updateThread = QThread::currentThread();
                for (int i = 0; i < 10000; ++i) {
                    NoteDetail *n = bg.findFirstByAttribute<NoteDetail>("cId", QString::number(100000 + i));
                    n->importValuesForKeys(
                        QJsonObject{{"content", QString("改 %1").arg(i)}, {"isSync", true}});
                }
            },
            [&](const SaveResult &r) {
                result = r;
                done = true;
            });
        QVERIFY(saveUntilDone());
        ticker.stop();
        QVERIFY(result.ok);
        qInfo(
            "update of 10,000 held notes: %lld ms in all; main thread: longest stall %lld ms, longest of %d "
            "saves meanwhile %lld ms",
            clock.elapsed(), longestStall, saves, longestSave);
        QCOMPARE(all.last()->content(), QString("改 9999"));
        QCOMPARE(shown->name(), QString::number(saves - 1));

        // The point: nothing of either import runs on the main thread, which kept
        // saving meanwhile. The stall figures above are for reading only: how long
        // a loaded machine takes says nothing about where the work ran.
        QVERIFY(importThread != mainThread);
        QVERIFY(updateThread != mainThread);
        QVERIFY(saves > 0);
    }

    void diffItemsRoundTrip()
    {
        Context *ctx = TestStore::context();
        const QVariantList spans{QVariantMap{{"diffType", 2}, {"diffStartIndex", 5}, {"diffLength", 3}},
                                 QVariantMap{{"diffType", 1}, {"diffStartIndex", 0}, {"diffLength", 12}}};
        auto *log = ctx->create<NoteLog>();
        log->setTId("t1");
        log->setDiffItems(spans);
        QVERIFY(ctx->saveAndWait());
        auto fresh = TestStore::store()->newContext();
        QCOMPARE(fresh->findFirstByAttribute<NoteLog>("tId", "t1")->diffItems().toList(), spans);

        NoteLogDiffItem item;
        item.setDiffType(2);
        item.setDiffStartIndex(5);
        item.setDiffLength(3);
        QCOMPARE(NoteLogDiffItem::decode(item.encode()), item);
        // Spans given as items are stored as the same dictionaries.
        const QVariant back = NoteLogTransformer::reverseTransformedValue(
            NoteLogTransformer::transformedValue(QVariantList{QVariant::fromValue(item)}));
        QCOMPARE(back.toList(), QVariantList{spans.first()});
        QCOMPARE(NoteLogTransformer::reverseTransformedValue("garbage").toList(), QVariantList());
    }

    void currentUserComparesIdsAsIntegers_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("found");
        QTest::newRow("number") << QVariant(42) << true;
        QTest::newRow("text") << QVariant("42") << true;
        QTest::newRow("other user") << QVariant("43") << false;
        QTest::newRow("not a number") << QVariant("abc") << false;
        QTest::newRow("absent") << QVariant() << false;
    }

    void currentUserComparesIdsAsIntegers()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, found);
        Context *ctx = TestStore::context();
        ctx->create<UserInfo>()->setUserId(41);
        auto *me = ctx->create<UserInfo>();
        me->setUserId(42);
        QVERIFY(ctx->saveAndWait());
        if (stored.isValid())
            UserDefaults::setValue("userId", stored);
        else
            UserDefaults::remove("userId");
        QCOMPARE(UserManager(*ctx).getCurrentInfo(), found ? me : nullptr);
    }
};

PRELVANE_TEST_CORE_MAIN(TestModel)
#include "tst_model.moc"
