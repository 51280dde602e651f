#include "core/model/NoteDetail.h"

#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"

const EntityDescription &NoteDetail::entity()
{
    return DataModel::model().entityAt(1);
}

EntityDescription NoteDetail::description()
{
    EntityDescription e;
    e.name = QStringLiteral("NoteDetail");
    e.attributes.append({QStringLiteral("cId"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("classId"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("content"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("fontColor"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("isCompleted"), AttributeType::Bool, false, {}});
    e.attributes.append({QStringLiteral("completedTime"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("nextId"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("sort"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("actionType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("isSync"), AttributeType::Bool, false, {}});
    e.attributes.append({QStringLiteral("isError"), AttributeType::Bool, false, {}});
    e.relationships.append({QStringLiteral("classify"), QStringLiteral("Classify"), QStringLiteral("notes"),
                            false, true, DeleteRule::Nullify});
    e.relationships.append({QStringLiteral("remind"), QStringLiteral("DateRemind"),
                            QStringLiteral("noteDetail"), false, true, DeleteRule::Cascade});
    e.factory = [] { return new NoteDetail; };
    return e;
}

Classify *NoteDetail::classify() const
{
    return static_cast<Classify *>(toOne(0));
}

void NoteDetail::setClassify(Classify *value)
{
    setToOne(0, value);
}

DateRemind *NoteDetail::remind() const
{
    return static_cast<DateRemind *>(toOne(1));
}

void NoteDetail::setRemind(DateRemind *value)
{
    setToOne(1, value);
}
