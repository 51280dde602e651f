#include "platform/store/Store.h"

#include "platform/base/Clock.h"
#include "platform/store/SqliteConnection.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSet>

#include <sqlite3.h>

namespace {

const QFile::Permissions ownerOnlyFile = QFile::ReadOwner | QFile::WriteOwner;
const QFile::Permissions ownerOnlyFolder = ownerOnlyFile | QFile::ExeOwner;

// The notes are the user's alone: the folder is the owner's only, and the file is
// made 0600 before SQLite opens it (its journal files take the file's mode). Files of
// an older start are tightened too.
void keepPrivate(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFile::setPermissions(folder, ownerOnlyFolder))
        qWarning().noquote() << "store: cannot restrict the permissions of" << folder;
    QFile file(path);
    if (!file.exists() && !file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnlyFile))
        qWarning().noquote() << "store: cannot create" << path;
    file.close();
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        const QString each = path + suffix;
        if (QFile::exists(each) && !QFile::setPermissions(each, ownerOnlyFile))
            qWarning().noquote() << "store: cannot restrict the permissions of" << each;
    }
}

QString revisionColumnDef()
{
    return SqliteConnection::quoted(Store::revisionColumn()) + " INTEGER NOT NULL DEFAULT 0";
}

QString columnType(AttributeType t)
{
    switch (t) {
    case AttributeType::Float:
        return QStringLiteral("REAL NOT NULL DEFAULT 0");
    case AttributeType::Text:
        return QStringLiteral("TEXT");
    case AttributeType::Object:
        return QStringLiteral("BLOB");
    default:
        return QStringLiteral("INTEGER NOT NULL DEFAULT 0");
    }
}

