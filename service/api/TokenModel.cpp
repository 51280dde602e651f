#include "service/api/TokenModel.h"

#include <QJsonDocument>
#include <QJsonObject>

QByteArray TokenModel::toCompactJson() const
{
    QJsonObject obj;
    obj.insert(QStringLiteral("userId"), userId);
    obj.insert(QStringLiteral("timestamp"), timestamp);
    obj.insert(QStringLiteral("classesCount"), classesCount);
    obj.insert(QStringLiteral("teamCount"), teamCount);
    obj.insert(QStringLiteral("macAddress"), macAddress);
    obj.insert(QStringLiteral("returnUrl"), returnUrl);
    return QJsonDocument(obj).toJson(QJsonDocument::Compact);
}
