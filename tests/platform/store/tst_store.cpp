#include "platform/store/Store.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardPaths>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

// A two-entity model of our own: folders own items (deleting a folder deletes its items).
class Folder;
class Item;

Model &testModel();

class Folder : public ManagedObject
{
public:
    static const EntityDescription &entity() { return testModel().entityAt(0); }
    QString title() const { return textAt(0); }
    void setTitle(const QString &v) { setSlotValue(0, v); }
    qint16 rank() const { return int16At(1); }
    void setRank(qint16 v) { setSlotValue(1, v); }
    QList<ManagedObject *> items() const { return toMany(0); }
};

class Item : public ManagedObject
{
public:
    static const EntityDescription &entity() { return testModel().entityAt(1); }
    QString name() const { return textAt(0); }
    void setName(const QString &v) { setSlotValue(0, v); }
    qint32 count() const { return int32At(1); }
    bool flag() const { return boolAt(2); }
    float weight() const { return floatAt(3); }
    qint64 big() const { return int64At(4); }
    QVariant blob() const { return objectAt(5); }
    Folder *folder() const { return static_cast<Folder *>(toOne(0)); }
    void setFolder(Folder *f) { setToOne(0, f); }
};

Model &testModel()
{
    static Model m = [] {
        Model model;
        EntityDescription folder;
        folder.name = "Folder";
        folder.attributes = {{"title", AttributeType::Text, true, {}},
                             {"rank", AttributeType::Int16, false, {}}};
        folder.relationships = {{"items", "Item", "folder", true, false, DeleteRule::Cascade}};
        folder.factory = [] { return new Folder; };
        model.addEntity(folder);
        EntityDescription item;
        item.name = "Item";
        item.attributes = {
            {"name", AttributeType::Text, true, {}},  {"count", AttributeType::Int32, false, {}},
            {"flag", AttributeType::Bool, false, {}}, {"weight", AttributeType::Float, false, {}},
            {"big", AttributeType::Int64, false, {}}, {"blob", AttributeType::Object, false, {}}};
        item.relationships = {{"folder", "Folder", "items", false, true, DeleteRule::Nullify}};
        item.factory = [] { return new Item; };
        model.addEntity(item);
        return model;
    }();
    return m;
}

static void rawExec(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char *err = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
    QVERIFY2(rc == SQLITE_OK, err ? err : "");
    sqlite3_close(db);
}

class TestStore : public QObject
{
    Q_OBJECT

    QString m_folder;
    QString storePath() const { return m_folder + "/test.sqlite"; }
    std::unique_ptr<Store> openStore(StoreOpenResult *r = nullptr)
    {
        return Store::open(storePath(), testModel(), r);
    }

private slots:
    void init() { m_folder = TestEnv::freshFolders(); }

    void oneObjectPerRowAndPendingChangesAreQueried()
    {
        auto store = openStore();
        QVERIFY(store);
        Context *ctx = store->mainContext();
        auto *a = ctx->create<Item>();
        a->setName("alpha");
        // Not saved yet: queries already see it, as the same object.
        QCOMPARE(ctx->findFirstByAttribute<Item>("name", "alpha"), a);
        QCOMPARE(ctx->findAll<Item>().size(), 1);
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(ctx->findFirstByAttribute<Item>("name", "alpha"), a);

        // A change through one reference is what every later lookup returns.
        Item *again = ctx->findAll<Item>().first();
        again->setName("beta");
        QCOMPARE(a->name(), QString("beta"));
        QVERIFY(!ctx->findFirstByAttribute<Item>("name", "alpha"));
        QCOMPARE(ctx->findFirstByAttribute<Item>("name", "beta"), a);

        // A pending deletion hides the row before it is saved.
        ctx->deleteObject(a);
        QVERIFY(a->isDeleted());
        QVERIFY(ctx->findAll<Item>().isEmpty());
        QVERIFY(ctx->saveAndWait());
        auto other = store->newContext();
        QVERIFY(other->findAll<Item>().isEmpty());
    }

