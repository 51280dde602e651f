#include "platform/store/ContextQuery.h"

#include "platform/store/AttributeValue.h"
#include "platform/store/EntityState.h"
#include "platform/store/RowReader.h"
#include "platform/store/SqliteConnection.h"
#include "platform/store/Store.h"

#include <QDebug>
#include <QVarLengthArray>

#include <algorithm>
#include <numeric>
#include <sqlite3.h>
#include <tuple>
#include <utility>

ContextQuery::ContextQuery(Context &context)
    : m_context(context), m_store(context.m_store), m_db(context.m_db.get())
{
}

QList<ManagedObject *> ContextQuery::query(const EntityDescription &entity, int slot, const QVariant &value,
                                           bool firstOnly)
{
    const EntityDescription &e = m_store->model().entityAt(entity.index);
    EntityState &st = state(e.index);
    QList<ManagedObject *> out;

    // Rows with pending changes are judged by their values in memory.
    QVariant key;
    if (slot >= 0) {
        const auto converted = slot < e.attributes.size()
                                   ? AttributeValue::convert(value, RowReader::slotType(e, slot))
                                   : std::optional<QVariant>(AttributeValue::relationshipKey(value));
        if (!converted)
            return {};
        key = *converted;
        // A row made in this context that no row has pointed at yet: nothing holds it.
        if (!key.isNull() && st.slotTarget.at(slot) >= 0) {
            const ManagedObject *target = registered(st.slotTarget.at(slot), key.toLongLong());
            if (target && target->isUnreferencedNew())
                return {};
        }
        if (const ValueIndex::Holders *holders = st.dirtyIndex.holders(slot, key, st.dirty)) {
            for (ManagedObject *o : *holders) {
                if (!o->m_deleted)
                    out.append(o);
            }
        }
    } else {
        for (ManagedObject *o : std::as_const(st.dirty)) {
            if (!o->m_deleted)
                out.append(o);
        }
    }

    const qsizetype pendingCount = out.size();

    // A row made in this context and not saved yet is known to no stored row: only
    // rows with pending changes (judged above) can point at it.
    bool fileMayHold = true;
    if (slot >= 0 && !key.isNull() && st.slotTarget.at(slot) >= 0) {
        const ManagedObject *target = registered(st.slotTarget.at(slot), key.toLongLong());
        fileMayHold = !(target && target->m_inserted);
    }

    if (m_db && fileMayHold) {
        // In memory a null text and an empty one are the same key (ValueIndex::keyOf); the file
        // holds NULL for the one and '' for the other.
        const bool emptyText =
            slot >= 0 && RowReader::slotType(e, slot) == AttributeType::Text && key.toString().isEmpty();
        const bool nullKey = slot >= 0 && !emptyText && key.isNull();
        QString &sql = st.querySql[(slot + 1) * 3 + (emptyText ? 2 : nullKey ? 1 : 0)];
        if (sql.isEmpty()) {
            sql = "SELECT " + st.selectColumns + " FROM " + SqliteConnection::quoted(e.name);
            if (slot >= 0) {
                const QString column = SqliteConnection::quoted(e.slotColumn(slot));
                // Older files hold 0 for a relationship never set.
                const bool relationship = slot >= e.attributes.size();
                sql +=
                    " WHERE " + (emptyText                 ? "(" + column + " IS NULL OR " + column + " = '')"
                                 : nullKey && relationship ? "(" + column + " IS NULL OR " + column + " = 0)"
                                 : nullKey                 ? column + " IS NULL"
                                                           : column + " = ?");
            }
            sql += " ORDER BY pk";
        }
        if (sqlite3_stmt *stmt = m_db->prepare(sql)) {
            if (slot >= 0 && !nullKey && !emptyText)
                SqliteConnection::bind(stmt, 1, key, RowReader::slotType(e, slot),
                                       RowReader::slotTransformer(e, slot));
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                const qint64 pk = sqlite3_column_int64(stmt, 0);
                if (ManagedObject *o = st.registered.value(pk, nullptr)) {
                    if (o->m_deleted || st.dirty.contains(o))
                        continue;
                    out.append(o);
                } else {
                    const int slotTotal = int(st.emptyValues.size());
                    out.append(materialise(e, pk, RowReader::readRow(stmt, e, slotTotal),
                                           sqlite3_column_int64(stmt, slotTotal + 1)));
                }
                if (firstOnly)
                    break;
            }
            if (rc != SQLITE_ROW && rc != SQLITE_DONE)
                qWarning().noquote() << "store: query of" << e.name << "failed:" << m_db->lastError();
            sqlite3_reset(stmt);
        }
    }

    // The file's rows came in key order: only the pending ones need sorting.
    const auto byKey = [](const ManagedObject *a, const ManagedObject *b) { return a->m_pk < b->m_pk; };
    if (pendingCount > 0) {
        std::sort(out.begin(), out.begin() + pendingCount, byKey);
        std::inplace_merge(out.begin(), out.begin() + pendingCount, out.end(), byKey);
    }
    if (firstOnly && out.size() > 1)
        out.resize(1);
    return out;
}

