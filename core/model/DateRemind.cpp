#include "core/model/DateRemind.h"

#include "core/model/DataModel.h"
#include "core/model/NoteDetail.h"

const EntityDescription &DateRemind::entity()
{
    return DataModel::model().entityAt(2);
}

EntityDescription DateRemind::description()
{
    EntityDescription e;
    e.name = QStringLiteral("DateRemind");
    e.attributes.append({QStringLiteral("cId"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("remindActionType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("remindDateType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("remindDateTime"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("remindRealDateTime"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("remindCycleType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("remindCycleInterval"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("remindCycleSpecific"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("remindEndTime"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("remindRType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("remindDelayTime"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("connectWifiIds"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("connectWifiType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("remindWifiStatus"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("remindWifiDateTime"), AttributeType::Text, false, {}});
    e.relationships.append({QStringLiteral("noteDetail"), QStringLiteral("NoteDetail"),
                            QStringLiteral("remind"), false, false, DeleteRule::Nullify});
    e.factory = [] { return new DateRemind; };
    return e;
}

NoteDetail *DateRemind::noteDetail() const
{
    return static_cast<NoteDetail *>(toOne(0));
}

void DateRemind::setNoteDetail(NoteDetail *value)
{
    setToOne(0, value);
}
