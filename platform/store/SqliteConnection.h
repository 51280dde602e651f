#pragma once

#include "platform/store/EntityDescription.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// One connection to the store file with a cache of prepared statements.
// Used by one thread at a time.
class SqliteConnection
{
public:
    ~SqliteConnection();

    // Opens the file (creating it when allowed), WAL journal, full sync, busy timeout.
    // Without checkpointOnClose, closing leaves the journal files as they are (used
    // to look at a file that may have to be moved aside untouched).
    static std::unique_ptr<SqliteConnection> open(const QString &path, bool create, QString *error,
                                                  int *code = nullptr, bool checkpointOnClose = true);

    bool exec(const QString &sql);
    // A prepared statement, reset and with its bindings cleared; nullptr on error.
    sqlite3_stmt *prepare(const QString &sql);
    // Single-column query results as texts (PRAGMAs).
    QStringList queryTexts(const QString &sql, bool *ok = nullptr);

    static bool bind(sqlite3_stmt *stmt, int index, const QVariant &value, AttributeType type,
                     const ValueTransformer *transformer = nullptr);

    // A value already in the form SQLite takes, so that a save can do the conversion
    // before it takes the write lock.
    struct Encoded
    {
        enum Kind
        {
            Null,
            Integer,
            Real,
            Text,
            Blob
        };
        Kind kind = Null;
        qint64 integer = 0;
        double real = 0;
        QByteArray bytes; // UTF-8 text or blob
    };
    static Encoded encode(const QVariant &value, AttributeType type,
                          const ValueTransformer *transformer = nullptr);
    // Binds without copying: value must live until the statement was stepped.
    static bool bind(sqlite3_stmt *stmt, int index, const Encoded &value);
    static QVariant column(sqlite3_stmt *stmt, int index, AttributeType type,
                           const ValueTransformer *transformer = nullptr);
    static QString quoted(const QString &identifier);

    QString lastError() const;
    int lastErrorCode() const;
    sqlite3 *handle() const { return m_db; }

private:
    SqliteConnection() = default;
    static int busyHandler(void *connection, int attempt);
    sqlite3 *m_db = nullptr;
    QElapsedTimer m_busySince;
    QHash<QString, sqlite3_stmt *> m_statements;
};
