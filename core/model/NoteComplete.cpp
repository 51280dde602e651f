#include "core/model/NoteComplete.h"

#include "core/model/DataModel.h"

const EntityDescription &NoteComplete::entity()
{
    return DataModel::model().entityAt(4);
}

EntityDescription NoteComplete::description()
{
    EntityDescription e;
    e.name = QStringLiteral("NoteComplete");
    e.attributes.append({QStringLiteral("tId"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("cId"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("classId"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("content"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("completedTime"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("terminalId"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("sort"), AttributeType::Int64, true, {}});
    e.factory = [] { return new NoteComplete; };
    return e;
}
