#include "platform/store/Context.h"

#include "platform/store/ContextQuery.h"
#include "platform/store/ContextWriter.h"
#include "platform/store/EntityState.h"
#include "platform/store/RowReader.h"
#include "platform/store/SqliteConnection.h"
#include "platform/store/Store.h"

#include <QDebug>
#include <QSet>
#include <QThread>

#include <sqlite3.h>
#include <utility>

Context::Context(Store *store, Kind kind) : m_store(store), m_kind(kind)
{
    QString error;
    m_db = SqliteConnection::open(store->path(), false, &error);
    if (!m_db)
        qWarning().noquote() << "store: a context cannot open" << store->path() << ":" << error;
    const Model &model = store->model();
    for (int i = 0; i < model.entityCount(); ++i)
        m_states.push_back(std::make_unique<EntityState>(model, model.entityAt(i)));
}

Context::~Context() = default;

EntityState &Context::state(int entity)
{
    return *m_states.at(entity);
}

const Context::Relation &Context::relation(int entity, int relIndex) const
{
    return m_states.at(entity)->relations.at(relIndex);
}

ManagedObject *Context::registered(int entity, qint64 pk) const
{
    return m_states.at(entity)->registered.value(pk, nullptr);
}

ManagedObject *Context::materialise(const EntityDescription &e, qint64 pk, QList<QVariant> values,
                                    qint64 revision)
{
    const EntityDescription &desc = m_store->model().entityAt(e.index);
    ManagedObject *o = desc.factory();
    o->m_entity = &desc;
    o->m_context = this;
    o->m_pk = pk;
    o->m_revision = revision;
    o->m_values = std::move(values);
    o->m_dirty = state(e.index).unchanged;
    o->m_registered = true;
    m_owned.emplace_back(o);
    state(e.index).registered.insert(pk, o);
    return o;
}

ManagedObject *Context::createObject(const EntityDescription &entity)
{
    const EntityDescription &e = m_store->model().entityAt(entity.index);
    EntityState &st = state(e.index);
    ManagedObject *o = materialise(e, m_store->nextPrimaryKey(), st.emptyValues, 0);
    o->m_inserted = true;
    st.dirty.insert(o);
    st.dirtyIndex.add(o);
    return o;
}

void Context::objectWillChange(ManagedObject *o, int slot, const QVariant &oldValue)
{
    EntityState &st = state(o->m_entity->index);
    if (const int target = st.slotTarget.at(slot); target >= 0) {
        const QVariant &key = o->m_values.at(slot);
        if (!key.isNull()) {
            if (ManagedObject *t = registered(target, key.toLongLong()))
                t->m_referenced = true;
        }
    }
    // A new row is among the dirty ones from its creation.
    if (!o->m_inserted && !st.dirty.contains(o)) {
        st.dirty.insert(o);
        st.dirtyIndex.add(o);
        return;
    }
    st.dirtyIndex.moved(o, slot, oldValue);
}

bool Context::hasValueIndex(int entity) const
{
    return !m_states.at(entity)->dirtyIndex.isEmpty();
}

void Context::objectSettled(ManagedObject *o)
{
    EntityState &st = state(o->m_entity->index);
    if (!st.dirty.remove(o))
        return;
    st.dirtyIndex.remove(o);
    // The stored list holds the same values: keep one copy.
    if (!o->m_stored.isEmpty())
        o->m_values = std::exchange(o->m_stored, {});
}

ManagedObject *Context::objectForKey(int entity, qint64 pk)
{
    if (ManagedObject *o = registered(entity, pk))
        return o;
    // Keys start at 1: no row has key 0 or less.
    if (!m_db || pk <= 0)
        return nullptr;
    const EntityDescription &e = m_store->model().entityAt(entity);
    sqlite3_stmt *stmt = m_db->prepare(state(e.index).selectByPk);
    if (!stmt)
        return nullptr;
    sqlite3_bind_int64(stmt, 1, pk);
    ManagedObject *o = nullptr;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        const int slotTotal = e.slotCount();
        o = materialise(e, pk, RowReader::readRow(stmt, e, slotTotal),
                        sqlite3_column_int64(stmt, slotTotal + 1));
    }
    sqlite3_reset(stmt);
    return o;
}