void ContextQuery::sortByKey(const EntityDescription &entity, QList<ManagedObject *> &rows,
                             const QString &key, bool ascending)
{
    const int slot = entity.slotOfName(key);
    if (slot < 0) {
        qWarning().noquote() << "store:" << entity.name << "has no sort key" << key;
        return;
    }
    const AttributeType type = RowReader::slotType(entity, slot);
    std::stable_sort(rows.begin(), rows.end(), [&](const ManagedObject *a, const ManagedObject *b) {
        const int c = AttributeValue::compare(a->m_values.at(slot), b->m_values.at(slot), type);
        return ascending ? c < 0 : c > 0;
    });
}

namespace {

// Sorts like SQLite's ORDER BY: NULL first ascending, last descending; ties by key.
bool sortsBefore(const ManagedObject *a, const QList<QVariant> &av, const ManagedObject *b,
                 const QList<QVariant> &bv, const QList<std::tuple<int, AttributeType, bool>> &keys)
{
    for (const auto &[slot, type, ascending] : keys) {
        const QVariant &x = av.at(slot), &y = bv.at(slot);
        const bool text = type == AttributeType::Text;
        const bool xNull = !x.isValid() || x.isNull() || (text && x.toString().isNull());
        const bool yNull = !y.isValid() || y.isNull() || (text && y.toString().isNull());
        int c = xNull && yNull ? 0 : xNull ? -1 : yNull ? 1 : AttributeValue::compare(x, y, type);
        if (c != 0)
            return ascending ? c < 0 : c > 0;
    }
    return a->objectId().pk < b->objectId().pk;
}

QString keysJson(const QList<qint64> &keys)
{
    QString json = QStringLiteral("[");
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (i)
            json += ',';
        json += QString::number(keys.at(i));
    }
    return json + ']';
}

} // namespace

ManagedObject *ContextQuery::rowFromStatement(const EntityDescription &e, sqlite3_stmt *stmt, bool *pending)
{
    EntityState &st = state(e.index);
    const qint64 pk = sqlite3_column_int64(stmt, 0);
    if (ManagedObject *o = st.registered.value(pk, nullptr)) {
        // Rows with pending changes are judged by their values in memory.
        *pending = o->m_deleted || st.dirty.contains(o);
        return o;
    }
    *pending = false;
    const int slotTotal = int(st.emptyValues.size());
    return materialise(e, pk, RowReader::readRow(stmt, e, slotTotal),
                       sqlite3_column_int64(stmt, slotTotal + 1));
}

