#include "core/model/UserInfo.h"

#include "core/model/DataModel.h"

const EntityDescription &UserInfo::entity()
{
    return DataModel::model().entityAt(5);
}

EntityDescription UserInfo::description()
{
    EntityDescription e;
    e.name = QStringLiteral("UserInfo");
    e.attributes.append({QStringLiteral("userId"), AttributeType::Int32, true, {}});
    e.attributes.append({QStringLiteral("account"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("nick"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("avatar"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("mobile"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("email"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("weChat"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("mobileBindStatus"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("emailBindStatus"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("weChatBindStatus"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("isOAuthQQ"), AttributeType::Bool, false, {}});
    e.attributes.append({QStringLiteral("isOAuthWeChat"), AttributeType::Bool, false, {}});
    e.attributes.append({QStringLiteral("isOpenWeChatReminder"), AttributeType::Bool, false, {}});
    e.attributes.append({QStringLiteral("isEmptyPassword"), AttributeType::Bool, false, {}});
    e.attributes.append({QStringLiteral("isDefaultLockScreen"), AttributeType::Bool, false, {}});
    e.attributes.append({QStringLiteral("lockScreenPassword"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("lockScreenType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("syncSettings"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("regType"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("userState"), AttributeType::Int16, false, {}});
    e.attributes.append({QStringLiteral("activatedTime"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("isRealAuthentication"), AttributeType::Bool, false, {}});
    e.attributes.append({QStringLiteral("belongerRealName"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("belongerIDCardNumber"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("userKey"), AttributeType::Text, false, {}});
    e.attributes.append({QStringLiteral("version"), AttributeType::Text, false, {}});
    e.factory = [] { return new UserInfo; };
    return e;
}
