#pragma once

#include "platform/store/Context.h"
#include "platform/store/ValueIndex.h"

#include <QBitArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>

class Model;

// What a context keeps per entity: its row objects, the rows with pending changes
// and their value index, and what is worked out once from the model (statement
// texts, a new row's values, the relationships resolved).
struct EntityState
{
    EntityState(const Model &model, const EntityDescription &e);

    QHash<qint64, ManagedObject *> registered; // live rows and pending deletions
    QSet<ManagedObject *> dirty;               // inserted, changed or pending deletion
    ValueIndex dirtyIndex;                     // of the dirty live rows, per slot asked for
    QString selectColumns;                     // "pk, col, ..., _rev" of the entity
    QString selectByPk;                        // the row of one key
    QString insertSql;                         // a whole row
    // Per slot and query form (see ContextQuery::query), the statement text, made when
    // first used.
    QList<QString> querySql;
    QList<QVariant> emptyValues;        // a new row's values
    QList<int> slotTarget;              // per slot: the entity a relationship slot points at, else -1
    QList<Context::Relation> relations; // per relationship of the entity
    QBitArray unchanged;                // no slot changed, shared by the rows
    QBitArray allChanged;               // every slot changed (a new row), shared likewise
};
