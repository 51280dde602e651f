#include "platform/store/Context.h"

#include "platform/store/AttributeValue.h"
#include "platform/store/ChangeSet.h"
#include "platform/store/SqliteConnection.h"
#include "platform/store/Store.h"

#include <QDebug>
#include <QSet>
#include <QStringEncoder>
#include <QThread>
#include <QVarLengthArray>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <sqlite3.h>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>

namespace {

// Value key -> objects. Sets, not a multi-hash: a big import moves thousands of new
// rows away from the same key (null), and each move must not scan all of them.
class SlotIndex
{
public:
    void insert(const QString &key, ManagedObject *o) { m_map[key].insert(o); }
    void remove(const QString &key, ManagedObject *o)
    {
        auto it = m_map.find(key);
        if (it == m_map.end())
            return;
        it->remove(o);
        if (it->isEmpty())
            m_map.erase(it);
    }
    // nullptr when no object has the key (no copy: iterating one would detach it).
    const QSet<ManagedObject *> *value(const QString &key) const
    {
        auto it = m_map.constFind(key);
        return it == m_map.constEnd() ? nullptr : &*it;
    }

private:
    QHash<QString, QSet<ManagedObject *>> m_map;
};

// The parameters of (a chunk of) a save. Texts and blobs go into one buffer, so a
// large save makes no allocation per value.
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

    void add(const QVariant &v, const EntityDescription &e, int slot)
    {
        if (slot >= e.attributes.size()) {
            if (v.isValid() && !v.isNull())
                addInteger(v.toLongLong());
            else
                push({});
            return;
        }
        const AttributeDef &a = e.attributes.at(slot);
        switch (a.type) {
        case AttributeType::Int16:
        case AttributeType::Int32:
        case AttributeType::Int64:
            if (v.typeId() == QMetaType::LongLong)
                addInteger(*static_cast<const qlonglong *>(v.constData()));
            else if (v.isValid() && !v.isNull())
                addInteger(v.toLongLong());
            else
                push({});
            return;
        case AttributeType::Bool:
            if (v.typeId() == QMetaType::Bool)
                addInteger(*static_cast<const bool *>(v.constData()) ? 1 : 0);
            else if (v.isValid() && !v.isNull())
                addInteger(v.toLongLong());
            else
                push({});
            return;
        case AttributeType::Float:
            if (v.isValid() && !v.isNull()) {
                Param p;
                p.kind = Kind::Real;
                p.real = v.typeId() == QMetaType::Float ? *static_cast<const float *>(v.constData())
                                                        : v.toDouble();
                push(p);
            } else
                push({});
            return;
        case AttributeType::Text:
            // A null text stays NULL in the file, an empty one is ''.
            if (v.typeId() == QMetaType::QString)
                addText(*static_cast<const QString *>(v.constData()));
            else if (v.isValid() && !v.isNull())
                addText(v.toString());
            else
                push({});
            return;
        case AttributeType::Object: {
            if (!v.isValid() || v.isNull()) {
                push({});
                return;
            }
            const SqliteConnection::Encoded encoded = SqliteConnection::encode(v, a.type, &a.transformer);
            if (encoded.bytes.isNull()) {
                push({});
                return;
            }
            addBytes(Kind::Blob, m_bytes.size(), encoded.bytes.size());
            m_bytes.append(encoded.bytes);
            return;
        }
        }
    }

    // The buffer must not change any more once values are bound.
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
            return sqlite3_bind_text(stmt, index, m_bytes.constData() + p.offset, p.size,
                                     SQLITE_STATIC) == SQLITE_OK;
        case Kind::Blob:
            return sqlite3_bind_blob(stmt, index, m_bytes.constData() + p.offset, p.size,
                                     SQLITE_STATIC) == SQLITE_OK;
        }
        return false;
    }

private:
    void addText(const QString &text)
    {
        if (text.isNull()) {
            push({});
            return;
        }
        const qsizetype at = m_bytes.size();
        const qsizetype room = m_utf8.requiredSpace(text.size());
        if (m_bytes.capacity() < at + room)
            m_bytes.reserve(qMax(2 * m_bytes.capacity(), at + room + 4096));
        m_bytes.resize(at + room);
        char *end = m_utf8.appendToBuffer(m_bytes.data() + at, text);
        m_bytes.resize(end - m_bytes.constData());
        addBytes(Kind::Text, at, m_bytes.size() - at);
    }

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

