#pragma once

#include "platform/store/Context.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <tuple>

class SqliteConnection;
struct EntityState;
struct sqlite3_stmt;

// The queries of a context: rows by value, by condition (filtered, sorted and
// limited in SQL), counts, the targets of a to-one relationship and bare values. The
// file's rows and the rows with pending changes are read together: a row with
// pending changes is judged by its values in memory, and every row found gets the
// one object of its row in the context. Made for a call and dropped after it.
class ContextQuery
{
public:
    explicit ContextQuery(Context &context);

    // The rows whose slot holds the value (every row for slot -1), in key order; at
    // most one with firstOnly.
    QList<ManagedObject *> query(const EntityDescription &entity, int slot, const QVariant &value,
                                 bool firstOnly);
    QList<ManagedObject *> fetch(const EntityDescription &entity, const FetchRequest &request);
    int count(const EntityDescription &entity, const Predicate &where);
    QHash<ManagedObject *, ManagedObject *> fetchToOne(const QList<ManagedObject *> &rows,
                                                       const QString &relationship);
    FetchedValues fetchValues(const EntityDescription &entity, const Predicate &where,
                              const QStringList &names);

    static void sortByKey(const EntityDescription &entity, QList<ManagedObject *> &rows, const QString &key,
                          bool ascending);

private:
    EntityState &state(int entity) { return m_context.state(entity); }
    ManagedObject *registered(int entity, qint64 pk) const { return m_context.registered(entity, pk); }
    ManagedObject *materialise(const EntityDescription &e, qint64 pk, QList<QVariant> values, qint64 revision)
    {
        return m_context.materialise(e, pk, std::move(values), revision);
    }
    ManagedObject *objectForKey(int entity, qint64 pk) { return m_context.objectForKey(entity, pk); }

    // The row a statement stands on (columns as EntityState::selectColumns); pending
    // tells that it has pending changes and must be judged in memory.
    ManagedObject *rowFromStatement(const EntityDescription &e, sqlite3_stmt *stmt, bool *pending);
    // Rows in the order of the keys (slot, type, ascending), ties in creation order.
    static void sortRows(QList<ManagedObject *> &rows,
                         const QList<std::tuple<int, AttributeType, bool>> &keys);

    Context &m_context;
    Store *m_store;
    SqliteConnection *m_db; // nullptr when the context has no connection
};
