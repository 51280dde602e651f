#include "core/model/UserSet.h"

#include "core/model/DataModel.h"

const EntityDescription &UserSet::entity()
{
    return DataModel::model().entityAt(6);
}

EntityDescription UserSet::description()
{
    EntityDescription e;
    e.name = QStringLiteral("UserSet");
    e.attributes.append({QStringLiteral("noteAddPositionType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("noteCompleteActionType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("hyperlinkDistinguish"), AttributeType::Bool, false, {}});
    e.attributes.append({QStringLiteral("noteFontSize"), AttributeType::Float, false, {}});
    e.attributes.append({QStringLiteral("remindTypes"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("remindSoundName"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("remindSoundPath"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("importantRemindInterval"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("wifiSilenceRemindInterval"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("newSkinColor"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("skinType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("timerPushCycle"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("timerPushCycleTime"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("timerPushCTypes"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("timerPushEmail"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("pushEmailCount"), AttributeType::Int16, false, {}});
    e.factory = [] { return new UserSet; };
    return e;
}
