#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVariant>

// A value counts as missing when it is nil, a null, or an empty text or
// collection. Every value read from the service or the store goes through this.
namespace Missing {

inline bool isMissing(const QString &s)
{
    return s.isEmpty();
}

inline bool isMissing(const QJsonValue &v)
{
    switch (v.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return true;
    case QJsonValue::String:
        return v.toString().isEmpty();
    case QJsonValue::Array:
        return v.toArray().isEmpty();
    case QJsonValue::Object:
        return v.toObject().isEmpty();
    default:
        return false;
    }
}

inline bool isMissing(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return true;
    switch (v.typeId()) {
    case QMetaType::QString:
        return v.toString().isEmpty();
    case QMetaType::QByteArray:
        return v.toByteArray().isEmpty();
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return v.toList().isEmpty();
    case QMetaType::QVariantMap:
        return v.toMap().isEmpty();
    case QMetaType::QJsonValue:
        return isMissing(v.toJsonValue());
    case QMetaType::QJsonArray:
        return v.toJsonArray().isEmpty();
    case QMetaType::QJsonObject:
        return v.toJsonObject().isEmpty();
    default:
        return false;
    }
}

} // namespace Missing
