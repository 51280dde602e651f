#include "service/api/AesBaseModel.h"

#include <QJsonDocument>
#include <QJsonObject>

AesBaseModel AesBaseModel::fromReply(const QByteArray &bytes)
{
    AesBaseModel model;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return model;
    const QJsonObject obj = doc.object();
    const QJsonValue code = obj.value(QStringLiteral("code"));
    if (code.isDouble())
        model.code = qint64(code.toDouble());
    else if (code.isString())
        model.code = code.toString().toLongLong();
    const QJsonValue msg = obj.value(QStringLiteral("msg"));
    if (msg.isString())
        model.msg = msg.toString();
    const QJsonValue data = obj.value(QStringLiteral("data"));
    if (data.isString())
        model.data = data.toString();
    return model;
}