QList<ManagedObject *> ContextQuery::fetch(const EntityDescription &entity, const FetchRequest &request)
{
    const EntityDescription &e = m_store->model().entityAt(entity.index);
    EntityState &st = state(e.index);
    QString error;
    const std::optional<Predicate::Compiled> where = request.where.compile(e, &error);
    if (!where) {
        qWarning().noquote() << "store: cannot fetch:" << error;
        return {};
    }
    QList<std::tuple<int, AttributeType, bool>> keys;
    QString order;
    for (const FetchRequest::Sort &sort : request.sortBy) {
        const int slot = e.slotOfName(sort.attribute);
        if (slot < 0) {
            qWarning().noquote() << "store:" << e.name << "has no sort key" << sort.attribute;
            return {};
        }
        keys.append({slot, RowReader::slotType(e, slot), sort.ascending});
        order += SqliteConnection::quoted(e.slotColumn(slot)) + (sort.ascending ? " ASC, " : " DESC, ");
    }
    if (request.limit == 0)
        return {};

    QList<ManagedObject *> pending;
    for (ManagedObject *o : std::as_const(st.dirty)) {
        if (!o->m_deleted && where->test(o->m_values))
            pending.append(o);
    }
    QList<ManagedObject *> stored;
    if (m_db) {
        // Without a limit the rows are sorted here: cheaper than SQLite's sorter, which
        // moves whole rows.
        QString sql = "SELECT " + st.selectColumns + " FROM " + SqliteConnection::quoted(e.name) + " WHERE " +
                      where->sql;
        if (request.limit > 0)
            sql += " ORDER BY " + order + "pk LIMIT ?";
        if (sqlite3_stmt *stmt = m_db->prepare(sql)) {
            int index = 1;
            for (const Predicate::Parameter &p : where->parameters)
                SqliteConnection::bind(stmt, index++, p.value, p.type);
            // Rows with pending changes are skipped here: as many more are read.
            if (request.limit > 0)
                sqlite3_bind_int64(stmt, index, qint64(request.limit) + st.dirty.size());
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                bool isPending = false;
                ManagedObject *o = rowFromStatement(e, stmt, &isPending);
                if (!isPending)
                    stored.append(o);
            }
            if (rc != SQLITE_DONE)
                qWarning().noquote() << "store: fetch of" << e.name << "failed:" << m_db->lastError();
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        } else {
            qWarning().noquote() << "store: fetch of" << e.name << "failed:" << m_db->lastError();
        }
    }

    QList<ManagedObject *> out;
    auto before = [&keys](const ManagedObject *a, const ManagedObject *b) {
        return sortsBefore(a, a->m_values, b, b->m_values, keys);
    };
    if (request.limit < 0) {
        stored += pending;
        sortRows(stored, keys);
        return stored;
    }
    if (pending.isEmpty()) {
        out = std::move(stored);
    } else {
        std::sort(pending.begin(), pending.end(), before);
        out.resize(stored.size() + pending.size());
        std::merge(stored.begin(), stored.end(), pending.begin(), pending.end(), out.begin(), before);
    }
    if (request.limit > 0 && out.size() > request.limit)
        out.resize(request.limit);
    return out;
}

int ContextQuery::count(const EntityDescription &entity, const Predicate &predicate)
{
    const EntityDescription &e = m_store->model().entityAt(entity.index);
    EntityState &st = state(e.index);
    QString error;
    const std::optional<Predicate::Compiled> where = predicate.compile(e, &error);
    if (!where) {
        qWarning().noquote() << "store: cannot count:" << error;
        return 0;
    }
    int n = 0;
    for (ManagedObject *o : std::as_const(st.dirty)) {
        if (!o->m_deleted && where->test(o->m_values))
            ++n;
    }
    if (!m_db)
        return n;
    // Without pending changes SQL counts alone; else the keys tell which rows it
    // counted that memory has judged already.
    const bool clean = st.dirty.isEmpty();
    const QString sql = QString(clean ? "SELECT COUNT(*)" : "SELECT pk") + " FROM " +
                        SqliteConnection::quoted(e.name) + " WHERE " + where->sql;
    sqlite3_stmt *stmt = m_db->prepare(sql);
    if (!stmt) {
        qWarning().noquote() << "store: count of" << e.name << "failed:" << m_db->lastError();
        return n;
    }
    int index = 1;
    for (const Predicate::Parameter &p : where->parameters)
        SqliteConnection::bind(stmt, index++, p.value, p.type);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        if (clean) {
            n += int(sqlite3_column_int64(stmt, 0));
            continue;
        }
        const ManagedObject *o = st.registered.value(sqlite3_column_int64(stmt, 0), nullptr);
        if (!o || !st.dirty.contains(const_cast<ManagedObject *>(o)))
            ++n;
    }
    if (rc != SQLITE_DONE)
        qWarning().noquote() << "store: count of" << e.name << "failed:" << m_db->lastError();
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return n;
}

