#pragma once

#include "platform/store/EntityDescription.h"
#include "platform/store/SqliteConnection.h"

#include <QByteArray>
#include <QStringEncoder>
#include <QVariant>

#include <sqlite3.h>

#include <vector>

// The parameters of (a chunk of) a save, in the form SQLite takes them. Texts and
// blobs go into one buffer, so a large save makes no allocation per value; they are
// bound without copies, so the buffer must not change any more once values are bound.
class SaveParams
{
public:
    using Kind = SqliteConnection::Encoded::Kind;
    // Sixteen bytes: a large save holds one per column of every row it writes.
    struct Param
    {
        Kind kind = Kind::Null;
        int size = 0; // of a text or blob
        union {
            qint64 integer = 0;
            double real;
            qsizetype offset; // of a text or blob in m_bytes
        };
    };

    // Room for exactly n parameters, in a buffer of its own or in one shared by the
    // chunks of a save (a single large block, allocated once).
    void reserve(qsizetype n)
    {
        m_own.resize(size_t(n));
        use(m_own.data(), n);
    }
    void use(Param *storage, qsizetype n)
    {
        m_data = storage;
        m_capacity = n;
    }
    qsizetype size() const { return m_size; }

    void addInteger(qint64 n)
    {
        Param p;
        p.kind = Kind::Integer;
        p.integer = n;
        push(p);
    }
    // The value of a slot of the entity, as its column holds it.
    void add(const QVariant &v, const EntityDescription &e, int slot);

    bool bind(sqlite3_stmt *stmt, int index, qsizetype i) const
    {
        const Param &p = m_data[i];
        switch (p.kind) {
        case Kind::Null:
            return sqlite3_bind_null(stmt, index) == SQLITE_OK;
        case Kind::Integer:
            return sqlite3_bind_int64(stmt, index, p.integer) == SQLITE_OK;
        case Kind::Real:
            return sqlite3_bind_double(stmt, index, p.real) == SQLITE_OK;
        case Kind::Text:
            return sqlite3_bind_text(stmt, index, m_bytes.constData() + p.offset, p.size, SQLITE_STATIC) ==
                   SQLITE_OK;
        case Kind::Blob:
            return sqlite3_bind_blob(stmt, index, m_bytes.constData() + p.offset, p.size, SQLITE_STATIC) ==
                   SQLITE_OK;
        }
        return false;
    }

private:
    void addText(const QString &text);
    void addBytes(Kind kind, qsizetype at, qsizetype size)
    {
        Param p;
        p.kind = kind;
        p.size = int(size);
        p.offset = at;
        push(p);
    }
    void push(const Param &p)
    {
        Q_ASSERT(m_size < m_capacity);
        m_data[m_size++] = p;
    }

    std::vector<Param> m_own;
    Param *m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
    QByteArray m_bytes;
    QStringEncoder m_utf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
};