// The value indexes of the slots that were asked for (a few): a plain list, as every
// new or changed row goes through all of them.
class SlotIndexes
{
public:
    SlotIndex *find(int slot)
    {
        for (auto &[s, index] : m_indexes) {
            if (s == slot)
                return &index;
        }
        return nullptr;
    }
    SlotIndex &add(int slot, SlotIndex index)
    {
        m_indexes.emplace_back(slot, std::move(index));
        return m_indexes.back().second;
    }
    template <class F> void forEach(F f)
    {
        for (auto &[s, index] : m_indexes)
            f(s, index);
    }
    void clear() { m_indexes.clear(); }
    bool isEmpty() const { return m_indexes.empty(); }

private:
    std::vector<std::pair<int, SlotIndex>> m_indexes;
};

} // namespace

struct Context::EntityState
{
    QHash<qint64, ManagedObject *> registered; // live rows and pending deletions
    QSet<ManagedObject *> dirty;               // inserted, changed or pending deletion
    // Per slot: value key -> dirty live objects, built when first asked for.
    SlotIndexes dirtyIndex;
    QString selectColumns; // "pk, col, ..." of the entity, made once
    QString selectByPk;    // the row of one key
    QString insertSql;     // a whole row
    // Per slot and query form (see querySql), the statement text, made when first used.
    QList<QString> querySql;
    QList<QVariant> emptyValues; // a new row's values
    QList<int> slotTarget;       // per slot: the entity a relationship slot points at, else -1
    QList<Relation> relations;   // per relationship of the entity
    QBitArray unchanged;         // no slot changed, shared by the rows
    QBitArray allChanged;        // every slot changed (a new row), shared likewise
};

namespace {

AttributeType slotType(const EntityDescription &e, int slot)
{
    return slot < e.attributes.size() ? e.attributes.at(slot).type : AttributeType::Int64;
}

const ValueTransformer *slotTransformer(const EntityDescription &e, int slot)
{
    return slot < e.attributes.size() ? &e.attributes.at(slot).transformer : nullptr;
}

// One column of a row as the slot holds it.
QVariant readSlot(sqlite3_stmt *stmt, int column, const EntityDescription &e, int slot)
{
    if (slot >= e.attributes.size()) {
        if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
            return {};
        const qint64 key = sqlite3_column_int64(stmt, column);
        return key > 0 ? QVariant(qlonglong(key)) : QVariant();
    }
    return SqliteConnection::column(stmt, column, slotType(e, slot), slotTransformer(e, slot));
}

// A whole row's slot values, from column 1 on (as selectColumns orders them).
// Called for every row a query makes an object of: the common types are read here
// with one SQLite call each (an integer or real column reads NULL as 0, a text
// column gives no pointer for NULL), the rest as readSlot reads them.
QList<QVariant> readRow(sqlite3_stmt *stmt, const EntityDescription &e, int slotTotal)
{
    // Each value is made in its place in the list: no temporary to move and destroy.
    QList<QVariant> values;
    values.reserve(slotTotal);
    const qsizetype attributes = e.attributes.size();
    for (int s = 0; s < slotTotal; ++s) {
        const int column = s + 1;
        if (s >= attributes) {
            const qint64 key = sqlite3_column_int64(stmt, column);
            if (key > 0)
                values.emplaceBack(qlonglong(key));
            else
                values.emplaceBack();
            continue;
        }
        switch (e.attributes.at(s).type) {
        case AttributeType::Int16:
        case AttributeType::Int32:
        case AttributeType::Int64:
            values.emplaceBack(qlonglong(sqlite3_column_int64(stmt, column)));
            break;
        case AttributeType::Bool:
            values.emplaceBack(sqlite3_column_int64(stmt, column) != 0);
            break;
        case AttributeType::Text: {
            const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
            values.emplaceBack(t ? QString::fromUtf8(t, sqlite3_column_bytes(stmt, column)) : QString());
            break;
        }
        default:
            values.emplaceBack(readSlot(stmt, column, e, s));
            break;
        }
    }
    return values;
}

QString valueKey(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QStringLiteral("\x01");
    return v.toString();
}

QString makeSelectColumns(const EntityDescription &e)
{
    QString cols = QStringLiteral("pk");
    for (int s = 0; s < e.slotCount(); ++s)
        cols += ", " + SqliteConnection::quoted(e.slotColumn(s));
    return cols + ", " + SqliteConnection::quoted(Store::revisionColumn());
}

} // namespace

