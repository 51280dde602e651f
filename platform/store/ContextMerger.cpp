#include "platform/store/ContextMerger.h"

#include "platform/store/ChangeSetBuilder.h"
#include "platform/store/Context.h"
#include "platform/store/EntityState.h"
#include "platform/store/Store.h"

#include <QThread>

void ContextMerger::deliver(const ChangeSet &changes)
{
    if (changes.isEmpty() && !changes.replaced)
        return;
    Context &context = m_context;
    if (context.m_kind == Context::Kind::Main) {
        emit context.changesSaved(ChangeSetBuilder::describe(context.m_store->model(), changes));
        return;
    }
    if (context.m_kind != Context::Kind::Background)
        return;
    Context *main = context.m_store->mainContext();
    if (!main || main == &context)
        return;
    if (QThread::currentThread() == main->thread())
        ContextMerger(*main).merge(changes);
    else
        QMetaObject::invokeMethod(
            main,
            [main, changes]() mutable {
                ContextMerger(*main).merge(changes);
                // The rows' values here are mostly their last copies once this context
                // is gone; freeing those of a large import would stall the main thread.
                main->m_store->m_pool.start([spent = std::move(changes)] {});
            },
            Qt::QueuedConnection);
}

void ContextMerger::merge(const ChangeSet &changes)
{
    Context &context = m_context;
    // What this context saved after the background save is newer: such rows are read
    // again (the file holds both saves), never overwritten with the older values.
    ChangeSet announced = changes;
    auto apply = [&context, &changes](const ChangeSet::Row &row) {
        ManagedObject *o = context.registered(row.entity, row.pk);
        if (!o || o->m_deleted)
            return;
        EntityState &st = context.state(row.entity);
        if (o->m_revision > changes.revision) {
            if (!context.refresh(o))
                context.markGone(o);
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
        ManagedObject *o = context.registered(entity, pk);
        // Written again by this context after the deletion: it stays.
        if (o && !o->m_inserted && o->m_revision > changes.revision)
            continue;
        announced.deleted.append({entity, pk});
        if (o)
            context.markGone(o);
    }
    emit context.changesMerged();
    emit context.changesSaved(ChangeSetBuilder::describe(context.m_store->model(), announced));
}
