#include "platform/store/EntityDescription.h"

int EntityDescription::attributeIndex(const QString &attr) const
{
    // Called for every key of every imported row: a scan that compares texts of the
    // same length only is cheaper than hashing the key.
    const qsizetype length = attr.size();
    for (int i = 0; i < attributes.size(); ++i) {
        const QString &name = attributes.at(i).name;
        if (name.size() == length && name == attr)
            return i;
    }
    return -1;
}

int EntityDescription::relationshipIndex(const QString &rel) const
{
    for (int i = 0; i < relationships.size(); ++i) {
        if (relationships.at(i).name == rel)
            return i;
    }
    return -1;
}

int EntityDescription::slotCount() const
{
    int n = int(attributes.size());
    for (const RelationshipDef &r : relationships) {
        if (r.stored && !r.toMany)
            ++n;
    }
    return n;
}

int EntityDescription::slotOfRelationship(int relIndex) const
{
    const RelationshipDef &r = relationships.at(relIndex);
    if (!r.stored || r.toMany)
        return -1;
    int slot = int(attributes.size());
    for (int i = 0; i < relIndex; ++i) {
        if (relationships.at(i).stored && !relationships.at(i).toMany)
            ++slot;
    }
    return slot;
}

QString EntityDescription::slotColumn(int slot) const
{
    if (slot < attributes.size())
        return attributes.at(slot).name;
    for (int i = 0; i < relationships.size(); ++i) {
        if (slotOfRelationship(i) == slot)
            return relationships.at(i).name;
    }
    return {};
}

int EntityDescription::slotOfName(const QString &name) const
{
    const int a = attributeIndex(name);
    if (a >= 0)
        return a;
    const int r = relationshipIndex(name);
    return r >= 0 ? slotOfRelationship(r) : -1;
}
