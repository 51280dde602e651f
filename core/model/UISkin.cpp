#include "core/model/UISkin.h"

#include "core/model/DataModel.h"

const EntityDescription &UISkin::entity()
{
    return DataModel::model().entityAt(9);
}

EntityDescription UISkin::description()
{
    EntityDescription e;
    e.name = QStringLiteral("UISkin");
    e.attributes.append({QStringLiteral("nameId"), AttributeType::Text, true, {}});
    e.attributes.append({QStringLiteral("bgColor"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("barColor"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("selectColor"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("isCurrSkin"), AttributeType::Bool, false, {}});
    e.attributes.append({QStringLiteral("sort"), AttributeType::Int16, false, {}});
    e.factory = [] { return new UISkin; };
    return e;
}
