#include "platform/store/Model.h"

void Model::addEntity(EntityDescription entity)
{
    entity.index = int(m_entities.size());
    entity.attributeKeys.clear();
    for (const AttributeDef &a : std::as_const(entity.attributes))
        entity.attributeKeys.append(a.name.toLatin1());
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
