#include "service/api/AesBaseModel.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

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
    if (value.isString())
        return value.toString().trimmed().toLongLong();
    if (!value.isDouble())
        return 0;
    // Casting a double beyond the 64-bit range is undefined; such a code is no code.
    const double d = value.toDouble();
    if (!std::isfinite(d) || d >= 9223372036854775808.0 || d < -9223372036854775808.0)
        return 0;
    return qint64(d);
}
