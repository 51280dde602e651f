#include "core/model/NoteLog.h"

#include "core/model/DataModel.h"
#include "core/model/NoteLogTransformer.h"

const EntityDescription &NoteLog::entity()
{
    return DataModel::model().entityAt(3);
}

EntityDescription NoteLog::description()
{
    EntityDescription e;
    e.name = QStringLiteral("NoteLog");
    e.attributes.append({QStringLiteral("tId"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("cId"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("classId"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("classifyName"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("content"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("createTime"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("actionType"), AttributeType::Int16, true, {}});
    e.attributes.append({QStringLiteral("terminalId"), AttributeType::Int16, false, {}});
    e.attributes.append(
        {QStringLiteral("diffItems"), AttributeType::Object, false, NoteLogTransformer::valueTransformer()});
    e.attributes.append({QStringLiteral("cellHeight"), AttributeType::Float, false, {}});
    e.attributes.append({QStringLiteral("sort"), AttributeType::Int64, true, {}});
    e.factory = [] { return new NoteLog; };
    return e;
}
