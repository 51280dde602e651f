#include "platform/store/ContextWriter.h"

#include "platform/store/ChangeSetBuilder.h"
#include "platform/store/Context.h"
#include "platform/store/ContextMerger.h"
#include "platform/store/EntityState.h"
#include "platform/store/SqliteConnection.h"
#include "platform/store/Store.h"

#include <QDebug>
#include <QHash>

#include <algorithm>
#include <sqlite3.h>
#include <system_error>
#include <utility>

namespace {
constexpr qsizetype ChunkRows = 512;
} // namespace

ContextWriter::ContextWriter(Context &context)
    : m_context(context), m_db(context.m_db.get()), m_guarded(context.m_kind == Context::Kind::Background)
{
}

ContextWriter::~ContextWriter()
{
    clearBindings();
    // Whatever way the save ends, the encoder is done before the values go away.
    stopEncoder();
}

SaveResult ContextWriter::save()
{
    if (!m_context.hasChanges()) {
        if (m_context.m_replaced) {
            ChangeSet replaced;
            replaced.replaced = true;
            m_context.m_replaced = false;
            ContextMerger(m_context).deliver(replaced);
        }
        return {};
    }
    if (!m_db)
        return SaveResult::failure(QStringLiteral("the store is not open"));

    if (const QString error = planWrites(); !error.isEmpty())
        return SaveResult::failure(error);
    planChunks();
    startEncoding();

    if (!m_chunks.empty())
        waitFor(0);
    if (!m_db->exec(QStringLiteral("BEGIN IMMEDIATE")))
        return SaveResult::failure("cannot start a transaction: " + m_db->lastError());
    // Drawn under the write lock: revisions grow in the order saves are committed.
    const qint64 revision = m_context.m_store->m_nextRevision.fetch_add(1);
    if (const QString error = writeRows(revision); !error.isEmpty())
        return fail(error);
    if (m_encoder.joinable())
        m_encoder.join();
    if (!m_db->exec(QStringLiteral("COMMIT")))
        return fail(QStringLiteral("cannot commit"));

    ChangeSetBuilder changes(revision);
    const SaveResult result = settle(revision, changes);
    changes.setReplaced(std::exchange(m_context.m_replaced, false));
    ContextMerger(m_context).deliver(changes.take());
    return result;
}

QString ContextWriter::planWrites()
{
    const QString revision = SqliteConnection::quoted(Store::revisionColumn());
    {
        qsizetype rows = 0;
        for (const auto &st : m_context.m_states)
            rows += st->dirty.size();
        m_writes.reserve(rows);
    }
    for (int ei = 0; ei < int(m_context.m_states.size()); ++ei) {
        EntityState &st = *m_context.m_states.at(ei);
        if (st.dirty.isEmpty())
            continue;
        const EntityDescription &e = m_context.m_store->model().entityAt(ei);
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
                                                        (m_guarded ? " AND " + revision + " = ?" : ""))))
                    return "cannot delete from " + e.name + ": " + m_db->lastError();
                m_writes.append({o, remove, 0, m_guarded ? 2 : 1, Op::Delete, 0, false});
            } else if (o->m_inserted) {
                if (!insert && !(insert = m_db->prepare(st.insertSql)))
                    return "cannot insert into " + e.name + ": " + m_db->lastError();
                m_writes.append({o, insert, 0, slotTotal + 2, Op::Insert, slotTotal + 2, false});
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
                                         (m_guarded ? " AND " + revision + " = ?" : ""));
                    if (!stmt)
                        return "cannot update " + e.name + ": " + m_db->lastError();
                    updates.insert(o->m_dirty, stmt);
                }
                m_writes.append(
                    {o, stmt, 0, changed + 2 + (m_guarded ? 1 : 0), Op::Update, changed + 1, false});
            }
        }
    }
    return {};
}

void ContextWriter::planChunks()
{
    m_writeAt = m_writes.data();
    m_chunks.reserve(size_t(m_writes.size() / ChunkRows + 1));
    for (qsizetype b = 0; b < m_writes.size(); b += ChunkRows)
        m_chunks.push_back({b, qMin(b + ChunkRows, m_writes.size()), {}});
    // The parameters of all chunks in one block.
    std::vector<qsizetype> chunkAt(m_chunks.size() + 1, 0);
    for (size_t c = 0; c < m_chunks.size(); ++c) {
        qsizetype values = 0;
        for (qsizetype i = m_chunks.at(c).begin; i < m_chunks.at(c).end; ++i)
            values += m_writes.at(i).count;
        chunkAt[c + 1] = chunkAt[c] + values;
    }
    m_paramBlock.resize(size_t(chunkAt.back()));
    for (size_t c = 0; c < m_chunks.size(); ++c)
        m_chunks[c].params.use(m_paramBlock.data() + chunkAt[c], chunkAt[c + 1] - chunkAt[c]);
}

bool ContextWriter::wantsEncoder() const
{
    if (m_writes.size() < 4 * ChunkRows)
        return false;
    for (qsizetype i = 0, last = -1; i < m_writes.size(); ++i) {
        const EntityDescription &e = *m_writes.at(i).object->m_entity;
        if (e.index == last)
            continue;
        last = e.index;
        for (const AttributeDef &a : e.attributes) {
            if (a.type == AttributeType::Object)
                return false;
        }
    }
    return true;
}