QHash<ManagedObject *, ManagedObject *> ContextQuery::fetchToOne(const QList<ManagedObject *> &rows,
                                                                 const QString &relationship)
{
    QHash<ManagedObject *, ManagedObject *> out;
    if (rows.isEmpty())
        return out;
    const EntityDescription &e = *rows.first()->m_entity;
    const int r = e.relationshipIndex(relationship);
    const RelationshipDef *rel = r >= 0 ? &e.relationships.at(r) : nullptr;
    const EntityDescription *target = rel ? m_store->model().entity(rel->target) : nullptr;
    if (!target || rel->toMany) {
        qWarning().noquote() << "store:" << e.name << "has no to-one relationship" << relationship;
        return out;
    }
    EntityState &ts = state(target->index);
    QList<ManagedObject *> live;
    for (ManagedObject *o : rows) {
        if (o && o->m_context == &m_context && o->m_entity == &e && !o->m_deleted)
            live.append(o);
    }

    // The target rows whose key column (0 for pk) holds one of the keys. Keys close
    // together (rows made in one go) are read as one range, skipping the others; else
    // the keys go in as one JSON array.
    auto select = [&](int keyColumn, const QList<qint64> &keys, auto &&wanted, auto &&take) {
        if (!m_db || keys.isEmpty())
            return;
        const auto [low, high] = std::minmax_element(keys.begin(), keys.end());
        const bool range = *high - *low < 4 * qint64(keys.size());
        const QString column = keyColumn == 0 ? QStringLiteral("pk")
                                              : SqliteConnection::quoted(target->slotColumn(keyColumn - 1));
        const QString sql = "SELECT " + ts.selectColumns + " FROM " + SqliteConnection::quoted(target->name) +
                            " WHERE " + column +
                            (range ? QStringLiteral(" BETWEEN ? AND ?")
                                   : QStringLiteral(" IN (SELECT value FROM json_each(?))"));
        sqlite3_stmt *stmt = m_db->prepare(sql);
        if (!stmt) {
            qWarning().noquote() << "store: fetch of" << target->name << "failed:" << m_db->lastError();
            return;
        }
        QByteArray json;
        if (range) {
            sqlite3_bind_int64(stmt, 1, *low);
            sqlite3_bind_int64(stmt, 2, *high);
        } else {
            json = keysJson(keys).toUtf8();
            sqlite3_bind_text(stmt, 1, json.constData(), int(json.size()), SQLITE_STATIC);
        }
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (range && !wanted(sqlite3_column_int64(stmt, keyColumn)))
                continue;
            bool isPending = false;
            ManagedObject *t = rowFromStatement(*target, stmt, &isPending);
            if (!isPending)
                take(t);
        }
        if (rc != SQLITE_DONE)
            qWarning().noquote() << "store: fetch of" << target->name << "failed:" << m_db->lastError();
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    };

    const int slot = e.slotOfRelationship(r);
    if (slot >= 0) {
        // The key is on this side: the targets by key, those not in memory in one query.
        // Mostly one holder per target; a multi-hash keeps the rare others.
        QMultiHash<qint64, ManagedObject *> wanted;
        wanted.reserve(live.size());
        out.reserve(live.size());
        QList<qint64> keys;
        for (ManagedObject *o : std::as_const(live)) {
            const QVariant &key = o->m_values.at(slot);
            if (key.isNull())
                continue;
            const qint64 pk = key.toLongLong();
            if (ManagedObject *t = registered(target->index, pk)) {
                if (!t->m_deleted)
                    out.insert(o, t);
            } else {
                if (!wanted.contains(pk))
                    keys.append(pk);
                wanted.insert(pk, o);
            }
        }
        select(
            0, keys, [&wanted](qint64 key) { return wanted.contains(key); },
            [&](ManagedObject *t) {
                for (auto [it, end] = wanted.equal_range(t->m_pk); it != end; ++it)
                    out.insert(*it, t);
            });
        return out;
    }

    // The key is on the other side: the first holder (by key) of each row, rows with
    // pending changes judged in memory.
    const int inverseSlot = target->slotOfRelationship(target->relationshipIndex(rel->inverse));
    if (inverseSlot < 0)
        return out;
    QHash<qint64, ManagedObject *> byKey;
    for (ManagedObject *o : std::as_const(live))
        byKey.insert(o->m_pk, o);
    QHash<qint64, ManagedObject *> found;
    auto offer = [&](ManagedObject *t) {
        const QVariant &key = t->m_values.at(inverseSlot);
        if (key.isNull() || !byKey.contains(key.toLongLong()))
            return;
        ManagedObject *&held = found[key.toLongLong()];
        if (!held || t->m_pk < held->m_pk)
            held = t;
    };
    for (ManagedObject *t : std::as_const(ts.dirty)) {
        if (!t->m_deleted)
            offer(t);
    }
    select(
        inverseSlot + 1, byKey.keys(), [&byKey](qint64 key) { return byKey.contains(key); }, offer);
    for (auto it = found.cbegin(); it != found.cend(); ++it)
        out.insert(byKey.value(it.key()), it.value());
    return out;
}

