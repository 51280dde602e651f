#include "tests/support/StoreFixture.h"

#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "platform/base/Clock.h"
#include "platform/store/Context.h"
#include "platform/store/SqliteConnection.h"
#include "platform/store/Store.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

StoreFixture::StoreFixture() = default;

StoreFixture::~StoreFixture()
{
    close();
}

bool StoreFixture::open(const QDateTime &now, const QString &file)
{
    close();
    const QString dir = TestEnv::freshFolders();
    m_store = Store::open(dir + QLatin1Char('/') + file, DataModel::model());
    if (!m_store)
        return false;
    m_center = std::make_unique<FakeUserNotificationCenter>();
    Clock::setNow(now);
    return true;
}

void StoreFixture::setWritesFail(bool fail)
{
    QString error;
    const std::unique_ptr<SqliteConnection> db = SqliteConnection::open(m_store->path(), false, &error);
    if (!db) {
        qFatal("store fixture: %s", qPrintable(error));
        return;
    }
    const QStringList tables = db->queryTexts(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"));
    for (const QString &table : tables) {
        for (const QString &op :
             {QStringLiteral("INSERT"), QStringLiteral("UPDATE"), QStringLiteral("DELETE")}) {
            const QString trigger = SqliteConnection::quoted(QStringLiteral("full_") + table + op);
            const bool ok =
                fail ? db->exec(QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 BEFORE %2 ON %3 BEGIN "
                                               "SELECT RAISE(ABORT, 'database or disk is full'); END")
                                    .arg(trigger, op, SqliteConnection::quoted(table)))
                     : db->exec(QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger));
            if (!ok)
                qFatal("store fixture: the write fault on %s was not set", qPrintable(table));
        }
    }
}

void StoreFixture::close()
{
    m_center.reset();
    m_store.reset();
    Clock::reset();
}

Context *StoreFixture::ctx() const
{
    return m_store->mainContext();
}

UserSet *StoreFixture::settings()
{
    UserSet *set = ctx()->findFirstWhere<UserSet>();
    return set ? set : ctx()->create<UserSet>();
}

Classify *StoreFixture::category(const QString &classId, const QString &name)
{
    auto *c = ctx()->create<Classify>();
    c->setClassId(classId);
    c->setName(name);
    return c;
}

NoteDetail *StoreFixture::note(const QString &cId, Classify *c, const QString &content)
{
    auto *n = ctx()->create<NoteDetail>();
    n->setCId(cId);
    n->setContent(content.isEmpty() ? QStringLiteral("内容 ") + cId : content);
    n->setClassify(c);
    if (c)
        n->setClassId(c->classId());
    return n;
}

DateRemind *StoreFixture::remind(NoteDetail *n, int actionType)
{
    auto *r = ctx()->create<DateRemind>();
    r->setRemindActionType(qint16(actionType));
    n->setRemind(r);
    return r;
}