Context::Context(Store *store, Kind kind) : m_store(store), m_kind(kind)
{
    QString error;
    m_db = SqliteConnection::open(store->path(), false, &error);
    if (!m_db)
        qWarning().noquote() << "store: a context cannot open" << store->path() << ":" << error;
    const Model &model = store->model();
    for (int i = 0; i < model.entityCount(); ++i) {
        const EntityDescription &e = model.entityAt(i);
        auto st = std::make_unique<EntityState>();
        st->selectColumns = makeSelectColumns(e);
        st->selectByPk =
            "SELECT " + st->selectColumns + " FROM " + SqliteConnection::quoted(e.name) + " WHERE pk = ?";
        {
            QString cols, marks;
            for (int s = 0; s < e.slotCount(); ++s) {
                cols += ", " + SqliteConnection::quoted(e.slotColumn(s));
                marks += ", ?";
            }
            st->insertSql = "INSERT INTO " + SqliteConnection::quoted(e.name) + " (pk" + cols + ", " +
                            SqliteConnection::quoted(Store::revisionColumn()) + ") VALUES (?" + marks +
                            ", ?)";
        }
        st->querySql.resize((e.slotCount() + 1) * 3);
        for (int s = 0; s < e.slotCount(); ++s) {
            // An unset relationship is null, in memory as in the file.
            st->emptyValues.append(s < e.attributes.size() ? AttributeValue::emptyValue(slotType(e, s))
                                                           : QVariant());
            st->slotTarget.append(-1);
        }
        for (int r = 0; r < e.relationships.size(); ++r) {
            const int slot = e.slotOfRelationship(r);
            if (const EntityDescription *t = model.entity(e.relationships.at(r).target); t && slot >= 0)
                st->slotTarget[slot] = t->index;
        }
        for (const RelationshipDef &rel : e.relationships) {
            Relation r;
            r.target = model.entity(rel.target);
            r.slot = e.slotOfRelationship(int(st->relations.size()));
            if (r.target) {
                r.inverse = r.target->relationshipIndex(rel.inverse);
                if (r.inverse >= 0) {
                    r.inverseSlot = r.target->slotOfRelationship(r.inverse);
                    r.inverseToMany = r.target->relationships.at(r.inverse).toMany;
                }
            }
            st->relations.append(r);
        }
        st->unchanged = QBitArray(e.slotCount());
        st->allChanged = QBitArray(e.slotCount(), true);
        m_states.push_back(std::move(st));
    }
}

Context::~Context() = default;

Context *Context::defaultContext()
{
    Store *s = Store::defaultStore();
    return s ? s->mainContext() : nullptr;
}

Context::EntityState &Context::state(int entity)
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
    st.dirtyIndex.forEach(
        [o](int slot, SlotIndex &index) { index.insert(valueKey(o->m_values.at(slot)), o); });
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
        st.dirtyIndex.forEach([o](int s, SlotIndex &index) { index.insert(valueKey(o->m_values.at(s)), o); });
        return;
    }
    if (SlotIndex *index = st.dirtyIndex.find(slot)) {
        index->remove(valueKey(oldValue), o);
        index->insert(valueKey(o->m_values.at(slot)), o);
    }
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
    st.dirtyIndex.forEach([o](int s, SlotIndex &index) { index.remove(valueKey(o->m_values.at(s)), o); });
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
        o = materialise(e, pk, readRow(stmt, e, slotTotal), sqlite3_column_int64(stmt, slotTotal + 1));
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

