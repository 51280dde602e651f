#pragma once

// A context: the working set of rows of one store on one thread.
//
// Usage
//   Context *ctx = store->mainContext();               // the main-thread context of an open store
//   auto *note = ctx->create<NoteDetail>();            // new row, visible to queries at once
//   note->setCId("c123");
//   NoteDetail *n = ctx->findFirstByAttribute<NoteDetail>("cId", "c123");
//   QList<Classify *> cats = ctx->findAllSortedBy<Classify>(
//       "sort", true, [](const Classify *c) { return c->actionType() != 3; });
//   QList<UISkin *> all = ctx->findAll<UISkin>();
//   QList<NoteDetail *> notes = ctx->fetch<NoteDetail>(Predicate::equals("classId", id), "sort");
//   QHash<NoteDetail *, DateRemind *> reminds = ctx->fetchToOne<DateRemind>(notes, "remind");
//   ctx->deleteObject(n);                               // delete rules apply (cascade / nullify)
//   if (SaveResult r = ctx->saveAndWait(); !r) { ... r.error ... }   // one transaction
//
// Background work (a pull import): Store::saveInBackground(block, completion) runs
// the block on a worker thread with its own context and connection, saves it in one
// transaction, merges the changes into the main context (updated rows keep their
// objects, deleted rows become isDeleted() until the event ends, new rows are found
// by the next query) and then calls the completion on the main thread. Until it
// saves, the block reads the file as it was at its first lookup (one read
// transaction: saves of other contexts meanwhile are not seen, and lookups take no
// lock each). Its save writes a row only if no other context saved it since the
// block read it; the rows it left alone are in SaveResult::skipped.
//
// Change sets: the main context emits changesSaved() once after each successful save
// of its own and each merge of a background save, with the keys of the rows inserted,
// updated (and the attributes that changed) and deleted; a failed save or one that
// changed nothing announces nothing. A save after markReplaced() carries `replaced`.
//
// Rules
// - One object per row: every finder returns the same pointer for the same row.
// - Row pointers are held within one event only: objects of rows that are gone are
//   freed when the event ends (see ManagedObject). Hold an ObjectId for longer.
// - Pending inserts, changes and deletions are seen by every later query of the
//   same context, before they are saved.
// - Query values are always bound as SQL parameters. fetch()/count() filter, sort and
//   limit in SQL (Predicate, FetchRequest); findAllWhere()/findAllSortedBy() read the
//   whole table and filter in C++ (kept for conditions a Predicate cannot say).
// - Objects belong to their context; hand rows to another context by objectId().
// - A context is used from one thread at a time.

#include "platform/store/EntityDescription.h"
#include "platform/store/FetchRequest.h"
#include "platform/store/FetchedValues.h"
#include "platform/store/ManagedObject.h"
#include "platform/store/SaveResult.h"
#include "platform/store/StoreChanges.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class Store;
class SqliteConnection;
struct EntityState;

class Context : public QObject
{
    Q_OBJECT
public:
    enum class Kind
    {
        Main,
        Private,
        Background
    };

    ~Context() override;

    Store *store() const { return m_store; }
    Kind kind() const { return m_kind; }

    // ---- generic API (entity by description) ----
    ManagedObject *createObject(const EntityDescription &entity);
    ManagedObject *findFirst(const EntityDescription &entity, const QString &attribute,
                             const QVariant &value);
    QList<ManagedObject *> findAll(const EntityDescription &entity, const QString &attribute,
                                   const QVariant &value);
    QList<ManagedObject *> fetchAll(const EntityDescription &entity);
    ManagedObject *existingObject(const ObjectId &id); // nullptr when the row is gone

    // Filtered, sorted and limited in SQL; rows with pending changes (inserted,
    // changed, deleted) are judged by their values in memory.
    QList<ManagedObject *> fetch(const EntityDescription &entity, const FetchRequest &request);
    int count(const EntityDescription &entity, const Predicate &where);
    // The target of a to-one relationship for each of the rows (of one entity), read
    // in one query; rows without a target are not in the result.
    QHash<ManagedObject *, ManagedObject *> fetchToOne(const QList<ManagedObject *> &rows,
                                                       const QString &relationship);

