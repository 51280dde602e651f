#include "platform/store/SqliteConnection.h"

#include <QDataStream>
#include <QDebug>
#include <QIODevice>
#include <QThread>

#include <sqlite3.h>

SqliteConnection::~SqliteConnection()
{
    for (sqlite3_stmt *s : std::as_const(m_statements))
        sqlite3_finalize(s);
    if (m_db)
        sqlite3_close_v2(m_db);
}

std::unique_ptr<SqliteConnection> SqliteConnection::open(const QString &path, bool create, QString *error,
                                                         int *code, bool checkpointOnClose)
{
    std::unique_ptr<SqliteConnection> c(new SqliteConnection);
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (create)
        flags |= SQLITE_OPEN_CREATE;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &c->m_db, flags, nullptr);
    if (rc == SQLITE_OK) {
        // A connection that only checks a file must not fold its journal into it.
        if (!checkpointOnClose)
            sqlite3_db_config(c->m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_extended_result_codes(c->m_db, 0);
        sqlite3_busy_handler(c->m_db, &SqliteConnection::busyHandler, c.get());
        // The journal mode is the first statement that reads the file: a file that is
        // not a database fails here.
        rc = sqlite3_exec(c->m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(c->m_db, "PRAGMA synchronous=FULL; PRAGMA foreign_keys=OFF", nullptr, nullptr,
                              nullptr);
    }
    if (rc != SQLITE_OK) {
        if (error)
            *error =
                c->m_db ? QString::fromUtf8(sqlite3_errmsg(c->m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
        if (code)
            *code = rc;
        return nullptr;
    }
    return c;
}

int SqliteConnection::busyHandler(void *connection, int attempt)
{
    // SQLite's own timeout sleeps in growing steps (up to 100 ms), so a main-thread save
    // waiting for a background save oversleeps its end. Short steps end the wait within
    // a millisecond of the lock coming free; give up after five seconds.
    auto *c = static_cast<SqliteConnection *>(connection);
    if (attempt == 0)
        c->m_busySince.start();
    if (c->m_busySince.elapsed() >= 5000)
        return 0;
    QThread::usleep(500);
    return 1;
}

bool SqliteConnection::exec(const QString &sql)
{
    char *msg = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &msg);
    if (msg)
        sqlite3_free(msg);
    return rc == SQLITE_OK;
}

sqlite3_stmt *SqliteConnection::prepare(const QString &sql)
{
    auto it = m_statements.constFind(sql);
    if (it != m_statements.constEnd()) {
        sqlite3_reset(*it);
        sqlite3_clear_bindings(*it);
        return *it;
    }
    sqlite3_stmt *stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, nullptr) != SQLITE_OK) {
        qWarning().noquote() << "store: cannot prepare" << sql << ":" << lastError();
        return nullptr;
    }
    m_statements.insert(sql, stmt);
    return stmt;
}

QStringList SqliteConnection::queryTexts(const QString &sql, bool *ok)
{
    QStringList out;
    sqlite3_stmt *stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, nullptr);
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
            out << QString::fromUtf8(t ? t : "");
        }
    }
    sqlite3_finalize(stmt);
    if (ok)
        *ok = rc == SQLITE_DONE;
    return out;
}

SqliteConnection::Encoded SqliteConnection::encode(const QVariant &value, AttributeType type,
                                                   const ValueTransformer *transformer)
{
    Encoded e;
    if (!value.isValid() || value.isNull())
        return e;
    switch (type) {
    case AttributeType::Int16:
    case AttributeType::Int32:
    case AttributeType::Int64:
    case AttributeType::Bool:
        e.kind = Encoded::Integer;
        e.integer = value.toLongLong();
        break;
    case AttributeType::Float:
        e.kind = Encoded::Real;
        e.real = value.toDouble();
        break;
    case AttributeType::Text: {
        // A null text stays NULL in the file, an empty one is ''.
        const QString text = value.toString();
        if (text.isNull())
            break;
        e.kind = Encoded::Text;
        e.bytes = text.toUtf8();
        break;
    }
    case AttributeType::Object:
        e.kind = Encoded::Blob;
        if (transformer && transformer->toData) {
            e.bytes = transformer->toData(value);
        } else {
            QDataStream out(&e.bytes, QIODevice::WriteOnly);
            out << value;
        }
        break;
    }
    return e;
}

bool SqliteConnection::bind(sqlite3_stmt *stmt, int index, const Encoded &value)
{
    // The caller keeps value alive until the statement has run.
    switch (value.kind) {
    case Encoded::Null:
        return sqlite3_bind_null(stmt, index) == SQLITE_OK;
    case Encoded::Integer:
        return sqlite3_bind_int64(stmt, index, value.integer) == SQLITE_OK;
    case Encoded::Real:
        return sqlite3_bind_double(stmt, index, value.real) == SQLITE_OK;
    case Encoded::Text:
        return sqlite3_bind_text(stmt, index, value.bytes.constData(), int(value.bytes.size()),
                                 SQLITE_STATIC) == SQLITE_OK;
    case Encoded::Blob:
        return sqlite3_bind_blob(stmt, index, value.bytes.constData(), int(value.bytes.size()),
                                 SQLITE_STATIC) == SQLITE_OK;
    }
    return false;
}

bool SqliteConnection::bind(sqlite3_stmt *stmt, int index, const QVariant &value, AttributeType type,
                            const ValueTransformer *transformer)
{
    const Encoded e = encode(value, type, transformer);
    if (e.kind == Encoded::Text)
        return sqlite3_bind_text(stmt, index, e.bytes.constData(), int(e.bytes.size()), SQLITE_TRANSIENT) ==
               SQLITE_OK;
    if (e.kind == Encoded::Blob)
        return sqlite3_bind_blob(stmt, index, e.bytes.constData(), int(e.bytes.size()), SQLITE_TRANSIENT) ==
               SQLITE_OK;
    return bind(stmt, index, e);
}

QVariant SqliteConnection::column(sqlite3_stmt *stmt, int index, AttributeType type,
                                  const ValueTransformer *transformer)
{
    const bool isNull = sqlite3_column_type(stmt, index) == SQLITE_NULL;
    switch (type) {
    case AttributeType::Int16:
    case AttributeType::Int32:
    case AttributeType::Int64:
        return QVariant(qlonglong(isNull ? 0 : sqlite3_column_int64(stmt, index)));
    case AttributeType::Bool:
        return QVariant(!isNull && sqlite3_column_int64(stmt, index) != 0);
    case AttributeType::Float:
        return QVariant(float(isNull ? 0.0 : sqlite3_column_double(stmt, index)));
    case AttributeType::Text: {
        if (isNull)
            return QVariant(QString());
        const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(stmt, index));
        return QVariant(QString::fromUtf8(t, sqlite3_column_bytes(stmt, index)));
    }
    case AttributeType::Object: {
        if (isNull)
            return QVariant();
        const auto *b = static_cast<const char *>(sqlite3_column_blob(stmt, index));
        const QByteArray data(b, sqlite3_column_bytes(stmt, index));
        if (transformer && transformer->fromData)
            return transformer->fromData(data);
        QVariant v;
        QDataStream in(data);
        in >> v;
        return in.status() == QDataStream::Ok ? v : QVariant();
    }
    }
    return {};
}

QString SqliteConnection::quoted(const QString &identifier)
{
    QString s = identifier;
    s.replace('"', "\"\"");
    return '"' + s + '"';
}

QString SqliteConnection::lastError() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
}

int SqliteConnection::lastErrorCode() const
{
    return m_db ? sqlite3_errcode(m_db) : SQLITE_CANTOPEN;
}
