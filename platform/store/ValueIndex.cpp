#include "platform/store/ValueIndex.h"

#include "platform/store/ManagedObject.h"

QString ValueIndex::keyOf(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("\x01");
    return value.toString();
}

ValueIndex::Map *ValueIndex::find(int slot)
{
    for (auto &[s, map] : m_slots) {
        if (s == slot)
            return &map;
    }
    return nullptr;
}

void ValueIndex::erase(Map &map, const QString &key, ManagedObject *o)
{
    auto it = map.find(key);
    if (it == map.end())
        return;
    it->remove(o);
    if (it->isEmpty())
        map.erase(it);
}

const ValueIndex::Holders *ValueIndex::holders(int slot, const QVariant &value,
                                               const QSet<ManagedObject *> &pending)
{
    Map *map = find(slot);
    if (!map) {
        Map built;
        for (ManagedObject *o : pending) {
            if (!o->m_deleted)
                insert(built, keyOf(o->m_values.at(slot)), o);
        }
        m_slots.emplace_back(slot, std::move(built));
        map = &m_slots.back().second;
    }
    // No copy: iterating one would detach it.
    auto it = map->constFind(keyOf(value));
    return it == map->constEnd() ? nullptr : &*it;
}

void ValueIndex::add(ManagedObject *o)
{
    for (auto &[slot, map] : m_slots)
        insert(map, keyOf(o->m_values.at(slot)), o);
}

void ValueIndex::remove(ManagedObject *o)
{
    for (auto &[slot, map] : m_slots)
        erase(map, keyOf(o->m_values.at(slot)), o);
}

void ValueIndex::moved(ManagedObject *o, int slot, const QVariant &oldValue)
{
    if (Map *map = find(slot)) {
        erase(*map, keyOf(oldValue), o);
        insert(*map, keyOf(o->m_values.at(slot)), o);
    }
}