    // A few values of each row matching the condition, read in one query without making
    // row objects (a long list needs its keys and a few values, not whole rows). A name is
    // an attribute or a stored to-one relationship (the key it holds, invalid when none),
    // or "relationship.attribute" for a target whose key is on this side (read by a
    // join; invalid when there is no target). Rows with pending changes are judged by
    // their values in memory, and every row or target in memory gives its values in
    // memory. Rows in key order; nothing (and a warning) when a name is unknown.
    FetchedValues fetchValues(const EntityDescription &entity, const Predicate &where,
                              const QStringList &names);

    void deleteObject(ManagedObject *object);
    void deleteObjects(const QList<ManagedObject *> &objects);

    bool hasChanges() const;
    // Row objects this context holds: live rows, pending deletions, and rows gone in
    // the current event (those are freed when it ends).
    int objectCount() const { return int(m_owned.size()); }
    // Writes every pending change in one transaction. On failure nothing is written,
    // the pending changes stay, and the error is logged and returned.
    SaveResult saveAndWait();
    // Drops every pending change: inserted objects become deleted, changed ones get
    // their stored values back, pending deletions are undone.
    void rollback();

    // Marks the next successful save as one that replaced the account's data (a full
    // pull or a restore): the change set it produces carries `replaced`, also when
    // the save wrote nothing. Typically called by a background block before it ends.
    void markReplaced() { m_replaced = true; }

    // ---- typed API ----
    template <class T> T *create() { return static_cast<T *>(createObject(T::entity())); }

    template <class T> T *findFirstByAttribute(const QString &attribute, const QVariant &value)
    {
        return static_cast<T *>(findFirst(T::entity(), attribute, value));
    }

    template <class T> QList<T *> findByAttribute(const QString &attribute, const QVariant &value)
    {
        return cast<T>(findAll(T::entity(), attribute, value));
    }

    // All rows, in creation order.
    template <class T> QList<T *> findAll() { return cast<T>(fetchAll(T::entity())); }

    // Rows matching the condition (all when it is empty), in creation order.
    template <class T> QList<T *> findAllWhere(const std::function<bool(const T *)> &where)
    {
        QList<T *> out;
        for (ManagedObject *o : fetchAll(T::entity())) {
            T *t = static_cast<T *>(o);
            if (!where || where(t))
                out.append(t);
        }
        return out;
    }

    // Rows matching the condition, sorted by one attribute (stable: ties keep creation order).
    template <class T>
    QList<T *> findAllSortedBy(const QString &key, bool ascending,
                               const std::function<bool(const T *)> &where = {})
    {
        QList<ManagedObject *> rows;
        for (ManagedObject *o : fetchAll(T::entity())) {
            if (!where || where(static_cast<const T *>(o)))
                rows.append(o);
        }
        sortByKey(T::entity(), rows, key, ascending);
        return cast<T>(rows);
    }

    // The first row (in creation order) matching the condition, or any first row.
    template <class T> T *findFirstWhere(const std::function<bool(const T *)> &where = {})
    {
        for (ManagedObject *o : fetchAll(T::entity())) {
            T *t = static_cast<T *>(o);
            if (!where || where(t))
                return t;
        }
        return nullptr;
    }

    template <class T> T *existing(const ObjectId &id) { return static_cast<T *>(existingObject(id)); }

