#include "service/api/OAuthModel.h"

QJsonObject OAuthModel::toJson() const
{
    QJsonObject obj;
    auto put = [&obj](const char *key, const QString &value) {
        if (!value.isNull())
            obj.insert(QString::fromLatin1(key), value);
    };
    put("oauthtype", oauthtype);
    put("from", from);
    put("type", type);
    put("clientId", clientId);
    put("clientVersion", clientVersion);
    return obj;
}
