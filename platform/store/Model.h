#pragma once

#include "platform/store/EntityDescription.h"

#include <QList>
#include <QString>

// The data model: the set of entities a store holds. Entities are added once,
// before any store opens with the model.
class Model
{
public:
    void addEntity(EntityDescription entity);
    const EntityDescription *entity(const QString &name) const;
    const EntityDescription &entityAt(int index) const { return m_entities.at(index); }
    int entityCount() const { return int(m_entities.size()); }
    const QList<EntityDescription> &entities() const { return m_entities; }

private:
    QList<EntityDescription> m_entities;
};
