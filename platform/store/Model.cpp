#include "platform/store/Model.h"

void Model::addEntity(EntityDescription entity)
{
    entity.index = int(m_entities.size());
    m_entities.append(std::move(entity));
}

const EntityDescription *Model::entity(const QString &name) const
{
    for (const EntityDescription &e : m_entities) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}
