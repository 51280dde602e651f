#pragma once

#include "platform/store/ChangeSet.h"
#include "platform/store/StoreChanges.h"

class Model;

// Builds the change set of one save (what the rows written hold, for the merge into
// the main context) and describes a change set as the program hears of it
// (StoreChanges: keys and the names of changed attributes per entity).
class ChangeSetBuilder
{
public:
    explicit ChangeSetBuilder(qint64 revision) { m_changes.revision = revision; }

    void reserve(qsizetype inserted, qsizetype updated, qsizetype deleted);
    void addInserted(int entity, qint64 pk, const QList<QVariant> &values, const QBitArray &allChanged)
    {
        m_changes.inserted.append({entity, pk, values, allChanged});
    }
    void addUpdated(int entity, qint64 pk, const QList<QVariant> &values, const QBitArray &changed)
    {
        m_changes.updated.append({entity, pk, values, changed});
    }
    void addDeleted(int entity, qint64 pk) { m_changes.deleted.append({entity, pk}); }
    void setReplaced(bool replaced) { m_changes.replaced = replaced; }

    ChangeSet take() { return std::move(m_changes); }

    static StoreChanges describe(const Model &model, const ChangeSet &changes);

private:
    ChangeSet m_changes;
};