ManagedObject *Context::existingObject(const ObjectId &id)
{
    if (id.entity < 0 || id.entity >= m_store->model().entityCount())
        return nullptr;
    ManagedObject *o = objectForKey(id.entity, id.pk);
    return o && !o->isDeleted() ? o : nullptr;
}

ManagedObject *Context::findFirst(const EntityDescription &entity, const QString &attribute,
                                  const QVariant &value)
{
    const int slot = m_store->model().entityAt(entity.index).slotOfName(attribute);
    if (slot < 0) {
        qWarning().noquote() << "store:" << entity.name << "has no attribute" << attribute;
        return nullptr;
    }
    const QList<ManagedObject *> r = ContextQuery(*this).query(entity, slot, value, true);
    return r.isEmpty() ? nullptr : r.first();
}

QList<ManagedObject *> Context::findAll(const EntityDescription &entity, const QString &attribute,
                                        const QVariant &value)
{
    const int slot = m_store->model().entityAt(entity.index).slotOfName(attribute);
    if (slot < 0) {
        qWarning().noquote() << "store:" << entity.name << "has no attribute" << attribute;
        return {};
    }
    return ContextQuery(*this).query(entity, slot, value, false);
}

QList<ManagedObject *> Context::fetchAll(const EntityDescription &entity)
{
    return ContextQuery(*this).query(entity, -1, {}, false);
}

void Context::sortByKey(const EntityDescription &entity, QList<ManagedObject *> &rows, const QString &key,
                        bool ascending)
{
    ContextQuery::sortByKey(entity, rows, key, ascending);
}

QList<ManagedObject *> Context::fetch(const EntityDescription &entity, const FetchRequest &request)
{
    return ContextQuery(*this).fetch(entity, request);
}

int Context::count(const EntityDescription &entity, const Predicate &where)
{
    return ContextQuery(*this).count(entity, where);
}

QHash<ManagedObject *, ManagedObject *> Context::fetchToOne(const QList<ManagedObject *> &rows,
                                                            const QString &relationship)
{
    return ContextQuery(*this).fetchToOne(rows, relationship);
}

FetchedValues Context::fetchValues(const EntityDescription &entity, const Predicate &where,
                                   const QStringList &names)
{
    return ContextQuery(*this).fetchValues(entity, where, names);
}

void Context::deleteObject(ManagedObject *object)
{
    if (!object || object->m_context != this || object->m_deleted)
        return;
    QSet<ManagedObject *> seen;
    cascadeDelete(object, seen);
}

void Context::deleteObjects(const QList<ManagedObject *> &objects)
{
    for (ManagedObject *o : objects)
        deleteObject(o);
}

void Context::cascadeDelete(ManagedObject *o, QSet<ManagedObject *> &seen)
{
    if (o->m_deleted || seen.contains(o))
        return;
    seen.insert(o);
    const EntityDescription &e = *o->m_entity;
    for (int r = 0; r < e.relationships.size(); ++r) {
        const RelationshipDef &rel = e.relationships.at(r);
        const Relation &resolved = relation(e.index, r);
        if (!resolved.target)
            continue;
        QList<ManagedObject *> related;
        if (rel.toMany)
            related = o->toMany(r);
        else if (ManagedObject *t = o->toOne(r))
            related.append(t);
        const int inverseSlot = resolved.inverseSlot;
        for (ManagedObject *t : related) {
            if (rel.deleteRule == DeleteRule::Cascade)
                cascadeDelete(t, seen);
            else if (inverseSlot >= 0)
                t->setSlotValue(inverseSlot, QVariant());
        }
    }
    EntityState &st = state(e.index);
    st.dirtyIndex.remove(o);
    o->m_deleted = true;
    if (o->m_inserted) {
        st.dirty.remove(o);
        st.registered.remove(o->m_pk);
        o->m_registered = false;
        retire(o);
    } else {
        st.dirty.insert(o);
    }
}

bool Context::hasChanges() const
{
    for (const auto &st : m_states) {
        if (!st->dirty.isEmpty())
            return true;
    }
    return false;
}