QList<ManagedObject *> Context::query(const EntityDescription &entity, int slot, const QVariant &value,
                                      bool firstOnly)
{
    const EntityDescription &e = m_store->model().entityAt(entity.index);
    EntityState &st = state(e.index);
    QList<ManagedObject *> out;

    // Rows with pending changes are judged by their values in memory.
    QVariant key;
    if (slot >= 0) {
        const auto converted = slot < e.attributes.size()
                                   ? AttributeValue::convert(value, slotType(e, slot))
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
        SlotIndex *idx = st.dirtyIndex.find(slot);
        if (!idx) {
            SlotIndex built;
            for (ManagedObject *o : std::as_const(st.dirty)) {
                if (!o->m_deleted)
                    built.insert(valueKey(o->m_values.at(slot)), o);
            }
            idx = &st.dirtyIndex.add(slot, std::move(built));
        }
        if (const QSet<ManagedObject *> *holders = idx->value(valueKey(key))) {
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
        // In memory a null text and an empty one are the same key (valueKey); the file
        // holds NULL for the one and '' for the other.
        const bool emptyText =
            slot >= 0 && slotType(e, slot) == AttributeType::Text && key.toString().isEmpty();
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
                SqliteConnection::bind(stmt, 1, key, slotType(e, slot), slotTransformer(e, slot));
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                const qint64 pk = sqlite3_column_int64(stmt, 0);
                if (ManagedObject *o = st.registered.value(pk, nullptr)) {
                    if (o->m_deleted || st.dirty.contains(o))
                        continue;
                    out.append(o);
                } else {
                    const int slotTotal = int(st.emptyValues.size());
                    out.append(materialise(e, pk, readRow(stmt, e, slotTotal),
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

ManagedObject *Context::findFirst(const EntityDescription &entity, const QString &attribute,
                                  const QVariant &value)
{
    const int slot = m_store->model().entityAt(entity.index).slotOfName(attribute);
    if (slot < 0) {
        qWarning().noquote() << "store:" << entity.name << "has no attribute" << attribute;
        return nullptr;
    }
    const QList<ManagedObject *> r = query(entity, slot, value, true);
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
    return query(entity, slot, value, false);
}

QList<ManagedObject *> Context::fetchAll(const EntityDescription &entity)
{
    return query(entity, -1, {}, false);
}

void Context::sortByKey(const EntityDescription &entity, QList<ManagedObject *> &rows, const QString &key,
                        bool ascending)
{
    const int slot = entity.slotOfName(key);
    if (slot < 0) {
        qWarning().noquote() << "store:" << entity.name << "has no sort key" << key;
        return;
    }
    const AttributeType type = slotType(entity, slot);
    std::stable_sort(rows.begin(), rows.end(), [&](const ManagedObject *a, const ManagedObject *b) {
        const int c = AttributeValue::compare(a->m_values.at(slot), b->m_values.at(slot), type);
        return ascending ? c < 0 : c > 0;
    });
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
    st.dirtyIndex.forEach(
        [o](int slot, SlotIndex &index) { index.remove(valueKey(o->m_values.at(slot)), o); });
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
    if (!hasChanges()) {
        if (m_replaced) {
            ChangeSet replaced;
            replaced.replaced = true;
            m_replaced = false;
            deliver(replaced);
        }
        return {};
    }
    if (!m_db)
        return SaveResult::failure(QStringLiteral("the store is not open"));

    auto fail = [this](const QString &what) {
        const QString message = what + ": " + m_db->lastError();
        m_db->exec(QStringLiteral("ROLLBACK"));
        qWarning().noquote() << "store: save failed," << message;
        return SaveResult::failure(message);
    };

    // A background context writes a row only if no other context saved it since this
    // one read it (the revision it read is still the row's): a pull import never
    // overwrites what the user saved meanwhile. The main context's saves always win.
    const bool guarded = m_kind == Kind::Background;
    const QString revision = SqliteConnection::quoted(Store::revisionColumn());

    // Everything that does not need the file is worked out before the write lock is
    // taken: the main thread waits for a background save's lock, so it is held only
    // for binding and stepping.
    enum class Op
    {
        Insert,
        Update,
        Delete
    };
    struct Write
    {
        ManagedObject *object;
        sqlite3_stmt *stmt;
        qsizetype first; // its parameters in its chunk's params, in order
        int count;
        Op op;
        int revisionAt; // the parameter that takes the save's revision, 0 for none
        bool skipped;
    };
    QList<Write> writes;
    {
        qsizetype rows = 0;
        for (const auto &st : m_states)
            rows += st->dirty.size();
        writes.reserve(rows);
    }
    // The statements and the number of parameters of each row (preparing needs the
    // connection, so it is done here); the values are encoded below.
    for (int ei = 0; ei < int(m_states.size()); ++ei) {
        EntityState &st = *m_states.at(ei);
        if (st.dirty.isEmpty())
            continue;
        const EntityDescription &e = m_store->model().entityAt(ei);
        const int slotTotal = e.slotCount();
        const QString table = SqliteConnection::quoted(e.name);
        sqlite3_stmt *insert = nullptr, *remove = nullptr;
        QHash<QBitArray, sqlite3_stmt *> updates;
        QList<ManagedObject *> rows(st.dirty.begin(), st.dirty.end());
        // In key order: every table and index B-tree then grows at its end.
        std::sort(rows.begin(), rows.end(),
                  [](const ManagedObject *a, const ManagedObject *b) { return a->m_pk < b->m_pk; });
        for (ManagedObject *o : rows) {
            if (o->m_deleted) {
                if (!remove && !(remove = m_db->prepare("DELETE FROM " + table + " WHERE pk = ?" +
                                                        (guarded ? " AND " + revision + " = ?" : ""))))
                    return SaveResult::failure("cannot delete from " + e.name + ": " + m_db->lastError());
                writes.append({o, remove, 0, guarded ? 2 : 1, Op::Delete, 0, false});
            } else if (o->m_inserted) {
                if (!insert && !(insert = m_db->prepare(st.insertSql)))
                    return SaveResult::failure("cannot insert into " + e.name + ": " + m_db->lastError());
                writes.append({o, insert, 0, slotTotal + 2, Op::Insert, slotTotal + 2, false});
            } else {
                // Only the changed columns: another context may have saved the others
                // since this one read the row.
                const int changed = int(o->m_dirty.count(true));
                if (changed == 0)
                    continue;
                sqlite3_stmt *stmt = updates.value(o->m_dirty, nullptr);
                if (!stmt) {
                    QString sets;
                    for (int s = 0; s < slotTotal; ++s) {
                        if (o->m_dirty.testBit(s))
                            sets += SqliteConnection::quoted(e.slotColumn(s)) + " = ?, ";
                    }
                    stmt = m_db->prepare("UPDATE " + table + " SET " + sets + revision + " = ? WHERE pk = ?" +
                                         (guarded ? " AND " + revision + " = ?" : ""));
                    if (!stmt)
                        return SaveResult::failure("cannot update " + e.name + ": " + m_db->lastError());
                    updates.insert(o->m_dirty, stmt);
                }
                writes.append({o, stmt, 0, changed + 2 + (guarded ? 1 : 0), Op::Update, changed + 1, false});
            }
        }
    }

    // The parameters, in chunks of rows. A large save encodes them on a thread of its
    // own while the rows before are stepped (the objects are not touched by anything
    // else until the save ends); a transformer of an object attribute may not be safe
    // off this thread, so rows of such entities are encoded here.
    struct Chunk
    {
        qsizetype begin;
        qsizetype end;
        SaveParams params;
    };
    constexpr qsizetype chunkRows = 512;
    std::vector<Chunk> chunks;
    chunks.reserve(size_t(writes.size() / chunkRows + 1));
    for (qsizetype b = 0; b < writes.size(); b += chunkRows)
        chunks.push_back({b, qMin(b + chunkRows, writes.size()), {}});
    // Each thread touches only the rows of its own chunks, through this pointer (the
    // list is not changed any more).
    Write *const writeAt = writes.data();
    // The parameters of all chunks in one block.
    std::vector<qsizetype> chunkAt(chunks.size() + 1, 0);
    for (size_t c = 0; c < chunks.size(); ++c) {
        qsizetype values = 0;
        for (qsizetype i = chunks.at(c).begin; i < chunks.at(c).end; ++i)
            values += writeAt[i].count;
        chunkAt[c + 1] = chunkAt[c] + values;
    }
    std::vector<SaveParams::Param> paramBlock(size_t(chunkAt.back()));
    for (size_t c = 0; c < chunks.size(); ++c)
        chunks[c].params.use(paramBlock.data() + chunkAt[c], chunkAt[c + 1] - chunkAt[c]);
    auto encode = [writeAt, guarded](Chunk &chunk) {
        SaveParams &params = chunk.params;
        for (qsizetype i = chunk.begin; i < chunk.end; ++i) {
            Write &w = writeAt[i];
            const ManagedObject *o = w.object;
            const EntityDescription &e = *o->m_entity;
            w.first = params.size();
            switch (w.op) {
            case Op::Delete:
                params.addInteger(o->m_pk);
                if (guarded)
                    params.addInteger(o->m_revision);
                break;
            case Op::Insert:
                params.addInteger(o->m_pk);
                for (int s = 0; s < w.count - 2; ++s)
                    params.add(o->m_values.at(s), e, s);
                params.addInteger(0);
                break;
            case Op::Update:
                for (int s = 0; s < o->m_dirty.size(); ++s) {
                    if (o->m_dirty.testBit(s))
                        params.add(o->m_values.at(s), e, s);
                }
                params.addInteger(0);
                params.addInteger(o->m_pk);
                if (guarded)
                    params.addInteger(o->m_revision);
                break;
            }
        }
    };
    bool threaded = writes.size() >= 4 * chunkRows;
    for (qsizetype i = 0, last = -1; threaded && i < writes.size(); ++i) {
        const EntityDescription &e = *writeAt[i].object->m_entity;
        if (e.index == last)
            continue;
        last = e.index;
        for (const AttributeDef &a : e.attributes)
            threaded = threaded && a.type != AttributeType::Object;
    }
    std::mutex encodedLock;
    std::condition_variable encodedChanged;
    size_t encoded = 0; // chunks ready, guarded by encodedLock
    std::atomic<bool> stop{false};
    std::thread encoder;
    // Whatever way the save ends, the encoder is done before the values go away.
    struct JoinEncoder
    {
        std::thread &thread;
        std::atomic<bool> &stop;
        ~JoinEncoder()
        {
            stop = true;
            if (thread.joinable())
                thread.join();
        }
    } joinEncoder{encoder, stop};
    if (threaded) {
        try {
            encoder = std::thread([&] {
                for (Chunk &chunk : chunks) {
                    if (stop)
                        return;
                    encode(chunk);
                    std::lock_guard lock(encodedLock);
                    ++encoded;
                    encodedChanged.notify_one();
                }
            });
        } catch (const std::system_error &) {
            threaded = false; // no thread to be had: encode here
        }
    }
    if (!threaded) {
        for (Chunk &chunk : chunks)
            encode(chunk);
        encoded = chunks.size();
    }
    auto waitFor = [&](size_t chunk) {
        std::unique_lock lock(encodedLock);
        encodedChanged.wait(lock, [&] { return encoded > chunk; });
    };

    // The values are bound without copies; no statement may keep pointing at them.
    struct ClearBindings
    {
        const QList<Write> &writes;
        ~ClearBindings()
        {
            sqlite3_stmt *last = nullptr;
            for (const Write &w : writes) {
                if (w.stmt != last)
                    sqlite3_clear_bindings(w.stmt);
                last = w.stmt;
            }
        }
    } clearBindings{writes};

    if (!chunks.empty())
        waitFor(0);
    if (!m_db->exec(QStringLiteral("BEGIN IMMEDIATE")))
        return SaveResult::failure("cannot start a transaction: " + m_db->lastError());
    // Drawn under the write lock: revisions grow in the order saves are committed.
    const qint64 saveRevision = m_store->m_nextRevision.fetch_add(1);
    for (size_t c = 0; c < chunks.size(); ++c) {
        waitFor(c);
        const Chunk &chunk = chunks.at(c);
        for (qsizetype i = chunk.begin; i < chunk.end; ++i) {
            Write &w = writeAt[i];
            sqlite3_stmt *stmt = w.stmt;
            for (int p = 0; p < w.count; ++p) {
                const bool bound = p + 1 == w.revisionAt
                                       ? sqlite3_bind_int64(stmt, p + 1, saveRevision) == SQLITE_OK
                                       : chunk.params.bind(stmt, p + 1, w.first + p);
                if (!bound) {
                    sqlite3_reset(stmt);
                    return fail("cannot bind a value of " + w.object->m_entity->name);
                }
            }
            const int rc = sqlite3_step(stmt);
            sqlite3_reset(stmt);
            if (rc != SQLITE_DONE)
                return fail("cannot write " + w.object->m_entity->name);
            if (w.op == Op::Insert || sqlite3_changes(m_db->handle()) > 0)
                continue;
            if (guarded) {
                w.skipped = true;
            } else if (w.op == Op::Update && !writeWhole(w.object, saveRevision)) {
                // Another context deleted the row after this one read it: the edit is
                // kept by writing the row whole again.
                return fail("cannot write " + w.object->m_entity->name + " again");
            }
        }
    }
    if (encoder.joinable())
        encoder.join();
    if (!m_db->exec(QStringLiteral("COMMIT")))
        return fail(QStringLiteral("cannot commit"));

    // Written: the pending state becomes the stored state.
    ChangeSet changes;
    changes.revision = saveRevision;
    {
        qsizetype counts[3] = {0, 0, 0};
        for (const Write &w : std::as_const(writes))
            ++counts[int(w.op)];
        changes.inserted.reserve(counts[int(Op::Insert)]);
        changes.updated.reserve(counts[int(Op::Update)]);
        changes.deleted.reserve(counts[int(Op::Delete)]);
    }
    SaveResult result;
    QSet<ManagedObject *> skipped;
    for (const Write &w : std::as_const(writes)) {
        ManagedObject *o = w.object;
        if (w.skipped) {
            result.skipped.append(o->objectId());
            skipped.insert(o);
            continue;
        }
        const int ei = o->m_entity->index;
        switch (w.op) {
        case Op::Insert:
            changes.inserted.append({ei, o->m_pk, o->m_values, state(ei).allChanged});
            break;
        case Op::Update:
            changes.updated.append({ei, o->m_pk, o->m_values, o->m_dirty});
            break;
        case Op::Delete:
            changes.deleted.append({ei, o->m_pk});
            break;
        }
        o->m_revision = saveRevision;
    }
    for (auto &stp : m_states) {
        EntityState &st = *stp;
        const QList<ManagedObject *> rows(st.dirty.begin(), st.dirty.end());
        for (ManagedObject *o : rows) {
            if (o->m_deleted && !skipped.contains(o)) {
                st.registered.remove(o->m_pk);
                o->m_registered = false;
                retire(o);
            }
            o->m_deleted = o->m_deleted && o->m_registered == false;
            o->m_inserted = false;
            o->m_dirty = st.unchanged;
            o->m_stored.clear();
        }
        st.dirty.clear();
        st.dirtyIndex.clear();
    }
    // A skipped row now holds what the file holds.
    for (ManagedObject *o : std::as_const(skipped)) {
        if (!refresh(o))
            markGone(o);
    }
    if (!skipped.isEmpty())
        qInfo().noquote() << "store: a background save left" << skipped.size()
                          << "rows alone that were saved meanwhile";

    changes.replaced = std::exchange(m_replaced, false);
    deliver(changes);
    return result;
}

bool Context::writeWhole(ManagedObject *o, qint64 revision)
{
    const EntityDescription &e = *o->m_entity;
    sqlite3_stmt *stmt = m_db->prepare(state(e.index).insertSql);
    if (!stmt)
        return false;
    SaveParams params;
    params.reserve(e.slotCount() + 2);
    params.addInteger(o->m_pk);
    for (int s = 0; s < e.slotCount(); ++s)
        params.add(o->m_values.at(s), e, s);
    params.addInteger(revision);
    bool ok = true;
    for (qsizetype i = 0; ok && i < params.size(); ++i)
        ok = params.bind(stmt, int(i + 1), i);
    ok = ok && sqlite3_step(stmt) == SQLITE_DONE;
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return ok;
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
            QVariant v = readSlot(stmt, s + 1, e, s);
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

void Context::deliver(const ChangeSet &changes)
{
    if (changes.isEmpty() && !changes.replaced)
        return;
    if (m_kind == Kind::Main) {
        emit changesSaved(describe(changes));
        return;
    }
    if (m_kind != Kind::Background)
        return;
    Context *main = m_store->mainContext();
    if (!main || main == this)
        return;
    if (QThread::currentThread() == main->thread())
        main->mergeChanges(changes);
    else
        QMetaObject::invokeMethod(
            main,
            [main, changes]() mutable {
                main->mergeChanges(changes);
                // The rows' values here are mostly their last copies once this context
                // is gone; freeing those of a large import would stall the main thread.
                main->m_store->m_pool.start([spent = std::move(changes)] {});
            },
            Qt::QueuedConnection);
}

StoreChanges Context::describe(const ChangeSet &changes) const
{
    const Model &model = m_store->model();
    StoreChanges out;
    out.replaced = changes.replaced;
    for (const ChangeSet::Row &row : changes.inserted)
        out.entities[model.entityAt(row.entity).name].inserted.append(row.pk);
    for (const ChangeSet::Row &row : changes.updated) {
        const EntityDescription &e = model.entityAt(row.entity);
        StoreChanges::Updated updated{row.pk, {}};
        for (int s = 0; s < row.changed.size(); ++s) {
            if (row.changed.testBit(s))
                updated.attributes.insert(e.slotColumn(s));
        }
        out.entities[e.name].updated.append(std::move(updated));
    }
    for (const auto &[entity, pk] : changes.deleted)
        out.entities[model.entityAt(entity).name].deleted.append(pk);
    return out;
}

void Context::mergeChanges(const ChangeSet &changes)
{
    // What this context saved after the background save is newer: such rows are read
    // again (the file holds both saves), never overwritten with the older values.
    ChangeSet announced = changes;
    auto apply = [this, &changes](const ChangeSet::Row &row) {
        ManagedObject *o = registered(row.entity, row.pk);
        if (!o || o->m_deleted)
            return;
        EntityState &st = state(row.entity);
        if (o->m_revision > changes.revision) {
            if (!refresh(o))
                markGone(o);
            return;
        }
        for (int s = 0; s < row.values.size() && s < o->m_values.size(); ++s) {
            if (!row.changed.testBit(s))
                continue;
            // Unsaved edits of the same attribute stay pending; the rest takes the saved value.
            if (!o->m_stored.isEmpty())
                o->m_stored[s] = row.values.at(s);
            if (!o->m_dirty.testBit(s))
                o->m_values[s] = row.values.at(s);
            else if (ManagedObject::sameValue(o->m_values.at(s), row.values.at(s)))
                o->m_dirty.clearBit(s);
        }
        o->m_revision = changes.revision;
        if (st.dirty.contains(o))
            st.dirtyIndex.clear();
    };
    for (const ChangeSet::Row &row : changes.updated)
        apply(row);
    for (const ChangeSet::Row &row : changes.inserted)
        apply(row);
    announced.deleted.clear();
    for (const auto &[entity, pk] : changes.deleted) {
        ManagedObject *o = registered(entity, pk);
        // Written again by this context after the deletion: it stays.
        if (o && !o->m_inserted && o->m_revision > changes.revision)
            continue;
        announced.deleted.append({entity, pk});
        if (o)
            markGone(o);
    }
    emit changesMerged();
    emit changesSaved(describe(announced));
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
                            o->m_values[s] = readSlot(stmt, s + 1, e, s);
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

ManagedObject *Context::rowFromStatement(const EntityDescription &e, sqlite3_stmt *stmt, bool *pending)
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
    return materialise(e, pk, readRow(stmt, e, slotTotal), sqlite3_column_int64(stmt, slotTotal + 1));
}

QList<ManagedObject *> Context::fetch(const EntityDescription &entity, const FetchRequest &request)
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
        keys.append({slot, slotType(e, slot), sort.ascending});
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

int Context::count(const EntityDescription &entity, const Predicate &predicate)
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

QHash<ManagedObject *, ManagedObject *> Context::fetchToOne(const QList<ManagedObject *> &rows,
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
        if (o && o->m_context == this && o->m_entity == &e && !o->m_deleted)
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

FetchedValues Context::fetchValues(const EntityDescription &entity, const Predicate &predicate,
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
                                      : readSlot(stmt, c + 1, e, columns.at(c).slot);
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
                                values[c] = readSlot(stmt, c + 1, target, columns.at(c).slot);
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

// sortsBefore() for many rows: each row's sort values are taken out of their QVariants
// once, not at every comparison.
void Context::sortRows(QList<ManagedObject *> &rows, const QList<std::tuple<int, AttributeType, bool>> &keys)
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
