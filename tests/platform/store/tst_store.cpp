#include "platform/store/Store.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardPaths>

#include <cmath>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

// A two-entity model of our own: folders own items (deleting a folder deletes its items).
class Folder;
class Item;
class Tag;

Model &testModel();
Q_DECLARE_METATYPE(Predicate)

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
    Tag *tag() const;
    void setTag(Tag *t);
};

// One-to-one with items: an item keeps its tag's key; a tag has at most one item.
class Tag : public ManagedObject
{
public:
    static const EntityDescription &entity() { return testModel().entityAt(2); }
    QString label() const { return textAt(0); }
    void setLabel(const QString &v) { setSlotValue(0, v); }
    Item *item() const { return static_cast<Item *>(toOne(0)); }
    void setItem(Item *i) { setToOne(0, i); }
};

Tag *Item::tag() const
{
    return static_cast<Tag *>(toOne(1));
}

void Item::setTag(Tag *t)
{
    setToOne(1, t);
}

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
        item.relationships = {{"folder", "Folder", "items", false, true, DeleteRule::Nullify},
                              {"tag", "Tag", "item", false, true, DeleteRule::Nullify}};
        item.factory = [] { return new Item; };
        model.addEntity(item);
        EntityDescription tag;
        tag.name = "Tag";
        tag.attributes = {{"label", AttributeType::Text, true, {}}};
        tag.relationships = {{"item", "Item", "tag", false, false, DeleteRule::Nullify}};
        tag.factory = [] { return new Tag; };
        model.addEntity(tag);
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

static QString rawText(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *stmt = nullptr;
    QString out = "<error>";
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            out = sqlite3_column_type(stmt, 0) == SQLITE_NULL
                      ? QString("<null>")
                      : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        else if (rc == SQLITE_DONE)
            out = "<none>";
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return out;
}

// A new folder with a title, not saved yet.
static Folder *newFolder(Context *ctx, const QString &title)
{
    auto *f = ctx->create<Folder>();
    f->setTitle(title);
    return f;
}

// What a background save's completion reported; the test waits for `done` itself.
struct BackgroundSave
{
    bool done = false;
    SaveResult result;
};

static void startBackgroundSave(Store &store, std::function<void(Context &)> block, BackgroundSave &save)
{
    store.saveInBackground(std::move(block), [&save](const SaveResult &r) {
        save.result = r;
        save.done = true;
    });
}

// A change set as one line: entities by name, keys ascending, attributes sorted.
static QString changesText(const StoreChanges &c)
{
    QStringList parts;
    QStringList names = c.entities.keys();
    names.sort();
    for (const QString &name : names) {
        const StoreChanges::Entity &e = c.entities.value(name);
        if (e.isEmpty())
            continue;
        auto keys = [](QList<qint64> pks) {
            std::sort(pks.begin(), pks.end());
            QStringList t;
            for (qint64 pk : pks)
                t << QString::number(pk);
            return t.join(',');
        };
        QList<StoreChanges::Updated> updated = e.updated;
        std::sort(updated.begin(), updated.end(), [](const auto &a, const auto &b) { return a.pk < b.pk; });
        QStringList u;
        for (const auto &row : updated) {
            QStringList attrs(row.attributes.begin(), row.attributes.end());
            attrs.sort();
            u << QString::number(row.pk) + ":" + attrs.join('+');
        }
        QStringList line;
        if (!e.inserted.isEmpty())
            line << "+" + keys(e.inserted);
        if (!updated.isEmpty())
            line << "~" + u.join(',');
        if (!e.deleted.isEmpty())
            line << "-" + keys(e.deleted);
        parts << name + " " + line.join(' ');
    }
    if (c.replaced)
        parts << "replaced";
    return parts.join("; ");
}