void Context::markGone(ManagedObject *o)
{
    EntityState &st = state(o->m_entity->index);
    st.registered.remove(o->m_pk);
    st.dirty.remove(o);
    st.dirtyIndex.clear();
    o->m_deleted = true;
    o->m_registered = false;
    retire(o);
    o->m_inserted = false;
}

void Context::beginReading()
{
    if (!m_reading && m_db)
        m_reading = m_db->exec(QStringLiteral("BEGIN DEFERRED"));
}

void Context::endReading()
{
    if (!m_reading)
        return;
    m_reading = false;
    if (!m_db->exec(QStringLiteral("COMMIT")))
        m_db->exec(QStringLiteral("ROLLBACK"));
}

SaveResult Context::saveAndWait()
{
    endReading();
    return ContextWriter(*this).save();
}

bool Context::refresh(ManagedObject *o)
{
    if (!m_db)
        return false;
    const EntityDescription &e = *o->m_entity;
    EntityState &st = state(e.index);
    sqlite3_stmt *stmt = m_db->prepare(st.selectByPk);
    if (!stmt)
        return false;
    sqlite3_bind_int64(stmt, 1, o->m_pk);
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    if (found) {
        for (int s = 0; s < e.slotCount(); ++s) {
            QVariant v = RowReader::readSlot(stmt, s + 1, e, s);
            if (!o->m_stored.isEmpty())
                o->m_stored[s] = v;
            if (!o->m_dirty.testBit(s))
                o->m_values[s] = std::move(v);
            else if (ManagedObject::sameValue(o->m_values.at(s), v))
                o->m_dirty.clearBit(s);
        }
        o->m_revision = sqlite3_column_int64(stmt, e.slotCount() + 1);
        if (st.dirty.contains(o))
            st.dirtyIndex.clear();
    }
    sqlite3_reset(stmt);
    return found;
}

void Context::rollback()
{
    for (int ei = 0; ei < int(m_states.size()); ++ei) {
        EntityState &st = *m_states.at(ei);
        const EntityDescription &e = m_store->model().entityAt(ei);
        const QList<ManagedObject *> rows(st.dirty.begin(), st.dirty.end());
        st.dirty.clear();
        st.dirtyIndex.clear();
        for (ManagedObject *o : rows) {
            if (o->m_inserted) {
                st.registered.remove(o->m_pk);
                o->m_deleted = true;
                o->m_registered = false;
                retire(o);
                o->m_inserted = false;
                continue;
            }
            o->m_deleted = false;
            o->m_dirty.fill(false);
            o->m_stored.clear();
            // Read the stored values back.
            st.registered.remove(o->m_pk);
            bool found = false;
            if (m_db) {
                if (sqlite3_stmt *stmt = m_db->prepare(st.selectByPk)) {
                    sqlite3_bind_int64(stmt, 1, o->m_pk);
                    if (sqlite3_step(stmt) == SQLITE_ROW) {
                        for (int s = 0; s < e.slotCount(); ++s)
                            o->m_values[s] = RowReader::readSlot(stmt, s + 1, e, s);
                        o->m_revision = sqlite3_column_int64(stmt, e.slotCount() + 1);
                        found = true;
                    }
                    sqlite3_reset(stmt);
                }
            }
            if (found) {
                st.registered.insert(o->m_pk, o);
            } else {
                o->m_deleted = true;
                o->m_registered = false;
                retire(o);
            }
        }
    }
}

void Context::retire(ManagedObject *o)
{
    m_gone.insert(o);
    // Used from another thread than its own (a context handed to a worker): the
    // objects are freed with the context, never under the worker's feet.
    if (m_releaseQueued || QThread::currentThread() != thread())
        return;
    m_releaseQueued = true;
    // Not now: whoever deleted the row, or heard of its deletion, may still hold the
    // pointer until the event ends.
    QMetaObject::invokeMethod(
        this, [this] { releaseGone(); }, Qt::QueuedConnection);
}

void Context::releaseGone()
{
    m_releaseQueued = false;
    if (m_gone.isEmpty())
        return;
    const QSet<ManagedObject *> gone = std::exchange(m_gone, {});
    std::erase_if(m_owned,
                  [&gone](const std::unique_ptr<ManagedObject> &o) { return gone.contains(o.get()); });
}