    void queryValuesAreBoundNotSpliced()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        ctx->create<Item>()->setName("x' OR '1'='1");
        ctx->create<Item>()->setName("plain");
        QVERIFY(ctx->saveAndWait());
        auto fresh = store->newContext();
        QCOMPARE(fresh->findByAttribute<Item>("name", "x' OR '1'='1").size(), 1);
        QCOMPARE(fresh->findByAttribute<Item>("name", "' OR 1=1 --").size(), 0);
    }

    void sortedQueryWithCondition()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        for (int r : {3, 1, 2, 5}) {
            auto *f = ctx->create<Folder>();
            f->setRank(qint16(r));
            f->setTitle(r == 5 ? "skip" : "keep");
        }
        const auto rows =
            ctx->findAllSortedBy<Folder>("rank", true, [](const Folder *f) { return f->title() == "keep"; });
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.at(0)->rank(), qint16(1));
        QCOMPARE(rows.at(2)->rank(), qint16(3));
        const auto desc = ctx->findAllSortedBy<Folder>("rank", false);
        QCOMPARE(desc.first()->rank(), qint16(5));
    }

    void importConvertsTypes_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<double>("weight");
        QTest::addColumn<qint64>("big");
        QTest::newRow("numbers as text")
            << QByteArray(R"({"name":"n","count":"42","flag":"1","weight":"2.5","big":"9007199254740"})")
            << "n" << 42 << true << 2.5 << qint64(9007199254740);
        QTest::newRow("text as number")
            << QByteArray(R"({"name":12345,"count":7,"flag":true,"weight":1,"big":3})") << "12345" << 7
            << true << 1.0 << qint64(3);
        QTest::newRow("unknown keys ignored")
            << QByteArray(R"({"name":"k","other":"x","folder":5,"count":1})") << "k" << 1 << false << 0.0
            << qint64(0);
        QTest::newRow("bad values skipped")
            << QByteArray(R"({"name":"b","count":"many","flag":"perhaps","weight":"heavy","big":[1]})") << "b"
            << 0 << false << 0.0 << qint64(0);
        QTest::newRow("out of range skipped")
            << QByteArray(R"({"name":"r","count":"99999999999"})") << "r" << 0 << false << 0.0 << qint64(0);
        QTest::newRow("null clears text keeps numbers")
            << QByteArray(R"({"name":null,"count":null})") << QString() << 0 << false << 0.0 << qint64(0);
    }

    void importConvertsTypes()
    {
        QFETCH(QByteArray, json);
        auto store = openStore();
        Context *ctx = store->mainContext();
        auto *item = ctx->create<Item>();
        item->importValuesForKeys(QJsonDocument::fromJson(json).object());
        QVERIFY(ctx->saveAndWait());
        auto fresh = store->newContext();
        Item *read = fresh->findAll<Item>().first();
        QTEST(read->name(), "name");
        QTEST(read->count(), "count");
        QTEST(read->flag(), "flag");
        QTEST(double(read->weight()), "weight");
        QTEST(read->big(), "big");
        QVERIFY(!read->folder());
    }

    void deleteRulesAndVanishedRows()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        auto *f = ctx->create<Folder>();
        auto *a = ctx->create<Item>();
        auto *b = ctx->create<Item>();
        a->setFolder(f);
        b->setFolder(f);
        QCOMPARE(f->items().size(), 2);
        QVERIFY(ctx->saveAndWait());
        b->setFolder(nullptr);
        QCOMPARE(f->items().size(), 1);
        ctx->deleteObject(f);
        QVERIFY(a->isDeleted()); // cascade
        QVERIFY(!b->isDeleted());
        QVERIFY(ctx->saveAndWait());
        QVERIFY(!b->folder());
        // A held pointer to a gone row stays safe and reads as absent.
        QVERIFY(!ctx->existing<Item>(a->objectId()));
        a->setName("ignored");
        QVERIFY(!ctx->hasChanges());
        QCOMPARE(store->newContext()->findAll<Item>().size(), 1);
    }

    void olderSchemaKeepsRows()
    {
        rawExec(storePath(), "CREATE TABLE Folder (pk INTEGER PRIMARY KEY, title TEXT);"
                             "INSERT INTO Folder (pk, title) VALUES (7, 'old');");
        StoreOpenResult r;
        auto store = openStore(&r);
        QVERIFY(store);
        QCOMPARE(r.status, StoreOpenResult::Opened);
        Context *ctx = store->mainContext();
        Folder *old = ctx->findFirstByAttribute<Folder>("title", "old");
        QVERIFY(old);
        QCOMPARE(old->rank(), qint16(0));
        // The new column and the missing table are usable; new keys do not collide.
        old->setRank(4);
        auto *item = ctx->create<Item>();
        item->setFolder(old);
        QVERIFY(item->objectId().pk > 7);
        QVERIFY(ctx->saveAndWait());
        auto fresh = store->newContext();
        QCOMPARE(fresh->findFirstByAttribute<Folder>("title", "old")->rank(), qint16(4));
        QCOMPARE(fresh->findAll<Item>().first()->folder()->title(), QString("old"));
    }

    void unreadableFileIsMovedAsideAndReported()
    {
        QFile f(storePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("this is not a database, just some bytes that belong to the user").repeated(100));
        f.close();
        StoreOpenResult r;
        auto store = openStore(&r);
        QVERIFY(store);
        QCOMPARE(r.status, StoreOpenResult::Recovered);
        QVERIFY(r.wasRecovered());
        QVERIFY(QFile::exists(r.movedAsidePath));
        QFile aside(r.movedAsidePath);
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QVERIFY(aside.readAll().startsWith("this is not a database"));
        // The new store works.
        store->mainContext()->create<Folder>()->setTitle("fresh");
        QVERIFY(store->mainContext()->saveAndWait());
        QCOMPARE(store->openResult().status, StoreOpenResult::Recovered);
    }

    void failedSaveIsReportedAndKeepsChanges()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        rawExec(storePath(),
                "CREATE TRIGGER refuse BEFORE INSERT ON Item BEGIN SELECT RAISE(ABORT, 'refused'); END;");
        ctx->create<Folder>()->setTitle("f");
        ctx->create<Item>()->setName("i");
        const SaveResult r = ctx->saveAndWait();
        QVERIFY(!r.ok);
        QVERIFY(r.error.contains("refused"));
        QVERIFY(ctx->hasChanges());
        // One transaction: the folder was not written either.
        QVERIFY(store->newContext()->findAll<Folder>().isEmpty());
        QCOMPARE(ctx->findAll<Item>().size(), 1);
        rawExec(storePath(), "DROP TRIGGER refuse;");
        QVERIFY(ctx->saveAndWait());
        auto fresh = store->newContext();
        QCOMPARE(fresh->findAll<Folder>().size(), 1);
        QCOMPARE(fresh->findAll<Item>().size(), 1);
    }

    void rollbackRestoresStoredValues()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        auto *f = ctx->create<Folder>();
        f->setTitle("saved");
        QVERIFY(ctx->saveAndWait());
        f->setTitle("edited");
        auto *n = ctx->create<Folder>();
        ctx->rollback();
        QCOMPARE(f->title(), QString("saved"));
        QVERIFY(n->isDeleted());
        QVERIFY(!ctx->hasChanges());
    }

    void backgroundSaveMergesIntoMain()
    {
        auto store = openStore();
        Context *main = store->mainContext();
        auto *kept = main->create<Folder>();
        kept->setTitle("kept");
        auto *gone = main->create<Folder>();
        gone->setTitle("gone");
        QVERIFY(main->saveAndWait());
        const ObjectId keptId = kept->objectId(), goneId = gone->objectId();

        QSignalSpy merged(main, &Context::changesMerged);
        bool done = false;
        SaveResult result;
        store->saveInBackground(
            [&](Context &bg) {
                bg.existing<Folder>(keptId)->setRank(9);
                bg.deleteObject(bg.existing<Folder>(goneId));
                for (int i = 0; i < 10000; ++i) {
                    auto *item = bg.create<Item>();
                    item->setName(QString::number(i));
                    item->setFolder(bg.existing<Folder>(keptId));
                }
            },
            [&](const SaveResult &r) {
                result = r;
                done = true;
            });
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
        QVERIFY(result.ok);
        QCOMPARE(merged.count(), 1);
        QCOMPARE(kept->rank(), qint16(9)); // same object, new value
        QVERIFY(gone->isDeleted());
        QCOMPARE(main->findFirstByAttribute<Folder>("title", "kept"), kept);
        QCOMPARE(kept->items().size(), 10000);
        QVERIFY(main->findFirstByAttribute<Item>("name", "9999"));
    }

    void committedSaveSurvivesCrash()
    {
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            auto store = Store::open(storePath(), testModel());
            if (!store)
                _exit(2);
            store->mainContext()->create<Folder>()->setTitle("durable");
            const bool ok = bool(store->mainContext()->saveAndWait());
            _exit(ok ? 0 : 1); // no clean close, no checkpoint
        }
        int status = 0;
        waitpid(child, &status, 0);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        auto store = openStore();
        QVERIFY(store->mainContext()->findFirstByAttribute<Folder>("title", "durable"));
    }
};

PRELVANE_TEST_CORE_MAIN(TestStore)
#include "tst_store.moc"
