#pragma once

#include <QHashFunctions>
#include <QtGlobal>

// Identifies a row across contexts and across events: the safe way to hold on to a
// row. Find the row again with Context::existingObject() when it is used; a row that
// is gone by then is not found.
struct ObjectId
{
    int entity = -1;
    qint64 pk = 0;
    bool isValid() const { return entity >= 0 && pk > 0; }
    bool operator==(const ObjectId &o) const { return entity == o.entity && pk == o.pk; }
    bool operator!=(const ObjectId &o) const { return !(*this == o); }
};

inline size_t qHash(const ObjectId &id, size_t seed = 0)
{
    return qHashMulti(seed, id.entity, id.pk);
}
