#include "service/account/AutoLoginModel.h"

#include "platform/base/UserDefaults.h"
#include "service/account/SignInKeys.h"

QVariantMap AutoLoginModel::toMap() const
{
    QVariantMap map;
    auto put = [&map](const char *key, const QString &value) {
        if (!value.isNull())
            map.insert(QString::fromLatin1(key), value);
    };
    put("type", type);
    put("account", account);
    put("openId", openId);
    put("oauthType", oauthType);
    return map;
}

AutoLoginModel AutoLoginModel::fromMap(const QVariantMap &map)
{
    AutoLoginModel model;
    model.type = map.value(QStringLiteral("type")).toString();
    model.account = map.value(QStringLiteral("account")).toString();
    model.openId = map.value(QStringLiteral("openId")).toString();
    model.oauthType = map.value(QStringLiteral("oauthType")).toString();
    return model;
}

AutoLoginModel AutoLoginModel::stored()
{
    return fromMap(UserDefaults::value(SignInKeys::Account).toMap());
}

void AutoLoginModel::store() const
{
    UserDefaults::setValue(SignInKeys::Account, toMap());
}
