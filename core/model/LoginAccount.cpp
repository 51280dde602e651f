#include "core/model/LoginAccount.h"

#include "core/model/DataModel.h"

const EntityDescription &LoginAccount::entity()
{
    return DataModel::model().entityAt(7);
}

EntityDescription LoginAccount::description()
{
    EntityDescription e;
    e.name = QStringLiteral("LoginAccount");
    e.attributes.append({QStringLiteral("userId"), AttributeType::Int32, true, {}});
    e.attributes.append({QStringLiteral("account"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("autoLogin"), AttributeType::Bool, false, {}});
    e.factory = [] { return new LoginAccount; };
    return e;
}