void ContextWriter::startEncoding()
{
    if (wantsEncoder()) {
        try {
            // The objects are not touched by anything else until the save ends; each
            // thread touches only the rows of its own chunks (the list is not changed
            // any more).
            m_encoder = std::thread([this] {
                for (Chunk &chunk : m_chunks) {
                    if (m_stop)
                        return;
                    encode(chunk);
                    std::lock_guard lock(m_encodedLock);
                    ++m_encoded;
                    m_encodedChanged.notify_one();
                }
            });
            return;
        } catch (const std::system_error &) {
            // No thread to be had: encode here.
        }
    }
    for (Chunk &chunk : m_chunks)
        encode(chunk);
    m_encoded = m_chunks.size();
}

void ContextWriter::encode(Chunk &chunk)
{
    Write *const writes = m_writeAt;
    SaveParams &params = chunk.params;
    for (qsizetype i = chunk.begin; i < chunk.end; ++i) {
        Write &w = writes[i];
        const ManagedObject *o = w.object;
        const EntityDescription &e = *o->m_entity;
        w.first = params.size();
        switch (w.op) {
        case Op::Delete:
            params.addInteger(o->m_pk);
            if (m_guarded)
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
            if (m_guarded)
                params.addInteger(o->m_revision);
            break;
        }
    }
}

void ContextWriter::waitFor(size_t chunk)
{
    std::unique_lock lock(m_encodedLock);
    m_encodedChanged.wait(lock, [&] { return m_encoded > chunk; });
}

QString ContextWriter::writeRows(qint64 revision)
{
    Write *const writes = m_writeAt;
    for (size_t c = 0; c < m_chunks.size(); ++c) {
        waitFor(c);
        const Chunk &chunk = m_chunks.at(c);
        for (qsizetype i = chunk.begin; i < chunk.end; ++i) {
            Write &w = writes[i];
            sqlite3_stmt *stmt = w.stmt;
            for (int p = 0; p < w.count; ++p) {
                const bool bound = p + 1 == w.revisionAt
                                       ? sqlite3_bind_int64(stmt, p + 1, revision) == SQLITE_OK
                                       : chunk.params.bind(stmt, p + 1, w.first + p);
                if (!bound) {
                    sqlite3_reset(stmt);
                    return "cannot bind a value of " + w.object->m_entity->name;
                }
            }
            const int rc = sqlite3_step(stmt);
            sqlite3_reset(stmt);
            if (rc != SQLITE_DONE)
                return "cannot write " + w.object->m_entity->name;
            if (w.op == Op::Insert || sqlite3_changes(m_db->handle()) > 0)
                continue;
            if (m_guarded) {
                w.skipped = true;
            } else if (w.op == Op::Update && !writeWhole(m_context, w.object, revision)) {
                // Another context deleted the row after this one read it: the edit is
                // kept by writing the row whole again.
                return "cannot write " + w.object->m_entity->name + " again";
            }
        }
    }
    return {};
}

SaveResult ContextWriter::fail(const QString &what)
{
    const QString message = what + ": " + m_db->lastError();
    m_db->exec(QStringLiteral("ROLLBACK"));
    qWarning().noquote() << "store: save failed," << message;
    return SaveResult::failure(message);
}

SaveResult ContextWriter::settle(qint64 revision, ChangeSetBuilder &changes)
{
    {
        qsizetype counts[3] = {0, 0, 0};
        for (const Write &w : std::as_const(m_writes))
            ++counts[int(w.op)];
        changes.reserve(counts[int(Op::Insert)], counts[int(Op::Update)], counts[int(Op::Delete)]);
    }
    SaveResult result;
    QSet<ManagedObject *> skipped;
    for (const Write &w : std::as_const(m_writes)) {
        ManagedObject *o = w.object;
        if (w.skipped) {
            result.skipped.append(o->objectId());
            skipped.insert(o);
            continue;
        }
        const int ei = o->m_entity->index;
        switch (w.op) {
        case Op::Insert:
            changes.addInserted(ei, o->m_pk, o->m_values, m_context.state(ei).allChanged);
            break;
        case Op::Update:
            changes.addUpdated(ei, o->m_pk, o->m_values, o->m_dirty);
            break;
        case Op::Delete:
            changes.addDeleted(ei, o->m_pk);
            break;
        }
        o->m_revision = revision;
    }
    for (auto &stp : m_context.m_states) {
        EntityState &st = *stp;
        const QList<ManagedObject *> rows(st.dirty.begin(), st.dirty.end());
        for (ManagedObject *o : rows) {
            if (o->m_deleted && !skipped.contains(o)) {
                st.registered.remove(o->m_pk);
                o->m_registered = false;
                m_context.retire(o);
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
        if (!m_context.refresh(o))
            m_context.markGone(o);
    }
    if (!skipped.isEmpty())
        qInfo().noquote() << "store: a background save left" << skipped.size()
                          << "rows alone that were saved meanwhile";
    return result;
}

void ContextWriter::stopEncoder()
{
    m_stop = true;
    if (m_encoder.joinable())
        m_encoder.join();
}

void ContextWriter::clearBindings()
{
    sqlite3_stmt *last = nullptr;
    for (const Write &w : std::as_const(m_writes)) {
        if (w.stmt != last)
            sqlite3_clear_bindings(w.stmt);
        last = w.stmt;
    }
}

bool ContextWriter::writeWhole(Context &context, ManagedObject *o, qint64 revision)
{
    const EntityDescription &e = *o->m_entity;
    sqlite3_stmt *stmt = context.m_db->prepare(context.state(e.index).insertSql);
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