// Every change set the main context announces, as text.
struct ChangeLog
{
    QStringList sets;
    explicit ChangeLog(Context *main)
    {
        QObject::connect(main, &Context::changesSaved,
                         [this](const StoreChanges &c) { sets << changesText(c); });
    }
};

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
        QTest::newRow("nested values where scalars are expected")
            << QByteArray(R"({"name":{"a":1},"count":{"n":3},"flag":[true],"weight":{"w":1}})") << QString()
            << 0 << false << 0.0 << qint64(0);
        QTest::newRow("words as booleans") << QByteArray(R"({"name":"w","flag":"YES","count":" 12 "})") << "w"
                                           << 12 << true << 0.0 << qint64(0);
        QTest::newRow("huge numbers skipped")
            << QByteArray(R"({"name":1e300,"count":-1e300,"weight":1e300,"big":1e300})") << "1e+300" << 0
            << false << 0.0 << qint64(0);
        QTest::newRow("not a number skipped")
            << QByteArray(R"({"name":"NaN","count":"NaN","weight":"nan","flag":"inf","big":"-inf"})") << "NaN"
            << 0 << false << 0.0 << qint64(0);
        QTest::newRow("float beyond its range skipped")
            << QByteArray(R"({"name":"f","weight":"3.5e38"})") << "f" << 0 << false << 0.0 << qint64(0);
        QTest::newRow("numbers beyond the type or not whole skipped")
            << QByteArray(R"({"name":2.5,"count":99999999999,"flag":0.5,"big":-4})") << "2.5" << 0 << false
            << 0.0 << qint64(-4);
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
        QVERIFY(std::isfinite(read->weight()));
        QTEST(double(read->weight()), "weight");
        QTEST(read->big(), "big");
        QVERIFY(!read->folder());
    }

    void importIntoNewRowIsQueriedAtOnce_data()
    {
        // Whether a query built the pending rows' value index before the import, and
        // whether the imported object names most attributes (looked up one by one) or
        // few (its keys walked).
        QTest::addColumn<bool>("indexFirst");
        QTest::addColumn<bool>("dense");
        QTest::newRow("no index, dense") << false << true;
        QTest::newRow("no index, sparse") << false << false;
        QTest::newRow("index built, dense") << true << true;
        QTest::newRow("index built, sparse") << true << false;
    }

    void importIntoNewRowIsQueriedAtOnce()
    {
        QFETCH(bool, indexFirst);
        QFETCH(bool, dense);
        auto store = openStore();
        {
            auto writer = store->newContext();
            writer->create<Item>()->setName("stored");
            QVERIFY(writer->saveAndWait());
        }
        Context *ctx = store->mainContext();
        ChangeLog log(ctx);
        auto *other = ctx->create<Item>();
        other->setName("other");
        if (indexFirst) {
            QCOMPARE(ctx->findByAttribute<Item>("name", QString()).size(), 0);
            QCOMPARE(ctx->findByAttribute<Item>("count", 0).size(), 2);
        }
        auto *row = ctx->create<Item>();
        const auto values = [dense](const QString &name, int count) {
            QJsonObject o{{"name", name}, {"count", count}};
            if (dense)
                o.insert("flag", true);
            return o;
        };
        row->importValuesForKeys(values("alpha", 3));
        QCOMPARE(row->name(), QString("alpha"));
        QCOMPARE(ctx->findByAttribute<Item>("name", "alpha"), QList<Item *>{row});
        QCOMPARE(ctx->findByAttribute<Item>("count", 3), QList<Item *>{row});
        QVERIFY(ctx->findByAttribute<Item>("name", QString()).isEmpty());
        QCOMPARE(ctx->findByAttribute<Item>("count", 0).size(), 2); // the stored row and `other`

        // A second import moves the row in the index that is now built.
        row->importValuesForKeys(values("beta", 0));
        QVERIFY(ctx->findByAttribute<Item>("name", "alpha").isEmpty());
        QCOMPARE(ctx->findFirstByAttribute<Item>("name", "beta"), row);
        QVERIFY(ctx->findByAttribute<Item>("count", 3).isEmpty());
        QCOMPARE(ctx->findByAttribute<Item>("count", 0).size(), 3);
        QCOMPARE(ctx->findByAttribute<Item>("flag", true), dense ? QList<Item *>{row} : QList<Item *>{});

        // A JSON null clears the text (to null, not empty) and leaves the number.
        row->importValuesForKeys(QJsonObject{{"name", QJsonValue::Null}, {"count", QJsonValue::Null}});
        QVERIFY(row->name().isNull());
        QVERIFY(ctx->findByAttribute<Item>("name", "beta").isEmpty());
        QCOMPARE(ctx->findByAttribute<Item>("name", QString()), QList<Item *>{row});
        row->importValuesForKeys(QJsonObject{{"name", ""}});
        QVERIFY(!row->name().isNull());
        QCOMPARE(ctx->findByAttribute<Item>("name", ""),
                 QList<Item *>{row}); // queries take null and empty alike

        QVERIFY(ctx->saveAndWait());
        const QString pks = QString::number(std::min(other->objectId().pk, row->objectId().pk)) + "," +
                            QString::number(std::max(other->objectId().pk, row->objectId().pk));
        QCOMPARE(log.sets, QStringList{"Item +" + pks});
        auto reader = store->newContext();
        const QList<Item *> empty = reader->findByAttribute<Item>("name", "");
        QCOMPARE(empty.size(), 1);
        QCOMPARE(empty.first()->count(), 0);
        QCOMPARE(empty.first()->flag(), dense);
        QVERIFY(!empty.first()->name().isNull());
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

    // The notes are the owner's only: a new store and its journal files are 0600 in a
    // 0700 folder, and an older start's open files are tightened when the store opens.
    void filesArePrivate_data()
    {
        QTest::addColumn<bool>("older");
        QTest::newRow("new profile") << false;
        QTest::newRow("older profile, open modes") << true;
    }
    void filesArePrivate()
    {
        QFETCH(bool, older);
        const QString folder = m_folder + "/Prelvane";
        const QString path = folder + "/LoginAccount.sqlite";
        const auto fileOpen = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        if (older) {
            QVERIFY(QDir().mkpath(folder));
            rawExec(path, "CREATE TABLE Folder (pk INTEGER PRIMARY KEY, title TEXT);"
                          "INSERT INTO Folder (pk, title) VALUES (7, 'old');");
            QVERIFY(QFile::setPermissions(folder,
                                          fileOpen | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
            QVERIFY(QFile::setPermissions(path, fileOpen));
        }
        auto store = Store::open(path, testModel());
        QVERIFY(store);
        store->mainContext()->create<Folder>()->setTitle("f");
        QVERIFY(store->mainContext()->saveAndWait());
        QVERIFY(QFile::exists(path + "-wal"));
        QVERIFY(QFile::exists(path + "-shm"));
        QCOMPARE(QFile::permissions(folder) & 0xF0FF, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        for (const QString &suffix : {QString(), QString("-wal"), QString("-shm")})
            QCOMPARE(QFile::permissions(path + suffix) & 0xF0FF, QFile::ReadOwner | QFile::WriteOwner);
        if (older)
            QCOMPARE(store->newContext()->findAll<Folder>().size(), 2);
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
        auto *f = newFolder(ctx, "saved");
        QVERIFY(ctx->saveAndWait());
        f->setTitle("edited");
        auto *n = ctx->create<Folder>();
        ctx->rollback();
        QCOMPARE(f->title(), QString("saved"));
        QVERIFY(n->isDeleted());
        QVERIFY(!ctx->hasChanges());
    }

    void mainSavesAnnounceExactChanges()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        ChangeLog log(ctx);
        auto *f = newFolder(ctx, "a");
        auto *g = newFolder(ctx, "b");
        auto *i = ctx->create<Item>();
        i->setFolder(f);
        auto *j = ctx->create<Item>();
        j->setFolder(g);
        QVERIFY(ctx->saveAndWait());
        const auto pk = [](ManagedObject *o) { return QString::number(o->objectId().pk); };
        const QString fk = pk(f), gk = pk(g), ik = pk(i), jk = pk(j);
        QCOMPARE(log.sets, QStringList{"Folder +" + fk + "," + gk + "; Item +" + ik + "," + jk});

        // Changed attributes only, relationships by name; a value set back is no change.
        f->setRank(2);
        i->setName("x");
        i->setFolder(nullptr);
        g->setTitle("c");
        g->setTitle("b");
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(log.sets.value(1), "Folder ~" + fk + ":rank; Item ~" + ik + ":folder+name");

        // A cascade lists every row it deleted.
        ctx->deleteObject(g);
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(log.sets.value(2), "Folder -" + gk + "; Item -" + jk);

        // Nothing to save, or a failed save: nothing announced.
        QVERIFY(ctx->saveAndWait());
        rawExec(storePath(),
                "CREATE TRIGGER refuse BEFORE UPDATE ON Folder BEGIN SELECT RAISE(ABORT, 'no'); END;");
        f->setRank(3);
        QVERIFY(!ctx->saveAndWait());
        QCOMPARE(log.sets.size(), 3);
        rawExec(storePath(), "DROP TRIGGER refuse;");
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(log.sets.value(3), "Folder ~" + fk + ":rank");

        // A replacing save is marked, also when it wrote nothing; the mark is used once.
        ctx->markReplaced();
        QVERIFY(ctx->saveAndWait());
        i->setName("y");
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(log.sets.mid(4), (QStringList{"replaced", "Item ~" + ik + ":name"}));
    }

    void valuesSetBackLeaveNothingToSave()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        ChangeLog log(ctx);
        auto *f = newFolder(ctx, "b");
        f->setRank(1);
        QVERIFY(ctx->saveAndWait());
        const QString fk = QString::number(f->objectId().pk);

        // Two slots changed and set back, one looked up by its pending value meanwhile.
        f->setTitle("c");
        f->setRank(5);
        QCOMPARE(ctx->findByAttribute<Folder>("title", "c"), QList<Folder *>{f});
        f->setRank(1);
        QVERIFY(ctx->hasChanges());
        f->setTitle("b");
        QVERIFY(!f->hasChanges());
        QVERIFY(!ctx->hasChanges());
        QVERIFY(ctx->findByAttribute<Folder>("title", "c").isEmpty());
        QCOMPARE(ctx->findByAttribute<Folder>("title", "b"), QList<Folder *>{f});
        QCOMPARE(f->title(), QString("b"));

        // Another context saves the row meanwhile: the row set back writes nothing over it
        // and the save announces nothing.
        auto other = store->newContext();
        other->existing<Folder>(f->objectId())->setTitle("z");
        QVERIFY(other->saveAndWait());
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(rawText(storePath(), "SELECT title || ':' || rank FROM Folder"), QString("z:1"));
        QCOMPARE(log.sets.size(), 1);

        // Changed again later: saved as usual.
        f->setRank(2);
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(log.sets.value(1), "Folder ~" + fk + ":rank");
        QCOMPARE(rawText(storePath(), "SELECT title || ':' || rank FROM Folder"), QString("z:2"));
    }

    void backgroundMergeAnnouncesExactChanges()
    {
        auto store = openStore();
        Context *main = store->mainContext();
        auto *kept = newFolder(main, "kept");
        auto *gone = newFolder(main, "gone");
        auto *child = main->create<Item>();
        child->setFolder(gone);
        QVERIFY(main->saveAndWait());
        const ObjectId keptId = kept->objectId(), goneId = gone->objectId(), childId = child->objectId();
        ChangeLog log(main);
        ObjectId made;
        BackgroundSave save;
        startBackgroundSave(
            *store,
            [&](Context &bg) {
                bg.existing<Folder>(keptId)->setTitle("renamed");
                bg.deleteObject(bg.existing<Folder>(goneId));
                auto *item = bg.create<Item>();
                item->setFolder(bg.existing<Folder>(keptId));
                made = item->objectId();
                bg.markReplaced();
            },
            save);
        QTRY_VERIFY(save.done);
        QVERIFY(save.result.ok);
        // Once, with the keys of the file; rows the main context never loaded count too.
        QCOMPARE(log.sets, QStringList{QString("Folder ~%1:title -%2; Item +%3 -%4; replaced")
                                           .arg(keptId.pk)
                                           .arg(goneId.pk)
                                           .arg(made.pk)
                                           .arg(childId.pk)});
        QCOMPARE(kept->title(), QString("renamed"));

        // A replacing background save that wrote nothing still tells the main context.
        BackgroundSave empty;
        startBackgroundSave(
            *store, [](Context &bg) { bg.markReplaced(); }, empty);
        QTRY_VERIFY(empty.done);
        QCOMPARE(log.sets.value(1), QString("replaced"));
        QCOMPARE(log.sets.size(), 2);
    }

    void fetchJudgesPendingChangesLikeTheFile_data()
    {
        // Items by their "big" label as the fixture leaves them (pending, then saved):
        // 1 "a" count 1 flag, folder G | 2 "b" count 10 weight .5, folder F
        // 3 "" count 3, folder G       | 4 no name, count 4, no folder
        // 6 "n" count 0 weight .75, folder F (new) | 5 deleted
        QTest::addColumn<Predicate>("where");
        QTest::addColumn<QString>("sortKey");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QList<qint64>>("expected");
        using P = Predicate;
        using L = QList<qint64>;
        const qint64 folderF = 1; // the first key of a new store
        QTest::newRow("all by count") << P() << "count" << true << -1 << L{6, 1, 3, 4, 2};
        QTest::newRow("relationship") << P::equals("folder", folderF) << "count" << false << -1 << L{2, 6};
        QTest::newRow("no relationship") << P::isNull("folder") << "big" << true << -1 << L{4};
        QTest::newRow("empty text finds null and empty")
            << P::equals("name", "") << "big" << true << -1 << L{3, 4};
        QTest::newRow("not empty") << P::notEquals("name", "") << "big" << true << -1 << L{1, 2, 6};
        QTest::newRow("not a value keeps rows without it")
            << P::notEquals("name", "b") << "big" << true << -1 << L{1, 3, 4, 6};
        QTest::newRow("in, converted")
            << P::in("count", {1, "3", 10, 99, "x"}) << "big" << true << -1 << L{1, 2, 3};
        QTest::newRow("in texts with none")
            << P::in("name", {"a", "n", QVariant()}) << "big" << false << -1 << L{6, 4, 3, 1};
        QTest::newRow("empty in") << P::in("name", {}) << "big" << true << -1 << L{};
        QTest::newRow("and") << (P::greater("count", 2) && P::equals("flag", false)) << "big" << true << -1
                             << L{2, 3, 4};
        QTest::newRow("or, limited") << (P::less("count", 4) || P::isNull("folder")) << "count" << false << 2
                                     << L{4, 3};
        QTest::newRow("texts ascending, none first") << P() << "name" << true << -1 << L{4, 3, 1, 2, 6};
        QTest::newRow("texts descending, none last") << P() << "name" << false << -1 << L{6, 2, 1, 3, 4};
        QTest::newRow("first is a pending insert") << P() << "count" << true << 1 << L{6};
        QTest::newRow("comparison skips rows without a value")
            << P::lessOrEqual("name", "b") << "big" << true << -1 << L{1, 2, 3};
        QTest::newRow("value that does not convert")
            << P::equals("count", "abc") << "big" << true << -1 << L{};
        QTest::newRow("its opposite")
            << P::notEquals("count", "abc") << "big" << true << -1 << L{1, 2, 3, 4, 6};
        QTest::newRow("deleted rows are gone") << P::greaterOrEqual("big", 5) << "big" << true << -1 << L{6};
        QTest::newRow("float") << P::greater("weight", 0.25) << "big" << true << -1 << L{2, 6};
        QTest::newRow("literal zero is a value") << P::equals("count", 0) << "big" << true << -1 << L{6};
    }

    void fetchJudgesPendingChangesLikeTheFile()
    {
        QFETCH(Predicate, where);
        QFETCH(QString, sortKey);
        QFETCH(bool, ascending);
        QFETCH(int, limit);
        QFETCH(QList<qint64>, expected);
        auto store = openStore();
        Context *ctx = store->mainContext();
        auto *f = newFolder(ctx, "F");
        auto *g = newFolder(ctx, "G");
        QCOMPARE(f->objectId().pk, qint64(1));
        auto item = [ctx](qint64 big, const QVariant &name, int count, Folder *folder) {
            auto *i = ctx->create<Item>();
            i->setValue("big", big);
            i->setValue("name", name);
            i->setValue("count", count);
            i->setFolder(folder);
            return i;
        };
        Item *a = item(1, "a", 1, f), *b = item(2, "b", 2, f), *e = item(5, "e", 5, f);
        item(3, "", 3, g);
        item(4, {}, 4, nullptr);
        a->setValue("flag", true);
        b->setValue("weight", 0.5);
        QVERIFY(ctx->saveAndWait());
        // Pending: changed, inserted and deleted rows.
        b->setValue("count", 10);
        a->setFolder(g);
        ctx->deleteObject(e);
        item(6, "n", 0, f)->setValue("weight", 0.75);

        const FetchRequest request{where, {{sortKey, ascending}}, limit};
        auto labels = [](const QList<Item *> &items) {
            QList<qint64> out;
            for (const Item *i : items)
                out << i->big();
            return out;
        };
        // A relationship compared with a row object.
        QCOMPARE(labels(ctx->fetch<Item>(Predicate::equals("folder", g), "big")), (QList<qint64>{1, 3}));
        const QList<Item *> pending = ctx->fetch<Item>(request);
        QCOMPARE(labels(pending), expected);
        const int all = int(ctx->fetch<Item>(FetchRequest{where, {}, -1}).size());
        QCOMPARE(ctx->count<Item>(where), all);
        QVERIFY(all >= expected.size());

        // Saved, the file gives the same answer, and the same objects.
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(ctx->fetch<Item>(request), pending);
        QCOMPARE(ctx->count<Item>(where), all);
        auto fresh = store->newContext();
        QCOMPARE(labels(fresh->fetch<Item>(request)), expected);
        QCOMPARE(fresh->count<Item>(where), all);
    }

    void fetchOfAnUnknownAttributeFindsNothing()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        newFolder(ctx, "f");
        QVERIFY(ctx->saveAndWait());
        QTest::ignoreMessage(QtWarningMsg, "store: cannot fetch: Folder has no attribute nope");
        QVERIFY(ctx->fetch<Folder>(Predicate::equals("nope", 1)).isEmpty());
        QTest::ignoreMessage(QtWarningMsg, "store: cannot count: Folder has no attribute nope");
        QCOMPARE(ctx->count<Folder>(Predicate::equals("title", "f") || Predicate::isNull("nope")), 0);
        // A value with SQL in it is only a value.
        QVERIFY(ctx->fetch<Folder>(Predicate::equals("title", "f' OR '1'='1")).isEmpty());
        QCOMPARE(ctx->count<Folder>(Predicate::in("title", {"x\"]", "f"})), 1);
    }

    void batchFetchOfToOneAgreesWithEachRow()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        auto *f = newFolder(ctx, "F");
        auto *g = newFolder(ctx, "G");
        QList<Item *> items;
        QList<Tag *> tags;
        for (int i = 0; i < 6; ++i) {
            items << ctx->create<Item>();
            items.last()->setName(QString::number(i));
            tags << ctx->create<Tag>();
            tags.last()->setLabel(QString::number(i));
        }
        items[0]->setFolder(f);
        items[1]->setFolder(f);
        items[2]->setFolder(g);
        items[0]->setTag(tags[0]);
        items[1]->setTag(tags[1]);
        items[2]->setTag(tags[2]);
        QVERIFY(ctx->saveAndWait());
        const ObjectId fId = f->objectId();
        auto *h = newFolder(ctx, "H"); // pending
        items[3]->setFolder(h);
        items[1]->setTag(tags[3]);   // tags[1] loses its item, tags[3] gains it
        ctx->deleteObject(items[2]); // tags[2] loses its item
        items[4]->setTag(tags[4]);
        auto *made = ctx->create<Tag>();
        items[5]->setTag(made);
        tags << made;

        // In a context that has read no folder yet, and in the one with the changes.
        auto fresh = store->newContext();
        const QList<Item *> freshItems = fresh->findAll<Item>();
        const auto freshFolders = fresh->fetchToOne<Folder>(freshItems, "folder");
        QCOMPARE(freshFolders.size(), 3);
        for (Item *i : freshItems)
            QCOMPARE(freshFolders.value(i), i->folder());
        QCOMPARE(freshFolders.value(freshItems.first())->objectId(), fId);

        QList<Item *> liveItems = items;
        liveItems.removeAt(2);
        const auto folders = ctx->fetchToOne<Folder>(liveItems, "folder");
        const auto holders = ctx->fetchToOne<Item>(tags, "item");
        for (Item *i : liveItems)
            QCOMPARE(folders.value(i), i->folder());
        QCOMPARE(folders.value(items[3]), h);
        QCOMPARE(folders.size(), 3);
        for (Tag *t : tags)
            QCOMPARE(holders.value(t), t->item());
        QCOMPARE(holders.size(), 4); // tags 0, 3, 4 and the new one
        QVERIFY(!holders.contains(tags[1]));
        QVERIFY(!holders.contains(tags[2]));
        QCOMPARE(holders.value(tags[3]), items[1]);
        QVERIFY(ctx->fetchToOne<Folder>(QList<Item *>{}, "folder").isEmpty());
    }

    void fetchedValuesAgreeWithTheRows()
    {
        // Keys and a few values read without row objects give what the rows themselves
        // say: in a context that has read nothing, and in one with pending changes to
        // the rows, their targets and the relationships between them.
        auto store = openStore();
        Context *ctx = store->mainContext();
        QList<Folder *> folders;
        for (int i = 0; i < 3; ++i) {
            folders << newFolder(ctx, "F" + QString::number(i));
            folders.last()->setRank(qint16(10 + i));
        }
        QList<Item *> items;
        QList<Tag *> tags;
        for (int i = 0; i < 8; ++i) {
            items << ctx->create<Item>();
            items.last()->setName(i == 7 ? "skip" : "i" + QString::number(i));
            if (i % 4 != 3)
                items.last()->setFolder(folders.at(i % 3));
            tags << ctx->create<Tag>();
            tags.last()->setLabel("t" + QString::number(i));
            if (i % 2 == 0)
                items.last()->setTag(tags.last());
        }
        QVERIFY(ctx->saveAndWait());
        // A key whose row is gone from the file reads as no target.
        rawExec(storePath(), QString("UPDATE Item SET folder = 999 WHERE pk = %1")
                                 .arg(items.at(3)->objectId().pk)
                                 .toUtf8()
                                 .constData());

        const Predicate where = Predicate::notEquals("name", "skip");
        const QStringList names{"name", "folder", "folder.title", "folder.rank", "tag.label", "tag"};
        auto expected = [&](Context *c) {
            QList<Item *> rows = c->fetch<Item>(where);
            std::sort(rows.begin(), rows.end(),
                      [](Item *a, Item *b) { return a->objectId().pk < b->objectId().pk; });
            FetchedValues v;
            v.width = int(names.size());
            for (Item *row : rows) {
                v.keys << row->objectId().pk;
                Folder *f = row->folder();
                Tag *t = row->tag();
                // The key column is the key as the row holds it, also one whose row is gone.
                const bool dangling = row->objectId() == items.at(3)->objectId() && !f;
                v.values << row->name()
                         << (f          ? QVariant(f->objectId().pk)
                             : dangling ? QVariant(qint64(999))
                                        : QVariant())
                         << (f ? QVariant(f->title()) : QVariant()) << (f ? QVariant(f->rank()) : QVariant())
                         << (t ? QVariant(t->label()) : QVariant())
                         << (t ? QVariant(t->objectId().pk) : QVariant());
            }
            return v;
        };
        auto check = [&](Context *c, const char *what) {
            const FetchedValues got = c->fetchValues<Item>(where, names);
            const FetchedValues want = expected(c);
            QVERIFY2(got.keys == want.keys, what);
            QCOMPARE(got.width, want.width);
            for (qsizetype i = 0; i < want.values.size(); ++i) {
                const QVariant &g = got.values.at(i), &w = want.values.at(i);
                QVERIFY2(g.isValid() == w.isValid() && (!w.isValid() || g == w),
                         qPrintable(QString("%1: row %2, %3: %4 instead of %5")
                                        .arg(what)
                                        .arg(i / want.width)
                                        .arg(names.at(i % want.width), g.toString(), w.toString())));
            }
        };

        auto fresh = store->newContext();
        const FetchedValues read = fresh->fetchValues<Item>(where, names);
        QCOMPARE(read.size(), 7);
        QCOMPARE(fresh->objectCount(), 0); // no row was made for it
        check(fresh.get(), "fresh");

        // Pending: a rename, a move to another folder and to a new one, a folder's new
        // title, a tag taken away, moved and deleted, a new row, a deleted row, a row
        // that leaves the condition and one that joins it.
        items[0]->setName("renamed");
        items[1]->setFolder(folders[2]);
        auto *h = newFolder(ctx, "H");
        h->setRank(7);
        items[2]->setFolder(h);
        folders[0]->setTitle("F0 new");
        items[4]->setTag(nullptr);
        items[6]->setTag(tags[1]);
        ctx->deleteObject(tags[2]);
        auto *made = ctx->create<Item>();
        made->setName("made");
        made->setFolder(folders[1]);
        ctx->deleteObject(items[5]);
        items[3]->setName("skip");
        items[7]->setName("back");
        check(ctx, "pending");
        // Rows and targets read into memory without changes give the same.
        auto other = store->newContext();
        for (Folder *f : other->findAll<Folder>())
            QVERIFY(f);
        for (qsizetype i = 0; i < 4; ++i)
            QVERIFY(other->existing<Item>(items.at(i)->objectId()));
        check(other.get(), "in memory");
        QVERIFY(ctx->saveAndWait());
        check(ctx, "saved");
        auto after = store->newContext();
        check(after.get(), "fresh after the save");

        QTest::ignoreMessage(QtWarningMsg, "store: Item has no attribute nope");
        QVERIFY(ctx->fetchValues<Item>({}, {"name", "nope"}).isEmpty());
        QTest::ignoreMessage(QtWarningMsg, "store: Item cannot read folder.nope");
        QVERIFY(ctx->fetchValues<Item>({}, {"folder.nope"}).isEmpty());
        QTest::ignoreMessage(QtWarningMsg, "store: Folder cannot read items.title");
        QVERIFY(ctx->fetchValues<Folder>({}, {"items.title"}).isEmpty());
    }

    void batchFetchOfFarApartKeys()
    {
        // Keys close together are read as a range, far apart ones by list: both find
        // exactly the rows asked for.
        auto store = openStore();
        Context *ctx = store->mainContext();
        QList<Folder *> folders;
        for (int i = 0; i < 60; ++i)
            folders << newFolder(ctx, QString::number(i));
        QList<Item *> items;
        for (int i : {0, 59, 30, 2}) {
            items << ctx->create<Item>();
            items.last()->setFolder(folders.at(i));
        }
        QVERIFY(ctx->saveAndWait());
        // Far apart; far apart with one between; close with a row between to skip; one.
        for (const QList<int> &pick :
             {QList<int>{0, 1}, QList<int>{0, 1, 2}, QList<int>{0, 3}, QList<int>{2}}) {
            auto fresh = store->newContext();
            QList<Item *> rows;
            for (int i : pick)
                rows << fresh->existing<Item>(items.at(i)->objectId());
            const auto found = fresh->fetchToOne<Folder>(rows, "folder");
            QCOMPARE(found.size(), rows.size());
            for (Item *row : rows)
                QCOMPARE(found.value(row)->objectId(), row->folder()->objectId());
            // Nothing else was read into the context.
            QCOMPARE(fresh->objectCount(), 2 * int(rows.size()));
        }
    }

    void backgroundSaveMergesIntoMain()
    {
        auto store = openStore();
        Context *main = store->mainContext();
        auto *kept = newFolder(main, "kept");
        auto *gone = newFolder(main, "gone");
        QVERIFY(main->saveAndWait());
        const ObjectId keptId = kept->objectId(), goneId = gone->objectId();

        QSignalSpy merged(main, &Context::changesMerged);
        BackgroundSave save;
        startBackgroundSave(
            *store,
            [&](Context &bg) {
                bg.existing<Folder>(keptId)->setRank(9);
                bg.deleteObject(bg.existing<Folder>(goneId));
                for (int i = 0; i < 10000; ++i) {
                    auto *item = bg.create<Item>();
                    item->setName(QString::number(i));
                    item->setFolder(bg.existing<Folder>(keptId));
                }
            },
            save);
        QTRY_VERIFY_WITH_TIMEOUT(save.done, 20000);
        QVERIFY(save.result.ok);
        QCOMPARE(merged.count(), 1);
        QCOMPARE(kept->rank(), qint16(9)); // same object, new value
        QVERIFY(!main->existing<Folder>(goneId));
        QCOMPARE(main->findFirstByAttribute<Folder>("title", "kept"), kept);
        QCOMPARE(kept->items().size(), 10000);
        QVERIFY(main->findFirstByAttribute<Item>("name", "9999"));
    }

    void oneToOneMovesItsTarget_data()
    {
        // Which of the rows were saved before the tag moves: the holder (only the
        // file knows it holds the tag), the tag, or neither.
        QTest::addColumn<bool>("holderSaved");
        QTest::addColumn<bool>("tagSaved");
        QTest::newRow("all new") << false << false;
        QTest::newRow("new tag, saved holder") << true << false;
        QTest::newRow("saved tag and holder") << true << true;
        QTest::newRow("saved tag, new holder") << false << true;
    }

    void oneToOneMovesItsTarget()
    {
        QFETCH(bool, holderSaved);
        QFETCH(bool, tagSaved);
        auto store = openStore();
        Context *ctx = store->mainContext();
        Tag *tag = nullptr;
        ObjectId holderId;
        if (tagSaved || holderSaved) {
            // Saved rows are read back by a fresh context, so they are not in memory.
            auto writer = store->newContext();
            Tag *t = nullptr;
            if (tagSaved) {
                t = writer->create<Tag>();
                t->setLabel("t");
            }
            Item *h = nullptr;
            if (holderSaved) {
                h = writer->create<Item>();
                h->setName("holder");
                h->setTag(t);
                holderId = h->objectId();
            }
            QVERIFY(writer->saveAndWait());
            if (t)
                tag = ctx->existing<Tag>(t->objectId());
        }
        if (!tag) {
            tag = ctx->create<Tag>();
            tag->setLabel("t");
        }
        Item *holder = holderSaved ? ctx->existing<Item>(holderId) : nullptr;
        if (!holder) {
            holder = ctx->create<Item>();
            holder->setName("holder");
        }
        if (!holder->tag())
            holder->setTag(tag);
        QCOMPARE(tag->item(), holder);

        auto *taker = ctx->create<Item>();
        taker->setName("taker");
        taker->setTag(tag);
        QVERIFY(!holder->tag());
        QCOMPARE(tag->item(), taker);
        QCOMPARE(ctx->findByAttribute<Item>("tag", tag->objectId().pk).size(), 1);
        QVERIFY(ctx->saveAndWait());

        auto reader = store->newContext();
        Item *storedTaker = reader->findFirstByAttribute<Item>("name", "taker");
        Item *storedHolder = reader->findFirstByAttribute<Item>("name", "holder");
        Tag *storedTag = reader->findFirstByAttribute<Tag>("label", "t");
        QVERIFY(storedTaker && storedHolder && storedTag);
        QCOMPARE(storedTaker->tag(), storedTag);
        QVERIFY(!storedHolder->tag());
        QCOMPARE(storedTag->item(), storedTaker);

        // From the tag's side: the new tag takes an item and lets the old one go.
        auto *other = ctx->create<Item>();
        tag->setItem(other);
        QCOMPARE(tag->item(), other);
        QVERIFY(!taker->tag());
        QVERIFY(!ctx->create<Tag>()->item()); // a new row's unset relationships read as none
    }

    void newRowIsFoundByEveryHolderInMemory()
    {
        // A row made in this context is held by no stored row, but by any row of the
        // context that points at it, saved before or not.
        auto store = openStore();
        {
            auto writer = store->newContext();
            writer->create<Item>()->setName("stored");
            QVERIFY(writer->saveAndWait());
        }
        Context *ctx = store->mainContext();
        Item *stored = ctx->findFirstByAttribute<Item>("name", "stored");
        QVERIFY(stored);
        auto *tag = ctx->create<Tag>();
        QVERIFY(!tag->item());
        QVERIFY(ctx->findByAttribute<Item>("tag", tag->objectId().pk).isEmpty());

        auto *fresh = ctx->create<Item>();
        fresh->setTag(tag);
        QCOMPARE(tag->item(), fresh);
        fresh->setTag(nullptr);
        QVERIFY(!tag->item());

        stored->setTag(tag);
        QCOMPARE(tag->item(), stored);
        QCOMPARE(ctx->findByAttribute<Item>("tag", tag->objectId().pk), QList<Item *>{stored});
        fresh->setTag(tag); // one-to-one: the stored row lets go
        QVERIFY(!stored->tag());
        QCOMPARE(tag->item(), fresh);
        ctx->deleteObject(fresh);
        QVERIFY(!tag->item());

        // From the new row's side.
        auto *other = ctx->create<Tag>();
        other->setItem(stored);
        QCOMPARE(stored->tag(), other);
        QCOMPARE(other->item(), stored);
        QVERIFY(ctx->saveAndWait());
        auto reader = store->newContext();
        QCOMPARE(reader->findFirstByAttribute<Item>("name", "stored")->tag()->objectId(), other->objectId());
    }

    void backgroundBlockReadsOneSnapshot()
    {
        auto store = openStore();
        Context *main = store->mainContext();
        main->create<Folder>()->setTitle("before");
        QVERIFY(main->saveAndWait());

        QSemaphore looked, saved;
        int seenBefore = -1, seenDuring = -1, seenAfterOwnSave = -1;
        bool midSave = false;
        BackgroundSave save;
        startBackgroundSave(
            *store,
            [&](Context &bg) {
                seenBefore = int(bg.findAll<Folder>().size());
                looked.release();
                saved.acquire();
                // The main context's save is not seen until this block saves.
                seenDuring = int(bg.findByAttribute<Folder>("title", "during").size());
                bg.create<Folder>()->setTitle("bg-1");
                midSave = bool(bg.saveAndWait());
                seenAfterOwnSave = int(bg.findAll<Folder>().size());
                bg.create<Folder>()->setTitle("bg-2");
            },
            save);
        QVERIFY(looked.tryAcquire(1, 10000));
        main->create<Folder>()->setTitle("during");
        QElapsedTimer t;
        t.start();
        QVERIFY(main->saveAndWait()); // the block's read transaction holds no write lock
        QVERIFY2(t.elapsed() < 1000, "the main save waited for the background reader");
        saved.release();
        QTRY_VERIFY_WITH_TIMEOUT(save.done, 10000);
        QVERIFY(save.result.ok);
        QVERIFY(midSave);
        QCOMPARE(seenBefore, 1);
        QCOMPARE(seenDuring, 0);
        QCOMPARE(seenAfterOwnSave, 3);
        QCOMPARE(rawText(storePath(), "SELECT count(*) FROM Folder"), QString("4"));

        // A block without changes leaves no transaction behind.
        bool done = false;
        store->saveInBackground([](Context &bg) { (void)bg.findAll<Folder>(); },
                                [&](const SaveResult &r) { done = r.ok; });
        QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
        auto writer = store->newContext();
        writer->create<Folder>()->setTitle("after");
        QVERIFY(writer->saveAndWait());
        QCOMPARE(main->findAll<Folder>().size(), 5);
    }

    void nullTextStaysNull()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        auto *none = ctx->create<Folder>();
        none->setRank(1);
        auto *empty = newFolder(ctx, "");
        empty->setRank(2);
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(rawText(storePath(), "SELECT title FROM Folder WHERE rank = 1"), QString("<null>"));
        auto fresh = store->newContext();
        QVERIFY(fresh->findFirstByAttribute<Folder>("rank", 1)->title().isNull());
        QVERIFY(!fresh->findFirstByAttribute<Folder>("rank", 2)->title().isNull());
        // Asking for "no text" finds both, in the file as in memory.
        QCOMPARE(fresh->findByAttribute<Folder>("title", QString()).size(), 2);
        QCOMPARE(fresh->findByAttribute<Folder>("title", "").size(), 2);
        ctx->create<Folder>()->setRank(3);
        QCOMPARE(ctx->findByAttribute<Folder>("title", QString()).size(), 3);
    }

    void unsetRelationshipIsNone()
    {
        // An older version wrote 0 for a relationship never set, NULL for one cleared.
        rawExec(storePath(), "CREATE TABLE Item (pk INTEGER PRIMARY KEY, name TEXT, folder INTEGER);"
                             "INSERT INTO Item (pk, name, folder) VALUES (1, 'old zero', 0);"
                             "INSERT INTO Item (pk, name, folder) VALUES (2, 'old null', NULL);");
        auto store = openStore();
        QVERIFY(store);
        Context *ctx = store->mainContext();
        auto *f = ctx->create<Folder>();
        ctx->create<Item>()->setName("never set");
        auto *cleared = ctx->create<Item>();
        cleared->setName("cleared");
        cleared->setFolder(f);
        cleared->setFolder(nullptr);
        ctx->create<Item>()->setFolder(f);
        auto names = [](const QList<Item *> &items) {
            QStringList out;
            for (const Item *i : items)
                out << i->name();
            out.sort();
            return out;
        };
        const QStringList none{"cleared", "never set", "old null", "old zero"};
        QCOMPARE(names(ctx->findByAttribute<Item>("folder", QVariant())), none);
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(rawText(storePath(), "SELECT COUNT(*) FROM Item WHERE folder IS NULL AND pk > 2"),
                 QString("2"));

        auto fresh = store->newContext();
        QCOMPARE(names(fresh->findByAttribute<Item>("folder", QVariant())), none);
        Item *oldZero = fresh->findFirstByAttribute<Item>("name", "old zero");
        QVERIFY(!oldZero->folder());
        // Once it has pending changes the row is judged in memory: still "none".
        QVERIFY(oldZero->setValue("count", 3));
        QCOMPARE(names(fresh->findByAttribute<Item>("folder", QVariant())), none);
        QCOMPARE(fresh->findFirstByAttribute<Item>("folder", f->objectId().pk)->folder()->objectId(),
                 f->objectId());
    }

    void saveWritesOnlyWhatChanged()
    {
        // Two contexts hold the same row; each changes a different attribute. Neither
        // save may put back the other's stale value.
        auto store = openStore();
        Context *main = store->mainContext();
        auto *f = newFolder(main, "before");
        QVERIFY(main->saveAndWait());
        auto other = store->newContext();
        Folder *g = other->existing<Folder>(f->objectId());
        QVERIFY(g);
        g->setRank(7);
        QVERIFY(other->saveAndWait());
        f->setTitle("after"); // f still holds rank 0
        QVERIFY(main->saveAndWait());
        QCOMPARE(rawText(storePath(), "SELECT rank || ':' || title FROM Folder"), QString("7:after"));
    }

    void editsSavedBesideABackgroundSaveAreKept_data()
    {
        // The background block reads the folder ("0:t"), then sets its rank to 3,
        // its title to "pulled" or deletes it. The main context sets rank 7 or title
        // "user" and saves, either while the block runs (after its read) or after the
        // block committed but before its merge reached the main context.
        QTest::addColumn<QString>("background");
        QTest::addColumn<bool>("beforeMerge");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("expected"); // rank:title, in the file and in memory
        QTest::addColumn<bool>("skipped");
        QTest::newRow("import edits another attribute") << "rank" << false << "title"
                                                        << "0:user" << true;
        QTest::newRow("import edits the same attribute") << "title" << false << "title"
                                                         << "0:user" << true;
        QTest::newRow("import deletes the row") << "delete" << false << "rank"
                                                << "7:t" << true;
        QTest::newRow("merge of another attribute") << "rank" << true << "title"
                                                    << "3:user" << false;
        QTest::newRow("merge of the same attribute") << "title" << true << "title"
                                                     << "0:user" << false;
        QTest::newRow("merge of a deletion") << "delete" << true << "title"
                                             << "0:user" << false;
    }

    void editsSavedBesideABackgroundSaveAreKept()
    {
        QFETCH(QString, background);
        QFETCH(bool, beforeMerge);
        QFETCH(QString, edit);
        QFETCH(QString, expected);
        QFETCH(bool, skipped);
        auto store = openStore();
        Context *main = store->mainContext();
        auto *f = newFolder(main, "t");
        QVERIFY(main->saveAndWait());
        const ObjectId id = f->objectId();
        ChangeLog log(main);
        QSemaphore read, go;
        BackgroundSave save;
        startBackgroundSave(
            *store,
            [&](Context &bg) {
                Folder *b = bg.existing<Folder>(id);
                read.release();
                go.acquire();
                if (background == "rank")
                    b->setRank(3);
                else if (background == "title")
                    b->setTitle("pulled");
                else
                    bg.deleteObject(b);
            },
            save);
        read.acquire();
        if (beforeMerge) {
            go.release();
            store->waitForBackgroundSaves(); // committed; its merge waits in the event queue
        }
        if (edit == "rank")
            f->setRank(7);
        else
            f->setTitle("user");
        QVERIFY(main->saveAndWait());
        go.release(beforeMerge ? 0 : 1);
        QTRY_VERIFY(save.done);
        QVERIFY(save.result.ok);
        QCOMPARE(save.result.skipped, skipped ? QList<ObjectId>{id} : QList<ObjectId>{});

        QCOMPARE(rawText(storePath(), "SELECT rank || ':' || title FROM Folder"), expected);
        QVERIFY(!f->isDeleted());
        QCOMPARE(QString("%1:%2").arg(f->rank()).arg(f->title()), expected);
        QCOMPARE(main->existing<Folder>(id), f);
        QVERIFY(!main->hasChanges());
        // No change set tells of a deletion that did not stay.
        QVERIFY2(!log.sets.join('|').contains('-'), qPrintable(log.sets.join('|')));
    }

    void largeSavesWriteEveryRowOnce()
    {
        // Saves of thousands of rows encode their values in chunks on another thread.
        auto store = openStore();
        Context *main = store->mainContext();
        const int n = 3000;
        QList<ObjectId> ids;
        for (int i = 0; i < n; ++i) {
            auto *f = main->create<Folder>();
            f->setTitle(i % 7 == 0 ? QString() : i % 11 == 0 ? QString("") : QString("标题%1").arg(i));
            f->setRank(qint16(i % 100));
            ids << f->objectId();
        }
        QVERIFY(main->saveAndWait());
        const auto summary = [this] {
            return rawText(storePath(),
                           "SELECT count(*) || ':' || sum(rank) || ':' || count(title) || ':' || "
                           "sum(title = '') || ':' || sum(length(title)) FROM Folder");
        };
        int ranks = 0, titled = 0, empty = 0, length = 0;
        for (int i = 0; i < n; ++i) {
            ranks += i % 100;
            titled += i % 7 != 0;
            empty += i % 7 != 0 && i % 11 == 0;
            length += i % 7 == 0 || i % 11 == 0 ? 0 : int(QString("标题%1").arg(i).size());
        }
        QCOMPARE(summary(), QString("%1:%2:%3:%4:%5").arg(n).arg(ranks).arg(titled).arg(empty).arg(length));

        // A background save updates and deletes most of them; the one row the main
        // context saved meanwhile is left alone.
        QSemaphore read, go;
        BackgroundSave save;
        startBackgroundSave(
            *store,
            [&](Context &bg) {
                const QList<Folder *> rows = bg.findAll<Folder>();
                read.release();
                go.acquire();
                for (int i = 0; i < rows.size(); ++i) {
                    if (i % 5 == 4)
                        bg.deleteObject(rows.at(i));
                    else
                        rows.at(i)->setRank(qint16(rows.at(i)->rank() + 1));
                }
            },
            save);
        read.acquire();
        main->existing<Folder>(ids.at(1))->setTitle("user");
        QVERIFY(main->saveAndWait());
        go.release();
        QTRY_VERIFY(save.done);
        QVERIFY(save.result.ok);
        QCOMPARE(save.result.skipped, QList<ObjectId>{ids.at(1)});
        int kept = 0, keptRanks = 0;
        for (int i = 0; i < n; ++i) {
            if (i % 5 == 4)
                continue;
            ++kept;
            keptRanks += i % 100 + (i == 1 ? 0 : 1);
        }
        QCOMPARE(rawText(storePath(), "SELECT count(*) || ':' || sum(rank) FROM Folder"),
                 QString("%1:%2").arg(kept).arg(keptRanks));
        QCOMPARE(rawText(storePath(), "SELECT title FROM Folder WHERE rank = 1 AND title = 'user'"),
                 QString("user"));
        QCOMPARE(main->count<Folder>(), kept);
    }

    void mergeOfBackgroundDeletesAndInserts()
    {
        auto store = openStore();
        Context *main = store->mainContext();
        auto *held = newFolder(main, "held");
        auto *edited = newFolder(main, "edited");
        auto *child = main->create<Item>();
        child->setName("child");
        child->setFolder(held);
        QVERIFY(main->saveAndWait());
        const ObjectId heldId = held->objectId(), editedId = edited->objectId(), childId = child->objectId();

        edited->setRank(5); // unsaved when the background deletes the row
        // Within the event that tells of the deletion, held pointers are safe and
        // read as absent.
        bool checked = false;
        QObject guard;
        QObject::connect(main, &Context::changesSaved, &guard, [&](const StoreChanges &) {
            QVERIFY(held->isDeleted());
            QVERIFY(child->isDeleted()); // the cascade ran in the background
            QVERIFY(edited->isDeleted());
            QVERIFY(held->items().isEmpty());
            QVERIFY(!child->folder());
            held->setTitle("ignored");
            QCOMPARE(held->title(), QString("held"));
            checked = true;
        });
        BackgroundSave save;
        startBackgroundSave(
            *store,
            [&](Context &bg) {
                bg.deleteObject(bg.existing<Folder>(heldId));
                bg.deleteObject(bg.existing<Folder>(editedId));
                bg.create<Item>()->setName("new");
            },
            save);
        QTRY_VERIFY(save.done);
        QVERIFY(save.result.ok);
        QVERIFY(checked);

        // Afterwards the rows are found no more; their objects are freed.
        for (const ObjectId &id : {heldId, editedId, childId})
            QVERIFY(!main->existingObject(id));
        QVERIFY(main->findAll<Folder>().isEmpty());
        // The unsaved edit of a deleted row is dropped, not written back.
        QVERIFY(!main->hasChanges());
        QVERIFY(main->saveAndWait());
        QCOMPARE(rawText(storePath(), "SELECT count(*) FROM Folder"), QString("0"));

        // A row made in the background is found by value, as one object.
        Item *found = main->findFirstByAttribute<Item>("name", "new");
        QVERIFY(found);
        QCOMPARE(main->findAll<Item>(), QList<Item *>{found});
        QTRY_COMPARE(main->objectCount(), 1);
    }

    void replaceCyclesDoNotGrowTheMainContext()
    {
        auto store = openStore();
        Context *main = store->mainContext();
        const int rows = 500;
        for (int i = 0; i < rows; ++i)
            newFolder(main, QString::number(i))->setRank(1);
        QVERIFY(main->saveAndWait());
        QCOMPARE(main->findAll<Folder>().size(), rows);
        QCOMPARE(main->objectCount(), rows);
        for (int cycle = 0; cycle < 5; ++cycle) {
            // Half the rows stay (updated in place), half are replaced by new ones.
            BackgroundSave save;
            startBackgroundSave(
                *store,
                [cycle](Context &bg) {
                    const QList<Folder *> all = bg.findAll<Folder>();
                    for (int i = 0; i < all.size(); ++i) {
                        if (i % 2)
                            all.at(i)->setRank(qint16(cycle + 2));
                        else
                            bg.deleteObject(all.at(i));
                    }
                    for (int i = 0; i < all.size() / 2; ++i)
                        newFolder(&bg, QString("%1-%2").arg(cycle).arg(i));
                    bg.markReplaced();
                },
                save);
            QTRY_VERIFY(save.done);
            QVERIFY(save.result.ok);
            const QList<Folder *> now = main->findAll<Folder>();
            QCOMPARE(now.size(), rows);
            QTRY_COMPARE(main->objectCount(), rows);
        }
        QCOMPARE(main->count<Folder>(Predicate::equals("rank", 6)), rows / 2);
    }

    void failedBackgroundSaveMergesNothing()
    {
        auto store = openStore();
        Context *main = store->mainContext();
        auto *f = newFolder(main, "f");
        QVERIFY(main->saveAndWait());
        const ObjectId id = f->objectId();
        rawExec(storePath(),
                "CREATE TRIGGER refuse BEFORE INSERT ON Item BEGIN SELECT RAISE(ABORT, 'refused'); END;");
        QSignalSpy merged(main, &Context::changesMerged);
        ChangeLog log(main);
        BackgroundSave save;
        startBackgroundSave(
            *store,
            [&](Context &bg) {
                bg.markReplaced();
                bg.existing<Folder>(id)->setRank(9);
                bg.create<Item>()->setName("i");
            },
            save);
        QTRY_VERIFY(save.done);
        QVERIFY(!save.result.ok);
        QVERIFY(save.result.error.contains("refused"));
        QCOMPARE(merged.count(), 0);
        QVERIFY(log.sets.isEmpty());
        QCOMPARE(f->rank(), qint16(0));
        QVERIFY(main->findAll<Item>().isEmpty());
        QCOMPARE(rawText(storePath(), "SELECT rank FROM Folder"), QString("0"));
    }

    void failedSaveOfEditsAndDeletionsKeepsThemPending()
    {
        auto store = openStore();
        Context *ctx = store->mainContext();
        auto *keep = newFolder(ctx, "keep");
        auto *drop = newFolder(ctx, "drop");
        QVERIFY(ctx->saveAndWait());
        rawExec(storePath(),
                "CREATE TRIGGER refuse BEFORE DELETE ON Folder BEGIN SELECT RAISE(ABORT, 'refused'); END;");
        keep->setRank(4);
        ctx->deleteObject(drop);
        QVERIFY(!ctx->saveAndWait());
        // Nothing claims to be saved: the edit and the deletion are still pending.
        QVERIFY(ctx->hasChanges());
        QVERIFY(keep->hasChanges());
        QVERIFY(drop->isDeleted());
        QCOMPARE(rawText(storePath(), "SELECT rank FROM Folder WHERE title = 'keep'"), QString("0"));
        QCOMPARE(ctx->findAll<Folder>(), QList<Folder *>{keep});
        rawExec(storePath(), "DROP TRIGGER refuse;");
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(rawText(storePath(), "SELECT count(*) || ':' || max(rank) FROM Folder"), QString("1:4"));
    }

    void mainAndBackgroundSavesInterleave()
    {
        auto store = openStore();
        Context *main = store->mainContext();
        const int rounds = 20, perRound = 300;
        int finished = 0, failed = 0;
        for (int r = 0; r < rounds; ++r) {
            store->saveInBackground(
                [r](Context &bg) {
                    for (int i = 0; i < perRound; ++i)
                        bg.create<Item>()->setName(QString("bg-%1-%2").arg(r).arg(i));
                },
                [&](const SaveResult &res) {
                    ++finished;
                    failed += res.ok ? 0 : 1;
                });
        }
        for (int i = 0; i < 200; ++i) {
            main->create<Folder>()->setTitle(QString::number(i));
            QVERIFY2(main->saveAndWait(), "a main-thread save failed beside the background");
            if (i % 10 == 0)
                QCoreApplication::processEvents();
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished, rounds, 30000);
        QCOMPARE(failed, 0);
        QCOMPARE(main->findAll<Item>().size(), rounds * perRound);
        QCOMPARE(main->findAll<Folder>().size(), 200);
        QCOMPARE(rawText(storePath(), "SELECT count(*) FROM Item"), QString::number(rounds * perRound));
    }

    void newerSchemaColumnsAreKept()
    {
        // A file written by a later version: an extra column and an extra table.
        rawExec(storePath(),
                "CREATE TABLE Folder (pk INTEGER PRIMARY KEY, title TEXT, rank INTEGER NOT NULL DEFAULT 0,"
                " colour TEXT NOT NULL DEFAULT '');"
                "CREATE TABLE Later (pk INTEGER PRIMARY KEY, what TEXT);"
                "INSERT INTO Folder (pk, title, rank, colour) VALUES (3, 'old', 1, 'red');"
                "INSERT INTO Later VALUES (1, 'future');");
        StoreOpenResult r;
        auto store = openStore(&r);
        QVERIFY(store);
        QCOMPARE(r.status, StoreOpenResult::Opened);
        Context *ctx = store->mainContext();
        Folder *old = ctx->findFirstByAttribute<Folder>("title", "old");
        QVERIFY(old);
        old->setRank(2);
        ctx->create<Folder>()->setTitle("new");
        QVERIFY(ctx->saveAndWait());
        QCOMPARE(rawText(storePath(), "SELECT colour || rank FROM Folder WHERE pk = 3"), QString("red2"));
        QCOMPARE(rawText(storePath(), "SELECT what FROM Later"), QString("future"));
        QCOMPARE(rawText(storePath(), "SELECT count(*) FROM Folder"), QString("2"));
    }

    void damagedFilesAreMovedAsideWithTheirJournals_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("pages overwritten") << "pages";
        QTest::newRow("header overwritten") << "header";
        QTest::newRow("table without a key column") << "nokey";
    }

    void damagedFilesAreMovedAsideWithTheirJournals()
    {
        QFETCH(QString, damage);
        {
            auto store = openStore();
            for (int i = 0; i < 2000; ++i)
                store->mainContext()->create<Item>()->setName(QString("row %1 ").arg(i).repeated(20));
            QVERIFY(store->mainContext()->saveAndWait());
        }
        if (damage == "nokey") {
            QVERIFY(QFile::remove(storePath()));
            rawExec(storePath(), "CREATE TABLE Folder (title TEXT, rank INTEGER); INSERT INTO Folder "
                                 "VALUES ('mine', 1);");
        } else {
            QFile f(storePath());
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.size() > 8 * 4096);
            f.seek(damage == "header" ? 0 : 4096);
            f.write(QByteArray(damage == "header" ? 100 : 6 * 4096, '\xA5'));
        }
        // Journals left by a crash belong to the damaged file.
        for (const char *suffix : {"-wal", "-shm"}) {
            QFile j(storePath() + suffix);
            if (!j.exists()) {
                QVERIFY(j.open(QIODevice::WriteOnly));
                j.write("");
            }
        }
        const QByteArray original = [&] {
            QFile f(storePath());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        StoreOpenResult r;
        auto store = openStore(&r);
        QVERIFY(store);
        QCOMPARE(r.status, StoreOpenResult::Recovered);
        QVERIFY(!r.error.isEmpty());
        if (damage == "nokey") {
            QCOMPARE(rawText(r.movedAsidePath, "SELECT title FROM Folder"), QString("mine"));
        } else {
            QFile aside(r.movedAsidePath);
            QVERIFY(aside.open(QIODevice::ReadOnly));
            QCOMPARE(aside.readAll(), original);
        }
        QVERIFY(QFile::exists(r.movedAsidePath + "-wal"));
        QVERIFY(QFile::exists(r.movedAsidePath + "-shm"));
        QVERIFY(store->mainContext()->findAll<Item>().isEmpty());
        store->mainContext()->create<Item>()->setName("fresh");
        QVERIFY(store->mainContext()->saveAndWait());
    }

    void zeroLengthFileIsANewStore()
    {
        QFile f(storePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        StoreOpenResult r;
        auto store = openStore(&r);
        QVERIFY(store);
        QCOMPARE(r.status, StoreOpenResult::Created);
        QVERIFY(r.movedAsidePath.isEmpty());
        store->mainContext()->create<Folder>()->setTitle("x");
        QVERIFY(store->mainContext()->saveAndWait());
        QCOMPARE(store->newContext()->findAll<Folder>().size(), 1);
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
