#include "core/model/WiFiRemind.h"

#include "core/model/DataModel.h"

const EntityDescription &WiFiRemind::entity()
{
    return DataModel::model().entityAt(8);
}

EntityDescription WiFiRemind::description()
{
    EntityDescription e;
    e.name = QStringLiteral("WiFiRemind");
    e.attributes.append({QStringLiteral("wifiId"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("name"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("alias"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("actionType"), AttributeType::Int16, false, {}});
    e.factory = [] { return new WiFiRemind; };
    return e;
}
