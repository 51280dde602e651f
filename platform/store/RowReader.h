#pragma once

#include "platform/store/EntityDescription.h"

#include <QList>
#include <QVariant>

struct sqlite3_stmt;

// Reads the values of a row from a statement standing on it, slot by slot as a row
// object holds them (every attribute, then the key of each stored to-one
// relationship: a positive key or null).
class RowReader
{
public:
    // The type a slot's column holds (a relationship's key is an Int64).
    static AttributeType slotType(const EntityDescription &e, int slot)
    {
        return slot < e.attributes.size() ? e.attributes.at(slot).type : AttributeType::Int64;
    }
    static const ValueTransformer *slotTransformer(const EntityDescription &e, int slot)
    {
        return slot < e.attributes.size() ? &e.attributes.at(slot).transformer : nullptr;
    }

    // One column of a row as the slot holds it.
    static QVariant readSlot(sqlite3_stmt *stmt, int column, const EntityDescription &e, int slot);
    // A whole row's slot values, from column 1 on (as EntityState::selectColumns
    // orders them).
    static QList<QVariant> readRow(sqlite3_stmt *stmt, const EntityDescription &e, int slotTotal);
};
