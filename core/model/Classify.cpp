#include "core/model/Classify.h"

#include "core/model/DataModel.h"
#include "core/model/NoteDetail.h"

const EntityDescription &Classify::entity()
{
    return DataModel::model().entityAt(0);
}

EntityDescription Classify::description()
{
    EntityDescription e;
    e.name = QStringLiteral("Classify");
    e.attributes.append({QStringLiteral("classId"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("name"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("backColor"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("sort"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("version"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("actionType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("isSync"), AttributeType::Bool, false, {}});
    e.relationships.append({QStringLiteral("notes"), QStringLiteral("NoteDetail"), QStringLiteral("classify"),
                            true, false, DeleteRule::Cascade});
    e.factory = [] { return new Classify; };
    return e;
}

QList<NoteDetail *> Classify::notes() const
{
    QList<NoteDetail *> out;
    for (ManagedObject *o : toMany(0))
        out.append(static_cast<NoteDetail *>(o));
    return out;
}

void Classify::addNotesObject(NoteDetail *value)
{
    if (value)
        value->setClassify(this);
}

void Classify::removeNotesObject(NoteDetail *value)
{
    if (value && value->classify() == this)
        value->setClassify(nullptr);
}