    template <class T> QList<T *> fetch(const FetchRequest &request)
    {
        return cast<T>(fetch(T::entity(), request));
    }
    template <class T>
    QList<T *> fetch(const Predicate &where, const QString &sortKey = {}, bool ascending = true)
    {
        FetchRequest request{where, {}, -1};
        if (!sortKey.isEmpty())
            request.sortBy.append({sortKey, ascending});
        return fetch<T>(request);
    }
    template <class T> T *fetchFirst(FetchRequest request)
    {
        request.limit = 1;
        const QList<T *> rows = fetch<T>(request);
        return rows.isEmpty() ? nullptr : rows.first();
    }
    template <class T> int count(const Predicate &where = {}) { return count(T::entity(), where); }
    template <class Target, class T>
    QHash<T *, Target *> fetchToOne(const QList<T *> &rows, const QString &relationship)
    {
        QList<ManagedObject *> in(rows.begin(), rows.end());
        QHash<T *, Target *> out;
        const QHash<ManagedObject *, ManagedObject *> found = fetchToOne(in, relationship);
        out.reserve(found.size());
        for (auto it = found.cbegin(); it != found.cend(); ++it)
            out.insert(static_cast<T *>(it.key()), static_cast<Target *>(it.value()));
        return out;
    }

    template <class T> FetchedValues fetchValues(const Predicate &where, const QStringList &names)
    {
        return fetchValues(T::entity(), where, names);
    }

    // Deletes every row of the entity (delete rules apply).
    template <class T> void deleteAll() { deleteObjects(fetchAll(T::entity())); }

    static void sortByKey(const EntityDescription &entity, QList<ManagedObject *> &rows, const QString &key,
                          bool ascending);

signals:
    // The main context took over the changes of a background save.
    void changesMerged();
    // Emitted by the main context once after every successful save of its own and
    // every merge of a background save, with exactly what changed.
    void changesSaved(const StoreChanges &changes);

private:
    friend class Store;
    friend class ManagedObject;
    // The parts of a context's work, each in a class of its own.
    friend class ContextQuery;
    friend class ContextWriter;
    friend class ContextMerger;
    friend struct EntityState;

    Context(Store *store, Kind kind);

    template <class T> static QList<T *> cast(const QList<ManagedObject *> &in)
    {
        QList<T *> out;
        out.reserve(in.size());
        for (ManagedObject *o : in)
            out.append(static_cast<T *>(o));
        return out;
    }

    EntityState &state(int entity);
    // A relationship resolved once (relationships are named in the model; looking the
    // names up on every access costs a hash and text comparisons).
    struct Relation
    {
        const EntityDescription *target = nullptr; // nullptr when the model lacks it
        int slot = -1;                             // of the key on this side, else -1
        int inverse = -1;                          // the inverse's index in the target
        int inverseSlot = -1;                      // of the key on the target's side, else -1
        bool inverseToMany = false;
    };
    const Relation &relation(int entity, int relIndex) const;
    ManagedObject *registered(int entity, qint64 pk) const;
    ManagedObject *materialise(const EntityDescription &e, qint64 pk, QList<QVariant> values,
                               qint64 revision);
    ManagedObject *objectForKey(int entity, qint64 pk);
    void objectWillChange(ManagedObject *o, int slot, const QVariant &oldValue);
    // A query has built a value index over the entity's pending rows, which every
    // change of such a row must follow.
    bool hasValueIndex(int entity) const;
    // A changed row whose slots all hold their stored values again.
    void objectSettled(ManagedObject *o);
    void cascadeDelete(ManagedObject *o, QSet<ManagedObject *> &seen);
    void markGone(ManagedObject *o);
    // A row object that no finder returns any more is freed once the current event
    // has ended.
    void retire(ManagedObject *o);
    void releaseGone();
    // Reads the row's stored values into the slots without pending changes; false
    // when the file no longer holds the row.
    bool refresh(ManagedObject *o);
    // A background block reads one snapshot of the file in one read transaction, so
    // its many small lookups take no lock each; a save ends it first.
    void beginReading();
    void endReading();

    Store *m_store;
    Kind m_kind;
    bool m_reading = false;
    bool m_replaced = false;
    std::unique_ptr<SqliteConnection> m_db;
    std::vector<std::unique_ptr<ManagedObject>> m_owned;
    QSet<ManagedObject *> m_gone; // retired, freed by releaseGone()
    bool m_releaseQueued = false;
    std::vector<std::unique_ptr<EntityState>> m_states;
};