FetchedValues ContextQuery::fetchValues(const EntityDescription &entity, const Predicate &predicate,
                                        const QStringList &names)
{
    FetchedValues out;
    const Model &model = m_store->model();
    const EntityDescription &e = model.entityAt(entity.index);
    EntityState &st = state(e.index);
    QString error;
    const std::optional<Predicate::Compiled> where = predicate.compile(e, &error);
    if (!where) {
        qWarning().noquote() << "store: cannot fetch values:" << error;
        return out;
    }
    // What each name reads: a slot of this entity, or a slot of the target of one join.
    struct Join
    {
        int via; // the relationship's slot on this side
        const EntityDescription *target;
    };
    struct Column
    {
        int slot;
        int join = -1;
    };
    QList<Join> joins;
    QList<Column> columns;
    QString select = QStringLiteral("t.pk");
    for (const QString &name : names) {
        const qsizetype dot = name.indexOf(u'.');
        if (dot < 0) {
            const int slot = e.slotOfName(name);
            if (slot < 0) {
                qWarning().noquote() << "store:" << e.name << "has no attribute" << name;
                return out;
            }
            columns.append(Column{slot, -1});
            select += ", t." + SqliteConnection::quoted(e.slotColumn(slot));
            continue;
        }
        const int r = e.relationshipIndex(name.left(dot));
        const RelationshipDef *rel = r >= 0 ? &e.relationships.at(r) : nullptr;
        const int via = r >= 0 ? e.slotOfRelationship(r) : -1;
        const EntityDescription *target = rel ? model.entity(rel->target) : nullptr;
        const int slot = target ? target->slotOfName(name.mid(dot + 1)) : -1;
        if (via < 0 || rel->toMany || slot < 0) {
            qWarning().noquote() << "store:" << e.name << "cannot read" << name;
            return out;
        }
        int join = 0;
        while (join < joins.size() && joins.at(join).via != via)
            ++join;
        if (join == joins.size())
            joins.append(Join{via, target});
        columns.append(Column{slot, join});
        select += QStringLiteral(", j%1.").arg(join) + SqliteConnection::quoted(target->slotColumn(slot));
    }
    const int width = int(columns.size());
    out.width = width;

    // A joined row's values from its target in memory, or none when it has no target.
    auto fromTarget = [&](int join, ManagedObject *t, QVariant *values) {
        for (int c = 0; c < width; ++c) {
            if (columns.at(c).join == join)
                values[c] = t && !t->m_deleted ? t->m_values.at(columns.at(c).slot) : QVariant();
        }
    };
    // The joined values of a row holding this key of the join's target.
    auto targetOf = [&](int join, qint64 key) {
        return key > 0 ? objectForKey(joins.at(join).target->index, key) : nullptr;
    };
    auto keyIn = [](const ManagedObject *o, int slot) {
        const QVariant &key = o->m_values.at(slot);
        return key.isNull() ? qint64(0) : key.toLongLong();
    };
    auto fromObject = [&](ManagedObject *o, QVariant *values) {
        for (int c = 0; c < width; ++c) {
            if (columns.at(c).join < 0)
                values[c] = o->m_values.at(columns.at(c).slot);
        }
        for (int j = 0; j < joins.size(); ++j)
            fromTarget(j, targetOf(j, keyIn(o, joins.at(j).via)), values);
    };

    QList<qint64> pendingKeys;
    QList<QVariant> pendingValues;
    for (ManagedObject *o : std::as_const(st.dirty)) {
        if (o->m_deleted || !where->test(o->m_values))
            continue;
        pendingKeys.append(o->m_pk);
        pendingValues.resize(pendingValues.size() + width);
        fromObject(o, pendingValues.data() + pendingValues.size() - width);
    }

    if (m_db) {
        // The join's keys and the targets' keys follow the asked-for columns. The filter
        // runs in the inner query, where its column names are this entity's alone.
        for (int j = 0; j < joins.size(); ++j)
            select += ", t." + SqliteConnection::quoted(e.slotColumn(joins.at(j).via)) +
                      QStringLiteral(", j%1.pk").arg(j);
        QString sql = "SELECT " + select + " FROM (SELECT * FROM " + SqliteConnection::quoted(e.name) +
                      " WHERE " + where->sql + ") AS t";
        for (int j = 0; j < joins.size(); ++j)
            sql += " LEFT JOIN " + SqliteConnection::quoted(joins.at(j).target->name) +
                   QStringLiteral(" AS j%1 ON j%1.pk = t.").arg(j) +
                   SqliteConnection::quoted(e.slotColumn(joins.at(j).via));
        if (sqlite3_stmt *stmt = m_db->prepare(sql)) {
            int index = 1;
            for (const Predicate::Parameter &p : where->parameters)
                SqliteConnection::bind(stmt, index++, p.value, p.type);
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                const qint64 pk = sqlite3_column_int64(stmt, 0);
                ManagedObject *o = st.registered.value(pk, nullptr);
                if (o && (o->m_deleted || st.dirty.contains(o)))
                    continue; // judged in memory above
                out.keys.append(pk);
                out.values.resize(out.values.size() + width);
                QVariant *values = out.values.data() + out.values.size() - width;
                for (int c = 0; c < width; ++c) {
                    if (columns.at(c).join < 0)
                        values[c] = o ? o->m_values.at(columns.at(c).slot)
                                      : RowReader::readSlot(stmt, c + 1, e, columns.at(c).slot);
                }
                for (int j = 0; j < joins.size(); ++j) {
                    const int at = width + 1 + 2 * j;
                    const qint64 fileKey =
                        sqlite3_column_type(stmt, at) == SQLITE_NULL ? 0 : sqlite3_column_int64(stmt, at);
                    const bool inFile = sqlite3_column_type(stmt, at + 1) != SQLITE_NULL;
                    const qint64 key = o ? keyIn(o, joins.at(j).via) : fileKey;
                    const EntityDescription &target = *joins.at(j).target;
                    if (key > 0 && (key != fileKey || registered(target.index, key))) {
                        fromTarget(j, targetOf(j, key), values);
                    } else if (key > 0 && inFile) {
                        for (int c = 0; c < width; ++c) {
                            if (columns.at(c).join == j)
                                values[c] = RowReader::readSlot(stmt, c + 1, target, columns.at(c).slot);
                        }
                    }
                }
            }
            if (rc != SQLITE_DONE)
                qWarning().noquote() << "store: fetch of" << e.name << "failed:" << m_db->lastError();
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        } else {
            qWarning().noquote() << "store: fetch of" << e.name << "failed:" << m_db->lastError();
        }
    }

    if (pendingKeys.isEmpty() && std::is_sorted(out.keys.cbegin(), out.keys.cend()))
        return out;
    // Into key order, with the rows judged in memory among them.
    out.keys += pendingKeys;
    out.values += pendingValues;
    QList<qsizetype> order(out.keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&out](qsizetype a, qsizetype b) { return out.keys.at(a) < out.keys.at(b); });
    FetchedValues sorted;
    sorted.width = width;
    sorted.keys.reserve(order.size());
    sorted.values.reserve(out.values.size());
    for (qsizetype i : std::as_const(order)) {
        sorted.keys.append(out.keys.at(i));
        for (int c = 0; c < width; ++c)
            sorted.values.append(std::move(out.values[i * width + c]));
    }
    return sorted;
}

