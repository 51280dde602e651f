#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/MagicalRecordManager.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "core/model/NoteLogDiffItem.h"
#include "core/model/NoteLogTransformer.h"
#include "core/model/UserInfo.h"
#include "core/model/UserManager.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Store.h"
#include "tests/support/TestEnv.h"

#include <QFileInfo>
#include <QStandardPaths>

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
        const StoreOpenResult r = MagicalRecordManager::setupCoreData();
        QCOMPARE(r.status, StoreOpenResult::Created);
    }
    void cleanup() { MagicalRecordManager::cleanUp(); }

    void storeFileIsInTheDataFolder()
    {
        const QString path = MagicalRecordManager::store()->path();
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
        Context *ctx = Context::defaultContext();
        ManagedObject *o = ctx->createObject(e);
        for (int i = 0; i < e.attributes.size(); ++i)
            QVERIFY2(o->setValue(e.attributes.at(i).name, sampleValue(e.attributes.at(i), i)),
                     qPrintable(e.attributes.at(i).name));
        QVERIFY(ctx->saveAndWait());

        auto fresh = MagicalRecordManager::store()->newContext();
        const QList<ManagedObject *> rows = fresh->fetchAll(e);
        QCOMPARE(rows.size(), 1);
        for (int i = 0; i < e.attributes.size(); ++i) {
            const AttributeDef &a = e.attributes.at(i);
            QCOMPARE(rows.first()->value(a.name), sampleValue(a, i));
        }
    }

    void typedAccessorsMatchTheirAttributes()
    {
        Context *ctx = Context::defaultContext();
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
        Context *ctx = Context::defaultContext();
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

        auto fresh = MagicalRecordManager::store()->newContext();
        auto *fc = fresh->findAll<Classify>().first();
        QCOMPARE(fc->notes().size(), 2);
        int withRemind = 0;
        for (NoteDetail *n : fc->notes())
            withRemind += n->remind() ? 1 : 0;
        QCOMPARE(withRemind, 1);
    }

    void deleteRules()
    {
        Context *ctx = Context::defaultContext();
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
        auto fresh = MagicalRecordManager::store()->newContext();
        QCOMPARE(fresh->findAll<NoteDetail>().size(), 1);
        QVERIFY(fresh->findAll<DateRemind>().isEmpty());
        QVERIFY(!fresh->findAll<NoteDetail>().first()->remind());
    }

    void diffItemsRoundTrip()
    {
        Context *ctx = Context::defaultContext();
        const QVariantList spans{QVariantMap{{"diffType", 2}, {"diffStartIndex", 5}, {"diffLength", 3}},
                                 QVariantMap{{"diffType", 1}, {"diffStartIndex", 0}, {"diffLength", 12}}};
        auto *log = ctx->create<NoteLog>();
        log->setTId("t1");
        log->setDiffItems(spans);
        QVERIFY(ctx->saveAndWait());
        auto fresh = MagicalRecordManager::store()->newContext();
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
        Context *ctx = Context::defaultContext();
        ctx->create<UserInfo>()->setUserId(41);
        auto *me = ctx->create<UserInfo>();
        me->setUserId(42);
        QVERIFY(ctx->saveAndWait());
        if (stored.isValid())
            UserDefaults::setValue("userId", stored);
        else
            UserDefaults::remove("userId");
        QCOMPARE(UserManager::getCurrentInfo(), found ? me : nullptr);
    }
};

PRELVANE_TEST_CORE_MAIN(TestModel)
#include "tst_model.moc"
