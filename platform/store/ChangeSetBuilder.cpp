#include "platform/store/ChangeSetBuilder.h"

#include "platform/store/Model.h"

void ChangeSetBuilder::reserve(qsizetype inserted, qsizetype updated, qsizetype deleted)
{
    m_changes.inserted.reserve(inserted);
    m_changes.updated.reserve(updated);
    m_changes.deleted.reserve(deleted);
}

StoreChanges ChangeSetBuilder::describe(const Model &model, const ChangeSet &changes)
{
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