// sortsBefore() for many rows: each row's sort values are taken out of their QVariants
// once, not at every comparison.
void ContextQuery::sortRows(QList<ManagedObject *> &rows,
                            const QList<std::tuple<int, AttributeType, bool>> &keys)
{
    struct Value
    {
        bool null = false;
        qint64 integer = 0;
        double real = 0;
        QString text;
    };
    struct Row
    {
        ManagedObject *object;
        QVarLengthArray<Value, 2> values;
    };
    std::vector<Row> decorated;
    decorated.reserve(size_t(rows.size()));
    for (ManagedObject *o : std::as_const(rows)) {
        Row row{o, {}};
        for (const auto &[slot, type, ascending] : keys) {
            const QVariant &v = o->m_values.at(slot);
            Value value;
            value.null = !v.isValid() || v.isNull();
            if (!value.null) {
                switch (type) {
                case AttributeType::Text:
                    value.text = v.toString();
                    value.null = value.text.isNull();
                    break;
                case AttributeType::Float:
                    value.real = v.toDouble();
                    break;
                case AttributeType::Object:
                    break;
                default:
                    value.integer = v.toLongLong();
                    break;
                }
            }
            row.values.append(std::move(value));
        }
        decorated.push_back(std::move(row));
    }
    std::sort(decorated.begin(), decorated.end(), [&keys](const Row &a, const Row &b) {
        for (qsizetype k = 0; k < keys.size(); ++k) {
            const auto &[slot, type, ascending] = keys.at(k);
            const Value &x = a.values.at(k), &y = b.values.at(k);
            int c = 0;
            if (x.null || y.null)
                c = x.null == y.null ? 0 : x.null ? -1 : 1;
            else if (type == AttributeType::Text)
                c = x.text.compare(y.text);
            else if (type == AttributeType::Float)
                c = x.real < y.real ? -1 : x.real > y.real ? 1 : 0;
            else if (type != AttributeType::Object)
                c = x.integer < y.integer ? -1 : x.integer > y.integer ? 1 : 0;
            if (c != 0)
                return ascending ? c < 0 : c > 0;
        }
        return a.object->m_pk < b.object->m_pk;
    });
    for (size_t i = 0; i < decorated.size(); ++i)
        rows[qsizetype(i)] = decorated[i].object;
}
