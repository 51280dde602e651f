#include "service/api/AesBaseModel.h"

#include "service/api/ReplyValue.h"

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
    model.code = codeOf(obj.value(QStringLiteral("code")));
    const QJsonValue msg = obj.value(QStringLiteral("msg"));
    if (msg.isString())
        model.msg = msg.toString();
    const QJsonValue data = obj.value(QStringLiteral("data"));
    if (data.isString())
        model.data = data.toString();
    return model;
}

qint64 AesBaseModel::codeOf(const QJsonValue &value)
{
    // A code that is no whole number (a fraction, beyond the 64-bit range) is no code.
    return ReplyValue::toInt64(value).value_or(0);
}