// Brings the file's tables up to the model: missing tables, columns and indexes are
// added; nothing is dropped, so rows of an older file stay.
bool migrate(SqliteConnection &db, const Model &model, QString *error, bool *incompatible)
{
    *incompatible = false;
    if (!db.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        *error = db.lastError();
        return false;
    }
    for (const EntityDescription &e : model.entities()) {
        const QString table = SqliteConnection::quoted(e.name);
        QStringList defs{QStringLiteral("pk INTEGER PRIMARY KEY"), revisionColumnDef()};
        for (int s = 0; s < e.slotCount(); ++s) {
            const AttributeType t = s < e.attributes.size() ? e.attributes.at(s).type : AttributeType::Text;
            defs << SqliteConnection::quoted(e.slotColumn(s)) + ' ' +
                        (s < e.attributes.size() ? columnType(t) : QStringLiteral("INTEGER"));
        }
        bool ok = db.exec("CREATE TABLE IF NOT EXISTS " + table + " (" + defs.join(", ") + ")");
        QSet<QString> existing;
        if (ok) {
            const QStringList names = db.queryTexts(
                "SELECT name FROM pragma_table_info(" + SqliteConnection::quoted(e.name) + ")", &ok);
            existing = QSet<QString>(names.begin(), names.end());
            // Rows are addressed by pk; a table of that name without it is not ours.
            if (ok && !existing.contains(QStringLiteral("pk"))) {
                *error = e.name + ": the table has no pk column";
                *incompatible = true;
                db.exec(QStringLiteral("ROLLBACK"));
                return false;
            }
        }
        if (ok && !existing.contains(Store::revisionColumn()))
            ok = db.exec("ALTER TABLE " + table + " ADD COLUMN " + revisionColumnDef());
        for (int s = 0; ok && s < e.slotCount(); ++s) {
            const QString col = e.slotColumn(s);
            if (existing.contains(col))
                continue;
            const QString type =
                s < e.attributes.size() ? columnType(e.attributes.at(s).type) : QStringLiteral("INTEGER");
            ok =
                db.exec("ALTER TABLE " + table + " ADD COLUMN " + SqliteConnection::quoted(col) + ' ' + type);
        }
        for (int s = 0; ok && s < e.slotCount(); ++s) {
            const bool indexed = s < e.attributes.size() ? e.attributes.at(s).indexed : true;
            if (!indexed)
                continue;
            const QString col = e.slotColumn(s);
            ok = db.exec("CREATE INDEX IF NOT EXISTS " + SqliteConnection::quoted(e.name + "_" + col) +
                         " ON " + table + " (" + SqliteConnection::quoted(col) + ")");
        }
        if (!ok) {
            *error = e.name + ": " + db.lastError();
            db.exec(QStringLiteral("ROLLBACK"));
            return false;
        }
    }
    if (!db.exec(QStringLiteral("COMMIT"))) {
        *error = db.lastError();
        db.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

qint64 largest(SqliteConnection &db, const Model &model, const QString &column)
{
    qint64 largest = 0;
    for (const EntityDescription &e : model.entities()) {
        const QStringList r = db.queryTexts("SELECT MAX(" + SqliteConnection::quoted(column) + ") FROM " +
                                            SqliteConnection::quoted(e.name));
        if (!r.isEmpty())
            largest = qMax(largest, r.first().toLongLong());
    }
    return largest;
}

QString moveAside(const QString &path)
{
    const QString stamp = Clock::now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + ".unreadable-" + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + ".unreadable-" + stamp + "-" + QString::number(n);
    if (!QFile::rename(path, target))
        return {};
    // The journal files belong to the unreadable file; keep them beside it.
    for (const char *suffix : {"-wal", "-shm"}) {
        if (QFileInfo::exists(path + suffix))
            QFile::rename(path + suffix, target + suffix);
    }
    return target;
}

} // namespace

Store::Store(const QString &path, const Model &model) : m_path(path), m_model(model)
{
    m_pool.setMaxThreadCount(1);
}

Store::~Store()
{
    m_pool.waitForDone();
    m_main.reset();
}

std::unique_ptr<Store> Store::open(const QString &path, const Model &model, StoreOpenResult *result)
{
    std::unique_ptr<Store> store(new Store(path, model));
    StoreOpenResult r;
    r.path = path;
    const bool ok = store->openFile(r);
    if (result)
        *result = r;
    store->m_openResult = r;
    if (!ok)
        return nullptr;
    store->m_main.reset(new Context(store.get(), Context::Kind::Main));
    return store;
}

bool Store::openFile(StoreOpenResult &result)
{
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        result.status = StoreOpenResult::Failed;
        result.error = "cannot create the folder " + info.absolutePath();
        return false;
    }
    const bool existed = info.exists() && info.size() > 0;

    auto attempt = [this](QString *error, bool *unreadable) -> bool {
        keepPrivate(m_path);
        int code = SQLITE_OK;
        auto db = SqliteConnection::open(m_path, true, error, &code, false);
        if (!db) {
            *unreadable = code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
            return false;
        }
        bool ok = false;
        const QStringList check = db->queryTexts(QStringLiteral("PRAGMA quick_check"), &ok);
        if (!ok || check != QStringList{QStringLiteral("ok")}) {
            *error = ok ? check.join("; ") : db->lastError();
            const int c = db->lastErrorCode();
            *unreadable = !ok ? (c == SQLITE_NOTADB || c == SQLITE_CORRUPT) : true;
            return false;
        }
        bool incompatible = false;
        if (!migrate(*db, m_model, error, &incompatible)) {
            // A file whose tables do not fit the model cannot be used either.
            const int c = db->lastErrorCode();
            *unreadable = incompatible || c == SQLITE_NOTADB || c == SQLITE_CORRUPT || c == SQLITE_ERROR;
            return false;
        }
        m_nextPk = largest(*db, m_model, QStringLiteral("pk")) + 1;
        m_nextRevision = largest(*db, m_model, revisionColumn()) + 1;
        return true;
    };

    QString error;
    bool unreadable = false;
    if (attempt(&error, &unreadable)) {
        result.status = existed ? StoreOpenResult::Opened : StoreOpenResult::Created;
        return true;
    }
    if (!unreadable || !existed) {
        result.status = StoreOpenResult::Failed;
        result.error = error;
        qWarning().noquote() << "store: cannot open" << m_path << ":" << error;
        return false;
    }
    const QString aside = moveAside(m_path);
    if (aside.isEmpty()) {
        result.status = StoreOpenResult::Failed;
        result.error = error + "; the file could not be moved aside";
        qWarning().noquote() << "store:" << m_path << "is unreadable and cannot be moved aside:" << error;
        return false;
    }
    qWarning().noquote() << "store:" << m_path << "is unreadable (" << error << "), moved to" << aside;
    QString retryError;
    if (!attempt(&retryError, &unreadable)) {
        result.status = StoreOpenResult::Failed;
        result.error = retryError;
        result.movedAsidePath = aside;
        return false;
    }
    result.status = StoreOpenResult::Recovered;
    result.movedAsidePath = aside;
    result.error = error;
    return true;
}

std::unique_ptr<Context> Store::newContext()
{
    return std::unique_ptr<Context>(new Context(this, Context::Kind::Private));
}

std::unique_ptr<Context> Store::newBackgroundContext()
{
    return std::unique_ptr<Context>(new Context(this, Context::Kind::Background));
}

void Store::saveInBackground(std::function<void(Context &)> block,
                             std::function<void(const SaveResult &)> completion)
{
    QPointer<Store> self(this);
    m_pool.start([this, self, block = std::move(block), completion = std::move(completion)] {
        SaveResult result;
        {
            std::unique_ptr<Context> ctx(new Context(this, Context::Kind::Background));
            ctx->beginReading();
            block(*ctx);
            result = ctx->saveAndWait();
            ctx->endReading();
        }
        // Queued after the merge that the save posted, so the completion sees it.
        if (completion) {
            QMetaObject::invokeMethod(
                this, [completion, result] { completion(result); }, Qt::QueuedConnection);
        }
    });
}

void Store::waitForBackgroundSaves()
{
    m_pool.waitForDone();
}
