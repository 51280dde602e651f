#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

// What one save of the main context, or one merge of a background save into it,
// changed: per entity the primary keys of the rows inserted, updated (with the names
// of the attributes that changed) and deleted. Views and the reminder scheduler follow
// these instead of reloading everything. `replaced` marks a full pull or a restore
// that replaced the account's data (rows that survived it keep their primary keys).
struct StoreChanges
{
    struct Updated
    {
        qint64 pk = 0;
        QSet<QString> attributes;
    };

    struct Entity
    {
        QList<qint64> inserted;
        QList<Updated> updated;
        QList<qint64> deleted;

        bool isEmpty() const { return inserted.isEmpty() && updated.isEmpty() && deleted.isEmpty(); }
    };

    // Keyed by entity name ("NoteDetail", "Classify", "DateRemind", ...).
    QHash<QString, Entity> entities;
    bool replaced = false;

    bool isEmpty() const
    {
        if (replaced)
            return false;
        for (const Entity &e : entities)
            if (!e.isEmpty())
                return false;
        return true;
    }

    // The changes of one entity (empty when it has none).
    Entity entity(const QString &name) const { return entities.value(name); }
};
