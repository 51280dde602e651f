#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>

#include <utility>
#include <vector>

class ManagedObject;

// The rows with pending changes of one entity, by the value they hold in a slot: a
// query by value judges these rows in memory. Built for a slot when a query first
// asks for it, and then kept up to date by every change of such a row (a plain list
// of the few slots asked for, as every new or changed row goes through all of them).
class ValueIndex
{
public:
    using Holders = QSet<ManagedObject *>;

    // The key a value is indexed by: null and invalid are one key, an empty text
    // another.
    static QString keyOf(const QVariant &value);

    bool isEmpty() const { return m_slots.empty(); }
    void clear() { m_slots.clear(); }

    // The rows among `pending` holding the value in the slot; the slot is indexed over
    // the live ones of `pending` first if it is not yet. nullptr when none holds it.
    const Holders *holders(int slot, const QVariant &value, const QSet<ManagedObject *> &pending);

    // A row joins the pending ones, leaves them, or changes the value of a slot.
    void add(ManagedObject *o);
    void remove(ManagedObject *o);
    void moved(ManagedObject *o, int slot, const QVariant &oldValue);

private:
    // Value key -> rows. Sets, not a multi-hash: a big import moves thousands of new
    // rows away from the same key (null), and each move must not scan all of them.
    using Map = QHash<QString, Holders>;

    Map *find(int slot);
    static void insert(Map &map, const QString &key, ManagedObject *o) { map[key].insert(o); }
    static void erase(Map &map, const QString &key, ManagedObject *o);

    std::vector<std::pair<int, Map>> m_slots;
};
